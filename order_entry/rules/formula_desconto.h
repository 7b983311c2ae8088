#pragma once
// The discount formula of the order discount calculator: percentages
// separated by ";", each taken off what the one before left ("10;5" on 100
// is 100 - 10 - 4,5 = 85,5, a discount of 14,5 per unit).

#include <QString>

namespace RegrasPedido {

struct PreviaDesconto {
    enum class Situacao {
        Vazia,      // empty or "0": no preview
        Valida,
        Invalida,   // a term is not a number ("Formula_Invalida")
    };
    Situacao situacao = Situacao::Vazia;
    QString previa;              // "100 - 10 - 4,5 = 85,5"
    double resultado = 0;        // dbResultado: the new unit price
    double desconto = 0;         // dbDesconto: the discount per unit, all steps
    // The one percentage that takes the price to `resultado` (14,5 for
    // "10;5"): what the server is told the formula amounts to.
    double percentualTotal = 0;
};

// The preview of `formula` on the unit price `precoUnitario`. A formula
// whose text after its first ";" is blank is one term ("10;" is 10).
PreviaDesconto previaDesconto(double precoUnitario, const QString& formula);

// The confirm button is offered for a formula that is not empty, "," or
// ";", once there are items.
bool confirmaHabilitado(bool temItens, const QString& formula);

enum class RecusaFormula {
    Nenhuma,
    FormulaVazia,         // empty or "0" ("Formula_NULL")
    ResultadoNaoPositivo, // the price would drop to 0 or less ("Resultado>Zero")
};
RecusaFormula recusaConfirmacao(const QString& formula, double resultado);

// The keys the formula accepts: digits, "," and ";" (backspace is the
// editor's own).
bool teclaDaFormula(QChar tecla);

} // namespace RegrasPedido
