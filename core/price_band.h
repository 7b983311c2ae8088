#pragma once
// The band a unit price is held to around its parameter price, as the
// order screen checks a typed price and the server checks a price it
// stores: one rule for both.

#include <QString>
#include <optional>

namespace RegrasPedido {

// The branch's percentage as stored ("10", "2,5"); none when empty or not
// a number.
std::optional<double> percentualDaFaixa(const QString& texto);

// The highest and lowest price allowed: parameter + parameter x maior /
// 100 and parameter - parameter x menor / 100, each rounded to the cent,
// since prices are in cents (5 % off 1.13 is 1.0735, and 1.07 is inside).
// A bound whose percentage is not given does not limit.
struct FaixaAlteracao {
    std::optional<double> maximo;
    std::optional<double> minimo;
};
FaixaAlteracao faixaAlteracao(double precoParametro, const QString& maior, const QString& menor);

// Where a price stands in that band.
enum class PosicaoNaFaixa { Dentro, AcimaDoMaior, AbaixoDoMenor };
PosicaoNaFaixa posicaoNaFaixa(double preco, double precoParametro, const QString& maior, const QString& menor);

// Whether the branch prices its items on the order: by its price table
// ("1"), or by factor worked out on the order ("2" with "L"). Otherwise the
// price is calculated only at shipping, and an order item has none to change.
bool usaPrecoNoItem(const QString& idTabPreco, const QString& idCalcPrecFat);
// The same, as an SQL condition over the branch's PARAMPEDIDO row `alias`.
QString usaPrecoNoItemSql(const QString& alias);

} // namespace RegrasPedido
