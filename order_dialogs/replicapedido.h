#pragma once
// Order replication ("PED00115", "Replicação de Pedidos"): the current
// order of the order entry screen copied by the server into a new order for
// the branch, customer, destination branch and dates the clerk gives. The
// problems the server finds are listed in the host's error list "EXP00107".

#include "screens/rotigeral.h"

#include <QDate>
#include <QString>

class QLineEdit;
class RecordSet;
class TBtnPesquisa;
class TDateEditPlus;
class TNetConnection;

// What the dialog reads of the order entry screen, once, when it opens.
struct ReplicaPedidoTela {
    QString cdFilial;       // the current order's CDFILIAL
    QString nrPedido;       // NRPEDIDO
    QString nrInsJurClie;   // the customer's tax number
    QString idTpIjurClie;   // its person kind
    QString cdCliente;
    QString nmFantClie;
    QString cdFilialPed;    // destination branch
    QString idUtValiPed;    // IDUTVALIPED of the branch's parameters
    double qtDiaValiPed = 0;   // QTDIAVALIPED: days of validity
    QString nrDiasEntPed;      // NRDIASENTPED: working days to delivery
    const TMessages* msgTela = nullptr;   // the screen's catalog (FILIAL, CD_NUL, CLIE_..., DT_...)
    TNetConnection* netLanPed = nullptr;  // getFilial, replicaPedido, IntegraNeolog
    RecordSet* cdsPesqFilial = nullptr;   // the screen's branch list, reloaded for the look-up
    QWidget* parent = nullptr;
};

// Creates the dialog (once at a time) and runs it modally; true when an
// order was copied.
bool CriaReplicacaoPedido(const ReplicaPedidoTela& tela);

// The catalog key a typed order date fails with, empty when it passes:
// "DT_NULO" (empty and required), "DT_INV", "DT_ERRO" (after today),
// "DT_MENOR" (before 30/12/1899).
QString chaveDataPedido(const QString& texto, const QDate& hoje, bool obrigatoria);
// The same for the delivery date: "DTENT_NULO", "DTENT_INV", "DTENT_DTATU"
// (before today).
QString chaveDataEntrega(const QString& texto, const QDate& hoje, bool obrigatoria);

// What a failed replication call means for the dialog: the server's "OK"
// is a success, a refusal key of the dialog's catalog is shown as such, and
// anything else goes to the result check.
enum class FalhaReplicacao { Sucesso, Recusa, Outra };
FalhaReplicacao classificaFalha(const QString& mensagem);

class TfrmReplicaPedido : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmReplicaPedido(const ReplicaPedidoTela& tela);
    ~TfrmReplicaPedido() override;

    QLineEdit* edtFilial;
    TBtnPesquisa* btnFilial;
    QLineEdit* edtPedido;
    QLineEdit* medInscClie;
    TBtnPesquisa* btnCliente;
    QLineEdit* edtNmCliente;
    QLineEdit* edtFilialDest;
    TBtnPesquisa* btnFilialDest;
    QLineEdit* edtFiliDest;
    TDateEditPlus* depDtPedido;
    TDateEditPlus* depDtEntrega;
    TDateEditPlus* depDtValidade;
    QLineEdit* edtNrOrdCompra;
    RecordSet* cdsErroImp;
    QString stCliente;   // the customer code resolved from the tax number

    bool replicado() const { return m_replicado; }

    void Vd_Filial();
    void Vd_FilialDest();
    void Vd_NrInsJurClie(bool obrigatorio);
    void Vd_DataPedido(bool obrigatoria);
    void Vd_DataEntrega(bool obrigatoria);
    void sbtConfirmaClick() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void criaControles();
    void ligaPesquisas();
    void carregaFiliais(const QString& filial);
    QString filialCadastrada(QLineEdit* edicao);
    void depDtPedidoExit();
    void medInscClieEnter();
    void sucesso();
    [[noreturn]] void falha(QWidget* controle, const QString& texto);
    QString textoTela(const char* chave) const;

    ReplicaPedidoTela tela;
    QString m_cdClientePesquisa;   // set when the customer came from the look-up
    bool m_replicado = false;
};
