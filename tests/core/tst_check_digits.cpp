#include "check_digits.h"

#include <QtTest>

class TestCheckDigits : public QObject {
    Q_OBJECT

private slots:
    void cpf_data();
    void cpf();
    void cnpj_data();
    void cnpj();
    void numbersOfOneRepeatedCharacterAreRefused();
    void checkDigitsAreAppended_data();
    void checkDigitsAreAppended();
    void badBasesAreRefused();
};

void TestCheckDigits::cpf_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("valid");

    QTest::newRow("masked") << "529.982.247-25" << true;
    QTest::newRow("bare") << "52998224725" << true;
    QTest::newRow("another") << "111.444.777-35" << true;
    QTest::newRow("leading zeros") << "000.000.001-91" << true;
    QTest::newRow("first remainder below 2 gives 0") << "000.000.006-04" << true;
    QTest::newRow("blanks of a mask") << "529 982 247 25" << true;
    QTest::newRow("wrong second digit") << "529.982.247-24" << false;
    QTest::newRow("wrong first digit") << "529.982.247-35" << false;
    QTest::newRow("10 digits") << "5299822472" << false;
    QTest::newRow("12 digits") << "529982247250" << false;
    QTest::newRow("letter inside") << "52998224A25" << false;
    QTest::newRow("other punctuation") << "529,982,247-25" << false;
    QTest::newRow("empty") << "" << false;
}

void TestCheckDigits::cpf()
{
    QFETCH(QString, number);
    QFETCH(bool, valid);
    QCOMPARE(isValidCpf(number), valid);
}

void TestCheckDigits::cnpj_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("valid");

    QTest::newRow("masked") << "11.222.333/0001-81" << true;
    QTest::newRow("bare") << "11222333000181" << true;
    QTest::newRow("another") << "11.444.777/0001-61" << true;
    QTest::newRow("alphanumeric") << "12.ABC.345/01DE-35" << true;
    QTest::newRow("alphanumeric bare") << "12ABC34501DE35" << true;
    QTest::newRow("alphanumeric lower case") << "12.abc.345/01de-35" << true;
    QTest::newRow("alphanumeric wrong digits") << "12.ABC.345/01DE-00" << false;
    QTest::newRow("alphanumeric one digit wrong") << "12.ABC.345/01DE-36" << false;
    QTest::newRow("wrong second digit") << "11.222.333/0001-80" << false;
    QTest::newRow("wrong first digit") << "11.222.333/0001-91" << false;
    QTest::newRow("13 characters") << "1122233300018" << false;
    QTest::newRow("15 characters") << "112223330001811" << false;
    QTest::newRow("letter as check digit") << "12.ABC.345/01DE-3A" << false;
    QTest::newRow("accented letter") << "12.ÁBC.345/01DE-35" << false;
    QTest::newRow("a CPF is not a CNPJ") << "529.982.247-25" << false;
    QTest::newRow("empty") << "" << false;
}

void TestCheckDigits::cnpj()
{
    QFETCH(QString, number);
    QFETCH(bool, valid);
    QCOMPARE(isValidCnpj(number), valid);
}

// Their check digits work out, but they are no one's number.
void TestCheckDigits::numbersOfOneRepeatedCharacterAreRefused()
{
    for (char c = '0'; c <= '9'; ++c) {
        const QString cpf(11, QLatin1Char(c));
        const QString cnpj(14, QLatin1Char(c));
        QVERIFY2(!isValidCpf(cpf), qPrintable(cpf));
        QVERIFY2(!isValidCnpj(cnpj), qPrintable(cnpj));
    }
    QVERIFY(!isValidCpf(QStringLiteral("111.111.111-11")));
    QVERIFY(!isValidCnpj(QStringLiteral("00.000.000/0000-00")));
}

void TestCheckDigits::checkDigitsAreAppended_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("number");

    QTest::newRow("CPF") << "529982247" << "52998224725";
    QTest::newRow("CPF with leading zeros") << "000000001" << "00000000191";
    QTest::newRow("CNPJ") << "112223330001" << "11222333000181";
    QTest::newRow("alphanumeric CNPJ") << "12ABC34501DE" << "12ABC34501DE35";
}

void TestCheckDigits::checkDigitsAreAppended()
{
    QFETCH(QString, base);
    QFETCH(QString, number);
    const QString completed = base.size() == 9 ? cpfWithCheckDigits(base) : cnpjWithCheckDigits(base);
    QCOMPARE(completed, number);
    QVERIFY(base.size() == 9 ? isValidCpf(completed) : isValidCnpj(completed));
}

void TestCheckDigits::badBasesAreRefused()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cpfWithCheckDigits(u"52998224"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cpfWithCheckDigits(u"52998224A"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cnpjWithCheckDigits(u"12abc34501de"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cnpjWithCheckDigits(u"12ABC34501D"));
}

QTEST_GUILESS_MAIN(TestCheckDigits)
#include "tst_check_digits.moc"
