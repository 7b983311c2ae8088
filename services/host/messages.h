#pragma once
// Message catalogs and the ways a screen talks to the person: Msg, ShowMsg,
// MensErro, MsgAlertEx.
//
// A catalog is a UTF-8 text, one "KEY|text" per line, normally a Qt resource
// such as ":/catalogs/PED00100.msg". Blank lines and lines starting with '#'
// are skipped. The text is everything after the first bar, kept as written
// (trailing blanks included); "\n" in it stands for a line break and "\\" for
// a backslash. Keys are compared without regard to case. A line without a
// bar, an empty key or a key given twice makes the load fail.

#include "host.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <stdexcept>

class CatalogError : public std::runtime_error {
public:
    explicit CatalogError(const QString& message);
};

class TMessages {
public:
    TMessages() = default;
    explicit TMessages(const QString& path);   // loads at once; throws CatalogError

    void load(const QString& path);            // throws CatalogError
    static TMessages fromText(const QString& text, const QString& origin);

    QString name() const { return origin; }
    int count() const { return texts.size(); }
    bool contains(const QString& key) const;

    // The text of `key`. A missing key gives "[mensagem ausente: KEY]" and a
    // logged warning, so the gap shows on screen instead of an empty box.
    QString Msg(const QString& key) const;

    // Shows the text of `key` and returns the button pressed. `helpContext`
    // names a help topic; there is no help viewer, so it is only passed on.
    MsgButton ShowMsg(const QString& key, MsgType type, MsgButtons buttons, int helpContext = 0) const;

private:
    void parse(const QString& text);

    QString origin;
    QHash<QString, QString> texts;   // by upper-cased key
};

QString missingMessageText(const QString& key);

// Replaces each "%s" (or "%d") of `text` by the next of `args`, in order.
QString FormatMsg(const QString& text, const QStringList& args);

// Shows `text` as an error. With `abort` it does not return: it throws
// Abort, ending the current action; callers test nothing afterwards.
void MensErro(const QString& text, bool abort);

// A message with buttons of free captions. Returns MsgAlertFirstButton for
// the first caption, one more for each next one, and MsgAlertNoChoice when
// the message was closed without a choice.
constexpr int MsgAlertFirstButton = 10;
constexpr int MsgAlertNoChoice = 0;
int MsgAlertEx(const QString& text, MsgType type, const QStringList& captions, int defaultIndex = 0);

// The shared catalog of standard messages (":/catalogs/MensagensPadroes.msg").
const TMessages& msgMensagensPadroes();
