#include "gridutils.h"

#include "dbgrid.h"
#include "field.h"
#include "recordset.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTableView>
#include <QWidget>

namespace {

// Watches one table's header and viewport for keepColumnsReadable.
class ReadableColumns : public QObject {
public:
    ReadableColumns(QTableView& table, int fillColumn)
        : QObject(&table), m_table(table), m_header(*table.horizontalHeader()), m_fill(fillColumn)
    {
        m_header.setStretchLastSection(false);
        m_header.setSectionResizeMode(QHeaderView::Interactive);
        {
            const QScopedValueRollback adjusting(m_adjusting, true);
            for (int section = 0; section < m_header.count(); ++section)
                if (m_header.sectionSize(section) < m_header.sectionSizeHint(section))
                    m_header.resizeSection(section, m_header.sectionSizeHint(section));
        }
        m_fillWidth = m_fill >= 0 && m_fill < m_header.count() ? m_header.sectionSize(m_fill) : 0;
        connect(&m_header, &QHeaderView::sectionResized, this, [this](int section, int, int size) { resized(section, size); });
        m_viewport = m_table.viewport();
        m_viewport->installEventFilter(this);
        fill();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The viewport is kept: the table may be half destroyed when the
        // viewport's last events come.
        if (watched == m_viewport && event->type() == QEvent::Resize)
            fill();
        return QObject::eventFilter(watched, event);
    }

private:
    void resized(int section, int size)
    {
        if (m_adjusting)
            return;
        const QScopedValueRollback adjusting(m_adjusting, true);
        if (size < m_header.sectionSizeHint(section)) {
            m_header.resizeSection(section, m_header.sectionSizeHint(section));
            return;
        }
        if (section == m_fill)
            m_fillWidth = size;
        m_adjusting = false;
        fill();
    }

    void fill()
    {
        if (m_fill < 0 || m_fill >= m_header.count() || m_header.isSectionHidden(m_fill))
            return;
        int others = 0;
        for (int section = 0; section < m_header.count(); ++section)
            if (section != m_fill && !m_header.isSectionHidden(section))
                others += m_header.sectionSize(section);
        const QScopedValueRollback adjusting(m_adjusting, true);
        m_header.resizeSection(m_fill, qMax(qMax(m_fillWidth, m_header.sectionSizeHint(m_fill)),
                                            m_table.viewport()->width() - others));
    }

    QTableView& m_table;
    QWidget* m_viewport = nullptr;
    QHeaderView& m_header;
    int m_fill;
    int m_fillWidth = 0;
    bool m_adjusting = false;
};

} // namespace

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

void keepColumnsReadable(QTableView& table, int fillColumn)
{
    new ReadableColumns(table, fillColumn);
}
