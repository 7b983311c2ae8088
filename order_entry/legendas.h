#pragma once
// What the order screen's codes and colours mean: the order statuses of the
// list and the profitability bands, as the column titles' hints and the
// help page tell them. The colours are those the screen paints; these only
// name them.

#include <QColor>
#include <QList>
#include <QString>

class TMessages;

struct ItemLegenda {
    QString codigo;   // as the cell shows it ("PE"); empty for a colour
    QString texto;
    QColor cor;
};

// PE, AN, LQ, CN, PA with their names and list colours.
QList<ItemLegenda> LegendaSituacaoPedido(const TMessages& catalog);

struct FaixaRentabilidade {
    QString nome;
    double dePercentual = 0;
    double atePercentual = 0;
    QColor cor;
};
// "Prejuízo: até 0 %", "Margem baixa: de 5 % a 15 %", "Margem alta: acima de 30 %".
QList<ItemLegenda> LegendaRentabilidade(const QList<FaixaRentabilidade>& faixas);

// The name of the colour nearest to `cor` ("vermelho", "verde-claro").
QString NomeDaCor(const QColor& cor);

// For a title's hint: each item with its code in its colour, or its colour
// as a swatch.
QString LegendaHtml(const QString& titulo, const QList<ItemLegenda>& itens);
// For the help page: "PE  Pendente (azul)".
QStringList LegendaTexto(const QString& titulo, const QList<ItemLegenda>& itens);
