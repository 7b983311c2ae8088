#include "check_digits.h"

#include <QtTest>

class TestCheckDigits : public QObject {
    Q_OBJECT

private slots:
    // Each number is tried both as a CPF and as a CNPJ.
    void validity_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("cpf");
        QTest::addColumn<bool>("cnpj");

        QTest::newRow("CPF masked") << "529.982.247-25" << true << false;
        QTest::newRow("CPF bare") << "52998224725" << true << false;
        QTest::newRow("CPF another") << "111.444.777-35" << true << false;
        QTest::newRow("CPF leading zeros") << "000.000.001-91" << true << false;
        QTest::newRow("CPF first remainder below 2 gives 0") << "000.000.006-04" << true << false;
        QTest::newRow("CPF blanks of a mask") << "529 982 247 25" << true << false;
        QTest::newRow("CPF wrong second digit") << "529.982.247-24" << false << false;
        QTest::newRow("CPF wrong first digit") << "529.982.247-35" << false << false;
        QTest::newRow("CPF 10 digits") << "5299822472" << false << false;
        QTest::newRow("CPF 12 digits") << "529982247250" << false << false;
        QTest::newRow("CPF letter inside") << "52998224A25" << false << false;
        QTest::newRow("CPF other punctuation") << "529,982,247-25" << false << false;
        QTest::newRow("CNPJ masked") << "11.222.333/0001-81" << false << true;
        QTest::newRow("CNPJ bare") << "11222333000181" << false << true;
        QTest::newRow("CNPJ another") << "11.444.777/0001-61" << false << true;
        QTest::newRow("CNPJ alphanumeric") << "12.ABC.345/01DE-35" << false << true;
        QTest::newRow("CNPJ alphanumeric bare") << "12ABC34501DE35" << false << true;
        QTest::newRow("CNPJ alphanumeric lower case") << "12.abc.345/01de-35" << false << true;
        QTest::newRow("CNPJ alphanumeric wrong digits") << "12.ABC.345/01DE-00" << false << false;
        QTest::newRow("CNPJ alphanumeric one digit wrong") << "12.ABC.345/01DE-36" << false << false;
        QTest::newRow("CNPJ wrong second digit") << "11.222.333/0001-80" << false << false;
        QTest::newRow("CNPJ wrong first digit") << "11.222.333/0001-91" << false << false;
        QTest::newRow("CNPJ 13 characters") << "1122233300018" << false << false;
        QTest::newRow("CNPJ 15 characters") << "112223330001811" << false << false;
        QTest::newRow("CNPJ letter as check digit") << "12.ABC.345/01DE-3A" << false << false;
        QTest::newRow("CNPJ accented letter") << "12.ÁBC.345/01DE-35" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void validity()
    {
        QFETCH(QString, number);
        QFETCH(bool, cpf);
        QFETCH(bool, cnpj);
        QCOMPARE(isValidCpf(number), cpf);
        QCOMPARE(isValidCnpj(number), cnpj);
    }

    // Their check digits work out, but they are no one's number.
    void numbersOfOneRepeatedCharacterAreRefused()
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

    void checkDigitsAreAppended_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("number");

        QTest::newRow("CPF") << "529982247" << "52998224725";
        QTest::newRow("CPF with leading zeros") << "000000001" << "00000000191";
        QTest::newRow("CNPJ") << "112223330001" << "11222333000181";
        QTest::newRow("alphanumeric CNPJ") << "12ABC34501DE" << "12ABC34501DE35";
    }

    void checkDigitsAreAppended()
    {
        QFETCH(QString, base);
        QFETCH(QString, number);
        const QString completed = base.size() == 9 ? cpfWithCheckDigits(base) : cnpjWithCheckDigits(base);
        QCOMPARE(completed, number);
        QVERIFY(base.size() == 9 ? isValidCpf(completed) : isValidCnpj(completed));
    }

    void badBasesAreRefused()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cpfWithCheckDigits(u"52998224"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cpfWithCheckDigits(u"52998224A"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cnpjWithCheckDigits(u"12abc34501de"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cnpjWithCheckDigits(u"12ABC34501D"));
    }
};

QTEST_GUILESS_MAIN(TestCheckDigits)
#include "tst_check_digits.moc"
