#pragma once
// TfrmPesquisa: the dialog of Pesquisar and Pesquisar_Plus. The grid
// "dbgArquivo" shows the record set directly, so the record set follows the
// cursor; the search box "medProcurar" narrows the rows to those whose text in
// the field chosen in "cbbOrdem" begins with (or, for Pesquisar_Plus,
// contains) what was typed, and puts the cursor on the best match.

#include <QDialog>
#include <QList>
#include <QPointer>
#include <vector>

#include "pesquisar.h"

class DBGrid;
class DataSource;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class RecordSet;

class TfrmPesquisa : public QDialog {
    Q_OBJECT
public:
    TfrmPesquisa(RecordSet& recordSet, const QString& name, const PesquisaOpcoes& options, bool containing,
                 QWidget* parent = nullptr);
    ~TfrmPesquisa() override;

    // Runs through the host; true when a row was confirmed.
    bool run();

    // Applies the typed text now instead of after the typing pause.
    void searchNow();
    int shownRowCount() const;   // rows left by the search

    DBGrid* grid() const { return m_grid; }
    QLineEdit* searchBox() const { return m_search; }
    QComboBox* fieldList() const { return m_fields; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildColumns();
    void fieldChosen();
    void confirm();
    void updateStatus();
    int fieldIndexOfChoice() const;

    RecordSet& m_recordSet;
    PesquisaOpcoes m_options;
    bool m_containing;
    DataSource* m_dataSource;
    DBGrid* m_grid;
    QComboBox* m_fields;
    QLineEdit* m_search;
    QLabel* m_status;
    QPushButton* m_ok;
    QTimer* m_typingPause;
    QList<int> m_fieldIndexes;        // per entry of the field list
    std::vector<QString> m_keys;      // search keys of the chosen field, per row
    int m_keysField = -1;
    int m_shown = 0;
};
