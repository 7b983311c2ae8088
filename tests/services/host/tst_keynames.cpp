// Shortcuts read with the names of a Brazilian keyboard wherever Qt writes
// them (menus, hints, help pages).

#include "keynames.h"

#include <QKeySequence>
#include <QtTest/QtTest>

class TstKeyNames : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { instalaNomesDasTeclas(); }

    void names_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("previous window") << QKeySequence(QKeySequence::PreviousChild) << "Ctrl+Shift+Tab";
        QTest::newRow("include") << QKeySequence(Qt::Key_Insert) << "Insert";
        QTest::newRow("delete") << QKeySequence(Qt::CTRL | Qt::Key_Delete) << "Ctrl+Delete";
        QTest::newRow("confirm") << QKeySequence(Qt::CTRL | Qt::Key_Return) << "Ctrl+Enter";
        QTest::newRow("cancel") << QKeySequence(Qt::Key_Escape) << "Esc";
        QTest::newRow("function key") << QKeySequence(Qt::Key_F10) << "F10";
        QTest::newRow("letter") << QKeySequence(Qt::CTRL | Qt::Key_L) << "Ctrl+L";
        QTest::newRow("arrow") << QKeySequence(Qt::ALT | Qt::Key_Down) << "Alt+Seta para baixo";
    }

    void names()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, text);
        QCOMPARE(keys.toString(QKeySequence::NativeText), text);
    }

    // Installing twice changes nothing; texts of other contexts are left to Qt.
    void onceAndOnlyKeys()
    {
        instalaNomesDasTeclas();
        QCOMPARE(QKeySequence(Qt::Key_Insert).toString(QKeySequence::NativeText), QStringLiteral("Insert"));
        QCOMPARE(QCoreApplication::translate("QDialogButtonBox", "Cancel"), QStringLiteral("Cancel"));
    }
};

QTEST_MAIN(TstKeyNames)
#include "tst_keynames.moc"
