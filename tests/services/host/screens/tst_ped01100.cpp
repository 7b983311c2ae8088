// "PED01100", the order print preview, opened through LoadBPL against the
// in-process application server over the demo database.

#include "context.h"
#include "loadbpl.h"
#include "screens/ped01100_print.h"
#include "scriptedhost.h"
#include "serversession.h"
#include "test_server.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <memory>

namespace {

const QString branch = QStringLiteral("0001");
const QString order = QStringLiteral("0000000001");

QString documentText(QDialog& dialog)
{
    return static_cast<TfrmImpPedido&>(dialog).document().toPlainText();
}

DataPacket packet(const QList<FieldDef>& fields, const QList<QVariantList>& rows)
{
    DataPacket result;
    result.fields = fields;
    result.rows = rows;
    return result;
}

FieldDef text(const char* name) { return {QLatin1String(name), FieldType::String, 60}; }
FieldDef number(const char* name) { return {QLatin1String(name), FieldType::Float, 0}; }
FieldDef dateTime(const char* name) { return {QLatin1String(name), FieldType::DateTime, 0}; }

} // namespace

class TestPed01100 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        server = std::make_unique<PedTest::TestServer>();
        QVERIFY(outputDir.isValid());
    }

    void init()
    {
        host = std::make_unique<ScriptedHost>();
        WorkingContext context;
        context.empresa = "01";
        context.filial = branch;
        context.operador = "DEMO";
        context.dataLogin = QDate::currentDate();
        context.webUrl = "127.0.0.1";
        context.webPort = server->port();
        setWorkingContext(context);
        QVERIFY(ServerSession::instance().login("127.0.0.1", server->port(), "DEMO", "demo").ok());
    }

    void cleanup()
    {
        ServerSession::instance().logout();
        clearWorkingContext();
        PED_VERIFY_HOST(*host);
        host.reset();
    }

    void registeredWithLoadBPL() { QVERIFY(isScreenRegistered(QStringLiteral("PED01100"))); }

    void previewShowsTheOrder()
    {
        QString shown;
        host->expectDialog("TfrmImpPedido", [&](QDialog& dialog) {
            shown = documentText(dialog);
            dialog.resize(820, 760);
            QVERIFY(!dialog.grab().isNull());
            keepScreenshot(dialog);
            dialog.reject();
        });
        QVERIFY(LoadBPL(QStringLiteral("PED01100"), {QStringLiteral("M"), branch, order}));
        QVERIFY2(shown.contains(QStringLiteral("Nº ") + order), qPrintable(shown));
        for (const char* expected : {"Cliente", "Vendedor", "Quantidade", "Preço unit.", "Total do pedido: R$ "})
            QVERIFY2(shown.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(QRegularExpression(QStringLiteral("\\d{2}/\\d{2}/\\d{4}")).match(shown).hasMatch());
    }

    // The button asks the host for a file name and writes the PDF there.
    void savesPdf()
    {
        const QString path = outputDir.filePath(QStringLiteral("pedido"));
        host->expectDialog("TfrmImpPedido", [](QDialog& dialog) {
                 dialog.findChild<QPushButton*>(QStringLiteral("btnSalvarPdf"))->click();
                 dialog.reject();
             })
            .expectFileName("PDF", path);
        QVERIFY(LoadBPL(QStringLiteral("PED01100"), {QStringLiteral("M"), branch, order}));
        QFile pdf(path + QStringLiteral(".pdf"));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), "the .pdf extension is added");
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.size() > 5000);
        QVERIFY2(bytes.contains(pdfText(QStringLiteral("Pedido 0001/") + order)), "the PDF carries the order in its title");
    }

    void unwritablePdfIsReported()
    {
        host->expectDialog("TfrmImpPedido", [](QDialog& dialog) {
                 dialog.findChild<QPushButton*>(QStringLiteral("btnSalvarPdf"))->click();
                 dialog.reject();
             })
            .expectFileName("PDF", QStringLiteral("/nenhuma/pasta/pedido.pdf"));
        QVERIFY(LoadBPL(QStringLiteral("PED01100"), {QStringLiteral("M"), branch, order}));
        QCOMPARE(host->messageTexts(MsgType::Error),
                 QStringList{QStringLiteral("Não foi possível gravar o arquivo /nenhuma/pasta/pedido.pdf.")});
    }

    void nothingToPrint_data()
    {
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("Nenhum pedido informado para impressão.");
        QTest::newRow("mode only") << QVariantList{QStringLiteral("M")} << none;
        QTest::newRow("branch without order") << QVariantList{QStringLiteral("M"), branch} << none;
        QTest::newRow("blank order") << QVariantList{QStringLiteral("M"), branch, QStringLiteral("  ")} << none;
        QTest::newRow("unknown order") << QVariantList{QStringLiteral("M"), branch, QStringLiteral("0000099999")}
                                       << QStringLiteral("Pedido 0001/0000099999 não encontrado para impressão.");
    }

    void nothingToPrint()
    {
        QFETCH(QVariantList, args);
        QFETCH(QString, message);
        QVERIFY(LoadBPL(QStringLiteral("PED01100"), args));
        QCOMPARE(host->messageTexts(MsgType::Error), QStringList{message});
    }

    // Brazilian formats, tax numbers as people read them, cancelled items
    // listed but not counted, quotations titled as such.
    void documentFormats()
    {
        const OrderPrintout printout{
            packet({text("NMEMPRESA"), text("CDFILIAL"), text("NMFILIAL"), text("NRPEDIDO"), text("IDTIPOPEDIDO"),
                    text("IDSITPEDIDO"), dateTime("DTPEDIDO"), text("CDCLIENTE"), text("NMRAZSOCCLIE"), text("IDTPIJURCLIE"),
                    text("NRINSJURCLIE"), text("TXOBSPED")},
                   {{"Drogaria Exemplo", "0001", "Matriz", "0000000042", "2", "1", QDateTime(QDate(2026, 3, 9), QTime(10, 0)),
                     "000123", "Hospital <Central>", "J", "11222333000181", "Entregar\npela manhã"}}),
            packet({text("NRITEMPED"), text("CDARVPROD"), text("NMPRODUTO"), text("SGUNIDADE"), text("IDSITITEMPED"),
                    number("QTITEMPED"), number("VRPREUNITPED"), number("VRDESITPED"), number("VRTOTALITEM")},
                   {{"0000000001", "01.001", "Dipirona 500 mg", "CX", "1", 1000.0, 1.235, 0.0, 1235.0},
                    {"0000000002", "01.002", "Soro fisiológico", "UN", "5", 2.0, 10.0, 0.0, 0.0}}),
        };
        QTextDocument document;
        document.setHtml(orderDocumentHtml(printout));
        const QString shown = document.toPlainText();
        for (const char* expected : {"Orçamento Nº 0000000042", "09/03/2026", "11.222.333/0001-81", "Hospital <Central>",
                                     "1.000,000", "1,24", "1.235,00", "Total do pedido: R$ 1.235,00", "CN", "pela manhã"})
            QVERIFY2(shown.contains(QString::fromUtf8(expected)), expected);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, orderDocumentHtml(OrderPrintout{}));
    }

private:
    // PED_SCREENSHOT_DIR set: the preview window and its first page are kept there to look at.
    static void keepScreenshot(QDialog& dialog)
    {
        const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        dialog.grab().save(folder + QStringLiteral("/ped01100.png"));
        QTextDocument& document = static_cast<TfrmImpPedido&>(dialog).document();
        document.setPageSize(QSizeF(794, 1123));   // A4 at 96 dpi
        QImage page(794, 1123, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        document.drawContents(&painter, QRectF(0, 0, 794, 1123));
        painter.end();
        page.save(folder + QStringLiteral("/ped01100_page.png"));
    }

    // PDF text strings hold UTF-16 with a byte-order mark, in hex or literal form.
    static QByteArray pdfText(const QString& text)
    {
        QByteArray utf16("\xFE\xFF", 2);
        for (const QChar c : text) {
            utf16.append(char(c.unicode() >> 8));
            utf16.append(char(c.unicode() & 0xFF));
        }
        return utf16;
    }

    std::unique_ptr<PedTest::TestServer> server;
    std::unique_ptr<ScriptedHost> host;
    QTemporaryDir outputDir{QDir::tempPath() + QStringLiteral("/ped01100-XXXXXX")};
};

QTEST_MAIN(TestPed01100)
#include "tst_ped01100.moc"
