#include "taxnumbers.h"

#include <QtTest>

class TestTaxNumbers : public QObject {
    Q_OBJECT

private slots:
    void ajustaInscricao_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("normalised");

        QTest::newRow("CPF masked") << "529.982.247-25" << "F" << "52998224725";
        QTest::newRow("CPF bare with blanks") << " 52998224725 " << "F" << "52998224725";
        QTest::newRow("wrong CPF is still a CPF") << "529.982.247-24" << "F" << "52998224724";
        QTest::newRow("CNPJ masked") << "11.222.333/0001-81" << "J" << "11222333000181";
        QTest::newRow("CNPJ alphanumeric") << "12.abc.345/01de-35" << "J" << "12ABC34501DE35";
        QTest::newRow("short number") << "123" << "O" << "123";
        QTest::newRow("short number with dash") << "12-3" << "O" << "123";
        QTest::newRow("six digits are free form") << "123456" << "I" << "123456";
        QTest::newRow("foreign kept as typed") << " AB-123456 " << "I" << "AB-123456";
        QTest::newRow("blank") << "   " << "" << "";
    }

    void ajustaInscricao()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kind);
        QFETCH(QString, normalised);
        QString number = typed;
        QCOMPARE(Ajusta_Inscricao(number), kind);
        QCOMPARE(number, normalised);
    }

    void pictPess_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mask");
        QTest::newRow("person") << "F" << "000.000.000-00;0;_";
        QTest::newRow("person lower case") << "f" << "000.000.000-00;0;_";
        QTest::newRow("company") << "J" << "00.000.000/0000-00;0;_";
        QTest::newRow("other") << "O" << "99999;0;_";
        QTest::newRow("free form") << "I" << "";
        QTest::newRow("no kind yet") << "" << "";
    }

    void pictPess()
    {
        QFETCH(QString, kind);
        QFETCH(QString, mask);
        QCOMPARE(PictPess(kind), mask);
    }

    void formatInscricao_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CPF") << "52998224725" << "F" << "529.982.247-25";
        QTest::newRow("CNPJ") << "11222333000181" << "J" << "11.222.333/0001-81";
        QTest::newRow("alphanumeric CNPJ") << "12ABC34501DE35" << "J" << "12.ABC.345/01DE-35";
        QTest::newRow("other") << "00123" << "O" << "00123";
        QTest::newRow("free form as stored") << "AB-1" << "I" << "AB-1";
        QTest::newRow("too short kept") << "5299822472" << "F" << "5299822472";
        QTest::newRow("too long kept") << "529982247251" << "F" << "529982247251";
    }

    void formatInscricao()
    {
        QFETCH(QString, number);
        QFETCH(QString, kind);
        QFETCH(QString, shown);
        QCOMPARE(FormatInscricao(number, kind), shown);
    }

    void formatWithMaskHonoursEscapesAndDirectives()
    {
        QCOMPARE(FormatWithMask("1234", QStringLiteral("!00\\-00;0;_")), QStringLiteral("12-34"));
        QCOMPARE(FormatWithMask("10032026", QStringLiteral("!90/90/0000;1; ")), QStringLiteral("10/03/2026"));
    }
};

QTEST_MAIN(TestTaxNumbers)
#include "tst_taxnumbers.moc"
