#include "abort.h"
#include "lookupquery.h"
#include "lookups/locate.h"
#include "lookups/lookupcolumns.h"
#include "lookups/pesquisalista.h"
#include "lookups/pesquisalistadialog.h"
#include "lookups/pesquisar.h"
#include "lookups/pesquisardialog.h"
#include "widgets/dbgrid.h"
#include "widgettestdata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest/QTest>

namespace {

void press(QDialog& dialog, const char* buttonName)
{
    auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(buttonName));
    QVERIFY2(button, buttonName);
    button->click();
}

void search(QDialog& dialog, const QString& text)
{
    auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
    pesquisa.searchBox()->clear();
    QTest::keyClicks(pesquisa.searchBox(), text);
    pesquisa.searchNow();
}

std::unique_ptr<RecordSet> makeCodes(const QStringList& codes)
{
    auto cds = std::make_unique<RecordSet>(QStringLiteral("cdsOrigem"));
    cds->addField(QStringLiteral("IDMARCADO"), FieldType::String, 1);
    cds->addField(QStringLiteral("NRORIGEM"), FieldType::String, 10).setDisplayLabel(QStringLiteral("Código"));
    cds->addField(QStringLiteral("NMORIGEM"), FieldType::String, 40).setDisplayLabel(QStringLiteral("Nome"));
    DataPacket packet;
    packet.fields = cds->fieldDefs();
    for (const QString& code : codes)
        packet.rows.append(QVariantList{QStringLiteral("N"), code, QStringLiteral("Origem %1").arg(code)});
    cds->setData(packet);
    return cds;
}

} // namespace

class TestLookups : public QObject, private WidgetTestBed {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useTestLook();
    }

    void init()
    {
        setUp();
    }

    void cleanup()
    {
        tearDown();
    }

    void pesquisarStandsOnTheRowChosen_data()
    {
        QTest::addColumn<bool>("plus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("chosen");   // empty: nothing to confirm

        QTest::newRow("beginning of a name") << false << "mar" << 1 << "Maria Oliveira";
        QTest::newRow("accents and capitals alike") << false << "JOAO" << 1 << "João Pereira";
        QTest::newRow("two begin alike, the first") << false << "jo" << 2 << "José da Silva";
        QTest::newRow("inside the name is not a beginning") << false << "silva" << 0 << "";
        QTest::newRow("plus finds inside") << true << "silva" << 1 << "José da Silva";
        QTest::newRow("plus, accents alike") << true << "DAVILA" << 0 << "";
        QTest::newRow("plus with the quote") << true << "d'avila" << 1 << "Distribuidora D'Ávila Ltda";
        QTest::newRow("empty text shows all") << false << "" << 5 << "José da Silva";
    }

    void pesquisarStandsOnTheRowChosen()
    {
        QFETCH(bool, plus);
        QFETCH(QString, typed);
        QFETCH(int, shown);
        QFETCH(QString, chosen);

        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
            QCOMPARE(pesquisa.fieldList()->currentText(), QStringLiteral("Nome"));   // NM... comes first
            search(dialog, typed);
            QCOMPARE(pesquisa.shownRowCount(), shown);
            QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->isEnabled(), shown > 0);
            if (chosen.isEmpty()) {
                QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                         QStringLiteral("Texto não encontrado."));
                press(dialog, "btnOk");   // refused: nothing to choose
                QVERIFY(dialog.isVisible());
                press(dialog, "btnCancelar");
                return;
            }
            press(dialog, "btnOk");
        });
        const bool confirmed = plus ? Pesquisar_Plus(*cds, QStringLiteral("Cliente")) : Pesquisar(*cds, QStringLiteral("Cliente"));
        QCOMPARE(confirmed, !chosen.isEmpty());
        if (confirmed)
            QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), chosen);
        else
            QCOMPARE(cds->currentRow(), 0);
    }

    void cancelPutsTheRecordSetBack()
    {
        cds->setCurrentRow(3);
        int scrolls = 0;
        cds->afterScroll = [&](RecordSet&) { ++scrolls; };
        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            search(dialog, QStringLiteral("ana"));
            QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Ana Paula Souza"));
            press(dialog, "btnCancelar");
        });
        QVERIFY(!Pesquisar(*dts, QStringLiteral("Cliente")));
        QCOMPARE(cds->currentRow(), 3);
        QVERIFY(scrolls >= 2);
    }

    void emptySourceFailsWithTheCallersText_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("inactive");
        QTest::addColumn<QString>("message");

        QTest::newRow("text after the bar") << "Produto|Não há produto cadastrado." << false << "Não há produto cadastrado.";
        QTest::newRow("long text after the bar") << "Município|Não há município cadastrado para os clientes informados."
                                                 << false << "Não há município cadastrado para os clientes informados.";
        QTest::newRow("built from the name") << "Cliente" << false << "Não há cliente cadastrado(a).";
        QTest::newRow("leading digit dropped") << "1Vendedor" << false << "Não há vendedor cadastrado(a).";
        QTest::newRow("closed record set") << "Filial|Não há filial cadastrada." << true << "Não há filial cadastrada.";
    }

    void emptySourceFailsWithTheCallersText()
    {
        QFETCH(QString, title);
        QFETCH(bool, inactive);
        QFETCH(QString, message);
        cds->emptyDataSet();
        if (inactive)
            cds->close();
        QVERIFY_THROWS_EXCEPTION(Abort, Pesquisar(*cds, title));
        QCOMPARE(host->messageTexts(MsgType::Error), QStringList{message});
        QString list = QStringLiteral("'0001'");
        QVERIFY_THROWS_EXCEPTION(Abort, PesquisaLista(*cds, QStringLiteral("CDCLIENTE"), title, false, list));
        QCOMPARE(list, QStringLiteral("'0001'"));
        QCOMPARE(host->messageTexts(MsgType::Error), (QStringList{message, message}));
        host->clear();
    }

    void typingInTheGridGoesOnInTheSearchBox()
    {
        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
            pesquisa.grid()->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(pesquisa.grid(), 'a');
            QTest::keyClick(pesquisa.grid(), 'n');
            QTest::keyClick(pesquisa.grid(), 'x');
            QTest::keyClick(pesquisa.grid(), Qt::Key_Backspace);
            QTest::keyClick(pesquisa.grid(), '`');
            QCOMPARE(pesquisa.searchBox()->text(), QStringLiteral("AN"));   // upper case chosen
            pesquisa.searchNow();
            QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Ana Paula Souza"));
            press(dialog, "btnOk");
        });
        PesquisaOpcoes options;
        options.upperCase = true;
        QVERIFY(Pesquisar(*cds, QStringLiteral("Cliente"), options));
        QCOMPARE(cds->currentRow(), 2);
    }

    void enterAndDoubleClickConfirm()
    {
        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
            QTest::keyClicks(pesquisa.searchBox(), QStringLiteral("joao"));
            QTest::keyClick(pesquisa.searchBox(), Qt::Key_Return);   // searches at once and confirms
        });
        QVERIFY(Pesquisar(*cds, QStringLiteral("Cliente")));
        QCOMPARE(cds->currentRow(), 3);

        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
            const QRect cell = pesquisa.grid()->visualRect(pesquisa.grid()->model()->index(1, 1));
            QTest::mouseDClick(pesquisa.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        });
        QVERIFY(Pesquisar(*cds, QStringLiteral("Cliente")));
        QCOMPARE(cds->currentRow(), 1);
    }

    void aQueryStandsOnTheChosenRow()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lookups"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            QSqlQuery sql(db);
            QVERIFY(sql.exec(QStringLiteral("CREATE TABLE MODPGTO (CDMODPGTO TEXT, DSMODPGTO TEXT)")));
            QVERIFY(sql.exec(QStringLiteral("INSERT INTO MODPGTO VALUES ('001', 'Boleto 30 dias'), "
                                            "('002', 'Cartão de crédito'), ('003', 'Dinheiro')")));
            LookupQuery qryModPgto(QStringLiteral("qryModPgto"), db,
                                   QStringLiteral("SELECT CDMODPGTO, DSMODPGTO FROM MODPGTO ORDER BY CDMODPGTO"));
            host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
                auto& pesquisa = static_cast<TfrmPesquisa&>(dialog);
                QCOMPARE(pesquisa.grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
                QCOMPARE(pesquisa.fieldList()->currentText(), QStringLiteral("Descrição"));
                search(dialog, QStringLiteral("cartao"));
                press(dialog, "btnOk");
            });
            PesquisaOpcoes options;
            options.columns = {{QStringLiteral("CDMODPGTO"), QStringLiteral("Código")},
                               {QStringLiteral("DSMODPGTO"), QStringLiteral("Descrição")}};
            QVERIFY(Pesquisar(qryModPgto, QStringLiteral("Modalidade"), options));
            QCOMPARE(qryModPgto.currentRow(), 1);
            QCOMPARE(qryModPgto.fieldByName(QStringLiteral("CDMODPGTO")).asString(), QStringLiteral("002"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("lookups"));
    }

    void codeLists_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fault");   // empty: the text reads back as the codes

        QTest::newRow("none") << QStringList{} << "" << "";
        QTest::newRow("one") << QStringList{"0001"} << "'0001'" << "";
        QTest::newRow("several") << QStringList{"0001", "0002", "0010"} << "'0001'_'0002'_'0010'" << "";
        QTest::newRow("a quote doubled") << QStringList{"D'AV", "0003"} << "'D''AV'_'0003'" << "";
        QTest::newRow("an underscore stays inside quotes") << QStringList{"A_B", "C"} << "'A_B'_'C'" << "";
        QTest::newRow("SQL-looking code stays one code") << QStringList{"x' OR '1'='1"} << "'x'' OR ''1''=''1'" << "";
        QTest::newRow("blanks kept") << QStringList{" 12 ", ""} << "' 12 '_''" << "";
        QTest::newRow("no quotes") << QStringList{} << "0001" << "posição 0";
        QTest::newRow("comma between") << QStringList{} << "'0001','0002'" << "posição 6";
        QTest::newRow("unclosed") << QStringList{} << "'0001" << "posição 5";
        QTest::newRow("trailing separator") << QStringList{} << "'0001'_" << "posição 7";
        QTest::newRow("leading separator") << QStringList{} << "_'0001'" << "posição 0";
        QTest::newRow("blank between") << QStringList{} << "'0001' _'0002'" << "posição 6";
    }

    // Codes are quoted and joined; a malformed text is refused, naming where.
    void codeLists()
    {
        QFETCH(QStringList, codes);
        QFETCH(QString, text);
        QFETCH(QString, fault);
        if (fault.isEmpty()) {
            QCOMPARE(listText(codes), text);
            QCOMPARE(listTextCodes(text), codes);
            return;
        }
        try {
            listTextCodes(text);
            QFAIL("a malformed list was read");
        } catch (const ListTextError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(fault), error.what());
        }
    }

    void pesquisaListaReturnsTheCheckedCodes()
    {
        auto origins = makeCodes({"0001", "D'AV", "0003", "0004"});
        QString list = QStringLiteral("'0001'_'0004'");
        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            auto& lista = static_cast<TfrmPesquisaLista&>(dialog);
            QCOMPARE(lista.checkedCodes(), (QStringList{"0001", "0004"}));
            QCOMPARE(lista.table()->model()->columnCount(), 3);   // the mark column is the dialog's own
            QVERIFY(lista.setChecked(QStringLiteral("0001"), false));
            QVERIFY(lista.setChecked(QStringLiteral("D'AV"), true));
            QVERIFY(!lista.setChecked(QStringLiteral("9999"), true));
            // Narrowed by the search, "Marcar todos" marks only what is shown.
            QTest::keyClicks(lista.searchBox(), QStringLiteral("origem 0003"));
            lista.searchNow();
            QCOMPARE(lista.shownRowCount(), 1);
            press(dialog, "btnMarcarTodos");
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                     QStringLiteral("3 selecionados · 1 de 4 mostrados"));
            press(dialog, "btnOk");
        });
        QVERIFY(PesquisaLista(*origins, QStringLiteral("NRORIGEM"), QStringLiteral("Origem"), false, list));
        QCOMPARE(list, QStringLiteral("'D''AV'_'0003'_'0004'"));
        QCOMPARE(listTextCodes(list), (QStringList{"D'AV", "0003", "0004"}));
        QCOMPARE(origins->currentRow(), 0);   // the list is read, never scrolled
    }

    void pesquisaListaCancelKeepsTheList()
    {
        QString list = QStringLiteral("'0002'");
        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            auto& lista = static_cast<TfrmPesquisaLista&>(dialog);
            lista.checkAllShown(true);
            press(dialog, "btnCancelar");
        });
        QVERIFY(!PesquisaLista(*cds, QStringLiteral("CDCLIENTE"), QStringLiteral("Cliente"), false, list));
        QCOMPARE(list, QStringLiteral("'0002'"));

        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            static_cast<TfrmPesquisaLista&>(dialog).checkAllShown(false);
            press(dialog, "btnOk");
        });
        QVERIFY(PesquisaLista(*cds, QStringLiteral("CDCLIENTE"), QStringLiteral("Cliente"), false, list));
        QCOMPARE(list, QString());
    }

    void pesquisaListaCanRequireAChoice()
    {
        QString list;
        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            press(dialog, "btnOk");
            QVERIFY(dialog.isVisible());
            QVERIFY(host->hasMessage(QStringLiteral("Nenhum item foi selecionado.")));
            static_cast<TfrmPesquisaLista&>(dialog).setChecked(QStringLiteral("0005"), true);
            press(dialog, "btnOk");
        });
        QVERIFY(PesquisaLista(*cds, QStringLiteral("CDCLIENTE"), QStringLiteral("Cliente"), true, list));
        QCOMPARE(list, QStringLiteral("'0005'"));
        host->clear();
    }

    void pesquisaListaDropsAnUnreadableList()
    {
        QString list = QStringLiteral("0001,0002");
        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            QVERIFY(static_cast<TfrmPesquisaLista&>(dialog).checkedCodes().isEmpty());
            press(dialog, "btnCancelar");
        });
        QVERIFY(!PesquisaLista(*cds, QStringLiteral("CDCLIENTE"), QStringLiteral("Cliente"), false, list));
        QCOMPARE(host->messageTexts(MsgType::Warning),
                 QStringList{QStringLiteral("A lista de códigos anterior não pôde ser lida e foi descartada.")});
        QCOMPARE(list, QStringLiteral("0001,0002"));
        host->clear();
    }

    void locateFindsByText_data()
    {
        QTest::addColumn<bool>("plus");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");   // -1: not found, the record set stays

        QTest::newRow("identical wins over an earlier beginning") << false << "NMCLIENTE" << "joão pereira" << 3;
        QTest::newRow("beginning") << false << "NMCLIENTE" << "ana" << 2;
        QTest::newRow("accents ignored") << false << "NMCLIENTE" << "JOSE" << 0;
        QTest::newRow("inside needs plus") << false << "NMCLIENTE" << "oliveira" << -1;
        QTest::newRow("inside with plus") << true << "NMCLIENTE" << "oliveira" << 1;
        QTest::newRow("by display text") << false << "VRLIMITE" << "3.703,50" << 2;
        QTest::newRow("blank text finds nothing") << true << "NMCLIENTE" << "  " << -1;
        QTest::newRow("absent") << true << "NMCLIENTE" << "xyz" << -1;
    }

    void locateFindsByText()
    {
        QFETCH(bool, plus);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, row);
        cds->setCurrentRow(4);
        const bool found = plus ? LocateAllPlus(*cds, field, text) : LocateAll(*cds, field, text);
        QCOMPARE(found, row >= 0);
        QCOMPARE(cds->currentRow(), row >= 0 ? row : 4);
    }

    void locateOnTheServerReplacesTheRows()
    {
        QStringList asked;
        const ServerSearch search = [&](const QString& field, const QString& text) {
            asked << field + "=" + text;
            DataPacket found;
            found.fields = cds->fieldDefs();
            found.rows.append(QVariantList{"0100", "Pedro Alves", 10.0, QDate(2026, 1, 1), "S"});
            found.rows.append(QVariantList{"0101", "Pedro Cabral", 20.0, QDate(2026, 1, 2), "S"});
            return found;
        };
        QVERIFY(LocateAllServ(*cds, QStringLiteral("NMCLIENTE"), QStringLiteral("cabral"), search));
        QCOMPARE(asked, QStringList{"NMCLIENTE=cabral"});
        QCOMPARE(cds->recordCount(), 2);
        QCOMPARE(cds->fieldByName("CDCLIENTE").asString(), QStringLiteral("0101"));
        QVERIFY_THROWS_EXCEPTION(RecordSetError, LocateAllServ(*cds, QStringLiteral("NMX"), QStringLiteral("a"), search));
        QCOMPARE(asked.size(), 1);
    }

    void procuraFindsTheNextMatch()
    {
        cds->setCurrentRow(0);
        host->expectDialog(QStringLiteral("TfrmProcura"), [&](QDialog& dialog) {
            // A name is what a clerk looks for first.
            QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cbbCampo"))->currentText(), QStringLiteral("Nome"));
            auto* text = dialog.findChild<QLineEdit*>(QStringLiteral("edtTexto"));
            text->setText(QStringLiteral("nada disso"));
            press(dialog, "btnProcurar");
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Texto não encontrado."));
            text->setText(QStringLiteral("SOUZA"));
            press(dialog, "btnProcurar");
        });
        QVERIFY(Procura(*cds, QStringLiteral("Procurar itens")));
        QCOMPARE(cds->currentRow(), 2);

        host->expectDialog(QStringLiteral("TfrmProcura"), [&](QDialog& dialog) {
            dialog.findChild<QComboBox*>(QStringLiteral("cbbCampo"))->setCurrentText(QStringLiteral("Código"));
            dialog.findChild<QCheckBox*>(QStringLiteral("chbParte"))->setChecked(false);
            dialog.findChild<QLineEdit*>(QStringLiteral("edtTexto"))->setText(QStringLiteral("0002"));
            press(dialog, "btnProcurar");   // after the current row, wrapping to the start
        });
        QVERIFY(Procura(*cds));
        QCOMPARE(cds->currentRow(), 1);
    }

    // Over a grid, Procura offers what the grid shows, titled as there: hidden
    // columns and colour cells (no text to find) are left out.
    void procuraOffersTheGridsColumns()
    {
        auto* grid = new DBGrid(window.get());
        grid->setDataSource(dts);
        grid->addColumn(QStringLiteral("IDATIVO"), QStringLiteral("Cor")).setColorFieldName(QStringLiteral("IDATIVO"));
        grid->addColumn(QStringLiteral("CDCLIENTE"), QStringLiteral("Cliente"));
        grid->addColumn(QStringLiteral("VRLIMITE")).setVisible(false);
        grid->addColumn(QStringLiteral("NMCLIENTE"), QStringLiteral("Razão Social"));
        grid->addColumn(QStringLiteral("DTCADASTRO"));
        host->expectDialog(QStringLiteral("TfrmProcura"), [&](QDialog& dialog) {
            auto* fields = dialog.findChild<QComboBox*>(QStringLiteral("cbbCampo"));
            QStringList offered;
            for (int i = 0; i < fields->count(); ++i)
                offered << fields->itemText(i);
            QCOMPARE(offered, (QStringList{"Cliente", "Razão Social", "Cadastro"}));
            QCOMPARE(fields->currentText(), QStringLiteral("Razão Social"));
            dialog.findChild<QLineEdit*>(QStringLiteral("edtTexto"))->setText(QStringLiteral("joão"));
            press(dialog, "btnProcurar");
        });
        QVERIFY(Procura(*grid));
        QCOMPARE(cds->fieldByName(QStringLiteral("NMCLIENTE")).asString(), QStringLiteral("João Pereira"));
    }

    void lookupColumnsReadAsTheClerksDo_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("label");     // its own label; "" none
        QTest::addColumn<QString>("kind");      // IDTPIJUR... beside it; "-" no such field
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("seller code") << "CDVENDEDOR" << "" << "-" << "0003" << "Código" << "0003";
        QTest::newRow("seller name") << "NMFANVEN" << "" << "-" << "João" << "Vendedor" << "João";
        QTest::newRow("own label kept") << "NMFANVEN" << "Representante" << "-" << "João" << "Representante" << "João";
        QTest::newRow("CPF by its kind") << "NRINSJURCLIE" << "" << "F" << "52998224725" << "CPF/CNPJ" << "529.982.247-25";
        QTest::newRow("CNPJ by its kind") << "NRINSJURCLIE" << "" << "J" << "11222333000181" << "CPF/CNPJ" << "11.222.333/0001-81";
        QTest::newRow("CNPJ by its length") << "NRINSJURVEN" << "" << "-" << "11222333000181" << "CPF/CNPJ" << "11.222.333/0001-81";
    }

    // A look-up titles the ERP's columns in Portuguese and punctuates CPF/CNPJ,
    // hiding the person kind; the record set gets its own labels back after.
    void lookupColumnsReadAsTheClerksDo()
    {
        QFETCH(QString, field);
        QFETCH(QString, label);
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        RecordSet rows(QStringLiteral("qryPesq"));
        rows.addField(field, FieldType::String, 20).setDisplayLabel(label);
        const QString kindField = QStringLiteral("IDTPIJUR") + field.mid(8);
        if (kind != u"-")
            rows.addField(kindField, FieldType::String, 1);
        DataPacket packet;
        packet.fields = rows.fieldDefs();
        packet.rows.append(kind == u"-" ? QVariantList{value} : QVariantList{value, kind});
        rows.setData(packet);
        {
            const ApresentacaoPesquisa apresentacao(rows);
            QCOMPARE(rows.fieldByName(field).displayLabel(), title);
            QCOMPARE(rows.fieldByName(field).text(), shown);
            if (kind != u"-")
                QVERIFY(!rows.fieldByName(kindField).isVisible());
        }
        QCOMPARE(rows.fieldByName(field).displayLabel(), label.isEmpty() ? field : label);
        QCOMPARE(rows.fieldByName(field).text(), value);
        if (kind != u"-")
            QVERIFY(rows.fieldByName(kindField).isVisible());
    }

    void screenshotsOfTheDialogs()
    {
        RecordSet produtos(QStringLiteral("cdsProduto"));
        produtos.addField(QStringLiteral("CDARVPROD"), FieldType::String, 15).setDisplayLabel(QStringLiteral("Código"));
        produtos.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 50).setDisplayLabel(QStringLiteral("Produto"));
        produtos.addField(QStringLiteral("SGUNIDADE"), FieldType::String, 3).setDisplayLabel(QStringLiteral("Un."));
        Field& preco = produtos.addField(QStringLiteral("VRPRECO"), FieldType::Float);
        preco.setDisplayLabel(QStringLiteral("Preço"));
        preco.setDisplayFormat(QStringLiteral("#,##0.00"));
        produtos.addField(QStringLiteral("DTULTALT"), FieldType::Date).setDisplayLabel(QStringLiteral("Alterado em"));
        const QStringList names{"Amoxicilina 500 mg cx 21 cáps", "Amoxicilina 875 mg cx 14 comp", "Dipirona sódica 1 g cx 10 comp",
                                "Dipirona gotas 500 mg/ml 20 ml", "Luva de procedimento M cx 100", "Paracetamol 500 mg cx 20 comp",
                                "Paracetamol 750 mg cx 20 comp", "Seringa 5 ml sem agulha", "Soro fisiológico 0,9% 500 ml",
                                "Termômetro digital"};
        DataPacket packet;
        packet.fields = produtos.fieldDefs();
        for (int i = 0; i < names.size(); ++i)
            packet.rows.append(QVariantList{QStringLiteral("1.0%1.%2").arg(i % 3 + 1).arg(i * 37 + 11, 4, 10, QLatin1Char('0')),
                                            names[i], i == 4 ? "CX" : "UN", 3.5 + i * 11.37,
                                            QDate(2026, 2, 1).addDays(i * 3)});
        produtos.setData(packet);

        host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
            search(dialog, QStringLiteral("para"));
            QVERIFY(QFileInfo::exists(saveShot(dialog, QStringLiteral("shot_pesquisar.png"))));
            press(dialog, "btnOk");
        });
        QVERIFY(Pesquisar_Plus(produtos, QStringLiteral("Produto|Não há produto cadastrado.")));

        QString list = QStringLiteral("'1.01.0011'_'1.01.0122'");
        host->expectDialog(QStringLiteral("TfrmPesquisaLista"), [&](QDialog& dialog) {
            static_cast<TfrmPesquisaLista&>(dialog).setChecked(QStringLiteral("1.03.0085"), true);
            QVERIFY(QFileInfo::exists(saveShot(dialog, QStringLiteral("shot_pesquisalista.png"))));
            press(dialog, "btnOk");
        });
        QVERIFY(PesquisaLista(produtos, QStringLiteral("CDARVPROD"), QStringLiteral("Produto"), false, list));
        QCOMPARE(listTextCodes(list).size(), 3);
    }
};

QTEST_MAIN(TestLookups)
#include "tst_lookups.moc"
