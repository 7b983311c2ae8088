// Creation, activation and closing of the order entry screen, its tool
// panel, the busy animation around server calls and the operator's saved
// column order.

#include "lanpedido.h"
#include "lanpedido_unit.h"

#include "busy.h"
#include "context.h"
#include "guard.h"
#include "host.h"
#include "messages.h"
#include "netconnection.h"
#include "recordset.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"
#include "widgets/dateeditplus.h"
#include "widgets/form.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace {

const QString CodigoTela = QStringLiteral("PED00100");

} // namespace

void CarregaPacote(RecordSet& cds, const QJsonValue& packet)
{
    if (!packet.isObject())
        throw std::runtime_error(QStringLiteral("%1: o servidor não devolveu um pacote de dados.").arg(cds.name()).toStdString());
    cds.setData(DataPacket::fromJson(packet.toObject()));
}

bool TelaPequena(const QSize& screenSize)
{
    return screenSize == QSize(640, 480);
}

namespace LanPedido {

void resetUnit()
{
    boMens = boPrazo = true;
    boConfirmaMod = false;
    boValidaDataComissao = boValidaDescMax = boShowAvi = true;
    boModMsg = boGetPedido = boParamGerPed = boCtrlDel = false;
    boReseAuto = boEntrar = boAlteraSituItem = boBotaoIncuiItem = false;
    boAlteraCliente = boAlteraFilialDest = boNaoAlterado = false;
    Soma = 0;
    for (QString* text : {&stAltSitItem, &stCdClie, &stVend, &stModPgto, &stModPgtoAux, &stCdModPag, &stNovoModPag,
                          &stPreco, &stItem, &stNrItem, &stCdProdAnt, &stDadoTrans, &stForma, &stCdCliente, &stIns})
        text->clear();
    vrLimiteDesconto = vrLimiteCredito = -1.0;
    Filtro = TFiltro();
}

} // namespace LanPedido

using namespace LanPedido;
using namespace Rpc::LanPedido;

void CriaLanctoPedido()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    if (!boStCriado) {
        // A screen whose creation failed is not kept: the next call tries anew.
        auto screen = std::make_unique<TfrmLanPedido>();
        frmLanPedido = screen.release();
        boStCriado = true;
    }
    host().presentScreen(frmLanPedido);
    QWidget* window = frmLanPedido;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(frmLanPedido->parentWidget()))
        window = frame;
    const QScreen* display = window->screen();
    if (display && TelaPequena(display->size()))
        window->showMaximized();
    else if (window->isMaximized() || window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    frmLanPedido->FormActivate();
}

TfrmLanPedido::TfrmLanPedido(QWidget* parent)
    : TfrmPadraoGrid(CodigoTela, QStringLiteral("Lançamento de Pedidos"), parent)
{
    setObjectName(QStringLiteral("frmLanPedido"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00100.msg"));
    netLanPed = new TNetConnection(ServerNames::LanPedido, this);
    netLanPed->setObjectName(QStringLiteral("netLanPed"));
    netNotaPed = new TNetConnection(ServerNames::NotaPedido, this);
    netNotaPed->setObjectName(QStringLiteral("netNotaPed"));
    criaRecordSets();
    criaPainelFerramentas();
    criaPaginas();
    ligaEventos();
    // As large as the shell's work area allows: the toolbar carries the branch
    // and the order's caption, and the grids have many columns.
    resize(1600, 900);
    m_pronto = true;
    FormCreate();
}

TfrmLanPedido::~TfrmLanPedido()
{
    if (frmLanPedido == this) {
        frmLanPedido = nullptr;
        boStCriado = false;
    }
}

void TfrmLanPedido::criaPainelFerramentas()
{
    auto* painel = new QFrame(this);
    painel->setObjectName(QStringLiteral("panFerramentas"));
    painel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(painel);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(2);

    // The branch sits in the main toolbar, after the commands, where there is room.
    panFilial = new QWidget(tlbPadrao);
    panFilial->setObjectName(QStringLiteral("panFilial"));
    auto* filial = new QHBoxLayout(panFilial);
    filial->setContentsMargins(0, 0, 0, 0);
    filial->setSpacing(2);
    lblFilial = new QLabel(QStringLiteral("Filial:"), panFilial);
    lblFilial->setObjectName(QStringLiteral("lblFilial"));
    medCdFilial = new QLineEdit(panFilial);
    medCdFilial->setObjectName(QStringLiteral("medCdFilial"));
    medCdFilial->setInputMask(QStringLiteral("9999;_"));
    medCdFilial->setFixedWidth(medCdFilial->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    lblFilial->setBuddy(medCdFilial);
    btnFilial = Form::lookupButton(panFilial, QStringLiteral("btnFilial"));
    edtNmFilial = new QLineEdit(panFilial);
    edtNmFilial->setObjectName(QStringLiteral("edtNmFilial"));
    edtNmFilial->setReadOnly(true);
    edtNmFilial->setFocusPolicy(Qt::NoFocus);
    edtNmFilial->setMinimumWidth(180);
    filial->addWidget(lblFilial);
    filial->addWidget(medCdFilial);
    filial->addWidget(btnFilial);
    filial->addWidget(edtNmFilial);
    panFilial->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* barra = static_cast<QHBoxLayout*>(tlbPadrao->layout());
    barra->insertSpacing(barra->indexOf(sbtFechar) + 1, 16);
    barra->insertWidget(barra->indexOf(sbtFechar) + 2, panFilial);

    mnuManutencao = mnuPrincipal->addMenu(QStringLiteral("&Manutenção"));
    mnuManutencao->setObjectName(QStringLiteral("mnuManutencao"));
    // A tool button and, when named, the menu item that follows it and presses it.
    auto botao = [&](const char* name, const QString& caption, const QString& hint, const char* menuName,
                     const QKeySequence& keys, QAction** menuItem) {
        auto* button = new QToolButton(painel);
        button->setObjectName(QString::fromUtf8(name));
        button->setText(caption);
        button->setToolTip(keys.isEmpty() ? hint : QStringLiteral("%1 (%2)").arg(hint, keys.toString(QKeySequence::NativeText)));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        if (menuItem) {
            auto* action = mnuManutencao->addAction(hint);
            action->setObjectName(QString::fromUtf8(menuName));
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(action);
            connect(action, &QAction::triggered, button, [button] {
                if (button->isEnabled() && button->isVisible())
                    button->click();
            });
            *menuItem = action;
        }
        return button;
    };
    sbtFiltro = botao("sbtFiltro", QStringLiteral("Filtro"), QStringLiteral("Filtrar pedidos"), "mnuFiltrar",
                      QKeySequence(Qt::CTRL | Qt::Key_L), &mnuFiltrar);
    sbtProdAvanc = botao("sbtProdAvanc", QStringLiteral("Produtos"), QStringLiteral("Pesquisa de produtos"),
                         "mnuConsProduto", QKeySequence(Qt::CTRL | Qt::Key_P), &mnuConsProduto);
    sbtNotaPed = botao("sbtNotaPed", QStringLiteral("Notas"), QStringLiteral("Notas fiscais do pedido"), "mnuNotaPed",
                       QKeySequence(Qt::CTRL | Qt::Key_N), &mnuNotaPed);
    sbtPosCliente = botao("sbtPosCliente", QStringLiteral("Posição"), QStringLiteral("Posição financeira do cliente"),
                          "mnuPosCli", QKeySequence(Qt::CTRL | Qt::Key_S), &mnuPosCli);
    sbtIncPed = botao("sbtIncPed", QStringLiteral("Inconsist."), QStringLiteral("Inconsistências do pedido"), "mnuIncPed",
                      QKeySequence(Qt::CTRL | Qt::Key_E), &mnuIncPed);
    sbtClientes = botao("sbtClientes", QStringLiteral("Clientes"), QStringLiteral("Consulta de clientes"),
                        "mnuConsultaCliente", QKeySequence(Qt::CTRL | Qt::Key_O), &mnuConsultaCliente);
    sbtCalcularDesconto = botao("sbtCalcularDesconto", QStringLiteral("Desconto"), QStringLiteral("Calcular desconto"),
                                "mnuCalcularDesconto", QKeySequence(Qt::CTRL | Qt::Key_D), &mnuCalcularDesconto);
    sbtReplicaPedido = botao("sbtReplicaPedido", QStringLiteral("Replicar"), QStringLiteral("Replicar pedido"),
                             "mnuReplicarPedido", QKeySequence(Qt::CTRL | Qt::Key_R), &mnuReplicarPedido);
    sbtNFVendaFutura = botao("sbtNFVendaFutura", QStringLiteral("Venda futura"),
                             QStringLiteral("Nota de venda para entrega futura"), "mnuVendaFutura",
                             QKeySequence(Qt::CTRL | Qt::Key_G), &mnuVendaFutura);
    sbtConUltPrecVen = botao("sbtConUltPrecVen", QStringLiteral("Últ. preços"), QStringLiteral("Últimos preços de venda"),
                             nullptr, {}, nullptr);
    sbtConsVendAdic = botao("sbtConsVendAdic", QStringLiteral("Vend. adic."), QStringLiteral("Vendedores adicionais"),
                            nullptr, {}, nullptr);
    sbtAtuEndeEntrega = botao("sbtAtuEndeEntrega", QStringLiteral("Endereço"),
                              QStringLiteral("Atualizar endereço de entrega"), nullptr, {}, nullptr);
    stbInconsistencia = botao("stbInconsistencia", QStringLiteral("Relatório"), QStringLiteral("Relatório de inconsistências"),
                              nullptr, {}, nullptr);
    btnCancelaComissao = botao("btnCancelaComissao", QStringLiteral("Comissão"), QStringLiteral("Cancelar comissão"),
                               nullptr, {}, nullptr);
    btnDadosPaciente = botao("btnDadosPaciente", QStringLiteral("Paciente"), QStringLiteral("Dados do paciente"),
                             nullptr, {}, nullptr);
    mnuAlteracaoPrecoAuto = mnuManutencao->addAction(QStringLiteral("Alteração automática de preços"));
    mnuAlteracaoPrecoAuto->setObjectName(QStringLiteral("mnuAlteracaoPrecoAuto"));
    mnuAlteracaoPrecoAuto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    row->addStretch(1);
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, painel);

    // Menu items follow their buttons.
    const std::pair<QToolButton*, QAction*> pares[] = {
        {sbtFiltro, mnuFiltrar}, {sbtProdAvanc, mnuConsProduto}, {sbtNotaPed, mnuNotaPed},
        {sbtPosCliente, mnuPosCli}, {sbtIncPed, mnuIncPed}, {sbtClientes, mnuConsultaCliente},
        {sbtCalcularDesconto, mnuCalcularDesconto}, {sbtReplicaPedido, mnuReplicarPedido},
        {sbtNFVendaFutura, mnuVendaFutura}};
    for (const auto& [button, action] : pares) {
        button->installEventFilter(this);
        m_botoesMenu.insert(button, action);
    }

    connectGuarded(sbtFiltro, &QToolButton::clicked, this, &TfrmLanPedido::sbtFiltroClick);
    connectGuarded(sbtReplicaPedido, &QToolButton::clicked, this, &TfrmLanPedido::sbtReplicaPedidoClick);
    connectGuarded(sbtNFVendaFutura, &QToolButton::clicked, this, &TfrmLanPedido::sbtNFVendaFuturaClick);
    onPanFilialExit = [this] { panFilialExit(); };
    connect(medCdFilial, &QLineEdit::editingFinished, this, [this] {
        guarded([&] {
            if (onPanFilialExit && medCdFilial->hasAcceptableInput())
                onPanFilialExit();
        });
    });
    medCdFilial->installEventFilter(this);
}

void TfrmLanPedido::ligaEventos()
{
    connectGuarded(sbtImp, &QToolButton::clicked, this, &TfrmLanPedido::sbtImpClick);
    connectGuarded(sbtSalva, &QToolButton::clicked, this, &TfrmLanPedido::sbtSalvaClick);
    connectGuarded(mnuArquivo, &QAction::triggered, this, &TfrmLanPedido::mnuArquivoClick);
    connectGuarded(mnuImpPedido, &QAction::triggered, this, &TfrmLanPedido::mnuImpPedidoClick);
    connectGuarded(depDtRetirada, &TDateEditPlus::dateChanged, this, [this] {
        if (onDtRetiradaChange)
            onDtRetiradaChange();
    });
    connectGuarded(depData, &TDateEditPlus::dateChanged, this, [this] {
        if (onDataChange)
            onDataChange();
    });
    ligaClienteVendedorFilial();
    ligaPrecos();
    ligaConferenciasDoItem();
    ligaConferenciasDoCabecalho();
    ligaPosicaoEstoque();
    dbgPosiEstoq->installEventFilter(this);
    for (DataSource* detalhe : {dtsObser, dtsDadosAdicPed, dtsItemPedido})
        detalhe->onStateChange = [this](DataSource& fonte) { detalheEmEdicao(fonte); };
}

bool TfrmLanPedido::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        if (QAction* action = m_botoesMenu.value(qobject_cast<QToolButton*>(watched), nullptr))
            action->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
    if (watched == medCdFilial && event->type() == QEvent::FocusIn && !trocandoDePagina())
        guarded([&] { medCdFilialEnter(); });
    if (watched == dbgPosiEstoq && event->type() == QEvent::FocusIn && !trocandoDePagina())
        guarded([&] { AtualizaPosiEstoq(); });
    return TfrmPadraoGrid::eventFilter(watched, event);
}

// The page control hides the outgoing page before it shows the incoming one,
// and the focus that page held falls meanwhile to the next field, the
// branch: that is no clerk entering the branch, and the focus goes on into
// the incoming page.
bool TfrmLanPedido::trocandoDePagina() const
{
    const QWidget* pagina = pgcPadrao->currentWidget();
    return pgcPadrao->isVisible() && pagina && !pagina->isVisible();
}

bool TfrmLanPedido::event(QEvent* event)
{
    const bool handled = TfrmPadraoGrid::event(event);
    if (event->type() == QEvent::WindowActivate && boStCriado)
        guarded([&] { FormActivate(); });
    return handled;
}

void TfrmLanPedido::FormCreate()
{
    TfrmPadraoGrid::FormCreate();
    netLanPed->setConnected(true);
    netNotaPed->setConnected(true);

    pgcPadrao->setCurrentWidget(tshPadrao);
    boModMsg = false;
    m_primeiraAtivacao = true;
    m_ultimaFilial.clear();
    Filtro = filtroInicial(QDate::currentDate());

    sbtIncPed->setEnabled(false);
    mnuIncPed->setEnabled(false);
    sbtConUltPrecVen->setEnabled(false);
    sbtConsVendAdic->setEnabled(false);

    const QString mascaraProduto = DBPict(PictProduto);
    cdsItemPedido->fieldByName(QStringLiteral("CDARVPROD")).setEditMask(mascaraProduto);
    cdsListaPreco->fieldByName(QStringLiteral("CDARVPROD")).setEditMask(mascaraProduto);

    for (RecordSet* cds : {cdsItemPedAux, cdsItemPedido, cdsErroItemPed, cdsObser, cdsErroDtEntrega, cdsDadosAdicPed,
                           cdsDadosEndPed, cdsParamGerPed})
        cds->createDataSet();

    CarregaPacote(*cdsParamGerPed, Servidor(getParamGerPed, {}));
    Load_Config();

    boCtrlDel = false;
    pgcPadrao->setTabVisible(pgcPadrao->indexOf(tshEncargos), false);
    mnuEncargos->setVisible(false);
    m_nrItPedConfirmado = 0;
    habilitaPaginas(false);
}

// The operator's saved column order of the product price list: a data packet
// "Config.Cds" in the operator's folder, one row per operator.
void TfrmLanPedido::Load_Config()
{
    const QString pasta = ConfigUsrDir() + Operador();
    const QString arquivo = pasta + QStringLiteral("/Config.Cds");
    if (!QFileInfo(pasta).isDir() || !QFileInfo::exists(arquivo))
        return;
    // A damaged file costs the saved order, not the screen.
    try {
        cdsSalvaOpcoes->loadFromFile(arquivo);
    } catch (const std::exception& falha) {
        MensErro(FormatMsg(texto(QStringLiteral("CONFIG_INVALIDA")), {arquivo, QString::fromUtf8(falha.what())}), false);
        return;
    }
    if (!cdsSalvaOpcoes->locate(QStringLiteral("CDOPERADOR"), Operador()))
        return;
    for (const char* name : {"NMPRODUTO", "CDARVPROD", "CDPRODINTE"}) {
        const QString fieldName = QString::fromUtf8(name);
        bool ok = false;
        const int position = cdsSalvaOpcoes->fieldByName(fieldName).asString().trimmed().toInt(&ok);
        if (ok)
            m_colunasListaPreco.insert(fieldName, position);
    }
}

int TfrmLanPedido::posicaoColunaListaPreco(const QString& fieldName) const
{
    return m_colunasListaPreco.value(fieldName, cdsListaPreco->fieldIndex(fieldName));
}

void TfrmLanPedido::FormActivate()
{
    const QScreen* display = screen();
    if (display && TelaPequena(display->size()) && !isMaximized())
        showMaximized();
    if (!m_primeiraAtivacao)
        return;
    m_primeiraAtivacao = false;

    medCdFilial->setText(FiliProc());
    edtNmFilial->setText(NomeFiliProc());
    m_filialFixa = ModuFili(screenCode());
    for (QWidget* control : std::initializer_list<QWidget*>{lblFilial, medCdFilial, btnFilial})
        control->setEnabled(!m_filialFixa);
    if (m_filialFixa) {
        // A branch that cannot be opened leaves an empty screen; the rest
        // of the activation still has to happen.
        guarded([&] { panFilialExit(); });
        if (fechandoSemVendedor())
            return;
    } else {
        medCdFilial->setFocus();
        sbtIncluir->setEnabled(false);
    }

    cdsItemPedido->fieldByName(QStringLiteral("CDARVPROD")).setEditMask(DBPict(PictProduto));
    for (const char* name : {"CDARVPROD", "IDITPEDDIFER", "CDEMISSAOITPED"})
        cdsItemPedido->fieldByName(QString::fromUtf8(name)).setTag(1);

    boReseAuto = boEntrar = boAlteraSituItem = false;
    stAltSitItem.clear();

    CarregaPacote(*cdsPermissao, Servidor(GetPermissao,
                                          {Operador(), QStringLiteral("ALTP"), medCdFilial->text()}));
    boParamGerPed = cdsParamGerPed->fieldByName(QStringLiteral("IDUTTABPRECOITEM")).asString() == u"S";
}

void TfrmLanPedido::FormClose()
{
    TfrmPadraoGrid::FormClose();
    netLanPed->setConnected(false);
    netNotaPed->setConnected(false);
    boStCriado = false;
    frmLanPedido = nullptr;
}

void TfrmLanPedido::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F12 && dtsPadrao->state() == RecordSet::State::Browse) {
        event->accept();
        medCdFilial->setFocus();
        medCdFilialEnter();
    }
}

void TfrmLanPedido::ControlaActiveShowAvi(bool show, int kind)
{
    if (!show)
        return;
    switch (kind) {
    case 0: ActiveShowAvi(this, BusyStyle::Aguarde); break;
    case 1: ActiveShowAvi(this, BusyStyle::Pesquisando); break;
    case 2: ActiveShowAvi(this, BusyStyle::Processando); break;
    default: break;
    }
}

void TfrmLanPedido::ControlaDeActiveShowAvi(bool show)
{
    if (show)
        DeactiveShowAvi();
}

QJsonValue TfrmLanPedido::Servidor(const Rpc::MethodInfo& method, const QList<RpcArg>& args, TNetConnection* net)
{
    const bool show = boShowAvi;
    ControlaActiveShowAvi(show, 0);
    const auto stop = qScopeGuard([&] { ControlaDeActiveShowAvi(show); });
    return CheckResultServ((net ? net : netLanPed)->call(method, args), true, ShowServerMessage);
}
