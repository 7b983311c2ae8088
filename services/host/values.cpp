#include "values.h"

#include "field.h"
#include "messages.h"

#include <QRegularExpression>
#include <cmath>
#include <stdexcept>

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}

QString AllTrim(const QString& text)
{
    return text.trimmed();
}

QString LTrim(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    return text.mid(start);
}

namespace {
bool isAsciiDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}
} // namespace

QString Ajusta(const QString& code, int width)
{
    const QString trimmed = code.trimmed();
    if (!isAsciiDigits(trimmed))
        return trimmed;
    qsizetype firstSignificant = 0;
    while (firstSignificant < trimmed.size() - 1 && trimmed[firstSignificant] == u'0')
        ++firstSignificant;
    const QString significant = trimmed.mid(firstSignificant);
    if (significant.size() > width)
        return trimmed;
    return significant.rightJustified(width, u'0');
}

QString Ajusta(qint64 number, int width)
{
    return Ajusta(QString::number(number), width);
}

QDate PriDiaMes(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate UltimoDiaMes(const QDate& date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

namespace {
HolidayCalendar& holidayCalendar()
{
    static HolidayCalendar calendar;
    return calendar;
}
} // namespace

void setHolidayCalendar(HolidayCalendar calendar)
{
    holidayCalendar() = std::move(calendar);
}

bool isWorkingDay(const QString& branch, const QDate& date)
{
    if (date.dayOfWeek() >= Qt::Saturday)
        return false;
    const HolidayCalendar& calendar = holidayCalendar();
    return !(calendar && calendar(branch, date));
}

QDate DataUtil(const QString& branch, const QDate& date, int days)
{
    if (!date.isValid())
        throw std::invalid_argument("DataUtil: data inválida");
    QDate day = date;
    if (days == 0) {
        while (!isWorkingDay(branch, day))
            day = day.addDays(1);
        return day;
    }
    const int step = days > 0 ? 1 : -1;
    for (int remaining = std::abs(days); remaining > 0;) {
        day = day.addDays(step);
        if (isWorkingDay(branch, day))
            --remaining;
    }
    return day;
}

QDateTime CheckDateTime(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^\s*(\d{1,2})\s*/\s*(\d{1,2})\s*/\s*(\d{4})(?:\s+(\d{1,2})?\s*(?::\s*(\d{1,2})?\s*(?::\s*(\d{1,2})?)?)?)?\s*$)"));
    QString compact = text;
    compact.replace(QRegularExpression(QStringLiteral("[\\s/:]")), QString());
    if (compact.isEmpty())
        return {};

    const auto match = shape.match(text);
    if (match.hasMatch()) {
        const QDate date(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt());
        const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
        if (date.isValid() && time.isValid() && date > QDate(1899, 12, 30))
            return QDateTime(date, time);
    }
    MensErro(FormatMsg(msgMensagensPadroes().Msg(QStringLiteral("Data_Invalida")), {text.trimmed()}), true);
    return {};
}

const QLocale& brLocale()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QString FormatNumberBR(double value, int decimals)
{
    return brLocale().toString(RoundDec(value, decimals), 'f', decimals);
}

QString FormatDateBR(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString FormatDateTimeBR(const QDateTime& dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

double ParseNumberBR(const QString& text, bool* ok)
{
    double value = 0.0;
    const bool parsed = FieldText::parseNumber(text, &value, FieldText::LoneDot::Refused);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

QDate ParseDateBR(const QString& text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
}
