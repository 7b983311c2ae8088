#include "order_packets.h"

#include "rpc/method_registry.h"
#include "store/sql.h"

namespace OrderPackets {

OrderKey orderKeyArgs(const QJsonArray& params, int branchIndex, int orderIndex)
{
    return {keyValue(params, branchIndex, branchArg), keyValue(params, orderIndex, orderArg)};
}

SelectColumn column(const FieldDef& field, const QString& expression)
{
    return {field, expression.isEmpty() ? field.name : expression};
}

SelectColumn text(const QString& name, int size, const QString& expression)
{
    return column(textField(name, size), expression);
}

SelectColumn number(const QString& name, const QString& expression)
{
    return column(floatField(name), expression);
}

SelectColumn dateTime(const QString& name, const QString& expression)
{
    return column(dateTimeField(name), expression);
}

SelectColumn memo(const QString& name, const QString& expression)
{
    return column(memoField(name), expression);
}

DataPacket keyedColumns(const QSqlDatabase& db, bool keyComplete, const QList<SelectColumn>& columns,
                        const QString& fromAndWhere, const QVariantList& values)
{
    if (!keyComplete)
        return emptyPacket(fieldsOf(columns));
    return selectColumns(db, columns, fromAndWhere, values);
}

DataPacket orderPacket(const QSqlDatabase& db, const QList<SelectColumn>& columns, const QString& fromWhereOrder,
                       const OrderKey& order)
{
    return keyedColumns(db, !order.isEmpty(), columns, fromWhereOrder, {order.branch, order.number});
}

bool orderExists(const QSqlDatabase& db, const OrderKey& order)
{
    return !order.isEmpty()
           && selectValue(db, QStringLiteral("SELECT 1 FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {order.branch, order.number})
                  .isValid();
}

namespace {

const QList<SelectColumn> noteColumns = {
    text(QStringLiteral("NRPEDIDO"), 10),
    memo(QStringLiteral("TXOBSPED")),
    text(QStringLiteral("CDFILIAL"), 4),
};

const QList<SelectColumn> termColumns = {
    text(QStringLiteral("CDFILIAL"), 4),
    text(QStringLiteral("NRPEDIDO"), 10),
    dateTime(QStringLiteral("DTPEDIDO")),
    number(QStringLiteral("NRDIASPGTOPED")),
    dateTime(QStringLiteral("PREVISAO")),
    number(QStringLiteral("VRPERCPGTOPED")),
    text(QStringLiteral("DSPRAZOPGTOPED"), 20),
    number(QStringLiteral("VRPARCELA")),
};

const QList<SelectColumn> additionalDataColumns = {
    text(QStringLiteral("CDFILIAL"), 4),
    text(QStringLiteral("NRPEDIDO"), 10),
    text(QStringLiteral("NRDADOADICPED"), 3),
    text(QStringLiteral("CDMENSAGEM"), 3),
    text(QStringLiteral("DSDADOADICPED"), 120),
};

const QList<SelectColumn> chargeColumns = {
    text(QStringLiteral("CDFILIAL"), 4, QStringLiteral("CAST(? AS VARCHAR(4))")),
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("CAST(? AS VARCHAR(10))")),
    text(QStringLiteral("CDENCARGO"), 2, QStringLiteral("E.CDENCARGO")),
    text(QStringLiteral("NMENCARGO"), 20, QStringLiteral("E.NMENCARGO")),
    number(QStringLiteral("VRENCARGOPED"), QStringLiteral("COALESCE(P.VRENCARGOPED, 0)")),
    number(QStringLiteral("VRPERCENTENC"), QStringLiteral("P.VRPERCENTENC")),
};

const QList<SelectColumn> deliveryAddressColumns = {
    text(QStringLiteral("CDFILIAL"), 4),
    text(QStringLiteral("NRPEDIDO"), 10),
    text(QStringLiteral("NMRAZSOCPED"), 250),
    text(QStringLiteral("DSENDEPED"), 200),
    text(QStringLiteral("NRCEPPED"), 15),
    text(QStringLiteral("NRTELEPED"), 25),
    text(QStringLiteral("NRINSJURPED"), 20),
    text(QStringLiteral("NRINSESTPED"), 20),
    text(QStringLiteral("NMPAISPED"), 30),
    text(QStringLiteral("SGESTADOPED"), 2),
    text(QStringLiteral("NMMUNIPED"), 30),
    text(QStringLiteral("NMBAIRROPED"), 60),
    text(QStringLiteral("CDPAISPED"), 4),
    text(QStringLiteral("NMESTADOPED"), 30),
    text(QStringLiteral("CDMUNICIPIOPED"), 4),
    text(QStringLiteral("CDCLIENTE"), 21),
    text(QStringLiteral("IDTPENDECLIE"), 1),
    text(QStringLiteral("NRSEQEND"), 3),
    number(QStringLiteral("NRLOCALENTRCLIENTE")),
    text(QStringLiteral("CDFILIALPED"), 4),
    text(QStringLiteral("DSLOCALENTRCLIENTE"), 30),
};

} // namespace

DataPacket orderNote(const QSqlDatabase& db, const OrderKey& order)
{
    return orderPacket(db, noteColumns, QStringLiteral("FROM OBSPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), order);
}

DataPacket orderTerms(const QSqlDatabase& db, const OrderKey& order)
{
    return orderPacket(db, termColumns, QStringLiteral("FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRDIASPGTOPED"),
                       order);
}

DataPacket orderAdditionalData(const QSqlDatabase& db, const OrderKey& order)
{
    return orderPacket(db, additionalDataColumns,
                       QStringLiteral("FROM DADOADICPED WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRDADOADICPED"), order);
}

DataPacket orderCharges(const QSqlDatabase& db, const OrderKey& order)
{
    return keyedColumns(db, !order.isEmpty(), chargeColumns,
                        QStringLiteral("FROM ENCARGO E"
                                       " LEFT JOIN ENCARGOPED P ON P.CDENCARGO = E.CDENCARGO AND P.CDFILIAL = ? AND P.NRPEDIDO = ?"
                                       " ORDER BY E.CDENCARGO"),
                        {order.branch, order.number, order.branch, order.number});
}

DataPacket orderDeliveryAddress(const QSqlDatabase& db, const OrderKey& order)
{
    return orderPacket(db, deliveryAddressColumns, QStringLiteral("FROM ENDEPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), order);
}

} // namespace OrderPackets
