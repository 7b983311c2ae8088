#include "host.h"

#include "hostlog.h"

#include <stdexcept>

Q_LOGGING_CATEGORY(lcHost, "ped.host")

namespace {
Host* currentHost = nullptr;
}

QString msgTypeName(MsgType type)
{
    switch (type) {
    case MsgType::Information: return QStringLiteral("Informação");
    case MsgType::Warning: return QStringLiteral("Atenção");
    case MsgType::Error: return QStringLiteral("Erro");
    case MsgType::Confirmation: return QStringLiteral("Confirmação");
    }
    return {};
}

QString msgButtonCaption(MsgButton button)
{
    switch (button) {
    case MsgButton::NoButton: return {};
    case MsgButton::Ok: return QStringLiteral("OK");
    case MsgButton::Cancel: return QStringLiteral("Cancelar");
    case MsgButton::Yes: return QStringLiteral("Sim");
    case MsgButton::No: return QStringLiteral("Não");
    case MsgButton::Abort: return QStringLiteral("Abortar");
    case MsgButton::Retry: return QStringLiteral("Repetir");
    case MsgButton::Ignore: return QStringLiteral("Ignorar");
    }
    return {};
}

Host::~Host()
{
    if (currentHost == this)
        currentHost = nullptr;
}

bool Host::interceptScreen(const QString&, const QVariantList&)
{
    return false;
}

bool Host::question(const QString& text)
{
    return showMessage(MsgType::Confirmation, text, MsgButton::Yes | MsgButton::No, MsgButton::Yes)
        == MsgButton::Yes;
}

Host& host()
{
    if (!currentHost)
        throw std::logic_error("Nenhum Host instalado: chame setHost() ao iniciar o programa.");
    return *currentHost;
}

bool hasHost()
{
    return currentHost != nullptr;
}

void setHost(Host* newHost)
{
    currentHost = newHost;
}
