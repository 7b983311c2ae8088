#include "procuradialog.h"

#include "field.h"
#include "guard.h"
#include "host.h"
#include "locate.h"
#include "recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool isNameField(const QString& fieldName)
{
    return fieldName.startsWith(QLatin1String("NM"), Qt::CaseInsensitive)
        || fieldName.startsWith(QLatin1String("DS"), Qt::CaseInsensitive);
}

} // namespace

TfrmProcura::TfrmProcura(RecordSet& recordSet, const QString& title, const QList<PesquisaColuna>& columns,
                         QWidget* parent)
    : QDialog(parent), m_recordSet(recordSet)
{
    setObjectName(QStringLiteral("frmProcura"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Procurar") : title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    auto* form = new QFormLayout;
    form->setHorizontalSpacing(10);
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("cbbCampo"));
    int nameEntry = -1;
    auto offer = [&](const Field& field, const QString& caption) {
        if (nameEntry < 0 && isNameField(field.name()))
            nameEntry = m_field->count();
        m_field->addItem(caption.isEmpty() ? field.displayLabel() : caption);
        m_fieldIndexes.append(field.index());
    };
    if (columns.isEmpty()) {
        for (const Field* field : recordSet.fields())
            if (field->isVisible() && field->kind() != Field::Kind::Aggregate)
                offer(*field, QString());
    } else {
        for (const PesquisaColuna& column : columns)
            if (const Field* field = recordSet.findField(column.fieldName))
                offer(*field, column.title);
    }
    m_field->setCurrentIndex(qMax(nameEntry, 0));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("edtTexto"));
    m_text->setMinimumWidth(260);
    m_partial = new QCheckBox(QStringLiteral("Parte do texto"), this);
    m_partial->setObjectName(QStringLiteral("chbParte"));
    m_partial->setChecked(true);
    form->addRow(QStringLiteral("Campo"), m_field);
    form->addRow(QStringLiteral("Texto"), m_text);
    form->addRow(QString(), m_partial);
    layout->addLayout(form);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setStyleSheet(QStringLiteral("color: #b3261e;"));
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* find = buttons->addButton(QStringLiteral("Procurar"), QDialogButtonBox::AcceptRole);
    find->setObjectName(QStringLiteral("btnProcurar"));
    find->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    connect(find, &QPushButton::clicked, this, [this] { guarded([&] { search(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool TfrmProcura::run()
{
    return host().execModal(*this) == QDialog::Accepted;
}

void TfrmProcura::search()
{
    if (m_text->text().trimmed().isEmpty()) {
        m_status->setText(QStringLiteral("Nenhum texto para pesquisa foi informado."));
        return;
    }
    const int fieldIndex = m_fieldIndexes.value(m_field->currentIndex(), -1);
    const int from = m_recordSet.currentRow() + 1;
    const int row = findRowByText(m_recordSet, fieldIndex, m_text->text(), m_partial->isChecked(),
                                  from >= m_recordSet.recordCount() ? 0 : from, true);
    if (row < 0) {
        m_status->setText(QStringLiteral("Texto não encontrado."));
        return;
    }
    m_recordSet.setCurrentRow(row);
    accept();
}
