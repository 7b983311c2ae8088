#pragma once
// The test case of the order entry screen tests: one server over a demo
// database for the class, a new scripted host for each test, and after each
// test the screen closed and the host verified. A message nobody looked at
// fails the test: the screen complained where no one expected it.

#include "lanpedido_screen.h"
#include "scriptedhost.h"

#include <QObject>
#include <QtTest/QtTest>

namespace PedTest {

class LanPedidoTestCase : public QObject, protected TelaTeste {
    Q_OBJECT

protected:
    // What a test class adds: after the server opened, before each test,
    // and after each test once the screen closed.
    virtual void aoAbrirServidor() {}
    virtual void antesDoTeste() {}
    virtual void depoisDoTeste() {}

private slots:
    void initTestCase()
    {
        abreServidor(QString::fromLatin1(metaObject()->className()) + QStringLiteral("_demo"));
        aoAbrirServidor();
    }

    void init()
    {
        scripted = std::make_unique<ScriptedHost>();
        antesDoTeste();
    }

    void cleanup()
    {
        fechaTelaDoTeste();
        depoisDoTeste();
        const QStringList naoLidas = scripted->unreadMessages();
        liberaHost();
        QVERIFY2(naoLidas.isEmpty(), qPrintable(QStringLiteral("Mensagens não esperadas:\n") + naoLidas.join(u'\n')));
    }

    void cleanupTestCase() { fechaServidor(); }
};

} // namespace PedTest
