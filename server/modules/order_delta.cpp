#include "order_delta.h"

#include "iso_datetime.h"
#include "order_tables.h"
#include "rpc/method_registry.h"
#include "rpc/transaction.h"
#include "store/database.h"
#include "store/kept_statements.h"
#include "store/sql.h"

#include <QDateTime>
#include <QMutex>
#include <QSet>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace OrderDelta {

namespace {

using OrderPackets::OrderKey;

const QString branchColumn = QStringLiteral("CDFILIAL");
const QString orderColumn = QStringLiteral("NRPEDIDO");

// Values the server works out itself after every confirmation: a client
// that read them before is not refused for deleting the row.
const QSet<QString> derivedColumns{QStringLiteral("VRTOTALPED"), QStringLiteral("VRTOTPEDLIQ"), QStringLiteral("DTHRALTPED"),
                                   QStringLiteral("IDITEMERRO"), QStringLiteral("VRPARCELA"),   QStringLiteral("PREVISAO")};

// The charges record set lists every charge kind, stored or not (an
// amount of 0 for one the order does not carry): an update of a row that
// is not stored adds it, a delete of one removes nothing.
const QSet<QString> placeholderTables{QStringLiteral("ENCARGOPED")};

[[noreturn]] void refuse(const QString& message)
{
    throw MethodError(message.toStdString());
}

QDateTime dateTimeOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    return parseIsoLenient(value.toString());
}

bool isBlank(const QVariant& value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// A stored value and a sent one compared as the field's type: the database
// hands dates back as text (SQLite) and numbers as it keeps them.
bool sameValue(const QVariant& stored, const QVariant& sent, FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (isBlank(stored) || isBlank(sent))
            return isBlank(stored) && isBlank(sent);   // an empty text and none are the same to the clerk
        return stored.toString() == sent.toString();
    default:
        break;
    }
    if (stored.isNull() || sent.isNull())
        return stored.isNull() && sent.isNull();
    switch (type) {
    case FieldType::Integer:
    case FieldType::Float: {
        const double a = stored.toDouble(), b = sent.toDouble();
        return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
    }
    case FieldType::Boolean:
        return stored.toBool() == sent.toBool();
    case FieldType::Date:
        return dateTimeOf(stored).date() == dateTimeOf(sent).date();
    case FieldType::DateTime: {
        const QDateTime a = dateTimeOf(stored), b = dateTimeOf(sent);
        return a.date() == b.date() && a.time().hour() == b.time().hour() && a.time().minute() == b.time().minute()
               && a.time().second() == b.time().second();
    }
    default:
        return false;
    }
}

// How a value is bound: a date as the midnight of its day, the way the
// date-time columns keep it.
QVariant bound(const QVariant& value, FieldType type)
{
    if (value.isNull())
        return {};
    if (type == FieldType::Date)
        return QDateTime(dateTimeOf(value).date(), QTime(0, 0));
    return value;
}

// The database's own words of a failed statement, without the statement.
QString driverText(const StoreError& failure)
{
    QString text = QString::fromUtf8(failure.what());
    text.remove(QStringLiteral("SQL statement failed: "));
    const qsizetype statement = text.lastIndexOf(QStringLiteral(" ("));
    return (statement > 0 ? text.left(statement) : text).trimmed().left(200);
}

// The columns of a table with their lengths, read from each database once
// (the schema does not change while the server runs).
QSqlRecord columnsOf(const QSqlDatabase& db, const QString& table)
{
    static QMutex lock;
    static QHash<QString, QSqlRecord> known;
    const QString key = QStringList{db.connectionName(), db.driverName(), db.hostName(), QString::number(db.port()), db.databaseName(), table}
                            .join(u'\n');
    QMutexLocker locked(&lock);
    auto found = known.constFind(key);
    if (found != known.constEnd())
        return *found;
    locked.unlock();
    const QSqlRecord record = db.record(isPostgres(db) ? table.toLower() : table);
    locked.relock();
    known.insert(key, record);
    return record;
}

// A row key as one text, numbers in their shortest form, so that a key
// read from the database and one sent compare alike.
QString keyText(const QVariantList& key)
{
    QStringList parts;
    for (const QVariant& value : key) {
        const int type = value.typeId();
        const bool numeric = type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong;
        parts << (numeric ? QString::number(value.toDouble(), 'g', 15) : value.toString());
    }
    return parts.join(u'\x1f');
}

QString whereKey(const QStringList& names)
{
    QStringList terms;
    for (const QString& name : names)
        terms << name + QStringLiteral(" = ?");
    return terms.join(QStringLiteral(" AND "));
}

} // namespace

Delta readDelta(const QJsonValue& json, const QString& label)
{
    if (!json.isObject())
        refuse(QStringLiteral("Alterações de %1 inválidas: esperado um delta.").arg(label));
    try {
        return Delta::fromJson(json.toObject());
    } catch (const DataPacketError& error) {
        refuse(QStringLiteral("Alterações de %1 inválidas: %2").arg(label, QString::fromUtf8(error.what())));
    }
}

struct Writer::Shape {
    struct Column {
        QString name;
        int at = -1;              // in the delta's rows; -1: the order's own key
        FieldType type = FieldType::String;
        int length = 0;           // characters, where the database tells
    };
    QString table;
    QString label;
    QList<Column> columns;        // what is written: the delta's fields that are columns
    QList<Column> key;            // CDFILIAL, NRPEDIDO and the table's row key
    bool placeholders = false;

    QStringList names(const QList<Column>& list) const
    {
        QStringList result;
        for (const Column& column : list)
            result << column.name;
        return result;
    }
};

Writer::Writer(const QSqlDatabase& db, const OrderKey& order) : m_db(db), m_order(order) {}

Writer::Shape Writer::shapeOf(const QString& table, const Delta& delta, const QString& label) const
{
    const OrderTables::Table& known = OrderTables::table(table);
    const QSqlRecord record = columnsOf(m_db, table);
    if (record.isEmpty())
        throw std::logic_error("the database has no table " + table.toStdString());
    Shape shape;
    shape.table = table;
    shape.label = label;
    shape.placeholders = placeholderTables.contains(table);
    QSet<QString> seen;
    for (qsizetype i = 0; i < delta.fields.size(); ++i) {
        const QString name = delta.fields.at(i).name.toUpper();
        const int at = record.indexOf(isPostgres(m_db) ? name.toLower() : name);
        if (at < 0 || seen.contains(name))
            continue;   // a field of the screen only (a looked-up name, a total)
        seen.insert(name);
        shape.columns.append({name, int(i), delta.fields.at(i).type, record.field(at).length()});
    }
    const auto columnOf = [&](const QString& name) -> Shape::Column {
        for (const Shape::Column& column : shape.columns)
            if (column.name == name)
                return column;
        return {name, -1, FieldType::String, 0};
    };
    shape.key << columnOf(branchColumn) << columnOf(orderColumn);
    for (const QString& name : known.rowKey) {
        const Shape::Column column = columnOf(name);
        if (column.at < 0)
            refuse(QStringLiteral("Alterações de %1 sem o campo %2, que identifica a linha.").arg(label, name));
        shape.key << column;
    }
    return shape;
}

Outcome Writer::apply(const QString& table, const Delta& delta, const QString& label)
{
    if (delta.isEmpty())
        return Outcome::Applied;
    const Shape shape = shapeOf(table, delta, label);
    const QStringList keyNames = shape.names(shape.key);
    const QString where = whereKey(keyNames);
    const QString lock = isPostgres(m_db) ? QStringLiteral(" FOR UPDATE") : QString();

    // The key of a row: the order's own, which a row may not contradict.
    const auto keyOf = [&](const QVariantList& values, int change) {
        QVariantList key;
        for (const Shape::Column& column : shape.key) {
            const QVariant ownKey = column.name == branchColumn ? QVariant(m_order.branch)
                                  : column.name == orderColumn  ? QVariant(m_order.number)
                                                                : QVariant();
            const QVariant value = column.at < 0 ? ownKey : values.at(column.at);
            if (ownKey.isValid() && column.at >= 0 && !value.isNull() && value.toString() != ownKey.toString())
                refuse(QStringLiteral("Alterações de %1 (alteração %2): %3 \"%4\" não é do pedido %5/%6.")
                           .arg(label)
                           .arg(change)
                           .arg(column.name, value.toString().left(20), m_order.branch, m_order.number));
            if (value.isNull() && !ownKey.isValid())
                refuse(QStringLiteral("Alterações de %1 (alteração %2): o campo %3 deve ser informado.")
                           .arg(label)
                           .arg(change)
                           .arg(column.name));
            key << (value.isNull() ? ownKey : bound(value, column.type));
        }
        return key;
    };
    const auto checkLengths = [&](const QVariantList& values, int change) {
        for (const Shape::Column& column : shape.columns) {
            const QVariant& value = values.at(column.at);
            if (column.length > 0 && (column.type == FieldType::String) && value.toString().size() > column.length)
                refuse(QStringLiteral("Alterações de %1 (alteração %2): %3 tem mais de %4 caracteres.")
                           .arg(label)
                           .arg(change)
                           .arg(column.name)
                           .arg(column.length));
        }
    };
    const auto stored = [&](const QVariantList& key) -> std::optional<QVariantList> {
        KeptStatement row(m_db,
                          QStringLiteral("SELECT %1 FROM %2 WHERE %3%4")
                              .arg(shape.names(shape.columns).join(QStringLiteral(", ")), table, where, lock),
                          key);
        if (!row->next())
            return std::nullopt;
        QVariantList values;
        for (qsizetype i = 0; i < shape.columns.size(); ++i)
            values << row->value(int(i));
        return values;
    };
    const auto write = [&](const QString& sql, const QVariantList& values, int change) {
        try {
            execChange(m_db, sql, values);
        } catch (const StoreError& failure) {
            if (isTransientConflict(failure))
                throw;
            // A required field left empty, a value the column cannot take.
            refuse(QStringLiteral("Alterações de %1 (alteração %2): a linha não pode ser gravada (%3).")
                       .arg(label)
                       .arg(change)
                       .arg(driverText(failure)));
        }
    };
    const QVariantMap defaults = m_defaults.value(table);
    // Inserts go out in batches of rows with the same columns: one
    // statement for many rows, written before any other change.
    std::unique_ptr<BatchInserter> batch;
    QStringList batchColumns;
    int batchFirst = 0;
    // A batch writes when it is full or flushed: a failure names its first change.
    const auto batchWrite = [&](const std::function<void()>& work) {
        try {
            work();
        } catch (const StoreError& failure) {
            if (isTransientConflict(failure))
                throw;
            refuse(QStringLiteral("Alterações de %1 (alteração %2 em diante): a linha não pode ser gravada (%3).")
                       .arg(label)
                       .arg(batchFirst)
                       .arg(driverText(failure)));
        }
    };
    const auto flush = [&] {
        if (!batch)
            return;
        batchWrite([&] { batch->flush(); });
        batch.reset();
    };
    const auto insert = [&](const QVariantList& values, const QVariantList& key, int change) {
        QVariantMap row = defaults;
        for (const Shape::Column& column : shape.columns) {
            const QVariant value = bound(values.at(column.at), column.type);
            if (!value.isNull())
                row.insert(column.name, value);
        }
        // The order key is always the order's own, also where the delta lacks it.
        row.insert(branchColumn, key.at(0));
        row.insert(orderColumn, key.at(1));
        const QStringList names = row.keys();
        if (!batch || names != batchColumns) {
            flush();
            batch = std::make_unique<BatchInserter>(m_db, table, names);
            batchColumns = names;
            batchFirst = change;
        }
        batchWrite([&] { batch->add(row.values()); });
    };
    // The keys stored now, read once: an insert must not find its own.
    // Under a header inserted here there are none: the order's tables
    // refer to their header.
    QSet<QString> storedKeys;
    if (!m_headerInserted) {
        KeptStatement rows(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(keyNames.join(u','), table),
                           {m_order.branch, m_order.number});
        while (rows->next()) {
            QVariantList key;
            for (int i = 0; i < keyNames.size(); ++i)
                key << rows->value(i);
            storedKeys.insert(keyText(key));
        }
    }

    int number = 0;
    for (const RowChange& change : delta.changes) {
        ++number;
        switch (change.op) {
        case ChangeOp::Insert: {
            checkLengths(change.newValues, number);
            const QVariantList key = keyOf(change.newValues, number);
            if (storedKeys.contains(keyText(key)))
                return Outcome::Conflict;   // someone else stored this row meanwhile
            storedKeys.insert(keyText(key));
            insert(change.newValues, key, number);
            break;
        }
        case ChangeOp::Update: {
            flush();
            checkLengths(change.newValues, number);
            const QVariantList oldKey = keyOf(change.oldValues, number);
            const QVariantList newKey = keyOf(change.newValues, number);
            const std::optional<QVariantList> row = stored(oldKey);
            if (!row) {
                if (!shape.placeholders)
                    return Outcome::Conflict;
                storedKeys.insert(keyText(newKey));
                insert(change.newValues, newKey, number);
                break;
            }
            storedKeys.remove(keyText(oldKey));
            storedKeys.insert(keyText(newKey));
            QStringList assignments;
            QVariantList bind;
            for (qsizetype i = 0; i < shape.columns.size(); ++i) {
                const Shape::Column& column = shape.columns.at(i);
                const QVariant& before = change.oldValues.at(column.at);
                const QVariant& after = change.newValues.at(column.at);
                if (sameValue(before, after, column.type))
                    continue;
                // Changed meanwhile by someone else, unless to what this change wants.
                if (!sameValue(row->at(i), before, column.type) && !sameValue(row->at(i), after, column.type))
                    return Outcome::Conflict;
                assignments << column.name + QStringLiteral(" = ?");
                bind << bound(after, column.type);
            }
            if (assignments.isEmpty())
                break;
            write(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assignments.join(QStringLiteral(", ")), where), bind + oldKey,
                  number);
            break;
        }
        case ChangeOp::Delete: {
            flush();
            const QVariantList key = keyOf(change.oldValues, number);
            storedKeys.remove(keyText(key));
            const std::optional<QVariantList> row = stored(key);
            if (!row) {
                if (shape.placeholders)
                    break;
                return Outcome::Conflict;
            }
            for (qsizetype i = 0; i < shape.columns.size(); ++i) {
                const Shape::Column& column = shape.columns.at(i);
                if (!derivedColumns.contains(column.name) && !sameValue(row->at(i), change.oldValues.at(column.at), column.type))
                    return Outcome::Conflict;
            }
            write(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where), key, number);
            break;
        }
        }
    }
    flush();
    if (table == u"PEDIDO")
        m_headerInserted = m_headerInserted || std::any_of(delta.changes.cbegin(), delta.changes.cend(),
                                                           [](const RowChange& change) { return change.op == ChangeOp::Insert; });
    return Outcome::Applied;
}

} // namespace OrderDelta
