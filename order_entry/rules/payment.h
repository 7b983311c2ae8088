#pragma once
// The payment page's rules: the automatic installments, the checks of a
// term's days and percentage, of the fixed day and of the terms' sum, what
// a key typed into the terms grid may be, and how a forecast reads.

#include "money.h"

#include <QChar>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace RegrasPedido {

// One generated term: days after the order date and share of the amount.
struct ParcelaGerada {
    double dias = 0;
    double percentual = 0;
};

// `quantidade` terms every `prazoDias` days (k x prazoDias for k = 1..n),
// each of p = RoundDec(100 / n, 2); the last is made up to 100: with
// T = p x n, RoundDec(100 - T + p, 2) when T is below 100, 100 - T + p not
// rounded when above, p when equal (n = 6: five of 16,67 and about 16,65).
QList<ParcelaGerada> geraParcelas(int quantidade, int prazoDias);

// The amount to receive shared by the percentages in whole cents, the last
// taking what remains, so that the values add up to the amount.
QList<Cents> valoresDasParcelas(double recebimento, const QList<double>& percentuais);

// The percentages add up to 100 (core/installments.h).
bool somaPercentuaisFecha(const QList<double>& percentuais);

enum class RecusaPrazo { Nenhuma, NaoInformado, Negativo, Repetido };
// A term's days: required when `obrigatorio`, not below 0, and not among
// the days of the other terms.
RecusaPrazo conferePrazo(std::optional<double> dias, bool obrigatorio, const QList<double>& outrosDias);

enum class RecusaPercentual { Nenhuma, NaoInformado, NaoPositivo, AcimaDe100 };
// A term's percentage: required when `obrigatorio`, above 0, at most 100.
RecusaPercentual conferePercentual(std::optional<double> percentual, bool obrigatorio);

enum class RecusaDiaFixo { Nenhuma, NaoInformado, ForaDoMes };
// The fixed day of the month: required when `obrigatorio`, 1 to 31.
RecusaDiaFixo confereDiaFixo(std::optional<int> dia, bool obrigatorio);

// The columns of the terms grid as typing sees them.
enum class ColunaPrazo { Dias, Previsao, Percentual, Valor, Outra };
// Whether a key typed into a cell of the terms grid passes. Nothing passes
// unless the terms may be edited; the forecast takes no key; the days take
// digits; percentage and value take digits and one decimal comma; a
// backspace passes wherever keys pass.
bool teclaAceita(ColunaPrazo coluna, QChar tecla, const QString& textoDaCelula, bool prazosEditaveis);

// A forecast as the grid shows it: "10/03/2027 qua"; empty for none.
QString textoPrevisao(const QDateTime& previsao);

} // namespace RegrasPedido
