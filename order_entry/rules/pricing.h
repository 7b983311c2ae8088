#pragma once
// An item's price and discounts: the price of the price table with the
// modality's adjustment, the discount condition's cascade, the discount as
// value and as percentage, the discount maxima and the optional-price band.

#include "discount_maxima.h"
#include "price_band.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace RegrasPedido {

// The eight percentages of a discount condition, first to eighth
// (QTPRITPDESC ... QTOITTPDESC).
using PercentuaisCondicao = std::array<double, 8>;

// The price after the condition: each percentage taken off what the one
// before left, unrounded, and the result rounded to the cent. 94.50 with 5 %
// is 89.775 -> 89.78; a condition of zeros leaves the price as it is.
double precoComCondicao(double preco, const PercentuaisCondicao& percentuais);

// What the price table answered for the item (cdsPrecoBase, cdsPrecoUtil).
struct PrecoTabela {
    double precoBase = 0;             // VRITEPREBASE
    double percentualAdicional = 0;   // VRPEADPBASE of the price parameter
    QString tipoPreco;                // IDITPEDDIFER of the row
    QString promocional;              // IDPRECOPROM of the row
};

// What the item takes from a price lookup.
struct PrecoItem {
    double precoTabela = 0;      // VRPRTABITPED
    double precoParametro = 0;   // VRPRPARPRECO: the table price with the adjustment, to the cent
    double precoUnitario = 0;    // VRPREUNITPED: the parameter price after the condition
    QString tipoPreco;           // IDITPEDDIFER: "R" when an adjustment applies
    QString promocional;         // IDPRECOPROM
};

// 100.00 adjusted by 5 % and reduced by 10 % then 5 %: 105.00 -> 89.78, kind
// "R". Without a condition (none read, or the item names none) the unit
// price is the parameter price.
PrecoItem precoDoItem(const PrecoTabela& tabela, const std::optional<PercentuaisCondicao>& condicao);

// Whether a lookup may write the price over what the item holds. A price the
// clerk typed since choosing the product stays, unless the discount
// condition was just changed (the grid has its column and it differs from
// the one before).
bool consultaTrocaPreco(bool precoDigitado, bool temColunaCondicao, const QString& condicao,
                        const QString& condicaoAnterior);

// What the screen does with the key that GetPreco sent instead of a price.
enum class RecusaPreco {
    Ignorar,        // a typed ("O") or parameter ("R") price stays as it is, silently
    NaoCadastrado,  // "PRECO_NAO_CAD": told, kind restored, price kept
    ForaDeVigor,    // "PRECO_N_VIGOR": the same
};
RecusaPreco recusaPreco(const QString& chave, const QString& tipoPreco);

// The discount value of the whole item from its percentage, unrounded.
double valorDoDesconto(double quantidade, double precoUnitario, double percentual);
// The percentage of a discount value; none unless price and quantity are
// above 0 (there is nothing to divide by). 5.00 on 2 x 12.50 is 20 %.
std::optional<double> percentualDoDesconto(double valor, double quantidade, double precoUnitario);

// How the branch treats discount maxima (IDUTDESCMAXI).
enum class PoliticaMaximo {
    Nenhuma,      // any other code
    LimitaPadrao, // "S": the default discount is capped by the maxima
    Avisa,        // "2": a discount above the maximum asks ("DESC_MENS")
    Recusa,       // "3": a discount above the maximum is refused ("Desc_Inv")
};
PoliticaMaximo politicaMaximo(const QString& idUtDescMaxi);


// The default discount of a new item: the modality's, replaced under "S" by
// the first maximum lower than it in the order product, customer, seller
// (10 % with maxima 8 % and 5 % gives 8 %). `limitado` says a maximum
// replaced it, which the screen asks about once per order.
struct DescontoPadrao {
    double percentual = 0;
    bool limitado = false;
};
DescontoPadrao descontoPadrao(double descontoModalidade, const MaximosDesconto& maximos, PoliticaMaximo politica);


enum class ConferenciaMaximo { Aceito, Perguntar, Recusar };
// A percentage above the maximum asks under "2" and is refused under "3";
// equal to it passes. Any other policy accepts.
ConferenciaMaximo confereMaximo(PoliticaMaximo politica, double percentual, std::optional<double> maximo);

// A maximum as the messages show it: plain float text with the Brazilian
// decimal comma ("7", "7,5").
QString textoPercentual(double percentual);

// A condition may not turn the item's net total to zero or less, once the
// item has a product and a quantity.
bool condicaoZeraPreco(bool temProduto, double quantidade, double totalLiquido);

// The optional-price band: the lowest and highest optional price.
struct FaixaPreco {
    double menor = 0;
    double maior = 0;
    bool contem(double preco) const { return preco >= menor && preco <= maior; }
};
// None without optional prices (there is no band to hold the price to).
std::optional<FaixaPreco> faixaOpcional(QList<double> precosOpcionais);

// The filter of the base prices the customer may use down to the typed one:
// IDPESQ of the first row and the code, each quoted with its quotes doubled.
QString filtroPrecoBase(const QString& idPesq, const QString& precoBase);

// The filter of an order's posted items of a product, as the clerk typed its
// code: NRPEDIDO and CDARVPROD, each quoted with its quotes doubled.
QString filtroProdutoDoPedido(const QString& pedido, const QString& produto);

} // namespace RegrasPedido
