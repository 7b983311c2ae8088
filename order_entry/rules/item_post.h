#pragma once
// What the full check of an order item decides when it is posted: the
// status it takes, what its stored status refuses, and whether the stock
// can take it.

#include <QString>
#include <optional>

namespace RegrasPedido {

// The status an item takes when posted: "1" in a quotation; otherwise the
// payment modality's launch code (IDLANCPEDMOD) when it is "1", "2" or "3";
// with none, the branch's IDLANCPED, where empty counts as "1". None when
// the code given is none of those: the item keeps the status it has.
std::optional<QString> situacaoDoItem(bool orcamento, const QString& idLancPedMod, const QString& idLancPed);

// What the stored status of an item refuses a change with: a key of the
// screen's catalog, or of its second catalog (confirmed or approved).
struct RecusaSituacao {
    QString chave;
    bool segundoCatalogo = false;
};
// Settled ("4", "6"), cancelled ("5"), partly served ("7") and confirmed or
// approved ("9") items are refused; any other status, or none, passes.
std::optional<RecusaSituacao> recusaSituacaoItem(const QString& situacao);

// The stock figures of an item's product (VD_ESTITEM), in stock units.
struct FigurasEstoque {
    double disponivel = 0;     // in stock less other orders and quotations
    double emPedidos = 0;      // open in other orders
    double emEstoque = 0;
    double emOrcamentos = 0;   // open in other quotations
    bool controlado = false;
};

// A shortage as the stock-balance dialog shows it, in stock units.
struct FaltaEstoque {
    double qtPedido = 0;       // other orders
    double qtPedAtual = 0;     // this order's other items of the product
    double qtOrcaPed = 0;
    double qtPedTotal = 0;     // other orders and this order's other items
    double qtEstoque = 0;
    double qtDisponivel = 0;   // stock less all of the above
    double vrDiferenca = 0;    // what is left after the item: negative
    double qtSolicitada = 0;
};

// The dialog's figures from the stock, the other orders, this order's other
// items of the product, the quotations and the quantity asked for.
FaltaEstoque figurasDaFalta(double emEstoque, double emPedidos, double doPedido, double emOrcamentos, double solicitada);

// Whether the item's quantity in stock units fits what is available once
// the order's other items of the product are taken off; compared to five
// places, as the stock is kept. None when it fits.
std::optional<FaltaEstoque> faltaEstoque(double quantidadeEstoque, const FigurasEstoque& figuras, double outrosItensDoPedido);

// Whether the quantities reserved in the lots add up to the item's quantity
// in stock units, to five places.
bool reservaConfere(double totalReservado, double quantidadeEstoque);

// What decides whether an item post checks its lot reservations.
struct SituacaoReserva {
    bool estoqueControlado = false;   // the product's stock is controlled
    bool itemEditado = false;         // the item is being edited, not inserted
    bool mesmoProduto = false;        // its CDARVPROD is the one it was opened with
    bool situacaoAlterada = false;    // its status was changed (FSitItemAlterada)
    bool posicaoAberta = false;       // the stock position of the item is open
    bool pedidoIncluido = false;      // the order itself is being included
};
// An edited item of a stored order, its product and status unchanged, with
// its stock position open. An order being included sends no reservations
// with its confirmation, so none are asked of its items.
bool conferirReserva(const SituacaoReserva& situacao);

} // namespace RegrasPedido
