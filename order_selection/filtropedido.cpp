#include "filtropedido.h"

bool CriaFiltroPedido(TFiltro&, const FiltroPedidoTela&)
{
    return false;
}

int ContaChecked(const QString& lista)
{
    return static_cast<int>(lista.count(u'_')) + 1;
}
