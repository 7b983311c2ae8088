#include "numberedit.h"

#include "guard.h"
#include "messages.h"
#include "values.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>
#include <cmath>

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    showValue(false);
}

void TNumberEdit::setValue(double value)
{
    store(value, false);
    showValue(hasFocus() && !isReadOnly());
}

void TNumberEdit::clear()
{
    store(0.0, true);
    showValue(false);
}

void TNumberEdit::setDecimals(int decimals)
{
    m_decimals = qBound(0, decimals, 10);
    showValue(hasFocus() && !isReadOnly());
}

void TNumberEdit::setAllowNegative(bool allow)
{
    m_allowNegative = allow;
}

QString TNumberEdit::formattedText() const
{
    return m_empty ? QString() : FormatNumberBR(m_value, m_decimals);
}

bool TNumberEdit::parse(const QString& text, double* value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    const double number = ParseNumberBR(trimmed, &ok);
    if (ok)
        *value = number;
    return ok;
}

bool TNumberEdit::updateValue()
{
    const QString typed = text().trimmed();
    if (typed.isEmpty()) {
        store(0.0, true);
        return true;
    }
    double number = 0;
    const bool ok = parse(typed, &number) && std::isfinite(number) && (m_allowNegative || number >= 0);
    if (!ok) {
        guarded([&] { MensErro(QStringLiteral("'%1' não é um número válido.").arg(typed), true); });
        return false;
    }
    store(RoundDec(number, m_decimals), false);
    return true;
}

void TNumberEdit::store(double value, bool empty)
{
    const bool changed = empty != m_empty || (!empty && value != m_value);
    m_value = empty ? 0.0 : value;
    m_empty = empty;
    if (!changed)
        return;
    emit valueChanged(m_value);
    if (onChange)
        guarded([&] { onChange(*this); });
}

void TNumberEdit::showValue(bool forEditing)
{
    if (m_empty) {
        setText(QString());
        return;
    }
    // While typing, no thousands dots: the person edits digits and the comma.
    setText(forEditing ? FormatNumberBR(m_value, m_decimals).remove(brLocale().groupSeparator())
                       : formattedText());
}

void TNumberEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!isReadOnly()) {
        showValue(true);
        QTimer::singleShot(0, this, [this] { selectAll(); });
    }
}

void TNumberEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason || isReadOnly())
        return;
    if (!updateValue()) {
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
        return;
    }
    showValue(false);
    if (onExit)
        guarded([&] { onExit(*this); });
}

void TNumberEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (updateValue())
            showValue(true);
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed.size() == 1 && typed.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        const QChar c = typed.at(0);
        if (c == QLatin1Char('.') && event->modifiers() & Qt::KeypadModifier) {
            insert(QStringLiteral(","));   // the keypad's point is the decimal comma here
            event->accept();
            return;
        }
        const bool allowed = c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.')
            || (c == QLatin1Char('-') && m_allowNegative);
        if (!allowed) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
