#pragma once
// One aggregate of a record set ("SUM(VRTOTALITEM)"), kept current as rows
// are added and removed. Used inside RecordSet only.
//
// Sums are held as a 128-bit count of 1e-9 units: each value converts to
// units the same way when it is added and when it is removed, so a long
// series of posts, deletes and undos ends exactly where it began.

#include <QString>
#include <QVariant>

class Field;

struct Aggregate {
    enum class Function { Sum, Count, CountAll, Min, Max, Avg };

    Field* field = nullptr;   // the aggregate field that shows the value
    Function function = Function::Sum;
    QString argument;         // field name; empty for COUNT(*)
    int slot = -1;            // slot of the argument
    bool integerResult = false;

    __int128 sumUnits = 0;
    qint64 count = 0;          // non-null values (rows, for COUNT(*))
    QVariant extreme;          // MIN/MAX
    bool extremeStale = false; // the extreme left; recompute on read

    void reset();
    void add(const QVariant& value);
    void remove(const QVariant& value);
    QVariant result() const;   // MIN/MAX: extreme must be fresh

    // "SUM(F)" -> function and argument; throws std::invalid_argument.
    static void parse(const QString& expression, Function* function, QString* argument);
};
