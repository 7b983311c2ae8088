#pragma once
// Checks of the text arguments of a method: a code longer than its column
// cannot name anything stored, so the caller sent something else and is
// told which argument it was.

#include "rpc/method_registry.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>

struct TextArg {
    const char* label;   // as the message names it
    int maxSize;
};

// The argument as the caller sent it (null reads as empty).
inline QString checkedText(const QJsonArray& params, int index, const TextArg& arg)
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
