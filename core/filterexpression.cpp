// How two values compare, by what they hold at match time:
//   text with text         exact, by Unicode code points (no locale, case matters)
//   number with number     numerically (integers exactly)
//   text with number       numerically when the text is a number, else as texts
//   date with text         the text read as "yyyy-MM-dd[THH:mm[:ss[.zzz]]]" or
//                          "dd/MM/yyyy[ HH:mm[:ss]]"; other text is an error
//   day with moment        by day ('10/03/2026' equals any time that day)
//   boolean with text      "S"/"T"/"TRUE"/"1" true, "N"/"F"/"FALSE"/"0" false
//   boolean with number    as 1 and 0
//   anything with null     false for every operator; only IS [NOT] NULL sees nulls
// Other pairs (a number with a date) are errors naming the comparison's position.
#include "filterexpression.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <optional>

namespace {

// Deeper nesting than any screen writes; the limit keeps a crafted text from
// exhausting the stack of the recursive parser.
constexpr int maxNestingDepth = 200;

enum class CompOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

// --- text forms ------------------------------------------------------------

struct ParsedNumber {
    bool isInteger = false;
    qlonglong integer = 0;
    double number = 0;
};

// [+-]digits[.digits]: no exponent, no blanks, no "nan".
std::optional<ParsedNumber> parseNumber(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i == digitsStart)
        return std::nullopt;
    bool hasFraction = false;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9')
            ++i;
        if (i == fractionStart)
            return std::nullopt;
        hasFraction = true;
    }
    if (i != text.size())
        return std::nullopt;
    ParsedNumber parsed;
    bool ok = false;
    parsed.number = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    if (!hasFraction) {
        parsed.integer = text.toLongLong(&parsed.isInteger);
    }
    return parsed;
}

struct ParsedDate {
    QDate date;
    QTime time;   // invalid: the text named a day only
};

bool digitsAt(QStringView text, qsizetype from, qsizetype count, int& value)
{
    if (from + count > text.size())
        return false;
    value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}

// "HH:mm", "HH:mm:ss" or "HH:mm:ss.zzz" from position `from` to the end.
std::optional<QTime> parseTimeTail(QStringView text, qsizetype from)
{
    int hour, minute, second = 0, msec = 0;
    const qsizetype length = text.size() - from;
    if ((length != 5 && length != 8 && length != 12) || text[from + 2] != u':'
        || !digitsAt(text, from, 2, hour) || !digitsAt(text, from + 3, 2, minute))
        return std::nullopt;
    if (length >= 8 && (text[from + 5] != u':' || !digitsAt(text, from + 6, 2, second)))
        return std::nullopt;
    if (length == 12 && (text[from + 8] != u'.' || !digitsAt(text, from + 9, 3, msec)))
        return std::nullopt;
    const QTime time(hour, minute, second, msec);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

// ISO "yyyy-MM-dd[THH:mm[:ss[.zzz]]]" or the Brazilian "dd/MM/yyyy[ HH:mm[:ss]]".
std::optional<ParsedDate> parseDate(QStringView text)
{
    int year, month, day;
    QChar timeSeparator;
    if (text.size() >= 10 && text[4] == u'-' && text[7] == u'-' && digitsAt(text, 0, 4, year)
        && digitsAt(text, 5, 2, month) && digitsAt(text, 8, 2, day)) {
        timeSeparator = u'T';
    } else if (text.size() >= 10 && text[2] == u'/' && text[5] == u'/' && digitsAt(text, 0, 2, day)
               && digitsAt(text, 3, 2, month) && digitsAt(text, 6, 4, year)) {
        timeSeparator = u' ';
    } else {
        return std::nullopt;
    }
    ParsedDate parsed{QDate(year, month, day), QTime()};
    if (!parsed.date.isValid())
        return std::nullopt;
    if (text.size() == 10)
        return parsed;
    if (text[10] != timeSeparator)
        return std::nullopt;
    const std::optional<QTime> time = parseTimeTail(text, 11);
    if (!time)
        return std::nullopt;
    parsed.time = *time;
    return parsed;
}

std::optional<bool> parseBoolean(QStringView text)
{
    static const QString trueTexts[] = {QStringLiteral("S"), QStringLiteral("T"), QStringLiteral("TRUE"), QStringLiteral("1")};
    static const QString falseTexts[] = {QStringLiteral("N"), QStringLiteral("F"), QStringLiteral("FALSE"), QStringLiteral("0")};
    for (const QString& candidate : trueTexts)
        if (text.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
    for (const QString& candidate : falseTexts)
        if (text.compare(candidate, Qt::CaseInsensitive) == 0)
            return false;
    return std::nullopt;
}

// Exact order by Unicode code points; QString::compare orders UTF-16 units,
// which puts characters beyond U+FFFF before U+E000..U+FFFF.
int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x == y)
            continue;
        if (x >= 0xD800)
            x = x >= 0xE000 ? x - 0x800 : x + 0x2000;
        if (y >= 0xD800)
            y = y >= 0xE000 ? y - 0x800 : y + 0x2000;
        return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <typename T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

QString numberText(double number)
{
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

// --- values being compared -------------------------------------------------

enum class ValueKind { Null, Text, Integer, Float, Boolean, Date, DateTime };

// A view of one side of a comparison; texts are referenced, not copied.
struct Value {
    ValueKind kind = ValueKind::Null;
    const QString* text = nullptr;
    qlonglong integer = 0;
    double number = 0;
    bool boolean = false;
    QDate date;
    QTime time;
    const std::optional<ParsedNumber>* textNumber = nullptr;   // pre-parsed forms of a literal
    const std::optional<ParsedDate>* textDate = nullptr;
};

Value valueOf(const QVariant& variant, int position)
{
    Value value;
    if (!variant.isValid() || variant.isNull())
        return value;
    switch (variant.metaType().id()) {
    case QMetaType::QString:
        value.kind = ValueKind::Text;
        value.text = static_cast<const QString*>(variant.constData());
        break;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        value.kind = ValueKind::Integer;
        value.integer = variant.toLongLong();
        value.number = double(value.integer);
        break;
    case QMetaType::Double: case QMetaType::Float:
        value.kind = ValueKind::Float;
        value.number = variant.toDouble();
        break;
    case QMetaType::Bool:
        value.kind = ValueKind::Boolean;
        value.boolean = variant.toBool();
        break;
    case QMetaType::QDate:
        value.kind = ValueKind::Date;
        value.date = variant.toDate();
        break;
    case QMetaType::QDateTime: {
        const QDateTime dateTime = variant.toDateTime();
        value.kind = ValueKind::DateTime;
        value.date = dateTime.date();
        value.time = dateTime.time();
        break;
    }
    default:
        throw FilterError(QStringLiteral("cannot compare a value of type ") + QString::fromLatin1(variant.typeName()), position);
    }
    return value;
}

std::optional<ParsedNumber> numberOfText(const Value& value)
{
    return value.textNumber ? *value.textNumber : parseNumber(*value.text);
}

std::optional<ParsedDate> dateOfText(const Value& value)
{
    return value.textDate ? *value.textDate : parseDate(*value.text);
}

bool isNumber(ValueKind kind)
{
    return kind == ValueKind::Integer || kind == ValueKind::Float;
}

int compareNumbers(const Value& a, const Value& b)
{
    if (a.kind == ValueKind::Integer && b.kind == ValueKind::Integer)
        return threeWay(a.integer, b.integer);
    return threeWay(a.number, b.number);
}

QString kindName(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Null: return QStringLiteral("null");
    case ValueKind::Text: return QStringLiteral("text");
    case ValueKind::Integer:
    case ValueKind::Float: return QStringLiteral("a number");
    case ValueKind::Boolean: return QStringLiteral("a boolean");
    case ValueKind::Date: return QStringLiteral("a date");
    case ValueKind::DateTime: return QStringLiteral("a date-time");
    }
    return {};
}

// Orders two non-null values; `a.kind <= b.kind` (the caller swaps).
int compareOrdered(const Value& a, const Value& b, int position)
{
    if (a.kind == ValueKind::Text) {
        switch (b.kind) {
        case ValueKind::Text:
            return compareCodePoints(*a.text, *b.text);
        case ValueKind::Integer:
        case ValueKind::Float: {
            const std::optional<ParsedNumber> parsed = numberOfText(a);
            if (!parsed)
                return compareCodePoints(*a.text, b.kind == ValueKind::Integer ? QString::number(b.integer) : numberText(b.number));
            Value number;
            number.kind = parsed->isInteger ? ValueKind::Integer : ValueKind::Float;
            number.integer = parsed->integer;
            number.number = parsed->number;
            return compareNumbers(number, b);
        }
        case ValueKind::Boolean: {
            const std::optional<bool> parsed = parseBoolean(*a.text);
            if (!parsed)
                throw FilterError(QStringLiteral("'%1' is not a boolean (S/N)").arg(*a.text), position);
            return threeWay(*parsed, b.boolean);
        }
        case ValueKind::Date:
        case ValueKind::DateTime: {
            const std::optional<ParsedDate> parsed = dateOfText(a);
            if (!parsed)
                throw FilterError(QStringLiteral("'%1' is not a date").arg(*a.text), position);
            Value date;
            date.kind = parsed->time.isValid() ? ValueKind::DateTime : ValueKind::Date;
            date.date = parsed->date;
            date.time = parsed->time;
            return date.kind <= b.kind ? compareOrdered(date, b, position) : -compareOrdered(b, date, position);
        }
        case ValueKind::Null:
            break;
        }
    } else if (isNumber(a.kind)) {
        if (isNumber(b.kind))
            return compareNumbers(a, b);
        if (b.kind == ValueKind::Boolean)
            return threeWay(a.number, b.boolean ? 1.0 : 0.0);
    } else if (a.kind == ValueKind::Boolean && b.kind == ValueKind::Boolean) {
        return threeWay(a.boolean, b.boolean);
    } else if (a.kind == ValueKind::Date && b.kind == ValueKind::Date) {
        return threeWay(a.date, b.date);
    } else if (a.kind == ValueKind::Date && b.kind == ValueKind::DateTime) {
        return threeWay(a.date, b.date);   // a day against a moment compares the days
    } else if (a.kind == ValueKind::DateTime && b.kind == ValueKind::DateTime) {
        const int byDate = threeWay(a.date, b.date);
        return byDate != 0 ? byDate : threeWay(a.time, b.time);
    }
    throw FilterError(QStringLiteral("cannot compare %1 with %2").arg(kindName(a.kind), kindName(b.kind)), position);
}

bool holds(CompOp op, int order)
{
    switch (op) {
    case CompOp::Equal: return order == 0;
    case CompOp::NotEqual: return order != 0;
    case CompOp::Less: return order < 0;
    case CompOp::Greater: return order > 0;
    case CompOp::LessEqual: return order <= 0;
    case CompOp::GreaterEqual: return order >= 0;
    }
    return false;
}

// --- tokens ------------------------------------------------------------------

enum class TokenKind { End, Identifier, Text, Number, Open, Close, Operator };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;   // identifier as written, unquoted text, number as written, operator
    int position = 0;
};

class Tokenizer {
public:
    explicit Tokenizer(const QString& text) : m_text(text) {}

    Token next()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        Token token;
        token.position = int(m_pos);
        if (m_pos >= m_text.size())
            return token;
        const QChar c = m_text[m_pos];
        if (c == u'(' || c == u')') {
            token.kind = c == u'(' ? TokenKind::Open : TokenKind::Close;
            token.text = c;
            ++m_pos;
        } else if (c == u'\'') {
            readText(token);
        } else if (isDigit(c) || ((c == u'-' || c == u'+') && isDigit(peek(1)))) {
            readNumber(token);
        } else if (c.isLetter() || c == u'_') {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_'))
                ++m_pos;
            token.kind = TokenKind::Identifier;
            token.text = m_text.mid(start, m_pos - start);
        } else if (c == u'=' || c == u'<' || c == u'>') {
            readOperator(token);
        } else {
            throw FilterError(QStringLiteral("unexpected character '%1'").arg(c), token.position);
        }
        return token;
    }

private:
    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
    QChar peek(qsizetype offset) const
    {
        return m_pos + offset < m_text.size() ? m_text[m_pos + offset] : QChar();
    }

    void readText(Token& token)
    {
        token.kind = TokenKind::Text;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size())
                throw FilterError(QStringLiteral("unterminated text"), token.position);
            if (m_text[m_pos] == u'\'') {
                if (peek(1) != u'\'') {
                    ++m_pos;
                    return;
                }
                ++m_pos;
            }
            token.text.append(m_text[m_pos]);
            ++m_pos;
        }
    }

    void readNumber(Token& token)
    {
        token.kind = TokenKind::Number;
        const qsizetype start = m_pos;
        ++m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'.') {
            if (!isDigit(peek(1)))
                throw FilterError(QStringLiteral("expected a digit after the decimal point"), int(m_pos + 1));
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
        }
        token.text = m_text.mid(start, m_pos - start);
    }

    void readOperator(Token& token)
    {
        token.kind = TokenKind::Operator;
        const QChar c = m_text[m_pos++];
        token.text = c;
        if (c == u'<' && m_pos < m_text.size() && (m_text[m_pos] == u'>' || m_text[m_pos] == u'='))
            token.text.append(m_text[m_pos++]);
        else if (c == u'>' && m_pos < m_text.size() && m_text[m_pos] == u'=')
            token.text.append(m_text[m_pos++]);
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

bool isKeyword(const Token& token, const char* keyword)
{
    return token.kind == TokenKind::Identifier && token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool isReserved(const Token& token)
{
    for (const char* keyword : {"AND", "OR", "NOT", "IS", "NULL"})
        if (isKeyword(token, keyword))
            return true;
    return false;
}

QString describe(const Token& token)
{
    switch (token.kind) {
    case TokenKind::End: return QStringLiteral("the end of the filter");
    case TokenKind::Text: return QStringLiteral("text");
    default: return QLatin1Char('\'') + token.text + QLatin1Char('\'');
    }
}

// --- syntax tree -------------------------------------------------------------

struct TreeNode {
    enum class Kind { Or, And, Not, Compare, IsNull, IsNotNull };

    struct Operand {
        enum class Kind { Field, Text, Number, Null };
        Kind kind = Kind::Null;
        QString text;   // field name or literal text
        int position = 0;
        int index = -1;   // field position after bind()
        Value literal;    // for Text and Number; points into this operand
        std::optional<ParsedNumber> textNumber;
        std::optional<ParsedDate> textDate;

        Operand() = default;
        Operand(const Operand& other) { *this = other; }
        Operand& operator=(const Operand& other)
        {
            kind = other.kind;
            text = other.text;
            position = other.position;
            index = other.index;
            literal = other.literal;
            textNumber = other.textNumber;
            textDate = other.textDate;
            relink();
            return *this;
        }
        // A literal's view references this operand's own members.
        void relink()
        {
            if (kind == Kind::Text) {
                literal.text = &text;
                literal.textNumber = &textNumber;
                literal.textDate = &textDate;
            }
        }
    };

    Kind kind = Kind::Compare;
    std::shared_ptr<const TreeNode> left;
    std::shared_ptr<const TreeNode> right;
    CompOp op = CompOp::Equal;
    Operand a;
    Operand b;
    int position = 0;
};

using TreeNodePtr = std::shared_ptr<const TreeNode>;

class Parser {
public:
    explicit Parser(const QString& text) : m_tokens(text) { advance(); }

    TreeNodePtr parseAll()
    {
        if (m_token.kind == TokenKind::End)
            return nullptr;
        TreeNodePtr root = parseOr(0);
        if (m_token.kind != TokenKind::End)
            throw FilterError(QStringLiteral("expected AND, OR or the end instead of ") + describe(m_token), m_token.position);
        return root;
    }

private:
    void advance() { m_token = m_tokens.next(); }

    TreeNodePtr parseOr(int depth)
    {
        TreeNodePtr node = parseAnd(depth);
        while (isKeyword(m_token, "OR")) {
            const int position = m_token.position;
            advance();
            node = binary(TreeNode::Kind::Or, node, parseAnd(depth), position);
        }
        return node;
    }

    TreeNodePtr parseAnd(int depth)
    {
        TreeNodePtr node = parseNot(depth);
        while (isKeyword(m_token, "AND")) {
            const int position = m_token.position;
            advance();
            node = binary(TreeNode::Kind::And, node, parseNot(depth), position);
        }
        return node;
    }

    TreeNodePtr parseNot(int depth)
    {
        if (depth > maxNestingDepth)
            throw FilterError(QStringLiteral("filter nested too deeply"), m_token.position);
        if (!isKeyword(m_token, "NOT"))
            return parsePrimary(depth);
        auto node = std::make_shared<TreeNode>();
        node->kind = TreeNode::Kind::Not;
        node->position = m_token.position;
        advance();
        node->left = parseNot(depth + 1);
        return node;
    }

    TreeNodePtr parsePrimary(int depth)
    {
        if (m_token.kind == TokenKind::Open) {
            advance();
            TreeNodePtr inner = parseOr(depth + 1);
            if (m_token.kind != TokenKind::Close)
                throw FilterError(QStringLiteral("expected ')'"), m_token.position);
            advance();
            return inner;
        }
        auto node = std::make_shared<TreeNode>();
        node->position = m_token.position;
        node->a = parseOperand();
        if (isKeyword(m_token, "IS")) {
            advance();
            node->kind = TreeNode::Kind::IsNull;
            if (isKeyword(m_token, "NOT")) {
                node->kind = TreeNode::Kind::IsNotNull;
                advance();
            }
            if (!isKeyword(m_token, "NULL"))
                throw FilterError(QStringLiteral("expected NULL"), m_token.position);
            advance();
            return node;
        }
        if (m_token.kind != TokenKind::Operator)
            throw FilterError(QStringLiteral("expected a comparison (=, <>, <, >, <=, >=) or IS instead of ") + describe(m_token),
                              m_token.position);
        node->kind = TreeNode::Kind::Compare;
        node->op = compOp(m_token.text);
        advance();
        node->b = parseOperand();
        return node;
    }

    TreeNode::Operand parseOperand()
    {
        TreeNode::Operand operand;
        operand.position = m_token.position;
        operand.text = m_token.text;
        switch (m_token.kind) {
        case TokenKind::Identifier:
            if (isKeyword(m_token, "NULL")) {
                operand.kind = TreeNode::Operand::Kind::Null;
            } else if (isReserved(m_token)) {
                throw FilterError(QStringLiteral("expected a field name, text, number or NULL instead of ") + describe(m_token),
                                  m_token.position);
            } else {
                operand.kind = TreeNode::Operand::Kind::Field;
            }
            break;
        case TokenKind::Text:
            operand.kind = TreeNode::Operand::Kind::Text;
            operand.literal.kind = ValueKind::Text;
            operand.textNumber = parseNumber(operand.text);
            operand.textDate = parseDate(operand.text);
            operand.relink();
            break;
        case TokenKind::Number: {
            const std::optional<ParsedNumber> parsed = parseNumber(operand.text);
            if (!parsed)
                throw FilterError(QStringLiteral("number out of range"), m_token.position);
            operand.kind = TreeNode::Operand::Kind::Number;
            operand.literal.kind = parsed->isInteger ? ValueKind::Integer : ValueKind::Float;
            operand.literal.integer = parsed->integer;
            operand.literal.number = parsed->number;
            break;
        }
        default:
            throw FilterError(QStringLiteral("expected a field name, text, number or NULL instead of ") + describe(m_token),
                              m_token.position);
        }
        advance();
        return operand;
    }

    static CompOp compOp(const QString& text)
    {
        if (text == u"=") return CompOp::Equal;
        if (text == u"<>") return CompOp::NotEqual;
        if (text == u"<") return CompOp::Less;
        if (text == u">") return CompOp::Greater;
        if (text == u"<=") return CompOp::LessEqual;
        return CompOp::GreaterEqual;
    }

    static TreeNodePtr binary(TreeNode::Kind kind, TreeNodePtr left, TreeNodePtr right, int position)
    {
        auto node = std::make_shared<TreeNode>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        node->position = position;
        return node;
    }

    Tokenizer m_tokens;
    Token m_token;
};

void collectFieldNames(const TreeNode* node, QStringList& names)
{
    if (!node)
        return;
    collectFieldNames(node->left.get(), names);
    collectFieldNames(node->right.get(), names);
    for (const TreeNode::Operand* operand : {&node->a, &node->b}) {
        if (operand->kind == TreeNode::Operand::Kind::Field && !names.contains(operand->text, Qt::CaseInsensitive))
            names.append(operand->text);
    }
}

TreeNodePtr bound(const TreeNodePtr& node, const std::function<int(const QString&)>& indexOf)
{
    if (!node)
        return nullptr;
    auto copy = std::make_shared<TreeNode>(*node);
    copy->left = bound(node->left, indexOf);
    copy->right = bound(node->right, indexOf);
    for (TreeNode::Operand* operand : {&copy->a, &copy->b}) {
        if (operand->kind != TreeNode::Operand::Kind::Field)
            continue;
        operand->index = indexOf(operand->text);
        if (operand->index < 0)
            throw FilterError(QStringLiteral("unknown field \"%1\"").arg(operand->text), operand->position);
    }
    return copy;
}

Value sideValue(const TreeNode::Operand& operand, const QVariantList& row)
{
    switch (operand.kind) {
    case TreeNode::Operand::Kind::Field:
        if (operand.index < 0 || operand.index >= row.size())
            throw FilterError(QStringLiteral("field \"%1\" is not bound to this row").arg(operand.text), operand.position);
        return valueOf(row[operand.index], operand.position);
    case TreeNode::Operand::Kind::Text:
    case TreeNode::Operand::Kind::Number:
        return operand.literal;
    case TreeNode::Operand::Kind::Null:
        break;
    }
    return {};
}

bool evaluate(const TreeNode& node, const QVariantList& row)
{
    switch (node.kind) {
    case TreeNode::Kind::Or:
        return evaluate(*node.left, row) || evaluate(*node.right, row);
    case TreeNode::Kind::And:
        return evaluate(*node.left, row) && evaluate(*node.right, row);
    case TreeNode::Kind::Not:
        return !evaluate(*node.left, row);
    case TreeNode::Kind::IsNull:
        return sideValue(node.a, row).kind == ValueKind::Null;
    case TreeNode::Kind::IsNotNull:
        return sideValue(node.a, row).kind != ValueKind::Null;
    case TreeNode::Kind::Compare:
        break;
    }
    const Value a = sideValue(node.a, row);
    const Value b = sideValue(node.b, row);
    if (a.kind == ValueKind::Null || b.kind == ValueKind::Null)
        return false;
    if (a.kind == ValueKind::Text && b.kind == ValueKind::Text && (node.op == CompOp::Equal || node.op == CompOp::NotEqual))
        return (*a.text == *b.text) == (node.op == CompOp::Equal);
    const int order = a.kind <= b.kind ? compareOrdered(a, b, node.position) : -compareOrdered(b, a, node.position);
    return holds(node.op, order);
}

} // namespace

// The tree lives behind one handle so that its node type stays private to this file.
struct FilterExpression::Node {
    TreeNodePtr tree;
};

// --- FilterError / FilterExpression ----------------------------------------------

FilterError::FilterError(const QString& message, int position)
    : std::runtime_error(QStringLiteral("%1 at position %2").arg(message).arg(position).toStdString())
    , m_position(position)
{
}

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(const FilterExpression&) = default;
FilterExpression& FilterExpression::operator=(const FilterExpression&) = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(const QString& text)
{
    FilterExpression expression;
    if (TreeNodePtr tree = Parser(text).parseAll())
        expression.m_root = std::make_shared<const Node>(Node{std::move(tree)});
    expression.m_text = text;
    return expression;
}

bool FilterExpression::isEmpty() const
{
    return !m_root;
}

QString FilterExpression::text() const
{
    return m_text;
}

QStringList FilterExpression::fieldNames() const
{
    QStringList names;
    if (m_root)
        collectFieldNames(m_root->tree.get(), names);
    return names;
}

void FilterExpression::bind(const std::function<int(const QString& fieldName)>& indexOf)
{
    if (m_root)
        m_root = std::make_shared<const Node>(Node{bound(m_root->tree, indexOf)});
}

bool FilterExpression::matches(const QVariantList& row) const
{
    return !m_root || evaluate(*m_root->tree, row);
}

QString quoteFilterValue(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}
