#pragma once
// TNumberEdit: a number typed the Brazilian way — decimal comma, "." for
// thousands — shown with its decimals and grouping ("1.234,50") and read as a
// double. While focused the grouping is left out so the person types freely;
// on leaving, the text is read and shown formatted again. A text that is not
// a number is refused with a message and the focus stays. Empty is allowed
// and reads as 0 (isEmpty() tells the two apart).

#include <QLineEdit>
#include <functional>

class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);
    bool isEmpty() const { return m_empty; }
    void clear();

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    bool allowNegative() const { return m_allowNegative; }
    void setAllowNegative(bool allow);

    // Reads the typed text now; false (message shown) when it is not a number.
    bool updateValue();

    // The text a value is shown with ("1.234,50"); empty for an empty edit.
    QString formattedText() const;
    // Reads a Brazilian number text; false when it is not one.
    static bool parse(const QString& text, double* value);

    std::function<void(TNumberEdit&)> onChange;   // value changed (typed or set)
    std::function<void(TNumberEdit&)> onExit;

signals:
    void valueChanged(double value);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showValue(bool forEditing);
    void store(double value, bool empty);

    double m_value = 0.0;
    bool m_empty = true;
    int m_decimals = 2;
    bool m_allowNegative = true;
};
