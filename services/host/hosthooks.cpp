#include "hosthooks.h"

#ifdef PED_HAVE_CLIENT

#include "busy.h"
#include "context.h"
#include "host.h"
#include "netconnection.h"
#include "serversession.h"

void installHostHooks()
{
    setServerErrorReporter([](const QString& message, int) {
        host().showMessage(MsgType::Error, message, MsgButton::Ok, MsgButton::Ok);
    });
    TNetConnection::setEndpointProvider([] {
        if (hasWorkingContext() && !WebURL().isEmpty())
            return ServerEndpoint{WebURL(), WebPort()};
        return ServerSession::instance().endpoint();
    });
    TNetConnection::setBusyHooks([] { ActiveShowAvi(nullptr, BusyStyle::Aguarde); }, [] { DeactiveShowAvi(); });
}

#else

#include "hostlog.h"

void installHostHooks()
{
    qCWarning(lcHost) << "Host sem cliente do servidor de aplicação: nada a ligar";
}

#endif
