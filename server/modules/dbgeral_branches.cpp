// Branch look-up, offered on the order-entry module and the general module.

#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "topics.h"

namespace {

const QList<FieldDef> branchFields = {
    textField(QStringLiteral("CDFILIAL"), 4),
    textField(QStringLiteral("NMFILIAL"), 30),
    textField(QStringLiteral("CDSEGMER"), 5),
};

QJsonValue getFilial(CallContext& context, QJsonArray& params)
{
    const QString company = params.at(0).toString();
    const QString branch = params.at(1).toString();
    return selectPacket(context.db, branchFields,
                        QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDSEGMER FROM FILIAL"
                                       " WHERE CDEMPRESA = ? AND (? = 'T' OR CDFILIAL = ?)"
                                       " ORDER BY CDFILIAL"),
                        {company, branch, branch})
        .toJson();
}

MethodSpec getFilialSpec(const QString& module)
{
    return MethodSpec{
        module,
        QStringLiteral("getFilial"),
        {ArgSpec{QStringLiteral("company"), ArgKind::Text, false, false, QStringLiteral("Company code (CDEMPRESA).")},
         ArgSpec{QStringLiteral("branch"), ArgKind::Text, false, false,
                 QStringLiteral("Branch code (CDFILIAL), or \"T\" for every branch of the company.")}},
        QStringLiteral("Lists the branches of a company: one branch, or all of them."),
        QStringLiteral("Data packet CDFILIAL (4), NMFILIAL (30), CDSEGMER (5), ordered by CDFILIAL; "
                       "empty when the company or the branch does not exist."),
        getFilial,
    };
}

} // namespace

void registerBranchLookups(MethodRegistry& registry)
{
    registry.add(getFilialSpec(ServerNames::LanPedido));
    registry.add(getFilialSpec(ServerNames::DBGeral));
}
