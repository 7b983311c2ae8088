// The method catalogue that the clients call through against what the server
// registers, and the client sources against the catalogue: a method the
// client names must be one the server offers, with the same arguments.

#include "method_catalogue.h"
#include "rpc/app_server.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

MethodSpec specOf(const Rpc::MethodInfo& method)
{
    MethodSpec spec;
    spec.module = method.serverName();
    spec.name = method.methodName();
    for (const Rpc::Arg& arg : method.args)
        spec.args.append(ArgSpec{QStringLiteral("arg"), arg.kind, arg.byReference});
    spec.function = [](CallContext&, QJsonArray&) { return QJsonValue(); };
    return spec;
}

// The folders of the client: everything that runs in the desktop program.
const char* const clientFolders[] = {"order_entry", "order_selection", "item_dialogs", "order_dialogs",
                                     "services", "module", "shell"};

struct SourceLine {
    QString file;
    int number = 0;
    QString text;
};

QList<SourceLine> clientSourceLines()
{
    const QString root = qEnvironmentVariable("PED_SOURCE_DIR");
    QList<SourceLine> lines;
    for (const char* folder : clientFolders) {
        QDirIterator files(root + u'/' + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QStringList text = QString::fromUtf8(file.readAll()).split(u'\n');
            for (int i = 0; i < text.size(); ++i)
                lines.append({file.fileName().mid(root.size() + 1), i + 1, text.at(i)});
        }
    }
    return lines;
}

} // namespace

class TestMethodCatalogue : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyRegisteredMethodIsCataloguedWithItsArguments();
    void everyCataloguedMethodIsRegistered();
    void everyMethodIsDocumentedAndNeedsASession();
    void registeringADifferentMethodIsRefused_data();
    void registeringADifferentMethodIsRefused();
    void methodsAreFoundByExactName();
    void clientSourcesNameMethodsOnlyThroughTheCatalogue();

private:
    MethodRegistry m_registry;
};

void TestMethodCatalogue::initTestCase()
{
    SessionService sessions({});
    try {
        AppServer::registerMethods(m_registry, sessions);
    } catch (const std::logic_error& error) {
        QFAIL(error.what());   // a method registered otherwise than catalogued
    }
}

void TestMethodCatalogue::everyRegisteredMethodIsCataloguedWithItsArguments()
{
    for (const QString& module : m_registry.modules()) {
        for (const MethodSpec* spec : m_registry.methods(module)) {
            const QString label = module + u'.' + spec->name;
            const Rpc::MethodInfo* method = Rpc::findMethod(module, spec->name);
            QVERIFY2(method, qPrintable(label + QStringLiteral(" is not in the catalogue")));
            QCOMPARE(qsizetype(method->args.size()), spec->args.size());
            for (qsizetype i = 0; i < spec->args.size(); ++i) {
                const Rpc::Arg declared{spec->args.at(i).kind, spec->args.at(i).byReference};
                QVERIFY2(declared == method->args[std::size_t(i)],
                         qPrintable(QStringLiteral("%1 argument %2").arg(label).arg(i + 1)));
            }
        }
    }
}

void TestMethodCatalogue::everyCataloguedMethodIsRegistered()
{
    QCOMPARE(m_registry.missingFromCatalogue(), QStringList());
    MethodRegistry partial;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, partial.requireWholeCatalogue());
}

// docs/protocol.md is written from these texts; only Login and Logout run
// without a session, and the order screen's look-ups write nothing.
void TestMethodCatalogue::everyMethodIsDocumentedAndNeedsASession()
{
    const QStringList readOnly = QStringLiteral("GetPgcChange GetItemPedido GetImposPedTot GetImposEncar GetPesqObser "
                                                "GetPedidoImpressao GetCliente GetObser").split(u' ');
    for (const QString& module : m_registry.modules()) {
        for (const MethodSpec* spec : m_registry.methods(module)) {
            const QByteArray label = (module + u'.' + spec->name).toUtf8();
            QVERIFY2(!spec->doc.isEmpty() && !spec->resultDoc.isEmpty(), label);
            for (const ArgSpec& arg : spec->args)
                QVERIFY2(!arg.doc.isEmpty(), label + ' ' + arg.name.toUtf8());
            QVERIFY2(spec->needsSession != (spec->name == QLatin1String("Login") || spec->name == QLatin1String("Logout")), label);
            if (readOnly.contains(spec->name))
                QVERIFY2(spec->readOnly, label);
        }
    }
}

void TestMethodCatalogue::registeringADifferentMethodIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("argumentCount");
    QTest::addColumn<bool>("firstByReference");

    const Rpc::MethodInfo prxPedido = Rpc::LanPedido::GetPrxPedido.info();
    QTest::newRow("misspelt name") << QStringLiteral("GetPrxPedid") << int(prxPedido.args.size()) << false;
    QTest::newRow("one argument too many") << prxPedido.methodName() << int(prxPedido.args.size()) + 1 << false;
    QTest::newRow("one argument short") << prxPedido.methodName() << 0 << false;
    QTest::newRow("by reference where the catalogue has a value") << prxPedido.methodName() << 1 << true;
}

void TestMethodCatalogue::registeringADifferentMethodIsRefused()
{
    QFETCH(QString, name);
    QFETCH(int, argumentCount);
    QFETCH(bool, firstByReference);

    MethodSpec spec = specOf(Rpc::LanPedido::GetPrxPedido.info());
    spec.name = name;
    spec.args = QList<ArgSpec>(argumentCount, ArgSpec{QStringLiteral("arg"), ArgKind::Text, false});
    if (firstByReference)
        spec.args[0].byReference = true;
    MethodRegistry registry;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, registry.add(spec));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, registry.addOutsideCatalogue(specOf(Rpc::LanPedido::GetPrxPedido.info())));
}

void TestMethodCatalogue::methodsAreFoundByExactName()
{
    const Rpc::MethodInfo* found = Rpc::findMethod(ServerNames::LanPedido, QStringLiteral("GetPedido"));
    QVERIFY(found);
    QCOMPARE(found->args.size(), Rpc::LanPedido::GetPedido.args.size());
    QVERIFY(!Rpc::findMethod(ServerNames::LanPedido, QStringLiteral("getpedido")));
    QVERIFY(!Rpc::findMethod(ServerNames::DBGeral, QStringLiteral("GetPedido")));
    QCOMPARE(Rpc::DBGeral::getFilial.info().label(), QStringLiteral("Bib.rdmDBGeral.getFilial"));
}

// The client cannot pass a text as the method of a call (TNetConnection::call
// takes catalogue entries), but a method declared on the side, or a name kept
// in a text, would slip past the server's check until a clerk hits it.
void TestMethodCatalogue::clientSourcesNameMethodsOnlyThroughTheCatalogue()
{
    QSet<QString> registeredNames;
    for (const QString& module : m_registry.modules())
        for (const MethodSpec* spec : m_registry.methods(module))
            registeredNames.insert(spec->name.toLower());
    const QRegularExpression literal(QStringLiteral(R"re("([A-Za-z_][A-Za-z0-9_]*)")re"));
    const QRegularExpression declaration(QStringLiteral(R"re(\b(Method<\s*\d+\s*>|MethodInfo)\s*(\w+\s*)?\{)re"));
    const QRegularExpression callWithText(QStringLiteral(R"re(\b(call|Servidor)\s*\(\s*(QStringLiteral\s*\(|QLatin1String\s*\(|u)?")re"));

    const QList<SourceLine> lines = clientSourceLines();
    QVERIFY2(lines.size() > 1000, "the client sources were not found (PED_SOURCE_DIR)");
    QStringList findings;
    for (const SourceLine& line : lines) {
        const QString where = QStringLiteral("%1:%2: ").arg(line.file).arg(line.number);
        if (line.text.trimmed().startsWith(QLatin1String("//")))
            continue;
        if (callWithText.match(line.text).hasMatch())
            findings.append(where + QStringLiteral("a method named by a text"));
        if (declaration.match(line.text).hasMatch())
            findings.append(where + QStringLiteral("a method declared outside the catalogue"));
        for (auto match = literal.globalMatch(line.text); match.hasNext();) {
            const QString text = match.next().captured(1);
            if (registeredNames.contains(text.toLower()))
                findings.append(where + QStringLiteral("the method name \"%1\" as a text").arg(text));
        }
    }
    QVERIFY2(findings.isEmpty(), qPrintable(findings.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestMethodCatalogue)
#include "tst_method_catalogue.moc"
