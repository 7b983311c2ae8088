#pragma once
// A self-signed TLS certificate made at test time with the openssl tool
// (Debian's openssl package), for servers that speak HTTPS in tests.

#include <QString>
#include <QStringList>

namespace PedTest {

struct TestCertificate {
    QString certificateFile;   // PEM; also the authority a client trusts
    QString keyFile;           // PEM, unencrypted

    // Writes cert.pem and key.pem named `baseName` into `folder`, valid for
    // the names given ("IP:127.0.0.1", "DNS:localhost"). Throws
    // std::runtime_error with openssl's output when it fails.
    static TestCertificate make(const QString& folder, const QString& baseName, const QStringList& names);
};

} // namespace PedTest
