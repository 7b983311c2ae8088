#include "rules/item_post.h"
#include "rules/item_values.h"

#include <QtTest>

using namespace RegrasPedido;

Q_DECLARE_METATYPE(std::optional<double>)

Q_DECLARE_METATYPE(RegrasPedido::SituacaoReserva)

class TestItemValues : public QObject {
    Q_OBJECT

private slots:
    void descontoCortadoCutsAfterTheSecondDecimal_data();
    void descontoCortadoCutsAfterTheSecondDecimal();
    void totaisItem_data();
    void totaisItem();
    void precoDeTabela_data();
    void precoDeTabela();
    void percentualRentabilidade_data();
    void percentualRentabilidade();
    void corRentabilidadeFallsBackToTheNoBandColour();
    void proximoNrItem_data();
    void proximoNrItem();
    void NextMultiple_data();
    void NextMultiple();
    void confereEntrega_data();
    void confereEntrega();
    void situacaoDoItem_data();
    void situacaoDoItem();
    void recusaSituacaoItem_data();
    void recusaSituacaoItem();
    void faltaEstoque_data();
    void faltaEstoque();
    void conferirReserva_data();
    void conferirReserva();
};

void TestItemValues::descontoCortadoCutsAfterTheSecondDecimal_data()
{
    QTest::addColumn<double>("desconto");
    QTest::addColumn<double>("cortado");
    QTest::newRow("third decimal cut, not rounded") << 10.239 << 10.23;
    QTest::newRow("two decimals kept") << 10.23 << 10.23;
    QTest::newRow("whole number") << 10.0 << 10.0;
    QTest::newRow("negative cut toward zero") << -1.239 << -1.23;
    QTest::newRow("arithmetic noise read as its 15 digits") << 0.1 + 0.2 << 0.3;
    QTest::newRow("tiny remainder is nothing, not its mantissa") << 0.1 * 3 - 0.3 << 0.0;
    QTest::newRow("below a hundredth") << 0.009 << 0.0;
    QTest::newRow("beyond 15 digits stays") << 1e16 << 1e16;
}

void TestItemValues::descontoCortadoCutsAfterTheSecondDecimal()
{
    QFETCH(double, desconto);
    QFETCH(double, cortado);
    QCOMPARE(descontoCortado(desconto), cortado);
}

void TestItemValues::totaisItem_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("desconto");
    QTest::addColumn<double>("markup");
    QTest::addColumn<bool>("bonificado");
    QTest::addColumn<double>("liquido");
    QTest::addColumn<double>("bruto");
    QTest::addColumn<double>("bonificacao");

    QTest::newRow("plain item") << 5.0 << 2.0 << 0.0 << 0.0 << false << 10.0 << 10.0 << 0.0;
    QTest::newRow("discount cut in the net value, rounded in the bonus")
        << 50.0 << 1.0 << 10.239 << 0.0 << true << 39.77 << 50.0 << 39.76;
    QTest::newRow("no bonus unless marked") << 50.0 << 1.0 << 10.239 << 0.0 << false << 39.77 << 50.0 << 0.0;
    QTest::newRow("net value takes the price to the cent, gross does not")
        << 1.005 << 3.0 << 0.0 << 0.0 << false << 3.03 << 3.015 << 0.0;
    QTest::newRow("markup replaces the discount") << 5.0 << 2.0 << 3.0 << 10.0 << false << 11.0 << 10.0 << 0.0;
    QTest::newRow("fractional quantity") << 2.5 << 0.4 << 0.0 << 0.0 << false << 1.0 << 1.0 << 0.0;
    QTest::newRow("no quantity") << 5.0 << 0.0 << 0.0 << 0.0 << true << 0.0 << 0.0 << 0.0;
}

void TestItemValues::totaisItem()
{
    ValoresItem item;
    QFETCH(double, preco);
    QFETCH(double, quantidade);
    QFETCH(double, desconto);
    QFETCH(double, markup);
    QFETCH(bool, bonificado);
    item.precoUnitario = preco;
    item.quantidade = quantidade;
    item.desconto = desconto;
    item.percentualMarkup = markup;
    item.bonificado = bonificado;
    const TotaisItem totais = RegrasPedido::totaisItem(item);
    QTEST(totais.liquido, "liquido");
    QTEST(totais.bruto, "bruto");
    QTEST(totais.bonificacao, "bonificacao");
}

void TestItemValues::precoDeTabela_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<double>("adicional");
    QTest::addColumn<double>("tabela");
    QTest::newRow("no additional") << 12.34 << 0.0 << 12.34;
    QTest::newRow("additional percentage") << 10.0 << 5.0 << 10.5;
    QTest::newRow("rounded to the cent") << 3.33 << 10.0 << 3.66;
    QTest::newRow("half a cent away from zero") << 1.0 << 0.5 << 1.01;
    QTest::newRow("discount percentage") << 10.0 << -15.0 << 8.5;
}

void TestItemValues::precoDeTabela()
{
    QFETCH(double, base);
    QFETCH(double, adicional);
    QTEST(RegrasPedido::precoDeTabela(base, adicional), "tabela");
}

void TestItemValues::percentualRentabilidade_data()
{
    QTest::addColumn<double>("liquido");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("precoBase");
    QTest::addColumn<double>("custo");
    QTest::addColumn<double>("formacao");
    QTest::addColumn<std::optional<double>>("percentual");

    QTest::newRow("above the base price") << 110.0 << 10.0 << 10.0 << 5.0 << 0.0 << std::optional(20.0);
    QTest::newRow("base price taken to the cent") << 110.0 << 10.0 << 10.004 << 5.0 << 0.0 << std::optional(20.0);
    QTest::newRow("price formation added") << 110.0 << 10.0 << 10.0 << 5.0 << 3.0 << std::optional(23.0);
    QTest::newRow("below the base price") << 90.0 << 10.0 << 10.0 << 5.0 << 0.0 << std::optional(-20.0);
    QTest::newRow("no cost") << 110.0 << 10.0 << 10.0 << 0.0 << 3.0 << std::optional<double>();
    QTest::newRow("no quantity") << 0.0 << 0.0 << 10.0 << 5.0 << 3.0 << std::optional<double>();
}

void TestItemValues::percentualRentabilidade()
{
    QFETCH(double, liquido);
    QFETCH(double, quantidade);
    QFETCH(double, precoBase);
    QFETCH(double, custo);
    QFETCH(double, formacao);
    QFETCH(std::optional<double>, percentual);
    const std::optional<double> calculado = RegrasPedido::percentualRentabilidade(liquido, quantidade, {precoBase, custo, formacao});
    QCOMPARE(calculado.has_value(), percentual.has_value());
    if (percentual)
        QVERIFY2(qAbs(*calculado - *percentual) < 1e-9, qPrintable(QString::number(*calculado, 'g', 17)));
}

void TestItemValues::corRentabilidadeFallsBackToTheNoBandColour()
{
    QCOMPARE(corRentabilidade(std::nullopt), 15269887.0);
    QCOMPARE(corRentabilidade(255.0), 255.0);
    QCOMPARE(corRentabilidade(0.0), 0.0);
}

void TestItemValues::proximoNrItem_data()
{
    QTest::addColumn<QStringList>("numeros");
    QTest::addColumn<QString>("proximo");
    QTest::newRow("first item") << QStringList() << "0000000001";
    QTest::newRow("after the highest") << QStringList{"0000000001", "0000000003", "0000000002"} << "0000000004";
    QTest::newRow("a deleted number in between is not reused") << QStringList{"0000000001", "0000000004"} << "0000000005";
    QTest::newRow("blanks around numbers") << QStringList{" 7 ", "0000000002"} << "0000000008";
    QTest::newRow("text that is no number counts as 0") << QStringList{"ABC"} << "0000000001";
    QTest::newRow("past ten digits not cut") << QStringList{"9999999999"} << "10000000000";
}

void TestItemValues::proximoNrItem()
{
    QFETCH(QStringList, numeros);
    QTEST(RegrasPedido::proximoNrItem(numeros), "proximo");
}

QTEST_APPLESS_MAIN(TestItemValues)
void TestItemValues::NextMultiple_data()
{
    QTest::addColumn<double>("valor");
    QTest::addColumn<double>("multiplo");
    QTest::addColumn<double>("esperado");
    QTest::newRow("below one multiple") << 10.0 << 12.0 << 12.0;
    QTest::newRow("between the second and third") << 25.0 << 12.0 << 36.0;
    QTest::newRow("already a multiple") << 24.0 << 12.0 << 24.0;
    QTest::newRow("no multiple") << 25.0 << 0.0 << 25.0;
    QTest::newRow("negative multiple") << 25.0 << -12.0 << 25.0;
    QTest::newRow("zero quantity") << 0.0 << 12.0 << 0.0;
    QTest::newRow("negative quantity takes one multiple") << -5.0 << 12.0 << 12.0;
    QTest::newRow("fractional multiple, no drift") << 0.35 << 0.1 << 0.4;
    QTest::newRow("fraction of a multiple of 0.1") << 0.3 << 0.1 << 0.3;
    QTest::newRow("equal below a hundred-thousandth") << 24.000001 << 12.0 << 24.000001;
    QTest::newRow("fractional quantity") << 2.5 << 1.0 << 3.0;
    QTest::newRow("beyond 32 bits scaled") << 30000.0 << 7.0 << 30002.0;
    QTest::newRow("large multiple") << 1.0 << 50000.0 << 50000.0;
    QTest::newRow("beyond 2^53 hundred-thousandths") << 1e12 + 1 << 1e11 << 1.1e12;
    QTest::newRow("huge, already a multiple") << 1e15 << 1e12 << 1e15;
}

// Rounding up to the sales multiple never overflows, however large the
// quantity or the multiple, and gives the same results as counting up.
void TestItemValues::NextMultiple()
{
    QFETCH(double, valor);
    QFETCH(double, multiplo);
    QFETCH(double, esperado);
    QCOMPARE(RegrasPedido::NextMultiple(valor, multiplo), esperado);
}

void TestItemValues::confereEntrega_data()
{
    QTest::addColumn<QDateTime>("entrega");
    QTest::addColumn<int>("esperado");
    using C = ConferenciaEntrega;
    const QDate dia(2026, 12, 10);
    QTest::newRow("no date") << QDateTime() << int(C::SemData);
    QTest::newRow("midnight") << QDateTime(dia, QTime(0, 0)) << int(C::SemHora);
    QTest::newRow("seconds after midnight still none") << QDateTime(dia, QTime(0, 0, 30)) << int(C::SemHora);
    QTest::newRow("one minute past midnight") << QDateTime(dia, QTime(0, 1)) << int(C::Aceita);
    QTest::newRow("afternoon") << QDateTime(dia, QTime(14, 0)) << int(C::Aceita);
    QTest::newRow("before the zero date") << QDateTime(QDate(1899, 12, 29), QTime(9, 0)) << int(C::AntesDaDataZero);
    QTest::newRow("the zero date itself") << QDateTime(QDate(1899, 12, 30), QTime(9, 0)) << int(C::Aceita);
}

void TestItemValues::confereEntrega()
{
    QFETCH(QDateTime, entrega);
    QFETCH(int, esperado);
    QCOMPARE(int(RegrasPedido::confereEntrega(entrega)), esperado);
}

#include "tst_item_values.moc"

void TestItemValues::situacaoDoItem_data()
{
    QTest::addColumn<bool>("orcamento");
    QTest::addColumn<QString>("modalidade");
    QTest::addColumn<QString>("filial");
    QTest::addColumn<QString>("situacao");   // "-": the item keeps its own
    QTest::newRow("quotation, whatever launches") << true << "3" << "2" << "1";
    QTest::newRow("modality's code wins") << false << "2" << "3" << "2";
    QTest::newRow("modality 3") << false << "3" << "" << "3";
    QTest::newRow("no modality code: the branch's") << false << "" << "3" << "3";
    QTest::newRow("branch 2") << false << "" << "2" << "2";
    QTest::newRow("branch empty counts as 1") << false << "" << "" << "1";
    QTest::newRow("unknown modality code keeps the item's") << false << "7" << "2" << "-";
    QTest::newRow("unknown branch code keeps the item's") << false << "" << "X" << "-";
}

void TestItemValues::situacaoDoItem()
{
    QFETCH(bool, orcamento);
    QFETCH(QString, modalidade);
    QFETCH(QString, filial);
    QFETCH(QString, situacao);
    QCOMPARE(RegrasPedido::situacaoDoItem(orcamento, modalidade, filial).value_or(QStringLiteral("-")), situacao);
}

void TestItemValues::recusaSituacaoItem_data()
{
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<QString>("chave");   // empty: passes
    QTest::addColumn<bool>("segundoCatalogo");
    QTest::newRow("pending") << "1" << "" << false;
    QTest::newRow("none") << "" << "" << false;
    QTest::newRow("8 passes") << "8" << "" << false;
    QTest::newRow("settled") << "4" << "IT_LIQUIDADO" << false;
    QTest::newRow("settled 6") << "6" << "IT_LIQUIDADO" << false;
    QTest::newRow("cancelled") << "5" << "IT_CANCELADO" << false;
    QTest::newRow("partly served") << "7" << "IT_PA" << false;
    QTest::newRow("confirmed or approved") << "9" << "IT_APRCONF" << true;
    QTest::newRow("first character counts") << "5X" << "IT_CANCELADO" << false;
}

void TestItemValues::recusaSituacaoItem()
{
    QFETCH(QString, situacao);
    QFETCH(QString, chave);
    QFETCH(bool, segundoCatalogo);
    const std::optional<RecusaSituacao> recusa = RegrasPedido::recusaSituacaoItem(situacao);
    QCOMPARE(recusa ? recusa->chave : QString(), chave);
    QCOMPARE(recusa && recusa->segundoCatalogo, segundoCatalogo);
}

void TestItemValues::conferirReserva_data()
{
    QTest::addColumn<SituacaoReserva>("situacao");
    QTest::addColumn<bool>("confere");
    const SituacaoReserva editado{true, true, true, false, true, false};
    const auto com = [&](auto mudanca) {
        SituacaoReserva situacao = editado;
        mudanca(situacao);
        return situacao;
    };
    QTest::newRow("edited item of a stored order") << editado << true;
    QTest::newRow("edited item of an order being included")
        << com([](SituacaoReserva& s) { s.pedidoIncluido = true; }) << false;
    QTest::newRow("item being inserted") << com([](SituacaoReserva& s) { s.itemEditado = false; }) << false;
    QTest::newRow("product changed") << com([](SituacaoReserva& s) { s.mesmoProduto = false; }) << false;
    QTest::newRow("status changed") << com([](SituacaoReserva& s) { s.situacaoAlterada = true; }) << false;
    QTest::newRow("stock not controlled") << com([](SituacaoReserva& s) { s.estoqueControlado = false; }) << false;
    QTest::newRow("no stock position open") << com([](SituacaoReserva& s) { s.posicaoAberta = false; }) << false;
}

// The reservations are asked of an edited item only where the confirmation
// sends them: not in an order being included.
void TestItemValues::conferirReserva()
{
    QFETCH(SituacaoReserva, situacao);
    QFETCH(bool, confere);
    QCOMPARE(RegrasPedido::conferirReserva(situacao), confere);
}

void TestItemValues::faltaEstoque_data()
{
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("estoque");
    QTest::addColumn<double>("pedidos");
    QTest::addColumn<double>("orcamentos");
    QTest::addColumn<double>("outrosItens");
    QTest::addColumn<bool>("falta");
    QTest::addColumn<double>("disponivel");
    QTest::addColumn<double>("diferenca");
    QTest::newRow("fits") << 10.0 << 100.0 << 50.0 << 20.0 << 0.0 << false << 30.0 << 20.0;
    QTest::newRow("exactly what is left fits") << 30.0 << 100.0 << 50.0 << 20.0 << 0.0 << false << 30.0 << 0.0;
    QTest::newRow("one more is short") << 31.0 << 100.0 << 50.0 << 20.0 << 0.0 << true << 30.0 << -1.0;
    QTest::newRow("the order's other items count") << 10.0 << 100.0 << 50.0 << 20.0 << 25.0 << true << 5.0 << -5.0;
    QTest::newRow("nothing in stock") << 1.0 << 0.0 << 0.0 << 0.0 << 0.0 << true << 0.0 << -1.0;
    QTest::newRow("compared to five places") << 30.000001 << 100.0 << 50.0 << 20.0 << 0.0 << false << 30.0 << 0.0;
}

// The available quantity the dialog shows is the stock less everything
// promised, and the shortage test agrees with it.
void TestItemValues::faltaEstoque()
{
    QFETCH(double, quantidade);
    QFETCH(double, estoque);
    QFETCH(double, pedidos);
    QFETCH(double, orcamentos);
    QFETCH(double, outrosItens);
    QFETCH(bool, falta);
    QFETCH(double, disponivel);
    QFETCH(double, diferenca);
    const FigurasEstoque figuras{estoque - pedidos - orcamentos, pedidos, estoque, orcamentos, true};
    const std::optional<FaltaEstoque> achada = RegrasPedido::faltaEstoque(quantidade, figuras, outrosItens);
    QCOMPARE(achada.has_value(), falta);
    if (!achada)
        return;
    QCOMPARE(achada->qtDisponivel, disponivel);
    QCOMPARE(achada->vrDiferenca, diferenca);
    QCOMPARE(achada->qtPedTotal, pedidos + outrosItens);
    QCOMPARE(achada->qtSolicitada, quantidade);
}
