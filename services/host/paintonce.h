#pragma once
// A handler that changes a screen a field at a time and waits on the server
// in between holds its painting for one scope: the screen is painted once,
// with everything, when the scope ends. Scopes nest; the outermost paints.

#include <QWidget>

class PaintOnce {
public:
    explicit PaintOnce(QWidget& screen) : m_screen(screen), m_painted(screen.updatesEnabled())
    {
        screen.setUpdatesEnabled(false);
    }
    ~PaintOnce() { m_screen.setUpdatesEnabled(m_painted); }
    PaintOnce(const PaintOnce&) = delete;
    PaintOnce& operator=(const PaintOnce&) = delete;

private:
    QWidget& m_screen;
    bool m_painted;
};
