#include "field.h"

#include "iso_datetime.h"
#include "money.h"
#include "recordset_p.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

bool isNullValue(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

bool isIntegerType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isNumberType(int typeId)
{
    return isIntegerType(typeId) || typeId == QMetaType::Double || typeId == QMetaType::Float;
}

// "dd/MM/yyyy", "d/M/yy", "dd/MM/yyyy HH:mm[:ss]" or ISO "yyyy-MM-dd[THH:mm:ss[.zzz]]".
QDateTime parseDateTimeText(const QString& text)
{
    static const QRegularExpression brazilian(
        QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = brazilian.match(trimmed);
    if (m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 50 ? 2000 : 1900;
        const QDate date(year, m.captured(2).toInt(), m.captured(1).toInt());
        QTime time(0, 0);
        if (!m.captured(4).isEmpty())
            time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
        if (!date.isValid() || !time.isValid())
            return {};
        return QDateTime(date, time);
    }
    return parseIsoLenient(trimmed);
}

bool isTrueText(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    return t == u"S" || t == u"SIM" || t == u"TRUE" || t == u"T" || t == u"1" || t == u"Y" || t == u"YES";
}

bool isFalseText(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    return t == u"N" || t == u"NAO" || t == u"NÃO" || t == u"FALSE" || t == u"F" || t == u"0" || t == u"NO";
}

QString groupThousands(const QString& digits)
{
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += u'.';
        grouped += digits.at(i);
    }
    return grouped;
}

QString stripQuotes(const QString& literal)
{
    QString out;
    for (const QChar c : literal)
        if (c != u'"' && c != u'\'')
            out += c;
    return out;
}

QString formatNumberSection(double magnitude, const QString& section)
{
    auto isPattern = [](QChar c) { return c == u'#' || c == u'0' || c == u',' || c == u'.'; };
    qsizetype begin = 0;
    while (begin < section.size() && !isPattern(section.at(begin)))
        ++begin;
    if (begin == section.size())
        return stripQuotes(section);
    qsizetype end = section.size();
    while (end > begin && !isPattern(section.at(end - 1)))
        --end;
    const QString pattern = section.mid(begin, end - begin);
    const qsizetype point = pattern.indexOf(u'.');
    const QString integerPattern = point < 0 ? pattern : pattern.left(point);
    const QString fractionPattern = point < 0 ? QString() : pattern.mid(point + 1);
    const int minIntegerDigits = int(integerPattern.count(u'0'));
    const bool thousands = integerPattern.contains(u',');
    const int minDecimals = int(fractionPattern.count(u'0'));
    const int maxDecimals = minDecimals + int(fractionPattern.count(u'#'));

    const RoundedDigits digits = roundedDigits(magnitude, maxDecimals);
    QString integerDigits = QString::fromLatin1(digits.integer);
    QString fractionDigits = QString::fromLatin1(digits.fraction);
    while (fractionDigits.size() > minDecimals && fractionDigits.endsWith(u'0'))
        fractionDigits.chop(1);
    if (integerDigits == u"0" && minIntegerDigits == 0)
        integerDigits.clear();
    while (integerDigits.size() < minIntegerDigits)
        integerDigits.prepend(u'0');
    QString text = thousands ? groupThousands(integerDigits) : integerDigits;
    if (!fractionDigits.isEmpty())
        text += u',' + fractionDigits;
    return stripQuotes(section.left(begin)) + text + stripQuotes(section.mid(end));
}

bool allZeroDigits(const QString& text)
{
    for (const QChar c : text)
        if (c.isDigit() && c != u'0')
            return false;
    return true;
}

// Built once rather than per formatted value.
const QLocale& brazilianNames()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QString shortWeekday(const QDate& date)
{
    QString name = brazilianNames().dayName(date.dayOfWeek(), QLocale::ShortFormat);
    if (name.endsWith(u'.'))
        name.chop(1);
    return name;
}

} // namespace

namespace FieldText {

QString formatNumber(double value, const QString& mask)
{
    if (mask.isEmpty())
        return floatToText(value);
    const QStringList sections = mask.split(u';');
    if (value < 0 && sections.size() >= 2 && !sections.at(1).isEmpty())
        return formatNumberSection(-value, sections.at(1));
    if (value == 0 && sections.size() >= 3 && !sections.at(2).isEmpty())
        return formatNumberSection(0, sections.at(2));
    const QString text = formatNumberSection(std::fabs(value), sections.at(0));
    return value < 0 && !allZeroDigits(text) ? u'-' + text : text;
}

QString floatToText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(u'-');
        exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(u'0'))
            exponent.remove(0, 1);
        text = mantissa + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    text.replace(u'.', u',');
    return text;
}

bool parseNumber(const QString& input, double* value, LoneDot loneDot)
{
    static const QRegularExpression shape(QStringLiteral(R"(^[+-]?[0-9.,]*[0-9][0-9.,]*([eE][+-]?[0-9]+)?$)"));
    static const QRegularExpression grouped(QStringLiteral(R"(^[1-9][0-9]{0,2}(\.[0-9]{3})+$)"));
    QString text = input.trimmed();
    if (!shape.match(text).hasMatch())
        return false;
    QString sign;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        sign = text.left(1);
        text.remove(0, 1);
    }
    QString exponent;
    const qsizetype e = text.indexOf(QRegularExpression(QStringLiteral("[eE]")));
    if (e >= 0) {
        exponent = text.mid(e);
        text.truncate(e);
    }
    QString integerPart = text;
    QString fractionPart;
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        if (text.indexOf(u',', comma + 1) >= 0)
            return false;
        integerPart = text.left(comma);
        fractionPart = text.mid(comma + 1);
        if (fractionPart.contains(u'.'))
            return false;
        if (integerPart.contains(u'.')) {
            if (!grouped.match(integerPart).hasMatch())
                return false;
            integerPart.remove(u'.');
        }
    } else if (text.contains(u'.')) {
        if (grouped.match(text).hasMatch()) {
            integerPart = text;
            integerPart.remove(u'.');
        } else {
            if (loneDot == LoneDot::Refused)
                return false;
            const qsizetype dot = text.indexOf(u'.');
            if (text.indexOf(u'.', dot + 1) >= 0)
                return false;
            integerPart = text.left(dot);
            fractionPart = text.mid(dot + 1);
        }
    }
    if (integerPart.isEmpty() && fractionPart.isEmpty())
        return false;
    QString cForm = sign + (integerPart.isEmpty() ? QStringLiteral("0") : integerPart);
    if (!fractionPart.isEmpty())
        cForm += u'.' + fractionPart;
    cForm += exponent;
    bool ok = false;
    const double parsed = cForm.toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

QString formatDateTime(const QDateTime& value, const QString& mask)
{
    if (!value.isValid())
        return {};
    const QDate date = value.date();
    const QTime time = value.time();
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    auto run = [&](QChar c) {
        qsizetype n = 0;
        while (i + n < mask.size() && mask.at(i + n).toLower() == c)
            ++n;
        return n;
    };
    while (i < mask.size()) {
        const QChar c = mask.at(i);
        const QChar lower = c.toLower();
        if (c == u'"' || c == u'\'') {
            const qsizetype close = mask.indexOf(c, i + 1);
            const qsizetype stop = close < 0 ? mask.size() : close;
            out += mask.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        qsizetype n = 0;
        if (lower == u'y') {
            n = run(u'y');
            out += n <= 2 ? QStringLiteral("%1").arg(date.year() % 100, 2, 10, QChar(u'0'))
                          : QString::number(date.year());
        } else if (lower == u'd') {
            n = run(u'd');
            if (n == 1)
                out += QString::number(date.day());
            else if (n == 2)
                out += QStringLiteral("%1").arg(date.day(), 2, 10, QChar(u'0'));
            else if (n == 3)
                out += shortWeekday(date);
            else
                out += brazilianNames().dayName(date.dayOfWeek());
        } else if (lower == u'm' && !afterHour) {
            n = run(u'm');
            if (n == 1)
                out += QString::number(date.month());
            else if (n == 2)
                out += QStringLiteral("%1").arg(date.month(), 2, 10, QChar(u'0'));
            else
                out += brazilianNames().monthName(date.month(), n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (lower == u'h') {
            n = run(u'h');
            out += n == 1 ? QString::number(time.hour()) : QStringLiteral("%1").arg(time.hour(), 2, 10, QChar(u'0'));
            afterHour = true;
        } else if (lower == u'n' || (lower == u'm' && afterHour)) {
            n = run(lower);
            out += n == 1 ? QString::number(time.minute()) : QStringLiteral("%1").arg(time.minute(), 2, 10, QChar(u'0'));
            afterHour = false;
        } else if (lower == u's') {
            n = run(u's');
            out += n == 1 ? QString::number(time.second()) : QStringLiteral("%1").arg(time.second(), 2, 10, QChar(u'0'));
        } else if (lower == u'z') {
            n = run(u'z');
            out += QStringLiteral("%1").arg(time.msec(), 3, 10, QChar(u'0'));
        } else {
            out += c;
            n = 1;
        }
        i += n;
    }
    return out;
}

} // namespace FieldText

// ---------------------------------------------------------------------------

Field::Field(RecordSet* recordSet, const QString& name, FieldType type, int size, Kind kind, int index)
    : m_recordSet(recordSet), m_name(name), m_type(type), m_size(size), m_kind(kind), m_index(index)
{
}

QVariant Field::value() const
{
    RecordSetPrivate* d = m_recordSet->d.get();
    if (m_kind == Kind::Aggregate)
        return d->aggregateValue(m_aggregate);
    const QVariantList* values = d->activeValues();
    return values ? values->at(m_slot) : QVariant();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (isNullValue(v))
        return {};
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldText::floatToText(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    default:
        return v.toString();
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (isNullValue(v))
        return 0;
    if (isNumberType(v.typeId()))
        return v.toDouble();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    double number = 0;
    if (v.typeId() == QMetaType::QString && (v.toString().trimmed().isEmpty() || FieldText::parseNumber(v.toString(), &number)))
        return number;
    m_recordSet->d->fail(QStringLiteral("o valor \"%1\" do campo \"%2\" não é um número.").arg(v.toString(), m_name));
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (isIntegerType(v.typeId()))
        return v.toLongLong();
    return std::llround(asFloat());
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (isNullValue(v))
        return false;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isNumberType(v.typeId()))
        return v.toDouble() != 0;
    return isTrueText(v.toString());
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (isNullValue(v))
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QString)
        return parseDateTimeText(v.toString());
    return {};
}

QDate Field::asDate() const
{
    return asDateTime().date();
}

void Field::setValue(const QVariant& newValue)
{
    RecordSetPrivate* d = m_recordSet->d.get();
    if (m_kind == Kind::Aggregate)
        d->fail(QStringLiteral("o campo agregado \"%1\" não recebe valores.").arg(m_name));
    if (d->calcTarget) {
        if (!isCalculated())
            d->fail(QStringLiteral("OnCalcFields não pode alterar o campo de dados \"%1\".").arg(m_name));
        (*d->calcTarget)[m_slot] = d->coerce(*this, newValue);
        return;
    }
    if (isCalculated())
        d->fail(QStringLiteral("o campo calculado \"%1\" só recebe valor em OnCalcFields.").arg(m_name));
    if (!m_recordSet->isEditing())
        d->fail(QStringLiteral("o campo \"%1\" só pode ser alterado em edição ou inclusão.").arg(m_name));

    const QVariant coerced = d->coerce(*this, newValue);
    if (sameValue(d->buffer.at(m_slot), coerced))
        return;
    const QVariant previous = d->buffer.at(m_slot);
    d->buffer[m_slot] = coerced;
    try {
        if (onValidate) {
            const auto handler = onValidate;
            handler(*this);
        }
        if (d->hasCalculated)
            d->recalcBuffer();
    } catch (...) {
        d->buffer[m_slot] = previous;
        throw;
    }
    d->notifyRowChanged(d->current, d->hasCalculated ? -1 : m_index);
    if (onChange) {
        const auto handler = onChange;
        handler(*this);
    }
}

QVariant Field::oldValue() const
{
    if (m_kind != Kind::Data)
        return {};
    const Row* row = m_recordSet->d->currentRow();
    if (!row || row->pending || row->status == RowStatus::Inserted)
        return {};
    return row->status == RowStatus::Modified ? row->original.at(m_slot) : row->values.at(m_slot);
}

QString Field::text() const
{
    if (m_kind != Kind::Aggregate && !m_recordSet->d->activeValues())
        return {};
    if (onGetText) {
        const auto handler = onGetText;
        return handler(const_cast<Field&>(*this), true);
    }
    return formatText(true);
}

QString Field::editText() const
{
    if (m_kind != Kind::Aggregate && !m_recordSet->d->activeValues())
        return {};
    if (onGetText) {
        const auto handler = onGetText;
        return handler(const_cast<Field&>(*this), false);
    }
    return formatText(false);
}

void Field::setText(const QString& text)
{
    if (onSetText) {
        const auto handler = onSetText;
        handler(*this, text);
        return;
    }
    parseText(text);
}

QString Field::formatText(bool displayText) const
{
    const QVariant v = value();
    if (isNullValue(v))
        return {};
    const QString format = displayText ? m_displayFormat : m_editFormat;
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("Sim") : QStringLiteral("Não");
    case QMetaType::QDate:
        return FieldText::formatDateTime(QDateTime(v.toDate(), QTime(0, 0)),
                                         format.isEmpty() ? QStringLiteral("dd/mm/yyyy") : format);
    case QMetaType::QDateTime:
        return FieldText::formatDateTime(v.toDateTime(),
                                         format.isEmpty() ? QStringLiteral("dd/mm/yyyy hh:nn:ss") : format);
    default:
        if (isIntegerType(v.typeId()))
            return format.isEmpty() ? QString::number(v.toLongLong()) : FieldText::formatNumber(v.toDouble(), format);
        if (isNumberType(v.typeId()))
            return format.isEmpty() ? FieldText::floatToText(v.toDouble()) : FieldText::formatNumber(v.toDouble(), format);
        return v.toString();
    }
}

void Field::parseText(const QString& text)
{
    if (m_type == FieldType::String || m_type == FieldType::Memo) {
        setValue(text.isEmpty() ? QVariant() : QVariant(text));
        return;
    }
    if (text.trimmed().isEmpty()) {
        setValue(QVariant());
        return;
    }
    setValue(m_recordSet->d->coerce(*this, text));
}

// ---------------------------------------------------------------------------

QVariant RecordSetPrivate::coerce(const Field& field, const QVariant& value) const
{
    if (isNullValue(value))
        return {};
    const int typeId = value.typeId();
    auto refuse = [&]() -> QVariant {
        fail(QStringLiteral("\"%1\" não é um valor válido para o campo \"%2\".")
                 .arg(value.toString(), field.displayLabel()));
    };
    switch (field.type()) {
    case FieldType::String:
    case FieldType::Memo: {
        QString text;
        if (typeId == QMetaType::QString)
            text = value.toString();
        else if (typeId == QMetaType::Double || typeId == QMetaType::Float)
            text = FieldText::floatToText(value.toDouble());
        else if (typeId == QMetaType::QDate)
            text = value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        else if (typeId == QMetaType::QDateTime)
            text = value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        else
            text = value.toString();
        if (field.type() == FieldType::String && field.size() > 0 && text.size() > field.size())
            fail(QStringLiteral("o texto \"%1\" (%2 caracteres) excede o tamanho do campo \"%3\" (%4).")
                     .arg(text.left(40))
                     .arg(text.size())
                     .arg(field.displayLabel())
                     .arg(field.size()));
        return text;
    }
    case FieldType::Integer: {
        if (typeId == QMetaType::LongLong)
            return value;
        if (isIntegerType(typeId))
            return QVariant(qlonglong(value.toLongLong()));
        if (typeId == QMetaType::Bool)
            return QVariant(qlonglong(value.toBool() ? 1 : 0));
        double number = 0;
        if (typeId == QMetaType::Double || typeId == QMetaType::Float)
            number = value.toDouble();
        else if (typeId == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return {};
            if (!FieldText::parseNumber(value.toString(), &number))
                return refuse();
        } else
            return refuse();
        if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > 9.007199254740992e15)
            return refuse();
        return QVariant(qlonglong(number));
    }
    case FieldType::Float: {
        if (typeId == QMetaType::Double) {
            if (!std::isfinite(value.toDouble()))
                return refuse();
            return value;
        }
        if (isNumberType(typeId))
            return value.toDouble();
        if (typeId == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return {};
            double number = 0;
            if (!FieldText::parseNumber(value.toString(), &number))
                return refuse();
            return number;
        }
        return refuse();
    }
    case FieldType::Boolean: {
        if (typeId == QMetaType::Bool)
            return value;
        if (isNumberType(typeId))
            return value.toDouble() != 0;
        if (typeId == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return {};
            if (isTrueText(value.toString()))
                return true;
            if (isFalseText(value.toString()))
                return false;
        }
        return refuse();
    }
    case FieldType::Date: {
        if (typeId == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime().isValid() ? QVariant(value.toDateTime().date()) : QVariant();
        if (typeId == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return {};
            const QDateTime parsed = parseDateTimeText(value.toString());
            if (parsed.isValid())
                return parsed.date();
        }
        return refuse();
    }
    case FieldType::DateTime: {
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime().isValid() ? value : QVariant();
        if (typeId == QMetaType::QDate)
            return value.toDate().isValid() ? QVariant(QDateTime(value.toDate(), QTime(0, 0))) : QVariant();
        if (typeId == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return {};
            const QDateTime parsed = parseDateTimeText(value.toString());
            if (parsed.isValid())
                return parsed;
        }
        return refuse();
    }
    }
    return refuse();
}

int compareValues(const QVariant& a, const QVariant& b)
{
    const bool aNull = isNullValue(a);
    const bool bNull = isNullValue(b);
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    const int ta = a.typeId();
    const int tb = b.typeId();
    if (isNumberType(ta) && isNumberType(tb)) {
        if (isIntegerType(ta) && isIntegerType(tb)) {
            const qlonglong x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ta == QMetaType::QString && tb == QMetaType::QString)
        return a.toString().compare(b.toString());
    if ((ta == QMetaType::QDate || ta == QMetaType::QDateTime) && (tb == QMetaType::QDate || tb == QMetaType::QDateTime)) {
        const QDateTime x = ta == QMetaType::QDate ? QDateTime(a.toDate(), QTime(0, 0)) : a.toDateTime();
        const QDateTime y = tb == QMetaType::QDate ? QDateTime(b.toDate(), QTime(0, 0)) : b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ta == QMetaType::Bool && tb == QMetaType::Bool)
        return int(a.toBool()) - int(b.toBool());
    return a.toString().compare(b.toString());
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool aNull = isNullValue(a);
    const bool bNull = isNullValue(b);
    if (aNull || bNull)
        return aNull == bNull;
    if (a.typeId() != b.typeId())
        return compareValues(a, b) == 0;
    return a == b;
}
