#include "rules/item_values.h"

#include "money.h"

#include <algorithm>
#include <cmath>

namespace RegrasPedido {

double descontoCortado(double desconto)
{
    const QString texto = QString::number(desconto, 'g', 15);
    // Written with an exponent, the value is below 0.0001 (cut to nothing)
    // or has no fraction at all; cutting the text would read the mantissa.
    if (texto.contains(u'e'))
        return std::fabs(desconto) < 1 ? 0.0 : desconto;
    const qsizetype separador = texto.indexOf(u'.');
    if (separador < 0)
        return desconto;
    return texto.left(separador + 3).toDouble();
}

TotaisItem totaisItem(const ValoresItem& item)
{
    const double precoVezesQuantidade = RoundDec(item.precoUnitario, 2) * item.quantidade;
    TotaisItem totais;
    totais.liquido = item.percentualMarkup > 0
                         ? precoVezesQuantidade + precoVezesQuantidade * item.percentualMarkup / 100.0
                         : precoVezesQuantidade - descontoCortado(item.desconto);
    totais.bruto = item.quantidade * item.precoUnitario;
    totais.bonificacao = item.bonificado ? precoVezesQuantidade - RoundDec(item.desconto, 2) : 0.0;
    return totais;
}

double precoDeTabela(double precoBase, double percentualAdicional)
{
    return RoundDec(precoBase + precoBase * percentualAdicional / 100.0, 2);
}

std::optional<double> percentualRentabilidade(double liquido, double quantidade, const CustosItem& custos)
{
    const double custoTotal = custos.custo * quantidade;
    if (custoTotal == 0)
        return std::nullopt;
    const double base = RoundDec(custos.precoBase, 2) * quantidade;
    return ((liquido - base) / custoTotal + custos.percentualFormacao / 100.0) * 100.0;
}

double corRentabilidade(std::optional<double> corDaFaixa)
{
    return corDaFaixa.value_or(corSemFaixaRentabilidade);
}

QString proximoNrItem(const QStringList& numerosDosItens)
{
    qint64 maior = 0;
    for (const QString& numero : numerosDosItens)
        maior = std::max(maior, numero.trimmed().toLongLong());
    return QString::number(maior + 1).rightJustified(10, u'0');
}

double NextMultiple(double valor, double multiplo)
{
    if (!std::isfinite(valor) || !std::isfinite(multiplo))
        return valor;
    constexpr double escala = 100000;
    const double q = RoundDec(valor * escala, 0);
    const double m = RoundDec(multiplo * escala, 0);
    if (!(m > 0))
        return valor;
    // Counted in whole hundred-thousandths while a double holds them exactly
    // (below 2^53), so that no sum of multiples drifts and nothing overflows.
    constexpr double exato = 9007199254740992.0;
    if (std::fabs(q) < exato && m < exato) {
        const qint64 quantidade = qint64(q);
        const qint64 unidade = qint64(m);
        if (quantidade % unidade == 0)
            return valor;
        const qint64 vezes = quantidade > 0 ? quantidade / unidade + 1 : 1;
        return double(vezes * unidade) / escala;
    }
    // Beyond that no hundred-thousandth is left to compare: whole multiples.
    if (std::fmod(valor, multiplo) == 0)
        return valor;
    return std::max(1.0, std::ceil(valor / multiplo)) * multiplo;
}

ConferenciaEntrega confereEntrega(const QDateTime& entrega)
{
    if (!entrega.isValid())
        return ConferenciaEntrega::SemData;
    if (entrega.time().hour() == 0 && entrega.time().minute() == 0)
        return ConferenciaEntrega::SemHora;
    if (entrega.date() < QDate(1899, 12, 30))
        return ConferenciaEntrega::AntesDaDataZero;
    return ConferenciaEntrega::Aceita;
}

} // namespace RegrasPedido
