#pragma once
// "EXP00107": the problems a replication of orders found, listed from the
// record set the caller hands over, under the caller's title. Read only;
// the cells show each field's text (a code through its display text).
//
// LoadBPL("EXP00107", {QVariant::fromValue(quintptr(&recordSet)), title}):
// the caller owns the record set for the time of the call. Registers itself
// with LoadBPL when the host library loads.

#include "rotigeral.h"

#include <QVariantList>

class DBGrid;
class QLabel;
class DataSource;
class RecordSet;

class TfrmErrosReplicacao : public TfrmRotiGeral {
    Q_OBJECT
public:
    TfrmErrosReplicacao(RecordSet& erros, const QString& titulo, QWidget* parent = nullptr);

    QLabel* lblTitulo;
    DBGrid* dbgErros;

private:
    DataSource* dtsErros;
};

// LoadBPL's entry for "EXP00107".
void openExp00107(const QVariantList& args);
