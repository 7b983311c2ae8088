// The full check of an order item as it is posted: the stored status may
// still change, the item takes its status, texts and product data, the
// quantity, price, discounts and delivery date pass their checks, and an
// order never promises stock that is not there or reservations that do not
// add up. Any refusal leaves the item in edit as the clerk typed it. The
// decisions are in rules/item_post.h.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "busy.h"
#include "context.h"
#include "eventguard.h"
#include "lookupquery.h"
#include "messages.h"
#include "money.h"
#include "msgsaldoest.h"
#include "paintonce.h"
#include "recordset.h"
#include "rules/pricing.h"
#include "screens/dbgeral.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/gridutils.h"

#include <QJsonArray>
#include <QRadioButton>
#include <QTabWidget>

using namespace LanPedido;
using namespace RegrasPedido;
using namespace Rpc::LanPedido;

namespace {

// The payment modality of the order: the status its items take and its
// discount (qryPesqParam, qryPesqMod).
struct Modalidade {
    QString idLancPedMod;
    double desconto = 0;
};

Modalidade leModalidade(const QString& cdModPgto)
{
    Modalidade modalidade;
    if (cdModPgto.isEmpty() || !isDtmDBGeralOpen())
        return modalidade;
    LookupQuery qryPesqMod(QStringLiteral("qryPesqMod"), dtmDBGeral(),
                           QStringLiteral("SELECT IDLANCPEDMOD, VRPEDESMODPG FROM MODPGTO WHERE CDMODPGTO = :P_CDMODPGTO"));
    qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), cdModPgto);
    qryPesqMod.open();
    modalidade.idLancPedMod = qryPesqMod.fieldByName(QStringLiteral("IDLANCPEDMOD")).asString();
    modalidade.desconto = qryPesqMod.fieldByName(QStringLiteral("VRPEDESMODPG")).asFloat();
    return modalidade;
}

} // namespace

void TfrmLanPedido::cdsItemPedidoBeforePost()
{
    RecordSet& itens = *cdsItemPedido;
    const Field* noInicio = dbgItemPedido->selectedField();
    const QString colunaNoInicio = noInicio ? noInicio->name() : QString();
    const bool novo = itens.state() == RecordSet::State::Insert;
    // The checks change the item a field at a time and wait on the server in
    // between: the screen is painted once, when they are done.
    const PaintOnce pintaUmaVez(*this);

    VerificaSitItem();
    vd_CondDesc(false);
    if (campo(&itens, "VRVARIAVEL").isNull())
        campo(&itens, "VRVARIAVEL").setValue(0.0);
    campo(&itens, "CDOPERADOR").setValue(Operador());
    // The modality is read once: the status and the default discount both take it.
    const Modalidade modalidade = leModalidade(dbeModPgto->text());
    SituacaoDoItem(modalidade.idLancPedMod);

    if (novo && paramPedido(QStringLiteral("IDEXIBEPRAZOPED")) == u"S" && !dbePrazo->text().isEmpty()
        && GridText(*dbgItemPedido, QStringLiteral("DSPRAZOENTITPED")).isEmpty())
        campo(&itens, "DSPRAZOENTITPED").setValue(dbePrazo->text());
    const double preco = numero(&itens, "VRPREUNITPED");
    if (colunaNoInicio == u"QTITEMPED" && !campo(&itens, "PERDESC").text().isEmpty()) {
        const double quantidade = numero(&itens, "QTITEMPED");
        if (preco > 0 && quantidade > 0) {
            GravaDescItem();
            if (const std::optional<double> percentual = percentualDoDesconto(numero(&itens, "VRDESITPED"), quantidade, preco))
                campo(&itens, "PERDESC").setValue(*percentual);
        }
        FVrDescDigitado = numero(&itens, "VRDESITPED");
    }
    const QString tipoPreco = valor(&itens, "IDITPEDDIFER");
    if (colunaNoInicio == u"IDITPEDDIFER" && paramPedido(QStringLiteral("IDPERALTPRECO")) == u"N"
        && (tipoPreco == u"S" || tipoPreco == u"N"))
        campo(&itens, "VRPREUNITPED").setValue(RoundDec(numero(&itens, "VRITEPREBASE"), 2));
    CopiaTextosDaGrade();
    if (campo(&itens, "IDPRECOPROM").isNull())
        campo(&itens, "IDPRECOPROM")
            .setValue(valor(cdsPrecoBase, "IDITPEDDIFER") == u"P" ? QStringLiteral("S") : QStringLiteral("N"));

    Vd_CdProduto(true, false);
    Vd_Quantidade(true);
    Vd_Preco(true);
    ValorDescComisClie();
    if (FPerDescPostado.isEmpty())
        FPerDescPostado = QStringLiteral("0");
    if (paramPedido(QStringLiteral("IDTABPRECO")) == u"1")
        DescontosDaTabela(colunaNoInicio, modalidade.desconto);
    Vd_DtEntItPed(true);
    if (paramPedido(QStringLiteral("IDTABPRECO")) == u"2")
        Vd_Fator(true);
    campo(&itens, "QTEXPITEMPED").setValue(0.0);

    if (rdbPedido->isChecked()) {
        ConsisteEstoque();
        ConfereReserva();
    } else {
        campo(&itens, "IDITPEDRESER").setValue(QStringLiteral("1"));
    }

    campo(&itens, "VRPREUNITPED").setValue(RoundDec(numero(&itens, "VRPREUNITPED"), 2));
    Seta_Campo_Null(itens);
    if (paramPedido(QStringLiteral("IDPERALTPRECO")) == u"S" && paramPedido(QStringLiteral("IDALTPRECOPC")) == u"S")
        Vd_PrecoOpcio();
    FItemEditado = !novo;
    campo(&itens, "IDITEMERRO").setValue(QStringLiteral("N"));
}

// The item may have been settled, cancelled or served since it was read:
// the server says what it is now.
void TfrmLanPedido::VerificaSitItem()
{
    auto limpa = qScopeGuard([] { boCtrlDel = false; });
    if (cdsItemPedido->state() != RecordSet::State::Edit && !boCtrlDel)
        return;
    {
        BusyScope ocupado(this);
        CarregaPacote(*cdsVerificaSitItem, Servidor(Rpc::LanPedido::VerificaSitItem, {valor(cdsItemPedido, "CDFILIAL"),
                                                                              valor(cdsItemPedido, "NRPEDIDO"),
                                                                              valor(cdsItemPedido, "NRITEMPED")}));
    }
    const std::optional<RecusaSituacao> recusa = recusaSituacaoItem(valor(cdsVerificaSitItem, "IDSITITEMPED"));
    if (recusa)
        MensErro((recusa->segundoCatalogo ? msgPadrao1 : msgPadrao).Msg(recusa->chave), true);
}

// The status of a quotation's item, or the one the modality or the branch
// launches items with. Where neither gives a known code the item keeps
// its own.
void TfrmLanPedido::SituacaoDoItem(const QString& idLancPedMod)
{
    const std::optional<QString> situacao = situacaoDoItem(rdbOrcamento->isChecked(), idLancPedMod,
                                                          paramPedido(QStringLiteral("IDLANCPED")));
    if (situacao)
        campo(cdsItemPedido, "IDSITITEMPED").setValue(*situacao);
    const QString atual = valor(cdsItemPedido, "IDSITITEMPED");
    if (FSitItemInicial.isEmpty())
        FSitItemInicial = atual;
    else if (FSitItemInicial != atual)
        FSitItemAlterada = true;
}

// What is still typed in the grid's cells reaches the record.
void TfrmLanPedido::CopiaTextosDaGrade()
{
    for (const char* nome : {"DSITEMPED", "DSPRAZOENTITPED", "DSEMISSAOITPED", "CDEMISSAOITPED"}) {
        const QString coluna = QString::fromLatin1(nome);
        if (IndiceCol(*dbgItemPedido, coluna) < 0)
            continue;
        Field& field = campo(cdsItemPedido, nome);
        const QString digitado = GridText(*dbgItemPedido, coluna);
        if (digitado == field.text())
            continue;
        if (digitado.isEmpty())
            field.clear();
        else
            field.setValue(digitado);
    }
}

// Items priced from a price table: the default discount of a new item, the
// maximum discount, a discount not above the item, and value and
// percentage agreeing. The column checks stay out of it: the cursor moves
// to the column refused.
void TfrmLanPedido::DescontosDaTabela(const QString& colunaNoInicio, double descontoModalidade)
{
    RecordSet& itens = *cdsItemPedido;
    {
        EventDetach semSaidaDeColuna(dbgItemPedido->onColExit);
        DescontoPadrao(descontoModalidade);
        ConfereDescontoMaximo();
        const Field& desconto = campo(&itens, "VRDESITPED");
        if (!desconto.isNull() && RoundDec(desconto.asFloat(), 2) > RoundDec(numero(&itens, "VrTotalAux"), 2)) {
            mostraItemNoProduto("VRDESITPED");
            MensErro(texto(QStringLiteral("Desc>VrTotal")), true);
        }
    }
    if (numero(&itens, "VRDESITPED") > 0 && colunaNoInicio == u"VRDESITPED")
        GravaPeDescItem();
    else
        GravaDescItem();
}

// A new item without a discount of its own takes the modality's, held to
// the first lower maximum where the branch caps it (asked once per order);
// a discount value typed gives the percentage.
void TfrmLanPedido::DescontoPadrao(double descontoModalidade)
{
    RecordSet& itens = *cdsItemPedido;
    const double percentual = numero(&itens, "PERDESC");
    if (itens.state() != RecordSet::State::Insert || percentual != 0 || percentual != FPerDescPostado.toDouble())
        return;
    const Field& desconto = campo(&itens, "VRDESITPED");
    const double preco = numero(&itens, "VRPREUNITPED");
    const double quantidade = numero(&itens, "QTITEMPED");
    if (desconto.isNull() || desconto.asFloat() != 0) {
        if (const std::optional<double> digitado = percentualDoDesconto(desconto.asFloat(), quantidade, preco)) {
            campo(&itens, "PERDESC").setValue(*digitado);
            GravaDescItem();
        }
        return;
    }
    const RegrasPedido::DescontoPadrao padrao = descontoPadrao(descontoModalidade,
                                                 maximosDoItem(valor(cdsVendLog, "CDVENDEDOR")),
                                                 politicaMaximo(paramPedido(QStringLiteral("IDUTDESCMAXI"))));
    if (padrao.limitado && FPerguntaDescMax) {
        if (msgPadrao.ShowMsg(QStringLiteral("Per_Max"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
            throw Abort();
        FPerguntaDescMax = false;
    }
    campo(&itens, "PERDESC").setValue(padrao.percentual);
    GravaDescItem();
}

// A percentage above the largest maximum of product, customer and seller
// is asked about or refused, as the branch's policy says; a yes keeps the
// maximum the clerk went past with the item.
void TfrmLanPedido::ConfereDescontoMaximo()
{
    RecordSet& itens = *cdsItemPedido;
    const PoliticaMaximo politica = politicaMaximo(paramPedido(QStringLiteral("IDUTDESCMAXI")));
    const std::optional<double> percentual = opcional(&itens, "PERDESC");
    if (!FVerificaDescMax || !percentual || (politica != PoliticaMaximo::Avisa && politica != PoliticaMaximo::Recusa))
        return;
    const QString logado = valor(cdsVendLog, "CDVENDEDOR");
    const std::optional<double> maximo = descontoMaximo(maximosDoItem(logado.isEmpty() ? valor(cdsPedido, "CDVENDEDOR") : logado));
    const ConferenciaMaximo conferencia = confereMaximo(politica, *percentual, maximo);
    if (conferencia == ConferenciaMaximo::Aceito)
        return;
    mostraItemNoProduto("PERDESC");
    const QString limite = textoPercentual(*maximo) + u'%';
    if (conferencia == ConferenciaMaximo::Recusar)
        MensErro(FormatMsg(texto(QStringLiteral("Desc_Inv")), {limite}), true);
    if (MsgAlertEx(FormatMsg(texto(QStringLiteral("DESC_MENS")), {limite}), MsgType::Confirmation, {QStringLiteral("Sim"), QStringLiteral("Não")})
        != MsgAlertFirstButton)
        throw Abort();
    campo(&itens, "VRPEDEMAXIPE").setValue(*maximo);
}

// An order's item asks the server what the stock holds when something that
// counts changed (or always, under lot reservation); with the branch
// testing stock, more than is available shows the stock balance and the
// item stays in edit.
void TfrmLanPedido::ConsisteEstoque()
{
    RecordSet& itens = *cdsItemPedido;
    FEstoqueItem = {};
    const bool novo = itens.state() == RecordSet::State::Insert;
    const bool produtoMudou = valor(&itens, "CDARVPROD") != FCdArvProdEdicao;
    const Field& quantidade = campo(&itens, "QTITEMPED");
    const bool quantidadeMudou = novo || quantidade.value() != quantidade.oldValue();
    const bool testaEstoque = paramPedido(QStringLiteral("IDTESTAEST")) == u"2";
    const bool reservaLote = paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S";
    if (!reservaLote && !(testaEstoque && (novo || produtoMudou || FSitItemAlterada || quantidadeMudou)))
        return;
    const double quantidadeEstoque = RoundDec(quantidade.asFloat() * FProduto.vrFatoConv, 5);
    const QJsonArray figuras = Servidor(VD_ESTITEM, {valor(&itens, "CDFILIAL"), valor(&itens, "CDPRODUTO"), valor(&itens, "CDARVPROD"),
                                                     quantidadeEstoque, valor(&itens, "NRPEDIDO"), valor(cdsPedido, "CDTIPOOPER")})
                                   .toArray();
    FEstoqueItem.disponivel = figuras.at(VD_ESTITEMResult::Disponivel).toDouble();
    FEstoqueItem.emPedidos = figuras.at(VD_ESTITEMResult::EmPedidos).toDouble();
    FEstoqueItem.emEstoque = figuras.at(VD_ESTITEMResult::EmEstoque).toDouble();
    FEstoqueItem.controlado = figuras.at(VD_ESTITEMResult::Controlado).toBool();
    FEstoqueItem.emOrcamentos = figuras.at(VD_ESTITEMResult::EmOrcamentos).toDouble();
    if (!testaEstoque || !FEstoqueItem.controlado || !(novo || produtoMudou || quantidadeMudou))
        return;

    // The order's other posted items of the product count against the
    // stock too; being of the same product, they share its factor.
    double outrosItens = 0;
    if (quantidadeMudou && cdsValidaProduto->isActive()) {
        const RecordSet& postados = *cdsValidaProduto;
        const int filial = postados.fieldIndex(QStringLiteral("CDFILIAL"));
        const int pedido = postados.fieldIndex(QStringLiteral("NRPEDIDO"));
        const int item = postados.fieldIndex(QStringLiteral("NRITEMPED"));
        const int produto = postados.fieldIndex(QStringLiteral("CDARVPROD"));
        const int qtde = postados.fieldIndex(QStringLiteral("QTITEMPED"));
        const QStringList deste = {valor(&itens, "CDFILIAL"), valor(&itens, "NRPEDIDO"), valor(&itens, "CDARVPROD"),
                                   valor(&itens, "NRITEMPED")};
        for (int linha = 0; linha < postados.recordCount(); ++linha) {
            if (postados.value(linha, produto).toString() == deste.at(2) && postados.value(linha, pedido).toString() == deste.at(1)
                && postados.value(linha, filial).toString() == deste.at(0)
                && postados.value(linha, item).toString() != deste.at(3))
                outrosItens += postados.value(linha, qtde).toDouble();
        }
        outrosItens = RoundDec(outrosItens * FProduto.vrFatoConv, 5);
    }
    const std::optional<FaltaEstoque> falta = faltaEstoque(quantidadeEstoque, FEstoqueItem, outrosItens);
    if (!falta)
        return;
    // The figures are in stock units, and so is the unit shown with them.
    abreFaltaEstoque({valor(&itens, "CDPRODUTO"), valor(&itens, "CDARVPROD"), valor(&itens, "NMPRODUTO"),
                      FProduto.sgUnidPai.isEmpty() ? valor(&itens, "SGUNIDADE") : FProduto.sgUnidPai},
                     *falta);
    mostraItemNoProduto("QTITEMPED");
    throw Abort();
}

// The stock-balance dialog on one product's shortage.
void TfrmLanPedido::abreFaltaEstoque(const ProdutoEmFalta& produto, const FaltaEstoque& falta)
{
    if (!cdsConsisteSaldEst) {
        cdsConsisteSaldEst = new RecordSet(QStringLiteral("cdsConsisteSaldEst"), this);
        criaCamposConsisteSaldEst(*cdsConsisteSaldEst);
    }
    RecordSet& saldo = *cdsConsisteSaldEst;
    saldo.createDataSet();
    saldo.append();
    campo(&saldo, "MSG").setValue(msgPadrao1.Msg(QStringLiteral("CONSISTE_QUANT_PROD")));
    campo(&saldo, "CDPRODUTO").setValue(produto.cdProduto);
    campo(&saldo, "CDARVPROD").setValue(produto.cdArvProd);
    campo(&saldo, "NMPRODUTO").setValue(produto.nmProduto);
    campo(&saldo, "SGUNIDADE").setValue(produto.sgUnidade);
    campo(&saldo, "QTPEDIDO").setValue(falta.qtPedido);
    campo(&saldo, "QTPEDATUAL").setValue(falta.qtPedAtual);
    campo(&saldo, "QTORCAPED").setValue(falta.qtOrcaPed);
    campo(&saldo, "QTPEDTOTAL").setValue(falta.qtPedTotal);
    campo(&saldo, "QTESTOQUE").setValue(falta.qtEstoque);
    campo(&saldo, "QTDISPONIVEL").setValue(falta.qtDisponivel);
    campo(&saldo, "VRDIFERENCA").setValue(falta.vrDiferenca);
    campo(&saldo, "QTSOLICITADA").setValue(falta.qtSolicitada);
    saldo.post();
    const DataPacket linha = saldo.data();
    saldo.close();
    CriaMsgSaldoEst(this, linha);
}

// Under lot reservation, an edited item of a stock-moving order keeps its
// reservations adding up to its quantity.
void TfrmLanPedido::ConfereReserva()
{
    RecordSet& itens = *cdsItemPedido;
    if (paramPedido(QStringLiteral("IDUTRESELOTE")) != u"S" || !TipoOperAtualizaEstoque())
        return;
    campo(&itens, "IDITPEDRESER").setValue(QStringLiteral("1"));
    SituacaoReserva situacao;
    situacao.estoqueControlado = FEstoqueItem.controlado;
    situacao.itemEditado = itens.state() == RecordSet::State::Edit;
    situacao.mesmoProduto = valor(&itens, "CDARVPROD") == FCdArvProdEdicao;
    situacao.situacaoAlterada = FSitItemAlterada;
    situacao.posicaoAberta = cdsPosiEstoq->isActive();
    situacao.pedidoIncluido = cdsPedido->state() == RecordSet::State::Insert;
    if (!conferirReserva(situacao))
        return;
    if (cdsPosiEstoq->isEditing())
        cdsPosiEstoq->post();
    double reservado = 0;
    const DataPacket lotes = cdsPosiEstoq->data();
    const int coluna = lotes.indexOf(QStringLiteral("QTRESPRODPED"));
    for (const QVariantList& lote : lotes.rows)
        reservado += lote.at(coluna).toDouble();
    if (reservaConfere(reservado, numero(&itens, "QTITEMPED") * FProduto.vrFatoConv))
        return;
    dbgPosiEstoq->setReadOnly(false);
    mostraColunaReservada();
    MensErro(texto(QStringLiteral("QTRES")), true);
}
