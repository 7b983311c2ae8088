#include "strict_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cmath>
#include <deque>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// Past this many keys an object's duplicates are found by hash, not by walking them.
constexpr size_t KeysCheckedOneByOne = 16;

bool isBlank(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

class Checker {
public:
    explicit Checker(QByteArrayView text) : m_begin(text.data()), m_pos(text.data()), m_end(text.data() + text.size()) {}

    JsonCheck run()
    {
        JsonCheck check;
        try {
            skipBlanks();
            if (m_pos == m_end)
                fail("no JSON value (empty)");
            if (m_end - m_pos >= 3 && QByteArrayView(m_pos, 3) == "\xEF\xBB\xBF")
                fail("byte order mark before the value");
            value(0);
            skipBlanks();
            if (m_pos != m_end)
                fail("bytes after the value");
        } catch (const JsonFault& fault) {
            check.fault = fault;
        }
        check.escapedNul = m_escapedNul;
        return check;
    }

private:
    struct KeysOfObject {
        std::vector<std::string_view> keys;
        std::unordered_set<std::string_view> hashed;
    };

    [[noreturn]] void fail(const QString& what, JsonFault::Kind kind = JsonFault::Kind::Syntax) const
    {
        const qsizetype offset = m_pos - m_begin;
        throw JsonFault{kind, offset, QStringLiteral("at byte %1: %2").arg(offset).arg(what)};
    }
    [[noreturn]] void fail(const char* what) const { fail(QString::fromLatin1(what)); }

    void skipBlanks()
    {
        while (m_pos < m_end && isBlank(*m_pos))
            ++m_pos;
    }

    char peek() const { return m_pos < m_end ? *m_pos : '\0'; }

    void value(int depth)
    {
        if (m_pos >= m_end)
            fail("the text ends before the value does");
        switch (*m_pos) {
        case '{': object(depth + 1); return;
        case '[': array(depth + 1); return;
        case '"': string(nullptr); return;
        case 't': literal("true"); return;
        case 'f': literal("false"); return;
        case 'n': literal("null"); return;
        default:
            if (*m_pos == '-' || isDigit(*m_pos)) {
                number();
                return;
            }
            fail(QStringLiteral("unexpected byte 0x%1").arg(uchar(*m_pos), 2, 16, QLatin1Char('0')));
        }
    }

    void enter(int depth)
    {
        if (depth > MaxJsonDepth)
            fail(QStringLiteral("nested deeper than %1 levels").arg(MaxJsonDepth));
    }

    void array(int depth)
    {
        enter(depth);
        ++m_pos;
        skipBlanks();
        if (peek() == ']') {
            ++m_pos;
            return;
        }
        while (true) {
            skipBlanks();
            value(depth);
            skipBlanks();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == ']') {
                ++m_pos;
                return;
            }
            fail(m_pos == m_end ? "an array is not closed" : "expected , or ] in an array");
        }
    }

    void object(int depth)
    {
        enter(depth);
        ++m_pos;
        skipBlanks();
        if (peek() == '}') {
            ++m_pos;
            return;
        }
        if (m_keys.size() < size_t(depth))
            m_keys.resize(depth);
        KeysOfObject& keys = m_keys[depth - 1];
        keys.keys.clear();
        keys.hashed.clear();
        while (true) {
            skipBlanks();
            if (peek() != '"')
                fail("expected a key in double quotes");
            const char* keyStart = m_pos;
            std::string decoded;
            const bool escaped = string(&decoded);
            std::string_view key(keyStart + 1, size_t(m_pos - keyStart - 2));
            if (escaped) {
                m_decodedKeys.push_back(std::move(decoded));
                key = m_decodedKeys.back();
            }
            remember(keys, key, keyStart);
            skipBlanks();
            if (peek() != ':')
                fail("expected : after a key");
            ++m_pos;
            skipBlanks();
            value(depth);
            skipBlanks();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == '}') {
                ++m_pos;
                return;
            }
            fail(m_pos == m_end ? "an object is not closed" : "expected , or } in an object");
        }
    }

    void remember(KeysOfObject& keys, std::string_view key, const char* where)
    {
        bool repeated = false;
        if (keys.keys.size() < KeysCheckedOneByOne) {
            for (std::string_view seen : keys.keys)
                repeated = repeated || seen == key;
            keys.keys.push_back(key);
            if (keys.keys.size() == KeysCheckedOneByOne)
                keys.hashed.insert(keys.keys.begin(), keys.keys.end());
        } else {
            repeated = !keys.hashed.insert(key).second;
        }
        if (repeated) {
            m_pos = where;
            fail(QStringLiteral("the key \"%1\" appears twice in one object")
                     .arg(QString::fromUtf8(key.data(), qsizetype(qMin<size_t>(key.size(), 40)))),
                 JsonFault::Kind::DuplicateKey);
        }
    }

    void literal(const char* word)
    {
        const qsizetype length = qsizetype(std::char_traits<char>::length(word));
        if (m_end - m_pos < length || QByteArrayView(m_pos, length) != QByteArrayView(word, length))
            fail(QStringLiteral("expected %1").arg(QLatin1String(word)));
        m_pos += length;
    }

    // JSON's number grammar; a number too large for a double is refused.
    void number()
    {
        const char* start = m_pos;
        if (peek() == '-')
            ++m_pos;
        if (peek() == '0') {
            ++m_pos;
            if (isDigit(peek()))
                fail("a number must not start with 0");
        } else if (isDigit(peek())) {
            while (isDigit(peek()))
                ++m_pos;
        } else {
            fail("expected a digit");
        }
        if (peek() == '.') {
            ++m_pos;
            if (!isDigit(peek()))
                fail("expected a digit after the decimal point");
            while (isDigit(peek()))
                ++m_pos;
        }
        bool hasExponent = false;
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            if (!isDigit(peek()))
                fail("expected a digit in the exponent");
            while (isDigit(peek()))
                ++m_pos;
            hasExponent = true;
        }
        if (!hasExponent && m_pos - start < 300)
            return;   // without an exponent only 309 digits and more overflow a double
        // Too large and too small for a double alike (QJsonDocument refuses both).
        double parsed = 0;
        const auto result = std::from_chars(start, m_pos, parsed);
        if (result.ec != std::errc() || !std::isfinite(parsed)) {
            m_pos = start;
            fail("number out of range");
        }
    }

    // True when the string held an escape; `decoded` (keys only) gets its UTF-8.
    bool string(std::string* decoded)
    {
        ++m_pos;   // the opening quote
        // QJsonDocument drops a raw byte order mark that opens a string, so
        // "\xEF\xBB\xBFid" would read as "id" there but not here.
        if (m_end - m_pos >= 3 && QByteArrayView(m_pos, 3) == "\xEF\xBB\xBF")
            fail("raw byte order mark at the start of a string (write it as \\ufeff)");
        const char* plainStart = m_pos;
        bool escaped = false;
        while (true) {
            if (m_pos >= m_end)
                fail("a string is not closed");
            const uchar c = uchar(*m_pos);
            if (c == '"') {
                if (decoded && escaped)
                    decoded->append(plainStart, size_t(m_pos - plainStart));
                ++m_pos;
                return escaped;
            }
            if (c == '\\') {
                if (decoded) {
                    decoded->append(plainStart, size_t(m_pos - plainStart));
                }
                escape(decoded);
                plainStart = m_pos;
                escaped = true;
                continue;
            }
            if (c < 0x20)
                fail(QStringLiteral("raw control byte 0x%1 in a string (write it as \\u00%1)")
                         .arg(c, 2, 16, QLatin1Char('0')));
            if (c < 0x80)
                ++m_pos;
            else
                utf8Sequence();
        }
    }

    void escape(std::string* decoded)
    {
        ++m_pos;   // the backslash
        if (m_pos >= m_end)
            fail("a string is not closed");
        const char c = *m_pos++;
        char plain = 0;
        switch (c) {
        case '"': plain = '"'; break;
        case '\\': plain = '\\'; break;
        case '/': plain = '/'; break;
        case 'b': plain = '\b'; break;
        case 'f': plain = '\f'; break;
        case 'n': plain = '\n'; break;
        case 'r': plain = '\r'; break;
        case 't': plain = '\t'; break;
        case 'u': {
            char32_t unit = hex4();
            if (unit >= 0xDC00 && unit <= 0xDFFF)
                fail("lone low surrogate in \\u escape");
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (m_end - m_pos < 2 || m_pos[0] != '\\' || m_pos[1] != 'u')
                    fail("lone high surrogate in \\u escape");
                m_pos += 2;
                const char32_t low = hex4();
                if (low < 0xDC00 || low > 0xDFFF)
                    fail("high surrogate without its low surrogate in \\u escape");
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
            if (unit == 0)
                m_escapedNul = true;
            if (decoded)
                appendUtf8(*decoded, unit);
            return;
        }
        default:
            --m_pos;
            if (uchar(c) < 0x20 || uchar(c) >= 0x7f)
                fail(QStringLiteral("unknown escape \\ followed by byte 0x%1").arg(uchar(c), 2, 16, QLatin1Char('0')));
            fail(QStringLiteral("unknown escape \\%1").arg(QLatin1Char(c)));
        }
        if (decoded)
            *decoded += plain;
    }

    char32_t hex4()
    {
        if (m_end - m_pos < 4)
            fail("\\u needs four hexadecimal digits");
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(m_pos[i]);
            if (digit < 0)
                fail("\\u needs four hexadecimal digits");
            unit = unit * 16 + char32_t(digit);
        }
        m_pos += 4;
        return unit;
    }

    // One UTF-8 encoded character from its lead byte on: shortest form only,
    // no surrogates, nothing beyond U+10FFFF.
    void utf8Sequence()
    {
        const uchar lead = uchar(*m_pos);
        int continuation = 0;
        uchar low = 0x80;
        uchar high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            fail(QStringLiteral("invalid UTF-8 byte 0x%1").arg(lead, 2, 16, QLatin1Char('0')));
        }
        if (m_end - m_pos <= continuation)
            fail("UTF-8 sequence cut short");
        for (int i = 1; i <= continuation; ++i) {
            const uchar next = uchar(m_pos[i]);
            if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
                m_pos += i;
                fail(QStringLiteral("invalid UTF-8 byte 0x%1").arg(next, 2, 16, QLatin1Char('0')));
            }
        }
        m_pos += continuation + 1;
    }

    const char* m_begin;
    const char* m_pos;
    const char* m_end;
    bool m_escapedNul = false;
    // One per depth, reused by the objects at that depth. A deque, because an
    // object's entry is held by reference while its values grow the deque
    // for deeper objects (a vector would move it away).
    std::deque<KeysOfObject> m_keys;
    std::deque<std::string> m_decodedKeys; // keys that held escapes, in readable form
};

// Walks text already found sound; knows nothing of faults.
class SoundWalker {
public:
    explicit SoundWalker(QByteArrayView text) : m_pos(text.data()), m_end(text.data() + text.size()) {}

    void skipBlanks()
    {
        while (m_pos < m_end && isBlank(*m_pos))
            ++m_pos;
    }
    bool at(char c)
    {
        skipBlanks();
        return m_pos < m_end && *m_pos == c;
    }
    void step() { ++m_pos; }

    QByteArrayView value()
    {
        skipBlanks();
        const char* start = m_pos;
        skipValue();
        return QByteArrayView(start, m_pos - start);
    }

    // The key's text, decoded when it holds escapes.
    std::string key()
    {
        skipBlanks();
        std::string text;
        ++m_pos;
        while (*m_pos != '"') {
            if (*m_pos != '\\') {
                text += *m_pos++;
                continue;
            }
            ++m_pos;
            const char c = *m_pos++;
            switch (c) {
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'u': {
                char32_t unit = readHex4();
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    m_pos += 2;
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (readHex4() - 0xDC00);
                }
                appendUtf8(text, unit);
                break;
            }
            default: text += c;
            }
        }
        ++m_pos;
        return text;
    }

private:
    char32_t readHex4()
    {
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i)
            unit = unit * 16 + char32_t(hexValue(*m_pos++));
        return unit;
    }

    void skipString()
    {
        for (++m_pos; *m_pos != '"'; ++m_pos) {
            if (*m_pos == '\\')
                ++m_pos;
        }
        ++m_pos;
    }

    void skipValue()
    {
        if (*m_pos == '"') {
            skipString();
            return;
        }
        if (*m_pos != '[' && *m_pos != '{') {
            while (m_pos < m_end && !isBlank(*m_pos) && *m_pos != ',' && *m_pos != ']' && *m_pos != '}')
                ++m_pos;
            return;
        }
        int depth = 0;
        do {
            if (*m_pos == '"') {
                skipString();
                continue;
            }
            if (*m_pos == '[' || *m_pos == '{')
                ++depth;
            else if (*m_pos == ']' || *m_pos == '}')
                --depth;
            ++m_pos;
        } while (depth > 0);
    }

    const char* m_pos;
    const char* m_end;
};

} // namespace

StrictJsonError::StrictJsonError(JsonFault fault)
    : std::runtime_error(fault.message.toStdString()), m_fault(std::move(fault))
{
}

JsonCheck checkStrictJson(QByteArrayView text)
{
    return Checker(text).run();
}

QJsonValue readStrictJson(QByteArrayView text, bool* escapedNul)
{
    const JsonCheck check = checkStrictJson(text);
    if (check.fault)
        throw StrictJsonError(*check.fault);
    if (escapedNul)
        *escapedNul = check.escapedNul;
    SoundWalker walker(text);
    const bool container = walker.at('{') || walker.at('[');
    // QJsonDocument holds only objects and arrays: a bare value is read inside one.
    QJsonParseError error;
    const QJsonDocument document = container
        ? QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), text.size()), &error)
        : QJsonDocument::fromJson('[' + text.toByteArray() + ']', &error);
    if (error.error != QJsonParseError::NoError)
        throw StrictJsonError(JsonFault{JsonFault::Kind::Syntax, error.offset,
                                        QStringLiteral("at byte %1: %2").arg(error.offset).arg(error.errorString())});
    if (!container)
        return document.array().at(0);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

QList<QByteArrayView> jsonArrayElementTexts(QByteArrayView soundArray)
{
    QList<QByteArrayView> elements;
    SoundWalker walker(soundArray);
    if (!walker.at('['))
        return elements;
    walker.step();
    if (walker.at(']'))
        return elements;
    do {
        elements.append(walker.value());
        if (!walker.at(','))
            break;
        walker.step();
    } while (true);
    return elements;
}

std::optional<QByteArrayView> jsonMemberText(QByteArrayView soundObject, QByteArrayView key)
{
    SoundWalker walker(soundObject);
    if (!walker.at('{'))
        return std::nullopt;
    walker.step();
    if (walker.at('}'))
        return std::nullopt;
    do {
        const std::string name = walker.key();
        walker.at(':');
        walker.step();
        const QByteArrayView value = walker.value();
        if (QByteArrayView(name.data(), qsizetype(name.size())) == key)
            return value;
        if (!walker.at(','))
            break;
        walker.step();
    } while (true);
    return std::nullopt;
}
