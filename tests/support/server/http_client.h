#pragma once
// A blocking HTTP/1.1 client over one keep-alive connection, usable from any
// thread without an event loop; it can also send raw, malformed bytes.

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>

class QTcpSocket;

namespace PedTest {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

struct HttpResult {
    int status = 0;
    HeaderList headers;   // names in lower case
    QByteArray body;
    QByteArray header(const QByteArray& lowerCaseName) const;
    QJsonValue json() const;   // undefined when the body is no JSON
};

class HttpClient {
public:
    explicit HttpClient(quint16 port, QString host = QStringLiteral("127.0.0.1"));
    ~HttpClient();

    HttpResult post(const QByteArray& path, const QByteArray& body, const HeaderList& headers = {});
    HttpResult get(const QByteArray& path);
    // Sends `bytes` as they are and reads one answer. Throws std::runtime_error
    // when the connection closes without one.
    HttpResult sendRaw(const QByteArray& bytes);
    // True while the server kept the connection open after the last answer.
    bool isConnected() const;
    // How many TCP connections this client opened so far.
    int connectionsOpened() const { return m_connectionsOpened; }

private:
    void ensureConnected();
    HttpResult readResponse(bool headOnly);
    QByteArray readLine();
    void waitForData();

    QString m_host;
    quint16 m_port;
    std::unique_ptr<QTcpSocket> m_socket;
    int m_connectionsOpened = 0;
};

} // namespace PedTest
