#pragma once
// Value utilities: rounding, codes, texts and dates, the Brazilian way.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>

#include "money.h"
#include "taxnumbers.h"

// True when the text is empty or only blanks.
bool EmptyString(const QString& text);
QString AllTrim(const QString& text);
QString LTrim(const QString& text);

// Widens a code to `width` characters so that codes of equal width compare
// like their numbers: a code of digits is padded on the left with zeros
// ("1" -> "0001"), and zeros beyond the width are dropped ("00012" -> "0012"
// for width 4). A code with other characters, or more significant digits
// than the width, comes back trimmed but otherwise as typed, so a look-up
// of it fails visibly instead of matching a mangled code. Blank gives "".
QString Ajusta(const QString& code, int width);
QString Ajusta(qint64 number, int width);

template <typename T>
T iif(bool condition, const T& whenTrue, const T& whenFalse)
{
    return condition ? whenTrue : whenFalse;
}
inline QString iif(bool condition, const char* whenTrue, const char* whenFalse)
{
    return QString::fromUtf8(condition ? whenTrue : whenFalse);
}

QDate PriDiaMes(const QDate& date);
QDate UltimoDiaMes(const QDate& date);

// The working day `days` working days after `date` for the branch: Saturdays,
// Sundays and the branch's holidays are skipped. With 0 days, `date` itself
// when it is a working day, else the next working day. Negative days count
// backwards. Holidays come from the calendar set below (none until one is set).
QDate DataUtil(const QString& branch, const QDate& date, int days);
using HolidayCalendar = std::function<bool(const QString& branch, const QDate& date)>;
void setHolidayCalendar(HolidayCalendar calendar);
bool isWorkingDay(const QString& branch, const QDate& date);

// Reads a date-time typed as "dd/MM/yyyy hh:mm:ss" (time optional, blanks
// of an unfilled mask ignored). A blank text gives a null date-time. A text
// that is not a valid date-time after 30/12/1899 is refused with
// MensErro("'<text>' não é uma data válida.", true).
QDateTime CheckDateTime(const QString& text);

// Brazilian formatting: "1.234,56", "10/03/2026", "10/03/2026 14:30:00".
const QLocale& brLocale();
QString FormatNumberBR(double value, int decimals);
QString FormatDateBR(const QDate& date);
QString FormatDateTimeBR(const QDateTime& dateTime);
// Accepts "1.234,56" and "1234,56"; a misplaced group dot ("1.5") is refused
// rather than read as 15.
double ParseNumberBR(const QString& text, bool* ok);
QDate ParseDateBR(const QString& text);                 // "dd/MM/yyyy"; invalid QDate otherwise
