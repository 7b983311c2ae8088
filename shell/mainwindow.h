#pragma once
// The shell's main window: the screens as child windows of an MDI area, the
// menu of the installed modules, the Window menu, and a status bar with the
// working context (company, branch, operator, processing date, server).
// Closing it closes every screen first; a screen that refuses (pending
// edits) keeps the shell open.

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }

    // Shows a screen as a child window (or brings up the one it is already in).
    void presentScreen(QWidget* screen);
    // Reads the working context into the status bar and the title.
    void refreshContext();
    // Lists the installed modules in the "Módulos" menu.
    void rebuildModulesMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setTabbedView(bool tabbed);
    void placeNewWindow(QMdiSubWindow* frame, const QSize& wanted, int alreadyOpen);
    void buildMenus();
    void buildStatusBar();
    void fitToScreen();
    bool m_fitted = false;
    void fillWindowMenu();
    void showAbout();

    QMdiArea* m_mdiArea;
    QMenu* m_modulesMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QLabel* m_lblEmpresa = nullptr;
    QLabel* m_lblFilial = nullptr;
    QLabel* m_lblOperador = nullptr;
    QLabel* m_lblData = nullptr;
    QLabel* m_lblServidor = nullptr;
};

// Screen codes of the modules in the modules folder (lib<CODE>.so), sorted.
QStringList installedModules();
// A known screen's caption; empty for unknown codes.
QString screenCaption(const QString& code);
