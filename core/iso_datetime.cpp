#include "iso_datetime.h"

#include <stdexcept>

namespace {

template <typename Char>
bool digitsAt(const Char* text, qsizetype from, qsizetype count, int& value)
{
    value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const unsigned c = unsigned(text[i]);
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + int(c - '0');
    }
    return true;
}

template <typename Char>
bool scanDate(const Char* text, qsizetype length, IsoParts& parts)
{
    return length >= 10 && text[4] == '-' && text[7] == '-' && digitsAt(text, 0, 4, parts.year)
           && digitsAt(text, 5, 2, parts.month) && digitsAt(text, 8, 2, parts.day)
           && QDate::isValid(parts.year, parts.month, parts.day) && parts.year >= 1;
}

// ISO 8601 lets "24:00:00" end a day; it is the next day's midnight.
bool endOfDayAsNextMidnight(IsoParts& parts)
{
    const QDate next = parts.date().addDays(1);
    if (next.year() > 9999)
        return false;
    parts.year = next.year();
    parts.month = next.month();
    parts.day = next.day();
    parts.hour = 0;
    return true;
}

// From position 10: "THH:mm:ss[.zzz]" exactly, or, lenient, "[T ]HH:mm[:ss[.f{1,3}]]".
template <typename Char>
bool scanTime(const Char* text, qsizetype length, bool lenient, IsoParts& parts)
{
    if (length < 16)
        return false;
    const bool separator = text[10] == 'T' || (lenient && text[10] == ' ');
    if (!separator || text[13] != ':' || !digitsAt(text, 11, 2, parts.hour)
        || !digitsAt(text, 14, 2, parts.minute))
        return false;
    qsizetype pos = 16;
    if (pos < length || !lenient) {
        if (length < 19 || text[16] != ':' || !digitsAt(text, 17, 2, parts.second))
            return false;
        pos = 19;
    }
    if (pos < length) {
        // Milliseconds; a database may keep more digits, which are dropped.
        const qsizetype digits = length - pos - 1;
        int ignored = 0;
        if (text[pos] != '.' || digits < 1 || digits > 9 || (!lenient && digits != 3)
            || !digitsAt(text, pos + 1, qMin(digits, qsizetype(3)), parts.msec)
            || !digitsAt(text, pos + 1, digits, ignored))
            return false;
        for (qsizetype i = digits; i < 3; ++i)
            parts.msec *= 10;
    }
    parts.hasTime = true;
    if (lenient && parts.hour == 24 && parts.minute == 0 && parts.second == 0 && parts.msec == 0)
        return endOfDayAsNextMidnight(parts);
    return QTime::isValid(parts.hour, parts.minute, parts.second, parts.msec);
}

template <typename Char>
std::optional<IsoParts> scan(const Char* text, qsizetype length, IsoForm form)
{
    IsoParts parts;
    if (!scanDate(text, length, parts))
        return std::nullopt;
    switch (form) {
    case IsoForm::Date:
        return length == 10 ? std::optional(parts) : std::nullopt;
    case IsoForm::DateTime:
        return scanTime(text, length, false, parts) ? std::optional(parts) : std::nullopt;
    case IsoForm::Lenient:
        if (length == 10)
            return parts;
        return scanTime(text, length, true, parts) ? std::optional(parts) : std::nullopt;
    }
    return std::nullopt;
}

void appendDigits(QString& out, int value, int width)
{
    QChar buffer[4];
    for (int i = width - 1; i >= 0; --i) {
        buffer[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
    out.append(buffer, width);
}

} // namespace

std::optional<IsoParts> scanIso(QStringView text, IsoForm form)
{
    return scan(text.utf16(), text.size(), form);
}

std::optional<IsoParts> scanIso(QByteArrayView latin1, IsoForm form)
{
    return scan(latin1.data(), latin1.size(), form);
}

QDate parseIsoDate(QStringView text)
{
    const std::optional<IsoParts> parts = scanIso(text, IsoForm::Date);
    return parts ? parts->date() : QDate();
}

QDateTime parseIsoDateTime(QStringView text)
{
    const std::optional<IsoParts> parts = scanIso(text, IsoForm::DateTime);
    return parts ? parts->dateTime() : QDateTime();
}

QDateTime parseIsoLenient(QStringView text)
{
    const std::optional<IsoParts> parts = scanIso(text, IsoForm::Lenient);
    return parts ? parts->dateTime() : QDateTime();
}

QString isoText(const IsoParts& parts, bool withTime)
{
    QString out;
    out.reserve(19);
    appendDigits(out, parts.year, 4);
    out.append(u'-');
    appendDigits(out, parts.month, 2);
    out.append(u'-');
    appendDigits(out, parts.day, 2);
    if (!withTime)
        return out;
    out.append(u'T');
    appendDigits(out, parts.hour, 2);
    out.append(u':');
    appendDigits(out, parts.minute, 2);
    out.append(u':');
    appendDigits(out, parts.second, 2);
    return out;
}

QString isoDateText(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw std::invalid_argument("expected a date between the years 1 and 9999");
    IsoParts parts;
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    return isoText(parts, false);
}

QString isoDateTimeText(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        throw std::invalid_argument("expected a valid date-time");
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (date.year() < 1 || date.year() > 9999)
        throw std::invalid_argument("expected a date between the years 1 and 9999");
    const IsoParts parts{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec(), true};
    QString out = isoText(parts, true);
    if (time.msec() != 0) {
        out.append(u'.');
        appendDigits(out, time.msec(), 3);
    }
    return out;
}
