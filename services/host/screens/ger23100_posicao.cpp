#include "ger23100_posicao.h"

#include "consultagrid.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"
#include "values.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString codigoTela = QStringLiteral("GER23100");

// Open titles: not settled, not cancelled, with something left to pay.
const QString qryTitulosSql = QStringLiteral(
    "SELECT CDFILIAL, NRTITULO, NRPARCELA, DTEMISSAO, DTVENCIMENTO, VRTITULO, VRPAGOTIT,"
    " VRTITULO - VRPAGOTIT AS VRSALDO"
    " FROM TITRECEBER"
    " WHERE CDCLIENTE = :P_CDCLIENTE AND IDSITTIT = 'A' AND VRPAGOTIT < VRTITULO"
    " ORDER BY DTVENCIMENTO, NRTITULO, NRPARCELA");

const QString qryCreditoSql = QStringLiteral(
    "SELECT VRLIMCRED, IDSITCRED FROM CREDITOCLIE WHERE CDCLIENTE = :P_CDCLIENTE");

} // namespace

TfrmPosicaoCliente::TfrmPosicaoCliente(const QString& customerCode, const QString& tradeName, const QDate& today,
                                       QWidget* parent)
    : TfrmRotiGeral(codigoTela, QStringLiteral("Posição Financeira do Cliente - %1").arg(tradeName), parent)
{
    setObjectName(QStringLiteral("frmPosicaoCliente"));
    sbtConfirma->hide();
    sbtCancela->setText(QStringLiteral("&Fechar"));

    LookupQuery titulos =
        consultaAbre(QStringLiteral("qryTitulos"), qryTitulosSql, QStringLiteral("P_CDCLIENTE"), customerCode);
    grdTitulos = consultaTabela(panPrincipal, QStringLiteral("grdTitulos"), titulos,
                                {{QStringLiteral("CDFILIAL"), QStringLiteral("Filial")},
                                 {QStringLiteral("NRTITULO"), QStringLiteral("Título")},
                                 {QStringLiteral("NRPARCELA"), QStringLiteral("Parcela")},
                                 {QStringLiteral("DTEMISSAO"), QStringLiteral("Emissão"), ConsultaFormato::Data},
                                 {QStringLiteral("DTVENCIMENTO"), QStringLiteral("Vencimento"), ConsultaFormato::Data},
                                 {QStringLiteral("VRTITULO"), QStringLiteral("Valor"), ConsultaFormato::Valor},
                                 {QStringLiteral("VRPAGOTIT"), QStringLiteral("Pago"), ConsultaFormato::Valor},
                                 {QStringLiteral("VRSALDO"), QStringLiteral("Saldo"), ConsultaFormato::Valor}});
    grdTitulos->insertColumn(grdTitulos->columnCount());
    grdTitulos->setHorizontalHeaderItem(grdTitulos->columnCount() - 1, new QTableWidgetItem(QStringLiteral("Dias em atraso")));
    int row = 0;
    for (titulos.first(); !titulos.eof(); titulos.next(), ++row) {
        const int atraso = int(titulos.fieldByName(QStringLiteral("DTVENCIMENTO")).asDate().daysTo(today));
        const double saldo = RoundDec(titulos.fieldByName(QStringLiteral("VRSALDO")).asFloat(), 2);
        (atraso > 0 ? m_vencido : m_aVencer) += saldo;
        auto* item = new QTableWidgetItem(atraso > 0 ? QString::number(atraso) : QString());
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (atraso > 0)
            for (int c = 0; c < grdTitulos->columnCount() - 1; ++c)
                grdTitulos->item(row, c)->setForeground(QColor(170, 20, 20));
        grdTitulos->setItem(row, grdTitulos->columnCount() - 1, item);
    }
    ajustaColunas(grdTitulos, 1);
    m_vencido = RoundDec(m_vencido, 2);
    m_aVencer = RoundDec(m_aVencer, 2);

    LookupQuery credito =
        consultaAbre(QStringLiteral("qryCredito"), qryCreditoSql, QStringLiteral("P_CDCLIENTE"), customerCode);

    auto* layout = new QVBoxLayout(panPrincipal);
    auto* cabecalho = new QLabel(QStringLiteral("<b>%1</b> &nbsp; (código %2) &nbsp; posição em %3")
                                     .arg(tradeName.toHtmlEscaped(), customerCode.toHtmlEscaped(), FormatDateBR(today)),
                                 panPrincipal);
    layout->addWidget(cabecalho);
    layout->addWidget(grdTitulos, 1);
    if (titulos.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("Não há títulos em aberto para o cliente."), panPrincipal));

    auto* totais = new QHBoxLayout;
    auto* boxEsquerda = new QWidget(panPrincipal);
    auto* esquerda = new QFormLayout(boxEsquerda);
    auto* boxDireita = new QWidget(panPrincipal);
    auto* direita = new QFormLayout(boxDireita);
    totais->addWidget(boxEsquerda);
    totais->addSpacing(40);
    totais->addWidget(boxDireita);
    totais->addStretch(1);
    layout->addLayout(totais);
    consultaLinha(esquerda, QStringLiteral("Vencido:"), FormatNumberBR(m_vencido, 2), QStringLiteral("lblVencido"));
    consultaLinha(esquerda, QStringLiteral("A vencer:"), FormatNumberBR(m_aVencer, 2), QStringLiteral("lblAVencer"));
    consultaLinha(esquerda, QStringLiteral("Total em aberto:"), FormatNumberBR(RoundDec(m_vencido + m_aVencer, 2), 2),
                  QStringLiteral("lblTotal"));
    if (credito.isEmpty()) {
        consultaLinha(direita, QStringLiteral("Limite de crédito:"), QStringLiteral("Não concedido"), QStringLiteral("lblLimite"));
    } else {
        const double limite = credito.fieldByName(QStringLiteral("VRLIMCRED")).asFloat();
        consultaLinha(direita, QStringLiteral("Limite de crédito:"), FormatNumberBR(limite, 2), QStringLiteral("lblLimite"));
        consultaLinha(direita, QStringLiteral("Disponível:"), FormatNumberBR(RoundDec(limite - m_vencido - m_aVencer, 2), 2),
                      QStringLiteral("lblDisponivel"));
        consultaLinha(direita, QStringLiteral("Situação do crédito:"),
                      credito.fieldByName(QStringLiteral("IDSITCRED")).asString() == u"L" ? QStringLiteral("Liberado")
                                                                                        : QStringLiteral("Suspenso"));
    }
    resize(820, 460);
}

void openGer23100(const QVariantList& args)
{
    const QString code = args.value(0).toString().trimmed();
    if (code.isEmpty()) {
        MensErro(QStringLiteral("Nenhum cliente informado para a posição financeira."), false);
        return;
    }
    TfrmPosicaoCliente posicao(code, args.value(1).toString().trimmed(), QDate::currentDate());
    host().execModal(posicao);
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(codigoTela, openGer23100);
    return true;
}();

} // namespace
