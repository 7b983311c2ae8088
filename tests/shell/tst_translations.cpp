// Qt's own buttons and dialogs speak Brazilian Portuguese in the shell.

#include "translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

class TstTranslations : public QObject {
    Q_OBJECT

private slots:
    void standardButtonsArePortuguese_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("yes") << int(QDialogButtonBox::Yes) << QStringLiteral("Sim");
        QTest::newRow("no") << int(QDialogButtonBox::No) << QStringLiteral("Não");
        QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("Cancelar");
    }

    void standardButtonsArePortuguese()
    {
        static const bool installed = installQtTranslations(*QCoreApplication::instance());
        QVERIFY2(installed, "qtbase_pt_BR.qm is missing (Debian package qt6-translations-l10n)");
        QFETCH(int, button);
        QDialogButtonBox box{QDialogButtonBox::StandardButtons(button)};
        QTEST(box.button(QDialogButtonBox::StandardButton(button))->text().remove(QLatin1Char('&')), "text");
    }
};

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
