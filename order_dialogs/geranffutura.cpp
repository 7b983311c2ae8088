#include "geranffutura.h"

#include "abort.h"
#include "busy.h"
#include "context.h"
#include "datapacket.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "lookupquery.h"
#include "messages.h"
#include "method_catalogue.h"
#include "netconnection.h"
#include "protocol.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "serverresult.h"
#include "taxnumbers.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"
#include "widgets/form.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace GeraNFFutura {
// One dialog at a time; it goes when it closes.
QPointer<TfrmGeraNFFutura> frmGeraNFFutura;
// The order the dialog works on, from its start until it closes.
QString st_Filial;
QString st_Pedido;

const QString qryTipoOperSql = QStringLiteral(
    "SELECT T.CDTIPOOPER, T.NMTIPOOPER, T.IDORIGDESTOP FROM TIPOOPERAC T"
    " WHERE T.IDENTRSAIDOP = 'S' AND T.IDORIGDESTOP IN ('F', 'C') AND T.IDATUESTTPOP = 'N' AND T.IDUTILOPER = 'S'"
    " AND NOT EXISTS (SELECT 1 FROM TIPOOPERACFIL F WHERE F.CDFILIAL = :P_CDFILIAL AND F.CDTIPOOPER = T.CDTIPOOPER"
    "  AND F.IDENTRSAIDOP = 'S' AND F.IDLIBERADO = 'N')"
    " AND (T.CDTIPOOPER = :P_CDTIPOOPER OR :P_TODOS = 'T') ORDER BY T.CDTIPOOPER");
const QString qryFiliEmitSql = QStringLiteral(
    "SELECT CDFILIAL, NMFILIAL, CDEMPRESA, CDINSCESTA, CDINSCMUNI, CDSERIE, IDFUNCAOFILI FROM FILIAL"
    " WHERE (CDFILIAL = :P_CDFILIAL OR :P_TCDFILIAL = 'T')");
const QString qrySerieSaidaSql = QStringLiteral(
    "SELECT CDSERIE, DSSERIE, CDEMPRESA, CDINSCESTA, CDINSCMUNI, CAST(NRMAXITNF AS DOUBLE PRECISION) AS NRMAXITNF,"
    " CAST(NRMAXSERVNF AS DOUBLE PRECISION) AS NRMAXSERVNF FROM SERIENF"
    " WHERE CDEMPRESA = :P_CDEMPRESA AND CDINSCESTA = :P_CDINSCESTA AND CDINSCMUNI = :P_CDINSCMUNI"
    " AND (CDSERIE = :P_CDSERIE OR :P_TCDSERIE = 'T') ORDER BY CDSERIE");

// The operation types the dialog offers for the order's branch: one, or all.
std::unique_ptr<LookupQuery> tiposOperacao(const QString& codigo, bool todos)
{
    auto query = std::make_unique<LookupQuery>(QStringLiteral("qryTipoOper"), dtmDBGeral(), qryTipoOperSql);
    query->setParam(QStringLiteral("P_CDFILIAL"), st_Filial);
    query->setParam(QStringLiteral("P_CDTIPOOPER"), codigo);
    query->setParam(QStringLiteral("P_TODOS"), todos ? QStringLiteral("T") : QString());
    query->open();
    return query;
}

// The output series of the company and registrations of the order's branch.
std::unique_ptr<LookupQuery> seriesSaida(const QString& serie, bool todas)
{
    LookupQuery qryFiliEmit(QStringLiteral("qryFiliEmit"), dtmDBGeral(), qryFiliEmitSql);
    qryFiliEmit.setOptionalParam(QStringLiteral("P_CDFILIAL"), st_Filial, false);
    qryFiliEmit.open();
    auto query = std::make_unique<LookupQuery>(QStringLiteral("qrySerieSaida"), dtmDBGeral(), qrySerieSaidaSql);
    for (const char* registro : {"CDEMPRESA", "CDINSCESTA", "CDINSCMUNI"})
        query->setParam(QStringLiteral("P_") + QLatin1String(registro),
                        qryFiliEmit.isEmpty() ? QString() : qryFiliEmit.fieldByName(QLatin1String(registro)).asString());
    query->setOptionalParam(QStringLiteral("P_CDSERIE"), serie, todas);
    query->open();
    return query;
}
} // namespace GeraNFFutura

using namespace GeraNFFutura;

bool CriaNFFutura(const QString& filial, const QString& pedido, QWidget* parent)
{
    // One at a time: a second start shows the one already open.
    if (frmGeraNFFutura) {
        frmGeraNFFutura->raise();
        return false;
    }
    st_Filial = filial;
    st_Pedido = pedido;
    TfrmGeraNFFutura dialogo(parent);
    frmGeraNFFutura = &dialogo;
    host().execModal(dialogo);
    return dialogo.gerada();
}

TfrmGeraNFFutura::TfrmGeraNFFutura(QWidget* parent)
    : TfrmRotiGeral(QStringLiteral("PED00120"), QStringLiteral("Geração NF de Venda Futura"), parent),
      netGeraNFFutura(new TNetConnection(ServerNames::GeraNFFutura, this)),
      cdsSemImpObrig(new RecordSet(QStringLiteral("cdsSemImpObrig"), this)),
      cdsVerifNFFutura(new RecordSet(QStringLiteral("cdsVerifNFFutura"), this))
{
    setObjectName(QStringLiteral("frmGeraNFFutura"));
    netGeraNFFutura->setObjectName(QStringLiteral("netGeraNFFutura"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00120.msg"));

    Field& produto = cdsSemImpObrig->addField(QStringLiteral("CDARVPROD"), FieldType::String, 20);
    produto.setDisplayLabel(QStringLiteral("Produto"));
    const QString mascara = DBPict(PictProduto);
    produto.onGetText = [mascara](Field& codigo, bool) { return FormatWithMask(codigo.asString(), mascara); };
    cdsSemImpObrig->addField(QStringLiteral("stImpostos"), FieldType::String, 50).setDisplayLabel(QStringLiteral("Imposto(s)"));
    for (Field* campo : cdsSemImpObrig->fields())
        campo->setReadOnly(true);
    cdsSemImpObrig->createDataSet();
    cdsSemImpObrig->beforeEdit = [](RecordSet&) { throw Abort(); };
    cdsSemImpObrig->beforeInsert = [](RecordSet&) { throw Abort(); };

    criaControles();
    ligaPesquisas();
    netGeraNFFutura->setConnected(true);
    btnVisuErros->setEnabled(false);
    grbNFFutura->hide();
    dbgImpostos->hide();
    ajustaAltura();
}

TfrmGeraNFFutura::~TfrmGeraNFFutura() = default;

void TfrmGeraNFFutura::criaControles()
{
    using Form::named;
    auto* coluna = new QVBoxLayout(panPrincipal);
    coluna->setContentsMargins(12, 12, 12, 8);
    auto* grade = new QGridLayout;
    grade->setHorizontalSpacing(6);
    grade->setVerticalSpacing(8);
    const auto linha = [&](int row, const QString& legenda, QLineEdit* codigo, TBtnPesquisa* pesquisa, QLineEdit* nome) {
        auto* juntos = new QWidget(panPrincipal);
        auto* caixa = new QHBoxLayout(juntos);
        caixa->setContentsMargins(0, 0, 0, 0);
        caixa->setSpacing(4);
        caixa->addWidget(codigo);
        caixa->addWidget(pesquisa);
        caixa->addWidget(nome, 1);
        grade->addWidget(Form::caption(panPrincipal, legenda, codigo), row, 0);
        grade->addWidget(juntos, row, 1);
    };
    const auto codigo = [this](const char* nome, int tamanho) {
        auto* campo = named(new QLineEdit(panPrincipal), QString::fromLatin1(nome));
        campo->setMaxLength(tamanho);
        campo->setFixedWidth(fontMetrics().horizontalAdvance(QString(tamanho + 2, u'0')) + 16);
        return campo;
    };
    const auto nome = [this](const char* objeto) {
        auto* campo = named(new QLineEdit(panPrincipal), QString::fromLatin1(objeto));
        campo->setReadOnly(true);
        campo->setFocusPolicy(Qt::NoFocus);
        campo->setMinimumWidth(240);
        return campo;
    };
    medTipoOper = codigo("medTipoOper", 2);
    sbtTipoOper = Form::lookupButton(panPrincipal, QStringLiteral("sbtTipoOper"));
    edtTipoOper = nome("edtTipoOper");
    medSerie = codigo("medSerie", 5);
    btpSerieNF = Form::lookupButton(panPrincipal, QStringLiteral("btpSerieNF"));
    edtSerie = nome("edtSerie");
    linha(0, QStringLiteral("Tipo de Operação"), medTipoOper, sbtTipoOper, edtTipoOper);
    linha(1, QStringLiteral("Série Saída"), medSerie, btpSerieNF, edtSerie);
    grade->setColumnStretch(1, 1);
    coluna->addLayout(grade);

    grbNFFutura = named(new QGroupBox(QStringLiteral(" Nota Fiscal Venda Futura "), panPrincipal), QStringLiteral("grbNFFutura"));
    auto* caixaNota = new QVBoxLayout(grbNFFutura);
    lblNFFutura = named(new QLabel(grbNFFutura), QStringLiteral("lblNFFutura"));
    lblNFFutura->setTextInteractionFlags(Qt::TextSelectableByMouse);
    caixaNota->addWidget(lblNFFutura);
    coluna->addWidget(grbNFFutura);

    auto* dtsSemImpObrig = new DataSource(QStringLiteral("dtsSemImpObrig"), this);
    dtsSemImpObrig->setDataSet(cdsSemImpObrig);
    dtsSemImpObrig->setAutoEdit(false);
    dbgImpostos = named(new DBGrid(panPrincipal), QStringLiteral("dbgImpostos"));
    dbgImpostos->setDataSource(dtsSemImpObrig);
    dbgImpostos->setReadOnly(true);
    dbgImpostos->addColumn(QStringLiteral("CDARVPROD"), QStringLiteral("Produto"));
    dbgImpostos->addColumn(QStringLiteral("stImpostos"), QStringLiteral("Imposto(s)"));
    dbgImpostos->setStretchLastColumn(true);
    dbgImpostos->setMinimumHeight(120);
    coluna->addWidget(dbgImpostos, 1);

    sbtVerifNFFutura = named(new QPushButton(QStringLiteral("&Verificar NF"), panBotoes), QStringLiteral("sbtVerifNFFutura"));
    sbtVerifNFFutura->setToolTip(QStringLiteral("Verifica NF Futura"));
    btnVisuErros = named(new QPushButton(QStringLiteral("&Impostos"), panBotoes), QStringLiteral("btnVisuErros"));
    btnVisuErros->setToolTip(QStringLiteral("Verifica Impostos"));
    buttonBarLayout()->insertWidget(1, sbtVerifNFFutura);
    buttonBarLayout()->insertWidget(2, btnVisuErros);

    connect(medTipoOper, &QLineEdit::textEdited, this, [this] {
        edtTipoOper->clear();
        btnVisuErros->setEnabled(false);
    });
    connect(medTipoOper, &QLineEdit::editingFinished, this, [this] {
        guarded([&] {
            if (isVisible())
                Vd_TipoOper(false);
        });
    });
    connect(medSerie, &QLineEdit::textEdited, this, [this] { edtSerie->clear(); });
    connect(sbtVerifNFFutura, &QPushButton::clicked, this, [this] { guarded([&] { sbtVerifNFFuturaClick(); }); });
    connect(btnVisuErros, &QPushButton::clicked, this, [this] { guarded([&] { btnVisuErrosClick(); }); });
}

void TfrmGeraNFFutura::ligaPesquisas()
{
    auto tipos = std::make_shared<std::unique_ptr<LookupQuery>>();
    sbtTipoOper->setTitle(QStringLiteral("Tipo de Operação|Não há tipo de operação cadastrada."));
    sbtTipoOper->setOptions({false, {{QStringLiteral("CDTIPOOPER"), QStringLiteral("Código")}, {QStringLiteral("NMTIPOOPER"), QStringLiteral("Nome")}}, {}});
    sbtTipoOper->beforePesq = [tipos](TBtnPesquisa& botao, bool&) {
        *tipos = tiposOperacao(QString(), true);
        botao.setSource(tipos->get());
    };
    sbtTipoOper->afterPesq = [this, tipos](TBtnPesquisa&) {
        medTipoOper->setText((*tipos)->fieldByName(QStringLiteral("CDTIPOOPER")).asString());
        edtTipoOper->setText((*tipos)->fieldByName(QStringLiteral("NMTIPOOPER")).asString());
        btnVisuErros->setEnabled(false);
    };

    auto series = std::make_shared<std::unique_ptr<LookupQuery>>();
    btpSerieNF->setTitle(QStringLiteral("Série de Documentos de Entrada|Não há série de documentos de saída cadastrada."));
    btpSerieNF->setOptions({false, {{QStringLiteral("CDSERIE"), QStringLiteral("Série")}, {QStringLiteral("DSSERIE"), QStringLiteral("Descrição")}}, {}});
    btpSerieNF->beforePesq = [series](TBtnPesquisa& botao, bool&) {
        *series = seriesSaida(QString(), true);
        botao.setSource(series->get());
    };
    btpSerieNF->afterPesq = [this, series](TBtnPesquisa&) {
        medSerie->setText((*series)->fieldByName(QStringLiteral("CDSERIE")).asString());
        edtSerie->setText((*series)->fieldByName(QStringLiteral("DSSERIE")).asString());
    };
}

void TfrmGeraNFFutura::ajustaAltura()
{
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    adjustSize();
    resize(qMax(width(), 600), sizeHint().height());
}

void TfrmGeraNFFutura::falha(QWidget* controle, const QString& chave)
{
    if (controle && controle->isEnabled())
        controle->setFocus();
    MensErro(msgPadrao.Msg(chave), true);
    throw Abort();   // MensErro with the abort flag does not return
}

void TfrmGeraNFFutura::Vd_TipoOper(bool obrigatorio)
{
    if (medTipoOper->text().trimmed().isEmpty()) {
        if (obrigatorio)
            falha(medTipoOper, QStringLiteral("TipoOper_Inf"));
        return;
    }
    medTipoOper->setText(Ajusta(medTipoOper->text().trimmed(), 2));
    const auto tipo = tiposOperacao(medTipoOper->text(), false);
    if (tipo->isEmpty())
        falha(medTipoOper, QStringLiteral("TipoOper_N_Cad"));
    edtTipoOper->setText(tipo->fieldByName(QStringLiteral("NMTIPOOPER")).asString());
}

void TfrmGeraNFFutura::Vd_Serie(bool obrigatorio)
{
    if (medSerie->text().trimmed().isEmpty()) {
        if (obrigatorio)
            falha(medSerie, QStringLiteral("Serie_Inf"));
        return;
    }
    const auto serie = seriesSaida(medSerie->text().trimmed(), false);
    if (serie->isEmpty())
        falha(medSerie, QStringLiteral("Serie_N_Cad"));
    edtSerie->setText(serie->fieldByName(QStringLiteral("DSSERIE")).asString());
}

void TfrmGeraNFFutura::sbtConfirmaClick()
{
    btnVisuErros->setEnabled(false);
    Vd_TipoOper(true);
    Vd_Serie(true);
    cdsSemImpObrig->emptyDataSet();

    QJsonArray resposta;
    {
        const BusyScope gerando(this, BusyStyle::Processando);
        resposta = CheckResultServ(netGeraNFFutura->call(Rpc::GeraNFFutura::GeraNFFutura,
                                                         {RpcArg::ref(st_Filial), RpcArg::ref(st_Pedido), medTipoOper->text(),
                                                          medSerie->text().trimmed()}))
                       .toArray();
    }
    using namespace Rpc::GeraNFFutura::GeraNFFuturaResult;
    const QString chave = resposta.at(Resposta).toString();
    if (chave == u"OK") {
        m_gerada = true;
        msgPadrao.ShowMsg(QStringLiteral("NF_Sucess"), MsgType::Information, MsgButton::Ok);
        accept();
        return;
    }
    if (chave == u"IMPOBRIG") {
        cdsSemImpObrig->setData(DataPacket::fromJson(resposta.at(SemImpostosObrigatorios).toObject()));
        btnVisuErros->setEnabled(true);
    } else if (chave == u"NF_FUT_EX") {
        sbtVerifNFFuturaClick();
    }
    MensErro(msgPadrao.Msg(chave), true);
}

void TfrmGeraNFFutura::sbtVerifNFFuturaClick()
{
    const QJsonValue nota =
        CheckResultServ(netGeraNFFutura->call(Rpc::GeraNFFutura::GetNFFutura, {RpcArg::ref(st_Filial), RpcArg::ref(st_Pedido)}));
    cdsVerifNFFutura->setData(DataPacket::fromJson(nota.toObject()));
    cdsVerifNFFutura->first();
    if (cdsVerifNFFutura->isEmpty()) {
        grbNFFutura->hide();
        ajustaAltura();
        msgPadrao.ShowMsg(QStringLiteral("N_Ex_NF"), MsgType::Information, MsgButton::Ok);
        return;
    }
    const auto campo = [this](const char* nome) { return cdsVerifNFFutura->fieldByName(QString::fromLatin1(nome)).asString(); };
    const QDateTime saida = cdsVerifNFFutura->fieldByName(QStringLiteral("DTENTRSAID")).asDateTime();
    lblNFFutura->setText(QStringLiteral("Data Saída: ") + saida.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"))
                         + QStringLiteral(" Filial Emissão: ") + campo("CDFILIEMIT") + QStringLiteral(" Lançamento: ")
                         + campo("NRLANCTONF") + u'.');
    grbNFFutura->show();
    ajustaAltura();
}

void TfrmGeraNFFutura::btnVisuErrosClick()
{
    dbgImpostos->setVisible(!dbgImpostos->isVisible());
    ajustaAltura();
}

void TfrmGeraNFFutura::FormClose()
{
    TfrmRotiGeral::FormClose();
    st_Filial.clear();
    st_Pedido.clear();
    netGeraNFFutura->setConnected(false);
}
