#pragma once
// An item's goods value at the cent, as the order totals count it.

#include "money.h"

#include <QList>
#include <QString>

// The unit price at the cent times the quantity, at the cent.
inline double goodsValue(double unitPrice, double quantity)
{
    return RoundDec(RoundDec(unitPrice, 2) * quantity, 2);
}

// The goods value less the discount at the cent, before rounding the result.
inline double netGoodsValue(double unitPrice, double quantity, double discount)
{
    return goodsValue(unitPrice, quantity) - RoundDec(discount, 2);
}

// What an item gives the totals and the taxes.
struct ItemValue {
    double unitPrice = 0;    // VRPREUNITPED
    double quantity = 0;     // QTITEMPED
    double discount = 0;     // VRDESITPED
    bool freeGood = false;   // IDPRODBONIF "S"

    double netGoods() const { return netGoodsValue(unitPrice, quantity, discount); }
};

// An order's live items as read, by NRITEMPED, with the customer's fiscal
// group.
struct LiveItem {
    QString number;    // NRITEMPED
    QString product;   // CDPRODUTO
    ItemValue value;
};
struct LiveItems {
    QString fiscalGroup;
    QList<LiveItem> items;
};
