#pragma once
// The future-delivery invoice ("PED00120", "Geração NF de Venda Futura"):
// the server issues the invoice of the order current on the order entry
// screen for the operation type and output series the clerk picks, or shows
// the one the order already has. Talks to its own remote data module,
// "Ped00120.rdmGeraNFFutura".

#include "screens/rotigeral.h"

#include <QString>

class DBGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordSet;
class TBtnPesquisa;
class TNetConnection;

// Creates the dialog (once at a time) for the order and runs it modally;
// true when an invoice was issued.
bool CriaNFFutura(const QString& filial, const QString& pedido, QWidget* parent);

class TfrmGeraNFFutura : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmGeraNFFutura(QWidget* parent);
    ~TfrmGeraNFFutura() override;

    TNetConnection* netGeraNFFutura;
    QLineEdit* medTipoOper;
    QLineEdit* edtTipoOper;
    TBtnPesquisa* sbtTipoOper;
    QLineEdit* medSerie;
    QLineEdit* edtSerie;
    TBtnPesquisa* btpSerieNF;
    QPushButton* btnVisuErros;
    QPushButton* sbtVerifNFFutura;
    QGroupBox* grbNFFutura;
    QLabel* lblNFFutura;
    DBGrid* dbgImpostos;
    RecordSet* cdsSemImpObrig;
    RecordSet* cdsVerifNFFutura;

    bool gerada() const { return m_gerada; }

    void Vd_TipoOper(bool obrigatorio);
    void Vd_Serie(bool obrigatorio);
    void sbtConfirmaClick() override;
    void sbtVerifNFFuturaClick();
    void btnVisuErrosClick();
    void FormClose() override;

private:
    void criaControles();
    void ligaPesquisas();
    void ajustaAltura();
    [[noreturn]] void falha(QWidget* controle, const QString& chave);

    bool m_gerada = false;
};
