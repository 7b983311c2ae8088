#include "alteracaoprecoauto.h"

#include "abort.h"
#include "busy.h"
#include "context.h"
#include "datapacket.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "lookupquery.h"
#include "lookups/pesquisalista.h"
#include "messages.h"
#include "method_catalogue.h"
#include "netconnection.h"
#include "recordset.h"
#include "rpcarg.h"
#include "screens/dbgeral.h"
#include "serverresult.h"
#include "taxnumbers.h"
#include "values.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbgrid.h"
#include "widgets/form.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace AlteracaoPrecoAuto {
// Created on first use and kept; it goes with the screen that owns it.
QPointer<TfrmAlteracaoPrecoAuto> frmAlteracaoPrecoAuto;
} // namespace AlteracaoPrecoAuto

namespace {

QGroupBox* grupo(QWidget* parent, const QString& titulo, QRadioButton*& todos, QRadioButton*& lista, QPushButton*& botao,
                 const char* nome)
{
    auto* box = Form::named(new QGroupBox(titulo, parent), QStringLiteral("grb%1").arg(QLatin1String(nome)));
    auto* linha = new QHBoxLayout(box);
    todos = Form::named(new QRadioButton(QStringLiteral("Todos"), box), QStringLiteral("rbtT%1").arg(QLatin1String(nome)));
    lista = Form::named(new QRadioButton(QStringLiteral("Lista"), box), QStringLiteral("rbtL%1").arg(QLatin1String(nome)));
    botao = Form::named(new QPushButton(QStringLiteral("..."), box), QStringLiteral("btn%1").arg(QLatin1String(nome)));
    linha->addWidget(todos);
    linha->addWidget(lista);
    linha->addWidget(botao);
    QObject::connect(lista, &QRadioButton::toggled, botao, &QPushButton::setEnabled);
    return box;
}

void mostraCodigosDeProduto(RecordSet& rows)
{
    const QString mask = DBPict(PictProduto);
    rows.fieldByName(QStringLiteral("CDARVPROD")).onGetText = [mask](Field& code, bool) {
        return FormatWithMask(code.asString(), mask);
    };
}

} // namespace

void CriaAlteracaoPrecoAuto(const AlteracaoPrecoAutoTela& tela)
{
    using AlteracaoPrecoAuto::frmAlteracaoPrecoAuto;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (frmAlteracaoPrecoAuto && frmAlteracaoPrecoAuto->parentWidget() != tela.parent)
        delete frmAlteracaoPrecoAuto;
    if (!frmAlteracaoPrecoAuto)
        frmAlteracaoPrecoAuto = new TfrmAlteracaoPrecoAuto(tela.parent);
    frmAlteracaoPrecoAuto->FormActivate(tela);
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    host().execModal(*frmAlteracaoPrecoAuto);
}

TfrmAlteracaoPrecoAuto::TfrmAlteracaoPrecoAuto(QWidget* parent)
    : TfrmRotiGeral(QStringLiteral("PED00110"), QStringLiteral("Alteração de Preço Automático"), parent),
      cdsProdCli(new RecordSet(QStringLiteral("cdsProdCli"), this)),
      cdsProdGrid(new RecordSet(QStringLiteral("cdsProdGrid"), this)),
      dtsProdGrid(new DataSource(QStringLiteral("dtsProdGrid"), this))
{
    setObjectName(QStringLiteral("frmAlteracaoPrecoAuto"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00110.msg"));

    auto* principal = new QVBoxLayout(panPrincipal);
    grbCriterios = Form::named(new QGroupBox(panPrincipal), QStringLiteral("grbCriterios"));
    auto* criterios = new QGridLayout(grbCriterios);
    criterios->addWidget(grupo(grbCriterios, QStringLiteral("Cliente"), rbtTCliente, rbtLCliente, btnCliente, "Cliente"), 0, 0);
    rbtTCliente->setEnabled(false);   // the change is for chosen customers only

    auto* datas = Form::named(new QGroupBox(QStringLiteral("Data Entrega"), grbCriterios), QStringLiteral("grbDataEntrega"));
    auto* linhaDatas = new QHBoxLayout(datas);
    depDeEntrega = Form::named(new TDateEditPlus(datas), QStringLiteral("depDeEntrega"));
    depAteEntrega = Form::named(new TDateEditPlus(datas), QStringLiteral("depAteEntrega"));
    linhaDatas->addWidget(Form::caption(datas, QStringLiteral("Inicial"), depDeEntrega));
    linhaDatas->addWidget(depDeEntrega);
    linhaDatas->addWidget(Form::caption(datas, QStringLiteral("Final"), depAteEntrega));
    linhaDatas->addWidget(depAteEntrega);
    criterios->addWidget(datas, 0, 1);
    criterios->addWidget(grupo(grbCriterios, QStringLiteral("Produto"), rbtTProduto, rbtLProduto, btnProduto, "Produto"), 1, 0);
    criterios->addWidget(grupo(grbCriterios, QStringLiteral("Tipo de Operação"), rbtTTipoOper, rbtLTipoOper, btnTipoOper, "TipoOper"),
                         1, 1);
    principal->addWidget(grbCriterios);

    dtsProdGrid->setDataSet(cdsProdGrid);
    dbgProdGrid = Form::named(new DBGrid(panPrincipal), QStringLiteral("dbgProdGrid"));
    dbgProdGrid->setDataSource(dtsProdGrid);
    dbgProdGrid->setMinimumSize(640, 260);
    const QList<std::pair<const char*, const char*>> colunas{{"CDARVPROD", "Código"},
                                                             {"NMPRODUTO", "Produto"},
                                                             {"VRPREUNITPED", "Preço Unitário"},
                                                             {"NOVOVALOR", "Novo Preço Unitário"}};
    for (const auto& [campo, titulo] : colunas)
        dbgProdGrid->addColumn(QString::fromLatin1(campo), QString::fromUtf8(titulo));
    principal->addWidget(dbgProdGrid);

    for (auto* box : {rbtLCliente, rbtLProduto, rbtLTipoOper})
        box->installEventFilter(this);
    for (QWidget* criterio : grbCriterios->findChildren<QWidget*>())
        criterio->installEventFilter(this);
    dbgProdGrid->installEventFilter(this);

    const auto liga = [this](QPushButton* botao, void (TfrmAlteracaoPrecoAuto::*acao)()) {
        connect(botao, &QPushButton::clicked, this, [this, acao] { guarded([&] { (this->*acao)(); }); });
    };
    liga(btnCliente, &TfrmAlteracaoPrecoAuto::btnClienteClick);
    liga(btnProduto, &TfrmAlteracaoPrecoAuto::btnProdutoClick);
    liga(btnTipoOper, &TfrmAlteracaoPrecoAuto::btnTipoOperClick);
    for (TDateEditPlus* data : {depDeEntrega, depAteEntrega}) {
        data->onExit = [this](TDateEditPlus& edit) {
            if (!edit.isEmpty() && !edit.hasValidDate()) {
                edit.setFocus();
                MensErro(u'\'' + edit.text() + QStringLiteral("' ") + msgPadrao.Msg(QStringLiteral("DATA_INV")), true);
                throw Abort();
            }
        };
    }

    // Rows cannot be added; leaving the new price posts the row, and so does
    // the confirmation, which a price being typed already allows.
    cdsProdGrid->beforeInsert = [](RecordSet&) { throw Abort(); };
    for (RecordSet::Event* evento : {&cdsProdGrid->afterEdit, &cdsProdGrid->afterPost, &cdsProdGrid->afterCancel})
        *evento = [this](RecordSet&) { habilitaConfirma(); };
    dbgProdGrid->onColExit = [this](DBGrid& grade) {
        const Field* saindo = grade.selectedField();
        if (saindo && saindo->name() == u"NOVOVALOR" && cdsProdGrid->isEditing())
            cdsProdGrid->post();
    };
}

TfrmAlteracaoPrecoAuto::~TfrmAlteracaoPrecoAuto() = default;

void TfrmAlteracaoPrecoAuto::FormActivate(const AlteracaoPrecoAutoTela& dados)
{
    tela = dados;
    rbtLCliente->setChecked(true);
    rbtTProduto->setChecked(true);
    rbtTTipoOper->setChecked(true);
    btnProduto->setEnabled(false);
    btnTipoOper->setEnabled(false);
    depDeEntrega->clear();
    depAteEntrega->clear();
    const int dias = tela.nrDiasEntPed.trimmed().toInt();
    if (!tela.nrDiasEntPed.trimmed().isEmpty() && dias != 0) {
        const QDate hoje = QDate::currentDate();
        depDeEntrega->setDate(hoje);
        depAteEntrega->setDate(DataUtil(tela.cdFilial, hoje, dias));
    }
    stCliente.clear();
    stProduto.clear();
    stTipoOper.clear();
    stDataVazia.clear();
    FechaGrade();
}

// ---- group checks ------------------------------------------------------------------

void TfrmAlteracaoPrecoAuto::falha(QWidget* foco, const QString& key)
{
    foco->setFocus();
    MensErro(msgPadrao.Msg(key), true);
    throw Abort();   // MensErro with the abort flag does not return
}

void TfrmAlteracaoPrecoAuto::Vd_Cliente()
{
    if (stCliente.isEmpty())
        falha(rbtLCliente, QStringLiteral("CL_INF"));
}

void TfrmAlteracaoPrecoAuto::Vd_Produto()
{
    if (rbtLProduto->isChecked() && stProduto.isEmpty())
        falha(rbtLProduto, QStringLiteral("PR_INF"));
}

void TfrmAlteracaoPrecoAuto::Vd_TipoOper()
{
    if (rbtLTipoOper->isChecked() && stTipoOper.isEmpty())
        falha(rbtLTipoOper, QStringLiteral("TO_INF"));
}

void TfrmAlteracaoPrecoAuto::Vd_DataEntrega()
{
    if (depDeEntrega->date().isNull())
        falha(depDeEntrega, QStringLiteral("DT_INI_INF"));
    if (depAteEntrega->date().isNull())
        falha(depAteEntrega, QStringLiteral("DT_FIN_INF"));
    if (depAteEntrega->date() < depDeEntrega->date())
        falha(depDeEntrega, QStringLiteral("DT_MENOR"));
    recalculaDataVazia();
}

void TfrmAlteracaoPrecoAuto::recalculaDataVazia()
{
    stDataVazia = depDeEntrega->isEmpty() && depAteEntrega->isEmpty() ? QStringLiteral("T") : QString();
}

// ---- look-ups ----------------------------------------------------------------------

void TfrmAlteracaoPrecoAuto::btnClienteClick()
{
    FechaGrade();
    LookupQuery qryCliente(QStringLiteral("qryCliente"), dtmDBGeral(),
                           QStringLiteral("SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE FROM CLIENTE"
                                          " ORDER BY NRINSJURCLIE"));
    qryCliente.open();
    if (qryCliente.isEmpty())
        falha(rbtLCliente, QStringLiteral("CLIE_N_CAD"));
    RecordSet rows(qryCliente.name());
    rows.setData(qryCliente.toPacket());
    Field& kind = rows.fieldByName(QStringLiteral("IDTPIJURCLIE"));
    kind.setVisible(false);
    rows.fieldByName(QStringLiteral("NRINSJURCLIE")).onGetText = [&kind](Field& number, bool) {
        return FormatInscricao(number.asString(), kind.asString());
    };
    PesquisaLista(rows, QStringLiteral("CDCLIENTE"), msgPadrao.Msg(QStringLiteral("CLIENTE")), false, stCliente);
}

void TfrmAlteracaoPrecoAuto::btnProdutoClick()
{
    FechaGrade();
    recalculaDataVazia();
    {
        const BusyScope aguarde(this);
        const QJsonValue produtos = CheckResultServ(tela.netLanPed->call(Rpc::LanPedido::GetProdCli, criterios()));
        cdsProdCli->setData(DataPacket::fromJson(produtos.toObject()));
    }
    cdsProdCli->fieldByName(QStringLiteral("CDPRODINTE")).setDisplayLabel(QStringLiteral("Código Externo"));
    cdsProdCli->fieldByName(QStringLiteral("CDPRODUTO")).setDisplayLabel(QStringLiteral("Cód. Interno"));
    mostraCodigosDeProduto(*cdsProdCli);
    PesquisaLista(*cdsProdCli, QStringLiteral("CDPRODUTO"), msgPadrao.Msg(QStringLiteral("PRODUTO")), false, stProduto);
    if (!stProduto.isEmpty())
        CarregaGrade();
}

void TfrmAlteracaoPrecoAuto::btnTipoOperClick()
{
    LookupQuery qryTipoOper(QStringLiteral("qryTipoOper"), dtmDBGeral(),
                            QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP FROM TIPOOPERAC"
                                           " WHERE IDENTRSAIDOP = 'S' AND IDORIGDESTOP IN ('C', 'L') ORDER BY CDTIPOOPER"));
    qryTipoOper.open();
    RecordSet rows(qryTipoOper.name());
    rows.setData(qryTipoOper.toPacket());
    PesquisaLista(rows, QStringLiteral("CDTIPOOPER"), msgPadrao.Msg(QStringLiteral("TIPOOPER")), false, stTipoOper);
}

// F9 on a "Lista" option runs its look-up; the focus entering the criteria
// closes the grid, and leaving them for the grid loads it.
bool TfrmAlteracaoPrecoAuto::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9) {
        const std::pair<QRadioButton*, void (TfrmAlteracaoPrecoAuto::*)()> pesquisas[] = {
            {rbtLCliente, &TfrmAlteracaoPrecoAuto::btnClienteClick},
            {rbtLProduto, &TfrmAlteracaoPrecoAuto::btnProdutoClick},
            {rbtLTipoOper, &TfrmAlteracaoPrecoAuto::btnTipoOperClick}};
        for (const auto& [opcao, acao] : pesquisas)
            if (watched == opcao && opcao->isChecked()) {
                guarded([&] { (this->*acao)(); });
                return true;
            }
    }
    if (event->type() == QEvent::FocusIn && !m_carregando) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == dbgProdGrid && !cdsProdGrid->isActive())
                guarded([&] { CarregaGrade(); });
            else if (watched != dbgProdGrid && cdsProdGrid->isActive() && !cdsProdGrid->hasChanges())
                FechaGrade();
        }
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

// ---- the grid ----------------------------------------------------------------------

QList<RpcArg> TfrmAlteracaoPrecoAuto::criterios()
{
    const auto dia = [this](const TDateEditPlus* edit) -> RpcArg {
        return stDataVazia == u"T" || edit->date().isNull() ? RpcArg(nullptr) : RpcArg(edit->date());
    };
    return {rbtTCliente->isChecked(), RpcArg::ref(stCliente), RpcArg::ref(stDataVazia), dia(depDeEntrega), dia(depAteEntrega),
            rbtTTipoOper->isChecked(), RpcArg::ref(stTipoOper)};
}

void TfrmAlteracaoPrecoAuto::FechaGrade()
{
    cdsProdGrid->close();
    habilitaConfirma();
}

void TfrmAlteracaoPrecoAuto::CarregaGrade()
{
    const QScopedValueRollback carregando(m_carregando, true);
    Vd_Cliente();
    Vd_Produto();
    Vd_TipoOper();
    if (!depDeEntrega->isEmpty() || !depAteEntrega->isEmpty())
        Vd_DataEntrega();
    recalculaDataVazia();
    QList<RpcArg> argumentos = criterios();
    argumentos << RpcArg(rbtTProduto->isChecked()) << RpcArg::ref(stProduto);
    {
        const BusyScope aguarde(this);
        const QJsonValue grade = CheckResultServ(tela.netLanPed->call(Rpc::LanPedido::GetProdGrid, argumentos));
        cdsProdGrid->setData(DataPacket::fromJson(grade.toObject()));
    }
    const auto coluna = [this](const char* nome) -> Field& { return cdsProdGrid->fieldByName(QString::fromLatin1(nome)); };
    coluna("CDARVPROD").setDisplayLabel(QStringLiteral("Código"));
    coluna("NMPRODUTO").setDisplayLabel(QStringLiteral("Produto"));
    coluna("CDPRODUTO").setVisible(false);
    coluna("CDPRODINTE").setVisible(false);
    coluna("VRPREUNITPED").setDisplayLabel(QStringLiteral("Preço Unitário"));
    coluna("NOVOVALOR").setDisplayLabel(QStringLiteral("Novo Preço Unitário"));
    for (const char* nome : {"CDARVPROD", "NMPRODUTO", "VRPREUNITPED"})
        coluna(nome).setReadOnly(true);
    for (const char* nome : {"VRPREUNITPED", "NOVOVALOR"})
        coluna(nome).setDisplayFormat(QStringLiteral("#,##0.00"));
    mostraCodigosDeProduto(*cdsProdGrid);
    habilitaConfirma();
}

void TfrmAlteracaoPrecoAuto::habilitaConfirma()
{
    sbtConfirma->setEnabled(cdsProdGrid->isActive() && !cdsProdGrid->isEmpty()
                            && (cdsProdGrid->hasChanges() || cdsProdGrid->isEditing()));
}

// ---- confirmation --------------------------------------------------------------------

void TfrmAlteracaoPrecoAuto::mostraBloqueio(const QJsonValue& pedidos)
{
    const DataPacket bloqueados = DataPacket::fromJson(pedidos.toObject());
    QString lista;
    for (const QVariantList& pedido : bloqueados.rows)
        lista += QStringLiteral("\nFilial %1, pedido %2 (situação %3)").arg(pedido.at(0).toString(), pedido.at(1).toString(),
                                                                             pedido.at(2).toString());
    cdsProdGrid->cancelUpdates();
    habilitaConfirma();
    MensErro(FormatMsg(msgPadrao.Msg(QStringLiteral("PED_BLOQ")), {lista}), true);
    throw Abort();
}

void TfrmAlteracaoPrecoAuto::sbtConfirmaClick()
{
    Vd_Produto();
    if (!depDeEntrega->isEmpty() || !depAteEntrega->isEmpty())
        Vd_DataEntrega();
    if (cdsProdGrid->isEditing())
        cdsProdGrid->post();
    if (!cdsProdGrid->isActive() || cdsProdGrid->isEmpty() || !cdsProdGrid->hasChanges())
        return;
    if (msgPadrao.ShowMsg(QStringLiteral("Confirma"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;

    QList<RpcArg> argumentos{RpcArg(cdsProdGrid->data())};
    argumentos.append(criterios());
    QJsonArray resposta;
    {
        const BusyScope aguarde(this);
        auto cancelaDigitados = qScopeGuard([this] {
            cdsProdGrid->cancelUpdates();
            habilitaConfirma();
        });
        resposta = CheckResultServ(tela.netLanPed->call(Rpc::LanPedido::SetAlteracaoPreco, argumentos)).toArray();
        cancelaDigitados.dismiss();
    }
    using namespace Rpc::LanPedido::SetAlteracaoPrecoResult;
    if (resposta.at(Resposta).toString() != u"OK")
        mostraBloqueio(resposta.at(PedidosBloqueados));
    cdsProdGrid->mergeChangeLog();
    CarregaGrade();
    msgPadrao.ShowMsg(QStringLiteral("Sucesso"), MsgType::Information, MsgButton::Ok);
}
