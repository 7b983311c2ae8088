#include "dateeditplus.h"

#include "guard.h"
#include "messages.h"
#include "values.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int calendarButtonPixels = 22;

QDate fromParts(int day, int month, int year)
{
    if (year < 100)
        year += 2000;
    return QDate(year, month, day);
}

// The calendar popup, closed by a choice or by Esc / a click outside.
class CalendarPopup : public QWidget {
public:
    explicit CalendarPopup(TDateEditPlus* edit) : QWidget(edit, Qt::Popup)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        calendar = new QCalendarWidget(this);
        calendar->setLocale(brLocale());
        calendar->setGridVisible(false);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar->setFirstDayOfWeek(Qt::Sunday);
        layout->addWidget(calendar);
        const QDate shown = edit->date();
        calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
        const auto choose = [this, edit](const QDate& chosen) {
            close();
            edit->setDate(chosen);
            edit->setFocus(Qt::PopupFocusReason);
        };
        QObject::connect(calendar, &QCalendarWidget::activated, this, choose);
        QObject::connect(calendar, &QCalendarWidget::clicked, this, choose);
    }

    QCalendarWidget* calendar;
};

} // namespace

TDateEditPlus::TDateEditPlus(QWidget* parent) : QLineEdit(parent), m_calendarButton(new QToolButton(this))
{
    setPlaceholderText(QStringLiteral("dd/mm/aaaa"));
    setMaxLength(10);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9/ ]{0,10}")), this));
    m_calendarButton->setAutoRaise(true);
    m_calendarButton->setFocusPolicy(Qt::NoFocus);
    m_calendarButton->setCursor(Qt::ArrowCursor);
    m_calendarButton->setText(QStringLiteral("▾"));
    m_calendarButton->setToolTip(QStringLiteral("Calendário (Alt+↓)"));
    setTextMargins(0, 0, calendarButtonPixels, 0);
    connect(m_calendarButton, &QToolButton::clicked, this, &TDateEditPlus::showCalendar);
    connect(this, &QLineEdit::textEdited, this, &TDateEditPlus::textWasEdited);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + calendarButtonPixels + 12);
}

QDate TDateEditPlus::date() const
{
    return parse(text());
}

void TDateEditPlus::setDate(const QDate& date)
{
    setText(FormatDateBR(date));
    announceDate();
}

void TDateEditPlus::announceDate()
{
    const QDate current = date();
    if (current == m_lastDate)
        return;
    m_lastDate = current;
    emit dateChanged(current);
    if (onChange)
        guarded([&] { onChange(*this); });
}

bool TDateEditPlus::isEmpty() const
{
    return text().trimmed().remove(QLatin1Char('/')).trimmed().isEmpty();
}

bool TDateEditPlus::hasValidDate() const
{
    return isEmpty() || date().isValid();
}

void TDateEditPlus::clear()
{
    QLineEdit::clear();
    announceDate();
}

QDate TDateEditPlus::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression withSlashes(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    static const QRegularExpression digitsOnly(QStringLiteral("^(\\d{2})(\\d{2})(\\d{2}|\\d{4})$"));
    QRegularExpressionMatch match = withSlashes.match(trimmed);
    if (!match.hasMatch())
        match = digitsOnly.match(trimmed);
    if (!match.hasMatch())
        return {};
    return fromParts(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

bool TDateEditPlus::checkDate()
{
    if (hasValidDate()) {
        const QDate current = date();
        if (current.isValid())
            setDate(current);   // "10032026" typed, "10/03/2026" shown
        else
            clear();
        return true;
    }
    const QString typed = text();
    guarded([&] { MensErro(QStringLiteral("'%1' não é uma data válida.").arg(typed), true); });
    return false;
}

void TDateEditPlus::showCalendar()
{
    if (isReadOnly() || !isEnabled())
        return;
    auto* popup = new CalendarPopup(this);
    popup->adjustSize();
    QPoint below = mapToGlobal(QPoint(0, height()));
    popup->move(below);
    popup->show();
    popup->calendar->setFocus(Qt::PopupFocusReason);
}

void TDateEditPlus::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (!checkDate()) {
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
        return;
    }
    if (onExit)
        guarded([&] { onExit(*this); });
}

void TDateEditPlus::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) || event->key() == Qt::Key_F4) {
        showCalendar();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        checkDate();
    if (event->text() == QStringLiteral("/") && text().endsWith(QLatin1Char('/'))
        && cursorPosition() == text().size()) {
        event->accept();   // the slash is there already
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDateEditPlus::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void TDateEditPlus::textWasEdited(const QString& text)
{
    // Slashes come by themselves after the day and the month.
    const int cursor = cursorPosition();
    if (cursor != text.size())
        return;
    if ((text.size() == 2 || text.size() == 5) && text.at(text.size() - 1).isDigit()
        && !text.endsWith(QLatin1Char('/')) && text.count(QLatin1Char('/')) == (text.size() == 2 ? 0 : 1)) {
        setText(text + QLatin1Char('/'));
    }
}

void TDateEditPlus::placeButton()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    m_calendarButton->setGeometry(width() - calendarButtonPixels - frame, frame, calendarButtonPixels,
                                  height() - 2 * frame);
}
