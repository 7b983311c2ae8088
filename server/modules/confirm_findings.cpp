#include "confirm_findings.h"

#include "goods_value.h"
#include "iso_datetime.h"
#include "money.h"
#include "packet_sql.h"
#include "store/kept_statements.h"
#include "store/sql.h"

#include <QDateTime>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <optional>

namespace ConfirmFindings {

namespace {

using OrderPackets::OrderKey;

const QString liveItemsWhere = QStringLiteral(" I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.IDSITITEMPED <> '5'");

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

Items readItems(const QSqlDatabase& db, const OrderKey& order)
{
    KeptStatement query(
        db,
        QStringLiteral("SELECT I.NRITEMPED, P.CDPRODUTO, I.CDPRODUTO, COALESCE(P.CDARVPROD, I.CDARVPROD), COALESCE(I.CDARVPROD, ''),"
                       " COALESCE(P.NMPRODUTO, I.NMPRODUTO), P.IDPRODATIVO, F.IDVENDPRODFIL, I.VRPREUNITPED, I.QTITEMPED,"
                       " I.VRDESITPED, I.IDPRODBONIF, COALESCE(I.IDITPEDDIFER, ''), I.VRITEPREBASE, I.QTITEMPED * COALESCE(P.VRFATOCONV, 1),"
                       " (SELECT SUM(R.QTRESPRODPED) FROM RESPRODPED R WHERE R.CDFILIAL = I.CDFILIAL AND R.NRPEDIDO = I.NRPEDIDO"
                       "  AND R.NRITEMPED = I.NRITEMPED),"
                       " I.VRITRENTABIL,"
                       " CASE WHEN EXISTS (SELECT 1 FROM PRODALVARA L WHERE L.CDPRODUTO = I.CDPRODUTO) THEN 1 ELSE 0 END,"
                       " O.CDPRECOBASE, O.DTPEDIDO, A.IDTABPRECO, O.IDTIPOPEDIDO, O.IDSITPEDIDO, C.CDGRUPOFISC,"
                       " (SELECT COALESCE(B.VRPERCFIMRENT, 0) FROM RENTABILIDADE B ORDER BY B.VRPERCINIRENT, B.NRSEQRENT LIMIT 1)"
                       " FROM ITEMPEDIDO I INNER JOIN PEDIDO O ON O.CDFILIAL = I.CDFILIAL AND O.NRPEDIDO = I.NRPEDIDO"
                       " LEFT JOIN PARAMPEDIDO A ON A.CDFILIAL = O.CDFILIAL"
                       " LEFT JOIN CLIENTE C ON C.CDCLIENTE = O.CDCLIENTE"
                       " LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " LEFT JOIN PRODFILIAL F ON F.CDFILIAL = I.CDFILIAL AND F.CDPRODUTO = I.CDPRODUTO WHERE")
            + liveItemsWhere + QStringLiteral(" ORDER BY I.NRITEMPED"),
        {order.branch, order.number});
    Items items;
    while (query->next()) {
        const auto at = [&](int i) { return query->value(i); };
        items.live.append({at(0).toString(), at(1), at(2), at(3), at(4), at(5), at(6).toString(), at(7).toString(),
                           {at(8).toDouble(), at(9).toDouble(), at(10).toDouble(), at(11).toString() == u"S"},
                           at(12).toString().trimmed(), at(13), at(14).toDouble(), at(15), at(16), at(17).toInt() == 1});
        items.basePrice = at(18).toString().trimmed();
        items.orderDate = at(19);
        items.priceTables = at(20).toString();
        items.orderType = at(21);
        items.orderStatus = at(22).toString();
        items.fiscalGroup = at(23).toString();
        items.floor = at(24);
    }
    return items;
}

LiveItems liveItems(const Items& items)
{
    LiveItems live;
    live.fiscalGroup = items.fiscalGroup;
    for (const Item& item : items.live)
        live.items.append({item.number, item.itemProduct.toString(), item.value});
    return live;
}

QJsonValue itemErrors(const Items& items, const OrderKey& order, QStringList* itemsInError)
{
    DataPacket packet = emptyPacket(itemErrorFields);
    for (const Item& item : items.live) {
        QString code, text;
        if (item.product.isNull()) {
            code = QStringLiteral("PROD_N_CAD");
            text = QStringLiteral("Produto não cadastrado.");
        } else if (item.active == u"N") {
            code = QStringLiteral("PROD_INATIVO");
            text = QStringLiteral("Produto inativo.");
        } else if (item.soldHere == u"N") {
            code = QStringLiteral("PROD_N_FIL");
            text = QStringLiteral("Produto não é vendido pela filial.");
        } else if (!(item.value.quantity > 0)) {
            code = QStringLiteral("QTD_INVALIDA");
            text = QStringLiteral("Quantidade deve ser maior que zero.");
        } else if (!(item.value.unitPrice > 0) && !item.value.freeGood) {
            code = QStringLiteral("PRECO_INVALIDO");
            text = QStringLiteral("Preço unitário deve ser maior que zero.");
        } else {
            continue;
        }
        packet.rows.append({order.branch, order.number, item.number, item.tree, item.name, code, text});
        if (itemsInError)
            itemsInError->append(item.number);
    }
    return packetOrNull(packet);
}

QList<QVariantList> priceChanges(const QSqlDatabase& db, const Items& items, const OrderKey& order, const QStringList& pricedItems)
{
    if (pricedItems.isEmpty() || items.priceTables != u"1")
        return {};
    const QDate day = dateOf(items.orderDate);
    QList<QVariantList> changes;
    for (const Item& item : items.live) {
        if (!pricedItems.contains(item.number) || !tableKinds.contains(item.priceKind) || item.tablePrice.isNull())
            continue;
        const std::optional<double> now = tablePrice(db, items.basePrice, item.itemProduct.toString(), item.priceKind, day);
        if (now && std::fabs(*now - item.tablePrice.toDouble()) >= 0.005)
            changes.append({QStringLiteral("ALT_PR"), order.number, item.number, item.itemTree,
                            QStringLiteral("Preço da tabela alterado desde a digitação do item."), item.tablePrice, *now});
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

QList<QVariantList> overReservations(const Items& items, const OrderKey& order)
{
    if (items.orderType.isNull() || items.orderType.toString() == u"2")
        return {};
    QList<QVariantList> findings;
    for (const Item& item : items.live) {
        const double wanted = RoundDec(item.wanted, 5);
        const double reserved = item.reserved.toDouble();
        if (reserved > wanted + 1e-9)
            findings.append({QStringLiteral("QT_RESE"), order.number, item.number, item.itemTree,
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

QJsonValue permits(const QSqlDatabase& db, const Items& items, const OrderKey& order)
{
    if (std::none_of(items.live.cbegin(), items.live.cend(), [](const Item& item) { return item.needsPermit; }))
        return QJsonValue::Null;
    const QList<QVariantList> rows = rowsOf(
        db,
        QStringLiteral("SELECT I.NRITEMPED, P.CDARVPROD, P.CDPRODUTO, P.NMPRODUTO, A.CDTIPOALVARA, T.NMTIPOALVARA, C.CDCLIENTE,"
                       " C.DTVALIALVARA, O.DTPEDIDO FROM ITEMPEDIDO I"
                       " INNER JOIN PEDIDO O ON O.CDFILIAL = I.CDFILIAL AND O.NRPEDIDO = I.NRPEDIDO"
                       " INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " INNER JOIN PRODALVARA A ON A.CDPRODUTO = I.CDPRODUTO"
                       " INNER JOIN TIPOALVARA T ON T.CDTIPOALVARA = A.CDTIPOALVARA"
                       " LEFT JOIN CLIEALVARA C ON C.CDCLIENTE = O.CDCLIENTE AND C.CDTIPOALVARA = A.CDTIPOALVARA WHERE")
            + liveItemsWhere + QStringLiteral(" ORDER BY I.NRITEMPED, A.CDTIPOALVARA"),
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

QJsonValue profitability(const Items& items)
{
    if (items.floor.isNull())
        return QJsonValue::Null;
    const double floor = items.floor.toDouble();
    DataPacket packet = emptyPacket({textField(QStringLiteral("CDARVPROD"), 20), textField(QStringLiteral("CDPRODUTO"), 10),
                                     textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("NRITEMPED"), 10),
                                     floatField(QStringLiteral("VRITRENTABIL")), floatField(QStringLiteral("VRPERCMINRENT"))});
    for (const Item& item : items.live)
        if (!item.margin.isNull() && item.margin.toDouble() < floor)
            packet.rows.append({item.tree, item.itemProduct, item.name, item.number, item.margin.toDouble(), floor});
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
