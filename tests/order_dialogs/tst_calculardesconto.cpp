// The order discount calculator over the demo database: the preview as the
// clerk types, what the confirmation refuses, and what it has the server
// store for the selected item or every item, with the maximum discount
// asked about or refused as the branch's policy says; and opened from the
// order entry screen, which shows the stored prices after it closes.

#include "../order_entry/lanpedido_screen.h"

#include "calculardesconto.h"
#include "datapacket.h"
#include "dialogos_pedido.h"
#include "method_catalogue.h"
#include "money.h"
#include "netconnection.h"
#include "serverresult.h"
#include "store/database.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

const QString descMens = QStringLiteral("Percentual de desconto informado é maior que o desconto maximo (%s). Deseja continuar?");
const QString descInv = QStringLiteral("O percentual de desconto do pedido deve ser menor ou igual a %s.");
// The seller whose 5 % is the only maximum of the demo orders here.
const QString limitedSeller = QStringLiteral("0002");

} // namespace

class TstCalcularDesconto : public QObject, public TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void digitacao_data();
    void digitacao();
    void confirma_data();
    void confirma();
    void pelaTelaDePedidos();

private:
    void abre(const QString& seller, const QString& idUtDescMaxi, const std::function<void(TfrmCalcularDesconto&)>& drive,
              const QStringList& perguntas = {});

    TNetConnection* netLanPed = nullptr;
    QObject owner;
    PedTest::PedidoDeTeste m_pedido;
    QString pedido;
    QStringList itens;
};

void TstCalcularDesconto::initTestCase()
{
    abreServidor(QStringLiteral("tst_calculardesconto_demo"));
    netLanPed = new TNetConnection(ServerNames::LanPedido, &owner);

    // An open order whose items carry no discount of their own.
    m_pedido = PedTest::PedidoDeTeste::encontra(demo);
    pedido = m_pedido.pedido;
    itens = m_pedido.itens;
    execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET VRDESITPED = 0 WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido});
    // Only the limited seller's maximum counts.
    execSql(demo, QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = NULL"));
    execSql(demo, QStringLiteral("DELETE FROM ITDESPREBASE"));
    execSql(demo, QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 5 WHERE CDVENDEDOR = ?"), {limitedSeller});
}

void TstCalcularDesconto::init()
{
    scripted = std::make_unique<ScriptedHost>();
}

void TstCalcularDesconto::cleanup()
{
    fechaTelaDoTeste();
    liberaHost();
    m_pedido.restauraPrecos(demo);
}

void TstCalcularDesconto::cleanupTestCase()
{
    fechaServidor();
    server.reset();
}

// Opens the dialog on the order's first item, with the items as the server
// gives them to the order screen. Each question, "text|S" or "text|N", is
// answered Yes or No in turn.
void TstCalcularDesconto::abre(const QString& seller, const QString& idUtDescMaxi,
                               const std::function<void(TfrmCalcularDesconto&)>& drive, const QStringList& perguntas)
{
    const QJsonArray loaded = CheckResultServ(
        netLanPed->call(Rpc::LanPedido::GetItemPedido, {QStringLiteral("0001"), pedido, QStringLiteral("1")})).toArray();
    CalcularDescontoTela tela;
    tela.itens = DataPacket::fromJson(loaded.at(Rpc::LanPedido::GetItemPedidoResult::Itens).toObject());
    tela.nrItemPed = itens.first();
    tela.netLanPed = netLanPed;
    tela.cdVendedor = seller;
    tela.idUtDescMaxi = idUtDescMaxi;
    tela.descMens = descMens;
    tela.descInv = descInv;
    scripted->expectDialog(QStringLiteral("TfrmCalcularDesconto"), [&](QDialog& dialog) {
        drive(static_cast<TfrmCalcularDesconto&>(dialog));
        dialog.reject();
    });
    for (const QString& pergunta : perguntas)
        scripted->expectQuestion(pergunta.section(u'|', 0, 0), pergunta.endsWith(u"|S") ? MsgButton::Yes : MsgButton::No);
    CriaCalcularDesconto(tela);
}

// Keys other than digits, "," and ";" never reach the formula; a term that
// is no number is told at once and keeps the confirmation off.
void TstCalcularDesconto::digitacao_data()
{
    QTest::addColumn<QString>("teclas");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("previa");   // "%1": the unit price
    QTest::addColumn<bool>("confirma");
    QTest::addColumn<QString>("erro");

    QTest::newRow("letters and Enter ignored") << "1a0\r;x5" << "10;5" << "" << true << "";
    QTest::newRow("';' alone") << ";" << ";" << "" << false << "Fórmula inválida.";
    QTest::newRow("two commas") << "1,," << "1,," << "" << false << "Fórmula inválida.";
    QTest::newRow("nothing typed shows the price") << "" << "" << "%1" << false << "";
}

void TstCalcularDesconto::digitacao()
{
    QFETCH(QString, teclas);
    QFETCH(QString, formula);
    QFETCH(QString, previa);
    QFETCH(bool, confirma);
    QFETCH(QString, erro);
    abre(QString(), QStringLiteral("2"), [&](TfrmCalcularDesconto& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Calcular Desconto"));
        QCOMPARE(dialog.edtFormulaDesconto->toolTip(), QStringLiteral("Utilize ;"));
        QVERIFY(dialog.edtAplicaDesconto->isReadOnly());
        QVERIFY(!dialog.edtPrecoUnitario->isEnabled());
        QVERIFY(dialog.rbtApenas->isChecked());
        QVERIFY(dialog.rbtApenas->text().startsWith(QStringLiteral("Apenas o Item Selecionado: ")));
        QVERIFY(dialog.rbtApenas->text().size() > 27);
        QTest::keyClicks(dialog.edtFormulaDesconto, teclas);
        QCOMPARE(dialog.edtFormulaDesconto->text(), formula);
        if (formula == u"10;5") {
            const double p = dialog.dbPrecoUnit;
            QVERIFY(dialog.edtAplicaDesconto->text().endsWith(QStringLiteral(" = ") + QString::number(p * 0.9 * 0.95, 'g', 15).replace(u'.', u',')));
        } else {
            const QString preco = QString::number(dialog.dbPrecoUnit, 'g', 15).replace(u'.', u',');
            QCOMPARE(dialog.edtAplicaDesconto->text(), QString(previa).replace(QStringLiteral("%1"), preco));
        }
        QCOMPARE(dialog.sbtConfirma->isEnabled(), confirma);
    });
    if (erro.isEmpty())
        QVERIFY(scripted->messageTexts(MsgType::Error).isEmpty());
    else
        QCOMPARE(scripted->messageTexts(MsgType::Error).value(0), erro);
}

void TstCalcularDesconto::confirma_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("todos");
    QTest::addColumn<QString>("seller");
    QTest::addColumn<QString>("idUtDescMaxi");
    QTest::addColumn<QStringList>("perguntas");   // "text|S" answers Yes, "text|N" No
    QTest::addColumn<QString>("mensagem");        // the last message shown; empty: none
    QTest::addColumn<double>("fator");            // what is left of the prices changed
    QTest::addColumn<bool>("todosMudam");

    const QString item = QStringLiteral("ao Item Selecionado|S");
    const QString sucesso = QStringLiteral("A Fórmula de Desconto foi aplicada com sucesso!");
    QTest::newRow("selected item, 10;5") << "10;5" << false << "" << "2" << QStringList{item} << sucesso << 0.855 << false;
    QTest::newRow("every item, 10") << "10" << true << "" << "2" << QStringList{QStringLiteral("a Todos os Itens|S")}
                                    << sucesso << 0.9 << true;
    QTest::newRow("not confirmed") << "10" << false << "" << "2" << QStringList{QStringLiteral("ao Item Selecionado|N")}
                                   << "" << 1.0 << false;
    QTest::newRow("100 % leaves no price") << "100" << false << "" << "2" << QStringList{}
                                           << "O resultado da Aplicação de Desconto deve ser maior que zero." << 1.0 << false;
    QTest::newRow("formula 0") << "0" << false << "" << "2" << QStringList{}
                               << "Fórmula de Desconto deve ser preenchida." << 1.0 << false;
    QTest::newRow("above the maximum, asked, Yes")
        << "10" << false << limitedSeller << "2" << QStringList{item, QStringLiteral("desconto maximo (5%)|S")} << sucesso << 0.9
        << false;
    QTest::newRow("above the maximum, asked, No")
        << "10" << false << limitedSeller << "2" << QStringList{item, QStringLiteral("desconto maximo (5%)|N")} << "" << 1.0
        << false;
    QTest::newRow("above the maximum, refused") << "10" << false << limitedSeller << "3" << QStringList{item}
                                                << "O percentual de desconto do pedido deve ser menor ou igual a 5%." << 1.0
                                                << false;
    QTest::newRow("above the maximum, no policy") << "10" << false << limitedSeller << "N" << QStringList{item} << "" << 1.0
                                                  << false;
}

void TstCalcularDesconto::confirma()
{
    QFETCH(QString, formula);
    QFETCH(bool, todos);
    QFETCH(QString, seller);
    QFETCH(QString, idUtDescMaxi);
    QFETCH(QStringList, perguntas);
    QFETCH(QString, mensagem);
    QFETCH(double, fator);
    QFETCH(bool, todosMudam);
    abre(seller, idUtDescMaxi, [&](TfrmCalcularDesconto& dialog) {
        (todos ? dialog.rbtTodos : dialog.rbtApenas)->setChecked(true);
        QTest::keyClicks(dialog.edtFormulaDesconto, formula);
        QVERIFY(dialog.sbtConfirma->isEnabled());
        dialog.sbtConfirma->click();
        QVERIFY2(dialog.isVisible(), "the dialog stays open after confirming");
    }, perguntas);
    const QList<ScriptedHost::Message>& shown = scripted->messages();
    const QString last = shown.isEmpty() || shown.last().buttons != MsgButton::Ok ? QString() : shown.last().text;
    QCOMPARE(last, mensagem);
    const QList<double> prices = m_pedido.precosGravados(demo);
    QCOMPARE(prices.size(), m_pedido.precos.size());
    for (qsizetype i = 0; i < prices.size(); ++i)
        QCOMPARE(prices.at(i), i == 0 || todosMudam ? RoundDec(m_pedido.precos.at(i) * fator, 2) : m_pedido.precos.at(i));
}

// The discount menu opens the calculator on the screen's current item; once
// it closes the screen shows the price the server stored.
void TstCalcularDesconto::pelaTelaDePedidos()
{
    abreTela();
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    tela->selecionaPagina(tela->tshItemPedido);
    QVERIFY(tela->cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itens.first()));
    LigaDialogosPedido(*tela);
    scripted->expectDialog(QStringLiteral("TfrmCalcularDesconto"), [&](QDialog& aberto) {
        auto& dialog = static_cast<TfrmCalcularDesconto&>(aberto);
        QCOMPARE(dialog.cdsItem->fieldByName(QStringLiteral("NRITEMPED")).asString(), itens.first());
        QTest::keyClicks(dialog.edtFormulaDesconto, QStringLiteral("1"));
        dialog.sbtConfirma->click();
        aberto.reject();
    });
    scripted->expectQuestion(QStringLiteral("ao Item Selecionado"), MsgButton::Yes);
    tela->mnuAltDescClick();

    QVERIFY(scripted->hasMessage(QStringLiteral("A Fórmula de Desconto foi aplicada com sucesso!")));
    const double novo = RoundDec(m_pedido.precos.first() * 0.99, 2);
    QCOMPARE(m_pedido.precosGravados(demo).first(), novo);
    QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString(), pedido);
    QVERIFY(tela->cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itens.first()));
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("VRPREUNITPED")).asFloat(), novo);
}

QTEST_MAIN(TstCalcularDesconto)
#include "tst_calculardesconto.moc"
