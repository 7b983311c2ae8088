#include "lookupframe.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton* layOutLookupDialog(QDialog* dialog, QLayout* searchRow, QWidget* list, QLabel* status)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    // Enter belongs to the search box and the list, not to a default button.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(status, 1);
    bottomRow->addWidget(buttons);

    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(10);
    layout->addLayout(searchRow);
    layout->addWidget(list, 1);
    layout->addLayout(bottomRow);
    return ok;
}
