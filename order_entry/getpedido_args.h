#pragma once
// The 53 arguments of GetPedido, worked out from the order filter. The
// by-reference arguments point into this object, so it must outlive the
// call and is neither copied nor moved.
//
//   ArgumentosGetPedido argumentos(Filtro, filial, exibDadOrc, true, nrPedido);
//   net->call(Rpc::LanPedido::GetPedido, argumentos.lista());

#include "filtro.h"
#include "rpcarg.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <vector>

// Status and priority codes of the filter switches, concatenated in the
// order the server expects them.
QString listaPrioridades(const TPrio& prioridade);
QString listaSituacoesPedido(const TStatPed& situacao);
QString listaSituacoesItem(const TStatIPed& situacao);

// The origin codes the list admits: every origin the branch knows when the
// filter takes all of them, the chosen ones otherwise.
QString listaOrigens(const TOrigem& origem, const QString& exibDadOrc);

class ArgumentosGetPedido {
public:
    ArgumentosGetPedido(const TFiltro& filtro, const QString& filial, const QString& exibDadOrc, bool loadDetails,
                        const QString& nrPedidoAtual);
    ArgumentosGetPedido(const ArgumentosGetPedido&) = delete;
    ArgumentosGetPedido& operator=(const ArgumentosGetPedido&) = delete;

    QList<RpcArg> lista();

private:
    struct Valor {
        enum class Tipo { Texto, Data, Logico } tipo = Tipo::Texto;
        bool porReferencia = false;
        QString texto;
        QDateTime data;
        bool logico = false;
    };
    void ref(const QString& texto);
    void refData(const QDate& data);
    void valor(const QString& texto);
    void valor(bool logico);

    // In the order of the arguments.
    std::vector<Valor> m_valores;
};
