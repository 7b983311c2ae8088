#include "errorof.h"
#include "lookupquery.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <functional>

namespace {

const char* const sqliteConnection = "tst_lookupquery_sqlite";
const char* const postgresConnection = "tst_lookupquery_pg";
const char* const postgresAdminConnection = "tst_lookupquery_pg_admin";

void exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(sql);   // DDL cannot be prepared on PostgreSQL
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        done = query.exec();
    }
    if (!done)
        throw std::runtime_error((sql + QStringLiteral(": ") + query.lastError().text()).toStdString());
}

void createSchema(const QSqlDatabase& db)
{
    exec(db, QStringLiteral("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY, nmFilial VARCHAR(30))"));
    exec(db, QStringLiteral("CREATE TABLE PEDIDO (CDFILIAL VARCHAR(4), NRPEDIDO VARCHAR(10), DTPEDIDO TIMESTAMP, DTENTREGA DATE,"
                            " DTCANCEL TIMESTAMP, VRTOTAL DOUBLE PRECISION, QTITENS INTEGER, IDATIVO BOOLEAN, DSOBS TEXT)"));
    for (const auto& [code, name] : {std::pair{"0001", "Matriz São Paulo"}, std::pair{"0002", "Filial Campinas"},
                                     std::pair{"0003", "Filial D'Oeste"}})
        exec(db, QStringLiteral("INSERT INTO FILIAL VALUES (?, ?)"), {QString::fromLatin1(code), QString::fromUtf8(name)});
    exec(db, QStringLiteral("INSERT INTO PEDIDO VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {QStringLiteral("0001"), QStringLiteral("0000000012"), QDateTime(QDate(2026, 3, 10), QTime(14, 30)), QDate(2026, 3, 20),
          QVariant(), 100.0, 3, true, QStringLiteral("entregar pela manhã")});
    exec(db, QStringLiteral("INSERT INTO PEDIDO VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {QStringLiteral("0001"), QStringLiteral("0000000013"), QDateTime(QDate(2026, 3, 11), QTime(9, 5, 7)), QDate(2026, 3, 21),
          QVariant(), 12.35, 1, false, QVariant()});
}

const QString filiDestSql = QStringLiteral(
    "SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE ( CDFILIAL = :P_CDFILIAL OR :P_TCDFILIAL = 'T') ORDER BY CDFILIAL");

} // namespace

class TestLookupQuery : public QObject {
    Q_OBJECT

private slots:
    // Every test runs on SQLite, and on PostgreSQL when a server is given.
    void initTestCase_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::newRow("sqlite") << QString::fromLatin1(sqliteConnection);
        if (!qEnvironmentVariableIsEmpty("PED_TEST_PG_URL"))
            QTest::newRow("postgres") << QString::fromLatin1(postgresConnection);
    }

    void initTestCase()
    {
        QSqlDatabase sqlite = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(sqliteConnection));
        sqlite.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY2(sqlite.open(), qPrintable(sqlite.lastError().text()));
        createSchema(sqlite);

        const QString url = qEnvironmentVariable("PED_TEST_PG_URL");
        if (url.isEmpty())
            return;
        const QUrl parsed(url);
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QLatin1String(postgresAdminConnection));
        admin.setHostName(parsed.host());
        admin.setPort(parsed.port(5432));
        admin.setUserName(parsed.userName());
        admin.setPassword(parsed.password());
        admin.setDatabaseName(parsed.path().mid(1));
        QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
        m_postgresName = QStringLiteral("tst_lookupquery_%1").arg(QCoreApplication::applicationPid());
        exec(admin, QStringLiteral("DROP DATABASE IF EXISTS ") + m_postgresName);
        exec(admin, QStringLiteral("CREATE DATABASE ") + m_postgresName);

        QSqlDatabase postgres = QSqlDatabase::cloneDatabase(admin, QLatin1String(postgresConnection));
        postgres.setDatabaseName(m_postgresName);
        QVERIFY2(postgres.open(), qPrintable(postgres.lastError().text()));
        createSchema(postgres);
    }

    void cleanupTestCase()
    {
        if (QSqlDatabase::contains(QLatin1String(postgresConnection))) {
            QSqlDatabase::database(QLatin1String(postgresConnection)).close();
            QSqlDatabase::removeDatabase(QLatin1String(postgresConnection));
            exec(QSqlDatabase::database(QLatin1String(postgresAdminConnection)), QStringLiteral("DROP DATABASE ") + m_postgresName);
        }
    }

    void optionalFilter_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one branch") << "0002" << false << QStringList{"0002"};
        QTest::newRow("all branches") << "" << true << QStringList{"0001", "0002", "0003"};
        QTest::newRow("all wins over value") << "0002" << true << QStringList{"0001", "0002", "0003"};
        QTest::newRow("unknown branch") << "9999" << false << QStringList{};
    }

    void optionalFilter()
    {
        QFETCH(QString, branch);
        QFETCH(bool, all);
        QFETCH(QStringList, expected);
        LookupQuery qryFiliDest(QStringLiteral("qryFiliDest"), database(), filiDestSql);
        qryFiliDest.setOptionalParam(QStringLiteral("P_CDFILIAL"), branch, all);
        QCOMPARE(qryFiliDest.param(QStringLiteral("P_TCDFILIAL")).toString(), all ? QStringLiteral("T") : QString());
        qryFiliDest.open();
        QStringList codes;
        for (qryFiliDest.first(); !qryFiliDest.eof(); qryFiliDest.next())
            codes.append(qryFiliDest.fieldByName(QStringLiteral("CDFILIAL")).asString());
        QCOMPARE(codes, expected);
        QCOMPARE(qryFiliDest.recordCount(), expected.size());
        QCOMPARE(qryFiliDest.isEmpty(), expected.isEmpty());
    }

    void parameterFaults_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<std::function<void(LookupQuery&)>>("action");
        QTest::addColumn<QString>("message");

        using Action = std::function<void(LookupQuery&)>;
        QTest::newRow("switch not set") << filiDestSql
                                        << Action([](LookupQuery& q) { q.setParam("P_CDFILIAL", "0001"); q.open(); })
                                        << "qryTeste: no value for parameter P_TCDFILIAL";
        QTest::newRow("nothing set") << filiDestSql << Action([](LookupQuery& q) { q.open(); })
                                     << "qryTeste: no value for parameter P_CDFILIAL, P_TCDFILIAL";
        QTest::newRow("misspelt name") << filiDestSql << Action([](LookupQuery& q) { q.setParam("P_CDFILAL", "0001"); })
                                       << "qryTeste: parameter \"P_CDFILAL\" is not in the query";
        QTest::newRow("name with colon") << filiDestSql << Action([](LookupQuery& q) { q.setParam(":P_CDFILIAL", "0001"); })
                                         << "qryTeste: parameter \":P_CDFILIAL\" is not in the query";
        QTest::newRow("switch missing from text")
            << QStringLiteral("SELECT * FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL")
            << Action([](LookupQuery& q) { q.setOptionalParam("P_CDFILIAL", "0001", false); })
            << "qryTeste: parameter \"P_TCDFILIAL\" is not in the query";
        QTest::newRow("optional without P_") << filiDestSql
                                             << Action([](LookupQuery& q) { q.setOptionalParam("CDFILIAL", "0001", false); })
                                             << "qryTeste: optional parameter \"CDFILIAL\" must begin with P_";
        QTest::newRow("reading a value never set") << filiDestSql << Action([](LookupQuery& q) { q.param("P_OUTRO"); })
                                                   << "qryTeste: parameter \"P_OUTRO\" is not in the query";
        QTest::newRow("writes refused") << QStringLiteral("DELETE FROM FILIAL")
                                        << Action([](LookupQuery& q) { q.open(); })
                                        << "qryTeste: a look-up query only reads; it must begin with SELECT or WITH";
        QTest::newRow("write after comment refused") << QStringLiteral("/* x */ -- y\n UPDATE FILIAL SET NMFILIAL = ''")
                                                     << Action([](LookupQuery& q) { q.open(); })
                                                     << "qryTeste: a look-up query only reads; it must begin with SELECT or WITH";
        QTest::newRow("field of a closed query") << filiDestSql << Action([](LookupQuery& q) { q.fieldByName("CDFILIAL"); })
                                                 << "qryTeste: the query is not open";
        QTest::newRow("unknown field")
            << QStringLiteral("SELECT CDFILIAL FROM FILIAL")
            << Action([](LookupQuery& q) { q.open(); q.fieldByName("NMFILIAL"); })
            << "qryTeste: field \"NMFILIAL\" not found";
        QTest::newRow("row out of range")
            << QStringLiteral("SELECT CDFILIAL FROM FILIAL")
            << Action([](LookupQuery& q) { q.open(); q.setCurrentRow(3); })
            << "qryTeste: row 3 is out of range (3 rows)";
    }

    void parameterFaults()
    {
        QFETCH(QString, sql);
        QFETCH(std::function<void(LookupQuery&)>, action);
        QFETCH(QString, message);
        LookupQuery query(QStringLiteral("qryTeste"), database(), sql);
        QCOMPARE(errorOf<LookupQueryError>([&] { action(query); }), message);
    }

    void valuesAreBoundNotPasted()
    {
        LookupQuery query(QStringLiteral("qryFiliDest"), database(), filiDestSql);
        query.setOptionalParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("0001' OR '1'='1"), false);
        query.open();
        QVERIFY(query.isEmpty());
        query.setOptionalParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("x'); DELETE FROM FILIAL; --"), false);
        query.open();
        QVERIFY(query.isEmpty());

        LookupQuery byName(QStringLiteral("qryNome"), database(), QStringLiteral("SELECT CDFILIAL FROM FILIAL WHERE NMFILIAL = :P_NMFILIAL"));
        byName.setParam(QStringLiteral("p_nmfilial"), QStringLiteral("Filial D'Oeste"));
        byName.open();
        QCOMPARE(byName.recordCount(), 1);
        QCOMPARE(byName.fieldByName(QStringLiteral("CDFILIAL")).asString(), QStringLiteral("0003"));

        LookupQuery count(QStringLiteral("qryConta"), database(), QStringLiteral("SELECT COUNT(*) AS N FROM FILIAL"));
        count.open();
        QCOMPARE(count.fieldByName(QStringLiteral("N")).asInteger(), 3);
    }

    void repeatedParameterTakesOneValue()
    {
        LookupQuery query(QStringLiteral("qryPesq"), database(),
                          QStringLiteral("SELECT CDFILIAL FROM FILIAL WHERE (CDFILIAL = :P_CDFILIAL OR :P_CDFILIAL IS NULL) "
                                         "AND (NMFILIAL <> :p_nome OR :P_NOME IS NULL) ORDER BY 1"));
        QCOMPARE(query.paramNames(), QStringList({"P_CDFILIAL", "p_nome"}));
        query.setParam(QStringLiteral("P_CDFILIAL"), QVariant());
        query.setParam(QStringLiteral("P_NOME"), QVariant());
        query.open();
        QCOMPARE(query.recordCount(), 3);
        query.setParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("0002"));
        query.open();
        QCOMPARE(query.recordCount(), 1);
        QCOMPARE(query.fieldByName(QStringLiteral("cdfilial")).asString(), QStringLiteral("0002"));
    }

    void namesInLiteralsAndCommentsAreNotParameters()
    {
        const bool postgres = database().driverName() == QLatin1String("QPSQL");
        const QString sql = QStringLiteral("SELECT ':P_NAO' AS TX, 'it''s :P_NAO2' AS TY, CDFILIAL%1 AS CD /* :P_BLOCO */ FROM FILIAL\n"
                                           "WHERE CDFILIAL = :P_CDFILIAL -- :P_COMENTARIO\n")
                                .arg(postgres ? QStringLiteral("::text") : QString());
        LookupQuery query(QStringLiteral("qryLiteral"), database(), sql);
        QCOMPARE(query.paramNames(), QStringList({"P_CDFILIAL"}));
        query.setParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("0001"));
        query.open();
        QCOMPARE(query.fieldByName(QStringLiteral("TX")).asString(), QStringLiteral(":P_NAO"));
        QCOMPARE(query.fieldByName(QStringLiteral("TY")).asString(), QStringLiteral("it's :P_NAO2"));
        QCOMPARE(query.fieldByName(QStringLiteral("CD")).asString(), QStringLiteral("0001"));
    }

    void columnsComeBackUpperCase()
    {
        LookupQuery query(QStringLiteral("qryCaixa"), database(),
                          QStringLiteral("SELECT cdFilial, nmfilial AS Nome, F.CDFILIAL, 1 AS um FROM FILIAL F ORDER BY 1"));
        query.open();
        QStringList names;
        for (const FieldDef& field : query.fields())
            names.append(field.name);
        QCOMPARE(names, QStringList({"CDFILIAL", "NOME", "CDFILIAL_1", "UM"}));
        QCOMPARE(query.fieldByName(QStringLiteral("nome")).asString(), QStringLiteral("Matriz São Paulo"));
        QCOMPARE(query.fieldByName(QStringLiteral("Nome")).name(), QStringLiteral("NOME"));
    }

    void typesAndPacket()
    {
        LookupQuery query(QStringLiteral("qryPedido"), database(),
                          QStringLiteral("SELECT NRPEDIDO, DTPEDIDO, DTENTREGA, DTCANCEL, VRTOTAL, QTITENS, IDATIVO, DSOBS, "
                                         "VRTOTAL * 2 AS VRDOBRO FROM PEDIDO WHERE CDFILIAL = :P_CDFILIAL ORDER BY NRPEDIDO"));
        query.setParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("0001"));
        query.open();
        const DataPacket packet = query.toPacket();
        QList<FieldType> types;
        for (const FieldDef& field : packet.fields)
            types.append(field.type);
        QCOMPARE(types, QList<FieldType>({FieldType::String, FieldType::DateTime, FieldType::Date, FieldType::DateTime, FieldType::Float,
                                          FieldType::Integer, FieldType::Boolean, FieldType::String, FieldType::Float}));
        const bool postgres = database().driverName() == QLatin1String("QPSQL");
        QCOMPARE(packet.fields[0].size, postgres ? 10 : 0);   // SQLite does not tell declared sizes

        QCOMPARE(packet.rows.size(), 2);
        QCOMPARE(packet.rows[0], QVariantList({QStringLiteral("0000000012"), QDateTime(QDate(2026, 3, 10), QTime(14, 30)),
                                               QDate(2026, 3, 20), QVariant(), 100.0, qlonglong(3), true,
                                               QStringLiteral("entregar pela manhã"), 200.0}));
        QCOMPARE(packet.rows[1][1], QVariant(QDateTime(QDate(2026, 3, 11), QTime(9, 5, 7))));
        QCOMPARE(packet.rows[1][7], QVariant());
        QCOMPARE(packet.rows[0][4].metaType().id(), QMetaType::Double);
        QCOMPARE(packet.rows[0][5].metaType().id(), QMetaType::LongLong);

        const DataPacket reread = DataPacket::fromBytes(packet.toBytes());
        QCOMPARE(reread.rows, packet.rows);
        QCOMPARE(reread.fields, packet.fields);
    }

    void navigation()
    {
        LookupQuery query(QStringLiteral("qryFiliDest"), database(), filiDestSql);
        QVERIFY(!query.isOpen());
        query.setOptionalParam(QStringLiteral("P_CDFILIAL"), QString(), true);
        query.open();
        QVERIFY(query.isOpen());
        QCOMPARE(query.currentRow(), 0);
        QVERIFY(!query.eof());
        query.next();
        query.next();
        QCOMPARE(query.fieldByName(QStringLiteral("CDFILIAL")).asString(), QStringLiteral("0003"));
        QVERIFY(!query.eof());
        query.next();
        QVERIFY(query.eof());
        QCOMPARE(query.fieldByName(QStringLiteral("CDFILIAL")).asString(), QStringLiteral("0003"));   // stays on the last row
        query.setCurrentRow(1);
        QVERIFY(!query.eof());
        QCOMPARE(query.fieldByName(QStringLiteral("NMFILIAL")).asString(), QStringLiteral("Filial Campinas"));
        QCOMPARE(query.value(0, 1).toString(), QStringLiteral("Matriz São Paulo"));

        query.setOptionalParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("9999"), false);
        query.open();
        QVERIFY(query.isEmpty());
        QVERIFY(query.eof());
        QCOMPARE(query.currentRow(), -1);
        const ResultField empty = query.fieldByName(QStringLiteral("CDFILIAL"));
        QVERIFY(empty.isNull());
        QCOMPARE(empty.asString(), QString());
        QCOMPARE(query.toPacket().fields.size(), 2);

        query.close();
        QVERIFY(!query.isOpen());
        QCOMPARE(errorOf<LookupQueryError>([&] { query.toPacket(); }), QStringLiteral("qryFiliDest: the query is not open"));
    }

    void statedFieldType()
    {
        LookupQuery query(QStringLiteral("qryTexto"), database(),
                          QStringLiteral("SELECT CDFILIAL AS TXDIA, NRPEDIDO AS NRNUM FROM PEDIDO ORDER BY NRPEDIDO"));
        query.setFieldType(QStringLiteral("nrnum"), FieldType::Integer);
        query.open();
        QCOMPARE(query.fields()[1].type, FieldType::Integer);
        QCOMPARE(query.value(0, 1), QVariant(qlonglong(12)));

        query.setFieldType(QStringLiteral("TXDIA"), FieldType::Date);
        QCOMPARE(errorOf<LookupQueryError>([&] { query.open(); }), QStringLiteral("qryTexto: row 1, field \"TXDIA\": '0001' is not a date"));
        QVERIFY(!query.isOpen());
    }

    void newTextForgetsValues()
    {
        LookupQuery query(QStringLiteral("qryFiliDest"), database(), filiDestSql);
        query.setOptionalParam(QStringLiteral("P_CDFILIAL"), QStringLiteral("0001"), false);
        QCOMPARE(query.param(QStringLiteral("p_cdfilial")).toString(), QStringLiteral("0001"));
        QVERIFY(query.hasParam(QStringLiteral("P_TCDFILIAL")));
        QVERIFY(!query.hasParam(QStringLiteral("P_TODOS")));
        query.setSql(filiDestSql);
        QCOMPARE(errorOf<LookupQueryError>([&] { query.open(); }), QStringLiteral("qryFiliDest: no value for parameter P_CDFILIAL, P_TCDFILIAL"));
    }

    void readingResultFields_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<double>("asFloat");

        QTest::newRow("null") << QVariant() << QString() << 0.0;
        QTest::newRow("text") << QVariant(QStringLiteral("0001")) << QStringLiteral("0001") << 1.0;
        QTest::newRow("text decimal comma") << QVariant(QStringLiteral("12,5")) << QStringLiteral("12,5") << 12.5;
        QTest::newRow("text decimal point") << QVariant(QStringLiteral(" 12.5 ")) << QStringLiteral(" 12.5 ") << 12.5;
        QTest::newRow("float") << QVariant(1234.5) << QStringLiteral("1234,5") << 1234.5;
        QTest::newRow("whole float") << QVariant(100.0) << QStringLiteral("100") << 100.0;
        QTest::newRow("integer") << QVariant(qlonglong(42)) << QStringLiteral("42") << 42.0;
        QTest::newRow("date") << QVariant(QDate(2026, 3, 10)) << QStringLiteral("10/03/2026") << -1.0;
        QTest::newRow("datetime") << QVariant(QDateTime(QDate(2026, 3, 10), QTime(14, 30))) << QStringLiteral("10/03/2026 14:30:00") << -1.0;
    }

    void readingResultFields()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, asString);
        QFETCH(double, asFloat);
        const ResultField field(QStringLiteral("CAMPO"), FieldType::String, value);
        QCOMPARE(field.asString(), asString);
        if (asFloat >= 0)
            QCOMPARE(field.asFloat(), asFloat);
    }

    void unreadableResultFields_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<std::function<void(const ResultField&)>>("read");
        QTest::addColumn<QString>("message");

        using Read = std::function<void(const ResultField&)>;
        QTest::newRow("text as float") << QVariant(QStringLiteral("abc")) << Read([](const ResultField& f) { f.asFloat(); })
                                       << "field \"CAMPO\": 'abc' is not a number";
        QTest::newRow("grouped number as float") << QVariant(QStringLiteral("1.234,5")) << Read([](const ResultField& f) { f.asFloat(); })
                                                 << "field \"CAMPO\": '1.234,5' is not a number";
        QTest::newRow("empty text as float") << QVariant(QString("")) << Read([](const ResultField& f) { f.asFloat(); })
                                             << "field \"CAMPO\": '' is not a number";
        QTest::newRow("fraction as integer") << QVariant(2.5) << Read([](const ResultField& f) { f.asInteger(); })
                                             << "field \"CAMPO\": '2.5' is not an integer";
        QTest::newRow("text as boolean") << QVariant(QStringLiteral("talvez")) << Read([](const ResultField& f) { f.asBoolean(); })
                                         << "field \"CAMPO\": 'talvez' is not a boolean";
        QTest::newRow("text as date") << QVariant(QStringLiteral("ontem")) << Read([](const ResultField& f) { f.asDate(); })
                                      << "field \"CAMPO\": 'ontem' is not a date";
        QTest::newRow("number as date-time") << QVariant(5) << Read([](const ResultField& f) { f.asDateTime(); })
                                             << "field \"CAMPO\": '5' is not a date-time";
    }

    void unreadableResultFields()
    {
        QFETCH(QVariant, value);
        QFETCH(std::function<void(const ResultField&)>, read);
        QFETCH(QString, message);
        const ResultField field(QStringLiteral("CAMPO"), FieldType::String, value);
        QCOMPARE(errorOf<LookupQueryError>([&] { read(field); }), message);

        const ResultField null(QStringLiteral("CAMPO"), FieldType::String, QVariant());
        QCOMPARE(null.asInteger(), 0);
        QCOMPARE(null.asBoolean(), false);
        QVERIFY(!null.asDate().isValid());
        QCOMPARE(ResultField(QStringLiteral("ID"), FieldType::String, QStringLiteral("s")).asBoolean(), true);
        QCOMPARE(ResultField(QStringLiteral("DT"), FieldType::String, QStringLiteral("10/03/2026")).asDate(), QDate(2026, 3, 10));
        QCOMPARE(ResultField(QStringLiteral("DT"), FieldType::DateTime, QDateTime(QDate(2026, 3, 10), QTime(8, 0))).asDate(),
                 QDate(2026, 3, 10));
    }

private:
    QSqlDatabase database() const;

    QString m_postgresName;
};

QSqlDatabase TestLookupQuery::database() const
{
    QFETCH_GLOBAL(QString, connection);
    return QSqlDatabase::database(connection);
}

QTEST_GUILESS_MAIN(TestLookupQuery)
#include "tst_lookupquery.moc"
