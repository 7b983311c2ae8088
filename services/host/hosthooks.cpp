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

// Built without the server client: there is nothing to connect.
void installHostHooks()
{
}

#endif
