#pragma once
// A connection to one remote data module of the application server
// (`netLanPed` is one whose ServerName is "PED00100.rdmLanPedido").
//
// Calls are synchronous for the caller: while one runs, a nested event loop
// keeps timers and painting going but processes no user input, and the
// host's busy indicator shows once the call takes longer than the busy delay.
// ThrowException is always false: call() reports every failure in its result.
//
// A connection belongs to the thread that uses it; the busy hooks run only
// for calls on the application's main thread.

#include "method_catalogue.h"
#include "rpcarg.h"
#include "serverresult.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <concepts>
#include <functional>

class QNetworkAccessManager;
class QNetworkRequest;

struct ServerEndpoint {
    QString host;   // a host name or address, or a URL "https://host/prefix" (server_address.h)
    int port = 0;
};

class TNetConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 120000;

    explicit TNetConnection(const QString& serverName = QString(), QObject* parent = nullptr);
    ~TNetConnection() override;

    QString ServerName() const { return m_serverName; }
    void setServerName(const QString& serverName) { m_serverName = serverName; }
    QString Host() const { return m_host; }
    void setHost(const QString& host) { m_host = host; }
    int Port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int timeoutMs) { m_timeoutMs = timeoutMs; }

    // Runs when the connection opens and may set Host and Port. When empty,
    // the endpoint provider decides; without one, the endpoint of the
    // session's log-in fills a connection that has no host of its own.
    std::function<void(TNetConnection& connection)> BeforeConnect;

    bool Connected() const { return m_connected; }
    void setConnected(bool connected);
    void Open();
    void Close();
    // Drops the kept-alive channel and opens a new one, taking the endpoint
    // afresh; used after the server was restarted.
    void Reconnect();

    // A change the caller may send again (the order confirmation) carries
    // this key in the Idempotency-Key header of every call until it is
    // cleared, across Reconnect too, so that the server applies it once.
    void setIdempotencyKey(const QString& key) { m_idempotencyKey = key; }
    QString idempotencyKey() const { return m_idempotencyKey; }

    // Calls `method` (a method of the catalogue, core/method_catalogue.h)
    // with positional `args` and waits for the answer (opening the
    // connection first when needed). A call whose connection was refused
    // (the server restarting) is retried once on a new channel; any other
    // failure is returned as it is: the request may have reached the server,
    // and a change must never run twice. A host name that does not resolve
    // is not retried either: a new channel cannot change that.
    //
    // A braced list of the wrong length does not compile:
    //   net->call(Rpc::LanPedido::GetPrxPedido, {filial});
    template <std::size_t N>
    ServerResult call(const Rpc::Method<N>& method, const std::array<RpcArg, N>& args)
    {
        return call(method.info(), QList<RpcArg>(args.begin(), args.end()));
    }
    // A list built at run time (GetPedido's 53 arguments); its length and
    // by-reference marks are checked below before anything is sent. Braced
    // lists cannot reach this overload (List is not deduced from them).
    template <std::size_t N, typename List>
        requires std::same_as<List, QList<RpcArg>>
    ServerResult call(const Rpc::Method<N>& method, const List& args)
    {
        return call(method.info(), args);
    }
    // A method whose arguments do not fit `args`, or that belongs to another
    // server than this connection's, fails with ServerError::BadCall and
    // nothing is sent.
    ServerResult call(const Rpc::MethodInfo& method, const QList<RpcArg>& args);

    // Process-wide hooks, installed by the host at start and log-in.
    static void setEndpointProvider(std::function<ServerEndpoint()> provider);
    static void setBusyHooks(std::function<void()> begin, std::function<void()> end);
    static void setBusyDelayMs(int busyDelayMs);
    // Certificates of an authority trusted besides the system's for https
    // servers (a company's own authority); empty: the system's only. Throws
    // std::runtime_error with a message for the user when the file holds none.
    static void setCaCertificatesFile(const QString& path);

private:
    struct Attempt;
    void takeEndpoint();
    QNetworkRequest httpRequest(qint64 contentLength) const;
    Attempt send(const QString& method, const QList<RpcArg>& args);
    ServerResult interpret(const Attempt& attempt, const QString& method, const QList<RpcArg>& args) const;
    ServerResult networkFailure(const Attempt& attempt, const QString& method) const;
    ServerResult answerOf(const Attempt& attempt, const QString& method, const QList<RpcArg>& args) const;
    QString address() const;
    QString callLabel(const QString& method) const;

    QString m_serverName;
    QString m_host;
    QString m_idempotencyKey;
    int m_port = 0;
    int m_timeoutMs = DefaultTimeoutMs;
    bool m_connected = false;
    qint64 m_nextRequestId = 1;
    QNetworkAccessManager* m_manager = nullptr;   // the kept-alive channel while connected
};
