#include "autorizadialog.h"

#include "messages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAutoriza::TfrmAutoriza(const QString& operation, const QString& detail, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAutoriza"));
    setWindowTitle(msgMensagensPadroes().Msg(QStringLiteral("Liberacao_Titulo")));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    // Known operations have a readable name in the standard catalog.
    const TMessages& standard = msgMensagensPadroes();
    const QString operationName = standard.contains(operation) ? standard.Msg(operation) : operation;
    auto* lblPedido = new QLabel(FormatMsg(standard.Msg(QStringLiteral("Liberacao_Pedido")), {operationName}), this);
    lblPedido->setWordWrap(true);
    layout->addWidget(lblPedido);
    if (!detail.isEmpty()) {
        auto* lblDetalhe = new QLabel(detail, this);
        lblDetalhe->setObjectName(QStringLiteral("lblDetalhe"));
        lblDetalhe->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(lblDetalhe);
    }

    auto* form = new QFormLayout;
    edtOperador = new QLineEdit(this);
    edtOperador->setObjectName(QStringLiteral("edtOperador"));
    edtOperador->setMaxLength(12);
    edtSenha = new QLineEdit(this);
    edtSenha->setObjectName(QStringLiteral("edtSenha"));
    edtSenha->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&Supervisor:"), edtOperador);
    form->addRow(QStringLiteral("S&enha:"), edtSenha);
    layout->addLayout(form);

    lblErro = new QLabel(this);
    lblErro->setObjectName(QStringLiteral("lblErro"));
    lblErro->setWordWrap(true);
    lblErro->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblErro->hide();
    layout->addWidget(lblErro);

    auto* buttons = new QDialogButtonBox(this);
    btnLiberar = buttons->addButton(QStringLiteral("&Liberar"), QDialogButtonBox::AcceptRole);
    btnLiberar->setObjectName(QStringLiteral("btnLiberar"));
    QPushButton* btnCancelar = buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmAutoriza::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmAutoriza::reject);
    layout->addWidget(buttons);

    setMinimumWidth(360);
}

QString TfrmAutoriza::operador() const
{
    return edtOperador->text().trimmed();
}

QString TfrmAutoriza::senha() const
{
    return edtSenha->text();
}

void TfrmAutoriza::setOperador(const QString& operador)
{
    edtOperador->setText(operador);
}

void TfrmAutoriza::setSenha(const QString& senha)
{
    edtSenha->setText(senha);
}

void TfrmAutoriza::setRefusal(const QString& reason)
{
    lblErro->setText(reason);
    lblErro->setVisible(!reason.isEmpty());
    edtSenha->clear();
    (operador().isEmpty() ? edtOperador : edtSenha)->setFocus();
}

QString TfrmAutoriza::refusal() const
{
    return lblErro->text();
}

void TfrmAutoriza::accept()
{
    if (operador().isEmpty() || senha().isEmpty()) {
        lblErro->setText(msgMensagensPadroes().Msg(QStringLiteral("Liberacao_Operador")));
        lblErro->show();
        (operador().isEmpty() ? edtOperador : edtSenha)->setFocus();
        return;
    }
    QDialog::accept();
}
