#pragma once
// The lot reservations the clerk set for an item (the change log of the
// stock position, one row per lot): each changed row sets what the item
// holds in that lot (RESPRODPED), and the lots and items touched are then
// checked against the stock.

#include "datapacket.h"
#include "order_delta.h"
#include "order_packets.h"

#include <QJsonValue>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

namespace OrderReservations {

struct Lot {
    QString branch, store, place, product, lot, subLot;   // CDFILIALDEP, CDALMOXARIFE, CDLOCALESTOQ, CDPRODRES, NRLOTEESTQ, NRSUBLOTE
    bool operator==(const Lot&) const = default;
};

struct Applied {
    OrderDelta::Outcome outcome = OrderDelta::Outcome::Applied;
    QList<Lot> lots;      // touched
    QStringList items;    // touched (NRITEMPED)
};

// Writes the reservations of `delta` (fields as GetDadosAfterScroll's stock
// position: the lot key, NRPEDIDO, NRITEMPED, QTRESPRODPED, QTRESPRODARR).
// A row whose stored reservation is neither the one read nor the one wanted
// conflicts. Missing fields or another order's rows are a MethodError.
Applied apply(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const Delta& delta);

// Element 2 for what `applied` touched: "QTRES_ANT" (blocking) when a lot
// holds more reserved than it has, with the quantity that was available to
// this order there; else "QTRES_SEST" (a warning) when an item's
// reservations cover less than its quantity, with the quantity uncovered;
// else null.
QJsonValue check(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const Applied& applied, bool* blocking);

} // namespace OrderReservations
