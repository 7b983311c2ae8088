#pragma once
// Controls bound to one field of the data link's current row.
//
// They show the field as the row changes, put the record set into edit when
// the person starts typing (AutoEdit), and write the value on leaving the
// control, on Enter, and when the data link asks (DataSource::updateRecord).
// A refused value (OnValidate, OnSetText, a wrong text) keeps the focus in
// the control. Hooks run inside the host's guard.

#include "fieldlink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <functional>

enum class CharCase { Normal, Upper, Lower };

class DBEdit : public QLineEdit, public FieldBound {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    // ERP codes are typed in capitals.
    CharCase charCase() const { return m_charCase; }
    void setCharCase(CharCase charCase);

    // Writes the text into the field now; false when refused (message shown).
    bool updateRecord();
    bool isModified() const { return m_modified; }

    std::function<void(DBEdit&)> onEnter;
    std::function<void(DBEdit&)> onExit;     // after the value was written
    // Text changed, typed or shown from the row; not when the focus only
    // switches the same value to its edit format (a tax number losing its
    // punctuation).
    std::function<void(DBEdit&)> onChange;
    std::function<void(DBEdit&, QChar& key)> onKeyPress;   // QChar() drops the key

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void showValue();
    static QString maskedText(const Field& f);
    void applyFieldLimits();
    void textWasEdited();

    CharCase m_charCase = CharCase::Normal;
    bool m_modified = false;
    bool m_showing = false;
    bool m_reformatting = false;
};

// Memo field as plain text (line breaks kept).
class DBRichEdit : public QTextEdit, public FieldBound {
    Q_OBJECT
public:
    explicit DBRichEdit(QWidget* parent = nullptr);
    ~DBRichEdit() override;

    bool updateRecord();
    std::function<void(DBRichEdit&)> onExit;
    std::function<void(DBRichEdit&)> onChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showValue();

    bool m_modified = false;
    bool m_showing = false;
};

// A flag field: checked when it holds ValueChecked ("S"), unchecked for
// ValueUnchecked ("N"); any other value (null included) shows unchecked.
class DBCheckBox : public QCheckBox, public FieldBound {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& text = QString(), QWidget* parent = nullptr);
    ~DBCheckBox() override;

    QString valueChecked() const { return m_valueChecked; }
    void setValueChecked(const QString& value);
    QString valueUnchecked() const { return m_valueUnchecked; }
    void setValueUnchecked(const QString& value);

    std::function<void(DBCheckBox&)> onClick;   // after the value was stored

protected:
    void nextCheckState() override;

private:
    void showValue();

    QString m_valueChecked = QStringLiteral("S");
    QString m_valueUnchecked = QStringLiteral("N");
};

// Read-only display of a field's text.
class DBText : public QLabel, public FieldBound {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);
    ~DBText() override;

private:
    void showValue();
};

// A field chosen from a list: the shown items and, optionally, the values
// stored for them (the item text itself when no values are given).
class DBComboBox : public QComboBox, public FieldBound {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    ~DBComboBox() override;

    void setItems(const QStringList& texts, const QStringList& values = QStringList());
    std::function<void(DBComboBox&)> onChange;   // after the value was stored

private:
    void showValue();
    void choose(int index);

    QStringList m_values;
    bool m_showing = false;
};
