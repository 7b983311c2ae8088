#include "loadbpl.h"
#include "scriptedhost.h"

#include <QtTest>

class TestLoadBPL : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setModulesDir(QStringLiteral(PED_TEST_MODULES_DIR));
    }

    void registeredScreenOpensWithItsArguments()
    {
        ScriptedHost host;
        QVariantList received;
        registerScreen("TST23100", [&](const QVariantList& args) { received = args; });
        QVERIFY(LoadBPL("tst23100", {"000123", "CLIENTE TESTE", "OK"}));
        QCOMPARE(received, (QVariantList{"000123", "CLIENTE TESTE", "OK"}));
        unregisterScreen("TST23100");
        PED_VERIFY_HOST(host);
    }

    void screenRegisteredTwiceIsRefused()
    {
        registerScreen("TST00700", [](const QVariantList&) {});
        QVERIFY_THROWS_EXCEPTION(std::logic_error, registerScreen("tst00700", [](const QVariantList&) {}));
        unregisterScreen("TST00700");
        QVERIFY(!isScreenRegistered("TST00700"));
    }

    void moduleIsLoadedAndStartedThroughIniProc()
    {
        ScriptedHost host;
        QVERIFY(LoadBPL("PEDTEST01", {"M"}));
        QVERIFY(LoadBPL("PEDTEST01", {"0001", 12}));   // loaded once, started again
        QCOMPARE(host.messageTexts(MsgType::Information),
                 (QStringList{"PEDTEST01 aberto: M", "PEDTEST01 aberto: 0001,12"}));
        PED_VERIFY_HOST(host);
    }

    void moduleWritesThroughAReferenceArgument()
    {
        ScriptedHost host;
        bool answer = false;
        QVERIFY(LoadBPL("PEDTEST01", {"achados", QVariant::fromValue(&answer), "X"}));
        QVERIFY(answer);
        QVERIFY(host.hasMessage("PEDTEST01 aberto: achados,<ref>,X"));
        PED_VERIFY_HOST(host);
    }

    void screensThatCannotOpen_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown code") << "PED04500" << "Tela PED04500 não encontrada.";
        QTest::newRow("path in the code") << "../PEDTEST01" << "Tela ../PEDTEST01 não encontrada.";
        QTest::newRow("empty code") << "" << "Tela  não encontrada.";
        QTest::newRow("library without IniProc") << "PEDTEST02" << "Não foi possível carregar a tela PEDTEST02:";
    }

    void screensThatCannotOpen()
    {
        QFETCH(QString, code);
        QFETCH(QString, message);
        ScriptedHost host;
        if (code == u"PEDTEST02")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("não carregado"));
        QVERIFY(!LoadBPL(code, {}));
        QCOMPARE(host.messageTexts(MsgType::Error).size(), 1);
        QVERIFY2(host.messageTexts(MsgType::Error).first().startsWith(message),
                 qPrintable(host.messageTexts(MsgType::Error).first()));
        PED_VERIFY_HOST(host);
    }

    void hostCanStandInForAScreen()
    {
        ScriptedHost host;
        bool reviewAnswer = false;
        host.onScreen("PED00105", [](const QVariantList& args) { *args.at(1).value<bool*>() = true; });
        QVERIFY(LoadBPL("PED00105", {"achados", QVariant::fromValue(&reviewAnswer), "X"}));
        QVERIFY(reviewAnswer);
        QCOMPARE(host.screenCalls().size(), 1);
        QCOMPARE(host.screenCalls().first().code, QStringLiteral("PED00105"));
        QCOMPARE(host.screenCalls().first().args.at(2).toString(), QStringLiteral("X"));
        PED_VERIFY_HOST(host);
    }
};

QTEST_MAIN(TestLoadBPL)
#include "tst_loadbpl.moc"
