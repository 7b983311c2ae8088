#include "confirm_findings.h"

#include "goods_value.h"
#include "iso_datetime.h"
#include "money.h"
#include "packet_sql.h"
#include "store/kept_statements.h"
#include "store/sql.h"

#include <QDateTime>
#include <QSqlRecord>
#include <optional>
#include <cmath>

namespace ConfirmFindings {

namespace {

using OrderPackets::OrderKey;

const QString liveItems = QStringLiteral(" I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.IDSITITEMPED <> '5'");

// Price kinds whose price comes from a price-table row.
const QStringList tableKinds{QString(), QStringLiteral("N"), QStringLiteral("P"), QStringLiteral("G"), QStringLiteral("S")};

QDate dateOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return parseIsoLenient(value.toString()).date();
}

QJsonValue packetOrNull(const DataPacket& packet)
{
    if (packet.rows.isEmpty())
        return QJsonValue::Null;
    return packet.toJson();
}

QList<QVariantList> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    KeptStatement query(db, sql, values);
    QList<QVariantList> rows;
    const int columns = query->record().count();
    while (query->next()) {
        QVariantList row;
        for (int i = 0; i < columns; ++i)
            row << query->value(i);
        rows << row;
    }
    return rows;
}

const QList<FieldDef> itemErrorFields{textField(QStringLiteral("CDFILIAL"), 4),  textField(QStringLiteral("NRPEDIDO"), 10),
                                      textField(QStringLiteral("NRITEMPED"), 10), textField(QStringLiteral("CDARVPROD"), 20),
                                      textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("CDERRO"), 20),
                                      textField(QStringLiteral("DSERRO"), 120)};

const QList<FieldDef> confirmaResFields{textField(QStringLiteral("CDERRO"), 12),    textField(QStringLiteral("NRPEDIDO"), 10),
                                        textField(QStringLiteral("NRITEMPED"), 10), textField(QStringLiteral("CDARVPROD"), 20),
                                        textField(QStringLiteral("DSERRO"), 120),   floatField(QStringLiteral("VRANTERIOR")),
                                        floatField(QStringLiteral("VRATUAL"))};

// The in-force price row of a product's kind in a base price on a day.
std::optional<double> tablePrice(const QSqlDatabase& db, const QString& basePrice, const QString& product, const QString& kind,
                                 const QDate& day)
{
    const bool postgres = isPostgres(db);
    const QVariant price = selectValue(db,
                                       QStringLiteral("SELECT VRITEPREBASE FROM ITEMPRECOBASE WHERE CDPRECOBASE = ? AND CDPRODUTO = ?"
                                                      " AND IDITPEDDIFER = ? AND DTINIVALIPB < ? AND (DTFIMVALIPB IS NULL OR DTFIMVALIPB >= ?)"
                                                      " ORDER BY DTINIVALIPB DESC"),
                                       {basePrice, product, kind.isEmpty() ? QStringLiteral("N") : kind,
                                        dayStart(postgres, day.addDays(1)), dayStart(postgres, day)});
    if (!price.isValid() || price.isNull())
        return std::nullopt;
    return price.toDouble();
}

} // namespace

QJsonValue itemErrors(const QSqlDatabase& db, const OrderKey& order, QStringList* itemsInError)
{
    const QList<QVariantList> items = rowsOf(
        db,
        QStringLiteral("SELECT I.NRITEMPED, COALESCE(P.CDARVPROD, I.CDARVPROD), COALESCE(P.NMPRODUTO, I.NMPRODUTO), P.CDPRODUTO,"
                       " P.IDPRODATIVO, F.IDVENDPRODFIL, I.QTITEMPED, I.VRPREUNITPED, I.IDPRODBONIF FROM ITEMPEDIDO I"
                       " LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " LEFT JOIN PRODFILIAL F ON F.CDFILIAL = I.CDFILIAL AND F.CDPRODUTO = I.CDPRODUTO WHERE")
            + liveItems + QStringLiteral(" ORDER BY I.NRITEMPED"),
        {order.branch, order.number});
    DataPacket packet = emptyPacket(itemErrorFields);
    for (const QVariantList& item : items) {
        QString code, text;
        if (item.at(3).isNull()) {
            code = QStringLiteral("PROD_N_CAD");
            text = QStringLiteral("Produto não cadastrado.");
        } else if (item.at(4).toString() == u"N") {
            code = QStringLiteral("PROD_INATIVO");
            text = QStringLiteral("Produto inativo.");
        } else if (item.at(5).toString() == u"N") {
            code = QStringLiteral("PROD_N_FIL");
            text = QStringLiteral("Produto não é vendido pela filial.");
        } else if (!(item.at(6).toDouble() > 0)) {
            code = QStringLiteral("QTD_INVALIDA");
            text = QStringLiteral("Quantidade deve ser maior que zero.");
        } else if (!(item.at(7).toDouble() > 0) && item.at(8).toString() != u"S") {
            code = QStringLiteral("PRECO_INVALIDO");
            text = QStringLiteral("Preço unitário deve ser maior que zero.");
        } else {
            continue;
        }
        packet.rows.append({order.branch, order.number, item.at(0), item.at(1), item.at(2), code, text});
        if (itemsInError)
            itemsInError->append(item.at(0).toString());
    }
    return packetOrNull(packet);
}

int liveItemCount(const QSqlDatabase& db, const OrderKey& order)
{
    return selectValue(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO I WHERE") + liveItems, {order.branch, order.number}).toInt();
}

QList<QVariantList> priceChanges(const QSqlDatabase& db, const OrderKey& order, const QStringList& pricedItems)
{
    if (pricedItems.isEmpty())
        return {};
    KeptStatement header(db,
                         QStringLiteral("SELECT O.CDPRECOBASE, O.DTPEDIDO, A.IDTABPRECO FROM PEDIDO O"
                                        " LEFT JOIN PARAMPEDIDO A ON A.CDFILIAL = O.CDFILIAL WHERE O.CDFILIAL = ? AND O.NRPEDIDO = ?"),
                         {order.branch, order.number});
    if (!header->next() || header->value(2).toString() != u"1")
        return {};
    const QString basePrice = header->value(0).toString().trimmed();
    const QDate day = dateOf(header->value(1));
    const QList<QVariantList> items =
        rowsOf(db,
               QStringLiteral("SELECT I.NRITEMPED, I.CDPRODUTO, COALESCE(I.CDARVPROD, ''), COALESCE(I.IDITPEDDIFER, ''), I.VRITEPREBASE"
                              " FROM ITEMPEDIDO I WHERE")
                   + liveItems + QStringLiteral(" AND I.NRITEMPED IN (") + placeholders(pricedItems.size())
                   + QStringLiteral(") ORDER BY I.NRITEMPED"),
               QVariantList{order.branch, order.number} + QVariantList(pricedItems.cbegin(), pricedItems.cend()));
    QList<QVariantList> changes;
    for (const QVariantList& item : items) {
        const QString kind = item.at(3).toString().trimmed();
        if (!tableKinds.contains(kind) || item.at(4).isNull())
            continue;
        const std::optional<double> now = tablePrice(db, basePrice, item.at(1).toString(), kind, day);
        if (now && std::fabs(*now - item.at(4).toDouble()) >= 0.005)
            changes.append({QStringLiteral("ALT_PR"), order.number, item.at(0), item.at(2),
                            QStringLiteral("Preço da tabela alterado desde a digitação do item."), item.at(4), *now});
    }
    return changes;
}

void reprice(const QSqlDatabase& db, const OrderKey& order, const QList<QVariantList>& changes)
{
    if (changes.isEmpty())
        return;
    const double adjustment = selectValue(db,
                                          QStringLiteral("SELECT R.VRPEADPBASE FROM PEDIDO O INNER JOIN PARAMPRECO R ON R.CDFILIAL = O.CDFILIAL"
                                                         " AND R.CDMODPGTO = O.CDMODPGTO AND R.CDPRECOBASE = O.CDPRECOBASE"
                                                         " WHERE O.CDFILIAL = ? AND O.NRPEDIDO = ?"),
                                          {order.branch, order.number})
                                  .toDouble();
    for (const QVariantList& change : changes) {
        const double table = change.at(6).toDouble();
        const double price = RoundDec(table * (1 + adjustment / 100), 2);
        KeptStatement item(db, QStringLiteral("SELECT QTITEMPED, PERDESC FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                           {order.branch, order.number, change.at(2)});
        if (!item->next())
            continue;
        const double discount = RoundDec(goodsValue(price, item->value(0).toDouble()) * item->value(1).toDouble() / 100, 2);
        item->finish();
        execChange(db,
                QStringLiteral("UPDATE ITEMPEDIDO SET VRITEPREBASE = ?, VRPRTABITPED = ?, VRPREUNITPED = ?, VRDESITPED = ?"
                               " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                {table, table, price, discount, order.branch, order.number, change.at(2)});
    }
}

QList<QVariantList> overReservations(const QSqlDatabase& db, const OrderKey& order)
{
    const QList<QVariantList> items = rowsOf(
        db,
        QStringLiteral("SELECT I.NRITEMPED, COALESCE(I.CDARVPROD, ''), I.QTITEMPED * COALESCE(P.VRFATOCONV, 1),"
                       " (SELECT SUM(R.QTRESPRODPED) FROM RESPRODPED R WHERE R.CDFILIAL = I.CDFILIAL AND R.NRPEDIDO = I.NRPEDIDO"
                       "  AND R.NRITEMPED = I.NRITEMPED)"
                       " FROM ITEMPEDIDO I INNER JOIN PEDIDO O ON O.CDFILIAL = I.CDFILIAL AND O.NRPEDIDO = I.NRPEDIDO"
                       " LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO WHERE O.IDTIPOPEDIDO <> '2' AND")
            + liveItems + QStringLiteral(" ORDER BY I.NRITEMPED"),
        {order.branch, order.number});
    QList<QVariantList> findings;
    for (const QVariantList& item : items) {
        const double wanted = RoundDec(item.at(2).toDouble(), 5);
        const double reserved = item.at(3).toDouble();
        if (reserved > wanted + 1e-9)
            findings.append({QStringLiteral("QT_RESE"), order.number, item.at(0), item.at(1),
                             QStringLiteral("Quantidade reservada maior que a quantidade do item."), reserved, wanted});
    }
    return findings;
}

void trimReservations(const QSqlDatabase& db, const OrderKey& order, const QList<QVariantList>& findings)
{
    for (const QVariantList& finding : findings) {
        double excess = finding.at(5).toDouble() - finding.at(6).toDouble();
        const QList<QVariantList> reservations =
            rowsOf(db,
                   QStringLiteral("SELECT NRRESPRODPED, QTRESPRODPED FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"
                                  " ORDER BY NRRESPRODPED DESC"),
                   {order.branch, order.number, finding.at(2)});
        for (const QVariantList& reservation : reservations) {
            if (excess <= 1e-9)
                break;
            const double quantity = reservation.at(1).toDouble();
            if (quantity <= excess + 1e-9)
                execChange(db, QStringLiteral("DELETE FROM RESPRODPED WHERE NRRESPRODPED = ?"), {reservation.at(0)});
            else
                execChange(db, QStringLiteral("UPDATE RESPRODPED SET QTRESPRODPED = ? WHERE NRRESPRODPED = ?"),
                        {RoundDec(quantity - excess, 5), reservation.at(0)});
            excess -= quantity;
        }
    }
}

QJsonValue confirmaRes(const QList<QVariantList>& rows)
{
    DataPacket packet = emptyPacket(confirmaResFields);
    packet.rows = rows;
    return packetOrNull(packet);
}

QJsonValue permits(const QSqlDatabase& db, const OrderKey& order)
{
    const QList<QVariantList> rows = rowsOf(
        db,
        QStringLiteral("SELECT I.NRITEMPED, P.CDARVPROD, P.CDPRODUTO, P.NMPRODUTO, A.CDTIPOALVARA, T.NMTIPOALVARA, C.CDCLIENTE,"
                       " C.DTVALIALVARA, O.DTPEDIDO FROM ITEMPEDIDO I"
                       " INNER JOIN PEDIDO O ON O.CDFILIAL = I.CDFILIAL AND O.NRPEDIDO = I.NRPEDIDO"
                       " INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " INNER JOIN PRODALVARA A ON A.CDPRODUTO = I.CDPRODUTO"
                       " INNER JOIN TIPOALVARA T ON T.CDTIPOALVARA = A.CDTIPOALVARA"
                       " LEFT JOIN CLIEALVARA C ON C.CDCLIENTE = O.CDCLIENTE AND C.CDTIPOALVARA = A.CDTIPOALVARA WHERE")
            + liveItems + QStringLiteral(" ORDER BY I.NRITEMPED, A.CDTIPOALVARA"),
        {order.branch, order.number});
    DataPacket packet = emptyPacket({textField(QStringLiteral("CDARVPROD"), 20), textField(QStringLiteral("CDPRODUTO"), 10),
                                     textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("NRITEMPED"), 10),
                                     textField(QStringLiteral("CDTIPOALVARA"), 4), textField(QStringLiteral("NMTIPOALVARA"), 60)});
    for (const QVariantList& row : rows) {
        const bool held = !row.at(6).isNull() && (row.at(7).isNull() || dateOf(row.at(7)) >= dateOf(row.at(8)));
        if (!held)
            packet.rows.append({row.at(1), row.at(2), row.at(3), row.at(0), row.at(4), row.at(5)});
    }
    return packetOrNull(packet);
}

QJsonValue profitability(const QSqlDatabase& db, const OrderKey& order)
{
    const QVariant floor =
        selectValue(db, QStringLiteral("SELECT VRPERCFIMRENT FROM RENTABILIDADE ORDER BY VRPERCINIRENT, NRSEQRENT LIMIT 1"));
    if (!floor.isValid())
        return QJsonValue::Null;
    const QList<QVariantList> rows = rowsOf(
        db,
        QStringLiteral("SELECT COALESCE(P.CDARVPROD, I.CDARVPROD), I.CDPRODUTO, COALESCE(P.NMPRODUTO, I.NMPRODUTO), I.NRITEMPED,"
                       " I.VRITRENTABIL FROM ITEMPEDIDO I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO WHERE")
            + liveItems + QStringLiteral(" AND I.VRITRENTABIL < ? ORDER BY I.NRITEMPED"),
        {order.branch, order.number, floor.toDouble()});
    DataPacket packet = emptyPacket({textField(QStringLiteral("CDARVPROD"), 20), textField(QStringLiteral("CDPRODUTO"), 10),
                                     textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("NRITEMPED"), 10),
                                     floatField(QStringLiteral("VRITRENTABIL")), floatField(QStringLiteral("VRPERCMINRENT"))});
    for (const QVariantList& row : rows)
        packet.rows.append({row.at(0), row.at(1), row.at(2), row.at(3), row.at(4).toDouble(), floor.toDouble()});
    return packetOrNull(packet);
}

QJsonValue commissions(const QSqlDatabase& db, const OrderKey& order)
{
    const QList<QVariantList> rows = rowsOf(
        db,
        QStringLiteral("SELECT V.CDVENDEDOR, V.NMFANVEN, C.CDCOMISSAO, C.NMCOMISSAO, C.DTINIVALCOM, C.DTFIMVALCOM, O.DTPEDIDO"
                       " FROM PEDIDO O INNER JOIN VENDEDOR V ON V.CDVENDEDOR = O.CDVENDEDOR"
                       "  OR V.CDVENDEDOR IN (SELECT S.CDVENDEDOR FROM VENDPEDIDO S WHERE S.CDFILIAL = O.CDFILIAL AND S.NRPEDIDO = O.NRPEDIDO)"
                       " INNER JOIN COMISSAO C ON C.CDCOMISSAO = V.CDCOMISSAO"
                       " WHERE O.CDFILIAL = ? AND O.NRPEDIDO = ? AND V.IDGERACOMISVEND <> 'N' ORDER BY V.CDVENDEDOR"),
        {order.branch, order.number});
    DataPacket packet = emptyPacket({textField(QStringLiteral("CDVENDEDOR"), 4), textField(QStringLiteral("NMFANVEN"), 50),
                                     textField(QStringLiteral("CDCOMISSAO"), 4), textField(QStringLiteral("NMCOMISSAO"), 40),
                                     dateTimeField(QStringLiteral("DTINIVALCOM")), dateTimeField(QStringLiteral("DTFIMVALCOM"))});
    const auto when = [](const QVariant& value) {
        return value.isNull() ? QVariant() : QVariant(value.typeId() == QMetaType::QDateTime ? value.toDateTime()
                                                                                              : parseIsoLenient(value.toString()));
    };
    for (const QVariantList& row : rows) {
        const QDate day = dateOf(row.at(6));
        const bool notYet = !row.at(4).isNull() && dateOf(row.at(4)) > day;
        const bool over = !row.at(5).isNull() && dateOf(row.at(5)) < day;
        if (notYet || over)
            packet.rows.append({row.at(0), row.at(1), row.at(2), row.at(3), when(row.at(4)), when(row.at(5))});
    }
    return packetOrNull(packet);
}

QJsonValue message(const QString& code, const QVariant& quantity)
{
    DataPacket packet = emptyPacket({textField(QStringLiteral("DSMENSERRO"), 20), floatField(QStringLiteral("QTPEDIDO"))});
    packet.rows.append({code, quantity.isValid() && !quantity.isNull() ? QVariant(quantity.toDouble()) : QVariant()});
    return packet.toJson();
}

} // namespace ConfirmFindings
