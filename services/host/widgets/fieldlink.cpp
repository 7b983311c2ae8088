#include "fieldlink.h"

#include "datasource.h"
#include "field.h"
#include "guard.h"

FieldLink::FieldLink(QObject* parent) : QObject(parent) {}

DataSource* FieldLink::dataSource() const
{
    return m_dataSource;
}

void FieldLink::setDataSource(DataSource* dataSource)
{
    if (m_dataSource == dataSource)
        return;
    for (const auto& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_dataSource = dataSource;
    if (m_dataSource) {
        m_connections << connect(m_dataSource, &DataSource::dataChanged, this, [this](Field* changed) {
            if (!changed || changed == field())
                rebind();
        });
        m_connections << connect(m_dataSource, &DataSource::dataSetChanged, this, &FieldLink::rebind);
        m_connections << connect(m_dataSource, &DataSource::stateChanged, this, &FieldLink::rebind);
        m_connections << connect(m_dataSource, &DataSource::updateData, this, [this] {
            if (writeValue)
                writeValue();
        });
    }
    rebind();
}

void FieldLink::setFieldName(const QString& fieldName)
{
    if (m_fieldName == fieldName)
        return;
    m_fieldName = fieldName;
    rebind();
}

Field* FieldLink::field() const
{
    if (!m_dataSource || m_fieldName.isEmpty() || m_dataSource->state() == RecordSet::State::Inactive)
        return nullptr;
    return m_dataSource->dataSet()->findField(m_fieldName);
}

RecordSet::State FieldLink::state() const
{
    return m_dataSource ? m_dataSource->state() : RecordSet::State::Inactive;
}

bool FieldLink::canModify() const
{
    const Field* f = field();
    if (!f || f->isReadOnly() || f->isCalculated() || f->kind() == Field::Kind::Aggregate)
        return false;
    return m_dataSource->isEditing() || m_dataSource->autoEdit();
}

bool FieldLink::edit()
{
    if (!canModify())
        return false;
    return m_dataSource->edit();
}

void FieldLink::rebind()
{
    emit activeChanged();
    if (showValue)
        showValue();
}

bool FieldBound::prepareChange()
{
    if (!field())
        return true;
    bool canType = false;
    guarded([&] { canType = m_link->edit(); });
    return canType;
}
