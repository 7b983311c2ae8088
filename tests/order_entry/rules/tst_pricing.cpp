#include "rules/pricing.h"

#include <QtTest>

using namespace RegrasPedido;

namespace {

using Opcional = std::optional<double>;

PercentuaisCondicao condicao(std::initializer_list<double> percentuais)
{
    PercentuaisCondicao todos{};
    std::copy(percentuais.begin(), percentuais.end(), todos.begin());
    return todos;
}

} // namespace

Q_DECLARE_METATYPE(RegrasPedido::PercentuaisCondicao)
Q_DECLARE_METATYPE(std::optional<RegrasPedido::PercentuaisCondicao>)
Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(RegrasPedido::PoliticaMaximo)
Q_DECLARE_METATYPE(RegrasPedido::ConferenciaMaximo)
Q_DECLARE_METATYPE(RegrasPedido::RecusaPreco)

class TstPricing : public QObject {
    Q_OBJECT

private slots:
    void posicaoNaFaixa_data();
    void posicaoNaFaixa();
    void precoDoItem_data();
    void precoDoItem();
    void consultaTrocaPreco_data();
    void consultaTrocaPreco();
    void recusaPreco_data();
    void recusaPreco();
    void valorEPercentual_data();
    void valorEPercentual();
    void descontoPadrao_data();
    void descontoPadrao();
    void descontoMaximo_data();
    void descontoMaximo();
    void condicaoZeraPreco_data();
    void condicaoZeraPreco();
    void faixaOpcional_data();
    void faixaOpcional();
    void usaPrecoNoItem_data();
    void usaPrecoNoItem();
    void filtroPrecoBaseDobraAspas();
};

void TstPricing::precoDoItem_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<double>("adicional");
    QTest::addColumn<QString>("tipoTabela");
    QTest::addColumn<std::optional<PercentuaisCondicao>>("cond");
    QTest::addColumn<double>("parametro");
    QTest::addColumn<double>("unitario");
    QTest::addColumn<QString>("tipo");

    using C = std::optional<PercentuaisCondicao>;
    QTest::newRow("10 % then 5 % after 5 %: 105.00 -> 94.50 -> 89.775 -> 89.78")
        << 100.0 << 5.0 << "N" << C(condicao({10, 5})) << 105.0 << 89.78 << "R";
    QTest::newRow("condition of zeros keeps the price") << 100.0 << 0.0 << "N" << C(condicao({})) << 100.0 << 100.0 << "N";
    QTest::newRow("no condition") << 12.34 << 0.0 << "P" << C() << 12.34 << 12.34 << "P";
    QTest::newRow("negative adjustment rounds the parameter price") << 19.99 << -3.0 << "N" << C() << 19.39 << 19.39 << "R";
    QTest::newRow("intermediate values unrounded") << 10.0 << 0.0 << "N" << C(condicao({3, 2, 1.5, 1, 0.5, 0.5, 0.25, 0.25}))
                                                   << 10.0 << 9.13 << "N";
    QTest::newRow("condition of 100 % gives 0") << 50.0 << 0.0 << "N" << C(condicao({100})) << 50.0 << 0.0 << "N";
}

void TstPricing::precoDoItem()
{
    QFETCH(double, base);
    QFETCH(double, adicional);
    QFETCH(QString, tipoTabela);
    QFETCH(std::optional<PercentuaisCondicao>, cond);
    const PrecoItem item = RegrasPedido::precoDoItem({base, adicional, tipoTabela, QStringLiteral("N")}, cond);
    QCOMPARE(item.precoTabela, base);
    QTEST(item.precoParametro, "parametro");
    QTEST(item.precoUnitario, "unitario");
    QTEST(item.tipoPreco, "tipo");
}

void TstPricing::consultaTrocaPreco_data()
{
    QTest::addColumn<bool>("digitado");
    QTest::addColumn<bool>("coluna");
    QTest::addColumn<QString>("cond");
    QTest::addColumn<QString>("anterior");
    QTest::addColumn<bool>("troca");

    QTest::newRow("nothing typed") << false << true << "0000000002" << "0000000002" << true;
    QTest::newRow("typed price survives a lookup") << true << true << "0000000002" << "0000000002" << false;
    QTest::newRow("typed price gives way to a new condition") << true << true << "0000000004" << "0000000002" << true;
    QTest::newRow("without the condition column the typed price stays") << true << false << "0000000004" << "0000000002" << false;
}

void TstPricing::consultaTrocaPreco()
{
    QFETCH(bool, digitado);
    QFETCH(bool, coluna);
    QFETCH(QString, cond);
    QFETCH(QString, anterior);
    QTEST(RegrasPedido::consultaTrocaPreco(digitado, coluna, cond, anterior), "troca");
}

void TstPricing::recusaPreco_data()
{
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<RecusaPreco>("recusa");

    QTest::newRow("not registered") << "PRECO_NAO_CAD" << "P" << RecusaPreco::NaoCadastrado;
    QTest::newRow("out of validity") << "PRECO_N_VIGOR" << "" << RecusaPreco::ForaDeVigor;
    QTest::newRow("typed price is left alone") << "PRECO_NAO_CAD" << "O" << RecusaPreco::Ignorar;
    QTest::newRow("parameter price is left alone") << "PRECO_N_VIGOR" << "R" << RecusaPreco::Ignorar;
}

void TstPricing::recusaPreco()
{
    QFETCH(QString, chave);
    QFETCH(QString, tipo);
    QTEST(RegrasPedido::recusaPreco(chave, tipo), "recusa");
}

void TstPricing::valorEPercentual_data()
{
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("preco");
    QTest::addColumn<double>("valor");
    QTest::addColumn<Opcional>("percentual");

    QTest::newRow("5.00 on 2 x 12.50 is 20 %") << 2.0 << 12.5 << 5.0 << Opcional(20.0);
    QTest::newRow("20 % on 3 x 12.50 is 7.50") << 3.0 << 12.5 << 7.5 << Opcional(20.0);
    QTest::newRow("no price: no percentage") << 3.0 << 0.0 << 7.5 << Opcional();
    QTest::newRow("no quantity: no percentage") << 0.0 << 12.5 << 7.5 << Opcional();
}

void TstPricing::valorEPercentual()
{
    QFETCH(double, quantidade);
    QFETCH(double, preco);
    QFETCH(double, valor);
    QFETCH(Opcional, percentual);
    QCOMPARE(percentualDoDesconto(valor, quantidade, preco), percentual);
    if (percentual)
        QCOMPARE(valorDoDesconto(quantidade, preco, *percentual), valor);
}

void TstPricing::descontoPadrao_data()
{
    QTest::addColumn<QString>("politica");
    QTest::addColumn<double>("modalidade");
    QTest::addColumn<Opcional>("produto");
    QTest::addColumn<Opcional>("cliente");
    QTest::addColumn<Opcional>("vendedor");
    QTest::addColumn<double>("percentual");
    QTest::addColumn<bool>("limitado");

    QTest::newRow("S: first lower maximum, product before customer") << "S" << 10.0 << Opcional(8) << Opcional(5) << Opcional() << 8.0 << true;
    QTest::newRow("S: product above, customer lower") << "S" << 10.0 << Opcional(12) << Opcional(5) << Opcional(3) << 5.0 << true;
    QTest::newRow("S: no maximum lower") << "S" << 3.0 << Opcional(8) << Opcional(5) << Opcional(4) << 3.0 << false;
    QTest::newRow("S: without maxima") << "S" << 3.0 << Opcional() << Opcional() << Opcional() << 3.0 << false;
    QTest::newRow("2 does not cap the default") << "2" << 10.0 << Opcional(8) << Opcional(5) << Opcional() << 10.0 << false;
}

void TstPricing::descontoPadrao()
{
    QFETCH(QString, politica);
    QFETCH(double, modalidade);
    QFETCH(Opcional, produto);
    QFETCH(Opcional, cliente);
    QFETCH(Opcional, vendedor);
    const DescontoPadrao padrao = RegrasPedido::descontoPadrao(modalidade, {produto, cliente, vendedor}, politicaMaximo(politica));
    QTEST(padrao.percentual, "percentual");
    QTEST(padrao.limitado, "limitado");
}

void TstPricing::descontoMaximo_data()
{
    QTest::addColumn<QString>("politica");
    QTest::addColumn<Opcional>("produto");
    QTest::addColumn<Opcional>("cliente");
    QTest::addColumn<Opcional>("vendedor");
    QTest::addColumn<double>("percentual");
    QTest::addColumn<Opcional>("maximo");
    QTest::addColumn<ConferenciaMaximo>("conferencia");

    QTest::newRow("2: 6.5 % within 7 %") << "2" << Opcional(5) << Opcional(7) << Opcional(6) << 6.5 << Opcional(7) << ConferenciaMaximo::Aceito;
    QTest::newRow("2: 7.5 % asks") << "2" << Opcional(5) << Opcional(7) << Opcional(6) << 7.5 << Opcional(7) << ConferenciaMaximo::Perguntar;
    QTest::newRow("3: 7.5 % refused") << "3" << Opcional(5) << Opcional(7) << Opcional(6) << 7.5 << Opcional(7) << ConferenciaMaximo::Recusar;
    QTest::newRow("3: equal to the maximum passes") << "3" << Opcional(5) << Opcional(7) << Opcional(6) << 7.0 << Opcional(7) << ConferenciaMaximo::Aceito;
    QTest::newRow("no product row: customer raised to seller") << "3" << Opcional() << Opcional(10) << Opcional(15) << 16.0 << Opcional(15) << ConferenciaMaximo::Recusar;
    QTest::newRow("no product row: customer alone") << "3" << Opcional() << Opcional(10) << Opcional() << 10.5 << Opcional(10) << ConferenciaMaximo::Recusar;
    QTest::newRow("no product row: seller alone") << "2" << Opcional() << Opcional() << Opcional(4) << 5.0 << Opcional(4) << ConferenciaMaximo::Perguntar;
    QTest::newRow("no maxima at all: no limit") << "3" << Opcional() << Opcional() << Opcional() << 90.0 << Opcional() << ConferenciaMaximo::Aceito;
    QTest::newRow("S never compares") << "S" << Opcional(5) << Opcional(7) << Opcional(6) << 50.0 << Opcional(7) << ConferenciaMaximo::Aceito;
}

void TstPricing::descontoMaximo()
{
    QFETCH(QString, politica);
    QFETCH(Opcional, produto);
    QFETCH(Opcional, cliente);
    QFETCH(Opcional, vendedor);
    QFETCH(double, percentual);
    QFETCH(Opcional, maximo);
    QCOMPARE(RegrasPedido::descontoMaximo({produto, cliente, vendedor}), maximo);
    QTEST(confereMaximo(politicaMaximo(politica), percentual, maximo), "conferencia");
    if (maximo)
        QCOMPARE(textoPercentual(*maximo), QString::number(*maximo));
    QCOMPARE(textoPercentual(7.5), QStringLiteral("7,5"));
}

void TstPricing::condicaoZeraPreco_data()
{
    QTest::addColumn<bool>("produto");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("total");
    QTest::addColumn<bool>("recusa");

    QTest::newRow("total zero") << true << 2.0 << 0.0 << true;
    QTest::newRow("total negative") << true << 2.0 << -0.01 << true;
    QTest::newRow("one cent left") << true << 2.0 << 0.01 << false;
    QTest::newRow("no product yet") << false << 2.0 << 0.0 << false;
    QTest::newRow("no quantity yet") << true << 0.0 << 0.0 << false;
}

void TstPricing::condicaoZeraPreco()
{
    QFETCH(bool, produto);
    QFETCH(double, quantidade);
    QFETCH(double, total);
    QTEST(RegrasPedido::condicaoZeraPreco(produto, quantidade, total), "recusa");
}

void TstPricing::faixaOpcional_data()
{
    QTest::addColumn<QList<double>>("opcionais");
    QTest::addColumn<double>("preco");
    QTest::addColumn<bool>("temFaixa");
    QTest::addColumn<bool>("dentro");

    const QList<double> precos{11.0, 9.5, 10.0};
    QTest::newRow("lowest passes") << precos << 9.5 << true << true;
    QTest::newRow("highest passes") << precos << 11.0 << true << true;
    QTest::newRow("a cent below") << precos << 9.49 << true << false;
    QTest::newRow("a cent above") << precos << 11.01 << true << false;
    QTest::newRow("no optional prices: no band") << QList<double>{} << 1000.0 << false << true;
}

void TstPricing::faixaOpcional()
{
    QFETCH(QList<double>, opcionais);
    QFETCH(double, preco);
    const std::optional<FaixaPreco> faixa = RegrasPedido::faixaOpcional(opcionais);
    QTEST(faixa.has_value(), "temFaixa");
    QTEST(!faixa || faixa->contem(preco), "dentro");
}

void TstPricing::usaPrecoNoItem_data()
{
    QTest::addColumn<QString>("tabPreco");
    QTest::addColumn<QString>("calcPrecFat");
    QTest::addColumn<bool>("usa");

    QTest::newRow("price table") << "1" << "" << true;
    QTest::newRow("factor priced at entry") << "2" << "L" << true;
    QTest::newRow("factor priced at shipping") << "2" << "E" << false;
    QTest::newRow("no mode") << "" << "L" << false;
}

void TstPricing::usaPrecoNoItem()
{
    QFETCH(QString, tabPreco);
    QFETCH(QString, calcPrecFat);
    QTEST(RegrasPedido::usaPrecoNoItem(tabPreco, calcPrecFat), "usa");
}

void TstPricing::filtroPrecoBaseDobraAspas()
{
    QCOMPARE(filtroPrecoBase(QStringLiteral("1"), QStringLiteral("0'")), QStringLiteral("IDPESQ = '1' AND CDPRECOBASE = '0'''"));
    QCOMPARE(filtroProdutoDoPedido(QStringLiteral("0000000001"), QStringLiteral("x' OR '1' = '1")),
             QStringLiteral("NRPEDIDO = '0000000001' AND CDARVPROD = 'x'' OR ''1'' = ''1'"));
}

void TstPricing::posicaoNaFaixa_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<QString>("maior");
    QTest::addColumn<QString>("menor");
    QTest::addColumn<int>("esperado");
    using P = PosicaoNaFaixa;
    // Parameter price 10.00: the band +10 % / -5 % is 9.50 ... 11.00.
    QTest::newRow("inside") << 10.5 << "10" << "5" << int(P::Dentro);
    QTest::newRow("the upper bound itself") << 11.0 << "10" << "5" << int(P::Dentro);
    QTest::newRow("above") << 11.01 << "10" << "5" << int(P::AcimaDoMaior);
    QTest::newRow("the lower bound itself") << 9.5 << "10" << "5" << int(P::Dentro);
    QTest::newRow("below") << 9.49 << "10" << "5" << int(P::AbaixoDoMenor);
    QTest::newRow("no upper percentage: no upper bound") << 50.0 << "" << "5" << int(P::Dentro);
    QTest::newRow("no lower percentage: no lower bound") << 0.01 << "10" << "" << int(P::Dentro);
    QTest::newRow("decimal comma") << 10.26 << "2,5" << "" << int(P::AcimaDoMaior);
    QTest::newRow("zero percent: the parameter price only") << 10.01 << "0" << "0" << int(P::AcimaDoMaior);
    // -4.565 % is 9.5435, 9.54 in cents: a price rounded to the cent there is inside.
    QTest::newRow("the lower bound in cents") << 9.54 << "" << "4,565" << int(P::Dentro);
    QTest::newRow("a cent below the bound in cents") << 9.53 << "" << "4,565" << int(P::AbaixoDoMenor);
}

// A typed price is held to the band around the parameter price.
void TstPricing::posicaoNaFaixa()
{
    QFETCH(double, preco);
    QFETCH(QString, maior);
    QFETCH(QString, menor);
    QFETCH(int, esperado);
    QCOMPARE(int(RegrasPedido::posicaoNaFaixa(preco, 10.0, maior, menor)), esperado);
}

QTEST_APPLESS_MAIN(TstPricing)
#include "tst_pricing.moc"
