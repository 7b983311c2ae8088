#pragma once
// SQL_Pesquisa_Produto: the statement of the product look-up, for a screen's
// product query (qryProduto) to take as its text. Columns: CDPRODUTO,
// CDARVPROD, NMPRODUTO, CDPRODINTE of the active products, by user-facing
// code. Every branch sells the same catalogue, so the statement names no
// parameter; a screen still gives P_CDFILIAL and P_CDNVPRODUTO when a
// statement names them. `emptyText` receives the text a look-up shows when
// there is no product.

#include <QString>

QString SQL_Pesquisa_Produto(const QString& branch, QString& emptyText);
