#pragma once
// "PED04800": the messages left for a seller, newest first, with the text of
// the chosen one below the list. Read only.
//
// LoadBPL("PED04800", {seller code}) opens it through the host's execModal
// when the seller has messages; without any it opens nothing. Registers
// itself with LoadBPL when the host library loads.

#include "rotigeral.h"

#include <QVariantList>

class QTableWidget;
class QTextEdit;

class TfrmMensagensVendedor : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmMensagensVendedor(const QString& sellerCode, QWidget* parent = nullptr);

    QTableWidget* grdMensagens;
    QTextEdit* txtMensagem;
    int mensagens() const;

private:
    void mostraMensagem(int row);

    QStringList m_textos;
};

// LoadBPL's entry for "PED04800": args [seller code].
void openPed04800(const QVariantList& args);
