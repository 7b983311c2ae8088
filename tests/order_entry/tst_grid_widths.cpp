// Every grid of the screens a clerk meets, at a full screen and at a small
// window: no visible column is narrower than its title, and a code column
// shows its whole value; numbers show in the formats of their columns. Driven offscreen with the scripted host against the
// real server over a temporary demo database.

#include "lanpedido_screen.h"
#include "scriptedhost.h"

#include "cds_values.h"
#include "filtropedidodialog.h"
#include "lanpedido.h"
#include "loadbpl.h"
#include "recordset.h"
#include "store/sql.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbgrid.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QtTest/QtTest>

using namespace PedTest;

namespace {

// Codes are the text columns named CD... or NR...; a cut one reads as
// another code.
bool colunaDeCodigo(const QTableView& table, int column)
{
    const auto* grid = qobject_cast<const DBGrid*>(&table);
    if (!grid || column >= grid->columnCount())
        return false;
    const Field* field = grid->column(column).field();
    return field && field->type() == FieldType::String
        && (field->name().startsWith(QLatin1String("CD"), Qt::CaseInsensitive)
            || field->name().startsWith(QLatin1String("NR"), Qt::CaseInsensitive));
}

// What a person cannot read in the tables under `root`, one line each.
QStringList colunasCortadas(QWidget& root, const QString& onde)
{
    QStringList cortadas;
    for (QTableView* table : root.findChildren<QTableView*>()) {
        if (!table->isVisible() || !table->model())
            continue;
        const QHeaderView* header = table->horizontalHeader();
        const int margem = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int column = 0; column < table->model()->columnCount(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const int largura = header->sectionSize(column);
            const QString titulo = table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            if (header->fontMetrics().horizontalAdvance(titulo) + margem > largura)
                cortadas << QStringLiteral("%1 %2: título \"%3\" em %4 px").arg(onde, table->objectName(), titulo).arg(largura);
            if (!colunaDeCodigo(*table, column))
                continue;
            for (int row = 0; row < qMin(table->model()->rowCount(), 50); ++row) {
                const QString valor = table->model()->index(row, column).data(Qt::DisplayRole).toString();
                if (table->fontMetrics().horizontalAdvance(valor) + 4 > largura)
                    cortadas << QStringLiteral("%1 %2: código \"%3\" de \"%4\" em %5 px")
                                    .arg(onde, table->objectName(), valor, titulo).arg(largura);
            }
        }
    }
    return cortadas;
}

} // namespace

class TstGridWidths : public QObject, TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase() { abreServidor(QStringLiteral("tst_grid_widths_demo")); }
    void init() { scripted = std::make_unique<ScriptedHost>(); }
    void cleanup()
    {
        fechaTelaDoTeste();
        liberaHost();
    }
    void cleanupTestCase() { fechaServidor(); }

    void paginasDoPedido_data();
    void paginasDoPedido();
    void pesquisas_data();
    void pesquisas();
    void consultas_data();
    void consultas();
    void formatosDosNumeros_data();
    void formatosDosNumeros();
};

void TstGridWidths::paginasDoPedido_data()
{
    QTest::addColumn<QString>("filial");
    QTest::addColumn<QSize>("janela");
    // 0001 prices by table with lots and taxes; 0002 by price factor, with
    // the factor, second quantity and parent unit columns.
    for (const char* filial : {"0001", "0002"}) {
        QTest::addRow("%s tela cheia", filial) << filial << QSize(1366, 700);
        QTest::addRow("%s janela pequena", filial) << filial << QSize(760, 520);
    }
}

// Every page of an order, its grids filled, at the window size given.
void TstGridWidths::paginasDoPedido()
{
    QFETCH(QString, filial);
    QFETCH(QSize, janela);
    abreTela(filial);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDLANENCARGOPED"), QStringLiteral("S"));
    tela->AplicaParamPedidoSempre();
    LanPedido::Filtro.StatusPedido = {true, true, true, true, true};
    LanPedido::Filtro.TipoPedido = {true, true};
    LanPedido::Filtro.Vendedor = {true, QString()};   // DEMO is no seller: 0002 would list none
    LanPedido::Filtro.Emissao = {true, QDate(), QDate()};
    tela->sbtVerificarClick();
    // The listed order with the most items, so the item and stock grids have rows.
    QString pedido;
    int maisItens = 0;
    for (tela->cdsPedido->first(); !tela->cdsPedido->eof(); tela->cdsPedido->next()) {
        const QString numero = valor(tela->cdsPedido, "NRPEDIDO");
        const int itens = selectValue(demo, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                      {filial, numero}).toInt();
        if (itens > maisItens) {
            maisItens = itens;
            pedido = numero;
        }
    }
    QVERIFY(maisItens > 1);
    QVERIFY(tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido));
    tela->resize(janela);
    QStringList cortadas;
    for (int page = 0; page < tela->pgcPadrao->count(); ++page) {
        if (!tela->pgcPadrao->isTabVisible(page))
            continue;
        tela->selecionaPagina(tela->pgcPadrao->widget(page));
        QCoreApplication::processEvents();
        cortadas << colunasCortadas(*tela, tela->pgcPadrao->tabText(page));
    }
    QVERIFY2(cortadas.isEmpty(), qPrintable(cortadas.join(u'\n')));
    QVERIFY2(scripted->messages().isEmpty(), qPrintable(scripted->messageTexts(MsgType::Error).join(u'\n')));
}

void TstGridWidths::pesquisas_data()
{
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("dialogo");
    QTest::newRow("cliente") << "btnCliente" << "TfrmPesquisa";
    QTest::newRow("vendedor") << "btnVend" << "TfrmPesquisa";
    QTest::newRow("filial destino") << "btnFiliDest" << "TfrmPesquisa";
    QTest::newRow("clientes do filtro") << "btnCliente@filtro" << "TfrmPesquisaLista";
    QTest::newRow("produtos do filtro") << "btnProduto@filtro" << "TfrmPesquisaLista";
}

// The look-ups of the general page and of the order filter.
void TstGridWidths::pesquisas()
{
    QFETCH(QString, botao);
    QFETCH(QString, dialogo);
    abreTela();
    QStringList cortadas;
    auto confere = [&](QDialog& dialog) {
        cortadas = colunasCortadas(dialog, botao);
        dialog.reject();
    };
    if (botao.endsWith(QLatin1String("@filtro"))) {
        const QString nome = botao.section(u'@', 0, 0);
        scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [&](QDialog& filtro) {
            scripted->expectDialog(dialogo, confere);
            auto& dialogoFiltro = static_cast<TfrmFiltroPedido&>(filtro);
            if (nome == u"btnCliente")
                dialogoFiltro.btnClienteClick();
            else
                dialogoFiltro.btnProdutoClick();
            filtro.reject();
        });
        tela->sbtFiltroClick();
    } else {
        tela->selecionaPagina(tela->tshPadrao);
        tela->sbtIncluirClick();
        scripted->expectDialog(dialogo, confere);
        auto* button = tela->findChild<TBtnPesquisa*>(botao);
        QVERIFY(button);
        button->click();
    }
    QVERIFY2(cortadas.isEmpty(), qPrintable(cortadas.join(u'\n')));
}

void TstGridWidths::consultas_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QVariantList>("argumentos");
    QTest::addColumn<QString>("dialogo");
    QTest::newRow("GER00700") << "GER00700" << QVariantList{QStringLiteral("VISUALIZA_CLIENTE"), true, QStringLiteral("000001")}
                              << "TfrmConsultaCliente";
    QTest::newRow("GER23100") << "GER23100" << QVariantList{QStringLiteral("000001"), QStringLiteral("Drogaria São Bento"), QStringLiteral("OK")}
                              << "TfrmPosicaoCliente";
    QTest::newRow("PED04800") << "PED04800" << QVariantList{QStringLiteral("0001")} << "TfrmMensagensVendedor";
}

// The enquiry screens the order screen opens, at their own size and squeezed.
void TstGridWidths::consultas()
{
    QFETCH(QString, codigo);
    QFETCH(QVariantList, argumentos);
    QFETCH(QString, dialogo);
    QStringList cortadas;
    scripted->expectDialog(dialogo, [&](QDialog& dialog) {
        auto* paginas = dialog.findChild<QTabWidget*>();
        for (const QSize& tamanho : {dialog.size(), QSize(640, 420)}) {
            dialog.resize(tamanho);
            for (int page = 0; page < (paginas ? paginas->count() : 1); ++page) {
                if (paginas)
                    paginas->setCurrentIndex(page);
                QCoreApplication::processEvents();
                cortadas << colunasCortadas(dialog, QStringLiteral("%1 %2x%3").arg(codigo).arg(tamanho.width()).arg(tamanho.height()));
            }
        }
        dialog.reject();
    });
    QVERIFY(LoadBPL(codigo, argumentos));
    QVERIFY2(cortadas.isEmpty(), qPrintable(cortadas.join(u'\n')));
}

void TstGridWidths::formatosDosNumeros_data()
{
    QTest::addColumn<QString>("cds");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<double>("valor");
    QTest::addColumn<QString>("texto");
    QTest::newRow("lista: valor total") << "cdsPedido" << "VRTOTALPED" << 7005.68 << "7005,68";
    QTest::newRow("lista: peso bruto") << "cdsPedido" << "VRPBRUVOLPED" << 1234.5 << "1.234,50000";
    QTest::newRow("item: preço") << "cdsItemPedido" << "VRPREUNITPED" << 1234.5 << "1234,50";
    QTest::newRow("item: total") << "cdsItemPedido" << "VrTotal" << 876.944 << "876,94";
    QTest::newRow("item: quantidade") << "cdsItemPedido" << "QTITEMPED" << 145.0 << "145,000";
    QTest::newRow("item: desconto %") << "cdsItemPedido" << "PERDESC" << 2.5 << "2,5000";
    QTest::newRow("estoque: disponível") << "cdsPosiEstoq" << "QTDISPONIVEL" << 1419.0 << "1.419,000";
    QTest::newRow("imposto: alíquota") << "cdsItemProImpos" << "VRPERCIMPOS" << 18.0 << "18,00%";
    QTest::newRow("prazo: parcela") << "cdsPrazoPgto" << "VRPARCELA" << 268.98 << "268,98";
    QTest::newRow("encargo: valor") << "cdsEncargos" << "VRENCARGOPED" << 1234.5 << "1.234,50";
}

// Each number column of the order screen writes its values as its format says.
void TstGridWidths::formatosDosNumeros()
{
    QFETCH(QString, cds);
    QFETCH(QString, campo);
    QFETCH(double, valor);
    QFETCH(QString, texto);
    abreTela();
    auto* recordSet = tela->findChild<RecordSet*>(cds);
    QVERIFY(recordSet);
    QCOMPARE(FieldText::formatNumber(valor, recordSet->fieldByName(campo).displayFormat()), texto);
}

QTEST_MAIN(TstGridWidths)
#include "tst_grid_widths.moc"
