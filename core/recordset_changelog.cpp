// The change log of a record set: what was inserted, changed and deleted
// since the rows were loaded or merged, and how to take it back.

#include "recordset_p.h"

#include <algorithm>

// --- logging --------------------------------------------------------------

void RecordSetPrivate::logInsert(Row* row)
{
    ChangeStep step;
    step.kind = ChangeStep::Kind::Insert;
    step.rowId = row->id;
    step.seq = ++lastSeq;
    row->status = RowStatus::Inserted;
    row->changeSeq = step.seq;
    changedRows.insert(row->id, row);
    steps.push_back(std::move(step));
}

void RecordSetPrivate::logUpdate(Row* row, const QVariantList& valuesBefore)
{
    ChangeStep step;
    step.kind = ChangeStep::Kind::Update;
    step.rowId = row->id;
    step.seq = ++lastSeq;
    step.valuesBefore = valuesBefore;
    step.originalBefore = row->original;
    step.statusBefore = row->status;
    step.changeSeqBefore = row->changeSeq;
    if (row->status == RowStatus::Unmodified) {
        row->status = RowStatus::Modified;
        row->original = valuesBefore;
        row->changeSeq = step.seq;
        changedRows.insert(row->id, row);
    }
    steps.push_back(std::move(step));
}

void RecordSetPrivate::logDelete(Row* row, std::unique_ptr<Row> owned, quint64 nextRowId)
{
    changedRows.remove(row->id);
    if (row->status == RowStatus::Inserted) {
        // Never reached the server: it leaves the log without a trace. Rows
        // deleted earlier that were placed before it now go before its successor.
        for (ChangeStep& step : steps)
            if (step.kind == ChangeStep::Kind::Delete && step.nextRowId == row->id)
                step.nextRowId = nextRowId;
        dropStepsOf(row->id);
        return;
    }
    ChangeStep step;
    step.kind = ChangeStep::Kind::Delete;
    step.rowId = row->id;
    step.seq = ++lastSeq;
    step.nextRowId = nextRowId;
    step.deletedRow = std::move(owned);
    steps.push_back(std::move(step));
}

void RecordSetPrivate::dropStepsOf(quint64 rowId)
{
    steps.erase(std::remove_if(steps.begin(), steps.end(),
                               [rowId](const ChangeStep& step) {
                                   return step.rowId == rowId && step.kind != ChangeStep::Kind::Delete;
                               }),
                steps.end());
}

void RecordSetPrivate::clearLog()
{
    steps.clear();
    changedRows.clear();
}

// --- undo -----------------------------------------------------------------

void RecordSetPrivate::undoStep(ChangeStep& step, quint64* affectedRowId)
{
    *affectedRowId = 0;
    switch (step.kind) {
    case ChangeStep::Kind::Insert: {
        Row* row = rowById.value(step.rowId);
        aggregatesRemove(row->values);
        indexRemove(row, row->values);
        removeFromView(row);
        rowById.remove(row->id);
        changedRows.remove(row->id);
        takeNatural(row);
        break;
    }
    case ChangeStep::Kind::Update: {
        Row* row = rowById.value(step.rowId);
        const QVariantList after = row->values;
        aggregatesRemove(after);
        row->values = step.valuesBefore;
        row->original = step.originalBefore;
        row->status = step.statusBefore;
        row->changeSeq = step.changeSeqBefore;
        if (row->status == RowStatus::Unmodified)
            changedRows.remove(row->id);
        aggregatesAdd(row->values);
        indexUpdate(row, after);
        notifyRowChanged(row->viewPos, -1);
        *affectedRowId = row->id;
        break;
    }
    case ChangeStep::Kind::Delete: {
        Row* row = step.deletedRow.get();
        insertNatural(std::move(step.deletedRow), step.nextRowId);
        rowById.insert(row->id, row);
        if (row->status != RowStatus::Unmodified)
            changedRows.insert(row->id, row);
        aggregatesAdd(row->values);
        indexAdd(row);
        if (!filtered && sortSlots.isEmpty()) {
            const auto it = std::find_if(rows.begin(), rows.end(), [row](const auto& r) { return r.get() == row; });
            insertIntoView(row, int(it - rows.begin()));
        }
        *affectedRowId = row->id;
        break;
    }
    }
}

bool RecordSet::undoLastChange(bool followChange)
{
    d->requireActive("desfazer");
    cancel();
    if (d->steps.empty())
        return false;
    ChangeStep step = std::move(d->steps.back());
    d->steps.pop_back();
    quint64 affected = 0;
    d->undoStep(step, &affected);
    if (d->filtered || !d->sortSlots.isEmpty())
        d->rebuildView(true);
    const Row* row = d->rowById.value(affected);
    if (followChange && row && row->viewPos >= 0)
        d->moveCurrent(row->viewPos);
    else
        d->moveCurrent(std::min(std::max(d->current, 0), int(d->view.size()) - 1));
    d->eof = d->bof = d->view.empty();
    d->notifyAggregates();
    return true;
}

void RecordSet::cancelUpdates()
{
    d->requireActive("cancelar as alterações");
    cancel();
    if (d->steps.empty())
        return;
    SilentChange silent(d.get());
    const quint64 keepId = d->currentRow() ? d->currentRow()->id : 0;
    while (!d->steps.empty()) {
        ChangeStep step = std::move(d->steps.back());
        d->steps.pop_back();
        quint64 affected = 0;
        d->undoStep(step, &affected);
    }
    d->rebuildView(false);
    const Row* kept = d->rowById.value(keepId);
    d->moveCurrent(kept ? kept->viewPos : (d->view.empty() ? -1 : 0));
    d->eof = d->bof = d->view.empty();
    d->notifyAggregates();
}

void RecordSet::revertRecord()
{
    d->requireActive("reverter o registro");
    cancel();
    Row* row = d->currentRow();
    if (!row || row->status == RowStatus::Unmodified)
        return;
    if (row->status == RowStatus::Inserted) {
        const int position = row->viewPos;
        const auto natural = std::find_if(d->rows.begin(), d->rows.end(), [row](const auto& r) { return r.get() == row; });
        const quint64 nextRowId = natural + 1 != d->rows.end() ? (*(natural + 1))->id : 0;
        d->aggregatesRemove(row->values);
        d->indexRemove(row, row->values);
        d->removeFromView(row);
        d->rowById.remove(row->id);
        std::unique_ptr<Row> owned = d->takeNatural(row);
        d->logDelete(row, std::move(owned), nextRowId);   // an inserted row leaves no trace
        d->moveCurrent(std::min(position, int(d->view.size()) - 1));
    } else {
        const QVariantList after = row->values;
        d->aggregatesRemove(after);
        row->values = row->original;
        row->original.clear();
        row->status = RowStatus::Unmodified;
        row->changeSeq = 0;
        d->changedRows.remove(row->id);
        d->dropStepsOf(row->id);
        d->aggregatesAdd(row->values);
        d->indexUpdate(row, after);
        d->notifyRowChanged(row->viewPos, -1);
        if (d->filtered || !d->sortSlots.isEmpty())
            d->rebuildView(true);
    }
    d->eof = d->bof = d->view.empty();
    d->notifyAggregates();
}

void RecordSet::mergeChangeLog()
{
    d->requireActive("aceitar as alterações");
    for (Row* row : std::as_const(d->changedRows)) {
        row->status = RowStatus::Unmodified;
        row->original.clear();
        row->changeSeq = 0;
        d->notifyRowChanged(row->viewPos, -1);
    }
    d->clearLog();
}

// --- queries --------------------------------------------------------------

int RecordSet::changeCount() const
{
    return int(d->steps.size());
}

std::optional<Delta> RecordSet::delta() const
{
    if (d->steps.empty())
        return std::nullopt;
    QList<int> keySlots;
    Delta delta;
    for (const Field* field : d->fields) {
        if (field->kind() == Field::Kind::Data && field->writesBack()) {
            keySlots.append(field->m_slot);
            delta.fields.append(FieldDef{field->name(), field->type(), field->size()});
        }
    }
    auto pick = [&keySlots](const QVariantList& values) {
        QVariantList picked;
        picked.reserve(keySlots.size());
        for (int slot : keySlots)
            picked.append(values.at(slot));
        return picked;
    };

    std::vector<std::pair<quint64, RowChange>> entries;
    entries.reserve(size_t(d->changedRows.size()) + d->steps.size());
    for (const Row* row : std::as_const(d->changedRows)) {
        RowChange change;
        if (row->status == RowStatus::Inserted) {
            change.op = ChangeOp::Insert;
            change.newValues = pick(row->values);
        } else {
            change.op = ChangeOp::Update;
            change.oldValues = pick(row->original);
            change.newValues = pick(row->values);
        }
        entries.emplace_back(row->changeSeq, std::move(change));
    }
    for (const ChangeStep& step : d->steps) {
        if (step.kind != ChangeStep::Kind::Delete)
            continue;
        const Row* row = step.deletedRow.get();
        RowChange change;
        change.op = ChangeOp::Delete;
        change.oldValues = pick(row->status == RowStatus::Modified ? row->original : row->values);
        entries.emplace_back(step.seq, std::move(change));
    }
    if (entries.empty())
        return std::nullopt;
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    delta.changes.reserve(qsizetype(entries.size()));
    for (auto& entry : entries)
        delta.changes.append(std::move(entry.second));
    return delta;
}

RecordSet::UpdateStatus RecordSet::updateStatus() const
{
    const Row* row = d->currentRow();
    if (!row)
        return UpdateStatus::Unmodified;
    if (row->pending || row->status == RowStatus::Inserted)
        return UpdateStatus::Inserted;
    return row->status == RowStatus::Modified ? UpdateStatus::Modified : UpdateStatus::Unmodified;
}

bool RecordSet::isInserted(int row) const
{
    if (row < 0 || row >= recordCount())
        return false;
    const Row* r = d->view[size_t(row)];
    return r->pending || r->status == RowStatus::Inserted;
}

bool RecordSet::isModified(int row) const
{
    if (row < 0 || row >= recordCount())
        return false;
    return d->view[size_t(row)]->status == RowStatus::Modified;
}

QStringList RecordSet::changedFields(int row) const
{
    QStringList names;
    if (row < 0 || row >= recordCount())
        return names;
    const Row* r = d->view[size_t(row)];
    for (const Field* field : d->fields) {
        if (field->kind() != Field::Kind::Data)
            continue;
        const QVariant& value = r->values.at(field->m_slot);
        if (r->status == RowStatus::Inserted && value.isValid())
            names.append(field->name());
        else if (r->status == RowStatus::Modified && !sameValue(value, r->original.at(field->m_slot)))
            names.append(field->name());
    }
    return names;
}
