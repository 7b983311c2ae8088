#pragma once
// Small helpers the screens use around grids and panels.
//
//   IndiceCol(grid, field)   index of the first column bound to the field;
//                            -1 when the grid has none.
//   GridText(grid)           the text of the current cell: the cell editor's
//                            text while it is open (what the person typed,
//                            not yet written), else the field's display text.
//   GridText(grid, field)    the same for the field's column: the editor's
//                            text when the editor is open on that column,
//                            else the field's text of the current row.
//   CriaColuna(grid, field, title, width, position)
//                            the column of the field: created (at `position`,
//                            or at the end when -1) when the grid has none,
//                            the existing one otherwise.
//   DestroiColuna(grid, field)
//                            removes the field's columns; nothing when none.
//   RefreshGrid(grid)        shows every cell again, keeping row and column
//                            (after bulk work or a change of painting rules).
//   SetChildEnabled(w, on)   enables or disables a panel or group box together
//                            with every control inside it.
//   Seta_Campo_Null(cds)     in the row being edited or inserted, sets every
//                            text field that is blank (empty or only spaces)
//                            to null, so the server stores null, not blanks.
//   keepColumnsReadable(table, fillColumn)
//                            a plain table (not a DBGrid, which does this
//                            itself) keeps every column at least as wide as
//                            its title, whatever the layout or a drag asks;
//                            `fillColumn` (-1: none) takes the room the
//                            others leave, never less than its width now.

#include <QString>

class DBGrid;
class DBGridColumn;
class QTableView;
class QWidget;
class RecordSet;

int IndiceCol(const DBGrid& grid, const QString& fieldName);
QString GridText(const DBGrid& grid);
QString GridText(const DBGrid& grid, const QString& fieldName);
DBGridColumn& CriaColuna(DBGrid& grid, const QString& fieldName, const QString& title = QString(),
                         int widthPixels = 0, int position = -1);
void DestroiColuna(DBGrid& grid, const QString& fieldName);
void RefreshGrid(DBGrid& grid);
void SetChildEnabled(QWidget* widget, bool enabled);
void Seta_Campo_Null(RecordSet& recordSet);
void keepColumnsReadable(QTableView& table, int fillColumn);
