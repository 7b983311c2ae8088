#include "abort.h"
#include "messages.h"
#include "scriptedhost.h"

#include <QtTest>

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void loadsUtf8CatalogFromResources()
    {
        const TMessages catalog(QStringLiteral(":/catalogs/TESTE.msg"));
        QCOMPARE(catalog.count(), 7);
        QCOMPARE(catalog.Msg("N_PARAM"), QStringLiteral("Operação Bloqueada! Não há parametrização para a filial informada."));
    }

    void catalogTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing blank kept") << "DsErro" << "Erro: ";
        QTest::newRow("bars after the first belong to the text") << "Titulo" << "PEDIDO|OBS_CAD";
        QTest::newRow("line break escape") << "Quebra" << "Primeira linha\nSegunda linha";
        QTest::newRow("backslash escape") << "Barra" << "C:\\Config.Cds";
        QTest::newRow("key compared without case") << "dserro" << "Erro: ";
        QTest::newRow("key trimmed") << "Espacos" << "ação com chave cercada de brancos";
    }

    void catalogTexts()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        const TMessages catalog(QStringLiteral(":/catalogs/TESTE.msg"));
        QCOMPARE(catalog.Msg(key), text);
    }

    void missingKeyShowsPlaceholderAndWarns()
    {
        ScriptedHost host;
        const TMessages catalog(QStringLiteral(":/catalogs/TESTE.msg"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Mensagem ausente: Local_Inf"));
        QCOMPARE(catalog.Msg("Local_Inf"), QStringLiteral("[mensagem ausente: Local_Inf]"));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Mensagem ausente: Local_Inf"));
        catalog.ShowMsg("Local_Inf", MsgType::Warning, MsgButton::Ok);
        QCOMPARE(host.messageTexts(MsgType::Warning), QStringList{"[mensagem ausente: Local_Inf]"});
        PED_VERIFY_HOST(host);
    }

    // A catalog text, or a resource file when it starts with ":/".
    void badCatalogsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("duplicate key") << "A|um\nB|dois\nA|três" << "linha 3: chave A repetida";
        QTest::newRow("duplicate with other case") << "Chave|um\nCHAVE|dois" << "linha 2: chave CHAVE repetida";
        QTest::newRow("no bar") << "A|um\nsem barra" << "linha 2: falta a barra";
        QTest::newRow("empty key") << "|texto" << "linha 1: chave vazia";
        QTest::newRow("duplicate in a file names file and line") << ":/catalogs/DUPLICADO.msg"
                                                                 << "DUPLICADO.msg, linha 3: chave Um repetida";
        QTest::newRow("missing file") << ":/catalogs/NAO_EXISTE.msg" << "";
    }

    void badCatalogsRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, complaint);
        try {
            text.startsWith(u":/") ? TMessages(text) : TMessages::fromText(text, "teste");
            QFAIL("the catalog was accepted");
        } catch (const CatalogError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(complaint), error.what());
        }
    }

    void showMsgReturnsTheAnswer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(MsgButton::Yes);
        QTest::newRow("no") << int(MsgButton::No);
    }

    void showMsgReturnsTheAnswer()
    {
        QFETCH(int, answer);
        ScriptedHost host;
        const TMessages catalog = TMessages::fromText("CancelaPedido|Deseja cancelar a inclusão do pedido?", "t");
        host.expectQuestion("cancelar a inclusão do pedido", MsgButton(answer));
        QCOMPARE(catalog.ShowMsg("CancelaPedido", MsgType::Confirmation, MsgButton::Yes | MsgButton::No),
                 MsgButton(answer));
        PED_VERIFY_HOST(host);
    }

    void mensErroAbortsOnlyWhenAsked()
    {
        ScriptedHost host;
        QVERIFY_THROWS_EXCEPTION(Abort, MensErro("Cliente bloqueado.", true));
        MensErro("Só um aviso.", false);
        QCOMPARE(host.messageTexts(MsgType::Error), (QStringList{"Cliente bloqueado.", "Só um aviso."}));
        PED_VERIFY_HOST(host);
    }

    void msgAlertExNumbersButtonsFromTen_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("result");
        QTest::newRow("first") << "Sim" << 10;
        QTest::newRow("second") << "Não" << 11;
    }

    void msgAlertExNumbersButtonsFromTen()
    {
        QFETCH(QString, caption);
        QFETCH(int, result);
        ScriptedHost host;
        host.expectChoice("Deseja restabelecer", caption);
        QCOMPARE(MsgAlertEx("Erro de conexão.\n\nDeseja restabelecer essa conexão?", MsgType::Confirmation,
                            {"Sim", "Não"}),
                 result);
        PED_VERIFY_HOST(host);
    }

    void formatMsg_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << "mais que %s." << QStringList{"10%"} << "mais que 10%.";
        QTest::newRow("two in order") << "%s de %d" << QStringList{"1", "2"} << "1 de 2";
        QTest::newRow("missing argument kept visible") << "a %s b %s" << QStringList{"x"} << "a x b %s";
        QTest::newRow("argument with percent not re-read") << "%s e %s" << QStringList{"%s", "y"} << "%s e y";
    }

    void formatMsg()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QCOMPARE(FormatMsg(text, args), expected);
    }

    void standardCatalogLoads()
    {
        QCOMPARE(msgMensagensPadroes().Msg("Excl_Item"), QStringLiteral("Confirma exclusão do produto?"));
        QVERIFY(msgMensagensPadroes().contains("Liberacao_Titulo"));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
