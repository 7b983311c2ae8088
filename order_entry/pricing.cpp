// Item prices and discounts on the order screen: the price lookup with the
// discount condition's cascade, discount value and percentage in step, the
// discount maxima over the order, the commission discount, the optional-price
// band, the price factor, the order's base price, repricing after a change of
// base price or delivery date, and the discount menu. The arithmetic is in
// rules/pricing.h; the handlers read fields, call it and write fields.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "autoriza.h"
#include "eventguard.h"
#include "guard.h"
#include "loadbpl.h"
#include "messages.h"
#include "lookupquery.h"
#include "lookups/pesquisar.h"
#include "money.h"
#include "recordset.h"
#include "rules/pricing.h"
#include "screens/dbgeral.h"
#include "screens/ped00105_revisao.h"
#include "values.h"
#include "context.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QDateTime>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QPoint>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;
using namespace Rpc::LanPedido;
using namespace RegrasPedido;

namespace {

const char* const percentuaisCondicao[] = {"QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC",
                                          "QTQUITPDESC", "QTSEXTPDESC", "QTSETTPDESC", "QTOITTPDESC"};

PercentuaisCondicao percentuaisDe(const RecordSet* cds)
{
    PercentuaisCondicao percentuais{};
    for (size_t i = 0; i < percentuais.size(); ++i)
        percentuais[i] = campo(cds, percentuaisCondicao[i]).asFloat();
    return percentuais;
}

const QString qryVdFatorSql = QStringLiteral(
    "SELECT P.CDFATPRECO, F.SGFATPRECO\n"
    "  FROM PRODFATOR P, PRODUTO PR, FATORPRECO F\n"
    " WHERE\n"
    "    (PR.CDARVPROD = :P_CDARVPROD) AND\n"
    "    (PR.CDPRODUTO = P.CDPRODUTO ) AND\n"
    "    ((P.CDFATPRECO = :P_CDFATPRECO)OR( UPPER(F.SGFATPRECO) = UPPER(:P_SGFATPRECO))) AND\n"
    "    (F.CDFATPRECO = P.CDFATPRECO)");

const QString qryFatorSql = QStringLiteral(
    "SELECT\n"
    "   DISTINCT(F.CDFATPRECO), F.SGFATPRECO,\n"
    "   F.NMFATPRECO, P.VRFATPRECO\n"
    "FROM\n"
    "   FATORPRECO F, PRODFATOR P, PRODUTO PR\n"
    "WHERE\n"
    "   ((UPPER(F.SGFATPRECO) = UPPER(:P_SGFATPRECO)) OR (:P_TSGFATPRECO = 'T')) AND\n"
    "   (F.CDFATPRECO = P.CDFATPRECO) AND\n"
    "   (PR.CDARVPROD = :P_CDARVPROD) AND\n"
    "   (PR.CDPRODUTO = P.CDPRODUTO )\n"
    "ORDER BY\n"
    "   F.CDFATPRECO");

} // namespace

void TfrmLanPedido::ligaPrecos()
{
    cdsPesqPrcBase = new RecordSet(QStringLiteral("cdsPesqPrcBase"), this);
    cdsVdPrOpcional = new RecordSet(QStringLiteral("cdsVdPrOpcional"), this);
    cdsVrDescComis = new RecordSet(QStringLiteral("cdsVrDescComis"), this);
    cdsFator = new RecordSet(QStringLiteral("cdsFator"), this);
    cdsPrOpcional = new RecordSet(QStringLiteral("cdsPrOpcional"), this);

    dbePrcBase->onChange = [this](DBEdit&) { dbePrcBaseChange(); };
    dbePrcBase->onExit = [this](DBEdit&) { dbePrcBaseExit(); };
    btnPrcBase->setTitle(QStringLiteral("Preço Base|Não há preço base para o cliente."));
    btnPrcBase->beforePesq = [this](TBtnPesquisa& button, bool& cancel) {
        btnPrcBaseBeforePesq(cancel);
        if (!cancel)
            button.setSource(cdsPesqPrcBase);
    };
    btnPrcBase->afterPesq = [this](TBtnPesquisa&) { btnPrcBaseAfterPesq(); };

    pmnDescontos = new QMenu(this);
    pmnDescontos->setObjectName(QStringLiteral("pmnDescontos"));
    mnuAltDesc = pmnDescontos->addAction(QStringLiteral("Alterar Desconto"));
    mnuAltDesc->setObjectName(QStringLiteral("mnuAltDesc"));
    mnuPrecUnit = pmnDescontos->addAction(QStringLiteral("Alterar Preço Unitário"));
    mnuPrecUnit->setObjectName(QStringLiteral("mnuPrecUnit"));
    mnuAlterarPreoUnitrioMultiplosPedidos = pmnDescontos->addAction(QStringLiteral("Alterar Preço Unitário (Múltiplos Pedidos)"));
    mnuAlterarPreoUnitrioMultiplosPedidos->setObjectName(QStringLiteral("mnuAlterarPreoUnitrioMultiplosPedidos"));
    mnuAlterarPreoUnitrioMultiplosPedidos->setVisible(false);
    connectGuarded(mnuAltDesc, &QAction::triggered, this, &TfrmLanPedido::mnuAltDescClick);
    connectGuarded(mnuPrecUnit, &QAction::triggered, this, &TfrmLanPedido::mnuPrecUnitClick);
    connectGuarded(mnuAlterarPreoUnitrioMultiplosPedidos, &QAction::triggered, this,
                   &TfrmLanPedido::mnuAlterarPreoUnitrioMultiplosPedidosClick);
    // The pop-up keeps the change across orders hidden; the maintenance menu's
    // Ctrl+A opens it, when the discount button would.
    connectGuarded(mnuAlteracaoPrecoAuto, &QAction::triggered, this, [this] {
        if (sbtCalcularDesconto->isEnabled())
            mnuAlterarPreoUnitrioMultiplosPedidosClick();
    });
    connectGuarded(sbtCalcularDesconto, &QToolButton::clicked, this, &TfrmLanPedido::sbtCalcularDescontoClick);

    dbgItemPedido->onColExit = [this](DBGrid&) { dbgItemPedidoColExit(); };
    dbgItemPedido->onEditButtonClick = [this](DBGrid&) { guarded([this] { dbgItemPedidoEditButtonClick(); }); };
}

// ---- discount value and percentage ------------------------------------------------

void TfrmLanPedido::GravaDescItem()
{
    if (!cdsItemPedido->isEditing())
        return;
    campo(cdsItemPedido, "VRDESITPED")
        .setValue(valorDoDesconto(numero(cdsItemPedido, "QTITEMPED"), numero(cdsItemPedido, "VRPREUNITPED"),
                                  numero(cdsItemPedido, "PERDESC")));
}

void TfrmLanPedido::GravaPeDescItem()
{
    if (!cdsItemPedido->isEditing())
        return;
    const double valor = numero(cdsItemPedido, "VRDESITPED");
    if (valor != FVrDescDigitado) {
        if (const std::optional<double> percentual =
                percentualDoDesconto(valor, numero(cdsItemPedido, "QTITEMPED"), numero(cdsItemPedido, "VRPREUNITPED")))
            campo(cdsItemPedido, "PERDESC").setValue(*percentual);
    }
    FPerDescDigitado = numero(cdsItemPedido, "PERDESC");
}

// ---- price lookup -----------------------------------------------------------------

void TfrmLanPedido::PrecoBase(bool recalcula)
{
    if (!cdsItemPedido->isEditing())
        return;
    try {
        if (FCdArvProdEdicao.isEmpty())
            FCdArvProdEdicao = valor(cdsItemPedido, "CDARVPROD");
        const QString tipo = valor(cdsItemPedido, "IDITPEDDIFER");
        const QJsonArray resposta = respostaPreco(tipo);
        const QJsonValue chave = resposta.at(GetPrecoResult::Recusa);
        if (!chave.isNull()) {
            const RecusaPreco recusa = recusaPreco(chave.toString(), tipo);
            if (recusa == RecusaPreco::Ignorar)
                return;
            const QString textoTipo = msgPadrao1.Msg(tipo.isEmpty() ? QStringLiteral("N") : tipo);
            const QString key = recusa == RecusaPreco::NaoCadastrado ? QStringLiteral("PRECO_NAO_CAD") : QStringLiteral("PRECO_N_VIGOR");
            MensErro(FormatMsg(texto(key), {textoTipo}), false);
            campo(cdsItemPedido, "IDITPEDDIFER").setValue(FTipoItemAtual);
            return;
        }
        CarregaPacote(*cdsPrecoBase, resposta.at(GetPrecoResult::PrecoBase));
        CarregaPacote(*cdsPrecoUtil, resposta.at(GetPrecoResult::PrecoUtil));

        const DBGridColumn* colunaCondicao = dbgItemPedido->columnByField(QStringLiteral("CDTIPODESC"));
        if (!consultaTrocaPreco(FPrecoDigitado, colunaCondicao != nullptr, valor(cdsItemPedido, "CDTIPODESC"), FCdTipoDescAnterior))
            return;

        // The item holds its condition's percentages, from the header or from
        // the condition just read.
        std::optional<PercentuaisCondicao> condicao;
        if (!valor(cdsItemPedido, "CDTIPODESC").isEmpty())
            condicao = percentuaisDe(cdsItemPedido);
        const PrecoItem preco = precoDoItem({numero(cdsPrecoBase, "VRITEPREBASE"), numero(cdsPrecoUtil, "VRPEADPBASE"),
                                             valor(cdsPrecoBase, "IDITPEDDIFER"), valor(cdsPrecoBase, "IDPRECOPROM")},
                                            condicao);
        // The kind first, so that its change is not taken as the clerk's;
        // the price the lookup writes is no typed price.
        FTipoItemAtual = preco.tipoPreco;
        campo(cdsItemPedido, "IDITPEDDIFER").setValue(preco.tipoPreco);
        campo(cdsItemPedido, "IDPRECOPROM").setValue(preco.promocional);
        campo(cdsItemPedido, "VRPRTABITPED").setValue(preco.precoTabela);
        campo(cdsItemPedido, "VRPRPARPRECO").setValue(preco.precoParametro);
        {
            EventDetach semTipoDigitado(campo(cdsItemPedido, "VRPREUNITPED").onChange);
            campo(cdsItemPedido, "VRPREUNITPED").setValue(preco.precoUnitario);
        }
        if (recalcula)
            GravaDescItem();
    } catch (...) {
        mostraItemNoProduto();
        throw;
    }
}

// The price answer for the current item: read ahead when the whole order
// is priced again, asked now otherwise.
QJsonArray TfrmLanPedido::respostaPreco(const QString& tipo)
{
    const QString produto = valor(cdsItemPedido, "CDARVPROD");
    if (tipo.isEmpty()) {
        const auto lida = FPrecosLidos.constFind(produto);
        if (lida != FPrecosLidos.constEnd())
            return *lida;
    }
    return Servidor(GetPreco, argumentosPreco(produto, tipo)).toArray();
}

// GetPreco and GetPrecos take the same header values around the product.
std::array<RpcArg, 8> TfrmLanPedido::argumentosPreco(const RpcArg& produtos, const QString& tipo)
{
    return {valor(cdsPedido, "CDPRECOBASE"), produtos, EmprProc(), valor(cdsPedido, "CDFILIAL"),
            valor(cdsPedido, "CDMODPGTO"), depDtRetiradaData(), valor(cdsPedido, "CDCLIENTE"), tipo};
}

// The normal prices of every product of the order, in one call.
void TfrmLanPedido::LePrecosDosItens()
{
    QStringList produtos;
    RecordSet& itens = *cdsItemPedido;
    for (itens.first(); !itens.eof(); itens.next()) {
        const QString produto = valor(&itens, "CDARVPROD");
        if (!produto.isEmpty() && !produtos.contains(produto))
            produtos.append(produto);
    }
    if (produtos.isEmpty())
        return;
    const QJsonArray respostas =
        Servidor(GetPrecos, argumentosPreco(QJsonArray::fromStringList(produtos), QString())).toArray();
    for (qsizetype i = 0; i < produtos.size() && i < respostas.size(); ++i)
        FPrecosLidos.insert(produtos.at(i), respostas.at(i).toArray());
}

// A failed check of an item: its page in front, the cursor on the product.
void TfrmLanPedido::mostraItemNoProduto(const char* field)
{
    if (pgcPadrao->currentWidget() != tshItemPedido) {
        pgcPadrao->setCurrentWidget(tshItemPedido);
        pgcPadraoChange();
    }
    if (dbgItemPedido->columnByField(QString::fromUtf8(field))) {
        dbgItemPedido->setFocus();
        dbgItemPedido->setSelectedField(QString::fromUtf8(field));
    }
}

// The order date as the editor shows it, the stored one while it is empty.
QDate TfrmLanPedido::depDtRetiradaData() const
{
    if (depDtRetirada->date().isValid())
        return depDtRetirada->date();
    const QDateTime pedido = temLinhas(cdsPedido) ? campo(cdsPedido, "DTPEDIDO").asDateTime() : QDateTime();
    return pedido.isValid() ? pedido.date() : QDate::currentDate();
}

// ---- discount condition -----------------------------------------------------------

void TfrmLanPedido::vd_CondDesc(bool)
{
    const QString digitado = valor(cdsItemPedido, "CDTIPODESC").trimmed();
    if (digitado.isEmpty())
        return;
    try {
        const QString codigo = Ajusta(digitado, 10);
        campo(cdsItemPedido, "CDTIPODESC").setValue(codigo);
        CarregaPacote(*cdsCondDesc, Servidor(GetCondDesc, {QStringLiteral("T"), codigo}));
        if (!temLinhas(cdsCondDesc))
            MensErro(texto(QStringLiteral("COND_CAD")), true);
        copiaCondicao();
        const bool temProduto = !valor(cdsItemPedido, "CDARVPROD").isEmpty();
        if (condicaoZeraPreco(temProduto, numero(cdsItemPedido, "QTITEMPED"), numero(cdsItemPedido, "VrTotal")))
            MensErro(texto(QStringLiteral("COND_ZERAPRECO")), true);
    } catch (...) {
        mostraItemNoProduto("CDTIPODESC");
        throw;
    }
}

// ---- price mode, maxima, commission, optional prices, factor ------------------------

bool TfrmLanPedido::GetUtPreco(const QString& filial)
{
    if (!temLinhas(cdsParamPedido) || valor(cdsParamPedido, "CDFILIAL") != filial) {
        QString branch = filial;
        const QJsonValue resposta = Servidor(GetParam, {RpcArg::ref(branch), QStringLiteral("PARAMPEDIDO")});
        CarregaPacote(*cdsParamPedido, resposta);
    }
    return usaPrecoNoItem(paramPedido(QStringLiteral("IDTABPRECO")), paramPedido(QStringLiteral("IDCALCPRECFAT")));
}

// The maxima of the current item: the product's for the order's base price
// and the customer's state, the customer's and the seller's.
MaximosDesconto TfrmLanPedido::maximosDoItem(const QString& vendedor)
{
    MaximosDesconto maximos;
    if (!isDtmDBGeralOpen())
        return maximos;
    LookupQuery qryPesqClie(QStringLiteral("qryPesqClie"), dtmDBGeral(),
                            QStringLiteral("SELECT VRPEMAXDESCL, CDPAIS, SGESTADO FROM CLIENTE WHERE CDCLIENTE = :P_CDCLIENTE"));
    qryPesqClie.setParam(QStringLiteral("P_CDCLIENTE"), valor(cdsPedido, "CDCLIENTE"));
    qryPesqClie.open();
    if (!qryPesqClie.isEmpty() && !qryPesqClie.fieldByName(QStringLiteral("VRPEMAXDESCL")).isNull())
        maximos.cliente = qryPesqClie.fieldByName(QStringLiteral("VRPEMAXDESCL")).asFloat();
    if (!vendedor.isEmpty()) {
        LookupQuery qryPesqVen(QStringLiteral("qryPesqVen"), dtmDBGeral(),
                               QStringLiteral("SELECT VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"));
        qryPesqVen.setParam(QStringLiteral("P_CDVENDEDOR"), vendedor);
        qryPesqVen.open();
        if (!qryPesqVen.isEmpty() && !qryPesqVen.fieldByName(QStringLiteral("VRPEMAXDESVE")).isNull())
            maximos.vendedor = qryPesqVen.fieldByName(QStringLiteral("VRPEMAXDESVE")).asFloat();
    }
    LookupQuery qryDescMax(QStringLiteral("qryDescMax"), dtmDBGeral(),
                           QStringLiteral("SELECT IT.VRPEMAXDESPR\n"
                                          "FROM ITDESPREBASE IT\n"
                                          "WHERE IT.CDPRECOBASE = :P_CDPRECOBASE\n"
                                          "  AND IT.CDPAIS      = :P_CDPAIS\n"
                                          "  AND IT.SGESTADO    = :P_SGESTADO\n"
                                          "  AND IT.CDPRODUTO   = :P_CDPRODUTO"));
    qryDescMax.setParam(QStringLiteral("P_CDPRECOBASE"), valor(cdsPedido, "CDPRECOBASE"));
    qryDescMax.setParam(QStringLiteral("P_CDPAIS"), qryPesqClie.isEmpty() ? QString() : qryPesqClie.fieldByName(QStringLiteral("CDPAIS")).asString());
    qryDescMax.setParam(QStringLiteral("P_SGESTADO"), qryPesqClie.isEmpty() ? QString() : qryPesqClie.fieldByName(QStringLiteral("SGESTADO")).asString());
    qryDescMax.setParam(QStringLiteral("P_CDPRODUTO"), valor(cdsItemPedido, "CDPRODUTO"));
    qryDescMax.open();
    if (!qryDescMax.isEmpty())
        maximos.produto = qryDescMax.fieldByName(QStringLiteral("VRPEMAXDESPR")).asFloat();
    return maximos;
}

void TfrmLanPedido::Vd_DescMax()
{
    const PoliticaMaximo politica = politicaMaximo(paramPedido(QStringLiteral("IDUTDESCMAXI")));
    if (paramPedido(QStringLiteral("IDTABPRECO")) != u"1" || (politica != PoliticaMaximo::Avisa && politica != PoliticaMaximo::Recusa))
        return;
    RecordSet& itens = *cdsItemPedido;
    try {
        EventDetach semScroll(itens.afterScroll);
        EventDetach semAntesPost(itens.beforePost);
        EventDetach semDepoisPost(itens.afterPost);
        EventDetach semEdicao(itens.afterEdit);
        ControlsFreeze congelado(itens);
        const QString vendedor = valor(cdsVendLog, "CDVENDEDOR");
        for (itens.first(); !itens.eof(); itens.next()) {
            const std::optional<double> percentual = opcional(&itens, "PERDESC");
            if (!percentual)
                continue;
            const std::optional<double> maximo = descontoMaximo(maximosDoItem(vendedor));
            const ConferenciaMaximo conferencia = confereMaximo(politica, *percentual, maximo);
            if (conferencia == ConferenciaMaximo::Aceito)
                continue;
            const QString texto = FormatMsg(this->texto(QStringLiteral("DESC_MENS")), {textoPercentual(*maximo) + u'%'});
            if (conferencia == ConferenciaMaximo::Perguntar) {
                if (MsgAlertEx(texto, MsgType::Confirmation, {QStringLiteral("Sim"), QStringLiteral("Não")}) != MsgAlertFirstButton)
                    throw Abort();
            } else {
                MensErro(FormatMsg(this->texto(QStringLiteral("Desc_Inv")), {textoPercentual(*maximo) + u'%'}), true);
            }
        }
    } catch (...) {
        cdsItemPedAux->setFiltered(false);
        boValidaDescMax = false;
        throw;
    }
}

// The customer's commission discount is the same for every item of the
// order: asked once per customer.
void TfrmLanPedido::ValorDescComisClie()
{
    const QString cliente = valor(cdsPedido, "CDCLIENTE");
    if (!cdsVrDescComis->isActive() || cliente != m_clienteDescComis) {
        CarregaPacote(*cdsVrDescComis, Servidor(getVrDescClie, {cliente}));
        m_clienteDescComis = cliente;
    }
    if (!temLinhas(cdsVrDescComis))
        return;
    if (campo(cdsItemPedido, "VRPREUNITPED").isNull())
        MensErro(texto(QStringLiteral("VR_NULO")), true);
    if (campo(cdsItemPedido, "QTITEMPED").isNull())
        MensErro(texto(QStringLiteral("QT_NULO")), true);
    if (cdsItemPedido->isEditing())
        campo(cdsItemPedido, "VRDESCCOMISS").setValue(campo(cdsVrDescComis, "VRDESCCOMISS").value());
}

void TfrmLanPedido::Vd_PrecoOpcio()
{
    const QString chave = valor(cdsItemPedido, "CDFILIAL") + valor(cdsItemPedido, "NRPEDIDO") + valor(cdsItemPedido, "NRITEMPED");
    if (!Autoriza(*netLanPed, 14, QStringLiteral("ALTERA_PRECO_PEDIDO"), chave))
        MensErro(FormatMsg(texto(QStringLiteral("VR_N_MAIOR")), {paramPedido(QStringLiteral("DSPERALTMAIOR")) + u'%'}), true);
    if (temLinhas(cdsPermissao))
        return;
    CarregaPacote(*cdsVdPrOpcional, Servidor(getPrOpcionais, {valor(cdsItemPedido, "CDPRODUTO"), valor(cdsPedido, "CDPRECOBASE")}));
    QList<double> precos;
    for (cdsVdPrOpcional->first(); !cdsVdPrOpcional->eof(); cdsVdPrOpcional->next())
        precos.append(campo(cdsVdPrOpcional, "VROPCIOPRBASE").asFloat());
    const std::optional<FaixaPreco> faixa = faixaOpcional(precos);
    if (faixa && !faixa->contem(numero(cdsItemPedido, "VRPREUNITPED"))) {
        mostraItemNoProduto("VRPREUNITPED");
        MensErro(msgPadrao1.Msg(QStringLiteral("VR_INV_PROPCIO")), true);
    }
}

// A price the clerk typed stays within what the branch allows: inside the
// band around the parameter price, or released by a supervisor. Where the
// price is worked out at shipping, a new item carries none.
void TfrmLanPedido::Vd_Preco(bool consist)
{
    RecordSet& itens = *cdsItemPedido;
    if (!itens.isEditing())
        return;
    try {
        if (!GetUtPreco(medCdFilial->text())) {
            if (itens.state() == RecordSet::State::Insert && paramPedido(QStringLiteral("IDCALCPRECFAT")) != u"L")
                campo(&itens, "VRPREUNITPED").setValue(0.0);
            return;
        }
        const Field& preco = campo(&itens, "VRPREUNITPED");
        if (preco.isNull()) {
            if (consist)
                MensErro(texto(QStringLiteral("VR_NULO")), true);
            return;
        }
        if (valor(cdsPedido, "CDFILIALORC").isEmpty() && preco.asFloat() == 0)
            MensErro(texto(QStringLiteral("VRUNIT")), true);
        // Without a parameter price (the item was never priced) there is no
        // band to hold the price to.
        const Field& parametro = campo(&itens, "VRPRPARPRECO");
        if (paramPedido(QStringLiteral("IDTABPRECO")) != u"1" || parametro.isNull())
            return;
        const QString chave = valor(&itens, "CDFILIAL") + valor(&itens, "NRPEDIDO") + valor(&itens, "NRITEMPED");
        if (paramPedido(QStringLiteral("IDPERALTPRECO")) != u"S") {
            if (preco.asFloat() != parametro.asFloat() && !Autoriza(*netLanPed, 14, QStringLiteral("ALTERA_PRECO_PEDIDO"), chave))
                MensErro(texto(QStringLiteral("Nao_Altera_Preco")), true);
            return;
        }
        const PosicaoNaFaixa posicao = posicaoNaFaixa(preco.asFloat(), parametro.asFloat(), paramPedido(QStringLiteral("DSPERALTMAIOR")),
                                                      paramPedido(QStringLiteral("DSPERALTMENOR")));
        if (posicao == PosicaoNaFaixa::Dentro)
            return;
        if (!paramPedido(QStringLiteral("CDGRUALTPRECO")).isEmpty() && Autoriza(*netLanPed, 14, QStringLiteral("ALTERA_PRECO_PEDIDO"), chave))
            return;
        const bool acima = posicao == PosicaoNaFaixa::AcimaDoMaior;
        MensErro(FormatMsg(texto(acima ? QStringLiteral("VR_N_MAIOR") : QStringLiteral("VR_N_MENOR")),
                           {paramPedido(acima ? QStringLiteral("DSPERALTMAIOR") : QStringLiteral("DSPERALTMENOR")) + u'%'}),
                 true);
    } catch (...) {
        mostraItemNoProduto("VRPREUNITPED");
        throw;
    }
}

void TfrmLanPedido::Vd_Fator(bool consist)
{
    if (!cdsItemPedido->isEditing())
        return;
    try {
        if (valor(cdsItemPedido, "SGFATPRECO").isEmpty()) {
            if (consist)
                MensErro(texto(QStringLiteral("VRFAT_NULL")), true);
            return;
        }
        LookupQuery qryVdFator(QStringLiteral("qryVdFator"), dtmDBGeral(), qryVdFatorSql);
        qryVdFator.setParam(QStringLiteral("P_CDARVPROD"), valor(cdsItemPedido, "CDARVPROD"));
        qryVdFator.setParam(QStringLiteral("P_CDFATPRECO"), valor(cdsItemPedido, "CDFATPRECO"));
        qryVdFator.setParam(QStringLiteral("P_SGFATPRECO"), valor(cdsItemPedido, "SGFATPRECO"));
        qryVdFator.open();
        if (qryVdFator.isEmpty())
            MensErro(texto(QStringLiteral("FATOR_NCAD")), true);
        campo(cdsItemPedido, "CDFATPRECO").setValue(qryVdFator.fieldByName(QStringLiteral("CDFATPRECO")).asString());
        campo(cdsItemPedido, "SGFATPRECO").setValue(qryVdFator.fieldByName(QStringLiteral("SGFATPRECO")).asString());
    } catch (...) {
        mostraItemNoProduto("SGFATPRECO");
        throw;
    }
}

// The factor column's button offers the factors the item's product has; a
// branch that prices by factor over cost gets each factor's price too.
void TfrmLanPedido::pesquisaFator()
{
    const QString titulo = texto(QStringLiteral("FATOR")) + u'|' + texto(QStringLiteral("FATOR_CAD"));
    if (paramPedido(QStringLiteral("IDCALCPRECFAT")) == u"L") {
        const QString filial = valor(cdsItemPedido, "CDFILIAL");
        CarregaPacote(*cdsFator, Servidor(getFatorPre, {valor(cdsItemPedido, "CDPRODUTO"), QString(), QStringLiteral("T"),
                                                        filial.isEmpty() ? valor(cdsPedido, "CDFILIAL") : filial}));
        if (!Pesquisar(*cdsFator, titulo))
            return;
        editaItem();
        campo(cdsItemPedido, "CDFATPRECO").setValue(valor(cdsFator, "CDFATPRECO"));
        campo(cdsItemPedido, "SGFATPRECO").setValue(valor(cdsFator, "SGFATPRECO"));
        if (const std::optional<double> preco = opcional(cdsFator, "VRCUSTFATPR"))
            campo(cdsItemPedido, "VRPREUNITPED").setValue(*preco);
        return;
    }
    LookupQuery qryFator(QStringLiteral("qryFator"), dtmDBGeral(), qryFatorSql);
    qryFator.setParam(QStringLiteral("P_CDARVPROD"), valor(cdsItemPedido, "CDARVPROD"));
    qryFator.setParam(QStringLiteral("P_SGFATPRECO"), QString());
    qryFator.setParam(QStringLiteral("P_TSGFATPRECO"), QStringLiteral("T"));
    if (!Pesquisar_Plus(qryFator, titulo))
        return;
    editaItem();
    campo(cdsItemPedido, "CDFATPRECO").setValue(qryFator.fieldByName(QStringLiteral("CDFATPRECO")).asString());
    campo(cdsItemPedido, "SGFATPRECO").setValue(qryFator.fieldByName(QStringLiteral("SGFATPRECO")).asString());
}

// The condition column's button offers every condition; choosing one drops
// the item's own discount, which the condition replaces.
void TfrmLanPedido::pesquisaCondicao()
{
    CarregaPacote(*cdsCondDesc, Servidor(GetCondDesc, {QStringLiteral("T"), QStringLiteral("T")}));
    if (!Pesquisar(*cdsCondDesc, texto(QStringLiteral("CONDICAO")) + u'|' + texto(QStringLiteral("COND_CAD"))))
        return;
    editaItem();
    copiaCondicao();
    if (!valor(cdsItemPedido, "CDTIPODESC").isEmpty()) {
        campo(cdsItemPedido, "VRDESITPED").clear();
        campo(cdsItemPedido, "PERDESC").clear();
    }
}

void TfrmLanPedido::copiaCondicao()
{
    campo(cdsItemPedido, "CDTIPODESC").setValue(valor(cdsCondDesc, "CDTIPODESC"));
    campo(cdsItemPedido, "NMTIPODESC").setValue(valor(cdsCondDesc, "NMTIPODESC"));
    for (const char* name : percentuaisCondicao)
        campo(cdsItemPedido, name).setValue(campo(cdsCondDesc, name).value());
}

// The price column's button offers the product's optional prices, where
// the clerk may change prices and the base price does not keep the last
// promotional price.
void TfrmLanPedido::pesquisaPrecoOpcional()
{
    const bool incluindo = cdsPedido->state() == RecordSet::State::Insert;
    const QString ultimoPromocional = incluindo && temLinhas(cdsPesqPrcBase) ? valor(cdsPesqPrcBase, "IDULTPRECPROMO")
                                                                            : valor(cdsPedido, "IDULTPRECPROMO");
    const bool oferece = incluindo ? ultimoPromocional.startsWith(u'N')
                                   : paramPedido(QStringLiteral("IDPERALTPRECO")) == u"S" && ultimoPromocional == u"N";
    if (!oferece)
        return;
    CarregaPacote(*cdsPrOpcional, Servidor(getPrOpcionais, {valor(cdsItemPedido, "CDPRODUTO"), valor(cdsPedido, "CDPRECOBASE")}));
    cdsPrOpcional->setFilter(QStringLiteral("(PROPCIO = 'S') "));
    cdsPrOpcional->setFiltered(true);
    if (Field* marcador = cdsPrOpcional->findField(QStringLiteral("PROPCIO")))
        marcador->setVisible(false);
    const TMessages& padroes = msgMensagensPadroes();
    if (!Pesquisar(*cdsPrOpcional, padroes.Msg(QStringLiteral("PROPCIONAL")) + u'|' + padroes.Msg(QStringLiteral("PROPCIONAL_N_CAD"))))
        return;
    editaItem();
    campo(cdsItemPedido, "VRPREUNITPED").setValue(RoundDec(numero(cdsPrOpcional, "VROPCIOPRBASE"), 2));
}

void TfrmLanPedido::editaItem()
{
    if (!cdsItemPedido->isEditing())
        cdsItemPedido->edit();
}

void TfrmLanPedido::dbgItemPedidoEditButtonClick()
{
    const Field* coluna = dbgItemPedido->selectedField();
    if (!coluna)
        return;
    if (coluna->name() == u"SGFATPRECO")
        pesquisaFator();
    else if (coluna->name() == u"CDTIPODESC")
        pesquisaCondicao();
    else if (coluna->name() == u"VRPREUNITPED")
        pesquisaPrecoOpcional();
}

// ---- the order's base price -----------------------------------------------------------

// The customer's base prices, unfiltered: the filter the last check or
// look-up left would hide another customer's.
void TfrmLanPedido::CarregaPrecosBase()
{
    cdsPesqPrcBase->setFiltered(false);
    CarregaPacote(*cdsPesqPrcBase, Servidor(GetPesqPrcBase, {valor(cdsPedido, "CDCLIENTE")}));
}

void TfrmLanPedido::btnPrcBaseBeforePesq(bool& cancel)
{
    if (valor(cdsPedido, "CDCLIENTE").isEmpty()) {
        cancel = true;
        pgcPadrao->setCurrentWidget(tshDadosPed);
        dbeCliente->setFocus();
        MensErro(texto(QStringLiteral("CLIE_NULO")), true);
        return;
    }
    CarregaPrecosBase();
    // The clerk chooses by code and description; the markers only steer the screen.
    for (const char* marcador : {"IDPESQ", "IDULTPRECPROMO"}) {
        if (Field* field = cdsPesqPrcBase->findField(QString::fromLatin1(marcador)))
            field->setVisible(false);
    }
    // The customer's own base prices when it has any, otherwise every one.
    if (temLinhas(cdsPesqPrcBase)) {
        cdsPesqPrcBase->setFilter(QStringLiteral("IDPESQ = '%1'").arg(valor(cdsPesqPrcBase, "IDPESQ")));
        cdsPesqPrcBase->setFiltered(true);
    }
}

void TfrmLanPedido::btnPrcBaseAfterPesq()
{
    if (cdsPedido->state() == RecordSet::State::Browse)
        cdsPedido->edit();
    campo(cdsPedido, "CDPRECOBASE").setValue(valor(cdsPesqPrcBase, "CDPRECOBASE"));
    campo(cdsPedido, "DSPRECOBASE").setValue(valor(cdsPesqPrcBase, "DSPRECOBASE"));
    edtPrcBase->setText(valor(cdsPesqPrcBase, "DSPRECOBASE"));
    HabilitaProdAvanc();
}

void TfrmLanPedido::dbePrcBaseChange()
{
    if (pedidoEmEdicao() && dbePrcBase->hasFocus())
        edtPrcBase->clear();
    HabilitaProdAvanc();
}

void TfrmLanPedido::dbePrcBaseExit()
{
    if (pedidoEmEdicao())
        Vd_PrcBase(false);
}

void TfrmLanPedido::HabilitaProdAvanc()
{
    sbtProdAvanc->setEnabled(temLinhas(cdsPedido) && !dbePrcBase->text().trimmed().isEmpty()
                             && paramPedido(QStringLiteral("IDTABPRECO")) != u"2");
}

void TfrmLanPedido::Vd_PrcBase(bool consist)
{
    try {
        const QString digitado = dbePrcBase->text().trimmed();
        if (digitado.isEmpty()) {
            if (consist) {
                if (cdsItemPedido->state() == RecordSet::State::Insert)
                    campo(cdsItemPedido, "CDARVPROD").clear();
                if (pgcPadrao->currentWidget() != tshDadosPed)
                    pgcPadrao->setCurrentWidget(tshDadosPed);
                MensErro(texto(QStringLiteral("PrcBase_Deve")), true);
            }
            return;
        }
        const QString codigo = Ajusta(digitado, 2);
        if (pedidoEmEdicao() && valor(cdsPedido, "CDPRECOBASE") != codigo)
            campo(cdsPedido, "CDPRECOBASE").setValue(codigo);
        CarregaPrecosBase();
        const QString idPesq = valor(cdsPesqPrcBase, "IDPESQ");
        cdsPesqPrcBase->setFilter(filtroPrecoBase(idPesq, codigo));
        cdsPesqPrcBase->setFiltered(true);
        if (cdsPesqPrcBase->isEmpty())
            MensErro(texto(idPesq == u"1" ? QStringLiteral("PrcBase_Nc_Cli") : QStringLiteral("PrcBase_Nc")), true);
        edtPrcBase->setText(valor(cdsPesqPrcBase, "DSPRECOBASE"));
        if (pedidoEmEdicao())
            campo(cdsPedido, "DSPRECOBASE").setValue(valor(cdsPesqPrcBase, "DSPRECOBASE"));
    } catch (...) {
        pgcPadrao->setCurrentWidget(tshDadosPed);
        dbePrcBase->setFocus();
        throw;
    }
}

// ---- repricing ----------------------------------------------------------------------

// Null when every item has a price in the base price on the order date;
// otherwise the review screen shows what the server found, and the change
// stops here.
void TfrmLanPedido::ConfirmaPrecosDosItens()
{
    const QJsonValue problemas = Servidor(VD_PRECOOK, {valor(cdsPedido, "CDPRECOBASE"), depDtRetiradaData(),
                                                       cdsItemPedido->data().toJson(), valor(cdsPedido, "CDCLIENTE")});
    if (problemas.isNull())
        return;
    RespostaRevisao resposta;
    LoadBPL(QStringLiteral("PED00105"), {problemas.toVariant(), QVariant::fromValue(&resposta), QStringLiteral("X")});
    throw Abort();
}

// Every item priced again from the first to the last, its events detached
// and the display frozen; the current item is found again afterwards. The
// prices are read ahead in one call, not one call per item.
void TfrmLanPedido::RepassaItens(const std::function<void()>& porItem)
{
    RecordSet& itens = *cdsItemPedido;
    const QString atual = valor(&itens, "NRITEMPED");
    {
        EventDetach semAntesPost(itens.beforePost);
        EventDetach semDepoisPost(itens.afterPost);
        EventDetach semScroll(itens.afterScroll);
        ControlsFreeze congelado(itens);
        auto esquecePrecos = qScopeGuard([this] { FPrecosLidos.clear(); });
        LePrecosDosItens();
        for (itens.first(); !itens.eof(); itens.next()) {
            itens.edit();
            porItem();
            itens.post();
        }
        itens.locate(QStringLiteral("NRITEMPED"), QVariant(atual));
    }
}

void TfrmLanPedido::MudaPrcBase()
{
    if (paramPedido(QStringLiteral("IDTABPRECO")) != u"1" || valor(cdsPedido, "CDPRECOBASE").isEmpty()
        || valor(cdsPedido, "CDMODPGTO").isEmpty())
        return;
    try {
        ConfirmaPrecosDosItens();
        const Field& precoBase = campo(cdsPedido, "CDPRECOBASE");
        if (precoBase.value() != precoBase.oldValue()
            && msgPadrao.ShowMsg(QStringLiteral("ALT_MOD"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
            throw Abort();
        RepassaItens([this] {
            FPrecoDigitado = false;   // the clerk asked for every price again
            FTipoItemAtual.clear();
            campo(cdsItemPedido, "IDITPEDDIFER").clear();
            PrecoBase(true);
        });
        FPrecosRecalculados = true;
    } catch (...) {
        pgcPadrao->setCurrentWidget(tshDadosPed);
        dbePrcBase->setFocus();
        throw;
    }
}

void TfrmLanPedido::MudaData(bool perguntaItens)
{
    const QDateTime entrega = QDateTime(campo(cdsPedido, "DTENTPED").asDateTime().date(), QTime::currentTime());
    auto mudaDataNoServidor = [&] {
        Servidor(SetMudaData, {valor(cdsPedido, "CDFILIAL"), valor(cdsPedido, "NRPEDIDO"), entrega});
    };
    if (paramPedido(QStringLiteral("IDTABPRECO")) != u"1") {
        if (msgPadrao.ShowMsg(QStringLiteral("ALT_DTITEM"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) == MsgButton::Yes)
            mudaDataNoServidor();
        return;
    }
    ConfirmaPrecosDosItens();
    if (!perguntaItens
        || msgPadrao.ShowMsg(QStringLiteral("ALT_DTITEM"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    mudaDataNoServidor();
    if (msgPadrao.ShowMsg(QStringLiteral("MUDA_PRECO"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    RepassaItens([&] {
        FPrecoDigitado = false;
        FTipoItemAtual.clear();
        campo(cdsItemPedido, "IDITPEDDIFER").clear();
        campo(cdsItemPedido, "DTENTITPED").setValue(entrega);
        PrecoBase(false);
    });
    FDataAlterada = true;
}

// ---- the discount menu --------------------------------------------------------------

void TfrmLanPedido::sbtCalcularDescontoClick()
{
    pmnDescontos->popup(sbtCalcularDesconto->mapToGlobal(QPoint(0, 21)));
}

// Each command is for branches that price their items on the order.
void TfrmLanPedido::ExigePrecoNoItem()
{
    if (!GetUtPreco(medCdFilial->text()))
        MensErro(msgPadrao1.Msg(QStringLiteral("BloqFator")), true);
}

void TfrmLanPedido::abreFerramentaPreco(const std::function<void()>& dialogo, const QAction* comando)
{
    if (!dialogo) {
        MensErro(FormatMsg(texto(QStringLiteral("Tela_Indisponivel")), {comando->text()}), false);
        return;
    }
    dialogo();
}

void TfrmLanPedido::mnuAltDescClick()
{
    ExigePrecoNoItem();
    abreFerramentaPreco(CriaCalcularDesconto, mnuAltDesc);
}

void TfrmLanPedido::mnuPrecUnitClick()
{
    ExigePrecoNoItem();
    abreFerramentaPreco(CriaCalcDescPreUnit, mnuPrecUnit);
}

void TfrmLanPedido::mnuAlterarPreoUnitrioMultiplosPedidosClick()
{
    ExigePrecoNoItem();
    abreFerramentaPreco(CriaAlteracaoPrecoAuto, mnuAlterarPreoUnitrioMultiplosPedidos);
}

// ---- the pricing columns of the item grid --------------------------------------------

void TfrmLanPedido::dbgItemPedidoColExit()
{
    const Field* saindo = dbgItemPedido->selectedField();
    const QString coluna = saindo ? saindo->name() : QString();
    RecordSet& itens = *cdsItemPedido;
    auto ultimaCondicao = qScopeGuard([this] { FCdTipoDescAnterior = valor(cdsItemPedido, "CDTIPODESC"); });
    if (!itens.isEditing())
        return;
    const double preco = numero(&itens, "VRPREUNITPED");
    const double quantidade = numero(&itens, "QTITEMPED");
    const bool podeCalcular = preco > 0 && quantidade > 0;

    if (coluna == u"CDARVPROD") {
        FPrecoDigitado = false;
        Vd_CdProduto(false, true);
        if (!campo(&itens, "QTITEMPED").isNull())
            ArredondaAoMultiplo();
        if (numero(&itens, "PERDESC") > 0 && numero(&itens, "QTITEMPED") > 0)
            GravaDescItem();
    } else if (coluna == u"CDTIPODESC") {
        vd_CondDesc(false);
        const QString condicao = valor(&itens, "CDTIPODESC");
        const bool mudou = itens.state() == RecordSet::State::Insert ? condicao != FCdTipoDescAnterior
                                                                     : campo(&itens, "CDTIPODESC").value() != campo(&itens, "CDTIPODESC").oldValue();
        if (mudou)
            PrecoBase(false);
        if (!condicao.isEmpty()) {
            campo(&itens, "VRDESITPED").clear();
            campo(&itens, "PERDESC").clear();
        }
    } else if (coluna == u"QTITEMPED") {
        Vd_Quantidade(false);
        Vd_QtMinPed();
        if (!campo(&itens, "PERDESC").text().isEmpty() && preco > 0 && numero(&itens, "QTITEMPED") > 0)
            GravaDescItem();
        FVrDescDigitado = numero(&itens, "VRDESITPED");
    } else if (coluna == u"VRPREUNITPED") {
        Vd_Preco(false);
    } else if (coluna == u"SGFATPRECO") {
        Vd_Fator(false);
    } else if (coluna == u"VRDESITPED") {
        if (numero(&itens, "VrTotalAux") < numero(&itens, "VRDESITPED")) {
            mostraItemNoProduto("VRDESITPED");
            MensErro(texto(QStringLiteral("Desc>VrTotal")), true);
        }
        if (podeCalcular)
            GravaPeDescItem();
        FPerDescDigitado = numero(&itens, "PERDESC");
    } else if (coluna == u"PERDESC") {
        if (numero(&itens, "PERDESC") > 100) {
            mostraItemNoProduto("PERDESC");
            MensErro(texto(QStringLiteral("Desc>100")), true);
        }
        if (numero(&itens, "PERDESC") != FPerDescDigitado && podeCalcular)
            GravaDescItem();
        FVrDescDigitado = numero(&itens, "VRDESITPED");
    } else if (coluna == u"VRDESCCOMISS") {
        if (numero(&itens, "VRDESCCOMISS") > 100) {
            mostraItemNoProduto("VRDESCCOMISS");
            MensErro(texto(QStringLiteral("Desc>100")), true);
        }
    } else if (coluna == u"DTENTITPED") {
        Vd_DtEntItPed(false);
    } else if (coluna == u"IDITPEDDIFER") {
        const QString tipo = valor(&itens, "IDITPEDDIFER");
        if (paramPedido(QStringLiteral("IDPERALTPRECO")) == u"N" && (tipo == u"S" || tipo == u"N")
            && valor(&itens, "CDTIPODESC").isEmpty() && numero(&itens, "VRITEPREBASE") != 0)
            campo(&itens, "VRPREUNITPED").setValue(numero(&itens, "VRITEPREBASE"));
    }
}
