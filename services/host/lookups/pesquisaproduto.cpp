#include "pesquisaproduto.h"

QString SQL_Pesquisa_Produto(const QString& branch, QString& emptyText)
{
    emptyText = QStringLiteral("Não há produto ativo para a filial %1.").arg(branch);
    return QStringLiteral("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, CDPRODINTE FROM PRODUTO "
                          "WHERE IDPRODATIVO = 'S' ORDER BY CDARVPROD");
}
