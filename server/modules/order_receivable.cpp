#include "order_receivable.h"

#include "datapacket.h"
#include "method_catalogue.h"
#include "rpc/method_registry.h"

#include <QJsonArray>
#include <QJsonObject>
#include <stdexcept>

Cents orderReceivable(const MethodRegistry& registry, CallContext& context, const OrderPackets::OrderKey& order)
{
    const Rpc::MethodInfo info = Rpc::LanPedido::GetImposEncar.info();
    const MethodSpec* totals = registry.find(info.serverName(), info.methodName());
    if (!totals)
        throw std::logic_error("The amount to receive needs GetImposEncar, which is not registered.");
    QJsonArray args{order.branch, order.number};
    const DataPacket packet = DataPacket::fromJson(totals->function(context, args).toObject());
    const int at = packet.indexOf(QStringLiteral("VRRECEBIMENTO"));
    return packet.rows.isEmpty() || at < 0 ? Cents() : Cents::fromValue(packet.rows.first().at(at).toDouble());
}
