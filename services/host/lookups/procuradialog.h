#pragma once
// The find dialog of Procura: a field, a text, "Parte do texto", and
// Procurar/Cancelar. Procurar moves the record set to the next match after
// the current row (wrapping) and closes; without a match it says so and
// stays open.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class RecordSet;

class TfrmProcura : public QDialog {
    Q_OBJECT
public:
    TfrmProcura(RecordSet& recordSet, const QString& title, QWidget* parent = nullptr);

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
