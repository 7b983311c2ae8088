#include "iso_datetime.h"

#include <QtTest>

class TestIsoDateTime : public QObject {
    Q_OBJECT

private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("form");
        QTest::addColumn<QDateTime>("expected");   // invalid: refused

        const QDateTime none;
        const QDateTime midnight(QDate(2026, 3, 10), QTime(0, 0));
        const QDateTime afternoon(QDate(2026, 3, 10), QTime(14, 30, 5));
        const int date = int(IsoForm::Date), dateTime = int(IsoForm::DateTime), lenient = int(IsoForm::Lenient);

        QTest::newRow("date") << "2026-03-10" << date << midnight;
        QTest::newRow("date: no time allowed") << "2026-03-10T14:30:05" << date << none;
        QTest::newRow("date: 30 February") << "2026-02-30" << date << none;
        QTest::newRow("date: year 0") << "0000-01-01" << date << none;
        QTest::newRow("date: slashes") << "2026/03/10" << date << none;
        QTest::newRow("date: one-digit month") << "2026-3-10" << date << none;
        QTest::newRow("date-time") << "2026-03-10T14:30:05" << dateTime << afternoon;
        QTest::newRow("date-time with milliseconds") << "2026-03-10T14:30:05.250" << dateTime
                                                     << QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5, 250));
        QTest::newRow("date-time: blank separator") << "2026-03-10 14:30:05" << dateTime << none;
        QTest::newRow("date-time: no seconds") << "2026-03-10T14:30" << dateTime << none;
        QTest::newRow("date-time: two fraction digits") << "2026-03-10T14:30:05.25" << dateTime << none;
        QTest::newRow("date-time: hour 25") << "2026-03-10T25:00:00" << dateTime << none;
        QTest::newRow("date-time: hour 24") << "2026-03-10T24:00:00" << dateTime << none;
        QTest::newRow("date-time: a zone") << "2026-03-10T14:30:05Z" << dateTime << none;
        QTest::newRow("lenient: date alone") << "2026-03-10" << lenient << midnight;
        QTest::newRow("lenient: blank separator") << "2026-03-10 14:30:05" << lenient << afternoon;
        QTest::newRow("lenient: minutes only") << "2026-03-10T14:30" << lenient << QDateTime(QDate(2026, 3, 10), QTime(14, 30));
        QTest::newRow("lenient: microseconds cut") << "2026-03-10 14:30:05.123456" << lenient
                                                   << QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5, 123));
        QTest::newRow("lenient: one fraction digit") << "2026-03-10T14:30:05.5" << lenient
                                                     << QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5, 500));
        QTest::newRow("lenient: 24:00 ends the day") << "2026-12-31T24:00:00" << lenient << QDateTime(QDate(2027, 1, 1), QTime(0, 0));
        QTest::newRow("lenient: 24:01") << "2026-03-10T24:01:00" << lenient << none;
        QTest::newRow("lenient: ten fraction digits") << "2026-03-10T14:30:05.1234567890" << lenient << none;
        QTest::newRow("lenient: dot without digits") << "2026-03-10T14:30:05." << lenient << none;
        QTest::newRow("lenient: trailing text") << "2026-03-10T14:30:05 x" << lenient << none;
        QTest::newRow("lenient: Brazilian order") << "10/03/2026 14:30" << lenient << none;
        QTest::newRow("empty") << "" << lenient << none;
    }

    void reading()
    {
        QFETCH(QString, text);
        QFETCH(int, form);
        QFETCH(QDateTime, expected);
        const std::optional<IsoParts> parts = scanIso(text, IsoForm(form));
        QCOMPARE(parts.has_value(), expected.isValid());
        if (parts)
            QCOMPARE(parts->dateTime(), expected);
    }

    void latin1BytesReadAsText()
    {
        const std::optional<IsoParts> parts = scanIso(QByteArrayView("2026-03-10T14:30:05"), IsoForm::DateTime);
        QVERIFY(parts);
        QCOMPARE(parts->dateTime(), QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5)));
        QCOMPARE(parseIsoDate(u"2026-03-10"), QDate(2026, 3, 10));
        QVERIFY(!parseIsoDateTime(u"2026-03-10").isValid());
        QCOMPARE(parseIsoLenient(u"2026-03-10"), QDateTime(QDate(2026, 3, 10), QTime(0, 0)));
    }

    void writing_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("dateText");
        QTest::addColumn<QString>("dateTimeText");

        QTest::newRow("whole seconds") << QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5)) << "2026-03-10" << "2026-03-10T14:30:05";
        QTest::newRow("milliseconds kept") << QDateTime(QDate(2026, 3, 10), QTime(8, 5, 9, 120)) << "2026-03-10"
                                           << "2026-03-10T08:05:09.120";
        QTest::newRow("year padded") << QDateTime(QDate(987, 1, 2), QTime(0, 0)) << "0987-01-02" << "0987-01-02T00:00:00";
    }

    void writing()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, dateText);
        QFETCH(QString, dateTimeText);
        QCOMPARE(isoDateText(value.date()), dateText);
        QCOMPARE(isoDateTimeText(value), dateTimeText);
        QCOMPARE(parseIsoDateTime(dateTimeText), value);
    }

    void writingRefusesWhatTheWireCannotCarry()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, isoDateText(QDate()));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, isoDateText(QDate(10000, 1, 1)));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, isoDateText(QDate(-5, 1, 1)));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, isoDateTimeText(QDateTime()));
    }
};

QTEST_GUILESS_MAIN(TestIsoDateTime)
#include "tst_iso_datetime.moc"
