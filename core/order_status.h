#pragma once
// The status a new or edited order is saved with, as the order screen
// saves it and the server gives a copy it makes: one rule for both.

#include <QString>

namespace RegrasPedido {

// The status the order is saved with: "1" for a quotation; a partly served
// order ("6") keeps it; otherwise the modality's launch code (IDLANCPEDMOD)
// "1" gives "1" and "2" or "3" give "2"; with none the branch's IDLANCPED
// decides the same way, empty counting as "1". Any other code keeps the
// status the order has.
QString situacaoDoPedido(bool orcamento, const QString& situacaoAtual, const QString& idLancPedMod, const QString& idLancPed);

} // namespace RegrasPedido
