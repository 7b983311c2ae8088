#include "header_post.h"

#include <QHash>
#include <algorithm>

namespace RegrasPedido {

namespace {

std::optional<RecusaData> recusa(const char* chave, bool citaTexto = false)
{
    return RecusaData{QString::fromLatin1(chave), citaTexto};
}

} // namespace

QDate primeiroDiaValido()
{
    return QDate(1899, 12, 31);
}

std::optional<RecusaData> confereDataPedido(const DataDigitada& data, const QDateTime& agora, bool obrigatoria)
{
    if (data.vazia())
        return obrigatoria ? recusa("DT_NULO") : std::nullopt;
    if (!data.data.isValid())
        return recusa("DT_INV", true);
    if (QDateTime(data.data, QTime(0, 0)) > agora)
        return recusa("DT_ERRO");
    if (data.data < primeiroDiaValido())
        return recusa("DT_MENOR");
    return std::nullopt;
}

std::optional<RecusaData> confereDataEntrega(const DataDigitada& data, const QDate& hoje, bool obrigatoria)
{
    if (data.vazia())
        return obrigatoria ? recusa("DTENT_NULO") : std::nullopt;
    if (!data.data.isValid() || data.data < primeiroDiaValido())
        return recusa("DTENT_INV", true);
    if (data.data < hoje)
        return recusa("DTENT_DTATU");
    return std::nullopt;
}

std::optional<RecusaData> confereDatas(const DataDigitada& pedido, const DataDigitada& entrega)
{
    if (pedido.vazia() || entrega.vazia() || !pedido.data.isValid() || !entrega.data.isValid())
        return std::nullopt;
    return entrega.data < pedido.data ? recusa("VD_DATE") : std::nullopt;
}

std::optional<RecusaData> confereValidade(const DataDigitada& validade, const QDate& dataPedido)
{
    if (validade.vazia())
        return recusa("DtVal_Deve");
    if (!validade.data.isValid() || validade.data < primeiroDiaValido())
        return recusa("DT_INV", true);
    if (dataPedido.isValid() && validade.data < dataPedido)
        return recusa("DtVal<DtPed");
    return std::nullopt;
}

std::optional<LugarDaMensagem> lugarDaMensagem(const QString& chave, const QString& situacao)
{
    static const QHash<QString, LugarDaMensagem> lugares = {
        {QStringLiteral("DT_NULO"), {"tshDadosPed", "depDtRetirada"}},
        {QStringLiteral("DT_INV"), {"tshDadosPed", "depDtRetirada"}},
        {QStringLiteral("DT_ERRO"), {"tshDadosPed", "depDtRetirada"}},
        {QStringLiteral("DT_MENOR"), {"tshDadosPed", "depDtRetirada"}},
        {QStringLiteral("DTENT_NULO"), {"tshDadosPed", "depData"}},
        {QStringLiteral("DTENT_INV"), {"tshDadosPed", "depData"}},
        {QStringLiteral("DTENT_DTATU"), {"tshDadosPed", "depData"}},
        {QStringLiteral("DtVal_Deve"), {"tshDadosPed", "depDtVal"}},
        {QStringLiteral("DtVal<DtPed"), {"tshDadosPed", "depDtVal"}},
        {QStringLiteral("TipoOper_Deve"), {"tshDadosPed", "dbeTipoOper"}},
        {QStringLiteral("TipoOper_Nc"), {"tshDadosPed", "dbeTipoOper"}},
        {QStringLiteral("TIPO_N_CAD"), {"tshDadosPed", "dbeTipoEdital"}},
        {QStringLiteral("CDTIPTRANS_NULO"), {"tshTransportadora", "dbeTipoTransp"}},
        {QStringLiteral("CD_NAO_CAD"), {"tshTransportadora", "dbeTipoTransp"}},
    };
    if (chave == u"VD_DATE")
        return situacao == u"1" ? LugarDaMensagem{"tshDadosPed", "depDtRetirada"} : LugarDaMensagem{"tshDadosPed", "depData"};
    const auto lugar = lugares.constFind(chave);
    if (lugar == lugares.constEnd())
        return std::nullopt;
    return *lugar;
}

std::optional<double> descontoPermitidoNaModalidade(std::optional<double> maximoCliente, std::optional<double> maximoVendedor,
                                                    std::optional<double> descontoModalidade)
{
    if (!maximoCliente && !maximoVendedor)
        return std::nullopt;
    const double maior = std::max(maximoCliente.value_or(0), maximoVendedor.value_or(0));
    return descontoModalidade ? std::min(maior, *descontoModalidade) : maior;
}

bool acimaDosMaximos(double percentual, std::optional<double> maximoCliente, std::optional<double> maximoVendedor)
{
    if (!maximoCliente && !maximoVendedor)
        return false;
    return (!maximoCliente || percentual > *maximoCliente) && (!maximoVendedor || percentual > *maximoVendedor);
}

} // namespace RegrasPedido
