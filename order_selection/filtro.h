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
};

struct TNota {
    bool boIntervalo = false;
    bool boTodos = true;
    QString stDe;
    QString stAte;
    QString stNota;
};

struct TPrio {
    bool boBaixa = true;
    bool boNormal = true;
    bool boAlta = true;
    bool boUrgente = true;
    bool boPrioritaria = true;
};

struct TStatPed {
    bool boPendente = true;
    bool boAndamento = true;
    bool boLiquidado = false;
    bool boCancelado = false;
    bool boParcialmente = false;
};

struct TStatIPed {
    bool boPendente = true;
    bool boConfirmado = true;
    bool boAprovado = true;
    bool boLiquidado = true;
    bool boCancelado = true;
    bool boParcialmente = true;
};

struct TProduto {
    bool boTodos = true;
    QString stProduto;
};

struct TVendedor {
    bool boTodos = true;
    QString stVendedor;
};

struct TVendComis {
    bool boTodos = true;
    QString stVendComis;
};

struct TFiliDest {
    bool boTodos = true;
    QString stFiliDest;
};

struct TCliente {
    bool boTodos = true;
    QString stCliente;
};

// Dates are whole days; a null date stands for "no date".
struct TEntrega {
    bool boTodos = true;
    QDate dtDe;
    QDate dtAte;
};

struct TEmissao {
    bool boTodos = false;
    QDate dtDe;
    QDate dtAte;
};

struct TTipoPedido {
    bool boPedido = true;
    bool boOrcamento = false;
};

struct TMuniciCli {
    bool boTodos = true;
    QString stMuniciCli;
};

struct TOrigem {
    bool boTodos = true;
    QString stOrigem;
};

struct TTipoOper {
    bool boTodos = true;
    QString stCdTipoOper;
};

// Short texts of at most 255 characters.
struct TOrcamento {
    QString stIntervaloDe;
    QString stintervaloAte;
};

struct TDepartamento {
    bool boTodos = true;
    QString stDepartamento;
};

struct TImporta {
    bool boTodos = false;
    bool boSemEstoque = false;
    QDate dtDe;
    QDate dtAte;
    QString numero;
};

struct TOrdem {
    QString stOrdem;
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
