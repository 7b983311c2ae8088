#pragma once
// The host of a shell that runs without a person in front of it (the
// --screenshot run): messages go to stderr, questions take their default
// answer and dialogs are not opened, so nothing can wait for a click that
// never comes.

#include "guihost.h"

class HeadlessHost : public GuiHost {
public:
    MsgButton showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton) override;
    int choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex) override;
    int execModal(QDialog& dialog) override;
};
