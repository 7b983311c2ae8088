#pragma once
// Finding a row by text. Texts compare without regard to capitals, small
// letters or accents ("JOSE" finds "José"), on the field's display text.
// Searches run over the rows the record set shows, from the first; the row
// found becomes current (with the usual scroll events). Nothing found: false
// and the record set stays where it was.
//
//   LocateAll      the first row whose text equals the typed text, else the
//                  first whose text begins with it.
//   LocateAllPlus  as LocateAll, else the first whose text contains it.
//   LocateAllServ  the search runs on the server: `search` returns the rows
//                  that match (a data packet), which replace the record set's
//                  rows; then LocateAll positions on the best of them.
//   Procura        asks for a field (a name first) and a text in a small modal dialog
//                  "TfrmProcura" and finds the next match after the current
//                  row (wrapping); tells "Texto não encontrado." otherwise.

#include "datapacket.h"

#include <QString>
#include <functional>

class DBGrid;
class RecordSet;

bool LocateAll(RecordSet& recordSet, const QString& fieldName, const QString& text);
bool LocateAllPlus(RecordSet& recordSet, const QString& fieldName, const QString& text);

using ServerSearch = std::function<DataPacket(const QString& fieldName, const QString& text)>;
bool LocateAllServ(RecordSet& recordSet, const QString& fieldName, const QString& text,
                   const ServerSearch& search);

bool Procura(RecordSet& recordSet, const QString& title = QString());
// Procura over a grid's record set, offering the columns the grid shows
// (with their titles; colour cells, which hold no text, left out).
bool Procura(DBGrid& grid, const QString& title = QString());

// The form texts are compared in: upper case, accents removed, blanks at the
// ends dropped.
QString searchKey(const QString& text);

enum class TextMatch { None, Identical, Prefix, Contains };
// The view row of the best match from `fromRow` on (wrapping when asked);
// -1 when none. `contains` also accepts the text inside the field's text.
int findRowByText(const RecordSet& recordSet, int fieldIndex, const QString& text, bool contains,
                  int fromRow = 0, bool wrap = false, TextMatch* match = nullptr);
