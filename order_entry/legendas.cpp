#include "legendas.h"

#include "lanpedido.h"
#include "lookupquery.h"
#include "messages.h"
#include "screens/dbgeral.h"
#include "widgets/dbgrid.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

QList<ItemLegenda> LegendaSituacaoPedido(const TMessages& catalog)
{
    const std::pair<const char*, const char*> situacoes[] = {
        {"1", "Pendente"}, {"2", "Em andamento"}, {"3", "Liquidado"}, {"4", "Cancelado"}, {"6", "Parcialmente atendido"}};
    QList<ItemLegenda> itens;
    for (const auto& [codigo, nome] : situacoes) {
        const QString situacao = QString::fromLatin1(codigo);
        itens.append({TextoSituacaoPedido(catalog, situacao), QString::fromUtf8(nome), CorSituacaoPedido(situacao)});
    }
    return itens;
}

namespace {

QString percentual(double valor)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(valor, 'f', valor == std::floor(valor) ? 0 : 2)
        + QStringLiteral(" %");
}

} // namespace

QList<ItemLegenda> LegendaRentabilidade(const QList<FaixaRentabilidade>& faixas)
{
    // Bands open at the ends are stored with limits no order reaches.
    constexpr double semLimite = 999;
    QList<ItemLegenda> itens;
    for (const FaixaRentabilidade& faixa : faixas) {
        QString limites;
        if (faixa.dePercentual <= -semLimite)
            limites = QStringLiteral("até %1").arg(percentual(faixa.atePercentual));
        else if (faixa.atePercentual >= semLimite)
            limites = QStringLiteral("acima de %1").arg(percentual(faixa.dePercentual));
        else
            limites = QStringLiteral("de %1 a %2").arg(percentual(faixa.dePercentual), percentual(faixa.atePercentual));
        itens.append({QString(), QStringLiteral("%1: %2").arg(faixa.nome, limites), faixa.cor});
    }
    return itens;
}

QString NomeDaCor(const QColor& cor)
{
    static const std::pair<const char*, QColor> nomes[] = {
        {"preto", QColor(0, 0, 0)},         {"branco", QColor(255, 255, 255)}, {"cinza", QColor(128, 128, 128)},
        {"vermelho", QColor(255, 0, 0)},    {"laranja", QColor(255, 165, 0)},  {"amarelo", QColor(255, 255, 0)},
        {"verde", QColor(0, 128, 0)},       {"verde-claro", QColor(144, 238, 144)}, {"azul", QColor(0, 0, 255)},
        {"azul-claro", QColor(173, 216, 230)}, {"oliva", QColor(128, 128, 0)}, {"roxo", QColor(128, 0, 128)},
        {"verde-azulado", QColor(0, 128, 128)}, {"rosa", QColor(255, 192, 203)}, {"marrom", QColor(139, 69, 19)},
    };
    const char* maisPerto = nomes[0].first;
    int menorDistancia = -1;
    for (const auto& [nome, referencia] : nomes) {
        const int dr = cor.red() - referencia.red();
        const int dg = cor.green() - referencia.green();
        const int db = cor.blue() - referencia.blue();
        const int distancia = dr * dr + dg * dg + db * db;
        if (menorDistancia < 0 || distancia < menorDistancia) {
            menorDistancia = distancia;
            maisPerto = nome;
        }
    }
    return QString::fromUtf8(maisPerto);
}

QString LegendaHtml(const QString& titulo, const QList<ItemLegenda>& itens)
{
    QString html = QStringLiteral("<b>%1</b><table cellspacing='2'>").arg(titulo.toHtmlEscaped());
    for (const ItemLegenda& item : itens) {
        const QString amostra = item.codigo.isEmpty()
            ? QStringLiteral("<td style='background-color:%1'>&nbsp;&nbsp;&nbsp;&nbsp;</td>").arg(item.cor.name())
            : QStringLiteral("<td><b style='color:%1'>%2</b></td>").arg(item.cor.name(), item.codigo.toHtmlEscaped());
        html += QStringLiteral("<tr>%1<td>%2</td></tr>").arg(amostra, item.texto.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

QStringList LegendaTexto(const QString& titulo, const QList<ItemLegenda>& itens)
{
    QStringList linhas{titulo + u':'};
    for (const ItemLegenda& item : itens) {
        const QString cor = NomeDaCor(item.cor);
        linhas << (item.codigo.isEmpty() ? QStringLiteral("%1 (%2)").arg(item.texto, cor)
                                         : QStringLiteral("%1\t%2 (%3)").arg(item.codigo, item.texto, cor));
    }
    return linhas;
}

// --- on the order screen ------------------------------------------------------------

namespace {

QList<FaixaRentabilidade> faixasRentabilidade()
{
    QList<FaixaRentabilidade> faixas;
    if (!isDtmDBGeralOpen())
        return faixas;
    LookupQuery qryFaixas(QStringLiteral("qryFaixasRent"), dtmDBGeral(),
                          QStringLiteral("SELECT NMFAIXARENT, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT FROM RENTABILIDADE"
                                         " ORDER BY VRPERCINIRENT"));
    qryFaixas.open();
    for (qryFaixas.first(); !qryFaixas.eof(); qryFaixas.next()) {
        QColor cor;
        if (!colourFromNumber(qryFaixas.fieldByName(QStringLiteral("VRCORRENT")).value(), &cor))
            continue;
        faixas.append({qryFaixas.fieldByName(QStringLiteral("NMFAIXARENT")).asString(),
                       qryFaixas.fieldByName(QStringLiteral("VRPERCINIRENT")).asFloat(),
                       qryFaixas.fieldByName(QStringLiteral("VRPERCFIMRENT")).asFloat(), cor});
    }
    return faixas;
}

const QString tituloSituacao = QStringLiteral("Situação do pedido");
const QString tituloRentabilidade = QStringLiteral("Rentabilidade");

} // namespace

void TfrmLanPedido::mostraLegendas()
{
    if (DBGridColumn* situacao = dbgPadrao->columnByField(QStringLiteral("IDSITPEDIDO")))
        situacao->setTitleHint(LegendaHtml(tituloSituacao, LegendaSituacaoPedido(msgPadrao)));
    const QString rentabilidade = LegendaHtml(tituloRentabilidade, LegendaRentabilidade(faixasRentabilidade()));
    for (DBGridColumn* coluna : {dbgPadrao->columnByField(QStringLiteral("COR_RENTABILIDADE")),
                                 dbgItemPedido->columnByField(QStringLiteral("vrRentabilidade"))})
        if (coluna)
            coluna->setTitleHint(rentabilidade);
}

QStringList TfrmLanPedido::textoAjuda() const
{
    QStringList linhas = TfrmPadraoGrid::textoAjuda();
    linhas << QString() << LegendaTexto(tituloSituacao, LegendaSituacaoPedido(msgPadrao));
    if (paramPedido(QStringLiteral("IDEXIBRENTPED")) != u"N")
        linhas << QString() << LegendaTexto(tituloRentabilidade, LegendaRentabilidade(faixasRentabilidade()));
    return linhas;
}
