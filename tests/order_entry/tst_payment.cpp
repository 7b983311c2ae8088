// The payment page of the order screen against the in-process server over
// the demo database: a modality typed in sets the type and its terms, cash
// clears them, the checks of days, percentages, sum and fixed day, and the
// automatic installments of a new order (on the screen only) and of a
// stored one (kept by the server, values at the cent).

#include "lanpedido_testcase.h"

#include "abort.h"
#include "cds_values.h"
#include "money.h"
#include "recordset.h"
#include "store/sql.h"
#include "values.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

using namespace PedTest;

namespace {

// setFormaPagto calls, counted from the server's log of every call.
int chamadasFormaPagto = 0;
QtMessageHandler anterior = nullptr;

void contaChamadas(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtInfoMsg && context.category && QLatin1String(context.category).startsWith(QLatin1String("ped."))) {
        if (message.contains(QLatin1String("method=setFormaPagto")))
            ++chamadasFormaPagto;
        return;
    }
    anterior(type, context, message);
}

} // namespace

class TstPayment : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void modalidadeDefineTipoEPrazos();
    void conferencias_data();
    void conferencias();
    void modalidadeAoGravarOCabecalho();
    void parcelasDePedidoNovo();
    void parcelasDePedidoGravado();

private:
    void aoAbrirServidor() override { anterior = qInstallMessageHandler(contaChamadas); }
    void antesDoTeste() override
    {
        abreTela();
        setParam(*tela->cdsParamPedido, QStringLiteral("IDALTFORMAPAG"), QStringLiteral("S"));
        chamadasFormaPagto = 0;
    }

    // The demo order on screen, on the payment page, in edit.
    void abrePedido(const QString& pedido)
    {
        tela->cdsPedido->setData(orderRows(demo, QStringLiteral("PEDIDO"), tela->cdsPedido->fieldDefs(), QStringLiteral("0001"), pedido));
        tela->dtsPadraoStateChange();
        tela->selecionaPagina(tela->tshFormaPgto);
        tela->cdsPedido->edit();
    }
    // Typed into the modality editor and left, as the clerk does.
    void digitaModalidade(const QString& codigo)
    {
        tela->dbeModPgto->selectAll();
        QTest::keyClicks(tela->dbeModPgto, codigo);
        QVERIFY(tela->dbeModPgto->updateRecord());
        tela->dbeModPgtoExit();
    }
    QList<double> prazos(const char* field)
    {
        QList<double> valores;
        for (const QVariantList& row : tela->cdsPrazoPgto->data().rows)
            valores << row.at(tela->cdsPrazoPgto->fieldIndex(QString::fromUtf8(field))).toDouble();
        return valores;
    }
    // Runs a check: the message it refused with, empty when it passed.
    QString recusa(const std::function<void()>& conferencia)
    {
        try {
            conferencia();
        } catch (const Abort&) {
            return scripted->messages().last().text;
        }
        return {};
    }
};

// A terms modality brings its terms with forecasts and weekdays; cash takes
// them away and hides the grid; a fixed-day one sets its day.
void TstPayment::modalidadeDefineTipoEPrazos()
{
    abrePedido(QStringLiteral("0000000001"));
    digitaModalidade(QStringLiteral("3"));
    QCOMPARE(valor(tela->cdsPedido, "CDMODPGTO"), QStringLiteral("00003"));
    QCOMPARE(tela->edtModPgto->text(), QStringLiteral("30/60/90 dias"));
    QCOMPARE(tela->edtFormPgto->text(), QStringLiteral("Boleto bancário"));
    QVERIFY(tela->rbtPelaForma->isChecked());
    QVERIFY(!tela->dbgPrazoPg->isHidden());
    QCOMPARE(prazos("NRDIASPGTOPED"), (QList<double>{30, 60, 90}));
    QCOMPARE(prazos("VRPERCPGTOPED"), (QList<double>{33.33, 33.33, 33.34}));
    tela->cdsPrazoPgto->first();
    const QDate previsao = QDate::currentDate().addDays(30);
    QCOMPARE(campo(tela->cdsPrazoPgto, "PREVISAO").text(), FormatDateBR(previsao) + u' ' + QLocale(QLocale::Portuguese, QLocale::Brazil)
                                                               .dayName(previsao.dayOfWeek(), QLocale::ShortFormat).remove(u'.'));
    QCOMPARE(valor(tela->cdsPrazoPgto, "NRPEDIDO"), QStringLiteral("0000000001"));
    QVERIFY(tela->cdsPrazoPgto->hasChanges());

    digitaModalidade(QStringLiteral("1"));
    QVERIFY(tela->rbtAVista->isChecked());
    QCOMPARE(tela->cdsPrazoPgto->recordCount(), 0);
    QVERIFY(tela->dbgPrazoPg->isHidden());
    QVERIFY(!tela->speDiaFixo->isEnabled());

    digitaModalidade(QStringLiteral("7"));
    QVERIFY(tela->rbtDiaFixo->isChecked());
    QCOMPARE(tela->speDiaFixo->value(), 31);
    QCOMPARE(tela->speParcela->value(), 2);
    QVERIFY(tela->speDiaFixo->isEnabled());
    QVERIFY(!tela->speParcela->isEnabled());

    QCOMPARE(recusa([&] { digitaModalidade(QStringLiteral("99")); }), QStringLiteral("Modalidade de pagamento não cadastrada."));
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshFormaPgto);
    tela->dbeModPgto->clear();
    QCOMPARE(recusa([&] { tela->Vd_CdModPgto(true); }), QStringLiteral("Modalidade de pagamento deve ser informada."));
}

void TstPayment::conferencias_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("mensagem");   // empty: the check passes
    QTest::newRow("percentage 0") << "perc 0" << "Percentual deve ser maior que zero.";
    QTest::newRow("percentage 100") << "perc 100" << "";
    QTest::newRow("percentage 100,01") << "perc 100,01" << "Percentual deve estar entre 1 e 100%.";
    QTest::newRow("percentage 0,5") << "perc 0,5" << "";
    QTest::newRow("days repeated") << "dias 60" << "Prazo já cadastrado.";
    QTest::newRow("days new") << "dias 120" << "";
    QTest::newRow("days unchanged on its own row") << "dias 30" << "";
    QTest::newRow("days on another page") << "dias 60 dados" << "";
    QTest::newRow("sum 33,33 x 3") << "soma 33,33" << "Soma do(s) percentual(is) do(s) prazo(s) de pagamento deve totalizar 100%.";
    QTest::newRow("sum 33,34") << "soma 33,34" << "";
    QTest::newRow("no terms") << "soma nada" << "";
    QTest::newRow("fixed day 32") << "dia 32" << "Dia do pagamento fixo deve estar entre 1 e 31.";
    QTest::newRow("fixed day empty, required") << "dia 0" << "Dia do pagamento fixo deve ser informado.";
    QTest::newRow("fixed day 32, confirmed order") << "dia 32 situacao 2" << "";
}

// The checks on an order by terms 30/60/90 (the first row current) or, for
// the fixed day, under the fixed-day modality.
void TstPayment::conferencias()
{
    QFETCH(QString, caso);
    QFETCH(QString, mensagem);
    abrePedido(QStringLiteral("0000000001"));
    const QStringList partes = caso.split(u' ');
    const QString valorDigitado = partes.value(1);
    QString recebida;
    if (partes.first() == u"dia") {
        digitaModalidade(QStringLiteral("4"));
        if (partes.contains(QStringLiteral("situacao")))
            campo(tela->cdsPedido, "IDSITPEDIDO").setValue(QStringLiteral("2"));
        tela->speDiaFixo->setValue(valorDigitado.toInt());
        recebida = recusa([&] { tela->Vd_DiaFixo(true); });
    } else {
        digitaModalidade(QStringLiteral("3"));
        tela->cdsPrazoPgto->first();
        if (partes.first() == u"perc") {
            tela->cdsPrazoPgto->edit();
            campo(tela->cdsPrazoPgto, "VRPERCPGTOPED").setText(valorDigitado);
            recebida = recusa([&] { tela->Vd_Percentual(true); });
        } else if (partes.first() == u"dias") {
            tela->cdsPrazoPgto->edit();
            campo(tela->cdsPrazoPgto, "NRDIASPGTOPED").setText(valorDigitado);
            if (partes.contains(QStringLiteral("dados"))) {
                const QSignalBlocker semTroca(tela->pgcPadrao);
                tela->pgcPadrao->setCurrentWidget(tela->tshDadosPed);
            }
            recebida = recusa([&] { tela->Vd_Prazo(true); });
        } else {
            if (valorDigitado == u"nada")
                tela->apagaPrazos();
            for (tela->cdsPrazoPgto->first(); !tela->cdsPrazoPgto->eof(); tela->cdsPrazoPgto->next()) {
                tela->cdsPrazoPgto->edit();
                campo(tela->cdsPrazoPgto, "VRPERCPGTOPED").setValue(33.33);
                tela->cdsPrazoPgto->post();
            }
            if (valorDigitado == u"33,34") {
                tela->cdsPrazoPgto->last();
                tela->cdsPrazoPgto->edit();
                campo(tela->cdsPrazoPgto, "VRPERCPGTOPED").setValue(33.34);
                tela->cdsPrazoPgto->post();
            }
            recebida = recusa([&] { tela->Vd_VerifSomaPerc(); });
        }
    }
    QCOMPARE(recebida, mensagem);
    scripted->messages();
}

// A new order's installments only fill the grid: no server call, no message.
// The header post applies the modality again only when its editor holds a
// code the record does not have: terms the clerk typed under the same
// modality stay; a code typed and not yet left brings its own settings.
void TstPayment::modalidadeAoGravarOCabecalho()
{
    abrePedido(QStringLiteral("0000000001"));
    digitaModalidade(QStringLiteral("3"));
    tela->cdsPrazoPgto->first();
    tela->cdsPrazoPgto->edit();
    campo(tela->cdsPrazoPgto, "NRDIASPGTOPED").setValue(45);
    tela->cdsPrazoPgto->post();
    QCOMPARE(prazos("NRDIASPGTOPED"), (QList<double>{45, 60, 90}));
    tela->dbeModPgto->setText(QStringLiteral("00003"));
    tela->cdsPedido->post();
    QCOMPARE(prazos("NRDIASPGTOPED"), (QList<double>{45, 60, 90}));

    tela->cdsPedido->edit();
    tela->dbeModPgto->selectAll();
    QTest::keyClicks(tela->dbeModPgto, QStringLiteral("7"));
    tela->cdsPedido->post();
    QCOMPARE(valor(tela->cdsPedido, "CDMODPGTO"), QStringLiteral("00007"));
    QVERIFY(tela->rbtDiaFixo->isChecked());
    QCOMPARE(campo(tela->cdsPedido, "NRDIAPGFIXPED").asInteger(), 31);
}

void TstPayment::parcelasDePedidoNovo()
{
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
    tela->selecionaPagina(tela->tshFormaPgto);
    QVERIFY(!tela->grbParcAutomatico->isHidden());
    tela->speQtParcela->setValue(3);
    tela->spePrazo->setValue(30);
    tela->edtDescricao->setText(QStringLiteral("Boleto"));
    scripted->expectQuestion(QStringLiteral("Deseja alterar a Forma de Pagamento?"), MsgButton::Yes);
    tela->sbtGeraParcAutomaticoClick();
    QCOMPARE(prazos("NRDIASPGTOPED"), (QList<double>{30, 60, 90}));
    QCOMPARE(prazos("VRPERCPGTOPED"), (QList<double>{33.33, 33.33, 33.34}));
    QCOMPARE(valor(tela->cdsPrazoPgto, "DSPRAZOPGTOPED"), QStringLiteral("Boleto"));
    QCOMPARE(valor(tela->cdsPrazoPgto, "NRPEDIDO"), valor(tela->cdsPedido, "NRPEDIDO"));
    QVERIFY(tela->cdsPrazoPgto->hasChanges());
    QCOMPARE(chamadasFormaPagto, 0);
    QVERIFY(scripted->unreadMessages().isEmpty());
}

// The clerk picks a terms modality for a stored order and generates three
// installments: the server asks for consent to the new modality, stores
// it, and the page shows installment values that add up to the amount to
// receive.
void TstPayment::parcelasDePedidoGravado()
{
    abrePedido(QStringLiteral("0000000002"));
    digitaModalidade(QStringLiteral("8"));
    tela->speQtParcela->setValue(3);
    tela->spePrazo->setValue(30);
    scripted->expectQuestion(QStringLiteral("Deseja alterar a Forma de Pagamento?"), MsgButton::Yes);
    scripted->expectQuestion(QStringLiteral("A modalidade de pagamento do pedido foi alterada"), MsgButton::Yes);
    tela->sbtGeraParcAutomaticoClick();
    QVERIFY(scripted->hasMessage(QStringLiteral("Parcelamento Automático gerado com sucesso.")));
    QCOMPARE(chamadasFormaPagto, 2);
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
    QCOMPARE(valor(tela->cdsPedido, "NRPEDIDO"), QStringLiteral("0000000002"));
    QCOMPARE(valor(tela->cdsPedido, "CDMODPGTO"), QStringLiteral("00008"));
    tela->selecionaPagina(tela->tshFormaPgto);
    QCOMPARE(prazos("NRDIASPGTOPED"), (QList<double>{30, 60, 90}));
    Cents soma;
    for (double parcela : prazos("VRPARCELA"))
        soma += Cents::fromValue(parcela);
    const double recebimento = numero(tela->cdsImposEncar, "VRRECEBIMENTO");
    QVERIFY(recebimento > 0);
    QCOMPARE(soma, Cents::fromValue(recebimento));
    QVERIFY(tela->dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA"))->isVisible());
    QVERIFY(!tela->dbgPrazoPg->isHidden());
    scripted->messages();
}

QTEST_MAIN(TstPayment)
#include "tst_payment.moc"
