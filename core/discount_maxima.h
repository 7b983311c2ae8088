#pragma once
// The largest discount an order item may take, as the order screen checks it
// and the server checks it before storing a discount: one rule for both.

#include <optional>

namespace RegrasPedido {

// The maxima of an item: the product's for the price base and the
// customer's state (a row of qryDescMax), the customer's and the seller's.
struct MaximosDesconto {
    std::optional<double> produto;    // VRPEMAXDESPR, none without a row
    std::optional<double> cliente;    // VRPEMAXDESCL
    std::optional<double> vendedor;   // VRPEMAXDESVE
};

// The largest discount allowed under "2" and "3": with a product row the
// largest of the three maxima; otherwise none (no limit) when neither the
// customer nor the seller has one, else the larger of those two.
std::optional<double> descontoMaximo(const MaximosDesconto& maximos);

} // namespace RegrasPedido
