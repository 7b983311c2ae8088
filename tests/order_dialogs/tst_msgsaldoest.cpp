// The stock shortage report: the row in Brazilian numbers with nothing cut,
// the duplicate-item lines only when earlier items hold the product, OK
// closing it, and the next shortage shown by the same dialog.

#include "msgsaldoest.h"

#include "recordset.h"
#include "scriptedhost.h"
#include "widgets/dbedits.h"

#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest/QtTest>

static const QStringList campos{"QTSOLICITADA", "QTDISPONIVEL", "VRDIFERENCA", "QTESTOQUE", "QTPEDIDO", "QTPEDATUAL", "QTPEDTOTAL", "QTORCAPED"};
using Valores = QList<double>;

static DataPacket linha(const Valores& valores)
{
    RecordSet cds(QStringLiteral("cdsConsisteSaldEst"));
    criaCamposConsisteSaldEst(cds);
    cds.createDataSet();
    cds.append();
    for (const auto& [campo, texto] : {std::pair{"MSG", "Quantidade requerida não está disponível."}, {"NMPRODUTO", "PARAFUSO 1/4"}, {"SGUNIDADE", "CX"}})
        cds.fieldByName(QString::fromUtf8(campo)).setValue(QString::fromUtf8(texto));
    for (qsizetype i = 0; i < campos.size(); ++i)
        cds.fieldByName(campos.at(i)).setValue(valores.at(i));
    cds.post();
    return cds.data();
}

class TstMsgSaldoEst : public QObject {
    Q_OBJECT

private slots:
    void mostra_data()
    {
        QTest::addColumn<Valores>("valores");   // in the order of `campos`, as the boxes show them:
        QTest::addColumn<QString>("textos");
        QTest::addColumn<bool>("duplicados");
        QTest::newRow("no earlier items, millions") << Valores{233340.391, 233333.391, -7, 1234567.891, 1000000, 0, 1000000, 1234.5}
            << "233.340,391 233.333,391 -7,000 1.234.567,891 1.000.000,000 0,000 1.000.000,000 1.234,50" << false;
        QTest::newRow("earlier items of the product") << Valores{10, 7.25, -2.75, 50, 12.25, 30, 42.25, 0.5}
            << "10,000 7,250 -2,750 50,000 12,250 30,000 42,250 0,50" << true;
    }

    // Each row follows the other row's kind of shortage in the same dialog,
    // so the duplicate lines are seen to come and to go.
    void mostra()
    {
        QFETCH(Valores, valores);
        QFETCH(QString, textos);
        QFETCH(bool, duplicados);
        ScriptedHost host;
        QWidget tela;   // the dialog goes with its screen, so each row starts afresh
        QPointer<TfrmMsgSaldoEst> primeiro;
        host.expectDialog(QStringLiteral("TfrmMsgSaldoEst"), [&](QDialog& aberto) {
            primeiro = static_cast<TfrmMsgSaldoEst*>(&aberto);
            primeiro->btnGravarItem->click();
        });
        CriaMsgSaldoEst(&tela, linha(duplicados ? Valores{1, 0, -1, 0, 0, 0, 0, 0} : Valores{1, 0, -1, 0, 0, 5, 5, 0}));
        QVERIFY(primeiro && !primeiro->isVisible());

        host.expectDialog(QStringLiteral("TfrmMsgSaldoEst"), [&](QDialog& aberto) {
            auto& dialog = static_cast<TfrmMsgSaldoEst&>(aberto);
            const auto ok = qScopeGuard([&] { dialog.btnGravarItem->click(); });
            QCOMPARE(&dialog, primeiro.data());
            QCOMPARE(dialog.lblMsg->text() + u'|' + dialog.lblNmProduto->text(), "Quantidade requerida não está disponível.|PARAFUSO 1/4 CX");
            QStringList mostrados;
            for (DBEdit* caixa : {dialog.dbeQtSolicitada, dialog.dbeQtDispSaldo, dialog.dbeVrDiferenca, dialog.dbeQtEstoque,
                                  dialog.dbeQtPedido, dialog.dbeQtPedAtual, dialog.dbeQtPedTotal, dialog.dbeQtOrcaPed}) {
                mostrados << caixa->text();
                QVERIFY2(caixa->fontMetrics().horizontalAdvance(caixa->text()) < caixa->width() - 8, qPrintable(caixa->text()));
            }
            QCOMPARE(mostrados.join(u' '), textos);
            for (QWidget* duplicada : std::initializer_list<QWidget*>{dialog.lblQtPedAtual, dialog.dbeQtPedAtual, dialog.lblQtPedTotal,
                                                                      dialog.dbeQtPedTotal, dialog.lblItensDuplicados})
                QCOMPARE(duplicada->isVisible(), duplicados);
            for (const QLabel* legenda : dialog.findChildren<QLabel*>())
                QVERIFY2(!legenda->isVisible() || legenda->width() >= legenda->sizeHint().width(), qPrintable(legenda->text()));
        });
        CriaMsgSaldoEst(&tela, linha(valores));
        QVERIFY(!primeiro->isVisible() && !QApplication::overrideCursor());
        PED_VERIFY_HOST(host);
    }
};

QTEST_MAIN(TstMsgSaldoEst)
#include "tst_msgsaldoest.moc"
