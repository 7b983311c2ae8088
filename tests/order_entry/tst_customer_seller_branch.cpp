// Branch, customer, seller and destination branch of the order screen, and
// the customer enquiries it opens: driven offscreen with the scripted host
// against the real server over a temporary demo database.

#include "lanpedido_testcase.h"

#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "abort.h"
#include "cds_values.h"
#include "taxnumbers.h"
#include "loadbpl.h"
#include "lookups/pesquisardialog.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "screens/ger00700_cliente.h"
#include "screens/ger23100_posicao.h"
#include "screens/ped04800_mensagens.h"
#include "store/database.h"
#include "store/sql.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

const QString novoNumero = QStringLiteral("0000099001");

// Screenshots for a person to look at, when PED_SCREENSHOT_DIR names a folder.
void fotografa(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget.grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

QString rotulo(const QDialog& dialog, const char* name)
{
    const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<sem %1>").arg(QString::fromLatin1(name));
}

} // namespace

class TstCustomerSellerBranch : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void filialComESemParametros_data();
    void filialComESemParametros();
    void filialInalteradaNaoRecarrega();
    void filialDigitada_data();
    void filialDigitada();
    void vendedorLogado_data();
    void vendedorLogado();
    void clienteRecusado_data();
    void clienteRecusado();
    void clienteNaoRelacionadoAoVendedorLogado();
    void clienteNovoTrazSeusDados();
    void falhaRevalidaPaginaAtual();
    void alteracoesDoCliente_data();
    void alteracoesDoCliente();
    void pedidoExistente_data();
    void pedidoExistente();
    void habilitaClientePorTabelaDePreco();
    void pesquisaDeCliente();
    void locaisDeEntregaNoPedidoNovo();
    void vendedoresComissionados_data();
    void vendedoresComissionados();
    void pesquisas_data();
    void pesquisas();
    void vendedorRecusado_data();
    void vendedorRecusado();
    void vendedorMudaPrecoBase_data();
    void vendedorMudaPrecoBase();
    void filialDestino_data();
    void filialDestino();
    void consultasDoCliente();
    void mensagensDoVendedor();

private:
    void depoisDoTeste() override
    {
        if (Operador() != u"DEMO")
            entra(QStringLiteral("DEMO"), QStringLiteral("demo"));
    }
    void entra(const QString& operatorCode, const QString& password);
    void novoPedido();
    void comDocumento(const QString& customerCode);
    QString documento(const QString& customerCode);

};

void TstCustomerSellerBranch::entra(const QString& operatorCode, const QString& password)
{
    ServerSession::instance().logout();
    const ServerResult login = ServerSession::instance().login(QStringLiteral("127.0.0.1"), server->port(), operatorCode, password);
    QVERIFY2(login.ok(), qPrintable(login.errorMessage()));
    WorkingContext context = workingContext();
    context.operador = operatorCode;
    setWorkingContext(context);
}

// A new order on the general page, as the include command leaves it.
void TstCustomerSellerBranch::novoPedido()
{
    tela->pgcPadrao->setCurrentWidget(tela->tshDadosPed);
    tela->cdsPedido->append();
    tela->cdsPedido->fieldByName(QStringLiteral("CDFILIAL")).setValue(tela->medCdFilial->text());
    tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).setValue(novoNumero);
    tela->cdsPedido->fieldByName(QStringLiteral("IDSITPEDIDO")).setValue(QStringLiteral("1"));
}

QString TstCustomerSellerBranch::documento(const QString& customerCode)
{
    return selectValue(demo, QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?"), {customerCode}).toString();
}

// The clerk typed the customer's document (the code is found from it).
void TstCustomerSellerBranch::comDocumento(const QString& customerCode)
{
    tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).clear();
    tela->cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).setValue(documento(customerCode));
}

// ---- branch ---------------------------------------------------------------------

void TstCustomerSellerBranch::filialComESemParametros_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("pendentes");
    QTest::newRow("0001 with parameters") << "0001" << "" << false;
    QTest::newRow("0002 with parameters") << "0002" << "" << true;
    QTest::newRow("0003 without") << "0003" << "Operação Bloqueada! Não há parametrização para a filial informada." << false;
}

void TstCustomerSellerBranch::filialComESemParametros()
{
    QFETCH(QString, branch);
    QFETCH(QString, message);
    QFETCH(bool, pendentes);
    abreTela(branch);
    if (message.isEmpty()) {
        QCOMPARE(tela->ultimaFilialValidada(), branch);
        QCOMPARE(tela->cdsParamPedido->recordCount(), 1);
        // The default status filter follows IDLANCPED: "3" at 0001 shows
        // orders in progress, "1" at 0002 pending ones.
        QCOMPARE(LanPedido::Filtro.StatusPedido.boPendente, pendentes);
        QCOMPARE(LanPedido::Filtro.StatusPedido.boAndamento, !pendentes);
    } else {
        QVERIFY(scripted->hasMessage(message));
        QVERIFY(tela->ultimaFilialValidada().isEmpty());
        QVERIFY(!tela->sbtIncluir->isEnabled());
        QVERIFY(!tela->pgcPadrao->isTabEnabled(tela->pgcPadrao->indexOf(tela->tshDadosPed)));
        scripted->clear();
    }
}

// Leaving the panel with the same branch keeps what was loaded: the
// parameters are not asked again, so one changed on screen stays changed.
void TstCustomerSellerBranch::filialInalteradaNaoRecarrega()
{
    abreTela();
    tela->cdsParamPedido->edit();
    tela->cdsParamPedido->fieldByName(QStringLiteral("IDLANENCARGOPED")).setValue(QStringLiteral("N"));
    tela->cdsParamPedido->post();
    respondeFiltro(*scripted, RespostaFiltro::Confirma);
    tela->panFilialExit();
    QCOMPARE(tela->paramPedido(QStringLiteral("IDLANENCARGOPED")), QStringLiteral("N"));
    // The every-exit effects still run: the charges page follows the flag.
    QVERIFY(!tela->pgcPadrao->isTabVisible(tela->pgcPadrao->indexOf(tela->tshEncargos)));
}

void TstCustomerSellerBranch::filialDigitada_data()
{
    QTest::addColumn<QString>("company");   // of the working context
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("name");
    QTest::newRow("a branch of the company") << "01" << "2" << "" << "Filial Campinas";
    QTest::newRow("a branch outside the company's list") << "99" << "0003" << "" << "Filial Curitiba";
    QTest::newRow("unknown") << "01" << "0099" << "Filial não cadastrada." << "";
    QTest::newRow("empty") << "01" << "" << "Filial deve ser informada." << "";
}

// The branch field takes any registered branch with its name; the company's
// list beside it only feeds the look-up.
void TstCustomerSellerBranch::filialDigitada()
{
    QFETCH(QString, company);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, name);
    abreTela();
    const WorkingContext antes = workingContext();
    const auto volta = qScopeGuard([&] { setWorkingContext(antes); });
    WorkingContext context = antes;
    context.empresa = company;
    setWorkingContext(context);
    tela->medCdFilial->setText(typed);
    if (message.isEmpty()) {
        tela->Vd_Filial();
        QCOMPARE(tela->edtNmFilial->text(), name);
        QCOMPARE(tela->medCdFilial->text().size(), 4);
    } else {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Filial());
        QCOMPARE(scripted->messageTexts(MsgType::Error), QStringList{message});
        scripted->clear();
    }
}

void TstCustomerSellerBranch::vendedorLogado_data()
{
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("messages");   // seller whose messages open; "" none
    QTest::addColumn<bool>("closes");
    QTest::newRow("operator without seller") << "DEMO" << false << "" << false;
    QTest::newRow("MARIA, seller 0002") << "MARIA" << true << "0002" << false;
    QTest::newRow("bound to a seller who left") << "EXVEND" << true << "" << true;
}

void TstCustomerSellerBranch::vendedorLogado()
{
    QFETCH(QString, operatorCode);
    QFETCH(bool, fixed);
    QFETCH(QString, messages);
    QFETCH(bool, closes);
    entra(operatorCode, operatorCode.toLower());
    QStringList mensagens;
    scripted->onScreen(QStringLiteral("PED04800"), [&](const QVariantList& args) { mensagens << args.value(0).toString(); });
    abreTela(QStringLiteral("0002"));
    QCOMPARE(tela->ExibeVendedorLogado(), fixed);
    QCOMPARE(tela->dbeVendedor->isEnabled(), !fixed);
    QCOMPARE(tela->btnVend->isEnabled(), !fixed);
    QCOMPARE(mensagens, messages.isEmpty() ? QStringList() : QStringList{messages});
    if (closes) {
        QVERIFY(scripted->hasMessage(QStringLiteral("Não há operador parametrizado para o vendedor logado.")));
        QPointer<TfrmLanPedido> fechando = tela;
        QTRY_VERIFY(fechando.isNull());
        tela = nullptr;
        scripted->clear();
    }
}

// ---- customer -------------------------------------------------------------------

void TstCustomerSellerBranch::clienteRecusado_data()
{
    QTest::addColumn<QString>("document");   // "@code": that customer's document
    QTest::addColumn<bool>("fieldExit");     // leaving the field, else the header check
    QTest::addColumn<QString>("message");    // "" nothing said
    QTest::newRow("empty") << "" << false << "Código do cliente deve ser informado.";
    QTest::newRow("blanks") << "   " << false << "Código do cliente deve ser informado.";
    QTest::newRow("valid CPF of nobody") << "529.982.247-25" << false << "Cliente não cadastrado.";
    QTest::newRow("quote in the document") << "1' OR '1'='1" << false << "Cliente não cadastrado.";
    QTest::newRow("blocked") << "@000003" << false << "Cliente bloqueado.";
    QTest::newRow("exit: blocked, silently not taken") << "@000003" << true << "";
    QTest::newRow("exit: a customer code is no tax number") << "000001" << true << "Cliente não cadastrado.";
    QTest::newRow("exit: valid CPF of nobody") << "529.982.247-25" << true << "Cliente não cadastrado.";
}

// In Consist mode (the header check) each failure shows its message on the
// general page. Leaving the field, a blocked customer is not taken without
// a word (the header check refuses it on saving); an unknown one is refused
// with its message and the focus comes back to the field. The exit fails
// either way, so whoever called the check knows.
void TstCustomerSellerBranch::clienteRecusado()
{
    QFETCH(QString, document);
    QFETCH(bool, fieldExit);
    QFETCH(QString, message);
    abreTela();
    novoPedido();
    if (fieldExit)
        tela->dbeVendedor->setFocus();
    else
        tela->pgcPadrao->setCurrentWidget(tela->tshTransportadora);
    tela->cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE"))
        .setValue(document.startsWith(u'@') ? documento(document.mid(1)) : document);
    QVERIFY_THROWS_EXCEPTION(Abort, fieldExit ? tela->dbeClienteExit() : tela->Vd_Cliente(true, false));
    QCOMPARE(scripted->messageTexts(MsgType::Error), message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(valor(tela->cdsPedido, "CDCLIENTE").isEmpty());
    if (fieldExit) {
        QVERIFY(tela->edtNmCliente->text().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(tela->focusWidget() == tela->dbeCliente, !message.isEmpty());
    } else {
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);
    }
    scripted->clear();
}

void TstCustomerSellerBranch::clienteNaoRelacionadoAoVendedorLogado()
{
    entra(QStringLiteral("MARIA"), QStringLiteral("maria"));
    scripted->onScreen(QStringLiteral("PED04800"), [](const QVariantList&) {});
    abreTela(QStringLiteral("0002"));
    novoPedido();
    tela->cdsPedido->fieldByName(QStringLiteral("CDVENDEDOR")).setValue(QStringLiteral("0002"));
    comDocumento(QStringLiteral("000001"));   // Roberto's customer
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Cliente(true, false));
    QVERIFY(scripted->hasMessage(QStringLiteral("Cliente não relacionado ao vendedor logado.")));
    scripted->clear();

    comDocumento(QStringLiteral("000002"));   // Maria's own customer
    tela->Vd_Cliente(true, false);
    QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), QStringLiteral("000002"));
}

// A customer on a new order: its code, name and standing note come in, and
// what it brings (seller, price table, modality, ...) is taken without a
// question because the order had no customer before.
void TstCustomerSellerBranch::clienteNovoTrazSeusDados()
{
    abreTela();
    int enderecos = 0;
    int rotas = 0;
    tela->AtualizaEndereco = [&] { ++enderecos; };
    tela->ChamaRotaEntrega = [&] { ++rotas; };
    novoPedido();
    comDocumento(QStringLiteral("000105"));
    tela->dbeClienteExit();
    QVERIFY(scripted->messages().isEmpty());
    QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), QStringLiteral("000105"));
    QCOMPARE(tela->edtNmCliente->text(), QStringLiteral("Clínica Bem Viver"));
    QCOMPARE(valor(tela->cdsPedido, "CDVENDEDOR"), QStringLiteral("0001"));
    QCOMPARE(tela->edtNmVendedor->text(), QStringLiteral("Roberto Alves"));
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("VRPECOMVDPED")).asFloat(), 3.0);   // IDCTRLVENEXP "N"
    QCOMPARE(valor(tela->cdsPedido, "CDPRECOBASE"), QStringLiteral("01"));
    QCOMPARE(tela->edtPrcBase->text(), QStringLiteral("Tabela Varejo"));
    QCOMPARE(valor(tela->cdsPedido, "CDMODPGTO"), QStringLiteral("00002"));
    QCOMPARE(valor(tela->cdsPedido, "CDTIPOOPER"), QStringLiteral("01"));
    QVERIFY(valor(tela->cdsPedido, "CDTIPODESC").isEmpty());   // the order had no condition
    QVERIFY(valor(tela->cdsObser, "TXOBSPED").startsWith(QStringLiteral("Entregar somente com nota fiscal")));
    QCOMPARE(valor(tela->cdsObser, "NRPEDIDO"), novoNumero);
    QCOMPARE(enderecos, 1);
    QCOMPARE(rotas, 1);
    fotografa(*tela, QStringLiteral("lanpedido_cliente_novo"));
}

// A failure while the customer's data is taken checks the page on screen
// again (here the carrier) with the field exits quiet, then travels on.
void TstCustomerSellerBranch::falhaRevalidaPaginaAtual()
{
    abreTela();
    int saidasTransp = 0;
    tela->dbeTransp->onExit = [&](DBEdit&) { ++saidasTransp; };
    bool saidaDesligada = false;
    tela->AtualizaEndereco = [&] {
        saidaDesligada = !tela->dbeTransp->onExit;
        throw Abort();
    };
    novoPedido();
    tela->pgcPadrao->setCurrentWidget(tela->tshTransportadora);
    tela->edtNmTransp->setText(QStringLiteral("texto antigo"));
    comDocumento(QStringLiteral("000105"));
    QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Cliente(false, false));
    QVERIFY(!saidaDesligada);                      // the hand-off itself runs with the exits in place
    QVERIFY(tela->edtNmTransp->text().isEmpty());  // the carrier check ran again
    QVERIFY(tela->dbeTransp->onExit);              // and the exit is back
    QCOMPARE(saidasTransp, 0);
}

void TstCustomerSellerBranch::alteracoesDoCliente_data()
{
    QTest::addColumn<QStringList>("changes");   // "FIELD=value" on the order before the new customer
    QTest::addColumn<QString>("list");          // "" when nothing is asked
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("same data") << QStringList{} << "" << true;
    QTest::newRow("seller") << QStringList{"CDVENDEDOR=0003"} << "[ Vendedor ]" << false;
    QTest::newRow("price table") << QStringList{"CDPRECOBASE=01"} << "[ Preço Base ]" << false;
    QTest::newRow("operation type") << QStringList{"CDTIPOOPER=05"} << "[ Tipo de Operação ]" << false;
    QTest::newRow("discount condition") << QStringList{"CDTIPODESC=0000000005"} << "[ Condição de Desconto ]" << false;
    QTest::newRow("carrier") << QStringList{"NRINSJURTRAN=00001"} << "[ Transportadora ]" << false;
    QTest::newRow("transport type") << QStringList{"CDTIPTRANS=0003"} << "[ Tipo de Transporte ]" << false;
    QTest::newRow("freight") << QStringList{"IDPGFRETTRAN=0"} << "[ Tipo de Pagamento de Frete ]" << false;
    QTest::newRow("modality") << QStringList{"CDMODPGTO=00001"} << "[ Modalidade de Pagamento ]" << false;
    QTest::newRow("seller and modality, taken") << QStringList{"CDVENDEDOR=0003", "CDMODPGTO=00001"}
                                                << "[ Vendedor -Modalidade de Pagamento ]" << true;
}

// An order of 000102 changes to 000101, which agrees with it in everything
// an order takes from its customer; the list names what differs.
void TstCustomerSellerBranch::alteracoesDoCliente()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, list);
    QFETCH(bool, answerYes);
    abreTela();
    int enderecos = 0;
    tela->AtualizaEndereco = [&] { ++enderecos; };
    novoPedido();
    comDocumento(QStringLiteral("000102"));
    tela->Vd_Cliente(false, false);
    QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), QStringLiteral("000102"));
    QVariantMap original;
    for (const QString& change : changes) {
        const QString field = change.section(u'=', 0, 0);
        original.insert(field, valor(tela->cdsPedido, field.toLatin1().constData()));
        tela->cdsPedido->fieldByName(field).setValue(change.section(u'=', 1));
    }
    LanPedido::stCdClie = QStringLiteral("000102");

    if (!list.isEmpty())
        scripted->expectQuestion(QStringLiteral("Deseja alterar o pedido de acodo com o novo cliente informado? Dados alterados: ") + list,
                                 answerYes ? MsgButton::Yes : MsgButton::No);
    comDocumento(QStringLiteral("000101"));
    tela->Vd_Cliente(false, false);
    QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), QStringLiteral("000101"));
    QCOMPARE(tela->alteracoesDoCliente(), answerYes || list.isEmpty() ? QStringLiteral("[ ]") : list);
    for (const QString& change : changes) {
        const QString field = change.section(u'=', 0, 0);
        const QString kept = valor(tela->cdsPedido, field.toLatin1().constData());
        QCOMPARE(kept, answerYes ? original.value(field).toString() : change.section(u'=', 1));
    }
    // The address follows the new customer whatever the answer.
    QCOMPARE(enderecos, 2);
}

void TstCustomerSellerBranch::pedidoExistente_data()
{
    QTest::addColumn<bool>("continua");
    QTest::newRow("Yes keeps the new order") << true;
    QTest::newRow("No discards it") << false;
}

// A new order for a customer that already has orders at the branch asks
// before going on.
void TstCustomerSellerBranch::pedidoExistente()
{
    QFETCH(bool, continua);
    const QString cliente = selectValue(demo, QStringLiteral(
        "SELECT MIN(P.CDCLIENTE) FROM PEDIDO P INNER JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
        " WHERE P.CDFILIAL = '0001' AND C.IDBLOQUEADO = 'N' AND C.IDCLIEATIV = 'S'")).toString();
    const QString ultimo = selectValue(demo, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001' AND CDCLIENTE = ?"),
                                       {cliente}).toString();
    abreTela();
    novoPedido();
    comDocumento(cliente);
    scripted->expectQuestion(QStringLiteral("Já existe o pedido %1 cadastrado para o cliente. Deseja continuar?").arg(ultimo),
                             continua ? MsgButton::Yes : MsgButton::No);
    if (continua) {
        tela->dbeClienteExit();
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
        QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), cliente);
    } else {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->dbeClienteExit());
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
        QVERIFY(!tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), novoNumero));
    }
}

// Branches that price per customer let the customer be chosen only while a
// new order is entered.
void TstCustomerSellerBranch::habilitaClientePorTabelaDePreco()
{
    abreTela();
    QVERIFY(tela->cdsVerifUsoTabPreClie->fieldByName(QStringLiteral("COUNT")).asFloat() > 0);
    tela->HabilitaCliente();
    QVERIFY(!tela->dbeCliente->isEnabled());
    QVERIFY(!tela->btnCliente->isEnabled());
    novoPedido();
    tela->HabilitaCliente();
    QVERIFY(tela->dbeCliente->isEnabled());
    QVERIFY(tela->btnCliente->isEnabled());
}

// The look-up lists active customers that are not blocked; the chosen one
// comes into the order with its document.
void TstCustomerSellerBranch::pesquisaDeCliente()
{
    abreTela();
    novoPedido();
    scripted->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
        auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
        const int ativosNaoBloqueados = selectValue(demo, QStringLiteral(
            "SELECT COUNT(*) FROM CLIENTE WHERE IDCLIEATIV = 'S' AND IDBLOQUEADO = 'N'")).toInt();
        QCOMPARE(pesquisa.shownRowCount(), ativosNaoBloqueados);
        pesquisa.searchBox()->setText(QStringLiteral("Distribuidora Horiz"));
        pesquisa.searchNow();
        fotografa(dialog, QStringLiteral("pesquisa_cliente"));
        dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    tela->btnCliente->click();
    // The field takes the focus, which shows the bare document: the
    // customer chosen stays, also before the clerk moves on.
    QApplication::setActiveWindow(tela->window());
    tela->dbeCliente->setFocus();
    QCOMPARE(tela->dbeCliente->text(), documento(QStringLiteral("000103")));
    QCOMPARE(valor(tela->cdsPedido, "CDCLIENTE"), QStringLiteral("000103"));
    QCOMPARE(valor(tela->cdsPedido, "NRINSJURCLIE"), documento(QStringLiteral("000103")));
    QCOMPARE(valor(tela->cdsPedido, "IDTPIJURCLIE"), QStringLiteral("J"));
    QCOMPARE(tela->edtNmCliente->text(), QStringLiteral("Distribuidora Horizonte"));
}

// A new order for a customer with delivery locations hands over to the
// delivery-location dialog where the branch offers them.
void TstCustomerSellerBranch::locaisDeEntregaNoPedidoNovo()
{
    abreTela();
    QCOMPARE(tela->paramPedido(QStringLiteral("IDEXIBLOCALENTRCLI")), QStringLiteral("SIM"));
    int locais = 0;
    tela->CriaLocalEntrega = [&] { ++locais; };
    novoPedido();
    comDocumento(QStringLiteral("000002"));   // Hospital Santa Clara: three delivery locations
    tela->Vd_Cliente(false, false);
    QCOMPARE(locais, 1);
    comDocumento(QStringLiteral("000105"));   // no delivery locations
    tela->Vd_Cliente(false, false);
    QCOMPARE(locais, 1);
}

void TstCustomerSellerBranch::pesquisas_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QString>("name");
    QTest::newRow("seller") << "btnVend" << "João" << 9 << "CDVENDEDOR" << "0003" << "NMFANVEN" << "João Martins";
    QTest::newRow("destination branch") << "btnFiliDest" << "Filial Curi" << 3 << "CDFILIALPED" << "0003" << "NMFILIAL"
                                        << "Filial Curitiba";
}

// The seller and destination-branch look-ups list every row and bring the
// chosen one into the order.
void TstCustomerSellerBranch::pesquisas()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(int, rows);
    QFETCH(QString, field);
    QFETCH(QString, code);
    QFETCH(QString, nameField);
    QFETCH(QString, name);
    abreTela();
    novoPedido();
    scripted->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
        auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
        QCOMPARE(pesquisa.shownRowCount(), rows);
        pesquisa.searchBox()->setText(typed);
        pesquisa.searchNow();
        dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    tela->findChild<TBtnPesquisa*>(button)->click();
    QCOMPARE(valor(tela->cdsPedido, field.toLatin1().constData()), code);
    QCOMPARE(valor(tela->cdsPedido, nameField.toLatin1().constData()), name);
}

// ---- seller ---------------------------------------------------------------------

void TstCustomerSellerBranch::vendedoresComissionados_data()
{
    QTest::addColumn<bool>("novo");
    QTest::addColumn<bool>("aceita");
    QTest::addColumn<int>("dialogos");
    QTest::newRow("new order, Yes") << true << true << 1;
    QTest::newRow("new order, No") << true << false << 0;
    QTest::newRow("stored order asks nothing") << false << false << 0;
}

// Leaving the seller of a new order offers other commissioned sellers
// where the branch uses them (IDEXIBVENDCOM "S" at 0001).
void TstCustomerSellerBranch::vendedoresComissionados()
{
    QFETCH(bool, novo);
    QFETCH(bool, aceita);
    QFETCH(int, dialogos);
    abreTela();
    int abertos = 0;
    tela->CriaVendComis = [&] { ++abertos; };
    novoPedido();
    if (novo) {
        scripted->expectQuestion(QStringLiteral("Deseja informar outros vendedores comissionados no pedido?"),
                                 aceita ? MsgButton::Yes : MsgButton::No);
    } else {
        {
            // A stored order to edit: its header's post checks are not the point.
            EventDetach semConferencia(tela->cdsPedido->beforePost);
            tela->cdsPedido->post();
        }
        tela->cdsPedido->edit();
    }
    tela->cdsPedido->fieldByName(QStringLiteral("CDVENDEDOR")).setValue(QStringLiteral("0001"));
    tela->dbeVendedor->setText(QStringLiteral("0001"));
    tela->dbeVendedorExit();
    QCOMPARE(abertos, dialogos);
}

void TstCustomerSellerBranch::vendedorRecusado_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("consist");
    QTest::addColumn<QString>("message");   // "" nothing said
    QTest::newRow("empty, header check") << "" << true << "Vendedor deve ser informado.";
    QTest::newRow("empty, field exit") << "" << false << "";
    QTest::newRow("unknown, header check") << "99" << true << "Vendedor não cadastrado.";
    QTest::newRow("unknown, field exit") << "0099" << false << "Vendedor não cadastrado.";
}

void TstCustomerSellerBranch::vendedorRecusado()
{
    QFETCH(QString, typed);
    QFETCH(bool, consist);
    QFETCH(QString, message);
    abreTela();
    novoPedido();
    tela->dbeVendedor->setText(typed);
    if (message.isEmpty()) {
        tela->Vd_Vendedor(consist);
    } else {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_Vendedor(consist));
        QCOMPARE(scripted->messageTexts(MsgType::Error), QStringList{message});
        scripted->clear();
    }
}

void TstCustomerSellerBranch::vendedorMudaPrecoBase_data()
{
    QTest::addColumn<bool>("aceita");
    QTest::newRow("Yes takes the seller's price table") << true;
    QTest::newRow("No keeps the order's") << false;
}

// Without a customer price table the seller's counts: changing the seller
// offers to change the base price.
void TstCustomerSellerBranch::vendedorMudaPrecoBase()
{
    QFETCH(bool, aceita);
    abreTela();
    novoPedido();
    tela->cdsPedido->fieldByName(QStringLiteral("CDVENDEDOR")).setValue(QStringLiteral("0001"));
    tela->cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("01"));
    tela->dbeVendedor->setText(QStringLiteral("3"));
    scripted->expectQuestion(QStringLiteral("O preço base será alterado. Confirma operação?"), aceita ? MsgButton::Yes : MsgButton::No);
    tela->Vd_Vendedor(false);
    QCOMPARE(valor(tela->cdsPedido, "CDVENDEDOR"), QStringLiteral("0003"));
    QCOMPARE(tela->edtNmVendedor->text(), QStringLiteral("João Martins"));
    QCOMPARE(LanPedido::stVend, QStringLiteral("0001"));
    QCOMPARE(valor(tela->cdsPedido, "CDPRECOBASE"), aceita ? QStringLiteral("02") : QStringLiteral("01"));
    if (aceita)
        QCOMPARE(tela->edtPrcBase->text(), QStringLiteral("Tabela Atacado"));

    // The same seller again asks nothing.
    tela->Vd_Vendedor(false);
}

// ---- destination branch ---------------------------------------------------------

void TstCustomerSellerBranch::filialDestino_data()
{
    QTest::addColumn<QString>("operation");   // IDORIGDESTOP of the order
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("name");
    QTest::newRow("transfer without destination") << "L" << "" << "Filial destino deve ser informada." << "";
    QTest::newRow("sale without destination") << "C" << "" << "" << "";
    QTest::newRow("destination is the origin") << "L" << "1" << "Filial de destino não deve ser igual a Filial de origem." << "";
    QTest::newRow("unknown destination") << "L" << "0099" << "Filial não cadastrada." << "";
    QTest::newRow("Campinas") << "L" << "2" << "" << "Filial Campinas";
}

void TstCustomerSellerBranch::filialDestino()
{
    QFETCH(QString, operation);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, name);
    abreTela();
    novoPedido();
    tela->pgcPadrao->setCurrentWidget(tela->tshObservacao);
    tela->cdsPedido->fieldByName(QStringLiteral("IDORIGDESTOP")).setValue(operation);
    tela->dbeFiliDest->setText(typed);
    if (message.isEmpty()) {
        tela->Vd_FilialDest(true);
        QCOMPARE(tela->edtNmFiliDest->text(), name);
        QCOMPARE(valor(tela->cdsPedido, "CDFILIALPED"), name.isEmpty() ? QString() : QStringLiteral("0002"));
    } else {
        QVERIFY_THROWS_EXCEPTION(Abort, tela->Vd_FilialDest(true));
        QCOMPARE(scripted->messageTexts(MsgType::Error), QStringList{message});
        scripted->clear();
    }
    if (typed.isEmpty() && operation == u"L")
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);
}

// ---- enquiries ------------------------------------------------------------------

// The customer's record and financial position, for the customer of the
// order on screen.
void TstCustomerSellerBranch::consultasDoCliente()
{
    abreTela();
    novoPedido();
    comDocumento(QStringLiteral("000001"));
    tela->Vd_Cliente(true, false);
    scripted->expectDialog(QStringLiteral("TfrmConsultaCliente"), [&](QDialog& dialog) {
        auto& consulta = static_cast<TfrmConsultaCliente&>(dialog);
        QCOMPARE(rotulo(dialog, "lblCdCliente"), QStringLiteral("000001"));
        QCOMPARE(rotulo(dialog, "lblFantasia"), QStringLiteral("Drogaria São Bento"));
        QCOMPARE(rotulo(dialog, "lblInscricao"), FormatInscricao(documento(QStringLiteral("000001")), QStringLiteral("J")));
        QCOMPARE(rotulo(dialog, "lblLimite"), QStringLiteral("25.000,00"));
        QCOMPARE(rotulo(dialog, "lblEmAberto"), QStringLiteral("9.780,80"));
        QCOMPARE(rotulo(dialog, "lblDisponivel"), QStringLiteral("15.219,20"));
        QVERIFY(dialog.findChild<QTableWidget*>(QStringLiteral("grdEnderecos"))->rowCount() >= 1);
        fotografa(dialog, QStringLiteral("ger00700_identificacao"));
        consulta.pgcCliente->setCurrentIndex(1);
        fotografa(dialog, QStringLiteral("ger00700_enderecos"));
        consulta.pgcCliente->setCurrentIndex(2);
        fotografa(dialog, QStringLiteral("ger00700_credito"));
        consulta.sbtCancela->click();
    });
    tela->sbtClientesClick();
    QCOMPARE(scripted->screenCalls().last().args,
             (QVariantList{QStringLiteral("VISUALIZA_CLIENTE"), true, QStringLiteral("000001")}));

    // Open titles of the customer: settled and cancelled ones are left out;
    // overdue ones are counted apart from those still to fall due.
    scripted->expectDialog(QStringLiteral("TfrmPosicaoCliente"), [&](QDialog& dialog) {
        auto& posicao = static_cast<TfrmPosicaoCliente&>(dialog);
        QCOMPARE(posicao.grdTitulos->rowCount(), 4);
        QCOMPARE(posicao.totalVencido(), 3250.40);
        QCOMPARE(posicao.totalAVencer(), 6530.40);
        QCOMPARE(rotulo(dialog, "lblTotal"), QStringLiteral("9.780,80"));
        QCOMPARE(rotulo(dialog, "lblDisponivel"), QStringLiteral("15.219,20"));
        QVERIFY(dialog.windowTitle().endsWith(QStringLiteral("Drogaria São Bento")));
        fotografa(dialog, QStringLiteral("ger23100_posicao"));
        posicao.sbtCancela->click();
    });
    tela->sbtPosClienteClick();
    QCOMPARE(scripted->screenCalls().last().args,
             (QVariantList{QStringLiteral("000001"), QStringLiteral("Drogaria São Bento"), QStringLiteral("OK")}));
}

void TstCustomerSellerBranch::mensagensDoVendedor()
{
    scripted->expectDialog(QStringLiteral("TfrmMensagensVendedor"), [&](QDialog& dialog) {
        auto& mensagens = static_cast<TfrmMensagensVendedor&>(dialog);
        QCOMPARE(mensagens.grdMensagens->rowCount(), 3);
        QCOMPARE(mensagens.grdMensagens->item(0, 3)->text(), QStringLiteral("Meta do mês"));   // newest first
        QVERIFY(mensagens.txtMensagem->toPlainText().startsWith(QStringLiteral("Faltam 18%")));
        mensagens.grdMensagens->setCurrentCell(2, 0);
        QVERIFY(mensagens.txtMensagem->toPlainText().contains(QStringLiteral("Zona Sul")));
        fotografa(dialog, QStringLiteral("ped04800_mensagens"));
        mensagens.sbtCancela->click();
    });
    QVERIFY(LoadBPL(QStringLiteral("PED04800"), {QStringLiteral("0001")}));
    // A seller without messages gets no window.
    QVERIFY(LoadBPL(QStringLiteral("PED04800"), {QStringLiteral("0008")}));
}

QTEST_MAIN(TstCustomerSellerBranch)
#include "tst_customer_seller_branch.moc"
