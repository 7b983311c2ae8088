#include "consisteproduto.h"

#include "datapacket.h"
#include "host.h"
#include "screens/consultagrid.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString textoDe(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Double)
        return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(value.toDouble(), 'f', 2);
    return value.toString();
}

QTableWidget* gradeDosAchados(const QJsonValue& achados, QWidget* parent)
{
    const DataPacket dados = achados.isObject() ? DataPacket::fromJson(achados.toObject()) : DataPacket();
    auto* grade = new QTableWidget(int(dados.rows.size()), int(dados.fields.size()), parent);
    grade->setObjectName(QStringLiteral("grdAchados"));
    grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade->verticalHeader()->hide();
    QStringList titulos;
    for (const FieldDef& field : dados.fields)
        titulos << field.name;
    grade->setHorizontalHeaderLabels(titulos);
    for (int row = 0; row < dados.rows.size(); ++row)
        for (int column = 0; column < dados.fields.size(); ++column)
            grade->setItem(row, column, new QTableWidgetItem(textoDe(dados.rows.at(row).value(column))));
    ajustaColunas(grade, int(dados.fields.size()) - 1);
    return grade;
}

QString executa(TfrmConsisteProduto::Tipo tipo, const QJsonValue& achados)
{
    TfrmConsisteProduto dialogo(tipo, achados);
    host().execModal(dialogo);
    return dialogo.decisao();
}

} // namespace

TfrmConsisteProduto::TfrmConsisteProduto(Tipo tipo, const QJsonValue& achados, QWidget* parent)
    : QDialog(parent)
{
    const bool rentabilidade = tipo == Tipo::Rentabilidade;
    setObjectName(rentabilidade ? QStringLiteral("frmConsisteRentabilidadeProd") : QStringLiteral("frmConsisteAlvaraProd"));
    setWindowTitle(rentabilidade ? QStringLiteral("Rentabilidade dos produtos") : QStringLiteral("Alvará dos produtos"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(rentabilidade
                                     ? QStringLiteral("Produtos com rentabilidade abaixo da mínima:")
                                     : QStringLiteral("Produtos que exigem alvará que o cliente não possui:"),
                                 this));
    layout->addWidget(gradeDosAchados(achados, this));

    auto* botoes = new QDialogButtonBox(this);
    const auto botao = [&](const QString& nome, const QString& titulo, const QString& decisaoDoBotao) {
        QPushButton* pushButton = botoes->addButton(titulo, QDialogButtonBox::ActionRole);
        pushButton->setObjectName(nome);
        connect(pushButton, &QPushButton::clicked, this, [this, decisaoDoBotao] { responde(decisaoDoBotao); });
    };
    botao(QStringLiteral("btnDeletar"), QStringLiteral("&Excluir itens"), QStringLiteral("Deletar"));
    botao(QStringLiteral("btnStandBy"), QStringLiteral("&Aguardar liberação"), QStringLiteral("StandBy"));
    botao(QStringLiteral("btnOK"), QStringLiteral("&OK"), QStringLiteral("OK"));
    botao(QStringLiteral("btnNaoAutoriza"), QStringLiteral("&Não autorizar"), QStringLiteral("Nao_Autoriza"));
    botao(QStringLiteral("btnAutoriza"), QStringLiteral("A&utorizar"), QStringLiteral("Autoriza"));
    layout->addWidget(botoes);
    resize(720, 380);
}

void TfrmConsisteProduto::responde(const QString& decisao)
{
    m_decisao = decisao;
    accept();
}

QString ConsisteRentabilidadeProd(TNetConnection*, const QJsonValue& achados)
{
    return executa(TfrmConsisteProduto::Tipo::Rentabilidade, achados);
}

QString ConsisteAlvaraProd(TNetConnection*, const QJsonValue& achados)
{
    return executa(TfrmConsisteProduto::Tipo::Alvara, achados);
}
