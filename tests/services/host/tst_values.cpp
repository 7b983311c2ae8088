#include "abort.h"
#include "scriptedhost.h"
#include "values.h"

#include <QtTest>

class TestValues : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        setHolidayCalendar({});
    }

    void ajusta_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");

        QTest::newRow("branch") << "1" << 4 << "0001";
        QTest::newRow("branch already wide") << "0001" << 4 << "0001";
        QTest::newRow("order number") << "12" << 10 << "0000000012";
        QTest::newRow("blanks around") << " 12 " << 10 << "0000000012";
        QTest::newRow("extra leading zeros dropped") << "00012" << 4 << "0012";
        QTest::newRow("zero") << "0" << 3 << "000";
        QTest::newRow("zeros beyond width") << "0000" << 3 << "000";
        QTest::newRow("too many digits kept") << "12345" << 4 << "12345";
        QTest::newRow("letters kept as typed") << "AB" << 6 << "AB";
        QTest::newRow("mixed kept, trimmed") << " A1 " << 4 << "A1";
        QTest::newRow("negative sign is not a digit") << "-1" << 4 << "-1";
        QTest::newRow("empty stays empty") << "" << 4 << "";
        QTest::newRow("blank gives empty") << "   " << 4 << "";
    }

    void ajusta()
    {
        QFETCH(QString, code);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Ajusta(code, width), expected);
    }

    void ajustaOfNumbersComparesLikeTheNumbers()
    {
        QCOMPARE(Ajusta(7, 3), QStringLiteral("007"));
        QVERIFY(Ajusta("9", 10) < Ajusta("10", 10));
        QVERIFY(Ajusta("12", 10) == Ajusta("012", 10));
    }

    void texts()
    {
        QVERIFY(EmptyString(""));
        QVERIFY(EmptyString(" \t "));
        QVERIFY(!EmptyString(" x "));
        QCOMPARE(AllTrim("  a b  "), QStringLiteral("a b"));
        QCOMPARE(LTrim("  a b  "), QStringLiteral("a b  "));
        QCOMPARE(iif(true, 1, 2), 1);
        QCOMPARE(iif(false, "S", "N"), QStringLiteral("N"));
    }

    void monthEnds_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");

        QTest::newRow("leap February") << QDate(2024, 2, 10) << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("common February") << QDate(2026, 2, 28) << QDate(2026, 2, 1) << QDate(2026, 2, 28);
        QTest::newRow("1900 is not leap") << QDate(1900, 2, 1) << QDate(1900, 2, 1) << QDate(1900, 2, 28);
        QTest::newRow("2000 is leap") << QDate(2000, 2, 15) << QDate(2000, 2, 1) << QDate(2000, 2, 29);
        QTest::newRow("December") << QDate(2026, 12, 31) << QDate(2026, 12, 1) << QDate(2026, 12, 31);
        QTest::newRow("April") << QDate(2026, 4, 1) << QDate(2026, 4, 1) << QDate(2026, 4, 30);
    }

    void monthEnds()
    {
        QFETCH(QDate, date);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QCOMPARE(PriDiaMes(date), first);
        QCOMPARE(UltimoDiaMes(date), last);
    }

    void dataUtil_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDate>("expected");

        const QDate friday(2026, 3, 6);
        QTest::newRow("friday + 1 skips weekend") << "0001" << friday << 1 << QDate(2026, 3, 9);
        QTest::newRow("friday + 5 is next friday") << "0001" << friday << 5 << QDate(2026, 3, 13);
        QTest::newRow("saturday + 1 is monday") << "0001" << QDate(2026, 3, 7) << 1 << QDate(2026, 3, 9);
        QTest::newRow("0 days on a working day") << "0001" << friday << 0 << friday;
        QTest::newRow("0 days on sunday") << "0001" << QDate(2026, 3, 8) << 0 << QDate(2026, 3, 9);
        QTest::newRow("backwards over weekend") << "0001" << QDate(2026, 3, 9) << -1 << friday;
        QTest::newRow("holiday of every branch") << "0001" << QDate(2026, 4, 2) << 1 << QDate(2026, 4, 6);
        QTest::newRow("holiday of this branch") << "0002" << QDate(2026, 3, 18) << 1 << QDate(2026, 3, 20);
        QTest::newRow("not a holiday elsewhere") << "0001" << QDate(2026, 3, 18) << 1 << QDate(2026, 3, 19);
        QTest::newRow("across the year") << "0001" << QDate(2026, 12, 31) << 1 << QDate(2027, 1, 1);
    }

    void dataUtil()
    {
        QFETCH(QString, branch);
        QFETCH(QDate, date);
        QFETCH(int, days);
        QFETCH(QDate, expected);
        setHolidayCalendar([](const QString& b, const QDate& d) {
            return d == QDate(2026, 4, 3) || (b == u"0002" && d == QDate(2026, 3, 19));
        });
        QCOMPARE(DataUtil(branch, date, days), expected);
    }

    // A date the clerk cannot have meant is refused with its text.
    void checkDateTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QDateTime>("expected");   // invalid: no date

        const QDateTime none;
        QTest::newRow("full") << "10/03/2026 14:30:05" << false << QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5));
        QTest::newRow("date only") << "10/03/2026" << false << QDateTime(QDate(2026, 3, 10), QTime(0, 0));
        QTest::newRow("unfilled time of the mask") << "10/03/2026   :  :  " << false
                                                   << QDateTime(QDate(2026, 3, 10), QTime(0, 0));
        QTest::newRow("single-digit day") << " 1/03/2026 08:00" << false << QDateTime(QDate(2026, 3, 1), QTime(8, 0));
        QTest::newRow("leap day") << "29/02/2024" << false << QDateTime(QDate(2024, 2, 29), QTime(0, 0));
        QTest::newRow("first valid day") << "31/12/1899" << false << QDateTime(QDate(1899, 12, 31), QTime(0, 0));
        QTest::newRow("blank mask is no date") << "  /  /       :  :  " << false << none;
        QTest::newRow("empty is no date") << "" << false << none;
        QTest::newRow("no 29 Feb in 2023") << "29/02/2023" << true << none;
        QTest::newRow("31 February") << "31/02/2026" << true << none;
        QTest::newRow("two-digit year") << "10/03/26" << true << none;
        QTest::newRow("hour 25") << "10/03/2026 25:00:00" << true << none;
        QTest::newRow("zero date") << "30/12/1899" << true << none;
        QTest::newRow("letters") << "ontem" << true << none;
    }

    void checkDateTime()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        QFETCH(QDateTime, expected);
        ScriptedHost host;
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(Abort, CheckDateTime(text));
            QCOMPARE(host.messageTexts(MsgType::Error), QStringList{QStringLiteral("'%1' não é uma data válida.").arg(text)});
        } else {
            QCOMPARE(CheckDateTime(text), expected);
            QVERIFY(host.messages().isEmpty());
        }
        PED_VERIFY_HOST(host);
    }

    void brazilianFormats()
    {
        QCOMPARE(FormatNumberBR(1234.565, 2), QStringLiteral("1.234,57"));
        QCOMPARE(FormatNumberBR(-0.5, 0), QStringLiteral("-1"));
        QCOMPARE(FormatDateBR(QDate(2026, 3, 1)), QStringLiteral("01/03/2026"));
        QCOMPARE(FormatDateTimeBR(QDateTime(QDate(2026, 3, 1), QTime(14, 5))), QStringLiteral("01/03/2026 14:05:00"));
        QCOMPARE(ParseDateBR("01/03/2026"), QDate(2026, 3, 1));
        QVERIFY(!ParseDateBR("2026-03-01").isValid());
    }

    void parseNumberBR_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("expected");
        QTest::newRow("grouped") << "1.234,56" << true << 1234.56;
        QTest::newRow("plain") << "1234,56" << true << 1234.56;
        QTest::newRow("negative") << "-0,5" << true << -0.5;
        QTest::newRow("misplaced group dot refused") << "1.5" << false << 0.0;
        QTest::newRow("text refused") << "abc" << false << 0.0;
    }

    void parseNumberBR()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, expected);
        bool parsed = !ok;
        const double value = ParseNumberBR(text, &parsed);
        QCOMPARE(parsed, ok);
        if (ok)
            QCOMPARE(value, expected);
    }
};

QTEST_MAIN(TestValues)
#include "tst_values.moc"
