#pragma once
// What pedserver is asked to do: its command line, and the configuration
// file (--config FILE, INI) that can hold every setting of the command line,
// the database password included. The command line wins over the file. A
// password is never taken from the command line, where every user of the
// machine can read it.

#include "app_server.h"

#include <QString>
#include <optional>
#include <stdexcept>

class QCommandLineParser;

class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ServerStartup {
    ServerOptions server;
    bool initDemo = false;
    int generateOrders = 0;                     // > 0: add this many orders, then exit
    std::optional<DatabaseConfig> copyTarget;   // --copy-to: copy the SQLite database there, then exit
    QString configFile;                         // empty without --config
};

// Declares every option pedserver understands.
void addServerOptions(QCommandLineParser& parser);

// Reads the parsed command line and the configuration file it names.
// Throws ConfigError with a one-line reason.
ServerStartup serverStartup(const QCommandLineParser& parser);
