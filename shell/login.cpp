#include "login.h"

#include "context.h"
#include "lookupquery.h"
#include "screens/dbgeral.h"
#include "serversession.h"
#include "values.h"

#include <QStandardPaths>

namespace {

QString required(const QString& value, const QString& what)
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        throw LoginError(QStringLiteral("Informe %1.").arg(what));
    return trimmed;
}

QList<CodeName> readCodeNames(LookupQuery& query, const QString& codeField, const QString& nameField)
{
    query.open();
    QList<CodeName> rows;
    for (query.first(); !query.eof(); query.next())
        rows.append({query.fieldByName(codeField).asString(), query.fieldByName(nameField).asString()});
    return rows;
}

QString branchName(const QString& company, const QString& branch)
{
    LookupQuery empresa(QStringLiteral("qryEmpresa"), dtmDBGeral(),
                         QStringLiteral("SELECT CDEMPRESA FROM EMPRESA WHERE CDEMPRESA = :P_CDEMPRESA"));
    empresa.setParam(QStringLiteral("P_CDEMPRESA"), company);
    empresa.open();
    if (empresa.isEmpty())
        throw LoginError(QStringLiteral("Empresa %1 não cadastrada.").arg(company));

    LookupQuery filial(QStringLiteral("qryFilial"), dtmDBGeral(),
                       QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL AND CDEMPRESA = :P_CDEMPRESA"));
    filial.setParam(QStringLiteral("P_CDFILIAL"), branch);
    filial.setParam(QStringLiteral("P_CDEMPRESA"), company);
    filial.open();
    if (filial.isEmpty())
        throw LoginError(QStringLiteral("Filial %1 não cadastrada na empresa %2.").arg(branch, company));
    return filial.fieldByName(QStringLiteral("NMFILIAL")).asString();
}

} // namespace

QList<CodeName> listCompanies()
{
    LookupQuery query(QStringLiteral("qryEmpresa"), dtmDBGeral(),
                      QStringLiteral("SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA ORDER BY CDEMPRESA"));
    return readCodeNames(query, QStringLiteral("CDEMPRESA"), QStringLiteral("NMEMPRESA"));
}

QList<CodeName> listBranches(const QString& company)
{
    LookupQuery query(QStringLiteral("qryFilial"), dtmDBGeral(),
                      QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE CDEMPRESA = :P_CDEMPRESA ORDER BY CDFILIAL"));
    query.setParam(QStringLiteral("P_CDEMPRESA"), company.trimmed());
    return readCodeNames(query, QStringLiteral("CDFILIAL"), QStringLiteral("NMFILIAL"));
}

void logIn(const LoginRequest& request)
{
    const QString host = required(request.serverHost, QStringLiteral("o endereço do servidor"));
    if (request.serverPort < 1 || request.serverPort > 65535)
        throw LoginError(QStringLiteral("Informe a porta do servidor (1 a 65535)."));
    const QString operatorCode = required(request.operatorCode, QStringLiteral("o operador")).toUpper();
    if (request.password.isEmpty())
        throw LoginError(QStringLiteral("Informe a senha."));
    const QString company = required(request.company, QStringLiteral("a empresa"));
    const QString branch = Ajusta(required(request.branch, QStringLiteral("a filial")), 4);
    if (!request.processingDate.isValid())
        throw LoginError(QStringLiteral("Informe uma data de processamento válida."));
    if (!isDtmDBGeralOpen())
        throw LoginError(QStringLiteral("O banco de dados do ERP não está aberto (informe-o com --db)."));

    // The branch is checked first, so a refused one leaves no session open
    // on the server.
    WorkingContext context;
    try {
        context.nomeFilial = branchName(company, branch);
    } catch (const LookupQueryError& error) {
        throw LoginError(QStringLiteral("Não foi possível ler a filial no banco de dados: %1").arg(error.what()));
    }
    const ServerResult answer = ServerSession::instance().login(host, request.serverPort, operatorCode, request.password);
    // The client's own failure text already names host:port and what to check.
    if (!answer.ok())
        throw LoginError(answer.errorMessage());

    context.empresa = company;
    context.filial = branch;
    context.operador = operatorCode;
    context.dataLogin = request.processingDate;
    context.webUrl = host;
    context.webPort = request.serverPort;
    context.configDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/config");
    setWorkingContext(context);
}
