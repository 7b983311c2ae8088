#pragma once
// The log-in dialog: server address and port, operator, password, company,
// branch and processing date. What was typed last (all but the password) is
// remembered per user and offered next time. A refused log-in shows its
// reason inside the dialog, which stays open for another try.

#include <QDialog>

struct ShellOptions;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(const ShellOptions& options, QWidget* parent = nullptr);
    ~LoginDialog() override;

    QLineEdit* edtServidor;
    QSpinBox* spnPorta;
    QLineEdit* edtOperador;
    QLineEdit* edtSenha;
    QComboBox* cmbEmpresa;
    QComboBox* cmbFilial;
    QDateEdit* depDataProc;
    QLabel* lblErro;
    QPushButton* btnEntrar;
    QPushButton* btnCancelar;

    // Tries to log in with what the dialog holds; closes it on success.
    void tryLogIn();

private:
    QWidget* buildBanner();
    QWidget* buildForm();
    void fillCompanies(const QString& preferred);
    void fillBranches(const QString& preferred);
    void showError(const QString& text);
    void rememberChoices() const;
};
