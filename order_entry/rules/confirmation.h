#pragma once
// The decisions of the order confirmation that need no screen: what each
// submission tells the server, the modality discount, the null-field list,
// how a failed first submission is retried and what a review answer asks
// the screen to do with the listed products' items.

#include <QList>
#include <QString>

namespace RegrasPedido {

// The four submissions of one confirmation: the first, the one after a
// review was accepted, the closing one after findings, and the one after a
// review was declined.
enum class Submissao { Primeira, Revisada, Final, Recusada };

// Arguments 6, 21 and 23 of SetConfirma.
struct SinaisSubmissao {
    bool primeira = false;      // 6: the first submission
    bool revisao = false;       // 21: the first or the reviewed one
    bool somentePrimeira = false;   // 23: the first only
    bool operator==(const SinaisSubmissao&) const = default;
};
SinaisSubmissao sinaisDaSubmissao(Submissao submissao);

// The modality discount of an item: D % of quantity times unit price,
// rounded to the cent.
double descontoDaModalidade(double precoUnitario, double quantidade, double percentual);

// Which question the modality discount stage asks, if any: a modality with
// a discount re-applies it; one without, when items carry a discount of
// their own, takes their discounts away.
enum class PerguntaDesconto { Nenhuma, ComDesconto, SemDesconto };
PerguntaDesconto perguntaDoDesconto(double descontoModalidade, bool itensComDesconto);

// One field of the current row as ListaCampoNull sees it.
struct CampoDaLinha {
    QString nome;
    bool calculado = false;
    bool nulo = false;
};
// "-NAME" for every data field whose value is null, in field order.
QString ListaCampoNull(const QList<CampoDaLinha>& campos);

// A failed first submission: retried silently on a new connection three
// times, then only when the clerk asks. "SALDO_INSU" is the server's
// refusal, never retried (it still counts).
class Reconexoes {
public:
    static constexpr int Silenciosas = 3;
    enum class Acao { SaldoInsuficiente, ReconectaSemPerguntar, Pergunta };

    Acao falhou(const QString& mensagem);
    int feitas() const { return m_feitas; }
    // A later "SALDO_INSU" is shown unless exactly one reconnection was made
    // (that one already showed it).
    bool mostraSaldoInsuficiente() const { return m_feitas != 1; }

private:
    int m_feitas = 0;
};

// What the answer of the profitability or permit review does to the items
// of the listed products.
enum class EfeitoRevisao { Nenhum, PerguntaExclusao, MarcaIrregulares, SoMostraItens };
EfeitoRevisao efeitoDaRevisao(const QString& resposta, bool temAchados);
// After that answer, the closing submission sends all items as irregular.
bool marcaIrregulares(const QString& resposta);

// "R$" directly followed by the minimum in the plain number format
// ("R$150", "R$149,5"): the placeholder of "VALOR_INSU".
QString textoValorMinimo(double valorMinimo);

} // namespace RegrasPedido
