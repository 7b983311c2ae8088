#include "guard.h"

#include "host.h"
#include "hostlog.h"

QString describeFailure(const std::exception& failure)
{
    const QString text = QString::fromUtf8(failure.what());
    return text.isEmpty() ? QStringLiteral("Ocorreu uma falha sem descrição.") : text;
}

void reportFailure(const QString& text) noexcept
{
    try {
        qCWarning(lcHost).noquote() << "Falha na ação:" << text;
        host().showMessage(MsgType::Error, text, MsgButton::Ok, MsgButton::Ok);
    } catch (const std::exception& failure) {
        qCCritical(lcHost).noquote() << "A falha não pôde ser mostrada:" << text << "-"
                                     << QString::fromUtf8(failure.what());
    } catch (...) {
        qCCritical(lcHost).noquote() << "A falha não pôde ser mostrada:" << text;
    }
}
