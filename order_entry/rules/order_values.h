#pragma once
// The values of a whole order: its goods value, its value for the minimum
// check and its total with taxes and charges.

#include "rules/item_values.h"

#include <QList>
#include <optional>

namespace RegrasPedido {

// The goods value of stored items, the base of the charges' percentages: per
// item the price rounded to the cent times the quantity, less the discount
// as stored (markup and bonus do not count here).
double valorMercadorias(const QList<ValoresItem>& itens);

// The item aggregates the minimum check reads; none where the aggregate's
// text is empty (no items, or no item with a value).
struct TotaisItens {
    std::optional<double> produtos;       // VRTOTAPROD
    std::optional<double> descontos;      // VRTOTADESCPED
    std::optional<double> bonificacoes;   // VRTOTABONIFPED
};

// The order's value against the branch minimum: products less discounts
// less bonuses, the two taken off rounded to the cent; 0 without products.
double valorParaMinimo(const TotaisItens& totais);

// An order below the branch minimum is refused; one exactly at it passes.
bool abaixoDoMinimo(double valorMinimo, double valorPedido);

} // namespace RegrasPedido
