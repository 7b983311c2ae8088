#include "recordset.h"

#include "recordset_p.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {

// Restores the edit buffer when a Before event fails after touching it.
class BufferRollback {
public:
    explicit BufferRollback(RecordSetPrivate* d) : d(d), m_saved(d->buffer) {}
    ~BufferRollback()
    {
        if (!m_committed && std::uncaught_exceptions() > m_exceptionsAtStart) {
            if (d->buffer != m_saved) {
                d->buffer = m_saved;
                d->notifyRowChanged(d->current, -1);
            }
        }
    }
    void commit() { m_committed = true; }

private:
    RecordSetPrivate* d;
    QVariantList m_saved;
    int m_exceptionsAtStart = std::uncaught_exceptions();
    bool m_committed = false;
};

bool valueHasStorageType(const QVariant& value, FieldType type)
{
    if (!value.isValid())
        return true;
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return value.typeId() == QMetaType::QString;
    case FieldType::Integer:
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int;
    case FieldType::Float:
        return value.typeId() == QMetaType::Double;
    case FieldType::Boolean:
        return value.typeId() == QMetaType::Bool;
    case FieldType::Date:
        return value.typeId() == QMetaType::QDate && value.toDate().isValid();
    case FieldType::DateTime:
        return value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid();
    }
    return false;
}

} // namespace

// --- private helpers --------------------------------------------------------

void RecordSetPrivate::fail(const QString& message) const
{
    throw RecordSetError((q->objectName() + QStringLiteral(": ") + message).toStdString());
}

void RecordSetPrivate::requireActive(const char* action) const
{
    if (state == RecordSet::State::Inactive)
        fail(QStringLiteral("não é possível %1: o conjunto não está aberto.").arg(QString::fromUtf8(action)));
}

int RecordSetPrivate::indexOfField(const QString& name) const
{
    const auto exact = fieldByExactName.constFind(name);
    if (exact != fieldByExactName.constEnd())
        return *exact;
    return fieldByUpperName.value(name.toUpper(), -1);
}

Field& RecordSetPrivate::fieldOrFail(const QString& name) const
{
    const int index = indexOfField(name);
    if (index < 0)
        fail(QStringLiteral("campo \"%1\" não encontrado.").arg(name));
    return *fields[size_t(index)];
}

void RecordSetPrivate::fire(const RecordSet::Event& event)
{
    if (!event)
        return;
    const RecordSet::Event handler = event;   // the handler may replace itself
    handler(*q);
}

const QVariantList* RecordSetPrivate::activeValues() const
{
    if (readOverride)
        return readOverride;
    if (state == RecordSet::State::Edit || state == RecordSet::State::Insert)
        return &buffer;
    const Row* row = currentRow();
    return row ? &row->values : nullptr;
}

void RecordSetPrivate::runCalc(QVariantList& values, bool inPlace)
{
    if (!hasCalculated)
        return;
    QVariantList scratch;
    QVariantList& target = inPlace ? values : scratch;
    if (!inPlace)
        scratch = values;
    for (Field* field : fields)
        if (field->isCalculated() && target.at(field->m_slot).isValid())
            target[field->m_slot] = QVariant();
    if (q->onCalcFields) {
        const RecordSet::Event handler = q->onCalcFields;
        const QVariantList* savedRead = readOverride;
        QVariantList* savedTarget = calcTarget;
        readOverride = &target;
        calcTarget = &target;
        try {
            handler(*q);
        } catch (...) {
            readOverride = savedRead;
            calcTarget = savedTarget;
            throw;
        }
        readOverride = savedRead;
        calcTarget = savedTarget;
    }
    if (!inPlace)
        values = std::move(scratch);
}

void RecordSetPrivate::recalcBuffer()
{
    QVariantList values = buffer;
    runCalc(values);
    buffer = std::move(values);
}

void RecordSetPrivate::autoPost()
{
    if (state == RecordSet::State::Edit || state == RecordSet::State::Insert)
        q->post();
}

void RecordSetPrivate::setState(RecordSet::State newState)
{
    if (state == newState)
        return;
    state = newState;
    notifyState();
}

void RecordSetPrivate::setCurrent(int position)
{
    if (current == position)
        return;
    current = position;
    notifyCurrent();
}

void RecordSetPrivate::moveCurrent(int position)
{
    current = position;
    notifyCurrent();
}

void RecordSetPrivate::scrollTo(int position, bool afterScrollAlways)
{
    fire(q->beforeScroll);
    eof = bof = false;
    const int before = current;
    setCurrent(position);
    if (afterScrollAlways || before != current)
        fire(q->afterScroll);
}

void RecordSetPrivate::dropEdit()
{
    Row* newRow = state == RecordSet::State::Insert ? currentRow() : nullptr;
    // Browse first: while the new row leaves, no row may read its buffer.
    buffer.clear();
    if (state == RecordSet::State::Edit || state == RecordSet::State::Insert)
        setState(RecordSet::State::Browse);
    if (newRow) {
        removeFromView(newRow);
        rowById.remove(newRow->id);
        takeNatural(newRow);
    }
}

Row* RecordSetPrivate::newRow()
{
    auto row = std::make_unique<Row>();
    row->id = ++lastRowId;
    return row.release();
}

void RecordSetPrivate::clearRows()
{
    ++loads;
    rows.clear();
    view.clear();
    rowById.clear();
    indexes.clear();
    buffer.clear();
    current = -1;
    eof = bof = true;
    clearLog();
    for (Aggregate& aggregate : aggregates)
        aggregate.reset();
}

// --- RecordSet --------------------------------------------------------------

RecordSet::RecordSet(const QString& name, QObject* parent)
    : QObject(parent), d(std::make_unique<RecordSetPrivate>(this))
{
    setObjectName(name);
}

RecordSet::~RecordSet() = default;

Field& RecordSet::addField(const QString& name, FieldType type, int size, Field::Kind kind)
{
    if (isActive())
        d->fail(QStringLiteral("campos são definidos antes de abrir (\"%1\").").arg(name));
    if (name.trimmed().isEmpty())
        d->fail(QStringLiteral("um campo precisa de nome."));
    if (d->fieldByUpperName.contains(name.toUpper()))
        d->fail(QStringLiteral("o campo \"%1\" já existe.").arg(name));
    if (d->fieldsFromPacket) {
        clearFields();
    }
    const int index = int(d->fields.size());
    auto field = std::unique_ptr<Field>(new Field(this, name, type, size, kind, index));
    if (kind != Field::Kind::Aggregate) {
        field->m_slot = d->slotCount++;
        if (kind == Field::Kind::Data)
            d->dataSlots.append(field->m_slot);
        else
            d->hasCalculated = true;
    }
    d->fields.push_back(field.get());
    d->fieldByUpperName.insert(name.toUpper(), index);
    d->fieldByExactName.insert(name, index);
    d->fieldStore.push_back(std::move(field));
    return *d->fields.back();
}

void RecordSet::addFields(const QList<FieldDef>& defs)
{
    for (const FieldDef& def : defs)
        addField(def.name, def.type, def.size);
}

Field& RecordSet::addAggregate(const QString& name, const QString& expression)
{
    Aggregate aggregate;
    try {
        Aggregate::parse(expression, &aggregate.function, &aggregate.argument);
    } catch (const std::invalid_argument&) {
        d->fail(QStringLiteral("expressão de agregado inválida em \"%1\": \"%2\" (use SUM, COUNT, MIN, MAX ou AVG de um campo).")
                    .arg(name, expression));
    }
    Field& field = addField(name, FieldType::Float, 0, Field::Kind::Aggregate);
    field.m_expression = expression;
    field.m_aggregate = int(d->aggregates.size());
    aggregate.field = &field;
    d->aggregates.push_back(aggregate);
    return field;
}

void RecordSet::clearFields()
{
    if (isActive())
        d->fail(QStringLiteral("campos só podem ser removidos com o conjunto fechado."));
    d->fields.clear();
    d->fieldStore.clear();
    d->fieldByUpperName.clear();
    d->fieldByExactName.clear();
    d->dataSlots.clear();
    d->aggregates.clear();
    d->hasCalculated = false;
    d->fieldsFromPacket = false;
    d->slotCount = 0;
}

int RecordSet::fieldCount() const
{
    return int(d->fields.size());
}

Field& RecordSet::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        d->fail(QStringLiteral("não há campo na posição %1.").arg(index));
    return *d->fields[size_t(index)];
}

const std::vector<Field*>& RecordSet::fields() const
{
    return d->fields;
}

Field& RecordSet::fieldByName(const QString& name) const
{
    return d->fieldOrFail(name);
}

Field* RecordSet::findField(const QString& name) const
{
    const int index = d->indexOfField(name);
    return index < 0 ? nullptr : d->fields[size_t(index)];
}

int RecordSet::fieldIndex(const QString& name) const
{
    return d->indexOfField(name);
}

QList<FieldDef> RecordSet::fieldDefs() const
{
    QList<FieldDef> defs;
    for (const Field* field : d->fields)
        if (field->kind() == Field::Kind::Data)
            defs.append(FieldDef{field->name(), field->type(), field->size()});
    return defs;
}

// --- opening and loading ----------------------------------------------------

void RecordSet::createDataSet()
{
    if (d->fields.empty())
        d->fail(QStringLiteral("não há campos definidos."));
    FilterExpression boundFilter = d->filter;
    if (d->filtered)
        d->bindFilter(boundFilter);
    d->resolveAggregates();
    if (isActive())
        close();
    d->fire(beforeOpen);
    {
        SilentChange silent(d.get());
        d->clearRows();
        d->filter = std::move(boundFilter);
        d->setState(State::Browse);
        d->notifyAggregates();
    }
    d->fire(afterOpen);
    d->fire(afterScroll);
}

void RecordSet::open()
{
    createDataSet();
}

void RecordSet::close()
{
    if (!isActive())
        return;
    d->fire(beforeClose);
    {
        SilentChange silent(d.get());
        d->clearRows();
        d->setState(State::Inactive);
        d->notifyAggregates();
    }
    d->fire(afterClose);
}

bool RecordSet::isActive() const
{
    return d->state != State::Inactive;
}

RecordSet::State RecordSet::state() const
{
    return d->state;
}

bool RecordSet::isEditing() const
{
    return d->state == State::Edit || d->state == State::Insert;
}

void RecordSet::setData(const DataPacket& packet)
{
    // Everything that can fail is worked out before the current rows go.
    const bool redefine = d->fields.empty() || d->fieldsFromPacket;
    std::unique_ptr<RecordSet> shape;
    if (redefine) {
        // A scratch record set checks the packet's field list (duplicates, names).
        shape = std::make_unique<RecordSet>(objectName());
        shape->addFields(packet.fields);
    }
    const std::vector<Field*>& fieldList = redefine ? shape->d->fields : d->fields;
    const int slotCount = redefine ? shape->d->slotCount : d->slotCount;

    // Packet column of each data field, and whether rows can be shared as they are.
    std::vector<int> columnOfSlot(size_t(slotCount), -1);
    bool identity = packet.fields.size() == slotCount;
    for (const Field* field : fieldList) {
        if (field->kind() != Field::Kind::Data)
            continue;
        const int column = packet.indexOf(field->name());
        if (column < 0)
            d->fail(QStringLiteral("o pacote de dados não tem o campo \"%1\".").arg(field->name()));
        columnOfSlot[size_t(field->m_slot)] = column;
        if (column != field->m_slot || packet.fields.at(column).type != field->type())
            identity = false;
    }

    std::vector<std::unique_ptr<Row>> loaded;
    loaded.reserve(size_t(packet.rows.size()));
    quint64 rowId = d->lastRowId;
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        const QVariantList& source = packet.rows.at(r);
        if (source.size() != packet.fields.size())
            d->fail(QStringLiteral("a linha %1 do pacote tem %2 valores para %3 campos.")
                        .arg(r + 1)
                        .arg(source.size())
                        .arg(packet.fields.size()));
        auto row = std::make_unique<Row>();
        row->id = ++rowId;
        bool shared = identity;
        if (shared) {
            for (const Field* field : fieldList) {
                if (!valueHasStorageType(source.at(field->m_slot), field->type())) {
                    shared = false;
                    break;
                }
            }
        }
        if (shared) {
            row->values = source;
        } else {
            row->values.resize(slotCount);
            for (const Field* field : fieldList) {
                if (field->kind() != Field::Kind::Data)
                    continue;
                const QVariant& value = source.at(columnOfSlot[size_t(field->m_slot)]);
                row->values[field->m_slot] =
                    valueHasStorageType(value, field->type()) ? value : d->coerce(*field, value);
            }
        }
        if (!redefine && d->hasCalculated)
            d->runCalc(row->values, true);   // a failure drops the whole load
        loaded.push_back(std::move(row));
    }

    FilterExpression boundFilter = d->filter;
    if (!redefine) {
        if (d->filtered)
            d->bindFilter(boundFilter);
        d->resolveAggregates();
    }

    if (isActive())
        close();
    if (redefine) {
        clearFields();
        addFields(packet.fields);
        d->fieldsFromPacket = true;
        boundFilter = d->filter;
        if (d->filtered)
            d->bindFilter(boundFilter);
    }
    d->fire(beforeOpen);
    {
        SilentChange silent(d.get());
        d->clearRows();
        d->filter = std::move(boundFilter);
        d->lastRowId = rowId;
        d->rows = std::move(loaded);
        d->rowById.reserve(qsizetype(d->rows.size()));
        for (const auto& row : d->rows)
            d->rowById.insert(row->id, row.get());
        d->aggregatesRecompute();
        d->state = State::Browse;
        d->rebuildView(false);
        d->current = d->view.empty() ? -1 : 0;
        d->bof = true;
        d->eof = d->view.empty();
        d->notifyState();
        d->notifyCurrent();
        d->notifyAggregates();
    }
    d->fire(afterOpen);
    d->fire(afterScroll);
}

DataPacket RecordSet::data() const
{
    DataPacket packet;
    packet.fields = fieldDefs();
    packet.rows.reserve(qsizetype(d->rows.size()));
    const bool allData = d->dataSlots.size() == d->slotCount;
    for (const auto& row : d->rows) {
        if (row->pending)
            continue;
        if (allData) {
            packet.rows.append(row->values);
            continue;
        }
        QVariantList values;
        values.reserve(d->dataSlots.size());
        for (int slot : d->dataSlots)
            values.append(row->values.at(slot));
        packet.rows.append(values);
    }
    return packet;
}

void RecordSet::emptyDataSet()
{
    d->requireActive("esvaziar");
    SilentChange silent(d.get());
    d->clearRows();
    d->setState(State::Browse);
    d->notifyAggregates();
}

void RecordSet::saveToFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        d->fail(QStringLiteral("não foi possível gravar \"%1\": %2").arg(path, file.errorString()));
    file.write(data().toBytes());
    if (!file.commit())
        d->fail(QStringLiteral("não foi possível gravar \"%1\": %2").arg(path, file.errorString()));
}

void RecordSet::loadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        d->fail(QStringLiteral("não foi possível ler \"%1\": %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    DataPacket packet;
    try {
        packet = DataPacket::fromBytes(bytes);
    } catch (const DataPacketError& error) {
        d->fail(QStringLiteral("o arquivo \"%1\" não é um pacote de dados válido: %2")
                    .arg(path, QString::fromUtf8(error.what())));
    }
    setData(packet);
}

// --- navigation -------------------------------------------------------------

void RecordSet::first()
{
    d->requireActive("ir ao primeiro registro");
    d->autoPost();
    d->fire(beforeScroll);
    d->setCurrent(d->view.empty() ? -1 : 0);
    d->bof = true;
    d->eof = d->view.empty();
    d->fire(afterScroll);
}

void RecordSet::last()
{
    d->requireActive("ir ao último registro");
    d->autoPost();
    d->fire(beforeScroll);
    d->setCurrent(int(d->view.size()) - 1);
    d->eof = true;
    d->bof = d->view.empty();
    d->fire(afterScroll);
}

void RecordSet::next()
{
    moveBy(1);
}

void RecordSet::prior()
{
    moveBy(-1);
}

int RecordSet::moveBy(int distance)
{
    d->requireActive("navegar");
    d->autoPost();
    d->fire(beforeScroll);
    const int count = int(d->view.size());
    if (count == 0) {
        d->eof = d->bof = true;
        return 0;
    }
    const int from = d->current;
    const int target = std::clamp(from + distance, 0, count - 1);
    d->eof = distance > 0 && from + distance > count - 1;
    d->bof = distance < 0 && from + distance < 0;
    if (target == from)
        return 0;
    d->setCurrent(target);
    d->fire(afterScroll);
    return target - from;
}

bool RecordSet::eof() const
{
    return d->eof || d->view.empty();
}

bool RecordSet::bof() const
{
    return d->bof || d->view.empty();
}

int RecordSet::recordCount() const
{
    return int(d->view.size());
}

bool RecordSet::isEmpty() const
{
    return d->view.empty();
}

int RecordSet::recNo() const
{
    return d->current + 1;
}

int RecordSet::currentRow() const
{
    return d->current;
}

void RecordSet::setCurrentRow(int row)
{
    d->requireActive("posicionar");
    if (row < 0 || row >= recordCount())
        d->fail(QStringLiteral("não há registro na posição %1 (há %2).").arg(row).arg(recordCount()));
    const quint64 targetId = d->view[size_t(row)]->id;
    const quint64 loads = d->loads;
    d->autoPost();
    if (d->loads != loads) {
        // What the post set off read the rows again (a store that reloads
        // what it stored): the position asked for is what still holds.
        if (isActive() && recordCount() > 0)
            d->scrollTo(std::min(row, recordCount() - 1), true);
        return;
    }
    const Row* target = d->rowById.value(targetId);
    if (!target || target->viewPos < 0)
        d->fail(QStringLiteral("o registro pedido saiu da vista ao gravar o registro atual."));
    d->scrollTo(target->viewPos, true);
}

Bookmark RecordSet::bookmark() const
{
    const Row* row = d->currentRow();
    return row ? Bookmark(row->id) : Bookmark();
}

bool RecordSet::bookmarkValid(const Bookmark& bookmark) const
{
    const Row* row = d->rowById.value(bookmark.m_rowId);
    return row && row->viewPos >= 0;
}

void RecordSet::gotoBookmark(const Bookmark& bookmark)
{
    d->requireActive("ir ao marcador");
    if (bookmark.isNull())
        d->fail(QStringLiteral("marcador vazio."));
    d->autoPost();
    const Row* row = d->rowById.value(bookmark.m_rowId);
    if (!row)
        d->fail(QStringLiteral("o registro do marcador foi excluído ou o conjunto foi recarregado."));
    if (row->viewPos < 0)
        d->fail(QStringLiteral("o registro do marcador está oculto pelo filtro atual."));
    d->scrollTo(row->viewPos, true);
}

bool RecordSet::locate(const QString& keyFields, const QVariantList& values, LocateOptions options)
{
    d->requireActive("localizar");
    d->autoPost();
    const int position = find(keyFields, values, options);
    if (position < 0)
        return false;
    d->scrollTo(position, true);
    return true;
}

bool RecordSet::locate(const QString& keyField, const QVariant& value, LocateOptions options)
{
    return locate(keyField, QVariantList{value}, options);
}

// --- editing ----------------------------------------------------------------

void RecordSet::append()
{
    d->requireActive("incluir");
    d->autoPost();
    d->fire(beforeInsert);
    d->fire(beforeScroll);

    const int before = d->current;
    d->rowBeforeInsert = before >= 0 ? d->view[size_t(before)]->id : 0;
    Row* row = d->newRow();
    row->pending = true;
    row->values.resize(d->slotCount);
    d->insertNatural(std::unique_ptr<Row>(row), 0);
    d->rowById.insert(row->id, row);
    d->insertIntoView(row, int(d->view.size()));
    d->buffer = row->values;
    d->setState(State::Insert);
    d->moveCurrent(row->viewPos);
    d->eof = d->bof = false;
    try {
        d->fire(onNewRecord);
        d->recalcBuffer();
    } catch (...) {
        d->dropEdit();
        d->moveCurrent(std::min(before, int(d->view.size()) - 1));
        throw;
    }
    d->fire(afterInsert);
    d->fire(afterScroll);
}

void RecordSet::insert()
{
    d->requireActive("incluir");
    d->autoPost();
    d->fire(beforeInsert);
    d->fire(beforeScroll);

    const int before = d->current;
    Row* currentRow = d->currentRow();
    d->rowBeforeInsert = currentRow ? currentRow->id : 0;
    Row* row = d->newRow();
    row->pending = true;
    row->values.resize(d->slotCount);
    d->insertNatural(std::unique_ptr<Row>(row), currentRow ? currentRow->id : 0);
    d->rowById.insert(row->id, row);
    d->insertIntoView(row, before < 0 ? 0 : before);
    d->buffer = row->values;
    d->setState(State::Insert);
    d->moveCurrent(row->viewPos);
    d->eof = d->bof = false;
    try {
        d->fire(onNewRecord);
        d->recalcBuffer();
    } catch (...) {
        d->dropEdit();
        d->moveCurrent(before);
        throw;
    }
    d->fire(afterInsert);
    d->fire(afterScroll);
}

void RecordSet::edit()
{
    d->requireActive("alterar");
    if (isEditing())
        return;
    if (d->view.empty())
        d->fail(QStringLiteral("não há registro para alterar."));
    d->fire(beforeEdit);
    d->buffer = d->currentRow()->values;
    d->setState(State::Edit);
    d->fire(afterEdit);
}

void RecordSet::post()
{
    d->requireActive("gravar");
    if (!isEditing())
        d->fail(QStringLiteral("não há registro em edição ou inclusão para gravar."));
    {
        BufferRollback rollback(d.get());
        d->fire(beforePost);
        rollback.commit();
    }
    for (const Field* field : d->fields) {
        if (field->isRequired() && field->kind() == Field::Kind::Data && !d->buffer.at(field->m_slot).isValid())
            d->fail(QStringLiteral("o campo \"%1\" deve ser informado.").arg(field->displayLabel()));
    }
    QVariantList values = d->buffer;
    d->runCalc(values);

    Row* row = d->currentRow();
    if (d->state == State::Insert) {
        row->pending = false;
        row->values = std::move(values);
        d->logInsert(row);
        d->aggregatesAdd(row->values);
        d->indexAdd(row);
        d->notifyAggregates();
    } else if (row->values != values) {
        const QVariantList before = row->values;
        d->logUpdate(row, before);
        d->aggregatesRemove(before);
        row->values = std::move(values);
        d->aggregatesAdd(row->values);
        d->indexUpdate(row, before);
        d->notifyAggregates();
    }
    d->buffer.clear();
    d->setState(State::Browse);
    d->notifyRowChanged(row->viewPos, -1);
    d->placeAfterPost(row);
    d->fire(afterPost);
}

void RecordSet::cancel()
{
    if (!isEditing())
        return;
    {
        BufferRollback rollback(d.get());
        d->fire(beforeCancel);
        rollback.commit();
    }
    if (d->state == State::Insert) {
        const int position = d->current;
        d->dropEdit();
        const Row* previous = d->rowById.value(d->rowBeforeInsert);
        int target = previous && previous->viewPos >= 0 ? previous->viewPos : position;
        target = std::min(target, int(d->view.size()) - 1);
        d->moveCurrent(target);
    } else {
        d->buffer.clear();
        d->setState(State::Browse);
        d->notifyRowChanged(d->current, -1);
    }
    d->eof = d->bof = d->view.empty();
    d->fire(afterCancel);
}

void RecordSet::deleteRecord()
{
    d->requireActive("excluir");
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (d->view.empty())
        d->fail(QStringLiteral("não há registro para excluir."));
    {
        BufferRollback rollback(d.get());
        d->fire(beforeDelete);
        d->fire(beforeScroll);
        rollback.commit();
    }
    Row* row = d->currentRow();
    const int position = d->current;
    d->buffer.clear();
    d->setState(State::Browse);

    d->aggregatesRemove(row->values);
    d->indexRemove(row, row->values);
    d->removeFromView(row);
    d->rowById.remove(row->id);
    const auto natural = std::find_if(d->rows.begin(), d->rows.end(), [row](const auto& r) { return r.get() == row; });
    const quint64 nextRowId = natural + 1 != d->rows.end() ? (*(natural + 1))->id : 0;
    std::unique_ptr<Row> owned = d->takeNatural(row);
    d->logDelete(row, std::move(owned), nextRowId);
    d->notifyAggregates();

    d->moveCurrent(std::min(position, int(d->view.size()) - 1));
    d->eof = d->view.empty();
    d->bof = d->view.empty();
    d->fire(afterDelete);
    d->fire(afterScroll);
}

// --- views --------------------------------------------------------------------

void RecordSet::disableControls()
{
    if (d->disableCount == 0 && d->silentCount == 0) {
        d->stateAtSuppress = d->state;
        d->currentAtSuppress = d->current;
    }
    if (d->disableCount++ == 0)
        emit controlsFrozen(true);
}

void RecordSet::enableControls()
{
    if (d->disableCount == 0) {
        qWarning("%s: enableControls sem disableControls", qPrintable(objectName()));
        return;
    }
    if (--d->disableCount > 0)
        return;
    emit controlsFrozen(false);
    if (d->silentCount == 0)
        d->endSuppress();
}

bool RecordSet::controlsDisabled() const
{
    return d->disableCount > 0;
}

QVariant RecordSet::value(int row, int fieldIndex) const
{
    const Field& f = field(fieldIndex);
    if (f.kind() == Field::Kind::Aggregate)
        return d->aggregateValue(f.m_aggregate);
    if (row < 0 || row >= recordCount())
        return {};
    if (row == d->current && isEditing())
        return d->buffer.at(f.m_slot);
    return d->view[size_t(row)]->values.at(f.m_slot);
}

QString RecordSet::displayText(int row, int fieldIndex) const
{
    const Field& f = field(fieldIndex);
    if (row < 0 || row >= recordCount())
        return {};
    const QVariantList* values = row == d->current && isEditing() ? &d->buffer : &d->view[size_t(row)]->values;
    const QVariantList* saved = d->readOverride;
    d->readOverride = values;
    try {
        QString text = f.text();
        d->readOverride = saved;
        return text;
    } catch (...) {
        d->readOverride = saved;
        throw;
    }
}

// --- notifications --------------------------------------------------------

void RecordSetPrivate::beginSuppress()
{
    if (!suppressed()) {
        stateAtSuppress = state;
        currentAtSuppress = current;
        // A bulk change outside disableControls announces its reset before
        // the rows change, as models expect.
        emit q->aboutToReset();
        resetAnnounced = true;
    }
    ++silentCount;
}

void RecordSetPrivate::endSuppress()
{
    if (silentCount > 0)
        --silentCount;
    if (suppressed())
        return;
    const bool reset = resetPending || resetAnnounced;
    if (reset) {
        if (!resetAnnounced)
            emit q->aboutToReset();
        resetPending = false;
        resetAnnounced = false;
        emit q->resetDone();
    }
    if (state != stateAtSuppress)
        emit q->stateChanged(state);
    if (current != currentAtSuppress || reset)
        emit q->currentRowChanged(current);
    if (aggregatesPending) {
        aggregatesPending = false;
        emit q->aggregatesChanged();
    }
}

void RecordSetPrivate::notifyRowChanged(int row, int fieldIndex)
{
    if (deferToReset())
        return;
    if (row >= 0)
        emit q->rowChanged(row, fieldIndex);
}

void RecordSetPrivate::notifyAboutToInsert(int first, int last)
{
    if (deferToReset())
        return;
    emit q->rowsAboutToBeInserted(first, last);
}

void RecordSetPrivate::notifyInserted(int first, int last)
{
    if (!suppressed())
        emit q->rowsInserted(first, last);
}

void RecordSetPrivate::notifyAboutToRemove(int first, int last)
{
    if (deferToReset())
        return;
    emit q->rowsAboutToBeRemoved(first, last);
}

void RecordSetPrivate::notifyRemoved(int first, int last)
{
    if (!suppressed())
        emit q->rowsRemoved(first, last);
}

void RecordSetPrivate::notifyAboutToReset()
{
    if (deferToReset())
        return;
    emit q->aboutToReset();
}

void RecordSetPrivate::notifyReset()
{
    if (!suppressed())
        emit q->resetDone();
}

void RecordSetPrivate::notifyAggregates()
{
    if (aggregates.empty())
        return;
    if (suppressed()) {
        aggregatesPending = true;
        return;
    }
    emit q->aggregatesChanged();
}

void RecordSetPrivate::notifyCurrent()
{
    if (!suppressed())
        emit q->currentRowChanged(current);
}

void RecordSetPrivate::notifyState()
{
    if (!suppressed())
        emit q->stateChanged(state);
}
