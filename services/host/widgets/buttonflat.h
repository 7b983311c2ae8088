#pragma once
// TButtonFlat: a flat tool button (raised under the mouse), caption and/or
// icon, the look of the toolbars and of the buttons beside edits.

#include <QToolButton>
#include <functional>

class TButtonFlat : public QToolButton {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget* parent = nullptr);
    explicit TButtonFlat(const QString& text, QWidget* parent = nullptr);

    // Runs inside the host's guard.
    std::function<void(TButtonFlat&)> onClick;
};
