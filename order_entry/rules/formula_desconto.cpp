#include "rules/formula_desconto.h"

#include "rules/pricing.h"

#include <QLocale>
#include <optional>

namespace RegrasPedido {

namespace {

// A term as typed, with the decimal comma; blanks around it do not count.
std::optional<double> termo(const QString& texto)
{
    static const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    bool ok = false;
    const QString limpo = texto.trimmed();
    if (limpo.contains(u'.'))   // no group separators in a percentage
        return std::nullopt;
    const double valor = brasil.toDouble(limpo, &ok);
    return ok ? std::optional<double>(valor) : std::nullopt;
}

PreviaDesconto invalida()
{
    PreviaDesconto previa;
    previa.situacao = PreviaDesconto::Situacao::Invalida;
    return previa;
}

} // namespace

PreviaDesconto previaDesconto(double precoUnitario, const QString& formula)
{
    PreviaDesconto previa;
    if (formula.isEmpty() || formula == u"0") {
        previa.resultado = precoUnitario;
        return previa;
    }
    const qsizetype separador = formula.indexOf(u';');
    const bool variosTermos = separador >= 0 && !formula.mid(separador + 1).trimmed().isEmpty();
    double restanteDoPreco = 1;   // what is left of the price, as a fraction

    if (!variosTermos) {
        const std::optional<double> percentual = termo(separador >= 0 ? formula.left(separador) : formula);
        if (!percentual)
            return invalida();
        const double desconto = precoUnitario * *percentual / 100;
        previa.desconto = desconto;
        previa.resultado = precoUnitario - desconto;
        previa.previa = textoPercentual(precoUnitario) + QStringLiteral(" - ") + textoPercentual(desconto) + QStringLiteral(" = ")
                        + textoPercentual(previa.resultado);
        previa.percentualTotal = *percentual;
        previa.situacao = PreviaDesconto::Situacao::Valida;
        return previa;
    }

    const std::optional<double> primeiro = termo(formula.left(separador));
    if (!primeiro)
        return invalida();
    QString restante = formula.mid(separador + 1).trimmed();
    double desconto = precoUnitario * *primeiro / 100;
    previa.previa = textoPercentual(precoUnitario) + QStringLiteral(" - ") + textoPercentual(desconto);
    previa.resultado = precoUnitario - desconto;
    previa.desconto = desconto;
    restanteDoPreco *= 1 - *primeiro / 100;
    double novoPreco = previa.resultado;

    while (restante.contains(u';')) {
        const qsizetype proximo = restante.indexOf(u';');
        const std::optional<double> percentual = termo(restante.left(proximo));
        if (!percentual)
            return invalida();
        restante = restante.mid(proximo + 1).trimmed();
        desconto = novoPreco * *percentual / 100;
        previa.previa += QStringLiteral(" - ") + textoPercentual(desconto);
        previa.resultado -= desconto;
        previa.desconto += desconto;
        restanteDoPreco *= 1 - *percentual / 100;
        novoPreco = previa.resultado;
    }

    if (restante.isEmpty()) {
        // The formula ended with ";": the steps so far are the whole formula.
        previa.previa += QStringLiteral(" = ") + textoPercentual(previa.resultado);
    } else {
        const std::optional<double> ultimo = termo(restante);
        if (!ultimo)
            return invalida();
        desconto = novoPreco * *ultimo / 100;
        previa.previa += QStringLiteral(" - ") + textoPercentual(desconto) + QStringLiteral(" = ")
                         + textoPercentual(previa.resultado - desconto);
        previa.resultado -= desconto;
        previa.desconto += desconto;
        restanteDoPreco *= 1 - *ultimo / 100;
    }
    previa.percentualTotal = 100 * (1 - restanteDoPreco);
    previa.situacao = PreviaDesconto::Situacao::Valida;
    return previa;
}

bool confirmaHabilitado(bool temItens, const QString& formula)
{
    return temItens && !formula.isEmpty() && formula != u"," && formula != u";";
}

RecusaFormula recusaConfirmacao(const QString& formula, double resultado)
{
    if (formula.isEmpty() || formula == u"0")
        return RecusaFormula::FormulaVazia;
    if (!(resultado > 0))
        return RecusaFormula::ResultadoNaoPositivo;
    return RecusaFormula::Nenhuma;
}

bool teclaDaFormula(QChar tecla)
{
    return (tecla >= u'0' && tecla <= u'9') || tecla == u',' || tecla == u';';
}

} // namespace RegrasPedido
