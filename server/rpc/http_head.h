#pragma once
// Reads the head of an HTTP/1.x request from the bytes a connection has
// received so far, apart from any socket, so that what a client may send is
// checked in one place (and can be exercised byte by byte).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

struct HttpRequest {
    QByteArray method;
    QByteArray path;          // without the query
    QList<QPair<QByteArray, QByteArray>> headers;   // names in lower case
    QByteArray body;
    QString clientAddress;    // the peer's address, for the log
    QByteArray header(const QByteArray& lowerCaseName) const;
};

// The answer owed instead of reading on (400, 413, 431, 505, ...).
struct HttpHeadError {
    int status;
    QString message;
};

struct HttpHead {
    HttpRequest request;      // without its body
    qint64 bodyBytes = 0;
    bool keepAlive = true;
    bool expectContinue = false;
};

class HttpHeadReader {
public:
    HttpHeadReader(qint64 maxHeaderBytes, qint64 maxBodyBytes);

    // Searches only what arrived since the last call. Once the head is
    // complete it is removed from `buffer` and returned, and the reader is
    // ready for the next request; nothing while more bytes are needed.
    // Throws HttpHeadError.
    std::optional<HttpHead> read(QByteArray& buffer);

    // The request line read so far asks for HEAD (its answers carry no body).
    bool isHeadRequest() const { return m_headRequest; }

private:
    bool findHeadEnd(const QByteArray& buffer);
    HttpHead readHead(const QByteArray& head) const;

    qint64 m_maxHeaderBytes;
    qint64 m_maxBodyBytes;
    qsizetype m_scanned = 0;     // bytes of the head already searched for its end
    qsizetype m_lineStart = 0;   // where the head's current line begins
    bool m_headRequest = false;
};
