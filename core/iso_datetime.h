#pragma once
// The wire forms of dates and date-times, read and written in one place:
//   date       "yyyy-MM-dd"
//   date-time  "yyyy-MM-ddTHH:mm:ss", optionally ".zzz"; local, no zone.
// Data packets and call arguments use exactly these. What databases and
// callers may hold as ISO text is read by the lenient reader below.

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

// The fields of an ISO text, checked (a real day, a real time of day) but
// not yet a QDateTime, which costs a time-zone look-up per value.
struct IsoParts {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool hasTime = false;
    QDate date() const { return QDate(year, month, day); }
    QTime time() const { return QTime(hour, minute, second, msec); }
    QDateTime dateTime() const { return QDateTime(date(), time()); }
};

enum class IsoForm {
    Date,          // exactly "yyyy-MM-dd"
    DateTime,      // exactly "yyyy-MM-ddTHH:mm:ss[.zzz]"
    // A date alone (midnight), or a date-time with "T" or a blank before the
    // time, whose seconds and fraction (1 to 9 digits, read to the
    // millisecond) are optional, and "24:00:00" is the next midnight: how
    // SQLite keeps date-times as text and how a date argument may come.
    Lenient,
};

std::optional<IsoParts> scanIso(QStringView text, IsoForm form);
std::optional<IsoParts> scanIso(QByteArrayView latin1, IsoForm form);

// Invalid QDate / QDateTime when the text is not of the form.
QDate parseIsoDate(QStringView text);
QDateTime parseIsoDateTime(QStringView text);
QDateTime parseIsoLenient(QStringView text);

// Throw std::invalid_argument for an invalid date or a year outside 1..9999.
// The fraction is written only when it is not zero.
QString isoDateText(const QDate& date);
QString isoDateTimeText(const QDateTime& dateTime);
// The parts in wire form: a date, or a date-time to whole seconds.
QString isoText(const IsoParts& parts, bool withTime);
