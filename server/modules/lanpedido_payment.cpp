// The payment page's methods: the default terms of a modality (GetPrazoMod)
// and the order's terms checked and stored (setFormaPagto).
//
// The installment values are the server's to work out: the amount to
// receive, as GetImposEncar gives it, shared by the terms' percentages in
// whole cents, the last term taking what remains, so that the values add up
// to the amount exactly. Forecasts count the days from the order's date; a
// fixed-day order falls due on its day of each month, on the last day of a
// month that has no such day.

#include "topics.h"

#include "argument_checks.h"
#include "changeable_order.h"
#include "installments.h"
#include "iso_datetime.h"
#include "method_declarations.h"
#include "money.h"
#include "order_packets.h"
#include "order_totals.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

using OrderPackets::OrderKey;

enum Arg : int {
    TermsArg = 0,
    OrderArg,
    BranchArg,
    ModeArg,
    ModalityArg,
    TypeArg,
    FixedDayArg,
    InstallmentsArg,
    NextMonthArg,
    FormArg,
    ApplyArg,
};

const QString Cash = QStringLiteral("X");
const QString FixedDay = QStringLiteral("F");
const QString ByTerms = QStringLiteral("V");
const QString ZeroInstallment = QStringLiteral("PARCMZERO");
constexpr int descriptionSize = 20;

QDateTime dateTimeOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return parseIsoLenient(value.toString());
}

[[noreturn]] void refuse(const QString& message)
{
    throw MethodError(message.toStdString());
}

// ---- GetPrazoMod --------------------------------------------------------------

QJsonValue getPrazoMod(CallContext& context, QJsonArray& params)
{
    const QString modality = keyValue(params, 0, modalityArg);
    const QList<FieldDef> fields = {floatField(QStringLiteral("NRDIASMODPGTO")), textField(QStringLiteral("CDMODPGTO"), 5),
                                    floatField(QStringLiteral("VRPERCMODPGTO")), dateTimeField(QStringLiteral("DTPREVISAO")),
                                    textField(QStringLiteral("IDTPPERIODO"), 1)};
    DataPacket packet = selectPacket(context.db, {fields.at(0), fields.at(1), fields.at(2), fields.at(4)},
                                     QStringLiteral("SELECT NRDIASMODPGTO, CDMODPGTO, VRPERCMODPGTO, IDTPPERIODO FROM PRAZOMODPGTO"
                                                    " WHERE CDMODPGTO = ? ORDER BY NRDIASMODPGTO"),
                                     {modality});
    // The forecast of a term counted from today, the day a new order is dated.
    DataPacket result = emptyPacket(fields);
    const QDateTime today(QDate::currentDate(), QTime(0, 0));
    for (const QVariantList& row : packet.rows)
        result.rows.append({row.at(0), row.at(1), row.at(2), today.addDays(qint64(row.at(0).toDouble())), row.at(3)});
    return result.toJson();
}

// ---- setFormaPagto ------------------------------------------------------------

// One term as it will be stored.
struct Term {
    double days = 0;
    double percentage = 0;
    QString description;
    QDateTime forecast;
    Cents value;
};

// What the clerk sent, checked.
struct Payment {
    OrderKey order;
    bool changesHeader = false;   // mode "1"
    bool apply = false;
    QString modality;
    QString type;                 // "" (cash), "F" or "V"
    int fixedDay = 0;
    int installments = 0;
    QString nextMonth;            // IDUTDIAPAGPED: "E" or "I"
    QString form;
};

int wholeNumberArg(const QJsonArray& params, int index, const char* label, int lowest, int highest)
{
    const QString text = params.at(index).toString().trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value != std::floor(value) || value < lowest || value > highest)
        refuse(QStringLiteral("%1 inválido(a): \"%2\"; use um número inteiro de %3 a %4.")
                   .arg(QString::fromUtf8(label), text.left(40))
                   .arg(lowest)
                   .arg(highest));
    return int(value);
}

Payment paymentArgs(const QSqlDatabase& db, const QJsonArray& params)
{
    Payment payment;
    payment.order = OrderPackets::orderKeyArgs(params, BranchArg, OrderArg);
    if (payment.order.isEmpty())
        refuse(QStringLiteral("Informe a filial e o número do pedido."));
    payment.changesHeader = checkedCode(params, ModeArg, "Modo", {QStringLiteral("0"), QStringLiteral("1")}) == u"1";
    payment.apply = params.at(ApplyArg).toBool();
    payment.modality = keyValue(params, ModalityArg, modalityArg).trimmed();
    if (payment.modality.isEmpty())
        refuse(QStringLiteral("Modalidade de pagamento deve ser informada."));
    if (!selectValue(db, QStringLiteral("SELECT CDMODPGTO FROM MODPGTO WHERE CDMODPGTO = ?"), {payment.modality}).isValid())
        refuse(QStringLiteral("Modalidade de pagamento %1 não cadastrada.").arg(payment.modality));
    payment.type = checkedCode(params, TypeArg, "Tipo de pagamento", {QString(), Cash, FixedDay, ByTerms});
    if (payment.type == Cash)
        payment.type.clear();   // cash is stored empty
    if (payment.type == FixedDay) {
        payment.fixedDay = wholeNumberArg(params, FixedDayArg, "Dia do pagamento fixo", 1, 31);
        payment.installments = wholeNumberArg(params, InstallmentsArg, "Número de parcelas", 1, 99);
    }
    payment.nextMonth = checkedCode(params, NextMonthArg, "Primeira parcela no próximo mês",
                                    {QString(), QStringLiteral("E"), QStringLiteral("I")});
    if (payment.nextMonth.isEmpty())
        payment.nextMonth = QStringLiteral("I");
    payment.form = keyValue(params, FormArg, KeyArg{"Forma de pagamento", 2}).trimmed();
    return payment;
}

// The terms of a "V" order as the packet lists them: whole days not below
// 0 and not repeated, percentages above 0 up to 100 adding up to 100.
QList<Term> packetTerms(const QJsonValue& json)
{
    DataPacket packet;
    try {
        packet = DataPacket::fromJson(json.toObject());
    } catch (const DataPacketError& error) {
        refuse(QStringLiteral("Prazos de pagamento inválidos: %1").arg(QString::fromUtf8(error.what())));
    }
    const int daysAt = packet.indexOf(QStringLiteral("NRDIASPGTOPED"));
    const int percentageAt = packet.indexOf(QStringLiteral("VRPERCPGTOPED"));
    const int descriptionAt = packet.indexOf(QStringLiteral("DSPRAZOPGTOPED"));
    if (daysAt < 0 || percentageAt < 0)
        refuse(QStringLiteral("Prazos de pagamento inválidos: faltam NRDIASPGTOPED e VRPERCPGTOPED."));
    QList<Term> terms;
    QSet<qint64> seen;
    QList<double> percentages;
    for (const QVariantList& row : packet.rows) {
        const QVariant days = row.at(daysAt);
        const QVariant percentage = row.at(percentageAt);
        if (days.isNull())
            refuse(QStringLiteral("Prazo deve ser informado."));
        Term term;
        term.days = days.toDouble();
        if (!std::isfinite(term.days) || term.days < 0)
            refuse(QStringLiteral("Prazo não pode ser menor que zero."));
        if (term.days != std::floor(term.days) || term.days > 99999)
            refuse(QStringLiteral("Prazo inválido: %1 dias.").arg(term.days));
        if (seen.contains(qint64(term.days)))
            refuse(QStringLiteral("Prazo já cadastrado: %1 dias.").arg(qint64(term.days)));
        seen.insert(qint64(term.days));
        if (percentage.isNull())
            refuse(QStringLiteral("Percentual deve ser informado."));
        term.percentage = percentage.toDouble();
        if (!(term.percentage > 0))
            refuse(QStringLiteral("Percentual deve ser maior que zero."));
        if (term.percentage > 100)
            refuse(QStringLiteral("Percentual deve estar entre 1 e 100%."));
        term.description = descriptionAt < 0 ? QString() : row.at(descriptionAt).toString();
        if (term.description.size() > descriptionSize)
            refuse(QStringLiteral("Descrição do prazo de %1 dias tem mais de %2 caracteres.").arg(qint64(term.days)).arg(descriptionSize));
        percentages.append(term.percentage);
        terms.append(term);
    }
    if (!RegrasPedido::percentuaisSomam100(percentages))
        refuse(QStringLiteral("Soma do(s) percentual(is) do(s) prazo(s) de pagamento deve totalizar 100%."));
    std::sort(terms.begin(), terms.end(), [](const Term& a, const Term& b) { return a.days < b.days; });
    return terms;
}

// The day of `month` (any day of it) for a fixed day: the last day of a
// month that has no such day.
QDate dueDay(const QDate& month, int fixedDay)
{
    return QDate(month.year(), month.month(), std::min(fixedDay, month.daysInMonth()));
}

// A fixed-day order: its installments on the day of consecutive months,
// the first in the order's month unless that day has passed there or the
// order says the next month ("E"). The shares are those of the automatic
// installments: each but the last the whole divided by the number, at the
// cent; the last what remains of 100.
QList<Term> fixedDayTerms(const Payment& payment, const QDate& orderDate)
{
    QDate month(orderDate.year(), orderDate.month(), 1);
    if (payment.nextMonth == u"E" || dueDay(month, payment.fixedDay) < orderDate)
        month = month.addMonths(1);
    const qint64 shareHundredths = std::llround(RoundDec(100.0 / payment.installments, 2) * 100.0);
    QList<Term> terms;
    for (int n = 0; n < payment.installments; ++n) {
        const QDate due = dueDay(month.addMonths(n), payment.fixedDay);
        Term term;
        term.days = double(orderDate.daysTo(due));
        const qint64 hundredths = n + 1 < payment.installments ? shareHundredths
                                                               : 10000 - shareHundredths * (payment.installments - 1);
        term.percentage = double(hundredths) / 100.0;
        term.description = QStringLiteral("Parcela %1/%2").arg(n + 1).arg(payment.installments);
        terms.append(term);
    }
    return terms;
}

struct StoredOrder {
    QDateTime date;
    QString modality;
    QString priceMode;   // IDTABPRECO of the branch
};

StoredOrder storedOrder(const QSqlDatabase& db, const OrderKey& order)
{
    requireChangeableOrder(db, order);
    QSqlQuery row = execSql(db,
                            QStringLiteral("SELECT P.DTPEDIDO, P.CDMODPGTO, A.IDTABPRECO FROM PEDIDO P"
                                           " LEFT JOIN PARAMPEDIDO A ON A.CDFILIAL = P.CDFILIAL"
                                           " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ?"),
                            {order.branch, order.number});
    StoredOrder stored;
    if (row.next())
        stored = {dateTimeOf(row.value(0)), row.value(1).toString().trimmed(), row.value(2).toString()};
    return stored;
}

void storeTerms(const QSqlDatabase& db, const Payment& payment, const StoredOrder& stored, const QList<Term>& terms)
{
    execChange(db, QStringLiteral("DELETE FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {payment.order.branch, payment.order.number});
    for (const Term& term : terms)
        execChange(db,
                   QStringLiteral("INSERT INTO PRAZOPGTOPED (CDFILIAL, NRPEDIDO, NRDIASPGTOPED, DTPEDIDO, PREVISAO, VRPERCPGTOPED,"
                                  " DSPRAZOPGTOPED, VRPARCELA) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {payment.order.branch, payment.order.number, term.days, stored.date, term.forecast, term.percentage,
                    term.description.isEmpty() ? QVariant() : QVariant(term.description), term.value.value()});
    if (!payment.changesHeader)
        return;
    const QVariant none;
    execChange(db,
               QStringLiteral("UPDATE PEDIDO SET CDMODPGTO = ?, DSMODPGTO = (SELECT DSMODPGTO FROM MODPGTO WHERE CDMODPGTO = ?),"
                              " IDTPFORPGTPED = ?, NRDIAPGFIXPED = ?, NRPARCPGTOPED = ?, IDUTDIAPAGPED = ?, CDFORMPGTO = ?"
                              " WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {payment.modality, payment.modality, payment.type.isEmpty() ? none : QVariant(payment.type),
                payment.type == FixedDay ? QVariant(double(payment.fixedDay)) : none,
                payment.type == FixedDay ? QVariant(double(payment.installments)) : none, payment.nextMonth,
                payment.form.isEmpty() ? none : QVariant(payment.form), payment.order.branch, payment.order.number});
}

class PaymentMethod {
public:
    QJsonValue operator()(CallContext& context, QJsonArray& params) const
    {
        const Payment payment = paymentArgs(context.db, params);
        const StoredOrder stored = storedOrder(context.db, payment.order);
        const bool modalityChanged = stored.modality != payment.modality;

        QList<Term> terms;
        if (payment.type == ByTerms)
            terms = packetTerms(params.at(TermsArg));
        else if (payment.type == FixedDay)
            terms = fixedDayTerms(payment, stored.date.date());
        QList<double> percentages;
        for (const Term& term : terms)
            percentages.append(term.percentage);
        const QList<Cents> values = splitByPercentages(orderReceivable(context.db, payment.order), percentages);
        bool zeroInstallment = false;
        for (qsizetype n = 0; n < terms.size(); ++n) {
            terms[n].value = values.at(n);
            terms[n].forecast = stored.date.addDays(qint64(terms.at(n).days));
            zeroInstallment = zeroInstallment || values.at(n) <= Cents();
        }
        const QString answer = zeroInstallment ? ZeroInstallment : QString();
        // An installment of nothing is refused, and nothing stored, where the
        // screen refuses it: everywhere but under price mode "2".
        // Under the stored modality only, unless the clerk consented to the change.
        if (modalityChanged && !payment.changesHeader)
            return QJsonArray{true, answer};
        if (payment.apply && (!zeroInstallment || stored.priceMode == u"2"))
            storeTerms(context.db, payment, stored, terms);
        return QJsonArray{modalityChanged, answer};
    }
};

ArgSpec valueArg(const QString& name, ArgKind kind, const QString& doc)
{
    return ArgSpec{name, kind, false, false, doc};
}

} // namespace

void registerLanPedidoPayment(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetPrazoMod"),
        {textArg(QStringLiteral("modality"), QStringLiteral("Payment modality (CDMODPGTO), up to 5 characters."))},
        QStringLiteral("Loads the default terms of a payment modality (PRAZOMODPGTO)."),
        QStringLiteral("Data packet NRDIASMODPGTO, CDMODPGTO, VRPERCMODPGTO, DTPREVISAO (today plus the days), IDTPPERIODO, "
                       "by days; no rows for a modality without terms or not registered."),
        getPrazoMod));

    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("setFormaPagto"),
        {valueArg(QStringLiteral("terms"), ArgKind::Packet,
                  QStringLiteral("Data packet of every term row (NRDIASPGTOPED, VRPERCPGTOPED, DSPRAZOPGTOPED; other fields are "
                                 "not read); read only for type \"V\".")),
         textArg(QStringLiteral("order"), orderDoc), textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("mode"), QStringLiteral("\"0\": under the stored modality only; \"1\": the header values below "
                                                        "are stored on the order too.")),
         textArg(QStringLiteral("modality"), QStringLiteral("CDMODPGTO, a registered modality.")),
         textArg(QStringLiteral("type"), QStringLiteral("IDTPFORPGTPED: \"\" or \"X\" cash (stored empty), \"F\" fixed day, "
                                                        "\"V\" by terms.")),
         textArg(QStringLiteral("fixedDay"), QStringLiteral("NRDIAPGFIXPED as text, 1 to 31; read for type \"F\".")),
         textArg(QStringLiteral("installments"), QStringLiteral("NRPARCPGTOPED as text, 1 to 99; read for type \"F\".")),
         textArg(QStringLiteral("nextMonth"), QStringLiteral("IDUTDIAPAGPED: \"E\" the first fixed-day installment falls in "
                                                             "the next month, \"I\" (or empty) otherwise.")),
         textArg(QStringLiteral("form"), QStringLiteral("CDFORMPGTO, up to 2 characters; may be empty.")),
         valueArg(QStringLiteral("apply"), ArgKind::Boolean, QStringLiteral("false: check only, store nothing."))},
        QStringLiteral(
            "Checks and, with apply, stores the payment terms of a stored order in PRAZOPGTOPED, replacing those it had, in "
            "one transaction. Cash has no terms. Type \"V\" takes the packet's terms: whole days from 0, none repeated, "
            "percentages above 0 up to 100 adding up to 100 (each at 4 decimals). Type \"F\" makes its installments: on the "
            "fixed day of consecutive months (the last day of a shorter month), the first in the order's month unless that "
            "day has passed or nextMonth is \"E\", shares of RoundDec(100 / n, 2) with the last taking the rest of 100. "
            "PREVISAO is the order date plus the days. VRPARCELA shares the amount to receive (VRRECEBIMENTO of "
            "GetImposEncar) in whole cents: each term but the last RoundDec(amount x percentage / 100, 2), the last what "
            "remains, so the values add up to the amount. Refused with a message, storing nothing: an empty key, an "
            "order not stored or no longer changeable, an unknown modality, a type, mode, day or count out of range, and "
            "the term errors above."),
        QStringLiteral(
            "Value array [modalityDiffers, answer]: modalityDiffers is true when the order's stored CDMODPGTO differs "
            "from the one sent; in mode \"0\" nothing is then stored and answer is empty (the clerk must consent and "
            "call again in mode \"1\"). answer is \"PARCMZERO\" when an installment value would be 0 or less; then "
            "nothing is stored unless the branch prices by factor (IDTABPRECO \"2\"), where the terms are stored all "
            "the same. Otherwise empty."),
        PaymentMethod()});
}
