#pragma once
// RecordSet: a client-side table of named, typed fields with a current row,
// a state, events, calculated fields, a filter, aggregates and a change log.
// Every table of every screen is one, named "cds..." (the QObject name).
//
// ---------------------------------------------------------------------------
// Life cycle
//   RecordSet cds("cdsItemPedido");
//   cds.addField("NRPEDIDO", FieldType::String, 10);          // before opening
//   cds.addField("VrTotal", FieldType::Float, 0, Field::Kind::Calculated);
//   cds.addAggregate("VRTOTAPROD", "SUM(VRTOTALITEM)");
//   cds.setData(packet);       // or createDataSet() for an empty table
//   ...
//   std::optional<Delta> d = cds.delta();   // nullopt: no changes
//   cds.mergeChangeLog();                   // after the server accepted it
// A record set without declared fields takes them from each packet it loads
// (declaring a field afterwards replaces them).
//
// States: Inactive -> (createDataSet/open/setData) -> Browse
//         Browse -> edit() -> Edit;  Browse -> append()/insert() -> Insert
//         Edit/Insert -> post() or cancel() -> Browse;  close() -> Inactive
// Refused (RecordSetError, nothing changes): any row operation while
// inactive; edit()/deleteRecord() on an empty set; post() in browse;
// addField() while active; a field name that does not exist.
// Allowed and harmless: cancel() in browse; edit() while already editing or
// inserting.
//
// ---------------------------------------------------------------------------
// Event order (each event is a replaceable std::function member; an empty
// one is skipped). "post" below means the whole post() sequence, run
// automatically when a row is being edited or inserted.
//
//   append()/insert():  [post] BeforeInsert, BeforeScroll, (new row, state
//                       Insert) OnNewRecord, (calculated fields) AfterInsert,
//                       AfterScroll
//   edit():             BeforeEdit, (state Edit) AfterEdit
//   post():             BeforePost, (required fields checked, calculated
//                       fields, row stored, change log, aggregates, state
//                       Browse) AfterPost
//   cancel():           BeforeCancel, (edit discarded / new row removed,
//                       state Browse) AfterCancel
//   deleteRecord():     BeforeDelete, BeforeScroll, (row removed, state
//                       Browse) AfterDelete, AfterScroll.
//                       In Insert state it is cancel(); in Edit state the
//                       pending edit is dropped with the row.
//   first(), last(), locate() when found, gotoBookmark(), setCurrentRow():
//                       [post] BeforeScroll, (move) AfterScroll
//                       (both even when the row does not change)
//   next(), prior(), moveBy():
//                       [post] BeforeScroll, (move) AfterScroll only when
//                       the current row changed
//   createDataSet(), open(), setData(), loadFromFile():
//                       (the packet is read and every row calculated first:
//                       a bad packet or a failing OnCalcFields changes
//                       nothing) [BeforeClose, AfterClose when active]
//                       BeforeOpen, (rows in, state Browse, first row
//                       current) AfterOpen, AfterScroll
//   close():            BeforeClose, (rows dropped, state Inactive) AfterClose
//   OnCalcFields:       for every row loaded, after every setValue of a data
//                       field while editing, after OnNewRecord and at post.
//
// Exceptions: one thrown by a Before event (or OnNewRecord, or OnCalcFields)
// leaves the record set exactly as it was: state, current row, values
// (including values the handler set in the edit buffer), log, aggregates.
// One thrown by an After event leaves the completed operation in place and
// skips the events after it. A failing automatic post stops the navigation
// that asked for it. (BeforeOpen runs after the old rows closed: when it
// fails, the record set stays closed.)
//
// Undo and revert (undoLastChange, revertRecord, cancelUpdates,
// mergeChangeLog), setFilter/setFiltered, setIndexFieldNames and
// emptyDataSet raise no row events (the cursor may move without scroll
// events); they notify views. A pending edit is cancelled first (with
// BeforeCancel/AfterCancel) by undoLastChange, revertRecord and
// cancelUpdates, posted first by filter and index changes, dropped by
// emptyDataSet, setData and close, and left alone by mergeChangeLog.
//
// ---------------------------------------------------------------------------
// Rows seen by navigation and views: the rows that pass the filter, in the
// order of the index fields (natural order: as loaded, appended rows at the
// end, inserted rows before the current one). A row being inserted is shown
// at its place from the start (recordCount() counts it) and the filter is
// applied to it when posted; a posted row that no longer passes the filter
// leaves the view (the cursor stays at the same position, no scroll events);
// with index fields set, a posted row moves to its sorted place and stays
// current.
//
// Aggregates cover every posted row, filtered or not; a row being edited
// counts with its posted values until post. SUM and COUNT and AVG are kept
// in constant time per change; sums are kept as integers of 1e-9 units, so
// adding and removing a value leaves no drift. MIN and MAX recompute lazily
// when their extreme row goes. SUM, MIN, MAX and AVG of no values are null;
// COUNT is 0.
//
// Change log: every posted insert and edit and every delete, with the row's
// original values. An edit of an inserted row stays an insert; deleting an
// inserted row drops it from the log; a post that changed nothing is not
// logged. changeCount() counts undoable steps. delta() lists one change per
// row, in the order of the changes, with the data fields that write back;
// a pending edit is not part of it until posted.
//
// data() copies the current values of every posted row (filter ignored, data
// fields only, no change-log state: the copy is a fresh table); setData() loads a
// packet as unchanged rows, mapping fields by name (case-insensitive; packet
// fields the record set does not declare are ignored, a declared data field
// missing from the packet is an error).
//
// Views: the signals below describe every change exactly, in the
// QAbstractItemModel style (about-to / done pairs, the about-to signal sent
// before the rows change). Rows are view positions, 0-based. Loading,
// closing, emptying, cancelUpdates, filter and order changes are one reset.
// While controls are disabled (disableControls) no row signal is sent; the
// last enableControls() sends aboutToReset and resetDone together when
// anything changed (so a view that paints meanwhile must check row bounds;
// controlsFrozen lets it stop painting), then stateChanged and
// currentRowChanged when those differ.

#include "datapacket.h"
#include "field.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class RecordSet;

// A refused operation or a programming error (unknown field, bad bookmark):
// the message names the record set and what was wrong, in Portuguese.
class RecordSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Points at one row, stable across inserts and deletes of other rows and
// across filtering and sorting. Invalid once its row is deleted (until an
// undo brings the row back) and after a reload.
class Bookmark {
public:
    Bookmark() = default;
    bool isNull() const { return m_rowId == 0; }
    bool operator==(const Bookmark&) const = default;

private:
    friend class RecordSet;
    explicit Bookmark(quint64 rowId) : m_rowId(rowId) {}
    quint64 m_rowId = 0;
};

struct RecordSetPrivate;

class RecordSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)
    enum class UpdateStatus { Unmodified, Modified, Inserted };   // a deleted row is never current
    enum LocateOption { NoLocateOption = 0, CaseInsensitive = 1, PartialKey = 2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    using Event = std::function<void(RecordSet&)>;

    explicit RecordSet(const QString& name, QObject* parent = nullptr);
    ~RecordSet() override;

    QString name() const { return objectName(); }

    // --- Fields -----------------------------------------------------------
    // Only while inactive. Names are unique, case-insensitive.
    Field& addField(const QString& name, FieldType type, int size = 0, Field::Kind kind = Field::Kind::Data);
    void addFields(const QList<FieldDef>& defs);   // data fields
    // expression: SUM(F), COUNT(F), COUNT(*), MIN(F), MAX(F), AVG(F); F any
    // stored field (data or calculated). Checked when the record set opens.
    Field& addAggregate(const QString& name, const QString& expression);
    void clearFields();                            // only while inactive

    int fieldCount() const;
    Field& field(int index) const;
    const std::vector<Field*>& fields() const;
    Field& fieldByName(const QString& name) const; // throws: "cdsX: campo \"Y\" não encontrado."
    Field* findField(const QString& name) const;   // nullptr when absent
    int fieldIndex(const QString& name) const;     // -1 when absent
    QList<FieldDef> fieldDefs() const;             // the data fields

    // --- Opening and loading ----------------------------------------------
    void createDataSet();                    // empty table from the fields
    void open();                             // same as createDataSet (no provider)
    void close();
    bool isActive() const;
    State state() const;
    bool isEditing() const;                  // Edit or Insert

    void setData(const DataPacket& packet);  // replaces all rows; opens
    DataPacket data() const;                 // current values of every posted row
    void emptyDataSet();                     // no rows, empty change log
    void saveToFile(const QString& path) const;   // data packet JSON; throws on I/O failure
    void loadFromFile(const QString& path);       // throws on I/O or packet failure

    // --- Navigation -------------------------------------------------------
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);                // returns the distance moved
    bool eof() const;                        // next() found no further row, or empty
    bool bof() const;                        // first(), or prior() found no earlier row
    int recordCount() const;                 // rows in the view, a row being inserted included
    bool isEmpty() const;
    int recNo() const;                       // 1-based; 0 when empty
    int currentRow() const;                  // 0-based view position; -1 when empty
    // Scroll events; for views. When the automatic post reloads the rows,
    // the same position (or the last row) of the new rows becomes current.
    void setCurrentRow(int row);

    Bookmark bookmark() const;               // of the current row (null when empty)
    bool bookmarkValid(const Bookmark& bookmark) const;   // row exists and is in the view
    void gotoBookmark(const Bookmark& bookmark);          // throws when not valid, saying why

    // keyFields "CDFILIAL;NRPEDIDO;NRITEMPED", one value per field. Searches
    // the view; the first matching row becomes current. An index per key is
    // built on first use and kept up to date while rows change.
    bool locate(const QString& keyFields, const QVariantList& values, LocateOptions options = {});
    bool locate(const QString& keyField, const QVariant& value, LocateOptions options = {});
    // The view position of the first match, without moving; -1 when none.
    int find(const QString& keyFields, const QVariantList& values, LocateOptions options = {}) const;

    // Sorts the view ascending by "A;B" (nulls first); empty = natural order.
    void setIndexFieldNames(const QString& fieldNames);
    QString indexFieldNames() const;

    // --- Editing ----------------------------------------------------------
    void append();
    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // --- Filter -----------------------------------------------------------
    // Parsed at once (FilterError with the position of the fault; the old
    // filter stays). Field names are checked when the filter applies.
    void setFilter(const QString& text);
    QString filter() const;
    void setFiltered(bool filtered);
    bool isFiltered() const;

    // --- Aggregates ---------------------------------------------------------
    void setAggregatesActive(bool active);   // off: aggregate fields are null
    bool aggregatesActive() const;

    // --- Change log -------------------------------------------------------
    std::optional<Delta> delta() const;      // nullopt when there are no changes
    int changeCount() const;
    bool hasChanges() const { return changeCount() > 0; }
    void mergeChangeLog();                   // accept: current values become the originals
    void cancelUpdates();                    // back to the originals
    bool undoLastChange(bool followChange);  // false when nothing to undo
    void revertRecord();                     // current row back to its original
    UpdateStatus updateStatus() const;       // of the current row
    bool isInserted(int row) const;
    bool isModified(int row) const;
    QStringList changedFields(int row) const;   // data fields differing from the original

    // --- Views --------------------------------------------------------------
    void disableControls();                  // nests
    void enableControls();
    bool controlsDisabled() const;
    QVariant value(int row, int fieldIndex) const;      // the edit buffer for the row being edited
    QString displayText(int row, int fieldIndex) const; // Field::text() of that row

    // --- Events -------------------------------------------------------------
    Event beforeInsert, afterInsert, onNewRecord;
    Event beforeEdit, afterEdit;
    Event beforePost, afterPost;
    Event beforeCancel, afterCancel;
    Event beforeDelete, afterDelete;
    Event beforeScroll, afterScroll;
    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event onCalcFields;

signals:
    void stateChanged(RecordSet::State state);
    void currentRowChanged(int row);                 // -1 when there is none
    void rowChanged(int row, int fieldIndex);        // fieldIndex -1: several fields
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void aboutToReset();                             // fields, rows or order changed wholesale
    void resetDone();
    void aggregatesChanged();
    void controlsFrozen(bool frozen);                // first disable / last enable

private:
    friend class Field;
    friend struct RecordSetPrivate;
    std::unique_ptr<RecordSetPrivate> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(RecordSet::LocateOptions)

// Keeps the controls disabled for a scope, in every case.
class ControlsFreeze {
public:
    explicit ControlsFreeze(RecordSet& recordSet) : m_recordSet(recordSet) { m_recordSet.disableControls(); }
    ~ControlsFreeze() { m_recordSet.enableControls(); }
    ControlsFreeze(const ControlsFreeze&) = delete;
    ControlsFreeze& operator=(const ControlsFreeze&) = delete;

private:
    RecordSet& m_recordSet;
};
