// erpshell: the desktop host shell. Logs the operator in (or the demo
// operator with --auto-login), opens the general read-only database
// connection and shows the main window with the installed modules.
// --screenshot renders the main window (with --auto-login) or the log-in
// dialog into a PNG and exits, without waiting for anyone.

#include "context.h"
#include "guard.h"
#include "guihost.h"
#include "headlesshost.h"
#include "hosthooks.h"
#include "keynames.h"
#include "loadbpl.h"
#include "login.h"
#include "logindialog.h"
#include "mainwindow.h"
#include "netconnection.h"
#include "screens/dbgeral.h"
#include "shellicon.h"
#include "shelloptions.h"
#include "translations.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QStyleFactory>
#include <cstdio>
#include <memory>

namespace {

const QString KeyDatabase = QStringLiteral("login/banco");
const QString KeyCaFile = QStringLiteral("login/autoridade-certificadora");

// Without a window to show it in (auto-login, screenshot) a failure goes to
// stderr only; otherwise to a message box as well.
int fail(const QString& text, bool interactive, int exitCode = 1)
{
    std::fprintf(stderr, "erpshell: %s\n", qPrintable(text));
    if (interactive)
        QMessageBox::critical(nullptr, QStringLiteral("ERP"), text);
    return exitCode;
}

LoginRequest demoLogin(const ShellOptions& options)
{
    LoginRequest request;
    request.serverHost = options.serverHost;
    request.serverPort = options.serverPort;
    request.operatorCode = QStringLiteral("DEMO");
    request.password = QStringLiteral("demo");
    request.company = options.company.isEmpty() ? QStringLiteral("01") : options.company;
    request.branch = options.branch.isEmpty() ? QStringLiteral("0001") : options.branch;
    request.processingDate = QDate::currentDate();
    return request;
}

bool saveScreenshot(QWidget& window, const QString& path)
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
    return window.grab().save(path, "PNG");
}

// --help and --version answer anywhere, also where no display can be opened.
bool asksForHelpOrVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "-?" || argument == "--help" || argument == "--help-all"
            || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

int printHelpOrVersion(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("erpshell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PED_VERSION));
    try {
        parseShellOptions(QCoreApplication::arguments());   // prints and exits
    } catch (const ShellOptionsError& error) {
        return fail(QString::fromStdString(error.what()) + QStringLiteral(" (veja --help)"), false, 2);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (asksForHelpOrVersion(argc, argv))
        return printHelpOrVersion(argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ped00100"));
    QApplication::setApplicationName(QStringLiteral("erpshell"));
    QApplication::setApplicationVersion(QStringLiteral(PED_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    installQtTranslations(app);
    QApplication::setWindowIcon(shellIcon());
    instalaNomesDasTeclas();

    ShellOptions options;
    try {
        options = parseShellOptions(QApplication::arguments());
    } catch (const ShellOptionsError& error) {
        return fail(QString::fromStdString(error.what()) + QStringLiteral(" (veja --help)"), false, 2);
    }
    const bool headless = !options.screenshotFile.isEmpty();
    const bool interactive = !headless && !options.autoLogin;

    const std::unique_ptr<GuiHost> gui(headless ? new HeadlessHost : new GuiHost);
    setHost(gui.get());
    installHostHooks();

    QSettings settings;
    const QString caFile = options.caFile.isEmpty() ? settings.value(KeyCaFile).toString() : options.caFile;
    try {
        TNetConnection::setCaCertificatesFile(caFile);
    } catch (const std::runtime_error& error) {
        return fail(QString::fromStdString(error.what()), interactive);
    }
    if (!options.caFile.isEmpty())
        settings.setValue(KeyCaFile, options.caFile);

    const QString database = options.database.isEmpty() ? settings.value(KeyDatabase).toString() : options.database;
    if (database.isEmpty())
        return fail(QStringLiteral("Informe o banco de dados do ERP com --db ARQUIVO-OU-URL."), interactive, 2);
    try {
        openDtmDBGeral(database);
    } catch (const DbGeralError& error) {
        return fail(QString::fromStdString(error.what()), interactive);
    }
    // A password stays out of the settings file: libpq's ~/.pgpass holds it.
    settings.setValue(KeyDatabase, dbGeralSettingText(database));

    if (options.autoLogin) {
        if (!options.hasServer())
            return fail(QStringLiteral("--auto-login precisa de --server HOST:PORTA."), false, 2);
        try {
            logIn(demoLogin(options));
        } catch (const LoginError& error) {
            return fail(error.text(), false);
        }
    } else if (headless) {
        LoginDialog login(options);
        login.show();
        return saveScreenshot(login, options.screenshotFile)
                   ? 0
                   : fail(QStringLiteral("Não foi possível gravar %1.").arg(options.screenshotFile), false);
    } else {
        LoginDialog login(options);
        if (host().execModal(login) != QDialog::Accepted)
            return 0;
    }

    if (!options.fixedBranchScreens.isEmpty()) {
        WorkingContext context = workingContext();
        for (const QString& code : options.fixedBranchScreens)
            context.modulosFilialFixa.insert(code);
        setWorkingContext(context);
    }

    MainWindow window;
    gui->setScreenPresenter([&window](QWidget* screen) { window.presentScreen(screen); });
    if (headless)
        window.show();
    else
        window.showMaximized();
    QCoreApplication::processEvents();   // the MDI area takes its size before screens open in it
    if (!options.openScreen.isEmpty())
        guarded([&] { LoadBPL(options.openScreen); });

    int exitCode = 0;
    if (headless) {
        if (!saveScreenshot(window, options.screenshotFile))
            exitCode = fail(QStringLiteral("Não foi possível gravar %1.").arg(options.screenshotFile), false);
    } else {
        exitCode = app.exec();
    }
    // Screens close while the main window still stands, so what they do on
    // the way out (leaving a field, a last server call) finds it in place.
    window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gui->setScreenPresenter({});
    closeDtmDBGeral();
    return exitCode;
}
