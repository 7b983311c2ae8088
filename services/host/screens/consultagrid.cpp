#include "consultagrid.h"

#include "dbgeral.h"
#include "lookupquery.h"
#include "values.h"
#include "widgets/gridutils.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

LookupQuery consultaAbre(const QString& name, const QString& sql, const QString& param, const QString& value)
{
    LookupQuery query(name, dtmDBGeral(), sql);
    query.setParam(param, value);
    query.open();
    return query;
}

QString consultaTexto(const ResultField& field, ConsultaFormato format)
{
    if (field.isNull())
        return {};
    switch (format) {
    case ConsultaFormato::Data: return FormatDateBR(field.asDate());
    case ConsultaFormato::Valor: return FormatNumberBR(field.asFloat(), 2);
    case ConsultaFormato::Inteiro: return QString::number(field.asInteger());
    case ConsultaFormato::Texto: break;
    }
    return field.asString();
}

QTableWidget* consultaTabela(QWidget* parent, const QString& name, LookupQuery& query, const QList<ConsultaColuna>& columns)
{
    auto* table = new QTableWidget(query.recordCount(), columns.size(), parent);
    table->setObjectName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    QStringList titles;
    for (const ConsultaColuna& column : columns)
        titles << column.title;
    table->setHorizontalHeaderLabels(titles);
    int row = 0;
    for (query.first(); !query.eof(); query.next(), ++row) {
        for (int c = 0; c < columns.size(); ++c) {
            const ConsultaColuna& column = columns.at(c);
            auto* item = new QTableWidgetItem(consultaTexto(query.fieldByName(column.field), column.format));
            if (column.format == ConsultaFormato::Valor || column.format == ConsultaFormato::Inteiro)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, c, item);
        }
    }
    return table;
}

void ajustaColunas(QTableWidget* table, int stretchColumn)
{
    table->resizeColumnsToContents();
    keepColumnsReadable(*table, stretchColumn < 0 ? table->columnCount() - 1 : stretchColumn);
}

void consultaLinha(QFormLayout* form, const QString& caption, const QString& value, const QString& name)
{
    auto* label = new QLabel(value, form->parentWidget());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (!name.isEmpty())
        label->setObjectName(name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    form->addRow(caption, label);
}
