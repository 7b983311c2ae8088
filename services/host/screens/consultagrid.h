#pragma once
// What the read-only enquiry screens (customer, financial position, seller
// messages) share: a look-up query shown in a table, its cells written the
// Brazilian way, and a label-value form of one row.

#include <QList>
#include <QString>

class LookupQuery;
class QFormLayout;
class QTableWidget;
class QWidget;
class ResultField;

enum class ConsultaFormato { Texto, Data, Valor, Inteiro };

struct ConsultaColuna {
    QString field;
    QString title;
    ConsultaFormato format = ConsultaFormato::Texto;
};

// The query `sql` on the general database, opened with its one parameter
// `param` set to `value`.
LookupQuery consultaAbre(const QString& name, const QString& sql, const QString& param, const QString& value);

// The value as the enquiry screens show it: dates "dd/MM/yyyy", money
// "1.234,56", whole numbers without decimals.
QString consultaTexto(const ResultField& field, ConsultaFormato format);

// A table of every row of the open query, read only, one row selected at a time.
// Its columns are fitted by the caller (ajustaColunas) once the cells are final.
QTableWidget* consultaTabela(QWidget* parent, const QString& name, LookupQuery& query,
                             const QList<ConsultaColuna>& columns);

// Columns as wide as their contents, `stretchColumn` taking the room left
// (the last column when negative).
void ajustaColunas(QTableWidget* table, int stretchColumn);

// A read-only line of a form: the caption and the value in a selectable label.
void consultaLinha(QFormLayout* form, const QString& caption, const QString& value, const QString& name = {});
