#include "headlesshost.h"


#include <QDialog>
#include <cstdio>

namespace {

void report(MsgType type, const QString& text)
{
    std::fprintf(stderr, "erpshell: %s: %s\n", qPrintable(msgTypeName(type)), qPrintable(text));
}

} // namespace

MsgButton HeadlessHost::showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton)
{
    report(type, text);
    if (buttons.testFlag(defaultButton))
        return defaultButton;
    for (MsgButton cautious : {MsgButton::Cancel, MsgButton::No, MsgButton::Ok})
        if (buttons.testFlag(cautious))
            return cautious;
    return defaultButton;
}

int HeadlessHost::choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex)
{
    report(type, text);
    return defaultIndex >= 0 && defaultIndex < captions.size() ? defaultIndex : -1;
}

int HeadlessHost::execModal(QDialog& dialog)
{
    report(MsgType::Warning, QStringLiteral("diálogo \"%1\" não aberto: execução sem tela").arg(dialog.windowTitle()));
    return QDialog::Rejected;
}
