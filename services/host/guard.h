#pragma once
// Every entry point from Qt (slot, event handler, timer) runs its work through
// guarded(): Abort ends the action quietly (its message was already shown),
// any other failure is shown through the host as an error, and no exception
// ever crosses the Qt event loop.
//
//   connect(button, &QPushButton::clicked, this, [this] { guarded([&] { sbtConfirmarClick(); }); });
//   connectGuarded(button, &QPushButton::clicked, this, &TfrmLanPedido::sbtConfirmarClick);

#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <type_traits>

#include "abort.h"

// Shows an unexpected failure through the host; if even that fails, logs it.
void reportFailure(const QString& text) noexcept;
QString describeFailure(const std::exception& failure);

// Returns true when the action ran to its end.
template <typename Action>
bool guarded(Action&& action) noexcept
{
    try {
        action();
        return true;
    } catch (const Abort&) {
    } catch (const std::exception& failure) {
        reportFailure(describeFailure(failure));
    } catch (...) {
        reportFailure(QStringLiteral("Ocorreu uma falha desconhecida."));
    }
    return false;
}

// connect() whose handler runs guarded. The handler is a member function of
// `receiver` or any callable; it takes the signal's arguments or none.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Receiver* receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&... args) {
        guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                    std::invoke(handler, receiver, args...);
                else
                    std::invoke(handler, receiver);
            } else {
                if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
                    std::invoke(handler, args...);
                else
                    std::invoke(handler);
            }
        });
    });
}
