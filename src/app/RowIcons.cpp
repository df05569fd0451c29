#include "RowIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// Drawn once on a 16-pixel square and kept for the run.
QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

// A grey mesh, the same for the scene row and its surface.
void mesh(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 2.5, 13, 11));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
    p.drawLine(QPointF(8, 2.5), QPointF(5, 13.5));
    p.drawLine(QPointF(8, 2.5), QPointF(11, 13.5));
}

void sphere(QPainter& p, const QPointF& centre, double radius)
{
    QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    shade.setColorAt(0, QColor(255, 140, 140));
    shade.setColorAt(1, QColor(170, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, radius, radius);
}

}  // namespace

namespace RowIcons {

QIcon surface()
{
    static const QIcon icon = drawn([](QPainter& p) { mesh(p, QColor(200, 200, 200)); });
    return icon;
}

QIcon failedSurface()
{
    static const QIcon icon = drawn([](QPainter& p) {
        mesh(p, QColor(235, 235, 235));
        p.setPen(QPen(QColor(200, 0, 0), 2.5));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
    });
    return icon;
}

QIcon statisticsFile()
{
    // A sheet of numbers in columns.
    static const QIcon icon = drawn([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(QColor(40, 90, 200), 1.5));
        for (double x : {5.0, 8.0, 11.0})
            for (double y : {4.5, 7.5, 10.5, 13.0})
                p.drawLine(QPointF(x - 0.8, y - 0.5), QPointF(x + 0.8, y - 0.5));
    });
    return icon;
}

QIcon column()
{
    // A colour bar.
    static const QIcon icon = drawn([](QPainter& p) {
        QLinearGradient ramp(0, 1, 0, 15);
        ramp.setColorAt(0.0, QColor(255, 0, 0));
        ramp.setColorAt(0.35, QColor(255, 255, 0));
        ramp.setColorAt(0.6, QColor(0, 220, 0));
        ramp.setColorAt(1.0, QColor(0, 40, 255));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(ramp);
        p.drawRect(QRectF(5.5, 1.5, 5, 13));
    });
    return icon;
}

QIcon tagFile()
{
    static const QIcon icon = drawn([](QPainter& p) {
        sphere(p, QPointF(4.5, 11), 3.2);
        sphere(p, QPointF(11, 11.5), 3.2);
        sphere(p, QPointF(8, 4.5), 3.2);
    });
    return icon;
}

QIcon tagPoint()
{
    static const QIcon icon = drawn([](QPainter& p) { sphere(p, QPointF(8, 8), 4.5); });
    return icon;
}

QIcon parcellation()
{
    // Patches of colour with borders between them.
    static const QIcon icon = drawn([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(220, 60, 60));
        p.drawPolygon(QPolygonF({QPointF(1.5, 1.5), QPointF(9, 1.5), QPointF(7, 8), QPointF(1.5, 9)}));
        p.setBrush(QColor(60, 170, 80));
        p.drawPolygon(QPolygonF({QPointF(9, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 10), QPointF(7, 8)}));
        p.setBrush(QColor(60, 100, 220));
        p.drawPolygon(QPolygonF({QPointF(1.5, 9), QPointF(7, 8), QPointF(14.5, 10), QPointF(14.5, 14.5),
                                 QPointF(1.5, 14.5)}));
    });
    return icon;
}

}  // namespace RowIcons
