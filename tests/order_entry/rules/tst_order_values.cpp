#include "rules/order_values.h"

#include <QtTest>

using namespace RegrasPedido;

Q_DECLARE_METATYPE(RegrasPedido::ValoresItem)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

ValoresItem item(double preco, double quantidade, double desconto)
{
    ValoresItem valores;
    valores.precoUnitario = preco;
    valores.quantidade = quantidade;
    valores.desconto = desconto;
    return valores;
}

} // namespace

class TestOrderValues : public QObject {
    Q_OBJECT

private slots:
    void valorMercadorias_data();
    void valorMercadorias();
    void valorParaMinimo_data();
    void valorParaMinimo();
};

void TestOrderValues::valorMercadorias_data()
{
    QTest::addColumn<QList<ValoresItem>>("itens");
    QTest::addColumn<double>("valor");
    QTest::newRow("no items") << QList<ValoresItem>() << 0.0;
    QTest::newRow("price to the cent times quantity less the stored discount")
        << QList<ValoresItem>{item(1.005, 3, 0.5), item(10, 2, 0)} << 22.53;
    QTest::newRow("discount taken as stored, not cut") << QList<ValoresItem>{item(100, 1, 10.239)} << 89.761;
}

void TestOrderValues::valorMercadorias()
{
    QFETCH(QList<ValoresItem>, itens);
    QTEST(RegrasPedido::valorMercadorias(itens), "valor");
}

void TestOrderValues::valorParaMinimo_data()
{
    QTest::addColumn<std::optional<double>>("produtos");
    QTest::addColumn<std::optional<double>>("descontos");
    QTest::addColumn<std::optional<double>>("bonificacoes");
    QTest::addColumn<double>("minimo");
    QTest::addColumn<double>("valor");
    QTest::addColumn<bool>("abaixo");

    const std::optional<double> vazio;
    QTest::newRow("no products") << vazio << std::optional(10.0) << vazio << 150.0 << 0.0 << true;
    QTest::newRow("products only, at the minimum") << std::optional(150.0) << vazio << vazio << 150.0 << 150.0 << false;
    QTest::newRow("discounts and bonuses rounded to the cent")
        << std::optional(200.0) << std::optional(30.004) << std::optional(20.005) << 150.0 << 149.99 << true;
    QTest::newRow("above the minimum") << std::optional(200.0) << std::optional(49.995) << vazio << 150.0 << 150.0 << false;
    QTest::newRow("no minimum") << std::optional(0.0) << vazio << vazio << 0.0 << 0.0 << false;
}

void TestOrderValues::valorParaMinimo()
{
    QFETCH(std::optional<double>, produtos);
    QFETCH(std::optional<double>, descontos);
    QFETCH(std::optional<double>, bonificacoes);
    QFETCH(double, minimo);
    QFETCH(double, valor);
    const double calculado = RegrasPedido::valorParaMinimo({produtos, descontos, bonificacoes});
    QCOMPARE(calculado, valor);
    QTEST(abaixoDoMinimo(minimo, calculado), "abaixo");
}

QTEST_APPLESS_MAIN(TestOrderValues)
#include "tst_order_values.moc"
