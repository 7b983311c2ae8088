#include "stock_figures.h"

#include "store/sql.h"

namespace StockFigures {

using namespace OrderPackets;

QString stockProductOf(const QSqlDatabase& db, const QString& product)
{
    if (product.isEmpty())
        return {};
    return selectValue(db, QStringLiteral("SELECT COALESCE(CDPRODESTO, CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO = ?"), {product})
        .toString();
}

double openQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& orderKind,
                    const QString& excludedOrder)
{
    QString sql = QStringLiteral("SELECT SUM((I.QTITEMPED - COALESCE(I.QTEXPITEMPED, 0)) * P.VRFATOCONV) FROM ITEMPEDIDO I"
                                 " INNER JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL AND D.NRPEDIDO = I.NRPEDIDO"
                                 " INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                 " WHERE I.CDFILIAL = ? AND COALESCE(I.CDPRODESTO, P.CDPRODESTO, P.CDPRODUTO) = ?"
                                 " AND I.IDSITITEMPED IN ('1', '2', '3', '7') AND D.IDTIPOPEDIDO = ?");
    QVariantList values{branch, stockProduct, orderKind};
    if (!excludedOrder.isEmpty()) {
        sql += QStringLiteral(" AND D.NRPEDIDO <> ?");
        values.append(excludedOrder);
    }
    return selectValue(db, sql, values).toDouble();
}

double stockQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct)
{
    return selectValue(db, QStringLiteral("SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = ? AND CDPRODUTO = ?"), {branch, stockProduct})
        .toDouble();
}

ShortageFigures shortageFigures(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& order)
{
    return {openQuantity(db, branch, stockProduct, orders, order), openQuantity(db, branch, stockProduct, quotations, order),
            stockQuantity(db, branch, stockProduct)};
}

double availableQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct)
{
    const double reserved = selectValue(db, QStringLiteral("SELECT SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIALDEP = ? AND CDPRODRES = ?"),
                                        {branch, stockProduct})
                                .toDouble();
    return stockQuantity(db, branch, stockProduct) - reserved;
}

QString stockControl(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& operation)
{
    if (selectValue(db, QStringLiteral("SELECT IDCTRLESTFIL FROM FILIAL WHERE CDFILIAL = ?"), {branch}).toString() == u"N")
        return QStringLiteral("F");
    // Only an outgoing type moves stock, unless marked not to; an incoming
    // type or one not registered moves none.
    if (!operation.isEmpty()
        && selectValue(db, QStringLiteral("SELECT COALESCE(IDATUESTTPOP, 'S') FROM TIPOOPERAC WHERE CDTIPOOPER = ? AND IDENTRSAIDOP = 'S'"),
                       {operation}).toString() != u"S")
        return QStringLiteral("T");
    if (selectValue(db, QStringLiteral("SELECT IDCTRLESTOQUE FROM PRODUTO WHERE CDPRODUTO = ?"), {stockProduct}).toString() != u"S")
        return QStringLiteral("P");
    return QStringLiteral("S");
}

namespace {

const QList<SelectColumn> lastPriceColumns = {
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("D.NRPEDIDO")),
    dateTime(QStringLiteral("DTPEDIDO"), QStringLiteral("D.DTPEDIDO")),
    number(QStringLiteral("QTITEMPED"), QStringLiteral("I.QTITEMPED")),
    number(QStringLiteral("VRPREUNITPED"), QStringLiteral("I.VRPREUNITPED")),
};
constexpr int lastPriceCount = 10;

} // namespace

DataPacket lastPrices(const QSqlDatabase& db, const OrderKey& order, const QString& product, const QString& customer)
{
    if (customer.isEmpty() || product.isEmpty())
        return emptyPacket(fieldsOf(lastPriceColumns));
    return selectColumns(db, lastPriceColumns,
                         QStringLiteral("FROM ITEMPEDIDO I INNER JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL AND D.NRPEDIDO = I.NRPEDIDO"
                                        " WHERE D.CDFILIAL = ? AND D.CDCLIENTE = ? AND I.CDPRODUTO = ? AND D.NRPEDIDO <> ?"
                                        " AND I.IDSITITEMPED <> '5'"
                                        " ORDER BY D.DTPEDIDO DESC, D.NRPEDIDO DESC, I.NRITEMPED LIMIT %1")
                             .arg(lastPriceCount),
                         {order.branch, customer, product, order.number});
}

} // namespace StockFigures
