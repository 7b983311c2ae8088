#include "getpedido_args.h"

namespace {

// The "all" marker: "T" means the criterion does not restrict the list.
QString todos(bool condicao)
{
    return condicao ? QStringLiteral("T") : QString();
}

QString codigos(std::initializer_list<std::pair<bool, const char*>> chaves)
{
    QString lista;
    for (const auto& [marcado, codigo] : chaves)
        if (marcado)
            lista += QLatin1String(codigo);
    return lista;
}

} // namespace

QString listaPrioridades(const TPrio& p)
{
    return codigos({{p.boBaixa, "4"}, {p.boNormal, "3"}, {p.boAlta, "2"}, {p.boUrgente, "1"}, {p.boPrioritaria, "0"}});
}

QString listaSituacoesPedido(const TStatPed& s)
{
    return codigos({{s.boPendente, "1"}, {s.boAndamento, "2"}, {s.boLiquidado, "35"}, {s.boCancelado, "4"},
                    {s.boParcialmente, "6"}});
}

QString listaSituacoesItem(const TStatIPed& s)
{
    return codigos({{s.boPendente, "1"}, {s.boConfirmado, "2"}, {s.boAprovado, "3"}, {s.boLiquidado, "46"},
                    {s.boCancelado, "5"}, {s.boParcialmente, "7"}});
}

QString listaOrigens(const TOrigem& origem, const QString& exibDadOrc)
{
    if (!origem.boTodos)
        return origem.stOrigem;
    return exibDadOrc == u"S" ? QStringLiteral("123456789") : QStringLiteral("1239");
}

ArgumentosGetPedido::ArgumentosGetPedido(const TFiltro& f, const QString& filial, const QString& exibDadOrc,
                                         bool loadDetails, const QString& nrPedidoAtual)
{
    m_valores.reserve(53);
    const QString prioridades = listaPrioridades(f.Prioridade);
    const QString situacoesItem = listaSituacoesItem(f.StatusIPedido);
    const TStatPed& sp = f.StatusPedido;

    ref(todos(!f.NrPedido.boIntervalo));                                             // 1
    ref(f.NrPedido.stDe);
    ref(f.NrPedido.stAte);
    ref(todos(f.NrPedido.boTodos));
    ref(f.NrPedido.stNrPedido);                                                     // 5
    ref(todos(f.Vendedor.boTodos));
    ref(f.Vendedor.stVendedor);
    ref(todos(f.VendComis.boTodos));
    ref(f.VendComis.stVendComis);
    ref(todos(f.Cliente.boTodos));                                                   // 10
    ref(f.Cliente.stCliente);
    ref(todos(f.Produto.boTodos));
    ref(f.Produto.stProduto);
    valor(prioridades);
    ref(todos(prioridades == u"43210"));                                             // 15
    valor(listaSituacoesPedido(sp));
    ref(todos(sp.boPendente && sp.boAndamento && sp.boLiquidado && sp.boCancelado && sp.boParcialmente));
    valor(situacoesItem);
    ref(todos(situacoesItem == u"1234657"));
    ref(todos(f.Emissao.dtDe.isNull()));                                             // 20
    refData(f.Emissao.dtDe);
    refData(f.Emissao.dtAte);
    ref(todos(f.Entrega.dtDe.isNull()));
    refData(f.Entrega.dtDe);
    refData(f.Entrega.dtAte);                                                       // 25
    ref(f.MuniciCli.stMuniciCli);
    ref(todos(f.MuniciCli.boTodos));
    valor(f.TipoPedido.boPedido ? QStringLiteral("1") : QString());
    valor(f.TipoPedido.boOrcamento ? QStringLiteral("2") : QString());
    valor(listaOrigens(f.Origem, exibDadOrc));                                       // 30
    valor(filial);
    valor(loadDetails);
    valor(nrPedidoAtual);
    ref(todos(f.FiliDest.boTodos));
    ref(f.FiliDest.stFiliDest);                                                     // 35
    ref(f.TipoOper.stCdTipoOper);
    ref(todos(f.TipoOper.boTodos));
    ref(f.Departamento.stDepartamento);
    ref(todos(f.Departamento.boTodos));
    valor(f.Orcamento.stIntervaloDe);                                               // 40
    valor(f.Orcamento.stintervaloAte);
    valor(todos(f.Orcamento.stIntervaloDe.isEmpty() && f.Orcamento.stintervaloAte.isEmpty()));
    ref(todos(f.Importa.dtDe.isNull()));
    refData(f.Importa.dtDe);
    refData(f.Importa.dtAte);                                                       // 45
    ref(f.Importa.numero.trimmed().isEmpty() ? QStringLiteral("T") : f.Importa.numero);
    ref(f.Importa.boSemEstoque ? QStringLiteral("S") : QStringLiteral("T"));
    ref(f.Ordem.stOrdem);
    ref(f.Nota.stNota);
    ref(todos(f.Nota.boTodos));                                                      // 50
    ref(f.Nota.stDe);
    ref(f.Nota.stAte);
    ref(todos(!f.Nota.boIntervalo));                                                 // 53
}

void ArgumentosGetPedido::ref(const QString& texto)
{
    m_valores.push_back({Valor::Tipo::Texto, true, texto, {}, false});
}

void ArgumentosGetPedido::refData(const QDate& data)
{
    m_valores.push_back({Valor::Tipo::Data, true, {}, data.isValid() ? QDateTime(data, QTime(0, 0)) : QDateTime(), false});
}

void ArgumentosGetPedido::valor(const QString& texto)
{
    m_valores.push_back({Valor::Tipo::Texto, false, texto, {}, false});
}

void ArgumentosGetPedido::valor(bool logico)
{
    m_valores.push_back({Valor::Tipo::Logico, false, {}, {}, logico});
}

QList<RpcArg> ArgumentosGetPedido::lista()
{
    QList<RpcArg> args;
    args.reserve(qsizetype(m_valores.size()));
    for (Valor& v : m_valores) {
        switch (v.tipo) {
        case Valor::Tipo::Logico: args.append(RpcArg(v.logico)); break;
        case Valor::Tipo::Data: args.append(RpcArg::ref(v.data)); break;
        case Valor::Tipo::Texto: args.append(v.porReferencia ? RpcArg::ref(v.texto) : RpcArg(v.texto)); break;
        }
    }
    return args;
}
