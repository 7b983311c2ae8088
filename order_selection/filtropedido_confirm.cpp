// Confirmation: the checks, in the order the clerk meets them, then the
// filter record written from the controls.

#include "filtropedidodialog.h"

#include "recordset.h"
#include "lookups/pesquisalista.h"
#include "values.h"
#include "widgets/dateeditplus.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// Dates are counted from 30/12/1899; that day and before are no date.
const QDate firstDate(1899, 12, 31);

bool hasDate(const TDateEditPlus* edit)
{
    return !edit->isEmpty();
}

} // namespace

void TfrmFiltroPedido::fail(QWidget* focus, const QString& key)
{
    focus->setFocus(Qt::OtherFocusReason);
    MensErro(msgPadrao.Msg(key), true);
    Q_UNREACHABLE();
}

void TfrmFiltroPedido::sbtConfirmaClick()
{
    widenEdits();
    checkDates();
    if (rbtIntervalo->isChecked())
        checkInterval(medDeIntervalo, medAteIntervalo);
    if (rdbInNota->isChecked())
        checkInterval(edtDeNota, edtAteNota);
    if (!chbPendente->isChecked() && !chbAndamento->isChecked() && !chbLiquidado->isChecked()
        && !chbCancelado->isChecked() && !chbParcialmente->isChecked())
        fail(chbPendente, QStringLiteral("STATUSPED"));
    if (!chbIPendente->isChecked() && !chbIConfirmado->isChecked() && !chbIAprovado->isChecked()
        && !chbILiquidado->isChecked() && !chbICancelado->isChecked() && !chbIParcialmente->isChecked())
        fail(chbIPendente, QStringLiteral("STATUSITEMPED"));
    if (!grbOrcamento->isHidden())
        checkQuotationRange();
    checkLists();
    if (!chbBaixa->isChecked() && !chbNormal->isChecked() && !chbAlta->isChecked() && !chbUrgente->isChecked()
        && !chbPrioritaria->isChecked())
        fail(chbNormal, QStringLiteral("PRIO"));
    if (!grbTipoDeOp->isHidden() && rbtLTipoOper->isChecked() && stTipoOpercao.isEmpty())
        fail(rbtLTipoOper, QStringLiteral("TIPOOPER_INF"));
    writeFiltro();
    TfrmFiltroPadrao::sbtConfirmaClick();
}

void TfrmFiltroPedido::widenEdits()
{
    for (QLineEdit* edit : {edtDeNota, edtAteNota})
        edit->setText(Ajusta(edit->text(), 20));
    for (QLineEdit* edit : {medDeIntervalo, medAteIntervalo, medOrcDe, medOrcAte})
        edit->setText(Ajusta(edit->text(), 10));
}

void TfrmFiltroPedido::checkDates()
{
    // The import dates are checked too: a date that cannot be read would
    // otherwise leave the import period silently open.
    for (TDateEditPlus* edit : {depDeEmissao, depAteEmissao, depDeEntrega, depAteEntrega, depDeImporta, depAteImporta}) {
        if (!hasDate(edit))
            continue;
        const QDate date = edit->date();
        if (!date.isValid() || date < firstDate) {
            edit->setFocus(Qt::OtherFocusReason);
            MensErro(QStringLiteral("'%1' %2").arg(edit->text(), msgPadrao.Msg(QStringLiteral("DATA_INV"))), true);
        }
    }
    if (hasDate(depDeEntrega) || hasDate(depAteEntrega)) {
        checkDeliveryDates();
        checkEntryDates();
    } else {
        checkEntryDates();
        checkDeliveryDates();
    }
}

void TfrmFiltroPedido::checkEntryDates()
{
    if (!hasDate(depDeEmissao))
        fail(depDeEmissao, QStringLiteral("DTINI_PEDIDO"));
    if (!hasDate(depAteEmissao))
        fail(depAteEmissao, QStringLiteral("DTFIN_PEDIDO"));
    if (depAteEmissao->date() < depDeEmissao->date())
        fail(depDeEmissao, QStringLiteral("DTINI>DTFIN_PEDIDO"));
}

void TfrmFiltroPedido::checkDeliveryDates()
{
    if (!hasDate(depDeEntrega) && hasDate(depAteEntrega))
        fail(depDeEntrega, QStringLiteral("DTINI_ENTREGA"));
    if (hasDate(depDeEntrega) && !hasDate(depAteEntrega))
        fail(depAteEntrega, QStringLiteral("DTFIN_ENTREGA"));
    if (hasDate(depDeEntrega) && depAteEntrega->date() < depDeEntrega->date())
        fail(depDeEntrega, QStringLiteral("DTINI>DTFIN_ENTREGA"));
}

// The texts were widened to one width, so they compare like the numbers.
void TfrmFiltroPedido::checkInterval(QLineEdit* from, QLineEdit* to)
{
    if (from->text().isEmpty() && !to->text().isEmpty())
        fail(from, QStringLiteral("NRINI"));
    if (!from->text().isEmpty() && to->text().isEmpty())
        fail(to, QStringLiteral("NRFIN"));
    if (from->text() > to->text())
        fail(from, QStringLiteral("NRINI>NRFIN"));
    if (from->text().isEmpty() && to->text().isEmpty())
        fail(from, QStringLiteral("NRINI"));
}

void TfrmFiltroPedido::checkQuotationRange()
{
    if (medOrcDe->text().isEmpty() && !medOrcAte->text().isEmpty())
        fail(medOrcDe, QStringLiteral("NRINI_INF"));
    if (!medOrcDe->text().isEmpty() && medOrcAte->text().isEmpty())
        fail(medOrcAte, QStringLiteral("NRFIM_INF"));
    if (medOrcDe->text() > medOrcAte->text())
        fail(medOrcDe, QStringLiteral("NRORCINI>NRORCFIN"));
}

void TfrmFiltroPedido::checkLists()
{
    const auto requireList = [this](QRadioButton* lista, const QString& list, const char* key) {
        if (lista->isChecked() && lista->isEnabled() && list.isEmpty())
            fail(lista, QString::fromLatin1(key));
    };
    requireList(rbtLNrPedido, stNrPedido, "LNrPedido");
    requireList(rbtLCliente, stCliente, "LCliente");
    requireList(rbtLFiliDest, stPFiliDest, "LFiliDest");
    requireList(rbtLProduto, stProduto, "LProduto");
    requireList(rbtLVendedor, stVendedor, "LVendedor");
    requireList(rbtLVendComis, stVendComis, "LVendedor");
    requireList(rbtLMuniciCli, stMuniciCli, "LMuniciCli");
    if (!chbPedido->isChecked() && !chbOrcamento->isChecked())
        fail(chbPedido, QStringLiteral("LTipoPed"));
    if (!grbDepartamento->isHidden())
        requireList(rbtLDepto, stDept, "DEPT_INF");
    requireList(rbtLOrigem, stOrigem, "ORIGEM_INF");
    requireList(rdbLNota, stNota, "NOTA_INF");
}

// The logged-in seller, as a list of one code.
static QString loggedSeller(const RecordSet* cdsVendLog)
{
    if (!cdsVendLog || !cdsVendLog->isActive() || cdsVendLog->isEmpty())
        return {};
    const QString code = cdsVendLog->fieldByName(QStringLiteral("CDVENDEDOR")).asString();
    return code.isEmpty() ? QString() : listText({code});
}

void TfrmFiltroPedido::writeFiltro()
{
    TFiltro& f = filtro;
    f.NrPedido.boIntervalo = rbtIntervalo->isChecked();
    f.NrPedido.boTodos = rbtTNrPedido->isChecked() || rbtIntervalo->isChecked();
    f.NrPedido.stDe = medDeIntervalo->text();
    f.NrPedido.stAte = medAteIntervalo->text();
    f.NrPedido.stNrPedido = stNrPedido;
    f.Nota.boTodos = rdbTNota->isChecked();
    f.Nota.boIntervalo = rdbInNota->isChecked();
    f.Nota.stDe = edtDeNota->text();
    f.Nota.stAte = edtAteNota->text();
    f.Nota.stNota = stNota;

    f.Prioridade = {chbBaixa->isChecked(), chbNormal->isChecked(), chbAlta->isChecked(), chbUrgente->isChecked(),
                    chbPrioritaria->isChecked()};
    f.StatusPedido = {chbPendente->isChecked(), chbAndamento->isChecked(), chbLiquidado->isChecked(),
                      chbCancelado->isChecked(), chbParcialmente->isChecked()};
    f.StatusIPedido = {chbIPendente->isChecked(), chbIConfirmado->isChecked(), chbIAprovado->isChecked(),
                       chbILiquidado->isChecked(), chbICancelado->isChecked(), chbIParcialmente->isChecked()};
    f.TipoPedido = {chbPedido->isChecked(), chbOrcamento->isChecked()};

    f.Produto = {rbtTProduto->isChecked(), stProduto};
    if (grbVendedor->isEnabled())
        f.Vendedor = {rbtTVendedor->isChecked(), stVendedor};
    else
        f.Vendedor = {false, loggedSeller(tela.cdsVendLog)};
    if (rbtTVendComis->isEnabled())
        f.VendComis = {rbtTVendComis->isChecked(), stVendComis};
    else
        f.VendComis = {false, loggedSeller(tela.cdsVendLog)};
    f.FiliDest = {rbtTFiliDest->isChecked(), stPFiliDest};
    f.Cliente = {rbtTCliente->isChecked(), stCliente};
    f.MuniciCli = {rbtTMuniciCli->isChecked(), stMuniciCli};
    f.Origem = {rbtTOrigem->isChecked(), stOrigem};
    // Hidden groups keep what the record held: the clerk could not see them.
    if (!grbTipoDeOp->isHidden())
        f.TipoOper = {rbtTTipoOper->isChecked(), stTipoOpercao};
    if (!grbDepartamento->isHidden())
        f.Departamento = {rbtTDepto->isChecked(), stDept};
    if (!grbOrcamento->isHidden())
        f.Orcamento = {medOrcDe->text(), medOrcAte->text()};

    f.Entrega = {!hasDate(depDeEntrega), depDeEntrega->date(), depAteEntrega->date()};
    f.Emissao = {!hasDate(depDeEmissao), depDeEmissao->date(), depAteEmissao->date()};
    f.Importa = {!hasDate(depDeImporta), rdbSemEstoq->isChecked(), depDeImporta->date(), depAteImporta->date(),
                 Ajusta(medNrImporta->text(), 10)};
    f.Ordem.stOrdem = edtOrdem->text();
}
