// Order replication opened from the order entry screen (Ctrl+R) over the
// demo database: the date checks and the server's answers as the dialog
// reads them, a copy for another customer that joins the screen's list,
// and a blocked customer whose problem list opens and stores nothing.

#include "../order_entry/lanpedido_screen.h"

#include "dialogos_pedido.h"
#include "screens/exp00107_erros.h"
#include "field.h"
#include "recordset.h"
#include "replicapedido.h"
#include "taxnumbers.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dateeditplus.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

class TstReplicaPedido : public QObject, public TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase() { abreServidor(QStringLiteral("tst_replicapedido_demo")); }
    void init() { scripted = std::make_unique<ScriptedHost>(); }
    void cleanup()
    {
        fechaTelaDoTeste();
        liberaHost();
    }
    void cleanupTestCase()
    {
        fechaServidor();
        server.reset();
    }

    void regras_data();
    void regras();
    void replica_data();
    void replica();
    void pesquisaCliente();

private:
    int pedidos()
    {
        QSqlQuery count(demo);
        return count.exec(QStringLiteral("SELECT COUNT(*) FROM PEDIDO")) && count.next() ? count.value(0).toInt() : -1;
    }
    QString cnpjDoCliente(const QString& cliente)
    {
        QSqlQuery found(demo);
        found.prepare(QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?"));
        found.addBindValue(cliente);
        return found.exec() && found.next() ? found.value(0).toString() : QString();
    }
};

void TstReplicaPedido::regras_data()
{
    QTest::addColumn<QString>("regra");
    QTest::addColumn<QString>("entrada");
    QTest::addColumn<QString>("esperado");
    const QDate hoje = QDate::currentDate();
    const auto dia = [&](int dias) { return hoje.addDays(dias).toString(QStringLiteral("dd/MM/yyyy")); };
    QTest::newRow("order date today") << "pedido" << dia(0) << "";
    QTest::newRow("order date tomorrow") << "pedido" << dia(1) << "DT_ERRO";
    QTest::newRow("order date empty") << "pedido" << "" << "DT_NULO";
    QTest::newRow("order date invalid") << "pedido" << "31/02/2026" << "DT_INV";
    QTest::newRow("order date before 30/12/1899") << "pedido" << "01/01/1800" << "DT_MENOR";
    QTest::newRow("delivery today") << "entrega" << dia(0) << "";
    QTest::newRow("delivery yesterday") << "entrega" << dia(-1) << "DTENT_DTATU";
    QTest::newRow("delivery empty") << "entrega" << "" << "DTENT_NULO";
    QTest::newRow("delivery on the zero date") << "entrega" << "30/12/1899" << "DTENT_INV";
    QTest::newRow("server says OK") << "falha" << "OK" << "Sucesso";
    QTest::newRow("server refuses a branch") << "falha" << "FILIAL_N_PARAM" << "Recusa";
    QTest::newRow("server fails otherwise") << "falha" << "Pedido 1 cancelado não pode ser replicado." << "Outra";
}

void TstReplicaPedido::regras()
{
    QFETCH(QString, regra);
    QFETCH(QString, entrada);
    QFETCH(QString, esperado);
    const QDate hoje = QDate::currentDate();
    if (regra == u"pedido")
        QCOMPARE(chaveDataPedido(entrada, hoje, true), esperado);
    else if (regra == u"entrega")
        QCOMPARE(chaveDataEntrega(entrada, hoje, true), esperado);
    else
        QCOMPARE(QStringList({QStringLiteral("Sucesso"), QStringLiteral("Recusa"), QStringLiteral("Outra")})
                     .at(int(classificaFalha(entrada))),
                 esperado);
}

void TstReplicaPedido::replica_data()
{
    QTest::addColumn<QString>("cliente");    // typed by tax number
    QTest::addColumn<int>("diasEntrega");
    QTest::addColumn<QString>("mensagem");   // shown, or empty for the problem list
    QTest::addColumn<int>("novos");          // orders stored
    QTest::newRow("another customer") << "000002" << 3 << "Replicação realizada com sucesso." << 1;
    QTest::newRow("blocked customer") << "000900" << 3 << "" << 0;
    QTest::newRow("delivery yesterday") << "000002" << -1 << "Data de Entrega deve ser maior ou igual a data atual." << 0;
}

// Ctrl+R on the current order; a copy joins the list, a problem list or a
// refused date leaves the dialog open and stores nothing.
void TstReplicaPedido::replica()
{
    QFETCH(QString, cliente);
    QFETCH(int, diasEntrega);
    QFETCH(QString, mensagem);
    QFETCH(int, novos);
    abreTela();
    LigaDialogosPedido(*tela);
    // Branch 0001 lists orders in progress; the copy is pending.
    LanPedido::Filtro.StatusPedido.boPendente = true;
    QVERIFY(tela->sbtReplicaPedido->isEnabled());
    const QString origem = tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString();
    const int antes = pedidos();
    QStringList erros;
    bool ficouAberto = false;
    scripted->expectDialog(QStringLiteral("TfrmReplicaPedido"), [&](QDialog& aberto) {
        auto& dialogo = static_cast<TfrmReplicaPedido&>(aberto);
        QCOMPARE(dialogo.windowTitle(), QStringLiteral("Replicação de Pedidos"));
        QCOMPARE(dialogo.edtPedido->text(), origem);
        QCOMPARE(dialogo.depDtPedido->date(), DataProc(FiliProc()));
        dialogo.medInscClie->clear();
        QTest::keyClicks(dialogo.medInscClie, cnpjDoCliente(cliente));
        dialogo.depDtEntrega->setDate(QDate::currentDate().addDays(diasEntrega));
        if (mensagem.isEmpty())
            scripted->expectDialog(QStringLiteral("TfrmErrosReplicacao"), [&](QDialog& lista) {
                auto& erro = static_cast<TfrmErrosReplicacao&>(lista);
                QCOMPARE(erro.lblTitulo->text(), QStringLiteral("Os seguintes erros foram encontrados na replicação dos pedidos."));
                for (dialogo.cdsErroImp->first(); !dialogo.cdsErroImp->eof(); dialogo.cdsErroImp->next())
                    erros << dialogo.cdsErroImp->fieldByName(QStringLiteral("CDERRO")).text();
                lista.reject();
            });
        dialogo.sbtConfirma->click();
        ficouAberto = dialogo.isVisible() || dialogo.result() != QDialog::Accepted;
        if (ficouAberto)
            dialogo.reject();
    });
    tela->mnuReplicarPedido->trigger();
    QCOMPARE(pedidos(), antes + novos);
    if (!mensagem.isEmpty())
        QVERIFY2(scripted->hasMessage(mensagem), qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
    if (mensagem.isEmpty())
        QVERIFY2(erros.contains(QStringLiteral("Cliente bloqueado.")), qPrintable(erros.join(u'|')));
    QCOMPARE(ficouAberto, novos == 0);
    if (novos == 0)
        return;
    // The copy is the newest order of the branch, and the list shows it.
    QSqlQuery copia(demo);
    QVERIFY(copia.exec(QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001'")) && copia.next());
    QVERIFY2(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), copia.value(0).toString()), qPrintable(copia.value(0).toString()));
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).asString(), cliente);
}

// A customer picked in the look-up is taken by its code, with its name and
// its tax number masked.
void TstReplicaPedido::pesquisaCliente()
{
    abreTela();
    LigaDialogosPedido(*tela);
    scripted->expectDialog(QStringLiteral("TfrmReplicaPedido"), [&](QDialog& aberto) {
        auto& dialogo = static_cast<TfrmReplicaPedido&>(aberto);
        scripted->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& pesquisa) {
            auto* clientes = dialogo.findChild<RecordSet*>(QStringLiteral("cdsPesqCliente"));
            QVERIFY(clientes && clientes->locate(QStringLiteral("CDCLIENTE"), QStringLiteral("000002")));
            QCOMPARE(clientes->fieldByName(QStringLiteral("NRINSJURCLIE")).text(),
                     FormatInscricao(cnpjDoCliente(QStringLiteral("000002")), QStringLiteral("J")));
            pesquisa.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
        });
        dialogo.btnCliente->click();
        QCOMPARE(dialogo.stCliente, QStringLiteral("000002"));
        QCOMPARE(dialogo.medInscClie->text(), FormatInscricao(cnpjDoCliente(QStringLiteral("000002")), QStringLiteral("J")));
        QVERIFY(!dialogo.edtNmCliente->text().isEmpty());
        dialogo.reject();
    });
    tela->sbtReplicaPedido->click();
}

QTEST_MAIN(TstReplicaPedido)
#include "tst_replicapedido.moc"
