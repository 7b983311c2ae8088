#pragma once
// JSON text a method wrote itself. A long result written straight from its
// query never exists as a QJsonValue tree: the dispatcher splices the bytes
// into the JSON-RPC answer as they are.

#include <QByteArray>
#include <QJsonValue>

struct RawJson {
    QByteArray bytes;   // exactly one JSON value, compact UTF-8

    static RawJson of(const QJsonValue& value);   // its compact text
    QJsonValue parsed() const;                    // throws std::runtime_error on malformed text
};
