// The checks of an item's columns: the product, registered, on sale and
// not yet in the order, with what the server knows of it; the quantity
// rounded up to the product's sales multiple, refused when missing, not
// above zero or written with an exponent, the customer's discount
// proportion for it, the warning when it passes the proportion's range; a
// delivery date with a time of day and not before the zero date, which
// carries the order's date along when an edit moves it later. The rules
// are in rules/item_values.h.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "busy.h"
#include "context.h"
#include "eventguard.h"
#include "lookupquery.h"
#include "messages.h"
#include "recordset.h"
#include "rules/item_values.h"
#include "rules/pricing.h"
#include "screens/dbgeral.h"
#include "validacao_produto.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbgrid.h"
#include "widgets/gridutils.h"
#include "widgets/numberedit.h"

#include <QJsonArray>
#include <QLabel>
#include <QToolButton>
#include <QScopeGuard>
#include <QTabWidget>

using namespace LanPedido;
using namespace Rpc::LanPedido;

void TfrmLanPedido::ligaConferenciasDoItem()
{
    cdsQtVolumes = new RecordSet(QStringLiteral("cdsQtVolumes"), this);
    cdsQtProd = new RecordSet(QStringLiteral("cdsQtProd"), this);
    cdsDescProp = new RecordSet(QStringLiteral("cdsDescProp"), this);
    cdsPesqItem = new RecordSet(QStringLiteral("cdsPesqItem"), this);
    cdsProdEsto = new RecordSet(QStringLiteral("cdsProdEsto"), this);
    cdsVdProdRent = new RecordSet(QStringLiteral("cdsVdProdRent"), this);
    cdsVerificaSitItem = new RecordSet(QStringLiteral("cdsVerificaSitItem"), this);
}

ProdutoEstoque TfrmLanPedido::leProduto(const QString& cdArvProd)
{
    ProdutoEstoque produto;
    produto.cdArvProd = cdArvProd;
    if (cdArvProd.isEmpty() || !isDtmDBGeralOpen())
        return produto;
    LookupQuery qryProdEsto(QStringLiteral("qryProdEsto"), dtmDBGeral(),
                            QStringLiteral("SELECT\n"
                                           "   B.CDARVPROD,  A.NMPRODUTO,  A.SGUNIDADE,\n"
                                           "   B.VRPESOUNID, A.CDPRODESTO, A.VRFATOCONV,\n"
                                           "   B.SGUNIDADE SGUNIDPAI, A.CDPRODUTO\n"
                                           "FROM\n"
                                           "   PRODUTO A INNER JOIN PRODUTO B ON  (B.CDPRODUTO = A.CDPRODESTO)\n"
                                           "WHERE\n"
                                           "   (A.CDARVPROD = :P_CDARVPROD)\n"
                                           "ORDER BY\n"
                                           "   A.CDARVPROD"));
    qryProdEsto.setParam(QStringLiteral("P_CDARVPROD"), cdArvProd);
    qryProdEsto.open();
    if (qryProdEsto.isEmpty())
        return produto;
    auto texto = [&qryProdEsto](const char* name) { return qryProdEsto.fieldByName(QString::fromLatin1(name)).asString(); };
    produto.existe = true;
    produto.cdProduto = texto("CDPRODUTO");
    produto.nmProduto = texto("NMPRODUTO");
    produto.sgUnidade = texto("SGUNIDADE");
    produto.cdProdEsto = texto("CDPRODESTO");
    produto.sgUnidPai = texto("SGUNIDPAI");
    const auto fator = qryProdEsto.fieldByName(QStringLiteral("VRFATOCONV"));
    produto.vrFatoConv = fator.isNull() ? 1.0 : fator.asFloat();
    produto.vrPesoUnid = qryProdEsto.fieldByName(QStringLiteral("VRPESOUNID")).asFloat();
    return produto;
}

// The product of the item: registered and on sale, asked about when the
// order already holds it, and completed from what the server knows of it.
void TfrmLanPedido::Vd_CdProduto(bool consist, bool textos)
{
    RecordSet& itens = *cdsItemPedido;
    EventDetach semSaidaDeColuna(dbgItemPedido->onColExit);
    try {
        const QString digitado = valor(&itens, "CDARVPROD");
        FProduto = leProduto(digitado);
        FNovoItem = {};
        const std::initializer_list<std::pair<RecordSet*, GetNovoItemResult::Element>> pacotes = {
            {cdsVdProdRent, GetNovoItemResult::Rentabilidade},
            {cdsPesqItem, GetNovoItemResult::ItensDoProduto},
            {cdsProdEsto, GetNovoItemResult::ProdutoDoCliente},
            {cdsConUltPrecVen, GetNovoItemResult::UltimosPrecos}};
        if (FProduto.existe) {
            QString cdArvProd = digitado;
            FNovoItem = Servidor(GetNovoItem, {valor(cdsPedido, "CDFILIAL"), valor(cdsPedido, "NRPEDIDO"), FProduto.cdProduto,
                                               valor(cdsPedido, "CDCLIENTE"), RpcArg::ref(cdArvProd), QString(), QString(),
                                               QString(), QString(), QString(), FProduto.cdProdEsto, QString(), QString(),
                                               QString(), QString(), QString(), valor(cdsPedido, "CDPRECOBASE"), QString(),
                                               sbtVerQuantidades->isChecked()})
                            .toArray();
            for (const auto& [cds, elemento] : pacotes)
                CarregaPacote(*cds, FNovoItem.at(elemento));
        } else {
            for (const auto& [cds, elemento] : pacotes)
                cds->close();
        }
        if (!itens.isEditing())
            return;
        if (digitado.isEmpty()) {
            if (consist)
                MensErro(texto(QStringLiteral("CD_NULO")), true);
            return;
        }
        if (FProduto.existe)
            Validacao_Produto(medCdFilial->text(), FProduto.cdProduto, QString());
        if (!FProduto.existe || (paramPedido(QStringLiteral("IDEXIBRENTPED")) == u"S" && !temLinhas(cdsVdProdRent)))
            MensErro(texto(QStringLiteral("CD_INV")), true);
        confereProdutoRepetido(consist);
        completaDoProduto(textos);
    } catch (...) {
        mostraItemNoProduto();
        throw;
    }
}

// A product the order already holds is asked about while the clerk types;
// at post it only stops the order counting as changed by this item.
void TfrmLanPedido::confereProdutoRepetido(bool consist)
{
    RecordSet& itens = *cdsItemPedido;
    const bool novo = itens.state() == RecordSet::State::Insert;
    const QString pedido = valor(cdsPedido, "NRPEDIDO");
    if (consist) {
        if (novo && FItensAlterados && (temLinhas(cdsPesqItem) || ValidaProduto(pedido, valor(&itens, "CDARVPROD"))))
            FItensAlterados = false;
        return;
    }
    const Field& produto = campo(&itens, "CDARVPROD");
    if (!novo && produto.value() == produto.oldValue())
        return;
    if (!ValidaProduto(pedido, GridText(*dbgItemPedido, QStringLiteral("CDARVPROD"))))
        return;
    FItensAlterados = false;
    const bool precoDigitado = FPrecoDigitado;
    if (msgPadrao.ShowMsg(QStringLiteral("CD_EXIS"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes) {
        FItensAlterados = true;
        throw Abort();
    }
    FPrecoDigitado = precoDigitado;
}

// What the item takes of its product: codes, name, the customer's code and
// description, the quantities, the price, a delivery date with the
// product's usual hour, the units and the weight.
void TfrmLanPedido::completaDoProduto(bool textos)
{
    RecordSet& itens = *cdsItemPedido;
    campo(&itens, "CDPRODUTO").setValue(FProduto.cdProduto);
    campo(&itens, "CDPRODESTO").setValue(FProduto.cdProdEsto);
    campo(&itens, "NMPRODUTO").setValue(FProduto.nmProduto);
    const bool temDoCliente = temLinhas(cdsProdEsto);
    for (const auto& [destino, origem] : {std::pair{"CDEMISSAOITPED", "CDPRODCLIEPED"}, std::pair{"DSEMISSAOITPED", "DSPRODCLIEPED"}}) {
        if (textos || campo(&itens, destino).isNull())
            campo(&itens, destino).setValue(temDoCliente ? campo(cdsProdEsto, origem).value() : QVariant());
    }
    nedQtPed->setValue(FNovoItem.at(GetNovoItemResult::QtPedida).toDouble());
    FQtPedidaEstoque = FNovoItem.at(GetNovoItemResult::QtPedidaEstoque).toDouble();
    nedQtDisp->setValue(FNovoItem.at(GetNovoItemResult::QtDisponivel).toDouble());

    if (paramPedido(QStringLiteral("IDTABPRECO")) == u"1" && pgcPadrao->currentWidget() == tshItemPedido)
        PrecoBase(false);

    if (campo(&itens, "DTENTITPED").isNull() && depData->date().isValid())
        campo(&itens, "DTENTITPED").setValue(QDateTime(depData->date(), horaDeEntrega()));

    if (!FProduto.sgUnidade.isEmpty())
        campo(&itens, "SGUNIDADE").setValue(FProduto.sgUnidade);
    campo(&itens, "SGUNIDPAI").setValue(FProduto.sgUnidPai);
    campo(&itens, "VRPESOITPED").setValue(numero(&itens, "QTITEMPED") * FProduto.vrFatoConv * FProduto.vrPesoUnid);
    lblUnidDisp->setText(FProduto.sgUnidPai);
}

// The product's usual delivery hour at the branch ("1400"), or else the
// time it is now.
QTime TfrmLanPedido::horaDeEntrega()
{
    if (isDtmDBGeralOpen()) {
        LookupQuery qryParamProdMRP(QStringLiteral("qryParamProdMRP"), dtmDBGeral(),
                                    QStringLiteral("SELECT HRENTRPROD\n"
                                                   "FROM PARAMPRODMRP\n"
                                                   "WHERE CDFILIAL  = :P_CDFILIAL\n"
                                                   "  AND CDPRODUTO = :P_CDPRODUTO"));
        qryParamProdMRP.setParam(QStringLiteral("P_CDFILIAL"), valor(cdsPedido, "CDFILIAL"));
        qryParamProdMRP.setParam(QStringLiteral("P_CDPRODUTO"), FProduto.cdProduto);
        qryParamProdMRP.open();
        const auto hora = qryParamProdMRP.fieldByName(QStringLiteral("HRENTRPROD"));
        if (!qryParamProdMRP.isEmpty() && !hora.isNull()) {
            const QTime usual = QTime::fromString(hora.asString().rightJustified(4, u'0'), QStringLiteral("HHmm"));
            if (usual.isValid())
                return usual;
        }
    }
    const QTime agora = QTime::currentTime();
    return QTime(agora.hour(), agora.minute());
}

// A new item is always rounded; an edited one only when its quantity or
// its product changed, so that editing another column keeps what was sold.
void TfrmLanPedido::ArredondaAoMultiplo()
{
    RecordSet& itens = *cdsItemPedido;
    {
        BusyScope ocupado(this);
        CarregaPacote(*cdsQtVolumes, Servidor(GetQtVolumes, {valor(&itens, "CDARVPROD")}));
    }
    Field& quantidade = campo(&itens, "QTITEMPED");
    const std::optional<double> multiplo = opcional(cdsQtVolumes, "QTVOLUMES");
    if (quantidade.isNull() || !multiplo)
        return;
    const bool mudou = itens.state() == RecordSet::State::Insert || quantidade.value() != quantidade.oldValue()
                       || campo(&itens, "CDARVPROD").value() != campo(&itens, "CDARVPROD").oldValue();
    if (!mudou)
        return;
    EventDetach semTroca(quantidade.onChange);
    const double arredondada = RegrasPedido::NextMultiple(quantidade.asFloat(), *multiplo);
    if (arredondada != quantidade.asFloat())
        quantidade.setValue(arredondada);
}

void TfrmLanPedido::Vd_Quantidade(bool consist)
{
    RecordSet& itens = *cdsItemPedido;
    if (!itens.isEditing())
        return;
    try {
        ArredondaAoMultiplo();
        const Field& quantidade = campo(&itens, "QTITEMPED");
        if (quantidade.isNull()) {
            if (consist)
                MensErro(texto(QStringLiteral("QT_NULO")), true);
            return;
        }
        if (quantidade.asFloat() <= 0)
            MensErro(texto(QStringLiteral("QTITEM")), true);
        if (quantidade.text().contains(u'E', Qt::CaseInsensitive))
            MensErro(texto(QStringLiteral("Qtd_Invalida")), true);
        if (!campo(&itens, "PERDESC").isNull())
            return;
        {
            BusyScope ocupado(this);
            CarregaPacote(*cdsDescProp, Servidor(GetDesconto, {valor(cdsPedido, "CDCLIENTE"), valor(&itens, "CDPRODUTO"),
                                                               QString::number(quantidade.asFloat(), 'g', 15)}));
        }
        if (const std::optional<double> proporcao = opcional(cdsDescProp, "VRPERDESC")) {
            campo(&itens, "PERDESC").setValue(*proporcao);
            if (numero(&itens, "VRPREUNITPED") > 0 && quantidade.asFloat() > 0)
                GravaDescItem();
        }
    } catch (...) {
        mostraItemNoProduto("QTITEMPED");
        throw;
    }
}

// Past the range of the customer's proportions the clerk is told, and the
// quantity stays as typed.
void TfrmLanPedido::Vd_QtMinPed()
{
    CarregaPacote(*cdsQtProd, Servidor(getQtProd, {valor(cdsItemPedido, "CDARVPROD"), valor(cdsPedido, "CDCLIENTE")}));
    const std::optional<double> ate = opcional(cdsQtProd, "QTFINDESC");
    if (!ate || *ate == 0 || *ate >= numero(cdsItemPedido, "QTITEMPED"))
        return;
    mostraItemNoProduto("PERDESC");
    msgPadrao.ShowMsg(QStringLiteral("QTMINPED"), MsgType::Information, MsgButton::Ok);
}

void TfrmLanPedido::Vd_DtEntItPed(bool consist)
{
    if (!cdsItemPedido->isEditing())
        return;
    const Field& entrega = campo(cdsItemPedido, "DTENTITPED");
    const char* recusa = nullptr;
    switch (RegrasPedido::confereEntrega(entrega.isNull() ? QDateTime() : entrega.asDateTime())) {
    case RegrasPedido::ConferenciaEntrega::SemData:
        recusa = consist ? "DtEntrega_inf" : nullptr;
        break;
    case RegrasPedido::ConferenciaEntrega::SemHora:
        recusa = "HR_N_INF";
        break;
    case RegrasPedido::ConferenciaEntrega::AntesDaDataZero:
        recusa = "DT_MENOR";
        break;
    case RegrasPedido::ConferenciaEntrega::Aceita:
        break;
    }
    if (!recusa) {
        if (consist)
            LevaEntregaDoPedido();
        return;
    }
    mostraItemNoProduto("DTENTITPED");
    MensErro(texto(QString::fromLatin1(recusa)), true);
}

// Whether the order already holds a posted item of the product. The typed
// code goes into the filter quoted, and the filter never outlives the call.
bool TfrmLanPedido::ValidaProduto(const QString& pedido, const QString& produto)
{
    if (!cdsValidaProduto->isActive())
        return false;
    auto semFiltro = qScopeGuard([this] {
        cdsValidaProduto->setFiltered(false);
        cdsValidaProduto->setFilter(QString());
    });
    cdsValidaProduto->setFilter(RegrasPedido::filtroProdutoDoPedido(pedido, produto));
    cdsValidaProduto->setFiltered(true);
    return !cdsValidaProduto->isEmpty();
}

// An edited item posted with a later delivery date than the order's moves
// the order's date to that day; the clerk is told, since the other items
// keep theirs.
void TfrmLanPedido::LevaEntregaDoPedido()
{
    const Field& entrega = campo(cdsItemPedido, "DTENTITPED");
    if (cdsItemPedido->state() != RecordSet::State::Edit || entrega.value() == entrega.oldValue() || !temLinhas(cdsPedido))
        return;
    const Field& doPedido = campo(cdsPedido, "DTENTPED");
    if (doPedido.isNull() || entrega.asDateTime() <= doPedido.asDateTime())
        return;
    msgPadrao1.ShowMsg(QStringLiteral("AltDtEntPed"), MsgType::Information, MsgButton::Ok);
    if (!cdsPedido->isEditing())
        cdsPedido->edit();
    const QDate dia = entrega.asDateTime().date();
    campo(cdsPedido, "DTENTPED").setValue(QDateTime(dia, QTime(0, 0)));
    EventDetach semDataEntrega(onDataChange);
    depData->setDate(dia);
}
