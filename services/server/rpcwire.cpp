#include "rpcwire.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

ServerResult badResponse(const QString& detail)
{
    return ServerResult::failure(ServerError::BadResponse, detail);
}

bool isReferenceEnvelope(const QJsonValue& result)
{
    const QJsonObject object = result.toObject();
    return result.isObject() && object.size() == 2 && object.contains(QLatin1String("value"))
           && object.value(QLatin1String("refs")).isArray();
}

} // namespace

namespace RpcWire {

QByteArray request(qint64 id, const QString& method, const QList<RpcArg>& args)
{
    QJsonArray params;
    for (const RpcArg& arg : args)
        params.append(arg.toJson());
    const QJsonObject body{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                           {QStringLiteral("id"), id},
                           {QStringLiteral("method"), method},
                           {QStringLiteral("params"), params}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QString argumentMismatch(const Rpc::MethodInfo& method, const QList<RpcArg>& args)
{
    if (qsizetype(method.args.size()) != args.size())
        return QStringLiteral("%1 recebe %2 argumentos; a chamada passou %3")
            .arg(method.label())
            .arg(method.args.size())
            .arg(args.size());
    bool anyReference = false;
    for (const RpcArg& arg : args)
        anyReference = anyReference || arg.isReference();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool byReference = method.args[std::size_t(i)].byReference;
        if (args.at(i).isReference() && !byReference)
            return QStringLiteral("o argumento %1 de %2 é por valor, e a chamada o passou por referência")
                .arg(i + 1).arg(method.label());
        if (anyReference && byReference && !args.at(i).isReference())
            return QStringLiteral("o argumento %1 de %2 é por referência, e a chamada o passou por valor")
                .arg(i + 1).arg(method.label());
    }
    return {};
}

ServerResult parseResponse(const QByteArray& body, qint64 id)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return badResponse(QStringLiteral("o conteúdo não é JSON (%1)").arg(parseError.errorString()));
    const QJsonObject answer = document.object();
    if (!document.isObject() || answer.value(QLatin1String("jsonrpc")).toString() != QLatin1String("2.0"))
        return badResponse(QStringLiteral("o conteúdo não é uma resposta JSON-RPC 2.0"));

    const QJsonValue error = answer.value(QLatin1String("error"));
    if (error.isObject()) {
        const QJsonObject errorObject = error.toObject();
        const QJsonValue code = errorObject.value(QLatin1String("code"));
        if (!code.isDouble())
            return badResponse(QStringLiteral("erro sem código"));
        // The client's own codes (0 to -5) never come from a server.
        if (code.toInt() >= ServerError::BadCall && code.toInt() <= ServerError::None)
            return badResponse(QStringLiteral("código de erro %1 inválido").arg(code.toInt()));
        return ServerResult::failure(code.toInt(), errorObject.value(QLatin1String("message")).toString());
    }
    if (answer.value(QLatin1String("id")).toInteger(-1) != id)
        return badResponse(QStringLiteral("a resposta não corresponde à chamada (id %1 esperado)").arg(id));
    if (!answer.contains(QLatin1String("result")))
        return badResponse(QStringLiteral("a resposta não tem resultado nem erro"));
    return ServerResult::success(answer.value(QLatin1String("result")));
}

ServerResult takeReferences(const QJsonValue& result, const QList<RpcArg>& args)
{
    QList<const RpcArg*> references;
    for (const RpcArg& arg : args) {
        if (arg.isReference())
            references.append(&arg);
    }
    if (!isReferenceEnvelope(result)) {
        if (references.isEmpty())
            return ServerResult::success(result);
        return badResponse(QStringLiteral("o método não devolveu os %1 valores por referência passados")
                               .arg(references.size()));
    }

    const QJsonObject envelope = result.toObject();
    const QJsonValue value = envelope.value(QLatin1String("value"));
    if (references.isEmpty())
        return ServerResult::success(value);

    const QJsonArray outputs = envelope.value(QLatin1String("refs")).toArray();
    if (outputs.size() != references.size())
        return badResponse(QStringLiteral("o método devolveu %1 valores por referência; a chamada passou %2")
                               .arg(outputs.size())
                               .arg(references.size()));
    for (qsizetype i = 0; i < references.size(); ++i) {
        const QString mismatch = references.at(i)->mismatch(outputs.at(i));
        if (!mismatch.isEmpty())
            return badResponse(QStringLiteral("valor por referência %1: %2").arg(i + 1).arg(mismatch));
    }
    for (qsizetype i = 0; i < references.size(); ++i)
        references.at(i)->assign(outputs.at(i));
    return ServerResult::success(value);
}

} // namespace RpcWire
