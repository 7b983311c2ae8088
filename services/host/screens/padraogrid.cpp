#include "padraogrid.h"
#include "formkeys.h"

#include "widgets/datasource.h"
#include "widgets/dbgrid.h"
#include "guard.h"
#include "lookups/locate.h"
#include "recordset.h"
#include "screenicons.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const int ToolIconPixels = 24;

QString stateText(RecordSet::State state)
{
    switch (state) {
    case RecordSet::State::Inactive: return QStringLiteral("Sem dados");
    case RecordSet::State::Browse: return QStringLiteral("Consulta");
    case RecordSet::State::Edit: return QStringLiteral("Alteração");
    case RecordSet::State::Insert: return QStringLiteral("Inclusão");
    }
    return {};
}

QFrame* separatorLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setContentsMargins(2, 6, 2, 6);
    return line;
}

} // namespace

const TMessages& TfrmPadraoGrid::msgBase()
{
    static const TMessages catalog = TMessages::fromText(QStringLiteral(
        "Excl|Confirma exclusão?\n"
        "Sem_Relatorio|Esta tela não tem relatório para imprimir.\n"),
        QStringLiteral("TfrmPadraoGrid"));
    return catalog;
}

TfrmPadraoGrid::TfrmPadraoGrid(const QString& screenCode, const QString& caption, QWidget* parent)
    : QDialog(parent), m_screenCode(screenCode.trimmed().toUpper())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dtsPadrao = new DataSource(QStringLiteral("dtsPadrao"), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mnuPrincipal = new QMenuBar(this);
    mnuPrincipal->setObjectName(QStringLiteral("mnuPrincipal"));
    mnuOperacao = mnuPrincipal->addMenu(QStringLiteral("&Operação"));
    mnuOperacao->setObjectName(QStringLiteral("mnuOperacao"));
    layout->setMenuBar(mnuPrincipal);

    buildToolbar();
    layout->addWidget(tlbPadrao);
    buildPages();
    layout->addWidget(pgcPadrao, 1);

    stbPadrao = new QStatusBar(this);
    stbPadrao->setObjectName(QStringLiteral("stbPadrao"));
    stbPadrao->setSizeGripEnabled(false);
    m_lblEstado = new QLabel(stbPadrao);
    m_lblPosicao = new QLabel(stbPadrao);
    auto* lblCodigo = new QLabel(m_screenCode, stbPadrao);
    for (QLabel* label : {m_lblEstado, m_lblPosicao, lblCodigo})
        label->setContentsMargins(6, 0, 6, 0);
    stbPadrao->addWidget(m_lblEstado, 1);
    stbPadrao->addPermanentWidget(m_lblPosicao);
    stbPadrao->addPermanentWidget(lblCodigo);
    layout->addWidget(stbPadrao);

    wireDataLink();
    TfrmPadraoGrid::dtsPadraoStateChange();
    updateStatus();
    resize(900, 560);
}

TfrmPadraoGrid::~TfrmPadraoGrid() = default;

// --- Building --------------------------------------------------------------

void TfrmPadraoGrid::buildToolbar()
{
    tlbPadrao = new QFrame(this);
    tlbPadrao->setObjectName(QStringLiteral("tlbPadrao"));
    tlbPadrao->setAutoFillBackground(true);
    tlbPadrao->setFrameShape(QFrame::StyledPanel);
    tlbPadrao->setFrameShadow(QFrame::Plain);
    auto* row = new QHBoxLayout(tlbPadrao);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(1);

    sbtIncluir = makeButton(QStringLiteral("sbtIncluir"), QStringLiteral("&Incluir"), screenIcon(ScreenIcon::Incluir),
                            QKeySequence(Qt::Key_Insert), true);
    sbtAlterar = makeButton(QStringLiteral("sbtAlterar"), QStringLiteral("&Alterar"), screenIcon(ScreenIcon::Alterar),
                            QKeySequence(Qt::Key_F2), true);
    sbtExcluir = makeButton(QStringLiteral("sbtExcluir"), QStringLiteral("&Excluir"), screenIcon(ScreenIcon::Excluir),
                            QKeySequence(Qt::CTRL | Qt::Key_Delete), true);
    mnuOperacao->addSeparator();
    sbtConfirmar = makeButton(QStringLiteral("sbtConfirmar"), QStringLiteral("C&onfirmar"),
                              screenIcon(ScreenIcon::Confirmar), QKeySequence(Qt::Key_F10), true);
    sbtCancelar = makeButton(QStringLiteral("sbtCancelar"), QStringLiteral("&Cancelar"), screenIcon(ScreenIcon::Cancelar),
                             QKeySequence(Qt::Key_Escape), true);
    mnuOperacao->addSeparator();
    sbtVerificar = makeButton(QStringLiteral("sbtVerificar"), QStringLiteral("A&tualizar"),
                              screenIcon(ScreenIcon::Atualizar), QKeySequence(Qt::Key_F5), true);
    sbtProcurar = makeButton(QStringLiteral("sbtProcurar"), QStringLiteral("&Procurar"), screenIcon(ScreenIcon::Procurar),
                             QKeySequence(Qt::CTRL | Qt::Key_F), true);
    sbtImprimir = makeButton(QStringLiteral("sbtImprimir"), QStringLiteral("I&mprimir"), screenIcon(ScreenIcon::Imprimir),
                             QKeySequence(Qt::CTRL | Qt::Key_I), true);
    m_menuHelpAnchor = mnuOperacao->addSeparator();
    sbtAjuda = makeButton(QStringLiteral("sbtAjuda"), QStringLiteral("Aj&uda"), screenIcon(ScreenIcon::Ajuda),
                          QKeySequence(Qt::Key_F1), true);
    sbtFechar = makeButton(QStringLiteral("sbtFechar"), QStringLiteral("&Fechar"), screenIcon(ScreenIcon::Fechar),
                           QKeySequence(), true);

    mnuIncluir = menuItemOf(sbtIncluir);
    mnuAlterar = menuItemOf(sbtAlterar);
    mnuExcluir = menuItemOf(sbtExcluir);
    mnuConfirmar = menuItemOf(sbtConfirmar);
    mnuCancelar = menuItemOf(sbtCancelar);
    mnuVerificar = menuItemOf(sbtVerificar);
    mnuProcurar = menuItemOf(sbtProcurar);
    mnuImprimir = menuItemOf(sbtImprimir);
    mnuAjuda = menuItemOf(sbtAjuda);
    mnuFechar = menuItemOf(sbtFechar);

    const QList<QToolButton*> groups[] = {{sbtIncluir, sbtAlterar, sbtExcluir},
                                          {sbtConfirmar, sbtCancelar},
                                          {sbtVerificar, sbtProcurar, sbtImprimir}};
    for (const auto& group : groups) {
        for (QToolButton* button : group)
            row->addWidget(button);
        row->addWidget(separatorLine(tlbPadrao));
    }
    // Screens' own buttons go in before this point (addToolButton).
    row->addWidget(sbtAjuda);
    row->addWidget(sbtFechar);
    row->addStretch(1);
    buildNavigator(tlbPadrao);

    connect(sbtIncluir, &QToolButton::clicked, this, [this] { guarded([&] { sbtIncluirClick(); }); });
    connect(sbtAlterar, &QToolButton::clicked, this, [this] { guarded([&] { sbtAlterarClick(); }); });
    connect(sbtExcluir, &QToolButton::clicked, this, [this] { guarded([&] { sbtExcluirClick(); }); });
    connect(sbtConfirmar, &QToolButton::clicked, this, [this] { guarded([&] { sbtConfirmarClick(); }); });
    connect(sbtCancelar, &QToolButton::clicked, this, [this] { guarded([&] { sbtCancelarClick(); }); });
    connect(sbtVerificar, &QToolButton::clicked, this, [this] { guarded([&] { sbtVerificarClick(); }); });
    connect(sbtProcurar, &QToolButton::clicked, this, [this] { guarded([&] { sbtProcurarClick(); }); });
    connect(sbtImprimir, &QToolButton::clicked, this, [this] { guarded([&] { sbtImprimirClick(); }); });
    connect(sbtAjuda, &QToolButton::clicked, this, [this] { guarded([&] { sbtAjudaClick(); }); });
    connect(sbtFechar, &QToolButton::clicked, this, [this] { guarded([&] { sbtFecharClick(); }); });
}

void TfrmPadraoGrid::buildNavigator(QWidget* bar)
{
    auto* row = static_cast<QHBoxLayout*>(bar->layout());
    dbtNome = new QLabel(bar);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    QFont captionFont = dbtNome->font();
    captionFont.setBold(true);
    dbtNome->setFont(captionFont);
    dbtNome->setTextFormat(Qt::PlainText);
    dbtNome->setContentsMargins(8, 0, 8, 0);
    row->addWidget(dbtNome);
    sbtPrimeiro = makeNavigatorButton(QStringLiteral("sbtPrimeiro"), QStringLiteral("Primeiro registro"), ScreenIcon::Primeiro);
    sbtAnterior = makeNavigatorButton(QStringLiteral("sbtAnterior"), QStringLiteral("Registro anterior"), ScreenIcon::Anterior);
    sbtProximo = makeNavigatorButton(QStringLiteral("sbtProximo"), QStringLiteral("Próximo registro"), ScreenIcon::Proximo);
    sbtUltimo = makeNavigatorButton(QStringLiteral("sbtUltimo"), QStringLiteral("Último registro"), ScreenIcon::Ultimo);
    for (QToolButton* button : {sbtPrimeiro, sbtAnterior, sbtProximo, sbtUltimo})
        row->addWidget(button);
    connect(sbtPrimeiro, &QToolButton::clicked, this, [this] { navigate(-2); });
    connect(sbtAnterior, &QToolButton::clicked, this, [this] { navigate(-1); });
    connect(sbtProximo, &QToolButton::clicked, this, [this] { navigate(1); });
    connect(sbtUltimo, &QToolButton::clicked, this, [this] { navigate(2); });
}

void TfrmPadraoGrid::buildPages()
{
    pgcPadrao = new QTabWidget(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    pgcPadrao->setDocumentMode(true);
    tshPadrao = new QWidget(pgcPadrao);
    tshPadrao->setObjectName(QStringLiteral("tshPadrao"));
    auto* pageLayout = new QVBoxLayout(tshPadrao);
    pageLayout->setContentsMargins(6, 6, 6, 6);
    dbgPadrao = new DBGrid(tshPadrao);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    dbgPadrao->setDataSource(dtsPadrao);
    dbgPadrao->setStretchLastColumn(true);
    pageLayout->addWidget(dbgPadrao);
    pgcPadrao->addTab(tshPadrao, QStringLiteral("Lista"));
    connect(pgcPadrao, &QTabWidget::currentChanged, this, [this] { guarded([&] { pgcPadraoChange(); }); });
}

QToolButton* TfrmPadraoGrid::makeButton(const QString& name, const QString& caption, const QIcon& icon,
                                        const QKeySequence& shortcut, bool withMenuItem)
{
    auto* button = new QToolButton(tlbPadrao);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(ToolIconPixels, ToolIconPixels));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(64);
    QString hint = QString(caption).remove(u'&');
    if (!shortcut.isEmpty())
        hint += QStringLiteral(" (%1)").arg(shortcut.toString(QKeySequence::NativeText));
    button->setToolTip(hint);
    if (withMenuItem) {
        auto* item = new QAction(icon, caption, this);
        item->setObjectName(QStringLiteral("mnu") + name.mid(3));
        item->setShortcut(shortcut);
        mirror(button, item);
        mnuOperacao->insertAction(m_menuHelpAnchor && name != u"sbtAjuda" && name != u"sbtFechar" ? m_menuHelpAnchor : nullptr, item);
    }
    return button;
}

QToolButton* TfrmPadraoGrid::makeNavigatorButton(const QString& name, const QString& hint, ScreenIcon icon)
{
    auto* button = new QToolButton(tlbPadrao);
    button->setObjectName(name);
    button->setIcon(screenIcon(icon));
    button->setIconSize(QSize(18, 18));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(hint);
    return button;
}

QToolButton* TfrmPadraoGrid::addToolButton(const QString& name, const QString& caption, const QIcon& icon,
                                           const QKeySequence& shortcut, bool withMenuItem)
{
    QToolButton* button = makeButton(name, caption, icon, shortcut, withMenuItem);
    auto* row = static_cast<QHBoxLayout*>(tlbPadrao->layout());
    row->insertWidget(row->indexOf(sbtAjuda), button);
    button->show();   // at once, also when the screen is already on view
    return button;
}

QAction* TfrmPadraoGrid::menuItemOf(QToolButton* button) const
{
    return m_menuItems.value(button, nullptr);
}

// The menu item follows the button (enabled, visible) and presses it; the
// item's key works while the focus is anywhere inside this screen.
void TfrmPadraoGrid::mirror(QToolButton* button, QAction* item)
{
    m_menuItems.insert(button, item);
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    item->setEnabled(button->isEnabled());
    addAction(item);
    button->installEventFilter(this);
    connect(item, &QAction::triggered, button, [button] {
        if (button->isEnabled() && !button->isHidden())
            button->click();
    });
}

bool TfrmPadraoGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* button = qobject_cast<QToolButton*>(watched)) {
        if (QAction* item = m_menuItems.value(button, nullptr)) {
            switch (event->type()) {
            case QEvent::EnabledChange: item->setEnabled(button->isEnabled()); break;
            case QEvent::ShowToParent: item->setVisible(true); break;
            case QEvent::HideToParent: item->setVisible(false); break;
            default: break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- Data link ---------------------------------------------------------------

void TfrmPadraoGrid::wireDataLink()
{
    dtsPadrao->onStateChange = [this](DataSource&) { dtsPadraoStateChange(); };
    connect(dtsPadrao, &DataSource::stateChanged, this, &TfrmPadraoGrid::updateStatus);
    connect(dtsPadrao, &DataSource::dataChanged, this, &TfrmPadraoGrid::dataLinkChanged);
    connect(dtsPadrao, &DataSource::dataSetChanged, this, [this] {
        m_wasEmpty = !recordSet() || recordSet()->isEmpty();
        runStateHook();
        updateStatus();
    });
}

RecordSet* TfrmPadraoGrid::recordSet() const
{
    return dtsPadrao->dataSet();
}

// Rows came or went: the toolbar depends on whether there are any.
void TfrmPadraoGrid::dataLinkChanged()
{
    const RecordSet* rs = recordSet();
    const bool empty = !rs || !rs->isActive() || rs->isEmpty();
    if (empty != m_wasEmpty) {
        m_wasEmpty = empty;
        runStateHook();
    }
    updateStatus();
}

void TfrmPadraoGrid::runStateHook()
{
    if (dtsPadrao->onStateChange)
        guarded([&] { dtsPadrao->onStateChange(*dtsPadrao); });
}

void TfrmPadraoGrid::updateStatus()
{
    const RecordSet* rs = recordSet();
    const RecordSet::State state = dtsPadrao->state();
    m_lblEstado->setText(stateText(state));
    if (!rs || state == RecordSet::State::Inactive || rs->isEmpty())
        m_lblPosicao->setText(QStringLiteral("Nenhum registro"));
    else
        m_lblPosicao->setText(QStringLiteral("Registro %1 de %2").arg(rs->recNo()).arg(rs->recordCount()));
}

void TfrmPadraoGrid::navigate(int step)
{
    guarded([&] {
        RecordSet* rs = recordSet();
        if (!rs || !rs->isActive())
            return;
        switch (step) {
        case -2: rs->first(); break;
        case -1: rs->prior(); break;
        case 1: rs->next(); break;
        default: rs->last(); break;
        }
        updateStatus();
    });
}

// --- Handlers ----------------------------------------------------------------

void TfrmPadraoGrid::FormCreate()
{
    runStateHook();
}

bool TfrmPadraoGrid::FormCloseQuery()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isEditing())
        return true;
    if (msgMensagensPadroes().ShowMsg(QStringLiteral("Sair_Sem_Salvar"), MsgType::Confirmation,
                                      MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return false;
    rs->cancel();
    return true;
}

void TfrmPadraoGrid::FormClose()
{
}

void TfrmPadraoGrid::FormKeyDown(QKeyEvent*)
{
}

void TfrmPadraoGrid::dtsPadraoStateChange()
{
    const RecordSet* rs = recordSet();
    const RecordSet::State state = dtsPadrao->state();
    const bool editing = state == RecordSet::State::Edit || state == RecordSet::State::Insert;
    const bool browsing = state == RecordSet::State::Browse;
    const bool hasRows = browsing && rs && !rs->isEmpty();
    m_wasEmpty = !rs || !rs->isActive() || rs->isEmpty();

    sbtIncluir->setEnabled(!editing);
    sbtAlterar->setEnabled(hasRows);
    sbtExcluir->setEnabled(hasRows);
    sbtConfirmar->setEnabled(editing);
    sbtCancelar->setEnabled(editing);
    sbtVerificar->setEnabled(!editing);
    sbtProcurar->setEnabled(hasRows);
    sbtImprimir->setEnabled(hasRows);
    for (QToolButton* button : {sbtPrimeiro, sbtAnterior, sbtProximo, sbtUltimo})
        button->setEnabled(hasRows);
}

void TfrmPadraoGrid::pgcPadraoChange()
{
}

void TfrmPadraoGrid::sbtIncluirClick()
{
    RecordSet* rs = recordSet();
    if (!rs)
        throw std::logic_error("TfrmPadraoGrid: dtsPadrao não tem conjunto de registros.");
    if (!rs->isActive() && rs->fieldCount() > 0)
        rs->createDataSet();
    rs->append();
    if (pgcPadrao->currentWidget() == tshPadrao)
        dbgPadrao->setFocus();
}

void TfrmPadraoGrid::sbtAlterarClick()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isActive() || rs->isEmpty())
        return;
    rs->edit();
    if (pgcPadrao->currentWidget() == tshPadrao)
        dbgPadrao->setFocus();
}

void TfrmPadraoGrid::sbtExcluirClick()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isActive() || rs->isEmpty())
        return;
    if (msgBase().ShowMsg(QStringLiteral("Excl"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    rs->deleteRecord();
}

void TfrmPadraoGrid::sbtConfirmarClick()
{
    RecordSet* rs = recordSet();
    if (!rs)
        return;
    dtsPadrao->updateRecord();
    if (rs->isEditing())
        rs->post();
}

void TfrmPadraoGrid::sbtCancelarClick()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isEditing())
        return;
    const QString question = rs->state() == RecordSet::State::Insert ? QStringLiteral("Cancela_Inclusao")
                                                                      : QStringLiteral("Cancela_Alteracao");
    if (msgMensagensPadroes().ShowMsg(question, MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    rs->cancel();
}

void TfrmPadraoGrid::sbtVerificarClick()
{
    dbgPadrao->refresh();
    updateStatus();
}

void TfrmPadraoGrid::sbtProcurarClick()
{
    RecordSet* rs = recordSet();
    if (!rs || !rs->isActive() || rs->isEmpty())
        return;
    Procura(*dbgPadrao, windowTitle());
}

void TfrmPadraoGrid::sbtImprimirClick()
{
    msgBase().ShowMsg(QStringLiteral("Sem_Relatorio"), MsgType::Information, MsgButton::Ok);
}

// Lists the screen's keys, taken from the menu items so a screen's own
// commands show up too.
QStringList TfrmPadraoGrid::textoAjuda() const
{
    QStringList lines{QStringLiteral("%1 - %2").arg(m_screenCode, windowTitle()), QString(),
                      QStringLiteral("Teclas de atalho:")};
    for (QAction* item : actions()) {
        if (item->shortcut().isEmpty() || !item->isVisible())
            continue;
        lines << QStringLiteral("%1\t%2").arg(item->shortcut().toString(QKeySequence::NativeText),
                                               QString(item->text()).remove(u'&'));
    }
    return lines;
}

void TfrmPadraoGrid::sbtAjudaClick()
{
    host().showMessage(MsgType::Information, textoAjuda().join(u'\n'), MsgButton::Ok, MsgButton::Ok);
}

void TfrmPadraoGrid::sbtFecharClick()
{
    closeScreen();
}

// --- Closing and keys ----------------------------------------------------------

void TfrmPadraoGrid::closeScreen()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void TfrmPadraoGrid::done(int result)
{
    m_closeResult = result;
    closeScreen();
}

void TfrmPadraoGrid::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    guarded([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        m_closeResult = QDialog::Rejected;
        event->ignore();
        return;
    }
    guarded([&] { FormClose(); });
    const int result = m_closeResult;
    m_closeResult = QDialog::Rejected;
    setResult(result);
    event->accept();
    if (result == QDialog::Accepted)
        emit accepted();
    else
        emit rejected();
    emit finished(result);
}

// Enter and Esc never close the screen the way they close a plain dialog:
// here they belong to the grid and to Cancel.
void TfrmPadraoGrid::keyPressEvent(QKeyEvent* event)
{
    if (!routeFormKey(event, [this](QKeyEvent* key) { FormKeyDown(key); }))
        QDialog::keyPressEvent(event);
}

void TfrmPadraoGrid::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    updateStatus();
}
