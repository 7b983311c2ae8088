#pragma once
// TfrmFiltroPedido: the order filter dialog. It shows `Filtro` when it first
// becomes active, lets the clerk change the criteria and pick code lists, and
// writes `Filtro` back only when the confirmation's checks pass.

#include "filtropedido.h"
#include "method_catalogue.h"
#include "screens/filtropadrao.h"

#include <QString>
#include <functional>
#include <memory>

class LookupQuery;
class QGroupBox;
class QLabel;
class QLineEdit;
class QCheckBox;
class QRadioButton;
class QPushButton;
class RecordSet;
class TButtonFlat;
class TDateEditPlus;

class TfrmFiltroPedido : public TfrmFiltroPadrao {
    Q_OBJECT
public:
    TfrmFiltroPedido(TFiltro& filtro, const FiltroPedidoTela& tela);
    ~TfrmFiltroPedido() override;

    // --- Order and invoice numbers --------------------------------------
    QGroupBox* grbNrPedido;
    QRadioButton* rbtTNrPedido;
    QRadioButton* rbtIntervalo;
    QRadioButton* rbtLNrPedido;
    QLabel* lblDeIntervalo;
    QLabel* lblAteIntervalo;
    QLineEdit* medDeIntervalo;
    QLineEdit* medAteIntervalo;
    TButtonFlat* btnNrPedido;

    QGroupBox* grbNota;
    QRadioButton* rdbTNota;
    QRadioButton* rdbInNota;
    QRadioButton* rdbLNota;
    QLabel* lblDeNota;
    QLabel* lblAteNota;
    QLineEdit* edtDeNota;
    QLineEdit* edtAteNota;
    TButtonFlat* btnNota;

    // --- Dates, quotation range, import, purchase order -------------------
    QGroupBox* grbEmissao;
    TDateEditPlus* depDeEmissao;
    TDateEditPlus* depAteEmissao;
    QGroupBox* grbEntrega;
    TDateEditPlus* depDeEntrega;
    TDateEditPlus* depAteEntrega;
    QGroupBox* grbOrcamento;
    QLineEdit* medOrcDe;
    QLineEdit* medOrcAte;
    QGroupBox* grbImportacao;
    TDateEditPlus* depDeImporta;
    TDateEditPlus* depAteImporta;
    QGroupBox* grbNrImportacao;
    QLineEdit* medNrImporta;
    QGroupBox* grbPedImportados;
    QRadioButton* rdbTodosPed;
    QRadioButton* rdbSemEstoq;
    QGroupBox* grbOrdem;
    QLineEdit* edtOrdem;

    // --- Check boxes --------------------------------------------------------
    QGroupBox* grbPrioridade;
    QCheckBox* chbBaixa;
    QCheckBox* chbNormal;
    QCheckBox* chbAlta;
    QCheckBox* chbUrgente;
    QCheckBox* chbPrioritaria;
    QGroupBox* grbStatusPedido;
    QCheckBox* chbPendente;
    QCheckBox* chbAndamento;
    QCheckBox* chbLiquidado;
    QCheckBox* chbCancelado;
    QCheckBox* chbParcialmente;
    QGroupBox* grbStatusItem;
    QCheckBox* chbIPendente;
    QCheckBox* chbIConfirmado;
    QCheckBox* chbIAprovado;
    QCheckBox* chbILiquidado;
    QCheckBox* chbICancelado;
    QCheckBox* chbIParcialmente;
    QGroupBox* grbTipoPedido;
    QCheckBox* chbPedido;
    QCheckBox* chbOrcamento;

    // --- Code-list groups: "Todos", "Lista" and the look-up ---------------
    QGroupBox* grbCliente;
    QRadioButton* rbtTCliente;
    QRadioButton* rbtLCliente;
    TButtonFlat* btnCliente;
    QGroupBox* grbVendedor;
    QRadioButton* rbtTVendedor;
    QRadioButton* rbtLVendedor;
    TButtonFlat* btnVendedor;
    QGroupBox* grbVendComis;
    QRadioButton* rbtTVendComis;
    QRadioButton* rbtLVendComis;
    TButtonFlat* btnVendComis;
    QGroupBox* grbProduto;
    QRadioButton* rbtTProduto;
    QRadioButton* rbtLProduto;
    TButtonFlat* btnProduto;
    QGroupBox* grbFiliDest;
    QRadioButton* rbtTFiliDest;
    QRadioButton* rbtLFiliDest;
    TButtonFlat* btnFiliDest;
    QGroupBox* grbMuniciCli;
    QRadioButton* rbtTMuniciCli;
    QRadioButton* rbtLMuniciCli;
    TButtonFlat* btnMuniciCli;
    QGroupBox* grbOrigem;
    QRadioButton* rbtTOrigem;
    QRadioButton* rbtLOrigem;
    TButtonFlat* btnOrigem;
    QGroupBox* grbTipoDeOp;
    QRadioButton* rbtTTipoOper;
    QRadioButton* rbtLTipoOper;
    TButtonFlat* btnTipoOper;
    QGroupBox* grbDepartamento;
    QRadioButton* rbtTDepto;
    QRadioButton* rbtLDepto;
    TButtonFlat* btnDepto;

    QPushButton* sbtLimpa;

    // The lists being edited, in the list text of PesquisaLista.
    QString stNrPedido;
    QString stNota;
    QString stCliente;
    QString stVendedor;
    QString stVendComis;
    QString stProduto;
    QString stMuniciCli;
    QString stPFiliDest;
    QString stTipoOpercao;
    QString stDept;
    QString stOrigem;

    // Look-up sources.
    std::unique_ptr<LookupQuery> qryCliente;
    std::unique_ptr<LookupQuery> qryVendedor;
    std::unique_ptr<LookupQuery> qryMuniciCli;
    std::unique_ptr<LookupQuery> qryProduto;
    std::unique_ptr<LookupQuery> qryFiliDest;
    std::unique_ptr<LookupQuery> qryTipoOper;
    std::unique_ptr<LookupQuery> qryDepto;
    RecordSet* cdsNrPedido;
    RecordSet* cdsNota;
    RecordSet* cdsOrigem;

    // --- Handlers -----------------------------------------------------------
    void FormActivate();
    void sbtConfirmaClick() override;
    void sbtLimpaClick();
    void FormKeyDown(QKeyEvent* event) override;
    void btfSaveOpcClick() override;
    void btfLoadOpcClick() override;

    void btnNrPedidoClick();
    void btnNotaClick();
    void btnClienteClick();
    void btnVendedorClick();
    void btnVendComisClick();
    void btnProdutoClick();
    void btnFiliDestClick();
    void btnMuniciCliClick();
    void btnOrigemClick();
    void btnTipoOperClick();
    void btnDeptoClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ListGroup;

    // Layout (filtropedido_layout.cpp).
    void buildControls();
    QGroupBox* listGroup(const QString& name, const QString& caption, QRadioButton*& todos, QRadioButton*& lista,
                         TButtonFlat*& lookup);
    void buildOrigens();
    void applyParameters();
    QString paramPedido(const QString& field) const;

    // Options (filtropedido.cpp).
    void connectOptions();
    void nrPedidoOptionChanged();
    void notaOptionChanged();
    void notaChosen();
    void forceInvoicedStatuses();
    void widenOnExit(QObject* edit);
    QList<ListGroup> listGroups();
    void restrictSeller();

    // Confirmation (filtropedido_confirm.cpp).
    void widenEdits();
    void checkDates();
    void checkEntryDates();
    void checkDeliveryDates();
    void checkInterval(QLineEdit* from, QLineEdit* to);
    void checkQuotationRange();
    void checkLists();
    void writeFiltro();
    [[noreturn]] void fail(QWidget* focus, const QString& key);

    // Look-ups (filtropedido_lookups.cpp).
    void createQueries();
    void openServerList(const Rpc::Method<1>& method, RecordSet& target);
    void pickFromQuery(LookupQuery& source, const QString& keyField, const QString& caption, QString& list,
                       const QString& emptyKey, QWidget* emptyFocus, const std::function<void(RecordSet&)>& present);

    TFiltro& filtro;
    FiltroPedidoTela tela;
    bool m_loaded = false;
    bool m_restrictedSeller = false;
};
