#pragma once
// The GUI host's busy indicator: a small frameless box with a turning ring
// of dots and a caption, centred over a window. It animates from a timer, so
// it keeps moving while a synchronous server call waits in a local event loop.

#include <QPointer>
#include <QTimer>
#include <QWidget>

class BusyOverlay : public QWidget {
public:
    // Centred over `window` when given, else on the screen. It is always a
    // small window of its own, never a child: a server call may start while
    // the window it covers is being destroyed.
    BusyOverlay(QWidget* window, const QString& caption);

    void start();
    static QString captionForStyle(int style);
    int step() const { return currentStep; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void placeOverWindow();

    QPointer<QWidget> coveredWindow;
    QTimer timer;
    QString caption;
    int currentStep = 0;
};
