#pragma once
// The Host of the tests. It records every message, answers questions, choices
// and file dialogs from a script, drives modal dialogs through scripted
// callbacks and stands in for screens that LoadBPL would open.
//
// A message with more than one button is a question. The script is one
// ordered queue: each question, choice, modal dialog or file dialog must be
// the next expectation. Anything else is a script
// failure: it is recorded, logged, and thrown as ScriptFailure so the screen
// action stops there. PED_VERIFY_HOST(host) in cleanup() fails the test on
// any failure, any expectation left unused, or a busy indicator left on.
//
//   ScriptedHost host;   // installs itself for its lifetime
//   host.expectQuestion("Deseja cancelar", MsgButton::No);
//   host.expectDialog("TfrmFiltroPedido", [](QDialog& d) { ...; d.accept(); });
//   screen.sbtCancelarClick();
//   PED_VERIFY_HOST(host);

#include "host.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtTest/QTest>
#include <deque>
#include <functional>
#include <stdexcept>

class ScriptFailure : public std::runtime_error {
public:
    explicit ScriptFailure(const QString& message);
};

class ScriptedHost : public Host {
public:
    struct Message {
        MsgType type;
        QString text;
        MsgButtons buttons;
        QString answer;   // caption of the button given back
    };
    struct ScreenCall {
        QString code;
        QVariantList args;
    };
    using DialogScript = std::function<void(QDialog&)>;
    using ScreenScript = std::function<void(const QVariantList&)>;

    ScriptedHost();    // installs itself as the process's host, and the client hooks
    ~ScriptedHost() override;

    // The script, in the order the events will happen.
    ScriptedHost& expectQuestion(const QString& containsText, MsgButton answer);
    ScriptedHost& expectChoice(const QString& containsText, const QString& caption);
    ScriptedHost& expectDialog(const QString& className, DialogScript drive);
    ScriptedHost& expectFileName(const QString& containsCaption, const QString& path);

    // Stands in for a screen whenever LoadBPL opens `code` (not part of the queue).
    void onScreen(const QString& code, ScreenScript handler);

    // What happened. Looking at the messages marks them read.
    const QList<Message>& messages() const
    {
        read = recorded.size();
        return recorded;
    }
    QStringList messageTexts(MsgType type) const;
    bool hasMessage(const QString& containsText) const;
    // The one-button messages shown since the test last looked at the
    // messages: nobody expected them.
    QStringList unreadMessages() const;
    const QList<ScreenCall>& screenCalls() const { return screens; }
    const QList<QPointer<QWidget>>& presentedScreens() const { return presented; }
    int busyShows() const { return shows; }
    int busyHides() const { return hides; }
    bool busyVisible() const { return shows > hides; }
    int lastBusyStyle() const { return busyStyle; }

    QStringList failures() const { return failed; }
    QStringList pendingExpectations() const;
    // Failures, unused expectations and an indicator still on, one per line;
    // empty when all is well. Marks the host as verified.
    QString problems();
    void clear();   // forgets records, failures and the script

    MsgButton showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton) override;
    int choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex) override;
    int execModal(QDialog& dialog) override;
    void showBusy(QWidget* over, int style) override;
    void hideBusy() override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    void presentScreen(QWidget* screen) override;
    bool interceptScreen(const QString& code, const QVariantList& args) override;

private:
    enum class Kind { Question, Choice, Dialog, FileName };
    struct Expectation {
        Kind kind;
        QString match;        // text contained, dialog class or caption contained
        MsgButton button = MsgButton::NoButton;
        QString text;         // choice caption or file path
        DialogScript drive;
    };

    [[noreturn]] void fail(const QString& message);
    Expectation takeExpected(Kind kind, const std::function<bool(const Expectation&)>& matches,
                             const QString& describe);
    QStringList collectProblems() const;
    QString fileName(const QString& caption);

    std::deque<Expectation> script;
    QList<Message> recorded;
    mutable qsizetype read = 0;   // messages the test has looked at
    QList<ScreenCall> screens;
    QList<QPointer<QWidget>> presented;
    QHash<QString, ScreenScript> screenScripts;
    QStringList failed;
    int shows = 0;
    int hides = 0;
    int busyStyle = -1;
    bool verified = false;
};

#define PED_VERIFY_HOST(scriptedHost)                                       \
    do {                                                                    \
        const QString pedHostProblems = (scriptedHost).problems();          \
        if (!pedHostProblems.isEmpty())                                     \
            QFAIL(qPrintable(pedHostProblems));                             \
    } while (false)
