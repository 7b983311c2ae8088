#pragma once
// The order discount calculator ("PED00111", "Calcular Desconto"): the clerk
// types a formula of percentages taken one after the other off the selected
// item's unit price, sees the result, and has the server apply it to that
// item or to every item of the order.

#include "datapacket.h"
#include "screens/rotigeral.h"

#include <QJsonArray>
#include <QString>

class QLineEdit;
class QRadioButton;
class RecordSet;
class TNetConnection;

// What the dialog reads of the order entry screen.
struct CalcularDescontoTela {
    DataPacket itens;                      // the data of cdsItemPedido
    QString nrItemPed;                     // the current item's NRITEMPED
    TNetConnection* netLanPed = nullptr;   // SetAplicaDesconto
    QString cdVendedor;                    // cdsVendLog.CDVENDEDOR, the logged-in seller
    QString idUtDescMaxi;                  // IDUTDESCMAXI of the branch's parameters
    QString descMens;                      // the screen's DESC_MENS: a discount above the maximum, asked
    QString descInv;                       // the screen's Desc_Inv: a discount above the maximum, refused
    QWidget* parent = nullptr;
};

// Creates the dialog on first use (and again after its parent went away),
// loads the items, and runs it modally.
void CriaCalcularDesconto(const CalcularDescontoTela& tela);

class TfrmCalcularDesconto : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmCalcularDesconto(QWidget* parent);
    ~TfrmCalcularDesconto() override;

    // The items and the current one, each time the dialog opens.
    void carrega(const CalcularDescontoTela& tela);

    QLineEdit* edtFormulaDesconto;
    QLineEdit* edtAplicaDesconto;
    QLineEdit* edtPrecoUnitario;
    QRadioButton* rbtApenas;
    QRadioButton* rbtTodos;
    RecordSet* cdsItem;

    // The last computation, kept until the formula changes.
    double dbPrecoUnit = 0;
    double dbResultado = 0;
    double dbDesconto = 0;
    double dbPercentualTotal = 0;

    void edtFormulaDescontoChange();
    void sbtConfirmaClick() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QJsonArray aplica(bool todos, bool acimaDoMaximo);
    [[noreturn]] void falha(const QString& key);

    CalcularDescontoTela tela;
};
