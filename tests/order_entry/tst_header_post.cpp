// The order header as it is posted, on the order screen against the
// in-process server over the demo database: the status it is saved with,
// a quotation that becomes an order with and without stock, the discounts
// a new modality allows, and every refusal with its message, its page and
// the editor that takes the cursor. A refused post leaves the header in
// edit as the clerk left it.

#include "lanpedido_testcase.h"

#include "abort.h"
#include "msgsaldoest.h"
#include "recordset.h"
#include "store/sql.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>

using namespace PedTest;

namespace {

const QString pedido = QStringLiteral("0000009301");
const QString thermometerSql = QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = 'Termômetro Clínico Digital'");

} // namespace

class TstHeaderPost : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void situacaoAoGravar_data();
    void situacaoAoGravar();
    void orcamentoViraPedido_data();
    void orcamentoViraPedido();
    void descontoDaNovaModalidade();
    void recusas_data();
    void recusas();

private:
    void antesDoTeste() override
    {
        abreTela();
        // Lot reservation has its own tests; here the items need none.
        setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), QStringLiteral("N"));
        tela->grbDtVal->setVisible(true);
    }
    void depoisDoTeste() override
    {
        sql(QStringLiteral("UPDATE MODPGTO SET IDLANCPEDMOD = '1' WHERE CDMODPGTO = '00002'"));
        sql(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE NRPEDIDO = ?"), {pedido});
        sql(QStringLiteral("DELETE FROM PEDIDO WHERE NRPEDIDO = ?"), {pedido});
    }
    void sql(const QString& text, const QVariantList& values = {}) { execSql(demo, text, values); }
    Field& cabecalho(const char* name) { return tela->cdsPedido->fieldByName(QString::fromUtf8(name)); }
    // A pending order (or quotation) of São Bento at 0001, complete and on
    // the general page, in edit.
    void abrePedido(const QString& tipo = QStringLiteral("1"), const QList<QVariantMap>& itens = {});
    // Posts the header: the last message (empty for none), and whether the
    // post was refused.
    QString grava(bool& recusado);
};

void TstHeaderPost::abrePedido(const QString& tipo, const QList<QVariantMap>& itens)
{
    const QString vendedor = selectValue(demo, QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR")).toString();
    const QString documento = selectValue(demo, QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = '000001'")).toString();
    const QDateTime hoje(QDate::currentDate(), QTime(0, 0));
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{"CDFILIAL", "0001"}, {"NRPEDIDO", pedido}, {"IDSITPEDIDO", "1"},
                                                         {"IDTIPOPEDIDO", tipo}, {"CDCLIENTE", "000001"}, {"IDTPIJURCLIE", "J"},
                                                         {"NRINSJURCLIE", documento}, {"NMFANTCLIE", "Drogaria São Bento"},
                                                         {"CDVENDEDOR", vendedor}, {"CDPRECOBASE", "02"}, {"CDMODPGTO", "00002"},
                                                         {"CDTIPOOPER", "01"}, {"CDTIPTRANS", "0001"}, {"DTPEDIDO", hoje},
                                                         {"DTENTPED", hoje.addDays(3)}, {"DTVALIPED", hoje.addDays(15)}}}));
    tela->cdsItemPedido->setData(rowsOf(*tela->cdsItemPedido, itens));
    sql(QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, IDTIPOPEDIDO, CDCLIENTE) VALUES ('0001', ?, ?, '1', ?, '000001')"),
        {pedido, hoje, tipo});
    for (const QVariantMap& item : itens)
        sql(QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, QTEXPITEMPED, IDSITITEMPED)"
                           " VALUES ('0001', ?, ?, ?, ?, 0, '1')"),
            {pedido, item.value(QStringLiteral("NRITEMPED")), item.value(QStringLiteral("CDPRODUTO")), item.value(QStringLiteral("QTITEMPED"))});
    tela->selecionaPagina(tela->tshDadosPed);
    tela->cdsPedido->edit();
}

QString TstHeaderPost::grava(bool& recusado)
{
    recusado = false;
    const qsizetype antes = scripted->messages().size();
    try {
        tela->cdsPedido->post();
    } catch (const Abort&) {
        recusado = true;
    }
    const QList<ScriptedHost::Message>& vistas = scripted->messages();
    return vistas.size() == antes ? QString() : vistas.last().text;
}

void TstHeaderPost::situacaoAoGravar_data()
{
    QTest::addColumn<bool>("orcamento");
    QTest::addColumn<QString>("lancamentoModalidade");   // IDLANCPEDMOD of the order's modality
    QTest::addColumn<QString>("lancamentoFilial");       // IDLANCPED
    QTest::addColumn<QString>("situacaoInicial");
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("quotation, modality 2") << true << "2" << "2" << "1" << "1" << "";
    QTest::newRow("modality 1") << false << "1" << "2" << "1" << "1" << "";
    QTest::newRow("modality 2") << false << "2" << "1" << "1" << "2" << "";
    QTest::newRow("modality 3") << false << "3" << "1" << "1" << "2" << "";
    QTest::newRow("no modality code, branch 3") << false << "" << "3" << "1" << "2" << "";
    QTest::newRow("no modality code, branch empty") << false << "" << "" << "1" << "1" << "";
    QTest::newRow("partly served: refused, the status kept") << false << "1" << "1" << "6" << "6"
                                                             << "Operação bloqueada! Este pedido encontra-se parcialmente atendido.";
}

// The status a stored order is saved with, from its type, its modality's
// launch code and the branch's.
void TstHeaderPost::situacaoAoGravar()
{
    QFETCH(bool, orcamento);
    QFETCH(QString, lancamentoModalidade);
    QFETCH(QString, lancamentoFilial);
    sql(QStringLiteral("UPDATE MODPGTO SET IDLANCPEDMOD = ? WHERE CDMODPGTO = '00002'"),
        {lancamentoModalidade.isEmpty() ? QVariant() : QVariant(lancamentoModalidade)});
    setParam(*tela->cdsParamPedido, QStringLiteral("IDLANCPED"), lancamentoFilial);
    abrePedido();
    QFETCH(QString, situacaoInicial);
    cabecalho("IDSITPEDIDO").setValue(situacaoInicial);
    (orcamento ? tela->rdbOrcamento : tela->rdbPedido)->setChecked(true);
    bool recusado = false;
    QFETCH(QString, mensagem);
    QCOMPARE(grava(recusado), mensagem);
    QCOMPARE(recusado, !mensagem.isEmpty());
    QTEST(cabecalho("IDSITPEDIDO").asString(), "situacao");
    QCOMPARE(cabecalho("IDTIPOPEDIDO").asString(), orcamento ? QStringLiteral("2") : QStringLiteral("1"));
}

void TstHeaderPost::orcamentoViraPedido_data()
{
    QTest::addColumn<double>("estoque");
    QTest::addColumn<bool>("recusado");
    QTest::addColumn<bool>("itensNaTela");
    QTest::newRow("stock for both items") << 10.0 << false << true;
    QTest::newRow("the second item short") << 4.0 << true << true;
    QTest::newRow("short, the items page never opened") << 4.0 << true << false;
}

// A quotation of 3 and 2 thermometers saved as an order: with the stock
// for both it is saved; short, the stock balance shows the second item and
// the order stays in edit.
void TstHeaderPost::orcamentoViraPedido()
{
    QFETCH(double, estoque);
    QFETCH(bool, recusado);
    QFETCH(bool, itensNaTela);
    const QString termometro = selectValue(demo, thermometerSql).toString();
    // On top of what other orders and quotations still ask.
    const double emOutros = selectValue(demo, QStringLiteral("SELECT COALESCE(SUM(I.QTITEMPED - COALESCE(I.QTEXPITEMPED, 0)), 0)"
                                                             " FROM ITEMPEDIDO I WHERE I.CDFILIAL = '0001' AND I.CDPRODUTO = ?"
                                                             " AND I.IDSITITEMPED IN ('1', '2', '3', '7')"), {termometro}).toDouble();
    sql(QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = ? WHERE CDFILIAL = '0001' AND CDPRODUTO = ?"), {estoque + emOutros, termometro});
    auto item = [&](const char* numero, double quantidade) {
        return QVariantMap{{"CDFILIAL", "0001"}, {"NRPEDIDO", pedido}, {"NRITEMPED", numero}, {"CDPRODUTO", termometro},
                           {"QTITEMPED", quantidade}, {"IDSITITEMPED", "1"}};
    };
    abrePedido(QStringLiteral("2"), {item("0000000001", 3), item("0000000002", 2)});
    if (!itensNaTela)
        tela->cdsItemPedido->close();
    tela->rdbPedido->setChecked(true);
    DataPacket mostrado;
    if (recusado)
        scripted->expectDialog(QStringLiteral("TfrmMsgSaldoEst"), [&mostrado](QDialog& dialog) {
            mostrado = static_cast<TfrmMsgSaldoEst&>(dialog).cdsConsisteSaldEst->data();
            dialog.accept();
        });
    bool foiRecusado = false;
    QCOMPARE(grava(foiRecusado), QString());
    QCOMPARE(foiRecusado, recusado);
    QCOMPARE(tela->cdsPedido->state(), recusado ? RecordSet::State::Edit : RecordSet::State::Browse);
    if (!recusado)
        return;
    QCOMPARE(mostrado.rows.size(), 1);
    auto figura = [&mostrado](const char* nome) { return mostrado.rows.at(0).at(mostrado.indexOf(QString::fromLatin1(nome))); };
    QCOMPARE(figura("CDPRODUTO").toString(), termometro);
    QCOMPARE(figura("MSG").toString(), QStringLiteral("Quantidade requerida não está disponível."));
    QCOMPARE(figura("QTSOLICITADA").toDouble(), 2.0);
    QCOMPARE(figura("QTPEDATUAL").toDouble(), 3.0);
    QCOMPARE(figura("QTESTOQUE").toDouble(), estoque + emOutros);
    QCOMPARE(figura("QTDISPONIVEL").toDouble(), 1.0);
    QCOMPARE(figura("VRDIFERENCA").toDouble(), -1.0);
}

// Customer 10 %, seller 15 %, the new modality 5 %: the item at 20 % takes
// 5 % of its gross value once the clerk agrees; the item at 12 % is below
// the seller's maximum and keeps its discount.
void TstHeaderPost::descontoDaNovaModalidade()
{
    const QString vendedor = selectValue(demo, QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR")).toString();
    sql(QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = 10 WHERE CDCLIENTE = '000001'"));
    sql(QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 15 WHERE CDVENDEDOR = ?"), {vendedor});
    sql(QStringLiteral("UPDATE MODPGTO SET VRPEDESMODPG = 5 WHERE CDMODPGTO = '00005'"));
    auto item = [](const char* numero, double desconto) {
        return QVariantMap{{"CDFILIAL", "0001"}, {"NRPEDIDO", pedido}, {"NRITEMPED", numero}, {"QTITEMPED", 4.0},
                           {"VRPREUNITPED", 25.0}, {"PERDESC", desconto}, {"VRDESITPED", desconto}, {"IDPRECOPROM", "N"}};
    };
    abrePedido();
    tela->cdsItemPedido->setData(rowsOf(*tela->cdsItemPedido, {item("0000000001", 20), item("0000000002", 12)}));
    cabecalho("CDMODPGTO").setValue(QStringLiteral("00005"));
    scripted->expectQuestion(QStringLiteral("Deseja jogar o percentual máximo nos itens?"), MsgButton::Yes);
    bool recusado = false;
    QCOMPARE(grava(recusado), QStringLiteral("Percentual é superior ao máximo permitido. Deseja jogar o percentual máximo nos itens?"));
    QVERIFY(!recusado);
    sql(QStringLiteral("UPDATE MODPGTO SET VRPEDESMODPG = 0 WHERE CDMODPGTO = '00005'"));
    tela->cdsItemPedido->first();
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("VRDESITPED")).asFloat(), 5.0);
    tela->cdsItemPedido->next();
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("VRDESITPED")).asFloat(), 12.0);
}

void TstHeaderPost::recusas_data()
{
    QTest::addColumn<QString>("editor");   // object name of the editor changed
    QTest::addColumn<QString>("texto");    // what it is given
    QTest::addColumn<QString>("mensagem"); // the last message; "" none
    QTest::addColumn<bool>("recusado");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("foco");
    const QString hoje = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    const QString ontem = QDate::currentDate().addDays(-1).toString(QStringLiteral("dd/MM/yyyy"));
    const QString amanha = QDate::currentDate().addDays(1).toString(QStringLiteral("dd/MM/yyyy"));
    const QString geral = QStringLiteral("tshDadosPed");
    QTest::newRow("delivery today passes") << "depData" << hoje << "Deseja alterar a data de entrega de todos itens do pedido?" << false
                                          << geral << "";
    QTest::newRow("delivery yesterday") << "depData" << ontem << "Data de entrega deve ser maior ou igual à data atual." << true << geral << "depData";
    QTest::newRow("delivery empty") << "depData" << "" << "Data entrega deve ser informada." << true << geral << "depData";
    QTest::newRow("order date empty") << "depDtRetirada" << "" << "Data pedido deve ser informada." << true << geral << "depDtRetirada";
    QTest::newRow("order date tomorrow") << "depDtRetirada" << amanha << "Data pedido deve ser menor ou igual à data de processamento."
                                         << true << geral << "depDtRetirada";
    QTest::newRow("order date invalid") << "depDtRetirada" << "31/02/2026" << "'31/02/2026' não é uma data válida." << true << geral
                                        << "depDtRetirada";
    QTest::newRow("validity empty") << "depDtVal" << "" << "Data de validade deve ser informada." << true << geral << "depDtVal";
    QTest::newRow("validity yesterday") << "depDtVal" << ontem << "Data de validade deve ser maior ou igual a data do pedido." << true << geral
                                        << "depDtVal";
    QTest::newRow("customer empty") << "dbeCliente" << "" << "Código do cliente deve ser informado." << true << geral << "dbeCliente";
    QTest::newRow("seller empty") << "dbeVendedor" << "" << "Vendedor deve ser informado." << true << geral << "dbeVendedor";
    QTest::newRow("operation type empty") << "dbeTipoOper" << "" << "Tipo de operação deve ser informada." << true << geral << "dbeTipoOper";
    QTest::newRow("operation type unknown") << "dbeTipoOper" << "99" << "Tipo de operação não cadastrada." << true << geral << "dbeTipoOper";
    QTest::newRow("base price empty") << "dbePrcBase" << "" << "Preço base deve ser informado." << true << geral << "dbePrcBase";
    QTest::newRow("tender type unknown") << "dbeTipoEdital" << "999" << "Tipo edital não cadastrado." << true << geral << "dbeTipoEdital";
    QTest::newRow("tender type known") << "dbeTipoEdital" << "1" << "" << false << geral << "";
    QTest::newRow("transport type empty, required") << "dbeTipoTransp" << "" << "Tipo transporte deve ser informado."
                                                    << true << "tshTransportadora" << "dbeTipoTransp";
    QTest::newRow("transport type unknown") << "dbeTipoTransp" << "9999" << "Tipo transporte não cadastrado." << true << "tshTransportadora"
                                            << "dbeTipoTransp";
}

// Each field the clerk forgot or got wrong: its message, on its page, with
// the cursor on it; the header stays in edit. The branch requires the
// carrier's data here.
void TstHeaderPost::recusas()
{
    QFETCH(QString, editor);
    QFETCH(QString, texto);
    QFETCH(QString, mensagem);
    QFETCH(bool, recusado);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDOBRINFTRAN"), QStringLiteral("2"));
    abrePedido();
    auto* campo = tela->findChild<QLineEdit*>(editor);
    QVERIFY(campo);
    // A bound editor's text is in its field once typed; a date editor's
    // stays in the editor until the post copies it.
    if (auto* ligado = qobject_cast<DBEdit*>(campo))
        cabecalho(qPrintable(ligado->dataField())).setText(texto);
    else if (TDateEditPlus::parse(texto).isValid())
        static_cast<TDateEditPlus*>(campo)->setDate(TDateEditPlus::parse(texto));
    else
        campo->setText(texto);
    if (!recusado && !mensagem.isEmpty())
        scripted->expectQuestion(mensagem, MsgButton::No);
    bool foiRecusado = false;
    QCOMPARE(grava(foiRecusado), mensagem);
    QCOMPARE(foiRecusado, recusado);
    QCOMPARE(tela->cdsPedido->state(), recusado ? RecordSet::State::Edit : RecordSet::State::Browse);
    if (!recusado)
        return;
    QTEST(tela->pgcPadrao->currentWidget()->objectName(), "pagina");
    // Where the branch prices by customer a stored order's customer editor
    // stays disabled: the message and the page are what the clerk gets.
    if (!campo->isEnabled())
        return;
    QVERIFY(tela->focusWidget());
    QTEST(tela->focusWidget()->objectName(), "foco");
}

QTEST_MAIN(TstHeaderPost)
#include "tst_header_post.moc"
