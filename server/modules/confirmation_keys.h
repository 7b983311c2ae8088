#pragma once
// The submission keys of the confirmation (the client's Idempotency-Key): a
// submission retried after a lost answer gets the first answer back and
// applies nothing again. The key, the operator, a hash of the request and
// the answer are written in the submission's own transaction, so a key is
// known exactly when its submission took effect.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QSqlDatabase>
#include <QString>
#include <optional>

namespace ConfirmationKeys {

// Keys older than this are forgotten (at least 24 hours are kept).
inline constexpr qint64 keptSeconds = 48 * 3600;

// A hash of what a call asks: its method and arguments.
QString requestHash(const QString& method, const QJsonArray& params);

// The answer given to `key` before, when the same operator sent the same
// request; a MethodError "IDEMP_DIFER: ..." when the key came with another
// request or from another operator. Otherwise the key is claimed for this
// call (its row written, without an answer yet) and none is returned. Also
// forgets the keys older than keptSeconds. A key that is no UUID is a
// MethodError.
std::optional<QJsonValue> claim(const QSqlDatabase& db, const QString& key, const QString& operatorCode,
                                const QString& hash);

// Keeps the answer of a claimed key.
void keepAnswer(const QSqlDatabase& db, const QString& key, const QJsonValue& answer, const QString& branch,
                const QString& order);

} // namespace ConfirmationKeys
