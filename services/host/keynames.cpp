#include "keynames.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

namespace {

// Qt names the keys in the "QShortcut" context.
class NomesDasTeclas : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QShortcut") != 0)
            return {};
        static const QHash<QByteArray, QString> nomes{
            {"Backtab", QStringLiteral("Tab")},   // Shift+Tab: the Shift is named already
            {"Return", QStringLiteral("Enter")},
            {"Ins", QStringLiteral("Insert")},
            {"Del", QStringLiteral("Delete")},
            {"PgUp", QStringLiteral("Page Up")},
            {"PgDown", QStringLiteral("Page Down")},
            {"Left", QStringLiteral("Seta para a esquerda")},
            {"Right", QStringLiteral("Seta para a direita")},
            {"Up", QStringLiteral("Seta para cima")},
            {"Down", QStringLiteral("Seta para baixo")},
            {"Space", QStringLiteral("Espaço")},
            {"Print", QStringLiteral("Print Screen")},
            {"CapsLock", QStringLiteral("Caps Lock")},
            {"NumLock", QStringLiteral("Num Lock")},
            {"ScrollLock", QStringLiteral("Scroll Lock")},
            {"Help", QStringLiteral("Ajuda")},
        };
        return nomes.value(QByteArray(sourceText));
    }
};

} // namespace

void instalaNomesDasTeclas()
{
    QCoreApplication* app = QCoreApplication::instance();
    const QString nome = QStringLiteral("nomesDasTeclas");
    if (!app || app->findChild<QTranslator*>(nome, Qt::FindDirectChildrenOnly))
        return;
    auto* nomes = new NomesDasTeclas(app);
    nomes->setObjectName(nome);
    QCoreApplication::installTranslator(nomes);
}
