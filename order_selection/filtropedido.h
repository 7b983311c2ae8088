#pragma once
// The order filter dialog ("PED00101", "Filtro de Lançamento"): the clerk
// chooses which orders the order entry screen lists. It edits the screen's
// filter record and writes it back only when confirmed.

#include "filtro.h"

#include <QString>

class QWidget;
class RecordSet;
class TNetConnection;

// What the dialog reads of the order entry screen.
struct FiltroPedidoTela {
    TNetConnection* netLanPed = nullptr;       // GetNrPedido, GetNota
    const RecordSet* cdsParamPedido = nullptr; // IDEXIBDADORC, IDEXIBPEDIDO, IDOBRTPOPPED
    const RecordSet* cdsOperTPed = nullptr;    // not empty: the operator is bound to a seller
    const RecordSet* cdsVendLog = nullptr;     // CDVENDEDOR of the logged-in seller
    QWidget* parent = nullptr;
};

// Runs the dialog modally on `filtro` (its Filial set by the caller); true
// when the clerk confirmed, which is the only case that changes `filtro`.
bool CriaFiltroPedido(TFiltro& filtro, const FiltroPedidoTela& tela);

// Number of codes in a list text of the multi-choice look-up: one more than
// the number of "_" separators (an empty text counts 1).
int ContaChecked(const QString& lista);
