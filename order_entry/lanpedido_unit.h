#pragma once
// Unit-level state of the order entry screen: its one instance, the flags
// its handlers share and the codes they remember between events. Plain
// variables of the module, one set per process.

#include "filtro.h"

#include <QString>

class TfrmLanPedido;

namespace LanPedido {

inline TfrmLanPedido* frmLanPedido = nullptr;
inline bool boStCriado = false;

inline bool boMens = true;
inline bool boPrazo = true;
inline bool boConfirmaMod = false;
inline bool boValidaDataComissao = true;
inline bool boValidaDescMax = true;
inline bool boShowAvi = true;
inline bool boModMsg = false;
inline bool boGetPedido = false;
inline bool boParamGerPed = false;
inline bool boCtrlDel = false;
inline bool boReseAuto = false;
inline bool boEntrar = false;
inline bool boAlteraSituItem = false;
inline bool boBotaoIncuiItem = false;

inline double Soma = 0;

// While an order is edited: the customer changed, the destination branch
// changed, neither did. The delivery address follows them.
inline bool boAlteraCliente = false;
inline bool boAlteraFilialDest = false;
inline bool boNaoAlterado = false;

inline QString stAltSitItem;
inline QString stCdClie;
inline QString stVend;
inline QString stModPgto;
inline QString stModPgtoAux;
inline QString stCdModPag;
inline QString stNovoModPag;
inline QString stPreco;
inline QString stItem;
inline QString stNrItem;
inline QString stCdProdAnt;
inline QString stDadoTrans;
inline QString stForma;
inline QString stCdCliente;
inline QString stIns;

inline TFiltro Filtro;

// Limits remembered while an order is entered; -1 means "not known yet".
inline double vrLimiteDesconto = -1.0;
inline double vrLimiteCredito = -1.0;

// Back to the values of a freshly loaded module (after the screen closed,
// so that a new screen does not inherit an old one's memory).
void resetUnit();

} // namespace LanPedido

// Creates the order entry screen on first use and brings it up.
void CriaLanctoPedido();
