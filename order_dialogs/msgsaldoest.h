#pragma once
// The stock shortage report ("Consiste saldo em Estoque"): when an item asks
// for more of a product than is available, the order entry screen fills one
// cdsConsisteSaldEst row and shows it here, with how the available balance
// was reached (stock less orders and quotations) before the post is given up.

#include "datapacket.h"

#include <QDialog>

class DataSource;
class DBEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class RecordSet;

// The fields of cdsConsisteSaldEst with their display formats, for the screen
// that fills the row and for the dialog that shows it. The record set must be
// inactive.
void criaCamposConsisteSaldEst(RecordSet& cds);

// Creates the dialog on first use (and again after its parent went away),
// hands it the packet and runs it modally.
void CriaMsgSaldoEst(QWidget* parent, const DataPacket& data);

class TfrmMsgSaldoEst : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMsgSaldoEst(QWidget* parent);
    ~TfrmMsgSaldoEst() override;

    // The shortage row, each time the dialog opens.
    void carrega(const DataPacket& data);

    RecordSet* cdsConsisteSaldEst;
    DataSource* dtsConsisteSaldEst;

    QLabel* lblMsg;
    QLabel* lblNmProduto;
    QGroupBox* grbSaldo;
    DBEdit* dbeQtSolicitada;
    DBEdit* dbeQtDispSaldo;    // the available balance again, beside the quantity asked
    DBEdit* dbeVrDiferenca;
    DBEdit* dbeQtEstoque;
    DBEdit* dbeQtPedido;
    DBEdit* dbeQtPedAtual;
    DBEdit* dbeQtPedTotal;
    DBEdit* dbeQtOrcaPed;
    DBEdit* dbeQtDisponivel;
    // Shown only when earlier items of this order hold the same product.
    QLabel* lblQtPedAtual;
    QLabel* lblQtPedTotal;
    QLabel* lblItensDuplicados;
    QPushButton* btnGravarItem;

protected:
    void showEvent(QShowEvent* event) override;

private:
    DBEdit* valor(const QString& name, const QString& field);
};
