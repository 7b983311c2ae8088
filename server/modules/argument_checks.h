#pragma once
// Checks of the text arguments of a method: a code longer than its column
// cannot name anything stored, so the caller sent something else and is
// told which argument it was.

#include "rpc/method_registry.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>

struct KeyArg {
    const char* label;   // as the message names it
    int maxSize;
};

// The codes several methods take, labelled alike everywhere.
inline constexpr KeyArg branchArg{"Filial", 4};
inline constexpr KeyArg orderArg{"Número do pedido", 10};
inline constexpr KeyArg customerArg{"Cliente", 21};
inline constexpr KeyArg sellerArg{"Vendedor", 4};
inline constexpr KeyArg modalityArg{"Modalidade de pagamento", 5};
inline constexpr KeyArg productArg{"Produto", 10};
inline constexpr KeyArg orderStatusArg{"Situação do pedido", 1};
inline constexpr KeyArg orderItemArg{"Item do pedido", 10};
inline constexpr KeyArg commitmentArg{"Empenho", 20};
inline constexpr KeyArg operationArg{"Tipo de operação", 2};
inline constexpr KeyArg basePriceArg{"Preço base", 2};
inline constexpr KeyArg typedProductArg{"Código do produto", 20};   // CDARVPROD, as the clerk types it
inline constexpr KeyArg blankArg{"Reservado", 20};                   // the empty strings a call carries

// A code as the caller sent it (null reads as empty). Longer than its
// column it cannot name anything stored: a MethodError naming the argument.
inline QString keyValue(const QJsonArray& params, int index, const KeyArg& arg)
{
    const QString value = params.at(index).toString();
    if (value.size() > arg.maxSize)
        throw MethodError(QStringLiteral("%1 inválido(a): \"%2\" tem mais de %3 caracteres.")
                              .arg(QString::fromUtf8(arg.label), value.left(40))
                              .arg(arg.maxSize)
                              .toStdString());
    return value;
}

// An argument that must be one of a few codes.
inline QString checkedCode(const QJsonArray& params, int index, const char* label, const QStringList& allowed)
{
    const QString value = params.at(index).toString();
    if (!allowed.contains(value))
        throw MethodError(QStringLiteral("%1 inválido(a): \"%2\"; use %3.")
                              .arg(QString::fromUtf8(label), value.left(40), allowed.join(QStringLiteral(", ")))
                              .toStdString());
    return value;
}

// A request flag: "S", "N" or empty (read as "N").
inline bool flagValue(const QJsonArray& params, int index, const char* label)
{
    const QString value = params.at(index).toString();
    if (!value.isEmpty() && value != u"S" && value != u"N")
        throw MethodError(QStringLiteral("%1 inválido(a): \"%2\"; use \"S\" ou \"N\".")
                              .arg(QString::fromUtf8(label), value.left(40))
                              .toStdString());
    return value == u"S";
}
