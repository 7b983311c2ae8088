#include "validacao_produto.h"

#include "lookupquery.h"
#include "messages.h"
#include "screens/dbgeral.h"

void Validacao_Produto(const QString& filial, const QString& produto, const QString& complemento)
{
    Q_UNUSED(filial);
    Q_UNUSED(complemento);
    if (!isDtmDBGeralOpen())
        return;
    LookupQuery qryValidaProduto(QStringLiteral("qryValidaProduto"), dtmDBGeral(),
                                 QStringLiteral("SELECT IDPRODATIVO FROM PRODUTO WHERE CDPRODUTO = :P_CDPRODUTO"));
    qryValidaProduto.setParam(QStringLiteral("P_CDPRODUTO"), produto);
    qryValidaProduto.open();
    if (qryValidaProduto.isEmpty())
        MensErro(msgMensagensPadroes().Msg(QStringLiteral("Produto_Nao_Cad")), true);
    if (qryValidaProduto.fieldByName(QStringLiteral("IDPRODATIVO")).asString() == u"N")
        MensErro(msgMensagensPadroes().Msg(QStringLiteral("Produto_Inativo")), true);
}
