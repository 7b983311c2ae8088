#include "autoriza.h"

#include "autorizadialog.h"
#include "host.h"
#include "hostlog.h"
#include "messages.h"
#include "netconnection.h"

#include <QApplication>
#include <QJsonArray>

namespace {

struct Decision {
    bool released = false;
    QString supervisor;
    QString refusal;
};

// The answer is [true, supervisor name]; a refusal comes as the method's
// failure (or, from an older server, as [false, reason]).
Decision decisionOf(const ServerResult& result)
{
    if (result.ok()) {
        using namespace Rpc::DBGeral::AutorizaOperadorResult;
        const QJsonArray answer = result.value().toArray();
        if (answer.at(Autorizado).toBool())
            return {true, answer.at(NomeSupervisor).toString(), {}};
        return {false, {}, answer.at(NomeSupervisor).toString()};
    }
    return {false, {}, result.errorMessage()};
}

// The server refuses with a catalog key ("SENHA_INVALIDA") or a text.
QString refusalText(const QString& reason)
{
    const TMessages& standard = msgMensagensPadroes();
    if (reason.isEmpty())
        return standard.Msg(QStringLiteral("Liberacao_Negada"));
    return standard.contains(reason) ? standard.Msg(reason) : reason;
}

} // namespace

bool Autoriza(TNetConnection& connection, int kind, const QString& operation, const QString& detail)
{
    TNetConnection release(ServerNames::DBGeral);
    if (!connection.Host().isEmpty()) {
        release.setHost(connection.Host());
        release.setPort(connection.Port());
        release.BeforeConnect = [](TNetConnection&) {};   // keep the endpoint copied above
    }

    QString refusal;
    for (int attempt = 0; attempt < AutorizaMaxAttempts; ++attempt) {
        TfrmAutoriza dialog(operation, detail, QApplication::activeWindow());
        dialog.setRefusal(refusal);
        if (host().execModal(dialog) != QDialog::Accepted)
            return false;
        const ServerResult result =
            release.call(Rpc::DBGeral::AutorizaOperador, {dialog.operador(), dialog.senha(), kind});
        if (!result.ok() && result.errorCode() != ServerError::MethodFailed) {
            CheckResultServ(result, false);
            return false;
        }
        const Decision decision = decisionOf(result);
        if (decision.released) {
            qCInfo(lcHost).noquote() << "Liberação de" << operation << detail << "por" << decision.supervisor;
            return true;
        }
        refusal = refusalText(decision.refusal);
    }
    MensErro(refusal, false);
    return false;
}
