#include "json_text.h"

#include <charconv>

namespace {

void appendEscaped(QByteArray& out, const QByteArray& utf8)
{
    static const char hex[] = "0123456789abcdef";
    for (const char c : utf8) {
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            if (uchar(c) < 0x20) {
                const char escape[] = {'\\', 'u', '0', '0', hex[uchar(c) >> 4], hex[uchar(c) & 15]};
                out.append(escape, sizeof escape);
            } else {
                out.append(c);
            }
        }
    }
}

template <typename Number>
void appendNumber(QByteArray& out, Number number)
{
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, result.ptr - digits);
}

} // namespace

// Most stored texts are plain ASCII: that prefix is copied a character to a
// byte, and only the rest goes through UTF-8 and escaping.
void appendJsonString(QByteArray& out, QStringView text)
{
    const char16_t* units = text.utf16();
    const qsizetype length = text.size();
    qsizetype plain = 0;
    while (plain < length && units[plain] >= 0x20 && units[plain] < 0x7f && units[plain] != u'"'
           && units[plain] != u'\\')
        ++plain;
    const qsizetype start = out.size();
    out.resize(start + plain + 1);
    char* cursor = out.data() + start;
    *cursor++ = '"';
    for (qsizetype i = 0; i < plain; ++i)
        *cursor++ = char(units[i]);
    if (plain < length)
        appendEscaped(out, text.mid(plain).toUtf8());
    out.append('"');
}

void appendJsonNumber(QByteArray& out, double number)
{
    appendNumber(out, number);
}

void appendJsonNumber(QByteArray& out, qint64 number)
{
    appendNumber(out, number);
}
