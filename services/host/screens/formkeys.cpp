#include "formkeys.h"

#include "guard.h"

#include <QKeyEvent>

bool routeFormKey(QKeyEvent* event, const std::function<void(QKeyEvent*)>& formKeyDown)
{
    event->ignore();
    guarded([&] { formKeyDown(event); });
    if (event->isAccepted())
        return true;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter: return true;
    default: return false;
    }
}
