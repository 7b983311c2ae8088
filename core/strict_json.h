#pragma once
// JSON exactly as RFC 8259 writes it, for every reader of what arrives over
// the wire. QJsonDocument alone lets through what JSON forbids: an unknown
// escape ("\q" reads "q"), raw control bytes and lone surrogates inside
// strings, and of two equal keys it keeps the last. The check here walks the
// bytes once; QJsonDocument then builds the values from bytes known to be
// sound.
//
// Choices where JSON leaves room: a number too large or too small for a
// double, a byte order mark, nesting deeper than MaxJsonDepth and a repeated
// key in one object are refused.

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>

inline constexpr int MaxJsonDepth = 1024;   // arrays and objects inside each other

struct JsonFault {
    enum class Kind { Syntax, DuplicateKey };
    Kind kind = Kind::Syntax;
    qsizetype offset = 0;   // byte where the fault shows
    QString message;        // "at byte 12: unknown escape \q"
};

class StrictJsonError : public std::runtime_error {
public:
    explicit StrictJsonError(JsonFault fault);
    const JsonFault& fault() const { return m_fault; }
private:
    JsonFault m_fault;
};

struct JsonCheck {
    std::optional<JsonFault> fault;
    bool escapedNul = false;   // some string holds \u0000 (text columns refuse it)
};

// Whether `text` is exactly one sound JSON value (blanks around it allowed).
JsonCheck checkStrictJson(QByteArrayView text);

// One JSON value of any kind (an object, an array or a bare value); throws
// StrictJsonError. `escapedNul`, when given, says whether a string holds \u0000.
QJsonValue readStrictJson(QByteArrayView text, bool* escapedNul = nullptr);

// Over text that checkStrictJson found sound: the text of each element of
// an array, and the text of an object's member (escapes in keys decoded).
// Used to send a value back exactly as it came.
QList<QByteArrayView> jsonArrayElementTexts(QByteArrayView soundArray);
std::optional<QByteArrayView> jsonMemberText(QByteArrayView soundObject, QByteArrayView key);
