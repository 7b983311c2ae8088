// The order header record: the arguments of the order list request, the list
// the server sends for the filter, the filter button, what scrolling to an
// order shows and fetches, a new order's number and defaults, and the coded
// values of the header (status, printed copy, freight, origin).

#include "lanpedido_testcase.h"

#include "filtropedidodialog.h"
#include "getpedido_args.h"
#include "legendas.h"
#include "guard.h"
#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "store/database.h"
#include "store/sql.h"
#include "widgets/dbedits.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"
#include "iso_datetime.h"
#include "rpcwire.h"

#include <QAction>
#include <QDialog>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

const QDate hoje(2026, 12, 6);

QString data(int dia, int mes = 12)
{
    return QStringLiteral("2026-%1-%2T00:00:00").arg(mes, 2, 10, QLatin1Char('0')).arg(dia, 2, 10, QLatin1Char('0'));
}

// The filter of each argument case: the screen's initial filter changed as
// the case's name says (any other name: unchanged).
TFiltro filtroDoCaso(const QString& caso)
{
    TFiltro f = filtroInicial(hoje);
    if (caso == u"origens escolhidas") {
        f.Origem.boTodos = false;
        f.Origem.stOrigem = QStringLiteral("'2'_'9'");
    } else if (caso == u"todas as situações") {
        f.StatusPedido = {true, true, true, true, true};
    } else if (caso == u"só cancelados") {
        f.StatusPedido = {false, false, false, true, false};
    } else if (caso == u"liquidados e parciais") {
        f.StatusPedido = {false, false, true, false, true};
    } else if (caso == u"sem prioridade baixa") {
        f.Prioridade.boBaixa = false;
    } else if (caso == u"nenhuma prioridade") {
        f.Prioridade = {false, false, false, false, false};
    } else if (caso == u"itens sem liquidados") {
        f.StatusIPedido.boLiquidado = false;
    } else if (caso == u"pedidos por intervalo") {
        f.NrPedido = {true, true, QStringLiteral("0000000010"), QStringLiteral("0000000020"), QString()};
    } else if (caso == u"pedidos por lista") {
        f.NrPedido = {false, false, QString(), QString(), QStringLiteral("'0000000001'_'0000000002'")};
    } else if (caso == u"notas por intervalo") {
        f.Nota = {true, false, QStringLiteral("1"), QStringLiteral("9"), QString()};
    } else if (caso == u"notas por lista") {
        f.Nota = {false, false, QString(), QString(), QStringLiteral("'0000000005'")};
    } else if (caso == u"sem período") {
        f.Emissao = {true, QDate(), QDate()};
    } else if (caso == u"entrega") {
        f.Entrega = {false, QDate(2026, 12, 1), QDate(2026, 12, 10)};
    } else if (caso == u"importação") {
        f.Importa = {false, true, QDate(2026, 11, 1), QDate(2026, 11, 30), QStringLiteral("0000000123")};
    } else if (caso == u"orçamento de") {
        f.Orcamento.stIntervaloDe = QStringLiteral("0000000004");
    } else if (caso == u"critérios de lista") {
        f.Vendedor = {false, QStringLiteral("'0003'")};
        f.VendComis = {false, QStringLiteral("'0001'_'0002'")};
        f.Cliente = {false, QStringLiteral("'000000000000000000027'")};
        f.Produto = {false, QStringLiteral("'0000000010'")};
        f.MuniciCli = {false, QStringLiteral("'1058SP3550308'")};
        f.FiliDest = {false, QStringLiteral("'0002'")};
        f.TipoOper = {false, QStringLiteral("'01'")};
        f.Departamento = {false, QStringLiteral("'001'")};
        f.Ordem.stOrdem = QStringLiteral("OC-004101");
    } else if (caso == u"só orçamentos") {
        f.TipoPedido = {false, true};
    }
    return f;
}

} // namespace

class TstHeaderRecord : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void argumentos_data();
    void argumentos();
    void argumentosPorReferencia();
    void listaDoServidorParaOFiltroPadrao();
    void filtroCanceladoRecarregaALista();
    void filtroConfirmadoListaOsEscolhidos();
    void rolagemMostraOPedido();
    void rolagemCarregaDetalhesDaPagina_data();
    void rolagemCarregaDetalhesDaPagina();
    void atualizarTrazDetalhesDoPedidoAtual();
    void atualizarDepoisDaListaFechada();
    void legendaDasFaixas_data();
    void legendaDasFaixas();
    void legendasNaTela();
    void origemDesconhecidaMantemTexto();
    void novoPedido_data();
    void novoPedido();
    void clientePadraoRecusado_data();
    void clientePadraoRecusado();
    void numeracaoFalhaCancelaInclusao();
    void situacao_data();
    void situacao();
    void textosDosCodigos_data();
    void textosDosCodigos();
    void edicao_data();
    void edicao();
    void listaEDadosGeraisNaTela();
    void excluirPedido_data();
    void excluirPedido();

private:
    void todosOsPedidos();
    QStringList pedidosDoBanco(const QString& where, const QVariantList& values);
    void listaIgualAoBanco(const QString& situacao);
};

// Every order of the branch, whatever its status, kind or date.
void TstHeaderRecord::todosOsPedidos()
{
    LanPedido::Filtro.StatusPedido = {true, true, true, true, true};
    LanPedido::Filtro.TipoPedido = {true, true};
    LanPedido::Filtro.Emissao = {true, QDate(), QDate()};
    tela->sbtVerificarClick();
    QVERIFY(tela->cdsPedido->recordCount() > 0);
}

QStringList TstHeaderRecord::pedidosDoBanco(const QString& where, const QVariantList& values)
{
    QSqlQuery query = execSql(demo, QStringLiteral("SELECT NRPEDIDO FROM PEDIDO WHERE ") + where + QStringLiteral(" ORDER BY NRPEDIDO"),
                              values);
    QStringList numeros;
    while (query.next())
        numeros << query.value(0).toString();
    return numeros;
}

// The list holds exactly the orders (not quotations) of branch 0001 in the
// given status entered in the last ten days.
void TstHeaderRecord::listaIgualAoBanco(const QString& situacao)
{
    QStringList carregados;
    for (tela->cdsPedido->first(); !tela->cdsPedido->eof(); tela->cdsPedido->next())
        carregados << tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString();
    carregados.sort();
    const QStringList esperados = pedidosDoBanco(
        QStringLiteral("CDFILIAL = '0001' AND IDSITPEDIDO = ? AND IDTIPOPEDIDO = '1' AND SUBSTR(DTPEDIDO, 1, 10) BETWEEN ? AND ?"),
        {situacao, isoDateText(QDate::currentDate().addDays(-10)), isoDateText(QDate::currentDate())});
    QVERIFY(!esperados.isEmpty());
    QCOMPARE(carregados, esperados);
}

void TstHeaderRecord::argumentos_data()
{
    QTest::addColumn<QString>("exibDadOrc");
    QTest::addColumn<bool>("loadDetails");
    QTest::addColumn<QVariantMap>("esperado");   // argument number -> value (null: JSON null)

    const QVariant nulo;
    QTest::newRow("filtro inicial") << "N" << false
        << QVariantMap{{"1", "T"}, {"2", ""}, {"3", ""}, {"4", "T"}, {"5", ""}, {"6", "T"}, {"7", ""}, {"8", "T"},
                       {"10", "T"}, {"12", "T"}, {"14", "43210"}, {"15", "T"}, {"16", "12"}, {"17", ""},
                       {"18", "1234657"}, {"19", "T"}, {"20", ""}, {"21", data(26, 11)}, {"22", data(6)},
                       {"23", "T"}, {"24", nulo}, {"25", nulo}, {"27", "T"}, {"28", "1"}, {"29", ""},
                       {"30", "1239"}, {"31", "0001"}, {"32", false}, {"33", ""}, {"34", "T"}, {"37", "T"},
                       {"39", "T"}, {"40", ""}, {"41", ""}, {"42", "T"}, {"43", "T"}, {"44", nulo}, {"45", nulo},
                       {"46", "T"}, {"47", "T"}, {"48", ""}, {"49", ""}, {"50", "T"}, {"51", ""}, {"52", ""},
                       {"53", "T"}};
    QTest::newRow("origens todas com orçamentos") << "S" << false << QVariantMap{{"30", "123456789"}};
    QTest::newRow("origens escolhidas") << "S" << false << QVariantMap{{"30", "'2'_'9'"}};
    QTest::newRow("todas as situações") << "N" << false << QVariantMap{{"16", "123546"}, {"17", "T"}};
    QTest::newRow("só cancelados") << "N" << false << QVariantMap{{"16", "4"}, {"17", ""}};
    QTest::newRow("liquidados e parciais") << "N" << false << QVariantMap{{"16", "356"}, {"17", ""}};
    QTest::newRow("sem prioridade baixa") << "N" << false << QVariantMap{{"14", "3210"}, {"15", ""}};
    QTest::newRow("nenhuma prioridade") << "N" << false << QVariantMap{{"14", ""}, {"15", ""}};
    QTest::newRow("itens sem liquidados") << "N" << false << QVariantMap{{"18", "12357"}, {"19", ""}};
    QTest::newRow("pedidos por intervalo") << "N" << false
        << QVariantMap{{"1", ""}, {"2", "0000000010"}, {"3", "0000000020"}, {"4", "T"}, {"5", ""}};
    QTest::newRow("pedidos por lista") << "N" << false
        << QVariantMap{{"1", "T"}, {"4", ""}, {"5", "'0000000001'_'0000000002'"}};
    QTest::newRow("notas por intervalo") << "N" << false
        << QVariantMap{{"49", ""}, {"50", ""}, {"51", "1"}, {"52", "9"}, {"53", ""}};
    QTest::newRow("notas por lista") << "N" << false << QVariantMap{{"49", "'0000000005'"}, {"50", ""}, {"53", "T"}};
    QTest::newRow("sem período") << "N" << false << QVariantMap{{"20", "T"}, {"21", nulo}, {"22", nulo}};
    QTest::newRow("entrega") << "N" << false << QVariantMap{{"23", ""}, {"24", data(1)}, {"25", data(10)}};
    QTest::newRow("importação") << "N" << false
        << QVariantMap{{"43", ""}, {"44", data(1, 11)}, {"45", data(30, 11)}, {"46", "0000000123"}, {"47", "S"}};
    QTest::newRow("orçamento de") << "N" << false << QVariantMap{{"40", "0000000004"}, {"41", ""}, {"42", ""}};
    QTest::newRow("critérios de lista") << "N" << false
        << QVariantMap{{"6", ""}, {"7", "'0003'"}, {"8", ""}, {"9", "'0001'_'0002'"}, {"10", ""},
                       {"11", "'000000000000000000027'"}, {"12", ""}, {"13", "'0000000010'"},
                       {"26", "'1058SP3550308'"}, {"27", ""}, {"34", ""}, {"35", "'0002'"}, {"36", "'01'"},
                       {"37", ""}, {"38", "'001'"}, {"39", ""}, {"48", "OC-004101"}};
    QTest::newRow("só orçamentos") << "N" << false << QVariantMap{{"28", ""}, {"29", "2"}};
    QTest::newRow("com detalhes") << "N" << true << QVariantMap{{"32", true}, {"33", "0000000007"}};
}

void TstHeaderRecord::argumentos()
{
    QFETCH(QString, exibDadOrc);
    QFETCH(bool, loadDetails);
    QFETCH(QVariantMap, esperado);

    ArgumentosGetPedido argumentos(filtroDoCaso(QString::fromUtf8(QTest::currentDataTag())), QStringLiteral("0001"),
                                   exibDadOrc, loadDetails, loadDetails ? QStringLiteral("0000000007") : QString());
    const QList<RpcArg> lista = argumentos.lista();
    QCOMPARE(lista.size(), 53);
    for (auto it = esperado.cbegin(); it != esperado.cend(); ++it) {
        const int numero = it.key().toInt();
        QVERIFY2(numero >= 1 && numero <= 53, qPrintable(it.key()));
        const QJsonValue enviado = lista.at(numero - 1).toJson();
        const QJsonValue previsto = QJsonValue::fromVariant(it.value());
        QVERIFY2(enviado == previsto, qPrintable(QStringLiteral("argumento %1: %2, esperado %3")
                                                     .arg(numero)
                                                     .arg(enviado.toVariant().toString(), previsto.toVariant().toString())));
    }
}

// Lists, the quotation range and the call's own values go by value; every
// other argument by reference.
void TstHeaderRecord::argumentosPorReferencia()
{
    ArgumentosGetPedido argumentos(filtroInicial(hoje), QStringLiteral("0001"), QStringLiteral("S"), false, QString());
    const QList<RpcArg> lista = argumentos.lista();
    const QSet<int> porValor{14, 16, 18, 28, 29, 30, 31, 32, 33, 40, 41, 42};
    for (int numero = 1; numero <= 53; ++numero)
        QVERIFY2(lista.at(numero - 1).isReference() != porValor.contains(numero), qPrintable(QString::number(numero)));
    QVERIFY(lista.at(31).toJson().isBool());
    QCOMPARE(RpcWire::argumentMismatch(Rpc::LanPedido::GetPedido.info(), lista), QString());
}

// Branch 0001 works with orders in progress: the initial filter lists its
// orders (not quotations) in status 2 entered in the last ten days.
void TstHeaderRecord::listaDoServidorParaOFiltroPadrao()
{
    abreTela();
    QVERIFY(tela->cdsPedido->isActive());
    listaIgualAoBanco(QStringLiteral("2"));
    QCOMPARE(tela->lblintde->text(), QDate::currentDate().addDays(-10).toString(QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(tela->lblintate->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    QVERIFY(!tela->panPeriodo->isHidden());
    QVERIFY(tela->sbtNotaPed->isEnabled());
}

// The dialog changes nothing when cancelled, yet the list comes back.
void TstHeaderRecord::filtroCanceladoRecarregaALista()
{
    abreTela();
    const int pedidos = tela->cdsPedido->recordCount();
    QVERIFY(pedidos > 0);
    const TFiltro antes = LanPedido::Filtro;
    tela->cdsPedido->emptyDataSet();
    scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [](QDialog& dialog) { dialog.reject(); });
    const bool confirmado = tela->sbtFiltroClick();
    QVERIFY(!confirmado);
    QVERIFY(tela->cdsPedido->isActive());
    QCOMPARE(tela->cdsPedido->recordCount(), pedidos);
    QCOMPARE(LanPedido::Filtro.StatusPedido.boAndamento, antes.StatusPedido.boAndamento);
    QCOMPARE(LanPedido::Filtro.Emissao.dtDe, antes.Emissao.dtDe);
    QVERIFY(tela->sbtFiltro->isEnabled());
    QVERIFY(tela->onPanFilialExit);
}

// Confirmed, the filter the clerk chose lists the orders.
void TstHeaderRecord::filtroConfirmadoListaOsEscolhidos()
{
    abreTela();
    scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [](QDialog& dialog) {
        auto& filtro = static_cast<TfrmFiltroPedido&>(dialog);
        filtro.chbAndamento->setChecked(false);
        filtro.chbCancelado->setChecked(true);
        filtro.sbtConfirmaClick();
    });
    QVERIFY(tela->sbtFiltroClick());
    QVERIFY(LanPedido::Filtro.StatusPedido.boCancelado);
    listaIgualAoBanco(QStringLiteral("4"));
}

// Scrolling to an order fills the general data it shows and asks for the
// rest of the page.
void TstHeaderRecord::rolagemMostraOPedido()
{
    abreTela();
    todosOsPedidos();
    tela->selecionaPagina(tela->tshDadosPed);
    QSqlQuery query(demo);
    QVERIFY(query.exec(QStringLiteral("SELECT NRPEDIDO, IDPRIOPED, IDTIPOPEDIDO, DTPEDIDO, DTENTPED, IDORIGPED, IDPGFRETTRAN"
                                      " FROM PEDIDO WHERE CDFILIAL = '0001' AND IDORIGPED = '2'")));
    QVERIFY(query.next());
    const QString pedido = query.value(0).toString();
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));

    QCOMPARE(tela->medNrPedido->text(), pedido);
    QCOMPARE(tela->edtOrigem->text(), QStringLiteral("Site"));
    QCOMPARE(tela->depDtRetirada->date(), columnValue(query.value(3), FieldType::DateTime).toDateTime().date());
    QCOMPARE(tela->depData->date(), columnValue(query.value(4), FieldType::DateTime).toDateTime().date());
    const QString prioridade = query.value(1).toString();
    const QHash<QString, QRadioButton*> botoes{{"0", tela->rdbPrioritaria}, {"1", tela->rdbUrgente},
                                               {"2", tela->rdbAlta}, {"3", tela->rdbNormal}, {"4", tela->rdbBaixa}};
    QVERIFY(botoes.value(prioridade));
    QVERIFY(botoes.value(prioridade)->isChecked());
    QCOMPARE(tela->rdbPedido->isChecked(), query.value(2).toString() == u"1");
    QCOMPARE(tela->rdbOrcamento->isChecked(), query.value(2).toString() != u"1");
    QCOMPARE(tela->edtNmCliente->text(), tela->cdsPedido->fieldByName(QStringLiteral("NMFANTCLIE")).asString());
    QCOMPARE(tela->dbtNome->text(), pedido + QStringLiteral(" - ")
                                       + tela->cdsPedido->fieldByName(QStringLiteral("NMRAZSOCCLIE")).asString());
    QCOMPARE(tela->dbtNome->palette().color(QPalette::WindowText),
             CorSituacaoPedido(tela->cdsPedido->fieldByName(QStringLiteral("IDSITPEDIDO")).asString()));

    // A quotation in status 1 may turn into an order; another order's status may not.
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("IDTIPOPEDIDO"), QStringLiteral("2")));
    QVERIFY(tela->rdbOrcamento->isChecked());
    QVERIFY(tela->rdbOrcamento->isEnabled());
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("IDSITPEDIDO"), QStringLiteral("3")));
    QVERIFY(!tela->rdbOrcamento->isEnabled());
    QVERIFY(!tela->sbtNFVendaFutura->isEnabled());
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("IDSITPEDIDO"), QStringLiteral("2")));
    QVERIFY(tela->sbtNFVendaFutura->isEnabled());
}

void TstHeaderRecord::rolagemCarregaDetalhesDaPagina_data()
{
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("cds");
    QTest::addColumn<QString>("linhasPorPedido");   // SQL: NRPEDIDO and the rows the page shows of it

    const QString porPedido = QStringLiteral("SELECT NRPEDIDO, COUNT(*) FROM %1 WHERE CDFILIAL = '0001'"
                                             " GROUP BY NRPEDIDO ORDER BY COUNT(*) DESC, NRPEDIDO");
    QTest::newRow("itens") << "tshItemPedido" << "cdsItemPedido" << porPedido.arg(QStringLiteral("ITEMPEDIDO"));
    QTest::newRow("pagamento") << "tshFormaPgto" << "cdsPrazoPgto" << porPedido.arg(QStringLiteral("PRAZOPGTOPED"));
    QTest::newRow("observação") << "tshObservacao" << "cdsDadosAdicPed" << porPedido.arg(QStringLiteral("DADOADICPED"));
    QTest::newRow("transportadora") << "tshTransportadora" << "cdsDadosEndPed" << porPedido.arg(QStringLiteral("ENDEPEDIDO"));
    // Every charge kind is listed, with the order's amount or 0.
    QTest::newRow("encargos") << "tshEncargos" << "cdsEncargos"
                              << QStringLiteral("SELECT NRPEDIDO, (SELECT COUNT(*) FROM ENCARGO) FROM ENCARGOPED"
                                                " WHERE CDFILIAL = '0001' GROUP BY NRPEDIDO ORDER BY NRPEDIDO");
}

// On each page, moving to another order brings that order's rows of the page.
void TstHeaderRecord::rolagemCarregaDetalhesDaPagina()
{
    QFETCH(QString, pagina);
    QFETCH(QString, cds);
    QFETCH(QString, linhasPorPedido);

    abreTela();
    todosOsPedidos();
    auto* page = tela->findChild<QWidget*>(pagina);
    auto* recordSet = tela->findChild<RecordSet*>(cds);
    QVERIFY(page && recordSet);
    tela->selecionaPagina(page);
    QCOMPARE(tela->pgcPadrao->currentWidget(), page);

    QSqlQuery query(demo);
    QVERIFY(query.exec(linhasPorPedido));
    int verificados = 0;
    while (query.next() && verificados < 2) {
        const QString pedido = query.value(0).toString();
        if (!tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido))
            continue;
        QCOMPARE(recordSet->recordCount(), query.value(1).toInt());
        QCOMPARE(recordSet->fieldByName(QStringLiteral("NRPEDIDO")).asString(), pedido);
        ++verificados;
    }
    QCOMPARE(verificados, 2);
}

// Refreshing brings the list and, for the order on screen, its items,
// terms, notes and taxes in the same call; the order stays current.
void TstHeaderRecord::atualizarTrazDetalhesDoPedidoAtual()
{
    abreTela();
    todosOsPedidos();
    QSqlQuery query(demo);
    QVERIFY(query.exec(QStringLiteral("SELECT I.NRPEDIDO, COUNT(*), (SELECT COUNT(*) FROM PRAZOPGTOPED T"
                                      " WHERE T.CDFILIAL = I.CDFILIAL AND T.NRPEDIDO = I.NRPEDIDO)"
                                      " FROM ITEMPEDIDO I WHERE I.CDFILIAL = '0001'"
                                      " GROUP BY I.CDFILIAL, I.NRPEDIDO HAVING COUNT(*) > 1 ORDER BY I.NRPEDIDO DESC")));
    QVERIFY(query.next());
    const QString pedido = query.value(0).toString();
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    tela->cdsItemPedido->emptyDataSet();
    tela->cdsPrazoPgto->close();

    tela->sbtVerificarClick();
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString(), pedido);
    QCOMPARE(tela->cdsItemPedido->recordCount(), query.value(1).toInt());
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString(), pedido);
    QCOMPARE(tela->cdsPrazoPgto->recordCount(), query.value(2).toInt());
    double totalItens = 0;
    for (tela->cdsItemPedido->first(); !tela->cdsItemPedido->eof(); tela->cdsItemPedido->next())
        totalItens += tela->cdsItemPedido->fieldByName(QStringLiteral("VRTOTALITEM")).asFloat();
    QCOMPARE(tela->nedTotal->value(), totalItens);
    // Branch 0001 shows the item taxes: those of the current item came along.
    QVERIFY(tela->cdsItemProImpos->isActive());
    QVERIFY(tela->cdsConUltPrecVen->isActive());
}

// A closed list (the branch field entered) shows no order; refreshing it
// shows the first order on every control, as scrolling to it does.
void TstHeaderRecord::atualizarDepoisDaListaFechada()
{
    abreTela();
    tela->selecionaPagina(tela->tshDadosPed);
    tela->medCdFilialEnter();
    QVERIFY(!tela->cdsPedido->isActive());
    QVERIFY(tela->dbtNome->text().isEmpty());

    tela->sbtVerificarClick();
    QVERIFY(tela->cdsPedido->recordCount() > 0);
    QCOMPARE(tela->cdsPedido->recNo(), 1);
    QCOMPARE(tela->dbtNome->text(), tela->cdsPedido->fieldByName(QStringLiteral("DsPedido")).asString());
    QCOMPARE(tela->medNrPedido->text(), tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString());
    QCOMPARE(tela->edtNmCliente->text(), tela->cdsPedido->fieldByName(QStringLiteral("NMFANTCLIE")).asString());
    QCOMPARE(tela->rdbPedido->isChecked(), tela->cdsPedido->fieldByName(QStringLiteral("IDTIPOPEDIDO")).asString() == u"1");
}

void TstHeaderRecord::legendaDasFaixas_data()
{
    QTest::addColumn<double>("de");
    QTest::addColumn<double>("ate");
    QTest::addColumn<QColor>("cor");
    QTest::addColumn<QString>("texto");
    QTest::newRow("aberta embaixo") << -1000.0 << 0.0 << QColor(255, 0, 0) << "Faixa: até 0 % (vermelho)";
    QTest::newRow("fechada") << 5.0 << 15.0 << QColor(255, 255, 0) << "Faixa: de 5 % a 15 % (amarelo)";
    QTest::newRow("decimais") << 2.5 << 7.75 << QColor(255, 165, 0) << "Faixa: de 2,50 % a 7,75 % (laranja)";
    QTest::newRow("aberta em cima") << 30.0 << 1000.0 << QColor(0, 128, 0) << "Faixa: acima de 30 % (verde)";
    QTest::newRow("cor vizinha") << 15.0 << 30.0 << QColor(150, 230, 140) << "Faixa: de 15 % a 30 % (verde-claro)";
}

// A band reads with its limits and the name of the colour nearest its own.
void TstHeaderRecord::legendaDasFaixas()
{
    QFETCH(double, de);
    QFETCH(double, ate);
    QFETCH(QColor, cor);
    QFETCH(QString, texto);
    const QStringList linhas = LegendaTexto(QStringLiteral("Rentabilidade"),
                                            LegendaRentabilidade({{QStringLiteral("Faixa"), de, ate, cor}}));
    QCOMPARE(linhas, (QStringList{QStringLiteral("Rentabilidade:"), texto}));
}

// The status and profitability columns tell what their codes and colours
// mean over their titles, and the help page tells it too; the colours stay
// those the list paints.
void TstHeaderRecord::legendasNaTela()
{
    abreTela();
    DBGridColumn* situacao = tela->dbgPadrao->columnByField(QStringLiteral("IDSITPEDIDO"));
    QVERIFY(situacao);
    const QString dica = tela->dbgPadrao->model()->headerData(situacao->index(), Qt::Horizontal, Qt::ToolTipRole).toString();
    for (const QString codigo : {"1", "2", "3", "4", "6"})
        QVERIFY2(dica.contains(QStringLiteral("color:%1'>%2</b>").arg(CorSituacaoPedido(codigo).name(),
                                                                        TextoSituacaoPedido(tela->msgPadrao, codigo))),
                 qPrintable(dica));
    const int rentabilidade = tela->dbgPadrao->columnByField(QStringLiteral("COR_RENTABILIDADE"))->index();
    const QString dicaRent = tela->dbgPadrao->model()->headerData(rentabilidade, Qt::Horizontal, Qt::ToolTipRole).toString();
    QVERIFY2(dicaRent.contains(QStringLiteral("Margem baixa: de 5 % a 15 %")), qPrintable(dicaRent));
    QVERIFY(dicaRent.contains(QColor(255, 255, 0).name()));   // the band's colour number 65535

    tela->sbtAjudaClick();
    const QStringList ajuda = scripted->messageTexts(MsgType::Information);
    QCOMPARE(ajuda.size(), 1);
    for (const QString& linha : {QStringLiteral("Situação do pedido:"), QStringLiteral("PE\tPendente (azul)"),
                                 QStringLiteral("AN\tEm andamento (oliva)"), QStringLiteral("LQ\tLiquidado (roxo)"),
                                 QStringLiteral("CN\tCancelado (vermelho)"), QStringLiteral("PA\tParcialmente atendido (verde-azulado)"),
                                 QStringLiteral("Prejuízo: até 0 % (vermelho)"), QStringLiteral("Margem alta: acima de 30 % (verde)")})
        QVERIFY2(ajuda.first().contains(linha), qPrintable(ajuda.first()));
    QVERIFY(ajuda.first().contains(QStringLiteral("Ctrl+L\tFiltrar pedidos")));
    scripted->clear();
}

// Origin codes without a text leave the origin box as it was.
void TstHeaderRecord::origemDesconhecidaMantemTexto()
{
    abreTela();
    const QList<std::pair<QString, QString>> textos{{"1", "Sistema"}, {"3", "Aplicativo"}, {"9", "Operador Logístico"},
                                                    {"0", ""}, {"", ""}, {"X", ""}, {"10", ""}, {"-1", ""}};
    for (const auto& [codigo, texto] : textos)
        QCOMPARE(TextoOrigemPedido(tela->msgPadrao, codigo), texto);

    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido,
                                    {{{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000801"}, {"IDSITPEDIDO", "1"}, {"IDORIGPED", "4"}},
                                     {{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000802"}, {"IDSITPEDIDO", "1"}, {"IDORIGPED", "0"}},
                                     {{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000803"}, {"IDSITPEDIDO", "1"}}}));
    QCOMPARE(tela->edtOrigem->text(), QStringLiteral("Execução do Orçamento Parte Produção"));
    tela->cdsPedido->next();
    QCOMPARE(tela->edtOrigem->text(), QStringLiteral("Execução do Orçamento Parte Produção"));
    tela->cdsPedido->next();
    QCOMPARE(tela->edtOrigem->text(), QStringLiteral("Execução do Orçamento Parte Produção"));
}

void TstHeaderRecord::novoPedido_data()
{
    QTest::addColumn<QString>("filial");
    QTest::addColumn<QString>("cliente");
    QTest::addColumn<QString>("vendedor");
    QTest::addColumn<QString>("nomeVendedor");
    QTest::addColumn<QString>("modalidade");
    QTest::addColumn<QString>("nomeModalidade");
    QTest::addColumn<QString>("tipoOperacao");

    // 0001: no default customer or seller; operation type required, "01" by default.
    QTest::newRow("0001 sem cliente nem vendedor") << "0001" << "" << "" << "" << "00002" << "30 dias" << "01";
    // 0002: counter customer, seller 0003 and cash payment by default; no operation type.
    QTest::newRow("0002 com cliente e vendedor") << "0002" << "000028" << "0003" << "João Martins"
                                                 << "00001" << "À vista" << "";
}

void TstHeaderRecord::novoPedido()
{
    QFETCH(QString, filial);
    QFETCH(QString, cliente);
    QFETCH(QString, vendedor);
    QFETCH(QString, nomeVendedor);
    QFETCH(QString, modalidade);
    QFETCH(QString, nomeModalidade);
    QFETCH(QString, tipoOperacao);

    abreTela(filial);
    QCOMPARE(tela->ultimaFilialValidada(), filial);
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    RecordSet* cds = tela->cdsPedido;
    QCOMPARE(cds->state(), RecordSet::State::Insert);
    auto campo = [cds](const char* name) { return cds->fieldByName(QString::fromUtf8(name)).asString(); };

    const QString numero = campo("NRPEDIDO");
    QCOMPARE(numero.size(), 10);
    QCOMPARE(tela->medNrPedido->text(), numero);
    QVERIFY(pedidosDoBanco(QStringLiteral("CDFILIAL = ? AND NRPEDIDO >= ?"), {filial, numero}).isEmpty());
    QCOMPARE(campo("CDFILIAL"), filial);
    QCOMPARE(campo("IDUTDIAPAGPED"), QStringLiteral("I"));
    QCOMPARE(campo("IDPEDINDUSTRIA"), QStringLiteral("N"));
    QVERIFY(campo("CDFILIALPED").isEmpty());
    QCOMPARE(cds->fieldByName(QStringLiteral("IDTPFORPGTPED")).text(), QStringLiteral("X"));
    // The parameter customer brings his own seller, modality and freight
    // where he has them; the branch's defaults stand for the rest.
    QString frete = QStringLiteral("9");
    if (!cliente.isEmpty()) {
        QSqlQuery doCliente(demo);
        doCliente.prepare(QStringLiteral("SELECT C.CDVENDEDOR, V.NMFANVEN, C.CDMODPGTO, M.DSMODPGTO, C.IDPGFRETTRANCLI"
                                         " FROM CLIENTE C LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR"
                                         " LEFT JOIN MODPGTO M ON M.CDMODPGTO = C.CDMODPGTO WHERE C.CDCLIENTE = ?"));
        doCliente.addBindValue(campo("CDCLIENTE"));
        QVERIFY(doCliente.exec() && doCliente.next());
        auto proprio = [&doCliente](int coluna, QString& padrao) {
            if (!doCliente.value(coluna).toString().isEmpty())
                padrao = doCliente.value(coluna).toString();
        };
        proprio(0, vendedor);
        proprio(1, nomeVendedor);
        proprio(2, modalidade);
        proprio(3, nomeModalidade);
        proprio(4, frete);
    }
    QCOMPARE(campo("IDPGFRETTRAN"), frete);
    QVERIFY2(tela->cmbFrete->currentText().startsWith(frete + QStringLiteral(" - ")), qPrintable(tela->cmbFrete->currentText()));
    QCOMPARE(tela->depDtRetirada->date(), QDate::currentDate());
    QVERIFY(tela->depData->date().isNull());
    QVERIFY(tela->rdbPedido->isChecked());
    QVERIFY(tela->rdbNormal->isChecked());
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);

    QCOMPARE(campo("CDCLIENTE"), cliente);
    QCOMPARE(campo("CDVENDEDOR").trimmed(), vendedor);
    QCOMPARE(campo("NMFANVEN"), nomeVendedor);
    QCOMPARE(tela->edtNmVendedor->text(), nomeVendedor);
    QCOMPARE(campo("CDMODPGTO"), modalidade);
    QCOMPARE(campo("DSMODPGTO"), nomeModalidade);
    QCOMPARE(tela->edtModPgto->text(), nomeModalidade);
    QCOMPARE(campo("CDTIPOOPER"), tipoOperacao);
    QCOMPARE(tela->edtNmTipoOper->text().isEmpty(), tipoOperacao.isEmpty());
    if (!cliente.isEmpty()) {
        QVERIFY(!campo("NRINSJURCLIE").isEmpty());
        QVERIFY(!tela->edtNmCliente->text().isEmpty());
    }
    // 0002 lets the dispatch control the seller's commission.
    QCOMPARE(cds->fieldByName(QStringLiteral("VRPECOMVDPED")).isNull(), true);
    QCOMPARE(LanPedido::stCdModPag, modalidade);
    cds->cancel();
}

void TstHeaderRecord::clientePadraoRecusado_data()
{
    QTest::addColumn<QString>("cliente");
    QTest::addColumn<QString>("documento");   // "" the customer's own
    QTest::addColumn<QString>("mensagem");    // "" nothing said
    QTest::newRow("blocked default customer") << "000003" << "" << "";
    QTest::newRow("unknown default customer") << "999999" << "52998224725" << "Cliente não cadastrado.";
}

// A default customer the check refuses leaves the new order with the focus
// on the customer field, not on the seller.
void TstHeaderRecord::clientePadraoRecusado()
{
    QFETCH(QString, cliente);
    QFETCH(QString, documento);
    QFETCH(QString, mensagem);
    if (documento.isEmpty())
        documento = selectValue(demo, QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?"), {cliente}).toString();
    abreTela(QStringLiteral("0002"));
    setParam(*tela->cdsParamPedido, QStringLiteral("CDCLIENTE"), cliente);
    setParam(*tela->cdsParamPedido, QStringLiteral("NRINSJURCLIE"), documento);
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
    QCOMPARE(scripted->messageTexts(MsgType::Error), mensagem.isEmpty() ? QStringList() : QStringList{mensagem});
    QCoreApplication::processEvents();
    QVERIFY(tela->focusWidget() == tela->dbeCliente);
    scripted->clear();
    tela->cdsPedido->cancel();
}

// Without a number there is no new order: the row goes and the clerk is told.
void TstHeaderRecord::numeracaoFalhaCancelaInclusao()
{
    abreTela();
    const QVariant ultimo = selectValue(demo, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = '0001'"));
    QVERIFY(ultimo.isValid());
    const QString conta = QStringLiteral("UPDATE CONTADORPEDIDO SET NRULTPEDIDO = ? WHERE CDFILIAL = '0001'");
    const auto restaura = qScopeGuard([&] { execSql(demo, conta, {ultimo.toLongLong()}); });
    execSql(demo, conta, {9999999999LL});

    const int pedidos = tela->cdsPedido->recordCount();
    tela->selecionaPagina(tela->tshPadrao);
    QVERIFY(!guarded([&] { tela->sbtIncluirClick(); }));
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
    QCOMPARE(tela->cdsPedido->recordCount(), pedidos);
    QCOMPARE(scripted->messageTexts(MsgType::Error),
             QStringList{QStringLiteral("Não foi possível gerar o número do pedido. Ocorreu um erro no banco de dados.")});
    QVERIFY(!scripted->busyVisible());
    scripted->clear();
}

void TstHeaderRecord::situacao_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QColor>("cor");
    QTest::newRow("pendente") << "1" << "PE" << QColor(0, 0, 255);
    QTest::newRow("em andamento") << "2" << "AN" << QColor(128, 128, 0);
    QTest::newRow("liquidado") << "3" << "LQ" << QColor(128, 0, 128);
    QTest::newRow("cancelado") << "4" << "CN" << QColor(255, 0, 0);
    QTest::newRow("liquidado 5") << "5" << "LQ" << QColor(128, 0, 128);
    QTest::newRow("parcial") << "6" << "PA" << QColor(0, 128, 128);
    QTest::newRow("desconhecido") << "7" << "" << QColor();
    QTest::newRow("vazio") << "" << "" << QColor();
}

// The status column shows the code's text and the row is painted in the
// status colour; an unknown code shows nothing in the grid's own colour.
void TstHeaderRecord::situacao()
{
    QFETCH(QString, codigo);
    QFETCH(QString, texto);
    QFETCH(QColor, cor);

    abreTela();
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000901"},
                                                        {"IDSITPEDIDO", codigo}, {"NMRAZSOCCLIE", "Cliente"}}}));
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("IDSITPEDIDO")).text(), texto);
    QCOMPARE(CorSituacaoPedido(codigo), cor);

    QImage imagem(10, 10, QImage::Format_ARGB32);
    QPainter painter(&imagem);
    DBGridColumn* coluna = tela->dbgPadrao->columnByField(QStringLiteral("NMRAZSOCCLIE"));
    QVERIFY(coluna);
    const QColor padrao(Qt::black);
    DBGridCell celula{*tela->dbgPadrao, painter, QRect(0, 0, 10, 10), *coluna, 0, false, false, false,
                      QStringLiteral("Cliente"), QColor(Qt::white), padrao, Qt::AlignLeft};
    QVERIFY(tela->dbgPadrao->onDrawColumnCell);
    tela->dbgPadrao->onDrawColumnCell(*tela->dbgPadrao, celula);
    QCOMPARE(celula.foreground, cor.isValid() ? cor : padrao);
    QVERIFY(celula.defaultDraw);
}

void TstHeaderRecord::textosDosCodigos_data()
{
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("mostrado");   // null: not looked at
    QTest::addColumn<QString>("digitado");   // null: nothing typed
    QTest::addColumn<QString>("gravado");
    const QString nada;
    QTest::newRow("espelho emitido") << "IDPEDIDOIMPR" << "S" << "Emitido" << nada << nada;
    QTest::newRow("espelho não emitido") << "IDPEDIDOIMPR" << "N" << "" << nada << nada;
    QTest::newRow("espelho vazio") << "IDPEDIDOIMPR" << "" << "" << nada << nada;
    QTest::newRow("forma F") << "IDTPFORPGTPED" << "F" << "F" << nada << nada;
    QTest::newRow("forma V") << "IDTPFORPGTPED" << "V" << "V" << nada << nada;
    QTest::newRow("forma vazia") << "IDTPFORPGTPED" << "" << "X" << nada << nada;
    // The freight type is typed as its text; the order keeps the code.
    const QString frete = QStringLiteral("IDPGFRETTRAN");
    QTest::newRow("frete CIF") << frete << "0" << nada << "0 - Contratação do Frete por Conta do Remetente (CIF)" << "0";
    QTest::newRow("frete FOB") << frete << "0" << nada << "1 - Contratação do Frete por Conta do Destinatário (FOB)" << "1";
    QTest::newRow("frete terceiros") << frete << "0" << nada << "2 - Contratação do Frete por Conta de Terceiros" << "2";
    QTest::newRow("frete remetente") << frete << "0" << nada << "3 - Transporte Próprio por Conta do Remetente" << "3";
    QTest::newRow("frete destinatário") << frete << "0" << nada << "4 - Transporte Próprio por Conta do Destinatário" << "4";
    QTest::newRow("sem frete") << frete << "0" << nada << "9 - Sem Ocorrência de Transporte" << "9";
    QTest::newRow("frete outro texto") << frete << "0" << nada << "5 - Por conta do cliente" << "9";
    QTest::newRow("frete vazio") << frete << "0" << nada << "" << "9";
}

void TstHeaderRecord::textosDosCodigos()
{
    QFETCH(QString, campo);
    QFETCH(QString, codigo);
    QFETCH(QString, mostrado);
    QFETCH(QString, digitado);
    QFETCH(QString, gravado);

    abreTela();
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000902"},
                                                        {"IDSITPEDIDO", "1"}, {campo, codigo}}}));
    Field& field = tela->cdsPedido->fieldByName(campo);
    if (!mostrado.isNull())
        QCOMPARE(field.text(), mostrado);
    if (digitado.isNull())
        return;
    tela->cdsPedido->edit();
    field.setText(digitado);
    QCOMPARE(field.asString(), gravado);
    tela->cdsPedido->cancel();
}

void TstHeaderRecord::edicao_data()
{
    QTest::addColumn<QString>("situacao");   // "expedido": in progress, one unit of an item shipped
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<bool>("editavel");
    QTest::newRow("pendente") << "1" << "tshPadrao" << true;
    QTest::newRow("em andamento") << "2" << "tshDadosPed" << true;
    QTest::newRow("parcial") << "6" << "tshDadosPed" << true;
    QTest::newRow("liquidado") << "3" << "tshDadosPed" << false;
    QTest::newRow("cancelado") << "4" << "tshPadrao" << false;
    QTest::newRow("liquidado 5") << "5" << "tshDadosPed" << false;
    QTest::newRow("liquidado, observação") << "3" << "tshObservacao" << true;
    QTest::newRow("cancelado, observação") << "4" << "tshObservacao" << true;
    QTest::newRow("expedido, dados gerais") << "expedido" << "tshDadosPed" << false;
    QTest::newRow("expedido, lista") << "expedido" << "tshPadrao" << false;
    QTest::newRow("expedido, observação") << "expedido" << "tshObservacao" << true;
}

// Closed orders are read only except for their notes, refused without a
// word. An order in progress that has shipped part of an item keeps its
// header, with a message; its notes can still be changed.
void TstHeaderRecord::edicao()
{
    QFETCH(QString, situacao);
    QFETCH(QString, pagina);
    QFETCH(bool, editavel);

    const bool expedido = situacao == u"expedido";
    QString pedido;
    auto expede = [this, &pedido](double quantidade) {
        return execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET QTEXPITEMPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"
                                            " AND NRITEMPED = (SELECT MIN(NRITEMPED) FROM ITEMPEDIDO"
                                            " WHERE CDFILIAL = '0001' AND NRPEDIDO = ?)"),
                       {quantidade, pedido, pedido}).numRowsAffected() == 1;
    };
    if (expedido) {
        const QStringList emAndamento = pedidosDoBanco(
            QStringLiteral("CDFILIAL = '0001' AND IDSITPEDIDO = '2' AND EXISTS (SELECT 1 FROM ITEMPEDIDO I"
                           " WHERE I.CDFILIAL = PEDIDO.CDFILIAL AND I.NRPEDIDO = PEDIDO.NRPEDIDO)"),
            {});
        QVERIFY(!emAndamento.isEmpty());
        pedido = emAndamento.first();
        QVERIFY(expede(1));
    }
    const auto restaura = qScopeGuard([&] {
        if (expedido)
            expede(0);
    });
    abreTela();
    todosOsPedidos();
    QVERIFY(expedido ? tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido)
                     : tela->cdsPedido->locate(QStringLiteral("IDSITPEDIDO"), situacao));
    tela->selecionaPagina(tela->findChild<QWidget*>(pagina));
    const QString modalidade = tela->cdsPedido->fieldByName(QStringLiteral("CDMODPGTO")).asString();
    QCOMPARE(guarded([&] { tela->cdsPedido->edit(); }), editavel);
    QCOMPARE(tela->cdsPedido->state(), editavel ? RecordSet::State::Edit : RecordSet::State::Browse);
    if (expedido && !editavel) {
        QVERIFY(scripted->hasMessage(QStringLiteral("Pedido com itens parcialmente expedidos não pode ser alterado.")));
        scripted->clear();
    }
    QVERIFY(scripted->messages().isEmpty());
    if (!editavel)
        return;
    QCOMPARE(LanPedido::stModPgto, modalidade);
    QCOMPARE(LanPedido::stCdClie, tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).asString());
    QCOMPARE(LanPedido::stIns, tela->cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).asString());
    if (pagina == u"tshPadrao")
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);

    // The change markers follow the customer and the destination branch.
    Field& cliente = tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE"));
    cliente.setValue(QStringLiteral("999999999999999999999"));
    QVERIFY(LanPedido::boAlteraCliente);
    QVERIFY(!LanPedido::boNaoAlterado);
    cliente.setValue(LanPedido::stCdClie);
    QVERIFY(!LanPedido::boAlteraCliente);
    QVERIFY(LanPedido::boNaoAlterado);
    tela->cdsPedido->cancel();
}

// Pictures of the list with orders in every status and of the general data
// of one order (PED_SCREENSHOT_DIR keeps them).
void TstHeaderRecord::listaEDadosGeraisNaTela()
{
    abreTela();
    tela->resize(1100, 640);
    QTemporaryDir fallback;
    const QString pasta = qEnvironmentVariable("PED_SCREENSHOT_DIR", fallback.path());
    QVERIFY(tela->grab().save(pasta + QStringLiteral("/header_lista_periodo.png")));
    todosOsPedidos();
    tela->selecionaPagina(tela->tshPadrao);
    QVERIFY(tela->grab().save(pasta + QStringLiteral("/header_lista.png")));
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("IDSITPEDIDO"), QStringLiteral("2")));
    tela->selecionaPagina(tela->tshDadosPed);
    QVERIFY(tela->grab().save(pasta + QStringLiteral("/header_dados_gerais.png")));
}

void TstHeaderRecord::excluirPedido_data()
{
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("pendente") << "1" << "";
    QTest::newRow("em andamento") << "2" << "Operação bloqueada! Este pedido encontra-se confirmado.";
    QTest::newRow("liquidado") << "3" << "Operação bloqueada! Este pedido encontra-se liquidado.";
    QTest::newRow("cancelado") << "4" << "Operação bloqueada! Este pedido encontra-se cancelado.";
    QTest::newRow("parcial") << "6" << "Operação bloqueada! Este pedido encontra-se parcialmente atendido.";
}

// Only a pending order goes; at a branch with charges its charges are
// deleted on the server first. (Changes the demo data: keep it last.)
void TstHeaderRecord::excluirPedido()
{
    QFETCH(QString, situacao);
    QFETCH(QString, mensagem);

    abreTela();
    todosOsPedidos();
    const QStringList comEncargos = pedidosDoBanco(
        QStringLiteral("CDFILIAL = '0001' AND IDSITPEDIDO = ? AND NRPEDIDO IN"
                       " (SELECT NRPEDIDO FROM ENCARGOPED WHERE CDFILIAL = '0001')"), {situacao});
    QVERIFY(!comEncargos.isEmpty());
    const QString pedido = comEncargos.first();
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    const int pedidos = tela->cdsPedido->recordCount();

    const bool excluido = guarded([&] { tela->cdsPedido->deleteRecord(); });
    QCOMPARE(excluido, mensagem.isEmpty());
    QCOMPARE(tela->cdsPedido->recordCount(), excluido ? pedidos - 1 : pedidos);
    const QString encargos = QStringLiteral("CDFILIAL = '0001' AND NRPEDIDO = ? AND NRPEDIDO IN"
                                            " (SELECT NRPEDIDO FROM ENCARGOPED WHERE CDFILIAL = '0001')");
    QCOMPARE(pedidosDoBanco(encargos, {pedido}).isEmpty(), excluido);
    QCOMPARE(scripted->messageTexts(MsgType::Error), mensagem.isEmpty() ? QStringList() : QStringList{mensagem});
    scripted->clear();
}

QTEST_MAIN(TstHeaderRecord)
#include "tst_header_record.moc"
