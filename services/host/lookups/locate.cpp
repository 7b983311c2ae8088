#include "locate.h"

#include "lookupcolumns.h"
#include "procuradialog.h"
#include "widgets/dbgrid.h"
#include "recordset.h"

#include <algorithm>

QString searchKey(const QString& text)
{
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (plain)
        return text.trimmed().toUpper();   // nothing to take accents from
    const QString decomposed = text.trimmed().normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            key.append(c.toUpper());
    }
    return key;
}

int findRowByText(const RecordSet& recordSet, int fieldIndex, const QString& text, bool contains, int fromRow,
                  bool wrap, TextMatch* match)
{
    if (match)
        *match = TextMatch::None;
    const int count = recordSet.recordCount();
    if (fieldIndex < 0 || count == 0)
        return -1;
    const QString wanted = searchKey(text);
    fromRow = qBound(0, fromRow, count - 1);
    const int rowsToScan = wrap ? count : count - fromRow;
    int prefixRow = -1;
    int containsRow = -1;
    for (int step = 0; step < rowsToScan; ++step) {
        const int row = (fromRow + step) % count;
        const QString key = searchKey(recordSet.displayText(row, fieldIndex));
        if (key == wanted) {
            if (match)
                *match = TextMatch::Identical;
            return row;
        }
        if (prefixRow < 0 && key.startsWith(wanted))
            prefixRow = row;
        else if (contains && containsRow < 0 && key.contains(wanted))
            containsRow = row;
    }
    if (prefixRow >= 0) {
        if (match)
            *match = TextMatch::Prefix;
        return prefixRow;
    }
    if (containsRow >= 0 && match)
        *match = TextMatch::Contains;
    return containsRow;
}

namespace {

bool locateText(RecordSet& recordSet, const QString& fieldName, const QString& text, bool contains)
{
    if (!recordSet.isActive() || text.trimmed().isEmpty())
        return false;
    const int row = findRowByText(recordSet, recordSet.fieldByName(fieldName).index(), text, contains);
    if (row < 0)
        return false;
    recordSet.setCurrentRow(row);
    return true;
}

} // namespace

bool LocateAll(RecordSet& recordSet, const QString& fieldName, const QString& text)
{
    return locateText(recordSet, fieldName, text, false);
}

bool LocateAllPlus(RecordSet& recordSet, const QString& fieldName, const QString& text)
{
    return locateText(recordSet, fieldName, text, true);
}

bool LocateAllServ(RecordSet& recordSet, const QString& fieldName, const QString& text, const ServerSearch& search)
{
    if (!search || text.trimmed().isEmpty())
        return false;
    recordSet.fieldByName(fieldName);   // a wrong name fails before the server is asked
    recordSet.setData(search(fieldName, text));
    return LocateAllPlus(recordSet, fieldName, text);
}

bool Procura(RecordSet& recordSet, const QString& title)
{
    if (!recordSet.isActive() || recordSet.isEmpty())
        return false;
    const ApresentacaoPesquisa apresentacao(recordSet);
    TfrmProcura dialog(recordSet, title);
    return dialog.run();
}

bool Procura(DBGrid& grid, const QString& title)
{
    RecordSet* recordSet = grid.recordSet();
    if (!recordSet || recordSet->isEmpty())
        return false;
    QList<PesquisaColuna> columns;
    for (int i = 0; i < grid.columnCount(); ++i) {
        const DBGridColumn& column = grid.column(i);
        const bool colourCell = column.colorFieldName().compare(column.fieldName(), Qt::CaseInsensitive) == 0;
        if (column.isVisible() && column.field() && !colourCell)
            columns.append({column.fieldName(), column.title()});
    }
    TfrmProcura dialog(*recordSet, title, columns);
    return dialog.run();
}
