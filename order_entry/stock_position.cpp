// The stock position of the item being worked on: how the clerk types the
// item's reservations over its lots, and the position of a new item.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "lookupquery.h"
#include "messages.h"
#include "screens/dbgeral.h"
#include "widgets/datasource.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {
// A row posted without a reservation number is one the server numbers.
const QString reservaNova = QStringLiteral("XY");
}

void TfrmLanPedido::ligaPosicaoEstoque()
{
    RecordSet& lotes = *cdsPosiEstoq;
    // The lots are the server's: a row added here would stand for none.
    lotes.beforeInsert = [](RecordSet&) { throw Abort(); };
    lotes.beforeEdit = [this](RecordSet& cds) {
        if (valor(&cds, "IDDISPCONPED") == u"N")
            MensErro(texto(QStringLiteral("BLOQ_EST")), true);
    };
    // A reservation changes the item: it is posted, checked and sent with it.
    lotes.afterEdit = [this](RecordSet&) {
        if (!temLinhas(cdsItemPedido) || cdsItemPedido->isEditing())
            return;
        cdsItemPedido->edit();
        campo(cdsItemPedido, "IDITEMERRO").setValue(QStringLiteral("N"));
    };
    lotes.beforePost = [this](RecordSet& cds) {
        Field& reservado = campo(&cds, "QTRESPRODPED");
        if (reservado.asFloat() < 0) {
            mostraColunaReservada();
            MensErro(texto(QStringLiteral("QTRES_NEGATIVO")), true);
        }
        for (const char* chave : {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO"})
            campo(&cds, chave).setValue(campo(cdsItemPedido, chave).value());
        if (valor(&cds, "NRRESPRODPED").isEmpty())
            campo(&cds, "NRRESPRODPED").setValue(reservaNova);
        if (reservado.isNull())
            reservado.setValue(0.0);
    };
    // A lot without validity comes dated zero.
    campo(&lotes, "DTVALILOTE").onGetText = [](Field& field, bool) {
        const QDateTime validade = field.asDateTime();
        if (!validade.isValid() || validade.date() <= QDate(1899, 12, 30))
            return QString();
        return validade.toString(QStringLiteral("dd/MM/yyyy"));
    };
}

// The item page shows, the cursor passes the quantity and rests on the
// reserved column of the stock grid.
void TfrmLanPedido::mostraColunaReservada()
{
    mostraItemNoProduto("QTITEMPED");
    if (dbgPosiEstoq->columnByField(QStringLiteral("QTRESPRODPED"))) {
        dbgPosiEstoq->setFocus();
        dbgPosiEstoq->setSelectedField(QStringLiteral("QTRESPRODPED"));
    }
}

// The item's stock product: its own mark, or the typed product's.
QString TfrmLanPedido::produtoEstoqueDoItem()
{
    const QString marcado = valor(cdsItemPedido, "CDPRODESTO");
    if (!marcado.isEmpty() || !isDtmDBGeralOpen())
        return marcado;
    LookupQuery qryProdEsto(QStringLiteral("qryProdEsto"), dtmDBGeral(),
                            QStringLiteral("SELECT A.CDPRODESTO FROM PRODUTO A WHERE A.CDARVPROD = :P_CDARVPROD"));
    qryProdEsto.setParam(QStringLiteral("P_CDARVPROD"), valor(cdsItemPedido, "CDARVPROD"));
    qryProdEsto.open();
    return qryProdEsto.fieldByName(QStringLiteral("CDPRODESTO")).asString();
}

// A new item's lots are read when the clerk enters the stock grid, once its
// product is typed. Reservations cannot be typed for an item or an order
// not stored yet: the confirmation of a new one sends none.
void TfrmLanPedido::AtualizaPosiEstoq()
{
    if (paramPedido(QStringLiteral("IDUTRESELOTE")) != u"S" || cdsItemPedido->state() != RecordSet::State::Insert)
        return;
    const QString situacao = valor(cdsItemPedido, "IDSITITEMPED");
    mostraPaineisDoItem(situacao);
    const QString produtoEstoque = produtoEstoqueDoItem();
    RecordSet* lotes = situacao == u"4" ? cdsLoteUtil : cdsPosiEstoq;
    if (valor(cdsItemPedido, "CDPRODUTO").isEmpty()) {
        cdsPosiEstoq->close();
        cdsLoteUtil->close();
    } else {
        const QJsonArray estoque =
            Servidor(GetAtuItemPed, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO"), valor(cdsItemPedido, "NRITEMPED"),
                                     valor(cdsItemPedido, "CDPRODUTO"), produtoEstoque, situacao})
                .toArray();
        nedQtPed->setValue(estoque.at(GetAtuItemPedResult::QtPedida).toDouble());
        nedQtDisp->setValue(estoque.at(GetAtuItemPedResult::QtDisponivel).toDouble());
        if (!cdsPosiEstoq->hasChanges()) {
            CarregaPacote(*lotes, estoque.at(GetAtuItemPedResult::PosicaoEstoque));
            dtsPosiEstoq->setDataSet(lotes);
        }
    }
    detalheEmEdicao(*dtsItemPedido);
    lblUnidDisp->setText(valor(cdsItemPedido, "SGUNIDPAI"));
    travaPosicaoDoNovo();
}

// While the order or the item is being included the grid only shows.
void TfrmLanPedido::travaPosicaoDoNovo()
{
    if (cdsPedido->state() == RecordSet::State::Insert || cdsItemPedido->state() == RecordSet::State::Insert)
        dbgPosiEstoq->setReadOnly(true);
}
