#include "ped01100_print.h"

#include "guard.h"
#include "host.h"
#include "loadbpl.h"
#include "messages.h"
#include "taxnumbers.h"
#include "values.h"

#include "netconnection.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const QString screenCode = QStringLiteral("PED01100");

QString field(const DataPacket& packet, int row, const QString& name)
{
    const int column = packet.indexOf(name);
    return column < 0 ? QString() : packet.rows.at(row).at(column).toString();
}

QVariant fieldValue(const DataPacket& packet, int row, const QString& name)
{
    const int column = packet.indexOf(name);
    return column < 0 ? QVariant() : packet.rows.at(row).at(column);
}

QString money(const QVariant& value) { return FormatNumberBR(value.toDouble(), 2); }

QString date(const QVariant& value)
{
    return value.isNull() ? QString() : FormatDateBR(value.toDateTime().date());
}

QString statusText(const QString& code)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("1"), QStringLiteral("Pendente")},  {QStringLiteral("2"), QStringLiteral("Em andamento")},
        {QStringLiteral("3"), QStringLiteral("Liquidado")}, {QStringLiteral("4"), QStringLiteral("Cancelado")},
        {QStringLiteral("5"), QStringLiteral("Liquidado")}, {QStringLiteral("6"), QStringLiteral("Parcialmente atendido")},
    };
    return texts.value(code);
}

QString itemStatusText(const QString& code)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("1"), QStringLiteral("PE")}, {QStringLiteral("2"), QStringLiteral("CF")},
        {QStringLiteral("3"), QStringLiteral("AP")}, {QStringLiteral("4"), QStringLiteral("LQ")},
        {QStringLiteral("5"), QStringLiteral("CN")}, {QStringLiteral("6"), QStringLiteral("LQ")},
        {QStringLiteral("7"), QStringLiteral("PA")},
    };
    return texts.value(code);
}

// A tax number as people read it; one that does not fit its kind as stored.
QString taxNumber(const QString& number, const QString& kind)
{
    if (number.isEmpty())
        return {};
    try {
        return FormatInscricao(number, kind);
    } catch (const std::exception&) {
        return number;
    }
}

QString escaped(const QString& text) { return text.toHtmlEscaped(); }

QString infoRow(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td class='label'>%1</td><td>%2</td></tr>").arg(label, escaped(value));
}

QString codeAndName(const QString& code, const QString& name)
{
    if (code.isEmpty())
        return name;
    return name.isEmpty() ? code : code + QStringLiteral(" - ") + name;
}

QString itemRows(const DataPacket& items, double& total)
{
    QString rows;
    for (int row = 0; row < items.rows.size(); ++row) {
        const bool cancelled = field(items, row, QStringLiteral("IDSITITEMPED")) == QLatin1String("5");
        const double itemTotal = fieldValue(items, row, QStringLiteral("VRTOTALITEM")).toDouble();
        total += itemTotal;
        rows += QStringLiteral("<tr%1><td class='code'>%2</td><td class='code'>%3</td><td>%4</td><td class='code'>%5</td>"
                               "<td class='num'>%6</td><td class='num'>%7</td><td class='num'>%8</td><td class='num'>%9</td>"
                               "<td class='code'>%10</td></tr>")
                    .arg(cancelled ? QStringLiteral(" class='cancelled'") : QString(),
                         QString::number(field(items, row, QStringLiteral("NRITEMPED")).toLongLong()),
                         escaped(field(items, row, QStringLiteral("CDARVPROD"))),
                         escaped(field(items, row, QStringLiteral("NMPRODUTO"))),
                         escaped(field(items, row, QStringLiteral("SGUNIDADE"))),
                         FormatNumberBR(fieldValue(items, row, QStringLiteral("QTITEMPED")).toDouble(), 3),
                         money(fieldValue(items, row, QStringLiteral("VRPREUNITPED"))),
                         money(fieldValue(items, row, QStringLiteral("VRDESITPED"))), money(itemTotal),
                         itemStatusText(field(items, row, QStringLiteral("IDSITITEMPED"))));
    }
    return rows;
}

const char* documentStyle = R"(
  body { font-family: 'DejaVu Sans'; font-size: 9pt; }
  h1 { font-size: 15pt; margin: 0; }
  h2 { font-size: 11pt; margin: 0; }
  .label { color: #444; padding-right: 12px; }
  table.items { border-collapse: collapse; margin-top: 10px; }
  table.items th { background: #d8dde6; border-bottom: 1px solid #555; padding: 3px 5px; text-align: left; white-space: nowrap; }
  table.items td { border-bottom: 1px solid #ccc; padding: 3px 5px; }
  .num { text-align: right; white-space: nowrap; }
  .code { white-space: nowrap; }
  tr.cancelled td { color: #999; }
  .total { font-size: 11pt; font-weight: bold; }
  .note { margin-top: 10px; }
  .footer { color: #666; font-size: 7pt; margin-top: 14px; }
)";

} // namespace

QString orderDocumentHtml(const OrderPrintout& order)
{
    if (order.header.rows.isEmpty())
        throw std::invalid_argument("orderDocumentHtml: no order to print");
    const DataPacket& header = order.header;
    const auto text = [&](const char* name) { return field(header, 0, QLatin1String(name)); };
    const bool quotation = text("IDTIPOPEDIDO") == QLatin1String("2");

    double total = 0;
    const QString rows = itemRows(order.items, total);

    QString html = QStringLiteral("<html><head><style>%1</style></head><body>").arg(QLatin1String(documentStyle));
    html += QStringLiteral("<h2>%1</h2>").arg(escaped(text("NMEMPRESA")));
    html += QStringLiteral("<div>Filial %1%2</div>")
                .arg(escaped(codeAndName(text("CDFILIAL"), text("NMFILIAL"))),
                     text("NRINSJURFILI").isEmpty() ? QString()
                                                    : QStringLiteral(" &nbsp; CNPJ ") + escaped(taxNumber(text("NRINSJURFILI"), QStringLiteral("J"))));
    html += QStringLiteral("<h1>%1 Nº %2</h1>").arg(quotation ? QStringLiteral("Orçamento") : QStringLiteral("Pedido de Venda"),
                                                   escaped(text("NRPEDIDO")));
    html += QStringLiteral("<table>");
    html += infoRow(QStringLiteral("Data do pedido"), date(fieldValue(header, 0, QStringLiteral("DTPEDIDO"))));
    html += infoRow(QStringLiteral("Data de entrega"), date(fieldValue(header, 0, QStringLiteral("DTENTPED"))));
    html += infoRow(QStringLiteral("Situação"), statusText(text("IDSITPEDIDO")));
    html += infoRow(QStringLiteral("Cliente"), codeAndName(text("CDCLIENTE"), text("NMRAZSOCCLIE")));
    if (!text("NRINSJURCLIE").isEmpty())
        html += infoRow(text("IDTPIJURCLIE") == QLatin1String("F") ? QStringLiteral("CPF") : QStringLiteral("CNPJ"),
                        taxNumber(text("NRINSJURCLIE"), text("IDTPIJURCLIE")));
    html += infoRow(QStringLiteral("Vendedor"), codeAndName(text("CDVENDEDOR"), text("NMFANVEN")));
    html += infoRow(QStringLiteral("Pagamento"), text("DSMODPGTO"));
    if (!text("NMFANTTRAN").isEmpty())
        html += infoRow(QStringLiteral("Transportadora"), text("NMFANTTRAN"));
    if (!text("NRORDEMCMPPED").isEmpty())
        html += infoRow(QStringLiteral("Ordem de compra"), text("NRORDEMCMPPED"));
    html += QStringLiteral("</table>");

    html += QStringLiteral("<table class='items' width='100%'><tr><th width='5%'>Item</th><th width='10%'>Produto</th>"
                           "<th width='36%'>Descrição</th><th width='5%'>Un.</th><th class='num' width='10%'>Quantidade</th>"
                           "<th class='num' width='10%'>Preço unit.</th><th class='num' width='8%'>Desconto</th>"
                           "<th class='num' width='11%'>Total</th><th width='5%'>Sit.</th></tr>");
    html += rows.isEmpty() ? QStringLiteral("<tr><td colspan='9'>Pedido sem itens.</td></tr>") : rows;
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p class='total' align='right'>Total do pedido: R$ %1</p>").arg(FormatNumberBR(total, 2));

    const QString note = text("TXOBSPED").trimmed();
    if (!note.isEmpty())
        html += QStringLiteral("<div class='note'><b>Observação</b><br>%1</div>").arg(escaped(note).replace(u'\n', QStringLiteral("<br>")));
    html += QStringLiteral("<div class='footer'>Emitido em %1</div>").arg(FormatDateTimeBR(QDateTime::currentDateTime()));
    html += QStringLiteral("</body></html>");
    return html;
}

TfrmImpPedido::TfrmImpPedido(const OrderPrintout& order, QWidget* parent)
    : QDialog(parent)
    , m_document(std::make_unique<QTextDocument>())
{
    setObjectName(QStringLiteral("TfrmImpPedido"));
    m_title = QStringLiteral("Pedido %1/%2").arg(field(order.header, 0, QStringLiteral("CDFILIAL")),
                                                 field(order.header, 0, QStringLiteral("NRPEDIDO")));
    setWindowTitle(QStringLiteral("Impressão - %1").arg(m_title));
    m_document->setHtml(orderDocumentHtml(order));
    m_document->setMetaInformation(QTextDocument::DocumentTitle, m_title);

    m_preview = new QPrintPreviewWidget(this);
    m_preview->setObjectName(QStringLiteral("pvwPedido"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) { printOn(*printer); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* btnSalvarPdf = buttons->addButton(QStringLiteral("Salvar &PDF..."), QDialogButtonBox::ActionRole);
    btnSalvarPdf->setObjectName(QStringLiteral("btnSalvarPdf"));
    QPushButton* btnImprimir = buttons->addButton(QStringLiteral("&Imprimir..."), QDialogButtonBox::ActionRole);
    btnImprimir->setObjectName(QStringLiteral("btnImprimir"));
    QPushButton* btnFechar = buttons->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    btnFechar->setObjectName(QStringLiteral("btnFechar"));
    connectGuarded(btnSalvarPdf, &QPushButton::clicked, this, &TfrmImpPedido::btnSalvarPdfClick);
    connectGuarded(btnImprimir, &QPushButton::clicked, this, &TfrmImpPedido::btnImprimirClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_preview, 1);
    layout->addWidget(buttons);
    resize(820, 760);
    m_preview->fitToWidth();
}

TfrmImpPedido::~TfrmImpPedido() = default;

// The copy is laid out on the page's printable area, so the page margins are
// the document's only margins and 9 pt text prints as 9 pt.
void TfrmImpPedido::printOn(QPagedPaintDevice& device) const
{
    constexpr int layoutDpi = 96;
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const std::unique_ptr<QTextDocument> page(m_document->clone());
    page->setDocumentMargin(0);
    page->setPageSize(device.pageLayout().paintRectPixels(layoutDpi).size());
    page->print(&device);
}

bool TfrmImpPedido::savePdf(const QString& path) const
{
    {
        QPdfWriter writer(path);
        writer.setTitle(m_title);
        writer.setCreator(screenCode);
        writer.setResolution(300);
        printOn(writer);
    }
    return QFileInfo(path).size() > 0;
}

void TfrmImpPedido::btnSalvarPdfClick()
{
    QString path = host().saveFileName(this, QStringLiteral("Salvar pedido em PDF"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    if (!savePdf(path))
        MensErro(QStringLiteral("Não foi possível gravar o arquivo %1.").arg(path), true);
}

void TfrmImpPedido::btnImprimirClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_title);
    QPrintDialog dialog(&printer, this);
    if (host().execModal(dialog) == QDialog::Accepted)
        printOn(printer);
}

void openPed01100(const QVariantList& args)
{
    const QString branch = args.value(1).toString().trimmed();
    const QString order = args.value(2).toString().trimmed();
    if (branch.isEmpty() || order.isEmpty()) {
        MensErro(QStringLiteral("Nenhum pedido informado para impressão."), false);
        return;
    }
    using namespace Rpc::LanPedido;
    TNetConnection netLanPed(ServerNames::LanPedido);
    const QJsonArray answer = CheckResultServ(netLanPed.call(GetPedidoImpressao, {branch, order})).toArray();
    const OrderPrintout printout{DataPacket::fromJson(answer.at(GetPedidoImpressaoResult::Cabecalho).toObject()),
                                 DataPacket::fromJson(answer.at(GetPedidoImpressaoResult::Itens).toObject())};
    if (printout.header.rows.isEmpty()) {
        MensErro(QStringLiteral("Pedido %1/%2 não encontrado para impressão.").arg(branch, order), false);
        return;
    }
    TfrmImpPedido preview(printout);
    host().execModal(preview);
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(screenCode, openPed01100);
    return true;
}();

} // namespace
