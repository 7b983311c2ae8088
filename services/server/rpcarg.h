#pragma once
// One positional argument of a server call. A by-value argument is copied
// into the request; a by-reference one (RpcArg::ref) points at the caller's
// variable: its current value is sent, and the value the server wrote into
// it is stored back when the call succeeds.
//
//   QString stModPgto = ...;
//   net->call(Rpc::LanPedido::GetPgcChange, {cliente, empenho, " ", modalidade, " ",
//                                            RpcArg::ref(stModPgto), filial, pedido, situacao});
//
// Wire form: text -> string, boolean -> true/false, integer and float ->
// number, date -> "yyyy-MM-dd", date-time -> "yyyy-MM-ddTHH:mm:ss", data
// packet or delta -> object, value array -> array. An invalid date, an empty
// delta and nullptr travel as null.

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <cstddef>
#include <type_traits>
#include <variant>

struct DataPacket;
struct Delta;

class RpcArg {
public:
    RpcArg(const QString& text);
    RpcArg(const char* text);
    RpcArg(bool value);
    RpcArg(int value);
    // Every other integer type (qsizetype, qint64, uint, ...) as a number.
    template<typename Integer>
        requires std::is_integral_v<Integer> && (!std::is_same_v<Integer, bool>) && (!std::is_same_v<Integer, int>)
    RpcArg(Integer value) : m_value(qint64(value)) {}
    RpcArg(double value);
    RpcArg(const QDate& date);
    RpcArg(const QDateTime& dateTime);
    RpcArg(const QJsonObject& packet);
    RpcArg(const QJsonArray& values);
    RpcArg(const QJsonValue& value);
    RpcArg(const DataPacket& packet);
    RpcArg(const Delta& delta);
    RpcArg(std::nullptr_t);

    static RpcArg ref(QString& text);           // null output -> null QString
    static RpcArg ref(bool& value);
    static RpcArg ref(int& value);
    static RpcArg ref(double& value);
    static RpcArg ref(QDate& date);             // null output -> invalid date
    static RpcArg ref(QDateTime& dateTime);     // null output -> invalid date-time
    static RpcArg ref(QJsonObject& packet);     // null output -> empty object
    static RpcArg ref(QJsonValue& value);       // any output, null included

    bool isReference() const { return !std::holds_alternative<std::monostate>(m_target); }

    // The value sent: for a reference, the variable's value at call time.
    QJsonValue toJson() const;

    // Why `output` cannot be stored in the referenced variable (empty when it
    // can). Checked for every output before any is stored, so a bad answer
    // leaves all of the caller's variables untouched.
    QString mismatch(const QJsonValue& output) const;
    void assign(const QJsonValue& output) const;   // after mismatch() came back empty

private:
    using Target = std::variant<std::monostate, QString*, bool*, int*, double*, QDate*,
                                QDateTime*, QJsonObject*, QJsonValue*>;
    // Private, so that a braced argument list shorter than the method's
    // (std::array<RpcArg, N>, see TNetConnection::call) does not compile.
    RpcArg() = default;
    template<typename T> static RpcArg referenceTo(T& variable);

    QJsonValue m_value;
    Target m_target;
};
