#include "order_tables.h"

#include "store/sql.h"

#include <QHash>
#include <QSqlField>
#include <QSqlRecord>
#include <stdexcept>

namespace OrderTables {

namespace {

const QStringList item{QStringLiteral("NRITEMPED")};

} // namespace

const QList<Table>& all()
{
    static const QList<Table> tables{
        {QStringLiteral("PEDIDO"), {}},
        {QStringLiteral("ITEMPEDIDO"), item},
        {QStringLiteral("COMPITEMPED"), item + QStringList{QStringLiteral("CDPRODCOMPED"), QStringLiteral("NRSEQPROD"), QStringLiteral("CDGRUPOCOMP")}},
        {QStringLiteral("TERCITEMPED"), item + QStringList{QStringLiteral("CDPRODUTO")}},
        {QStringLiteral("COMPRENTITEM"), item + QStringList{QStringLiteral("SGCOMPRENT")}},
        {QStringLiteral("ITEMPEDIMPOS"), item + QStringList{QStringLiteral("CDIMPOSTO")}},
        {QStringLiteral("OBSPEDIDO"), {}},
        {QStringLiteral("DADOADICPED"), {QStringLiteral("NRDADOADICPED")}},
        {QStringLiteral("ENDEPEDIDO"), {}},
        {QStringLiteral("ENCARGOPED"), {QStringLiteral("CDENCARGO")}},
        {QStringLiteral("PRAZOPGTOPED"), {QStringLiteral("NRDIASPGTOPED")}},
        {QStringLiteral("VENDPEDIDO"), {QStringLiteral("CDVENDEDOR")}},
        {QStringLiteral("IMPOSPEDTOT"), {QStringLiteral("CDIMPOSTO")}},
        {QStringLiteral("DADOSPACPED"), {}},
    };
    return tables;
}

const Table& table(const QString& name)
{
    for (const Table& known : all())
        if (known.name == name)
            return known;
    throw std::logic_error("not a table of an order: " + name.toStdString());
}

int copyRows(const QSqlDatabase& db, const QString& tableName, const OrderPackets::OrderKey& from,
             const OrderPackets::OrderKey& to)
{
    const Table& target = table(tableName);
    // The columns as the database has them (PostgreSQL names them in small
    // letters), so that a column added later is copied too.
    const QSqlRecord record = db.record(isPostgres(db) ? target.name.toLower() : target.name);
    if (record.isEmpty())
        throw std::logic_error("the database has no table " + target.name.toStdString());
    QStringList columns;
    QStringList selected;
    for (int i = 0; i < record.count(); ++i) {
        const QString column = record.fieldName(i).toUpper();
        columns << column;
        if (column == u"CDFILIAL")
            selected << QStringLiteral("CAST(? AS VARCHAR(4))");
        else if (column == u"NRPEDIDO")
            selected << QStringLiteral("CAST(? AS VARCHAR(10))");
        else
            selected << column;
    }
    QVariantList values;   // in the order of the columns they stand for
    for (const QString& column : columns) {
        if (column == u"CDFILIAL")
            values << to.branch;
        else if (column == u"NRPEDIDO")
            values << to.number;
    }
    values << from.branch << from.number;
    return execChange(db,
                      QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?")
                          .arg(target.name, columns.join(QStringLiteral(", ")), selected.join(QStringLiteral(", "))),
                      values);
}

} // namespace OrderTables
