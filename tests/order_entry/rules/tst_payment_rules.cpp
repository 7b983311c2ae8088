// The payment page's rules: automatic installments, the checks of days,
// percentages, fixed day and sum, the keys of the terms grid and the
// forecast's text.

#include "rules/payment.h"

#include <QTest>

using namespace RegrasPedido;

class TestPaymentRules : public QObject {
    Q_OBJECT

private slots:
    void geraParcelas_data();
    void geraParcelas();
    void somaPercentuais_data();
    void somaPercentuais();
    void conferencias();
    void teclas_data();
    void teclas();
    void valoresEPrevisao();
};

void TestPaymentRules::geraParcelas_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("share");   // every term but the last
    QTest::addColumn<double>("last");
    const struct {
        int n;
        double share, last;
    } rows[] = {{1, 100, 100},      {2, 50, 50},        {3, 33.33, 33.34},    {4, 25, 25},          {5, 20, 20},
                {6, 16.67, 16.65},  {7, 14.29, 14.26},  {8, 12.5, 12.5},      {9, 11.11, 11.12},    {10, 10, 10},
                {11, 9.09, 9.1},    {12, 8.33, 8.37},   {13, 7.69, 7.72},     {14, 7.14, 7.18},     {15, 6.67, 6.62}};
    for (const auto& row : rows)
        QTest::addRow("%d terms", row.n) << row.n << row.share << row.last;
}

// Terms every 30 days; the last one above 100 in all is left unrounded, so
// it is compared to within noise of its two decimals.
void TestPaymentRules::geraParcelas()
{
    QFETCH(int, n);
    QFETCH(double, share);
    QFETCH(double, last);
    const QList<ParcelaGerada> parcelas = RegrasPedido::geraParcelas(n, 30);
    QCOMPARE(parcelas.size(), n);
    QList<double> percentuais;
    for (int k = 0; k < n; ++k) {
        QCOMPARE(parcelas.at(k).dias, 30.0 * (k + 1));
        if (k + 1 < n)
            QCOMPARE(parcelas.at(k).percentual, share);
        percentuais.append(parcelas.at(k).percentual);
    }
    QVERIFY(qAbs(parcelas.last().percentual - last) < 1e-9);
    QVERIFY(somaPercentuaisFecha(percentuais));
    QVERIFY(RegrasPedido::geraParcelas(0, 30).isEmpty());
}

void TestPaymentRules::somaPercentuais_data()
{
    QTest::addColumn<QList<double>>("percentuais");
    QTest::addColumn<bool>("fecha");
    QTest::newRow("33,33 + 33,33 + 33,34") << QList<double>{33.33, 33.33, 33.34} << true;
    QTest::newRow("16,67 x 5 + the unrounded last") << QList<double>{16.67, 16.67, 16.67, 16.67, 16.67, 100 - 100.02 + 16.67} << true;
    QTest::newRow("33,33 x 3") << QList<double>{33.33, 33.33, 33.33} << false;
    QTest::newRow("100,00001 at 4 decimals") << QList<double>{50, 50.00001} << true;
    QTest::newRow("100,0001") << QList<double>{50, 50.0001} << false;
    QTest::newRow("no terms") << QList<double>{} << true;
}

void TestPaymentRules::somaPercentuais()
{
    QFETCH(QList<double>, percentuais);
    QFETCH(bool, fecha);
    QCOMPARE(somaPercentuaisFecha(percentuais), fecha);
}

void TestPaymentRules::conferencias()
{
    const QList<double> outros{30, 60};
    QCOMPARE(conferePrazo(std::nullopt, true, outros), RecusaPrazo::NaoInformado);
    QCOMPARE(conferePrazo(std::nullopt, false, outros), RecusaPrazo::Nenhuma);
    QCOMPARE(conferePrazo(-1, true, outros), RecusaPrazo::Negativo);
    QCOMPARE(conferePrazo(60, true, outros), RecusaPrazo::Repetido);
    QCOMPARE(conferePrazo(0, true, outros), RecusaPrazo::Nenhuma);
    QCOMPARE(conferePrazo(90, true, outros), RecusaPrazo::Nenhuma);

    QCOMPARE(conferePercentual(std::nullopt, true), RecusaPercentual::NaoInformado);
    QCOMPARE(conferePercentual(std::nullopt, false), RecusaPercentual::Nenhuma);
    QCOMPARE(conferePercentual(0, false), RecusaPercentual::NaoPositivo);
    QCOMPARE(conferePercentual(-5, true), RecusaPercentual::NaoPositivo);
    QCOMPARE(conferePercentual(0.5, true), RecusaPercentual::Nenhuma);
    QCOMPARE(conferePercentual(100, true), RecusaPercentual::Nenhuma);
    QCOMPARE(conferePercentual(100.01, true), RecusaPercentual::AcimaDe100);

    QCOMPARE(confereDiaFixo(std::nullopt, true), RecusaDiaFixo::NaoInformado);
    QCOMPARE(confereDiaFixo(std::nullopt, false), RecusaDiaFixo::Nenhuma);
    QCOMPARE(confereDiaFixo(0, false), RecusaDiaFixo::ForaDoMes);
    QCOMPARE(confereDiaFixo(1, true), RecusaDiaFixo::Nenhuma);
    QCOMPARE(confereDiaFixo(31, true), RecusaDiaFixo::Nenhuma);
    QCOMPARE(confereDiaFixo(32, true), RecusaDiaFixo::ForaDoMes);
}

void TestPaymentRules::teclas_data()
{
    QTest::addColumn<int>("coluna");
    QTest::addColumn<QChar>("tecla");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("editaveis");
    QTest::addColumn<bool>("aceita");
    const int dias = int(ColunaPrazo::Dias), previsao = int(ColunaPrazo::Previsao);
    const int percentual = int(ColunaPrazo::Percentual), valor = int(ColunaPrazo::Valor);
    QTest::newRow("terms not editable") << dias << QChar(u'3') << "" << false << false;
    QTest::newRow("days: digit") << dias << QChar(u'3') << "" << true << true;
    QTest::newRow("days: comma") << dias << QChar(u',') << "3" << true << false;
    QTest::newRow("days: minus") << dias << QChar(u'-') << "" << true << false;
    QTest::newRow("days: backspace") << dias << QChar(u'\b') << "3" << true << true;
    QTest::newRow("forecast: digit") << previsao << QChar(u'1') << "" << true << false;
    QTest::newRow("percentage: comma") << percentual << QChar(u',') << "33" << true << true;
    QTest::newRow("percentage: second comma") << percentual << QChar(u',') << "33,3" << true << false;
    QTest::newRow("percentage: point") << percentual << QChar(u'.') << "33" << true << false;
    QTest::newRow("percentage: letter") << percentual << QChar(u'a') << "" << true << false;
    QTest::newRow("value: digit") << valor << QChar(u'7') << "12,5" << true << true;
    QTest::newRow("description: letter") << int(ColunaPrazo::Outra) << QChar(u'a') << "" << true << true;
}

void TestPaymentRules::teclas()
{
    QFETCH(int, coluna);
    QFETCH(QChar, tecla);
    QFETCH(QString, texto);
    QFETCH(bool, editaveis);
    QFETCH(bool, aceita);
    QCOMPARE(teclaAceita(ColunaPrazo(coluna), tecla, texto, editaveis), aceita);
}

void TestPaymentRules::valoresEPrevisao()
{
    const QList<Cents> valores = valoresDasParcelas(100.0, {33.33, 33.33, 33.34});
    QCOMPARE(valores, (QList<Cents>{Cents::fromValue(33.33), Cents::fromValue(33.33), Cents::fromValue(33.34)}));
    const QList<Cents> centavo = valoresDasParcelas(0.01, {33.33, 33.33, 33.34});
    QCOMPARE(centavo.last(), Cents::fromValue(0.01));
    QCOMPARE(textoPrevisao(QDateTime(QDate(2027, 3, 10), QTime(0, 0))), QStringLiteral("10/03/2027 qua"));
    QCOMPARE(textoPrevisao(QDateTime(QDate(2027, 3, 14), QTime(8, 0))), QStringLiteral("14/03/2027 dom"));
    QCOMPARE(textoPrevisao(QDateTime()), QString());
}

QTEST_APPLESS_MAIN(TestPaymentRules)
#include "tst_payment_rules.moc"
