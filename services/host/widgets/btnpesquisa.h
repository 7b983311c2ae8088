#pragma once
// TBtnPesquisa: the look-up button beside an edit. A click (or execute(),
// e.g. for F9) runs BeforePesq, which may cancel or prepare the source (reopen
// a query, load a list from the server), then the look-up Pesquisar (or
// Pesquisar_Plus) over the source, then AfterPesq when a row was chosen.
// Everything runs inside the host's guard: an Abort anywhere ends the click.
// A button with nothing to look up (no source and no BeforePesq to prepare
// one) stays disabled and does nothing, rather than failing when pressed.

#include "buttonflat.h"
#include "lookups/pesquisar.h"

#include <QPointer>
#include <functional>

class DataSource;
class LookupQuery;
class RecordSet;

class TBtnPesquisa : public TButtonFlat {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget* parent = nullptr);

    // One source at a time; setting one clears the others.
    void setSource(RecordSet* recordSet);
    void setSource(DataSource* dataSource);
    void setSource(LookupQuery* query);

    // Title of the dialog: "name" or "name|empty-list text".
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    PesquisaOpcoes& options() { return m_options; }
    void setOptions(const PesquisaOpcoes& options) { m_options = options; }
    // Search anywhere in the text (Pesquisar_Plus) instead of the beginning.
    bool searchContaining() const { return m_containing; }
    void setSearchContaining(bool containing) { m_containing = containing; }

    // Runs the look-up; true when a row was chosen and AfterPesq ran.
    bool execute();
    // A source is set, or BeforePesq is there to prepare one.
    bool hasLookup() const;

    // Set `cancel` to true to stop before the dialog.
    std::function<void(TBtnPesquisa&, bool& cancel)> beforePesq;
    std::function<void(TBtnPesquisa&)> afterPesq;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool run();
    void disableWithoutLookup();

    QPointer<RecordSet> m_recordSet;
    QPointer<DataSource> m_dataSource;
    LookupQuery* m_query = nullptr;
    QString m_title;
    PesquisaOpcoes m_options;
    bool m_containing = false;
};
