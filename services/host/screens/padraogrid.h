#pragma once
// TfrmPadraoGrid: the base of the record screens. A child window of the shell
// (or a modal dialog, for the grid dialogs) with
//   - the menu "Operação" (mnuOperacao) mirroring the toolbar;
//   - the toolbar: Incluir, Alterar, Excluir, Confirmar, Cancelar, Atualizar,
//     Procurar, Imprimir, Ajuda, Fechar (sbt... buttons);
//   - a navigator (first, prior, next, last) and its caption dbtNome;
//   - the page control pgcPadrao whose list page tshPadrao holds the grid
//     dbgPadrao, bound through the data link dtsPadrao;
//   - the screen's catalog msgPadrao (the screen loads it) beside the shared
//     msgMensagensPadroes();
//   - a status bar with the record-set state and the row position.
//
// The buttons are the commands: enable, disable or hide a button and its menu
// item follows it; the menu item and the key press the button. Keys: Insert
// include, F2 change, Ctrl+Del delete, F10 confirm, Esc cancel, F5 refresh,
// Ctrl+F search, Ctrl+I print, F1 help.
//
// The toolbar follows the state of dtsPadrao's record set
// (dtsPadraoStateChange, run by dtsPadrao's state hook and when the record
// set becomes empty or stops being so):
//   inactive     Incluir, Atualizar, Ajuda, Fechar
//   browse       Incluir, Atualizar, Ajuda, Fechar, and with rows Alterar,
//                Excluir, Procurar, Imprimir and the navigator
//   edit/insert  Confirmar, Cancelar, Ajuda, Fechar
// A screen that overrides a handler calls the base one where it wants the
// base behaviour. Every handler runs inside the host's guard.
//
// Closing asks, while the record set is being edited, whether to leave
// without confirming; No keeps the window open. A closed screen deletes
// itself, also after a modal run: create it with new and do not touch it
// once it has closed.

#include "messages.h"

#include <QDialog>
#include <QHash>
#include <QString>

class DBGrid;
class DataSource;
class QFrame;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTabWidget;
class QToolButton;
class RecordSet;
enum class ScreenIcon;

class TfrmPadraoGrid : public QDialog {
    Q_OBJECT
public:
    TfrmPadraoGrid(const QString& screenCode, const QString& caption, QWidget* parent = nullptr);
    ~TfrmPadraoGrid() override;

    QString screenCode() const { return m_screenCode; }

    // --- Components -----------------------------------------------------------
    QMenuBar* mnuPrincipal;
    QMenu* mnuOperacao;
    QFrame* tlbPadrao;
    QToolButton* sbtIncluir;
    QToolButton* sbtAlterar;
    QToolButton* sbtExcluir;
    QToolButton* sbtConfirmar;
    QToolButton* sbtCancelar;
    QToolButton* sbtVerificar;
    QToolButton* sbtProcurar;
    QToolButton* sbtImprimir;
    QToolButton* sbtAjuda;
    QToolButton* sbtFechar;
    // The menu items mirroring the buttons.
    QAction* mnuIncluir;
    QAction* mnuAlterar;
    QAction* mnuExcluir;
    QAction* mnuConfirmar;
    QAction* mnuCancelar;
    QAction* mnuVerificar;
    QAction* mnuProcurar;
    QAction* mnuImprimir;
    QAction* mnuAjuda;
    QAction* mnuFechar;
    // Navigator and its caption (the screen sets the caption's text and colour).
    QToolButton* sbtPrimeiro;
    QToolButton* sbtAnterior;
    QToolButton* sbtProximo;
    QToolButton* sbtUltimo;
    QLabel* dbtNome;

    QTabWidget* pgcPadrao;
    QWidget* tshPadrao;
    DBGrid* dbgPadrao;
    DataSource* dtsPadrao;
    QStatusBar* stbPadrao;
    TMessages msgPadrao;

    // Adds a command button of the screen's own to the toolbar, before the
    // help button, with a mirroring item in "Operação" when `withMenuItem`.
    QToolButton* addToolButton(const QString& name, const QString& caption, const QIcon& icon,
                               const QKeySequence& shortcut = {}, bool withMenuItem = true);
    // The menu item that mirrors `button`; null when it has none.
    QAction* menuItemOf(QToolButton* button) const;

    // --- Handlers -------------------------------------------------------------
    // Screens call FormCreate at the end of their constructor; the base one
    // sets the toolbar for the current state.
    virtual void FormCreate();
    // Whether the window may close now; asked before every close.
    virtual bool FormCloseQuery();
    // The window is closing for good.
    virtual void FormClose();
    virtual void FormKeyDown(QKeyEvent* event);
    virtual void dtsPadraoStateChange();
    virtual void pgcPadraoChange();

    // Include: inserts a row into dtsPadrao's record set (an inactive one with
    // declared fields is created empty first).
    virtual void sbtIncluirClick();
    virtual void sbtAlterarClick();
    // Delete: after "Confirma exclusão?" (Excl).
    virtual void sbtExcluirClick();
    // Confirm: writes what bound controls hold and posts.
    virtual void sbtConfirmarClick();
    // Cancel: asks whether to drop the inclusion or the changes; Yes cancels.
    virtual void sbtCancelarClick();
    // Refresh: the base repaints the list; screens reload their data.
    virtual void sbtVerificarClick();
    // Search: the host's Procura on the list.
    virtual void sbtProcurarClick();
    virtual void sbtImprimirClick();
    virtual void sbtAjudaClick();
    // The help page's lines: the screen and its keys; screens add what
    // their codes and colours mean.
    virtual QStringList textoAjuda() const;
    virtual void sbtFecharClick();

    // Closes the screen with its window: the MDI child window around it, or
    // the dialog itself.
    void closeScreen();

    // Keeps the window's close confirmations: accept() and reject() close
    // through closeEvent like any other close.
    void done(int result) override;

    // The catalog of the base screen ("Excl" and the other texts it asks).
    static const TMessages& msgBase();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* makeButton(const QString& name, const QString& caption, const QIcon& icon,
                            const QKeySequence& shortcut, bool withMenuItem);
    QToolButton* makeNavigatorButton(const QString& name, const QString& hint, ScreenIcon icon);
    void mirror(QToolButton* button, QAction* item);
    void buildToolbar();
    void buildNavigator(QWidget* bar);
    void buildPages();
    void wireDataLink();
    void runStateHook();
    void dataLinkChanged();
    void updateStatus();
    void navigate(int step);
    RecordSet* recordSet() const;   // null when unbound

    QString m_screenCode;
    QHash<QToolButton*, QAction*> m_menuItems;
    QAction* m_menuHelpAnchor = nullptr;
    QLabel* m_lblEstado = nullptr;
    QLabel* m_lblPosicao = nullptr;
    int m_closeResult = QDialog::Rejected;
    bool m_created = false;
    bool m_wasEmpty = true;
};
