#include "installments.h"

#include "money.h"

#include <cmath>

namespace RegrasPedido {

bool percentuaisSomam100(const QList<double>& percentuais)
{
    if (percentuais.isEmpty())
        return true;
    qint64 decimosDeMilesimo = 0;
    for (double percentual : percentuais) {
        // Beyond 100 % a share can never be part of a whole.
        if (!std::isfinite(percentual) || std::fabs(percentual) > 1000.0)
            return false;
        decimosDeMilesimo += std::llround(RoundDec(percentual, 4) * 10000.0);
    }
    return decimosDeMilesimo == 1000000;
}

} // namespace RegrasPedido
