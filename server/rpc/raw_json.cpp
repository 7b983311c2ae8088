#include "raw_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <stdexcept>

// QJsonDocument holds only objects and arrays: a bare value travels inside a
// one-element array.
RawJson RawJson::of(const QJsonValue& value)
{
    if (value.isObject())
        return {QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)};
    if (value.isArray())
        return {QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)};
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return {wrapped.mid(1, wrapped.size() - 2)};
}

QJsonValue RawJson::parsed() const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson('[' + bytes + ']', &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        throw std::runtime_error(QStringLiteral("a method wrote malformed JSON (byte %1: %2)")
                                     .arg(qMax(0, error.offset - 1)).arg(error.errorString()).toStdString());
    return document.array().at(0);
}
