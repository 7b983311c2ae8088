#pragma once
// The payment terms of an order as the order screen checks them and the
// server checks them again before storing them: one rule for both.

#include <QList>

namespace RegrasPedido {

// The terms' percentages (10 means 10 %), each taken at 4 decimals, add up
// to exactly 100. Added in ten-thousandths, so that 16,67 x 5 + 16,65 or
// 33,33 + 33,33 + 33,34 pass and 33,33 x 3 does not, whatever noise the
// doubles carry. No terms pass.
bool percentuaisSomam100(const QList<double>& percentuais);

} // namespace RegrasPedido
