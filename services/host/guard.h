#pragma once
// Every entry point from Qt (slot, event handler, timer) runs its work through
// guarded(): Abort ends the action quietly (its message was already shown),
// any other failure is shown through the host as an error, and no exception
// ever crosses the Qt event loop.
//
//   connect(button, &QPushButton::clicked, this, [this] { guarded([&] { sbtConfirmarClick(); }); });

#include <QString>
#include <exception>

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
