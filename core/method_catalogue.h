#pragma once
// The methods of the application server's remote data modules, as client
// and server both know them: each method's module, name and argument kinds
// (by-reference marks included), and the positions of the result elements
// that callers read. The server registers exactly these methods (checked as
// it registers them); the client calls through these constants, so a
// misspelt name does not compile, a braced argument list of the wrong
// length does not compile either, and a list built at run time is checked
// against the method before anything is sent.
//
//   net->call(Rpc::LanPedido::GetPrxPedido, {filial});
//   const QJsonArray itens = CheckResultServ(net->call(Rpc::LanPedido::GetItemPedido, {f, p, s})).toArray();
//   CarregaPacote(*cdsItemPedido, itens.at(Rpc::LanPedido::GetItemPedidoResult::Itens));
//
// Adding a method: declare it here (and its result elements when callers
// read them by position), add it to the list in method_catalogue.cpp, then
// register it on the server with the same argument kinds.

#include <QString>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// The kinds of a call argument on the wire.
enum class ArgKind {
    Text,        // JSON string
    Boolean,     // JSON true/false
    Integer,     // JSON number without fraction
    Float,       // JSON number
    Date,        // JSON string, ISO 8601 date or date-time
    Packet,      // JSON object: a data packet or a delta
    ValueArray,  // JSON array
};

namespace Rpc {

enum class Module { LanPedido, NotaPedido, GeraNFFutura, DBGeral };

// The server name of the module ("PED00100.rdmLanPedido", ...).
const QString& serverName(Module module);

struct Arg {
    ArgKind kind = ArgKind::Text;
    bool byReference = false;   // the server writes an output into it
    constexpr bool operator==(const Arg&) const = default;
};

// A method of any number of arguments.
struct MethodInfo {
    Module module;
    std::string_view name;
    std::span<const Arg> args;

    QString methodName() const { return QString::fromLatin1(name.data(), qsizetype(name.size())); }
    QString serverName() const { return Rpc::serverName(module); }
    QString label() const { return serverName() + QLatin1Char('.') + methodName(); }
};

// A method of N arguments; N is part of the type so that a braced argument
// list is counted by the compiler.
template <std::size_t N>
struct Method {
    Module module;
    std::string_view name;
    std::array<Arg, N> args;

    constexpr MethodInfo info() const { return MethodInfo{module, name, args}; }
};

// Every method of every module.
std::span<const MethodInfo> catalogue();
// The method of the module by its exact name; nullptr when there is none.
const MethodInfo* findMethod(const QString& serverName, const QString& methodName);

// Shorthands for the declarations below.
namespace Kind {
inline constexpr Arg Text{ArgKind::Text};
inline constexpr Arg TextRef{ArgKind::Text, true};
inline constexpr Arg Boolean{ArgKind::Boolean};
inline constexpr Arg Integer{ArgKind::Integer};
inline constexpr Arg Float{ArgKind::Float};
inline constexpr Arg FloatRef{ArgKind::Float, true};
inline constexpr Arg Date{ArgKind::Date};
inline constexpr Arg DateRef{ArgKind::Date, true};
inline constexpr Arg Packet{ArgKind::Packet};
inline constexpr Arg PacketRef{ArgKind::Packet, true};
inline constexpr Arg Values{ArgKind::ValueArray};
} // namespace Kind

// ---- Bib.rdmDBGeral ----------------------------------------------------------
namespace DBGeral {
using namespace Kind;
inline constexpr Method<2> Login{Module::DBGeral, "Login", {Text, Text}};
inline constexpr Method<1> Logout{Module::DBGeral, "Logout", {Text}};
inline constexpr Method<3> AutorizaOperador{Module::DBGeral, "AutorizaOperador", {Text, Text, Integer}};
namespace AutorizaOperadorResult {
enum Element : int { Autorizado = 0, NomeSupervisor = 1 };
}
inline constexpr Method<2> getFilial{Module::DBGeral, "getFilial", {Text, Text}};
} // namespace DBGeral

// ---- PED00100.rdmLanPedido -----------------------------------------------------
namespace LanPedido {
using namespace Kind;

inline constexpr Method<0> getParamGerPed{Module::LanPedido, "getParamGerPed", {}};
inline constexpr Method<3> GetPermissao{Module::LanPedido, "GetPermissao", {Text, Text, Text}};
inline constexpr Method<2> getFilial{Module::LanPedido, "getFilial", {Text, Text}};

inline constexpr Method<2> GetAbertura{Module::LanPedido, "GetAbertura", {Text, Text}};
namespace GetAberturaResult {
enum Element : int {
    UsoTabPreClie = 0,
    ParamPedido = 1,
    ParExpedicao = 2,
    CondDesc = 3,
    OperTPed = 4,
    VendLog = 5,
};
}

inline constexpr Method<1> GetPrxPedido{Module::LanPedido, "GetPrxPedido", {Text}};

inline constexpr Method<53> GetPedido{Module::LanPedido, "GetPedido", {
    TextRef, TextRef, TextRef, TextRef, TextRef,          //  1 order number
    TextRef, TextRef, TextRef, TextRef,                   //  6 sellers, commissioned sellers
    TextRef, TextRef, TextRef, TextRef,                   // 10 customers, products
    Text, TextRef, Text, TextRef, Text, TextRef,          // 14 priorities, order and item statuses
    TextRef, DateRef, DateRef, TextRef, DateRef, DateRef, // 20 entry and delivery dates
    TextRef, TextRef,                                     // 26 municipalities
    Text, Text, Text, Text, Boolean, Text,                // 28 kinds, origins, branch, details, current order
    TextRef, TextRef, TextRef, TextRef, TextRef, TextRef, // 34 destination branches, operation types, departments
    Text, Text, Text,                                     // 40 quotations
    TextRef, DateRef, DateRef, TextRef, TextRef, TextRef, // 43 import, without stock, purchase order
    TextRef, TextRef, TextRef, TextRef, TextRef,          // 49 invoices
}};
namespace GetPedidoResult {
enum Element : int {
    Pedidos = 0,
    Itens = 1,
    Observacao = 2,
    PrazoPgto = 3,
    PosicaoEstoque = 4,
    LancamentosNf = 5,
    DadosAdicionais = 6,
    Encargos = 7,
    ImpostosPedido = 8,
    DadosEndereco = 9,
    Count = 10,
};
}

inline constexpr Method<3> GetItemPedido{Module::LanPedido, "GetItemPedido", {Text, Text, Text}};
namespace GetItemPedidoResult {
enum Element : int { Itens = 0, LancamentosNf = 1 };
}

inline constexpr Method<14> GetDadosAfterScroll{Module::LanPedido, "GetDadosAfterScroll", {
    Text, Text, Text, Text, Text, TextRef, Text, Text, TextRef, TextRef, TextRef, TextRef, TextRef, Text,
}};
namespace GetDadosAfterScrollResult {
enum Element : int {
    PosicaoEstoque = 0,
    QtPedida = 1,
    ImpostosItem = 2,
    UltimosPrecos = 3,
    QtDisponivel = 4,
    IndicadorEstoque = 5,
    QtOrcamento = 6,
};
}

inline constexpr Method<5> GetImposto_UltVendaP{Module::LanPedido, "GetImposto_UltVendaP", {Text, Text, Text, Text, Text}};
namespace GetImposto_UltVendaPResult {
enum Element : int { ImpostosItem = 0, UltimasVendas = 1 };
}

inline constexpr Method<9> GetPgcChange{Module::LanPedido, "GetPgcChange", {
    Text, Text, Text, Text, Text, TextRef, Text, Text, Text,
}};
namespace GetPgcChangeResult {
enum Element : int {
    SaldoEmpenho = 0,
    Observacao = 6,
    PrazoPgto = 7,
    DadosAdicionais = 8,
    Encargos = 9,
    DadosEndereco = 10,
    Count = 11,
};
}

inline constexpr Method<2> GetTObser{Module::LanPedido, "GetTObser", {Text, Text}};
namespace GetTObserResult {
enum Element : int { Observacao = 0, DadosAdicionais = 1 };
}

inline constexpr Method<2> GetObser{Module::LanPedido, "GetObser", {Text, Text}};
inline constexpr Method<2> GetPesqObser{Module::LanPedido, "GetPesqObser", {Text, Text}};
inline constexpr Method<2> GetPrazoPgto{Module::LanPedido, "GetPrazoPgto", {Text, Text}};
inline constexpr Method<2> getEncargo{Module::LanPedido, "getEncargo", {Text, Text}};
inline constexpr Method<2> GetDadosEndPed{Module::LanPedido, "GetDadosEndPed", {Text, Text}};
inline constexpr Method<2> GetImposEncar{Module::LanPedido, "GetImposEncar", {Text, Text}};
inline constexpr Method<2> GetImposPedTot{Module::LanPedido, "GetImposPedTot", {Text, Text}};
inline constexpr Method<2> SetDelTdsEncargos{Module::LanPedido, "SetDelTdsEncargos", {Text, Text}};
inline constexpr Method<6> GetCliente{Module::LanPedido, "GetCliente", {Boolean, Text, Text, Text, Text, Text}};
inline constexpr Method<1> GetNrPedido{Module::LanPedido, "GetNrPedido", {Text}};
inline constexpr Method<1> GetNota{Module::LanPedido, "GetNota", {Text}};

// Item pricing.
inline constexpr Method<8> GetPreco{Module::LanPedido, "GetPreco", {Text, Text, Text, Text, Text, Date, Text, Text}};
namespace GetPrecoResult {
enum Element : int { PrecoBase = 0, PrecoUtil = 1, Recusa = 2 };
}
// GetPreco's answer for each product of the list, in its order.
inline constexpr Method<8> GetPrecos{Module::LanPedido, "GetPrecos", {Text, Values, Text, Text, Text, Date, Text, Text}};
inline constexpr Method<2> GetCondDesc{Module::LanPedido, "GetCondDesc", {Text, Text}};
inline constexpr Method<2> GetParam{Module::LanPedido, "GetParam", {TextRef, Text}};
inline constexpr Method<4> VD_PRECOOK{Module::LanPedido, "VD_PRECOOK", {Text, Date, Packet, Text}};
inline constexpr Method<3> SetMudaData{Module::LanPedido, "SetMudaData", {Text, Text, Date}};
inline constexpr Method<1> GetPesqPrcBase{Module::LanPedido, "GetPesqPrcBase", {Text}};
inline constexpr Method<2> getPrOpcionais{Module::LanPedido, "getPrOpcionais", {Text, Text}};
inline constexpr Method<1> getVrDescClie{Module::LanPedido, "getVrDescClie", {Text}};
inline constexpr Method<4> getFatorPre{Module::LanPedido, "getFatorPre", {Text, Text, Text, Text}};
inline constexpr Method<1> GetQtVolumes{Module::LanPedido, "GetQtVolumes", {Text}};
inline constexpr Method<3> GetDesconto{Module::LanPedido, "GetDesconto", {Text, Text, Text}};
inline constexpr Method<2> getQtProd{Module::LanPedido, "getQtProd", {Text, Text}};

// Item validation: the product of a new item, the stock figures at post and
// the stored status of an item.
inline constexpr Method<19> GetNovoItem{Module::LanPedido, "GetNovoItem", {
    Text, Text, Text, Text, TextRef, Text, Text, Text, Text, Text, Text, Text, Text, Text, Text, Text, Text, Text, Boolean,
}};
namespace GetNovoItemResult {
enum Element : int {
    ItensDoProduto = 0,
    ProdutoDoCliente = 1,
    UltimosPrecos = 2,
    QtPedida = 3,
    QtDisponivel = 4,
    Rentabilidade = 11,
    QtPedidaEstoque = 13,
    Count = 14,
};
}
inline constexpr Method<6> VD_ESTITEM{Module::LanPedido, "VD_ESTITEM", {Text, Text, Text, Float, Text, Text}};
namespace VD_ESTITEMResult {
enum Element : int { Disponivel = 0, EmPedidos = 1, EmEstoque = 2, Controlado = 3, EmOrcamentos = 4 };
}
inline constexpr Method<3> VerificaSitItem{Module::LanPedido, "VerificaSitItem", {Text, Text, Text}};

// The order discount calculator.
inline constexpr Method<11> SetAplicaDesconto{Module::LanPedido, "SetAplicaDesconto", {
    Packet, Float, Text, FloatRef, Text, Text, Text, Float, FloatRef, Text, Boolean,
}};
namespace SetAplicaDescontoResult {
enum Element : int { Resposta = 0, DescontoMaximo = 1 };
}

// The unit-price calculator: branch, order, item, only the selected item,
// kind "P"/"V", percentage or new price, action "A"/"D", then (SetPreco)
// the operator and whether the operator's permission is checked.
inline constexpr Method<9> SetPreco{Module::LanPedido, "SetPreco", {
    Text, Text, Text, Boolean, TextRef, FloatRef, TextRef, Text, Boolean,
}};
inline constexpr Method<7> SetGeraItemPed{Module::LanPedido, "SetGeraItemPed", {
    Text, Text, Text, Boolean, TextRef, FloatRef, TextRef,
}};
namespace SetGeraItemPedResult {
enum Element : int { Itens = 0, VrTotalProdutos = 1 };
}

inline constexpr Method<2> GetPedidoImpressao{Module::LanPedido, "GetPedidoImpressao", {Text, Text}};
namespace GetPedidoImpressaoResult {
enum Element : int { Cabecalho = 0, Itens = 1 };
}

// The automatic price change across orders: the products of the chosen
// customers, the grid of their current prices, and the new prices applied.
inline constexpr Method<7> GetProdCli{Module::LanPedido, "GetProdCli", {
    Boolean, TextRef, TextRef, Date, Date, Boolean, TextRef,
}};
inline constexpr Method<9> GetProdGrid{Module::LanPedido, "GetProdGrid", {
    Boolean, TextRef, TextRef, Date, Date, Boolean, TextRef, Boolean, TextRef,
}};
inline constexpr Method<8> SetAlteracaoPreco{Module::LanPedido, "SetAlteracaoPreco", {
    Packet, Boolean, TextRef, TextRef, Date, Date, Boolean, TextRef,
}};
namespace SetAlteracaoPrecoResult {
// ["OK", items changed, orders changed] or ["BLOQUEADO", blocked orders
// packet: CDFILIAL, NRPEDIDO, IDSITPEDIDO].
enum Element : int { Resposta = 0, Itens = 1, PedidosBloqueados = 1, Pedidos = 2 };
}

// The payment page: a modality's default terms, and the order's terms
// checked and stored with the installment values worked out at the cent.
inline constexpr Method<1> GetPrazoMod{Module::LanPedido, "GetPrazoMod", {Text}};
inline constexpr Method<11> setFormaPagto{Module::LanPedido, "setFormaPagto", {
    Packet, Text, Text, Text, Text, Text, Text, Text, Text, Text, Boolean,
}};
namespace setFormaPagtoResult {
// [modality differs from the stored one, "" | "PARCMZERO" | an error text].
enum Element : int { ModalidadeAlterada = 0, Resposta = 1 };
}
// Order replication: the current order copied into a new one for another
// branch, customer (by reference: the customer code as the server took it),
// destination branch and dates; then the hand-over to the logistics
// integration.
inline constexpr Method<10> replicaPedido{Module::LanPedido, "replicaPedido", {
    Text, TextRef, Text, Date, Date, Date, Text, Text, Text, Text,
}};
inline constexpr Method<0> IntegraNeolog{Module::LanPedido, "IntegraNeolog", {}};
// The header post: the stock test of a quotation becoming an order, and an
// item's stock position refreshed after the header changed.
inline constexpr Method<4> VD_ESTPED{Module::LanPedido, "VD_ESTPED", {Text, Text, Boolean, Text}};
namespace VD_ESTPEDResult {
// "QUANT_PROD": the item that does not fit; "QUANT_PROD_ARRED": the item
// that fits only before it is rounded up to a whole stock unit.
enum Element : int {
    Chave = 0,
    CdProduto = 1, CdArvProd = 2, NmProduto = 3, SgUnidade = 4, QtSolicitada = 5, QtPedAtual = 6, QtEstoque = 7,
    QtPedido = 8, QtOrcaPed = 9,
    ArredProduto = 1, ArredQuantidade = 2, ArredDisponivel = 3,
};
}
inline constexpr Method<6> GetAtuItemPed{Module::LanPedido, "GetAtuItemPed", {Text, Text, Text, Text, Text, Text}};
namespace GetAtuItemPedResult {
enum Element : int { PosicaoEstoque = 0, QtPedida = 1, QtDisponivel = 2 };
}
// The confirmation: every pending change of the order in one call, stored
// as a whole or not at all, and what the server found for the clerk to review.
inline constexpr Method<25> SetConfirma{Module::LanPedido, "SetConfirma", {
    PacketRef, PacketRef, Packet, PacketRef, PacketRef,   //  1 header, terms, items, item delta, stock position
    Boolean, Boolean, Text, Boolean, Boolean,             //  6 first submission, order kind, operator, date and base price changed
    Text, Text, PacketRef, Integer, Date,                 // 11 seller, stored seller, observation, item count, delivery date
    Text, PacketRef, Float, PacketRef, PacketRef,         // 16 item null fields, additional data, reserved, sellers, address
    Boolean, TextRef, Boolean, Text, PacketRef,           // 21 review pass, server text, first only, address null fields, charges
}};
namespace SetConfirmaResult {
enum Element : int {
    ErrosItem = 0, ConfirmaRes = 1, Mensagem = 2, AlvaraProd = 3, RentabilidadeProd = 4, ValidadeComissao = 5,
};
}
// The modality's price adjustments, the branch's minimum order value, the
// items marked irregular after a review, and an order's confirmation history.
inline constexpr Method<4> GetPrecoUtil{Module::LanPedido, "GetPrecoUtil", {Text, Text, Text, Text}};
inline constexpr Method<1> getVrMinPed{Module::LanPedido, "getVrMinPed", {Text}};
inline constexpr Method<1> SetItemIrregular{Module::LanPedido, "SetItemIrregular", {Packet}};
inline constexpr Method<2> GetHistPedido{Module::LanPedido, "GetHistPedido", {Text, Text}};
} // namespace LanPedido


// ---- Ped00120.rdmGeraNFFutura -----------------------------------------------------
// The future-delivery invoice of an order: branch and order (by reference),
// then operation type and output series.
namespace GeraNFFutura {
using namespace Kind;
inline constexpr Method<4> GeraNFFutura{Module::GeraNFFutura, "GeraNFFutura", {TextRef, TextRef, Text, Text}};
namespace GeraNFFuturaResult {
enum Element : int { Resposta = 0, SemImpostosObrigatorios = 1 };
}
inline constexpr Method<2> GetNFFutura{Module::GeraNFFutura, "GetNFFutura", {TextRef, TextRef}};
} // namespace GeraNFFutura

} // namespace Rpc
