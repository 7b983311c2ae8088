#pragma once
// TfrmPesquisaLista: the dialog of PesquisaLista. The table "grdLista" lists
// the rows with a check box each (Space or a click on the box toggles it);
// the search box "medProcurar" narrows the rows to those whose text in any
// shown text column (codes, names) contains what was typed; "Marcar todos" and "Desmarcar todos"
// act on the rows shown.

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;
class RecordSet;
class CheckListModel;

class TfrmPesquisaLista : public QDialog {
    Q_OBJECT
public:
    TfrmPesquisaLista(const RecordSet& recordSet, int keyFieldIndex, const QString& name,
                      const QStringList& checkedCodes, bool required, QWidget* parent = nullptr);
    ~TfrmPesquisaLista() override;

    bool run();                       // through the host
    QStringList checkedCodes() const; // in the rows' order

    // For scripts and keys: check or uncheck the row holding `code`.
    bool setChecked(const QString& code, bool checked);
    void checkAllShown(bool checked);
    void searchNow();
    int shownRowCount() const;

    QTableView* table() const { return m_table; }
    QLineEdit* searchBox() const { return m_search; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void confirm();
    void updateStatus();

    CheckListModel* m_model;
    QSortFilterProxyModel* m_filter;
    QTableView* m_table;
    QLineEdit* m_search;
    QLabel* m_status;
    QPushButton* m_ok;
    QTimer* m_typingPause;
    bool m_required;
};
