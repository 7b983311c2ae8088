#include "buttonflat.h"

#include "guard.h"

TButtonFlat::TButtonFlat(QWidget* parent) : TButtonFlat(QString(), parent) {}

TButtonFlat::TButtonFlat(const QString& text, QWidget* parent) : QToolButton(parent)
{
    setText(text);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QToolButton::clicked, this, [this] {
        if (onClick)
            guarded([&] { onClick(*this); });
    });
}
