#include "screenicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <initializer_list>

namespace {

const QColor Green(0x2e, 0x9d, 0x4f);
const QColor Blue(0x2b, 0x6c, 0xb0);
const QColor Red(0xc6, 0x3b, 0x36);
const QColor Grey(0x5f, 0x67, 0x70);
const QColor Amber(0xd9, 0x8c, 0x1f);

// Every drawing works on a 24 x 24 grid; the painter is scaled to the size.
QPen strokePen(const QColor& color, qreal width = 2.4)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Leaves the white pen set: every badge draws its symbol in white on top.
void roundBadge(QPainter& p, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(strokePen(Qt::white, 2.6));
}

QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false)
{
    QPainterPath path;
    path.moveTo(*points.begin());
    for (auto point = points.begin() + 1; point != points.end(); ++point)
        path.lineTo(*point);
    if (closed)
        path.closeSubpath();
    return path;
}

void drawPlus(QPainter& p)
{
    roundBadge(p, Green);
    p.drawLine(QPointF(12, 7), QPointF(12, 17));
    p.drawLine(QPointF(7, 12), QPointF(17, 12));
}

void drawPencil(QPainter& p)
{
    p.setPen(strokePen(Blue.darker(120), 1.4));
    p.setBrush(Blue);
    p.drawPath(polyline({{5, 19}, {6, 14.5}, {16, 4.5}, {19.5, 8}, {9.5, 18}}, true));
    p.setPen(strokePen(Qt::white, 1.2));
    p.drawLine(QPointF(14, 6.5), QPointF(17.5, 10));
}

void drawTrash(QPainter& p)
{
    p.setPen(strokePen(Red, 2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(4.5, 6.5), QPointF(19.5, 6.5));
    p.drawLine(QPointF(9.5, 6.5), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(14, 4));
    p.drawLine(QPointF(14, 4), QPointF(14.5, 6.5));
    p.setBrush(Red.lighter(170));
    p.drawPath(polyline({{6.5, 8.5}, {7.5, 20}, {16.5, 20}, {17.5, 8.5}}));
    p.setPen(strokePen(Red, 1.4));
    p.drawLine(QPointF(10.5, 11), QPointF(10.5, 17.5));
    p.drawLine(QPointF(13.5, 11), QPointF(13.5, 17.5));
}

void drawCheck(QPainter& p)
{
    roundBadge(p, Green);
    p.setBrush(Qt::NoBrush);
    p.drawPath(polyline({{7, 12.5}, {10.5, 16}, {17, 8.5}}));
}

void drawCross(QPainter& p)
{
    roundBadge(p, Red);
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

void drawRefresh(QPainter& p)
{
    p.setPen(strokePen(Blue, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawPath(polyline({{13.5, 2.5}, {19, 5.5}, {13.5, 9.5}}, true));
}

void drawMagnifier(QPainter& p)
{
    p.setPen(strokePen(Grey, 2.4));
    p.setBrush(QColor(0xdd, 0xea, 0xf6));
    p.drawEllipse(QRectF(4, 4, 11, 11));
    p.setPen(strokePen(Grey, 3.2));
    p.drawLine(QPointF(14, 14), QPointF(19.5, 19.5));
}

void drawPrinter(QPainter& p)
{
    p.setPen(strokePen(Grey, 1.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 3.5, 10, 6));
    p.setBrush(Grey);
    p.drawRoundedRect(QRectF(3.5, 9, 17, 8), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 14, 10, 6.5));
    p.setPen(strokePen(Grey, 1.2));
    p.drawLine(QPointF(9, 16.5), QPointF(15, 16.5));
    p.drawLine(QPointF(9, 18.5), QPointF(13, 18.5));
}

void drawQuestion(QPainter& p)
{
    roundBadge(p, Blue);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
}

void drawExit(QPainter& p)
{
    p.setPen(strokePen(Grey, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(polyline({{13, 7}, {13, 4}, {4.5, 4}, {4.5, 20}, {13, 20}, {13, 17}}));
    p.setPen(strokePen(Red, 2.4));
    p.drawLine(QPointF(9, 12), QPointF(19.5, 12));
    p.drawPath(polyline({{16, 8.5}, {19.5, 12}, {16, 15.5}}));
}

void drawTriangle(QPainter& p, bool pointsRight, qreal x)
{
    const qreal base = pointsRight ? x : x + 7;
    const qreal tip = pointsRight ? x + 7 : x;
    p.setPen(Qt::NoPen);
    p.setBrush(Grey);
    p.drawPath(polyline({{base, 6}, {tip, 12}, {base, 18}}, true));
}

void drawNavigation(QPainter& p, ScreenIcon kind)
{
    switch (kind) {
    case ScreenIcon::Primeiro:
        p.fillRect(QRectF(6, 6, 2.4, 12), Grey);
        drawTriangle(p, false, 10);
        break;
    case ScreenIcon::Anterior: drawTriangle(p, false, 8.5); break;
    case ScreenIcon::Proximo: drawTriangle(p, true, 8.5); break;
    default:
        drawTriangle(p, true, 7);
        p.fillRect(QRectF(15.6, 6, 2.4, 12), Grey);
        break;
    }
}

void drawDisk(QPainter& p)
{
    p.setPen(strokePen(Blue.darker(120), 1.4));
    p.setBrush(Blue);
    p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 4, 9, 5.5));
    p.drawRect(QRectF(7, 13, 10, 7));
}

void drawFolder(QPainter& p)
{
    p.setPen(strokePen(Amber.darker(130), 1.4));
    p.setBrush(Amber);
    p.drawPath(polyline({{3.5, 6}, {9.5, 6}, {11.5, 8}, {20.5, 8}, {20.5, 19}, {3.5, 19}}, true));
}

void drawEraser(QPainter& p)
{
    p.setPen(strokePen(Grey, 1.4));
    p.setBrush(QColor(0xf0, 0x9a, 0xa8));
    p.drawPath(polyline({{4, 15}, {13, 6}, {19.5, 12.5}, {12.5, 19.5}, {8.5, 19.5}}, true));
    p.drawLine(QPointF(8, 11), QPointF(15, 18));
    p.drawLine(QPointF(12.5, 19.5), QPointF(20, 19.5));
}

void draw(QPainter& p, ScreenIcon kind)
{
    switch (kind) {
    case ScreenIcon::Incluir: drawPlus(p); break;
    case ScreenIcon::Alterar: drawPencil(p); break;
    case ScreenIcon::Excluir: drawTrash(p); break;
    case ScreenIcon::Confirmar: drawCheck(p); break;
    case ScreenIcon::Cancelar: drawCross(p); break;
    case ScreenIcon::Atualizar: drawRefresh(p); break;
    case ScreenIcon::Procurar: drawMagnifier(p); break;
    case ScreenIcon::Imprimir: drawPrinter(p); break;
    case ScreenIcon::Ajuda: drawQuestion(p); break;
    case ScreenIcon::Fechar: drawExit(p); break;
    case ScreenIcon::Primeiro:
    case ScreenIcon::Anterior:
    case ScreenIcon::Proximo:
    case ScreenIcon::Ultimo: drawNavigation(p, kind); break;
    case ScreenIcon::Salvar: drawDisk(p); break;
    case ScreenIcon::Abrir: drawFolder(p); break;
    case ScreenIcon::Limpar: drawEraser(p); break;
    }
}

QPixmap render(ScreenIcon kind, int sizePixels)
{
    QPixmap pixmap(sizePixels, sizePixels);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(sizePixels / 24.0, sizePixels / 24.0);
    draw(p, kind);
    return pixmap;
}

} // namespace

QIcon screenIcon(ScreenIcon kind)
{
    QIcon icon;
    for (const int sizePixels : {16, 24, 32, 48})
        icon.addPixmap(render(kind, sizePixels));
    return icon;
}
