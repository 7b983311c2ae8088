#include "mainwindow.h"

#include "context.h"
#include "guard.h"
#include "host.h"
#include "loadbpl.h"
#include "server_address.h"
#include "shellicon.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>

namespace {

const QString KeyTabbedView = QStringLiteral("janela/abas");

QLabel* statusField(QStatusBar* bar, const QString& name)
{
    auto* label = new QLabel(bar);
    label->setObjectName(name);
    label->setContentsMargins(8, 0, 8, 0);
    bar->addPermanentWidget(label);
    return label;
}

QString windowLabel(const QMdiSubWindow* window, int number)
{
    const QString title = window->widget() ? window->widget()->windowTitle() : window->windowTitle();
    return number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : QStringLiteral("%1 %2").arg(number).arg(title);
}

} // namespace

QStringList installedModules()
{
    QStringList codes;
    const QDir folder(modulesDir());
    for (const QString& file : folder.entryList({QStringLiteral("lib*.so")}, QDir::Files, QDir::Name))
        codes << file.mid(3, file.size() - 6).toUpper();
    return codes;
}

QString screenCaption(const QString& code)
{
    static const QHash<QString, QString> captions{
        {QStringLiteral("PED00100"), QStringLiteral("Lançamento de Pedidos")},
        {QStringLiteral("PED00103"), QStringLiteral("Notas Fiscais do Pedido")},
        {QStringLiteral("PED00105"), QStringLiteral("Revisão do Pedido")},
        {QStringLiteral("PED00500"), QStringLiteral("Pesquisa Avançada de Produtos")},
        {QStringLiteral("PED01100"), QStringLiteral("Impressão de Pedidos")},
        {QStringLiteral("PED04500"), QStringLiteral("Inconsistências do Pedido")},
        {QStringLiteral("PED04800"), QStringLiteral("Mensagens do Vendedor")},
        {QStringLiteral("GER00700"), QStringLiteral("Consulta de Clientes")},
        {QStringLiteral("GER23100"), QStringLiteral("Posição Financeira do Cliente")},
        {QStringLiteral("EXP00107"), QStringLiteral("Erros da Replicação")},
    };
    return captions.value(code.toUpper());
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowIcon(shellIcon());
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setDocumentMode(true);
    m_mdiArea->setTabsClosable(true);
    m_mdiArea->setTabsMovable(true);
    m_mdiArea->setBackground(QColor(0xe8, 0xec, 0xf0));
    // Screens choose between normal and maximised windows themselves, so
    // windows are the default view; tabs are the person's choice.
    setTabbedView(QSettings().value(KeyTabbedView, false).toBool());
    setCentralWidget(m_mdiArea);
    buildMenus();
    buildStatusBar();
    rebuildModulesMenu();
    refreshContext();
    fitToScreen();
}

// The preferred size, but never beyond the screen's free area: a taller
// window would hide the status bar (company, branch, operator, date) below
// the screen's edge where no window manager maximises it.
void MainWindow::fitToScreen()
{
    const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!display) {
        resize(1280, 800);
        return;
    }
    const QRect room = display->availableGeometry();
    // The frame the window system draws around the window counts too; it is
    // known once the window is on view.
    const QSize frame = frameGeometry().size() - size();
    const QSize size = QSize(1280, 800).boundedTo(room.size() - frame);
    resize(size);
    move(room.topLeft());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Also when it was asked to show maximised: without a window manager
    // nobody maximises it.
    const QScreen* display = screen();
    if (m_fitted || isFullScreen() || !display || display->availableGeometry().contains(frameGeometry()))
        return;
    m_fitted = true;
    fitToScreen();
}

MainWindow::~MainWindow() = default;

void MainWindow::setTabbedView(bool tabbed)
{
    m_mdiArea->setViewMode(tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    // The tab bar exists only in tabbed view; a lone tab should not stretch
    // across the window like a title bar.
    for (QTabBar* bar : m_mdiArea->findChildren<QTabBar*>())
        bar->setExpanding(false);
}

void MainWindow::buildMenus()
{
    QMenu* system = menuBar()->addMenu(QStringLiteral("&Sistema"));
    QAction* quit = system->addAction(QStringLiteral("&Sair"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_modulesMenu = menuBar()->addMenu(QStringLiteral("&Módulos"));
    m_modulesMenu->setObjectName(QStringLiteral("mnuModulos"));

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Janela"));
    m_windowMenu->setObjectName(QStringLiteral("mnuJanela"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    fillWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("A&juda"));
    help->addAction(QStringLiteral("&Sobre..."), this, &MainWindow::showAbout);
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    m_lblEmpresa = statusField(bar, QStringLiteral("lblEmpresa"));
    m_lblFilial = statusField(bar, QStringLiteral("lblFilial"));
    m_lblOperador = statusField(bar, QStringLiteral("lblOperador"));
    m_lblData = statusField(bar, QStringLiteral("lblData"));
    m_lblServidor = statusField(bar, QStringLiteral("lblServidor"));
}

void MainWindow::refreshContext()
{
    if (!hasWorkingContext()) {
        setWindowTitle(QStringLiteral("ERP"));
        for (QLabel* label : {m_lblEmpresa, m_lblFilial, m_lblOperador, m_lblData, m_lblServidor})
            label->clear();
        return;
    }
    const WorkingContext& context = workingContext();
    setWindowTitle(QStringLiteral("ERP - %1 %2").arg(context.filial, context.nomeFilial));
    m_lblEmpresa->setText(QStringLiteral("Empresa: %1").arg(context.empresa));
    m_lblFilial->setText(QStringLiteral("Filial: %1 - %2").arg(context.filial, context.nomeFilial));
    m_lblOperador->setText(QStringLiteral("Operador: %1").arg(context.operador));
    m_lblData->setText(QStringLiteral("Data: %1").arg(QLocale().toString(DataProc(context.filial), QLocale::ShortFormat)));
    const std::optional<ServerAddress> server = ServerAddress::fromContext(context.webUrl, context.webPort);
    m_lblServidor->setText(QStringLiteral("Servidor: %1").arg(server ? server->text() : context.webUrl));
}

void MainWindow::rebuildModulesMenu()
{
    m_modulesMenu->clear();
    const QStringList codes = installedModules();
    for (const QString& code : codes) {
        const QString caption = screenCaption(code);
        const QString text = caption.isEmpty() ? code : QStringLiteral("%1 - %2").arg(code, caption);
        QAction* item = m_modulesMenu->addAction(text, this, [code] { guarded([&] { LoadBPL(code); }); });
        item->setObjectName(QStringLiteral("mnu") + code);
    }
    if (codes.isEmpty())
        m_modulesMenu->addAction(QStringLiteral("(nenhum módulo instalado em %1)").arg(QDir::toNativeSeparators(modulesDir())))
            ->setEnabled(false);
}

void MainWindow::fillWindowMenu()
{
    m_windowMenu->clear();
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();

    QAction* tabs = m_windowMenu->addAction(QStringLiteral("Exibir em &abas"));
    tabs->setCheckable(true);
    tabs->setChecked(m_mdiArea->viewMode() == QMdiArea::TabbedView);
    connect(tabs, &QAction::toggled, this, [this](bool on) {
        setTabbedView(on);
        QSettings().setValue(KeyTabbedView, on);
    });
    const bool windowed = m_mdiArea->viewMode() == QMdiArea::SubWindowView;
    m_windowMenu->addAction(QStringLiteral("&Cascata"), m_mdiArea, &QMdiArea::cascadeSubWindows)->setEnabled(windowed);
    m_windowMenu->addAction(QStringLiteral("&Lado a lado"), m_mdiArea, &QMdiArea::tileSubWindows)->setEnabled(windowed);
    m_windowMenu->addSeparator();
    QAction* next = m_windowMenu->addAction(QStringLiteral("&Próxima"), m_mdiArea, &QMdiArea::activateNextSubWindow);
    next->setShortcut(QKeySequence::NextChild);
    QAction* previous = m_windowMenu->addAction(QStringLiteral("A&nterior"), m_mdiArea, &QMdiArea::activatePreviousSubWindow);
    previous->setShortcut(QKeySequence::PreviousChild);
    m_windowMenu->addAction(QStringLiteral("&Fechar"), m_mdiArea, &QMdiArea::closeActiveSubWindow)->setEnabled(active);
    m_windowMenu->addAction(QStringLiteral("Fechar &todas"), m_mdiArea, &QMdiArea::closeAllSubWindows)
        ->setEnabled(!windows.isEmpty());
    for (QAction* item : {next, previous})
        item->setEnabled(windows.size() > 1);
    if (windows.isEmpty())
        return;
    m_windowMenu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* item = m_windowMenu->addAction(windowLabel(window, i + 1));
        item->setCheckable(true);
        item->setChecked(window == active);
        connect(item, &QAction::triggered, this, [this, window] { m_mdiArea->setActiveSubWindow(window); });
    }
}

void MainWindow::presentScreen(QWidget* screen)
{
    auto* frame = qobject_cast<QMdiSubWindow*>(screen->parentWidget());
    if (!frame || frame->mdiArea() != m_mdiArea) {
        const QSize wanted = screen->size();
        const int opened = int(m_mdiArea->subWindowList().size());
        frame = m_mdiArea->addSubWindow(screen);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        if (!screen->testAttribute(Qt::WA_SetWindowIcon))
            frame->setWindowIcon(shellIcon());
        placeNewWindow(frame, wanted, opened);
    }
    screen->show();
    frame->show();
    if (frame->isMinimized())
        frame->showNormal();
    m_mdiArea->setActiveSubWindow(frame);
    screen->setFocus();
}

// A new child window opens inside the visible area, each one a step further
// down and right than the one before.
void MainWindow::placeNewWindow(QMdiSubWindow* frame, const QSize& wanted, int alreadyOpen)
{
    const QSize area = m_mdiArea->viewport()->size();
    const QSize size = wanted.expandedTo(QSize(640, 420)).boundedTo(area);
    const int stepPixels = 28;
    const int step = alreadyOpen % 8;
    const QPoint origin(qMin(step * stepPixels, qMax(0, area.width() - size.width())),
                        qMin(step * stepPixels, qMax(0, area.height() - size.height())));
    frame->setGeometry(QRect(origin, size));
}

// Every screen is asked in turn; the first that refuses stops the shell
// from closing and stays in front.
void MainWindow::closeEvent(QCloseEvent* event)
{
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (!window->close()) {
            m_mdiArea->setActiveSubWindow(window);
            event->ignore();
            return;
        }
    }
    event->accept();
}

void MainWindow::showAbout()
{
    host().showMessage(MsgType::Information,
                       QStringLiteral("ERP - Vendas\nVersão %1\n\nMódulos em %2")
                           .arg(QApplication::applicationVersion(), QDir::toNativeSeparators(modulesDir())),
                       MsgButton::Ok, MsgButton::Ok);
}
