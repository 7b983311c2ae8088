#pragma once
// The values of one order item: its totals, its bonus value, its
// profitability and the number of a new item.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace RegrasPedido {

// What an item's totals are computed from (VRPREUNITPED, QTITEMPED,
// VRDESITPED, VRPERCMARKUPIT, IDPRODBONIF = "S").
struct ValoresItem {
    double precoUnitario = 0;
    double quantidade = 0;
    double desconto = 0;
    double percentualMarkup = 0;
    bool bonificado = false;
};

struct TotaisItem {
    double liquido = 0;        // VrTotal: what the item adds to the order
    double bruto = 0;          // VrTotalAux and VRTOTALITEM: quantity x price, unrounded
    double bonificacao = 0;    // VRTOTABONIFIT: 0 unless the item is a bonus
};

// The discount as the item's net value takes it: written as text and cut two
// places after the decimal point, not rounded (10.239 counts as 10.23).
double descontoCortado(double desconto);

// The net value is the price rounded to the cent times the quantity, less
// the cut discount; with a markup the markup is added instead and the
// discount is ignored. The bonus value subtracts the discount rounded, not
// cut, so 10.239 takes 10.24 off there.
TotaisItem totaisItem(const ValoresItem& item);

// The table price of an item: the base price plus the additional
// percentage of the price list in use, rounded to the cent. A typed price
// other than this one makes the item a price of its own.
double precoDeTabela(double precoBase, double percentualAdicional);

// What an item's profitability is computed from (VRITEPREBASE,
// VRCUSTPRODBASE, VRPEFORMPREC).
struct CustosItem {
    double precoBase = 0;
    double custo = 0;
    double percentualFormacao = 0;
};

// The item's profitability in percent: (net value - base price to the cent x
// quantity) / (cost x quantity) + price-formation percentage. None without a
// cost or without a quantity (there is nothing to divide by).
std::optional<double> percentualRentabilidade(double liquido, double quantidade, const CustosItem& custos);

// The colour of a profitability that falls in no band (E8FFFF, blue-green-red).
inline constexpr double corSemFaixaRentabilidade = 15269887;

// The colour shown for a profitability: its band's colour, or the one of no band.
double corRentabilidade(std::optional<double> corDaFaixa);

// The number of a new item, 10 digits: one above the highest of the order's
// item numbers (read as integers), "0000000001" for the first. Numbers of
// deleted items come back only when they were the highest.
QString proximoNrItem(const QStringList& numerosDosItens);

// The quantity rounded up to the product's sales multiple: the smallest of
// 1, 2, 3, ... times the multiple that is not below the quantity, unless the
// quantity is already a multiple (compared in hundred-thousandths) or there
// is no multiple above 0. 10 on a multiple of 12 gives 12, 25 gives 36, 24
// stays 24. Exact for every quantity the grid holds, however large.
double NextMultiple(double valor, double multiplo);

// What the item's delivery date check finds: no date, a time of day of
// 00:00 (seconds do not count: the clerk types hours and minutes), a date
// before 30/12/1899 (the zero date), or a date that passes.
enum class ConferenciaEntrega { SemData, SemHora, AntesDaDataZero, Aceita };
ConferenciaEntrega confereEntrega(const QDateTime& entrega);

} // namespace RegrasPedido
