#pragma once
// The host's review of the products the server found fault with at the
// order confirmation: below the minimum profitability, or needing a permit
// the customer lacks. The clerk decides what becomes of their items, and
// the decision comes back as a text:
//   "Deletar"      the items of those products are removed from the order
//   "StandBy"      they stay, marked irregular, waiting for a release
//   "OK"           they stay, marked irregular
//   "Nao_Autoriza" they stay, marked irregular, refused
//   "Autoriza"     they stay as they are
// Closing the dialog without a choice is "StandBy": nothing is lost and the
// items are still marked.

#include <QDialog>
#include <QJsonValue>
#include <QString>

class TNetConnection;

class TfrmConsisteProduto : public QDialog {
    Q_OBJECT
public:
    enum class Tipo { Rentabilidade, Alvara };
    TfrmConsisteProduto(Tipo tipo, const QJsonValue& achados, QWidget* parent = nullptr);

    // One of the five decisions above; closes the dialog.
    void responde(const QString& decisao);
    QString decisao() const { return m_decisao; }

private:
    QString m_decisao = QStringLiteral("StandBy");
};

// Run through the Host, so that a test answers them by object name
// ("frmConsisteRentabilidadeProd", "frmConsisteAlvaraProd").
QString ConsisteRentabilidadeProd(TNetConnection* connection, const QJsonValue& achados);
QString ConsisteAlvaraProd(TNetConnection* connection, const QJsonValue& achados);
