#include "dbgrid.h"

#include "datasource.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "recordset.h"
#include "recordsetmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

Q_LOGGING_CATEGORY(lcGrid, "ped.widgets.grid")

namespace {

constexpr int textPaddingPixels = 2;

QColor infoBackground(const QPalette& palette)
{
    return palette.color(QPalette::ToolTipBase);
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The character a key types, as the grid's key-press handlers see it:
// Enter "\r", Backspace "\b", Esc "\x1b", printable text itself.
QChar typedCharacter(const QKeyEvent* event)
{
    if (isEnterKey(event->key()))
        return QChar('\r');
    if (event->key() == Qt::Key_Backspace)
        return QChar('\b');
    if (event->key() == Qt::Key_Escape)
        return QChar(0x1b);
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() ? text.at(0) : QChar();
}

// Codes and numbers cut short read as other codes ("0000000…" is any item):
// their columns show the whole value.
bool isCodeField(const Field& field)
{
    return field.type() == FieldType::String
        && (field.name().startsWith(QLatin1String("CD"), Qt::CaseInsensitive)
            || field.name().startsWith(QLatin1String("NR"), Qt::CaseInsensitive));
}

// Characters of a code as shown: its size, or its mask's length with the
// punctuation when that is longer.
int codeCharacters(const Field& field)
{
    const QString mask = field.editMask().section(u';', 0, 0);
    return qMax(field.size(), int(mask.size()));
}

bool modifiesText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QChar typed = typedCharacter(event);
    return !typed.isNull() && typed.isPrint();
}

} // namespace

bool colourFromNumber(const QVariant& value, QColor* colour)
{
    if (value.isNull())
        return false;
    bool ok = false;
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        number = text.toLongLong(&ok);
        if (!ok)
            number = text.toDouble(&ok);
    } else {
        number = value.toDouble(&ok);
    }
    if (!ok || number < 0 || number > 0xFFFFFF || number != qint64(number))
        return false;
    const auto bgr = quint32(number);
    *colour = QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    return true;
}

// --- cell editor ------------------------------------------------------------------

// The editor of one cell: a line edit, or a drop-down for a pick list, with
// a "..." button for ellipsis columns.
class DBGridCellEditor : public QWidget {
public:
    DBGridCellEditor(QWidget* parent, const QStringList& pickList, bool ellipsis, int maxLength)
        : QWidget(parent)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        if (pickList.isEmpty()) {
            line = new QLineEdit(this);
            line->setFrame(false);
            if (maxLength > 0)
                line->setMaxLength(maxLength);
            layout->addWidget(line);
            setFocusProxy(line);
            QObject::connect(line, &QLineEdit::textEdited, this, [this] { dirty = true; });
        } else {
            combo = new QComboBox(this);
            combo->setEditable(true);
            combo->setFrame(false);
            combo->addItems(pickList);
            combo->setInsertPolicy(QComboBox::NoInsert);
            if (maxLength > 0)
                combo->lineEdit()->setMaxLength(maxLength);
            layout->addWidget(combo);
            setFocusProxy(combo);
            QObject::connect(combo, &QComboBox::currentTextChanged, this, [this] {
                if (!showing)
                    dirty = true;
            });
        }
        if (ellipsis) {
            button = new QToolButton(this);
            button->setText(QStringLiteral("…"));
            button->setFocusPolicy(Qt::NoFocus);
            button->setCursor(Qt::ArrowCursor);
            layout->addWidget(button);
        }
        setAutoFillBackground(true);
    }

    QWidget* input() const { return line ? static_cast<QWidget*>(line) : combo; }

    QString text() const { return line ? line->text() : combo->currentText(); }

    void showText(const QString& text)
    {
        showing = true;
        if (line) {
            line->setText(text);
            line->selectAll();
        } else {
            const int index = combo->findText(text);
            combo->setCurrentIndex(index);
            combo->setEditText(text);
            combo->lineEdit()->selectAll();
        }
        showing = false;
        dirty = false;
    }

    QLineEdit* line = nullptr;
    QComboBox* combo = nullptr;
    QToolButton* button = nullptr;
    QPersistentModelIndex index;
    bool dirty = false;
    bool showing = false;
};

// --- delegate ---------------------------------------------------------------------

class DBGridDelegate : public QStyledItemDelegate {
public:
    explicit DBGridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override
    {
        // The grid writes typed text itself (DBGrid::commitEditor), at the
        // moments a person expects: leaving the cell, Enter, leaving the grid.
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (m_grid->m_editor == editor) {
            m_grid->m_editor = nullptr;
            m_grid->m_editorIndex = QPersistentModelIndex();
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    DBGrid* m_grid;
};

void DBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    DBGrid* grid = m_grid;
    if (index.column() >= grid->columnCount())
        return;
    DBGridColumn& column = grid->column(index.column());
    const QModelIndex current = grid->currentIndex();
    const bool rowSelect = grid->m_options.testFlag(DBGrid::RowSelect);
    const bool isCurrent = current.isValid() && index == current;
    const bool inCurrentRow = current.isValid() && index.row() == current.row();
    const bool focusInside = grid->hasFocus() || (grid->m_editor && grid->m_editor->isAncestorOf(QApplication::focusWidget()));
    const bool selected = (rowSelect ? inCurrentRow : isCurrent)
        && (focusInside || grid->m_options.testFlag(DBGrid::AlwaysShowSelection));
    const bool editing = grid->m_editor && grid->m_editorIndex == index;

    QColor background = column.color();
    if (!background.isValid())
        background = grid->m_color.isValid() ? grid->m_color : option.palette.color(QPalette::Base);
    QColor foreground = option.palette.color(QPalette::Text);
    if (selected) {
        background = option.palette.color(QPalette::Highlight);
        foreground = option.palette.color(QPalette::HighlightedText);
    }
    QString text = index.data(Qt::DisplayRole).toString();
    if (!column.colorFieldName().isEmpty()) {
        const RecordSet* rs = grid->recordSet();
        const int colourField = rs ? rs->fieldIndex(column.colorFieldName()) : -1;
        QColor colour;
        background = colourField >= 0 && colourFromNumber(rs->value(index.row(), colourField), &colour)
            ? colour
            : infoBackground(option.palette);
        foreground = option.palette.color(QPalette::Text);
        if (column.colorFieldName().compare(column.fieldName(), Qt::CaseInsensitive) == 0)
            text.clear();   // the colour is the content
    }
    const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();

    painter->save();
    DBGridCell cell{*grid, *painter, option.rect, column, index.row(), selected, isCurrent && focusInside,
                    editing, text, background, foreground, alignment};
    if (grid->onDrawColumnCell) {
        try {
            grid->onDrawColumnCell(*grid, cell);
        } catch (const std::exception& failure) {
            qCWarning(lcGrid) << grid->objectName() << "OnDrawColumnCell:" << failure.what();
        } catch (...) {
            qCWarning(lcGrid) << grid->objectName() << "OnDrawColumnCell: falha desconhecida";
        }
    }
    painter->restore();
    if (!cell.defaultDraw)
        return;

    painter->save();
    painter->fillRect(option.rect, cell.background);
    QRect textRect = option.rect.adjusted(textPaddingPixels, 0, -textPaddingPixels, 0);
    if (grid->showsEllipsis(index) && isCurrent)
        textRect.setRight(grid->ellipsisRect(option.rect).left() - textPaddingPixels);
    painter->setPen(cell.foreground);
    painter->setFont(option.font);
    const QString shown = option.fontMetrics.elidedText(cell.text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, int(cell.alignment) | Qt::TextSingleLine, shown);
    if (grid->showsEllipsis(index) && isCurrent) {
        const QRect button = grid->ellipsisRect(option.rect);
        painter->fillRect(button, option.palette.color(QPalette::Button));
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawRect(button.adjusted(0, 0, -1, -1));
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->drawText(button, Qt::AlignCenter, QStringLiteral("…"));
    }
    if (cell.focused) {
        QPen pen(option.palette.color(QPalette::Highlight).darker(140));
        pen.setWidth(1);
        painter->setPen(pen);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QWidget* DBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    DBGridColumn& column = m_grid->column(index.column());
    const Field* field = column.field();
    const int maxLength = field && field->type() == FieldType::String ? field->size() : 0;
    auto* editor = new DBGridCellEditor(parent, column.pickList(),
                                        column.buttonStyle() == DBGridColumn::ButtonStyle::Ellipsis, maxLength);
    editor->index = index;
    editor->input()->installEventFilter(const_cast<DBGridDelegate*>(this));
    if (editor->combo && editor->combo->lineEdit())
        editor->combo->lineEdit()->installEventFilter(const_cast<DBGridDelegate*>(this));
    if (editor->button) {
        QObject::connect(editor->button, &QToolButton::clicked, m_grid, [grid = m_grid] { grid->editButtonClicked(); });
    }
    m_grid->m_editor = editor;
    m_grid->m_editorIndex = index;
    return editor;
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* cellEditor = static_cast<DBGridCellEditor*>(editor);
    if (cellEditor->dirty)
        return;   // what the person typed wins until it is written
    cellEditor->showText(index.data(Qt::EditRole).toString());
}

bool DBGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return m_grid->handleEditorKey(static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
        // Keys the grid handles must not be taken by window shortcuts while editing.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || isEnterKey(key->key())) {
            event->accept();
            return true;
        }
        return false;
    }
    case QEvent::FocusOut: {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() == Qt::PopupFocusReason || focus->reason() == Qt::ActiveWindowFocusReason)
            return false;
        QWidget* to = QApplication::focusWidget();
        if (to && (to == m_grid || m_grid->isAncestorOf(to)))
            return false;
        m_grid->exitGrid();
        return false;
    }
    default:
        break;
    }
    Q_UNUSED(object);
    return false;
}

// --- DBGridCell -------------------------------------------------------------------

QVariant DBGridCell::value(const QString& fieldName) const
{
    const RecordSet* rs = grid.recordSet();
    const int index = rs ? rs->fieldIndex(fieldName) : -1;
    return index >= 0 ? rs->value(row, index) : QVariant();
}

QString DBGridCell::fieldText(const QString& fieldName) const
{
    const RecordSet* rs = grid.recordSet();
    const int index = rs ? rs->fieldIndex(fieldName) : -1;
    return index >= 0 ? rs->displayText(row, index) : QString();
}

// --- DBGridColumn -----------------------------------------------------------------

DBGridColumn::DBGridColumn(DBGrid* grid) : m_grid(grid) {}

int DBGridColumn::index() const
{
    for (int i = 0; i < m_grid->columnCount(); ++i) {
        if (&m_grid->column(i) == this)
            return i;
    }
    return -1;
}

void DBGridColumn::setFieldName(const QString& fieldName)
{
    m_fieldName = fieldName;
    changed();
}

Field* DBGridColumn::field() const
{
    const RecordSet* rs = m_grid->recordSet();
    return rs && !m_fieldName.isEmpty() ? rs->findField(m_fieldName) : nullptr;
}

QString DBGridColumn::title() const
{
    if (!m_title.isEmpty())
        return m_title;
    const Field* f = field();
    return f ? f->displayLabel() : m_fieldName;
}

void DBGridColumn::setTitle(const QString& title)
{
    m_title = title;
    changed();
}

void DBGridColumn::setTitleAlignment(Qt::Alignment alignment)
{
    m_titleAlignment = alignment;
    changed();
}

void DBGridColumn::setTitleHint(const QString& hint)
{
    m_titleHint = hint;
    changed();
}

void DBGridColumn::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    changed();
}

int DBGridColumn::width() const
{
    const int i = index();
    if (i >= 0 && m_visible && m_grid->horizontalHeader()->sectionSize(i) > 0)
        return m_grid->horizontalHeader()->sectionSize(i);
    return m_width > 0 ? m_width : m_grid->defaultWidth(*this);
}

void DBGridColumn::setWidth(int pixels)
{
    m_width = pixels;
    m_grid->applyColumnLook();
}

void DBGridColumn::setVisible(bool visible)
{
    m_visible = visible;
    m_grid->applyColumnLook();
}

void DBGridColumn::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    changed();
}

void DBGridColumn::setButtonStyle(ButtonStyle style)
{
    m_buttonStyle = style;
    m_grid->viewport()->update();
}

void DBGridColumn::setPickList(const QStringList& items)
{
    m_pickList = items;
}

void DBGridColumn::setColor(const QColor& color)
{
    m_color = color;
    m_grid->viewport()->update();
}

void DBGridColumn::setColorFieldName(const QString& fieldName)
{
    m_colorFieldName = fieldName;
    m_grid->viewport()->update();
}

void DBGridColumn::changed()
{
    m_grid->columnsChanged();
}

// --- DBGrid -----------------------------------------------------------------------

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent),
      m_model(new RecordSetModel(this)),
      m_delegate(new DBGridDelegate(this)),
      m_options(Editing | Titles | Indicator | ColumnResize | ColLines | RowLines | Tabs | ConfirmDelete
                | CancelOnExit)
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::NoSelection);   // the current cell or row is the selection
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAlternatingRowColors(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setMinimumWidth(16);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);
    // A title click is the screen's business (ordering, say); it never moves the cursor.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    verticalHeader()->setSectionsClickable(false);
    disconnect(verticalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(verticalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section >= columnCount() || size <= 0 || m_keepingWidth)
            return;
        // Dragged narrower than its title: the column stays readable.
        const int minimum = minimumWidth(*m_columns[size_t(section)]);
        if (size < minimum) {
            const QScopedValueRollback keeping(m_keepingWidth, true);
            horizontalHeader()->resizeSection(section, minimum);
            return;
        }
        m_columns[size_t(section)]->m_width = size;
        fillLastColumn();
    });
    connect(m_model, &RecordSetModel::currentRowChanged, this, &DBGrid::followRecordSet);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyColumnLook);
    m_clickEditTimer.setSingleShot(true);
    m_clickEditTimer.setInterval(QApplication::doubleClickInterval());
    connect(&m_clickEditTimer, &QTimer::timeout, this, [this] {
        if (currentIndex() == m_clickedIndex && hasFocus())
            setEditorMode(true);
    });
    applyOptions();
}

DBGrid::~DBGrid()
{
    m_editor = nullptr;
}

DataSource* DBGrid::dataSource() const
{
    return m_model->dataSource();
}

void DBGrid::setDataSource(DataSource* dataSource)
{
    if (DataSource* old = m_model->dataSource())
        disconnect(old, nullptr, this, nullptr);
    m_model->setDataSource(dataSource);
    if (dataSource) {
        connect(dataSource, &DataSource::updateData, this, [this] { commitEditor(); });
        connect(dataSource, &DataSource::dataChanged, this, &DBGrid::trackDataChange);
        connect(dataSource, &DataSource::stateChanged, this, [this](RecordSet::State state) {
            if (state != RecordSet::State::Insert)
                m_pristineInsert = false;
            if (state == RecordSet::State::Browse && m_editor && !m_editor->dirty)
                m_delegate->setEditorData(m_editor, m_editorIndex);
            viewport()->update();
        });
    }
    followRecordSet();
}

RecordSet* DBGrid::recordSet() const
{
    return m_model->recordSet();
}

void DBGrid::setOptions(Options options)
{
    m_options = options;
    applyOptions();
}

void DBGrid::setOption(Option option, bool on)
{
    setOptions(on ? (m_options | option) : (m_options & ~Options(option)));
}

void DBGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (readOnly && m_editor)
        closeCellEditor();
    viewport()->update();
}

QColor DBGrid::color() const
{
    return m_color;
}

void DBGrid::setColor(const QColor& color)
{
    m_color = color;
    viewport()->update();
}

void DBGrid::applyOptions()
{
    horizontalHeader()->setVisible(m_options.testFlag(Titles));
    verticalHeader()->setVisible(m_options.testFlag(Indicator));
    horizontalHeader()->setSectionResizeMode(m_options.testFlag(ColumnResize) ? QHeaderView::Interactive
                                                                              : QHeaderView::Fixed);
    setShowGrid(m_options.testFlag(ColLines) || m_options.testFlag(RowLines));
    setTabKeyNavigation(m_options.testFlag(Tabs));
    setSelectionBehavior(m_options.testFlag(RowSelect) ? SelectRows : SelectItems);
    setEditTriggers(m_options.testFlag(Editing) && !m_options.testFlag(RowSelect)
                        ? (AnyKeyPressed | EditKeyPressed | SelectedClicked)
                        : NoEditTriggers);
    if (!m_options.testFlag(Editing) && m_editor)
        closeCellEditor();
    viewport()->update();
}

// --- columns ----------------------------------------------------------------------

DBGridColumn& DBGrid::column(int index) const
{
    if (index < 0 || index >= columnCount())
        throw std::out_of_range(QStringLiteral("%1: coluna %2 inexistente.")
                                    .arg(objectName()).arg(index).toStdString());
    return *m_columns[size_t(index)];
}

DBGridColumn* DBGrid::columnByField(const QString& fieldName) const
{
    for (const auto& column : m_columns) {
        if (column->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return column.get();
    }
    return nullptr;
}

DBGridColumn& DBGrid::addColumn(const QString& fieldName, const QString& title, int widthPixels)
{
    return insertColumn(columnCount(), fieldName, title, widthPixels);
}

DBGridColumn& DBGrid::insertColumn(int index, const QString& fieldName, const QString& title, int widthPixels)
{
    index = qBound(0, index, columnCount());
    auto column = std::unique_ptr<DBGridColumn>(new DBGridColumn(this));
    column->m_fieldName = fieldName;
    column->m_title = title;
    column->m_width = widthPixels;
    DBGridColumn& added = *column;
    m_columns.insert(m_columns.begin() + index, std::move(column));
    columnsChanged();
    return added;
}

void DBGrid::removeColumn(int index)
{
    if (index < 0 || index >= columnCount())
        return;
    closeCellEditor();
    m_columns.erase(m_columns.begin() + index);
    if (m_selectedColumn >= columnCount())
        m_selectedColumn = columnCount() - 1;
    columnsChanged();
}

void DBGrid::moveColumn(int from, int to)
{
    if (from < 0 || from >= columnCount() || to < 0 || to >= columnCount() || from == to)
        return;
    closeCellEditor();
    auto column = std::move(m_columns[size_t(from)]);
    m_columns.erase(m_columns.begin() + from);
    m_columns.insert(m_columns.begin() + to, std::move(column));
    columnsChanged();
}

void DBGrid::clearColumns()
{
    closeCellEditor();
    m_columns.clear();
    m_selectedColumn = -1;
    columnsChanged();
}

void DBGrid::columnsChanged()
{
    QList<RecordSetColumn> specs;
    for (const auto& column : m_columns)
        specs.append(RecordSetColumn{column->m_fieldName, column->m_title, column->m_alignment,
                                     column->m_titleAlignment, column->m_readOnly, column->m_titleHint});
    if (m_selectedColumn >= columnCount())
        m_selectedColumn = columnCount() - 1;
    m_model->setColumns(specs);   // resets; the grid follows the record set again
    followRecordSet();
}

int DBGrid::defaultWidth(const DBGridColumn& column) const
{
    const QFontMetrics metrics = fontMetrics();
    const Field* f = column.field();
    int characters = 10;
    if (f) {
        if (f->displayWidth() > 0)
            characters = f->displayWidth();
        else if (f->type() == FieldType::String)
            characters = qBound(3, f->size() > 0 ? f->size() : 20, 30);
        else if (f->type() == FieldType::Date)
            characters = 10;
        else if (f->type() == FieldType::DateTime)
            characters = 19;
        else if (f->type() == FieldType::Memo)
            characters = 30;
        else
            characters = 11;
    }
    const int textPixels = metrics.horizontalAdvance(QString(characters, QChar('0')));
    const int titlePixels = metrics.horizontalAdvance(column.title()) + 12;
    return qMax(textPixels + 2 * textPaddingPixels + 4, titlePixels);
}

int DBGrid::minimumWidth(const DBGridColumn& column) const
{
    int pixels = horizontalHeader()->sectionSizeHint(column.index());
    if (const Field* f = column.field(); f && isCodeField(*f))
        pixels = qMax(pixels, fontMetrics().horizontalAdvance(QString(codeCharacters(*f), QChar('0')))
                                  + 2 * textPaddingPixels + 4);
    return pixels;
}

// The width asked for, but never less than the column needs to show its
// title and, for a code, its whole value.
int DBGrid::wantedWidth(const DBGridColumn& column) const
{
    return qMax(column.m_width > 0 ? column.m_width : defaultWidth(column), minimumWidth(column));
}

void DBGrid::applyColumnLook()
{
    {
        const QScopedValueRollback keeping(m_keepingWidth, true);
        for (int i = 0; i < columnCount(); ++i) {
            const DBGridColumn& column = *m_columns[size_t(i)];
            setColumnHidden(i, !column.m_visible);
            if (column.m_visible)
                horizontalHeader()->resizeSection(i, wantedWidth(column));
        }
    }
    fillLastColumn();
}

void DBGrid::setStretchLastColumn(bool stretch)
{
    m_stretchLast = stretch;
    horizontalHeader()->setStretchLastSection(false);
    applyColumnLook();
}

void DBGrid::fillLastColumn()
{
    if (!m_stretchLast)
        return;
    int last = -1;
    int others = 0;
    for (int i = 0; i < columnCount(); ++i) {
        if (!m_columns[size_t(i)]->m_visible)
            continue;
        if (last >= 0)
            others += horizontalHeader()->sectionSize(last);
        last = i;
    }
    if (last < 0)
        return;
    const QScopedValueRollback keeping(m_keepingWidth, true);
    horizontalHeader()->resizeSection(last, qMax(wantedWidth(*m_columns[size_t(last)]), viewport()->width() - others));
}

bool DBGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        fillLastColumn();
    return QTableView::viewportEvent(event);
}

// --- cursor -----------------------------------------------------------------------

int DBGrid::selectedIndex() const
{
    // While a move is being decided the column being left is still the
    // selected one (OnColExit reads it).
    if (m_selectedColumn >= 0 && m_selectedColumn < columnCount())
        return m_selectedColumn;
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void DBGrid::setSelectedIndex(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    moveToColumn(column);
}

Field* DBGrid::selectedField() const
{
    DBGridColumn* column = currentColumn();
    return column ? column->field() : nullptr;
}

void DBGrid::setSelectedField(const QString& fieldName)
{
    if (DBGridColumn* column = columnByField(fieldName))
        setSelectedIndex(column->index());
}

DBGridColumn* DBGrid::currentColumn() const
{
    const int index = selectedIndex();
    return index >= 0 && index < columnCount() ? m_columns[size_t(index)].get() : nullptr;
}

bool DBGrid::editorMode() const
{
    return m_editor != nullptr;
}

void DBGrid::setEditorMode(bool open)
{
    if (!open) {
        closeCellEditor();
        return;
    }
    const QModelIndex current = currentIndex();
    if (current.isValid() && !m_editor && canEditCell(current))
        QTableView::edit(current, EditKeyPressed, nullptr);
}

QString DBGrid::editorText() const
{
    return m_editor ? m_editor->text() : QString();
}

bool DBGrid::commitEditor()
{
    if (!m_editor || !m_editor->dirty || !m_editorIndex.isValid())
        return true;
    const QModelIndex index = m_editorIndex;
    const QString text = m_editor->text();
    const bool written = guarded([&] { m_model->writeText(index, text); });
    if (!written)
        return false;
    if (m_editor) {
        m_editor->dirty = false;
        m_delegate->setEditorData(m_editor, index);
    }
    return true;
}

void DBGrid::closeCellEditor()
{
    if (!m_editor)
        return;
    QWidget* editor = m_editor;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    m_editor = nullptr;
    m_editorIndex = QPersistentModelIndex();
}

void DBGrid::refresh()
{
    m_model->refresh();
    viewport()->update();
}

void DBGrid::moveToColumn(int column)
{
    // Taken once OnColExit returns, or once the row being left refused to
    // post, without another exit; moving now would leave the row again.
    if (m_inColExit || m_leavingRow) {
        m_requestedColumn = column;
        return;
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        // No row to stand on: remember the column for when rows come.
        m_selectedColumn = column;
        return;
    }
    if (column == current.column())
        return;
    setCurrentIndex(m_model->index(current.row(), column));
}

int DBGrid::nextColumn(int from, int step) const
{
    for (int column = from + step; column >= 0 && column < columnCount(); column += step) {
        if (!isColumnHidden(column))
            return column;
    }
    return -1;
}

bool DBGrid::canEditCell(const QModelIndex& index) const
{
    if (!index.isValid() || m_readOnly || !m_options.testFlag(Editing) || m_options.testFlag(RowSelect))
        return false;
    return m_model->flags(index).testFlag(Qt::ItemIsEditable);
}

bool DBGrid::showsEllipsis(const QModelIndex& index) const
{
    return index.isValid() && index.column() < columnCount() && !m_readOnly
        && m_columns[size_t(index.column())]->buttonStyle() == DBGridColumn::ButtonStyle::Ellipsis;
}

QRect DBGrid::ellipsisRect(const QRect& cell) const
{
    const int side = qMin(cell.height(), 20);
    return QRect(cell.right() - side + 1, cell.top(), side, cell.height());
}

// --- following the record set ------------------------------------------------------

void DBGrid::followRecordSet()
{
    if (m_model->isChangingRows())
        return;
    const RecordSet* rs = recordSet();
    const int row = rs ? rs->currentRow() : -1;
    if (m_editor && m_editorIndex.isValid() && m_editorIndex.row() != row)
        closeCellEditor();   // its row is no longer current
    const QModelIndex current = currentIndex();
    if (row < 0) {
        if (current.isValid()) {
            m_following = true;
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            m_following = false;
        }
        return;
    }
    if (current.isValid() && current.row() == row)
        return;
    int column = current.isValid() ? current.column() : m_selectedColumn;
    if (column < 0 || column >= columnCount() || isColumnHidden(column))
        column = nextColumn(-1, 1);
    if (column < 0)
        return;
    m_following = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::NoUpdate);
    m_following = false;
    scrollTo(currentIndex());
}

// Any change to the new row keeps it: a record set with calculated fields
// reports a typed value as a change of the whole row (no field).
void DBGrid::trackDataChange(Field*)
{
    m_pristineInsert = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_reverting || m_following || m_model->isChangingRows()) {
        QTableView::currentChanged(current, previous);
        if (current.isValid())
            m_selectedColumn = current.column();
        return;
    }
    bool followed = false;
    m_requestedColumn = -1;
    if (!leaveCell(current, previous, &followed)) {
        revertCurrent(previous);
        if (m_requestedColumn >= 0 && previous.isValid()) {
            // OnColExit put the cursor on the column to correct.
            m_following = true;
            selectionModel()->setCurrentIndex(m_model->index(previous.row(), m_requestedColumn),
                                              QItemSelectionModel::NoUpdate);
            m_following = false;
            m_requestedColumn = -1;
        }
        return;
    }
    if (followed)
        return;   // the grid already moved with the record set
    QTableView::currentChanged(current, previous);
    const bool columnChanged = current.isValid() && current.column() != m_selectedColumn;
    if (current.isValid())
        m_selectedColumn = current.column();
    if (columnChanged && previous.isValid() && onColEnter)
        guarded([&] { onColEnter(*this); });
    if (m_options.testFlag(AlwaysShowEditor) && hasFocus() && canEditCell(currentIndex()))
        QTimer::singleShot(0, this, [this] { setEditorMode(true); });
}

bool DBGrid::leaveCell(const QModelIndex& current, const QModelIndex& previous, bool* followed)
{
    if (!commitEditor())
        return false;
    if (previous.isValid() && current.isValid() && current.column() != previous.column() && onColExit) {
        m_inColExit = true;
        const bool accepted = guarded([&] { onColExit(*this); });
        m_inColExit = false;
        if (!accepted || m_requestedColumn >= 0)
            return false;
    }
    RecordSet* rs = recordSet();
    if (!rs || !current.isValid() || current.row() == rs->currentRow())
        return true;
    int targetRow = current.row();
    const int targetColumn = current.column();
    if (m_pristineInsert && rs->state() == RecordSet::State::Insert) {
        // Leaving a row the grid started and nobody filled: drop it, as a
        // person expects, rather than posting an empty row.
        const int insertedRow = rs->currentRow();
        if (!guarded([&] { rs->cancel(); }))
            return false;
        m_pristineInsert = false;
        if (insertedRow < targetRow)
            --targetRow;
        *followed = true;
    }
    m_leavingRow = true;
    const bool left = guarded([&] { rs->setCurrentRow(targetRow); });
    m_leavingRow = false;
    if (!left)
        return false;
    if (*followed) {
        m_following = true;
        selectionModel()->setCurrentIndex(m_model->index(rs->currentRow(), targetColumn), QItemSelectionModel::NoUpdate);
        m_following = false;
    }
    return true;
}

void DBGrid::revertCurrent(const QModelIndex& previous)
{
    m_reverting = true;
    if (previous.isValid())
        selectionModel()->setCurrentIndex(previous, QItemSelectionModel::NoUpdate);
    m_reverting = false;
    followRecordSet();   // an After event may have moved the record set anyway
    viewport()->update();
}

// --- keys -------------------------------------------------------------------------

DBGrid::KeyOutcome DBGrid::dispatchKey(QKeyEvent* event, QString* replacement)
{
    if (event == m_forwardedKey)
        return KeyOutcome::Pass;   // seen already, before the editor opened
    if (onKeyDown) {
        int key = event->key();
        if (!guarded([&] { onKeyDown(*this, key, event->modifiers()); }) || key == 0)
            return KeyOutcome::Consumed;
    }
    const QChar typed = typedCharacter(event);
    if (onKeyPress && !typed.isNull()) {
        QChar key = typed;
        if (!guarded([&] { onKeyPress(*this, key); }) || key.isNull())
            return KeyOutcome::Consumed;
        if (key != typed && key.isPrint())
            *replacement = QString(key);
    }
    return KeyOutcome::Pass;
}

bool DBGrid::handleEditorKey(QKeyEvent* event)
{
    QString replacement;
    if (dispatchKey(event, &replacement) == KeyOutcome::Consumed)
        return true;
    if (!replacement.isEmpty()) {
        QKeyEvent changed(QEvent::KeyPress, event->key(), event->modifiers(), replacement);
        m_forwardedKey = &changed;
        if (m_editor)
            QCoreApplication::sendEvent(m_editor->input(), &changed);
        m_forwardedKey = nullptr;
        return true;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (isEnterKey(key) && (modifiers & Qt::ControlModifier)) {
        editButtonClicked();
        return true;
    }
    if (isEnterKey(key)) {
        if (commitEditor()) {
            closeCellEditor();
            setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (m_editor && m_editor->dirty) {
            m_editor->dirty = false;
            m_delegate->setEditorData(m_editor, m_editorIndex);
        } else {
            closeCellEditor();
            setFocus(Qt::OtherFocusReason);
            cancelRow();
        }
        return true;
    }
    const bool navigation = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
        || key == Qt::Key_PageDown || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (navigation && !(modifiers & Qt::AltModifier)) {
        if (!commitEditor())
            return true;
        closeCellEditor();
        setFocus(Qt::OtherFocusReason);
        QKeyEvent forwarded(QEvent::KeyPress, key, modifiers);
        m_forwardedKey = &forwarded;
        keyPressEvent(&forwarded);
        m_forwardedKey = nullptr;
        return true;
    }
    if (m_editor && modifiesText(event) && !m_editor->dirty) {
        // The first change of the text puts the row into edit.
        bool canType = false;
        guarded([&] { canType = dataSource() && dataSource()->edit(); });
        if (!canType) {
            closeCellEditor();
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    if (!handleGridKey(event))
        QTableView::keyPressEvent(event);
}

bool DBGrid::handleGridKey(QKeyEvent* event)
{
    QString replacement;
    if (dispatchKey(event, &replacement) == KeyOutcome::Consumed)
        return true;
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    RecordSet* rs = recordSet();
    const QModelIndex current = currentIndex();

    if (key == Qt::Key_Delete && (modifiers & Qt::ControlModifier)) {
        deleteWithConfirmation();
        return true;
    }
    if (isEnterKey(key) && (modifiers & Qt::ControlModifier)) {
        editButtonClicked();
        return true;
    }
    if (isEnterKey(key)) {
        if (canEditCell(current))
            setEditorMode(true);
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (rs && rs->isEditing()) {
            cancelRow();
            return true;
        }
        return false;   // a dialog may close on Esc
    }
    if (key == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        insertRow(false);
        return true;
    }
    if (key == Qt::Key_Down && modifiers == Qt::NoModifier && rs && current.isValid()
        && current.row() == m_model->rowCount() - 1) {
        if (!(rs->state() == RecordSet::State::Insert && m_pristineInsert))
            insertRow(true);
        return true;
    }
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && m_options.testFlag(Tabs)) {
        const int step = key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier) ? -1 : 1;
        const int from = current.isValid() ? current.column() : -1;
        const int column = nextColumn(from, step);
        if (column >= 0) {
            moveToColumn(column);
        } else if (current.isValid()) {
            // Past the last column: the first column of the next row.
            const int row = current.row() + step;
            const int wrapColumn = nextColumn(step > 0 ? -1 : columnCount(), step);
            if (row >= 0 && row < m_model->rowCount() && wrapColumn >= 0)
                setCurrentIndex(m_model->index(row, wrapColumn));
        }
        return true;
    }
    if (key == Qt::Key_F2 && modifiers == Qt::NoModifier) {
        setEditorMode(true);
        return true;
    }
    if (!replacement.isEmpty()) {
        QKeyEvent changed(QEvent::KeyPress, key, modifiers, replacement);
        m_forwardedKey = &changed;
        QTableView::keyPressEvent(&changed);
        m_forwardedKey = nullptr;
        return true;
    }
    if (!typedCharacter(event).isNull() && typedCharacter(event).isPrint()) {
        m_forwardedKey = event;   // the editor that opens must not dispatch it again
        QTableView::keyPressEvent(event);
        m_forwardedKey = nullptr;
        return true;
    }
    return false;
}

void DBGrid::keyboardSearch(const QString&)
{
    // Typing edits the cell; it never jumps to another row.
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (trigger != NoEditTriggers && trigger != AllEditTriggers && !canEditCell(index))
        return false;
    if (trigger == AnyKeyPressed && event && event->type() == QEvent::KeyPress) {
        // The key that opens the editor changes its text: the row goes into
        // edit first, or the key is refused.
        bool canType = false;
        guarded([&] { canType = dataSource() && dataSource()->edit(); });
        if (!canType)
            return false;
        if (!QTableView::edit(index, trigger, event))
            return false;
        if (m_editor)
            m_editor->dirty = true;
        return true;
    }
    return QTableView::edit(index, trigger, event);
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor == m_editor) {
        m_editor = nullptr;
        m_editorIndex = QPersistentModelIndex();
    }
    QTableView::closeEditor(editor, hint);
}

// --- rows -------------------------------------------------------------------------

bool DBGrid::insertRow(bool atEnd)
{
    RecordSet* rs = recordSet();
    if (!rs || m_readOnly || !m_options.testFlag(Editing) || !dataSource() || !dataSource()->autoEdit())
        return false;
    if (!commitEditor())
        return false;
    closeCellEditor();
    const bool inserted = guarded([&] {
        if (atEnd)
            rs->append();
        else
            rs->insert();
    });
    m_pristineInsert = inserted;
    return inserted;
}

void DBGrid::cancelRow()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isEditing())
        return;
    guarded([&] { rs->cancel(); });
    m_pristineInsert = false;
}

void DBGrid::deleteWithConfirmation()
{
    RecordSet* rs = recordSet();
    if (!rs || rs->isEmpty() || m_readOnly || !dataSource() || !dataSource()->autoEdit())
        return;
    guarded([&] {
        if (m_options.testFlag(ConfirmDelete) && !host().question(QStringLiteral("Excluir o registro?")))
            return;
        closeCellEditor();
        rs->deleteRecord();
        m_pristineInsert = false;
    });
}

// --- mouse, focus, titles -------------------------------------------------------------

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool wasCurrent = index.isValid() && index == currentIndex();
    if (event->button() == Qt::LeftButton && wasCurrent && showsEllipsis(index)
        && ellipsisRect(visualRect(index)).contains(event->position().toPoint())) {
        editButtonClicked();
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    // A click on the current cell opens its editor, unless it becomes a double click.
    if (event->button() == Qt::LeftButton && wasCurrent && !m_editor && canEditCell(index)) {
        m_clickedIndex = index;
        m_clickEditTimer.start();
    }
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickEditTimer.stop();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || !onDblClick) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    if (index != currentIndex())
        setCurrentIndex(index);
    if (index == currentIndex())
        guarded([&] { onDblClick(*this); });
    event->accept();
}

void DBGrid::editButtonClicked()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !showsEllipsis(current) || !onEditButtonClick)
        return;
    if (!commitEditor())
        return;
    guarded([&] { onEditButtonClick(*this); });
}

void DBGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    enterGrid();
    viewport()->update();
}

void DBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    QWidget* to = QApplication::focusWidget();
    if (to && isAncestorOf(to))
        return;   // into the cell editor
    exitGrid();
}

void DBGrid::enterGrid()
{
    if (m_inside)
        return;
    m_inside = true;
    if (onEnter)
        guarded([&] { onEnter(*this); });
}

void DBGrid::exitGrid()
{
    if (!m_inside)
        return;
    if (!commitEditor()) {
        QTimer::singleShot(0, this, [this] {
            if (m_editor)
                m_editor->setFocus(Qt::OtherFocusReason);
            else
                setFocus(Qt::OtherFocusReason);
        });
        return;
    }
    closeCellEditor();
    RecordSet* rs = recordSet();
    if (m_options.testFlag(CancelOnExit) && m_pristineInsert && rs && rs->state() == RecordSet::State::Insert)
        cancelRow();
    m_inside = false;
    if (onExit)
        guarded([&] { onExit(*this); });
}

void DBGrid::titleClicked(int section)
{
    if (section < 0 || section >= columnCount() || !onTitleClick)
        return;
    guarded([&] { onTitleClick(*this, *m_columns[size_t(section)]); });
}
