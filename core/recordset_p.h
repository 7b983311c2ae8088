#pragma once
// Inside of RecordSet: rows, view, edit buffer, change log, indexes.
// Shared by recordset*.cpp, aggregate.cpp and field.cpp only.

#include "aggregate.h"
#include "filterexpression.h"
#include "recordset.h"

#include <QHash>
#include <memory>
#include <unordered_map>
#include <vector>

enum class RowStatus { Unmodified, Modified, Inserted };

struct Row {
    quint64 id = 0;
    QVariantList values;     // one per stored field (Field::m_slot)
    QVariantList original;   // Modified: the values as loaded or merged
    RowStatus status = RowStatus::Unmodified;
    quint64 changeSeq = 0;   // place in the delta
    int viewPos = -1;        // -1: hidden by the filter
    bool pending = false;    // being inserted, not posted yet
};

// One undoable step of the change log.
struct ChangeStep {
    enum class Kind { Insert, Update, Delete } kind = Kind::Insert;
    quint64 rowId = 0;
    quint64 seq = 0;
    // Update: the row as it was before the post.
    QVariantList valuesBefore;
    QVariantList originalBefore;
    RowStatus statusBefore = RowStatus::Unmodified;
    quint64 changeSeqBefore = 0;
    // Delete: the removed row and the row that followed it in natural order.
    std::unique_ptr<Row> deletedRow;
    quint64 nextRowId = 0;
};

// Rows of one key ("CDFILIAL;NRPEDIDO") by hash of their key values.
struct KeyIndex {
    QList<int> keySlots;
    bool caseInsensitive = false;
    std::unordered_multimap<size_t, Row*> rows;
};

struct RecordSetPrivate {
    explicit RecordSetPrivate(RecordSet* q) : q(q) {}

    RecordSet* q;

    // Fields
    std::vector<std::unique_ptr<Field>> fieldStore;
    std::vector<Field*> fields;
    QHash<QString, int> fieldByUpperName;
    QHash<QString, int> fieldByExactName;   // the common case, without case folding
    QList<int> dataSlots;          // slots of data fields, in field order
    bool hasCalculated = false;
    bool fieldsFromPacket = false; // redefined by every setData
    int slotCount = 0;

    // Rows
    RecordSet::State state = RecordSet::State::Inactive;
    std::vector<std::unique_ptr<Row>> rows;   // natural order
    std::vector<Row*> view;                   // filtered and sorted
    QHash<quint64, Row*> rowById;
    quint64 lastRowId = 0;
    quint64 loads = 0;              // times the rows were all replaced
    int current = -1;
    bool eof = true;
    bool bof = true;

    // Editing
    QVariantList buffer;            // the row being edited or inserted
    quint64 rowBeforeInsert = 0;    // current row when insert() began
    // Reads are redirected while a row is calculated or painted.
    const QVariantList* readOverride = nullptr;
    QVariantList* calcTarget = nullptr;

    // Filter and order
    QString filterText;
    FilterExpression filter;
    bool filtered = false;
    QString indexFieldNames;
    QList<int> sortSlots;

    // Aggregates
    std::vector<Aggregate> aggregates;
    bool aggregatesActive = true;

    // Change log
    std::vector<ChangeStep> steps;
    QHash<quint64, Row*> changedRows;   // live rows with status other than Unmodified
    quint64 lastSeq = 0;

    // Locate indexes, keyed by slot list and case option
    std::vector<std::unique_ptr<KeyIndex>> indexes;

    // View notifications
    int disableCount = 0;
    int silentCount = 0;
    bool resetPending = false;     // a change went unannounced while suppressed
    bool resetAnnounced = false;   // aboutToReset already sent by a bulk change
    bool aggregatesPending = false;
    RecordSet::State stateAtSuppress = RecordSet::State::Inactive;
    int currentAtSuppress = -1;

    // --- helpers (recordset.cpp) ---
    [[noreturn]] void fail(const QString& message) const;
    void requireActive(const char* action) const;
    Field& fieldOrFail(const QString& name) const;
    void fire(const RecordSet::Event& event);
    Row* currentRow() const { return current >= 0 ? view[size_t(current)] : nullptr; }
    const QVariantList* activeValues() const;
    QVariant coerce(const Field& field, const QVariant& value) const;
    // Computes the calculated fields of `values`. Unless inPlace, a throwing
    // OnCalcFields leaves `values` untouched.
    void runCalc(QVariantList& values, bool inPlace = false);
    int indexOfField(const QString& name) const;
    void recalcBuffer();
    void autoPost();
    void setState(RecordSet::State newState);
    void setCurrent(int position);    // notifies when the position changes
    void moveCurrent(int position);   // notifies always (the row at a position may differ)
    void scrollTo(int position, bool afterScrollAlways);
    void dropEdit();
    Row* newRow();

    // --- rows and view (recordset_view.cpp) ---
    bool passesFilter(const Row* row) const;
    bool rowLess(const Row* a, const Row* b) const;
    void rebuildView(bool keepCurrent);
    void insertIntoView(Row* row, int position);
    void removeFromView(Row* row);
    int sortedPosition(const Row* row) const;
    void placeAfterPost(Row* row);
    void insertNatural(std::unique_ptr<Row> row, quint64 beforeRowId);
    std::unique_ptr<Row> takeNatural(Row* row);
    void bindFilter(FilterExpression& expression) const;
    QList<int> slotsOf(const QString& fieldNames) const;
    void clearRows();

    // --- locate indexes (recordset_view.cpp) ---
    KeyIndex& indexFor(const QList<int>& keySlots, bool caseInsensitive);
    size_t keyHash(const KeyIndex& index, const QVariantList& values) const;
    void indexAdd(Row* row);
    void indexRemove(Row* row, const QVariantList& oldValues);
    void indexUpdate(Row* row, const QVariantList& oldValues);

    // --- change log (recordset_changelog.cpp) ---
    void logInsert(Row* row);
    void logUpdate(Row* row, const QVariantList& valuesBefore);
    void logDelete(Row* row, std::unique_ptr<Row> owned, quint64 nextRowId);
    void dropStepsOf(quint64 rowId);
    void undoStep(ChangeStep& step, quint64* affectedRowId);
    void clearLog();

    // --- aggregates (aggregate.cpp) ---
    void resolveAggregates();
    void aggregatesAdd(const QVariantList& values);
    void aggregatesRemove(const QVariantList& values);
    void aggregatesRecompute();
    QVariant aggregateValue(int number);

    // --- notifications ---
    bool suppressed() const { return disableCount > 0 || silentCount > 0; }
    // While suppressed, a row-level change is folded into one reset sent when
    // suppression ends; true means the caller must not emit.
    bool deferToReset()
    {
        if (!suppressed())
            return false;
        resetPending = true;
        return true;
    }
    void beginSuppress();
    void endSuppress();
    void notifyRowChanged(int row, int fieldIndex);
    void notifyAboutToInsert(int first, int last);
    void notifyInserted(int first, int last);
    void notifyAboutToRemove(int first, int last);
    void notifyRemoved(int first, int last);
    void notifyAboutToReset();
    void notifyReset();
    void notifyAggregates();
    void notifyCurrent();
    void notifyState();
};

// Suppresses row notifications for a bulk change; ends with one reset.
class SilentChange {
public:
    explicit SilentChange(RecordSetPrivate* d) : d(d) { d->beginSuppress(); }
    ~SilentChange() { d->endSuppress(); }
    SilentChange(const SilentChange&) = delete;
    SilentChange& operator=(const SilentChange&) = delete;

private:
    RecordSetPrivate* d;
};

// Compares two values of one field type: numbers as numbers, text as text,
// dates by time. Nulls first.
int compareValues(const QVariant& a, const QVariant& b);
bool sameValue(const QVariant& a, const QVariant& b);
