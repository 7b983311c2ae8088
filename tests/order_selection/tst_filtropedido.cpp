// The order filter dialog: what it shows of the filter, the checks of its
// confirmation, what it writes back, cancel, reset, the invoice options, the
// restricted seller, the branch's parameters, the look-ups over the demo
// database and the server, and the saved lists.

#include "scriptedhost.h"
#include "test_server.h"

#include "context.h"
#include "filtropedido.h"
#include "filtropedidodialog.h"
#include "lookups/pesquisalista.h"
#include "lookups/pesquisalistadialog.h"
#include "netconnection.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "serverresult.h"
#include "serversession.h"
#include "store/database.h"
#include "values.h"
#include "widgets/buttonflat.h"
#include "widgets/dateeditplus.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <functional>
#include <memory>

using namespace PedTest;

using Ajuste = std::function<void(TfrmFiltroPedido&)>;
using Conferencia = std::function<void(const TFiltro&)>;
Q_DECLARE_METATYPE(Ajuste)
Q_DECLARE_METATYPE(Conferencia)

namespace {

const QDate hoje(2026, 3, 10);

TFiltro filtroDemo()
{
    TFiltro filtro = filtroInicial(hoje);
    filtro.Filial = QStringLiteral("0001");
    return filtro;
}

RecordSet* umaLinha(const QString& name, const QVariantMap& values, QObject* parent)
{
    auto* cds = new RecordSet(name, parent);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        cds->addField(it.key(), FieldType::String, 20);
    cds->createDataSet();
    if (!values.isEmpty()) {
        cds->append();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            cds->fieldByName(it.key()).setValue(it.value());
        cds->post();
    }
    return cds;
}

void setDate(TDateEditPlus* edit, const QString& text)
{
    edit->setText(text);
}

} // namespace

class TstFiltroPedido : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void contaChecked_data();
    void contaChecked();
    void mostraOFiltro();
    void recusaConfirmacao_data();
    void recusaConfirmacao();
    void aceitaConfirmacao_data();
    void aceitaConfirmacao();
    void cancelarNaoMudaOFiltro();
    void limparVoltaAoPadrao_data();
    void limparVoltaAoPadrao();
    void notaPorListaTravaSituacao();
    void intervalosAlargadosAoSair();
    void vendedorRestrito();
    void parametrosDaFilial_data();
    void parametrosDaFilial();
    void pesquisas_data();
    void pesquisas();
    void pesquisaPorF9();
    void pesquisaNoServidor_data();
    void pesquisaNoServidor();
    void pesquisaNoServidorFalha();
    void pesquisaSemDados_data();
    void pesquisaSemDados();
    void opcoesSalvasGuardamAsListas();
    void listaSalvaIlegivelDescartada();
    void telas();

private:
    // Opens the dialog on `filtro` and lets `drive` work it (and close it).
    bool abre(TFiltro& filtro, const std::function<void(TfrmFiltroPedido&)>& drive, TNetConnection* net = nullptr);
    void escolheNaPesquisa(const QString& code, int expectedRows);
    QString primeiro(const QString& sql);
    int conta(const QString& sql);
    void setParametros(const QString& exibDadOrc, const QString& exibPedido, const QString& obrTpOpPed);
    QString ultimaMensagem() const;
    // The look-ups read the PostgreSQL demo database (skips when none was asked for).
    void usePostgres();
    void useSqlite();

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestServer> pgServer;
    std::unique_ptr<ScriptedHost> scripted;
    QTemporaryDir configDir;
    QSqlDatabase demo;
    TNetConnection* netLanPed = nullptr;
    RecordSet* cdsParamPedido = nullptr;
    RecordSet* cdsOperTPed = nullptr;
    RecordSet* cdsVendLog = nullptr;
    QObject owner;
};

void TstFiltroPedido::initTestCase()
{
    QVERIFY(configDir.isValid());
    server = std::make_unique<TestServer>();
    const ServerResult login = ServerSession::instance().login(QStringLiteral("127.0.0.1"), server->port(),
                                                               QStringLiteral("DEMO"), QStringLiteral("demo"));
    QVERIFY2(login.ok(), qPrintable(login.errorMessage()));
    WorkingContext context;
    context.empresa = QStringLiteral("01");
    context.filial = QStringLiteral("0001");
    context.operador = QStringLiteral("DEMO");
    context.dataLogin = hoje;
    context.webUrl = QStringLiteral("127.0.0.1");
    context.webPort = server->port();
    context.configDir = configDir.path() + u'/';
    setWorkingContext(context);
    openDtmDBGeral(server->databaseConfig().sqlitePath);
    demo = openDatabase(server->databaseConfig(), QStringLiteral("tst_filtropedido_demo"));

    netLanPed = new TNetConnection(QStringLiteral("PED00100.rdmLanPedido"), &owner);
    cdsOperTPed = new RecordSet(QStringLiteral("cdsOperTPed"), &owner);
    cdsOperTPed->addField(QStringLiteral("CDTIPOPEDIDO"), FieldType::String, 2);
    cdsOperTPed->createDataSet();
    cdsVendLog = umaLinha(QStringLiteral("cdsVendLog"), {{QStringLiteral("CDVENDEDOR"), QStringLiteral("0002")}}, &owner);
}

void TstFiltroPedido::init()
{
    scripted = std::make_unique<ScriptedHost>();
    setParametros(QStringLiteral("S"), QStringLiteral("1"), QStringLiteral("S"));
    cdsOperTPed->emptyDataSet();
}

void TstFiltroPedido::cleanup()
{
    PED_VERIFY_HOST(*scripted);
    scripted.reset();
}

void TstFiltroPedido::cleanupTestCase()
{
    closeDtmDBGeral();
    demo = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("tst_filtropedido_demo"));
    QSqlDatabase::removeDatabase(QStringLiteral("tst_filtropedido_pg"));
    pgServer.reset();
    server.reset();
}

void TstFiltroPedido::setParametros(const QString& exibDadOrc, const QString& exibPedido, const QString& obrTpOpPed)
{
    delete cdsParamPedido;
    cdsParamPedido = umaLinha(QStringLiteral("cdsParamPedido"),
                              {{QStringLiteral("IDEXIBDADORC"), exibDadOrc},
                               {QStringLiteral("IDEXIBPEDIDO"), exibPedido},
                               {QStringLiteral("IDOBRTPOPPED"), obrTpOpPed}},
                              &owner);
}

bool TstFiltroPedido::abre(TFiltro& filtro, const std::function<void(TfrmFiltroPedido&)>& drive, TNetConnection* net)
{
    scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [&](QDialog& dialog) {
        drive(static_cast<TfrmFiltroPedido&>(dialog));
        // A failed check left the script early; its message is the one to read.
        if (QTest::currentTestFailed() && dialog.isVisible())
            dialog.reject();
    });
    FiltroPedidoTela tela;
    tela.netLanPed = net ? net : netLanPed;
    tela.cdsParamPedido = cdsParamPedido;
    tela.cdsOperTPed = cdsOperTPed;
    tela.cdsVendLog = cdsVendLog;
    return CriaFiltroPedido(filtro, tela);
}

// The next PesquisaLista offers `expectedRows` rows; `code` is checked.
void TstFiltroPedido::escolheNaPesquisa(const QString& code, int expectedRows)
{
    scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [code, expectedRows](QDialog& dialog) {
        auto& lista = static_cast<TfrmPesquisaLista&>(dialog);
        QCOMPARE(lista.shownRowCount(), expectedRows);
        QVERIFY2(lista.setChecked(code, true), qPrintable(code));
        const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(dialog.grab().save(folder + QStringLiteral("/pesquisa_%1.png").arg(QString::fromLatin1(QTest::currentDataTag()))));
        dialog.accept();
    });
}

QString TstFiltroPedido::primeiro(const QString& sql)
{
    QSqlQuery query(demo);
    if (!query.exec(sql) || !query.next())
        return {};
    return query.value(0).toString();
}

int TstFiltroPedido::conta(const QString& sql)
{
    return primeiro(sql).toInt();
}

void TstFiltroPedido::usePostgres()
{
    if (!TestServer::postgresRequested())
        QSKIP("PED_TEST_PG_URL não definida: sem PostgreSQL");
    if (!pgServer) {
        TestServerOptions options;
        options.backend = TestServerOptions::Backend::PostgreSQL;
        pgServer = std::make_unique<TestServer>(options);
        openDatabase(pgServer->databaseConfig(), QStringLiteral("tst_filtropedido_pg"));
    }
    const DatabaseConfig& config = pgServer->databaseConfig();
    openDtmDBGeral(QStringLiteral("postgresql://%1:%2@%3:%4/%5")
                       .arg(config.user, config.password, config.host)
                       .arg(config.port)
                       .arg(config.databaseName));
    demo = QSqlDatabase::database(QStringLiteral("tst_filtropedido_pg"));
}

void TstFiltroPedido::useSqlite()
{
    openDtmDBGeral(server->databaseConfig().sqlitePath);
    demo = QSqlDatabase::database(QStringLiteral("tst_filtropedido_demo"));
}

QString TstFiltroPedido::ultimaMensagem() const
{
    return scripted->messages().isEmpty() ? QString() : scripted->messages().last().text;
}

// --- ContaChecked -------------------------------------------------------------------------

void TstFiltroPedido::contaChecked_data()
{
    QTest::addColumn<QString>("lista");
    QTest::addColumn<int>("itens");
    QTest::newRow("vazia") << QString() << 1;
    QTest::newRow("um") << QStringLiteral("'0001'") << 1;
    QTest::newRow("três") << QStringLiteral("'0001'_'0002'_'0003'") << 3;
}

void TstFiltroPedido::contaChecked()
{
    QFETCH(QString, lista);
    QFETCH(int, itens);
    QCOMPARE(ContaChecked(lista), itens);
}

// --- Showing the filter ---------------------------------------------------------------------

void TstFiltroPedido::mostraOFiltro()
{
    TFiltro filtro = filtroDemo();
    filtro.NrPedido = {true, true, QStringLiteral("0000000010"), QStringLiteral("0000000020"), QStringLiteral("'0000000011'")};
    filtro.Nota = {false, false, QString(), QString(), QStringLiteral("'0000000007'")};
    filtro.StatusPedido = {false, false, true, false, true};
    filtro.Cliente = {false, QStringLiteral("'000123'")};
    filtro.Origem = {false, QStringLiteral("'9'_'1'")};
    filtro.Entrega = {false, QDate(2026, 3, 1), QDate(2026, 3, 31)};
    filtro.Importa = {false, true, QDate(2026, 2, 1), QDate(2026, 2, 2), QStringLiteral("0000000004")};
    filtro.Orcamento = {QStringLiteral("A1"), QStringLiteral("B2")};
    filtro.Ordem.stOrdem = QStringLiteral("OC-77");
    const TFiltro antes = filtro;

    abre(filtro, [&](TfrmFiltroPedido& d) {
        QVERIFY(d.rbtIntervalo->isChecked());
        QVERIFY(d.medDeIntervalo->isEnabled());
        QVERIFY(!d.btnNrPedido->isEnabled());
        QCOMPARE(d.medDeIntervalo->text(), QStringLiteral("0000000010"));
        QCOMPARE(d.stNrPedido, QStringLiteral("'0000000011'"));
        QVERIFY(d.rdbLNota->isChecked());
        QVERIFY(d.btnNota->isEnabled());
        QCOMPARE(d.stNota, QStringLiteral("'0000000007'"));
        QVERIFY(!d.grbStatusPedido->isEnabled());
        QVERIFY(d.chbLiquidado->isChecked() && d.chbParcialmente->isChecked() && !d.chbPendente->isChecked());
        QVERIFY(d.rbtLCliente->isChecked() && d.btnCliente->isEnabled());
        QVERIFY(d.rbtTVendedor->isChecked() && !d.btnVendedor->isEnabled());
        QCOMPARE(d.stCliente, QStringLiteral("'000123'"));
        QCOMPARE(d.stOrigem, QStringLiteral("'9'_'1'"));
        QCOMPARE(d.depDeEntrega->date(), QDate(2026, 3, 1));
        QCOMPARE(d.depDeEmissao->date(), hoje.addDays(-10));
        QCOMPARE(d.depDeImporta->date(), QDate(2026, 2, 1));
        QVERIFY(d.rdbSemEstoq->isChecked());
        QCOMPARE(d.medOrcDe->text(), QStringLiteral("A1"));
        QCOMPARE(d.edtOrdem->text(), QStringLiteral("OC-77"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Filtro de Lançamento"));
        QCOMPARE(d.screenCode(), QStringLiteral("PED00101"));
        QCOMPARE(d.sbtLimpa->toolTip(), QStringLiteral("Desfazer"));
        QVERIFY(!QApplication::overrideCursor());
        // One dialog at a time.
        TFiltro outro = filtroDemo();
        QVERIFY(!CriaFiltroPedido(outro, FiltroPedidoTela{}));
        d.sbtCancela->click();
    });
    QVERIFY(filtro == antes);
    QVERIFY(!QApplication::overrideCursor());
}

// --- Confirmation checks --------------------------------------------------------------------

void TstFiltroPedido::recusaConfirmacao_data()
{
    QTest::addColumn<Ajuste>("ajuste");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("foco");

    const auto row = [](const char* name, Ajuste ajuste, const QString& mensagem, const char* foco) {
        QTest::newRow(name) << ajuste << mensagem << QString::fromLatin1(foco);
    };
    row("data inválida", [](TfrmFiltroPedido& d) { setDate(d.depDeEntrega, QStringLiteral("31/02/2026")); },
        QStringLiteral("'31/02/2026' não é uma data válida."), "depDeEntrega");
    row("data de importação inválida", [](TfrmFiltroPedido& d) { setDate(d.depAteImporta, QStringLiteral("99/99/2026")); },
        QStringLiteral("'99/99/2026' não é uma data válida."), "depAteImporta");
    row("pedido sem data inicial", [](TfrmFiltroPedido& d) { d.depDeEmissao->clear(); },
        QStringLiteral("Data pedido inicial deve ser informada."), "depDeEmissao");
    row("pedido sem data final", [](TfrmFiltroPedido& d) { d.depAteEmissao->clear(); },
        QStringLiteral("Data pedido final deve ser informada."), "depAteEmissao");
    row("pedido com datas invertidas", [](TfrmFiltroPedido& d) {
        d.depDeEmissao->setDate(QDate(2026, 3, 10));
        d.depAteEmissao->setDate(QDate(2026, 3, 9));
    }, QStringLiteral("Data pedido inicial deve ser menor ou igual à data pedido final."), "depDeEmissao");
    row("entrega sem data inicial", [](TfrmFiltroPedido& d) { d.depAteEntrega->setDate(QDate(2026, 3, 9)); },
        QStringLiteral("Data entrega inicial deve ser informada."), "depDeEntrega");
    row("entrega sem data final", [](TfrmFiltroPedido& d) { d.depDeEntrega->setDate(QDate(2026, 3, 9)); },
        QStringLiteral("Data entrega final deve ser informada."), "depAteEntrega");
    row("entrega com datas invertidas", [](TfrmFiltroPedido& d) {
        d.depDeEntrega->setDate(QDate(2026, 3, 10));
        d.depAteEntrega->setDate(QDate(2026, 3, 9));
    }, QStringLiteral("Data entrega inicial deve ser menor ou igual à data entrega final."), "depDeEntrega");
    row("entrega conferida antes do pedido", [](TfrmFiltroPedido& d) {
        d.depDeEmissao->clear();
        d.depAteEntrega->setDate(QDate(2026, 3, 9));
    }, QStringLiteral("Data entrega inicial deve ser informada."), "depDeEntrega");
    row("sem entrega o pedido vem primeiro", [](TfrmFiltroPedido& d) {
        d.depDeEmissao->clear();
        d.rbtLCliente->setChecked(true);
    }, QStringLiteral("Data pedido inicial deve ser informada."), "depDeEmissao");
    row("intervalo 10 a 9", [](TfrmFiltroPedido& d) {
        d.rbtIntervalo->setChecked(true);
        d.medDeIntervalo->setText(QStringLiteral("10"));
        d.medAteIntervalo->setText(QStringLiteral("9"));
    }, QStringLiteral("Número pedido inicial deve ser menor ou igual ao número pedido final."), "medDeIntervalo");
    row("intervalo só final", [](TfrmFiltroPedido& d) {
        d.rbtIntervalo->setChecked(true);
        d.medAteIntervalo->setText(QStringLiteral("9"));
    }, QStringLiteral("Intervalo inicial deve ser informado."), "medDeIntervalo");
    row("intervalo só inicial", [](TfrmFiltroPedido& d) {
        d.rbtIntervalo->setChecked(true);
        d.medDeIntervalo->setText(QStringLiteral("9"));
    }, QStringLiteral("Intervalo final deve ser informado."), "medAteIntervalo");
    row("intervalo vazio", [](TfrmFiltroPedido& d) { d.rbtIntervalo->setChecked(true); },
        QStringLiteral("Intervalo inicial deve ser informado."), "medDeIntervalo");
    row("nota 100 a 99", [](TfrmFiltroPedido& d) {
        d.rdbInNota->setChecked(true);
        d.edtDeNota->setText(QStringLiteral("100"));
        d.edtAteNota->setText(QStringLiteral("99"));
    }, QStringLiteral("Número pedido inicial deve ser menor ou igual ao número pedido final."), "edtDeNota");
    row("nota só final", [](TfrmFiltroPedido& d) {
        d.rdbInNota->setChecked(true);
        d.edtAteNota->setText(QStringLiteral("99"));
    }, QStringLiteral("Intervalo inicial deve ser informado."), "edtDeNota");
    row("sem situação do pedido", [](TfrmFiltroPedido& d) {
        for (QCheckBox* box : {d.chbPendente, d.chbAndamento, d.chbLiquidado, d.chbCancelado, d.chbParcialmente})
            box->setChecked(false);
    }, QStringLiteral("Situação do pedido deve ser informada."), "chbPendente");
    row("sem situação do item", [](TfrmFiltroPedido& d) {
        for (QCheckBox* box : {d.chbIPendente, d.chbIConfirmado, d.chbIAprovado, d.chbILiquidado, d.chbICancelado,
                               d.chbIParcialmente})
            box->setChecked(false);
    }, QStringLiteral("Situação do item deve ser informada."), "chbIPendente");
    row("orçamento só final", [](TfrmFiltroPedido& d) { d.medOrcAte->setText(QStringLiteral("B")); },
        QStringLiteral("Número orçamento inicial deve ser informado."), "medOrcDe");
    row("orçamento só inicial", [](TfrmFiltroPedido& d) { d.medOrcDe->setText(QStringLiteral("B")); },
        QStringLiteral("Número orçamento final deve ser informado."), "medOrcAte");
    row("orçamento invertido", [](TfrmFiltroPedido& d) {
        d.medOrcDe->setText(QStringLiteral("B"));
        d.medOrcAte->setText(QStringLiteral("A"));
    }, QStringLiteral("Número orçamento inicial deve ser menor ou igual ao número orçamento final."), "medOrcDe");
    const auto lista = [&row](const char* name, QRadioButton* TfrmFiltroPedido::*option, const char* mensagem,
                              const char* foco) {
        row(name, [option](TfrmFiltroPedido& d) { (d.*option)->setChecked(true); }, QString::fromUtf8(mensagem), foco);
    };
    lista("lista de pedidos vazia", &TfrmFiltroPedido::rbtLNrPedido, "Número pedido deve ser informado.", "rbtLNrPedido");
    lista("lista de clientes vazia", &TfrmFiltroPedido::rbtLCliente, "Cliente deve ser informado.", "rbtLCliente");
    lista("lista de filiais vazia", &TfrmFiltroPedido::rbtLFiliDest, "Filial destino deve ser informada.", "rbtLFiliDest");
    lista("lista de produtos vazia", &TfrmFiltroPedido::rbtLProduto, "Produto deve ser informado.", "rbtLProduto");
    lista("lista de vendedores vazia", &TfrmFiltroPedido::rbtLVendedor, "Vendedor deve ser informado.", "rbtLVendedor");
    lista("lista de comissionados vazia", &TfrmFiltroPedido::rbtLVendComis, "Vendedor deve ser informado.",
          "rbtLVendComis");
    lista("lista de municípios vazia", &TfrmFiltroPedido::rbtLMuniciCli, "Município do cliente deve ser informado.",
          "rbtLMuniciCli");
    row("sem tipo de pedido", [](TfrmFiltroPedido& d) { d.chbPedido->setChecked(false); },
        QStringLiteral("Tipo do pedido deve ser informado."), "chbPedido");
    lista("lista de departamentos vazia", &TfrmFiltroPedido::rbtLDepto, "Departamento deve ser informado.", "rbtLDepto");
    lista("lista de origens vazia", &TfrmFiltroPedido::rbtLOrigem, "Origem do pedido deve ser informada.", "rbtLOrigem");
    lista("lista de notas vazia", &TfrmFiltroPedido::rdbLNota, "Nota Fiscal deve ser informada.", "rdbLNota");
    row("sem prioridade", [](TfrmFiltroPedido& d) {
        for (QCheckBox* box : {d.chbBaixa, d.chbNormal, d.chbAlta, d.chbUrgente, d.chbPrioritaria})
            box->setChecked(false);
    }, QStringLiteral("Prioridade deve ser informada."), "chbNormal");
    lista("lista de tipos de operação vazia", &TfrmFiltroPedido::rbtLTipoOper, "Tipo de operação deve ser informado.",
          "rbtLTipoOper");
}

void TstFiltroPedido::recusaConfirmacao()
{
    QFETCH(Ajuste, ajuste);
    QFETCH(QString, mensagem);
    QFETCH(QString, foco);
    TFiltro filtro = filtroDemo();
    const TFiltro antes = filtro;
    const bool confirmado = abre(filtro, [&](TfrmFiltroPedido& d) {
        ajuste(d);
        d.sbtConfirma->click();
        QVERIFY(d.isVisible());
        QCOMPARE(d.focusWidget() ? d.focusWidget()->objectName() : QString(), foco);
        d.sbtCancela->click();
    });
    QVERIFY(!confirmado);
    QCOMPARE(ultimaMensagem(), mensagem);
    QCOMPARE(scripted->messages().size(), 1);
    QVERIFY(filtro == antes);
}

// --- What confirmation writes ---------------------------------------------------------------

void TstFiltroPedido::aceitaConfirmacao_data()
{
    QTest::addColumn<Ajuste>("ajuste");
    QTest::addColumn<Conferencia>("conferencia");

    QTest::newRow("intervalo 12 a 12") << Ajuste([](TfrmFiltroPedido& d) {
        d.rbtIntervalo->setChecked(true);
        d.medDeIntervalo->setText(QStringLiteral("12"));
        d.medAteIntervalo->setText(QStringLiteral("12"));
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(f.NrPedido.boIntervalo && f.NrPedido.boTodos);
        QCOMPARE(f.NrPedido.stDe, QStringLiteral("0000000012"));
        QCOMPARE(f.NrPedido.stAte, QStringLiteral("0000000012"));
    });
    QTest::newRow("entrega num só dia") << Ajuste([](TfrmFiltroPedido& d) {
        d.depDeEntrega->setDate(QDate(2026, 3, 9));
        d.depAteEntrega->setDate(QDate(2026, 3, 9));
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(!f.Entrega.boTodos);
        QCOMPARE(f.Entrega.dtDe, QDate(2026, 3, 9));
        QCOMPARE(f.Entrega.dtAte, QDate(2026, 3, 9));
    });
    QTest::newRow("lista de pedidos") << Ajuste([](TfrmFiltroPedido& d) {
        d.rbtLNrPedido->setChecked(true);
        d.stNrPedido = QStringLiteral("'0000000001'_'0000000003'");
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(!f.NrPedido.boIntervalo && !f.NrPedido.boTodos);
        QCOMPARE(f.NrPedido.stNrPedido, QStringLiteral("'0000000001'_'0000000003'"));
    });
    QTest::newRow("nota por intervalo") << Ajuste([](TfrmFiltroPedido& d) {
        d.rdbInNota->setChecked(true);
        d.edtDeNota->setText(QStringLiteral("5"));
        d.edtAteNota->setText(QStringLiteral("7"));
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(f.Nota.boIntervalo && !f.Nota.boTodos);
        QCOMPARE(f.Nota.stDe, Ajusta(QStringLiteral("5"), 20));
        QCOMPARE(f.Nota.stDe.size(), 20);
        QVERIFY(f.StatusPedido == (TStatPed{false, false, true, false, true}));
    });
    QTest::newRow("lista escolhida e depois Todos") << Ajuste([](TfrmFiltroPedido& d) {
        d.rbtLCliente->setChecked(true);
        d.stCliente = QStringLiteral("'000123'");
        d.rbtTCliente->setChecked(true);
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(f.Cliente.boTodos);
        QCOMPARE(f.Cliente.stCliente, QStringLiteral("'000123'"));
    });
    QTest::newRow("listas de cada grupo") << Ajuste([](TfrmFiltroPedido& d) {
        const QList<std::pair<QRadioButton*, QString*>> grupos = {
            {d.rbtLVendedor, &d.stVendedor}, {d.rbtLVendComis, &d.stVendComis}, {d.rbtLProduto, &d.stProduto},
            {d.rbtLFiliDest, &d.stPFiliDest}, {d.rbtLMuniciCli, &d.stMuniciCli}, {d.rbtLOrigem, &d.stOrigem},
            {d.rbtLTipoOper, &d.stTipoOpercao}, {d.rbtLDepto, &d.stDept}};
        for (const auto& [option, list] : grupos) {
            option->setChecked(true);
            *list = QStringLiteral("'%1'").arg(option->objectName());
        }
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(!f.Vendedor.boTodos && !f.VendComis.boTodos && !f.Produto.boTodos && !f.FiliDest.boTodos
                && !f.MuniciCli.boTodos && !f.Origem.boTodos && !f.TipoOper.boTodos && !f.Departamento.boTodos);
        QCOMPARE(f.Vendedor.stVendedor, QStringLiteral("'rbtLVendedor'"));
        QCOMPARE(f.VendComis.stVendComis, QStringLiteral("'rbtLVendComis'"));
        QCOMPARE(f.Produto.stProduto, QStringLiteral("'rbtLProduto'"));
        QCOMPARE(f.FiliDest.stFiliDest, QStringLiteral("'rbtLFiliDest'"));
        QCOMPARE(f.MuniciCli.stMuniciCli, QStringLiteral("'rbtLMuniciCli'"));
        QCOMPARE(f.Origem.stOrigem, QStringLiteral("'rbtLOrigem'"));
        QCOMPARE(f.TipoOper.stCdTipoOper, QStringLiteral("'rbtLTipoOper'"));
        QCOMPARE(f.Departamento.stDepartamento, QStringLiteral("'rbtLDepto'"));
    });
    QTest::newRow("caixas de marcar") << Ajuste([](TfrmFiltroPedido& d) {
        d.chbBaixa->setChecked(false);
        d.chbUrgente->setChecked(false);
        d.chbCancelado->setChecked(true);
        d.chbIAprovado->setChecked(false);
        d.chbOrcamento->setChecked(true);
        d.chbPedido->setChecked(false);
    }) << Conferencia([](const TFiltro& f) {
        QVERIFY(f.Prioridade == (TPrio{false, true, true, false, true}));
        QVERIFY(f.StatusPedido == (TStatPed{true, true, false, true, false}));
        QVERIFY(f.StatusIPedido == (TStatIPed{true, true, false, true, true, true}));
        QVERIFY(f.TipoPedido == (TTipoPedido{false, true}));
    });
    QTest::newRow("orçamento, ordem e importação") << Ajuste([](TfrmFiltroPedido& d) {
        d.medOrcDe->setText(QStringLiteral("7"));
        d.medOrcAte->setText(QStringLiteral("12"));
        d.edtOrdem->setText(QStringLiteral("OC-2026/15"));
        d.depDeImporta->setDate(QDate(2026, 1, 5));
        d.depAteImporta->setDate(QDate(2026, 1, 6));
        d.medNrImporta->setText(QStringLiteral("44"));
        d.rdbSemEstoq->setChecked(true);
    }) << Conferencia([](const TFiltro& f) {
        QCOMPARE(f.Orcamento.stIntervaloDe, QStringLiteral("0000000007"));
        QCOMPARE(f.Orcamento.stintervaloAte, QStringLiteral("0000000012"));
        QCOMPARE(f.Ordem.stOrdem, QStringLiteral("OC-2026/15"));
        QVERIFY(f.Importa == (TImporta{false, true, QDate(2026, 1, 5), QDate(2026, 1, 6), QStringLiteral("0000000044")}));
    });
    QTest::newRow("sem data de entrega nem importação") << Ajuste([](TfrmFiltroPedido&) {})
        << Conferencia([](const TFiltro& f) {
               QVERIFY(f.Entrega.boTodos && f.Importa.boTodos && !f.Emissao.boTodos);
               QVERIFY(f.Entrega.dtDe.isNull() && f.Importa.dtDe.isNull());
               QCOMPARE(f.Emissao.dtDe, hoje.addDays(-10));
               QCOMPARE(f.Filial, QStringLiteral("0001"));
           });
}

void TstFiltroPedido::aceitaConfirmacao()
{
    QFETCH(Ajuste, ajuste);
    QFETCH(Conferencia, conferencia);
    TFiltro filtro = filtroDemo();
    const bool confirmado = abre(filtro, [&](TfrmFiltroPedido& d) {
        ajuste(d);
        d.sbtConfirma->click();
        QVERIFY2(!d.isVisible(), qPrintable(ultimaMensagem()));
    });
    QVERIFY(confirmado);
    conferencia(filtro);
}

// --- Cancel ---------------------------------------------------------------------------------

void TstFiltroPedido::cancelarNaoMudaOFiltro()
{
    TFiltro filtro = filtroDemo();
    filtro.Cliente = {false, QStringLiteral("'000123'")};
    const TFiltro antes = filtro;
    abre(filtro, [&](TfrmFiltroPedido& d) {
        d.rbtTCliente->setChecked(true);
        d.stCliente = QStringLiteral("'999'");
        d.rdbSemEstoq->setChecked(true);
        d.rdbLNota->setChecked(true);
        d.depDeEntrega->setDate(QDate(2026, 4, 1));
        d.sbtLimpaClick();
        d.sbtCancela->click();
    });
    QVERIFY(filtro == antes);
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QVERIFY(d.rbtLCliente->isChecked());
        QCOMPARE(d.stCliente, QStringLiteral("'000123'"));
        QVERIFY(d.rdbTodosPed->isChecked());
        QVERIFY(d.rdbTNota->isChecked());
        QVERIFY(d.depDeEntrega->isEmpty());
        QVERIFY(d.grbStatusPedido->isEnabled());
        d.sbtCancela->click();
    });
}

// --- Reset ----------------------------------------------------------------------------------

void TstFiltroPedido::limparVoltaAoPadrao_data()
{
    QTest::addColumn<bool>("teclado");
    QTest::newRow("botão") << false;
    QTest::newRow("Ctrl+D") << true;
}

void TstFiltroPedido::limparVoltaAoPadrao()
{
    QFETCH(bool, teclado);
    TFiltro filtro = filtroDemo();
    filtro.NrPedido = {false, false, QString(), QString(), QStringLiteral("'0000000001'")};
    filtro.Nota = {false, false, QString(), QString(), QStringLiteral("'0000000002'")};
    filtro.Cliente = {false, QStringLiteral("'000123'")};
    filtro.Produto = {false, QStringLiteral("'P1'")};
    filtro.Prioridade.boAlta = false;
    filtro.StatusIPedido.boCancelado = false;
    filtro.TipoPedido = {false, true};
    filtro.Entrega = {false, QDate(2026, 3, 1), QDate(2026, 3, 2)};
    filtro.Orcamento = {QStringLiteral("1"), QStringLiteral("2")};
    filtro.Ordem.stOrdem = QStringLiteral("OC");
    filtro.Importa = {false, true, QDate(2026, 2, 1), QDate(2026, 2, 2), QStringLiteral("0000000009")};
    abre(filtro, [&](TfrmFiltroPedido& d) {
        if (teclado) {
            d.chbAlta->setFocus();
            QTest::keyClick(d.chbAlta, Qt::Key_D, Qt::ControlModifier);
        } else {
            d.sbtLimpa->click();
        }
        for (const QString* list : {&d.stNrPedido, &d.stNota, &d.stCliente, &d.stVendedor, &d.stVendComis,
                                    &d.stProduto, &d.stMuniciCli, &d.stPFiliDest, &d.stTipoOpercao, &d.stDept,
                                    &d.stOrigem})
            QVERIFY(list->isEmpty());
        QVERIFY(d.rbtTNrPedido->isChecked() && !d.medDeIntervalo->isEnabled());
        QVERIFY(d.rdbTNota->isChecked() && d.grbStatusPedido->isEnabled());
        QVERIFY(d.rbtTCliente->isChecked() && d.rbtTProduto->isChecked() && !d.btnCliente->isEnabled());
        QVERIFY(d.chbAlta->isChecked() && d.chbICancelado->isChecked());
        QVERIFY(d.chbPendente->isChecked() && d.chbAndamento->isChecked() && !d.chbLiquidado->isChecked());
        QVERIFY(d.chbPedido->isChecked() && !d.chbOrcamento->isChecked());
        QCOMPARE(d.depDeEmissao->date(), PriDiaMes(QDate::currentDate()));
        QCOMPARE(d.depAteEmissao->date(), UltimoDiaMes(QDate::currentDate()));
        QVERIFY(d.depDeEntrega->isEmpty() && d.medOrcDe->text().isEmpty() && d.edtOrdem->text().isEmpty());
        // The import fields stay.
        QCOMPARE(d.depDeImporta->date(), QDate(2026, 2, 1));
        QCOMPARE(d.medNrImporta->text(), QStringLiteral("0000000009"));
        QVERIFY(d.rdbSemEstoq->isChecked());
        d.sbtCancela->click();
    });
}

// --- Invoice options ------------------------------------------------------------------------

void TstFiltroPedido::notaPorListaTravaSituacao()
{
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        d.rdbInNota->setChecked(true);
        d.edtDeNota->setText(QStringLiteral("5"));
        d.rdbLNota->setChecked(true);
        QVERIFY(d.edtDeNota->text().isEmpty());
        QVERIFY(!d.edtDeNota->isEnabled() && d.btnNota->isEnabled());
        QVERIFY(!d.grbStatusPedido->isEnabled());
        QVERIFY(!d.chbPendente->isChecked() && !d.chbAndamento->isChecked() && !d.chbCancelado->isChecked());
        QVERIFY(d.chbLiquidado->isChecked() && d.chbParcialmente->isChecked());
        d.stNota = QStringLiteral("'0000000001'");
        d.rdbInNota->setChecked(true);
        QVERIFY(d.stNota.isEmpty());
        QVERIFY(d.edtDeNota->isEnabled() && !d.btnNota->isEnabled() && !d.grbStatusPedido->isEnabled());
        d.stNota = QStringLiteral("'0000000001'");
        d.rdbTNota->setChecked(true);
        QVERIFY(d.stNota.isEmpty());
        QVERIFY(d.grbStatusPedido->isEnabled());
        QVERIFY(d.chbLiquidado->isChecked() && d.chbParcialmente->isChecked() && !d.chbPendente->isChecked());
        d.sbtConfirma->click();
    });
    QVERIFY(filtro.Nota.boTodos && !filtro.Nota.boIntervalo && filtro.Nota.stNota.isEmpty());
    QVERIFY(filtro.StatusPedido == (TStatPed{false, false, true, false, true}));
}

// --- Interval edits -------------------------------------------------------------------------

void TstFiltroPedido::intervalosAlargadosAoSair()
{
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        const auto sai = [](QWidget* edit) {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(edit, &out);
        };
        d.rbtIntervalo->setChecked(true);
        d.medDeIntervalo->setText(QStringLiteral("12"));
        sai(d.medDeIntervalo);
        QCOMPARE(d.medDeIntervalo->text(), QStringLiteral("0000000012"));
        QCOMPARE(d.medAteIntervalo->text(), QStringLiteral("0000000012"));
        d.medAteIntervalo->setText(QStringLiteral("30"));
        sai(d.medAteIntervalo);
        d.medDeIntervalo->setText(QStringLiteral("13"));
        sai(d.medDeIntervalo);
        QCOMPARE(d.medAteIntervalo->text(), QStringLiteral("0000000030"));

        QTest::keyClicks(d.medOrcDe, QStringLiteral("ab7"));
        QCOMPARE(d.medOrcDe->text(), QStringLiteral("AB7"));
        QCOMPARE(d.medOrcAte->text(), QStringLiteral("AB7"));
        d.medOrcDe->clear();
        QTest::keyClicks(d.medOrcDe, QStringLiteral("7"));
        sai(d.medOrcDe);
        QCOMPARE(d.medOrcDe->text(), QStringLiteral("0000000007"));
        QCOMPARE(d.medOrcAte->text(), QStringLiteral("0000000007"));

        d.rdbInNota->setChecked(true);
        d.edtAteNota->setText(QStringLiteral("8"));
        sai(d.edtAteNota);
        QCOMPARE(d.edtAteNota->text(), QStringLiteral("00000000000000000008"));
        d.medNrImporta->setText(QStringLiteral("3"));
        sai(d.medNrImporta);
        QCOMPARE(d.medNrImporta->text(), QStringLiteral("0000000003"));
        QTest::keyClicks(d.medDeIntervalo, QStringLiteral("x"));
        QCOMPARE(d.medDeIntervalo->text(), QStringLiteral("0000000013"));
        d.sbtCancela->click();
    });
}

// --- Seller restriction ---------------------------------------------------------------------

void TstFiltroPedido::vendedorRestrito()
{
    setParametros(QStringLiteral("S"), QStringLiteral("2"), QStringLiteral("S"));
    TFiltro filtro = filtroDemo();
    filtro.Vendedor = {false, QStringLiteral("'0001'")};
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QVERIFY(!d.grbVendedor->isEnabled());
        QVERIFY(!d.rbtLVendedor->isChecked() && !d.rbtTVendedor->isChecked());
        d.sbtLimpa->click();
        QVERIFY(!d.grbVendedor->isEnabled() && !d.rbtTVendedor->isChecked());
        d.sbtConfirma->click();
        QVERIFY2(!d.isVisible(), qPrintable(ultimaMensagem()));
    });
    QVERIFY(!filtro.Vendedor.boTodos);
    QCOMPARE(filtro.Vendedor.stVendedor, QStringLiteral("'0002'"));
    QVERIFY(filtro.VendComis.boTodos);

    // An operator bound to order types chooses sellers freely.
    cdsOperTPed->append();
    cdsOperTPed->fieldByName(QStringLiteral("CDTIPOPEDIDO")).setValue(QStringLiteral("01"));
    cdsOperTPed->post();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QVERIFY(d.grbVendedor->isEnabled());
        QVERIFY(d.rbtLVendedor->isChecked());
        d.sbtCancela->click();
    });
}

// --- Parameters of the branch ---------------------------------------------------------------

void TstFiltroPedido::parametrosDaFilial_data()
{
    QTest::addColumn<QString>("exibDadOrc");
    QTest::addColumn<QString>("obrTpOpPed");
    QTest::addColumn<int>("origens");
    QTest::newRow("com orçamento") << QStringLiteral("S") << QStringLiteral("S") << 9;
    QTest::newRow("sem orçamento") << QStringLiteral("N") << QStringLiteral("N") << 4;
    QTest::newRow("sem parâmetro") << QString() << QString() << 4;
}

void TstFiltroPedido::parametrosDaFilial()
{
    QFETCH(QString, exibDadOrc);
    QFETCH(QString, obrTpOpPed);
    QFETCH(int, origens);
    setParametros(exibDadOrc, QStringLiteral("1"), obrTpOpPed);
    const bool orcamento = exibDadOrc == u"S";
    TFiltro filtro = filtroDemo();
    filtro.Departamento = {false, QStringLiteral("'002'")};
    filtro.Orcamento = {QStringLiteral("0000000009"), QStringLiteral("0000000001")};
    filtro.TipoOper = {false, QString()};
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QCOMPARE(d.grbOrcamento->isVisible(), orcamento);
        QCOMPARE(d.grbDepartamento->isVisible(), orcamento);
        QCOMPARE(d.grbTipoDeOp->isVisible(), obrTpOpPed == u"S");
        QCOMPARE(d.cdsOrigem->recordCount(), origens);
        d.cdsOrigem->first();
        QCOMPARE(d.cdsOrigem->fieldByName(QStringLiteral("NRORIGEM")).asString(), QStringLiteral("9"));
        QCOMPARE(d.cdsOrigem->fieldByName(QStringLiteral("NMORIGEM")).asString(), QStringLiteral("Operador Logístico"));
        d.rbtLOrigem->setChecked(true);
        scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [origens](QDialog& dialog) {
            auto& lista = static_cast<TfrmPesquisaLista&>(dialog);
            QCOMPARE(lista.shownRowCount(), origens);
            QVERIFY(lista.setChecked(QStringLiteral("9"), true));
            QVERIFY(lista.setChecked(QStringLiteral("3"), true));
            QCOMPARE(lista.setChecked(QStringLiteral("8"), true), origens == 9);
            lista.setChecked(QStringLiteral("8"), false);
            dialog.accept();
        });
        d.btnOrigem->click();
        QCOMPARE(d.stOrigem, QStringLiteral("'9'_'3'"));
        if (orcamento) {
            // The groups are there to be put right.
            d.medOrcDe->setText(QStringLiteral("1"));
            d.medOrcAte->setText(QStringLiteral("9"));
            d.stDept = QStringLiteral("'002'");
            d.rbtTTipoOper->setChecked(true);
        }
        d.sbtConfirma->click();
        QVERIFY2(!d.isVisible(), qPrintable(ultimaMensagem()));
    });
    QCOMPARE(filtro.Origem.stOrigem, QStringLiteral("'9'_'3'"));
    QCOMPARE(filtro.Departamento.stDepartamento, QStringLiteral("'002'"));
    if (!orcamento) {
        // Hidden groups keep what the record held.
        QCOMPARE(filtro.Orcamento.stIntervaloDe, QStringLiteral("0000000009"));
        QVERIFY(filtro.TipoOper == (TTipoOper{false, QString()}));
    }
}

// --- Look-ups -------------------------------------------------------------------------------

void TstFiltroPedido::pesquisas_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("opcao");
    QTest::addColumn<QString>("lista");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("contagem");

    // Each look-up on each database.
    const auto row = [](const char* name, const char* botao, const char* opcao, const char* lista, const char* codigo,
                        const char* contagem) {
        for (const char* kind : {"sqlite", "postgresql"})
            QTest::addRow("%s %s", name, kind) << QString::fromLatin1(kind) << QString::fromLatin1(botao)
                                               << QString::fromLatin1(opcao) << QString::fromLatin1(lista)
                                               << QString::fromLatin1(codigo) << QString::fromLatin1(contagem);
    };
    row("cliente", "btnCliente", "rbtLCliente", "stCliente",
        "SELECT MIN(CDCLIENTE) FROM ENDECLIE WHERE IDTPENDECLIE = 'P'",
        "SELECT COUNT(*) FROM ENDECLIE E JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO "
        "AND M.CDMUNICIPIO = E.CDMUNICIPIO WHERE IDTPENDECLIE = 'P'");
    row("vendedor", "btnVendedor", "rbtLVendedor", "stVendedor", "SELECT MAX(CDVENDEDOR) FROM VENDEDOR",
        "SELECT COUNT(*) FROM VENDEDOR");
    row("comissionado", "btnVendComis", "rbtLVendComis", "stVendComis", "SELECT MIN(CDVENDEDOR) FROM VENDEDOR",
        "SELECT COUNT(*) FROM VENDEDOR");
    row("filial destino", "btnFiliDest", "rbtLFiliDest", "stPFiliDest", "SELECT MAX(CDFILIAL) FROM FILIAL",
        "SELECT COUNT(*) FROM FILIAL");
    row("tipo de operacao", "btnTipoOper", "rbtLTipoOper", "stTipoOpercao", "SELECT '03'",
        "SELECT COUNT(*) FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S'");
    row("departamento", "btnDepto", "rbtLDepto", "stDept", "SELECT '002'", "SELECT COUNT(*) FROM DEPARTAMENTO");
    row("municipio", "btnMuniciCli", "rbtLMuniciCli", "stMuniciCli",
        "SELECT MIN(CDPAIS || SGESTADO || CDMUNICIPIO) FROM ENDECLIE",
        "SELECT COUNT(DISTINCT E.CDPAIS || E.SGESTADO || E.CDMUNICIPIO) FROM ENDECLIE E JOIN MUNICIPIO M "
        "ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND M.CDMUNICIPIO = E.CDMUNICIPIO");
    row("produto", "btnProduto", "rbtLProduto", "stProduto",
        "SELECT MIN(CDARVPROD) FROM PRODUTO WHERE IDPRODATIVO = 'S'",
        "SELECT COUNT(*) FROM PRODUTO WHERE IDPRODATIVO = 'S'");
}

void TstFiltroPedido::pesquisas()
{
    QFETCH(QString, kind);
    QFETCH(QString, botao);
    QFETCH(QString, opcao);
    QFETCH(QString, lista);
    QFETCH(QString, codigo);
    QFETCH(QString, contagem);
    if (kind == u"postgresql")
        usePostgres();
    const auto back = qScopeGuard([this] { useSqlite(); });
    const QString code = primeiro(codigo);
    const int rows = conta(contagem);
    QVERIFY(!code.isEmpty());
    QVERIFY(rows > 1);
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        escolheNaPesquisa(code, rows);
        auto* option = d.findChild<QRadioButton*>(opcao);
        auto* button = d.findChild<TButtonFlat*>(botao);
        QVERIFY(option && button);
        QVERIFY(!button->isEnabled());
        option->setChecked(true);
        QVERIFY(button->isEnabled());
        button->click();
        d.sbtConfirma->click();
        QVERIFY2(!d.isVisible(), qPrintable(ultimaMensagem()));
    });
    const QString expected = listText({code});
    const QHash<QString, QString> written = {
        {QStringLiteral("stCliente"), filtro.Cliente.stCliente},
        {QStringLiteral("stVendedor"), filtro.Vendedor.stVendedor},
        {QStringLiteral("stVendComis"), filtro.VendComis.stVendComis},
        {QStringLiteral("stPFiliDest"), filtro.FiliDest.stFiliDest},
        {QStringLiteral("stTipoOpercao"), filtro.TipoOper.stCdTipoOper},
        {QStringLiteral("stDept"), filtro.Departamento.stDepartamento},
        {QStringLiteral("stMuniciCli"), filtro.MuniciCli.stMuniciCli},
        {QStringLiteral("stProduto"), filtro.Produto.stProduto},
    };
    QCOMPARE(written.value(lista), expected);
}

void TstFiltroPedido::pesquisaPorF9()
{
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        escolheNaPesquisa(QStringLiteral("001"), conta(QStringLiteral("SELECT COUNT(*) FROM DEPARTAMENTO")));
        // F9 on "Todos" does nothing.
        QTest::keyClick(d.rbtTDepto, Qt::Key_F9);
        d.rbtLDepto->setChecked(true);
        QTest::keyClick(d.rbtLDepto, Qt::Key_F9);
        QCOMPARE(d.stDept, QStringLiteral("'001'"));
        d.sbtCancela->click();
    });
}

void TstFiltroPedido::pesquisaNoServidor_data()
{
    QTest::addColumn<bool>("nota");
    QTest::addColumn<QString>("filial");
    QTest::addColumn<QString>("mensagem");   // empty: one is chosen
    QTest::newRow("pedidos") << false << "0001" << "";
    QTest::newRow("notas") << true << "0001" << "";
    // A branch without orders or invoices: the look-up says so and keeps the list.
    QTest::newRow("filial sem pedidos") << false << "0003" << "Não há pedido cadastrado.";
    QTest::newRow("filial sem notas") << true << "0003" << "Não há notas geradas para a filial.";
}

void TstFiltroPedido::pesquisaNoServidor()
{
    QFETCH(bool, nota);
    QFETCH(QString, filial);
    QFETCH(QString, mensagem);
    TFiltro filtro = filtroDemo();
    filtro.Filial = filial;
    QString code;
    abre(filtro, [&](TfrmFiltroPedido& d) {
        (nota ? d.rdbLNota : d.rbtLNrPedido)->setChecked(true);
        if (!mensagem.isEmpty()) {
            d.stNrPedido = QStringLiteral("'0000000001'");
            (nota ? d.btnNota : d.btnNrPedido)->click();
            QCOMPARE(ultimaMensagem(), mensagem);
            QCOMPARE(d.focusWidget(), nota ? d.rdbLNota : d.rbtLNrPedido);
            QCOMPARE(d.stNrPedido, QStringLiteral("'0000000001'"));
            QCOMPARE(scripted->busyShows(), scripted->busyHides());
            d.sbtCancela->click();
            return;
        }
        scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&code](QDialog& dialog) {
            auto& lista = static_cast<TfrmPesquisaLista&>(dialog);
            lista.checkAllShown(true);
            const QStringList codes = lista.checkedCodes();
            QVERIFY(!codes.isEmpty());
            lista.checkAllShown(false);
            code = codes.first();
            lista.setChecked(code, true);
            dialog.accept();
        });
        (nota ? d.btnNota : d.btnNrPedido)->click();
        QVERIFY(scripted->busyShows() >= 1);
        QCOMPARE(scripted->busyShows(), scripted->busyHides());
        d.sbtConfirma->click();
        QVERIFY2(!d.isVisible(), qPrintable(ultimaMensagem()));
    });
    if (mensagem.isEmpty())
        QCOMPARE(nota ? filtro.Nota.stNota : filtro.NrPedido.stNrPedido, listText({code}));
}

// A failing server look-up is reported and leaves the list as it was.
void TstFiltroPedido::pesquisaNoServidorFalha()
{
    TFiltro filtro = filtroDemo();
    TNetConnection semServidor(QStringLiteral("PED00100.rdmInexistente"));
    QStringList reported;
    setServerErrorReporter([&reported](const QString& message, int) { reported << message; });
    const auto restore = qScopeGuard([] { setServerErrorReporter({}); });
    abre(filtro, [&](TfrmFiltroPedido& d) {
        d.rbtLNrPedido->setChecked(true);
        d.stNrPedido = QStringLiteral("'0000000001'");
        d.btnNrPedido->click();
        QCOMPARE(d.stNrPedido, QStringLiteral("'0000000001'"));
        QCOMPARE(scripted->busyShows(), scripted->busyHides());
        d.sbtCancela->click();
    }, &semServidor);
    QCOMPARE(reported.size(), 1);
}

void TstFiltroPedido::pesquisaSemDados_data()
{
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("foco");
    QTest::newRow("cliente") << "btnCliente" << "Não há cliente cadastrado." << "rbtLCliente";
    QTest::newRow("vendedor") << "btnVendedor" << "Não há vendedor cadastrado." << "rbtLVendedor";
    QTest::newRow("comissionado") << "btnVendComis" << "Não há vendedor cadastrado." << "rbtLVendComis";
    QTest::newRow("filial destino") << "btnFiliDest" << "Não há filial destino cadastrada." << "rbtTFiliDest";
    QTest::newRow("tipo de operação") << "btnTipoOper" << "Não há tipo de operação cadastrada." << "rbtLTipoOper";
    QTest::newRow("departamento") << "btnDepto" << "Não há departamento cadastrado." << "rbtLDepto";
    QTest::newRow("município") << "btnMuniciCli" << "Não há município cadastrado para os clientes informados."
                               << QString();
    QTest::newRow("produto") << "btnProduto" << "Não há produto ativo para a filial 0001." << QString();
}

// Over a database with the schema and no rows.
void TstFiltroPedido::pesquisaSemDados()
{
    QFETCH(QString, botao);
    QFETCH(QString, mensagem);
    QFETCH(QString, foco);
    TestServerOptions options;
    options.demoData = false;
    TestServer vazio(options);
    openDtmDBGeral(vazio.databaseConfig().sqlitePath);
    const auto volta = qScopeGuard([this] { openDtmDBGeral(server->databaseConfig().sqlitePath); });
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        for (QRadioButton* option : d.findChildren<QRadioButton*>(QRegularExpression(QStringLiteral("^rbtL"))))
            option->setChecked(true);
        d.findChild<TButtonFlat*>(botao)->click();
        QCOMPARE(ultimaMensagem(), mensagem);
        if (!foco.isEmpty())
            QCOMPARE(d.focusWidget() ? d.focusWidget()->objectName() : QString(), foco);
        d.sbtCancela->click();
    });
}

// --- Saved options --------------------------------------------------------------------------

void TstFiltroPedido::opcoesSalvasGuardamAsListas()
{
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QList<QString*> lists = {&d.stCliente, &d.stMuniciCli, &d.stNrPedido, &d.stProduto, &d.stVendedor,
                                 &d.stVendComis, &d.stPFiliDest, &d.stTipoOpercao, &d.stDept, &d.stOrigem};
        for (int i = 0; i < lists.size(); ++i)
            *lists[i] = QStringLiteral("'%1'_'x'").arg(i);
        d.stNota = QStringLiteral("'nota'");
        d.rbtLCliente->setChecked(true);
        d.btfSaveOpc->click();
        d.sbtCancela->click();
    });
    QVERIFY(filtro == filtroDemo());
    abre(filtro, [&](TfrmFiltroPedido& d) {
        QVERIFY(d.stCliente.isEmpty());
        d.btfLoadOpc->click();
        const QList<QString*> lists = {&d.stCliente, &d.stMuniciCli, &d.stNrPedido, &d.stProduto, &d.stVendedor,
                                       &d.stVendComis, &d.stPFiliDest, &d.stTipoOpercao, &d.stDept, &d.stOrigem};
        for (int i = 0; i < lists.size(); ++i)
            QCOMPARE(*lists[i], QStringLiteral("'%1'_'x'").arg(i));
        QVERIFY(d.stNota.isEmpty());
        QVERIFY(d.rbtLCliente->isChecked() && d.btnCliente->isEnabled());
        QCOMPARE(d.lstOpcoes.value(QStringLiteral("stFiliDest")), QStringLiteral("'6'_'x'"));
        QCOMPARE(d.lstOpcoes.value(QStringLiteral("stTipoOpercao")), QStringLiteral("'7'_'x'"));
        QVERIFY(!d.lstOpcoes.contains(QStringLiteral("stNota")));
        d.sbtCancela->click();
    });
    QFile::remove(configDir.path() + QStringLiteral("/DEMO/PED00101.opcoes.json"));
}

void TstFiltroPedido::listaSalvaIlegivelDescartada()
{
    QDir().mkpath(configDir.path() + QStringLiteral("/DEMO"));
    QFile file(configDir.path() + QStringLiteral("/DEMO/PED00101.opcoes.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"versao":1,"tela":"PED00101","operador":"DEMO","controles":{},
                   "opcoes":{"stCliente":"0001,0002","stProduto":"'P1'"}})");
    file.close();
    TFiltro filtro = filtroDemo();
    abre(filtro, [&](TfrmFiltroPedido& d) {
        d.btfLoadOpc->click();
        QVERIFY(d.stCliente.isEmpty());
        QCOMPARE(d.stProduto, QStringLiteral("'P1'"));
        QVERIFY(ultimaMensagem().contains(QStringLiteral("stCliente")));
        d.sbtCancela->click();
    });
    QFile::remove(file.fileName());
}

// --- Screenshots ----------------------------------------------------------------------------

// Both layouts fit their groups: nothing is cut off, and the columns line up.
void TstFiltroPedido::telas()
{
    const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
    for (const QString& exib : {QStringLiteral("S"), QStringLiteral("N")}) {
        setParametros(exib, QStringLiteral("1"), exib);
        TFiltro filtro = filtroDemo();
        abre(filtro, [&](TfrmFiltroPedido& d) {
            for (QGroupBox* box : d.findChildren<QGroupBox*>()) {
                if (!box->isVisibleTo(&d))
                    continue;
                QVERIFY2(box->height() >= box->minimumSizeHint().height(), qPrintable(box->objectName()));
                QVERIFY2(box->width() >= box->minimumSizeHint().width(), qPrintable(box->objectName()));
            }
            QCOMPARE(d.grbNrPedido->x(), d.grbEmissao->x());
            QCOMPARE(d.grbCliente->x(), d.grbOrigem->x());
            QCOMPARE(d.grbCliente->y(), d.grbNrPedido->y());
            if (!folder.isEmpty())
                QVERIFY(d.grab().save(folder + QStringLiteral("/filtropedido_%1.png").arg(exib)));
            d.sbtCancela->click();
        });
    }
}

QTEST_MAIN(TstFiltroPedido)
#include "tst_filtropedido.moc"
