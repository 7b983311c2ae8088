#include "ped00105_revisao.h"

#include "consultagrid.h"
#include "datapacket.h"
#include "host.h"
#include "loadbpl.h"

#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString codigoTela = QStringLiteral("PED00105");

DataPacket pacoteDe(const QVariant& value)
{
    const QJsonObject object = QJsonObject::fromVariantMap(value.toMap());
    return object.isEmpty() ? DataPacket() : DataPacket::fromJson(object);
}

QString textoDe(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Double)
        return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(value.toDouble(), 'f', 2);
    return value.toString();
}

} // namespace

QString TfrmRevisaoPedido::tituloDoModo(const QString& mode)
{
    if (mode == u"X")
        return QStringLiteral("Itens sem preço no preço base");
    if (mode == u"C")
        return QStringLiteral("Comissão dos vendedores fora da validade");
    if (mode == u"1")
        return QStringLiteral("Itens com erro");
    if (mode == u"P")
        return QStringLiteral("Preços alterados pelo servidor");
    if (mode == u"R")
        return QStringLiteral("Reservas de estoque");
    return QStringLiteral("Confirmação do pedido");
}

TfrmRevisaoPedido::TfrmRevisaoPedido(const QVariant& packet, RespostaRevisao* resposta, const QString& mode, QWidget* parent)
    : TfrmRotiGeral(codigoTela, tituloDoModo(mode), parent), m_resposta(resposta)
{
    setObjectName(QStringLiteral("frmRevisaoPedido"));
    sbtConfirma->setText(QStringLiteral("&Aceitar"));
    sbtCancela->setText(QStringLiteral("&Recusar"));

    const DataPacket dados = pacoteDe(packet);
    auto* layout = new QVBoxLayout(panPrincipal);
    auto* titulo = new QLabel(tituloDoModo(mode), panPrincipal);
    titulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont negrito = titulo->font();
    negrito.setBold(true);
    titulo->setFont(negrito);
    layout->addWidget(titulo);

    grdRevisao = new QTableWidget(int(dados.rows.size()), int(dados.fields.size()), panPrincipal);
    grdRevisao->setObjectName(QStringLiteral("grdRevisao"));
    grdRevisao->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRevisao->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRevisao->verticalHeader()->hide();
    QStringList titulos;
    for (const FieldDef& field : dados.fields)
        titulos << field.name;
    grdRevisao->setHorizontalHeaderLabels(titulos);
    for (int row = 0; row < dados.rows.size(); ++row)
        for (int column = 0; column < dados.fields.size(); ++column)
            grdRevisao->setItem(row, column, new QTableWidgetItem(textoDe(dados.rows.at(row).value(column))));
    ajustaColunas(grdRevisao, int(dados.fields.size()) - 1);
    layout->addWidget(grdRevisao);
    resize(820, 420);
}

void TfrmRevisaoPedido::sbtConfirmaClick()
{
    if (m_resposta)
        m_resposta->aceito = true;
    TfrmRotiGeral::sbtConfirmaClick();
}

void TfrmRevisaoPedido::sbtCancelClick()
{
    if (m_resposta)
        m_resposta->aceito = false;
    TfrmRotiGeral::sbtCancelClick();
}

void openPed00105(const QVariantList& args)
{
    TfrmRevisaoPedido revisao(args.value(0), args.value(1).value<RespostaRevisao*>(), args.value(2).toString());
    host().execModal(revisao);
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(codigoTela, openPed00105);
    return true;
}();

} // namespace
