#include "rules/confirmation.h"

#include <QtTest>

using namespace RegrasPedido;

Q_DECLARE_METATYPE(RegrasPedido::Submissao)
Q_DECLARE_METATYPE(RegrasPedido::PerguntaDesconto)
Q_DECLARE_METATYPE(RegrasPedido::EfeitoRevisao)
Q_DECLARE_METATYPE(RegrasPedido::Reconexoes::Acao)

class TestConfirmationRules : public QObject {
    Q_OBJECT

private slots:
    void sinaisDaSubmissao_data();
    void sinaisDaSubmissao();
    void descontoDaModalidade_data();
    void descontoDaModalidade();
    void listaCampoNull_data();
    void listaCampoNull();
    void reconexoes_data();
    void reconexoes();
    void efeitoDaRevisao_data();
    void efeitoDaRevisao();
    void textoValorMinimo_data();
    void textoValorMinimo();
};

void TestConfirmationRules::sinaisDaSubmissao_data()
{
    QTest::addColumn<Submissao>("submissao");
    QTest::addColumn<bool>("primeira");
    QTest::addColumn<bool>("revisao");
    QTest::addColumn<bool>("somentePrimeira");
    QTest::newRow("primeira") << Submissao::Primeira << true << true << true;
    QTest::newRow("revisada") << Submissao::Revisada << false << true << false;
    QTest::newRow("final") << Submissao::Final << false << false << false;
    QTest::newRow("recusada") << Submissao::Recusada << false << false << false;
}

void TestConfirmationRules::sinaisDaSubmissao()
{
    QFETCH(Submissao, submissao);
    QFETCH(bool, primeira);
    QFETCH(bool, revisao);
    QFETCH(bool, somentePrimeira);
    QCOMPARE(RegrasPedido::sinaisDaSubmissao(submissao), (SinaisSubmissao{primeira, revisao, somentePrimeira}));
}

void TestConfirmationRules::descontoDaModalidade_data()
{
    QTest::addColumn<double>("preco");
    QTest::addColumn<double>("quantidade");
    QTest::addColumn<double>("percentual");
    QTest::addColumn<double>("desconto");
    QTest::addColumn<PerguntaDesconto>("semDescontoNosItens");
    QTest::addColumn<PerguntaDesconto>("comDescontoNosItens");
    QTest::newRow("5% de 10 x 12,50") << 12.5 << 10.0 << 5.0 << 6.25 << PerguntaDesconto::ComDesconto
                                       << PerguntaDesconto::ComDesconto;
    QTest::newRow("arredonda ao centavo") << 3.33 << 3.0 << 7.5 << 0.75 << PerguntaDesconto::ComDesconto
                                           << PerguntaDesconto::ComDesconto;
    QTest::newRow("modalidade sem desconto") << 10.0 << 2.0 << 0.0 << 0.0 << PerguntaDesconto::Nenhuma
                                              << PerguntaDesconto::SemDesconto;
}

void TestConfirmationRules::descontoDaModalidade()
{
    QFETCH(double, preco);
    QFETCH(double, quantidade);
    QFETCH(double, percentual);
    QTEST(RegrasPedido::descontoDaModalidade(preco, quantidade, percentual), "desconto");
    QTEST(perguntaDoDesconto(percentual, false), "semDescontoNosItens");
    QTEST(perguntaDoDesconto(percentual, true), "comDescontoNosItens");
}

void TestConfirmationRules::listaCampoNull_data()
{
    QTest::addColumn<QList<CampoDaLinha>>("campos");
    QTest::addColumn<QString>("lista");
    QTest::newRow("sem nulos") << QList<CampoDaLinha>{{"CDFILIAL", false, false}, {"NRPEDIDO", false, false}} << "";
    QTest::newRow("nulos em ordem, calculados fora")
        << QList<CampoDaLinha>{{"DSENDEPED", false, true}, {"VRTOTAL", true, true}, {"NRCEPPED", false, false},
                               {"NMBAIRROPED", false, true}}
        << "-DSENDEPED-NMBAIRROPED";
    QTest::newRow("sem campos") << QList<CampoDaLinha>{} << "";
}

void TestConfirmationRules::listaCampoNull()
{
    QFETCH(QList<CampoDaLinha>, campos);
    QTEST(ListaCampoNull(campos), "lista");
}

void TestConfirmationRules::reconexoes_data()
{
    QTest::addColumn<QStringList>("falhas");
    QTest::addColumn<QList<Reconexoes::Acao>>("acoes");
    QTest::addColumn<bool>("mostraSaldoDepois");
    using A = Reconexoes::Acao;
    const QString queda = QStringLiteral("A conexão com o servidor de aplicação caiu");
    QTest::newRow("três silenciosas, depois pergunta")
        << QStringList{queda, queda, queda, queda, queda}
        << QList<A>{A::ReconectaSemPerguntar, A::ReconectaSemPerguntar, A::ReconectaSemPerguntar, A::Pergunta, A::Pergunta}
        << true;
    QTest::newRow("saldo insuficiente conta e não reconecta")
        << QStringList{QStringLiteral("SALDO_INSU")} << QList<A>{A::SaldoInsuficiente} << false;
    QTest::newRow("saldo depois de uma queda") << QStringList{queda, QStringLiteral("SALDO_INSU")}
                                               << QList<A>{A::ReconectaSemPerguntar, A::SaldoInsuficiente} << true;
    QTest::newRow("nenhuma falha") << QStringList{} << QList<A>{} << true;
}

void TestConfirmationRules::reconexoes()
{
    QFETCH(QStringList, falhas);
    QFETCH(QList<Reconexoes::Acao>, acoes);
    Reconexoes contador;
    QList<Reconexoes::Acao> obtidas;
    for (const QString& falha : falhas)
        obtidas << contador.falhou(falha);
    QCOMPARE(obtidas, acoes);
    QTEST(contador.mostraSaldoInsuficiente(), "mostraSaldoDepois");
}

void TestConfirmationRules::efeitoDaRevisao_data()
{
    QTest::addColumn<QString>("resposta");
    QTest::addColumn<bool>("temAchados");
    QTest::addColumn<EfeitoRevisao>("efeito");
    QTest::addColumn<bool>("irregulares");
    QTest::newRow("Deletar") << "Deletar" << true << EfeitoRevisao::PerguntaExclusao << false;
    QTest::newRow("Deletar sem achados") << "Deletar" << false << EfeitoRevisao::Nenhum << false;
    QTest::newRow("StandBy") << "StandBy" << true << EfeitoRevisao::MarcaIrregulares << true;
    QTest::newRow("OK") << "OK" << true << EfeitoRevisao::MarcaIrregulares << true;
    QTest::newRow("Nao_Autoriza") << "Nao_Autoriza" << true << EfeitoRevisao::MarcaIrregulares << true;
    QTest::newRow("Nao_Autoriza sem achados") << "Nao_Autoriza" << false << EfeitoRevisao::Nenhum << true;
    QTest::newRow("Autoriza") << "Autoriza" << false << EfeitoRevisao::SoMostraItens << false;
    QTest::newRow("fechado sem resposta") << "" << true << EfeitoRevisao::Nenhum << false;
}

void TestConfirmationRules::efeitoDaRevisao()
{
    QFETCH(QString, resposta);
    QFETCH(bool, temAchados);
    QTEST(RegrasPedido::efeitoDaRevisao(resposta, temAchados), "efeito");
    QTEST(marcaIrregulares(resposta), "irregulares");
}

void TestConfirmationRules::textoValorMinimo_data()
{
    QTest::addColumn<double>("minimo");
    QTest::addColumn<QString>("texto");
    QTest::newRow("inteiro") << 150.0 << "R$150";
    QTest::newRow("centavos") << 149.99 << "R$149,99";
    QTest::newRow("milhar sem separador") << 1500.5 << "R$1500,5";
}

void TestConfirmationRules::textoValorMinimo()
{
    QFETCH(double, minimo);
    QTEST(RegrasPedido::textoValorMinimo(minimo), "texto");
}

QTEST_APPLESS_MAIN(TestConfirmationRules)
#include "tst_confirmation_rules.moc"
