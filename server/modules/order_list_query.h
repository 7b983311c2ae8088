#pragma once
// The order list's criteria: turns the 53 arguments of GetPedido into a
// WHERE clause over PEDIDO P and the values bound to it. Every code of a
// list travels as a bound value; docs/order-list.md says what each
// criterion means.

#include "datapacket.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QDate;

class OrderListQuery {
public:
    static constexpr int argumentCount = 53;

    // Throws MethodError naming the argument for malformed input.
    OrderListQuery(const QJsonArray& params, bool postgres);

    const QString& branch() const { return m_branch; }
    const QString& currentOrder() const { return m_currentOrder; }
    bool loadDetails() const { return m_loadDetails; }

    // Every data field of `cdsPedido`, in record order (its calculated
    // fields are the client's), and the statement that selects them.
    static QList<FieldDef> fields();
    QString selectSql() const;
    const QVariantList& values() const { return m_values; }

    // The codes of a list argument: a list text ('0001'_'0002') or, when it
    // does not start with a quote, one code per character ("1235").
    static QStringList codesOf(const QString& list, const QString& argumentName);

private:
    QString whereClause() const { return m_conditions.join(QStringLiteral(" AND ")); }
    QString orderBy() const;
    QString text(int number) const;
    bool restricts(int markerNumber) const;
    QDate date(int number) const;

    void add(const QString& condition, const QVariantList& values = {});
    QString inCodes(const QStringList& codes);   // "IN (...)" binding the codes as one value
    void codeList(const QString& column, int listNumber, int markerNumber, const QString& name);
    QStringList quotedCodes(int listNumber, const QString& name);   // fails unless the list is quoted
    void charList(const QString& column, int listNumber, int markerNumber, const QString& name);
    void textRange(const QString& column, const QString& from, const QString& to, int width);
    void numberBound(const QString& column, const QString& direction, const QString& bound);
    void dayRange(const QString& column, int fromNumber, int toNumber, const QString& name);

    void orderNumbers();
    void itemsAndSellers();
    void statuses();
    void periods();
    void customerMunicipality();
    void kindsAndOrigins();
    void branchesAndOperations();
    void quotation();
    void imports();
    void purchaseOrderAndInvoices();

    const QJsonArray m_params;
    bool m_postgres;
    QString m_branch;
    QString m_currentOrder;
    bool m_loadDetails = false;
    QStringList m_conditions;
    QVariantList m_values;
};
