#include "rotigeral.h"
#include "formkeys.h"

#include "guard.h"
#include "screenicons.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool isSingleLineField(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)
        || qobject_cast<const QComboBox*>(widget);
}

bool isAvailable(const QPushButton* button)
{
    return button->isEnabled() && !button->isHidden();
}

} // namespace

TfrmRotiGeral::TfrmRotiGeral(const QString& screenCode, const QString& caption, QWidget* parent)
    : QDialog(parent), m_screenCode(screenCode.trimmed().toUpper())
{
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    panPrincipal = new QWidget(this);
    panPrincipal->setObjectName(QStringLiteral("panPrincipal"));
    layout->addWidget(panPrincipal, 1);

    panBotoes = new QFrame(this);
    panBotoes->setObjectName(QStringLiteral("panBotoes"));
    panBotoes->setFrameShape(QFrame::StyledPanel);
    panBotoes->setAutoFillBackground(true);
    m_barLayout = new QHBoxLayout(panBotoes);
    m_barLayout->setContentsMargins(10, 8, 10, 8);
    m_barLayout->setSpacing(6);
    sbtAjuda = makeButton(QStringLiteral("sbtAjuda"), QStringLiteral("Aj&uda"), screenIcon(ScreenIcon::Ajuda));
    sbtConfirma = makeButton(QStringLiteral("sbtConfirma"), QStringLiteral("&Confirmar"), screenIcon(ScreenIcon::Confirmar));
    sbtCancela = makeButton(QStringLiteral("sbtCancela"), QStringLiteral("C&ancelar"), screenIcon(ScreenIcon::Cancelar));
    sbtConfirma->setToolTip(QStringLiteral("Confirmar (Ctrl+Enter)"));
    sbtCancela->setToolTip(QStringLiteral("Cancelar (Esc)"));
    m_barLayout->addWidget(sbtAjuda);
    m_barLayout->addStretch(1);
    m_barLayout->addWidget(sbtConfirma);
    m_barLayout->addWidget(sbtCancela);
    layout->addWidget(panBotoes);

    connect(sbtConfirma, &QPushButton::clicked, this, [this] { guarded([&] { sbtConfirmaClick(); }); });
    connect(sbtCancela, &QPushButton::clicked, this, [this] { guarded([&] { sbtCancelClick(); }); });
    connect(sbtAjuda, &QPushButton::clicked, this, [this] { guarded([&] { sbtAjudaClick(); }); });
}

TfrmRotiGeral::~TfrmRotiGeral() = default;

QPushButton* TfrmRotiGeral::makeButton(const QString& name, const QString& caption, const QIcon& icon)
{
    auto* button = new QPushButton(icon, caption, panBotoes);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumWidth(104);
    return button;
}

void TfrmRotiGeral::sbtConfirmaClick()
{
    accept();
}

void TfrmRotiGeral::sbtCancelClick()
{
    reject();
}

void TfrmRotiGeral::sbtAjudaClick()
{
    const QString text = QStringLiteral("%1 - %2\n\nCtrl+Enter\tConfirmar\nEsc\tCancelar\nEnter\tpróximo campo")
                             .arg(m_screenCode, windowTitle());
    host().showMessage(MsgType::Information, text, MsgButton::Ok, MsgButton::Ok);
}

void TfrmRotiGeral::FormKeyDown(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        if (isAvailable(sbtCancela))
            sbtCancela->click();
        return;
    case Qt::Key_F10:
        event->accept();
        if (isAvailable(sbtConfirma))
            sbtConfirma->click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        if (ctrl) {
            if (isAvailable(sbtConfirma))
                sbtConfirma->click();
        } else if (isSingleLineField(focusWidget())) {
            focusNextChild();
        }
        return;
    default: return;
    }
}

bool TfrmRotiGeral::FormCloseQuery()
{
    return true;
}

void TfrmRotiGeral::FormClose()
{
}

void TfrmRotiGeral::done(int result)
{
    bool mayClose = false;
    guarded([&] { mayClose = FormCloseQuery(); });
    if (!mayClose)
        return;
    guarded([&] { FormClose(); });
    QDialog::done(result);
}

// QDialog would take Esc and Enter for itself (reject, default button);
// here they go through FormKeyDown, which respects the buttons' state.
void TfrmRotiGeral::keyPressEvent(QKeyEvent* event)
{
    if (!routeFormKey(event, [this](QKeyEvent* key) { FormKeyDown(key); }))
        QDialog::keyPressEvent(event);
}
