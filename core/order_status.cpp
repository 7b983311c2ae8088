#include "order_status.h"

#include <optional>

namespace RegrasPedido {

namespace {

// "1" pending, "2" confirmed; none for a code that launches neither.
std::optional<QString> situacaoDoLancamento(const QString& codigo)
{
    if (codigo == u"1")
        return QStringLiteral("1");
    if (codigo == u"2" || codigo == u"3")
        return QStringLiteral("2");
    return std::nullopt;
}

} // namespace

QString situacaoDoPedido(bool orcamento, const QString& situacaoAtual, const QString& idLancPedMod, const QString& idLancPed)
{
    if (orcamento)
        return QStringLiteral("1");
    if (situacaoAtual == u"6")
        return situacaoAtual;
    const QString codigo = !idLancPedMod.isEmpty() ? idLancPedMod : idLancPed.isEmpty() ? QStringLiteral("1") : idLancPed;
    return situacaoDoLancamento(codigo).value_or(situacaoAtual);
}

} // namespace RegrasPedido
