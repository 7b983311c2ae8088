#include "kept_statements.h"

#include "sql.h"

#include <QSqlDriver>
#include <unordered_map>

namespace {

// Enough for every fixed statement of the server; statements built with a
// varying text (IN lists, the columns a change sets) must not grow it
// without end, so a full set starts again.
constexpr std::size_t MaxStatementsPerConnection = 256;

// A child of the connection's driver: removing the connection deletes the
// driver, which deletes its kept statements with it, in the thread that
// removes it and after the driver let go of the database.
class ConnectionStatements : public QObject {
public:
    explicit ConnectionStatements(QSqlDriver* driver) : QObject(driver) {}
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> statements;
};

ConnectionStatements* statementsOf(QSqlDriver* driver, bool create)
{
    for (QObject* child : driver->children())
        if (auto* statements = dynamic_cast<ConnectionStatements*>(child))
            return statements;
    return create ? new ConnectionStatements(driver) : nullptr;
}

} // namespace

KeptStatement::KeptStatement(const QSqlDatabase& db, const QString& sql)
    : m_sql(sql)
{
    ConnectionStatements* connection = statementsOf(db.driver(), true);
    m_connection = connection;
    if (auto kept = connection->statements.extract(sql)) {
        m_query = std::move(kept.mapped());
        return;
    }
    m_query = std::make_unique<QSqlQuery>(db);
    m_query->setForwardOnly(true);
    if (!m_query->prepare(sql))
        throwQueryError(*m_query, sql);
}

KeptStatement::KeptStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
    : KeptStatement(db, sql)
{
    exec(values);
}

KeptStatement::~KeptStatement()
{
    // Reset, so that a kept SELECT holds no read lock nor pending rows.
    m_query->finish();
    auto* connection = static_cast<ConnectionStatements*>(m_connection.data());
    if (!connection)
        return;   // the connection went meanwhile
    if (connection->statements.size() >= MaxStatementsPerConnection)
        connection->statements.clear();
    connection->statements.try_emplace(m_sql, std::move(m_query));
}

QSqlQuery& KeptStatement::exec(const QVariantList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query->bindValue(int(i), values.at(i));
    if (!m_query->exec())
        throwQueryError(*m_query, m_sql);
    return *m_query;
}

void forgetStatements(const QSqlDatabase& db)
{
    if (db.driver())
        delete statementsOf(db.driver(), false);
}
