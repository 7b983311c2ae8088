#include "filtropadrao.h"


#include "widgets/buttonflat.h"
#include "context.h"
#include "widgets/dateeditplus.h"
#include "guard.h"
#include "hostlog.h"
#include "iso_datetime.h"
#include "widgets/numberedit.h"
#include "screenicons.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QShowEvent>
#include <stdexcept>

namespace {

const int OptionsFormatVersion = 1;

std::runtime_error optionsError(const QString& text)
{
    return std::runtime_error(text.toStdString());
}

// A control the person named in the dialog, not a part of a composite one
// (the line edit inside a spin box or a combo box).
bool isOwnNamedControl(const QWidget* widget)
{
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith(u"qt_"))
        return false;
    const QWidget* parent = widget->parentWidget();
    return !qobject_cast<const QAbstractSpinBox*>(parent) && !qobject_cast<const QComboBox*>(parent);
}

// The saved value of one control; null for controls that are not saved.
QJsonValue captureControl(QWidget* widget)
{
    if (auto* box = qobject_cast<QCheckBox*>(widget))
        return box->isChecked();
    if (auto* radio = qobject_cast<QRadioButton*>(widget))
        return radio->isChecked();
    if (auto* dateEdit = qobject_cast<TDateEditPlus*>(widget))
        return dateEdit->date().isValid() ? isoDateText(dateEdit->date()) : QString();
    if (auto* numberEdit = qobject_cast<TNumberEdit*>(widget))
        return numberEdit->isEmpty() ? QJsonValue(QString()) : QJsonValue(numberEdit->value());
    if (auto* lineEdit = qobject_cast<QLineEdit*>(widget)) {
        if (lineEdit->echoMode() != QLineEdit::Normal)
            return QJsonValue::Null;
        return lineEdit->text();
    }
    if (auto* dateTimeEdit = qobject_cast<QDateTimeEdit*>(widget))
        return isoDateTimeText(dateTimeEdit->dateTime());
    return QJsonValue::Null;
}

// Returns false when the value does not fit the control (the file was
// written by another version of the dialog).
bool applyControl(QWidget* widget, const QJsonValue& value)
{
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        if (!value.isBool())
            return false;
        box->setChecked(value.toBool());
        return true;
    }
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        if (!value.isBool())
            return false;
        // In an exclusive group the checked one unchecks the others.
        if (value.toBool() || !radio->autoExclusive())
            radio->setChecked(value.toBool());
        return true;
    }
    if (auto* dateEdit = qobject_cast<TDateEditPlus*>(widget)) {
        if (!value.isString())
            return false;
        const QDate date = parseIsoDate(value.toString());
        if (!value.toString().isEmpty() && !date.isValid())
            return false;
        dateEdit->setDate(date);
        return true;
    }
    if (auto* numberEdit = qobject_cast<TNumberEdit*>(widget)) {
        if (value.isDouble())
            numberEdit->setValue(value.toDouble());
        else if (value.isString() && value.toString().isEmpty())
            numberEdit->clear();
        else
            return false;
        return true;
    }
    if (auto* lineEdit = qobject_cast<QLineEdit*>(widget)) {
        if (!value.isString() || lineEdit->echoMode() != QLineEdit::Normal)
            return false;
        lineEdit->setText(value.toString());
        return true;
    }
    if (auto* dateTimeEdit = qobject_cast<QDateTimeEdit*>(widget)) {
        const QDateTime dateTime = parseIsoLenient(value.toString());
        if (!dateTime.isValid())
            return false;
        dateTimeEdit->setDateTime(dateTime);
        return true;
    }
    return false;
}

} // namespace

TfrmFiltroPadrao::TfrmFiltroPadrao(const QString& screenCode, const QString& caption, QWidget* parent)
    : TfrmRotiGeral(screenCode, caption, parent)
{
    btfSaveOpc = new TButtonFlat(QStringLiteral("Salvar opções"), panBotoes);
    btfSaveOpc->setObjectName(QStringLiteral("btfSaveOpc"));
    btfSaveOpc->setIcon(screenIcon(ScreenIcon::Salvar));
    btfSaveOpc->setToolTip(QStringLiteral("Guarda as opções desta tela para o operador"));
    btfLoadOpc = new TButtonFlat(QStringLiteral("Carregar opções"), panBotoes);
    btfLoadOpc->setObjectName(QStringLiteral("btfLoadOpc"));
    btfLoadOpc->setIcon(screenIcon(ScreenIcon::Abrir));
    btfLoadOpc->setToolTip(QStringLiteral("Volta às opções guardadas para o operador"));
    for (TButtonFlat* button : {btfSaveOpc, btfLoadOpc})
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    buttonBarLayout()->insertWidget(1, btfSaveOpc);
    buttonBarLayout()->insertWidget(2, btfLoadOpc);

    btfSaveOpc->onClick = [this](TButtonFlat&) {
        btfSaveOpcClick();
        host().showMessage(MsgType::Information,
                           QStringLiteral("Opções salvas para o operador %1.").arg(Operador()), MsgButton::Ok,
                           MsgButton::Ok);
    };
    btfLoadOpc->onClick = [this](TButtonFlat&) {
        if (!hasSavedOptions()) {
            host().showMessage(MsgType::Information, QStringLiteral("Não há opções salvas desta tela."),
                               MsgButton::Ok, MsgButton::Ok);
            return;
        }
        btfLoadOpcClick();
    };
    sbtConfirma->setToolTip(QStringLiteral("Confirmar (Enter)"));
    connect(this, &QDialog::accepted, this, &TfrmFiltroPadrao::saveAfterAccept);
}

void TfrmFiltroPadrao::FormKeyDown(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier))) {
        TfrmRotiGeral::FormKeyDown(event);
        return;
    }
    event->accept();
    if (sbtConfirma->isEnabled() && sbtConfirma->isVisible())
        sbtConfirma->click();
}

TfrmFiltroPadrao::~TfrmFiltroPadrao() = default;

QString TfrmFiltroPadrao::optionsFile() const
{
    return ConfigOperDir() + screenCode() + QStringLiteral(".opcoes.json");
}

bool TfrmFiltroPadrao::hasSavedOptions() const
{
    return QFile::exists(optionsFile());
}

void TfrmFiltroPadrao::btfSaveOpcClick()
{
    QJsonObject controls;
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!isOwnNamedControl(widget))
            continue;
        const QJsonValue value = captureControl(widget);
        if (!value.isNull())
            controls.insert(widget->objectName(), value);
    }
    QJsonObject values;
    for (auto it = lstOpcoes.cbegin(); it != lstOpcoes.cend(); ++it)
        values.insert(it.key(), it.value());
    const QJsonObject document{{QStringLiteral("versao"), OptionsFormatVersion},
                               {QStringLiteral("tela"), screenCode()},
                               {QStringLiteral("operador"), Operador()},
                               {QStringLiteral("controles"), controls},
                               {QStringLiteral("opcoes"), values}};

    const QString path = optionsFile();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(document).toJson(QJsonDocument::Indented)) < 0 || !file.commit())
        throw optionsError(QStringLiteral("Não foi possível salvar as opções em %1: %2").arg(path, file.errorString()));
}

void TfrmFiltroPadrao::btfLoadOpcClick()
{
    const QString path = optionsFile();
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw optionsError(QStringLiteral("Não foi possível ler as opções salvas em %1: %2").arg(path, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject root = document.object();
    if (parseError.error != QJsonParseError::NoError || !root.value(QStringLiteral("controles")).isObject())
        throw optionsError(QStringLiteral("As opções salvas em %1 estão danificadas e não foram usadas.").arg(path));

    const QJsonObject controls = root.value(QStringLiteral("controles")).toObject();
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!isOwnNamedControl(widget) || !controls.contains(widget->objectName()))
            continue;
        if (!applyControl(widget, controls.value(widget->objectName())))
            qCWarning(lcHost).noquote() << "Opção salva de" << widget->objectName() << "em" << path
                                        << "não serve ao controle; ignorada.";
    }
    lstOpcoes.clear();
    const QJsonObject values = root.value(QStringLiteral("opcoes")).toObject();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        lstOpcoes.insert(it.key(), it.value().toString());
}

void TfrmFiltroPadrao::showEvent(QShowEvent* event)
{
    if (!m_loadedOnce && !event->spontaneous()) {
        m_loadedOnce = true;
        if (m_autoOptions)
            guarded([&] { btfLoadOpcClick(); });
    }
    TfrmRotiGeral::showEvent(event);
}

void TfrmFiltroPadrao::saveAfterAccept()
{
    if (m_autoOptions)
        guarded([&] { btfSaveOpcClick(); });
}
