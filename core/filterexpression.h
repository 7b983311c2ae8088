#pragma once
// Record-set filter expressions, as screens write them:
//   CDFILIAL = '0001'AND NRPEDIDO = '0000000012'
//   (CDERRO = 'ALT_PR')      VRDESITPED > 0      NOT (IDSIT = '3' OR X IS NULL)
// Grammar (keywords case-insensitive):
//   expr    := orExpr
//   orExpr  := andExpr { OR andExpr }
//   andExpr := notExpr { AND notExpr }
//   notExpr := NOT notExpr | primary
//   primary := '(' expr ')' | operand ( compOp operand | IS [NOT] NULL )
//   compOp  := = | <> | < | > | <= | >=
//   operand := FIELDNAME | 'quoted text' ('' inside is one quote) | number | NULL
// Comparisons with a null side are false (only IS NULL sees nulls). A number
// compared with text compares as numbers when the text is a number, else as text.

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>

class FilterError : public std::runtime_error {
public:
    FilterError(const QString& message, int position);
    int position() const { return m_position; }   // 0-based character offset in the text
private:
    int m_position;
};

class FilterExpression {
public:
    FilterExpression();   // empty: matches every row
    ~FilterExpression();
    FilterExpression(const FilterExpression&);
    FilterExpression& operator=(const FilterExpression&);
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Throws FilterError naming the position of the first fault.
    static FilterExpression parse(const QString& text);

    bool isEmpty() const;
    QString text() const;
    QStringList fieldNames() const;

    // Resolves field names to row positions once, so matching a row does no
    // name look-ups. Throws FilterError for a field the resolver does not know
    // (it returns -1).
    void bind(const std::function<int(const QString& fieldName)>& indexOf);

    // After bind(): true when the row passes. Throws FilterError when a
    // comparison meets values that cannot be compared (a number and a date).
    bool matches(const QVariantList& row) const;

private:
    struct Node;
    std::shared_ptr<const Node> m_root;
    QString m_text;
};

// Puts any text into a filter as a literal: wraps it in quotes and doubles
// the quotes inside, so a typed code can never break or widen a filter.
QString quoteFilterValue(const QString& value);
