#include "rules/formula_desconto.h"

#include <QtTest>

using namespace RegrasPedido;
using Situacao = PreviaDesconto::Situacao;

Q_DECLARE_METATYPE(RegrasPedido::PreviaDesconto::Situacao)
Q_DECLARE_METATYPE(RegrasPedido::RecusaFormula)

class TstFormulaDesconto : public QObject {
    Q_OBJECT

private slots:
    void previa_data();
    void previa();
};

void TstFormulaDesconto::previa_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<Situacao>("situacao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<double>("resultado");
    QTest::addColumn<double>("desconto");
    QTest::addColumn<double>("percentual");
    QTest::addColumn<bool>("habilitado");
    QTest::addColumn<RecusaFormula>("recusa");

    const auto ok = RecusaFormula::Nenhuma;
    QTest::newRow("one term") << 50.0 << "10" << Situacao::Valida << "50 - 5 = 45" << 45.0 << 5.0 << 10.0 << true << ok;
    QTest::newRow("decimal comma") << 80.0 << "2,5" << Situacao::Valida << "80 - 2 = 78" << 78.0 << 2.0 << 2.5 << true << ok;
    QTest::newRow("terms compound") << 100.0 << "10;5" << Situacao::Valida << "100 - 10 - 4,5 = 85,5" << 85.5 << 14.5
                                    << 14.5 << true << ok;
    QTest::newRow("three terms, blanks") << 200.0 << "10; 10 ;50" << Situacao::Valida << "200 - 20 - 18 - 81 = 81"
                                         << 81.0 << 119.0 << 59.5 << true << ok;
    QTest::newRow("nothing after ';': one term") << 50.0 << "10;" << Situacao::Valida << "50 - 5 = 45" << 45.0 << 5.0
                                                 << 10.0 << true << ok;
    QTest::newRow("ending with ';'") << 100.0 << "10;5;" << Situacao::Valida << "100 - 10 - 4,5 = 85,5" << 85.5 << 14.5
                                     << 14.5 << true << ok;
    QTest::newRow("100 % leaves nothing") << 50.0 << "100" << Situacao::Valida << "50 - 50 = 0" << 0.0 << 50.0 << 100.0
                                          << true << RecusaFormula::ResultadoNaoPositivo;
    QTest::newRow("zero") << 50.0 << "0" << Situacao::Vazia << "" << 50.0 << 0.0 << 0.0 << true
                          << RecusaFormula::FormulaVazia;
    QTest::newRow("empty") << 50.0 << "" << Situacao::Vazia << "" << 50.0 << 0.0 << 0.0 << false
                           << RecusaFormula::FormulaVazia;
    QTest::newRow("';' alone") << 50.0 << ";" << Situacao::Invalida << "" << 0.0 << 0.0 << 0.0 << false
                               << RecusaFormula::ResultadoNaoPositivo;
    QTest::newRow("',' alone") << 50.0 << "," << Situacao::Invalida << "" << 0.0 << 0.0 << 0.0 << false
                               << RecusaFormula::ResultadoNaoPositivo;
    QTest::newRow("two commas in a term") << 50.0 << "10;1,2,3" << Situacao::Invalida << "" << 0.0 << 0.0 << 0.0
                                          << true << RecusaFormula::ResultadoNaoPositivo;
    QTest::newRow("empty middle term") << 50.0 << "10;;5" << Situacao::Invalida << "" << 0.0 << 0.0 << 0.0 << true
                                       << RecusaFormula::ResultadoNaoPositivo;
    QTest::newRow("group dot is no decimal") << 50.0 << "1.5" << Situacao::Invalida << "" << 0.0 << 0.0 << 0.0 << true
                                             << RecusaFormula::ResultadoNaoPositivo;
}

void TstFormulaDesconto::previa()
{
    QFETCH(double, preco);
    QFETCH(QString, formula);
    QFETCH(Situacao, situacao);
    QFETCH(QString, texto);
    QFETCH(double, resultado);
    QFETCH(double, desconto);
    QFETCH(double, percentual);
    QFETCH(bool, habilitado);
    QFETCH(RecusaFormula, recusa);

    const PreviaDesconto previa = previaDesconto(preco, formula);
    QCOMPARE(previa.situacao, situacao);
    QCOMPARE(previa.previa, texto);
    QCOMPARE(previa.resultado, resultado);
    QCOMPARE(previa.desconto, desconto);
    QCOMPARE(previa.percentualTotal, percentual);
    QCOMPARE(confirmaHabilitado(true, formula), habilitado);
    QVERIFY(!confirmaHabilitado(false, formula));
    QCOMPARE(recusaConfirmacao(formula, previa.resultado), recusa);
}

QTEST_APPLESS_MAIN(TstFormulaDesconto)
#include "tst_formula_desconto.moc"
