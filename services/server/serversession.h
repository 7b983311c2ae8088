#pragma once
// The operator's session on the application server, one per process: the
// token that Login on "Bib.rdmDBGeral" gave, which every call carries. The
// password is sent once and never kept.

#include "netconnection.h"
#include "serverresult.h"

#include <QMutex>
#include <QString>

class ServerSession {
public:
    static ServerSession& instance();

    // Logs in and keeps the token; a failure leaves no session. An open
    // session is ended first. The result's value is Login's answer.
    ServerResult login(const QString& host, int port, const QString& operatorCode, const QString& password);
    // Takes over a session opened elsewhere (the shell hands its session to
    // a module; tests try foreign tokens).
    void adopt(const ServerEndpoint& endpoint, const QString& operatorCode, const QString& token);
    // Ends the session on the server and forgets it here, also when the
    // server cannot be reached (its session then expires by itself).
    ServerResult logout();

    bool isOpen() const;
    QString token() const;
    QString operatorCode() const;
    ServerEndpoint endpoint() const;   // where the session was opened

private:
    ServerSession() = default;
    void forget();

    mutable QMutex m_mutex;   // benchmark threads share one session
    ServerEndpoint m_endpoint;
    QString m_operatorCode;
    QString m_token;
};
