#pragma once
// The Host: everything that interacts with a person goes through one
// process-wide object, so that the shell shows real dialogs and a test
// answers them from a script.

#include <QFlags>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QDialog;
class QWidget;

enum class MsgType { Information, Warning, Error, Confirmation };

enum class MsgButton : unsigned {
    NoButton = 0x00,
    Ok = 0x01,
    Cancel = 0x02,
    Yes = 0x04,
    No = 0x08,
    Abort = 0x10,
    Retry = 0x20,
    Ignore = 0x40,
};
using MsgButtons = QFlags<MsgButton>;
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

QString msgTypeName(MsgType type);        // "Informação", "Atenção", "Erro", "Confirmação"
QString msgButtonCaption(MsgButton button); // "OK", "Cancelar", "Sim", "Não", ...

class Host {
public:
    virtual ~Host();

    // Shows a message; returns the button pressed (one of `buttons`).
    // With more than one button the message is a question.
    virtual MsgButton showMessage(MsgType type, const QString& text, MsgButtons buttons,
                                  MsgButton defaultButton) = 0;

    // A message with buttons of free captions; returns the index of the
    // button pressed, or -1 when the message was closed without a choice.
    virtual int choose(MsgType type, const QString& text, const QStringList& captions,
                       int defaultIndex) = 0;

    // Runs a dialog modally and returns its result (QDialog::Accepted or
    // Rejected, or the code the dialog closed with).
    virtual int execModal(QDialog& dialog) = 0;

    // The busy indicator over `over` (the active window when null).
    // Nesting is handled by ActiveShowAvi/DeactiveShowAvi: the host sees one
    // show and one hide per outermost pair.
    virtual void showBusy(QWidget* over, int style) = 0;
    virtual void hideBusy() = 0;

    // File choice; an empty text means the person cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;

    // A screen window that was just created wants to be shown (as a child
    // window of the shell, or on its own).
    virtual void presentScreen(QWidget* screen) = 0;

    // Gives the host the first word on LoadBPL: returns true when it opened
    // (or stood in for) the screen itself.
    virtual bool interceptScreen(const QString& code, const QVariantList& args);

    bool question(const QString& text);   // Yes/No confirmation; true on Yes
};

// The process-wide host. host() throws std::logic_error when none is set,
// so a missing set-up is never mistaken for an answer.
Host& host();
bool hasHost();
void setHost(Host* newHost);   // not owned; null uninstalls
