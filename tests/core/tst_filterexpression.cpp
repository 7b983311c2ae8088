#include "errorof.h"
#include "filterexpression.h"

#include <QDateTime>
#include <QStringList>
#include <QTest>

namespace {

const QStringList fieldNames = {
    QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("IDSITITEMPED"), QStringLiteral("VRDESITPED"),
    QStringLiteral("QTITEM"),   QStringLiteral("DTPEDIDO"), QStringLiteral("DTENTREGA"),    QStringLiteral("IDMARCADO"),
    QStringLiteral("BOATIVO"),  QStringLiteral("NMNULO"),   QStringLiteral("CDERRO"),       QStringLiteral("TXSIMBOLO"),
    QStringLiteral("IDITPEDDIFER"), QStringLiteral("PROPCIO"), QStringLiteral("CDARVPROD"), QStringLiteral("IDPESQ"),
    QStringLiteral("CDPRECOBASE"), QStringLiteral("CDVENDEDOR"), QStringLiteral("NMCLIENTE"), QStringLiteral("VRNULO")};

QVariantList sampleRow()
{
    return {QStringLiteral("0001"),
            QStringLiteral("0000000012"),
            QStringLiteral("2"),
            2.5,
            QVariant(qlonglong(3)),
            QDate(2026, 3, 10),
            QDateTime(QDate(2026, 3, 10), QTime(14, 30)),
            QStringLiteral("S"),
            true,
            QVariant(),
            QStringLiteral("ALT_PR"),
            QStringLiteral("😀"),
            QStringLiteral("R"),
            QStringLiteral("S"),
            QStringLiteral("7891000"),
            QStringLiteral("1"),
            QStringLiteral("01"),
            QStringLiteral("001"),
            QStringLiteral("D'Ávila"),
            QVariant()};
}

int indexOfField(const QString& name)
{
    return int(fieldNames.indexOf(name.toUpper()));
}

FilterExpression bound(const QString& text)
{
    FilterExpression filter = FilterExpression::parse(text);
    filter.bind(indexOfField);
    return filter;
}

} // namespace

class TestFilterExpression : public QObject {
    Q_OBJECT

private slots:
    void matchesRow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");

        const auto add = [](const char* name, const QString& text, bool expected) { QTest::newRow(name) << text << expected; };
        // Texts the screens build.
        add("branch and order, no blank before AND", "CDFILIAL = '0001'AND NRPEDIDO = '0000000012'", true);
        add("confirmed items", "CDFILIAL = '0001'AND NRPEDIDO = '0000000012'AND IDSITITEMPED = 2", true);
        add("error code in parentheses", "(CDERRO = 'ALT_PR')", true);
        add("other error code", "(CDERRO = 'QT_RESE')", false);
        add("discounted items", "VRDESITPED > 0", true);
        add("other orders", "NRPEDIDO <> '12'", true);
        add("price kind without blank", "IDITPEDDIFER ='R'", true);
        add("optional price, trailing blank", "(PROPCIO = 'S') ", true);
        add("last sale prices", "(IDSITITEMPED <> '5') AND (NRPEDIDO <> '0000000012')", false);
        add("order and product", "NRPEDIDO = '0000000012' AND CDARVPROD = '7891000'", true);
        add("base price search", "IDPESQ = '1'AND CDPRECOBASE = '01'", true);
        add("seller snapshot", "CDVENDEDOR = '001'", true);
        add("marked rows", "IDMARCADO = 'S'", true);
        // Precedence and NOT.
        add("AND before OR", "CDERRO = 'ALT_PR' OR CDFILIAL = '0002' AND IDMARCADO = 'N'", true);
        add("AND before OR, left", "CDFILIAL = '0002' AND IDMARCADO = 'S' OR CDERRO = 'ALT_PR'", true);
        add("parentheses first", "CDFILIAL = '0002' AND (IDMARCADO = 'S' OR CDERRO = 'ALT_PR')", false);
        add("NOT", "NOT CDFILIAL = '0002'", true);
        add("NOT binds tighter than AND", "NOT CDFILIAL = '0001' AND IDMARCADO = 'S'", false);
        add("NOT NOT", "NOT NOT CDFILIAL = '0001'", true);
        add("NOT group", "NOT (IDSITITEMPED = '3' OR NMNULO IS NULL)", false);
        add("keywords in lower case", "cdfilial = '0001' and not idmarcado = 'N' or Qtitem Is Null", true);
        // Nulls.
        add("null equal", "NMNULO = 'x'", false);
        add("null unequal", "NMNULO <> 'x'", false);
        add("not of null comparison", "NOT (NMNULO = 'x')", true);
        add("null number", "VRNULO < 1", false);
        add("IS NULL", "NMNULO IS NULL", true);
        add("IS NOT NULL", "NMNULO IS NOT NULL", false);
        add("value IS NULL", "CDFILIAL IS NULL", false);
        add("compared with NULL", "CDFILIAL = NULL", false);
        add("unequal to NULL", "CDFILIAL <> NULL", false);
        add("NULL IS NULL", "NULL IS NULL", true);
        // Numbers.
        add("integer equal", "QTITEM = 3", true);
        add("integer equal decimal", "QTITEM = 3.0", true);
        add("integer above decimal", "QTITEM > 2.5", true);
        add("float equal", "VRDESITPED = 2.5", true);
        add("float greater-equal", "VRDESITPED >= 2.50", true);
        add("negative literal", "VRDESITPED < -1", false);
        add("negative less", "-3 < QTITEM", true);
        add("number text", "QTITEM = '3'", true);
        add("number vs other text compares text", "QTITEM < 'abc'", true);
        add("number vs other text unequal", "QTITEM = 'abc'", false);
        add("text field vs number", "CDFILIAL = 1", true);
        add("text field above number", "NRPEDIDO > 11", true);
        add("text field not a number", "CDERRO = 0", false);
        // Texts: exact, by code points.
        add("text less", "CDFILIAL < '0002'", true);
        add("longer text greater", "CDFILIAL > '000'", true);
        add("text case matters", "CDERRO = 'alt_pr'", false);
        add("trailing blank matters", "CDERRO = 'ALT_PR '", false);
        add("beyond BMP orders above U+FFDA", QStringLiteral("TXSIMBOLO > '\uFFDA'"), true);
        add("accented text", "NMCLIENTE = 'D''Ávila'", true);
        add("accented text order", "NMCLIENTE > 'D''Avila'", true);
        add("text literal vs literal", "'a' < 'b'", true);
        // Dates.
        add("date iso", "DTPEDIDO = '2026-03-10'", true);
        add("date brazilian", "DTPEDIDO = '10/03/2026'", true);
        add("date after", "DTPEDIDO > '09/03/2026'", true);
        add("date before", "DTPEDIDO < '2026-03-11'", true);
        add("date vs moment compares days", "DTPEDIDO < '2026-03-10T12:00:00'", false);
        add("moment vs day", "DTENTREGA = '10/03/2026'", true);
        add("moment after", "DTENTREGA > '2026-03-10T14:00:00'", true);
        add("moment equal brazilian", "DTENTREGA = '10/03/2026 14:30'", true);
        add("moment with seconds", "DTENTREGA < '10/03/2026 14:30:01'", true);
        add("field vs field", "DTENTREGA >= DTPEDIDO", true);
        // Booleans.
        add("boolean S", "BOATIVO = 'S'", true);
        add("boolean N", "BOATIVO = 'N'", false);
        add("boolean one", "BOATIVO = 1", true);
        add("boolean true word", "BOATIVO = 'true'", true);
    }

    void matchesRow()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(bound(text).matches(sampleRow()), expected);
    }

    void rejectsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("message");

        const auto add = [](const char* name, const QString& text, int position, const QString& message) {
            QTest::newRow(name) << text << position << message;
        };
        add("missing close", "(CDFILIAL = '0001'", 18, "expected ')' at position 18");
        add("missing close nested", "((A = 1) AND (B = 2)", 20, "expected ')' at position 20");
        add("unterminated text", "CDFILIAL = '0001", 11, "unterminated text at position 11");
        add("double equals", "CDFILIAL == 1", 10, "expected a field name, text, number or NULL instead of '=' at position 10");
        add("bang equals", "CDFILIAL != 1", 9, "unexpected character '!' at position 9");
        add("field alone", "CDFILIAL", 8,
            "expected a comparison (=, <>, <, >, <=, >=) or IS instead of the end of the filter at position 8");
        add("missing right side", "CDFILIAL = ", 11,
            "expected a field name, text, number or NULL instead of the end of the filter at position 11");
        add("missing left side", "= 1", 0, "expected a field name, text, number or NULL instead of '=' at position 0");
        add("dangling AND", "CDFILIAL = '1' AND", 18,
            "expected a field name, text, number or NULL instead of the end of the filter at position 18");
        add("glued OR", "CDFILIAL = '1' ORX = 2", 15, "expected AND, OR or the end instead of 'ORX' at position 15");
        add("IS without NULL", "CDFILIAL IS 'x'", 12, "expected NULL at position 12");
        add("IS NOT without NULL", "CDFILIAL IS NOT", 15, "expected NULL at position 15");
        add("decimal point alone", "VR > 1.", 7, "expected a digit after the decimal point at position 7");
        add("decimal comma", "VR > 1,5", 6, "unexpected character ',' at position 6");
        add("empty parentheses", "()", 1, "expected a field name, text, number or NULL instead of ')' at position 1");
        add("extra close", "A = 1)", 5, "expected AND, OR or the end instead of ')' at position 5");
        add("keyword as field", "AND = 1", 0, "expected a field name, text, number or NULL instead of 'AND' at position 0");
        add("double quotes", "A = \"x\"", 4, "unexpected character '\"' at position 4");
        add("two comparisons", "A = 1 = 2", 6, "expected AND, OR or the end instead of '=' at position 6");
        add("text then text", "A = 'x' 'y'", 8, "expected AND, OR or the end instead of text at position 8");
        add("LIKE", "A LIKE 'x%'", 2,
            "expected a comparison (=, <>, <, >, <=, >=) or IS instead of 'LIKE' at position 2");
    }

    void rejectsText()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, message);
        try {
            FilterExpression::parse(text);
            QFAIL("parsed");
        } catch (const FilterError& error) {
            QCOMPARE(QString::fromStdString(error.what()), message);
            QCOMPARE(error.position(), position);
        }
    }

    void refusesComparison_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("text that is no date") << "DTPEDIDO = 'ontem'" << "'ontem' is not a date at position 0";
        QTest::newRow("number with date") << "X = 1 OR DTPEDIDO = 5" << "cannot compare a number with a date at position 9";
        QTest::newRow("text that is no boolean") << "BOATIVO = 'talvez'" << "'talvez' is not a boolean (S/N) at position 0";
        QTest::newRow("boolean with date") << "BOATIVO < DTPEDIDO" << "cannot compare a boolean with a date at position 0";
    }

    void refusesComparison()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        FilterExpression filter = FilterExpression::parse(text);
        filter.bind([](const QString& name) { return name == QLatin1String("X") ? int(fieldNames.indexOf("NMNULO")) : indexOfField(name); });
        QCOMPARE(errorOf<FilterError>([&] { filter.matches(sampleRow()); }), message);
    }

    void emptyFilterMatchesEverything_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("  \t ");
    }

    void emptyFilterMatchesEverything()
    {
        QFETCH(QString, text);
        FilterExpression filter = FilterExpression::parse(text);
        QVERIFY(filter.isEmpty());
        QVERIFY(filter.fieldNames().isEmpty());
        filter.bind([](const QString&) { return -1; });
        QVERIFY(filter.matches({}));
        QVERIFY(FilterExpression().matches(sampleRow()));
        QVERIFY(FilterExpression().isEmpty());
    }

    void bindNamesUnknownField()
    {
        FilterExpression filter = FilterExpression::parse(QStringLiteral("CDFILIAL = '0001' AND CDCLIENTE = '1'"));
        try {
            filter.bind(indexOfField);
            QFAIL("bound");
        } catch (const FilterError& error) {
            QCOMPARE(QString::fromStdString(error.what()), QStringLiteral("unknown field \"CDCLIENTE\" at position 22"));
            QCOMPARE(error.position(), 22);
        }
    }

    void fieldNamesAreListedOnce()
    {
        const FilterExpression filter = FilterExpression::parse(QStringLiteral("A = 1 AND (a = 2 OR B IS NULL) AND C > A"));
        QCOMPARE(filter.fieldNames(), QStringList({"A", "B", "C"}));
        QCOMPARE(filter.text(), QStringLiteral("A = 1 AND (a = 2 OR B IS NULL) AND C > A"));
    }

    void bindingACopyLeavesTheOriginal()
    {
        const FilterExpression original = FilterExpression::parse(QStringLiteral("IDMARCADO = 'S'"));
        FilterExpression copy = original;
        copy.bind(indexOfField);
        QVERIFY(copy.matches(sampleRow()));
        QCOMPARE(errorOf<FilterError>([&] { original.matches(sampleRow()); }),
                 QStringLiteral("field \"IDMARCADO\" is not bound to this row at position 0"));
        // A later bind to another layout moves the positions.
        FilterExpression rebound = copy;
        rebound.bind([](const QString&) { return 0; });
        QVERIFY(rebound.matches({QStringLiteral("S")}));
        QVERIFY(copy.matches(sampleRow()));
    }

    void quotedValueStaysOneLiteral_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("expected");
        const QString injection = QStringLiteral("0001' OR 'x'='x");
        QTest::newRow("injection does not widen") << injection << QStringLiteral("0001") << false;
        QTest::newRow("injection matches itself") << injection << injection << true;
        QTest::newRow("apostrophe in name") << QStringLiteral("D'Ávila") << QStringLiteral("D'Ávila") << true;
        QTest::newRow("only quotes") << QStringLiteral("''") << QStringLiteral("''") << true;
        QTest::newRow("trailing quote") << QStringLiteral("0001'") << QStringLiteral("0001") << false;
    }

    void quotedValueStaysOneLiteral()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, expected);
        FilterExpression filter = FilterExpression::parse(QStringLiteral("CDFILIAL = ") + quoteFilterValue(typed) + QStringLiteral("AND IDMARCADO = 'S'"));
        filter.bind(indexOfField);
        QVariantList row = sampleRow();
        row[0] = stored;
        QCOMPARE(filter.matches(row), expected);
        QCOMPARE(quoteFilterValue(QStringLiteral("a'b")), QStringLiteral("'a''b'"));
    }

    void deepNestingIsRefused()
    {
        const QString deep = QString(500, QLatin1Char('(')) + QStringLiteral("A = 1") + QString(500, QLatin1Char(')'));
        const QString nots = QStringLiteral("NOT ").repeated(500) + QStringLiteral("A = 1");
        for (const QString& text : {deep, nots}) {
            const QString error = errorOf<FilterError>([&] { FilterExpression::parse(text); });
            QVERIFY2(error.startsWith(QStringLiteral("filter nested too deeply at position")), qPrintable(error));
        }
        const QString fine = QString(50, QLatin1Char('(')) + QStringLiteral("IDMARCADO = 'S'") + QString(50, QLatin1Char(')'));
        QVERIFY(bound(fine).matches(sampleRow()));
    }
};

QTEST_GUILESS_MAIN(TestFilterExpression)
#include "tst_filterexpression.moc"
