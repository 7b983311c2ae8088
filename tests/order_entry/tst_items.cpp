// The items of the order screen: numbering, the insert refusals, calculated
// values, aggregates and totals, code texts, the immediate-confirmation rule
// and the current item's stock data, on the real screen against the
// in-process server over the demo database.

#include "lanpedido_testcase.h"

#include "eventguard.h"

#include "abort.h"
#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "store/database.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"
#include "money.h"

#include <QLabel>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

QVariantMap item(int number, double quantity, double price, double discount = 0, const QString& bonus = QStringLiteral("N"))
{
    return {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NRPEDIDO"), QStringLiteral("0000009990")},
            {QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(number, 10, 10, QLatin1Char('0'))},
            {QStringLiteral("QTITEMPED"), quantity}, {QStringLiteral("VRPREUNITPED"), price},
            {QStringLiteral("VRDESITPED"), discount}, {QStringLiteral("IDPRODBONIF"), bonus},
            {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")}};
}

double cents(double value)
{
    return RoundDec(value, 2);
}

} // namespace

class TstItems : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void numeracao_data();
    void numeracao();
    void maximoDeItens_data();
    void maximoDeItens();
    void insercaoRecusada_data();
    void insercaoRecusada();
    void pedidoParcialmenteAtendido_data();
    void pedidoParcialmenteAtendido();
    void mudancaDeCampos();
    void apagarTerceirizado_data();
    void apagarTerceirizado();
    void camposCalculados_data();
    void camposCalculados();
    void corDeRentabilidade_data();
    void corDeRentabilidade();
    void agregadosAcompanhamAsAlteracoes();
    void textosDosCodigos_data();
    void textosDosCodigos();
    void confirmacaoImediata_data();
    void confirmacaoImediata();
    void gradeMostraSituacoesECores();
    void itemAtualTrazEstoqueETotais();
    void indicadorDeControleDeEstoque_data();
    void indicadorDeControleDeEstoque();

private:
    void antesDoTeste() override
    {
        abreTela();
        if (tela)
            tela->FConfirmacaoLivre = false;   // no confirmation unless a test asks for it
    }
    void abreComPedido(const QString& situacao = QStringLiteral("1"), const QString& documento = QStringLiteral("11222333000181"));
    void carregaItens(const QList<QVariantMap>& itens);
};

void TstItems::abreComPedido(const QString& situacao, const QString& documento)
{
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                                                         {QStringLiteral("NRPEDIDO"), QStringLiteral("0000009990")},
                                                         {QStringLiteral("IDSITPEDIDO"), situacao},
                                                         {QStringLiteral("NRINSJURCLIE"), documento},
                                                         {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")}}}));
}

void TstItems::carregaItens(const QList<QVariantMap>& itens)
{
    tela->cdsItemPedido->setData(rowsOf(*tela->cdsItemPedido, itens));
}

void TstItems::numeracao_data()
{
    QTest::addColumn<QList<int>>("itens");
    QTest::addColumn<int>("apagado");   // 0: none
    QTest::addColumn<QString>("proximo");
    QTest::newRow("primeiro item") << QList<int>{} << 0 << "0000000001";
    QTest::newRow("depois de 1 e 3") << QList<int>{1, 3} << 0 << "0000000004";
    QTest::newRow("apagado o maior") << QList<int>{1, 2, 3} << 3 << "0000000003";
    QTest::newRow("apagado o maior depois de lacuna") << QList<int>{1, 3} << 3 << "0000000002";
    QTest::newRow("apagado um do meio") << QList<int>{1, 2, 3} << 2 << "0000000004";
    QTest::newRow("dois dígitos") << QList<int>{9, 10} << 0 << "0000000011";
}

void TstItems::numeracao()
{
    QFETCH(QList<int>, itens);
    QFETCH(int, apagado);
    QFETCH(QString, proximo);
    abreComPedido();
    QList<QVariantMap> linhas;
    for (int numero : itens)
        linhas << item(numero, 1, 1);
    carregaItens(linhas);
    if (apagado) {
        QVERIFY(tela->cdsItemPedido->locate(QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(apagado, 10, 10, QLatin1Char('0'))));
        tela->cdsItemPedido->deleteRecord();
    }
    tela->cdsItemPedido->append();
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("NRITEMPED")).asString(), proximo);
    QCOMPARE(tela->FNrProxItem, proximo);
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString(), QStringLiteral("0000009990"));
    QVERIFY(tela->FItemIncluido);
    QVERIFY(tela->FItensAlterados);
}

void TstItems::maximoDeItens_data()
{
    QTest::addColumn<QVariant>("limite");
    QTest::addColumn<int>("itens");
    QTest::addColumn<bool>("recusado");
    QTest::newRow("abaixo do limite") << QVariant(3.0) << 2 << false;
    QTest::newRow("no limite exato") << QVariant(3.0) << 3 << true;
    QTest::newRow("acima do limite") << QVariant(3.0) << 4 << true;
    QTest::newRow("limite zero") << QVariant(0.0) << 5 << false;
    QTest::newRow("sem limite") << QVariant() << 5 << false;
}

void TstItems::maximoDeItens()
{
    QFETCH(QVariant, limite);
    QFETCH(int, itens);
    QFETCH(bool, recusado);
    setParam(*tela->cdsParamPedido, QStringLiteral("NRMAXITNFPED"), limite);
    abreComPedido();
    QList<QVariantMap> linhas;
    for (int numero = 1; numero <= itens; ++numero)
        linhas << item(numero, 1, 1);
    carregaItens(linhas);
    if (recusado) {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->cdsItemPedido->append());
        QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Browse);
        QCOMPARE(tela->cdsItemPedido->recordCount(), itens);
        QCOMPARE(scripted->messageTexts(MsgType::Error),
                 QStringList{QStringLiteral("Número máximo de itens no pedidos já foi alcançado.")});
    } else {
        tela->cdsItemPedido->append();
        QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Insert);
    }
}

void TstItems::insercaoRecusada_data()
{
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<QString>("documento");
    QTest::addColumn<int>("tabelasCliente");
    QTest::addColumn<QString>("mensagem");   // empty: refused silently
    QTest::newRow("pedido liquidado") << "3" << "11222333000181" << 0 << "";
    QTest::newRow("tabela por cliente sem cliente") << "1" << "" << 2 << "Código do cliente deve ser informado.";
}

void TstItems::insercaoRecusada()
{
    QFETCH(QString, situacao);
    QFETCH(QString, documento);
    QFETCH(int, tabelasCliente);
    QFETCH(QString, mensagem);
    DataPacket tabelas;
    tabelas.fields = {FieldDef{QStringLiteral("COUNT"), FieldType::Integer, 0}};
    tabelas.rows = {{tabelasCliente}};
    tela->cdsVerifUsoTabPreClie->close();
    tela->cdsVerifUsoTabPreClie->clearFields();
    tela->cdsVerifUsoTabPreClie->setData(tabelas);
    abreComPedido(situacao, documento);
    carregaItens({item(1, 1, 1)});
    QVERIFY_THROWS_EXCEPTION(Abort, tela->cdsItemPedido->append());
    QCOMPARE(tela->cdsItemPedido->recordCount(), 1);
    QCOMPARE(scripted->messageTexts(MsgType::Error), mensagem.isEmpty() ? QStringList() : QStringList{mensagem});
}

void TstItems::pedidoParcialmenteAtendido_data()
{
    QTest::addColumn<QString>("situacaoPedido");
    QTest::addColumn<QString>("situacaoItem");
    QTest::addColumn<double>("expedida");
    QTest::addColumn<bool>("recusado");
    QTest::newRow("em andamento com item expedido") << "2" << "2" << 1.0 << true;
    QTest::newRow("em andamento com item parcial") << "2" << "7" << 0.0 << true;
    QTest::newRow("em andamento sem expedição") << "2" << "2" << 0.0 << false;
    QTest::newRow("pendente com item expedido") << "1" << "2" << 1.0 << false;
}

// An order in progress whose stored items started shipping takes no new item,
// and its approved items are not edited.
void TstItems::pedidoParcialmenteAtendido()
{
    QFETCH(QString, situacaoPedido);
    QFETCH(QString, situacaoItem);
    QFETCH(double, expedida);
    QFETCH(bool, recusado);
    abreComPedido(situacaoPedido);
    QVariantMap expedido = item(1, 5, 1);
    expedido.insert(QStringLiteral("IDSITITEMPED"), situacaoItem);
    expedido.insert(QStringLiteral("QTEXPITEMPED"), expedida);
    QVariantMap aprovado = item(2, 1, 1);
    aprovado.insert(QStringLiteral("IDSITITEMPED"), QStringLiteral("3"));
    carregaItens({expedido, aprovado});
    tela->cdsItemPedAux->setData(tela->cdsItemPedido->data());
    const QStringList mensagem{QStringLiteral("Pedido com itens parcialmente expedidos não pode ser alterado.")};
    if (recusado) {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->cdsItemPedido->append());
        tela->cdsItemPedido->last();
        QVERIFY_THROWS_EXCEPTION(Abort, tela->cdsItemPedido->edit());
        QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Browse);
        QCOMPARE(scripted->messageTexts(MsgType::Error), mensagem + mensagem);
    } else {
        tela->cdsItemPedido->append();
        tela->cdsItemPedido->cancel();
        tela->cdsItemPedido->last();
        tela->cdsItemPedido->edit();
        QCOMPARE(tela->FCdArvProdEdicao, tela->cdsItemPedido->fieldByName(QStringLiteral("CDARVPROD")).asString());
    }
}

// Typing a price off the table marks the item "Outros"; a price-kind change
// is refused without the permission and asked with it; a new product
// drops the price kind of a price not typed.
void TstItems::mudancaDeCampos()
{
    abreComPedido();
    QVariantMap linha = item(1, 2, 10);
    linha.insert(QStringLiteral("IDITPEDDIFER"), QStringLiteral("N"));
    linha.insert(QStringLiteral("CDPRODUTO"), QStringLiteral("1"));
    linha.insert(QStringLiteral("PERDESC"), 5.0);
    carregaItens({linha});
    RecordSet& itens = *tela->cdsItemPedido;
    Field& tipo = itens.fieldByName(QStringLiteral("IDITPEDDIFER"));
    QCOMPARE(tela->FTipoItemAtual, QStringLiteral("N"));

    tela->cdsPrecoBase->setData(rowsOf(*tela->cdsPrecoBase, {{{QStringLiteral("VRITEPREBASE"), 10.0}}}));
    itens.edit();
    itens.fieldByName(QStringLiteral("VRPREUNITPED")).setValue(10.0);
    QCOMPARE(tipo.asString(), QStringLiteral("N"));
    itens.fieldByName(QStringLiteral("VRPREUNITPED")).setValue(11.0);
    QCOMPARE(tipo.asString(), QStringLiteral("O"));
    QCOMPARE(tela->FTipoItemAtual, QStringLiteral("O"));
    itens.cancel();
    tela->cdsPrecoBase->close();

    setParam(*tela->cdsParamPedido, QStringLiteral("IDPERALTPRECO"), QStringLiteral("N"));
    setParam(*tela->cdsParamPedido, QStringLiteral("CDGRUALTPRECO"), QVariant());
    itens.first();
    itens.edit();
    tipo.setValue(QStringLiteral("P"));
    QCOMPARE(tipo.asString(), QStringLiteral("N"));
    QCOMPARE(scripted->messageTexts(MsgType::Information),
             QStringList{QStringLiteral("Alterações no preço do item não são permitidas.")});
    itens.cancel();

    setParam(*tela->cdsParamPedido, QStringLiteral("IDPERALTPRECO"), QStringLiteral("S"));
    itens.first();
    itens.edit();
    scripted->expectQuestion(QStringLiteral("Deseja alterar o preço do item?"), MsgButton::Yes);
    tipo.setValue(QStringLiteral("P"));
    // The order names no base price: no promotional price, the kind goes back.
    QCOMPARE(tipo.asString(), QStringLiteral("N"));
    QVERIFY(scripted->hasMessage(QStringLiteral("Preço Promocional, não cadastrado")));
    QVERIFY(itens.fieldByName(QStringLiteral("VRDESITPED")).isNull());
    QVERIFY(itens.fieldByName(QStringLiteral("PERDESC")).isNull());
    QVERIFY(!tela->FPrecoDigitado);

    itens.fieldByName(QStringLiteral("CDPRODUTO")).setValue(QStringLiteral("2"));
    QVERIFY(tipo.isNull());
    QVERIFY(tela->FTipoItemAtual.isEmpty());
    itens.cancel();
}

void TstItems::apagarTerceirizado_data()
{
    QTest::addColumn<QString>("terceirizado");
    QTest::addColumn<int>("resposta");   // -1: no question
    QTest::addColumn<int>("restantes");
    QTest::newRow("terceirizado, Sim") << "S" << int(MsgButton::Yes) << 1;
    QTest::newRow("terceirizado, Não") << "S" << int(MsgButton::No) << 2;
    QTest::newRow("próprio") << "N" << -1 << 1;
}

void TstItems::apagarTerceirizado()
{
    QFETCH(QString, terceirizado);
    QFETCH(int, resposta);
    QFETCH(int, restantes);
    abreComPedido();
    QVariantMap primeiro = item(1, 1, 1);
    primeiro.insert(QStringLiteral("IDITEMPEDTERC"), terceirizado);
    carregaItens({primeiro, item(2, 1, 1)});
    tela->cdsItemPedido->first();
    if (resposta >= 0)
        scripted->expectQuestion(QStringLiteral("possui composição cadastrada"), MsgButton(resposta));
    try {
        tela->cdsItemPedido->deleteRecord();
    } catch (const Abort&) {
    }
    QCOMPARE(tela->cdsItemPedido->recordCount(), restantes);
}

void TstItems::camposCalculados_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("desconto");
    QTest::addColumn<double>("markup");
    QTest::addColumn<QString>("bonificado");
    QTest::addColumn<double>("vrTotal");
    QTest::addColumn<double>("vrTotalAux");
    QTest::addColumn<double>("bonificacao");
    QTest::newRow("sem desconto") << 10.0 << 5.0 << 0.0 << 0.0 << "N" << 50.0 << 50.0 << 0.0;
    QTest::newRow("desconto cortado, bonificação arredondada") << 10.0 << 5.0 << 10.239 << 0.0 << "S" << 39.77 << 50.0 << 39.76;
    QTest::newRow("preço arredondado, auxiliar não") << 10.005 << 3.0 << 0.0 << 0.0 << "N" << 30.03 << 30.015 << 0.0;
    QTest::newRow("markup ignora o desconto") << 5.0 << 2.0 << 3.0 << 10.0 << "N" << 11.0 << 10.0 << 0.0;
    QTest::newRow("markup com bonificação") << 5.0 << 2.0 << 3.0 << 10.0 << "S" << 11.0 << 10.0 << 7.0;
    QTest::newRow("desconto inteiro") << 10.0 << 1.0 << 2.0 << 0.0 << "N" << 8.0 << 10.0 << 0.0;
    QTest::newRow("desconto com uma casa") << 3.5 << 4.0 << 0.5 << 0.0 << "S" << 13.5 << 14.0 << 13.5;
    QTest::newRow("não bonificado") << 7.25 << 2.0 << 1.999 << 0.0 << "N" << 12.51 << 14.5 << 0.0;
}

void TstItems::camposCalculados()
{
    QFETCH(double, preco);
    QFETCH(double, quantidade);
    QFETCH(double, desconto);
    QFETCH(double, markup);
    QFETCH(QString, bonificado);
    QFETCH(double, vrTotal);
    QFETCH(double, vrTotalAux);
    QFETCH(double, bonificacao);
    abreComPedido();
    QVariantMap linha = item(1, quantidade, preco, desconto, bonificado);
    linha.insert(QStringLiteral("VRPERCMARKUPIT"), markup);
    carregaItens({linha});
    const RecordSet& itens = *tela->cdsItemPedido;
    QCOMPARE(itens.fieldByName(QStringLiteral("VrTotal")).asFloat(), vrTotal);
    QCOMPARE(itens.fieldByName(QStringLiteral("VrTotalAux")).asFloat(), vrTotalAux);
    QCOMPARE(itens.fieldByName(QStringLiteral("VRTOTALITEM")).asFloat(), vrTotalAux);
    QCOMPARE(itens.fieldByName(QStringLiteral("VRTOTABONIFIT")).asFloat(), bonificacao);
}

void TstItems::corDeRentabilidade_data()
{
    QTest::addColumn<QString>("exibe");
    QTest::addColumn<double>("preco");
    QTest::addColumn<double>("base");
    QTest::addColumn<double>("custo");
    QTest::addColumn<double>("formacao");
    QTest::addColumn<QVariant>("cor");
    // Demo bands: below 0 red, 0-5, 5-15, 15-30, 30-1000.
    QTest::newRow("prejuízo") << "S" << 8.0 << 10.0 << 4.0 << 0.0 << QVariant(255.0);
    QTest::newRow("margem adequada pela formação") << "S" << 10.0 << 10.0 << 4.0 << 20.0 << QVariant(9498256.0);
    QTest::newRow("margem alta") << "S" << 10.0 << 8.0 << 4.0 << 0.0 << QVariant(32768.0);
    QTest::newRow("fora de toda faixa") << "S" << 10000.0 << 0.0 << 1.0 << 0.0 << QVariant(15269887.0);
    QTest::newRow("sem custo") << "S" << 10.0 << 8.0 << 0.0 << 0.0 << QVariant();
    QTest::newRow("não exibida") << "N" << 10.0 << 8.0 << 4.0 << 0.0 << QVariant();
}

void TstItems::corDeRentabilidade()
{
    QFETCH(QString, exibe);
    QFETCH(double, preco);
    QFETCH(double, base);
    QFETCH(double, custo);
    QFETCH(double, formacao);
    QFETCH(QVariant, cor);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDEXIBRENTPED"), exibe);
    abreComPedido();
    QVariantMap linha = item(1, 2, preco);
    linha.insert(QStringLiteral("VRITEPREBASE"), base);
    linha.insert(QStringLiteral("VRCUSTPRODBASE"), custo);
    linha.insert(QStringLiteral("VRPEFORMPREC"), formacao);
    carregaItens({linha});
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("vrRentabilidade")).value(), cor);
}

// Sums worked out here from the rows, after each kind of change; the screen
// shows them under the grid.
void TstItems::agregadosAcompanhamAsAlteracoes()
{
    abreComPedido();
    // The items are made up: the sums are under test, not the item checks.
    EventDetach semConferencia(tela->cdsItemPedido->beforePost);
    struct Linha {
        double quantidade, preco, desconto;
        bool bonificado;
    };
    QList<Linha> linhas = {{2, 10.5, 1.0, false}, {3, 4.333, 0.0, true}, {1, 99.9, 9.99, false}};
    auto confere = [&](const char* quando) {
        double produtos = 0, descontos = 0, bonificacao = 0;
        for (const Linha& l : linhas) {
            produtos += l.quantidade * l.preco;
            descontos += l.desconto;
            if (l.bonificado)
                bonificacao += cents(l.preco) * l.quantidade - cents(l.desconto);
        }
        const RecordSet& itens = *tela->cdsItemPedido;
        const QByteArray onde(quando);
        QVERIFY2(qFuzzyCompare(itens.fieldByName(QStringLiteral("VRTOTAPROD")).asFloat(), produtos), onde);
        QVERIFY2(qFuzzyCompare(1 + itens.fieldByName(QStringLiteral("VRTOTADESCPED")).asFloat(), 1 + descontos), onde);
        QVERIFY2(qFuzzyCompare(1 + itens.fieldByName(QStringLiteral("VRTOTABONIFPED")).asFloat(), 1 + bonificacao), onde);
    };
    QList<QVariantMap> rows;
    for (int i = 0; i < linhas.size(); ++i)
        rows << item(i + 1, linhas[i].quantidade, linhas[i].preco, linhas[i].desconto,
                     linhas[i].bonificado ? QStringLiteral("S") : QStringLiteral("N"));
    carregaItens(rows);
    confere("ao carregar");

    RecordSet& itens = *tela->cdsItemPedido;
    itens.locate(QStringLiteral("NRITEMPED"), QStringLiteral("0000000002"));
    itens.edit();
    itens.fieldByName(QStringLiteral("QTITEMPED")).setValue(5.0);
    itens.post();
    linhas[1].quantidade = 5;
    confere("depois de alterar");
    QCOMPARE(tela->nedTotal->value(), itens.fieldByName(QStringLiteral("VRTOTAPROD")).asFloat());
    QCOMPARE(tela->nedDescTotal->value(), itens.fieldByName(QStringLiteral("VRTOTADESCPED")).asFloat());

    itens.edit();
    itens.fieldByName(QStringLiteral("VRPREUNITPED")).setValue(1000.0);
    itens.cancel();
    confere("depois de cancelar");

    itens.append();
    itens.fieldByName(QStringLiteral("QTITEMPED")).setValue(4.0);
    itens.fieldByName(QStringLiteral("VRPREUNITPED")).setValue(2.5);
    itens.fieldByName(QStringLiteral("VRDESITPED")).setValue(0.25);
    itens.fieldByName(QStringLiteral("IDPRODBONIF")).setValue(QStringLiteral("S"));
    const QString comAspas = QStringLiteral("01'9");
    itens.fieldByName(QStringLiteral("CDARVPROD")).setValue(comAspas);
    itens.post();
    linhas << Linha{4, 2.5, 0.25, true};
    confere("depois de incluir");
    QVERIFY(tela->cdsValidaProduto->locate(QStringLiteral("NRITEMPED"), QStringLiteral("0000000004")));
    QCOMPARE(tela->cdsValidaProduto->fieldByName(QStringLiteral("QTITEMPED")).asFloat(), 4.0);
    // The posted product is found as typed, quotes and all; a typed code
    // cannot widen the filter, and the filter goes with the call.
    const QString pedido = itens.fieldByName(QStringLiteral("NRPEDIDO")).asString();
    QVERIFY(tela->ValidaProduto(pedido, comAspas));
    QVERIFY(!tela->ValidaProduto(pedido, QStringLiteral("x' OR '1' = '1")));
    QVERIFY(!tela->cdsValidaProduto->isFiltered());

    itens.locate(QStringLiteral("NRITEMPED"), QStringLiteral("0000000001"));
    itens.deleteRecord();
    linhas.removeFirst();
    confere("depois de apagar");
}

void TstItems::textosDosCodigos_data()
{
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("mostrado");
    QTest::addColumn<QString>("digitado");   // null: nothing typed
    QTest::addColumn<QString>("gravado");
    const QString situacao = QStringLiteral("IDSITITEMPED");
    const QString nada;
    for (const auto& [codigo, texto] : {std::pair{"1", "PE"}, std::pair{"2", "CF"}, std::pair{"3", "AP"}, std::pair{"4", "LQ"},
                                        std::pair{"5", "CN"}, std::pair{"6", "LQ"}, std::pair{"7", "PA"}, std::pair{"9", ""},
                                        std::pair{"", ""}})
        QTest::addRow("situação %s", codigo) << situacao << codigo << texto << nada << nada;
    // A price kind is typed in a new item: no price-kind question is asked there.
    const QString tipo = QStringLiteral("IDITPEDDIFER");
    QTest::newRow("tipo vazio mostra Normal") << tipo << "" << "Normal" << "Normal" << "N";
    QTest::newRow("tipo personalizado") << tipo << "S" << "Personalizado" << "Promocional" << "P";
    QTest::newRow("tipo grupo") << tipo << "G" << "Grupo Promocional" << "Par. Preço" << "R";
    QTest::newRow("tipo outros") << tipo << "O" << "Outros" << "Personalizado" << "S";
    QTest::newRow("tipo: texto desconhecido não muda") << tipo << "P" << "Promocional" << "Qualquer" << "P";
    QTest::newRow("tipo: código desconhecido") << tipo << "X" << "" << "Outros" << "O";
    for (const char* campo : {"IDITEMPEDTERC", "IDPRODBONIF"}) {
        const QString c = QString::fromLatin1(campo);
        QTest::addRow("%s S", campo) << c << "S" << "Sim" << "Não" << "N";
        QTest::addRow("%s N", campo) << c << "N" << "Não" << "Sim" << "S";
        QTest::addRow("%s vazio", campo) << c << "" << "Não" << "Talvez" << "";
    }
}

// A coded item field shows its code's text, and the text typed is kept as
// its code.
void TstItems::textosDosCodigos()
{
    QFETCH(QString, campo);
    QFETCH(QString, codigo);
    QFETCH(QString, mostrado);
    QFETCH(QString, digitado);
    QFETCH(QString, gravado);
    abreComPedido();
    QCOMPARE(tela->cdsItemPedido->fieldByName(campo).text(), QString());
    QVariantMap linha = item(1, 1, 1);
    linha.insert(campo, codigo);
    carregaItens({linha});
    Field& marca = tela->cdsItemPedido->fieldByName(campo);
    QCOMPARE(marca.text(), mostrado);
    if (digitado.isNull())
        return;
    tela->cdsItemPedido->append();
    marca.setValue(codigo.isEmpty() ? QVariant() : QVariant(codigo));
    marca.setText(digitado);
    QCOMPARE(marca.asString(), gravado);
}

void TstItems::confirmacaoImediata_data()
{
    QTest::addColumn<QString>("reserva");
    QTest::addColumn<bool>("naPaginaDeItens");
    QTest::addColumn<QString>("tipoOperacao");
    QTest::addColumn<bool>("editado");
    QTest::addColumn<bool>("livre");
    QTest::addColumn<bool>("confirma");
    QTest::newRow("sem reserva, fora da página") << "N" << false << "01" << true << true << true;
    QTest::newRow("sem reserva, na página de itens") << "N" << true << "01" << true << true << false;
    QTest::newRow("sem reserva, item incluído") << "N" << false << "01" << false << true << false;
    QTest::newRow("sem reserva, confirmação em curso") << "N" << false << "01" << true << false << false;
    QTest::newRow("com reserva, operação movimenta estoque") << "S" << true << "01" << true << true << true;
    QTest::newRow("com reserva, operação sem estoque") << "S" << true << "02" << true << true << false;
    QTest::newRow("com reserva, confirmação em curso") << "S" << true << "01" << true << false << false;
}

void TstItems::confirmacaoImediata()
{
    QFETCH(QString, reserva);
    QFETCH(bool, naPaginaDeItens);
    QFETCH(QString, tipoOperacao);
    QFETCH(bool, editado);
    QFETCH(bool, livre);
    QFETCH(bool, confirma);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), reserva);
    abreComPedido();
    setParam(*tela->cdsPedido, QStringLiteral("CDTIPOOPER"), tipoOperacao);
    tela->pgcPadrao->setCurrentWidget(naPaginaDeItens ? tela->tshItemPedido : tela->tshDadosPed);
    tela->FItemEditado = editado;
    tela->FConfirmacaoLivre = livre;
    QCOMPARE(tela->ConfirmacaoImediata(), confirma);
}

// The grid shows each status by its text and paints the profitability cell
// in the band's colour.
void TstItems::gradeMostraSituacoesECores()
{
    setParam(*tela->cdsParamPedido, QStringLiteral("IDEXIBRENTPED"), QStringLiteral("S"));
    setParam(*tela->cdsParamPedido, QStringLiteral("IDTABPRECO"), QStringLiteral("1"));
    abreComPedido();
    QList<QVariantMap> linhas;
    const double precos[] = {8.0, 10.0, 10.5, 12.0, 15.0, 20.0, 10000.0};
    for (int n = 1; n <= 7; ++n) {
        QVariantMap linha = item(n, n, precos[n - 1], n % 2 ? 0.5 : 0.0, n == 5 ? QStringLiteral("S") : QStringLiteral("N"));
        linha.insert(QStringLiteral("IDSITITEMPED"), QString::number(n));
        linha.insert(QStringLiteral("CDARVPROD"), QStringLiteral("01%1").arg(n, 4, 10, QLatin1Char('0')));
        linha.insert(QStringLiteral("NMPRODUTO"), QStringLiteral("Produto %1").arg(n));
        linha.insert(QStringLiteral("SGUNIDADE"), QStringLiteral("CX"));
        linha.insert(QStringLiteral("VRITEPREBASE"), 10.0);
        linha.insert(QStringLiteral("VRCUSTPRODBASE"), 4.0);
        linha.insert(QStringLiteral("IDITPEDDIFER"), n == 3 ? QStringLiteral("P") : QString());
        linhas << linha;
    }
    carregaItens(linhas);
    tela->selecionaPagina(tela->tshItemPedido);
    carregaItens(linhas);
    tela->MostraTotaisItens();
    tela->resize(1100, 640);
    const RecordSet& itens = *tela->cdsItemPedido;
    const int situacao = itens.fieldIndex(QStringLiteral("IDSITITEMPED"));
    const QStringList textos{"PE", "CF", "AP", "LQ", "CN", "LQ", "PA"};
    for (int row = 0; row < 7; ++row)
        QCOMPARE(itens.displayText(row, situacao), textos.at(row));
    const int cor = itens.fieldIndex(QStringLiteral("vrRentabilidade"));
    QCOMPARE(itens.value(0, cor).toDouble(), 255.0);
    QCOMPARE(itens.value(6, cor).toDouble(), 15269887.0);
    const QString pasta = qEnvironmentVariable("PED_SCREENSHOT_DIR");
    if (!pasta.isEmpty())
        QVERIFY(tela->grab().save(pasta + QStringLiteral("/ped00100_itens_situacoes.png")));
}

// The items page of a stored order: the current item's lots come from the
// demo stock, the totals from the item aggregates and the server.
void TstItems::itemAtualTrazEstoqueETotais()
{
    tela->resize(1100, 640);
    const QString pedido = abrePedidoReservado();
    QVERIFY(!pedido.isEmpty());
    RecordSet& itens = *tela->cdsItemPedido;
    QVERIFY(itens.recordCount() > 0);
    itens.first();
    const QString produtoEstoque = itens.fieldByName(QStringLiteral("CDPRODESTO")).asString();
    QSqlQuery lotes(demo);
    QVERIFY(lotes.exec(QStringLiteral("SELECT COUNT(*), SUM(QTTOTALESTOQ) FROM ESTOQUELOTE WHERE CDFILIAL = '0001' AND CDPRODUTO = '%1'"
                                      " AND QTTOTALESTOQ > 0").arg(produtoEstoque)));
    QVERIFY(lotes.next());
    QCOMPARE(tela->cdsPosiEstoq->recordCount(), lotes.value(0).toInt());
    double estoque = 0;
    for (int row = 0; row < tela->cdsPosiEstoq->recordCount(); ++row)
        estoque += tela->cdsPosiEstoq->value(row, tela->cdsPosiEstoq->fieldIndex(QStringLiteral("QTTOTALESTOQ"))).toDouble();
    QCOMPARE(estoque, lotes.value(1).toDouble());
    QVERIFY(!tela->lblCtrlEstoque->isVisibleTo(tela));

    double bruto = 0, liquido = 0;
    QSqlQuery soma(demo);
    QVERIFY(soma.exec(QStringLiteral("SELECT QTITEMPED, VRPREUNITPED, VRDESITPED, IDSITITEMPED FROM ITEMPEDIDO"
                                     " WHERE CDFILIAL = '0001' AND NRPEDIDO = '%1'").arg(pedido)));
    while (soma.next()) {
        bruto += soma.value(0).toDouble() * soma.value(1).toDouble();
        if (soma.value(3).toString() != u"5")
            liquido += cents(cents(soma.value(1).toDouble()) * soma.value(0).toDouble()) - cents(soma.value(2).toDouble());
    }
    QVERIFY(qFuzzyCompare(tela->nedTotal->value(), bruto));
    QCOMPARE(tela->nedTotLiq->value(), cents(liquido));
    QCOMPARE(tela->nedTotalPed->value(), cents(liquido));

    // The quantities toggle asks for ordered and available quantities.
    tela->sbtVerQuantidades->setChecked(true);
    tela->sbtVerQuantidadesClick();
    QVERIFY(tela->nedQtPed->value() > 0);
    QVERIFY(tela->nedQtPed->isVisibleTo(tela));
    const QString pasta = qEnvironmentVariable("PED_SCREENSHOT_DIR");
    if (!pasta.isEmpty())
        QVERIFY(tela->grab().save(pasta + QStringLiteral("/ped00100_itens.png")));
    // Moving to another item raises the toggle first.
    itens.first();
    QVERIFY(!tela->sbtVerQuantidades->isChecked());
    QVERIFY(!tela->nedQtPed->isVisibleTo(tela));
}

void TstItems::indicadorDeControleDeEstoque_data()
{
    QTest::addColumn<QString>("tipoOperacao");
    QTest::addColumn<QString>("mudanca");   // run on the demo database before, undone after
    QTest::addColumn<QString>("desfaz");
    QTest::addColumn<QString>("texto");     // empty: the label is hidden
    QTest::newRow("controlado") << "01" << "" << "" << "";
    QTest::newRow("operação sem estoque") << "02" << "" << "" << "Tipo de Operação não atualiza estoque.";
    QTest::newRow("filial sem controle") << "01" << "UPDATE FILIAL SET IDCTRLESTFIL = 'N' WHERE CDFILIAL = '0001'"
                                         << "UPDATE FILIAL SET IDCTRLESTFIL = 'S' WHERE CDFILIAL = '0001'"
                                         << "Filial não controla estoque.";
    // 'X' marks the rows changed, so that only they go back.
    QTest::newRow("produto sem controle") << "01" << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'X' WHERE IDCTRLESTOQUE = 'S'"
                                          << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'S' WHERE IDCTRLESTOQUE = 'X'"
                                          << "Produto não controla estoque.";
}

void TstItems::indicadorDeControleDeEstoque()
{
    QFETCH(QString, tipoOperacao);
    QFETCH(QString, mudanca);
    QFETCH(QString, desfaz);
    QFETCH(QString, texto);
    QSqlQuery sql(demo);
    if (!mudanca.isEmpty())
        QVERIFY(sql.exec(mudanca));
    const auto restaura = qScopeGuard([&] {
        if (!desfaz.isEmpty())
            QSqlQuery(demo).exec(desfaz);
    });
    QVERIFY(!abrePedidoReservado(tipoOperacao).isEmpty());
    QCOMPARE(tela->lblCtrlEstoque->isVisibleTo(tela), !texto.isEmpty());
    if (!texto.isEmpty())
        QCOMPARE(tela->lblCtrlEstoque->text(), texto);
    if (tipoOperacao == u"02")
        QVERIFY(!tela->cdsPosiEstoq->isActive() || tela->cdsPosiEstoq->isEmpty());
}

QTEST_MAIN(TstItems)
#include "tst_items.moc"
