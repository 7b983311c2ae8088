#pragma once
// FieldLink: what every bound control shares — a data link, a field name,
// and the calls that tell the control when to show the field again, when to
// write what it holds, and whether it may take typing.

#include "recordset.h"

#include <QObject>
#include <QPointer>
#include <functional>

class DataSource;
class Field;

class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject* parent = nullptr);

    DataSource* dataSource() const;
    void setDataSource(DataSource* dataSource);
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString& fieldName);

    // The bound field of the current row, or null (no link, inactive, unknown name).
    Field* field() const;
    RecordSet::State state() const;
    bool canModify() const;   // a field that takes values, AutoEdit or already editing

    // Before a change: puts the record set into edit (AutoEdit). False when it
    // cannot take the value; failures of BeforeEdit pass through.
    bool edit();

    // The control's duties, set by the control.
    std::function<void()> showValue;     // display the field's value again
    std::function<void()> writeValue;    // write pending text into the field

signals:
    void activeChanged();                // bound field or state changed

private:
    void rebind();

    QPointer<DataSource> m_dataSource;
    QList<QMetaObject::Connection> m_connections;
    QString m_fieldName;
};

// The binding accessors every bound control exposes, kept on one FieldLink
// the control owns. Inherit after the Qt widget base.
class FieldBound {
public:
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataSource(DataSource* dataSource) { m_link->setDataSource(dataSource); }
    QString dataField() const { return m_link->fieldName(); }
    void setDataField(const QString& fieldName) { m_link->setFieldName(fieldName); }
    Field* field() const { return m_link->field(); }

protected:
    explicit FieldBound(QObject* owner) : m_link(new FieldLink(owner)) {}
    ~FieldBound() = default;

    // Before typing changes the text: true when unbound or the row took the
    // edit (FieldLink::edit inside the host's guard).
    bool prepareChange();

    FieldLink* const m_link;
};
