// The look-ups of the code-list groups: read-only queries on the general
// connection, the branch's orders and invoices from the server, and the
// order origins kept in memory. Each fills its list through PesquisaLista.

#include "filtropedidodialog.h"

#include "busy.h"
#include "context.h"
#include "datapacket.h"
#include "field.h"
#include "lookupquery.h"
#include "lookups/pesquisalista.h"
#include "lookups/pesquisaproduto.h"
#include "netconnection.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "serverresult.h"
#include "taxnumbers.h"

#include <QRadioButton>
#include <stdexcept>

namespace {

std::unique_ptr<LookupQuery> query(const char* name, const char* sql)
{
    return std::make_unique<LookupQuery>(QString::fromLatin1(name), QSqlDatabase(), QString::fromLatin1(sql));
}

void labelField(RecordSet& rows, const char* field, const QString& text)
{
    if (Field* found = rows.findField(QString::fromLatin1(field)))
        found->setDisplayLabel(text);
}

void hideField(RecordSet& rows, const char* field)
{
    if (Field* found = rows.findField(QString::fromLatin1(field)))
        found->setVisible(false);
}

// The tax number with the mask of the customer's person kind.
void showTaxNumbers(RecordSet& rows)
{
    Field& kind = rows.fieldByName(QStringLiteral("IDTPIJURCLIE"));
    rows.fieldByName(QStringLiteral("NRINSJURCLIE")).onGetText = [&kind](Field& number, bool) {
        return FormatInscricao(number.asString(), kind.asString());
    };
}

void showProductCodes(RecordSet& rows)
{
    const QString mask = DBPict(PictProduto);
    rows.fieldByName(QStringLiteral("CDARVPROD")).onGetText = [mask](Field& code, bool) {
        return FormatWithMask(code.asString(), mask);
    };
}

} // namespace

void TfrmFiltroPedido::createQueries()
{
    qryCliente = query("qryCliente",
                       "SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, P.NMPAIS, "
                       "M.SGESTADO, M.NMMUNICIPIO, E.DSENDECLIE "
                       "FROM CLIENTE C "
                       "JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE "
                       "JOIN PAIS P ON P.CDPAIS = E.CDPAIS "
                       "JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO "
                       "AND M.CDMUNICIPIO = E.CDMUNICIPIO "
                       "WHERE E.IDTPENDECLIE = 'P' "
                       "ORDER BY C.NRINSJURCLIE");
    qryVendedor = query("qryVendedor", "SELECT CDVENDEDOR, NMFANVEN FROM VENDEDOR ORDER BY CDVENDEDOR");
    qryMuniciCli = query("qryMuniciCli",
                         "SELECT DISTINCT M.NMMUNICIPIO, P.NMPAIS, M.SGESTADO, "
                         "M.CDPAIS || M.SGESTADO || M.CDMUNICIPIO AS CONCATENADOS "
                         "FROM ENDECLIE E "
                         "JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO "
                         "AND M.CDMUNICIPIO = E.CDMUNICIPIO "
                         "JOIN PAIS P ON P.CDPAIS = M.CDPAIS "
                         "ORDER BY M.NMMUNICIPIO");
    qryProduto = query("qryProduto", "");   // the product look-up's statement, taken when it opens
    qryFiliDest = query("qryFiliDest", "SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL");
    qryTipoOper = query("qryTipoOper",
                        "SELECT CDTIPOOPER, NMTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER");
    qryDepto = query("qryDepto", "SELECT CDDEPTO, NMDEPTO FROM DEPARTAMENTO ORDER BY CDDEPTO");
}

// Opens the query anew on the general connection and offers its rows. An
// empty result shows `emptyKey` (when given) before any window opens.
void TfrmFiltroPedido::pickFromQuery(LookupQuery& source, const QString& keyField, const QString& caption,
                                     QString& list, const QString& emptyKey, QWidget* emptyFocus,
                                     const std::function<void(RecordSet&)>& present)
{
    source.setDatabase(dtmDBGeral());
    source.open();
    if (source.isEmpty() && !emptyKey.isEmpty())
        fail(emptyFocus, emptyKey);
    RecordSet rows(source.name());
    rows.setData(source.toPacket());
    if (present && !rows.isEmpty())
        present(rows);
    PesquisaLista(rows, keyField, caption, false, list);
}

// Runs `method` for the branch on the order server and loads its rows; the
// list keeps its codes when the call fails.
void TfrmFiltroPedido::openServerList(const Rpc::Method<1>& method, RecordSet& target)
{
    if (!tela.netLanPed)
        throw std::logic_error("O filtro de pedidos não recebeu a conexão com o servidor de pedidos.");
    BusyScope busy(this, BusyStyle::Aguarde);
    const QJsonValue packet = CheckResultServ(tela.netLanPed->call(method, {filtro.Filial}));
    target.setData(DataPacket::fromJson(packet.toObject()));
}

void TfrmFiltroPedido::btnNrPedidoClick()
{
    openServerList(Rpc::LanPedido::GetNrPedido, *cdsNrPedido);
    if (cdsNrPedido->isEmpty())
        fail(rbtLNrPedido, QStringLiteral("PEDNCAD"));
    hideField(*cdsNrPedido, "IDMARCADO");
    labelField(*cdsNrPedido, "NRPEDIDO", msgPadrao.Msg(QStringLiteral("PEDIDO")));
    labelField(*cdsNrPedido, "NMFANTCLIE", msgPadrao.Msg(QStringLiteral("CLIENTE")));
    PesquisaLista(*cdsNrPedido, QStringLiteral("NRPEDIDO"), msgPadrao.Msg(QStringLiteral("PEDIDO")), false, stNrPedido);
}

void TfrmFiltroPedido::btnNotaClick()
{
    openServerList(Rpc::LanPedido::GetNota, *cdsNota);
    if (cdsNota->isEmpty())
        fail(rdbLNota, QStringLiteral("NOTANCAD"));
    hideField(*cdsNota, "IDMARCADO");
    labelField(*cdsNota, "NRLANCTONF", msgPadrao.Msg(QStringLiteral("NOTA")));
    labelField(*cdsNota, "DATASAIDA", QStringLiteral("Data Saída"));
    PesquisaLista(*cdsNota, QStringLiteral("NRLANCTONF"), msgPadrao.Msg(QStringLiteral("NOTA")), false, stNota);
}

void TfrmFiltroPedido::btnClienteClick()
{
    pickFromQuery(*qryCliente, QStringLiteral("CDCLIENTE"), msgPadrao.Msg(QStringLiteral("CLIENTE")), stCliente,
                  QStringLiteral("CLIE"), rbtLCliente, [](RecordSet& rows) {
                      hideField(rows, "IDTPIJURCLIE");
                      labelField(rows, "CDCLIENTE", QStringLiteral("Código"));
                      labelField(rows, "NRINSJURCLIE", QStringLiteral("CPF/CNPJ"));
                      labelField(rows, "NMFANTCLIE", QStringLiteral("Nome Fantasia"));
                      labelField(rows, "NMRAZSOCCLIE", QStringLiteral("Razão Social"));
                      labelField(rows, "NMPAIS", QStringLiteral("País"));
                      labelField(rows, "SGESTADO", QStringLiteral("UF"));
                      labelField(rows, "NMMUNICIPIO", QStringLiteral("Município"));
                      labelField(rows, "DSENDECLIE", QStringLiteral("Endereço"));
                      showTaxNumbers(rows);
                  });
}

namespace {

void presentSellers(RecordSet& rows)
{
    labelField(rows, "CDVENDEDOR", QStringLiteral("Código"));
    labelField(rows, "NMFANVEN", QStringLiteral("Vendedor"));
}

} // namespace

void TfrmFiltroPedido::btnVendedorClick()
{
    pickFromQuery(*qryVendedor, QStringLiteral("CDVENDEDOR"), msgPadrao.Msg(QStringLiteral("VENDEDOR")), stVendedor,
                  QStringLiteral("VEND"), rbtLVendedor, presentSellers);
}

void TfrmFiltroPedido::btnVendComisClick()
{
    pickFromQuery(*qryVendedor, QStringLiteral("CDVENDEDOR"), msgPadrao.Msg(QStringLiteral("VENDEDOR")), stVendComis,
                  QStringLiteral("VEND"), rbtLVendComis, presentSellers);
}

void TfrmFiltroPedido::btnFiliDestClick()
{
    pickFromQuery(*qryFiliDest, QStringLiteral("CDFILIAL"), msgPadrao.Msg(QStringLiteral("FiliDestino")), stPFiliDest,
                  QStringLiteral("Dest"), rbtTFiliDest, [](RecordSet& rows) {
                      labelField(rows, "CDFILIAL", QStringLiteral("Filial"));
                      labelField(rows, "NMFILIAL", QStringLiteral("Nome"));
                  });
}

void TfrmFiltroPedido::btnTipoOperClick()
{
    pickFromQuery(*qryTipoOper, QStringLiteral("CDTIPOOPER"), msgPadrao.Msg(QStringLiteral("TIPOOPER")),
                  stTipoOpercao, QStringLiteral("TIPO_N_CAD"), rbtLTipoOper, [](RecordSet& rows) {
                      labelField(rows, "CDTIPOOPER", QStringLiteral("Código"));
                      labelField(rows, "NMTIPOOPER", QStringLiteral("Tipo de Operação"));
                  });
}

void TfrmFiltroPedido::btnDeptoClick()
{
    pickFromQuery(*qryDepto, QStringLiteral("CDDEPTO"), msgPadrao.Msg(QStringLiteral("DEPTO")), stDept,
                  QStringLiteral("N_DEPT"), rbtLDepto, [](RecordSet& rows) {
                      labelField(rows, "CDDEPTO", QStringLiteral("Código"));
                      labelField(rows, "NMDEPTO", QStringLiteral("Departamento"));
                  });
}

void TfrmFiltroPedido::btnMuniciCliClick()
{
    const QString caption = msgPadrao.Msg(QStringLiteral("Municipio")) + u'|' + msgPadrao.Msg(QStringLiteral("Mun_NC"));
    pickFromQuery(*qryMuniciCli, QStringLiteral("CONCATENADOS"), caption, stMuniciCli, {}, nullptr,
                  [](RecordSet& rows) {
                      labelField(rows, "NMMUNICIPIO", QStringLiteral("Município"));
                      labelField(rows, "NMPAIS", QStringLiteral("País"));
                      labelField(rows, "SGESTADO", QStringLiteral("UF"));
                      hideField(rows, "CONCATENADOS");
                  });
}

void TfrmFiltroPedido::btnProdutoClick()
{
    QString emptyText;
    qryProduto->setSql(SQL_Pesquisa_Produto(filtro.Filial, emptyText));
    if (qryProduto->hasParam(QStringLiteral("P_CDNVPRODUTO")))
        qryProduto->setParam(QStringLiteral("P_CDNVPRODUTO"), DBPictObj(PictProduto));
    if (qryProduto->hasParam(QStringLiteral("P_CDFILIAL")))
        qryProduto->setParam(QStringLiteral("P_CDFILIAL"), filtro.Filial);
    const QString caption = msgPadrao.Msg(QStringLiteral("PRODUTO")) + u'|' + emptyText;
    pickFromQuery(*qryProduto, QStringLiteral("CDARVPROD"), caption, stProduto, {}, nullptr, [](RecordSet& rows) {
        hideField(rows, "CDPRODUTO");
        labelField(rows, "CDARVPROD", QStringLiteral("Código"));
        labelField(rows, "NMPRODUTO", QStringLiteral("Produto"));
        labelField(rows, "CDPRODINTE", QStringLiteral("Código Externo"));
        showProductCodes(rows);
    });
}

void TfrmFiltroPedido::btnOrigemClick()
{
    PesquisaLista(*cdsOrigem, QStringLiteral("NRORIGEM"), msgPadrao.Msg(QStringLiteral("ORIGEM")), false, stOrigem);
}
