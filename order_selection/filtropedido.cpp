#include "filtropedido.h"

#include "filtropedidodialog.h"

#include "guard.h"
#include "host.h"
#include "lookupquery.h"
#include "lookups/pesquisalista.h"
#include "recordset.h"
#include "values.h"
#include "widgets/buttonflat.h"
#include "widgets/dateeditplus.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace FiltroPedido {
// A dialog is open; a second call while it runs does not open another.
bool boIdCriado = false;
} // namespace FiltroPedido

bool CriaFiltroPedido(TFiltro& filtro, const FiltroPedidoTela& tela)
{
    if (FiltroPedido::boIdCriado)
        return false;
    FiltroPedido::boIdCriado = true;
    const auto released = qScopeGuard([] { FiltroPedido::boIdCriado = false; });
    // The hourglass covers building the dialog, not the clerk's work in it.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TfrmFiltroPedido dialog(filtro, tela);
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    return host().execModal(dialog) == QDialog::Accepted;
}

int ContaChecked(const QString& lista)
{
    return static_cast<int>(lista.count(u'_')) + 1;
}

// --- The dialog ---------------------------------------------------------------------------

// A code-list group: its options, look-up and the list it edits.
struct TfrmFiltroPedido::ListGroup {
    QRadioButton* todos;
    QRadioButton* lista;
    TButtonFlat* lookup;
    QString* list;
    void (TfrmFiltroPedido::*pick)();
};

TfrmFiltroPedido::TfrmFiltroPedido(TFiltro& filtro, const FiltroPedidoTela& tela)
    : TfrmFiltroPadrao(QStringLiteral("PED00101"), QStringLiteral("Filtro de Lançamento"), tela.parent),
      cdsNrPedido(new RecordSet(QStringLiteral("cdsNrPedido"), this)),
      cdsNota(new RecordSet(QStringLiteral("cdsNota"), this)),
      cdsOrigem(new RecordSet(QStringLiteral("cdsOrigem"), this)),
      filtro(filtro),
      tela(tela)
{
    setObjectName(QStringLiteral("frmFiltroPedido"));
    // The options are the clerk's to save and load; at opening the dialog
    // shows the filter in use.
    setAutoOptions(false);
    msgPadrao.load(QStringLiteral(":/catalogs/PED00101.msg"));
    buildControls();
    buildOrigens();
    createQueries();
    connectOptions();
    applyParameters();
}

TfrmFiltroPedido::~TfrmFiltroPedido() = default;

QList<TfrmFiltroPedido::ListGroup> TfrmFiltroPedido::listGroups()
{
    return {
        {rbtTCliente, rbtLCliente, btnCliente, &stCliente, &TfrmFiltroPedido::btnClienteClick},
        {rbtTVendedor, rbtLVendedor, btnVendedor, &stVendedor, &TfrmFiltroPedido::btnVendedorClick},
        {rbtTVendComis, rbtLVendComis, btnVendComis, &stVendComis, &TfrmFiltroPedido::btnVendComisClick},
        {rbtTProduto, rbtLProduto, btnProduto, &stProduto, &TfrmFiltroPedido::btnProdutoClick},
        {rbtTFiliDest, rbtLFiliDest, btnFiliDest, &stPFiliDest, &TfrmFiltroPedido::btnFiliDestClick},
        {rbtTMuniciCli, rbtLMuniciCli, btnMuniciCli, &stMuniciCli, &TfrmFiltroPedido::btnMuniciCliClick},
        {rbtTOrigem, rbtLOrigem, btnOrigem, &stOrigem, &TfrmFiltroPedido::btnOrigemClick},
        {rbtTTipoOper, rbtLTipoOper, btnTipoOper, &stTipoOpercao, &TfrmFiltroPedido::btnTipoOperClick},
        {rbtTDepto, rbtLDepto, btnDepto, &stDept, &TfrmFiltroPedido::btnDeptoClick},
    };
}

// --- Options --------------------------------------------------------------------------------

void TfrmFiltroPedido::connectOptions()
{
    for (QRadioButton* option : {rbtTNrPedido, rbtIntervalo, rbtLNrPedido})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                guarded([&] { nrPedidoOptionChanged(); });
        });
    connect(rbtIntervalo, &QRadioButton::clicked, this, [this] { medDeIntervalo->setFocus(); });
    for (QRadioButton* option : {rdbTNota, rdbInNota, rdbLNota})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                guarded([&] { notaChosen(); });
        });
    connect(rdbInNota, &QRadioButton::clicked, this, [this] { edtDeNota->setFocus(); });
    for (const ListGroup& group : listGroups()) {
        TButtonFlat* lookup = group.lookup;
        connect(group.lista, &QRadioButton::toggled, lookup, &QWidget::setEnabled);
        lookup->setEnabled(group.lista->isChecked());
        lookup->onClick = [this, pick = group.pick](TButtonFlat&) { (this->*pick)(); };
    }
    btnNrPedido->onClick = [this](TButtonFlat&) { btnNrPedidoClick(); };
    btnNota->onClick = [this](TButtonFlat&) { btnNotaClick(); };

    connect(medOrcDe, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = medOrcDe->cursorPosition();
        medOrcDe->setText(text.toUpper());
        medOrcDe->setCursorPosition(cursor);
        medOrcAte->setText(medOrcDe->text());
    });
    connect(medOrcAte, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = medOrcAte->cursorPosition();
        medOrcAte->setText(text.toUpper());
        medOrcAte->setCursorPosition(cursor);
    });
    for (QLineEdit* edit : {medDeIntervalo, medAteIntervalo, edtDeNota, edtAteNota, medOrcDe, medOrcAte, medNrImporta})
        edit->installEventFilter(this);

    connect(sbtLimpa, &QPushButton::clicked, this, [this] { guarded([&] { sbtLimpaClick(); }); });
    nrPedidoOptionChanged();
    notaOptionChanged();
}

void TfrmFiltroPedido::nrPedidoOptionChanged()
{
    const bool intervalo = rbtIntervalo->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{lblDeIntervalo, lblAteIntervalo, medDeIntervalo, medAteIntervalo})
        widget->setEnabled(intervalo);
    btnNrPedido->setEnabled(rbtLNrPedido->isChecked());
}

void TfrmFiltroPedido::notaOptionChanged()
{
    const bool intervalo = rdbInNota->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{lblDeNota, lblAteNota, edtDeNota, edtAteNota})
        widget->setEnabled(intervalo);
    btnNota->setEnabled(rdbLNota->isChecked());
    grbStatusPedido->setEnabled(rdbTNota->isChecked());
}

// Invoices exist only for orders that were delivered in whole or in part, so
// filtering by invoice admits those statuses alone.
void TfrmFiltroPedido::notaChosen()
{
    if (rdbTNota->isChecked()) {
        stNota.clear();
        edtDeNota->clear();
        edtAteNota->clear();
    } else if (rdbInNota->isChecked()) {
        stNota.clear();
        forceInvoicedStatuses();
    } else {
        edtDeNota->clear();
        edtAteNota->clear();
        forceInvoicedStatuses();
    }
    notaOptionChanged();
}

void TfrmFiltroPedido::forceInvoicedStatuses()
{
    chbPendente->setChecked(false);
    chbAndamento->setChecked(false);
    chbLiquidado->setChecked(true);
    chbCancelado->setChecked(false);
    chbParcialmente->setChecked(true);
}

void TfrmFiltroPedido::widenOnExit(QObject* edit)
{
    if (edit == medDeIntervalo) {
        medDeIntervalo->setText(Ajusta(medDeIntervalo->text(), 10));
        if (medAteIntervalo->text().isEmpty())
            medAteIntervalo->setText(medDeIntervalo->text());
    } else if (edit == medAteIntervalo) {
        medAteIntervalo->setText(Ajusta(medAteIntervalo->text(), 10));
    } else if (edit == medOrcDe || edit == medOrcAte) {
        medOrcDe->setText(Ajusta(medOrcDe->text(), 10));
        medOrcAte->setText(Ajusta(medOrcAte->text(), 10));
    } else if (edit == edtDeNota || edit == edtAteNota) {
        auto* invoice = static_cast<QLineEdit*>(edit);
        invoice->setText(Ajusta(invoice->text(), 20));
    } else if (edit == medNrImporta) {
        medNrImporta->setText(Ajusta(medNrImporta->text(), 10));
    }
}

bool TfrmFiltroPedido::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        guarded([&] { widenOnExit(watched); });
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9
               && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        TButtonFlat* lookup = nullptr;
        if (watched == rbtLNrPedido)
            lookup = btnNrPedido;
        else if (watched == rdbLNota)
            lookup = btnNota;
        for (const ListGroup& group : listGroups())
            if (watched == group.lista)
                lookup = group.lookup;
        if (lookup) {
            if (lookup->isEnabled())
                lookup->click();
            return true;
        }
    }
    return TfrmFiltroPadrao::eventFilter(watched, event);
}

void TfrmFiltroPedido::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_D && event->modifiers() == Qt::ControlModifier) {
        event->accept();
        sbtLimpaClick();
        return;
    }
    TfrmFiltroPadrao::FormKeyDown(event);
}

// --- Activation -----------------------------------------------------------------------------

// The filter is shown once, when the dialog first becomes active. Coming back
// from a look-up window, or from another window, keeps what the clerk changed.
bool TfrmFiltroPedido::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !m_loaded)
        guarded([&] { FormActivate(); });
    return TfrmFiltroPadrao::event(event);
}

void TfrmFiltroPedido::showEvent(QShowEvent* event)
{
    TfrmFiltroPadrao::showEvent(event);
    if (!m_loaded)
        guarded([&] { FormActivate(); });
}

namespace {

void chooseList(QRadioButton* todos, QRadioButton* lista, bool boTodos)
{
    (boTodos ? todos : lista)->setChecked(true);
}

void chooseOf3(QRadioButton* todos, QRadioButton* intervalo, QRadioButton* lista, bool boTodos, bool boIntervalo)
{
    (boIntervalo ? intervalo : boTodos ? todos : lista)->setChecked(true);
}

} // namespace

void TfrmFiltroPedido::FormActivate()
{
    m_loaded = true;
    const TFiltro& f = filtro;

    medDeIntervalo->setText(f.NrPedido.stDe);
    medAteIntervalo->setText(f.NrPedido.stAte);
    stNrPedido = f.NrPedido.stNrPedido;
    chooseOf3(rbtTNrPedido, rbtIntervalo, rbtLNrPedido, f.NrPedido.boTodos, f.NrPedido.boIntervalo);
    chooseOf3(rdbTNota, rdbInNota, rdbLNota, f.Nota.boTodos && !f.Nota.boIntervalo, f.Nota.boIntervalo);
    edtDeNota->setText(f.Nota.stDe);
    edtAteNota->setText(f.Nota.stAte);
    stNota = f.Nota.stNota;

    chbBaixa->setChecked(f.Prioridade.boBaixa);
    chbNormal->setChecked(f.Prioridade.boNormal);
    chbAlta->setChecked(f.Prioridade.boAlta);
    chbUrgente->setChecked(f.Prioridade.boUrgente);
    chbPrioritaria->setChecked(f.Prioridade.boPrioritaria);
    chbPendente->setChecked(f.StatusPedido.boPendente);
    chbAndamento->setChecked(f.StatusPedido.boAndamento);
    chbLiquidado->setChecked(f.StatusPedido.boLiquidado);
    chbCancelado->setChecked(f.StatusPedido.boCancelado);
    chbParcialmente->setChecked(f.StatusPedido.boParcialmente);
    chbIPendente->setChecked(f.StatusIPedido.boPendente);
    chbIConfirmado->setChecked(f.StatusIPedido.boConfirmado);
    chbIAprovado->setChecked(f.StatusIPedido.boAprovado);
    chbILiquidado->setChecked(f.StatusIPedido.boLiquidado);
    chbICancelado->setChecked(f.StatusIPedido.boCancelado);
    chbIParcialmente->setChecked(f.StatusIPedido.boParcialmente);
    chbPedido->setChecked(f.TipoPedido.boPedido);
    chbOrcamento->setChecked(f.TipoPedido.boOrcamento);

    edtOrdem->setText(f.Ordem.stOrdem);
    medOrcDe->setText(f.Orcamento.stIntervaloDe);
    medOrcAte->setText(f.Orcamento.stintervaloAte);
    depDeEmissao->setDate(f.Emissao.dtDe);
    depAteEmissao->setDate(f.Emissao.dtAte);
    depDeEntrega->setDate(f.Entrega.dtDe);
    depAteEntrega->setDate(f.Entrega.dtAte);
    depDeImporta->setDate(f.Importa.dtDe);
    depAteImporta->setDate(f.Importa.dtAte);
    medNrImporta->setText(f.Importa.numero);
    (f.Importa.boSemEstoque ? rdbSemEstoq : rdbTodosPed)->setChecked(true);

    stCliente = f.Cliente.stCliente;
    stVendedor = f.Vendedor.stVendedor;
    stVendComis = f.VendComis.stVendComis;
    stProduto = f.Produto.stProduto;
    stPFiliDest = f.FiliDest.stFiliDest;
    stMuniciCli = f.MuniciCli.stMuniciCli;
    stOrigem = f.Origem.stOrigem;
    stTipoOpercao = f.TipoOper.stCdTipoOper;
    stDept = f.Departamento.stDepartamento;
    chooseList(rbtTCliente, rbtLCliente, f.Cliente.boTodos);
    chooseList(rbtTVendedor, rbtLVendedor, f.Vendedor.boTodos);
    chooseList(rbtTVendComis, rbtLVendComis, f.VendComis.boTodos);
    chooseList(rbtTProduto, rbtLProduto, f.Produto.boTodos);
    chooseList(rbtTFiliDest, rbtLFiliDest, f.FiliDest.boTodos);
    chooseList(rbtTMuniciCli, rbtLMuniciCli, f.MuniciCli.boTodos);
    chooseList(rbtTOrigem, rbtLOrigem, f.Origem.boTodos);
    chooseList(rbtTTipoOper, rbtLTipoOper, f.TipoOper.boTodos);
    chooseList(rbtTDepto, rbtLDepto, f.Departamento.boTodos);

    nrPedidoOptionChanged();
    notaOptionChanged();
    restrictSeller();
}

// An operator bound to no order type sees only the orders of the seller he
// logged in as; the seller group then says nothing.
void TfrmFiltroPedido::restrictSeller()
{
    if (!m_restrictedSeller)
        return;
    for (QRadioButton* option : {rbtTVendedor, rbtLVendedor}) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    grbVendedor->setEnabled(false);
}

// --- Reset ----------------------------------------------------------------------------------

void TfrmFiltroPedido::sbtLimpaClick()
{
    for (QString* list : {&stNrPedido, &stNota, &stCliente, &stVendedor, &stVendComis, &stProduto, &stMuniciCli,
                          &stPFiliDest, &stTipoOpercao, &stDept, &stOrigem})
        list->clear();
    rbtTNrPedido->setChecked(true);
    medDeIntervalo->clear();
    medAteIntervalo->clear();
    for (QCheckBox* box : {chbBaixa, chbNormal, chbAlta, chbUrgente, chbPrioritaria})
        box->setChecked(true);
    chbPendente->setChecked(true);
    chbAndamento->setChecked(true);
    chbLiquidado->setChecked(false);
    chbCancelado->setChecked(false);
    chbParcialmente->setChecked(false);
    for (QCheckBox* box : {chbIPendente, chbIConfirmado, chbIAprovado, chbILiquidado, chbICancelado, chbIParcialmente})
        box->setChecked(true);
    for (const ListGroup& group : listGroups())
        group.todos->setChecked(true);
    chbPedido->setChecked(true);
    chbOrcamento->setChecked(false);
    const QDate today = QDate::currentDate();
    depDeEmissao->setDate(PriDiaMes(today));
    depAteEmissao->setDate(UltimoDiaMes(today));
    depDeEntrega->clear();
    depAteEntrega->clear();
    medOrcDe->clear();
    medOrcAte->clear();
    edtOrdem->clear();
    edtDeNota->clear();
    edtAteNota->clear();
    rdbTNota->setChecked(true);
    nrPedidoOptionChanged();
    notaOptionChanged();
    restrictSeller();
}

// --- Saved options --------------------------------------------------------------------------

namespace {

struct SavedList {
    const char* key;
    QString TfrmFiltroPedido::*list;
};

const SavedList savedLists[] = {
    {"stCliente", &TfrmFiltroPedido::stCliente},         {"stMuniciCli", &TfrmFiltroPedido::stMuniciCli},
    {"stNrPedido", &TfrmFiltroPedido::stNrPedido},       {"stProduto", &TfrmFiltroPedido::stProduto},
    {"stVendedor", &TfrmFiltroPedido::stVendedor},       {"stVendComis", &TfrmFiltroPedido::stVendComis},
    {"stFiliDest", &TfrmFiltroPedido::stPFiliDest},      {"stTipoOpercao", &TfrmFiltroPedido::stTipoOpercao},
    {"stDept", &TfrmFiltroPedido::stDept},               {"stOrigem", &TfrmFiltroPedido::stOrigem},
};

bool isListText(const QString& text)
{
    try {
        listTextCodes(text);
        return true;
    } catch (const ListTextError&) {
        return false;
    }
}

} // namespace

void TfrmFiltroPedido::btfSaveOpcClick()
{
    for (const SavedList& saved : savedLists)
        lstOpcoes.insert(QString::fromLatin1(saved.key), this->*saved.list);
    TfrmFiltroPadrao::btfSaveOpcClick();
}

void TfrmFiltroPedido::btfLoadOpcClick()
{
    TfrmFiltroPadrao::btfLoadOpcClick();
    QStringList dropped;
    for (const SavedList& saved : savedLists) {
        const QString text = lstOpcoes.value(QString::fromLatin1(saved.key));
        // A list the server could not read would fail every order query.
        if (!isListText(text))
            dropped << QString::fromLatin1(saved.key);
        this->*saved.list = isListText(text) ? text : QString();
    }
    nrPedidoOptionChanged();
    notaOptionChanged();
    restrictSeller();
    if (!dropped.isEmpty())
        host().showMessage(MsgType::Warning,
                           QStringLiteral("Listas salvas que não puderam ser lidas foram descartadas: %1.")
                               .arg(dropped.join(QStringLiteral(", "))),
                           MsgButton::Ok, MsgButton::Ok);
}
