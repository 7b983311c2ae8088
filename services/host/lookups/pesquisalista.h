#pragma once
// PesquisaLista: picks several codes of a list. A modal dialog
// "TfrmPesquisaLista" shows the rows with a check box each, a search box, and
// "Marcar todos" / "Desmarcar todos"; the codes already in `list` start
// checked. OK writes the checked codes into `list` (in the source's row order)
// and returns true; Cancel leaves `list` as it was and returns false.
//
// List text: every code in single quotes, a quote inside a code doubled,
// codes joined by "_" — e.g. '0001'_'0002'_'D''AVILA'. No code: an empty
// text. Codes are the field's stored value as text (a blank-padded code keeps
// its blanks). Whoever reads the list (the server's order query) parses it
// with the same rules and binds each code as a parameter; the text is never
// pasted into SQL. docs/lookups.md states the format.
//
// `required`: confirming with no code checked is refused with
// "Nenhum item foi selecionado." (otherwise an empty choice gives "").
//
// The caption is a name, or a name, "|" and the empty-list text, as for
// Pesquisar; an empty source fails (MensErro, Abort) before the dialog opens.

#include "list_text.h"

#include <QString>

class DataSource;
class LookupQuery;
class RecordSet;

bool PesquisaLista(RecordSet& source, const QString& keyField, const QString& caption, bool required,
                   QString& list);
bool PesquisaLista(DataSource& source, const QString& keyField, const QString& caption, bool required,
                   QString& list);
bool PesquisaLista(LookupQuery& source, const QString& keyField, const QString& caption, bool required,
                   QString& list);

