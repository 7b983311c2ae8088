// Item prices on the order screen against the in-process server over the
// demo database: the table price with the modality's adjustment and the
// condition's cascade, the typed price, the refusals of the price table,
// the discount condition, value and percentage, the price factor, the
// optional-price band, repricing after a change of base price, and the
// discount menu.

#include "lanpedido_screen.h"
#include "scriptedhost.h"

#include "abort.h"
#include "autorizadialog.h"
#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "lookups/pesquisardialog.h"
#include "money.h"
#include "recordset.h"
#include "rules/pricing.h"
#include "screens/ped00105_revisao.h"
#include "store/sql.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QPushButton>
#include <QHeaderView>
#include <QTableWidget>
#include <QTabWidget>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

const QString pedido = QStringLiteral("0000009991");

QVariant demoValue(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    const QVariant value = selectValue(db, sql, values);
    if (!value.isValid())
        qFatal("no demo row for %s", qPrintable(sql));
    return value;
}

} // namespace

class TstPricing : public QObject, TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase() { abreServidor(QStringLiteral("tst_pricing_demo")); }
    void init();
    void cleanup();
    void cleanupTestCase() { fechaServidor(); }

    void precoDaTabelaComCascata_data();
    void precoDaTabelaComCascata();
    void precoDigitadoSobreviveAConsultaMasNaoACondicao();
    void tabelaSemPrecoRestauraTipoEMantemPreco_data();
    void tabelaSemPrecoRestauraTipoEMantemPreco();
    void condicaoInexistenteOuQueZeraOPreco();
    void valorEPercentualEmPasso();
    void fatorEmQualquerCaixa();
    void faixaDePrecosOpcionais_data();
    void faixaDePrecosOpcionais();
    void mudaPrecoBaseReprecifica();
    void mudaPrecoBaseSemPrecoAbreRevisao();
    void reprecificacaoQueFalhaReligaEventos();
    void cabecalhoGravadoReprecifica_data();
    void cabecalhoGravadoReprecifica();
    void botoesDaGrade();
    void colunaQuantidade_data();
    void colunaQuantidade();
    void colunaEntrega_data();
    void colunaEntrega();
    void colunaPreco_data();
    void colunaPreco();
    void precoBaseDigitado_data();
    void precoBaseDigitado();
    void precoBaseDeOutroCliente();
    void comissaoEMaximoDoPedido();
    void menuDeDescontos();

private:
    // Order 9991 of the reseller São Bento on screen: base price `base`,
    // modality `modalidade`, items as given (product code, price, kind).
    void abrePedido(const QString& base, const QString& modalidade, const QString& cliente = QStringLiteral("000001"));
    void novoItem(const QString& produto, double quantidade = 2);
    // The first product with a price of the kind in the table, other than `exceto`.
    QString produtoDaTabela(const QString& base, const QString& tipo = QStringLiteral("N"), const QString& exceto = QString());
    // The product typed in the item row: its tree code and internal code.
    void digitaProduto(const QString& produto);
    double precoDaTabela(const QString& base, const QString& produto, const QString& tipo = QStringLiteral("N"));
    Field& item(const char* name) { return tela->cdsItemPedido->fieldByName(QString::fromUtf8(name)); }
    // A new item on the items page, where the clerk works: a refusal then
    // changes no page.
    void novoItemNaPagina(const QString& produto, double quantidade = 2);
    // Leaves the grid's current column: the last message shown (empty for
    // none), and whether the exit was refused.
    QString saiDaColuna(bool& recusado);
};

void TstPricing::init()
{
    scripted = std::make_unique<ScriptedHost>();
    abreTela();
    QVERIFY(tela);
    tela->FConfirmacaoLivre = false;
    // The maxima at post have their own tests; items here take any discount.
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("1"));
}

void TstPricing::cleanup()
{
    fechaTelaDoTeste();
    liberaHost();
}

void TstPricing::abrePedido(const QString& base, const QString& modalidade, const QString& cliente)
{
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                                                         {QStringLiteral("NRPEDIDO"), pedido},
                                                         {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                                                         {QStringLiteral("CDCLIENTE"), cliente},
                                                         {QStringLiteral("NRINSJURCLIE"), QStringLiteral("11222333000181")},
                                                         {QStringLiteral("CDPRECOBASE"), base},
                                                         {QStringLiteral("IDULTPRECPROMO"), QStringLiteral("N")},
                                                         {QStringLiteral("CDMODPGTO"), modalidade},
                                                         {QStringLiteral("DTPEDIDO"), QDateTime::currentDateTime()},
                                                         {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")}}}));
    tela->cdsItemPedido->setData(rowsOf(*tela->cdsItemPedido, {}));
}

void TstPricing::novoItem(const QString& produto, double quantidade)
{
    tela->insereItem();
    digitaProduto(produto);
    item("QTITEMPED").setValue(quantidade);
    item("DTENTITPED").setValue(QDateTime(QDate::currentDate().addDays(3), QTime(14, 0)));
}

void TstPricing::novoItemNaPagina(const QString& produto, double quantidade)
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    {
        const QSignalBlocker semTroca(tela->pgcPadrao);
        tela->pgcPadrao->setCurrentWidget(tela->tshItemPedido);
    }
    novoItem(produto, quantidade);
}

QString TstPricing::saiDaColuna(bool& recusado)
{
    recusado = false;
    try {
        tela->dbgItemPedidoColExit();
    } catch (const Abort&) {
        recusado = true;
    }
    const QList<ScriptedHost::Message>& vistas = scripted->messages();
    return vistas.isEmpty() ? QString() : vistas.last().text;
}

void TstPricing::digitaProduto(const QString& produto)
{
    item("CDARVPROD").setValue(produto);
    item("CDPRODUTO").setValue(demoValue(demo, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = ?"), {produto}));
}

QString TstPricing::produtoDaTabela(const QString& base, const QString& tipo, const QString& exceto)
{
    return demoValue(demo, QStringLiteral("SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I ON I.CDPRODUTO = P.CDPRODUTO"
                                          " WHERE I.CDPRECOBASE = ? AND I.IDITPEDDIFER = ? AND I.DTFIMVALIPB > CURRENT_TIMESTAMP"
                                          " AND I.DTINIVALIPB < CURRENT_TIMESTAMP AND P.CDARVPROD <> COALESCE(?, '')"),
                     {base, tipo, exceto})
        .toString();
}

double TstPricing::precoDaTabela(const QString& base, const QString& produto, const QString& tipo)
{
    return demoValue(demo, QStringLiteral("SELECT I.VRITEPREBASE FROM ITEMPRECOBASE I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                          " WHERE I.CDPRECOBASE = ? AND P.CDARVPROD = ? AND I.IDITPEDDIFER = ?"
                                          " AND (I.DTFIMVALIPB IS NULL OR I.DTFIMVALIPB > CURRENT_TIMESTAMP)"
                                          " AND I.DTINIVALIPB < CURRENT_TIMESTAMP"),
                     {base, produto, tipo})
        .toDouble();
}

void TstPricing::precoDaTabelaComCascata_data()
{
    QTest::addColumn<QString>("modalidade");
    QTest::addColumn<double>("adicional");
    QTest::addColumn<QString>("condicao");
    QTest::addColumn<QList<double>>("percentuais");
    QTest::addColumn<QString>("tipo");
    QTest::newRow("30/60/90: +2.5 %, revenda 5 % + 2 %") << "00003" << 2.5 << "3" << QList<double>{5, 2} << "R";
    QTest::newRow("30 dias: no adjustment, condition of zeros") << "00002" << 0.0 << "1" << QList<double>{} << "N";
    QTest::newRow("à vista: -3 %, eight steps") << "00001" << -3.0 << "5" << QList<double>{3, 2, 1.5, 1, 0.5, 0.5, 0.25, 0.25} << "R";
    QTest::newRow("no condition") << "00002" << 0.0 << "" << QList<double>{} << "N";
}

// The item takes the table price, the adjusted price and the price after
// the condition, as the rules work them out from the demo's rows.
void TstPricing::precoDaTabelaComCascata()
{
    QFETCH(QString, modalidade);
    QFETCH(double, adicional);
    QFETCH(QString, condicao);
    QFETCH(QList<double>, percentuais);
    abrePedido(QStringLiteral("02"), modalidade);
    const QString produto = produtoDaTabela(QStringLiteral("02"));
    const double base = precoDaTabela(QStringLiteral("02"), produto);
    RegrasPedido::PercentuaisCondicao cascata{};
    std::copy(percentuais.begin(), percentuais.end(), cascata.begin());
    // The condition the item took from the header when it was inserted.
    novoItem(produto);
    if (!condicao.isEmpty()) {
        item("CDTIPODESC").setValue(condicao.rightJustified(10, u'0'));
        const char* const campos[] = {"QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC",
                                      "QTQUITPDESC", "QTSEXTPDESC", "QTSETTPDESC", "QTOITTPDESC"};
        for (size_t i = 0; i < cascata.size(); ++i)
            item(campos[i]).setValue(cascata[i]);
    }
    tela->PrecoBase(false);

    const double parametro = RoundDec(base + base * adicional / 100, 2);
    QCOMPARE(item("VRPRTABITPED").asFloat(), base);
    QCOMPARE(item("VRPRPARPRECO").asFloat(), parametro);
    QCOMPARE(item("VRPREUNITPED").asFloat(), condicao.isEmpty() ? parametro : RegrasPedido::precoComCondicao(parametro, cascata));
    QTEST(item("IDITPEDDIFER").asString(), "tipo");
    QTEST(tela->FTipoItemAtual, "tipo");
    if (!condicao.isEmpty())
        QCOMPARE(item("QTSEGTPDESC").asFloat(), cascata[1]);

    // Another product typed over the row is priced afresh, whatever the
    // kind of price the first one took.
    const QString outro = produtoDaTabela(QStringLiteral("02"), QStringLiteral("N"), produto);
    const double outroBase = precoDaTabela(QStringLiteral("02"), outro);
    QVERIFY(outroBase != base);
    digitaProduto(outro);
    tela->PrecoBase(false);
    QCOMPARE(item("VRPRTABITPED").asFloat(), outroBase);
    QTEST(item("IDITPEDDIFER").asString(), "tipo");
    QVERIFY(scripted->messages().isEmpty());
}

void TstPricing::precoDigitadoSobreviveAConsultaMasNaoACondicao()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    const QString produto = produtoDaTabela(QStringLiteral("02"));
    const double base = precoDaTabela(QStringLiteral("02"), produto);
    novoItem(produto);
    tela->FPrecoDigitado = true;   // keys typed in the grid
    item("VRPREUNITPED").setValue(99.0);
    tela->PrecoBase(false);
    QCOMPARE(item("VRPREUNITPED").asFloat(), 99.0);

    tela->FCdTipoDescAnterior = item("CDTIPODESC").asString();
    item("CDTIPODESC").setValue(QStringLiteral("2"));
    tela->vd_CondDesc(false);
    tela->PrecoBase(false);
    QCOMPARE(item("VRPREUNITPED").asFloat(), RoundDec(base * 0.95, 2));
    QCOMPARE(item("IDITPEDDIFER").asString(), QStringLiteral("N"));

    // A price typed over the table's is a price of its own, which the
    // price table leaves alone.
    tela->FCdTipoDescAnterior = item("CDTIPODESC").asString();
    item("VRPREUNITPED").setValue(base + 1);
    QCOMPARE(item("IDITPEDDIFER").asString(), QStringLiteral("O"));
    tela->PrecoBase(false);
    QCOMPARE(item("VRPREUNITPED").asFloat(), base + 1);
    QVERIFY(scripted->messages().isEmpty());
}

void TstPricing::tabelaSemPrecoRestauraTipoEMantemPreco_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("produtoSql");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("no promotional price") << "03"
                                          << "SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I ON I.CDPRODUTO = P.CDPRODUTO"
                                             " WHERE I.CDPRECOBASE = '03'"
                                          << "Preço Promocional, não cadastrado para o produto informado";
    QTest::newRow("promotion ended") << "01"
                                     << "SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I ON I.CDPRODUTO = P.CDPRODUTO"
                                        " WHERE I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'P' AND NOT EXISTS (SELECT 1 FROM"
                                        " ITEMPRECOBASE J WHERE J.CDPRODUTO = I.CDPRODUTO AND J.IDITPEDDIFER = 'P'"
                                        " AND J.DTFIMVALIPB > CURRENT_TIMESTAMP)"
                                     << "Preço Promocional do produto fora da validade.";
}

// Asking for a promotional price the table does not have: told, the kind
// goes back, the price stays.
void TstPricing::tabelaSemPrecoRestauraTipoEMantemPreco()
{
    QFETCH(QString, base);
    QFETCH(QString, produtoSql);
    QFETCH(QString, mensagem);
    abrePedido(base, QStringLiteral("00002"), QStringLiteral("000029"));
    novoItem(demoValue(demo, produtoSql).toString());
    tela->PrecoBase(false);
    const double preco = item("VRPREUNITPED").asFloat();
    QCOMPARE(item("IDITPEDDIFER").asString(), QStringLiteral("N"));

    scripted->expectQuestion(QStringLiteral("Deseja alterar o preço do item?"), MsgButton::Yes);
    item("IDITPEDDIFER").setValue(QStringLiteral("P"));
    QCOMPARE(item("IDITPEDDIFER").asString(), QStringLiteral("N"));
    QCOMPARE(tela->FTipoItemAtual, QStringLiteral("N"));
    QCOMPARE(item("VRPREUNITPED").asFloat(), preco);
    QVERIFY2(scripted->hasMessage(mensagem), qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
}

void TstPricing::condicaoInexistenteOuQueZeraOPreco()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    novoItem(produtoDaTabela(QStringLiteral("02")));
    tela->PrecoBase(false);
    item("CDTIPODESC").setValue(QStringLiteral("77"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->vd_CondDesc(false));
    QVERIFY(scripted->hasMessage(QStringLiteral("Condição de Desconto não cadastrada.")));
    if (tela->cdsItemPedido->isEditing())
        tela->cdsItemPedido->cancel();

    // A discount as large as the item leaves nothing: the condition is refused.
    novoItem(produtoDaTabela(QStringLiteral("02")));
    tela->PrecoBase(false);
    item("VRDESITPED").setValue(item("VrTotalAux").asFloat());
    item("CDTIPODESC").setValue(QStringLiteral("2"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->vd_CondDesc(false));
    QVERIFY(scripted->hasMessage(QStringLiteral("faria com que o preço do produto se tornasse inválido")));
}

void TstPricing::valorEPercentualEmPasso()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    novoItem(produtoDaTabela(QStringLiteral("02")), 2);
    item("VRPREUNITPED").setValue(12.5);
    item("VRDESITPED").setValue(5.0);
    tela->GravaPeDescItem();
    QCOMPARE(item("PERDESC").asFloat(), 20.0);
    QCOMPARE(tela->FPerDescDigitado, 20.0);
    item("QTITEMPED").setValue(3.0);
    tela->GravaDescItem();
    QCOMPARE(item("VRDESITPED").asFloat(), 7.5);
}

void TstPricing::fatorEmQualquerCaixa()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    novoItem(produtoDaTabela(QStringLiteral("02")));
    item("SGFATPRECO").setValue(QStringLiteral("cX10"));
    tela->Vd_Fator(true);
    QCOMPARE(item("SGFATPRECO").asString(), QStringLiteral("CX10"));
    QCOMPARE(item("CDFATPRECO").asString(), QStringLiteral("002"));

    item("SGFATPRECO").setValue(QStringLiteral("zz"));
    item("CDFATPRECO").setValue(QStringLiteral("999"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Fator(false));
    QVERIFY(scripted->hasMessage(QStringLiteral("Fator não cadastrado.")));
    if (tela->cdsItemPedido->isEditing())
        tela->cdsItemPedido->cancel();
    novoItem(produtoDaTabela(QStringLiteral("02")));
    tela->Vd_Fator(false);
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Fator(true));
    QVERIFY(scripted->hasMessage(QStringLiteral("Fator deve ser informado.")));
}

void TstPricing::faixaDePrecosOpcionais_data()
{
    QTest::addColumn<bool>("permissao");
    QTest::addColumn<double>("fatorDoPreco");   // of the lowest optional price
    QTest::addColumn<bool>("aceito");
    QTest::newRow("inside the band") << false << 1.0 << true;
    QTest::newRow("below the band") << false << 0.99 << false;
    QTest::newRow("below the band with the permission row") << true << 0.5 << true;
}

void TstPricing::faixaDePrecosOpcionais()
{
    QFETCH(bool, permissao);
    QFETCH(double, fatorDoPreco);
    QFETCH(bool, aceito);
    abrePedido(QStringLiteral("01"), QStringLiteral("00002"));
    const QString codigo = demoValue(demo, QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRECOOPCIONAL WHERE CDPRECOBASE = '01'")).toString();
    const double menor = demoValue(demo, QStringLiteral("SELECT MIN(VROPCIOPRBASE) FROM PRECOOPCIONAL WHERE CDPRECOBASE = '01'"
                                                        " AND CDPRODUTO = ?"), {codigo}).toDouble();
    novoItem(demoValue(demo, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {codigo}).toString());
    item("VRPREUNITPED").setValue(RoundDec(menor * fatorDoPreco, 2));
    // DEMO holds the price-change right at branch 0001, MARIA does not.
    const QString operador = permissao ? QStringLiteral("DEMO") : QStringLiteral("MARIA");
    CarregaPacote(*tela->cdsPermissao, tela->Servidor(Rpc::LanPedido::GetPermissao,
                                                      {operador, QStringLiteral("ALTP"), QStringLiteral("0001")}));
    QCOMPARE(!tela->cdsPermissao->isEmpty(), permissao);
    scripted->expectDialog(QStringLiteral("TfrmAutoriza"), [](QDialog& dialog) {
        auto& liberacao = static_cast<TfrmAutoriza&>(dialog);
        liberacao.setOperador(QStringLiteral("DEMO"));
        liberacao.setSenha(QStringLiteral("demo"));
        liberacao.accept();
    });
    if (aceito) {
        tela->Vd_PrecoOpcio();
    } else {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_PrecoOpcio());
        QVERIFY(scripted->hasMessage(QStringLiteral("Valor do item não está dentro da faixa de preços opcionais.")));
    }
}

// A saved order of the hospital moves to its contract table: every item is
// priced again from it, the discount follows the kept percentage.
void TstPricing::mudaPrecoBaseReprecifica()
{
    abrePedido(QStringLiteral("01"), QStringLiteral("00001"), QStringLiteral("000002"));
    const QStringList produtos = {demoValue(demo, QStringLiteral("SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I"
                                                                 " ON I.CDPRODUTO = P.CDPRODUTO WHERE I.CDPRECOBASE = '04'"
                                                                 " AND I.DTFIMVALIPB IS NULL AND I.DTINIVALIPB < CURRENT_TIMESTAMP")).toString(),
                                  demoValue(demo, QStringLiteral("SELECT MAX(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I"
                                                                 " ON I.CDPRODUTO = P.CDPRODUTO WHERE I.CDPRECOBASE = '04'"
                                                                 " AND I.DTFIMVALIPB IS NULL AND I.DTINIVALIPB < CURRENT_TIMESTAMP")).toString()};
    for (const QString& produto : produtos) {
        novoItem(produto);
        tela->PrecoBase(false);
        item("PERDESC").setValue(10.0);
        tela->GravaDescItem();
        tela->cdsItemPedido->post();
    }
    tela->cdsItemPedido->first();
    tela->cdsPedido->edit();
    tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("04"));
    scripted->expectQuestion(QStringLiteral("A mudança de preço base poderá"), MsgButton::Yes);
    tela->MudaPrcBase();
    QVERIFY(tela->FPrecosRecalculados);
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Browse);
    int n = 0;
    for (tela->cdsItemPedido->first(); !tela->cdsItemPedido->eof(); tela->cdsItemPedido->next(), ++n) {
        const double contrato = precoDaTabela(QStringLiteral("04"), produtos.at(n));
        QCOMPARE(item("VRPREUNITPED").asFloat(), contrato);
        QCOMPARE(item("IDITPEDDIFER").asString(), QStringLiteral("N"));
        QCOMPARE(item("VRDESITPED").asFloat(), 2 * contrato * 10 / 100);
    }
    QCOMPARE(n, 2);
}

void TstPricing::mudaPrecoBaseSemPrecoAbreRevisao()
{
    abrePedido(QStringLiteral("01"), QStringLiteral("00001"), QStringLiteral("000002"));
    const QString semContrato = demoValue(demo, QStringLiteral("SELECT MAX(P.CDARVPROD) FROM PRODUTO P WHERE NOT EXISTS (SELECT 1"
                                                               " FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO AND I.CDPRECOBASE = '04')"
                                                               " AND EXISTS (SELECT 1 FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO"
                                                               " AND I.CDPRECOBASE = '01')")).toString();
    novoItem(semContrato);
    tela->PrecoBase(false);
    const double preco = item("VRPREUNITPED").asFloat();
    tela->cdsItemPedido->post();
    tela->cdsPedido->edit();
    tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("04"));
    QString titulo;
    QStringList celulas;
    scripted->expectDialog(QStringLiteral("TfrmRevisaoPedido"), [&](QDialog& dialog) {
        auto& revisao = static_cast<TfrmRevisaoPedido&>(dialog);
        titulo = revisao.windowTitle();
        for (int column = 0; column < revisao.grdRevisao->columnCount(); ++column)
            celulas << revisao.grdRevisao->item(0, column)->text();
        revisao.sbtCancelClick();
    });
    QVERIFY_THROWS_EXCEPTION(Abort, tela->MudaPrcBase());
    QVERIFY2(titulo.contains(QStringLiteral("Itens sem preço no preço base")), qPrintable(titulo));
    QVERIFY2(celulas.contains(QStringLiteral("PRECO_NAO_CAD")), qPrintable(celulas.join(u'|')));
    QVERIFY(celulas.contains(semContrato));
    QCOMPARE(item("VRPREUNITPED").asFloat(), preco);
    QVERIFY(!tela->FPrecosRecalculados);
}

// The second item's lookup fails: the loop stops, the item events are
// attached again and the display released.
void TstPricing::reprecificacaoQueFalhaReligaEventos()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"), QStringLiteral("000002"));
    const QString produto = produtoDaTabela(QStringLiteral("02"));
    for (int i = 0; i < 3; ++i) {
        novoItem(produto);
        tela->PrecoBase(false);
        item("PERDESC").setValue(10.0);
        tela->cdsItemPedido->post();
    }
    tela->cdsPedido->edit();
    tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("01"));
    // A check that refuses the second item's new discount.
    int descontos = 0;
    item("VRDESITPED").onChange = [&](Field&) {
        if (++descontos == 2)
            MensErro(QStringLiteral("Desconto recusado no segundo item."), true);
    };
    scripted->expectQuestion(QStringLiteral("A mudança de preço base poderá"), MsgButton::Yes);
    QVERIFY_THROWS_EXCEPTION(Abort, tela->MudaPrcBase());
    item("VRDESITPED").onChange = nullptr;
    RecordSet& itens = *tela->cdsItemPedido;
    QCOMPARE(descontos, 2);
    QVERIFY(itens.beforePost);
    QVERIFY(itens.afterPost);
    QVERIFY(itens.afterScroll);
    QVERIFY(!itens.controlsDisabled());
    QVERIFY(!tela->FPrecosRecalculados);
    if (itens.isEditing())
        itens.cancel();
}

void TstPricing::cabecalhoGravadoReprecifica_data()
{
    QTest::addColumn<bool>("porData");
    QTest::newRow("new base price") << false;
    QTest::newRow("new delivery date") << true;
}

// Posting the header of a saved order asks about the change and prices the
// items again; the delivery date editor's day reaches the record and the items.
void TstPricing::cabecalhoGravadoReprecifica()
{
    QFETCH(bool, porData);
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"), QStringLiteral("000002"));
    // The header as its post checks it: the customer's own document, a
    // seller, a delivery and a validity date.
    for (const auto& [campo, valor] : {std::pair{"NRINSJURCLIE", demoValue(demo, QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = '000002'"))},
                                       std::pair{"CDVENDEDOR", demoValue(demo, QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR"))},
                                       std::pair{"DTENTPED", QVariant(QDateTime(QDate::currentDate().addDays(3), QTime(0, 0)))}})
        setParam(*tela->cdsPedido, QString::fromLatin1(campo), valor);
    tela->cdsPedido->mergeChangeLog();   // as stored
    tela->depData->setDate(QDate::currentDate().addDays(3));
    tela->depDtVal->setDate(QDate::currentDate().addDays(15));
    const QString produto = produtoDaTabela(QStringLiteral("01"));
    novoItem(produto);
    item("VRPREUNITPED").setValue(1.0);
    tela->cdsItemPedido->post();
    tela->cdsPedido->edit();
    const QDate entrega = QDate::currentDate().addDays(9);
    if (porData) {
        tela->depData->setDate(entrega);
        scripted->expectQuestion(QStringLiteral("Deseja alterar a data de entrega"), MsgButton::Yes);
        scripted->expectQuestion(QStringLiteral("A mudança da data do pedido"), MsgButton::Yes);
    } else {
        tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("01"));
        scripted->expectQuestion(QStringLiteral("A mudança de preço base poderá"), MsgButton::Yes);
    }
    tela->cdsPedido->post();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
    tela->cdsItemPedido->first();
    QCOMPARE(porData ? tela->FDataAlterada : tela->FPrecosRecalculados, true);
    QCOMPARE(item("VRPREUNITPED").asFloat(), precoDaTabela(porData ? QStringLiteral("02") : QStringLiteral("01"), produto));
    if (porData) {
        QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("DTENTPED")).asDateTime().date(), entrega);
        QCOMPARE(item("DTENTITPED").asDateTime().date(), entrega);
    }
}

// The item grid's buttons: the factors of the product (with the factor's
// price where the branch prices by factor at entry), every discount
// condition, and the product's optional prices.
void TstPricing::botoesDaGrade()
{
    abrePedido(QStringLiteral("01"), QStringLiteral("00002"), QStringLiteral("000029"));
    const QString codigo = demoValue(demo, QStringLiteral("SELECT MIN(O.CDPRODUTO) FROM PRECOOPCIONAL O JOIN PRODFATOR F"
                                                          " ON F.CDPRODUTO = O.CDPRODUTO JOIN ITEMPRECOBASE I ON I.CDPRODUTO = O.CDPRODUTO"
                                                          " AND I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'N'"
                                                          " AND I.DTINIVALIPB < CURRENT_TIMESTAMP AND I.DTFIMVALIPB > CURRENT_TIMESTAMP"
                                                          " WHERE O.CDPRECOBASE = '01'")).toString();
    novoItem(demoValue(demo, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {codigo}).toString());
    const int fatores = demoValue(demo, QStringLiteral("SELECT COUNT(*) FROM PRODFATOR WHERE CDPRODUTO = ?"), {codigo}).toInt();
    const auto primeiraLinha = [&](const QString& titulo, int linhas) {
        scripted->expectDialog(QStringLiteral("TfrmPesquisa"), [=](QDialog& dialog) {
            QVERIFY2(dialog.windowTitle().contains(titulo), qPrintable(dialog.windowTitle()));
            QCOMPARE(static_cast<TfrmPesquisa&>(dialog).shownRowCount(), linhas);
            // Titled for the clerk, not by the database's column names.
            const QTableView* grade = dialog.findChild<QTableView*>();
            for (int coluna = 0; coluna < grade->model()->columnCount(); ++coluna) {
                const QString cabecalho = grade->model()->headerData(coluna, Qt::Horizontal).toString();
                QVERIFY2(grade->horizontalHeader()->isSectionHidden(coluna)
                             || !QRegularExpression(QStringLiteral("^[A-Z0-9_]{4,}$")).match(cabecalho).hasMatch(),
                         qPrintable(cabecalho));
            }
            dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
        });
    };
    const auto botao = [&](const char* coluna) {
        tela->dbgItemPedido->setSelectedField(QString::fromUtf8(coluna));
        tela->dbgItemPedidoEditButtonClick();
    };

    primeiraLinha(QStringLiteral("Fator"), fatores);
    botao("SGFATPRECO");
    QCOMPARE(item("CDFATPRECO").asString(), QStringLiteral("001"));
    QCOMPARE(item("SGFATPRECO").asString(), QStringLiteral("UN"));

    setParam(*tela->cdsParamPedido, QStringLiteral("IDCALCPRECFAT"), QStringLiteral("L"));
    primeiraLinha(QStringLiteral("Fator"), fatores);
    botao("SGFATPRECO");
    QCOMPARE(item("VRPREUNITPED").asFloat(),
             RoundDec(demoValue(demo, QStringLiteral("SELECT VRFATPRECO FROM PRODFATOR WHERE CDPRODUTO = ? AND CDFATPRECO = '001'"),
                                {codigo}).toDouble(), 2));
    QVERIFY(!tela->cdsFator->fieldByName(QStringLiteral("VRCUSTOPROD")).isNull());

    item("VRDESITPED").setValue(1.0);
    primeiraLinha(QStringLiteral("Condição"), 5);
    botao("CDTIPODESC");
    QCOMPARE(item("CDTIPODESC").asString(), QStringLiteral("0000000001"));
    QCOMPARE(item("NMTIPODESC").asString(), QStringLiteral("Sem desconto"));
    QVERIFY(item("VRDESITPED").isNull());

    // Only the optional prices marked for offer; none where the base price
    // keeps the last promotional price.
    primeiraLinha(QStringLiteral("Preço opcional"), 1);
    botao("VRPREUNITPED");
    QCOMPARE(item("VRPREUNITPED").asFloat(),
             RoundDec(demoValue(demo, QStringLiteral("SELECT VROPCIOPRBASE FROM PRECOOPCIONAL WHERE CDPRECOBASE = '01'"
                                                     " AND CDPRODUTO = ? AND IDPROPCIO = 'S'"), {codigo}).toDouble(), 2));
    tela->cdsPedido->edit();
    tela->cdsPedido->fieldByName(QStringLiteral("IDULTPRECPROMO")).setValue(QStringLiteral("S"));
    botao("VRPREUNITPED");
    tela->cdsPedido->cancel();
    QVERIFY(scripted->failures().isEmpty());
    QVERIFY(scripted->messages().isEmpty());
}

void TstPricing::precoBaseDigitado_data()
{
    QTest::addColumn<QString>("cliente");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("resposta");   // the error, or the description shown
    QTest::newRow("empty") << "000002" << "" << "Preço base deve ser informado.";
    QTest::newRow("the hospital's own table, typed short") << "000002" << "4" << "Contrato Hospitalar";
    QTest::newRow("not one of the hospital's") << "000002" << "03" << "Preço Base não cadastrado para o cliente informado.";
    QTest::newRow("a person: any table") << "000029" << "2" << "";
    QTest::newRow("unknown") << "000029" << "99" << "Preço base não cadastrado.";
}

// The base price typed in the header: padded, checked against the
// customer's own tables when it has any, described when found.
void TstPricing::precoBaseDigitado()
{
    QFETCH(QString, cliente);
    QFETCH(QString, digitado);
    QFETCH(QString, resposta);
    abrePedido(QStringLiteral("01"), QStringLiteral("00002"), cliente);
    tela->cdsPedido->edit();
    tela->dbePrcBase->setText(digitado);
    if (resposta.endsWith(u'.')) {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_PrcBase(true));
        QCOMPARE(scripted->messageTexts(MsgType::Error), QStringList{resposta});
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);
        return;
    }
    tela->Vd_PrcBase(true);
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).asString(), digitado.rightJustified(2, u'0'));
    if (!resposta.isEmpty())
        QCOMPARE(tela->edtPrcBase->text(), resposta);
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("DSPRECOBASE")).asString(), tela->edtPrcBase->text());
    QVERIFY(!tela->edtPrcBase->text().isEmpty());
}

// The base prices read for one customer do not stay filtered as the
// check of another left them: a table the first could not have is found
// for the second, in the check and in the look-up.
void TstPricing::precoBaseDeOutroCliente()
{
    abrePedido(QStringLiteral("01"), QStringLiteral("00002"), QStringLiteral("000029"));
    tela->cdsPedido->edit();
    tela->dbePrcBase->setText(QStringLiteral("99"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_PrcBase(true));
    tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).setValue(QStringLiteral("000002"));
    tela->dbePrcBase->setText(QStringLiteral("4"));
    tela->Vd_PrcBase(true);
    QCOMPARE(tela->edtPrcBase->text(), QStringLiteral("Contrato Hospitalar"));
    bool cancel = false;
    tela->btnPrcBaseBeforePesq(cancel);
    QVERIFY(!cancel);
    QCOMPARE(tela->cdsPesqPrcBase->recordCount(), 3);   // the hospital's own tables
}

// The customer's commission discount at item post, and the order-wide
// check of the maxima with each policy.
void TstPricing::comissaoEMaximoDoPedido()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    novoItem(produtoDaTabela(QStringLiteral("02")));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->ValorDescComisClie());
    QCOMPARE(scripted->messageTexts(MsgType::Error), QStringList{QStringLiteral("Preço unitário deve ser informado.")});
    item("VRPREUNITPED").setValue(10.0);
    tela->ValorDescComisClie();
    QCOMPARE(item("VRDESCCOMISS").asFloat(), 1.5);
    item("PERDESC").setValue(0.5);
    tela->cdsItemPedido->post();
    novoItem(produtoDaTabela(QStringLiteral("02")));
    item("VRPREUNITPED").setValue(10.0);
    item("PERDESC").setValue(60.0);
    tela->cdsItemPedido->post();

    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("2"));
    scripted->expectChoice(QStringLiteral("maior que o desconto maximo"), QStringLiteral("Não"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_DescMax());
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("3"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_DescMax());
    QVERIFY(scripted->messageTexts(MsgType::Error).last().startsWith(QStringLiteral("O percentual de desconto do pedido deve")));
    QVERIFY(!LanPedido::boValidaDescMax);
    LanPedido::boValidaDescMax = true;
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("1"));
    tela->Vd_DescMax();
    QVERIFY(scripted->failures().isEmpty());
}

void TstPricing::menuDeDescontos()
{
    abrePedido(QStringLiteral("02"), QStringLiteral("00002"));
    QVERIFY(!tela->mnuAlterarPreoUnitrioMultiplosPedidos->isVisible());
    tela->mnuAltDescClick();
    tela->mnuPrecUnitClick();
    QCOMPARE(scripted->messageTexts(MsgType::Error),
             (QStringList{QStringLiteral("\"Alterar Desconto\" ainda não está disponível nesta versão."),
                          QStringLiteral("\"Alterar Preço Unitário\" ainda não está disponível nesta versão.")}));
    bool aberto = false;
    tela->CriaCalcularDesconto = [&] { aberto = true; };
    tela->mnuAltDescClick();
    QVERIFY(aberto);
    // The change across orders is hidden in the pop-up; Ctrl+A opens it
    // while the discount button could.
    int multiplos = 0;
    tela->CriaAlteracaoPrecoAuto = [&] { ++multiplos; };
    QCOMPARE(tela->mnuAlteracaoPrecoAuto->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    tela->sbtCalcularDesconto->setEnabled(false);
    tela->mnuAlteracaoPrecoAuto->trigger();
    tela->sbtCalcularDesconto->setEnabled(true);
    tela->mnuAlteracaoPrecoAuto->trigger();
    QCOMPARE(multiplos, 1);

    // A branch that prices at shipping blocks every command.
    setParam(*tela->cdsParamPedido, QStringLiteral("IDTABPRECO"), QStringLiteral("2"));
    setParam(*tela->cdsParamPedido, QStringLiteral("IDCALCPRECFAT"), QStringLiteral("E"));
    aberto = false;
    QVERIFY_THROWS_EXCEPTION(Abort, tela->mnuAltDescClick());
    QVERIFY(!aberto);
    QVERIFY(scripted->hasMessage(QStringLiteral("Filial de origem do pedido utiliza fator de preço")));
}

QTEST_MAIN(TstPricing)
void TstPricing::colunaQuantidade_data()
{
    QTest::addColumn<QString>("produtoSql");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("esperada");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<double>("percentual");   // -1: none
    const QString porUnidade = QStringLiteral("SELECT MIN(CDARVPROD) FROM PRODUTO WHERE QTVOLUMES = 10");
    const QString semProporcao = QStringLiteral("SELECT MIN(CDARVPROD) FROM PRODUTO WHERE QTVOLUMES = 1 AND CDPRODUTO NOT IN"
                                                " (SELECT CDPRODUTO FROM DESCPROPCLIE WHERE CDCLIENTE = '000001')");
    const QString comProporcao = QStringLiteral("SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN DESCPROPCLIE D ON D.CDPRODUTO = P.CDPRODUTO"
                                                " WHERE D.CDCLIENTE = '000001' AND P.QTVOLUMES = 1");
    QTest::newRow("up to the multiple of 10") << porUnidade << 13.0 << 20.0 << "" << -1.0;
    QTest::newRow("a multiple stays") << porUnidade << 20.0 << 20.0 << "" << -1.0;
    QTest::newRow("whole units") << semProporcao << 2.5 << 3.0 << "" << -1.0;
    QTest::newRow("zero refused") << semProporcao << 0.0 << 0.0 << "Quantidade deve ser maior que zero." << -1.0;
    QTest::newRow("the customer's proportion") << comProporcao << 5.0 << 5.0 << "" << 2.0;
    QTest::newRow("the next range") << comProporcao << 150.0 << 150.0 << "" << 5.0;
    QTest::newRow("past every range") << comProporcao << 1000.0 << 1000.0 << "Quantidade da Proporção de Desconto foi ultrapassada."
                                      << -1.0;
}

// Leaving the quantity column rounds it up to the product's sales multiple,
// refuses what cannot be sold and takes the customer's discount proportion.
void TstPricing::colunaQuantidade()
{
    QFETCH(QString, produtoSql);
    QFETCH(double, quantidade);
    QFETCH(double, esperada);
    QFETCH(QString, mensagem);
    QFETCH(double, percentual);
    novoItemNaPagina(demoValue(demo, produtoSql).toString(), quantidade);
    tela->dbgItemPedido->setSelectedField(QStringLiteral("QTITEMPED"));
    bool recusado = false;
    QCOMPARE(saiDaColuna(recusado), mensagem);
    QCOMPARE(item("QTITEMPED").asFloat(), esperada);
    QCOMPARE(item("PERDESC").isNull() ? -1.0 : item("PERDESC").asFloat(), percentual);
}

void TstPricing::colunaEntrega_data()
{
    QTest::addColumn<QDateTime>("entrega");
    QTest::addColumn<QString>("mensagem");
    const QDate dia = QDate::currentDate().addDays(3);
    QTest::newRow("with a time") << QDateTime(dia, QTime(14, 0)) << "";
    QTest::newRow("left empty while typing") << QDateTime() << "";
    QTest::newRow("midnight") << QDateTime(dia, QTime(0, 0)) << "Hora de entrega do item deve ser maior que zero.";
    QTest::newRow("before the zero date") << QDateTime(QDate(1899, 1, 2), QTime(9, 0)) << "A data deve ser maior que 30/12/1899.";
}

// Leaving the delivery date column refuses a date without a time of day and
// one before the zero date; the item stays as typed, in edit.
void TstPricing::colunaEntrega()
{
    QFETCH(QDateTime, entrega);
    QFETCH(QString, mensagem);
    novoItemNaPagina(produtoDaTabela(QStringLiteral("02")));
    if (entrega.isValid())
        item("DTENTITPED").setValue(entrega);
    else
        item("DTENTITPED").clear();
    tela->dbgItemPedido->setSelectedField(QStringLiteral("DTENTITPED"));
    bool recusado = false;
    QCOMPARE(saiDaColuna(recusado), mensagem);
    QCOMPARE(recusado, !mensagem.isEmpty());
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Insert);
}

void TstPricing::colunaPreco_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<int>("liberacao");   // 0: not asked, 1: given, -1: declined
    QTest::addColumn<QString>("mensagem");
    // Branch 0001 allows 10 % above and 5 % below the parameter price of
    // 10.00 and has a supervisor group for the rest.
    QTest::newRow("inside the band") << 10.5 << 0 << "";
    QTest::newRow("above, released") << 12.0 << 1 << "";
    QTest::newRow("above, declined") << 12.0 << -1 << "Operação bloqueada. O preço foi alterado para mais que 10%.";
    QTest::newRow("below, declined") << 9.0 << -1 << "Operação bloqueada. O preço foi alterado para menos que 5%.";
    QTest::newRow("zero") << 0.0 << 0 << "Preço unitário deve ser maior que zero.";
}

// Leaving the price column holds a typed price to the band around the
// parameter price unless a supervisor releases it.
void TstPricing::colunaPreco()
{
    QFETCH(double, preco);
    QFETCH(int, liberacao);
    QFETCH(QString, mensagem);
    novoItemNaPagina(produtoDaTabela(QStringLiteral("02")));
    // On the price column first: leaving the product column prices the item.
    tela->dbgItemPedido->setSelectedField(QStringLiteral("VRPREUNITPED"));
    item("VRPRPARPRECO").setValue(10.0);
    item("VRPREUNITPED").setValue(preco);
    if (liberacao != 0)
        scripted->expectDialog(QStringLiteral("TfrmAutoriza"), [liberacao](QDialog& dialog) {
            auto& autoriza = static_cast<TfrmAutoriza&>(dialog);
            autoriza.setOperador(QStringLiteral("DEMO"));
            autoriza.setSenha(QStringLiteral("demo"));
            liberacao > 0 ? autoriza.accept() : autoriza.reject();
        });
    bool recusado = false;
    QCOMPARE(saiDaColuna(recusado), mensagem);
    QCOMPARE(recusado, !mensagem.isEmpty());
    QCOMPARE(item("VRPREUNITPED").asFloat(), preco);
    QVERIFY(scripted->pendingExpectations().isEmpty());
}

#include "tst_pricing.moc"
