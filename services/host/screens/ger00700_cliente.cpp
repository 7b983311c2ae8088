#include "ger00700_cliente.h"

#include "consultagrid.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"
#include "taxnumbers.h"
#include "values.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const QString codigoTela = QStringLiteral("GER00700");

const QString qryClienteSql = QStringLiteral(
    "SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, C.NRINSESTCLIE, C.NRTELECLIE,"
    " C.IDCLIEATIV, C.IDBLOQUEADO, C.IDTIPOCLIE, C.CDVENDEDOR, V.NMFANVEN, C.CDGRUPOFISC, G.NMGRUPOFISC,"
    " C.VRPEMAXDESCL, C.DTCADASTRO, C.DSOBSERVCLIE, M.DSMODPGTO"
    " FROM CLIENTE C"
    " LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR"
    " LEFT JOIN GRUPOFISCAL G ON G.CDGRUPOFISC = C.CDGRUPOFISC"
    " LEFT JOIN MODPGTO M ON M.CDMODPGTO = C.CDMODPGTO"
    " WHERE C.CDCLIENTE = :P_CDCLIENTE");

const QString qryEnderecosSql = QStringLiteral(
    "SELECT E.NRSEQEND, E.IDTPENDECLIE, E.DSENDECLIE, E.NMBAIRCLIE, MU.NMMUNICIPIO, E.SGESTADO, E.NRCEPCLIE"
    " FROM ENDECLIE E"
    " LEFT JOIN MUNICIPIO MU ON MU.CDPAIS = E.CDPAIS AND MU.SGESTADO = E.SGESTADO AND MU.CDMUNICIPIO = E.CDMUNICIPIO"
    " WHERE E.CDCLIENTE = :P_CDCLIENTE ORDER BY E.NRSEQEND");

const QString qryLocaisSql = QStringLiteral(
    "SELECT NRLOCALENTRCLIENTE, DSLOCALENTRCLIENTE, DSENDELOCALENTR, NMBAIRLOCALENTR, NRCEPLOCALENTR"
    " FROM LOCALENTRCLIE WHERE CDCLIENTE = :P_CDCLIENTE ORDER BY NRLOCALENTRCLIENTE");

const QString qryCreditoSql = QStringLiteral(
    "SELECT R.VRLIMCRED, R.DTVALILIMCRED, R.IDSITCRED, R.DSOBSCRED,"
    " (SELECT SUM(T.VRTITULO - T.VRPAGOTIT) FROM TITRECEBER T WHERE T.CDCLIENTE = C.CDCLIENTE AND T.IDSITTIT = 'A')"
    "   AS VRABERTO"
    " FROM CLIENTE C LEFT JOIN CREDITOCLIE R ON R.CDCLIENTE = C.CDCLIENTE"
    " WHERE C.CDCLIENTE = :P_CDCLIENTE");

QString tipoEndereco(const QString& code)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("P"), QStringLiteral("Principal")}, {QStringLiteral("C"), QStringLiteral("Cobrança")},
        {QStringLiteral("E"), QStringLiteral("Exterior")},  {QStringLiteral("X"), QStringLiteral("Exportação")},
        {QStringLiteral("T"), QStringLiteral("Entrega")},
    };
    return texts.value(code, code);
}

QString tipoCliente(const QString& code)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("R"), QStringLiteral("Revenda")}, {QStringLiteral("F"), QStringLiteral("Consumidor final")},
        {QStringLiteral("O"), QStringLiteral("Órgão público")},
    };
    return texts.value(code, code);
}

QString simNao(const QString& flag)
{
    return flag == u"S" ? QStringLiteral("Sim") : QStringLiteral("Não");
}

// A tax number as people read it; one that does not fit its kind as stored.
QString inscricao(const QString& number, const QString& kind)
{
    const QString formatted = FormatInscricao(number, kind);
    return formatted.isEmpty() ? number : formatted;
}

LookupQuery abre(const QString& name, const QString& sql, const QString& customerCode)
{
    return consultaAbre(name, sql, QStringLiteral("P_CDCLIENTE"), customerCode);
}

} // namespace

TfrmConsultaCliente::TfrmConsultaCliente(const QString& customerCode, QWidget* parent)
    : TfrmRotiGeral(codigoTela, QStringLiteral("Consulta de Clientes"), parent)
{
    setObjectName(QStringLiteral("frmConsultaCliente"));
    sbtConfirma->hide();
    sbtCancela->setText(QStringLiteral("&Fechar"));
    auto* layout = new QVBoxLayout(panPrincipal);
    pgcCliente = new QTabWidget(panPrincipal);
    pgcCliente->setObjectName(QStringLiteral("pgcCliente"));
    layout->addWidget(pgcCliente);
    criaIdentificacao(customerCode);
    criaEnderecos(customerCode);
    criaCredito(customerCode);
    resize(760, 520);
}

void TfrmConsultaCliente::criaIdentificacao(const QString& customerCode)
{
    LookupQuery cliente = abre(QStringLiteral("qryCliente"), qryClienteSql, customerCode);
    if (cliente.isEmpty())
        throw std::invalid_argument(QStringLiteral("Cliente %1 não cadastrado.").arg(customerCode).toStdString());
    auto text = [&](const char* field) { return cliente.fieldByName(QString::fromUtf8(field)).asString(); };
    setWindowTitle(QStringLiteral("Consulta de Clientes - %1").arg(text("NMFANTCLIE")));

    auto* page = new QWidget(pgcCliente);
    auto* form = new QFormLayout(page);
    form->setLabelAlignment(Qt::AlignRight);
    consultaLinha(form, QStringLiteral("Código:"), text("CDCLIENTE"), QStringLiteral("lblCdCliente"));
    consultaLinha(form, QStringLiteral("Razão social:"), text("NMRAZSOCCLIE"), QStringLiteral("lblRazaoSocial"));
    consultaLinha(form, QStringLiteral("Nome fantasia:"), text("NMFANTCLIE"), QStringLiteral("lblFantasia"));
    consultaLinha(form, text("IDTPIJURCLIE") == u"F" ? QStringLiteral("CPF:") : QStringLiteral("CNPJ:"),
                  inscricao(text("NRINSJURCLIE"), text("IDTPIJURCLIE")), QStringLiteral("lblInscricao"));
    consultaLinha(form, QStringLiteral("Inscrição estadual:"), text("NRINSESTCLIE"));
    consultaLinha(form, QStringLiteral("Tipo de cliente:"), tipoCliente(text("IDTIPOCLIE")));
    consultaLinha(form, QStringLiteral("Grupo fiscal:"), text("CDGRUPOFISC") + QStringLiteral(" - ") + text("NMGRUPOFISC"));
    consultaLinha(form, QStringLiteral("Vendedor:"), text("CDVENDEDOR") + QStringLiteral(" - ") + text("NMFANVEN"));
    consultaLinha(form, QStringLiteral("Telefone:"), text("NRTELECLIE"), QStringLiteral("lblTelefone"));
    consultaLinha(form, QStringLiteral("Modalidade de pagamento:"), text("DSMODPGTO"));
    consultaLinha(form, QStringLiteral("Cadastrado em:"), consultaTexto(cliente.fieldByName(QStringLiteral("DTCADASTRO")), ConsultaFormato::Data));
    consultaLinha(form, QStringLiteral("Ativo:"), simNao(text("IDCLIEATIV")));
    consultaLinha(form, QStringLiteral("Bloqueado:"), simNao(text("IDBLOQUEADO")), QStringLiteral("lblBloqueado"));
    auto* observacao = new QLabel(text("DSOBSERVCLIE"), page);
    observacao->setWordWrap(true);
    form->addRow(QStringLiteral("Observação:"), observacao);
    pgcCliente->addTab(page, QStringLiteral("Identificação"));
}

void TfrmConsultaCliente::criaEnderecos(const QString& customerCode)
{
    auto* page = new QWidget(pgcCliente);
    auto* layout = new QVBoxLayout(page);
    LookupQuery enderecos = abre(QStringLiteral("qryEnderecos"), qryEnderecosSql, customerCode);
    QTableWidget* tabela = consultaTabela(page, QStringLiteral("grdEnderecos"), enderecos,
                                          {{QStringLiteral("IDTPENDECLIE"), QStringLiteral("Tipo")},
                                           {QStringLiteral("DSENDECLIE"), QStringLiteral("Endereço")},
                                           {QStringLiteral("NMBAIRCLIE"), QStringLiteral("Bairro")},
                                           {QStringLiteral("NMMUNICIPIO"), QStringLiteral("Município")},
                                           {QStringLiteral("SGESTADO"), QStringLiteral("UF")},
                                           {QStringLiteral("NRCEPCLIE"), QStringLiteral("CEP")}});
    for (int row = 0; row < tabela->rowCount(); ++row)
        tabela->item(row, 0)->setText(tipoEndereco(tabela->item(row, 0)->text()));
    ajustaColunas(tabela, 1);
    layout->addWidget(new QLabel(QStringLiteral("Endereços"), page));
    layout->addWidget(tabela, 2);
    LookupQuery locais = abre(QStringLiteral("qryLocais"), qryLocaisSql, customerCode);
    layout->addWidget(new QLabel(QStringLiteral("Locais de entrega"), page));
    QTableWidget* tabelaLocais = consultaTabela(page, QStringLiteral("grdLocais"), locais,
                                     {{QStringLiteral("NRLOCALENTRCLIENTE"), QStringLiteral("Nº"), ConsultaFormato::Inteiro},
                                      {QStringLiteral("DSLOCALENTRCLIENTE"), QStringLiteral("Local")},
                                      {QStringLiteral("DSENDELOCALENTR"), QStringLiteral("Endereço")},
                                      {QStringLiteral("NMBAIRLOCALENTR"), QStringLiteral("Bairro")},
                                      {QStringLiteral("NRCEPLOCALENTR"), QStringLiteral("CEP")}});
    ajustaColunas(tabelaLocais, 2);
    layout->addWidget(tabelaLocais, 1);
    pgcCliente->addTab(page, QStringLiteral("Endereços e contatos"));
}

void TfrmConsultaCliente::criaCredito(const QString& customerCode)
{
    LookupQuery credito = abre(QStringLiteral("qryCredito"), qryCreditoSql, customerCode);
    const double limite = credito.fieldByName(QStringLiteral("VRLIMCRED")).asFloat();
    const double aberto = credito.fieldByName(QStringLiteral("VRABERTO")).asFloat();
    auto* page = new QWidget(pgcCliente);
    auto* form = new QFormLayout(page);
    form->setLabelAlignment(Qt::AlignRight);
    if (credito.fieldByName(QStringLiteral("VRLIMCRED")).isNull()) {
        consultaLinha(form, QStringLiteral("Limite de crédito:"), QStringLiteral("Não concedido"), QStringLiteral("lblLimite"));
    } else {
        consultaLinha(form, QStringLiteral("Limite de crédito:"), FormatNumberBR(limite, 2), QStringLiteral("lblLimite"));
        consultaLinha(form, QStringLiteral("Válido até:"),
                      consultaTexto(credito.fieldByName(QStringLiteral("DTVALILIMCRED")), ConsultaFormato::Data));
        consultaLinha(form, QStringLiteral("Situação:"),
                      credito.fieldByName(QStringLiteral("IDSITCRED")).asString() == u"L" ? QStringLiteral("Liberado")
                                                                                        : QStringLiteral("Suspenso"),
                      QStringLiteral("lblSituacaoCredito"));
    }
    consultaLinha(form, QStringLiteral("Títulos em aberto:"), FormatNumberBR(aberto, 2), QStringLiteral("lblEmAberto"));
    consultaLinha(form, QStringLiteral("Crédito disponível:"), FormatNumberBR(RoundDec(limite - aberto, 2), 2),
                  QStringLiteral("lblDisponivel"));
    consultaLinha(form, QStringLiteral("Observação:"), credito.fieldByName(QStringLiteral("DSOBSCRED")).asString());
    pgcCliente->addTab(page, QStringLiteral("Crédito"));
}

void openGer00700(const QVariantList& args)
{
    const QString code = args.value(2).toString().trimmed();
    if (code.isEmpty()) {
        MensErro(QStringLiteral("Nenhum cliente informado para consulta."), false);
        return;
    }
    try {
        TfrmConsultaCliente consulta(code);
        host().execModal(consulta);
    } catch (const std::invalid_argument& error) {
        MensErro(QString::fromUtf8(error.what()), false);
    }
}

namespace {

[[maybe_unused]] const bool registered = [] {
    registerScreen(codigoTela, openGer00700);
    return true;
}();

} // namespace
