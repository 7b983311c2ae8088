// The result check every caller applies to a server result.

#include "abort.h"
#include "serverresult.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

class TstCheckResultServ : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();
    void goodResultIsReturnedAndNothingReported();
    void failure_data();
    void failure();

private:
    QList<QPair<QString, int>> m_reported;
};

void TstCheckResultServ::init()
{
    m_reported.clear();
    setServerErrorReporter([this](const QString& message, int code) { m_reported.append({message, code}); });
}

void TstCheckResultServ::cleanupTestCase()
{
    setServerErrorReporter({});
}

void TstCheckResultServ::goodResultIsReturnedAndNothingReported()
{
    const QJsonValue packet = QJsonObject{{"fields", QJsonArray{}}, {"rows", QJsonArray{}}};
    QCOMPARE(CheckResultServ(ServerResult::success(packet)), packet);
    QCOMPARE(CheckResultServ(ServerResult::success(QJsonValue::Null), true, CallerReportsMethodFailure),
             QJsonValue(QJsonValue::Null));
    QVERIFY(m_reported.isEmpty());
}

void TstCheckResultServ::failure_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("abort");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("reported");

    QTest::newRow("method failure aborts") << int(ServerError::MethodFailed) << true << 0 << true;
    QTest::newRow("method failure without abort returns") << int(ServerError::MethodFailed) << false << 0 << true;
    QTest::newRow("kind 10: caller shows its own text") << int(ServerError::MethodFailed) << true << 10 << false;
    QTest::newRow("kind 10 still shows a lost connection") << int(ServerError::ConnectionFailed) << true << 10 << true;
    QTest::newRow("kind 10 still shows an expired session") << int(ServerError::SessionInvalid) << true << 10 << true;
    QTest::newRow("kind 10 without abort") << int(ServerError::MethodFailed) << false << 10 << false;
    QTest::newRow("other kinds show the message") << int(ServerError::MethodFailed) << true << 3 << true;
    QTest::newRow("timeout") << int(ServerError::Timeout) << true << 0 << true;
    QTest::newRow("protocol error") << int(ServerError::InvalidParams) << true << 0 << true;
}

void TstCheckResultServ::failure()
{
    QFETCH(int, code);
    QFETCH(bool, abort);
    QFETCH(int, kind);
    QFETCH(bool, reported);

    const ServerResult result = ServerResult::failure(code, QStringLiteral("SALDO_INSU"));
    bool aborted = false;
    QJsonValue value = QJsonValue::Undefined;
    try {
        value = CheckResultServ(result, abort, kind);
    } catch (const Abort&) {
        aborted = true;
    }

    QCOMPARE(aborted, abort);
    if (!abort)
        QVERIFY(value.isNull());
    QCOMPARE(m_reported.size(), reported ? 1 : 0);
    if (reported) {
        QCOMPARE(m_reported.first().first, QStringLiteral("SALDO_INSU"));
        QCOMPARE(m_reported.first().second, code);
    }
}

QTEST_GUILESS_MAIN(TstCheckResultServ)
#include "tst_checkresultserv.moc"
