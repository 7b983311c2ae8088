// Customer, seller and destination branch of the order on screen: their
// checks, what a new customer brings into the order, the look-ups behind
// their buttons and the customer enquiries.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "eventguard.h"
#include "guard.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"
#include "recordset.h"
#include "rpcarg.h"
#include "screens/dbgeral.h"
#include "taxnumbers.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"

#include <QComboBox>
#include <QJsonValue>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {

const QString qryCdClienteSql = QStringLiteral(
    "SELECT CDCLIENTE FROM CLIENTE WHERE NRINSJURCLIE = :P_NRINSJURCLIE"
    " AND (:P_TCDCLIENTE = 'T' OR CDCLIENTE = :P_CDCLIENTE)");

const QString qryFiltroClienteSql = QStringLiteral(
    "SELECT C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, C.CDCLIENTE, C.IDTPIJURCLIE, PA.NMPAIS, E.SGESTADO,"
    " MU.NMMUNICIPIO, C.CDGRUPOFISC, G.NMGRUPOFISC, C.CDVENDEDOR, V.NMFANVEN"
    " FROM CLIENTE C"
    " LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.NRSEQEND = (SELECT MIN(E2.NRSEQEND) FROM ENDECLIE E2"
    "   WHERE E2.CDCLIENTE = C.CDCLIENTE AND E2.IDTPENDECLIE = 'P')"
    " LEFT JOIN PAIS PA ON PA.CDPAIS = E.CDPAIS"
    " LEFT JOIN MUNICIPIO MU ON MU.CDPAIS = E.CDPAIS AND MU.SGESTADO = E.SGESTADO AND MU.CDMUNICIPIO = E.CDMUNICIPIO"
    " LEFT JOIN GRUPOFISCAL G ON G.CDGRUPOFISC = C.CDGRUPOFISC"
    " LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR"
    " WHERE C.IDCLIEATIV = 'S'"
    "   AND (:P_CDCLIENTE = 'T' OR C.CDCLIENTE = :P_CDCLIENTE)"
    "   AND C.IDBLOQUEADO = :P_IDBLOQUEADO"
    "   AND (:P_TODOSVND = 'T' OR C.CDVENDEDOR = :P_CDVENDEDOR)"
    " ORDER BY C.NRINSJURCLIE");

const QString qryPesqVenSql = QStringLiteral(
    "SELECT CDVENDEDOR, NMFANVEN, NMRAZSOCVEN, VRPECOMVEN, VRPEMAXDESVE, CDCOMISSAO, IDGERACOMISVEND"
    " FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR");

const QString qryVendSql = QStringLiteral(
    "SELECT CDVENDEDOR, NMFANVEN, NMRAZSOCVEN, NRINSJURVEN, VRPECOMVEN, VRPEMAXDESVE, CDCOMISSAO, IDGERACOMISVEND"
    " FROM VENDEDOR ORDER BY CDVENDEDOR");

// The customer's principal price table, else the seller's.
const QString qryBuscaPrecoBaseSql = QStringLiteral(
    "SELECT B.CDPRECOBASE, B.DSPRECOBASE FROM PRECOBASE B"
    " WHERE B.CDPRECOBASE = COALESCE("
    "   (SELECT MIN(C.CDPRECOBASE) FROM PRECOBASECLI C WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.IDPRBASEPRIN = 'S'),"
    "   (SELECT V.CDPRECOBASE FROM VENDEDOR V WHERE V.CDVENDEDOR = :P_CDVENDEDOR))");

const QString qryPrecoBaseSql = QStringLiteral("SELECT DSPRECOBASE FROM PRECOBASE WHERE CDPRECOBASE = :P_CDPRECOBASE");

const QString qryFiliDestSql = QStringLiteral(
    "SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE (:P_TCDFILIAL = 'T' OR CDFILIAL = :P_CDFILIAL) ORDER BY CDFILIAL");

const char* const tiersDesconto[] = {"QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC",
                                     "QTQUITPDESC", "QTSEXTPDESC", "QTSETTPDESC", "QTOITTPDESC"};

// The field's text on the current row, without surrounding blanks.
QString aparado(const RecordSet* cds, const char* name)
{
    return valor(cds, name).trimmed();
}

void grava(RecordSet* cds, const char* name, const QVariant& value)
{
    cds->fieldByName(QString::fromUtf8(name)).setValue(value);
}

bool pergunta(const QString& text)
{
    return host().showMessage(MsgType::Confirmation, text, MsgButton::Yes | MsgButton::No, MsgButton::No) == MsgButton::Yes;
}

void focaSeHabilitado(QWidget* control)
{
    if (control->isEnabled() && control->isVisible())
        control->setFocus();
}

} // namespace

void TfrmLanPedido::ligaClienteVendedorFilial()
{
    cdsCliente = new RecordSet(QStringLiteral("cdsCliente"), this);
    cdsPesqFilial = new RecordSet(QStringLiteral("cdsPesqFilial"), this);

    dbeCliente->onEnter = [this](DBEdit&) { dbeClienteEnter(); };
    dbeCliente->onExit = [this](DBEdit&) { dbeClienteExit(); };
    dbeCliente->onChange = [this](DBEdit&) { dbeClienteChange(); };
    dbeCliente->onKeyPress = [this](DBEdit&, QChar& key) { dbeClienteKeyPress(key); };
    // The customer look-up does its own search and server call: the button
    // only starts it.
    btnCliente->beforePesq = [this](TBtnPesquisa&, bool& cancel) {
        cancel = true;
        btnClienteClick();
    };
    connectGuarded(sbtClientes, &QToolButton::clicked, this, &TfrmLanPedido::sbtClientesClick);
    connectGuarded(sbtPosCliente, &QToolButton::clicked, this, &TfrmLanPedido::sbtPosClienteClick);

    dbeVendedor->onExit = [this](DBEdit&) { dbeVendedorExit(); };
    dbeVendedor->onChange = [this](DBEdit&) { dbeVendedorChange(); };
    dbeVendedor->onKeyPress = [this](DBEdit&, QChar& key) { dbeVendedorKeyPress(key); };
    btnVend->setTitle(QStringLiteral("Vendedor|Não há vendedor cadastrado."));
    // Commission rates and discount limits are the seller's affair, not the clerk's.
    PesquisaOpcoes vendedores;
    for (const char* coluna : {"CDVENDEDOR", "NMFANVEN", "NMRAZSOCVEN", "NRINSJURVEN"})
        vendedores.columns.append({QString::fromUtf8(coluna), QString()});
    btnVend->setOptions(vendedores);
    btnVend->beforePesq = [this](TBtnPesquisa& button, bool&) {
        auto qryVend = std::make_shared<LookupQuery>(QStringLiteral("qryVend"), dtmDBGeral(), qryVendSql);
        qryVend->open();
        button.setSource(qryVend.get());
        m_qryVend = qryVend;
    };
    btnVend->afterPesq = [this](TBtnPesquisa&) { btnVendAfterPesq(); };

    dbeFiliDest->onExit = [this](DBEdit&) { Vd_FilialDest(false); };
    btnFiliDest->setTitle(QStringLiteral("Filial|Não há filial cadastrada."));
    btnFiliDest->beforePesq = [this](TBtnPesquisa&, bool& cancel) { btnFiliDestBeforePesq(cancel); };
    btnFiliDest->afterPesq = [this](TBtnPesquisa&) { btnFiliDestAfterPesq(); };

    if (auto* botaoFilial = qobject_cast<TBtnPesquisa*>(btnFilial)) {
        botaoFilial->setTitle(QStringLiteral("Filial|Não há filial cadastrada."));
        botaoFilial->setSource(cdsPesqFilial);
        botaoFilial->beforePesq = [this](TBtnPesquisa&, bool& cancel) { btnFilialBeforePesq(cancel); };
        botaoFilial->afterPesq = [this](TBtnPesquisa&) { btnFilialAfterPesq(); };
    }
}

// ---- customer ------------------------------------------------------------------

void TfrmLanPedido::Vd_Cliente(bool Consist, bool AskExisting)
{
    if (!pedidoEmEdicao())
        return;
    // In Consist mode a failure stops the action with its message on the
    // general page. Otherwise a customer that does not exist is refused with
    // its message too, and the other failures (blocked, empty) end the check
    // without one; either way the caller learns of it (Abort).
    auto falha = [&](const char* key) {
        const bool inexistente = qstrcmp(key, "CLIE_NAO_CAD") == 0;
        if (!Consist && !inexistente)
            throw Abort();
        pgcPadrao->setCurrentWidget(tshDadosPed);
        focaSeHabilitado(dbeCliente);
        if (!Consist)   // leaving the field: the focus comes back once it has moved on
            QMetaObject::invokeMethod(dbeCliente, [this] { focaSeHabilitado(dbeCliente); }, Qt::QueuedConnection);
        MensErro(texto(QString::fromUtf8(key)), true);
    };
    QString documento = valor(cdsPedido, "NRINSJURCLIE");
    const QString codigoAnterior = aparado(cdsPedido, "CDCLIENTE");
    Ajusta_Inscricao(documento);
    if (documento.isEmpty())
        falha("CLIE_NULO");
    {
        QScopedValueRollback aplicando(m_aplicandoCliente, true);
        grava(cdsPedido, "NRINSJURCLIE", documento);
    }

    LookupQuery qryCdCliente(QStringLiteral("qryCdCliente"), dtmDBGeral(), qryCdClienteSql);
    qryCdCliente.setParam(QStringLiteral("P_NRINSJURCLIE"), documento);
    qryCdCliente.setOptionalParam(QStringLiteral("P_CDCLIENTE"), codigoAnterior, codigoAnterior.isEmpty());
    qryCdCliente.open();
    if (qryCdCliente.isEmpty())
        falha("CLIE_NAO_CAD");

    CarregaPacote(*cdsCliente, Servidor(GetCliente,
                                        {ExibeVendedorLogado(), dbeVendedor->text().trimmed(),
                                         qryCdCliente.fieldByName(QStringLiteral("CDCLIENTE")).asString(), QStringLiteral("T"),
                                         medCdFilial->text(), aparado(cdsPedido, "CDMODPGTO")}));
    if (cdsCliente->isEmpty())
        falha(ExibeVendedorLogado() ? "CLI_N_RELAC_VEND" : "CLIE_NAO_CAD");
    if (aparado(cdsCliente, "IDBLOQUEADO") == u"S")
        falha("CLIE_BLOQ");

    {
        QScopedValueRollback aplicando(m_aplicandoCliente, true);
        grava(cdsPedido, "CDCLIENTE", aparado(cdsCliente, "CDCLIENTE"));
        grava(cdsPedido, "IDTPIJURCLIE", aparado(cdsCliente, "IDTPIJURCLIE"));
        cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).setEditMask(PictPess(aparado(cdsCliente, "IDTPIJURCLIE")));
        grava(cdsPedido, "NMFANTCLIE", valor(cdsCliente, "NMFANTCLIE"));
        grava(cdsPedido, "NMRAZSOCCLIE", valor(cdsCliente, "NMRAZSOCCLIE"));
    }
    edtNmCliente->setText(valor(cdsCliente, "NMFANTCLIE"));
    const bool novo = cdsPedido->state() == RecordSet::State::Insert;
    if (novo)
        copiaObservacaoDoCliente();
    if (Consist)
        return;

    try {
        // No to the question keeps the order's data; the rest of the check
        // (existing orders, delivery locations, the address) still follows
        // the new customer.
        const QString codigo = aparado(cdsCliente, "CDCLIENTE");
        bool aplica = true;
        if (!stCdClie.isEmpty() && stCdClie != codigo) {
            const QString lista = alteracoesDoCliente();
            aplica = lista.size() <= 3 || pergunta(FormatMsg(texto(QStringLiteral("Alt_Cliente")), {lista}));
        }
        if (aplica)
            aplicaDadosDoCliente();
        const QString ultimoPedido = aparado(cdsCliente, "ULT_NRPEDIDO");
        if (novo && AskExisting && !ultimoPedido.isEmpty()) {
            if (!pergunta(FormatMsg(texto(QStringLiteral("DesCont")), {ultimoPedido}))) {
                cdsPedido->cancel();
                throw Abort();
            }
            if (dbeVendedor->isEnabled())
                dbeVendedor->setFocus();
            else if (dbeTipoOper->isEnabled() && dbeTipoOper->isVisible())
                dbeTipoOper->setFocus();
            else
                focaSeHabilitado(dbeFiliDest);
        }
        if (novo && paramPedido(QStringLiteral("IDEXIBLOCALENTRCLI")) == u"SIM" && aparado(cdsCliente, "IDLOCALENTREGACLIE") == u"S"
            && CriaLocalEntrega)
            CriaLocalEntrega();
        if (AtualizaEndereco)
            AtualizaEndereco();
    } catch (...) {
        revalidaPaginaAtual();
        throw;
    }
}

// A new order copies the customer's standing note when the customer asks so.
void TfrmLanPedido::copiaObservacaoDoCliente()
{
    const QString nota = valor(cdsCliente, "DSOBSERVCLIE");
    if (nota.trimmed().isEmpty() || aparado(cdsCliente, "IDGRAVOBSCLIPED") != u"S")
        return;
    if (!cdsObser->isActive())
        CarregaPacote(*cdsObser, Servidor(GetObser, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO")}));
    if (cdsObser->isEmpty()) {
        cdsObser->append();
        grava(cdsObser, "CDFILIAL", medCdFilial->text());
        grava(cdsObser, "NRPEDIDO", valor(cdsPedido, "NRPEDIDO"));
    } else if (!cdsObser->isEditing()) {
        cdsObser->edit();
    }
    grava(cdsObser, "TXOBSPED", nota);
}

QString TfrmLanPedido::alteracoesDoCliente() const
{
    auto difere = [this](const char* doCliente, const char* doPedido) {
        const QString novo = aparado(cdsCliente, doCliente);
        return !novo.isEmpty() && novo != aparado(cdsPedido, doPedido);
    };
    QString lista = QStringLiteral("[ ");
    if (!ExibeVendedorLogado() && difere("CDVENDEDOR", "CDVENDEDOR"))
        lista += QStringLiteral("Vendedor -");
    if (difere("CDPRECOBASE", "CDPRECOBASE"))
        lista += QStringLiteral("Preço Base -");
    if (tomaTipoOperacaoDoCliente() && difere("CDTIPOOPERPED", "CDTIPOOPER"))
        lista += QStringLiteral("Tipo de Operação -");
    if (!aparado(cdsPedido, "CDTIPODESC").isEmpty() && difere("CDTIPODESC", "CDTIPODESC"))
        lista += QStringLiteral("Condição de Desconto -");
    if (aparado(cdsCliente, "IDPESQTRANSP") == u"P" && difere("NRINSJURTRAN", "NRINSJURTRAN"))
        lista += QStringLiteral("Transportadora -");
    if (difere("CDTIPTRANS", "CDTIPTRANS"))
        lista += QStringLiteral("Tipo de Transporte -");
    if (difere("IDPGFRETTRANCLI", "IDPGFRETTRAN"))
        lista += QStringLiteral("Tipo de Pagamento de Frete -");
    if (difere("CDMODPGTO", "CDMODPGTO"))
        lista += QStringLiteral("Modalidade de Pagamento ");
    lista += QStringLiteral("]");
    return lista.replace(QStringLiteral("-]"), QStringLiteral("]"));
}

// The operation type follows the customer only where the branch asks for one
// and the customer is a final consumer or a reseller.
bool TfrmLanPedido::tomaTipoOperacaoDoCliente() const
{
    const QString tipoCliente = aparado(cdsCliente, "IDTIPOCLIE");
    return paramPedido(QStringLiteral("IDOBRTPOPPED")) == u"S" && (tipoCliente == u"F" || tipoCliente == u"R");
}

void TfrmLanPedido::aplicaDadosDoCliente()
{
    if (!aparado(cdsCliente, "CDVENDEDOR").isEmpty() && !ExibeVendedorLogado()) {
        grava(cdsPedido, "CDVENDEDOR", aparado(cdsCliente, "CDVENDEDOR"));
        grava(cdsPedido, "NMFANVEN", valor(cdsCliente, "NMFANVEN"));
        edtNmVendedor->setText(valor(cdsCliente, "NMFANVEN"));
        if (valor(cdsParExpedicao, "IDCTRLVENEXP") == u"N")
            grava(cdsPedido, "VRPECOMVDPED", cdsCliente->fieldByName(QStringLiteral("VRPECOMVEN")).value());
    }
    const QString precoBase = aparado(cdsCliente, "CDPRECOBASE");
    if (!precoBase.isEmpty()) {
        LookupQuery qryPrecoBase(QStringLiteral("qryPrecoBase"), dtmDBGeral(), qryPrecoBaseSql);
        qryPrecoBase.setParam(QStringLiteral("P_CDPRECOBASE"), precoBase);
        qryPrecoBase.open();
        grava(cdsPedido, "CDPRECOBASE", precoBase);
        grava(cdsPedido, "DSPRECOBASE", qryPrecoBase.fieldByName(QStringLiteral("DSPRECOBASE")).asString());
        edtPrcBase->setText(valor(cdsPedido, "DSPRECOBASE"));
    }
    if (tomaTipoOperacaoDoCliente() && !aparado(cdsCliente, "CDTIPOOPERPED").isEmpty()) {
        grava(cdsPedido, "CDTIPOOPER", aparado(cdsCliente, "CDTIPOOPERPED"));
        grava(cdsPedido, "NMTIPOOPER", valor(cdsCliente, "NMTIPOOPER"));
        grava(cdsPedido, "IDENTRSAIDOP", aparado(cdsCliente, "IDENTRSAIDOP"));
        grava(cdsPedido, "IDORIGDESTOP", aparado(cdsCliente, "IDORIGDESTOP"));
        edtNmTipoOper->setText(valor(cdsCliente, "NMTIPOOPER"));
        if (dbeTipoOperExit)
            dbeTipoOperExit();
    }
    if (!aparado(cdsPedido, "CDTIPODESC").isEmpty() && !aparado(cdsCliente, "CDTIPODESC").isEmpty()) {
        grava(cdsPedido, "CDTIPODESC", aparado(cdsCliente, "CDTIPODESC"));
        grava(cdsPedido, "NMTIPODESC", valor(cdsCliente, "NMTIPODESC"));
        for (const char* tier : tiersDesconto)
            grava(cdsPedido, tier, cdsCliente->fieldByName(QString::fromUtf8(tier)).value());
    }
    if (ChamaRotaEntrega)
        ChamaRotaEntrega();
    if (!aparado(cdsCliente, "NRINSJURTRAN").isEmpty() && aparado(cdsCliente, "IDPESQTRANSP") == u"P") {
        const QString tipoTransp = aparado(cdsCliente, "IDTPIJURTRAN");
        grava(cdsPedido, "IDTPIJURTRAN", tipoTransp);
        cdsPedido->fieldByName(QStringLiteral("NRINSJURTRAN")).setEditMask(PictPess(tipoTransp));
        grava(cdsPedido, "NRINSJURTRAN", aparado(cdsCliente, "NRINSJURTRAN"));
        grava(cdsPedido, "NMFANTTRAN", valor(cdsCliente, "NMFANTTRAN"));
        edtNmTransp->setText(valor(cdsCliente, "NMFANTTRAN"));
    }
    if (!aparado(cdsCliente, "CDTIPTRANS").isEmpty())
        grava(cdsPedido, "CDTIPTRANS", aparado(cdsCliente, "CDTIPTRANS"));
    const QString frete = aparado(cdsCliente, "IDPGFRETTRANCLI");
    if (!frete.isEmpty()) {
        grava(cdsPedido, "IDPGFRETTRAN", frete);
        for (int i = 0; i < cmbFrete->count(); ++i)
            if (cmbFrete->itemText(i).startsWith(frete + QLatin1Char(' ')))
                cmbFrete->setCurrentIndex(i);
    }
    if (!aparado(cdsCliente, "CDMODPGTO").isEmpty()) {
        grava(cdsPedido, "CDMODPGTO", aparado(cdsCliente, "CDMODPGTO"));
        grava(cdsPedido, "DSMODPGTO", valor(cdsCliente, "DSMODPGTO"));
        edtModPgto->setText(valor(cdsCliente, "DSMODPGTO"));
        dbeModPgtoExit();
    }
}

// After a failure while taking the customer's data, the page on screen is
// checked again, with the exits of its fields quiet meanwhile.
void TfrmLanPedido::revalidaPaginaAtual()
{
    EventDetach semSaidaModalidade(dbeModPgto->onExit);
    EventDetach semSaidaTransp(dbeTransp->onExit);
    EventDetach semSaidaTipoTransp(dbeTipoTransp->onExit);
    QWidget* pagina = pgcPadrao->currentWidget();
    if (pagina == tshFormaPgto)
        dbeModPgtoExit();
    else if (pagina == tshTransportadora)
        Vd_Transport();
}

void TfrmLanPedido::dbeClienteEnter()
{
    EventDetach semSaida(dbeCliente->onExit);
    cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).setEditMask(PictPess(QStringLiteral("I")));
}

void TfrmLanPedido::dbeClienteExit()
{
    Vd_Cliente(false, true);
}

void TfrmLanPedido::dbeClienteChange()
{
    if (m_aplicandoCliente || !pedidoEmEdicao() || !dbeCliente->hasFocus())
        return;
    edtNmCliente->clear();
    grava(cdsPedido, "CDCLIENTE", QVariant());
}

void TfrmLanPedido::dbeClienteKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        key = QChar();
        dbeVendedor->setFocus();
    } else if (pedidoEmEdicao()) {
        grava(cdsPedido, "CDCLIENTE", QVariant());
    }
}

void TfrmLanPedido::HabilitaCliente()
{
    const bool porCliente = cdsVerifUsoTabPreClie->isActive() && !cdsVerifUsoTabPreClie->isEmpty()
                            && cdsVerifUsoTabPreClie->fieldByName(QStringLiteral("COUNT")).asFloat() > 0;
    const bool habilita = !porCliente || (cdsPedido->state() == RecordSet::State::Insert && !itensEmEdicao());
    habilitaComLegenda(dbeCliente, habilita);
    btnCliente->setEnabled(habilita);
}

void TfrmLanPedido::btnClienteClick()
{
    LookupQuery qryFiltroCliente(QStringLiteral("qryFiltroCliente"), dtmDBGeral(), qryFiltroClienteSql);
    qryFiltroCliente.setParam(QStringLiteral("P_CDCLIENTE"), QStringLiteral("T"));
    qryFiltroCliente.setParam(QStringLiteral("P_IDBLOQUEADO"), QStringLiteral("N"));
    qryFiltroCliente.setParam(QStringLiteral("P_CDVENDEDOR"), dbeVendedor->text().trimmed());
    qryFiltroCliente.setParam(QStringLiteral("P_TODOSVND"), ExibeVendedorLogado() ? QString() : QStringLiteral("T"));
    qryFiltroCliente.open();
    PesquisaOpcoes opcoes;
    opcoes.columns = {{QStringLiteral("CDCLIENTE"), QStringLiteral("Código")}, {QStringLiteral("NRINSJURCLIE"), QStringLiteral("CPF/CNPJ")},
                      {QStringLiteral("NMFANTCLIE"), QStringLiteral("Fantasia")},
                      {QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("Razão Social")}, {QStringLiteral("NMMUNICIPIO"), QStringLiteral("Município")},
                      {QStringLiteral("SGESTADO"), QStringLiteral("UF")}, {QStringLiteral("NMFANVEN"), QStringLiteral("Vendedor")}};
    opcoes.searchField = QStringLiteral("NMFANTCLIE");
    if (!Pesquisar(qryFiltroCliente, texto(QStringLiteral("CLIENTE")) + u'|' + texto(QStringLiteral("CLIENT_N_INF")), opcoes))
        return;
    CarregaPacote(*cdsCliente, Servidor(GetCliente,
                                        {ExibeVendedorLogado(), dbeVendedor->text().trimmed(),
                                         qryFiltroCliente.fieldByName(QStringLiteral("CDCLIENTE")).asString(), QStringLiteral("N"),
                                         medCdFilial->text(), aparado(cdsPedido, "CDMODPGTO")}));
    if (cdsCliente->isEmpty())
        MensErro(texto(QStringLiteral("CLIE_NAO_CAD")), true);
    if (!pedidoEmEdicao()) {
        if (!temLinhas(cdsPedido))
            return;
        cdsPedido->edit();
    }
    {
        QScopedValueRollback aplicando(m_aplicandoCliente, true);
        const QString tipo = aparado(cdsCliente, "IDTPIJURCLIE");
        grava(cdsPedido, "CDCLIENTE", aparado(cdsCliente, "CDCLIENTE"));
        grava(cdsPedido, "IDTPIJURCLIE", tipo);
        cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).setEditMask(PictPess(tipo));
        grava(cdsPedido, "NRINSJURCLIE", aparado(cdsCliente, "NRINSJURCLIE"));
        grava(cdsPedido, "NMFANTCLIE", valor(cdsCliente, "NMFANTCLIE"));
    }
    edtNmCliente->setText(valor(cdsCliente, "NMFANTCLIE"));
    dbeCliente->setFocus();
}

void TfrmLanPedido::sbtClientesClick()
{
    LoadBPL(QStringLiteral("GER00700"), {QStringLiteral("VISUALIZA_CLIENTE"), true, aparado(cdsPedido, "CDCLIENTE")});
}

void TfrmLanPedido::sbtPosClienteClick()
{
    LoadBPL(QStringLiteral("GER23100"), {aparado(cdsPedido, "CDCLIENTE"), valor(cdsPedido, "NMFANTCLIE"), QStringLiteral("OK")});
}

// ---- seller --------------------------------------------------------------------

void TfrmLanPedido::Vd_Vendedor(bool Consist)
{
    if (!pedidoEmEdicao())
        return;
    stVend = aparado(cdsPedido, "CDVENDEDOR");
    const QString codigo = Ajusta(dbeVendedor->text(), 4);
    grava(cdsPedido, "CDVENDEDOR", codigo.isEmpty() ? QVariant() : QVariant(codigo));
    if (codigo.isEmpty()) {
        if (Consist)
            MensErro(texto(QStringLiteral("Cod_Inf")), true);
        return;
    }
    LookupQuery qryPesqVen(QStringLiteral("qryPesqVen"), dtmDBGeral(), qryPesqVenSql);
    qryPesqVen.setParam(QStringLiteral("P_CDVENDEDOR"), codigo);
    qryPesqVen.open();
    if (qryPesqVen.isEmpty())
        MensErro(texto(QStringLiteral("Ven_Nao_Cad")), true);
    grava(cdsPedido, "NMFANVEN", qryPesqVen.fieldByName(QStringLiteral("NMFANVEN")).asString());
    edtNmVendedor->setText(valor(cdsPedido, "NMFANVEN"));
    if (valor(cdsParExpedicao, "IDCTRLVENEXP") == u"N")
        grava(cdsPedido, "VRPECOMVDPED", qryPesqVen.fieldByName(QStringLiteral("VRPECOMVEN")).value());
    if (Consist || codigo == stVend)
        return;

    LookupQuery qryBuscaPrecoBase(QStringLiteral("qryBuscaPrecoBase"), dtmDBGeral(), qryBuscaPrecoBaseSql);
    qryBuscaPrecoBase.setParam(QStringLiteral("P_CDCLIENTE"), aparado(cdsPedido, "CDCLIENTE"));
    qryBuscaPrecoBase.setParam(QStringLiteral("P_CDVENDEDOR"), codigo);
    qryBuscaPrecoBase.open();
    const QString precoBase = qryBuscaPrecoBase.fieldByName(QStringLiteral("CDPRECOBASE")).asString();
    if (precoBase.isEmpty() || precoBase == aparado(cdsPedido, "CDPRECOBASE"))
        return;
    if (pergunta(texto(QStringLiteral("Alt_PrcBase")))) {
        grava(cdsPedido, "CDPRECOBASE", precoBase);
        grava(cdsPedido, "DSPRECOBASE", qryBuscaPrecoBase.fieldByName(QStringLiteral("DSPRECOBASE")).asString());
        edtPrcBase->setText(valor(cdsPedido, "DSPRECOBASE"));
    }
}

void TfrmLanPedido::dbeVendedorExit()
{
    Vd_Vendedor(false);
    if (paramPedido(QStringLiteral("IDEXIBVENDCOM")) == u"S" && cdsPedido->state() == RecordSet::State::Insert
        && pergunta(texto(QStringLiteral("VendComis"))) && CriaVendComis)
        CriaVendComis();
}

void TfrmLanPedido::dbeVendedorChange()
{
    if (!pedidoEmEdicao() || !dbeVendedor->hasFocus())
        return;
    edtNmVendedor->clear();
    boValidaDataComissao = true;
}

void TfrmLanPedido::dbeVendedorKeyPress(QChar& key)
{
    if (key != QLatin1Char('\r'))
        return;
    key = QChar();
    if (dbeTipoOper->isEnabled() && dbeTipoOper->isVisible())
        dbeTipoOper->setFocus();
    else
        focaSeHabilitado(dbeFiliDest);
}

// Captions are found by buddy: the screen keeps no member for them.
void habilitaComLegenda(QWidget* control, bool enabled)
{
    control->setEnabled(enabled);
    for (QLabel* label : control->parentWidget()->findChildren<QLabel*>())
        if (label->buddy() == control)
            label->setEnabled(enabled);
}

void TfrmLanPedido::btnVendAfterPesq()
{
    if (!pedidoEmEdicao())
        cdsPedido->edit();
    grava(cdsPedido, "CDVENDEDOR", m_qryVend->fieldByName(QStringLiteral("CDVENDEDOR")).asString());
    grava(cdsPedido, "NMFANVEN", m_qryVend->fieldByName(QStringLiteral("NMFANVEN")).asString());
    edtNmVendedor->setText(valor(cdsPedido, "NMFANVEN"));
    if (valor(cdsParExpedicao, "IDCTRLVENEXP") == u"N")
        grava(cdsPedido, "VRPECOMVDPED", m_qryVend->fieldByName(QStringLiteral("VRPECOMVEN")).value());
}

// ---- destination branch --------------------------------------------------------

void TfrmLanPedido::Vd_FilialDest(bool)
{
    if (!pedidoEmEdicao())
        return;
    const QString anterior = aparado(cdsPedido, "CDFILIALPED");
    const QString codigo = Ajusta(dbeFiliDest->text(), 4);
    if (codigo.isEmpty()) {
        if (aparado(cdsPedido, "IDORIGDESTOP") == u"L") {
            pgcPadrao->setCurrentWidget(tshDadosPed);
            focaSeHabilitado(dbeFiliDest);
            MensErro(texto(QStringLiteral("FILI_INF")), true);
        }
        grava(cdsPedido, "CDFILIALPED", QVariant());
        grava(cdsPedido, "NMFILIAL", QVariant());
        edtNmFiliDest->clear();
        return;
    }
    grava(cdsPedido, "CDFILIALPED", codigo);
    if (codigo == medCdFilial->text())
        MensErro(texto(QStringLiteral("Orig_Dif_Dest")), true);
    LookupQuery qryFiliDest(QStringLiteral("qryFiliDest"), dtmDBGeral(), qryFiliDestSql);
    qryFiliDest.setOptionalParam(QStringLiteral("P_CDFILIAL"), codigo, false);
    qryFiliDest.open();
    if (qryFiliDest.isEmpty())
        MensErro(texto(QStringLiteral("CD_NUL")), true);
    grava(cdsPedido, "NMFILIAL", qryFiliDest.fieldByName(QStringLiteral("NMFILIAL")).asString());
    edtNmFiliDest->setText(valor(cdsPedido, "NMFILIAL"));
    if ((cdsPedido->state() == RecordSet::State::Insert || codigo != anterior) && ChamaRotaEntrega)
        ChamaRotaEntrega();
    if (AtualizaEndereco)
        AtualizaEndereco();
}

// The name comes with the order; a destination typed but not checked yet is
// looked up.
void TfrmLanPedido::AtualizaFiliDest()
{
    const QString codigo = aparado(cdsPedido, "CDFILIALPED");
    QString nome = valor(cdsPedido, "NMFILIAL");
    if (!codigo.isEmpty() && nome.isEmpty() && isDtmDBGeralOpen()) {
        LookupQuery qryFiliDest(QStringLiteral("qryFiliDest"), dtmDBGeral(), qryFiliDestSql);
        qryFiliDest.setOptionalParam(QStringLiteral("P_CDFILIAL"), codigo, false);
        qryFiliDest.open();
        nome = qryFiliDest.fieldByName(QStringLiteral("NMFILIAL")).asString();
    }
    edtNmFiliDest->setText(codigo.isEmpty() ? QString() : nome);
}

void TfrmLanPedido::btnFiliDestBeforePesq(bool&)
{
    auto qryFiliDest = std::make_shared<LookupQuery>(QStringLiteral("qryFiliDest"), dtmDBGeral(), qryFiliDestSql);
    qryFiliDest->setOptionalParam(QStringLiteral("P_CDFILIAL"), QString(), true);
    qryFiliDest->open();
    btnFiliDest->setSource(qryFiliDest.get());
    m_qryFiliDest = qryFiliDest;
}

void TfrmLanPedido::btnFiliDestAfterPesq()
{
    if (!pedidoEmEdicao())
        cdsPedido->edit();
    grava(cdsPedido, "CDFILIALPED", m_qryFiliDest->fieldByName(QStringLiteral("CDFILIAL")).asString());
    grava(cdsPedido, "NMFILIAL", m_qryFiliDest->fieldByName(QStringLiteral("NMFILIAL")).asString());
    edtNmFiliDest->setText(valor(cdsPedido, "NMFILIAL"));
}
