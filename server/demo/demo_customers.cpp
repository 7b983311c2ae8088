// Demo rows for the customer, seller and branch checks of order entry and
// the customer enquiries: operators bound to sellers (one of them to a seller
// who left), customers that agree or differ with each other in everything a
// customer brings into an order, a customer whose operation type sends goods
// to another branch, credit lines, receivables and seller messages.
//
// Loaded after everything else, so the rows that came before keep their
// codes and numbers; none of these customers has orders.

#include "demo_customers.h"

#include "check_digits.h"
#include "rpc/password.h"
#include "store/sql.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

void insert(QSqlDatabase& db, const QString& table, const QStringList& columns, const QList<QVariantList>& rows)
{
    BatchInserter inserter(db, table, columns);
    for (const QVariantList& row : rows)
        inserter.add(row);
    inserter.flush();
}

QStringList columns(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list << QString::fromUtf8(name);
    return list;
}

struct NewCustomer {
    const char* code;
    const char* tradeName;
    const char* legalName;
    const char* cnpjBase;      // twelve digits
    const char* customerType;
    const char* seller;
    const char* priceTable;
    const char* operationType;
    const char* discount;
    int carrier;               // index into the carriers by document; -1 none
    const char* transportType;
    const char* freight;
    const char* modality;
    const char* street;
    const char* note;          // copied into new orders
};

// 000101 and 000102 agree in everything an order takes from its customer;
// 000103 differs from them in all of it; 000104 ships to another branch;
// 000105 keeps a note that new orders copy.
const NewCustomer newCustomers[] = {
    {"000101", "Drogaria Irmãos Lima", "Drogaria Irmãos Lima Ltda", "318274650001", "R", "0004", "02", "01",
     "0000000002", 0, "0001", "1", "00003", "Rua da Mooca, 1200", nullptr},
    {"000102", "Drogaria Lima Filial", "Drogaria Irmãos Lima Ltda - Filial Tatuapé", "318274650002", "R", "0004",
     "02", "01", "0000000002", 0, "0001", "1", "00003", "Rua Tuiuti, 455", nullptr},
    {"000103", "Distribuidora Horizonte", "Horizonte Distribuição Hospitalar Ltda", "527381940001", "R", "0005",
     "03", "05", "0000000003", 2, "0002", "2", "00004", "Avenida do Estado, 5533", nullptr},
    {"000104", "Vale Verde Campinas (transf.)", "Vale Verde Distribuidora - transferências Campinas",
     "482917360002", "F", "0001", "01", "03", nullptr, -1, nullptr, "0", "00001", "Avenida John Boyd Dunlop, 3900", nullptr},
    {"000105", "Clínica Bem Viver", "Clínica Médica Bem Viver Ltda", "604518230001", "F", "0001", "01", "01",
     nullptr, -1, nullptr, "0", "00002", "Rua Cardeal Arcoverde, 900",
     "Entregar somente com nota fiscal em duas vias. Conferência no recebimento pela enfermeira-chefe."},
};

} // namespace

void loadDemoCustomers(QSqlDatabase& db, const QDate& today)
{
    auto at = [&](int days) { return QDateTime(today.addDays(days), QTime(0, 0)); };

    // Paulo left the company: his operator is still bound to him.
    insert(db, QStringLiteral("VENDEDOR"),
           columns({"CDVENDEDOR", "NMFANVEN", "NMRAZSOCVEN", "IDTPIJURVEN", "NRINSJURVEN", "VRPECOMVEN", "VRPEMAXDESVE",
                    "CDCOMISSAO", "IDGERACOMISVEND", "CDPRECOBASE", "IDVENDATIVO"}),
           {{QStringLiteral("0009"), QStringLiteral("Paulo Lima"), QStringLiteral("Paulo Roberto Lima"), QStringLiteral("F"),
             cpfWithCheckDigits(QStringLiteral("284619537")), 3.0, 5.0, QStringLiteral("01"), QStringLiteral("S"),
             QStringLiteral("01"), QStringLiteral("N")}});
    insert(db, QStringLiteral("OPERADOR"),
           columns({"CDOPERADOR", "NMOPERADOR", "CDGRUPOPER", "CDLIDGRUPOP", "IDLIDER", "DSSENHAHASH", "IDATIVO"}),
           {{QStringLiteral("VEND01"), QStringLiteral("Roberto Carlos Alves"), QStringLiteral("02"), QStringLiteral("DEMO"),
             QStringLiteral("N"), hashPassword(QStringLiteral("vend01")), QStringLiteral("S")},
            {QStringLiteral("EXVEND"), QStringLiteral("Paulo Roberto Lima"), QStringLiteral("02"), QStringLiteral("DEMO"),
             QStringLiteral("N"), hashPassword(QStringLiteral("exvend")), QStringLiteral("S")}});
    insert(db, QStringLiteral("OPERVENDEDOR"), columns({"CDOPERADOR", "CDVENDEDOR"}),
           {{QStringLiteral("VEND01"), QStringLiteral("0001")}, {QStringLiteral("EXVEND"), QStringLiteral("0009")}});
    QList<QVariantList> rights;
    for (const char* operatorCode : {"VEND01", "EXVEND"})
        for (const char* branch : {"0001", "0002"})
            rights.append({QString::fromUtf8(operatorCode), QStringLiteral("ALTP"), QString::fromUtf8(branch)});
    insert(db, QStringLiteral("PERMISSAOOPER"), columns({"CDOPERADOR", "CDPERMISSAO", "CDFILIAL"}), rights);

    QStringList carriers;
    QSqlQuery carrierQuery = execSql(db, QStringLiteral("SELECT NRINSJURTRAN FROM TRANSPORT WHERE IDTPIJURTRAN = 'J' ORDER BY NRINSJURTRAN"));
    while (carrierQuery.next())
        carriers << carrierQuery.value(0).toString();

    QList<QVariantList> customerRows, addressRows, priceRows, carrierRows;
    int number = 0;
    for (const NewCustomer& c : newCustomers) {
        const QString code = QString::fromUtf8(c.code);
        const bool withCarrier = c.carrier >= 0 && c.carrier < carriers.size();
        auto optional = [](const char* value) { return value ? QVariant(QString::fromUtf8(value)) : QVariant(); };
        customerRows.append({
            code, QStringLiteral("J"), cnpjWithCheckDigits(QString::fromUtf8(c.cnpjBase)), QString::fromUtf8(c.tradeName),
            QString::fromUtf8(c.legalName), QStringLiteral("ISENTO"), QStringLiteral("(11) 3%1-20%2").arg(400 + number).arg(10 + number),
            QStringLiteral("S"), QStringLiteral("N"), QString::fromUtf8(c.customerType), QStringLiteral("1058"), QStringLiteral("SP"),
            QString::fromUtf8(c.seller), QStringLiteral("001"), 6.0, optional(c.note),
            c.note ? QStringLiteral("S") : QStringLiteral("N"), QString::fromUtf8(c.freight), QString::fromUtf8(c.operationType),
            QStringLiteral("N"), withCarrier ? QVariant(QStringLiteral("J")) : QVariant(),
            withCarrier ? QVariant(carriers.at(c.carrier)) : QVariant(), withCarrier ? QVariant(QStringLiteral("P")) : QVariant(),
            optional(c.transportType), QString::fromUtf8(c.modality), optional(c.discount), QStringLiteral("000001"),
            QStringLiteral("N"), at(-30 - number),
        });
        addressRows.append({code, QStringLiteral("001"), QStringLiteral("P"), QStringLiteral("1058"), QStringLiteral("SP"),
                            QStringLiteral("0001"), QString::fromUtf8(c.street), QStringLiteral("Centro"),
                            QStringLiteral("0131%1-000").arg(number)});
        priceRows.append({code, QString::fromUtf8(c.priceTable), QStringLiteral("S")});
        if (withCarrier)
            carrierRows.append({code, QStringLiteral("J"), carriers.at(c.carrier)});
        ++number;
    }
    insert(db, QStringLiteral("CLIENTE"),
           columns({"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMFANTCLIE", "NMRAZSOCCLIE", "NRINSESTCLIE", "NRTELECLIE",
                    "IDCLIEATIV", "IDBLOQUEADO", "IDTIPOCLIE", "CDPAIS", "SGESTADO", "CDVENDEDOR", "CDGRUPOFISC",
                    "VRPEMAXDESCL", "DSOBSERVCLIE", "IDGRAVOBSCLIPED", "IDPGFRETTRANCLI", "CDTIPOOPERPED", "IDENDEMISCLI",
                    "IDTPIJURTRAN", "NRINSJURTRAN", "IDPESQTRANSP", "CDTIPTRANS", "CDMODPGTO", "CDTIPODESC", "CDROTATRANS",
                    "IDLOCALENTREGACLIE", "DTCADASTRO"}),
           customerRows);
    insert(db, QStringLiteral("ENDECLIE"),
           columns({"CDCLIENTE", "NRSEQEND", "IDTPENDECLIE", "CDPAIS", "SGESTADO", "CDMUNICIPIO", "DSENDECLIE", "NMBAIRCLIE",
                    "NRCEPCLIE"}),
           addressRows);
    insert(db, QStringLiteral("PRECOBASECLI"), columns({"CDCLIENTE", "CDPRECOBASE", "IDPRBASEPRIN"}), priceRows);
    insert(db, QStringLiteral("TRANSPCLIE"), columns({"CDCLIENTE", "IDTPIJURTRAN", "NRINSJURTRAN"}), carrierRows);

    // Credit lines: the first customer with a comfortable line, the blocked
    // one suspended.
    insert(db, QStringLiteral("CREDITOCLIE"), columns({"CDCLIENTE", "VRLIMCRED", "DTVALILIMCRED", "IDSITCRED", "DSOBSCRED"}),
           {{QStringLiteral("000001"), 25000.0, at(180), QStringLiteral("L"), QStringLiteral("Limite revisto pelo comitê de crédito")},
            {QStringLiteral("000002"), 150000.0, at(365), QStringLiteral("L"), QVariant()},
            {QStringLiteral("000003"), 8000.0, at(-15), QStringLiteral("S"), QStringLiteral("Títulos vencidos há mais de 60 dias")},
            {QStringLiteral("000101"), 12000.0, at(90), QStringLiteral("L"), QVariant()},
            {QStringLiteral("000103"), 40000.0, at(200), QStringLiteral("L"), QVariant()}});

    // Receivables: open (due and overdue), settled and cancelled titles.
    struct Title { const char* customer; const char* title; const char* installment; int issuedDaysAgo; int dueInDays;
                   double value; double paid; const char* status; };
    const Title titles[] = {
        {"000001", "000120451", "1", 75, -45, 3250.40, 3250.40, "L"},
        {"000001", "000120451", "2", 75, -15, 3250.40, 0.0, "A"},
        {"000001", "000120451", "3", 75, 15, 3250.40, 0.0, "A"},
        {"000001", "000121877", "1", 20, 10, 1890.00, 500.00, "A"},
        {"000001", "000121877", "2", 20, 40, 1890.00, 0.0, "A"},
        {"000001", "000119002", "1", 120, -90, 740.00, 0.0, "C"},
        {"000003", "000118230", "1", 140, -80, 5120.75, 0.0, "A"},
        {"000003", "000118230", "2", 140, -50, 5120.75, 0.0, "A"},
        {"000101", "000122310", "1", 5, 25, 2480.90, 0.0, "A"},
    };
    QList<QVariantList> titleRows;
    for (const Title& t : titles)
        titleRows.append({QStringLiteral("0001"), QString::fromUtf8(t.title), QString::fromUtf8(t.installment),
                          QString::fromUtf8(t.customer), at(-t.issuedDaysAgo), at(t.dueInDays), t.value, t.paid,
                          t.paid >= t.value ? QVariant(at(t.dueInDays)) : QVariant(), QString::fromUtf8(t.status),
                          QStringLiteral("02")});
    insert(db, QStringLiteral("TITRECEBER"),
           columns({"CDFILIAL", "NRTITULO", "NRPARCELA", "CDCLIENTE", "DTEMISSAO", "DTVENCIMENTO", "VRTITULO", "VRPAGOTIT",
                    "DTPAGAMENTO", "IDSITTIT", "CDFORMPGTO"}),
           titleRows);

    insert(db, QStringLiteral("MENSVENDEDOR"),
           columns({"CDVENDEDOR", "NRMENSAGEM", "DTMENSAGEM", "NMREMETENTE", "DSASSUNTO", "TXMENSAGEM", "IDLIDAMENS"}),
           {{QStringLiteral("0001"), 1, at(-1), QStringLiteral("Gerência Comercial"), QStringLiteral("Meta do mês"),
             QStringLiteral("Faltam 18% para a meta de genéricos. Priorize os clientes de revenda."), QStringLiteral("N")},
            {QStringLiteral("0001"), 2, at(-3), QStringLiteral("Crédito e Cobrança"), QStringLiteral("Drogaria São Bento"),
             QStringLiteral("Cliente com parcela vencida. Consulte a posição financeira antes de novos pedidos."), QStringLiteral("N")},
            {QStringLiteral("0001"), 3, at(-20), QStringLiteral("Logística"), QStringLiteral("Rota Zona Sul"),
             QStringLiteral("A rota Capital - Zona Sul passa a sair às 7h."), QStringLiteral("S")},
            {QStringLiteral("0002"), 1, at(-2), QStringLiteral("Gerência Comercial"), QStringLiteral("Campanha de inverno"),
             QStringLiteral("Antigripais com condição de desconto em cascata até o fim do mês."), QStringLiteral("N")}});
}
