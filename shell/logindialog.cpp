#include "logindialog.h"

#include "login.h"
#include "shelloptions.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const QString KeyServer = QStringLiteral("login/servidor");
const QString KeyPort = QStringLiteral("login/porta");
const QString KeyOperator = QStringLiteral("login/operador");
const QString KeyCompany = QStringLiteral("login/empresa");
const QString KeyBranch = QStringLiteral("login/filial");
const int DefaultPort = 8100;

QString firstOf(const QString& given, const QVariant& remembered, const QString& fallback)
{
    if (!given.isEmpty())
        return given;
    const QString text = remembered.toString();
    return text.isEmpty() ? fallback : text;
}

void selectCode(QComboBox* combo, const QString& code)
{
    const int index = combo->findData(code);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

LoginDialog::LoginDialog(const ShellOptions& options, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Entrar no ERP"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildBanner());
    layout->addWidget(buildForm());

    const QSettings settings;
    edtServidor->setText(firstOf(options.serverHost, settings.value(KeyServer), QStringLiteral("127.0.0.1")));
    spnPorta->setValue(options.serverPort > 0 ? options.serverPort : settings.value(KeyPort, DefaultPort).toInt());
    edtOperador->setText(firstOf(options.operatorCode, settings.value(KeyOperator), QString()));
    depDataProc->setDate(QDate::currentDate());
    fillCompanies(firstOf(options.company, settings.value(KeyCompany), QStringLiteral("01")));
    fillBranches(firstOf(options.branch, settings.value(KeyBranch), QStringLiteral("0001")));
    connect(cmbEmpresa, &QComboBox::currentIndexChanged, this, [this] { fillBranches(QString()); });

    (edtOperador->text().isEmpty() ? edtOperador : edtSenha)->setFocus();
}

LoginDialog::~LoginDialog() = default;

QWidget* LoginDialog::buildBanner()
{
    auto* banner = new QWidget(this);
    banner->setObjectName(QStringLiteral("panBanner"));
    banner->setAutoFillBackground(true);
    QPalette palette = banner->palette();
    palette.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0x79));
    palette.setColor(QPalette::WindowText, Qt::white);
    banner->setPalette(palette);
    auto* layout = new QVBoxLayout(banner);
    layout->setContentsMargins(24, 18, 24, 16);
    layout->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("ERP · Vendas"), banner);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* subtitle = new QLabel(QStringLiteral("Informe o operador, a senha e onde vai trabalhar."), banner);
    layout->addWidget(title);
    layout->addWidget(subtitle);
    return banner;
}

QWidget* LoginDialog::buildForm()
{
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(8);

    edtServidor = new QLineEdit(body);
    edtServidor->setObjectName(QStringLiteral("edtServidor"));
    edtServidor->setPlaceholderText(QStringLiteral("endereço do servidor"));
    spnPorta = new QSpinBox(body);
    spnPorta->setObjectName(QStringLiteral("spnPorta"));
    spnPorta->setRange(1, 65535);
    spnPorta->setGroupSeparatorShown(false);
    auto* serverRow = new QHBoxLayout;
    serverRow->setSpacing(6);
    serverRow->addWidget(edtServidor, 1);
    auto* portLabel = new QLabel(QStringLiteral("&Porta"), body);
    portLabel->setBuddy(spnPorta);
    portLabel->setContentsMargins(8, 0, 0, 0);
    serverRow->addWidget(portLabel);
    serverRow->addWidget(spnPorta);
    auto* serverLabel = new QLabel(QStringLiteral("&Servidor"), body);
    serverLabel->setBuddy(edtServidor);
    form->addRow(serverLabel, serverRow);

    edtOperador = new QLineEdit(body);
    edtOperador->setObjectName(QStringLiteral("edtOperador"));
    edtOperador->setMaxLength(12);
    connect(edtOperador, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = edtOperador->cursorPosition();
        edtOperador->setText(text.toUpper());
        edtOperador->setCursorPosition(cursor);
    });
    form->addRow(QStringLiteral("&Operador"), edtOperador);

    edtSenha = new QLineEdit(body);
    edtSenha->setObjectName(QStringLiteral("edtSenha"));
    edtSenha->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("S&enha"), edtSenha);

    cmbEmpresa = new QComboBox(body);
    cmbEmpresa->setObjectName(QStringLiteral("cmbEmpresa"));
    form->addRow(QStringLiteral("E&mpresa"), cmbEmpresa);
    cmbFilial = new QComboBox(body);
    cmbFilial->setObjectName(QStringLiteral("cmbFilial"));
    form->addRow(QStringLiteral("&Filial"), cmbFilial);

    depDataProc = new QDateEdit(body);
    depDataProc->setObjectName(QStringLiteral("depDataProc"));
    depDataProc->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    depDataProc->setCalendarPopup(true);
    form->addRow(QStringLiteral("&Data de processamento"), depDataProc);
    layout->addLayout(form);

    lblErro = new QLabel(body);
    lblErro->setObjectName(QStringLiteral("lblErro"));
    lblErro->setWordWrap(true);
    lblErro->setTextFormat(Qt::PlainText);
    lblErro->setStyleSheet(QStringLiteral("QLabel { color: #a8261f; background: #fdecea; border: 1px solid #f3b7b2;"
                                          " border-radius: 4px; padding: 6px 8px; }"));
    lblErro->hide();
    layout->addWidget(lblErro);

    btnEntrar = new QPushButton(QStringLiteral("Entrar"), body);
    btnEntrar->setObjectName(QStringLiteral("btnEntrar"));
    btnEntrar->setDefault(true);
    btnCancelar = new QPushButton(QStringLiteral("Cancelar"), body);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnCancelar->setAutoDefault(false);
    for (QPushButton* button : {btnEntrar, btnCancelar})
        button->setMinimumWidth(110);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnEntrar);
    buttons->addWidget(btnCancelar);
    layout->addLayout(buttons);

    connect(btnEntrar, &QPushButton::clicked, this, &LoginDialog::tryLogIn);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    body->setMinimumWidth(580);
    return body;
}

void LoginDialog::fillCompanies(const QString& preferred)
{
    cmbEmpresa->clear();
    try {
        for (const CodeName& company : listCompanies())
            cmbEmpresa->addItem(QStringLiteral("%1 - %2").arg(company.code, company.name), company.code);
    } catch (const std::exception& error) {
        showError(QStringLiteral("Não foi possível ler as empresas: %1").arg(error.what()));
    }
    selectCode(cmbEmpresa, preferred);
}

void LoginDialog::fillBranches(const QString& preferred)
{
    cmbFilial->clear();
    const QString company = cmbEmpresa->currentData().toString();
    if (company.isEmpty())
        return;
    try {
        for (const CodeName& branch : listBranches(company))
            cmbFilial->addItem(QStringLiteral("%1 - %2").arg(branch.code, branch.name), branch.code);
    } catch (const std::exception& error) {
        showError(QStringLiteral("Não foi possível ler as filiais: %1").arg(error.what()));
    }
    selectCode(cmbFilial, preferred);
}

void LoginDialog::showError(const QString& text)
{
    lblErro->setText(text);
    lblErro->setVisible(!text.isEmpty());
    adjustSize();
}

void LoginDialog::tryLogIn()
{
    LoginRequest request;
    request.serverHost = edtServidor->text();
    request.serverPort = spnPorta->value();
    request.operatorCode = edtOperador->text();
    request.password = edtSenha->text();
    request.company = cmbEmpresa->currentData().toString();
    request.branch = cmbFilial->currentData().toString();
    request.processingDate = depDataProc->date();
    try {
        const WaitCursor wait;
        logIn(request);
    } catch (const LoginError& error) {
        showError(error.text());
        edtSenha->selectAll();
        edtSenha->setFocus();
        return;
    } catch (const std::exception& error) {
        showError(QStringLiteral("Falha inesperada no log-in: %1").arg(error.what()));
        return;
    }
    edtSenha->clear();
    rememberChoices();
    accept();
}

void LoginDialog::rememberChoices() const
{
    QSettings settings;
    settings.setValue(KeyServer, edtServidor->text().trimmed());
    settings.setValue(KeyPort, spnPorta->value());
    settings.setValue(KeyOperator, edtOperador->text().trimmed().toUpper());
    settings.setValue(KeyCompany, cmbEmpresa->currentData().toString());
    settings.setValue(KeyBranch, cmbFilial->currentData().toString());
}
