// The future-delivery invoice opened from the order entry screen (Ctrl+G)
// over the demo database: the operation types and series it accepts, the
// invoice issued once and looked up, the second attempt showing the invoice
// it already has, and the order screen refusing to send such an order.

#include "../order_entry/lanpedido_screen.h"

#include "dialogos_pedido.h"
#include "geranffutura.h"
#include "guard.h"
#include "recordset.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

class TstGeraNFFutura : public QObject, public TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase();
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

    void conferencias_data();
    void conferencias();
    void geraUmaVez();

private:
    // Opens the screen on the demo's future-delivery order and the dialog
    // over it, driven by `drive`.
    void abre(const std::function<void(TfrmGeraNFFutura&)>& drive);
    QString valor(const QString& sql)
    {
        QSqlQuery query(demo);
        return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
    }

    QString pedido;
    QString serie;
};

void TstGeraNFFutura::initTestCase()
{
    abreServidor(QStringLiteral("tst_geranffutura_demo"));
    pedido = valor(QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001' AND CDTIPOOPER = '02' AND IDSITPEDIDO = '2'"
                                  " AND DSNFVENDAFUTURA IS NULL"));
    serie = valor(QStringLiteral("SELECT MIN(S.CDSERIE) FROM SERIENF S INNER JOIN FILIAL F ON F.CDEMPRESA = S.CDEMPRESA"
                                 " AND F.CDINSCESTA = S.CDINSCESTA AND F.CDINSCMUNI = S.CDINSCMUNI WHERE F.CDFILIAL = '0001'"));
    QVERIFY(!pedido.isEmpty());
    QVERIFY(!serie.isEmpty());
}

void TstGeraNFFutura::abre(const std::function<void(TfrmGeraNFFutura&)>& drive)
{
    abreTela();
    LigaDialogosPedido(*tela);
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    QVERIFY(tela->sbtNFVendaFutura->isEnabled());
    scripted->expectDialog(QStringLiteral("TfrmGeraNFFutura"), [&](QDialog& aberto) {
        auto& dialogo = static_cast<TfrmGeraNFFutura&>(aberto);
        QCOMPARE(dialogo.windowTitle(), QStringLiteral("Geração NF de Venda Futura"));
        drive(dialogo);
        if (dialogo.result() != QDialog::Accepted)
            dialogo.reject();
    });
    tela->mnuVendaFutura->trigger();
}

void TstGeraNFFutura::conferencias_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("serieDigitada");   // "*": the branch's own
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("no operation type") << "" << "*" << "Tipo de operação deve ser informado.";
    QTest::newRow("moves stock") << "01" << "*" << "Tipo de operação não cadastrado.";
    QTest::newRow("incoming") << "07" << "*" << "Tipo de operação não cadastrado.";
    QTest::newRow("no series") << "02" << "" << "Série de saída deve ser informada.";
    QTest::newRow("series of no registration of the branch") << "02" << "ZZ" << "Série de saída não cadastrada.";
}

// Each refused input stops before the server: nothing is issued.
void TstGeraNFFutura::conferencias()
{
    QFETCH(QString, tipo);
    QFETCH(QString, serieDigitada);
    QFETCH(QString, mensagem);
    abre([&](TfrmGeraNFFutura& dialogo) {
        QVERIFY(!dialogo.btnVisuErros->isEnabled());
        QVERIFY(!dialogo.grbNFFutura->isVisible());
        dialogo.medTipoOper->setText(tipo);
        dialogo.medSerie->setText(serieDigitada == u"*" ? serie : serieDigitada);
        dialogo.sbtConfirma->click();
    });
    QVERIFY2(scripted->hasMessage(mensagem), qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
    QVERIFY(valor(QStringLiteral("SELECT DSNFVENDAFUTURA FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '%1'").arg(pedido)).isEmpty());
}

// Looked up before (none), issued, then refused the second time with the
// invoice shown; the screen no longer sends the order.
void TstGeraNFFutura::geraUmaVez()
{
    abre([&](TfrmGeraNFFutura& dialogo) {
        dialogo.sbtVerifNFFutura->click();
        QVERIFY(dialogo.grbNFFutura->isHidden());
        dialogo.medTipoOper->setText(QStringLiteral("2"));
        dialogo.medSerie->setText(serie);
        dialogo.sbtConfirma->click();
        QCOMPARE(dialogo.medTipoOper->text(), QStringLiteral("02"));
        QCOMPARE(dialogo.edtTipoOper->text(), QStringLiteral("Venda para entrega futura"));
    });
    QVERIFY(scripted->hasMessage(QStringLiteral("Pedido não possui nota fiscal de venda futura")));
    QVERIFY(scripted->hasMessage(QStringLiteral("Operação realizada com sucesso.")));
    const QString posting = valor(QStringLiteral("SELECT NRLANCTONF FROM NOTAFISCAL WHERE CDFILIAL = '0001' AND NRPEDIDO = '%1'"
                                                 " AND IDVENDAFUTURA = 'S'").arg(pedido));
    QVERIFY(!posting.isEmpty());
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    QVERIFY(!tela->cdsPedido->fieldByName(QStringLiteral("DSNFVENDAFUTURA")).asString().isEmpty());

    // The order with its invoice is not sent again.
    guarded([&] {
        tela->cdsPedido->edit();
        tela->sbtConfirmarClick();
    });
    QVERIFY2(scripted->hasMessage(QStringLiteral("Operação bloqueada. Pedido possui nota fiscal de venda futura.")),
             qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
    QVERIFY(tela->cdsPedido->isEditing());
    tela->cdsPedido->cancel();
    fechaTelaDoTeste();

    QString nota;
    abre([&](TfrmGeraNFFutura& dialogo) {
        dialogo.medTipoOper->setText(QStringLiteral("02"));
        dialogo.medSerie->setText(serie);
        dialogo.sbtConfirma->click();
        QVERIFY(!dialogo.grbNFFutura->isHidden());
        nota = dialogo.lblNFFutura->text();
    });
    QVERIFY2(nota.startsWith(u"Data Saída: ") && nota.endsWith(QStringLiteral(" Filial Emissão: 0001 Lançamento: ") + posting + u'.'),
             qPrintable(nota));
    QVERIFY(scripted->hasMessage(QStringLiteral("Pedido já possui nota fiscal de venda futura.")));
    QCOMPARE(valor(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL WHERE CDFILIAL = '0001' AND NRPEDIDO = '%1'").arg(pedido)),
             QStringLiteral("1"));
}

QTEST_MAIN(TstGeraNFFutura)
#include "tst_geranffutura.moc"
