#include "shelloptions.h"

#include "server_address.h"

#include <QCommandLineParser>

void splitServerAddress(const QString& text, QString* host, int* port)
{
    try {
        const ServerAddress address = ServerAddress::parse(text);
        *host = address.webUrl();
        *port = address.port;
    } catch (const ServerAddressError& error) {
        throw ShellOptionsError(error.text());
    }
}

ShellOptions parseShellOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ERP - área de trabalho (módulos de pedidos de venda)"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Servidor de aplicação: HOST:PORTA, ou https://HOST[:PORTA][/CAMINHO] para uma conexão segura."),
                                    QStringLiteral("ENDEREÇO"));
    const QCommandLineOption caFile(QStringLiteral("ca-file"),
                                    QStringLiteral("Certificados (PEM) da autoridade que assina o certificado do servidor, além dos do sistema."),
                                    QStringLiteral("ARQUIVO"));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Banco de dados do ERP (arquivo SQLite ou URL postgresql://), aberto só para leitura."),
                                QStringLiteral("ARQUIVO-OU-URL"));
    const QCommandLineOption oper(QStringLiteral("operator"), QStringLiteral("Operador sugerido no log-in."), QStringLiteral("CODIGO"));
    const QCommandLineOption company(QStringLiteral("company"), QStringLiteral("Empresa."), QStringLiteral("CODIGO"));
    const QCommandLineOption branch(QStringLiteral("branch"), QStringLiteral("Filial."), QStringLiteral("CODIGO"));
    const QCommandLineOption autoLogin(QStringLiteral("auto-login"), QStringLiteral("Entra como o operador de demonstração, sem o diálogo."));
    const QCommandLineOption open(QStringLiteral("open"), QStringLiteral("Abre a tela ao iniciar (por exemplo PED00100)."), QStringLiteral("CODIGO"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Grava a janela principal num PNG depois de iniciar e sai."),
                                        QStringLiteral("ARQUIVO"));
    const QCommandLineOption fixBranch(QStringLiteral("fix-branch-for"),
                                       QStringLiteral("Telas que trabalham só na filial do log-in (por exemplo PED00100)."),
                                       QStringLiteral("CODIGO[,CODIGO]"));
    parser.addOptions({server, caFile, db, oper, company, branch, autoLogin, open, screenshot, fixBranch});
    if (!parser.parse(arguments))
        throw ShellOptionsError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        throw ShellOptionsError(QStringLiteral("Argumento não reconhecido: %1").arg(parser.positionalArguments().first()));

    ShellOptions options;
    if (parser.isSet(server))
        splitServerAddress(parser.value(server), &options.serverHost, &options.serverPort);
    options.caFile = parser.value(caFile);
    options.database = parser.value(db);
    options.operatorCode = parser.value(oper).trimmed().toUpper();
    options.company = parser.value(company).trimmed();
    options.branch = parser.value(branch).trimmed();
    options.autoLogin = parser.isSet(autoLogin);
    options.openScreen = parser.value(open).trimmed().toUpper();
    options.screenshotFile = parser.value(screenshot);
    for (const QString& code : parser.value(fixBranch).split(u',', Qt::SkipEmptyParts))
        options.fixedBranchScreens.append(code.trimmed().toUpper());
    return options;
}
