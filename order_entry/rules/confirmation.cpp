#include "rules/confirmation.h"

#include "money.h"

#include <QLocale>

namespace RegrasPedido {

SinaisSubmissao sinaisDaSubmissao(Submissao submissao)
{
    switch (submissao) {
    case Submissao::Primeira: return {true, true, true};
    case Submissao::Revisada: return {false, true, false};
    case Submissao::Final:
    case Submissao::Recusada: return {false, false, false};
    }
    return {};
}

double descontoDaModalidade(double precoUnitario, double quantidade, double percentual)
{
    return RoundDec(precoUnitario * quantidade * percentual / 100.0, 2);
}

PerguntaDesconto perguntaDoDesconto(double descontoModalidade, bool itensComDesconto)
{
    if (descontoModalidade > 0)
        return PerguntaDesconto::ComDesconto;
    if (itensComDesconto && descontoModalidade == 0)
        return PerguntaDesconto::SemDesconto;
    return PerguntaDesconto::Nenhuma;
}

QString ListaCampoNull(const QList<CampoDaLinha>& campos)
{
    QString lista;
    for (const CampoDaLinha& campo : campos)
        if (!campo.calculado && campo.nulo)
            lista += u'-' + campo.nome;
    return lista;
}

Reconexoes::Acao Reconexoes::falhou(const QString& mensagem)
{
    if (mensagem == u"SALDO_INSU") {
        ++m_feitas;
        return Acao::SaldoInsuficiente;
    }
    if (m_feitas < Silenciosas) {
        ++m_feitas;
        return Acao::ReconectaSemPerguntar;
    }
    return Acao::Pergunta;
}

EfeitoRevisao efeitoDaRevisao(const QString& resposta, bool temAchados)
{
    if (resposta == u"Autoriza")
        return EfeitoRevisao::SoMostraItens;
    if (!temAchados)
        return EfeitoRevisao::Nenhum;
    if (resposta == u"Deletar")
        return EfeitoRevisao::PerguntaExclusao;
    if (marcaIrregulares(resposta))
        return EfeitoRevisao::MarcaIrregulares;
    return EfeitoRevisao::Nenhum;
}

bool marcaIrregulares(const QString& resposta)
{
    return resposta == u"StandBy" || resposta == u"OK" || resposta == u"Nao_Autoriza";
}

QString textoValorMinimo(double valorMinimo)
{
    QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    brasil.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("R$") + brasil.toString(valorMinimo, 'g', 15);
}

} // namespace RegrasPedido
