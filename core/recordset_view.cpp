// The view of a record set (filter and order), and the locate indexes.

#include "recordset_p.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>

namespace {

size_t hashValue(const QVariant& value, bool caseInsensitive)
{
    if (!value.isValid() || value.isNull())
        return 0x9e3779b9u;
    switch (value.typeId()) {
    case QMetaType::QString:
        return caseInsensitive ? qHash(value.toString().toCaseFolded()) : qHash(value.toString());
    case QMetaType::Bool:
        return qHash(int(value.toBool()));
    case QMetaType::QDate:
        return qHash(value.toDate().toJulianDay());
    case QMetaType::QDateTime:
        return qHash(value.toDateTime().toMSecsSinceEpoch());
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        double number = value.toDouble();
        if (number == 0)
            number = 0;   // -0.0 and 0.0 are one key
        return qHash(number);
    }
    default:
        return qHash(value.toString());
    }
}

bool keyValueMatches(const QVariant& stored, const QVariant& wanted, bool caseInsensitive, bool partial)
{
    if (stored.typeId() == QMetaType::QString && wanted.typeId() == QMetaType::QString) {
        const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QString text = stored.toString();
        return partial ? text.startsWith(wanted.toString(), cs) : text.compare(wanted.toString(), cs) == 0;
    }
    return sameValue(stored, wanted);
}

} // namespace

// --- filter and order -----------------------------------------------------

bool RecordSetPrivate::passesFilter(const Row* row) const
{
    if (!filtered || filter.isEmpty() || row->pending)
        return true;
    return filter.matches(row->values);
}

bool RecordSetPrivate::rowLess(const Row* a, const Row* b) const
{
    for (int slot : sortSlots) {
        const int c = compareValues(a->values.at(slot), b->values.at(slot));
        if (c != 0)
            return c < 0;
    }
    return false;
}

void RecordSetPrivate::rebuildView(bool keepCurrent)
{
    const quint64 keepId = keepCurrent && currentRow() ? currentRow()->id : 0;
    notifyAboutToReset();
    view.clear();
    for (const auto& row : rows) {
        row->viewPos = -1;
        if (passesFilter(row.get()))
            view.push_back(row.get());
    }
    if (!sortSlots.isEmpty())
        std::stable_sort(view.begin(), view.end(), [this](const Row* a, const Row* b) { return rowLess(a, b); });
    for (size_t i = 0; i < view.size(); ++i)
        view[i]->viewPos = int(i);
    notifyReset();
    if (keepCurrent) {
        const Row* kept = rowById.value(keepId);
        moveCurrent(kept && kept->viewPos >= 0 ? kept->viewPos : (view.empty() ? -1 : 0));
        eof = bof = view.empty();
    }
}

void RecordSetPrivate::insertIntoView(Row* row, int position)
{
    notifyAboutToInsert(position, position);
    view.insert(view.begin() + position, row);
    for (size_t i = size_t(position); i < view.size(); ++i)
        view[i]->viewPos = int(i);
    if (current >= position)
        ++current;
    notifyInserted(position, position);
}

void RecordSetPrivate::removeFromView(Row* row)
{
    const int position = row->viewPos;
    if (position < 0)
        return;
    notifyAboutToRemove(position, position);
    view.erase(view.begin() + position);
    row->viewPos = -1;
    for (size_t i = size_t(position); i < view.size(); ++i)
        view[i]->viewPos = int(i);
    if (current > position)
        --current;
    else if (current == position)
        current = std::min(position, int(view.size()) - 1);
    notifyRemoved(position, position);
}

int RecordSetPrivate::sortedPosition(const Row* row) const
{
    const auto it = std::upper_bound(view.begin(), view.end(), row,
                                     [this](const Row* a, const Row* b) { return rowLess(a, b); });
    return int(it - view.begin());
}

void RecordSetPrivate::placeAfterPost(Row* row)
{
    if (!passesFilter(row)) {
        const int position = row->viewPos;
        removeFromView(row);
        moveCurrent(std::min(position, int(view.size()) - 1));
        eof = bof = view.empty();
        return;
    }
    if (sortSlots.isEmpty())
        return;
    const int position = row->viewPos;
    const int last = int(view.size()) - 1;
    const bool inOrder = (position == 0 || !rowLess(row, view[size_t(position - 1)]))
        && (position == last || !rowLess(view[size_t(position + 1)], row));
    if (inOrder)
        return;
    removeFromView(row);
    insertIntoView(row, sortedPosition(row));
    moveCurrent(row->viewPos);
}

void RecordSetPrivate::insertNatural(std::unique_ptr<Row> row, quint64 beforeRowId)
{
    auto at = rows.end();
    if (beforeRowId != 0)
        at = std::find_if(rows.begin(), rows.end(), [beforeRowId](const auto& r) { return r->id == beforeRowId; });
    rows.insert(at, std::move(row));
}

std::unique_ptr<Row> RecordSetPrivate::takeNatural(Row* row)
{
    const auto it = std::find_if(rows.begin(), rows.end(), [row](const auto& r) { return r.get() == row; });
    std::unique_ptr<Row> owned = std::move(*it);
    rows.erase(it);
    return owned;
}

void RecordSetPrivate::bindFilter(FilterExpression& expression) const
{
    expression.bind([this](const QString& name) {
        const auto it = fieldByUpperName.constFind(name.toUpper());
        return it == fieldByUpperName.constEnd() ? -1 : fields[size_t(*it)]->m_slot;
    });
}

QList<int> RecordSetPrivate::slotsOf(const QString& fieldNames) const
{
    QList<int> keySlots;
    for (const QString& part : fieldNames.split(u';')) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        const Field& field = fieldOrFail(name);
        if (field.kind() == Field::Kind::Aggregate)
            fail(QStringLiteral("o campo agregado \"%1\" não serve de chave.").arg(name));
        keySlots.append(field.m_slot);
    }
    if (keySlots.isEmpty())
        fail(QStringLiteral("nenhum campo informado em \"%1\".").arg(fieldNames));
    return keySlots;
}

void RecordSet::setFilter(const QString& text)
{
    FilterExpression parsed = text.trimmed().isEmpty() ? FilterExpression() : FilterExpression::parse(text);
    if (isActive() && d->filtered) {
        d->bindFilter(parsed);
        d->autoPost();
        d->filterText = text;
        d->filter = std::move(parsed);
        d->rebuildView(true);
        return;
    }
    d->filterText = text;
    d->filter = std::move(parsed);
}

QString RecordSet::filter() const
{
    return d->filterText;
}

void RecordSet::setFiltered(bool filtered)
{
    if (d->filtered == filtered)
        return;
    if (!isActive()) {
        d->filtered = filtered;
        return;
    }
    FilterExpression bound = d->filter;
    if (filtered)
        d->bindFilter(bound);
    d->autoPost();
    d->filter = std::move(bound);
    d->filtered = filtered;
    d->rebuildView(true);
}

bool RecordSet::isFiltered() const
{
    return d->filtered;
}

void RecordSet::setIndexFieldNames(const QString& fieldNames)
{
    const QList<int> keySlots = fieldNames.trimmed().isEmpty() ? QList<int>() : d->slotsOf(fieldNames);
    if (isActive())
        d->autoPost();
    d->indexFieldNames = fieldNames;
    d->sortSlots = keySlots;
    if (isActive())
        d->rebuildView(true);
}

QString RecordSet::indexFieldNames() const
{
    return d->indexFieldNames;
}

// --- locate ---------------------------------------------------------------

KeyIndex& RecordSetPrivate::indexFor(const QList<int>& keySlots, bool caseInsensitive)
{
    for (const auto& index : indexes)
        if (index->keySlots == keySlots && index->caseInsensitive == caseInsensitive)
            return *index;
    auto index = std::make_unique<KeyIndex>();
    index->keySlots = keySlots;
    index->caseInsensitive = caseInsensitive;
    index->rows.reserve(rows.size());
    for (const auto& row : rows)
        if (!row->pending)
            index->rows.emplace(keyHash(*index, row->values), row.get());
    indexes.push_back(std::move(index));
    return *indexes.back();
}

size_t RecordSetPrivate::keyHash(const KeyIndex& index, const QVariantList& values) const
{
    size_t hash = 0;
    for (int slot : index.keySlots)
        hash = hash * 1000003u ^ hashValue(values.at(slot), index.caseInsensitive);
    return hash;
}

void RecordSetPrivate::indexAdd(Row* row)
{
    for (const auto& index : indexes)
        index->rows.emplace(keyHash(*index, row->values), row);
}

void RecordSetPrivate::indexRemove(Row* row, const QVariantList& oldValues)
{
    for (const auto& index : indexes) {
        auto [begin, end] = index->rows.equal_range(keyHash(*index, oldValues));
        for (auto it = begin; it != end; ++it) {
            if (it->second == row) {
                index->rows.erase(it);
                break;
            }
        }
    }
}

void RecordSetPrivate::indexUpdate(Row* row, const QVariantList& oldValues)
{
    for (const auto& index : indexes) {
        bool keyChanged = false;
        for (int slot : index->keySlots)
            keyChanged = keyChanged || !sameValue(oldValues.at(slot), row->values.at(slot));
        if (!keyChanged)
            continue;
        auto [begin, end] = index->rows.equal_range(keyHash(*index, oldValues));
        for (auto it = begin; it != end; ++it) {
            if (it->second == row) {
                index->rows.erase(it);
                break;
            }
        }
        index->rows.emplace(keyHash(*index, row->values), row);
    }
}

int RecordSet::find(const QString& keyFields, const QVariantList& values, LocateOptions options) const
{
    d->requireActive("localizar");
    const QList<int> keySlots = d->slotsOf(keyFields);
    if (keySlots.size() != values.size())
        d->fail(QStringLiteral("\"%1\" tem %2 campos e foram dados %3 valores.")
                    .arg(keyFields)
                    .arg(keySlots.size())
                    .arg(values.size()));
    const bool caseInsensitive = options.testFlag(CaseInsensitive);
    const bool partial = options.testFlag(PartialKey);

    QVariantList probe(d->slotCount);
    for (qsizetype i = 0; i < keySlots.size(); ++i) {
        const Field* field = nullptr;
        for (const Field* f : d->fields)
            if (f->m_slot == keySlots.at(i))
                field = f;
        const bool isText = field->type() == FieldType::String || field->type() == FieldType::Memo;
        try {
            if (partial && isText)
                probe[keySlots.at(i)] = values.at(i).isNull() ? QVariant() : QVariant(values.at(i).toString());
            else
                probe[keySlots.at(i)] = d->coerce(*field, values.at(i));
        } catch (const RecordSetError&) {
            return -1;   // a value the field cannot hold matches no row
        }
    }

    auto matches = [&](const Row* row) {
        for (int slot : keySlots)
            if (!keyValueMatches(row->values.at(slot), probe.at(slot), caseInsensitive, partial))
                return false;
        return true;
    };

    if (partial) {
        for (const Row* row : d->view)
            if (!row->pending && matches(row))
                return row->viewPos;
        return -1;
    }
    KeyIndex& index = d->indexFor(keySlots, caseInsensitive);
    int best = -1;
    auto [begin, end] = index.rows.equal_range(d->keyHash(index, probe));
    for (auto it = begin; it != end; ++it) {
        const Row* row = it->second;
        if (row->viewPos >= 0 && (best < 0 || row->viewPos < best) && matches(row))
            best = row->viewPos;
    }
    return best;
}
