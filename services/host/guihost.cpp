#include "guihost.h"

#include "busyoverlay.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconOf(MsgType type)
{
    switch (type) {
    case MsgType::Information: return QMessageBox::Information;
    case MsgType::Warning: return QMessageBox::Warning;
    case MsgType::Error: return QMessageBox::Critical;
    case MsgType::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleOf(MsgButton button)
{
    switch (button) {
    case MsgButton::Ok:
    case MsgButton::Yes: return QMessageBox::AcceptRole;
    case MsgButton::Cancel:
    case MsgButton::Abort: return QMessageBox::RejectRole;
    case MsgButton::No: return QMessageBox::NoRole;
    default: return QMessageBox::ActionRole;
    }
}

// What closing the box without a button means: the most cautious answer.
MsgButton escapeAnswer(MsgButtons buttons)
{
    for (MsgButton candidate : {MsgButton::Cancel, MsgButton::No, MsgButton::Abort, MsgButton::Ok})
        if (buttons.testFlag(candidate))
            return candidate;
    return MsgButton::NoButton;
}

constexpr MsgButton ButtonOrder[] = {MsgButton::Yes,   MsgButton::No,    MsgButton::Ok,     MsgButton::Cancel,
                                     MsgButton::Abort, MsgButton::Retry, MsgButton::Ignore};

} // namespace

// A message or dialog that opens while the indicator is up must not sit
// under the overlay and the wait cursor: both step aside until it closes.
class GuiHost::BusyPause {
public:
    explicit BusyPause(GuiHost& gui)
        : gui(gui)
        , paused(gui.waitCursorSet)
    {
        if (!paused)
            return;
        if (gui.overlay)
            gui.overlay->hide();
        QApplication::restoreOverrideCursor();
    }
    ~BusyPause()
    {
        if (!paused)
            return;
        if (gui.overlay)
            gui.overlay->start();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    BusyPause(const BusyPause&) = delete;
    BusyPause& operator=(const BusyPause&) = delete;

private:
    GuiHost& gui;
    bool paused;
};

GuiHost::GuiHost() = default;

BusyOverlay* GuiHost::busyOverlay() const
{
    return overlay;
}

GuiHost::~GuiHost()
{
    delete overlay;
}

MsgButton GuiHost::showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton)
{
    if (buttons == MsgButtons())
        buttons = MsgButton::Ok;
    QMessageBox box(iconOf(type), msgTypeName(type), text, QMessageBox::NoButton, QApplication::activeWindow());
    const MsgButton escape = escapeAnswer(buttons);
    QHash<QAbstractButton*, MsgButton> answers;
    for (MsgButton button : ButtonOrder) {
        if (!buttons.testFlag(button))
            continue;
        QPushButton* pushButton = box.addButton(msgButtonCaption(button), roleOf(button));
        answers.insert(pushButton, button);
        if (button == defaultButton)
            box.setDefaultButton(pushButton);
        if (button == escape)
            box.setEscapeButton(pushButton);
    }
    BusyPause pause(*this);
    box.exec();
    return answers.value(box.clickedButton(), escape);
}

int GuiHost::choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex)
{
    QMessageBox box(iconOf(type), msgTypeName(type), text, QMessageBox::NoButton, QApplication::activeWindow());
    QList<QAbstractButton*> pushButtons;
    for (const QString& caption : captions)
        pushButtons << box.addButton(caption, QMessageBox::ActionRole);
    if (defaultIndex >= 0 && defaultIndex < pushButtons.size())
        box.setDefaultButton(static_cast<QPushButton*>(pushButtons[defaultIndex]));
    BusyPause pause(*this);
    box.exec();
    return int(pushButtons.indexOf(box.clickedButton()));
}

int GuiHost::execModal(QDialog& dialog)
{
    BusyPause pause(*this);
    return dialog.exec();
}

void GuiHost::showBusy(QWidget* over, int style)
{
    QWidget* window = over ? over->window() : QApplication::activeWindow();
    delete overlay;
    overlay = new BusyOverlay(window, BusyOverlay::captionForStyle(style));
    overlay->start();
    if (!waitCursorSet)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursorSet = true;
}

// The overlay may already be gone with its window; the cursor is restored anyway.
void GuiHost::hideBusy()
{
    delete overlay;
    if (waitCursorSet)
        QApplication::restoreOverrideCursor();
    waitCursorSet = false;
}

QString GuiHost::openFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    BusyPause pause(*this);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString GuiHost::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    BusyPause pause(*this);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

void GuiHost::presentScreen(QWidget* screen)
{
    if (screenPresenter) {
        screenPresenter(screen);
        return;
    }
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void GuiHost::setScreenPresenter(std::function<void(QWidget*)> presenter)
{
    screenPresenter = std::move(presenter);
}
