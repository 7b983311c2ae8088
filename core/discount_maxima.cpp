#include "discount_maxima.h"

#include <algorithm>

namespace RegrasPedido {

std::optional<double> descontoMaximo(const MaximosDesconto& maximos)
{
    if (maximos.produto) {
        double maior = *maximos.produto;
        for (const std::optional<double>& outro : {maximos.cliente, maximos.vendedor})
            if (outro)
                maior = std::max(maior, *outro);
        return maior;
    }
    if (!maximos.cliente && !maximos.vendedor)
        return std::nullopt;
    if (!maximos.cliente)
        return maximos.vendedor;
    return maximos.vendedor ? std::max(*maximos.cliente, *maximos.vendedor) : *maximos.cliente;
}

} // namespace RegrasPedido
