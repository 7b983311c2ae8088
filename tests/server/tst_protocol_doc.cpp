// docs/protocol.md carries a method reference generated from the registry;
// this test fails as soon as the two differ.

#include "rpc/app_server.h"
#include "rpc/protocol_doc.h"

#include <QFile>
#include <QtTest>

class TestProtocolDoc : public QObject {
    Q_OBJECT

private slots:
    void documentMatchesRegistry();
    void referenceReplacesOnlyTheMarkedSection();
    void missingMarkersAreAnError();
};

void TestProtocolDoc::documentMatchesRegistry()
{
    MethodRegistry registry;
    SessionService sessions({});
    AppServer::registerMethods(registry, sessions);

    QFile file(qEnvironmentVariable("PED_SOURCE_DIR") + QStringLiteral("/docs/protocol.md"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QString document = QString::fromUtf8(file.readAll());
    const QString expected = withMethodReference(document, methodReference(registry));
    if (document == expected)
        return;
    const QStringList have = document.split(QLatin1Char('\n'));
    const QStringList want = expected.split(QLatin1Char('\n'));
    qsizetype line = 0;
    while (line < have.size() && line < want.size() && have[line] == want[line])
        ++line;
    QFAIL(qPrintable(QStringLiteral(
        "docs/protocol.md is out of date with the registered methods (first difference at line %1: "
        "document has \"%2\", registry gives \"%3\"); regenerate it with "
        "`build/bin/pedserver --update-protocol-doc docs/protocol.md` in the source folder")
        .arg(line + 1).arg(have.value(line), want.value(line))));
}

void TestProtocolDoc::referenceReplacesOnlyTheMarkedSection()
{
    const QString document = QStringLiteral("intro\n") + ProtocolDocBeginMarker + QStringLiteral("\nold\n")
        + ProtocolDocEndMarker + QStringLiteral("\nend\n");
    QCOMPARE(withMethodReference(document, QStringLiteral("new\n")),
             QStringLiteral("intro\n") + ProtocolDocBeginMarker + QStringLiteral("\n\nnew\n")
                 + ProtocolDocEndMarker + QStringLiteral("\nend\n"));
}

void TestProtocolDoc::missingMarkersAreAnError()
{
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, withMethodReference(QStringLiteral("no markers"), QString()));
}

QTEST_GUILESS_MAIN(TestProtocolDoc)
#include "tst_protocol_doc.moc"
