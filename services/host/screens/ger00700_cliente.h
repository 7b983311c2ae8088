#pragma once
// "GER00700": the customer enquiry, read only. Identification, addresses,
// delivery locations and credit (line, open receivables, what is left) of
// one customer, read from the ERP database on the general connection.
//
// LoadBPL("GER00700", {"VISUALIZA_CLIENTE", true, customer code}) opens it
// through the host's execModal. Without a code, or for an unknown one, it
// says so and opens nothing. Registers itself with LoadBPL when the host
// library loads.

#include "rotigeral.h"

#include <QVariantList>

class QTabWidget;

class TfrmConsultaCliente : public TfrmRotiGeral {
    Q_OBJECT
public:
    // Throws std::invalid_argument for a code that names no customer.
    explicit TfrmConsultaCliente(const QString& customerCode, QWidget* parent = nullptr);

    QTabWidget* pgcCliente;

private:
    void criaIdentificacao(const QString& customerCode);
    void criaEnderecos(const QString& customerCode);
    void criaCredito(const QString& customerCode);
};

// LoadBPL's entry for "GER00700": args ["VISUALIZA_CLIENTE", true, customer code].
void openGer00700(const QVariantList& args);
