#pragma once
// TDateEditPlus: a date typed as dd/MM/yyyy with a calendar button. Slashes
// are added while typing; "10032026", "10/03/26" (two-digit years are
// 2000-2099) and "10/3/2026" are read too. An empty edit is a null date. On
// leaving, a text that is not a valid date is refused with
// "'<text>' não é uma data válida." and the focus stays.

#include <QDate>
#include <QLineEdit>
#include <functional>

class QToolButton;

class TDateEditPlus : public QLineEdit {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget* parent = nullptr);

    QDate date() const;          // null when empty or not a valid date
    void setDate(const QDate& date);
    bool isEmpty() const;        // nothing typed (blanks count as nothing)
    bool hasValidDate() const;   // empty or a valid date
    void clear();

    // Reads the text; the message is shown and false returned when invalid.
    bool checkDate();
    // Reads "dd/MM/yyyy" and the short forms above; an invalid QDate otherwise.
    static QDate parse(const QString& text);

    void showCalendar();

    // The date changed: on leaving, Enter, a calendar choice or setDate (not
    // at every key, when half a date may read as another one).
    std::function<void(TDateEditPlus&)> onChange;
    std::function<void(TDateEditPlus&)> onExit;

signals:
    void dateChanged(const QDate& date);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void textWasEdited(const QString& text);
    void announceDate();
    void placeButton();

    QToolButton* m_calendarButton;
    QDate m_lastDate;
};
