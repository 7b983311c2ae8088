#include "rules/header_post.h"

#include <QtTest>

using namespace RegrasPedido;

Q_DECLARE_METATYPE(std::optional<double>)

class TestHeaderPostRules : public QObject {
    Q_OBJECT

private slots:
    void situacaoDoPedido_data();
    void situacaoDoPedido();
    void datas_data();
    void datas();
    void descontoDaModalidade_data();
    void descontoDaModalidade();
};

void TestHeaderPostRules::situacaoDoPedido_data()
{
    QTest::addColumn<bool>("orcamento");
    QTest::addColumn<QString>("atual");
    QTest::addColumn<QString>("modalidade");
    QTest::addColumn<QString>("filial");
    QTest::addColumn<QString>("esperada");
    QTest::newRow("quotation whatever the modality") << true << "2" << "3" << "2" << "1";
    QTest::newRow("partly served stays") << false << "6" << "2" << "1" << "6";
    QTest::newRow("partly served quotation is pending") << true << "6" << "2" << "" << "1";
    for (const char* filial : {"", "1", "2", "3"}) {
        QTest::addRow("modality 1, branch '%s'", filial) << false << "" << "1" << filial << "1";
        QTest::addRow("modality 2, branch '%s'", filial) << false << "1" << "2" << filial << "2";
        QTest::addRow("modality 3, branch '%s'", filial) << false << "1" << "3" << filial << "2";
    }
    QTest::newRow("no modality code, branch empty") << false << "2" << "" << "" << "1";
    QTest::newRow("no modality code, branch 1") << false << "2" << "" << "1" << "1";
    QTest::newRow("no modality code, branch 2") << false << "1" << "" << "2" << "2";
    QTest::newRow("no modality code, branch 3") << false << "1" << "" << "3" << "2";
    QTest::newRow("unknown modality code keeps") << false << "2" << "9" << "1" << "2";
    QTest::newRow("unknown branch code keeps") << false << "1" << "" << "9" << "1";
}

void TestHeaderPostRules::situacaoDoPedido()
{
    QFETCH(bool, orcamento);
    QFETCH(QString, atual);
    QFETCH(QString, modalidade);
    QFETCH(QString, filial);
    QFETCH(QString, esperada);
    QCOMPARE(RegrasPedido::situacaoDoPedido(orcamento, atual, modalidade, filial), esperada);
}

// Each date check by its editor's text; "-" is no refusal. The clock
// stands at 10/03/2026 14:30.
void TestHeaderPostRules::datas_data()
{
    QTest::addColumn<QString>("verificacao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("obrigatoria");
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("lugar");   // page/editor of the refusal
    const QString pedido = QStringLiteral("tshDadosPed/depDtRetirada");
    const QString entrega = QStringLiteral("tshDadosPed/depData");
    const QString validade = QStringLiteral("tshDadosPed/depDtVal");
    QTest::newRow("order date empty, required") << "pedido" << "" << true << "DT_NULO" << pedido;
    QTest::newRow("order date empty, on exit") << "pedido" << "  " << false << "-" << "";
    QTest::newRow("order date invalid") << "pedido" << "32/13/2026" << false << "DT_INV" << pedido;
    QTest::newRow("order date today") << "pedido" << "10/03/2026" << true << "-" << "";
    QTest::newRow("order date tomorrow") << "pedido" << "11/03/2026" << true << "DT_ERRO" << pedido;
    QTest::newRow("order date 30/12/1899") << "pedido" << "30/12/1899" << true << "DT_MENOR" << pedido;
    QTest::newRow("delivery empty, required") << "entrega" << "" << true << "DTENT_NULO" << entrega;
    QTest::newRow("delivery empty, on exit") << "entrega" << "" << false << "-" << "";
    QTest::newRow("delivery invalid") << "entrega" << "31/02/2026" << false << "DTENT_INV" << entrega;
    QTest::newRow("delivery 30/12/1899") << "entrega" << "30/12/1899" << true << "DTENT_INV" << entrega;
    QTest::newRow("delivery today") << "entrega" << "10/03/2026" << true << "-" << "";
    QTest::newRow("delivery yesterday") << "entrega" << "09/03/2026" << true << "DTENT_DTATU" << entrega;
    QTest::newRow("delivery before order date") << "ambas" << "09/03/2026" << true << "VD_DATE" << entrega;
    QTest::newRow("delivery on order date") << "ambas" << "10/03/2026" << true << "-" << "";
    QTest::newRow("validity empty") << "validade" << "" << true << "DtVal_Deve" << validade;
    QTest::newRow("validity invalid") << "validade" << "99/99/9999" << true << "DT_INV" << "";
    QTest::newRow("validity before order") << "validade" << "09/03/2026" << true << "DtVal<DtPed" << validade;
    QTest::newRow("validity on order date") << "validade" << "10/03/2026" << true << "-" << "";
}

void TestHeaderPostRules::datas()
{
    QFETCH(QString, verificacao);
    QFETCH(QString, texto);
    QFETCH(bool, obrigatoria);
    QFETCH(QString, chave);
    QFETCH(QString, lugar);
    const QDateTime agora(QDate(2026, 3, 10), QTime(14, 30));
    const DataDigitada data{texto, QDate::fromString(texto, QStringLiteral("dd/MM/yyyy"))};
    const DataDigitada dataPedido{QStringLiteral("10/03/2026"), agora.date()};
    std::optional<RecusaData> recusa;
    if (verificacao == u"pedido")
        recusa = confereDataPedido(data, agora, obrigatoria);
    else if (verificacao == u"entrega")
        recusa = confereDataEntrega(data, agora.date(), obrigatoria);
    else if (verificacao == u"ambas")
        recusa = confereDatas(dataPedido, data);
    else
        recusa = confereValidade(data, agora.date());
    QCOMPARE(recusa ? recusa->chave : QStringLiteral("-"), chave);
    if (!recusa)
        return;
    QCOMPARE(recusa->citaTexto, chave.endsWith(QLatin1String("_INV")));
    // A pending order's date conflict goes to the order date; any other's
    // to the delivery date.
    if (lugar.isEmpty())   // the validity's own editor takes it: the screen says where
        return;
    const std::optional<LugarDaMensagem> onde = lugarDaMensagem(recusa->chave, QStringLiteral("2"));
    QVERIFY(onde);
    QCOMPARE(QStringLiteral("%1/%2").arg(QLatin1String(onde->pagina), QLatin1String(onde->campo)), lugar);
    if (chave == u"VD_DATE")
        QCOMPARE(QLatin1String(lugarDaMensagem(recusa->chave, QStringLiteral("1"))->campo), QLatin1String("depDtRetirada"));
}

// Customer 10 %, seller 15 %: an item above both takes 15 %, held to the
// modality's 5 % where it has a discount.
void TestHeaderPostRules::descontoDaModalidade_data()
{
    QTest::addColumn<std::optional<double>>("cliente");
    QTest::addColumn<std::optional<double>>("vendedor");
    QTest::addColumn<std::optional<double>>("modalidade");
    QTest::addColumn<double>("item");
    QTest::addColumn<std::optional<double>>("permitido");
    QTest::addColumn<bool>("acima");
    using D = std::optional<double>;
    QTest::newRow("modality 5 %, item 20 %") << D(10) << D(15) << D(5) << 20.0 << D(5) << true;
    QTest::newRow("no modality discount, item 20 %") << D(10) << D(15) << D() << 20.0 << D(15) << true;
    QTest::newRow("item 15 % is not above") << D(10) << D(15) << D(5) << 15.0 << D(5) << false;
    QTest::newRow("item 12 % is above the customer only") << D(10) << D(15) << D(5) << 12.0 << D(5) << false;
    QTest::newRow("modality above the maxima") << D(10) << D(15) << D(30) << 20.0 << D(15) << true;
    QTest::newRow("only the seller's maximum") << D() << D(15) << D() << 16.0 << D(15) << true;
    QTest::newRow("no maxima: items skipped") << D() << D() << D(5) << 50.0 << D() << false;
}

void TestHeaderPostRules::descontoDaModalidade()
{
    QFETCH(std::optional<double>, cliente);
    QFETCH(std::optional<double>, vendedor);
    QFETCH(std::optional<double>, modalidade);
    QFETCH(double, item);
    QFETCH(std::optional<double>, permitido);
    QFETCH(bool, acima);
    QCOMPARE(descontoPermitidoNaModalidade(cliente, vendedor, modalidade), permitido);
    QCOMPARE(acimaDosMaximos(item, cliente, vendedor), acima);
}

QTEST_APPLESS_MAIN(TestHeaderPostRules)
#include "tst_header_post_rules.moc"
