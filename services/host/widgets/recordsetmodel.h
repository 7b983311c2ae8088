#pragma once
// RecordSetModel: a table model over the record set of a data link. Rows are
// the record set's view rows (filtered and ordered as the record set shows
// them); columns are configured explicitly, each bound to a field by name.
//
// Texts come from Field::text() of the painted row (OnGetText and display
// formats apply); edits go through Field::setText() on the current row,
// after the data link has put the record set into edit (AutoEdit). The model
// passes on the record set's notifications exactly: inserts and removals as
// row inserts and removals, a changed value as dataChanged of its cells, bulk
// work done with the controls disabled as one reset.

#include "recordset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class DataSource;
class Field;

struct RecordSetColumn {
    QString fieldName;          // empty: an unbound column (shows nothing)
    QString title;              // empty: the field's display label
    Qt::Alignment alignment;    // 0: numbers right, the rest left
    Qt::Alignment titleAlignment;
    bool readOnly = false;
    QString hint;               // the title's tooltip (a legend, say)
};

class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles beyond Qt's.
    enum Role {
        FieldIndexRole = Qt::UserRole + 1,   // int: the record set's field index, -1 when unbound
        ValueRole,                           // the raw value of the cell
    };

    explicit RecordSetModel(QObject* parent = nullptr);
    ~RecordSetModel() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* dataSource);
    RecordSet* recordSet() const;   // null when unbound, inactive links included

    void setColumns(const QList<RecordSetColumn>& columns);
    void setColumns(const QStringList& fieldNames);
    const QList<RecordSetColumn>& columns() const { return m_columns; }
    // The bound field of a column, or null (unbound, unknown, inactive).
    Field* field(int column) const;
    int fieldIndex(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Writes a typed text into the cell's field: the record set moves to the
    // row, goes into edit (AutoEdit) and takes the text through setText().
    // False when the cell takes no typing; failures pass through (Abort
    // included) for callers that run guarded.
    bool writeText(const QModelIndex& index, const QString& text);

    // Tells views that every cell may show differently (a hook's colours or
    // texts changed without the record set changing).
    void refresh();

    // True while rows are being inserted, removed or reset: a view's cursor
    // moved by that is not a person moving it.
    bool isChangingRows() const { return m_changingRows; }

signals:
    // The record set's current row (-1 none), after the rows are in place.
    void currentRowChanged(int row);

private:
    void bind();
    void unbind();
    void resolveFields();
    void onRowChanged(int row, int fieldIndex);
    void onStateChanged();
    void announceCurrentRow();
    bool isValidCell(const QModelIndex& index) const;

    QPointer<DataSource> m_dataSource;
    QPointer<RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
    QList<RecordSetColumn> m_columns;
    QList<int> m_fieldIndexes;         // per column; -1 unbound
    QList<int> m_calculatedColumns;    // columns whose fields a value change may recompute
    bool m_resetting = false;
    bool m_changingRows = false;
    int m_indicatorRow = -1;
};
