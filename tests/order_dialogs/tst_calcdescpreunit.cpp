// The unit-price calculator over the demo database (branch 0001: a band of
// +10 % / -5 % around the parameter price, operator group "01"): what the
// input checks refuse, the preview against what the confirmation stores,
// the supervisor's release the server asks for, and opened from the order
// entry screen's discount menu.

#include "../order_entry/lanpedido_screen.h"

#include "autorizadialog.h"
#include "calcdescpreunit.h"
#include "datapacket.h"
#include "dialogos_pedido.h"
#include "guard.h"
#include "method_catalogue.h"
#include "money.h"
#include "netconnection.h"
#include "recordset.h"
#include "serverresult.h"
#include "widgets/numberedit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

const QString altMaior = QStringLiteral("Operador logado não tem permissão no grupo de operadores para alterar o preço unitário dos "
                                        "itens em um percentual maior que 10%.");
const QString sucesso = QStringLiteral("Preço unitário alterado com sucesso.");

// The input: "P+" / "P-" a percentage up or down, "P" without an action,
// "V" a new price, "" no mode.
void informa(TfrmCalcDescPreUnit& dialog, const QString& modo, double valor, bool todos)
{
    (todos ? dialog.rbtTodos : dialog.rbtApenas)->setChecked(true);
    if (modo.startsWith(u'P')) {
        dialog.chbPercentual->click();
        dialog.nedPercentual->setValue(valor);
        if (modo.size() > 1)
            (modo.endsWith(u'+') ? dialog.rbtAcrescimo : dialog.rbtDesconto)->setChecked(true);
    } else if (modo == u"V") {
        dialog.chbValor->click();
        dialog.nedValor->setValue(valor);
    }
}

} // namespace

class TstCalcDescPreUnit : public QObject, public TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { scripted = std::make_unique<ScriptedHost>(); }
    void cleanup();
    void cleanupTestCase();

    void validacoes_data();
    void validacoes();
    void confirma_data();
    void confirma();
    void respostas_data();
    void respostas();
    void pelaTelaDePedidos();

private:
    void abre(const std::function<void(TfrmCalcDescPreUnit&)>& drive);

    TNetConnection* netLanPed = nullptr;
    QObject owner;
    PedTest::PedidoDeTeste m_pedido;
    QString pedido;
    QStringList itens;
};

void TstCalcDescPreUnit::initTestCase()
{
    abreServidor(QStringLiteral("tst_calcdescpreunit_demo"));
    netLanPed = new TNetConnection(ServerNames::LanPedido, &owner);
    m_pedido = PedTest::PedidoDeTeste::encontra(demo);
    pedido = m_pedido.pedido;
    itens = m_pedido.itens;
    // The band is around the items' own prices.
    execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET VRPRPARPRECO = VRPREUNITPED, VRDESITPED = 0 WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
            {pedido});
}

void TstCalcDescPreUnit::cleanup()
{
    fechaTelaDoTeste();
    liberaHost();
    m_pedido.restauraPrecos(demo);
    execSql(demo, QStringLiteral("UPDATE PARAMPEDIDO SET CDGRUALTPRECO = '01' WHERE CDFILIAL = '0001'"));
}

void TstCalcDescPreUnit::cleanupTestCase()
{
    fechaServidor();
    server.reset();
}

// Opens the calculator on the order's first item, as the order screen would.
void TstCalcDescPreUnit::abre(const std::function<void(TfrmCalcDescPreUnit&)>& drive)
{
    const QJsonArray loaded = CheckResultServ(
        netLanPed->call(Rpc::LanPedido::GetItemPedido, {QStringLiteral("0001"), pedido, QStringLiteral("1")})).toArray();
    CalcDescPreUnitTela tela;
    tela.itens = DataPacket::fromJson(loaded.at(Rpc::LanPedido::GetItemPedidoResult::Itens).toObject());
    tela.nrItemPed = itens.first();
    tela.netLanPed = netLanPed;
    tela.operador = QStringLiteral("DEMO");
    tela.idPerAltPreco = QStringLiteral("S");
    tela.dsPerAltMaior = QStringLiteral("10");
    tela.dsPerAltMenor = QStringLiteral("5");
    scripted->expectDialog(QStringLiteral("TfrmCalcDescPreUnit"), [&](QDialog& dialog) {
        drive(static_cast<TfrmCalcDescPreUnit&>(dialog));
        if (dialog.isVisible())
            dialog.reject();
    });
    CriaCalcDescPreUnit(tela);
}

void TstCalcDescPreUnit::validacoes_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<double>("valor");
    QTest::addColumn<QString>("erro");   // empty: accepted
    QTest::newRow("no mode") << "" << 0.0 << "Deve ser informado se a alteração será em percentual ou em valor.";
    QTest::newRow("no percentage") << "P+" << 0.0 << "Percentual de alteração do preço unitário deve ser informado.";
    QTest::newRow("no action") << "P" << 5.0 << "Deve ser informado se a ação da alteração em percentual é de acréscimo ou de desconto.";
    QTest::newRow("a decrease of 100 %") << "P-" << 100.0 << "O percentual de desconto não pode ser superior ou igual a 100%.";
    QTest::newRow("a decrease of 99,99 %") << "P-" << 99.99 << "";
    QTest::newRow("an increase of 150 %") << "P+" << 150.0 << "";
    QTest::newRow("a price of 0") << "V" << 0.0 << "Novo preço unitário deve ser informado.";
}

void TstCalcDescPreUnit::validacoes()
{
    QFETCH(QString, modo);
    QFETCH(double, valor);
    QFETCH(QString, erro);
    abre([&](TfrmCalcDescPreUnit& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Alterar Preço Unitário"));
        QVERIFY(!dialog.edtPrecoUnitario->isEnabled());
        QVERIFY(dialog.sbtConfirma->isEnabled());
        informa(dialog, modo, valor, false);
        QCOMPARE(dialog.nedValor->isEnabled(), modo == u"V");
        QCOMPARE(dialog.rbtDesconto->isEnabled(), modo.startsWith(u'P'));
        QCOMPARE(guarded([&] { dialog.Vd_Validacoes(); }), erro.isEmpty());
    });
    QCOMPARE(scripted->messageTexts(MsgType::Error).value(0), erro);
    QCOMPARE(m_pedido.precosGravados(demo), m_pedido.precos);
}

// The preview shows what the confirmation stores; outside the band it is
// red ("N") and the server asks for a release.
void TstCalcDescPreUnit::confirma_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<double>("valor");
    QTest::addColumn<bool>("todos");
    QTest::addColumn<QString>("liberacao");   // "": none asked; "S" released; "N" refused
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("idPrecoOk");
    QTest::newRow("selected item up 5 %") << "P+" << 5.0 << false << "" << sucesso << "S";
    QTest::newRow("every item down 4 %") << "P-" << 4.0 << true << "" << sucesso << "S";
    QTest::newRow("every item up 15 %, released") << "P+" << 15.0 << true << "S" << sucesso << "N";
    QTest::newRow("selected item up 15 %, refused") << "P+" << 15.0 << false << "N" << altMaior << "N";
}

void TstCalcDescPreUnit::confirma()
{
    QFETCH(QString, modo);
    QFETCH(double, valor);
    QFETCH(bool, todos);
    QFETCH(QString, liberacao);
    QFETCH(QString, mensagem);
    QFETCH(QString, idPrecoOk);
    QList<double> previa;
    abre([&](TfrmCalcDescPreUnit& dialog) {
        informa(dialog, modo, valor, todos);
        scripted->expectDialog(QStringLiteral("TfrmAltPreco"), [&](QDialog& aberto) {
            auto& consulta = static_cast<TfrmAltPreco&>(aberto);
            QCOMPARE(consulta.windowTitle(), QStringLiteral("Consulta Alteração de Preço Unitário"));
            QVERIFY(consulta.edtPrecoMaximo->isVisibleTo(&consulta));
            RecordSet& linhas = *consulta.cdsItemPed;
            QCOMPARE(linhas.fieldByName(QStringLiteral("IDPRECOOK")).asString(), idPrecoOk);
            for (linhas.first(); !linhas.eof(); linhas.next())
                previa << linhas.fieldByName(QStringLiteral("VRPREUNITPED")).asFloat();
            aberto.reject();
        });
        dialog.btfVisualizar->click();
        if (!liberacao.isEmpty())
            scripted->expectDialog(QStringLiteral("TfrmAutoriza"), [&](QDialog& aberto) {
                if (liberacao == u"N")
                    return aberto.reject();
                auto& release = static_cast<TfrmAutoriza&>(aberto);
                release.setOperador(QStringLiteral("DEMO"));
                release.setSenha(QStringLiteral("demo"));
                aberto.accept();
            });
        dialog.sbtConfirma->click();
        QCOMPARE(dialog.isVisible(), mensagem != sucesso);
    });
    QVERIFY2(scripted->hasMessage(mensagem), qPrintable(scripted->unreadMessages().join(u'\n')));
    QCOMPARE(previa.size(), todos ? itens.size() : 1);
    const QList<double> gravados = m_pedido.precosGravados(demo);
    for (qsizetype i = 0; i < gravados.size(); ++i)
        QCOMPARE(gravados.at(i), mensagem == sucesso && i < previa.size() ? previa.at(i) : m_pedido.precos.at(i));
}

// The answers the server gives, in the user's words.
void TstCalcDescPreUnit::respostas_data()
{
    QTest::addColumn<QString>("resposta");
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("argumento");
    QTest::newRow("key and argument") << "ALTMAIOR_10" << "ALTMAIOR" << "10";
    QTest::newRow("a key with '_' of its own") << "OP_N_AUT" << "OP_N_AUT" << "";
    QTest::newRow("a key alone") << "DSPERALTMENOR" << "DSPERALTMENOR" << "";
    QTest::newRow("an unknown key") << "FOO_BAR" << "FOO" << "BAR";
}

void TstCalcDescPreUnit::respostas()
{
    QFETCH(QString, resposta);
    QFETCH(QString, chave);
    QFETCH(QString, argumento);
    const RespostaPreco separada = separaResposta(resposta);
    QCOMPARE(separada.chave, chave);
    QCOMPARE(separada.argumento, argumento);
}

// The discount menu opens the calculator on the screen's current item; the
// screen shows the price stored, and a band with no group refuses in the
// branch's words.
void TstCalcDescPreUnit::pelaTelaDePedidos()
{
    abreTela();
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    tela->selecionaPagina(tela->tshItemPedido);
    QVERIFY(tela->cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itens.first()));
    LigaDialogosPedido(*tela);
    const double novo = RoundDec(m_pedido.precos.first() * 1.02, 2);
    scripted->expectDialog(QStringLiteral("TfrmCalcDescPreUnit"), [&](QDialog& aberto) {
        auto& dialog = static_cast<TfrmCalcDescPreUnit&>(aberto);
        QCOMPARE(dialog.cdsItem->fieldByName(QStringLiteral("NRITEMPED")).asString(), itens.first());
        informa(dialog, QStringLiteral("V"), novo, false);
        dialog.sbtConfirma->click();
    });
    tela->mnuPrecUnitClick();
    QVERIFY(scripted->hasMessage(sucesso));
    QCOMPARE(m_pedido.precosGravados(demo).first(), novo);
    QVERIFY(tela->cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itens.first()));
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("VRPREUNITPED")).asFloat(), novo);

    execSql(demo, QStringLiteral("UPDATE PARAMPEDIDO SET CDGRUALTPRECO = NULL WHERE CDFILIAL = '0001'"));
    scripted->expectDialog(QStringLiteral("TfrmCalcDescPreUnit"), [&](QDialog& aberto) {
        auto& dialog = static_cast<TfrmCalcDescPreUnit&>(aberto);
        informa(dialog, QStringLiteral("V"), novo * 2, false);
        dialog.sbtConfirma->click();
        QVERIFY(dialog.isVisible());
        aberto.reject();
    });
    tela->mnuPrecUnitClick();
    QVERIFY(scripted->hasMessage(QStringLiteral("Operação bloqueada. O preço foi alterado para mais que 10%.")));
    QCOMPARE(m_pedido.precosGravados(demo).first(), novo);
}

QTEST_MAIN(TstCalcDescPreUnit)
#include "tst_calcdescpreunit.moc"
