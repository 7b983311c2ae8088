#pragma once
// DBGrid: a grid over the record set of a data link, with explicit columns.
//
// The grid's current row is the record set's current row, both ways: moving
// in the grid scrolls the record set (posting a pending edit first), and
// moving the record set moves the grid. Typing into a cell puts the record
// set into edit (AutoEdit) and the typed text is written into the field when
// the cell is left or Enter is pressed.
//
// Keys: Enter writes the open editor's text into the field and closes the
// editor, or opens it; Tab and Shift+Tab move between columns; Esc first
// gives the editor back the field's text, then cancels a row being edited;
// Insert inserts a row and Down on the last row appends one (not while a new
// row nobody typed into stands there; leaving such a row drops it rather
// than posting it empty); Ctrl+Delete deletes the row after a confirmation
// (ConfirmDelete); Ctrl+Enter on an ellipsis column raises OnEditButtonClick.
// OnKeyDown and OnKeyPress see every key first, also while an editor is
// open, and may consume or change it.
//
// Events are plain handlers, replaceable like record-set events; each runs
// inside the host's guard. OnColExit refuses the move by throwing (Abort
// after MensErro): the cursor stays in the column it was leaving, and
// selectedIndex() still names that column while OnColExit runs. OnColExit
// may send the cursor to another column (setSelectedIndex/setSelectedField,
// the field to correct): the cursor goes there without another OnColExit.
// OnDrawColumnCell runs while painting: a failure there is logged, not shown,
// so a faulty hook cannot loop message boxes over repaints.
//
// Widths: a column is never narrower than its title, nor a code column (a
// text field named CD... or NR...) than its whole value, whatever width a
// screen asks for or a person drags it to. With StretchLastColumn the last
// visible column also takes the room the others leave.
//
// Colour-number columns: a column may name a field whose text is a colour
// number (red + 256 x green + 65536 x blue, as the ERP tables store them);
// the cell is filled with that colour, or with the information-background
// colour when the text is not a number.

#include <QColor>
#include <QFlags>
#include <QStringList>
#include <QPersistentModelIndex>
#include <QTableView>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class DBGrid;
class DBGridCellEditor;
class DBGridDelegate;
class DataSource;
class Field;
class RecordSet;
class RecordSetModel;
class QPainter;

// The colour of a colour number (false when the value is none).
bool colourFromNumber(const QVariant& value, QColor* colour);

class DBGridColumn {
public:
    // Auto: a pick list shows a drop-down, other cells a plain editor.
    // Ellipsis: the editor carries a "..." button that raises OnEditButtonClick.
    enum class ButtonStyle { Auto, Ellipsis };

    DBGridColumn(const DBGridColumn&) = delete;
    DBGridColumn& operator=(const DBGridColumn&) = delete;

    DBGrid& grid() const { return *m_grid; }
    int index() const;                           // position in the grid

    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString& fieldName);
    Field* field() const;                        // null when unbound or not in the record set

    QString title() const;                       // the field's label when none set
    void setTitle(const QString& title);
    Qt::Alignment titleAlignment() const { return m_titleAlignment; }
    // Shown over the title (what the column's codes or colours mean).
    QString titleHint() const { return m_titleHint; }
    void setTitleHint(const QString& hint);
    void setTitleAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }   // 0: numbers right, texts left
    void setAlignment(Qt::Alignment alignment);

    int width() const;                           // pixels
    void setWidth(int pixels);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    // The column refuses typing; so does a read-only field or grid.
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    ButtonStyle buttonStyle() const { return m_buttonStyle; }
    void setButtonStyle(ButtonStyle style);
    QStringList pickList() const { return m_pickList; }
    void setPickList(const QStringList& items);

    // Background of the column's cells; invalid = the grid's.
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    // Field whose text is the colour number of the cell (often the column's own).
    QString colorFieldName() const { return m_colorFieldName; }
    void setColorFieldName(const QString& fieldName);

private:
    friend class DBGrid;
    explicit DBGridColumn(DBGrid* grid);
    void changed();

    DBGrid* m_grid;
    QString m_fieldName;
    QString m_title;
    Qt::Alignment m_alignment;
    Qt::Alignment m_titleAlignment;
    QString m_titleHint;
    int m_width = 0;   // 0: from the field's display width or a default
    bool m_visible = true;
    bool m_readOnly = false;
    ButtonStyle m_buttonStyle = ButtonStyle::Auto;
    QStringList m_pickList;
    QColor m_color;
    QString m_colorFieldName;
};

// What OnDrawColumnCell may look at and change for one cell. Change
// background, foreground, text or alignment and let the grid draw, or paint
// with `painter` yourself and clear defaultDraw.
struct DBGridCell {
    const DBGrid& grid;
    QPainter& painter;
    QRect rect;
    DBGridColumn& column;
    int row;                     // view row of the record set
    bool selected;
    bool focused;                // the grid's current cell while it has the focus
    bool editing;                // an editor is open on this cell
    QString text;                // the field's display text
    QColor background;
    QColor foreground;
    Qt::Alignment alignment;
    bool defaultDraw = true;

    // Values of the painted row (not the current one).
    QVariant value(const QString& fieldName) const;
    QString fieldText(const QString& fieldName) const;
};

class DBGrid : public QTableView {
    Q_OBJECT
public:
    enum Option {
        Editing = 0x001,
        AlwaysShowEditor = 0x002,
        Titles = 0x004,
        Indicator = 0x008,           // the row-state column at the left
        ColumnResize = 0x010,
        ColLines = 0x020,
        RowLines = 0x040,
        Tabs = 0x080,                // Tab moves between columns
        RowSelect = 0x100,           // whole rows selected, no cell editing
        AlwaysShowSelection = 0x200,
        ConfirmDelete = 0x400,
        CancelOnExit = 0x800,        // leaving the grid cancels an untouched new row
    };
    Q_DECLARE_FLAGS(Options, Option)

    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* dataSource);
    RecordSet* recordSet() const;                // null when unbound or inactive
    RecordSetModel* recordSetModel() const { return m_model; }

    Options options() const { return m_options; }
    void setOptions(Options options);
    void setOption(Option option, bool on = true);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // The last visible column takes the room left in the grid (never less
    // than its own width); the header's own stretching would squeeze it.
    bool stretchLastColumn() const { return m_stretchLast; }
    void setStretchLastColumn(bool stretch);
    // Cells' background (an item grid uses the information colour).
    QColor color() const;
    void setColor(const QColor& color);

    // --- Columns ------------------------------------------------------------
    int columnCount() const { return int(m_columns.size()); }
    DBGridColumn& column(int index) const;                 // throws std::out_of_range
    DBGridColumn* columnByField(const QString& fieldName) const;   // first bound to it, or null
    DBGridColumn& addColumn(const QString& fieldName, const QString& title = QString(), int widthPixels = 0);
    DBGridColumn& insertColumn(int index, const QString& fieldName, const QString& title = QString(), int widthPixels = 0);
    void removeColumn(int index);
    void moveColumn(int from, int to);
    void clearColumns();

    // --- Cursor -------------------------------------------------------------
    int selectedIndex() const;                   // current column; -1 when none
    void setSelectedIndex(int column);           // runs OnColExit/OnColEnter
    Field* selectedField() const;
    void setSelectedField(const QString& fieldName);
    DBGridColumn* currentColumn() const;

    // The cell editor: open (EditorMode), its text while open.
    bool editorMode() const;
    void setEditorMode(bool open);
    QString editorText() const;
    // Writes the open editor's text into the field; false when the field refused it.
    bool commitEditor();

    // Re-reads every cell (after a hook's inputs changed).
    void refresh();

    // --- Events ---------------------------------------------------------------
    std::function<void(DBGrid&)> onColEnter;
    std::function<void(DBGrid&)> onColExit;          // throw to keep the cursor
    std::function<void(DBGrid&)> onEditButtonClick;
    std::function<void(DBGrid&)> onDblClick;
    std::function<void(DBGrid&)> onEnter;
    std::function<void(DBGrid&)> onExit;
    // key: a Qt::Key; set it to 0 to consume the key.
    std::function<void(DBGrid&, int& key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    // A typed character; set it to QChar() to drop it.
    std::function<void(DBGrid&, QChar& key)> onKeyPress;
    std::function<void(DBGrid&, DBGridColumn& column)> onTitleClick;
    std::function<void(DBGrid&, DBGridCell& cell)> onDrawColumnCell;

protected:
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class DBGridColumn;
    friend class DBGridDelegate;
    friend struct DBGridCell;
    enum class KeyOutcome { Consumed, Pass };

    void columnsChanged();
    void applyColumnLook();
    void applyOptions();
    int defaultWidth(const DBGridColumn& column) const;
    // The narrowest the column may show: its title, and a code's whole value.
    int minimumWidth(const DBGridColumn& column) const;
    int wantedWidth(const DBGridColumn& column) const;
    void fillLastColumn();
    void followRecordSet();
    void trackDataChange(Field* field);
    KeyOutcome dispatchKey(QKeyEvent* event, QString* replacement);
    bool handleEditorKey(QKeyEvent* event);
    bool handleGridKey(QKeyEvent* event);
    bool leaveCell(const QModelIndex& current, const QModelIndex& previous, bool* followed);
    void revertCurrent(const QModelIndex& previous);
    bool insertRow(bool atEnd);
    void cancelRow();
    void closeCellEditor();
    void enterGrid();
    void exitGrid();
    void editButtonClicked();
    void deleteWithConfirmation();
    void moveToColumn(int column);
    int nextColumn(int from, int step) const;
    bool canEditCell(const QModelIndex& index) const;
    bool showsEllipsis(const QModelIndex& index) const;
    QRect ellipsisRect(const QRect& cell) const;
    void titleClicked(int section);

    RecordSetModel* m_model;
    DBGridDelegate* m_delegate;
    std::vector<std::unique_ptr<DBGridColumn>> m_columns;
    Options m_options;
    QColor m_color;
    bool m_readOnly = false;
    bool m_reverting = false;
    bool m_following = false;
    bool m_keepingWidth = false;    // the grid itself is sizing its columns
    bool m_stretchLast = false;
    bool m_inside = false;          // the focus is in the grid or its editor
    bool m_pristineInsert = false;  // a row the grid inserted, nothing typed yet
    bool m_leavingRow = false;      // the record set is posting the row the cursor leaves
    int m_selectedColumn = -1;
    bool m_inColExit = false;
    int m_requestedColumn = -1;     // set by OnColExit through setSelectedIndex
    DBGridCellEditor* m_editor = nullptr;
    QPersistentModelIndex m_editorIndex;
    const QKeyEvent* m_forwardedKey = nullptr;
    QTimer m_clickEditTimer;
    QPersistentModelIndex m_clickedIndex;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DBGrid::Options)
