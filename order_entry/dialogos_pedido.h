#pragma once
// The order-level dialogs the order entry screen opens, attached to the
// screen's hooks once it exists.

class TfrmLanPedido;

void LigaDialogosPedido(TfrmLanPedido& tela);
