// A screen module for the LoadBPL tests: tells the host it was opened and
// with which arguments, and answers through a by-reference argument.
#include "host.h"
#include "moduleapi.h"

#include <QStringList>

PED_MODULE_EXPORT void IniProc(const QVariantList& args)
{
    QStringList texts;
    for (const QVariant& arg : args) {
        if (arg.canConvert<bool*>() && arg.metaType() == QMetaType::fromType<bool*>()) {
            *arg.value<bool*>() = true;
            texts << QStringLiteral("<ref>");
        } else {
            texts << arg.toString();
        }
    }
    host().showMessage(MsgType::Information, QStringLiteral("PEDTEST01 aberto: ") + texts.join(u','),
                       MsgButton::Ok, MsgButton::Ok);
}
