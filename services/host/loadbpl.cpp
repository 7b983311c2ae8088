#include "loadbpl.h"

#include "host.h"
#include "hostlog.h"
#include "messages.h"
#include "moduleapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <stdexcept>

namespace {

QString normalisedCode(const QString& code)
{
    return code.trimmed().toUpper();
}

QHash<QString, ScreenOpener>& registry()
{
    static QHash<QString, ScreenOpener> screens;
    return screens;
}

QString& configuredModulesDir()
{
    static QString folder;
    return folder;
}

// Loaded modules stay loaded: their windows and code live until the end.
QHash<QString, IniProcFunction>& loadedModules()
{
    static QHash<QString, IniProcFunction> modules;
    return modules;
}

bool isSafeCode(const QString& code)
{
    if (code.isEmpty())
        return false;
    for (const QChar c : code)
        if (!c.isLetterOrNumber() && c != u'_')
            return false;
    return true;
}

void tellNotFound(const QString& code)
{
    MensErro(FormatMsg(msgMensagensPadroes().Msg(QStringLiteral("Tela_Nao_Encontrada")), {code}), false);
}

// Returns the module's IniProc, or null after telling the person why not.
IniProcFunction loadModule(const QString& code)
{
    if (const auto found = loadedModules().constFind(code); found != loadedModules().constEnd())
        return *found;
    const QString path = modulesDir() + QStringLiteral("/lib") + code + QStringLiteral(".so");
    if (!QFileInfo::exists(path)) {
        tellNotFound(code);
        return nullptr;
    }
    // Destroying the QLibrary does not unload the module.
    QLibrary library(path);
    const auto iniProc = reinterpret_cast<IniProcFunction>(library.resolve(IniProcSymbol));
    if (!iniProc) {
        qCWarning(lcHost).noquote() << "Módulo" << path << "não carregado:" << library.errorString();
        MensErro(FormatMsg(msgMensagensPadroes().Msg(QStringLiteral("Tela_Nao_Carregada")),
                           {code, library.errorString()}),
                 false);
        return nullptr;
    }
    loadedModules().insert(code, iniProc);
    return iniProc;
}

} // namespace

void registerScreen(const QString& code, ScreenOpener opener)
{
    const QString key = normalisedCode(code);
    if (registry().contains(key))
        throw std::logic_error(QStringLiteral("Tela %1 já registrada").arg(key).toStdString());
    registry().insert(key, std::move(opener));
}

void unregisterScreen(const QString& code)
{
    registry().remove(normalisedCode(code));
}

bool isScreenRegistered(const QString& code)
{
    return registry().contains(normalisedCode(code));
}

QString modulesDir()
{
    if (!configuredModulesDir().isEmpty())
        return configuredModulesDir();
    // Beside the program in the build folder; under lib/ped00100 once installed.
    const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/modules");
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/ped00100/modules");
    if (!QFileInfo::exists(besideProgram) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return besideProgram;
}

void setModulesDir(const QString& folder)
{
    configuredModulesDir() = folder;
}

bool LoadBPL(const QString& code, const QVariantList& args)
{
    const QString key = normalisedCode(code);
    if (host().interceptScreen(key, args))
        return true;
    if (const auto found = registry().constFind(key); found != registry().constEnd()) {
        const ScreenOpener opener = *found;   // the opener may change the registry
        opener(args);
        return true;
    }
    if (!isSafeCode(key)) {
        tellNotFound(code.trimmed());
        return false;
    }
    const IniProcFunction iniProc = loadModule(key);
    if (!iniProc)
        return false;
    iniProc(args);
    return true;
}
