#include "money.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

QString exact(double value)
{
    return QString::number(value, 'g', 17);
}

qint64 sum(const QList<Cents>& parts)
{
    return std::accumulate(parts.begin(), parts.end(), qint64(0), [](qint64 total, Cents part) { return total + part.count(); });
}

QList<qint64> counts(const QList<Cents>& parts)
{
    QList<qint64> result;
    for (const Cents part : parts)
        result.append(part.count());
    return result;
}

} // namespace

class TestMoney : public QObject {
    Q_OBJECT

private slots:
    void roundDec_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");

        QTest::newRow("1.005 up") << 1.005 << 2 << 1.01;
        QTest::newRow("2.675 up") << 2.675 << 2 << 2.68;
        QTest::newRow("-1.005 away from zero") << -1.005 << 2 << -1.01;
        QTest::newRow("-2.675 away from zero") << -2.675 << 2 << -2.68;
        QTest::newRow("8.325") << 8.325 << 2 << 8.33;
        QTest::newRow("1.455") << 1.455 << 2 << 1.46;
        QTest::newRow("0.285") << 0.285 << 2 << 0.29;
        QTest::newRow("just below half") << 1.004999 << 2 << 1.0;
        QTest::newRow("0.5 to integer") << 0.5 << 0 << 1.0;
        QTest::newRow("2.5 to integer, not to even") << 2.5 << 0 << 3.0;
        QTest::newRow("-2.5 to integer") << -2.5 << 0 << -3.0;
        QTest::newRow("0.125 at 2") << 0.125 << 2 << 0.13;
        QTest::newRow("0.0005 at 3") << 0.0005 << 3 << 0.001;
        QTest::newRow("weight 1.000005 at 5") << 1.000005 << 5 << 1.00001;
        QTest::newRow("weight 1.23456789 at 5") << 1.23456789 << 5 << 1.23457;
        QTest::newRow("quantity 0.123455 at 5") << 0.123455 << 5 << 0.12346;
        QTest::newRow("carry through nines") << 99999999999.995 << 2 << 100000000000.0;
        QTest::newRow("large value") << 123456789012.345 << 2 << 123456789012.35;
        QTest::newRow("huge value unchanged") << 1e20 << 2 << 1e20;
        QTest::newRow("arithmetic noise 1.15*3") << 1.15 * 3 << 2 << 3.45;
        QTest::newRow("arithmetic noise 4.35*100") << 4.35 * 100 << 0 << 435.0;
        QTest::newRow("arithmetic noise 0.1+0.2") << 0.1 + 0.2 << 2 << 0.3;
        QTest::newRow("already round") << 12.5 << 2 << 12.5;
        QTest::newRow("zero") << 0.0 << 2 << 0.0;
        QTest::newRow("tiny to zero") << 0.0000001 << 2 << 0.0;
        QTest::newRow("never a negative zero") << -0.004 << 2 << 0.0;
        QTest::newRow("no decimals kept") << 1234.5678 << 0 << 1235.0;
        QTest::newRow("15 decimals") << 0.1234567890123456 << 15 << 0.123456789012346;
    }

    void roundDec()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(exact(RoundDec(value, decimals)), exact(expected));
        QCOMPARE(std::signbit(RoundDec(value, decimals)), std::signbit(expected));
    }

    void roundDecRefusesBadDecimalsAndKeepsNonFinite()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RoundDec(1.0, -1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RoundDec(1.0, 16));
        QVERIFY(std::isnan(RoundDec(std::numeric_limits<double>::quiet_NaN(), 2)));
        QCOMPARE(RoundDec(std::numeric_limits<double>::infinity(), 2), std::numeric_limits<double>::infinity());
    }

    // Client and server both round through RoundDec and count through Cents, so
    // one sweep over the values a clerk can type covers what they must agree on:
    // n half cents, n odd, typed as text ("1.005") and as the double arithmetic
    // gives it (n / 200.0).
    void everyHalfCentFrom1000DownTo1000RoundsAwayFromZero()
    {
        int checked = 0;
        for (qint64 halfCents = -200001; halfCents <= 200001; halfCents += 2) {
            const qint64 awayFromZero = halfCents > 0 ? (halfCents + 1) / 2 : (halfCents - 1) / 2;
            const QString typed = QString::number(double(halfCents) / 200.0, 'f', 3);
            for (const double value : {typed.toDouble(), double(halfCents) / 200.0}) {
                const double rounded = RoundDec(value, 2);
                if (exact(rounded) != exact(double(awayFromZero) / 100.0) || Cents::fromValue(value).count() != awayFromZero)
                    QFAIL(qPrintable(QStringLiteral("%1 rounded to %2").arg(typed, exact(rounded))));
                ++checked;
            }
        }
        QCOMPARE(checked, 2 * 200002);
    }

    void roundedDigitsForDisplay_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("integer");
        QTest::addColumn<QString>("fraction");

        QTest::newRow("half cent up") << 1.005 << 2 << "1" << "01";
        QTest::newRow("sign dropped") << -2.675 << 2 << "2" << "68";
        QTest::newRow("padded fraction") << 12.5 << 3 << "12" << "500";
        QTest::newRow("below one") << 0.004 << 2 << "0" << "00";
        QTest::newRow("carry into a new digit") << 999.995 << 2 << "1000" << "00";
        QTest::newRow("no decimals") << 1234.5 << 0 << "1235" << "";
        QTest::newRow("zero") << 0.0 << 2 << "0" << "00";
    }

    void roundedDigitsForDisplay()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, integer);
        QFETCH(QString, fraction);
        const RoundedDigits digits = roundedDigits(value, decimals);
        QCOMPARE(QString::fromStdString(digits.integer), integer);
        QCOMPARE(QString::fromStdString(digits.fraction), fraction);
    }

    void centsFromValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("cents");

        QTest::newRow("whole") << 12.0 << qint64(1200);
        QTest::newRow("half cent up") << 1.005 << qint64(101);
        QTest::newRow("negative half cent") << -1.005 << qint64(-101);
        QTest::newRow("arithmetic noise") << 0.1 + 0.2 << qint64(30);
        QTest::newRow("large amount") << 99999999999.99 << qint64(9999999999999);
        QTest::newRow("zero") << 0.0 << qint64(0);
    }

    void centsFromValue()
    {
        QFETCH(double, value);
        QFETCH(qint64, cents);
        const Cents amount = Cents::fromValue(value);
        QCOMPARE(amount.count(), cents);
        QCOMPARE(exact(amount.value()), exact(RoundDec(value, 2)));
    }

    void centsRefuseWhatADoubleCannotHoldToTheCent()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, Cents::fromValue(1e13));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, Cents::fromValue(-1e13));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, Cents::fromValue(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, Cents::fromValue(std::numeric_limits<double>::infinity()));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, splitEvenly(Cents::fromCount(100), 0));
    }

    void evenSplits_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QList<qint64>>("expected");

        QTest::newRow("100.00 in 3") << qint64(10000) << 3 << QList<qint64>{3333, 3333, 3334};
        QTest::newRow("100.00 in 6, last smaller") << qint64(10000) << 6 << QList<qint64>{1667, 1667, 1667, 1667, 1667, 1665};
        QTest::newRow("one part") << qint64(12345) << 1 << QList<qint64>{12345};
        QTest::newRow("fewer cents than parts") << qint64(2) << 3 << QList<qint64>{1, 1, 0};
        QTest::newRow("negative total") << qint64(-10000) << 3 << QList<qint64>{-3333, -3333, -3334};
        QTest::newRow("zero") << qint64(0) << 4 << QList<qint64>{0, 0, 0, 0};
    }

    void evenSplits()
    {
        QFETCH(qint64, total);
        QFETCH(int, parts);
        QFETCH(QList<qint64>, expected);
        QCOMPARE(counts(splitEvenly(Cents::fromCount(total), parts)), expected);
    }

    void percentageSplits_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QList<double>>("percentages");
        QTest::addColumn<QList<qint64>>("expected");

        QTest::newRow("thirds") << qint64(10000) << QList<double>{33.33, 33.33, 33.34} << QList<qint64>{3333, 3333, 3334};
        QTest::newRow("half cent of each part up") << qint64(1001) << QList<double>{50, 50} << QList<qint64>{501, 500};
        QTest::newRow("percentages short of 100: last takes the rest") << qint64(10000) << QList<double>{30, 30, 30}
                                                                       << QList<qint64>{3000, 3000, 4000};
        QTest::newRow("one part") << qint64(777) << QList<double>{100} << QList<qint64>{777};
        QTest::newRow("no parts") << qint64(777) << QList<double>{} << QList<qint64>{};
    }

    void percentageSplits()
    {
        QFETCH(qint64, total);
        QFETCH(QList<double>, percentages);
        QFETCH(QList<qint64>, expected);
        QCOMPARE(counts(splitByPercentages(Cents::fromCount(total), percentages)), expected);
    }

    void splitsAddUpToTheTotalForEveryCentFrom1000DownTo1000()
    {
        const QList<double> uneven{12.5, 37.25, 0.33, 49.92};
        for (qint64 cents = -100000; cents <= 100000; ++cents) {
            const Cents total = Cents::fromCount(cents);
            for (int parts = 1; parts <= 12; parts += 5) {
                if (sum(splitEvenly(total, parts)) != cents)
                    QFAIL(qPrintable(QStringLiteral("%1 cents in %2 parts").arg(cents).arg(parts)));
            }
            if (sum(splitByPercentages(total, uneven)) != cents)
                QFAIL(qPrintable(QStringLiteral("%1 cents by percentages").arg(cents)));
        }
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
