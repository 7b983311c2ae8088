// The confirm action of the order screen against the in-process server over
// the demo database: what stops it before anything is sent, the minimum
// order value with product findings authorised, the modality discount, a
// lost connection retried under one idempotency key, and a declined review.

#include "lanpedido_testcase.h"

#include "abort.h"
#include "cds_values.h"
#include "consisteproduto.h"
#include "money.h"
#include "netconnection.h"
#include "recordset.h"
#include "rules/confirmation.h"
#include "rules/order_values.h"
#include "screens/ped00105_revisao.h"
#include "store/sql.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QJsonDocument>
#include <QLineEdit>
#include <QSpinBox>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTcpSocket>
#include <optional>

using namespace PedTest;

namespace {

// Between the screen and the server: passes every call on, except that it
// drops the connection of the next `quedas` SetConfirma requests without an
// answer, as a network that fails does. It counts the SetConfirma requests
// and keeps their Idempotency-Key headers.
class Intermediario : public QObject {
public:
    explicit Intermediario(quint16 portaDoServidor) : m_portaDoServidor(portaDoServidor)
    {
        m_escuta.listen(QHostAddress::LocalHost);
        connect(&m_escuta, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* cliente = m_escuta.nextPendingConnection())
                connect(cliente, &QTcpSocket::readyRead, this, [this, cliente] { atende(cliente); });
        });
    }
    quint16 porta() const { return m_escuta.serverPort(); }

    int quedas = 0;
    QStringList chaves;   // of each SetConfirma request, in order
    QJsonArray ultimos;   // the arguments of the last SetConfirma

private:
    void atende(QTcpSocket* cliente)
    {
        QByteArray& pedido = m_recebido[cliente];
        pedido += cliente->readAll();
        const qsizetype fimCabecalho = pedido.indexOf("\r\n\r\n");
        if (fimCabecalho < 0)
            return;
        const QByteArray cabecalho = pedido.left(fimCabecalho);
        qsizetype tamanho = 0;
        QByteArray chave;
        for (const QByteArray& linha : cabecalho.split('\n')) {
            const QByteArray limpa = linha.trimmed();
            if (limpa.toLower().startsWith("content-length:"))
                tamanho = limpa.mid(15).trimmed().toLongLong();
            if (limpa.toLower().startsWith("idempotency-key:"))
                chave = limpa.mid(16).trimmed();
        }
        if (pedido.size() < fimCabecalho + 4 + tamanho)
            return;
        const QByteArray inteiro = pedido.left(fimCabecalho + 4 + tamanho);
        pedido.remove(0, inteiro.size());
        if (inteiro.contains("\"SetConfirma\"")) {
            ultimos = QJsonDocument::fromJson(inteiro.mid(fimCabecalho + 4)).object().value(u"params").toArray();
            chaves << QString::fromLatin1(chave);
            if (quedas > 0) {
                --quedas;
                m_recebido.remove(cliente);
                cliente->abort();
                cliente->deleteLater();
                return;
            }
        }
        cliente->write(repassa(inteiro));
    }

    QByteArray repassa(const QByteArray& inteiro) const
    {
        QTcpSocket servidor;
        servidor.connectToHost(QHostAddress::LocalHost, m_portaDoServidor);
        if (!servidor.waitForConnected(5000))
            return {};
        servidor.write(inteiro);
        QByteArray resposta;
        for (;;) {
            if (!servidor.waitForReadyRead(30000))
                return resposta;
            resposta += servidor.readAll();
            const qsizetype fim = resposta.indexOf("\r\n\r\n");
            if (fim < 0)
                continue;
            qsizetype tamanho = 0;
            for (const QByteArray& linha : resposta.left(fim).split('\n'))
                if (linha.trimmed().toLower().startsWith("content-length:"))
                    tamanho = linha.trimmed().mid(15).trimmed().toLongLong();
            if (resposta.size() >= fim + 4 + tamanho)
                return resposta;
        }
    }

    QTcpServer m_escuta;
    quint16 m_portaDoServidor;
    QHash<QTcpSocket*, QByteArray> m_recebido;
};

} // namespace

class TstConfirmation : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void consultaNaoEnvia();
    void soUmaPagina_data();
    void soUmaPagina();
    void quantidadeInvalida();
    void valorMinimo_data();
    void valorMinimo();
    void descontoDaModalidade();
    void reconexoes();
    void comissaoRecusada();
    void parcelaZerada_data();
    void parcelaZerada();
    void alteradoPorOutro();
    void prazosGerados();

private:
    void antesDoTeste() override
    {
        abreTela();
        intermediario = std::make_unique<Intermediario>(server->port());
        const quint16 porta = intermediario->porta();
        tela->netLanPed->BeforeConnect = [porta](TNetConnection& conexao) {
            conexao.setHost(QStringLiteral("127.0.0.1"));
            conexao.setPort(porta);
        };
        tela->netLanPed->Reconnect();
    }
    void depoisDoTeste() override { intermediario.reset(); }

    // A pending demo order of branch 0001 on the items page, in edit; each
    // test that stores takes an order of its own.
    QString abrePedido(const QString& pedido = QStringLiteral("0000000025"))
    {
        mostraPedido(pedido);
        tela->selecionaPagina(tela->tshFormaPgto);   // its stored terms come
        tela->selecionaPagina(tela->tshItemPedido);
        tela->cdsPedido->edit();
        return pedido;
    }
    // The order alone in the list, no page of it shown yet.
    void mostraPedido(const QString& pedido)
    {
        // The demo's delivery dates lie in the past, which the header check
        // refuses; an item's needs an hour.
        const QDate entrega = QDate::currentDate().addDays(10);
        server->execSql(QStringLiteral("UPDATE PEDIDO SET DTENTPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                        {entrega.toString(Qt::ISODate), pedido});
        server->execSql(QStringLiteral("UPDATE ITEMPEDIDO SET DTENTITPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                        {QDateTime(entrega, QTime(10, 0)).toString(Qt::ISODate), pedido});
        tela->cdsPedido->setData(orderRows(demo, QStringLiteral("PEDIDO"), tela->cdsPedido->fieldDefs(),
                                           QStringLiteral("0001"), pedido));
        tela->dtsPadraoStateChange();
    }
    // The order's items as stored now, put back when the guard ends: an item
    // posted on the screen is priced again, which later tests must not see.
    auto itensDeVolta(const QString& pedido)
    {
        QSqlQuery linhas = execSql(demo, QStringLiteral("SELECT * FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido});
        const QSqlRecord colunas = linhas.record();
        QStringList atribuicoes;
        for (int i = 0; i < colunas.count(); ++i)
            atribuicoes << colunas.fieldName(i) + QStringLiteral(" = ?");
        QList<QVariantList> itens;
        while (linhas.next()) {
            QVariantList valores;
            for (int i = 0; i < colunas.count(); ++i)
                valores << linhas.value(i);
            itens << valores + QVariantList{pedido, linhas.value(colunas.indexOf(QStringLiteral("NRITEMPED")))};
        }
        const QString sql = QStringLiteral("UPDATE ITEMPEDIDO SET %1 WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?")
                                .arg(atribuicoes.join(QStringLiteral(", ")));
        return qScopeGuard([this, sql, itens] {
            for (const QVariantList& item : itens)
                server->execSql(sql, item);
        });
    }
    // Presses Confirm; false when the action stopped with a message.
    bool confirma()
    {
        try {
            tela->sbtConfirmarClick();
        } catch (const Abort&) {
            return false;
        } catch (const std::exception&) {
            return false;   // a script failure: the host's verification reports it
        }
        return true;
    }
    double valorDoPedido() const
    {
        const auto total = [this](const char* nome) -> std::optional<double> {
            const Field& field = campo(tela->cdsItemPedido, nome);
            return field.text().isEmpty() ? std::nullopt : std::optional<double>(field.asFloat());
        };
        return RegrasPedido::valorParaMinimo({total("VRTOTAPROD"), total("VRTOTADESCPED"), total("VRTOTABONIFPED")});
    }
    // The product findings of the first submission are authorised.
    void autorizaAchados()
    {
        scripted->expectDialog(QStringLiteral("TfrmConsisteProduto"), [](QDialog& dialogo) {
            static_cast<TfrmConsisteProduto&>(dialogo).responde(QStringLiteral("Autoriza"));
        });
    }
    // The branch's minimum order value lifted until the guard goes.
    auto semValorMinimo()
    {
        server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET VRMINPEDIDO = 0 WHERE CDFILIAL = '0001'"));
        return qScopeGuard([this] {
            server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET VRMINPEDIDO = 50 WHERE CDFILIAL = '0001'"));
        });
    }
    QList<QVariantList> prazosGravados(const QString& pedido)
    {
        return server->rows(QStringLiteral("SELECT NRDIASPGTOPED, VRPERCPGTOPED FROM PRAZOPGTOPED WHERE CDFILIAL = '0001'"
                                           " AND NRPEDIDO = ? ORDER BY NRDIASPGTOPED"),
                            {pedido});
    }
    QVariant gravado(const QString& sql, const QVariantList& valores = {})
    {
        return selectValue(demo, sql, valores);
    }

    std::unique_ptr<Intermediario> intermediario;
};

// Confirm on an order that is only being looked at shows it as stored and
// sends nothing.
void TstConfirmation::consultaNaoEnvia()
{
    QVERIFY(temLinhas(tela->cdsPedido));
    const QString pedido = valor(tela->cdsPedido, "NRPEDIDO");
    QVERIFY(confirma());
    QCOMPARE(intermediario->chaves.size(), 0);
    QCOMPARE(valor(tela->cdsPedido, "NRPEDIDO"), pedido);
    QVERIFY(!scripted->busyVisible());
}

// A quantity in exponent notation stops the confirmation before anything
// is sent; the order stays in edit.
void TstConfirmation::quantidadeInvalida()
{
    abrePedido();
    tela->cdsItemPedido->edit();
    tela->dbgItemPedido->setSelectedField(QStringLiteral("QTITEMPED"));
    tela->dbgItemPedido->setEditorMode(true);
    QLineEdit* editor = tela->dbgItemPedido->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("1E2"));
    QVERIFY(!confirma());
    QVERIFY(scripted->hasMessage(QStringLiteral("Número inválido para o campo \"Quantidade\".")));
    scripted->messages();
    QCOMPARE(intermediario->chaves.size(), 0);
    QVERIFY(tela->cdsPedido->isEditing());
    tela->dbgItemPedido->setEditorMode(false);
}

void TstConfirmation::valorMinimo_data()
{
    QTest::addColumn<double>("acimaDoPedido");   // the minimum less the order's value
    QTest::addColumn<bool>("recusado");
    QTest::newRow("um centavo abaixo") << 0.01 << true;
    QTest::newRow("exatamente no mínimo") << 0.0 << false;   // and its product findings let through
}

// Below the branch minimum by one cent the order is refused, the minimum
// quoted; exactly at it the order goes.
void TstConfirmation::valorMinimo()
{
    QFETCH(double, acimaDoPedido);
    QFETCH(bool, recusado);
    abrePedido();
    const double minimo = RoundDec(valorDoPedido() + acimaDoPedido, 2);
    server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET VRMINPEDIDO = ? WHERE CDFILIAL = '0001'"), {minimo});
    const auto volta = qScopeGuard([this] {
        server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET VRMINPEDIDO = 50 WHERE CDFILIAL = '0001'"));
    });
    const QString texto = QStringLiteral("Valor total do pedido não pode ser menor do que o Valor Mínimo do Pedido ( %1).")
                              .arg(RegrasPedido::textoValorMinimo(minimo));
    if (!recusado)
        autorizaAchados();
    QCOMPARE(confirma(), !recusado);
    QCOMPARE(scripted->hasMessage(texto), recusado);
    scripted->messages();
    // Findings authorised: the closing submission stores.
    QCOMPARE(intermediario->chaves.size(), recusado ? 0 : 2);
    QCOMPARE(tela->cdsPedido->isEditing(), recusado);
}

// A changed modality with a 5 % discount, answered Yes: every item gets 5 %
// of quantity times price before the order is sent, and stored so.
void TstConfirmation::descontoDaModalidade()
{
    server->execSql(QStringLiteral("UPDATE MODPGTO SET VRPEDESMODPG = 5 WHERE CDMODPGTO = '00002'"));
    const auto volta = qScopeGuard([this] {
        server->execSql(QStringLiteral("UPDATE MODPGTO SET VRPEDESMODPG = 0 WHERE CDMODPGTO = '00002'"));
    });
    const QString pedido = abrePedido(QStringLiteral("0000000013"));
    QCOMPARE(valor(tela->cdsPedido, "CDMODPGTO"), QStringLiteral("00003"));
    {
        EventDetach semTroca(campo(tela->cdsPedido, "CDMODPGTO").onChange);
        campo(tela->cdsPedido, "CDMODPGTO").setValue(QStringLiteral("00002"));
    }
    scripted->expectQuestion(QStringLiteral("A modalidade de pagamento possui desconto atrelada"), MsgButton::Yes);
    QVERIFY(confirma());
    QCOMPARE(intermediario->chaves.size(), 1);
    // What went to the server: every item's discount of the modality.
    const QJsonObject itens = intermediario->ultimos.at(2).toObject();
    QStringList nomes;
    for (const QJsonValue& field : itens.value(u"fields").toArray())
        nomes << field.toObject().value(u"name").toString();
    int conferidos = 0;
    for (const QJsonValue& linha : itens.value(u"rows").toArray()) {
        const QJsonArray item = linha.toArray();
        const auto numeroDe = [&](const char* nome) { return item.at(nomes.indexOf(QString::fromLatin1(nome))).toDouble(); };
        QCOMPARE(numeroDe("PERDESC"), 5.0);
        QCOMPARE(numeroDe("VRDESITPED"),
                 RegrasPedido::descontoDaModalidade(numeroDe("VRPREUNITPED"), numeroDe("QTITEMPED"), 5));
        ++conferidos;
    }
    QVERIFY(conferidos >= 1);
}

// Three lost answers are sent again silently on a new connection; the fourth
// asks. Declined, the order stays in edit with its changes; accepted, the
// same submission goes once more under the same key and is stored.
void TstConfirmation::reconexoes()
{
    const QString pedido = abrePedido(QStringLiteral("0000000001"));
    campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-4711"));
    intermediario->quedas = 4;
    scripted->expectChoice(QStringLiteral("Ocorreu um erro na conexão com o servidor:"), QStringLiteral("Não"));
    confirma();
    QCOMPARE(intermediario->chaves.size(), 4);
    QCOMPARE(intermediario->chaves.count(intermediario->chaves.first()), 4);
    QVERIFY(!intermediario->chaves.first().isEmpty());
    QVERIFY(tela->cdsPedido->isEditing());
    QCOMPARE(valor(tela->cdsPedido, "DSPEDCLI"), QStringLiteral("OC-4711"));
    const QString pergunta = scripted->messages().last().text;
    QVERIFY2(pergunta.contains(QStringLiteral("\n\nErro: ")) && pergunta.endsWith(QStringLiteral("\n\nDeseja restabelecer essa conexão?")),
             qPrintable(pergunta));

    intermediario->chaves.clear();
    intermediario->quedas = 4;
    scripted->expectChoice(QStringLiteral("Ocorreu um erro na conexão com o servidor:"), QStringLiteral("Sim"));
    QVERIFY(confirma());
    QCOMPARE(intermediario->chaves.size(), 5);
    QCOMPARE(intermediario->chaves.count(intermediario->chaves.first()), 5);
    QVERIFY(!tela->cdsPedido->isEditing());
    QCOMPARE(gravado(QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido})
                 .toString(),
             QStringLiteral("OC-4711"));
}

// Declining the review of an expired commission stores nothing and leaves
// the order on screen as it was before the edit.
void TstConfirmation::comissaoRecusada()
{
    const QString pedido = QStringLiteral("0000000019");
    // Seller 0006 earns the commission that expired the day before today.
    server->execSql(QStringLiteral("UPDATE PEDIDO SET CDVENDEDOR = '0006', DTPEDIDO = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                    {QDate::currentDate().toString(Qt::ISODate), pedido});
    const auto volta = semValorMinimo();
    abrePedido(pedido);
    campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-9"));
    LanPedido::boValidaDataComissao = true;
    QStringList modos;
    scripted->onScreen(QStringLiteral("PED00105"), [&modos](const QVariantList& args) {
        modos << args.value(2).toString();
        args.value(1).value<RespostaRevisao*>()->aceito = false;
    });
    QVERIFY(!confirma());
    QCOMPARE(modos, QStringList{QStringLiteral("C")});
    QCOMPARE(intermediario->chaves.size(), 1);
    QVERIFY(!tela->cdsPedido->isEditing());
    QVERIFY(!tela->cdsPedido->hasChanges());
    QVERIFY(gravado(QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido})
                .toString()
                .isEmpty());
    if (tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido))
        QVERIFY(valor(tela->cdsPedido, "DSPEDCLI").isEmpty());
}

void TstConfirmation::parcelaZerada_data()
{
    QTest::addColumn<QString>("tabela");   // IDTABPRECO of the branch
    QTest::addColumn<QString>("pedido");
    QTest::addColumn<bool>("achados");   // its products have findings, authorised
    QTest::addColumn<bool>("recusada");
    QTest::newRow("tabela de preço") << "1" << "0000000007" << true << true;
    QTest::newRow("fator de preço") << "2" << "0000000013" << false << false;
}

// A financial discount above the goods leaves every installment at nothing
// or less. The order is stored all the same and stays on screen as stored;
// outside price mode "2" the clerk is told and sees its terms.
void TstConfirmation::parcelaZerada()
{
    QFETCH(QString, tabela);
    QFETCH(QString, pedido);
    QFETCH(bool, achados);
    QFETCH(bool, recusada);
    server->execSql(QStringLiteral("DELETE FROM ENCARGOPED WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido});
    server->execSql(QStringLiteral("INSERT INTO ENCARGOPED (CDFILIAL, NRPEDIDO, CDENCARGO, VRENCARGOPED, VRPERCENTENC)"
                                   " VALUES ('0001', ?, '03', 1000000, 0)"),
                    {pedido});
    const QString antes = gravado(QStringLiteral("SELECT IDTABPRECO FROM PARAMPEDIDO WHERE CDFILIAL = '0001'")).toString();
    server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET IDTABPRECO = ? WHERE CDFILIAL = '0001'"), {tabela});
    const auto volta = qScopeGuard([&] {
        server->execSql(QStringLiteral("UPDATE PARAMPEDIDO SET IDTABPRECO = ? WHERE CDFILIAL = '0001'"), {antes});
    });
    const auto minimo = semValorMinimo();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDTABPRECO"), tabela);
    abrePedido(pedido);
    QVERIFY(temLinhas(tela->cdsPrazoPgto));
    campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-PARC"));
    if (achados)
        autorizaAchados();

    QCOMPARE(confirma(), !recusada);
    QCOMPARE(scripted->hasMessage(QStringLiteral("Atenção! Existe uma parcela do vencimento do pedido menor ou igual a zero.")),
             recusada);
    scripted->messages();
    QCOMPARE(gravado(QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido}).toString(),
             QStringLiteral("OC-PARC"));
    QVERIFY(!tela->cdsPedido->isEditing());
    if (recusada)
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshFormaPgto);
    if (tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido))   // when the list's filter holds it
        QCOMPARE(valor(tela->cdsPedido, "DSPEDCLI"), QStringLiteral("OC-PARC"));
}

// Another clerk stored the order after it was opened here: nothing of this
// edit is stored, the clerk is told, and the other clerk's change stands.
void TstConfirmation::alteradoPorOutro()
{
    const QString pedido = abrePedido();
    campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-DAQUI"));
    server->execSql(QStringLiteral("UPDATE PEDIDO SET DSPEDCLI = 'OC-DE-LA' WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido});
    QVERIFY(!confirma());
    QVERIFY(scripted->hasMessage(QStringLiteral("A quantidade do produto está sendo alterada por outro usuário.")));
    scripted->messages();
    QCOMPARE(intermediario->chaves.size(), 1);
    QCOMPARE(gravado(QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido}).toString(),
             QStringLiteral("OC-DE-LA"));
}

// Terms the clerk generated stay the order's: checking the modality again
// when the order is next confirmed does not bring its own terms back.
void TstConfirmation::prazosGerados()
{
    const QString pedido = abrePedido();
    tela->selecionaPagina(tela->tshFormaPgto);
    tela->speQtParcela->setValue(2);
    tela->spePrazo->setValue(30);
    scripted->expectQuestion(QStringLiteral("Deseja alterar a Forma de Pagamento?"), MsgButton::Yes);
    tela->sbtGeraParcAutomaticoClick();
    QVERIFY(scripted->hasMessage(QStringLiteral("Parcelamento Automático gerado com sucesso.")));
    scripted->messages();
    const QList<QVariantList> gerados{{30.0, 50.0}, {60.0, 50.0}};
    QCOMPARE(prazosGravados(pedido), gerados);

    abrePedido(pedido);
    campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-PRAZOS"));
    autorizaAchados();
    QVERIFY(confirma());
    QCOMPARE(gravado(QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {pedido}).toString(),
             QStringLiteral("OC-PRAZOS"));
    QCOMPARE(prazosGravados(pedido), gerados);
}

void TstConfirmation::soUmaPagina_data()
{
    QTest::addColumn<QString>("pagina");
    QTest::newRow("dados gerais") << "dados gerais";
    QTest::newRow("observação") << "observação";
    QTest::newRow("itens") << "itens";
}

// An order changed on one page alone, its terms never shown: the change is
// stored and the stored terms stand. Typing a note or changing an item puts
// the order into edit, so that Confirm takes the change.
void TstConfirmation::soUmaPagina()
{
    QFETCH(QString, pagina);
    const QString pedido = QStringLiteral("0000000013");   // no product findings
    const auto minimo = semValorMinimo();
    const QList<QVariantList> antes = prazosGravados(pedido);
    QVERIFY(!antes.isEmpty());
    mostraPedido(pedido);
    QString sql;
    QVariant esperado;
    std::optional<decltype(itensDeVolta(pedido))> volta;
    if (pagina == u"observação") {
        tela->selecionaPagina(tela->tshObservacao);
        tela->sbtAlterarClick();
        tela->dbrObservacao->selectAll();   // over the stored note
        QTest::keyClicks(tela->dbrObservacao, QStringLiteral("Entregar pela manha"));
        sql = QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?");
        esperado = QStringLiteral("Entregar pela manha");
    } else if (pagina == u"itens") {
        volta.emplace(itensDeVolta(pedido));
        tela->selecionaPagina(tela->tshItemPedido);
        tela->sbtAlterarClick();
        const QString item = valor(tela->cdsItemPedido, "NRITEMPED");
        esperado = QStringLiteral("Entregar em 5 dias");
        campo(tela->cdsItemPedido, "DSPRAZOENTITPED").setValue(esperado);
        sql = QStringLiteral("SELECT DSPRAZOENTITPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = '%1'").arg(item);
    } else {
        tela->selecionaPagina(tela->tshDadosPed);
        tela->sbtAlterarClick();
        campo(tela->cdsPedido, "DSPEDCLI").setValue(QStringLiteral("OC-GERAIS"));
        sql = QStringLiteral("SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?");
        esperado = QStringLiteral("OC-GERAIS");
    }
    QVERIFY(tela->cdsPedido->isEditing());
    QVERIFY(confirma());
    QCOMPARE(gravado(sql, {pedido}).toString(), esperado.toString());
    QCOMPARE(prazosGravados(pedido), antes);
}

QTEST_MAIN(TstConfirmation)
#include "tst_confirmation.moc"
