#include "item_post.h"

#include "money.h"

namespace RegrasPedido {

namespace {

bool codigoDeLancamento(const QString& codigo)
{
    return codigo == u"1" || codigo == u"2" || codigo == u"3";
}

} // namespace

std::optional<QString> situacaoDoItem(bool orcamento, const QString& idLancPedMod, const QString& idLancPed)
{
    if (orcamento)
        return QStringLiteral("1");
    if (!idLancPedMod.isEmpty())
        return codigoDeLancamento(idLancPedMod) ? std::optional(idLancPedMod) : std::nullopt;
    if (idLancPed.isEmpty())
        return QStringLiteral("1");
    return codigoDeLancamento(idLancPed) ? std::optional(idLancPed) : std::nullopt;
}

std::optional<RecusaSituacao> recusaSituacaoItem(const QString& situacao)
{
    switch (situacao.isEmpty() ? u'\0' : situacao.at(0).unicode()) {
    case u'4':
    case u'6':
        return RecusaSituacao{QStringLiteral("IT_LIQUIDADO")};
    case u'5':
        return RecusaSituacao{QStringLiteral("IT_CANCELADO")};
    case u'7':
        return RecusaSituacao{QStringLiteral("IT_PA")};
    case u'9':
        return RecusaSituacao{QStringLiteral("IT_APRCONF"), true};
    default:
        return std::nullopt;
    }
}

std::optional<FaltaEstoque> faltaEstoque(double quantidadeEstoque, const FigurasEstoque& figuras, double outrosItensDoPedido)
{
    const double disponivel = figuras.disponivel - outrosItensDoPedido;
    if (RoundDec(quantidadeEstoque, 5) <= RoundDec(disponivel, 5))
        return std::nullopt;
    return figurasDaFalta(figuras.emEstoque, figuras.emPedidos, outrosItensDoPedido, figuras.emOrcamentos, quantidadeEstoque);
}

FaltaEstoque figurasDaFalta(double emEstoque, double emPedidos, double doPedido, double emOrcamentos, double solicitada)
{
    FaltaEstoque falta;
    falta.qtPedido = emPedidos;
    falta.qtPedAtual = doPedido;
    falta.qtOrcaPed = emOrcamentos;
    falta.qtPedTotal = emPedidos + doPedido;
    falta.qtEstoque = emEstoque;
    falta.qtDisponivel = emEstoque - (emPedidos + doPedido + emOrcamentos);
    falta.vrDiferenca = falta.qtDisponivel - solicitada;
    falta.qtSolicitada = solicitada;
    return falta;
}

bool reservaConfere(double totalReservado, double quantidadeEstoque)
{
    return RoundDec(totalReservado, 5) == RoundDec(quantidadeEstoque, 5);
}

bool conferirReserva(const SituacaoReserva& situacao)
{
    return situacao.estoqueControlado && situacao.itemEditado && situacao.mesmoProduto && !situacao.situacaoAlterada
        && situacao.posicaoAberta && !situacao.pedidoIncluido;
}

} // namespace RegrasPedido
