#include "rules/order_values.h"

#include "money.h"

namespace RegrasPedido {

double valorMercadorias(const QList<ValoresItem>& itens)
{
    double soma = 0;
    for (const ValoresItem& item : itens)
        soma += RoundDec(item.precoUnitario, 2) * item.quantidade - item.desconto;
    return soma;
}

double valorParaMinimo(const TotaisItens& totais)
{
    if (!totais.produtos)
        return 0;
    double valor = *totais.produtos;
    if (totais.descontos)
        valor -= RoundDec(*totais.descontos, 2);
    if (totais.bonificacoes)
        valor -= RoundDec(*totais.bonificacoes, 2);
    return valor;
}

bool abaixoDoMinimo(double valorMinimo, double valorPedido)
{
    return valorMinimo > valorPedido;
}

} // namespace RegrasPedido
