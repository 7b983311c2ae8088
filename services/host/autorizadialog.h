#pragma once
// The supervisor's release dialog: a supervisor types operator and password
// to let an operation through. The password only travels to the server.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmAutoriza : public QDialog {
    Q_OBJECT
public:
    // `operation` names what needs the release ("ALTERA_PRECO_PEDIDO"),
    // `detail` what it applies to (branch, order and item).
    TfrmAutoriza(const QString& operation, const QString& detail, QWidget* parent = nullptr);

    QString operador() const;
    QString senha() const;
    void setOperador(const QString& operador);
    void setSenha(const QString& senha);
    // Shows why the last attempt was refused and asks for the password again.
    void setRefusal(const QString& reason);
    QString refusal() const;

    void accept() override;   // refuses an empty operator or password

private:
    QLineEdit* edtOperador;
    QLineEdit* edtSenha;
    QLabel* lblErro;
    QPushButton* btnLiberar;
};
