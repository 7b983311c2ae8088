#include "gridutils.h"

#include "dbgrid.h"
#include "field.h"
#include "recordset.h"

#include <QWidget>

int IndiceCol(const DBGrid& grid, const QString& fieldName)
{
    const DBGridColumn* column = grid.columnByField(fieldName);
    return column ? column->index() : -1;
}

QString GridText(const DBGrid& grid)
{
    if (grid.editorMode())
        return grid.editorText();
    const Field* field = grid.selectedField();
    return field ? field->text() : QString();
}

QString GridText(const DBGrid& grid, const QString& fieldName)
{
    const DBGridColumn* current = grid.currentColumn();
    if (grid.editorMode() && current && current->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
        return grid.editorText();
    const RecordSet* rs = grid.recordSet();
    const Field* field = rs ? rs->findField(fieldName) : nullptr;
    return field ? field->text() : QString();
}

DBGridColumn& CriaColuna(DBGrid& grid, const QString& fieldName, const QString& title, int widthPixels, int position)
{
    if (DBGridColumn* existing = grid.columnByField(fieldName))
        return *existing;
    if (position < 0 || position > grid.columnCount())
        position = grid.columnCount();
    return grid.insertColumn(position, fieldName, title, widthPixels);
}

void DestroiColuna(DBGrid& grid, const QString& fieldName)
{
    for (int index = IndiceCol(grid, fieldName); index >= 0; index = IndiceCol(grid, fieldName))
        grid.removeColumn(index);
}

void RefreshGrid(DBGrid& grid)
{
    grid.refresh();
}

void SetChildEnabled(QWidget* widget, bool enabled)
{
    if (!widget)
        return;
    widget->setEnabled(enabled);
    // Every control inside takes the state too: enabling the group enables
    // also the controls that had been disabled one by one.
    const QList<QWidget*> children = widget->findChildren<QWidget*>();
    for (QWidget* child : children)
        child->setEnabled(enabled);
}

void Seta_Campo_Null(RecordSet& recordSet)
{
    if (!recordSet.isEditing())
        return;
    for (Field* field : recordSet.fields()) {
        const bool text = field->type() == FieldType::String || field->type() == FieldType::Memo;
        if (!text || field->kind() != Field::Kind::Data || field->isNull())
            continue;
        if (field->asString().trimmed().isEmpty())
            field->clear();
    }
}
