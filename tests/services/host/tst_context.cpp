#include "context.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
WorkingContext demoContext(const QString& configDir)
{
    WorkingContext context;
    context.empresa = "01";
    context.filial = "0001";
    context.nomeFilial = "MATRIZ";
    context.operador = "DEMO";
    context.dataLogin = QDate(2026, 3, 10);
    context.dataProcFilial.insert("2", QDate(2026, 3, 9));
    context.modulosFilialFixa.insert("ped00100");
    context.webUrl = "127.0.0.1";
    context.webPort = 8211;
    context.mascaras.insert("produto", "9.99.999;0;_");
    context.configDir = configDir;
    return context;
}
} // namespace

class TestContext : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        clearWorkingContext();
    }

    void readingBeforeLogInIsAnError()
    {
        QVERIFY(!hasWorkingContext());
        QVERIFY_THROWS_EXCEPTION(std::logic_error, FiliProc());
        QVERIFY_THROWS_EXCEPTION(std::logic_error, DataProc("0001"));
    }

    void contextAfterLogIn()
    {
        QTemporaryDir folder;
        setWorkingContext(demoContext(folder.path()));
        QCOMPARE(EmprProc(), QStringLiteral("01"));
        QCOMPARE(FiliProc(), QStringLiteral("0001"));
        QCOMPARE(NomeFiliProc(), QStringLiteral("MATRIZ"));
        QCOMPARE(Operador(), QStringLiteral("DEMO"));
        QCOMPARE(WebURL(), QStringLiteral("127.0.0.1"));
        QCOMPARE(WebPort(), 8211);
        QVERIFY(!CanEditRelPadr());
    }

    void processingDatePerBranch_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QDate>("date");
        QTest::newRow("branch with its own date") << "0002" << QDate(2026, 3, 9);
        QTest::newRow("same branch typed short") << "2" << QDate(2026, 3, 9);
        QTest::newRow("other branch gets the log-in date") << "0001" << QDate(2026, 3, 10);
    }

    void processingDatePerBranch()
    {
        QFETCH(QString, branch);
        QFETCH(QDate, date);
        setWorkingContext(demoContext(QString()));
        QCOMPARE(DataProc(branch), date);
    }

    void branchFixedPerModule()
    {
        setWorkingContext(demoContext(QString()));
        QVERIFY(ModuFili("PED00100"));
        QVERIFY(!ModuFili("PED04500"));
    }

    void configFoldersAreCreatedOnDemand()
    {
        QTemporaryDir folder;
        setWorkingContext(demoContext(folder.path() + "/usuarios"));
        QCOMPARE(ConfigUsrDir(), folder.path() + "/usuarios/");
        QCOMPARE(ConfigOperDir(), folder.path() + "/usuarios/DEMO/");
        QVERIFY(QDir(folder.path() + "/usuarios/DEMO").exists());
    }

    void operatorCodeCannotLeaveTheConfigFolder_data()
    {
        QTest::addColumn<QString>("operador");
        QTest::newRow("parent") << "..";
        QTest::newRow("slash") << "a/b";
        QTest::newRow("backslash") << "a\\b";
        QTest::newRow("empty") << "";
    }

    void operatorCodeCannotLeaveTheConfigFolder()
    {
        QFETCH(QString, operador);
        QTemporaryDir folder;
        WorkingContext context = demoContext(folder.path());
        context.operador = operador;
        setWorkingContext(context);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ConfigOperDir());
    }

    void codeMasks()
    {
        setWorkingContext(demoContext(QString()));
        QCOMPARE(DBPict(PictProduto), QStringLiteral("9.99.999;0;_"));
        QCOMPARE(DBPictObj(PictProduto), 3);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, DBPict("NAO_EXISTE"));

        WorkingContext withoutMasks = demoContext(QString());
        withoutMasks.mascaras.clear();
        setWorkingContext(withoutMasks);
        QCOMPARE(DBPict(PictProduto), QString());
        QCOMPARE(DBPictObj(PictProduto), 1);
    }
};

QTEST_MAIN(TestContext)
#include "tst_context.moc"
