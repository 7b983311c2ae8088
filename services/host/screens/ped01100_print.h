#pragma once
// "PED01100": the printed copy of one order (company and branch, number,
// dates, customer, seller, items with quantities, prices and totals) in a
// print preview that prints or saves a PDF.
//
// LoadBPL("PED01100", {"M", branch, order number}) opens it: it reads the
// order with GetPedidoImpressao and runs the preview through the host's
// execModal. Without an order number it says that there is no order to
// print. The screen registers itself with LoadBPL when the host library
// loads.

#include "datapacket.h"

#include <QDialog>
#include <QString>
#include <QVariantList>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QPrintPreviewWidget;
class QTextDocument;

// The order as the server returns it for printing: [header, items].
struct OrderPrintout {
    DataPacket header;   // one row; none when the order does not exist
    DataPacket items;
};

// The document, in Brazilian formats. An order without rows throws
// std::invalid_argument.
QString orderDocumentHtml(const OrderPrintout& order);

class TfrmImpPedido : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImpPedido(const OrderPrintout& order, QWidget* parent = nullptr);
    ~TfrmImpPedido() override;

    QTextDocument& document() const { return *m_document; }
    QString title() const { return m_title; }   // "Pedido 0001/0000000012"

    // Writes the document as a PDF file; false when the file cannot be written.
    bool savePdf(const QString& path) const;

public slots:
    void btnSalvarPdfClick();
    void btnImprimirClick();

private:
    void printOn(QPagedPaintDevice& device) const;

    std::unique_ptr<QTextDocument> m_document;
    QPrintPreviewWidget* m_preview = nullptr;
    QString m_title;
};

// LoadBPL's entry for "PED01100": args ["M", branch, order number].
void openPed01100(const QVariantList& args);
