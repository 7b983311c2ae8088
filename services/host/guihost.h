#pragma once
// The shell's Host: real message boxes, modal dialogs, file dialogs and the
// busy overlay.

#include "host.h"

#include <QPointer>
#include <functional>

class BusyOverlay;

class GuiHost : public Host {
public:
    GuiHost();
    ~GuiHost() override;

    MsgButton showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton) override;
    int choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex) override;
    int execModal(QDialog& dialog) override;
    void showBusy(QWidget* over, int style) override;
    void hideBusy() override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    void presentScreen(QWidget* screen) override;

    // The shell puts new screens into its MDI area; without a presenter a
    // screen is shown as a window of its own.
    void setScreenPresenter(std::function<void(QWidget*)> presenter);

    BusyOverlay* busyOverlay() const;

private:
    class BusyPause;
    QPointer<BusyOverlay> overlay;
    bool waitCursorSet = false;
    std::function<void(QWidget*)> screenPresenter;
};
