#include "test_certificate.h"

#include <QDir>
#include <QProcess>
#include <stdexcept>

namespace PedTest {

TestCertificate TestCertificate::make(const QString& folder, const QString& baseName, const QStringList& names)
{
    TestCertificate made;
    made.certificateFile = QDir(folder).filePath(baseName + QStringLiteral("-cert.pem"));
    made.keyFile = QDir(folder).filePath(baseName + QStringLiteral("-key.pem"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    // An EC key is made in milliseconds; RSA would take a noticeable while.
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=pedserver teste ") + baseName,
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + names.join(QLatin1Char(',')),
                   QStringLiteral("-keyout"), made.keyFile, QStringLiteral("-out"), made.certificateFile});
    if (!openssl.waitForFinished(30'000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        throw std::runtime_error("openssl could not make a test certificate (Debian package openssl): "
                                 + openssl.errorString().toStdString() + " " + openssl.readAll().toStdString());
    return made;
}

} // namespace PedTest
