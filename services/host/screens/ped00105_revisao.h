#pragma once
// "PED00105": the review of what the server found in an order (prices
// without a table row, changed dates and prices, commissions, reservations).
// It lists the data packet it is handed, under a title of the mode, and
// writes the clerk's answer through the reference it is handed: Aceitar
// sets it, Recusar clears it.
//
// LoadBPL("PED00105", {packet, QVariant::fromValue(RespostaRevisao*), mode})
// with mode "X" (items without a price), "C", "1", "P", "R" or empty (the
// confirmation's findings). Registers itself with LoadBPL when the host
// library loads.

#include "rotigeral.h"

#include <QMetaType>
#include <QVariantList>

class QTableWidget;

// The answer of the review; the caller owns it for the time of the call.
struct RespostaRevisao {
    bool aceito = false;
};
Q_DECLARE_METATYPE(RespostaRevisao*)

class TfrmRevisaoPedido : public TfrmRotiGeral {
    Q_OBJECT
public:
    TfrmRevisaoPedido(const QVariant& packet, RespostaRevisao* resposta, const QString& mode, QWidget* parent = nullptr);

    QTableWidget* grdRevisao;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;

    // The title of a mode.
    static QString tituloDoModo(const QString& mode);

private:
    RespostaRevisao* m_resposta;
};

// LoadBPL's entry for "PED00105".
void openPed00105(const QVariantList& args);
