#pragma once
// How the order-entry methods describe themselves to the registry: their
// text arguments, the read-only methods of the module and the wording of
// the docs they share.

#include "rpc/method_registry.h"

#include <QString>

inline ArgSpec textArg(const QString& name, const QString& doc, bool byReference = false)
{
    return ArgSpec{name, ArgKind::Text, byReference, true, doc};
}

// A method of the order-entry module that writes nothing.
inline MethodSpec readMethod(const QString& name, QList<ArgSpec> args, const QString& doc, const QString& resultDoc,
                             MethodFunction function)
{
    MethodSpec spec{ServerNames::LanPedido, name, std::move(args), doc, resultDoc, std::move(function)};
    spec.readOnly = true;
    return spec;
}

inline const QString branchDoc = QStringLiteral("Branch code (CDFILIAL), up to 4 characters.");
inline const QString orderDoc = QStringLiteral("Order number (NRPEDIDO) as stored, up to 10 characters.");
inline const QString statusDoc = QStringLiteral("Order status (IDSITPEDIDO) as the screen shows it, one character; "
                                                "the rows are read whatever it says.");
inline const QString unknownOrderDoc = QStringLiteral(" An empty or unknown order gives empty packets; a code longer than "
                                                      "its column fails with a message naming it.");
