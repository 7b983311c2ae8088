#include "password.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace {

constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
const QString Scheme = QStringLiteral("pbkdf2-sha256");

QByteArray derive(const QString& plain, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, plain.toUtf8(), salt,
                                              iterations, HashBytes);
}

bool constantTimeEquals(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString hashPassword(const QString& plain, int iterations)
{
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                          SaltBytes / int(sizeof(quint32)));
    const QByteArray hash = derive(plain, salt, iterations);
    return QStringList{Scheme, QString::number(iterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(hash.toBase64())}
        .join(QLatin1Char('$'));
}

bool verifyPassword(const QString& plain, const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != Scheme)
        return false;
    bool numeric = false;
    const int iterations = parts[1].toInt(&numeric);
    if (!numeric || iterations < 1 || iterations > 10'000'000)
        return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[2].toLatin1(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    const auto expected = QByteArray::fromBase64Encoding(parts[3].toLatin1(),
                                                         QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !expected || expected.decoded.isEmpty())
        return false;
    return constantTimeEquals(derive(plain, salt.decoded, iterations), expected.decoded);
}
