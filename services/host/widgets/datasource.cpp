#include "datasource.h"

#include "field.h"
#include "guard.h"

#include <utility>

DataSource::DataSource(const QString& name, QObject* parent) : QObject(parent)
{
    setObjectName(name);
}

DataSource::~DataSource() = default;

RecordSet* DataSource::dataSet() const
{
    return m_dataSet;
}

void DataSource::setDataSet(RecordSet* recordSet)
{
    if (m_dataSet == recordSet)
        return;
    for (const auto& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_dataSet = recordSet;
    connectDataSet();
    emit dataSetChanged();
    onRecordSetState(state());
    notifyData(nullptr);
}

void DataSource::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit dataSetChanged();
    onRecordSetState(state());
    notifyData(nullptr);
}

RecordSet::State DataSource::state() const
{
    if (!m_dataSet || !m_enabled)
        return RecordSet::State::Inactive;
    return m_dataSet->state();
}

bool DataSource::isEditing() const
{
    const RecordSet::State current = state();
    return current == RecordSet::State::Edit || current == RecordSet::State::Insert;
}

bool DataSource::edit()
{
    switch (state()) {
    case RecordSet::State::Edit:
    case RecordSet::State::Insert:
        return true;
    case RecordSet::State::Browse:
        if (!m_autoEdit)
            return false;
        if (m_dataSet->isEmpty())
            m_dataSet->append();   // typing into an empty list starts its first row
        else
            m_dataSet->edit();
        return isEditing();
    case RecordSet::State::Inactive:
        break;
    }
    return false;
}

void DataSource::updateRecord()
{
    if (isEditing())
        emit updateData();
}

void DataSource::connectDataSet()
{
    if (!m_dataSet)
        return;
    RecordSet* rs = m_dataSet;
    m_connections << connect(rs, &RecordSet::stateChanged, this, &DataSource::onRecordSetState);
    m_connections << connect(rs, &RecordSet::rowChanged, this, &DataSource::onRowChanged);
    m_connections << connect(rs, &RecordSet::currentRowChanged, this, [this] { notifyData(nullptr); });
    m_connections << connect(rs, &RecordSet::resetDone, this, [this] { notifyData(nullptr); });
    m_connections << connect(rs, &RecordSet::rowsRemoved, this, [this] { notifyData(nullptr); });
    m_connections << connect(rs, &RecordSet::aggregatesChanged, this, [this, rs] {
        for (Field* field : rs->fields()) {
            if (field->kind() == Field::Kind::Aggregate)
                notifyData(field);
        }
    });
    m_connections << connect(rs, &QObject::destroyed, this, [this] {
        m_connections.clear();
        emit dataSetChanged();
        // A record set goes with its form, whose handlers may be gone
        // already: the widgets hear of it, the form's handler does not.
        const auto handler = std::exchange(onStateChange, nullptr);
        onRecordSetState(RecordSet::State::Inactive);
        onStateChange = handler;
    });
}

void DataSource::onRecordSetState(RecordSet::State)
{
    const RecordSet::State current = state();
    if (current == m_lastState)
        return;
    m_lastState = current;
    emit stateChanged(current);
    if (onStateChange)
        guarded([&] { onStateChange(*this); });
}

void DataSource::onRowChanged(int row, int fieldIndex)
{
    if (!m_dataSet || row != m_dataSet->currentRow())
        return;
    notifyData(fieldIndex >= 0 ? &m_dataSet->field(fieldIndex) : nullptr);
}

void DataSource::refreshField(Field& field)
{
    notifyData(&field);
}

void DataSource::notifyData(Field* field)
{
    if (!m_enabled)
        return;
    emit dataChanged(field);
    if (onDataChange)
        guarded([&] { onDataChange(*this, field); });
}
