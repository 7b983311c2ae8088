#pragma once
// The automatic price change ("PED00110", "Alteração de Preço Automático"):
// the clerk chooses customers, a delivery period, products and operation
// types, sees each product at each price it has in those orders, types new
// prices and has the server change them in every order at once.

#include "screens/rotigeral.h"

#include <QJsonValue>
#include <QList>
#include <QString>

class DataSource;
class DBGrid;
class QGroupBox;
class QPushButton;
class QRadioButton;
class RecordSet;
class RpcArg;
class TDateEditPlus;
class TNetConnection;

// What the dialog reads of the order entry screen.
struct AlteracaoPrecoAutoTela {
    TNetConnection* netLanPed = nullptr;   // GetProdCli, GetProdGrid, SetAlteracaoPreco
    QString cdFilial;                      // the screen's branch, for the working days
    QString nrDiasEntPed;                  // NRDIASENTPED of the branch's parameters
    QWidget* parent = nullptr;
};

// Creates the dialog on first use (and again after its parent went away),
// empties the criteria and runs it modally.
void CriaAlteracaoPrecoAuto(const AlteracaoPrecoAutoTela& tela);

class TfrmAlteracaoPrecoAuto : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmAlteracaoPrecoAuto(QWidget* parent);
    ~TfrmAlteracaoPrecoAuto() override;

    void FormActivate(const AlteracaoPrecoAutoTela& tela);

    QGroupBox* grbCriterios;
    QRadioButton* rbtTCliente;
    QRadioButton* rbtLCliente;
    QPushButton* btnCliente;
    TDateEditPlus* depDeEntrega;
    TDateEditPlus* depAteEntrega;
    QRadioButton* rbtTProduto;
    QRadioButton* rbtLProduto;
    QPushButton* btnProduto;
    QRadioButton* rbtTTipoOper;
    QRadioButton* rbtLTipoOper;
    QPushButton* btnTipoOper;
    DBGrid* dbgProdGrid;
    RecordSet* cdsProdCli;
    RecordSet* cdsProdGrid;

    // The criteria, in the list text of PesquisaLista.
    QString stCliente;
    QString stProduto;
    QString stTipoOper;
    QString stDataVazia;

    void btnClienteClick();
    void btnProdutoClick();
    void btnTipoOperClick();
    void Vd_Cliente();
    void Vd_Produto();
    void Vd_TipoOper();
    void Vd_DataEntrega();
    void CarregaGrade();
    void FechaGrade();
    void sbtConfirmaClick() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<RpcArg> criterios();
    void recalculaDataVazia();
    void habilitaConfirma();
    void mostraBloqueio(const QJsonValue& pedidos);
    [[noreturn]] void falha(QWidget* foco, const QString& key);

    AlteracaoPrecoAutoTela tela;
    DataSource* dtsProdGrid;
    bool m_carregando = false;
};
