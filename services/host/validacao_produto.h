#pragma once
// The host's check of a product that a screen is about to sell: it is
// registered and not withdrawn from sale.

#include <QString>

// Refuses, with the host's message and the abort flag, a product code
// (CDPRODUTO) that is not registered or whose product is inactive. The
// branch and the complement are the caller's context; this ERP sells every
// active product at every branch, so they do not narrow the check. Without
// the general connection there is nothing to check against and the product
// passes.
void Validacao_Produto(const QString& filial, const QString& produto, const QString& complemento);
