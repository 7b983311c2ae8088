#pragma once
// The find dialog of Procura: a field, a text, "Parte do texto", and
// Procurar/Cancelar. Procurar moves the record set to the next match after
// the current row (wrapping) and closes; without a match it says so and
// stays open. The field list offers the columns given (a grid's, with
// their titles) or else the record set's visible fields; a name or
// description (NM..., DS...) is offered first.

#include "pesquisar.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class RecordSet;

class TfrmProcura : public QDialog {
    Q_OBJECT
public:
    TfrmProcura(RecordSet& recordSet, const QString& title, const QList<PesquisaColuna>& columns = {},
                QWidget* parent = nullptr);

    QComboBox* fieldList() const { return m_field; }

    bool run();        // through the host; true when a row was found
    void search();     // the Procurar button

private:
    RecordSet& m_recordSet;
    QComboBox* m_field;
    QLineEdit* m_text;
    QCheckBox* m_partial;
    QLabel* m_status;
    QList<int> m_fieldIndexes;
};
