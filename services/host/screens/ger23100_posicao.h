#pragma once
// "GER23100": the financial position of a customer, read only: the open
// receivables with their due dates, days overdue and balances, the totals
// overdue and to fall due, and the credit line they draw on.
//
// LoadBPL("GER23100", {customer code, trade name, "OK"}) opens it through
// the host's execModal. Without a code it says so and opens nothing.
// Registers itself with LoadBPL when the host library loads.

#include "rotigeral.h"

#include <QDate>
#include <QVariantList>

class QTableWidget;

class TfrmPosicaoCliente : public TfrmRotiGeral {
    Q_OBJECT
public:
    TfrmPosicaoCliente(const QString& customerCode, const QString& tradeName, const QDate& today, QWidget* parent = nullptr);

    QTableWidget* grdTitulos;
    double totalVencido() const { return m_vencido; }
    double totalAVencer() const { return m_aVencer; }

private:
    double m_vencido = 0;
    double m_aVencer = 0;
};

// LoadBPL's entry for "GER23100": args [customer code, trade name, "OK"].
void openGer23100(const QVariantList& args);
