#pragma once
// TfrmLanPedido: the order entry screen ("PED00100", "Lançamento de
// Pedidos"). One class whose members live in several source files by topic:
//   screen.cpp          creation, activation, closing, keys, Load_Config
//   pages.cpp           the pages and their controls
//   record_sets.cpp     the screen's record sets and data links
//   param_pedido.cpp    the branch's order parameters and their effects
//   page_change.cpp     changing pages and what each page loads
//   items.cpp           the order's items, their events, codes and totals
//   item_checks.cpp     the checks of an item's columns: product, quantity,
//                       delivery date
//   item_post.cpp       the full check of an item at post: status, discounts,
//                       stock and reservations
//   editability.cpp     record-set state and the open/locked rule
//   commands.cpp        toolbar commands, branch entry, print, notes files
//   confirmation.cpp    the confirm action: SetConfirma and its reviews
//   branch.cpp          branch validation
//   header_record.cpp   the order header record set, the order list and
//                       what the current order brings along
//   header_post.cpp     the header post and its checks: dates, operation,
//                       tender and transport types, status, stock
//   customer_seller_branch.cpp  customer, seller and destination branch
//   pricing.cpp         item prices, discounts, the base price, repricing
//   payment_transport_totals.cpp  what the header shows of payment,
//                       transport, commitment balance and totals
//   rules/              the screen's arithmetic and decisions, widget-free

#include "method_catalogue.h"
#include "rpcarg.h"
#include "recordset.h"
#include "rules/confirmation.h"
#include "rules/item_post.h"
#include "screens/padraogrid.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <concepts>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class DBCheckBox;
class QCheckBox;
class QComboBox;
class QEvent;
class QKeyEvent;
class DBEdit;
class DBGrid;
class DBRichEdit;
class DataSource;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QSize;
class QSpinBox;
class QSplitter;
class QToolButton;
class QWidget;
class LookupQuery;
class RecordSet;
class TBtnPesquisa;
class TDateEditPlus;
class TNetConnection;
class TNumberEdit;
class QJsonValue;
class QJsonArray;
class QColor;
class QDate;
class QTime;
class Field;
class TMessages;
namespace RegrasPedido {
struct MaximosDesconto;
}

// The product of an item as the clerk typed its code (qryProdEsto): the
// stock product it is kept as, the factor from the sales unit to the stock
// unit and the weight of one stock unit.
struct ProdutoEstoque {
    bool existe = false;
    QString cdArvProd;
    QString cdProduto;
    QString nmProduto;
    QString sgUnidade;
    QString cdProdEsto;
    QString sgUnidPai;
    double vrFatoConv = 1;
    double vrPesoUnid = 0;
};

// The open/locked rule of an order: whether its header may still be changed.
// `inserting` or `semPedido` (no order) make it open.
bool PedidoAberto(const QString& idLancPed, const QString& idSitPedido, int nrItPedConfirmado,
                  bool inserting, bool semPedido);

// Enables a control together with the captions that name it.
void habilitaComLegenda(QWidget* control, bool enabled);

// Loads a data packet that a server call returned.
void CarregaPacote(RecordSet& cds, const QJsonValue& packet);

// Order status: its colour (invalid for an unknown code) and its text.
QColor CorSituacaoPedido(const QString& idSitPedido);
QString TextoSituacaoPedido(const TMessages& catalog, const QString& idSitPedido);
// Text of an origin code 1 to 9; empty for 0, empty or any other value.
QString TextoOrigemPedido(const TMessages& catalog, const QString& idOrigPed);
// Code stored for a freight entry text; "9" for any text it does not know.
QString CodigoFrete(const TMessages& catalog, const QString& texto);

// Whether a display of this size gets the screen maximised.
bool TelaPequena(const QSize& screenSize);

class TfrmLanPedido : public TfrmPadraoGrid {
    Q_OBJECT
public:
    explicit TfrmLanPedido(QWidget* parent = nullptr);
    ~TfrmLanPedido() override;

    // --- Connections ------------------------------------------------------------
    TNetConnection* netLanPed;
    TNetConnection* netNotaPed;

    // --- Record sets (record_sets.cpp, param_pedido.cpp) -------------------------
    RecordSet* cdsPedido;
    RecordSet* cdsParamPedido;
    RecordSet* cdsParamGerPed;
    RecordSet* cdsPermissao;
    RecordSet* cdsSalvaOpcoes;
    RecordSet* cdsItemPedido;
    RecordSet* cdsItemAux;
    RecordSet* cdsItemPedAux;
    RecordSet* cdsErroItemPed;
    RecordSet* cdsErroDtEntrega;
    RecordSet* cdsObser;
    RecordSet* cdsDadosAdicPed;
    RecordSet* cdsDadosEndPed;
    RecordSet* cdsLancNf;
    RecordSet* cdsImposPedTot;
    RecordSet* cdsImposEncar;
    RecordSet* cdsImposto;
    RecordSet* cdsItemProImpos;
    RecordSet* cdsConUltPrecVen;
    RecordSet* cdsPosiEstoq;
    RecordSet* cdsPrazoPgto;
    RecordSet* cdsEncargos;
    RecordSet* cdsValidaProduto;
    RecordSet* cdsPesqObser;
    RecordSet* cdsVerifUsoTabPreClie;
    RecordSet* cdsParExpedicao;
    RecordSet* cdsCondDesc;
    RecordSet* cdsOperTPed;
    RecordSet* cdsVendLog;
    RecordSet* cdsListaPreco;

    DataSource* dtsItemPedido;
    DataSource* dtsObser;
    DataSource* dtsDadosAdicPed;
    DataSource* dtsDadosEndPed;
    DataSource* dtsPrazoPgto;
    DataSource* dtsEncargos;
    DataSource* dtsPosiEstoq;
    DataSource* dtsImposPedTot;

    // --- Tool panel and menus ----------------------------------------------------
    QWidget* panFilial;
    QLabel* lblFilial;
    QLineEdit* medCdFilial;
    QLineEdit* edtNmFilial;
    QToolButton* btnFilial;
    QToolButton* sbtFiltro;
    QToolButton* sbtIncPed;
    QToolButton* sbtProdAvanc;
    QToolButton* sbtNotaPed;
    QToolButton* sbtPosCliente;
    QToolButton* sbtClientes;
    QToolButton* sbtCalcularDesconto;
    QToolButton* sbtReplicaPedido;
    QToolButton* sbtNFVendaFutura;
    QToolButton* sbtConUltPrecVen;
    QToolButton* sbtConsVendAdic;
    QToolButton* sbtAtuEndeEntrega;
    QToolButton* stbInconsistencia;
    QToolButton* btnCancelaComissao;
    QToolButton* btnDadosPaciente;
    QMenu* mnuManutencao;
    QAction* mnuFiltrar;
    QAction* mnuConsProduto;
    QAction* mnuNotaPed;
    QAction* mnuPosCli;
    QAction* mnuIncPed;
    QAction* mnuConsultaCliente;
    QAction* mnuAlteracaoPrecoAuto;
    QAction* mnuCalcularDesconto;
    QAction* mnuReplicarPedido;
    QAction* mnuVendaFutura;
    // Page items of "Operação".
    QAction* mnuPedido;
    QAction* mnuDadosGerais;
    QAction* mnuItemPed;
    QAction* mnuFormaPgto;
    QAction* mnuTransp;
    QAction* mnuObser;
    QAction* mnuEncargos;

    // --- Pages (pages.cpp) -------------------------------------------------------
    QWidget* tshDadosPed;
    QWidget* tshItemPedido;
    QWidget* tshTransportadora;
    QWidget* tshObservacao;
    QWidget* tshEncargos;
    QWidget* tshFormaPgto;

    // List page
    QLineEdit* edtOrigem;
    QLabel* lblNmCliente;

    // General data
    QWidget* panDadosGerais;
    QLineEdit* medNrPedido;
    TDateEditPlus* depDtRetirada;
    DBEdit* dbeCliente;
    QLineEdit* edtNmCliente;
    TBtnPesquisa* btnCliente;
    DBEdit* dbeVendedor;
    QLineEdit* edtNmVendedor;
    TBtnPesquisa* btnVend;
    DBEdit* dbeFiliDest;
    QLineEdit* edtNmFiliDest;
    TBtnPesquisa* btnFiliDest;
    QLabel* lblTipoOper;
    DBEdit* dbeTipoOper;
    QLineEdit* edtNmTipoOper;
    TBtnPesquisa* btnTipoOper;
    DBEdit* dbeTipoEdital;
    QLabel* lblEmpenho;
    DBEdit* dbeEmpenho;
    TBtnPesquisa* btpEmpenho;
    TNumberEdit* nedVrEmpenho;
    QCheckBox* chbPedIndustria;
    DBEdit* dbePrcBase;
    QLineEdit* edtPrcBase;
    TBtnPesquisa* btnPrcBase;
    QGroupBox* grbEntrega;
    TDateEditPlus* depData;
    DBEdit* dbePrazo;
    QGroupBox* grbTipoPedido;
    QRadioButton* rdbPedido;
    QRadioButton* rdbOrcamento;
    QGroupBox* grbPrioridade;
    QRadioButton* rdbPrioritaria;
    QRadioButton* rdbUrgente;
    QRadioButton* rdbAlta;
    QRadioButton* rdbNormal;
    QRadioButton* rdbBaixa;
    QGroupBox* grbDtVal;
    TDateEditPlus* depDtVal;
    DBEdit* dbeOrdemCompra;
    DBEdit* dbeMulticash;
    DBEdit* dbeBonificacao;
    DBEdit* dbePedCliente;
    DBEdit* dbePedVendedor;

    // Items
    QWidget* panItem;
    DBGrid* dbgItemPedido;
    QSplitter* splPosiEstoq;
    QWidget* panPosiEstoq;
    DBGrid* dbgPosiEstoq;
    QWidget* panImposto;
    DBGrid* dbgItemProImpos;
    QWidget* panConUltPrecVen;
    DBGrid* dbgConUltPrecVen;
    QWidget* panExped;
    TNumberEdit* nedQtPed;
    TNumberEdit* nedQtDisp;
    TNumberEdit* nedTotal;
    TNumberEdit* nedTotLiq;
    TNumberEdit* nedDescTotal;
    QToolButton* sbtVerQuantidades;

    // Carrier
    QWidget* panTransp;
    DBEdit* dbeTransp;
    QLineEdit* edtNmTransp;
    TBtnPesquisa* btnTransp;
    DBEdit* dbeTipoTransp;
    TBtnPesquisa* btnTipoTransp;
    DBEdit* dbeRotaEntrega;
    QLineEdit* edtNmRotaEntrega;
    TBtnPesquisa* btnRotaEntrega;
    QComboBox* cmbFrete;
    DBEdit* dbeDSENDEPED;
    DBEdit* dbeNMBAIRROPED;
    DBEdit* dbeNMMUNIPED;
    DBEdit* dbeSGESTADOPED;
    DBEdit* dbeNMPAISPED;
    DBEdit* dbeNRCEPPED;
    DBEdit* dbeNrLocalEntrega;
    QLineEdit* edtLocalEntrega;

    // Notes
    QWidget* panBotoesObs;
    DBRichEdit* dbrObservacao;
    DBGrid* dbgDadosAdic;
    QToolButton* sbtImp;
    QToolButton* sbtSalva;
    QMenu* pmnImportar;
    QAction* mnuArquivo;
    QAction* mnuImpPedido;

    // Charges
    DBGrid* dbgEncargos;

    // Payment
    QWidget* panFormaPgto;
    DBEdit* dbeModPgto;
    QLineEdit* edtModPgto;
    TBtnPesquisa* btnModPgto;
    DBEdit* dbeFormPgto;
    QLineEdit* edtFormPgto;
    DBGrid* dbgPrazoPg;
    QGroupBox* grbParcAutomatico;
    QToolButton* sbtGeraParcAutomatico;
    TNumberEdit* nedTotalBruto;
    TNumberEdit* nedDescTot;
    TNumberEdit* nedImposAcres;
    TNumberEdit* nedImposDecres;
    TNumberEdit* nedEncargoAcres;
    TNumberEdit* nedEncargoDecres;
    TNumberEdit* nedTotalPed;

    // --- Payment page (payment.cpp) ------------------------------------------------
    // The type radio group (read-only: the modality sets it), the fixed-day
    // settings and the automatic installments.
    QGroupBox* drgFormPgto;
    QRadioButton* rbtAVista;
    QRadioButton* rbtDiaFixo;
    QRadioButton* rbtPelaForma;
    QSpinBox* speDiaFixo;     // 0 shows empty
    QSpinBox* speParcela;
    QCheckBox* dckProxMes;
    QLabel* lblCom;
    QLabel* lblParcelas;
    QLabel* lblParenteses;
    QSpinBox* speQtParcela;
    QSpinBox* spePrazo;
    QLineEdit* edtDescricao;
    QLabel* lblGerarParcelas;
    RecordSet* cdsAuxPrazoPgto;    // the terms as they were before a row was inserted or edited
    RecordSet* cdsAuxPrazoAutom;   // the automatic installments being generated
    RecordSet* cdsPrazoMod;        // a modality's default terms
    // Checks of the payment page; `Consist`: an empty value is an error.
    void Vd_CdModPgto(bool Consist);
    void Vd_DiaFixo(bool Consist);
    void Vd_Prazo(bool Consist);
    void Vd_Percentual(bool Consist);
    void Vd_VerifSomaPerc();
    void FormPgto();
    // Sends the terms to the server when they have unsent changes; `aplica`
    // is the apply flag of setFormaPagto.
    void atualizaFormaPagto(bool aplica);
    void dbeModPgtoChange();
    void drgFormPgtoClick();
    void btnModPgtoBeforePesq(bool& cancel);
    void btnModPgtoAfterPesq();
    void dbgPrazoPgKeyPress(QChar& key);
    void dbgPrazoPgColExit();
    void dbgPrazoPgExit();
    void cdsPrazoPgtoBeforeInsert();
    void cdsPrazoPgtoAfterInsert();
    void cdsPrazoPgtoBeforeEdit();
    void cdsPrazoPgtoBeforeScroll();
    void cdsPrazoPgtoAfterDelete();
    void dtsPrazoPgtoStateChange();
    void speDiaFixoChange();
    void sbtGeraParcAutomaticoClick();
    void lblGerarParcelasClick();
    void ligaPagamento();
    void mostraTipoPagamento();
    void mostraPaginaPagamento();   // the payment page's own part of the page change
    struct ModalidadePagamento;
    void aplicaModalidade(const ModalidadePagamento& modalidade);
    void carregaPrazosDaModalidade(const QString& codigo, bool mesmoSemPrazos);
    void apagaPrazos();
    void refazPaginaPagamento();
    void limpaDiaFixo();
    void habilitaDiaFixo();
    QString textoDaCelulaDoPrazo(const char* fieldName) const;
    QList<RpcArg> argumentosFormaPagto(const DataPacket& prazos, const QString& modo, bool aplica) const;
    void confereRespostaFormaPagto(const QJsonArray& resposta);
    std::shared_ptr<LookupQuery> m_qryModPgto;   // the modality look-up's rows
    bool m_aplicandoModalidade = false;          // the screen writes CDMODPGTO: no typed change
    bool m_refazendoPaginaPagamento = false;     // a failed check shows the page again
    std::optional<double> m_diasDaLinhaEditada;  // the days of the term row as its edit began

    // --- Creation, activation, closing (screen.cpp) -------------------------------
    void FormCreate() override;
    void FormActivate();
    void FormClose() override;
    void FormKeyDown(QKeyEvent* event) override;
    void Load_Config();
    bool primeiraAtivacao() const { return m_primeiraAtivacao; }
    // Column positions of the product price list, by field name.
    int posicaoColunaListaPreco(const QString& fieldName) const;
    void ControlaActiveShowAvi(bool show, int kind);
    void ControlaDeActiveShowAvi(bool show);
    // Calls a method of the order server (or of `net`) through the result
    // check, with the busy indicator when boShowAvi asks for it; a braced
    // argument list is counted by the compiler (see TNetConnection::call).
    template <std::size_t N>
    QJsonValue Servidor(const Rpc::Method<N>& method, const std::array<RpcArg, N>& args, TNetConnection* net = nullptr)
    {
        return Servidor(method.info(), QList<RpcArg>(args.begin(), args.end()), net);
    }
    template <std::size_t N, typename List>
        requires std::same_as<List, QList<RpcArg>>
    QJsonValue Servidor(const Rpc::Method<N>& method, const List& args, TNetConnection* net = nullptr)
    {
        return Servidor(method.info(), args, net);
    }
    QJsonValue Servidor(const Rpc::MethodInfo& method, const QList<RpcArg>& args, TNetConnection* net);

    // --- Parameters (param_pedido.cpp) -------------------------------------------
    QString paramPedido(const QString& fieldName) const;   // empty without parameters
    void AplicaParamPedido();
    void AplicaParamPedidoSempre();
    // What the status codes and profitability colours mean: the hints of
    // their column titles (legendas.cpp) and the help page.
    void mostraLegendas();
    QStringList textoAjuda() const override;

    // --- Branch (branch.cpp) -----------------------------------------------------
    void panFilialExit();
    void medCdFilialEnter();
    bool trocandoDePagina() const;
    void Vd_Filial();
    bool ExibeVendedorLogado() const;
    QString ultimaFilialValidada() const { return m_ultimaFilial; }
    RecordSet* cdsPesqFilial;
    void btnFilialBeforePesq(bool& cancel);
    void btnFilialAfterPesq();
    // The logged-in seller has no seller row: the screen asked to close and
    // nothing more may reach the server.
    bool fechandoSemVendedor() const { return m_fechandoSemVendedor; }
    bool m_fechandoSemVendedor = false;

    // --- Customer, seller and branch (customer_seller_branch.cpp) ----------------
    RecordSet* cdsCliente;
    void ligaClienteVendedorFilial();
    void Vd_Cliente(bool Consist, bool AskExisting);
    void HabilitaCliente();
    void dbeClienteEnter();
    void dbeClienteExit();
    void dbeClienteChange();
    void dbeClienteKeyPress(QChar& key);
    void btnClienteClick();
    void sbtClientesClick();
    void sbtPosClienteClick();
    void Vd_Vendedor(bool Consist);
    void dbeVendedorExit();
    void dbeVendedorChange();
    void dbeVendedorKeyPress(QChar& key);
    void btnVendAfterPesq();
    void Vd_FilialDest(bool Consist);
    void AtualizaFiliDest();
    void btnFiliDestBeforePesq(bool& cancel);
    void btnFiliDestAfterPesq();
    // What the new customer would change in the order: "[ Vendedor -... ]".
    QString alteracoesDoCliente() const;
    // Routines of the delivery, operation-type and commission topics that the
    // customer and seller checks hand over to; each topic attaches its own.
    std::function<void()> ChamaRotaEntrega;
    std::function<void()> AtualizaEndereco;
    std::function<void()> dbeTipoOperExit;
    std::function<void()> CriaLocalEntrega;
    std::function<void()> CriaVendComis;
    void copiaObservacaoDoCliente();
    bool tomaTipoOperacaoDoCliente() const;
    void aplicaDadosDoCliente();
    void revalidaPaginaAtual();
    bool m_aplicandoCliente = false;   // the check writes the customer: not a typed change
    std::shared_ptr<LookupQuery> m_qryVend;        // sources of the seller and
    std::shared_ptr<LookupQuery> m_qryFiliDest;    // destination-branch look-ups

    // --- Page change (page_change.cpp) -------------------------------------------
    void pgcPadraoChanging();
    void pgcPadraoChange() override;
    void selecionaPagina(QWidget* page);   // what the "Operação" page items do
    void CarregaItens();

    // --- Items (items.cpp) -------------------------------------------------------
    RecordSet* cdsLoteUtil;
    RecordSet* cdsPrecoBase;
    RecordSet* cdsPrecoUtil;
    TMessages msgPadrao1;   // price kinds by code, "Sim"/"Nao"
    QLabel* lblTotal;
    QLabel* lblTotLiq;
    QLabel* lblCtrlEstoque;
    QLabel* lblUnidDisp;
    QLineEdit* edtLanc;
    QLineEdit* edtDataSaida;
    TNumberEdit* nedQtOrcamento;
    TNumberEdit* nedBonificacao2;
    TNumberEdit* nedRecebimento;

    QString FNrProxItem;
    QString FCdArvProdEdicao;
    QString FTipoItemAtual;
    QString FPerDescPostado;
    bool FItensAlterados = false;
    bool FItemIncluido = false;
    bool FItemEditado = false;
    bool FConfirmacaoLivre = true;
    QString FSitItemInicial;
    bool FSitItemAlterada = false;
    bool FPrecoDigitado = false;
    QHash<QString, QJsonArray> FPrecosLidos;   // product -> price answer, while the order is priced again
    QString FCdTipoDescAnterior;
    bool FPerguntaDescMax = true;
    bool FVerificaDescMax = true;
    double FVrDescDigitado = -1;
    double FPerDescDigitado = -1;

    void cdsItemPedidoBeforeInsert();
    void cdsItemPedidoNewRecord();
    void cdsItemPedidoAfterInsert();
    void cdsItemPedidoBeforeEdit();
    void cdsItemPedidoBeforePost();
    void cdsItemPedidoAfterPost();
    void cdsItemPedidoBeforeDelete();
    void cdsItemPedidoBeforeScroll();
    void cdsItemPedidoAfterScroll();
    void cdsItemPedidoAfterOpen();
    void cdsItemPedidoCalcFields(RecordSet& cds);
    void VrTotalItemPed();
    void MostraTotaisItens();   // the client's part of VrTotalItemPed
    void HabilitaDesabilitaItemPedido();
    void insereItem();
    void Vd_PedidoParcAtendido();
    void sbtVerQuantidadesClick();
    // Whether a posted item is sent to the server at once (the confirm action).
    bool ConfirmacaoImediata() const;
    bool TipoOperAtualizaEstoque() const;
    // The profitability colour of a profitability percentage.
    std::optional<double> CorRentabilidade(double percentual);

    // --- Checks of an item's columns (item_checks.cpp) ------------------------------
    RecordSet* cdsQtVolumes;
    RecordSet* cdsQtProd;
    RecordSet* cdsDescProp;
    RecordSet* cdsPesqItem;        // stored items of this order with the product
    RecordSet* cdsProdEsto;        // the product as the customer names it
    RecordSet* cdsVdProdRent;      // the product's cost data for profitability
    QJsonArray FNovoItem;          // the last GetNovoItem answer
    double FQtPedidaEstoque = 0;   // ordered in other orders, for the stock check
    ProdutoEstoque FProduto;       // the typed product, as qryProdEsto read it
    void ligaConferenciasDoItem();
    ProdutoEstoque leProduto(const QString& cdArvProd);
    void Vd_CdProduto(bool consist, bool textos);
    void confereProdutoRepetido(bool consist);
    void completaDoProduto(bool textos);
    QTime horaDeEntrega();
    void ArredondaAoMultiplo();
    void Vd_Quantidade(bool consist);
    void Vd_QtMinPed();
    void Vd_DtEntItPed(bool consist);
    void LevaEntregaDoPedido();
    bool ValidaProduto(const QString& pedido, const QString& produto);

    // --- The full check of an item at post (item_post.cpp) --------------------------
    RecordSet* cdsVerificaSitItem;
    RecordSet* cdsConsisteSaldEst = nullptr;   // created on the first shortage
    RegrasPedido::FigurasEstoque FEstoqueItem;   // the last stock figures of the item
    void VerificaSitItem();
    void SituacaoDoItem(const QString& idLancPedMod);
    void CopiaTextosDaGrade();
    void DescontosDaTabela(const QString& colunaNoInicio, double descontoModalidade);
    void DescontoPadrao(double descontoModalidade);
    void ConfereDescontoMaximo();
    void ConsisteEstoque();
    void ConfereReserva();
    // The stock position (the clerk's reservations over the item's lots).
    void ligaPosicaoEstoque();
    void mostraColunaReservada();
    QString produtoEstoqueDoItem();
    void AtualizaPosiEstoq();
    void travaPosicaoDoNovo();
    bool mostraPaineisDoItem(const QString& situacao);

    // --- Prices and discounts (pricing.cpp) ---------------------------------------
    RecordSet* cdsPesqPrcBase;
    RecordSet* cdsVdPrOpcional;
    RecordSet* cdsVrDescComis;
    QString m_clienteDescComis;   // the customer cdsVrDescComis holds
    RecordSet* cdsFator;
    RecordSet* cdsPrOpcional;
    QMenu* pmnDescontos;
    QAction* mnuAltDesc;
    QAction* mnuPrecUnit;
    QAction* mnuAlterarPreoUnitrioMultiplosPedidos;
    // The confirmation sends again what repricing changed.
    bool FPrecosRecalculados = false;
    bool FDataAlterada = false;
    void ligaPrecos();
    void PrecoBase(bool recalcula);
    QJsonArray respostaPreco(const QString& tipo);
    std::array<RpcArg, 8> argumentosPreco(const RpcArg& produtos, const QString& tipo);
    void LePrecosDosItens();
    void pesquisaFator();
    void pesquisaCondicao();
    void copiaCondicao();
    void pesquisaPrecoOpcional();
    void editaItem();
    void dbgItemPedidoEditButtonClick();
    void GravaDescItem();
    void GravaPeDescItem();
    void vd_CondDesc(bool consist);
    bool GetUtPreco(const QString& filial);
    void Vd_DescMax();
    void Vd_PrecoOpcio();
    void ValorDescComisClie();
    void Vd_Preco(bool consist);
    void Vd_Fator(bool consist);
    void Vd_PrcBase(bool consist);
    void btnPrcBaseBeforePesq(bool& cancel);
    void CarregaPrecosBase();
    void btnPrcBaseAfterPesq();
    void dbePrcBaseChange();
    void dbePrcBaseExit();
    void HabilitaProdAvanc();
    void MudaPrcBase();
    void MudaData(bool perguntaItens);
    void sbtCalcularDescontoClick();
    void mnuAltDescClick();
    void mnuPrecUnitClick();
    void mnuAlterarPreoUnitrioMultiplosPedidosClick();
    // The item grid's column check (the pricing columns).
    void dbgItemPedidoColExit();
    // The dialogs of the discount menu; until one is set its command says it
    // is not available yet.
    std::function<void()> CriaCalcularDesconto;
    std::function<void()> CriaCalcDescPreUnit;
    std::function<void()> CriaAlteracaoPrecoAuto;

    // --- State and editability (editability.cpp) ---------------------------------
    void dtsPadraoStateChange() override;
    void HabilitaDesabilitaPedido();
    void habilitaPaginas(bool dados);
    bool pedidoEmEdicao() const;
    bool itensEmEdicao() const;

    // --- Commands (commands.cpp) ---------------------------------------------------
    void sbtIncluirClick() override;
    void sbtAlterarClick() override;
    void sbtCancelarClick() override;
    void sbtVerificarClick() override;
    void sbtProcurarClick() override;
    void sbtImprimirClick() override;
    void sbtImpClick();
    void mnuArquivoClick();
    void mnuImpPedidoClick();
    void sbtSalvaClick();

    // --- Order replication and future-delivery invoice (commands.cpp) --------------
    void sbtReplicaPedidoClick();
    void sbtNFVendaFuturaClick();
    // The dialogs; until one is set its command says it is not available yet.
    std::function<void()> CriaReplicacaoPedido;
    std::function<void()> CriaNFFutura;

    // --- Order header record (header_record.cpp) ----------------------------------
    // The filter button: runs the filter dialog and reloads the list, also
    // when the dialog was cancelled; true when it was confirmed.
    bool sbtFiltroClick();
    void DadosPedido(bool loadDetails);
    void AtualizaTipoPed();
    void HabilitaColunaImporta();
    void VerificaSit();
    void cdsPedidoBeforeInsert();
    void cdsPedidoAfterInsert();
    void cdsPedidoBeforeEdit();
    void cdsPedidoAfterEdit();
    void detalheEmEdicao(const DataSource& detalhe);
    void cdsPedidoAfterCancel();
    void cdsPedidoBeforePost();
    void cdsPedidoAfterPost();
    void cdsPedidoAfterOpen();
    void cdsPedidoBeforeDelete();
    void cdsPedidoAfterScroll();
    void cdsPedidoCalcFields();
    void cdsPedidoCDCLIENTEChange(Field& field);
    void cdsPedidoCDFILIALPEDChange(Field& field);
    void cdsPedidoCDMODPGTOChange(Field& field);
    // The entry period of the list, on the list page.
    QWidget* panPeriodo;
    QLabel* lblintde;
    QLabel* lblintate;
    // Set by the customer delivery-location dialog; Include and a confirmed
    // order clear it.
    bool boLocalEntregaCli = false;

    // --- Header post and its checks (header_post.cpp) ------------------------------
    QLineEdit* edtNmTipoEdital;
    TBtnPesquisa* btpTipoEdita;
    QLineEdit* edtNmTipoTransp;
    void ligaConferenciasDoCabecalho();
    void Vd_Geral();
    void Vd_DataPedido(bool Consist);
    void Vd_DataEntrega(bool Consist);
    void Vd_Data();
    void Vd_TipoOper(bool Consist);
    void btnTipoOperBeforePesq(bool& cancel);
    void btnTipoOperAfterPesq();
    void Vd_TipoEital();
    void btpTipoEditaAfterPesq();
    void Vd_CdTipTrans(bool Consist);
    // Until their own topics: the commitment number and the industry flag
    // reach the record as typed.
    void Vd_Empenho();
    void Vd_PedIndustria();
    // A refusal of a header check: its page shown, its editor focused, its
    // message; `texto` is the editor's text the message quotes.
    [[noreturn]] void recusaCabecalho(const QString& chave, bool citaTexto = false, const QString& texto = {});
    // Runs a check of another topic; a refusal shows `pagina` with the
    // cursor on `campo` before it travels on.
    void naPagina(QWidget* pagina, QWidget* campo, const std::function<void()>& confere);
    void confereModalidade(bool Consist);
    void copiaEditoresNoCabecalho();
    void situacaoAoGravar();
    void confereEstoqueDoPedido();
    void mostraFaltaDoPedido(const QJsonArray& falta);
    // The product a shortage is about, with the unit its figures are in.
    struct ProdutoEmFalta {
        QString cdProduto, cdArvProd, nmProduto, sgUnidade;
    };
    void abreFaltaEstoque(const ProdutoEmFalta& produto, const RegrasPedido::FaltaEstoque& falta);
    void aplicaDescontoDaModalidade();
    void atualizaEstoqueDosItens();
    void revalidaPaginaDaData();
    std::shared_ptr<LookupQuery> m_qryPesqTipoOper;
    std::shared_ptr<LookupQuery> m_qryTipoEdital;

    // --- Payment, transport and totals shown (payment_transport_totals.cpp) ---------
    void Atualiza_TipoEdital();
    void Atualiza_Empenho(const QJsonValue& saldo);
    void AtualizaTipoTrans();
    void Vd_Transport();
    void AtualizaFormaPgto();
    void VrImposEncargo();
    void dbeModPgtoExit();

    // --- Confirmation (confirmation.cpp) --------------------------------------------
    // Sends the whole order in one SetConfirma and lets the clerk review what
    // the server found; in browse state it only shows the order as stored.
    void sbtConfirmarClick() override;
    void Busca_SitItem();
    RecordSet* cdsVrMinPed = nullptr;
    RecordSet* cdsValidadeComissao = nullptr;
    RecordSet* cdsAuxErroRentProd = nullptr;
    RecordSet* cdsAuxErroTpFiscProd = nullptr;
    RecordSet* cdsConfirmaRes = nullptr;
    Bookmark bkPosItPed;
    struct EstadoConfirmacao;
    // What SetConfirma takes by reference, alive for the call.
    struct ArgumentosConfirma {
        QJsonValue pedido, prazos, itens, posicao, observacao, dadosAdicionais, vendedores, endereco, encargos;
        QString textoServidor;
    };
    void criaRecordSetsDaConfirmacao();
    void confirmaPedido(EstadoConfirmacao& estado);
    void confereOPedido(EstadoConfirmacao& estado);
    bool modalidadeAlterada() const;
    void aplicaModalidadeNosItens();
    bool itensFiltrados(const QString& filtro);
    void reprecificaPelaModalidade();
    void aplicaDescontoDaModalidadeNosItens();
    void conferePrazosETotais(EstadoConfirmacao& estado);
    void carregaItensQueFaltam(bool alterou);
    void confereValorMinimo();
    void postaTudo();
    QList<RpcArg> argumentosConfirma(const RegrasPedido::SinaisSubmissao& sinais, bool inserindo, ArgumentosConfirma& saida);
    QJsonArray submete(EstadoConfirmacao& estado, RegrasPedido::Submissao submissao);
    bool perguntaSeReconecta(const QString& falha);
    void voltaAEdicao();
    void ressubmete(EstadoConfirmacao& estado);
    bool revisa(EstadoConfirmacao& estado, const QJsonValue& achados, const QString& modo);
    void trataAchados(EstadoConfirmacao& estado, const QJsonArray& resposta, bool primeira);
    QString revisaProdutos(EstadoConfirmacao& estado, const QJsonValue& achados, RecordSet& lista,
                           std::unique_ptr<RecordSet>& temporario,
                           const std::function<QString(TNetConnection*, const QJsonValue&)>& dialogo);
    void trataMensagem(EstadoConfirmacao& estado, const QJsonValue& mensagem);
    void trataMensagemFinal(EstadoConfirmacao& estado, const QJsonArray& resposta);
    void trataErrosDosItens(EstadoConfirmacao& estado, const QJsonArray& resposta, bool depoisDaRecusa);
    void trataPrecosEReservas(EstadoConfirmacao& estado, const QJsonArray& resposta);
    DataPacket prazosDoPedido() const;
    void concluiConfirmacao(EstadoConfirmacao& estado);
    void mostraPedidoGravado();
    void falhaDepoisDeEnviar(EstadoConfirmacao& estado);
    void finalizaConfirmacao(bool mostraAvi);

    // Detachable handlers: the branch panel's exit and the date editors' changes.
    std::function<void()> onPanFilialExit;
    std::function<void()> onDtRetiradaChange;
    std::function<void()> onDataChange;

    int nrItPedConfirmado() const { return m_nrItPedConfirmado; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void criaRecordSets();
    void criaParamPedido();
    void criaPedido();
    void criaListaPedidos();
    void carregaDetalhesPedido(const QJsonArray& resultado);
    void atualizaPeriodoEBotoes();
    void numeraNovoPedido();
    void preencheControlesNovoPedido();
    void tipoOperacaoPadrao();
    void vendedorPadrao();
    void clientePadrao();
    void mostraPedidoAtual();
    void carregaDetalhesDaPagina(const QJsonArray& elementos);
    void mostraPrioridade(const QString& idPrioPed);
    void mostraFrete(const QString& idPgFretTran);
    void pintaNavegador(const QColor& cor);
    void criaItemPedido();
    void ligaEventosItemPedido();
    QHash<qint64, double> m_coresRentabilidade;   // by percentage in millionths
    void criaPainelFerramentas();
    void criaPaginas();
    void criaPaginaLista();
    void criaPaginaDadosGerais();
    void criaPaginaItens();
    void criaPaginaTransportadora();
    void criaPaginaObservacao();
    void criaPaginaEncargos();
    void criaPaginaFormaPgto();
    void criaMenuPaginas();
    void ligaEventos();
    void marcaMenuPaginas();
    void carregaPaginaDadosGerais();
    void mudaPagina(const std::function<void()>& reattach);
    std::array<RpcArg, Rpc::LanPedido::GetPgcChange.args.size()> argumentosPgcChange() const;
    void carregaFiliais();
    bool linhasDeOutroPedido(const RecordSet* cds, std::initializer_list<const char*> chaves) const;
    bool prazosDeOutroPedido() const;
    bool itensDeOutroPedido() const;
    void guardaDataNoCabecalho(const TDateEditPlus& editor, const char* nome);
    QString texto(const QString& key) const { return msgPadrao.Msg(key); }
    void mostraItemNoProduto(const char* field = "CDARVPROD");
    QDate depDtRetiradaData() const;
    RegrasPedido::MaximosDesconto maximosDoItem(const QString& vendedor);
    void ConfirmaPrecosDosItens();
    void RepassaItens(const std::function<void()>& porItem);
    void ExigePrecoNoItem();
    void abreFerramentaPreco(const std::function<void()>& dialogo, const QAction* comando);

    QHash<QString, int> m_colunasListaPreco;
    QHash<QToolButton*, QAction*> m_botoesMenu;
    std::array<std::function<void()>, 3> m_handlersGuardados;
    QString m_ultimaFilial;
    int m_nrItPedConfirmado = 0;
    bool m_primeiraAtivacao = true;
    bool m_mudandoPagina = false;
    bool m_pronto = false;        // every control exists
    bool m_filialFixa = false;    // the host fixes the branch for this screen
    bool m_freteLigado = false;   // the freight combo writes the order's freight code
};
