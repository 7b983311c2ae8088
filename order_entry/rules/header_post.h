#pragma once
// What the order header's post decides: the status the order is saved
// with, whether its dates pass, where each refusal takes the clerk, and the
// discount the items keep when the payment modality changes.

#include "order_status.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace RegrasPedido {

// A date editor as the checks read it: its text and the date it holds
// (invalid when the text is none).
struct DataDigitada {
    QString texto;
    QDate data;
    bool vazia() const { return texto.trimmed().isEmpty(); }
};

// The first day a date may be: the day after 30/12/1899.
QDate primeiroDiaValido();

// A refused date: the catalog key, and whether the message is the editor's
// text in quotes before the key's text ("'32/13/2026' não é uma data válida.").
struct RecusaData {
    QString chave;
    bool citaTexto = false;
};

// The order date: empty is refused only when required ("DT_NULO"); then
// "DT_INV", later than `agora` "DT_ERRO", not after 30/12/1899 "DT_MENOR".
std::optional<RecusaData> confereDataPedido(const DataDigitada& data, const QDateTime& agora, bool obrigatoria);

// The delivery date: empty is refused only when required ("DTENT_NULO");
// then "DTENT_INV"; a day before `hoje` "DTENT_DTATU".
std::optional<RecusaData> confereDataEntrega(const DataDigitada& data, const QDate& hoje, bool obrigatoria);

// Both dates typed: a delivery before the order date is "VD_DATE".
std::optional<RecusaData> confereDatas(const DataDigitada& pedido, const DataDigitada& entrega);

// The validity date, when the order has one: "DtVal_Deve" empty, the
// quoted "DT_INV" invalid, "DtVal<DtPed" before the order date.
std::optional<RecusaData> confereValidade(const DataDigitada& validade, const QDate& dataPedido);

// Where a refusal of the header checks takes the clerk: the page shown and
// the editor that takes the cursor, by their object names.
struct LugarDaMensagem {
    const char* pagina;
    const char* campo;
};
// None for a key the header checks do not refuse with. "VD_DATE" goes to
// the order date of a pending order ("1") and to the delivery date of any
// other.
std::optional<LugarDaMensagem> lugarDaMensagem(const QString& chave, const QString& situacao = {});

// The discount the items may keep when the order's modality changes: the
// larger of the customer's and the seller's maxima, held to the modality's
// discount where it has one. None when neither maximum is known.
std::optional<double> descontoPermitidoNaModalidade(std::optional<double> maximoCliente, std::optional<double> maximoVendedor,
                                                    std::optional<double> descontoModalidade);
// Whether an item's discount is above every known maximum.
bool acimaDosMaximos(double percentual, std::optional<double> maximoCliente, std::optional<double> maximoVendedor);

} // namespace RegrasPedido
