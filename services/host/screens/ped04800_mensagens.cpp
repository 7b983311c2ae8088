#include "ped04800_mensagens.h"

#include "consultagrid.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"

#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString codigoTela = QStringLiteral("PED04800");

const QString qryMensagensSql = QStringLiteral(
    "SELECT M.DTMENSAGEM, M.NMREMETENTE, M.DSASSUNTO, M.IDLIDAMENS, M.TXMENSAGEM, V.NMFANVEN"
    " FROM MENSVENDEDOR M INNER JOIN VENDEDOR V ON V.CDVENDEDOR = M.CDVENDEDOR"
    " WHERE M.CDVENDEDOR = :P_CDVENDEDOR"
    " ORDER BY M.DTMENSAGEM DESC, M.NRMENSAGEM DESC");

} // namespace

TfrmMensagensVendedor::TfrmMensagensVendedor(const QString& sellerCode, QWidget* parent)
    : TfrmRotiGeral(codigoTela, QStringLiteral("Mensagens do Vendedor"), parent)
{
    setObjectName(QStringLiteral("frmMensagensVendedor"));
    sbtConfirma->hide();
    sbtCancela->setText(QStringLiteral("&Fechar"));

    LookupQuery mensagens =
        consultaAbre(QStringLiteral("qryMensagens"), qryMensagensSql, QStringLiteral("P_CDVENDEDOR"), sellerCode);
    if (!mensagens.isEmpty())
        setWindowTitle(QStringLiteral("Mensagens do Vendedor - %1 %2")
                           .arg(sellerCode, mensagens.fieldByName(QStringLiteral("NMFANVEN")).asString()));
    for (mensagens.first(); !mensagens.eof(); mensagens.next())
        m_textos << mensagens.fieldByName(QStringLiteral("TXMENSAGEM")).asString();

    auto* layout = new QVBoxLayout(panPrincipal);
    auto* divisor = new QSplitter(Qt::Vertical, panPrincipal);
    grdMensagens = consultaTabela(divisor, QStringLiteral("grdMensagens"), mensagens,
                                  {{QStringLiteral("DTMENSAGEM"), QStringLiteral("Data"), ConsultaFormato::Data},
                                   {QStringLiteral("NMREMETENTE"), QStringLiteral("Remetente")},
                                   {QStringLiteral("IDLIDAMENS"), QStringLiteral("Lida")},
                                   {QStringLiteral("DSASSUNTO"), QStringLiteral("Assunto")}});
    for (int row = 0; row < grdMensagens->rowCount(); ++row) {
        QTableWidgetItem* lida = grdMensagens->item(row, 2);
        const bool nova = lida->text() != u"S";
        lida->setText(nova ? QStringLiteral("Não") : QStringLiteral("Sim"));
        if (nova)
            for (int c = 0; c < grdMensagens->columnCount(); ++c) {
                QFont bold = grdMensagens->item(row, c)->font();
                bold.setBold(true);
                grdMensagens->item(row, c)->setFont(bold);
            }
    }
    ajustaColunas(grdMensagens, 3);
    if (grdMensagens->rowCount() > 0)
        grdMensagens->selectRow(0);
    txtMensagem = new QTextEdit(divisor);
    txtMensagem->setObjectName(QStringLiteral("txtMensagem"));
    txtMensagem->setReadOnly(true);
    divisor->addWidget(grdMensagens);
    divisor->addWidget(txtMensagem);
    divisor->setStretchFactor(0, 2);
    divisor->setStretchFactor(1, 1);
    layout->addWidget(divisor);
    connect(grdMensagens, &QTableWidget::currentCellChanged, this, [this](int row) { mostraMensagem(row); });
    mostraMensagem(grdMensagens->currentRow());
    resize(680, 440);
}

int TfrmMensagensVendedor::mensagens() const
{
    return m_textos.size();
}

void TfrmMensagensVendedor::mostraMensagem(int row)
{
    txtMensagem->setPlainText(row >= 0 && row < m_textos.size() ? m_textos.at(row) : QString());
}

void openPed04800(const QVariantList& args)
{
    const QString seller = args.value(0).toString().trimmed();
    if (seller.isEmpty())
        return;
    TfrmMensagensVendedor mensagens(seller);
    if (mensagens.mensagens() > 0)
        host().execModal(mensagens);
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(codigoTela, openPed04800);
    return true;
}();

} // namespace
