#pragma once
// The working context: who works where and when. The shell fills it at
// log-in (setWorkingContext); the screens read it through the free functions.
// Reading it before log-in throws std::logic_error.

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>

struct WorkingContext {
    QString empresa;          // company code, e.g. "01"
    QString filial;           // working branch, e.g. "0001"
    QString nomeFilial;
    QString operador;         // operator code
    QDate dataLogin;          // processing date chosen at log-in
    QHash<QString, QDate> dataProcFilial;   // branches with a processing date of their own
    QSet<QString> modulosFilialFixa;        // modules for which the working branch is fixed
    QString webUrl;           // application server host
    int webPort = 0;
    bool podeEditarRelPadr = false;          // may edit standard reports
    QHash<QString, QString> mascaras;        // display masks by code kind (DBPict)
    QString configDir;        // per-user folder; empty: the standard application data folder
};

void setWorkingContext(const WorkingContext& context);
void clearWorkingContext();
bool hasWorkingContext();
const WorkingContext& workingContext();

QString EmprProc();
QString FiliProc();
QString NomeFiliProc();
QString Operador();

// The branch's processing date; the log-in date for a branch without one.
QDate DataProc(const QString& branch);

// True when the working branch is fixed for `module` (a screen code such as
// "PED00100"): the screen then does not let the person change it.
bool ModuFili(const QString& module);

QString WebURL();
int WebPort();
bool CanEditRelPadr();

// The per-user folder with a trailing slash, created on demand. An
// operator's own files go under ConfigUsrDir() + Operador() + "/"
// (ConfigOperDir creates that folder).
QString ConfigUsrDir();
QString ConfigOperDir();

// Display mask of a kind of code, in the field edit-mask notation. Kinds:
// "PRODUTO" (the product code CDARVPROD). The shell may set masks of these
// or more kinds in the context; an unknown kind throws std::invalid_argument.
inline const QString PictProduto = QStringLiteral("PRODUTO");
QString DBPict(const QString& kind);
// Number of levels of a mask: its groups of placeholders ("9.99.999" has 3).
int DBPictObj(const QString& kind);
