#include "http_head.h"

#include <QByteArrayView>
#include <algorithm>

namespace {

bool isToken(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c <= ' ' || c >= 127 || QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    }
    return true;
}

bool isControlByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

// Checked as soon as the line has arrived, so that what is no HTTP is told
// so at once instead of after the read timeout.
void checkRequestLine(const QByteArray& line)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/')
        || std::any_of(parts[1].begin(), parts[1].end(), isControlByte))
        throw HttpHeadError{400, QStringLiteral("malformed request line")};
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        throw HttpHeadError{505, QStringLiteral("only HTTP/1.1 and HTTP/1.0 are served")};
}

} // namespace

QByteArray HttpRequest::header(const QByteArray& lowerCaseName) const
{
    for (const auto& [name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

HttpHeadReader::HttpHeadReader(qint64 maxHeaderBytes, qint64 maxBodyBytes)
    : m_maxHeaderBytes(maxHeaderBytes), m_maxBodyBytes(maxBodyBytes)
{
}

std::optional<HttpHead> HttpHeadReader::read(QByteArray& buffer)
{
    if (m_scanned == 0) {
        m_headRequest = false;
        while (buffer.startsWith("\r\n"))
            buffer.remove(0, 2);
        // Bytes that cannot begin a request line (a TLS handshake sent to the
        // plain port, above all) are refused now, not after the read timeout.
        const QByteArray start = buffer.left(33);
        const qsizetype space = start.indexOf(' ');
        const QByteArray method = start.left(space < 0 ? 32 : space);
        if (!method.isEmpty() && (!isToken(method) || method.size() >= 32))
            throw HttpHeadError{400, buffer.startsWith('\x16') ? QStringLiteral("this port speaks plain HTTP, not TLS")
                                                               : QStringLiteral("malformed request line")};
    }
    if (!findHeadEnd(buffer))
        return std::nullopt;
    const QByteArray head = buffer.left(m_lineStart);   // every line with its CRLF
    buffer.remove(0, m_lineStart + 2);
    m_scanned = m_lineStart = 0;
    return readHead(head);
}

// Searches only the bytes that arrived since the last search, line by line;
// true with m_lineStart at the empty line that ends the head.
bool HttpHeadReader::findHeadEnd(const QByteArray& buffer)
{
    const HttpHeadError tooLarge{431, QStringLiteral("request head larger than %1 bytes").arg(m_maxHeaderBytes)};
    for (qsizetype lf; (lf = buffer.indexOf('\n', m_scanned)) >= 0;) {
        if (lf == 0 || buffer.at(lf - 1) != '\r')
            throw HttpHeadError{400, QStringLiteral("header lines must end with CRLF")};
        if (m_lineStart > 0 && lf - 1 == m_lineStart)
            return true;
        if (m_lineStart == 0) {
            checkRequestLine(buffer.left(lf - 1));
            m_headRequest = buffer.startsWith("HEAD ");
        }
        m_lineStart = m_scanned = lf + 1;
        if (m_lineStart > m_maxHeaderBytes)
            throw tooLarge;
    }
    m_scanned = buffer.size();
    if (buffer.size() > m_maxHeaderBytes)
        throw tooLarge;
    return false;
}

HttpHead HttpHeadReader::readHead(const QByteArray& head) const
{
    QList<QByteArray> lines = head.split('\n');
    lines.removeLast();   // after the final CRLF
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r'))
            throw HttpHeadError{400, QStringLiteral("header lines must end with CRLF")};
        line.chop(1);
    }
    checkRequestLine(lines.first());
    const QList<QByteArray> requestLine = lines.first().split(' ');
    const QByteArray& version = requestLine[2];

    HttpHead result;
    HttpRequest& request = result.request;
    request.method = requestLine[0];
    QByteArray target = requestLine[1];
    const qsizetype queryStart = target.indexOf('?');
    if (queryStart >= 0)
        target.truncate(queryStart);
    request.path = target;   // routed as sent: "/rpc/%50ED..." names no server

    result.keepAlive = version == "HTTP/1.1";
    std::optional<QByteArray> contentLength;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            throw HttpHeadError{400, QStringLiteral("malformed header line")};
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (std::any_of(value.cbegin(), value.cend(), isControlByte))
            throw HttpHeadError{400, QStringLiteral("control character in the value of header %1")
                                         .arg(QString::fromLatin1(name.left(64)))};
        request.headers.append({name, value});
        if (name == "content-length") {
            if (contentLength && *contentLength != value)
                throw HttpHeadError{400, QStringLiteral("conflicting Content-Length headers")};
            contentLength = value;
        } else if (name == "transfer-encoding") {
            throw HttpHeadError{411, QStringLiteral("send the body with Content-Length; "
                                                    "chunked bodies are not accepted")};
        } else if (name == "connection") {
            const QByteArray options = value.toLower();
            if (options.contains("close"))
                result.keepAlive = false;
            else if (options.contains("keep-alive"))
                result.keepAlive = true;
        } else if (name == "expect") {
            if (value.toLower() != "100-continue")
                throw HttpHeadError{417, QStringLiteral("unsupported expectation")};
            result.expectContinue = version == "HTTP/1.1";
        }
    }

    if (contentLength) {
        bool numeric = !contentLength->isEmpty() && contentLength->size() <= 18
            && std::all_of(contentLength->cbegin(), contentLength->cend(),
                           [](char c) { return c >= '0' && c <= '9'; });
        result.bodyBytes = numeric ? contentLength->toLongLong(&numeric) : 0;
        if (!numeric)
            throw HttpHeadError{400, QStringLiteral("malformed Content-Length")};
    }
    if (result.bodyBytes > m_maxBodyBytes)
        throw HttpHeadError{413, QStringLiteral("request body of %1 bytes is over the limit of %2 bytes")
                                     .arg(result.bodyBytes).arg(m_maxBodyBytes)};
    return result;
}
