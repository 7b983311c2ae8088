#include "method_calls.h"

#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>
#include <stdexcept>

namespace PedTest {

MethodSpec testMethod(const QString& name, QList<ArgSpec> args, MethodFunction function)
{
    MethodSpec spec;
    spec.module = ServerNames::LanPedido;
    spec.name = name;
    spec.args = std::move(args);
    spec.doc = QStringLiteral("Test method.");
    spec.function = std::move(function);
    spec.needsSession = false;
    return spec;
}

ArgSpec testArg(const QString& name, ArgKind kind, bool byReference, bool nullable)
{
    return ArgSpec{name, kind, byReference, nullable, QString()};
}

QJsonValue callMethod(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                      QJsonArray& params, const QString& operatorCode)
{
    const MethodSpec* spec = registry.find(module, method);
    if (!spec)
        throw std::logic_error(QStringLiteral("%1.%2 is not registered").arg(module, method).toStdString());
    if (spec->args.size() != params.size())
        throw std::logic_error(QStringLiteral("%1 takes %2 arguments").arg(method).arg(spec->args.size()).toStdString());
    if (!db.transaction())
        throw std::runtime_error("cannot begin a transaction");
    CallContext context{db, operatorCode, module, method};
    try {
        const QJsonValue result = spec->function(context, params);
        db.commit();
        return result;
    } catch (...) {
        db.rollback();
        throw;
    }
}

std::optional<QString> refusalOf(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                                 QJsonArray params, const QString& operatorCode)
{
    try {
        callMethod(registry, db, module, method, params, operatorCode);
        return std::nullopt;
    } catch (const MethodError& error) {
        return QString::fromUtf8(error.what());
    }
}

QStringList names(const char* spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(u' ', Qt::SkipEmptyParts);
}

QStringList fieldNames(const DataPacket& packet)
{
    QStringList list;
    for (const FieldDef& field : packet.fields)
        list.append(field.name);
    return list;
}

DataPacket packetOf(const QJsonValue& value)
{
    if (!DataPacket::isPacket(value))
        throw std::runtime_error("not a data packet: " + QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString());
    return DataPacket::fromJson(value.toObject());
}

QVariant value(const DataPacket& packet, int row, const QString& field)
{
    return packet.rows.at(row).at(packet.indexOf(field));
}

namespace Fields {

const QStringList orderParameters = names(
    "IDTPCOMPPROD IDPERALTPRECO CDMODPGTO CDVENDEDOR IDTABPRECO IDUTRESELOTE IDLANCPED IDTESTAEST "
    "IDOBRINFTRAN NRDIASENTPED NRMAXITNFPED IDEXIBPEDIDO DSMODPGTO IDMENSVEND IDOBRTPOPPED NMFANVEN "
    "IDUTVALIPED QTDIAVALIPED IDUTDESCMAXI IDEXCLPEDIDO CDTIPOOPER CDCLIENTE NMFANTCLIE IDTPIJURCLIE "
    "NRINSJURCLIE IDEXIBDADORC IDUTCTRELANP IDEXIBIMPITPED IDEXIBRENTPED IDEXIBPRINATIV IDLANENCARGOPED "
    "IDEXIBEPRAZOPED IDTIPOPEDINC IDALTFORMAPAG DSPERALTMAIOR DSPERALTMENOR CDGRUALTPRECO IDEXIBVENDCOM "
    "IDALTMODPAG IDOBRDIMENSAO IDALTPRECOPC IDDIMEVARDESC IDCALCPRECODIME IDUTDEPOSITO CDFILDEPOSITO "
    "CDGRUNRENTAVEL NRTPCUSTORENT IDCONFISPRODCLIE IDCONFISPRODFIL IDCONFISPRODTRA IDCALCPRECFAT "
    "IDUTFILIALDESTINO IDEXIBLOCALENTRCLI VRPECOMVEN CDPRECOBASE DSPRECOBASE IDUTENDEENTRPED IDCTRLESTQ "
    "IDCONSORCSALDEST CDFILIAL");

const QStringList orderList = names(
    "CDTIPOEDITAL NMFILIAL CDTIPODESC NRPEDIDO NMRAZSOCCLIE DTPEDIDO DTENTPED VRPBRUVOLPED VRPLIQVOLPED "
    "CDCLIENTE IDTPIJURTRED NRINSJURTRED IDTPIJURTRAN NRINSJURTRAN CDTIPTRANS CDFILIAL CDVENDEDOR "
    "VRPECOMVDPED VRPEDENFPED VRPEDEDUPED IDPRIOPED DSPEDCLI DSPEDVEN DTHRLANPED IDSITPEDIDO IDPGFRETTRAN "
    "CDFORMPGTO IDTPFORPGTPED NRDIAPGFIXPED NRPARCPGTOPED IDUTDIAPAGPED IDTPIJURCLIE NRINSJURCLIE CDMODPGTO "
    "CDFILIALPED NMFANVEN DSMODPGTO IDTIPOPEDIDO NMFANTTRAN IDPEDIDOIMPR CDOPELANPED CDPRECOBASE DSPRECOBASE "
    "CDTIPOOPER NMTIPOOPER IDENTRSAIDOP DTVALIPED NMFANTCLIE CDFILIALORC NRORCAEVENTO NRSEQORCAEVE CDDEPTO "
    "NREMPENHO IDORIGPED NMROTATRANS CDROTATRANSPED IDORIGDESTOP NMTIPODESC QTPRITPDESC QTSEGTPDESC "
    "QTTERTPDESC QTQUATPDESC QTQUITPDESC QTSEXTPDESC QTSETTPDESC QTOITTPDESC COR_RENTABILIDADE DSPRAZOENTPED "
    "NRORDEMCMPPED VRTOTALPED VRMULTICASH VRBONIFICACAO IDPEDINDUSTRIA VRTOTPEDLIQ NRITPEDAPROVADO "
    "NRITPEDCONFIRMADO IDULTPRECPROMO IDCANCCOMISPED IDPESQTRANSP DSNFVENDAFUTURA");

const QStringList orderItems = names(
    "VRITEPREBASE VRCUSTPRODBASE NRPEDIDO CDARVPROD QTITEMPED NMPRODUTO CDTIPODESC NMTIPODESC SGUNIDADE "
    "VRPREUNITPED VRACREDESCITPEDUNIT VRACREDESCITPED NRITEMPED IDSITITEMPED QTEXPITEMPED VRPREUNIT CDFILIAL "
    "CDFATPRECO QTITEMPED2 SGFATPRECO CDPRODESTO DTENTITPED IDITPEDDIFER DSITEMPED VRPESOITPED SGUNIDPAI "
    "CDPRODUTO VRPESOBRUTPR VRPESOLIQUPR VRDESITPED PERDESC IDCOMP IDITPEDRESER VRPRTABITPED VRPERCMARKUPIT "
    "CDOPERADOR VRPEDEMAXIPE QTOITTPDESC QTSETTPDESC QTSEXTPDESC QTQUITPDESC QTQUATPDESC QTTERTPDESC "
    "VRPEFORMPREC QTSEGTPDESC QTPRITPDESC IDITPEDSEMQTDIS NRHISIMPITEEEEP DSPRAZOENTITPED DSEMISSAOITPED "
    "CDEMISSAOITPED IDPRECOPROM IDITEMERRO VRVARIAVEL CDFATOR IDITEMPEDTERC VRALTURAPROD VRCOMPRIPROD "
    "VRITRENTABIL VRCRRENTABIL DSFORMCALCSUGE DSFORMCALCRENT VRPRPARPRECO VRDESCCOMISS NRITORDEMCMPPED "
    "IDPRODBONIF");

const QStringList orderAddress = names(
    "CDFILIAL NRPEDIDO NMRAZSOCPED DSENDEPED NRCEPPED NRTELEPED NRINSJURPED NRINSESTPED NMPAISPED SGESTADOPED "
    "NMMUNIPED NMBAIRROPED CDPAISPED NMESTADOPED CDMUNICIPIOPED CDCLIENTE IDTPENDECLIE NRSEQEND "
    "NRLOCALENTRCLIENTE CDFILIALPED DSLOCALENTRCLIENTE");

} // namespace Fields

QJsonArray openOrderListArguments(const QString& branch)
{
    const QJsonValue null;
    return {"T", "", "", "T", "", "T", "", "T", "", "T", "", "T", "", "43210", "T", "123456", "T", "1234657", "T",
            "T", null, null, "T", null, null, "", "T", "1", "2", "123456789", branch, false, "", "T", "", "", "T", "",
            "T", "", "", "T", "T", null, null, "T", "T", "", "", "T", "", "", "T"};
}

QList<QVariantList> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QList<QVariantList> rows;
    QSqlQuery query = execSql(db, sql, values);
    while (query.next()) {
        QVariantList row;
        for (int column = 0; column < query.record().count(); ++column)
            row << query.value(column);
        rows << row;
    }
    return rows;
}

} // namespace PedTest
