// The automatic price change over the demo database with two open orders of
// its own: the criteria checks, the customer chosen in the list look-up,
// the grid loaded and a new price typed, the change stored or refused by an
// order that may no longer change (the typed prices then cancelled); and
// opened from the order entry screen.

#include "widgets/dbgrid.h"
#include "../order_entry/lanpedido_screen.h"

#include "alteracaoprecoauto.h"
#include "dialogos_pedido.h"
#include "field.h"
#include "guard.h"
#include "lookups/pesquisalistadialog.h"
#include "netconnection.h"
#include "recordset.h"
#include "widgets/dateeditplus.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {
const QStringList pedidos{QStringLiteral("9900000001"), QStringLiteral("9900000002")};
}

class TstAlteracaoPrecoAuto : public QObject, public TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void criterios_data();
    void criterios();
    void confirma_data();
    void confirma();
    void pelaTelaDePedidos();

private:
    QList<double> precos();
    void escolheCliente(TfrmAlteracaoPrecoAuto& dialog);
    void abre(const std::function<void(TfrmAlteracaoPrecoAuto&)>& drive);

    TNetConnection* netLanPed = nullptr;
    QObject owner;
    QString cliente;
};

void TstAlteracaoPrecoAuto::initTestCase()
{
    abreServidor(QStringLiteral("tst_alteracaoprecoauto_demo"));
    netLanPed = new TNetConnection(ServerNames::LanPedido, &owner);
    QSqlQuery primeiro(demo);
    QVERIFY(primeiro.exec(QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE")) && primeiro.next());
    cliente = primeiro.value(0).toString();
    execSql(demo, QStringLiteral("INSERT INTO TIPOOPERAC (CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP) VALUES ('ZP', 'Teste', 'S', 'C')"));
    execSql(demo, QStringLiteral("UPDATE PARAMPEDIDO SET IDLANCPED = '1' WHERE CDFILIAL = '0001'"));
    for (const QString& pedido : pedidos) {
        execSql(demo, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, DTENTPED, CDCLIENTE, CDTIPOOPER, IDSITPEDIDO)"
                           " VALUES ('0001', ?, '2031-05-01T10:00:00', '2031-05-10T10:00:00', ?, 'ZP', '1')"),
            {pedido, cliente});
        execSql(demo, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, IDSITITEMPED)"
                           " VALUES ('0001', ?, '0000000001', (SELECT MIN(CDPRODUTO) FROM PRODUTO), 2, 10, '1')"),
            {pedido});
    }
}

void TstAlteracaoPrecoAuto::init()
{
    scripted = std::make_unique<ScriptedHost>();
    execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = 10 WHERE CDFILIAL = '0001' AND NRPEDIDO LIKE '99000000%'"));
    execSql(demo, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '1' WHERE CDFILIAL = '0001' AND NRPEDIDO LIKE '99000000%'"));
}

void TstAlteracaoPrecoAuto::cleanup()
{
    fechaTelaDoTeste();
    liberaHost();
}

void TstAlteracaoPrecoAuto::cleanupTestCase()
{
    fechaServidor();
    server.reset();
}

QList<double> TstAlteracaoPrecoAuto::precos()
{
    QList<double> found;
    QSqlQuery query(demo);
    query.exec(QStringLiteral("SELECT VRPREUNITPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO LIKE '99000000%'"
                              " ORDER BY NRPEDIDO"));
    while (query.next())
        found << query.value(0).toDouble();
    return found;
}

// The customer of the two orders, ticked in the list look-up.
void TstAlteracaoPrecoAuto::escolheCliente(TfrmAlteracaoPrecoAuto& dialog)
{
    scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& lista) {
        QVERIFY(static_cast<TfrmPesquisaLista&>(lista).setChecked(cliente, true));
        lista.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    dialog.btnCliente->click();
    dialog.depDeEntrega->setDate(QDate(2031, 5, 1));
    dialog.depAteEntrega->setDate(QDate(2031, 5, 31));
    dialog.rbtLTipoOper->setChecked(true);
    dialog.stTipoOper = QStringLiteral("'ZP'");
}

void TstAlteracaoPrecoAuto::abre(const std::function<void(TfrmAlteracaoPrecoAuto&)>& drive)
{
    AlteracaoPrecoAutoTela tela;
    tela.netLanPed = netLanPed;
    tela.cdFilial = QStringLiteral("0001");
    scripted->expectDialog(QStringLiteral("TfrmAlteracaoPrecoAuto"), [&](QDialog& aberto) {
        drive(static_cast<TfrmAlteracaoPrecoAuto&>(aberto));
        aberto.reject();
    });
    CriaAlteracaoPrecoAuto(tela);
}

void TstAlteracaoPrecoAuto::criterios_data()
{
    QTest::addColumn<bool>("comCliente");
    QTest::addColumn<QString>("produtos");    // "-": every product
    QTest::addColumn<QDate>("de");
    QTest::addColumn<QDate>("ate");
    QTest::addColumn<QString>("mensagem");
    const QDate maio(2031, 5, 1);
    QTest::newRow("no customer") << false << "-" << QDate() << QDate() << "Cliente deve ser informado.";
    QTest::newRow("product list empty") << true << "" << QDate() << QDate() << "Produto deve ser informado.";
    QTest::newRow("no final date") << true << "-" << maio << QDate() << "Data final deve ser informada.";
    QTest::newRow("no initial date") << true << "-" << QDate() << maio << "Data inicial deve ser informada.";
    QTest::newRow("period reversed") << true << "-" << maio.addDays(9) << maio << "Data inicial deve ser menor que a data final;";
}

// Each check refuses loading the grid with its message.
void TstAlteracaoPrecoAuto::criterios()
{
    QFETCH(bool, comCliente);
    QFETCH(QString, produtos);
    QFETCH(QDate, de);
    QFETCH(QDate, ate);
    QFETCH(QString, mensagem);
    abre([&](TfrmAlteracaoPrecoAuto& dialog) {
        QVERIFY(!dialog.rbtTCliente->isEnabled());
        if (comCliente)
            dialog.stCliente = u'\'' + cliente + u'\'';
        if (produtos != u"-") {
            dialog.rbtLProduto->setChecked(true);
            dialog.stProduto = produtos;
        }
        dialog.depDeEntrega->setDate(de);
        dialog.depAteEntrega->setDate(ate);
        QVERIFY(!guarded([&] { dialog.CarregaGrade(); }));
        QVERIFY(!dialog.cdsProdGrid->isActive());
    });
    QVERIFY(scripted->hasMessage(mensagem));
}

void TstAlteracaoPrecoAuto::confirma_data()
{
    QTest::addColumn<QString>("situacao");   // of the second order
    QTest::addColumn<QList<double>>("esperados");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("stored") << "1" << QList<double>{10.9, 10.9} << "Os preços foram alterados com sucesso!";
    QTest::newRow("an order under way blocks") << "2" << QList<double>{10, 10} << "pedido 9900000002 (situação 2)";
}

// A new price typed and confirmed: stored in both orders, or refused as a
// whole with the blocking order named and the typed price cancelled.
void TstAlteracaoPrecoAuto::confirma()
{
    QFETCH(QString, situacao);
    QFETCH(QList<double>, esperados);
    QFETCH(QString, mensagem);
    execSql(demo, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {situacao, pedidos[1]});
    abre([&](TfrmAlteracaoPrecoAuto& dialog) {
        escolheCliente(dialog);
        dialog.CarregaGrade();
        QCOMPARE(dialog.cdsProdGrid->recordCount(), 1);
        // The clerk sees each product with its price and types the new one.
        QCOMPARE(dialog.dbgProdGrid->columnCount(), 4);
        QCOMPARE(dialog.dbgProdGrid->columnByField(QStringLiteral("NOVOVALOR"))->isVisible(), true);
        QCOMPARE(dialog.cdsProdGrid->fieldByName(QStringLiteral("VRPREUNITPED")).asFloat(), 10.0);
        QVERIFY(!dialog.sbtConfirma->isEnabled());
        // A price still being typed can be confirmed: the row posts first.
        dialog.cdsProdGrid->edit();
        dialog.cdsProdGrid->fieldByName(QStringLiteral("NOVOVALOR")).setValue(10.9);
        QVERIFY(dialog.sbtConfirma->isEnabled());
        scripted->expectQuestion(QStringLiteral("Deseja alterar os preços?"), MsgButton::Yes);
        dialog.sbtConfirma->click();
        QVERIFY(!dialog.cdsProdGrid->hasChanges());
        QVERIFY(!dialog.sbtConfirma->isEnabled());
    });
    QVERIFY2(scripted->hasMessage(mensagem), qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
    QCOMPARE(precos(), esperados);
}

void TstAlteracaoPrecoAuto::pelaTelaDePedidos()
{
    abreTela();
    LigaDialogosPedido(*tela);
    tela->mnuAlterarPreoUnitrioMultiplosPedidos->setVisible(true);
    scripted->expectDialog(QStringLiteral("TfrmAlteracaoPrecoAuto"), [&](QDialog& aberto) {
        auto& dialog = static_cast<TfrmAlteracaoPrecoAuto&>(aberto);
        QVERIFY(dialog.rbtLCliente->isChecked());
        QVERIFY(dialog.stCliente.isEmpty());
        aberto.reject();
    });
    tela->mnuAlterarPreoUnitrioMultiplosPedidosClick();
}

QTEST_MAIN(TstAlteracaoPrecoAuto)
#include "tst_alteracaoprecoauto.moc"
