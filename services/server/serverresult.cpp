#include "serverresult.h"

#include "abort.h"
#include "clientlog.h"

Q_LOGGING_CATEGORY(lcServerClient, "ped.server.client")

namespace {

void logServerError(const QString& message, int code)
{
    qCWarning(lcServerClient).noquote() << "Erro do servidor de aplicação" << code << ":" << message;
}

ServerErrorReporter& reporterSlot()
{
    static ServerErrorReporter reporter = logServerError;
    return reporter;
}

} // namespace

ServerResult ServerResult::success(const QJsonValue& value)
{
    ServerResult result;
    result.m_value = value;
    return result;
}

ServerResult ServerResult::failure(int errorCode, const QString& message)
{
    Q_ASSERT(errorCode != ServerError::None);
    ServerResult result;
    result.m_errorCode = errorCode;
    result.m_errorMessage = message;
    return result;
}

void setServerErrorReporter(ServerErrorReporter reporter)
{
    reporterSlot() = reporter ? std::move(reporter) : ServerErrorReporter(logServerError);
}

QJsonValue CheckResultServ(const ServerResult& result, bool abort, int kind)
{
    if (result.ok())
        return result.value();

    const bool callerReports = kind == CallerReportsMethodFailure
                               && result.errorCode() == ServerError::MethodFailed;
    if (callerReports)
        logServerError(result.errorMessage(), result.errorCode());
    else
        reporterSlot()(result.errorMessage(), result.errorCode());

    if (abort)
        throw Abort();
    return QJsonValue(QJsonValue::Null);
}
