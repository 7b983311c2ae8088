#include "exp00107_erros.h"

#include "field.h"
#include "host.h"
#include "loadbpl.h"
#include "recordset.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const QString codigoTela = QStringLiteral("EXP00107");

} // namespace

TfrmErrosReplicacao::TfrmErrosReplicacao(RecordSet& erros, const QString& titulo, QWidget* parent)
    : TfrmRotiGeral(codigoTela, QStringLiteral("Erros da Replicação"), parent),
      dtsErros(new DataSource(QStringLiteral("dtsErros"), this))
{
    setObjectName(QStringLiteral("frmErrosReplicacao"));
    sbtConfirma->hide();
    sbtCancela->setText(QStringLiteral("&Fechar"));

    auto* layout = new QVBoxLayout(panPrincipal);
    lblTitulo = new QLabel(titulo, panPrincipal);
    lblTitulo->setObjectName(QStringLiteral("lblTitulo"));
    lblTitulo->setWordWrap(true);
    QFont negrito = lblTitulo->font();
    negrito.setBold(true);
    lblTitulo->setFont(negrito);
    layout->addWidget(lblTitulo);

    dtsErros->setDataSet(&erros);
    dtsErros->setAutoEdit(false);
    dbgErros = new DBGrid(panPrincipal);
    dbgErros->setObjectName(QStringLiteral("dbgErros"));
    dbgErros->setDataSource(dtsErros);
    dbgErros->setReadOnly(true);
    dbgErros->setColor(QApplication::palette().color(QPalette::ToolTipBase));
    for (const Field* campo : erros.fields())
        if (campo->isVisible())
            dbgErros->addColumn(campo->name(), campo->displayLabel());
    dbgErros->setStretchLastColumn(true);
    layout->addWidget(dbgErros);
    erros.first();
    resize(600, 320);
}

void openExp00107(const QVariantList& args)
{
    auto* erros = reinterpret_cast<RecordSet*>(args.value(0).value<quintptr>());
    if (!erros)
        throw std::invalid_argument("EXP00107 precisa da lista de erros.");
    TfrmErrosReplicacao lista(*erros, args.value(1).toString());
    host().execModal(lista);
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(codigoTela, openExp00107);
    return true;
}();

} // namespace
