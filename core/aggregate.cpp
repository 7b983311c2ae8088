#include "aggregate.h"

#include "recordset_p.h"

#include <QRegularExpression>
#include <cmath>
#include <stdexcept>

namespace {

constexpr qint64 unitsPerOne = 1000000000;   // sums are counted in 1e-9

// The same value always gives the same units, so removing it undoes adding it.
__int128 toUnits(double value)
{
    const double whole = std::trunc(value);
    return __int128(whole) * unitsPerOne + std::llround((value - whole) * double(unitsPerOne));
}

double fromUnits(__int128 units)
{
    const __int128 whole = units / unitsPerOne;
    const __int128 part = units % unitsPerOne;
    return double(whole) + double(part) / double(unitsPerOne);
}

bool isBetter(Aggregate::Function function, const QVariant& candidate, const QVariant& extreme)
{
    const int c = compareValues(candidate, extreme);
    return function == Aggregate::Function::Min ? c < 0 : c > 0;
}

} // namespace

void Aggregate::parse(const QString& expression, Function* function, QString* argument)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^\s*(SUM|COUNT|MIN|MAX|AVG)\s*\(\s*(\*|[A-Za-z_][A-Za-z0-9_]*)\s*\)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = shape.match(expression);
    if (!m.hasMatch())
        throw std::invalid_argument("aggregate expression");
    const QString name = m.captured(1).toUpper();
    *argument = m.captured(2);
    if (*argument == u"*") {
        if (name != u"COUNT")
            throw std::invalid_argument("aggregate expression");
        *function = Function::CountAll;
        argument->clear();
        return;
    }
    if (name == u"SUM")
        *function = Function::Sum;
    else if (name == u"COUNT")
        *function = Function::Count;
    else if (name == u"MIN")
        *function = Function::Min;
    else if (name == u"MAX")
        *function = Function::Max;
    else
        *function = Function::Avg;
}

void Aggregate::reset()
{
    sumUnits = 0;
    count = 0;
    extreme = QVariant();
    extremeStale = false;
}

void Aggregate::add(const QVariant& value)
{
    if (function == Function::CountAll) {
        ++count;
        return;
    }
    if (!value.isValid() || value.isNull())
        return;
    ++count;
    switch (function) {
    case Function::Sum:
    case Function::Avg:
        sumUnits += toUnits(value.toDouble());
        break;
    case Function::Min:
    case Function::Max:
        if (count == 1) {
            extreme = value;
            extremeStale = false;
        } else if (!extremeStale && isBetter(function, value, extreme)) {
            extreme = value;
        }
        break;
    default:
        break;
    }
}

void Aggregate::remove(const QVariant& value)
{
    if (function == Function::CountAll) {
        --count;
        return;
    }
    if (!value.isValid() || value.isNull())
        return;
    --count;
    switch (function) {
    case Function::Sum:
    case Function::Avg:
        sumUnits -= toUnits(value.toDouble());
        break;
    case Function::Min:
    case Function::Max:
        if (count == 0) {
            extreme = QVariant();
            extremeStale = false;
        } else if (!extremeStale && compareValues(value, extreme) == 0) {
            extremeStale = true;
        }
        break;
    default:
        break;
    }
}

QVariant Aggregate::result() const
{
    switch (function) {
    case Function::Count:
    case Function::CountAll:
        return QVariant(qlonglong(count));
    case Function::Sum:
        if (count == 0)
            return {};
        if (integerResult)
            return QVariant(qlonglong(sumUnits / unitsPerOne));
        return fromUnits(sumUnits);
    case Function::Avg:
        if (count == 0)
            return {};
        return fromUnits(sumUnits / count);
    case Function::Min:
    case Function::Max:
        return count == 0 ? QVariant() : extreme;
    }
    return {};
}

// --- record set side --------------------------------------------------------

void RecordSetPrivate::resolveAggregates()
{
    for (Aggregate& aggregate : aggregates) {
        Field* shown = aggregate.field;
        if (aggregate.function == Aggregate::Function::CountAll) {
            aggregate.slot = -1;
            shown->m_type = FieldType::Integer;
            continue;
        }
        const auto it = fieldByUpperName.constFind(aggregate.argument.toUpper());
        if (it == fieldByUpperName.constEnd())
            fail(QStringLiteral("o agregado \"%1\" usa o campo \"%2\", que não existe.")
                     .arg(shown->name(), aggregate.argument));
        const Field* argument = fields[size_t(*it)];
        if (argument->kind() == Field::Kind::Aggregate)
            fail(QStringLiteral("o agregado \"%1\" não pode usar outro agregado.").arg(shown->name()));
        const bool numeric = argument->type() == FieldType::Integer || argument->type() == FieldType::Float;
        if ((aggregate.function == Aggregate::Function::Sum || aggregate.function == Aggregate::Function::Avg) && !numeric)
            fail(QStringLiteral("o agregado \"%1\" soma o campo \"%2\", que não é numérico.")
                     .arg(shown->name(), argument->name()));
        aggregate.slot = argument->m_slot;
        aggregate.integerResult = argument->type() == FieldType::Integer;
        switch (aggregate.function) {
        case Aggregate::Function::Sum:
            shown->m_type = aggregate.integerResult ? FieldType::Integer : FieldType::Float;
            break;
        case Aggregate::Function::Avg:
            shown->m_type = FieldType::Float;
            break;
        case Aggregate::Function::Count:
            shown->m_type = FieldType::Integer;
            break;
        default:
            shown->m_type = argument->type();
            break;
        }
    }
}

void RecordSetPrivate::aggregatesAdd(const QVariantList& values)
{
    if (!aggregatesActive)
        return;
    for (Aggregate& aggregate : aggregates)
        aggregate.add(aggregate.slot < 0 ? QVariant() : values.at(aggregate.slot));
}

void RecordSetPrivate::aggregatesRemove(const QVariantList& values)
{
    if (!aggregatesActive)
        return;
    for (Aggregate& aggregate : aggregates)
        aggregate.remove(aggregate.slot < 0 ? QVariant() : values.at(aggregate.slot));
}

void RecordSetPrivate::aggregatesRecompute()
{
    for (Aggregate& aggregate : aggregates)
        aggregate.reset();
    if (!aggregatesActive || aggregates.empty())
        return;
    for (const auto& row : rows)
        if (!row->pending)
            aggregatesAdd(row->values);
}

QVariant RecordSetPrivate::aggregateValue(int number)
{
    if (!aggregatesActive || state == RecordSet::State::Inactive)
        return {};
    Aggregate& aggregate = aggregates[size_t(number)];
    if (aggregate.extremeStale) {
        QVariant best;
        for (const auto& row : rows) {
            if (row->pending)
                continue;
            const QVariant& value = row->values.at(aggregate.slot);
            if (!value.isValid() || value.isNull())
                continue;
            if (!best.isValid() || isBetter(aggregate.function, value, best))
                best = value;
        }
        aggregate.extreme = best;
        aggregate.extremeStale = false;
    }
    return aggregate.result();
}

void RecordSet::setAggregatesActive(bool active)
{
    if (d->aggregatesActive == active)
        return;
    d->aggregatesActive = active;
    d->aggregatesRecompute();
    d->notifyAggregates();
}

bool RecordSet::aggregatesActive() const
{
    return d->aggregatesActive;
}
