#include "scriptedhost.h"

#include "busy.h"
#include "hosthooks.h"

#include <QCoreApplication>
#include <QDialog>
#include <QWidget>
#include <bit>

ScriptFailure::ScriptFailure(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

QString describe(const char* kindName, const QString& match)
{
    return QStringLiteral("%1 \"%2\"").arg(QString::fromUtf8(kindName), match);
}

const char* kindName(int kind)
{
    static const char* names[] = {"pergunta", "escolha", "diálogo", "arquivo"};
    return names[kind];
}

bool isQuestion(MsgButtons buttons)
{
    return std::popcount(unsigned(buttons.toInt())) > 1;
}

} // namespace

ScriptedHost::ScriptedHost()
{
    resetBusyState();
    setHost(this);
    installHostHooks();
}

ScriptedHost::~ScriptedHost()
{
    const QStringList left = collectProblems();
    if (!verified && !left.isEmpty())
        qWarning().noquote() << "ScriptedHost destruído com problemas não verificados:\n" + left.join(u'\n');
}

ScriptedHost& ScriptedHost::expectQuestion(const QString& containsText, MsgButton answer)
{
    script.push_back({Kind::Question, containsText, answer, {}, {}});
    return *this;
}

ScriptedHost& ScriptedHost::expectChoice(const QString& containsText, const QString& caption)
{
    script.push_back({Kind::Choice, containsText, MsgButton::NoButton, caption, {}});
    return *this;
}

ScriptedHost& ScriptedHost::expectDialog(const QString& className, DialogScript drive)
{
    script.push_back({Kind::Dialog, className, MsgButton::NoButton, {}, std::move(drive)});
    return *this;
}

ScriptedHost& ScriptedHost::expectFileName(const QString& containsCaption, const QString& path)
{
    script.push_back({Kind::FileName, containsCaption, MsgButton::NoButton, path, {}});
    return *this;
}

void ScriptedHost::onScreen(const QString& code, ScreenScript handler)
{
    screenScripts.insert(code.trimmed().toUpper(), std::move(handler));
}

QStringList ScriptedHost::messageTexts(MsgType type) const
{
    read = recorded.size();
    QStringList texts;
    for (const Message& message : recorded)
        if (message.type == type)
            texts << message.text;
    return texts;
}

bool ScriptedHost::hasMessage(const QString& containsText) const
{
    read = recorded.size();
    for (const Message& message : recorded)
        if (message.text.contains(containsText))
            return true;
    return false;
}

QStringList ScriptedHost::unreadMessages() const
{
    QStringList texts;
    for (qsizetype i = read; i < recorded.size(); ++i)
        if (recorded.at(i).buttons != MsgButtons() && !isQuestion(recorded.at(i).buttons))
            texts << recorded.at(i).text;
    return texts;
}

QStringList ScriptedHost::pendingExpectations() const
{
    QStringList pending;
    for (const Expectation& expectation : script)
        pending << describe(kindName(int(expectation.kind)), expectation.match);
    return pending;
}

QStringList ScriptedHost::collectProblems() const
{
    QStringList problems = failed;
    for (const QString& pending : pendingExpectations())
        problems << QStringLiteral("Esperado pelo roteiro e não ocorrido: %1").arg(pending);
    if (busyDepth() != 0 || shows != hides)
        problems << QStringLiteral("Indicador de ocupado ainda ligado (%1 ActiveShowAvi sem DeactiveShowAvi)")
                        .arg(busyDepth());
    if (busyUnbalancedEnds() > 0)
        problems << QStringLiteral("DeactiveShowAvi chamado %1 vez(es) sem ActiveShowAvi aberto")
                        .arg(busyUnbalancedEnds());
    return problems;
}

QString ScriptedHost::problems()
{
    verified = true;
    return collectProblems().join(u'\n');
}

void ScriptedHost::clear()
{
    script.clear();
    recorded.clear();
    read = 0;
    screens.clear();
    presented.clear();
    failed.clear();
    shows = hides = 0;
    busyStyle = -1;
    resetBusyState();
}

void ScriptedHost::fail(const QString& message)
{
    failed << message;
    qWarning().noquote() << "ScriptedHost:" << message;
    throw ScriptFailure(message);
}

ScriptedHost::Expectation ScriptedHost::takeExpected(Kind kind,
                                                     const std::function<bool(const Expectation&)>& matches,
                                                     const QString& what)
{
    if (script.empty())
        fail(QStringLiteral("Não esperado pelo roteiro: %1").arg(what));
    const Expectation& next = script.front();
    if (next.kind != kind || !matches(next))
        fail(QStringLiteral("Roteiro esperava %1, mas veio %2")
                 .arg(describe(kindName(int(next.kind)), next.match), what));
    Expectation taken = next;
    script.pop_front();
    return taken;
}

MsgButton ScriptedHost::showMessage(MsgType type, const QString& text, MsgButtons buttons, MsgButton defaultButton)
{
    Q_UNUSED(defaultButton)
    if (buttons == MsgButtons())
        buttons = MsgButton::Ok;
    recorded << Message{type, text, buttons, {}};
    if (!isQuestion(buttons)) {
        const auto single = MsgButton(buttons.toInt());
        recorded.last().answer = msgButtonCaption(single);
        return single;
    }
    const Expectation expected = takeExpected(
        Kind::Question, [&](const Expectation& e) { return text.contains(e.match); },
        describe("pergunta", text));
    if (!buttons.testFlag(expected.button))
        fail(QStringLiteral("Roteiro responde \"%1\" à pergunta \"%2\", que não tem esse botão")
                 .arg(msgButtonCaption(expected.button), text));
    recorded.last().answer = msgButtonCaption(expected.button);
    return expected.button;
}

int ScriptedHost::choose(MsgType type, const QString& text, const QStringList& captions, int defaultIndex)
{
    Q_UNUSED(defaultIndex)
    recorded << Message{type, text, MsgButtons(), {}};
    const Expectation expected = takeExpected(
        Kind::Choice, [&](const Expectation& e) { return text.contains(e.match); }, describe("escolha", text));
    const int index = int(captions.indexOf(expected.text));
    if (index < 0)
        fail(QStringLiteral("Roteiro escolhe \"%1\", que não está entre %2")
                 .arg(expected.text, captions.join(QStringLiteral(", "))));
    recorded.last().answer = expected.text;
    return index;
}

int ScriptedHost::execModal(QDialog& dialog)
{
    const QString className = QString::fromLatin1(dialog.metaObject()->className());
    const Expectation expected = takeExpected(
        Kind::Dialog,
        [&](const Expectation& e) { return e.match == className || e.match == dialog.objectName(); },
        describe("diálogo", className));
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QCoreApplication::processEvents();   // show and activation handlers run as under exec()
    try {
        if (expected.drive)
            expected.drive(dialog);
    } catch (...) {
        dialog.hide();
        throw;
    }
    if (dialog.isVisible()) {
        dialog.hide();
        fail(QStringLiteral("Diálogo %1 continuou aberto depois do roteiro (o roteiro deve fechá-lo)")
                 .arg(className));
    }
    return dialog.result();
}

void ScriptedHost::showBusy(QWidget*, int style)
{
    ++shows;
    busyStyle = style;
}

void ScriptedHost::hideBusy()
{
    ++hides;
}

QString ScriptedHost::fileName(const QString& caption)
{
    return takeExpected(
               Kind::FileName, [&](const Expectation& e) { return caption.contains(e.match); },
               describe("arquivo", caption))
        .text;
}

QString ScriptedHost::openFileName(QWidget*, const QString& caption, const QString&)
{
    return fileName(caption);
}

QString ScriptedHost::saveFileName(QWidget*, const QString& caption, const QString&)
{
    return fileName(caption);
}

void ScriptedHost::presentScreen(QWidget* screen)
{
    presented << screen;
    screen->show();
}

bool ScriptedHost::interceptScreen(const QString& code, const QVariantList& args)
{
    screens << ScreenCall{code, args};
    const auto handler = screenScripts.constFind(code);
    if (handler == screenScripts.constEnd())
        return false;
    (*handler)(args);
    return true;
}
