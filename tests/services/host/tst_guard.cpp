#include "abort.h"
#include "busy.h"
#include "guard.h"
#include "messages.h"
#include "scriptedhost.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

class Receiver : public QObject {
public:
    void postItem() { MensErro("Quantidade deve ser informada.", true); }
    void takeChecked(bool checked) { lastChecked = checked; throw std::runtime_error("falhou com o botão"); }
    bool lastChecked = false;
};

class TestGuard : public QObject {
    Q_OBJECT

private slots:
    void guardReportsFailures_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<QStringList>("errors");

        QTest::newRow("no failure") << 0 << true << QStringList{};
        QTest::newRow("Abort is silent") << 1 << false << QStringList{};
        QTest::newRow("MensErro shows once") << 2 << false << QStringList{"Cliente bloqueado."};
        QTest::newRow("std::exception shown") << 3 << false << QStringList{"Saldo não pôde ser lido"};
        QTest::newRow("unknown failure shown") << 4 << false << QStringList{"Ocorreu uma falha desconhecida."};
        QTest::newRow("failure without text") << 5 << false << QStringList{"Ocorreu uma falha sem descrição."};
    }

    void guardReportsFailures()
    {
        QFETCH(int, failure);
        QFETCH(bool, completed);
        QFETCH(QStringList, errors);
        ScriptedHost host;
        if (failure >= 3)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Falha na ação"));
        const bool result = guarded([&] {
            switch (failure) {
            case 1: throw Abort();
            case 2: MensErro("Cliente bloqueado.", true); break;
            case 3: throw std::runtime_error("Saldo não pôde ser lido");
            case 4: throw 42;
            case 5: throw std::runtime_error("");
            }
        });
        QCOMPARE(result, completed);
        QCOMPARE(host.messageTexts(MsgType::Error), errors);
        PED_VERIFY_HOST(host);
    }

    void guardWithoutHostOnlyLogs()
    {
        QVERIFY(!hasHost());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Falha na ação"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("não pôde ser mostrada"));
        QVERIFY(!guarded([] { throw std::runtime_error("sem host"); }));
    }

    void failureInATimerDoesNotCrossTheEventLoop()
    {
        ScriptedHost host;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Falha na ação"));
        bool ran = false;
        QTimer::singleShot(0, [&] {
            guarded([&] {
                ran = true;
                throw std::logic_error("falha no temporizador");
            });
        });
        QTRY_VERIFY(ran);
        QCOMPARE(host.messageTexts(MsgType::Error), QStringList{"falha no temporizador"});
        PED_VERIFY_HOST(host);
    }

    void connectGuardedRunsHandlersGuarded()
    {
        ScriptedHost host;
        QPushButton button;
        button.setCheckable(true);
        Receiver receiver;
        connectGuarded(&button, &QPushButton::clicked, &receiver, &Receiver::postItem);
        connectGuarded(&button, &QPushButton::clicked, &receiver, &Receiver::takeChecked);
        int plainCalls = 0;
        connectGuarded(&button, &QPushButton::clicked, &receiver, [&] { ++plainCalls; });

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Falha na ação"));
        button.click();
        QVERIFY(receiver.lastChecked);
        QCOMPARE(plainCalls, 1);
        QCOMPARE(host.messageTexts(MsgType::Error),
                 (QStringList{"Quantidade deve ser informada.", "falhou com o botão"}));
        PED_VERIFY_HOST(host);
    }

    void busyNests()
    {
        ScriptedHost host;
        ActiveShowAvi(nullptr, BusyStyle::Aguarde);
        ActiveShowAvi(nullptr, BusyStyle::Processando);   // a server call inside a longer action
        QCOMPARE(busyDepth(), 2);
        QCOMPARE(host.busyShows(), 1);
        QCOMPARE(host.lastBusyStyle(), BusyStyle::Aguarde);

        DeactiveShowAvi();
        QVERIFY(host.busyVisible());
        DeactiveShowAvi();
        QVERIFY(!host.busyVisible());
        QCOMPARE(host.busyHides(), 1);
        PED_VERIFY_HOST(host);
    }

    void busyScopeEndsWhenAFailurePasses()
    {
        ScriptedHost host;
        guarded([] {
            BusyScope busy(nullptr);
            MensErro("Falhou no meio.", true);
        });
        QCOMPARE(busyDepth(), 0);
        QCOMPARE(host.busyShows(), host.busyHides());
        PED_VERIFY_HOST(host);
    }

    void unbalancedEndIsIgnoredButReported()
    {
        ScriptedHost host;
        ActiveShowAvi(nullptr, BusyStyle::Aguarde);
        DeactiveShowAvi();
        DeactiveShowAvi();
        QCOMPARE(busyDepth(), 0);
        QCOMPARE(busyUnbalancedEnds(), 1);
        QVERIFY(host.problems().contains("DeactiveShowAvi chamado 1 vez(es) sem ActiveShowAvi aberto"));
    }

    void busyLeftOnIsReported()
    {
        ScriptedHost host;
        ActiveShowAvi(nullptr, BusyStyle::Aguarde);
        QVERIFY(host.problems().contains("Indicador de ocupado ainda ligado"));
        DeactiveShowAvi();
        PED_VERIFY_HOST(host);
    }
};

QTEST_MAIN(TestGuard)
#include "tst_guard.moc"
