#pragma once
// The unit-price calculator ("PED00118", "Alterar Preço Unitário"): the
// clerk gives the selected item, or every item of the order, a new unit
// price or a percentage up or down, looks at the prices the server would
// store ("Consulta Alteração de Preço Unitário") and has the server store
// them, with a supervisor's release where the server asks for one.

#include "datapacket.h"
#include "screens/padraogrid.h"
#include "screens/rotigeral.h"

#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RecordSet;
class TNetConnection;
class TNumberEdit;

// What the dialog reads of the order entry screen.
struct CalcDescPreUnitTela {
    DataPacket itens;                      // the data of cdsItemPedido
    QString nrItemPed;                     // the current item's NRITEMPED
    TNetConnection* netLanPed = nullptr;   // SetGeraItemPed, SetPreco, the release
    QString operador;                      // the logged-in operator
    QString idPerAltPreco;                 // IDPERALTPRECO of the branch's parameters
    QString dsPerAltMaior;                 // DSPERALTMAIOR: the largest raise, percent
    QString dsPerAltMenor;                 // DSPERALTMENOR: the largest cut, percent
    QWidget* parent = nullptr;
};

// Creates the dialog on first use (and again after its parent went away),
// loads the items, and runs it modally.
void CriaCalcDescPreUnit(const CalcDescPreUnitTela& tela);

// What the clerk asked for, as the server takes it.
struct AlteracaoPreco {
    bool apenasItem = true;
    QString tipo;    // "P" percentage, "V" value
    double valor = 0;
    QString acao;    // "A" increase, "D" decrease (also with "V")
};

// A server answer split into its key and argument: "ALTMAIOR_10" is
// "ALTMAIOR" and "10". A key the dialog knows is taken whole first, so that
// one with "_" of its own ("OP_N_AUT") is not cut.
struct RespostaPreco {
    QString chave;
    QString argumento;
};
RespostaPreco separaResposta(const QString& resposta);

class TfrmCalcDescPreUnit : public TfrmRotiGeral {
    Q_OBJECT
public:
    explicit TfrmCalcDescPreUnit(QWidget* parent);
    ~TfrmCalcDescPreUnit() override;

    // The items and the current one, each time the dialog opens.
    void carrega(const CalcDescPreUnitTela& tela);

    QLineEdit* edtPrecoUnitario;
    QRadioButton* rbtApenas;
    QRadioButton* rbtTodos;
    QCheckBox* chbValor;
    TNumberEdit* nedValor;
    QCheckBox* chbPercentual;
    TNumberEdit* nedPercentual;
    QRadioButton* rbtAcrescimo;
    QRadioButton* rbtDesconto;
    QPushButton* btfVisualizar;
    RecordSet* cdsItem;

    // The input checked; a failure focuses the control to correct.
    void Vd_Validacoes();
    // The input as the server takes it (after Vd_Validacoes).
    AlteracaoPreco alteracao() const;
    const CalcDescPreUnitTela& dadosTela() const { return tela; }

    void btfVisualizarClick();
    void sbtConfirmaClick() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chbValorClick();
    void chbPercentualClick();
    QString setPreco(const AlteracaoPreco& alteracao, bool verificaPermissao);
    void alterado();
    [[noreturn]] void falha(QWidget* controle, const QString& texto);

    CalcDescPreUnitTela tela;
};

// The preview: the rows SetGeraItemPed gives for the calculator's input.
class TfrmAltPreco : public TfrmPadraoGrid {
    Q_OBJECT
public:
    TfrmAltPreco(TfrmCalcDescPreUnit& calculadora, QWidget* parent);
    ~TfrmAltPreco() override;

    RecordSet* cdsItemPed;
    QLineEdit* edtVrTotalProdutos;
    QLineEdit* edtPrecoBase;
    QLineEdit* edtPrecoMaximo;
    QLineEdit* edtPrecoMinimo;
    QLabel* lblPrecoMaximo;
    QLabel* lblPrecoMinimo;

    void dtsPadraoStateChange() override;
    void sbtIncluirClick() override;

private:
    void consulta(const TfrmCalcDescPreUnit& calculadora);
    void mostraLinha();
};

// Opens the preview of the calculator's current input (the host runs it modally).
void CriaAltPreco(TfrmCalcDescPreUnit& calculadora);
