// Order numbers: unique per branch, never handed out twice, also when
// several servers call at once and across restarts.

#include "order_numbers.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "topics.h"

#include <QSqlQuery>

namespace {

constexpr int orderNumberDigits = 10;
constexpr qlonglong largestOrderNumber = 9'999'999'999LL;

QString padded(qlonglong number)
{
    return QStringLiteral("%1").arg(number, orderNumberDigits, 10, QLatin1Char('0'));
}

// Advancing the counter is the first statement of the call on purpose: it
// takes the write lock (SQLite) or the row lock (PostgreSQL) before anything
// is read, so parallel callers queue here instead of reading a stale value.
bool advanceCounter(const QSqlDatabase& db, const QString& branch)
{
    return execChange(db, QStringLiteral("UPDATE CONTADORPEDIDO SET NRULTPEDIDO = NRULTPEDIDO + 1 WHERE CDFILIAL = ?"), {branch}) > 0;
}

qlonglong highestStoredOrder(const QSqlDatabase& db, const QString& branch)
{
    const QVariant highest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = ?"), {branch});
    if (highest.isNull())
        return 0;
    bool ok = false;
    const qlonglong number = highest.toString().toLongLong(&ok);
    if (!ok)
        throw MethodError(QStringLiteral("O maior número de pedido da filial %1 (%2) não é numérico.")
                              .arg(branch, highest.toString()).toStdString());
    return number;
}

// The first number of a branch continues after the orders it already has.
void createCounter(const QSqlDatabase& db, const QString& branch)
{
    if (selectValue(db, QStringLiteral("SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = ?"), {branch}).toInt() == 0)
        throw MethodError(QStringLiteral("Filial %1 não cadastrada.").arg(branch).toStdString());
    execChange(db, QStringLiteral("INSERT INTO CONTADORPEDIDO (CDFILIAL, NRULTPEDIDO) VALUES (?, ?)"
                               " ON CONFLICT (CDFILIAL) DO NOTHING"),
            {branch, highestStoredOrder(db, branch)});
}

qlonglong counterValue(const QSqlDatabase& db, const QString& branch)
{
    return selectValue(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {branch}).toLongLong();
}

bool orderExists(const QSqlDatabase& db, const QString& branch, const QString& orderNumber)
{
    return selectValue(db, QStringLiteral("SELECT COUNT(*) FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                       {branch, orderNumber}).toInt() > 0;
}

} // namespace

QString nextOrderNumber(const QSqlDatabase& db, const QString& branch)
{
    if (!advanceCounter(db, branch)) {
        createCounter(db, branch);
        advanceCounter(db, branch);
    }
    qlonglong number = counterValue(db, branch);
    // Orders written around the counter (imports, older data) keep their
    // numbers: the counter jumps past them.
    if (orderExists(db, branch, padded(number))) {
        number = highestStoredOrder(db, branch) + 1;
        execChange(db, QStringLiteral("UPDATE CONTADORPEDIDO SET NRULTPEDIDO = ? WHERE CDFILIAL = ?"), {number, branch});
    }
    if (number > largestOrderNumber)
        throw MethodError(QStringLiteral("Os números de pedido da filial %1 se esgotaram.").arg(branch).toStdString());
    return padded(number);
}

namespace {

QJsonValue getPrxPedido(CallContext& context, QJsonArray& params)
{
    return nextOrderNumber(context.db, params.at(0).toString());
}

} // namespace

void registerLanPedidoNumbering(MethodRegistry& registry)
{
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("GetPrxPedido"),
        {ArgSpec{QStringLiteral("branch"), ArgKind::Text, false, false, QStringLiteral("Branch code (CDFILIAL).")}},
        QStringLiteral("Hands out the branch's next order number. A number is never handed out twice, also not to "
                       "parallel callers; a number whose call is rolled back may be handed out again."),
        QStringLiteral("Text: the number zero-padded to 10 digits, e.g. \"0000000042\". An unknown branch fails "
                       "with \"Filial <code> não cadastrada.\""),
        getPrxPedido,
    });
}
