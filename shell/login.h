#pragma once
// Logging in: the operator's session on the application server, then the
// working context every screen reads (company, branch and its name, operator,
// processing date, server address). The branch is checked against the ERP
// database through the general connection dtmDBGeral, which must be open.

#include <QDate>
#include <QList>
#include <QString>
#include <stdexcept>

struct LoginRequest {
    QString serverHost;
    int serverPort = 0;
    QString operatorCode;
    QString password;
    QString company;
    QString branch;
    QDate processingDate;
};

// Why the log-in failed, in words for the person at the keyboard.
class LoginError : public std::runtime_error {
public:
    explicit LoginError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

struct CodeName {
    QString code;
    QString name;
};

// Companies and a company's branches, from the general connection.
QList<CodeName> listCompanies();
QList<CodeName> listBranches(const QString& company);

// Opens the server session and sets the working context. On failure nothing
// is left behind: no session, the context as it was. Throws LoginError.
void logIn(const LoginRequest& request);
