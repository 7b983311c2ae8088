#include "http_client.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <stdexcept>

namespace PedTest {

namespace {
constexpr int WaitMs = 60'000;
}

QByteArray HttpResult::header(const QByteArray& lowerCaseName) const
{
    for (const auto& [name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

QJsonValue HttpResult::json() const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        return QJsonValue(QJsonValue::Undefined);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

HttpClient::HttpClient(quint16 port, QString host) : m_host(std::move(host)), m_port(port) {}

HttpClient::~HttpClient() = default;

bool HttpClient::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void HttpClient::ensureConnected()
{
    if (isConnected())
        return;
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(m_host, m_port);
    if (!m_socket->waitForConnected(WaitMs))
        throw std::runtime_error("cannot connect: " + m_socket->errorString().toStdString());
    ++m_connectionsOpened;
}

HttpResult HttpClient::post(const QByteArray& path, const QByteArray& body, const HeaderList& headers)
{
    QByteArray request = "POST " + path + " HTTP/1.1\r\nHost: " + m_host.toLatin1()
        + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    for (const auto& [name, value] : headers)
        request += name + ": " + value + "\r\n";
    return sendRaw(request + "\r\n" + body);
}

HttpResult HttpClient::get(const QByteArray& path)
{
    return sendRaw("GET " + path + " HTTP/1.1\r\nHost: " + m_host.toLatin1() + "\r\n\r\n");
}

HttpResult HttpClient::sendRaw(const QByteArray& bytes)
{
    ensureConnected();
    m_socket->write(bytes);
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(WaitMs)) {
            // The server may answer (413) and stop reading before all is sent.
            if (m_socket->bytesAvailable() > 0 || m_socket->state() != QAbstractSocket::ConnectedState)
                break;
            throw std::runtime_error("cannot send: " + m_socket->errorString().toStdString());
        }
    }
    // The answer to HEAD announces a body's length but sends no body.
    const bool headOnly = bytes.startsWith("HEAD ");
    HttpResult result = readResponse(headOnly);
    while (result.status == 100)
        result = readResponse(headOnly);
    if (result.header("connection").toLower() == "close") {
        m_socket->disconnectFromHost();
        m_socket.reset();
    }
    return result;
}

void HttpClient::waitForData()
{
    if (m_socket->bytesAvailable() > 0)
        return;
    if (!m_socket->waitForReadyRead(WaitMs))
        throw std::runtime_error("no answer: " + m_socket->errorString().toStdString());
}

QByteArray HttpClient::readLine()
{
    while (!m_socket->canReadLine())
        waitForData();
    QByteArray line = m_socket->readLine();
    if (line.endsWith("\r\n"))
        line.chop(2);
    return line;
}

HttpResult HttpClient::readResponse(bool headOnly)
{
    HttpResult result;
    const QList<QByteArray> statusLine = readLine().split(' ');
    if (statusLine.size() < 2 || !statusLine[0].startsWith("HTTP/1."))
        throw std::runtime_error("malformed status line");
    result.status = statusLine[1].toInt();
    for (QByteArray line = readLine(); !line.isEmpty(); line = readLine()) {
        const qsizetype colon = line.indexOf(':');
        result.headers.append({line.left(colon).toLower(), line.mid(colon + 1).trimmed()});
    }
    if (result.status == 100 || result.status == 204 || headOnly)
        return result;
    const qint64 length = result.header("content-length").toLongLong();
    while (result.body.size() < length) {
        waitForData();
        result.body += m_socket->read(length - result.body.size());
    }
    return result;
}

} // namespace PedTest
