#include "hosthooks.h"

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
