#include "dbedits.h"

#include "datasource.h"
#include "field.h"
#include "fieldlink.h"
#include "guard.h"
#include "taxnumbers.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScopedValueRollback>
#include <QMimeData>
#include <QTimer>

namespace {

// Keys that change the text of an edit: they need the row in edit first.
bool modifiesText(QKeyEvent* event, bool multiLine)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord)
        || event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return multiLine;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

QString applyCase(const QString& text, CharCase charCase)
{
    switch (charCase) {
    case CharCase::Upper: return text.toUpper();
    case CharCase::Lower: return text.toLower();
    case CharCase::Normal: break;
    }
    return text;
}

// Leaving for another window or a menu is not leaving the control.
bool leavesControl(QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

void keepFocus(QWidget* widget)
{
    QTimer::singleShot(0, widget, [widget] { widget->setFocus(Qt::OtherFocusReason); });
}

} // namespace

// --- DBEdit -------------------------------------------------------------------

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), FieldBound(this)
{
    m_link->showValue = [this] { showValue(); };
    m_link->writeValue = [this] { updateRecord(); };
    connect(this, &QLineEdit::textEdited, this, &DBEdit::textWasEdited);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (onChange && !m_reformatting)
            guarded([&] { onChange(*this); });
    });
    showValue();
}

DBEdit::~DBEdit() = default;

void DBEdit::setCharCase(CharCase charCase)
{
    m_charCase = charCase;
    const QString cased = applyCase(text(), charCase);
    if (cased != text())
        setText(cased);
}

bool DBEdit::updateRecord()
{
    Field* f = field();
    if (!m_modified || !f)
        return true;
    const bool written = guarded([&] {
        if (!m_link->edit())
            return;
        f->setText(text());
    });
    if (written) {
        m_modified = false;
        showValue();
    }
    return written;
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (onKeyPress && (enter || (!event->text().isEmpty() && event->text().at(0).isPrint()))) {
        QChar key = enter ? QChar('\r') : event->text().at(0);
        guarded([&] { onKeyPress(*this, key); });
        if (key.isNull()) {
            event->accept();
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && m_modified) {
        showValue();   // back to the field's value
        event->accept();
        return;
    }
    if (enter) {
        updateRecord();
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (modifiesText(event, false) && !prepareChange()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !prepareChange()) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    if (!m_modified) {
        QScopedValueRollback reformatting(m_reformatting, true);
        showValue();   // the edit format while focused
    }
    QLineEdit::focusInEvent(event);
    if (leavesControl(event) && onEnter)
        guarded([&] { onEnter(*this); });
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!leavesControl(event))
        return;
    if (!updateRecord()) {
        keepFocus(this);
        return;
    }
    if (!m_modified)
        showValue();
    if (onExit)
        guarded([&] { onExit(*this); });
}

void DBEdit::textWasEdited()
{
    if (m_showing)
        return;
    const QString cased = applyCase(text(), m_charCase);
    if (cased != text()) {
        const int cursor = cursorPosition();
        setText(cased);
        setCursorPosition(cursor);
    }
    Field* f = field();
    if (f && !m_link->dataSource()->isEditing()) {
        // Changed by a path that skipped the key check (context-menu paste,
        // drop): the row goes into edit now, keeping what was typed.
        const QString typed = text();
        if (!prepareChange()) {
            showValue();
            return;
        }
        if (text() != typed) {
            m_showing = true;
            setText(typed);
            m_showing = false;
        }
    }
    m_modified = f != nullptr;
}

// A code with an edit mask (a tax number, a seller code) reads with its
// punctuation while it is not being typed.
QString DBEdit::maskedText(const Field& f)
{
    const QString text = f.text();
    if (f.type() != FieldType::String || f.editMask().isEmpty() || f.onGetText)
        return text;
    return FormatWithMask(text, f.editMask());
}

void DBEdit::showValue()
{
    const Field* f = field();
    m_showing = true;
    QString shown;
    if (f)
        guarded([&] { shown = hasFocus() && m_link->dataSource()->isEditing() ? f->editText() : maskedText(*f); });
    if (shown != text())
        setText(shown);
    m_showing = false;
    m_modified = false;
    applyFieldLimits();
}

void DBEdit::applyFieldLimits()
{
    const Field* f = field();
    const bool stringField = f && (f->type() == FieldType::String) && f->size() > 0;
    // Setting the length again would drop the selection the person is typing over.
    const int length = stringField ? f->size() : 32767;
    if (maxLength() != length)
        setMaxLength(length);
    const bool bound = !m_link->fieldName().isEmpty() && m_link->dataSource();
    const bool readOnly = bound && (!f || f->isReadOnly() || f->isCalculated() || f->kind() == Field::Kind::Aggregate);
    if (isReadOnly() != readOnly)
        setReadOnly(readOnly);
}

// --- DBRichEdit -----------------------------------------------------------------

DBRichEdit::DBRichEdit(QWidget* parent) : QTextEdit(parent), FieldBound(this)
{
    setAcceptRichText(false);
    m_link->showValue = [this] { showValue(); };
    m_link->writeValue = [this] { updateRecord(); };
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        m_modified = field() != nullptr;
        if (onChange)
            guarded([&] { onChange(*this); });
    });
    showValue();
}

DBRichEdit::~DBRichEdit() = default;

bool DBRichEdit::updateRecord()
{
    Field* f = field();
    if (!m_modified || !f)
        return true;
    const bool written = guarded([&] {
        if (m_link->edit())
            f->setText(toPlainText());
    });
    if (written)
        m_modified = false;
    return written;
}

void DBRichEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_modified) {
        showValue();
        event->accept();
        return;
    }
    if (modifiesText(event, true) && !prepareChange()) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void DBRichEdit::insertFromMimeData(const QMimeData* source)
{
    if (prepareChange())
        QTextEdit::insertFromMimeData(source);
}

void DBRichEdit::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    if (!leavesControl(event))
        return;
    if (!updateRecord()) {
        keepFocus(this);
        return;
    }
    if (onExit)
        guarded([&] { onExit(*this); });
}

void DBRichEdit::showValue()
{
    const Field* f = field();
    m_showing = true;
    const QString shown = f ? f->asString() : QString();
    if (shown != toPlainText())
        setPlainText(shown);
    m_showing = false;
    m_modified = false;
    const bool bound = !m_link->fieldName().isEmpty() && m_link->dataSource();
    setReadOnly(bound && (!f || f->isReadOnly() || f->isCalculated()));
}

// --- DBCheckBox -----------------------------------------------------------------

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent), FieldBound(this)
{
    m_link->showValue = [this] { showValue(); };
    showValue();
}

DBCheckBox::~DBCheckBox() = default;

void DBCheckBox::setValueChecked(const QString& value)
{
    m_valueChecked = value;
    showValue();
}

void DBCheckBox::setValueUnchecked(const QString& value)
{
    m_valueUnchecked = value;
    showValue();
}

void DBCheckBox::nextCheckState()
{
    Field* f = field();
    if (!f) {
        if (m_link->fieldName().isEmpty())
            QCheckBox::nextCheckState();
        return;
    }
    const bool stored = guarded([&] {
        if (!m_link->edit())
            return;
        f->setValue(isChecked() ? m_valueUnchecked : m_valueChecked);
    });
    showValue();
    if (stored && onClick)
        guarded([&] { onClick(*this); });
}

void DBCheckBox::showValue()
{
    const Field* f = field();
    const bool checked = f && f->asString().compare(m_valueChecked, Qt::CaseInsensitive) == 0;
    QSignalBlocker block(this);
    setChecked(checked);
    setEnabled(m_link->fieldName().isEmpty() || (f && m_link->canModify()) || !m_link->dataSource());
}

// --- DBText ---------------------------------------------------------------------

DBText::DBText(QWidget* parent) : QLabel(parent), FieldBound(this)
{
    setTextFormat(Qt::PlainText);
    m_link->showValue = [this] { showValue(); };
}

DBText::~DBText() = default;

void DBText::showValue()
{
    const Field* f = field();
    QString shown;
    if (f)
        guarded([&] { shown = f->text(); });
    setText(shown);
}

// --- DBComboBox -----------------------------------------------------------------

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent), FieldBound(this)
{
    m_link->showValue = [this] { showValue(); };
    connect(this, &QComboBox::activated, this, &DBComboBox::choose);
}

DBComboBox::~DBComboBox() = default;

void DBComboBox::setItems(const QStringList& texts, const QStringList& values)
{
    m_showing = true;
    clear();
    addItems(texts);
    m_values = values.isEmpty() ? texts : values;
    m_showing = false;
    showValue();
}

void DBComboBox::choose(int index)
{
    Field* f = field();
    if (m_showing || !f || index < 0 || index >= m_values.size())
        return;
    const bool stored = guarded([&] {
        if (m_link->edit())
            f->setText(m_values[index]);
    });
    showValue();
    if (stored && onChange)
        guarded([&] { onChange(*this); });
}

void DBComboBox::showValue()
{
    const Field* f = field();
    m_showing = true;
    setCurrentIndex(f ? int(m_values.indexOf(f->asString())) : -1);
    setEnabled(!f || m_link->canModify());
    m_showing = false;
}
