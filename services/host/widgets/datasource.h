#pragma once
// DataSource: the data link ("dts...") between one record set and the
// controls that show it. Controls listen to the link, not to the record set,
// so a screen can rebind or switch off all its controls at once.
//
//   DataSource dtsItem("dtsItem");
//   dtsItem.setDataSet(&cdsItemPedido);
//   dtsItem.onStateChange = [this](DataSource&) { dtsItemStateChange(); };
//
// Hooks run inside the host's guard: Abort ends them quietly, other failures
// are shown, nothing crosses the Qt event loop.

#include "recordset.h"

#include <QObject>
#include <QPointer>
#include <functional>

class Field;

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString& name = QString(), QObject* parent = nullptr);
    ~DataSource() override;

    RecordSet* dataSet() const;
    void setDataSet(RecordSet* recordSet);

    // A disabled link shows its controls empty and tells them nothing.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Typing into a control puts a browsing record set into edit.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

    // Inactive when there is no record set or the link is disabled.
    RecordSet::State state() const;
    bool isEditing() const;

    // Called by a control about to change a value: a browsing record set goes
    // into edit when AutoEdit allows it. Returns whether the row can now take
    // values. Failures of BeforeEdit pass through (Abort included).
    bool edit();

    // Bound controls write the text they hold into their fields; call before
    // posting from code so nothing typed is lost (the grids and edits also
    // write on exit and on Enter).
    void updateRecord();

    // A field's display settings (an edit mask, say) changed: its controls
    // show the value again.
    void refreshField(Field& field);

    // Screen hooks; `field` is null when the whole row changed (scroll,
    // reload, several fields).
    std::function<void(DataSource&)> onStateChange;
    std::function<void(DataSource&, Field* field)> onDataChange;

signals:
    void stateChanged(RecordSet::State state);
    void dataChanged(Field* field);        // current row's values to show again
    void dataSetChanged();                 // another record set, or enabled switched
    void updateData();                     // controls: write pending text now

private:
    void connectDataSet();
    void onRecordSetState(RecordSet::State state);
    void onRowChanged(int row, int fieldIndex);
    void notifyData(Field* field);

    QPointer<RecordSet> m_dataSet;
    QList<QMetaObject::Connection> m_connections;
    RecordSet::State m_lastState = RecordSet::State::Inactive;
    bool m_enabled = true;
    bool m_autoEdit = true;
};
