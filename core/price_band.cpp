#include "price_band.h"

#include "money.h"

#include <cmath>

namespace RegrasPedido {

std::optional<double> percentualDaFaixa(const QString& texto)
{
    bool ok = false;
    const double valor = QString(texto).replace(u',', u'.').trimmed().toDouble(&ok);
    return ok && std::isfinite(valor) ? std::optional<double>(valor) : std::nullopt;
}

FaixaAlteracao faixaAlteracao(double precoParametro, const QString& maior, const QString& menor)
{
    FaixaAlteracao faixa;
    if (const std::optional<double> acima = percentualDaFaixa(maior))
        faixa.maximo = RoundDec(precoParametro + precoParametro * *acima / 100, 2);
    if (const std::optional<double> abaixo = percentualDaFaixa(menor))
        faixa.minimo = RoundDec(precoParametro - precoParametro * *abaixo / 100, 2);
    return faixa;
}

PosicaoNaFaixa posicaoNaFaixa(double preco, double precoParametro, const QString& maior, const QString& menor)
{
    const FaixaAlteracao faixa = faixaAlteracao(precoParametro, maior, menor);
    if (faixa.maximo && preco > *faixa.maximo)
        return PosicaoNaFaixa::AcimaDoMaior;
    if (faixa.minimo && preco < *faixa.minimo)
        return PosicaoNaFaixa::AbaixoDoMenor;
    return PosicaoNaFaixa::Dentro;
}

bool usaPrecoNoItem(const QString& idTabPreco, const QString& idCalcPrecFat)
{
    return idTabPreco == u"1" || (idTabPreco == u"2" && idCalcPrecFat == u"L");
}

QString usaPrecoNoItemSql(const QString& alias)
{
    return QStringLiteral("(%1.IDTABPRECO = '1' OR (%1.IDTABPRECO = '2' AND %1.IDCALCPRECFAT = 'L'))").arg(alias);
}

} // namespace RegrasPedido
