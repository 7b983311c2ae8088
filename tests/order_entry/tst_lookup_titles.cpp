// Every look-up a clerk opens from the order screen and its filter reads in
// Portuguese: no visible column is titled with its database name, CPF/CNPJ
// show punctuated, and a look-up button with nothing to look up is disabled
// rather than failing when pressed. Driven offscreen with the scripted host
// against the real server over a temporary demo database.

#include "lanpedido_screen.h"
#include "scriptedhost.h"

#include "cds_values.h"
#include "field.h"
#include "filtropedidodialog.h"
#include "lanpedido.h"
#include "lookups/pesquisardialog.h"
#include "recordset.h"
#include "store/sql.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbgrid.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest/QtTest>
#include <algorithm>

using namespace PedTest;

namespace {

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

class TstLookupTitles : public QObject, TelaTeste {
    Q_OBJECT

private slots:
    void initTestCase() { abreServidor(QStringLiteral("tst_lookup_titles_demo")); }
    void init() { scripted = std::make_unique<ScriptedHost>(); }
    void cleanup()
    {
        fechaTelaDoTeste();
        liberaHost();
    }
    void cleanupTestCase() { fechaServidor(); }

    void botoesDaTela_data();
    void botoesDaTela();
    void pesquisasDoFiltro_data();
    void pesquisasDoFiltro();
    void procurar_data();
    void procurar();
};

void TstLookupTitles::botoesDaTela_data()
{
    QTest::addColumn<QString>("filial");
    QTest::newRow("0001") << "0001";
    QTest::newRow("0002") << "0002";
}

// Every look-up button of a new order, its customer given (some look-ups
// list what belongs to the customer): each enabled one opens a look-up in
// Portuguese; the customer and seller look-ups lead with the code.
void TstLookupTitles::botoesDaTela()
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
            cruas << colunasCruas(dialog, nome);
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
    for (const char* nome : {"btnCliente", "btnVend"})
        QVERIFY2(abertas.contains(QString::fromLatin1(nome)), nome);
}

void TstLookupTitles::pesquisasDoFiltro_data()
{
    QTest::addColumn<QString>("botao");
    QTest::newRow("clientes") << "btnCliente";
    QTest::newRow("produtos") << "btnProduto";
}

// The look-ups of the order filter.
void TstLookupTitles::pesquisasDoFiltro()
{
    QFETCH(QString, botao);
    abreTela();
    QStringList cruas;
    bool abriu = false;
    scripted->expectDialog(QStringLiteral("TfrmFiltroPedido"), [&](QDialog& filtro) {
        scripted->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            abriu = true;
            cruas = colunasCruas(dialog, botao);
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

void TstLookupTitles::procurar_data()
{
    QTest::addColumn<QString>("pagina");
    QTest::newRow("pedidos") << "tshPadrao";
    QTest::newRow("itens") << "tshItemPedido";
}

// The find dialog offers the columns of the grid on the page, titled as
// there, a name first; never a colour cell nor a database name.
void TstLookupTitles::procurar()
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

QTEST_MAIN(TstLookupTitles)
#include "tst_lookup_titles.moc"
