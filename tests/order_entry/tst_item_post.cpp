// The full check of an order item as it is posted, on the order screen
// against the in-process server over the demo database: the sales
// multiple, the default and maximum discounts, a discount up to the item's
// total, the product, the stored status, the stock shortage with its
// balance dialog, the quotation that never asks for stock, and the lot
// reservations that must add up. A refused post leaves the item in edit
// as the clerk typed it.

#include "lanpedido_testcase.h"

#include "abort.h"
#include "consisteproduto.h"
#include "money.h"
#include "msgsaldoest.h"
#include "recordset.h"
#include "store/sql.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace PedTest;

namespace {

const QString pedido = QStringLiteral("0000009992");

// The server logs one line per call; the stock calls are counted here.
int estoquePedido = 0;
QtMessageHandler anterior = nullptr;

void contaChamadas(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtInfoMsg && context.category && QLatin1String(context.category).startsWith(QLatin1String("ped."))) {
        if (message.contains(QLatin1String("method=VD_ESTITEM")))
            ++estoquePedido;
        return;
    }
    anterior(type, context, message);
}

} // namespace

class TstItemPost : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void multiploNaGravacao_data();
    void multiploNaGravacao();
    void descontoPadrao_data();
    void descontoPadrao();
    void descontoMaximo_data();
    void descontoMaximo();
    void descontoAteOTotal();
    void produtoConferido_data();
    void produtoConferido();
    void faltaDeEstoqueAbreOSaldo();
    void consultaDeEstoque_data();
    void consultaDeEstoque();
    void situacaoGravadaRecusa_data();
    void situacaoGravadaRecusa();
    void reservaDeveSomarAQuantidade();
    void reservaDigitada();
    void reservasDeDoisItens();

private:
    void aoAbrirServidor() override { anterior = qInstallMessageHandler(contaChamadas); }
    void antesDoTeste() override
    {
        abreTela();
        tela->FConfirmacaoLivre = false;
        estoquePedido = 0;
        // Lot reservation and discount maxima have their own tests; here an
        // edit needs no lots and any discount stands.
        setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), QStringLiteral("N"));
        setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("1"));
    }

    Field& item(const char* name) { return tela->cdsItemPedido->fieldByName(QString::fromUtf8(name)); }
    // An unsaved order of the reseller São Bento on the items page, base
    // price 02, modality 00002, and the first product of the table in stock.
    QString abrePedido();
    // A new item of `produto`, `quantidade` units, delivered in three days.
    void novoItem(const QString& produto, double quantidade);
    // Posts the current item: the last message (empty for none), and
    // whether the post was refused.
    QString grava(bool& recusado);

    QString produto;
};

QString TstItemPost::abrePedido()
{
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                                                         {QStringLiteral("NRPEDIDO"), pedido},
                                                         {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                                                         {QStringLiteral("IDTIPOPEDIDO"), QStringLiteral("1")},
                                                         {QStringLiteral("CDCLIENTE"), QStringLiteral("000001")},
                                                         {QStringLiteral("NRINSJURCLIE"), QStringLiteral("11222333000181")},
                                                         {QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
                                                         {QStringLiteral("IDULTPRECPROMO"), QStringLiteral("N")},
                                                         {QStringLiteral("CDMODPGTO"), QStringLiteral("00002")},
                                                         {QStringLiteral("DTPEDIDO"), QDateTime::currentDateTime()},
                                                         {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")}}}));
    tela->cdsItemPedido->setData(rowsOf(*tela->cdsItemPedido, {}));
    tela->rdbPedido->setChecked(true);
    {
        const QSignalBlocker semTroca(tela->pgcPadrao);
        tela->pgcPadrao->setCurrentWidget(tela->tshItemPedido);
    }
    produto = selectValue(demo, QStringLiteral("SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I ON I.CDPRODUTO = P.CDPRODUTO"
                                               " WHERE I.CDPRECOBASE = '02' AND I.IDITPEDDIFER = 'N'"
                                               " AND I.DTFIMVALIPB > CURRENT_TIMESTAMP AND I.DTINIVALIPB < CURRENT_TIMESTAMP"))
                  .toString();
    execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 100000 WHERE CDFILIAL = '0001'"
                       " AND CDPRODUTO = (SELECT CDPRODESTO FROM PRODUTO WHERE CDARVPROD = ?)"),
        {produto});
    return produto;
}

void TstItemPost::novoItem(const QString& codigo, double quantidade)
{
    tela->insereItem();
    item("CDARVPROD").setValue(codigo);
    item("QTITEMPED").setValue(quantidade);
    item("DTENTITPED").setValue(QDateTime(QDate::currentDate().addDays(3), QTime(14, 0)));
}

QString TstItemPost::grava(bool& recusado)
{
    recusado = false;
    const qsizetype antes = scripted->messages().size();
    try {
        tela->cdsItemPedido->post();
    } catch (const Abort&) {
        recusado = true;
    }
    const QList<ScriptedHost::Message>& vistas = scripted->messages();
    return vistas.size() == antes ? QString() : vistas.last().text;
}

void TstItemPost::multiploNaGravacao_data()
{
    QTest::addColumn<QVariant>("multiplo");
    QTest::addColumn<double>("digitada");
    QTest::addColumn<double>("gravada");
    QTest::addColumn<double>("editada");   // 0: only the delivery date is edited
    QTest::addColumn<double>("regravada");
    QTest::newRow("10 of a dozen is 12, a new date keeps it") << QVariant(12.0) << 10.0 << 12.0 << 0.0 << 12.0;
    QTest::newRow("13 of a dozen is 24") << QVariant(12.0) << 12.0 << 12.0 << 13.0 << 24.0;
    QTest::newRow("multiple 0 keeps any quantity") << QVariant(0.0) << 7.0 << 7.0 << 13.0 << 13.0;
    QTest::newRow("no multiple keeps any quantity") << QVariant() << 7.0 << 7.0 << 0.0 << 7.0;
    QTest::newRow("large quantities round exactly") << QVariant(12.0) << 3000000001.0 << 3000000012.0 << 0.0 << 3000000012.0;
}

// The quantity is rounded up to the sales multiple when an item is added
// and when its quantity changes; editing another column keeps it.
void TstItemPost::multiploNaGravacao()
{
    QFETCH(QVariant, multiplo);
    QFETCH(double, digitada);
    QFETCH(double, gravada);
    QFETCH(double, editada);
    QFETCH(double, regravada);
    novoItem(abrePedido(), digitada);
    execSql(demo, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = ? WHERE CDARVPROD = ?"), {multiplo, produto});
    execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 1e12 WHERE CDFILIAL = '0001'"));
    bool recusado = false;
    QCOMPARE(grava(recusado), QString());
    QVERIFY(!recusado);
    QCOMPARE(item("QTITEMPED").asFloat(), gravada);
    QVERIFY(item("VRPREUNITPED").asFloat() > 0);
    QCOMPARE(item("NMPRODUTO").asString(), selectValue(demo, QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDARVPROD = ?"), {produto}).toString());

    tela->cdsItemPedido->edit();
    if (editada == 0)
        item("DTENTITPED").setValue(item("DTENTITPED").asDateTime().addDays(1));
    else
        item("QTITEMPED").setValue(editada);
    QCOMPARE(grava(recusado), QString());
    QVERIFY(!recusado);
    QCOMPARE(item("QTITEMPED").asFloat(), regravada);
}

void TstItemPost::descontoPadrao_data()
{
    QTest::addColumn<QString>("politica");
    QTest::addColumn<QVariant>("valor");     // the discount value typed
    QTest::addColumn<QString>("resposta");   // to "Per_Max"; empty: not asked
    QTest::addColumn<double>("percentual");  // -1: refused
    QTest::newRow("0 takes the modality's, capped at the product's") << "S" << QVariant(0.0) << "S" << 8.0;
    QTest::newRow("no to the cap refuses") << "S" << QVariant(0.0) << "N" << -1.0;
    QTest::newRow("uncapped policy takes the modality's") << "1" << QVariant(0.0) << "" << 10.0;
    QTest::newRow("empty value counts as typed: none") << "S" << QVariant() << "" << 0.0;
}

// A new item without a discount of its own takes the modality's 10 %; under
// "S" the first maximum below it (product 8 %, customer 5 %) replaces it,
// asked about once per order.
void TstItemPost::descontoPadrao()
{
    QFETCH(QString, politica);
    QFETCH(QVariant, valor);
    QFETCH(QString, resposta);
    QFETCH(double, percentual);
    abrePedido();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), politica);
    execSql(demo, QStringLiteral("UPDATE MODPGTO SET VRPEDESMODPG = 10 WHERE CDMODPGTO = '00002'"));
    execSql(demo, QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = 5 WHERE CDCLIENTE = '000001'"));
    execSql(demo, QStringLiteral("DELETE FROM DESCPROPCLIE WHERE CDCLIENTE = '000001'"));
    execSql(demo, QStringLiteral("DELETE FROM ITDESPREBASE WHERE CDPRECOBASE = '02'"));
    execSql(demo, QStringLiteral("INSERT INTO ITDESPREBASE (CDPRECOBASE, CDPAIS, SGESTADO, CDPRODUTO, VRPEMAXDESPR)"
                       " SELECT '02', C.CDPAIS, C.SGESTADO, P.CDPRODUTO, 8 FROM CLIENTE C, PRODUTO P"
                       " WHERE C.CDCLIENTE = '000001' AND P.CDARVPROD = ?"),
        {produto});
    for (int n = 0; n < 2; ++n) {
        novoItem(produto, 12);
        item("VRDESITPED").setValue(valor);
        if (!resposta.isEmpty() && n == 0)
            scripted->expectQuestion(QStringLiteral("superior ao máximo permitido"), resposta == u"S" ? MsgButton::Yes : MsgButton::No);
        bool recusado = false;
        grava(recusado);
        QCOMPARE(recusado, percentual < 0);
        if (recusado) {
            QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Insert);
            return;
        }
        QCOMPARE(item("PERDESC").asFloat(), percentual);
        QCOMPARE(item("VRDESITPED").asFloat(), 12 * item("VRPREUNITPED").asFloat() * percentual / 100);
    }
}

void TstItemPost::descontoMaximo_data()
{
    QTest::addColumn<QString>("politica");
    QTest::addColumn<double>("percentual");
    QTest::addColumn<QString>("resposta");   // "S"/"N" to "DESC_MENS"
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<bool>("recusado");
    const QString pergunta = QStringLiteral("Percentual de desconto informado é maior que o desconto maximo (7%). Deseja continuar?");
    QTest::newRow("6.5 % under 7 % passes") << "2" << 6.5 << "" << "" << false;
    QTest::newRow("7 % exactly passes") << "2" << 7.0 << "" << "" << false;
    QTest::newRow("7.5 % asked, yes") << "2" << 7.5 << "S" << pergunta << false;
    QTest::newRow("7.5 % asked, no") << "2" << 7.5 << "N" << pergunta << true;
    QTest::newRow("7.5 % refused under 3") << "3" << 7.5 << "" << "O percentual de desconto do pedido deve ser menor ou igual a 7%."
                                           << true;
}

// The largest of the product's 5 %, the customer's 7 % and the seller's 6 %
// is the limit: above it the clerk is asked under "2" and refused under
// "3"; a yes keeps the limit passed with the item.
void TstItemPost::descontoMaximo()
{
    QFETCH(QString, politica);
    QFETCH(double, percentual);
    QFETCH(QString, resposta);
    QFETCH(QString, mensagem);
    QFETCH(bool, recusado);
    abrePedido();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), politica);
    const QString vendedor = selectValue(demo, QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR")).toString();
    setParam(*tela->cdsPedido, QStringLiteral("CDVENDEDOR"), vendedor);
    tela->cdsVendLog->close();
    execSql(demo, QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 6 WHERE CDVENDEDOR = ?"), {vendedor});
    execSql(demo, QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = 7 WHERE CDCLIENTE = '000001'"));
    execSql(demo, QStringLiteral("DELETE FROM ITDESPREBASE WHERE CDPRECOBASE = '02'"));
    execSql(demo, QStringLiteral("INSERT INTO ITDESPREBASE (CDPRECOBASE, CDPAIS, SGESTADO, CDPRODUTO, VRPEMAXDESPR)"
                       " SELECT '02', C.CDPAIS, C.SGESTADO, P.CDPRODUTO, 5 FROM CLIENTE C, PRODUTO P"
                       " WHERE C.CDCLIENTE = '000001' AND P.CDARVPROD = ?"),
        {produto});
    novoItem(produto, 12);
    item("PERDESC").setValue(percentual);
    if (!resposta.isEmpty())
        scripted->expectChoice(QStringLiteral("desconto maximo (7%)"), resposta == u"S" ? QStringLiteral("Sim") : QStringLiteral("Não"));
    bool foiRecusado = false;
    QCOMPARE(grava(foiRecusado), mensagem);
    QCOMPARE(foiRecusado, recusado);
    QCOMPARE(item("PERDESC").asFloat(), percentual);
    QCOMPARE(tela->cdsItemPedido->state(), recusado ? RecordSet::State::Insert : RecordSet::State::Browse);
    if (resposta == u"S")
        QCOMPARE(item("VRPEDEMAXIPE").asFloat(), 7.0);
}

// A discount value up to the item's total passes; one cent more is refused
// with the cursor on the value.
void TstItemPost::descontoAteOTotal()
{
    novoItem(abrePedido(), 12);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTDESCMAXI"), QStringLiteral("1"));
    bool recusado = false;
    QCOMPARE(grava(recusado), QString());
    const double total = RoundDec(item("VrTotalAux").asFloat(), 2);
    tela->dbgItemPedido->setSelectedField(QStringLiteral("VRDESITPED"));
    for (const double valor : {total, total + 0.01}) {
        tela->cdsItemPedido->edit();
        item("VRDESITPED").setValue(valor);
        const QString mensagem = grava(recusado);
        QCOMPARE(recusado, valor > total);
        QCOMPARE(mensagem, recusado ? QStringLiteral("Desconto deve ser menor ou igual ao valor total.") : QString());
        QCOMPARE(item("VRDESITPED").asFloat(), valor);
    }
    QCOMPARE(tela->dbgItemPedido->selectedField()->name(), QStringLiteral("VRDESITPED"));
}

void TstItemPost::produtoConferido_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("empty") << "" << "Produto deve ser informado.";
    QTest::newRow("unknown, with a quote") << "01'9" << "Produto não cadastrado.";
    QTest::newRow("inactive") << "inativo" << "Produto inativo: não pode ser vendido.";
}

// A product that is missing, unknown (whatever its code holds) or withdrawn
// from sale is refused at post, the cursor on the product.
void TstItemPost::produtoConferido()
{
    QFETCH(QString, codigo);
    QFETCH(QString, mensagem);
    abrePedido();
    if (codigo == u"inativo") {
        codigo = produto;
        execSql(demo, QStringLiteral("UPDATE PRODUTO SET IDPRODATIVO = 'N' WHERE CDARVPROD = ?"), {produto});
    }
    novoItem(codigo, 12);
    bool recusado = false;
    QCOMPARE(grava(recusado), mensagem);
    QVERIFY(recusado);
    QCOMPARE(item("CDARVPROD").asString(), codigo);
    QCOMPARE(tela->dbgItemPedido->selectedField()->name(), QStringLiteral("CDARVPROD"));
    execSql(demo, QStringLiteral("UPDATE PRODUTO SET IDPRODATIVO = 'S'"));
}

// More than the stock can give opens the stock balance with the figures
// the server counts, and the item stays in edit with what was typed.
void TstItemPost::faltaDeEstoqueAbreOSaldo()
{
    abrePedido();
    const QString estoque = selectValue(demo, QStringLiteral("SELECT CDPRODESTO FROM PRODUTO WHERE CDARVPROD = ?"), {produto}).toString();
    execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 5 WHERE CDFILIAL = '0001' AND CDPRODUTO = ?"), {estoque});
    execSql(demo, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = NULL WHERE CDARVPROD = ?"), {produto});
    const double emPedidos = selectValue(demo, QStringLiteral("SELECT COALESCE(SUM(I.QTITEMPED - COALESCE(I.QTEXPITEMPED, 0)), 0)"
                                                              " FROM ITEMPEDIDO I JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL"
                                                              " AND D.NRPEDIDO = I.NRPEDIDO WHERE I.CDFILIAL = '0001'"
                                                              " AND I.CDPRODESTO = ? AND D.IDTIPOPEDIDO = '1'"
                                                              " AND I.IDSITITEMPED IN ('1', '2', '3', '7')"),
                                         {estoque})
                                 .toDouble();
    novoItem(produto, 7);
    DataPacket mostrado;
    scripted->expectDialog(QStringLiteral("TfrmMsgSaldoEst"), [&mostrado](QDialog& dialog) {
        mostrado = static_cast<TfrmMsgSaldoEst&>(dialog).cdsConsisteSaldEst->data();
        dialog.accept();
    });
    bool recusado = false;
    QCOMPARE(grava(recusado), QString());
    QVERIFY(recusado);
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Insert);
    QCOMPARE(item("QTITEMPED").asFloat(), 7.0);
    QCOMPARE(mostrado.rows.size(), 1);
    auto figura = [&mostrado](const char* nome) { return mostrado.rows.at(0).at(mostrado.indexOf(QString::fromLatin1(nome))); };
    QCOMPARE(figura("MSG").toString(), QStringLiteral("Quantidade requerida não está disponível."));
    QCOMPARE(figura("QTESTOQUE").toDouble(), 5.0);
    QCOMPARE(figura("QTPEDIDO").toDouble(), emPedidos);
    QCOMPARE(figura("QTSOLICITADA").toDouble(), 7.0);
    QCOMPARE(figura("VRDIFERENCA").toDouble(), figura("QTDISPONIVEL").toDouble() - 7.0);
    QCOMPARE(figura("CDARVPROD").toString(), produto);
}

void TstItemPost::consultaDeEstoque_data()
{
    QTest::addColumn<bool>("orcamento");
    QTest::addColumn<QString>("reservaLote");
    QTest::addColumn<QString>("alterado");   // what changes: a new item, or a column of a stored one
    QTest::addColumn<int>("chamadas");
    QTest::newRow("new order item") << false << "N" << "novo" << 1;
    QTest::newRow("stored item, quantity changed") << false << "N" << "QTITEMPED" << 1;
    QTest::newRow("stored item, description only") << false << "N" << "DSITEMPED" << 0;
    QTest::newRow("under lot reservation, always") << false << "S" << "DSITEMPED" << 1;
    QTest::newRow("quotation never") << true << "S" << "novo" << 0;
}

// The stock is asked for only when something that counts changed, or
// always under lot reservation; a quotation never asks.
void TstItemPost::consultaDeEstoque()
{
    QFETCH(bool, orcamento);
    QFETCH(QString, reservaLote);
    QFETCH(QString, alterado);
    QFETCH(int, chamadas);
    if (alterado == u"novo") {
        novoItem(abrePedido(), 12);
    } else {
        abrePedidoReservado();
        execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 1e9"));
        execSql(demo, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = NULL"));
        tela->cdsItemPedido->first();
        tela->cdsItemPedido->edit();
        if (alterado == u"QTITEMPED")
            item("QTITEMPED").setValue(item("QTITEMPED").asFloat() + 1);
        else
            item("DSITEMPED").setValue(QStringLiteral("embalagem dupla"));
    }
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), reservaLote);
    (orcamento ? tela->rdbOrcamento : tela->rdbPedido)->setChecked(true);
    estoquePedido = 0;
    bool recusado = false;
    QCOMPARE(grava(recusado), QString());
    QVERIFY(!recusado);
    QCOMPARE(estoquePedido, chamadas);
    if (orcamento)
        QCOMPARE(item("IDITPEDRESER").asString(), QStringLiteral("1"));
}

void TstItemPost::situacaoGravadaRecusa_data()
{
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("pending passes") << "1" << "";
    QTest::newRow("8 passes") << "8" << "";
    QTest::newRow("cancelled meanwhile") << "5" << "Operação bloqueada!Este item encontra-se cancelado.";
    QTest::newRow("settled meanwhile") << "4" << "Operação bloqueada! Este item encontra-se liquidado.";
    QTest::newRow("confirmed meanwhile") << "9" << "Operação Bloqueada!Este item encontra-se confirmado ou aprovado.";
}

// An edit is refused when the stored item moved on since it was read.
void TstItemPost::situacaoGravadaRecusa()
{
    QFETCH(QString, situacao);
    QFETCH(QString, mensagem);
    const QString pedidoReservado = abrePedidoReservado();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), QStringLiteral("N"));
    RecordSet& itens = *tela->cdsItemPedido;
    itens.first();
    execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
        {situacao, pedidoReservado, itens.fieldByName(QStringLiteral("NRITEMPED")).asString()});
    itens.edit();
    item("DSITEMPED").setValue(QStringLiteral("conferido"));
    bool recusado = false;
    const QString vista = grava(recusado);
    execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '1' WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedidoReservado});
    QCOMPARE(recusado, !mensagem.isEmpty());
    if (recusado)
        QCOMPARE(vista, mensagem);
}

// Under lot reservation an edited quantity must be spread over the lots
// again: the post is refused until the reservations add up.
void TstItemPost::reservaDeveSomarAQuantidade()
{
    abrePedidoReservado();
    RecordSet& itens = *tela->cdsItemPedido;
    itens.first();
    QVERIFY(tela->cdsPosiEstoq->isActive());
    execSql(demo, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = NULL"));
    execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 1e9"));
    const double quantidade = item("QTITEMPED").asFloat();
    itens.edit();
    item("QTITEMPED").setValue(quantidade + 1);
    bool recusado = false;
    QCOMPARE(grava(recusado), QStringLiteral("Total da quantidade reservada deve ser igual a quantidade do item."));
    QVERIFY(recusado);
    QVERIFY(!tela->dbgPosiEstoq->isReadOnly());
    QCOMPARE(tela->dbgPosiEstoq->selectedField()->name(), QStringLiteral("QTRESPRODPED"));

    item("QTITEMPED").setValue(quantidade);
    QCOMPARE(grava(recusado), QString());
    QVERIFY(!recusado);

    // A reservation typed afterwards outlives the post of the order, whose
    // refresh of the stock positions would load the stored ones over it.
    RecordSet& lotes = *tela->cdsPosiEstoq;
    lotes.first();
    const double reservado = lotes.fieldByName(QStringLiteral("QTRESPRODPED")).asFloat();
    lotes.edit();
    lotes.fieldByName(QStringLiteral("QTRESPRODPED")).setValue(reservado + 1);
    lotes.post();
    tela->atualizaEstoqueDosItens();
    QVERIFY(lotes.isActive());
    QVERIFY(lotes.hasChanges());
    QCOMPARE(lotes.fieldByName(QStringLiteral("QTRESPRODPED")).asFloat(), reservado + 1);
}

// What the clerk may type in the stock grid: no new lots, no blocked lot,
// no negative reservation; a typed row belongs to the item.
void TstItemPost::reservaDigitada()
{
    abrePedidoReservado();
    RecordSet& itens = *tela->cdsItemPedido;
    RecordSet& lotes = *tela->cdsPosiEstoq;
    itens.first();
    QVERIFY(lotes.isActive() && !lotes.isEmpty());
    const int linhas = lotes.recordCount();
    QVERIFY_THROWS_EXCEPTION(Abort, lotes.append());
    QCOMPARE(lotes.recordCount(), linhas);

    const DataPacket daServidor = lotes.data();
    DataPacket bloqueado = daServidor;
    bloqueado.rows[0][bloqueado.indexOf(QStringLiteral("IDDISPCONPED"))] = QStringLiteral("N");
    lotes.setData(bloqueado);
    QVERIFY_THROWS_EXCEPTION(Abort, lotes.edit());
    QVERIFY(scripted->hasMessage(QStringLiteral("Produtos deste almoxarifado e localização não estão disponíveis.")));
    QCOMPARE(lotes.state(), RecordSet::State::Browse);
    QCOMPARE(itens.state(), RecordSet::State::Browse);
    lotes.setData(daServidor);

    lotes.edit();
    QCOMPARE(itens.state(), RecordSet::State::Edit);
    QCOMPARE(item("IDITEMERRO").asString(), QStringLiteral("N"));
    lotes.fieldByName(QStringLiteral("QTRESPRODPED")).setValue(-1.0);
    QVERIFY_THROWS_EXCEPTION(Abort, lotes.post());
    QVERIFY(scripted->hasMessage(QStringLiteral("Quantidade a expedir deve ser maior que zero.")));
    QCOMPARE(lotes.state(), RecordSet::State::Edit);
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshItemPedido);

    lotes.fieldByName(QStringLiteral("QTRESPRODPED")).clear();
    lotes.fieldByName(QStringLiteral("NRRESPRODPED")).clear();
    lotes.fieldByName(QStringLiteral("NRITEMPED")).clear();
    lotes.post();
    QCOMPARE(lotes.fieldByName(QStringLiteral("QTRESPRODPED")).value(), QVariant(0.0));
    QCOMPARE(lotes.fieldByName(QStringLiteral("NRRESPRODPED")).asString(), QStringLiteral("XY"));
    for (const char* chave : {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO"})
        QCOMPARE(lotes.fieldByName(QString::fromUtf8(chave)).asString(), item(chave).asString());
    itens.cancel();
}

// A clerk spreads two items of a stored order over their lots. Moving from
// the first to the second in the grid posts the first, which is stored at
// once with its reservation (and the order confirmed); the second, typed
// once the order may be changed again, is stored by Confirm.
void TstItemPost::reservasDeDoisItens()
{
    const QString reservado = abrePedidoReservado();
    RecordSet& itens = *tela->cdsItemPedido;
    QCOMPARE(itens.recordCount(), 1);
    const QString primeiro = item("NRITEMPED").asString();
    const QString segundo = QStringLiteral("%1").arg(primeiro.toInt() + 1, 10, 10, QLatin1Char('0'));
    QSqlRecord colunas = demo.record(QStringLiteral("ITEMPEDIDO"));
    if (colunas.isEmpty())
        colunas = demo.record(QStringLiteral("itempedido"));
    QStringList nomes, copia;
    for (int i = 0; i < colunas.count(); ++i) {
        nomes << colunas.fieldName(i);
        copia << (colunas.fieldName(i).compare(QLatin1String("NRITEMPED"), Qt::CaseInsensitive) == 0 ? QStringLiteral("?") : colunas.fieldName(i));
    }
    execSql(demo, QStringLiteral("INSERT INTO ITEMPEDIDO (%1) SELECT %2 FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?")
                      .arg(nomes.join(u','), copia.join(u',')),
            {segundo, reservado, primeiro});
    execSql(demo, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = NULL"));
    execSql(demo, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 1e9"));
    abrePedidoReservado();
    QCOMPARE(itens.recordCount(), 2);
    const double quantidade = item("QTITEMPED").asFloat();
    tela->FConfirmacaoLivre = true;
    // The demo's items are found below the profitability band: authorised.
    const auto autoriza = [this] {
        scripted->expectDialog(QStringLiteral("TfrmConsisteProduto"), [](QDialog& dialogo) {
            static_cast<TfrmConsisteProduto&>(dialogo).responde(QStringLiteral("Autoriza"));
        });
    };

    // The first item asks for less, and its lot reserves what it asks.
    RecordSet& lotes = *tela->cdsPosiEstoq;
    QCOMPARE(lotes.recordCount(), 1);
    lotes.edit();
    lotes.fieldByName(QStringLiteral("QTRESPRODPED")).setValue(quantidade - 4);
    lotes.post();
    item("QTITEMPED").setValue(quantidade - 4);
    autoriza();
    itens.setCurrentRow(1);
    QCOMPARE(item("NRITEMPED").asString(), segundo);
    QCOMPARE(lotes.fieldByName(QStringLiteral("QTRESPRODPED")).asFloat(), 0.0);
    QVERIFY(!lotes.hasChanges());
    const auto reservasGravadas = [&] {
        QSqlQuery gravado = execSql(demo, QStringLiteral("SELECT NRITEMPED, SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIAL = '0001'"
                                                         " AND NRPEDIDO = ? GROUP BY NRITEMPED ORDER BY NRITEMPED"), {reservado});
        QList<std::pair<QString, double>> reservas;
        while (gravado.next())
            reservas.append({gravado.value(0).toString(), gravado.value(1).toDouble()});
        return reservas;
    };
    QCOMPARE(reservasGravadas(), (QList<std::pair<QString, double>>{{primeiro, quantidade - 4}}));
    QCOMPARE(selectValue(demo, QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
                         {reservado, primeiro}).toDouble(), quantidade - 4);
    execSql(demo, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '1' WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {reservado});
    abrePedidoReservado();
    itens.setCurrentRow(1);
    tela->FConfirmacaoLivre = true;

    // The second reserves all it asks, and Confirm sends it.
    lotes.edit();
    lotes.fieldByName(QStringLiteral("QTRESPRODPED")).setValue(quantidade);
    lotes.post();
    autoriza();
    tela->sbtConfirmarClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);

    QCOMPARE(reservasGravadas(), (QList<std::pair<QString, double>>{{primeiro, quantidade - 4}, {segundo, quantidade}}));
}

QTEST_MAIN(TstItemPost)
#include "tst_item_post.moc"
