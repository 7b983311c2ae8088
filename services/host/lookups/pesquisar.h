#pragma once
// Row-picking look-ups.
//
// Pesquisar shows the rows of a record set (or of a look-up query) in a modal
// dialog "TfrmPesquisa": a field list ("Campo"), a search box ("Procurar")
// that moves to the first row whose text in the chosen field begins with the
// typed text (capitals, small letters and accents alike), the grid, and
// OK/Cancelar. A double click or Enter on a row confirms it. It returns true
// when a row was confirmed; the source then stands on that row. Cancel
// returns false and puts the source back on the row it was on.
// Pesquisar_Plus finds the typed text anywhere in the field's text.
//
// The title is a name, or a name, a bar "|" and the text shown when there is
// nothing to choose ("Cliente|Não há cliente cadastrado."). An empty source
// fails before the dialog opens: MensErro with that text — or, without a
// bar, "Não há <name in small letters> cadastrado(a)." — which throws Abort.
//
// The dialog runs through Host::execModal, so a test drives it with the
// scripted host.

#include <QList>
#include <QString>

class DataSource;
class LookupQuery;
class RecordSet;

struct PesquisaColuna {
    QString fieldName;
    QString title;   // empty: the field's display label
};

struct PesquisaOpcoes {
    bool upperCase = false;               // the search box types capitals
    QList<PesquisaColuna> columns;        // empty: every visible field
    QString searchField;                  // first searched; empty: the first NM.../DS... field
};

bool Pesquisar(RecordSet& source, const QString& title, const PesquisaOpcoes& options = {});
bool Pesquisar(DataSource& source, const QString& title, const PesquisaOpcoes& options = {});
bool Pesquisar(LookupQuery& source, const QString& title, const PesquisaOpcoes& options = {});

bool Pesquisar_Plus(RecordSet& source, const QString& title, const PesquisaOpcoes& options = {});
bool Pesquisar_Plus(DataSource& source, const QString& title, const PesquisaOpcoes& options = {});
bool Pesquisar_Plus(LookupQuery& source, const QString& title, const PesquisaOpcoes& options = {});

// The two parts of a look-up title: the name, and the empty-list text
// (the default text built from the name when the title has no bar).
struct PesquisaTitulo {
    QString name;
    QString emptyText;
};
PesquisaTitulo splitPesquisaTitle(const QString& title);
