#pragma once
// The order filter record: which orders the order entry screen loads. It
// lives as long as the module and is edited by the filter dialog, which
// writes it back only when the person confirms.

#include <QDate>
#include <QString>

struct TNrPedido {
    bool boIntervalo = false;
    bool boTodos = true;        // "all" or "interval"; false means a list
    QString stDe;
    QString stAte;
    QString stNrPedido;
    bool operator==(const TNrPedido&) const = default;
};

struct TNota {
    bool boIntervalo = false;
    bool boTodos = true;
    QString stDe;
    QString stAte;
    QString stNota;
    bool operator==(const TNota&) const = default;
};

struct TPrio {
    bool boBaixa = true;
    bool boNormal = true;
    bool boAlta = true;
    bool boUrgente = true;
    bool boPrioritaria = true;
    bool operator==(const TPrio&) const = default;
};

struct TStatPed {
    bool boPendente = true;
    bool boAndamento = true;
    bool boLiquidado = false;
    bool boCancelado = false;
    bool boParcialmente = false;
    bool operator==(const TStatPed&) const = default;
};

struct TStatIPed {
    bool boPendente = true;
    bool boConfirmado = true;
    bool boAprovado = true;
    bool boLiquidado = true;
    bool boCancelado = true;
    bool boParcialmente = true;
    bool operator==(const TStatIPed&) const = default;
};

struct TProduto {
    bool boTodos = true;
    QString stProduto;
    bool operator==(const TProduto&) const = default;
};

struct TVendedor {
    bool boTodos = true;
    QString stVendedor;
    bool operator==(const TVendedor&) const = default;
};

struct TVendComis {
    bool boTodos = true;
    QString stVendComis;
    bool operator==(const TVendComis&) const = default;
};

struct TFiliDest {
    bool boTodos = true;
    QString stFiliDest;
    bool operator==(const TFiliDest&) const = default;
};

struct TCliente {
    bool boTodos = true;
    QString stCliente;
    bool operator==(const TCliente&) const = default;
};

// Dates are whole days; a null date stands for "no date".
struct TEntrega {
    bool boTodos = true;
    QDate dtDe;
    QDate dtAte;
    bool operator==(const TEntrega&) const = default;
};

struct TEmissao {
    bool boTodos = false;
    QDate dtDe;
    QDate dtAte;
    bool operator==(const TEmissao&) const = default;
};

struct TTipoPedido {
    bool boPedido = true;
    bool boOrcamento = false;
    bool operator==(const TTipoPedido&) const = default;
};

struct TMuniciCli {
    bool boTodos = true;
    QString stMuniciCli;
    bool operator==(const TMuniciCli&) const = default;
};

struct TOrigem {
    bool boTodos = true;
    QString stOrigem;
    bool operator==(const TOrigem&) const = default;
};

struct TTipoOper {
    bool boTodos = true;
    QString stCdTipoOper;
    bool operator==(const TTipoOper&) const = default;
};

// Short texts of at most 255 characters.
struct TOrcamento {
    QString stIntervaloDe;
    QString stintervaloAte;
    bool operator==(const TOrcamento&) const = default;
};

struct TDepartamento {
    bool boTodos = true;
    QString stDepartamento;
    bool operator==(const TDepartamento&) const = default;
};

struct TImporta {
    bool boTodos = false;
    bool boSemEstoque = false;
    QDate dtDe;
    QDate dtAte;
    QString numero;
    bool operator==(const TImporta&) const = default;
};

struct TOrdem {
    QString stOrdem;
    bool operator==(const TOrdem&) const = default;
};

struct TFiltro {
    TNrPedido NrPedido;
    TNota Nota;
    TPrio Prioridade;
    TStatPed StatusPedido;
    TStatIPed StatusIPedido;
    TProduto Produto;
    TVendedor Vendedor;
    TVendComis VendComis;
    TFiliDest FiliDest;
    TCliente Cliente;
    TEntrega Entrega;
    TEmissao Emissao;
    TTipoPedido TipoPedido;
    TMuniciCli MuniciCli;
    TOrigem Origem;
    TTipoOper TipoOper;
    QString Filial;
    TOrcamento Orcamento;
    TDepartamento Departamento;
    TImporta Importa;
    TOrdem Ordem;
    bool operator==(const TFiltro&) const = default;
};

// The filter a fresh order entry screen starts with: everything admitted
// except closed orders, orders only, entered in the last ten days up to `today`.
inline TFiltro filtroInicial(const QDate& today)
{
    TFiltro filtro;
    filtro.Emissao.dtDe = today.addDays(-10);
    filtro.Emissao.dtAte = today;
    return filtro;
}
