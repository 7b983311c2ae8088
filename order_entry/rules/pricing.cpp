#include "rules/pricing.h"

#include "money.h"
#include "rules/item_values.h"

#include <algorithm>

namespace RegrasPedido {

namespace {

QString entreAspas(QString texto)
{
    return QLatin1Char('\'') + texto.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace

double precoComCondicao(double preco, const PercentuaisCondicao& percentuais)
{
    double p = preco;
    for (const double q : percentuais)
        p = p - p * q / 100.0;
    return RoundDec(p, 2);
}

PrecoItem precoDoItem(const PrecoTabela& tabela, const std::optional<PercentuaisCondicao>& condicao)
{
    PrecoItem item;
    item.precoTabela = tabela.precoBase;
    item.precoParametro = precoDeTabela(tabela.precoBase, tabela.percentualAdicional);
    item.tipoPreco = tabela.percentualAdicional != 0 ? QStringLiteral("R") : tabela.tipoPreco;
    item.promocional = tabela.promocional;
    item.precoUnitario = condicao ? precoComCondicao(item.precoParametro, *condicao) : item.precoParametro;
    return item;
}

bool consultaTrocaPreco(bool precoDigitado, bool temColunaCondicao, const QString& condicao,
                        const QString& condicaoAnterior)
{
    return !precoDigitado || (temColunaCondicao && condicao != condicaoAnterior);
}

RecusaPreco recusaPreco(const QString& chave, const QString& tipoPreco)
{
    if (tipoPreco == u"O" || tipoPreco == u"R")
        return RecusaPreco::Ignorar;
    if (chave == u"PRECO_NAO_CAD")
        return RecusaPreco::NaoCadastrado;
    if (chave == u"PRECO_N_VIGOR")
        return RecusaPreco::ForaDeVigor;
    return RecusaPreco::Ignorar;
}

double valorDoDesconto(double quantidade, double precoUnitario, double percentual)
{
    return quantidade * precoUnitario * percentual / 100.0;
}

std::optional<double> percentualDoDesconto(double valor, double quantidade, double precoUnitario)
{
    if (quantidade <= 0 || precoUnitario <= 0)
        return std::nullopt;
    return valor * 100.0 / (quantidade * precoUnitario);
}

PoliticaMaximo politicaMaximo(const QString& idUtDescMaxi)
{
    if (idUtDescMaxi == u"S")
        return PoliticaMaximo::LimitaPadrao;
    if (idUtDescMaxi == u"2")
        return PoliticaMaximo::Avisa;
    if (idUtDescMaxi == u"3")
        return PoliticaMaximo::Recusa;
    return PoliticaMaximo::Nenhuma;
}

DescontoPadrao descontoPadrao(double descontoModalidade, const MaximosDesconto& maximos, PoliticaMaximo politica)
{
    if (politica != PoliticaMaximo::LimitaPadrao)
        return {descontoModalidade, false};
    for (const std::optional<double>& maximo : {maximos.produto, maximos.cliente, maximos.vendedor}) {
        if (maximo && *maximo < descontoModalidade)
            return {*maximo, true};
    }
    return {descontoModalidade, false};
}

ConferenciaMaximo confereMaximo(PoliticaMaximo politica, double percentual, std::optional<double> maximo)
{
    if (!maximo || percentual <= *maximo)
        return ConferenciaMaximo::Aceito;
    if (politica == PoliticaMaximo::Avisa)
        return ConferenciaMaximo::Perguntar;
    if (politica == PoliticaMaximo::Recusa)
        return ConferenciaMaximo::Recusar;
    return ConferenciaMaximo::Aceito;
}

QString textoPercentual(double percentual)
{
    return QString::number(percentual, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

bool condicaoZeraPreco(bool temProduto, double quantidade, double totalLiquido)
{
    return temProduto && quantidade != 0 && totalLiquido <= 0;
}

std::optional<FaixaPreco> faixaOpcional(QList<double> precosOpcionais)
{
    if (precosOpcionais.isEmpty())
        return std::nullopt;
    std::sort(precosOpcionais.begin(), precosOpcionais.end());
    return FaixaPreco{precosOpcionais.first(), precosOpcionais.last()};
}

QString filtroPrecoBase(const QString& idPesq, const QString& precoBase)
{
    return QStringLiteral("IDPESQ = ") + entreAspas(idPesq) + QStringLiteral(" AND CDPRECOBASE = ") + entreAspas(precoBase);
}

QString filtroProdutoDoPedido(const QString& pedido, const QString& produto)
{
    return QStringLiteral("NRPEDIDO = ") + entreAspas(pedido) + QStringLiteral(" AND CDARVPROD = ") + entreAspas(produto);
}

} // namespace RegrasPedido
