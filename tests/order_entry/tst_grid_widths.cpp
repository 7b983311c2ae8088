// Every grid and look-up of the screens a clerk meets, at a full screen and
// at a small window: no visible column is narrower than its title or titled
// with its database name, a code column shows its whole value, CPF/CNPJ show
// punctuated, numbers show in the formats of their columns, and a look-up
// button with nothing to look up is disabled rather than failing when
// pressed. Driven offscreen with the scripted host against the real server
// over a temporary demo database.

#include "lanpedido_testcase.h"

#include "cds_values.h"
#include "field.h"
#include "filtropedidodialog.h"
#include "lanpedido.h"
#include "loadbpl.h"
#include "lookups/pesquisardialog.h"
#include "recordset.h"
#include "store/sql.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbgrid.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QtTest/QtTest>
#include <algorithm>

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

// The ERP names its columns by a kind prefix and a mnemonic in capitals.
bool nomeDeBanco(const QString& title)
{
    static const QRegularExpression nome(QStringLiteral("^(CD|NM|NR|DS|ID|VR|QT|DT|SG|TX|PE)[A-Z0-9_]+$"));
    return nome.match(title).hasMatch();
}

// What a clerk would not understand in the tables of `dialog`, one line each.
QStringList colunasCruas(QDialog& dialog, const QString& onde)
{
    QStringList cruas;
    for (QTableView* table : dialog.findChildren<QTableView*>()) {
        if (!table->model())
            continue;
        const auto* grid = qobject_cast<DBGrid*>(table);
        for (int column = 0; column < table->model()->columnCount(); ++column) {
            if (table->horizontalHeader()->isSectionHidden(column))
                continue;
            const QString titulo = table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            if (nomeDeBanco(titulo))
                cruas << QStringLiteral("%1: coluna \"%2\"").arg(onde, titulo);
            const Field* field = grid && column < grid->columnCount() ? grid->column(column).field() : nullptr;
            if (!field || !field->name().startsWith(QLatin1String("NRINSJUR")))
                continue;
            for (int row = 0; row < qMin(table->model()->rowCount(), 20); ++row) {
                const QString valor = table->model()->index(row, column).data(Qt::DisplayRole).toString();
                if (!valor.isEmpty() && !valor.contains(u'-'))
                    cruas << QStringLiteral("%1: CPF/CNPJ \"%2\" sem máscara").arg(onde, valor);
            }
        }
    }
    return cruas;
}

// The visible titles of a look-up's grid.
QStringList titulos(QDialog& dialog)
{
    QStringList lista;
    auto* table = dialog.findChild<QTableView*>();
    for (int column = 0; table && column < table->model()->columnCount(); ++column)
        if (!table->horizontalHeader()->isSectionHidden(column))
            lista << table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return lista;
}

} // namespace

class TstGridWidths : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void paginasDoPedido_data();
    void paginasDoPedido();
    void botoesDaTela_data();
    void botoesDaTela();
    void pesquisasDoFiltro_data();
    void pesquisasDoFiltro();
    void procurar_data();
    void procurar();
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
}

void TstGridWidths::botoesDaTela_data()
{
    QTest::addColumn<QString>("filial");
    QTest::newRow("0001") << "0001";
    QTest::newRow("0002") << "0002";
}

// Every look-up button of a new order, its customer given (some look-ups
// list what belongs to the customer): each enabled one opens a look-up in
// Portuguese whose columns fit; the customer and seller look-ups lead with
// the code.
void TstGridWidths::botoesDaTela()
{
    QFETCH(QString, filial);
    abreTela(filial);
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
    tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).clear();
    tela->cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE"))
        .setValue(selectValue(demo, QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = '000105'")));
    tela->Vd_Cliente(false, false);
    scripted->clear();

    QStringList cruas;
    QStringList abertas;
    QList<TBtnPesquisa*> botoes = tela->findChildren<TBtnPesquisa*>();
    std::sort(botoes.begin(), botoes.end(), [](auto* a, auto* b) { return a->objectName() < b->objectName(); });
    for (TBtnPesquisa* botao : botoes) {
        const QString nome = botao->objectName();
        if (!botao->hasLookup()) {
            if (botao->isEnabled())
                cruas << nome + QStringLiteral(": sem pesquisa e habilitado");
            continue;
        }
        if (!botao->isEnabled())
            continue;
        bool abriu = false;
        scripted->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            abriu = true;
            cruas << colunasCruas(dialog, nome) << colunasCortadas(dialog, nome);
            const QStringList vistos = titulos(dialog);
            if ((nome == u"btnCliente" || nome == u"btnVend") && vistos.value(0) != u"Código")
                cruas << QStringLiteral("%1: começa por \"%2\", não pelo código").arg(nome, vistos.value(0));
            if (nome == u"btnVend" && vistos.contains(QStringLiteral("Comissão (%)")))
                cruas << nome + QStringLiteral(": mostra a comissão dos vendedores");
            dialog.reject();
        });
        botao->click();
        // A look-up with nothing to list says so in its own words.
        const QStringList erros = scripted->messageTexts(MsgType::Error);
        for (const QString& erro : erros)
            if (erro.contains(QLatin1String("sem origem")))
                cruas << QStringLiteral("%1: \"%2\"").arg(nome, erro);
        if (abriu)
            abertas << nome;
        scripted->clear();
    }
    QVERIFY2(cruas.isEmpty(), qPrintable(cruas.join(u'\n')));
    QStringList esperadas{QStringLiteral("btnCliente"), QStringLiteral("btnVend")};
    if (filial == u"0001")   // 0002 uses no destination branch
        esperadas << QStringLiteral("btnFiliDest");
    for (const QString& nome : esperadas)
        QVERIFY2(abertas.contains(nome), qPrintable(nome));
}

void TstGridWidths::pesquisasDoFiltro_data()
{
    QTest::addColumn<QString>("botao");
    QTest::newRow("clientes") << "btnCliente";
    QTest::newRow("produtos") << "btnProduto";
}

// The look-ups of the order filter.
void TstGridWidths::pesquisasDoFiltro()
{
    QFETCH(QString, botao);
    abreTela();
    QStringList cruas;
    bool abriu = false;
    scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [&](QDialog& filtro) {
        scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            abriu = true;
            cruas = colunasCruas(dialog, botao) + colunasCortadas(dialog, botao);
            dialog.reject();
        });
        auto& dialogoFiltro = static_cast<TfrmFiltroPedido&>(filtro);
        if (botao == u"btnCliente")
            dialogoFiltro.btnClienteClick();
        else
            dialogoFiltro.btnProdutoClick();
        filtro.reject();
    });
    tela->sbtFiltroClick();
    QVERIFY(abriu);
    QVERIFY2(cruas.isEmpty(), qPrintable(cruas.join(u'\n')));
}

void TstGridWidths::procurar_data()
{
    QTest::addColumn<QString>("pagina");
    QTest::newRow("pedidos") << "tshPadrao";
    QTest::newRow("itens") << "tshItemPedido";
}

// The find dialog offers the columns of the grid on the page, titled as
// there, a name first; never a colour cell nor a database name.
void TstGridWidths::procurar()
{
    QFETCH(QString, pagina);
    abreTela();
    LanPedido::Filtro.StatusPedido = {true, true, true, true, true};
    LanPedido::Filtro.Emissao = {true, QDate(), QDate()};
    tela->sbtVerificarClick();
    tela->selecionaPagina(tela->findChild<QWidget*>(pagina));
    QStringList oferecidos;
    QString primeiro;
    scripted->expectDialog(QStringLiteral("TfrmProcura"), [&](QDialog& dialog) {
        auto* campos = dialog.findChild<QComboBox*>(QStringLiteral("cbbCampo"));
        for (int i = 0; i < campos->count(); ++i)
            oferecidos << campos->itemText(i);
        primeiro = campos->currentText();
        dialog.reject();
    });
    tela->sbtProcurarClick();
    QVERIFY(!oferecidos.isEmpty());
    for (const QString& titulo : oferecidos)
        QVERIFY2(!nomeDeBanco(titulo), qPrintable(titulo));
    QVERIFY2(!oferecidos.contains(QStringLiteral("Rent.")), qPrintable(oferecidos.join(u'|')));
    QVERIFY2(primeiro == (pagina == u"tshPadrao" ? QStringLiteral("Cliente/Filial Destino") : QStringLiteral("Nome do Produto")),
             qPrintable(primeiro));
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
