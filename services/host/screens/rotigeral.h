#pragma once
// TfrmRotiGeral: the base of the general routine dialogs. The dialog's own
// controls go into panPrincipal; the bar below holds Ajuda at the left and
// Confirmar and Cancelar at the right.
//
// Keys (FormKeyDown): Esc presses Cancelar, Ctrl+Enter and F10 press
// Confirmar, each only while its button is enabled and shown; Enter in a
// single-line field moves to the next field instead of confirming.
// Every handler runs inside the host's guard. Closing in any way (the
// buttons, accept(), reject(), the window's close button) asks
// FormCloseQuery first and runs FormClose.
//
// The creator owns the dialog (run it through host().execModal).

#include "messages.h"

#include <QDialog>
#include <QString>

class QFrame;
class QHBoxLayout;
class QPushButton;

class TfrmRotiGeral : public QDialog {
    Q_OBJECT
public:
    TfrmRotiGeral(const QString& screenCode, const QString& caption, QWidget* parent = nullptr);
    ~TfrmRotiGeral() override;

    QString screenCode() const { return m_screenCode; }

    QWidget* panPrincipal;
    QFrame* panBotoes;
    QPushButton* sbtConfirma;
    QPushButton* sbtCancela;
    QPushButton* sbtAjuda;
    TMessages msgPadrao;

    // Confirm: the base accepts the dialog.
    virtual void sbtConfirmaClick();
    // Cancel: the base rejects the dialog.
    virtual void sbtCancelClick();
    virtual void sbtAjudaClick();
    virtual void FormKeyDown(QKeyEvent* event);
    virtual bool FormCloseQuery();
    virtual void FormClose();

    void done(int result) override;

protected:
    // The bar's layout, for dialogs that add buttons of their own at the left.
    QHBoxLayout* buttonBarLayout() const { return m_barLayout; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* makeButton(const QString& name, const QString& caption, const QIcon& icon);

    QString m_screenCode;
    QHBoxLayout* m_barLayout;
};
