#include "rules/payment.h"

#include "field.h"
#include "installments.h"

namespace RegrasPedido {

QList<ParcelaGerada> geraParcelas(int quantidade, int prazoDias)
{
    QList<ParcelaGerada> parcelas;
    if (quantidade < 1)
        return parcelas;
    const double p = RoundDec(100.0 / quantidade, 2);
    const double total = p * quantidade;
    for (int k = 1; k <= quantidade; ++k) {
        double percentual = p;
        if (k == quantidade) {
            if (total < 100)
                percentual = RoundDec(100 - total + p, 2);
            else if (total > 100)
                percentual = 100 - total + p;
        }
        parcelas.append({double(k) * prazoDias, percentual});
    }
    return parcelas;
}

QList<Cents> valoresDasParcelas(double recebimento, const QList<double>& percentuais)
{
    return splitByPercentages(Cents::fromValue(recebimento), percentuais);
}

bool somaPercentuaisFecha(const QList<double>& percentuais)
{
    return percentuaisSomam100(percentuais);
}

RecusaPrazo conferePrazo(std::optional<double> dias, bool obrigatorio, const QList<double>& outrosDias)
{
    if (!dias)
        return obrigatorio ? RecusaPrazo::NaoInformado : RecusaPrazo::Nenhuma;
    if (*dias < 0)
        return RecusaPrazo::Negativo;
    if (outrosDias.contains(*dias))
        return RecusaPrazo::Repetido;
    return RecusaPrazo::Nenhuma;
}

RecusaPercentual conferePercentual(std::optional<double> percentual, bool obrigatorio)
{
    if (!percentual)
        return obrigatorio ? RecusaPercentual::NaoInformado : RecusaPercentual::Nenhuma;
    if (!(*percentual > 0))
        return RecusaPercentual::NaoPositivo;
    if (*percentual > 100)
        return RecusaPercentual::AcimaDe100;
    return RecusaPercentual::Nenhuma;
}

RecusaDiaFixo confereDiaFixo(std::optional<int> dia, bool obrigatorio)
{
    if (!dia)
        return obrigatorio ? RecusaDiaFixo::NaoInformado : RecusaDiaFixo::Nenhuma;
    return *dia < 1 || *dia > 31 ? RecusaDiaFixo::ForaDoMes : RecusaDiaFixo::Nenhuma;
}

bool teclaAceita(ColunaPrazo coluna, QChar tecla, const QString& textoDaCelula, bool prazosEditaveis)
{
    if (!prazosEditaveis || coluna == ColunaPrazo::Previsao)
        return false;
    if (coluna == ColunaPrazo::Outra || tecla == u'\b')
        return true;
    if (tecla >= u'0' && tecla <= u'9')
        return true;
    if (coluna == ColunaPrazo::Dias)
        return false;
    return tecla == u',' && !textoDaCelula.contains(u',');
}

QString textoPrevisao(const QDateTime& previsao)
{
    return previsao.isValid() ? FieldText::formatDateTime(previsao, QStringLiteral("dd/mm/yyyy ddd")) : QString();
}

} // namespace RegrasPedido
