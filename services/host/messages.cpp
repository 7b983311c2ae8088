#include "messages.h"

#include "abort.h"
#include "hostlog.h"

#include <QFile>
#include <QRegularExpression>

CatalogError::CatalogError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

TMessages::TMessages(const QString& path)
{
    load(path);
}

void TMessages::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CatalogError(QStringLiteral("Catálogo de mensagens %1 não pode ser lido: %2")
                               .arg(path, file.errorString()));
    TMessages loaded;
    loaded.origin = path;
    loaded.parse(QString::fromUtf8(file.readAll()));
    *this = std::move(loaded);
}

TMessages TMessages::fromText(const QString& text, const QString& origin)
{
    TMessages catalog;
    catalog.origin = origin;
    catalog.parse(text);
    return catalog;
}

namespace {

QString unescape(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u'n') {
                result += u'\n';
                ++i;
                continue;
            }
            if (next == u'\\') {
                result += u'\\';
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

} // namespace

void TMessages::parse(const QString& text)
{
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const int lineNumber = int(i) + 1;
        const qsizetype bar = line.indexOf(u'|');
        if (bar < 0)
            throw CatalogError(QStringLiteral("%1, linha %2: falta a barra entre chave e texto")
                                   .arg(origin).arg(lineNumber));
        const QString key = line.left(bar).trimmed();
        if (key.isEmpty())
            throw CatalogError(QStringLiteral("%1, linha %2: chave vazia").arg(origin).arg(lineNumber));
        const QString lookupKey = key.toUpper();
        if (texts.contains(lookupKey))
            throw CatalogError(QStringLiteral("%1, linha %2: chave %3 repetida")
                                   .arg(origin).arg(lineNumber).arg(key));
        texts.insert(lookupKey, unescape(line.mid(bar + 1)));
    }
}

bool TMessages::contains(const QString& key) const
{
    return texts.contains(key.trimmed().toUpper());
}

QString missingMessageText(const QString& key)
{
    return QStringLiteral("[mensagem ausente: %1]").arg(key);
}

QString TMessages::Msg(const QString& key) const
{
    const auto found = texts.constFind(key.trimmed().toUpper());
    if (found != texts.constEnd())
        return *found;
    qCWarning(lcHost).noquote() << "Mensagem ausente:" << key << "no catálogo"
                                << (origin.isEmpty() ? QStringLiteral("(vazio)") : origin);
    return missingMessageText(key);
}

MsgButton TMessages::ShowMsg(const QString& key, MsgType type, MsgButtons buttons, int helpContext) const
{
    Q_UNUSED(helpContext)
    if (buttons == MsgButtons())
        buttons = MsgButton::Ok;
    const MsgButton defaultButton = buttons.testFlag(MsgButton::Yes) ? MsgButton::Yes
        : buttons.testFlag(MsgButton::Ok)                            ? MsgButton::Ok
                                                                     : MsgButton::NoButton;
    return host().showMessage(type, Msg(key), buttons, defaultButton);
}

QString FormatMsg(const QString& text, const QStringList& args)
{
    static const QRegularExpression placeholder(QStringLiteral("%[sd]"));
    QString result;
    qsizetype from = 0;
    qsizetype next = 0;
    auto match = placeholder.globalMatch(text);
    while (match.hasNext()) {
        const auto m = match.next();
        result += text.mid(from, m.capturedStart() - from);
        result += next < args.size() ? args[next++] : m.captured();
        from = m.capturedEnd();
    }
    result += text.mid(from);
    return result;
}

void MensErro(const QString& text, bool abort)
{
    host().showMessage(MsgType::Error, text, MsgButton::Ok, MsgButton::Ok);
    if (abort)
        throw Abort();
}

int MsgAlertEx(const QString& text, MsgType type, const QStringList& captions, int defaultIndex)
{
    const int index = host().choose(type, text, captions, defaultIndex);
    if (index < 0 || index >= captions.size())
        return MsgAlertNoChoice;
    return MsgAlertFirstButton + index;
}

const TMessages& msgMensagensPadroes()
{
    static const TMessages catalog(QStringLiteral(":/catalogs/MensagensPadroes.msg"));
    return catalog;
}
