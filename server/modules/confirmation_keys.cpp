#include "confirmation_keys.h"

#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace ConfirmationKeys {

namespace {

QByteArray jsonText(const QJsonValue& value)
{
    // A value array or packet as it is; a bare value inside an array.
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
}

QJsonValue fromJsonText(const QString& text, bool wrapped)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (document.isObject())
        return document.object();
    if (wrapped)
        return document.array().at(0);
    return document.array();
}

} // namespace

QString requestHash(const QString& method, const QJsonArray& params)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(method.toUtf8());
    hash.addData(QByteArrayView("\n"));
    hash.addData(QJsonDocument(params).toJson(QJsonDocument::Compact));   // object keys sorted: one text per request
    return QString::fromLatin1(hash.result().toHex());
}

std::optional<QJsonValue> claim(const QSqlDatabase& db, const QString& key, const QString& operatorCode, const QString& hash)
{
    if (QUuid::fromString(key).isNull())
        throw MethodError(QStringLiteral("Idempotency-Key inválida: \"%1\"; use um UUID.").arg(key.left(64)).toStdString());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    execChange(db, QStringLiteral("DELETE FROM CONFIRMACAOPED WHERE DTCONFIRMA < ?"), {now - keptSeconds});
    // A second call with the key waits here until the first one ends (row
    // lock or write lock) and then finds its row, or claims the key itself
    // when the first one stored nothing.
    const int claimed = execChange(db,
                                   QStringLiteral("INSERT INTO CONFIRMACAOPED (CDCHAVECONF, CDOPERADOR, DSHASHREQ, DTCONFIRMA)"
                                                  " VALUES (?, ?, ?, ?) ON CONFLICT (CDCHAVECONF) DO NOTHING"),
                                   {key, operatorCode, hash, now});
    if (claimed == 1)
        return std::nullopt;
    QSqlQuery earlier = execSql(db, QStringLiteral("SELECT CDOPERADOR, DSHASHREQ, TXRESPOSTA FROM CONFIRMACAOPED WHERE CDCHAVECONF = ?"),
                                {key});
    if (!earlier.next() || earlier.value(2).isNull())
        throw MethodError("IDEMP_ANDAMENTO: A submissão com esta chave ainda está em andamento; tente novamente.");
    if (earlier.value(0).toString().compare(operatorCode, Qt::CaseInsensitive) != 0 || earlier.value(1).toString() != hash)
        throw MethodError("IDEMP_DIFER: Esta chave de idempotência já foi usada em outra submissão; "
                          "uma nova submissão deve usar uma nova chave.");
    const QString answer = earlier.value(2).toString();
    return fromJsonText(answer.mid(1), answer.startsWith(u'v'));
}

void keepAnswer(const QSqlDatabase& db, const QString& key, const QJsonValue& answer, const QString& branch, const QString& order)
{
    // "v" marks a bare value kept inside an array, "j" an array or object.
    const bool bare = !answer.isObject() && !answer.isArray();
    execChange(db, QStringLiteral("UPDATE CONFIRMACAOPED SET TXRESPOSTA = ?, CDFILIAL = ?, NRPEDIDO = ? WHERE CDCHAVECONF = ?"),
               {QString(bare ? QStringLiteral("v") : QStringLiteral("j")) + QString::fromUtf8(jsonText(answer)), branch, order, key});
}

} // namespace ConfirmationKeys
