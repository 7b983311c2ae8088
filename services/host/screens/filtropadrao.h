#pragma once
// TfrmFiltroPadrao: the base of the filter dialogs. It remembers the options
// each operator chose, per dialog:
//   - every named check box (checked), radio button (checked), line edit
//     (text; TDateEditPlus as its date, TNumberEdit as its number; password
//     fields never) and date edit (QDateEdit: its date), and
//   - the options list lstOpcoes, for values a dialog keeps outside its
//     controls (lists of chosen codes),
// in the file ConfigOperDir() + "<screen code>.opcoes.json".
//
// The options are loaded when the dialog is first shown (before it is
// activated) and saved when it is accepted; a cancelled dialog saves nothing.
// Enter confirms the filter from any of its fields (as Ctrl+Enter does in
// the other dialogs). The buttons btfSaveOpc and btfLoadOpc save and load on demand. A dialog
// that adds values to lstOpcoes overrides btfSaveOpcClick (fill the list,
// then call the base) and btfLoadOpcClick (call the base, then read the
// list). setAutoOptions(false) leaves loading and saving to the buttons.

#include "rotigeral.h"

#include <QMap>
#include <QString>

class TButtonFlat;

class TfrmFiltroPadrao : public TfrmRotiGeral {
    Q_OBJECT
public:
    TfrmFiltroPadrao(const QString& screenCode, const QString& caption, QWidget* parent = nullptr);
    ~TfrmFiltroPadrao() override;

    TButtonFlat* btfSaveOpc;
    TButtonFlat* btfLoadOpc;
    QMap<QString, QString> lstOpcoes;

    // Writes the controls and lstOpcoes to the options file.
    virtual void btfSaveOpcClick();
    // Reads the options file into the controls and lstOpcoes; without a file
    // nothing changes.
    virtual void btfLoadOpcClick();

    QString optionsFile() const;
    bool hasSavedOptions() const;
    bool autoOptions() const { return m_autoOptions; }
    void setAutoOptions(bool on) { m_autoOptions = on; }

    void FormKeyDown(QKeyEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void saveAfterAccept();

    bool m_autoOptions = true;
    bool m_loadedOnce = false;
};
