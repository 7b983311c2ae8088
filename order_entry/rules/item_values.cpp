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

} // namespace RegrasPedido
