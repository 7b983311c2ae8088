#include "rpcarg.h"

#include "datapacket.h"
#include "iso_datetime.h"

#include <limits>

namespace {

// The data packet's own formatting, so both travel in one wire form; an
// invalid date is how Qt spells "no date" and goes as null.
QJsonValue dateValue(const QDate& date)
{
    return date.isValid() ? valueToJson(date, FieldType::Date) : QJsonValue(QJsonValue::Null);
}

QJsonValue dateTimeValue(const QDateTime& dateTime)
{
    return dateTime.isValid() ? valueToJson(dateTime, FieldType::DateTime) : QJsonValue(QJsonValue::Null);
}

// A date output may come as a date alone (midnight) or as a date-time.
QDateTime dateTimeFromWire(const QString& text)
{
    return parseIsoLenient(text);
}

QString kindName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null: return QStringLiteral("nulo");
    case QJsonValue::Bool: return QStringLiteral("lógico");
    case QJsonValue::Double: return QStringLiteral("número");
    case QJsonValue::String: return QStringLiteral("texto");
    case QJsonValue::Array: return QStringLiteral("lista de valores");
    case QJsonValue::Object: return QStringLiteral("pacote de dados");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("ausente");
}

QString expected(const QString& what, const QJsonValue& output)
{
    return QStringLiteral("esperado %1, recebido %2").arg(what, kindName(output));
}

bool isWholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return number == static_cast<double>(static_cast<qint64>(number))
           && number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
}

bool isWireDate(const QJsonValue& value)
{
    return value.isNull() || (value.isString() && dateTimeFromWire(value.toString()).isValid());
}

} // namespace

RpcArg::RpcArg(const QString& text) : m_value(text) {}
RpcArg::RpcArg(const char* text) : m_value(QString::fromUtf8(text)) {}
RpcArg::RpcArg(bool value) : m_value(value) {}
RpcArg::RpcArg(int value) : m_value(value) {}
RpcArg::RpcArg(double value) : m_value(value) {}
RpcArg::RpcArg(const QDate& date) : m_value(dateValue(date)) {}
RpcArg::RpcArg(const QDateTime& dateTime) : m_value(dateTimeValue(dateTime)) {}
RpcArg::RpcArg(const QJsonObject& packet) : m_value(packet) {}
RpcArg::RpcArg(const QJsonArray& values) : m_value(values) {}
RpcArg::RpcArg(const QJsonValue& value) : m_value(value) {}
RpcArg::RpcArg(const DataPacket& packet) : m_value(packet.toJson()) {}
RpcArg::RpcArg(const Delta& delta)
    : m_value(delta.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(delta.toJson()))
{
}
RpcArg::RpcArg(std::nullptr_t) : m_value(QJsonValue::Null) {}

template<typename T>
RpcArg RpcArg::referenceTo(T& variable)
{
    RpcArg arg;
    arg.m_target = &variable;
    return arg;
}

RpcArg RpcArg::ref(QString& text) { return referenceTo(text); }
RpcArg RpcArg::ref(bool& value) { return referenceTo(value); }
RpcArg RpcArg::ref(int& value) { return referenceTo(value); }
RpcArg RpcArg::ref(double& value) { return referenceTo(value); }
RpcArg RpcArg::ref(QDate& date) { return referenceTo(date); }
RpcArg RpcArg::ref(QDateTime& dateTime) { return referenceTo(dateTime); }
RpcArg RpcArg::ref(QJsonObject& packet) { return referenceTo(packet); }
RpcArg RpcArg::ref(QJsonValue& value) { return referenceTo(value); }

QJsonValue RpcArg::toJson() const
{
    struct Visitor {
        const QJsonValue& byValue;
        QJsonValue operator()(std::monostate) const { return byValue; }
        QJsonValue operator()(QString* text) const { return *text; }
        QJsonValue operator()(bool* value) const { return *value; }
        QJsonValue operator()(int* value) const { return *value; }
        QJsonValue operator()(double* value) const { return *value; }
        QJsonValue operator()(QDate* date) const { return dateValue(*date); }
        QJsonValue operator()(QDateTime* dateTime) const { return dateTimeValue(*dateTime); }
        QJsonValue operator()(QJsonObject* packet) const { return *packet; }
        QJsonValue operator()(QJsonValue* value) const { return *value; }
    };
    return std::visit(Visitor{m_value}, m_target);
}

QString RpcArg::mismatch(const QJsonValue& output) const
{
    struct Visitor {
        const QJsonValue& out;
        QString operator()(std::monostate) const { return {}; }
        QString operator()(QString*) const
        {
            return out.isString() || out.isNull() ? QString() : expected(QStringLiteral("texto"), out);
        }
        QString operator()(bool*) const
        {
            return out.isBool() ? QString() : expected(QStringLiteral("lógico"), out);
        }
        QString operator()(int*) const
        {
            return isWholeNumber(out) ? QString() : expected(QStringLiteral("número inteiro"), out);
        }
        QString operator()(double*) const
        {
            return out.isDouble() ? QString() : expected(QStringLiteral("número"), out);
        }
        QString operator()(QDate*) const
        {
            return isWireDate(out) ? QString() : expected(QStringLiteral("data"), out);
        }
        QString operator()(QDateTime*) const
        {
            return isWireDate(out) ? QString() : expected(QStringLiteral("data e hora"), out);
        }
        QString operator()(QJsonObject*) const
        {
            return out.isObject() || out.isNull() ? QString() : expected(QStringLiteral("pacote de dados"), out);
        }
        QString operator()(QJsonValue*) const
        {
            return out.isUndefined() ? expected(QStringLiteral("um valor"), out) : QString();
        }
    };
    return std::visit(Visitor{output}, m_target);
}

void RpcArg::assign(const QJsonValue& output) const
{
    struct Visitor {
        const QJsonValue& out;
        void operator()(std::monostate) const {}
        void operator()(QString* text) const { *text = out.isNull() ? QString() : out.toString(); }
        void operator()(bool* value) const { *value = out.toBool(); }
        void operator()(int* value) const { *value = out.toInt(); }
        void operator()(double* value) const { *value = out.toDouble(); }
        void operator()(QDate* date) const
        {
            *date = out.isNull() ? QDate() : dateTimeFromWire(out.toString()).date();
        }
        void operator()(QDateTime* dateTime) const
        {
            *dateTime = out.isNull() ? QDateTime() : dateTimeFromWire(out.toString());
        }
        void operator()(QJsonObject* packet) const { *packet = out.toObject(); }
        void operator()(QJsonValue* value) const { *value = out; }
    };
    std::visit(Visitor{output}, m_target);
}
