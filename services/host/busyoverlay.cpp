#include "busyoverlay.h"

#include "busy.h"

#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <cmath>

namespace {
constexpr int DotCount = 12;
constexpr int FrameIntervalMs = 80;
constexpr QSize BoxSize(240, 72);
} // namespace

BusyOverlay::BusyOverlay(QWidget* window, const QString& caption)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
    , coveredWindow(window)
    , caption(caption)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(BoxSize);
    timer.setInterval(FrameIntervalMs);
    QObject::connect(&timer, &QTimer::timeout, this, [this] {
        currentStep = (currentStep + 1) % DotCount;
        update();
    });
}

QString BusyOverlay::captionForStyle(int style)
{
    switch (style) {
    case BusyStyle::Processando: return QStringLiteral("Processando...");
    case BusyStyle::Pesquisando: return QStringLiteral("Pesquisando...");
    default: return QStringLiteral("Aguarde...");
    }
}

void BusyOverlay::start()
{
    placeOverWindow();
    show();
    raise();
    repaint();   // visible at once, before the caller blocks
    timer.start();
}

void BusyOverlay::placeOverWindow()
{
    if (coveredWindow && coveredWindow->isVisible()) {
        const QRect frame = coveredWindow->frameGeometry();
        move(frame.center() - rect().center());
        return;
    }
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void BusyOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(box, 8, 8);

    const QPointF centre(box.left() + 36, box.center().y());
    const double ringRadius = 16;
    const double dotRadius = 3.2;
    const QColor highlight = palette().color(QPalette::Highlight);
    for (int i = 0; i < DotCount; ++i) {
        // The dot at the current step is the brightest; the trail fades out.
        const int age = (currentStep - i + DotCount) % DotCount;
        QColor colour = highlight;
        colour.setAlphaF(1.0 - 0.8 * age / double(DotCount - 1));
        const double angle = 2 * M_PI * i / DotCount;
        const QPointF dot(centre.x() + ringRadius * std::cos(angle), centre.y() + ringRadius * std::sin(angle));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(dot, dotRadius, dotRadius);
    }

    painter.setPen(palette().color(QPalette::WindowText));
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(box.adjusted(70, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, caption);
}
