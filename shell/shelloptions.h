#pragma once
// The shell's command line.

#include <QString>
#include <QStringList>
#include <stdexcept>

struct ShellOptions {
    QString serverHost;      // --server HOST:PORT or https://HOST[:PORT][/PREFIX]: the WebURL part
    int serverPort = 0;
    QString caFile;          // --ca-file: an authority trusted for https servers
    QString database;        // --db: SQLite file or PostgreSQL URL
    QString operatorCode;    // --operator
    QString company;         // --company
    QString branch;          // --branch
    bool autoLogin = false;  // --auto-login: the demo operator, no dialog
    QString openScreen;      // --open CODE
    QString screenshotFile;  // --screenshot FILE
    QStringList fixedBranchScreens;   // --fix-branch-for CODE[,CODE]: screens that work on the log-in branch only

    bool hasServer() const { return !serverHost.isEmpty(); }
};

class ShellOptionsError : public std::runtime_error {
public:
    explicit ShellOptionsError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Reads the arguments (argv[0] first). --help and --version print and exit
// the process, as QCommandLineParser does; a bad value throws.
ShellOptions parseShellOptions(const QStringList& arguments);

// "host:port" or "https://host:port/prefix" -> the context's WebURL ("host",
// "https://host/prefix") and port; throws ShellOptionsError when malformed.
void splitServerAddress(const QString& text, QString* host, int* port);
