// Helpers shared by the application tests: capturing what the program
// writes to standard output, and writing small surface files by hand.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <QVector>

#include "output_capture.h"

#include <cmath>
#include <vector>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <unistd.h>

// Standard output or error captured for Qt-side comparisons.
class FdCapture
{
public:
    explicit FdCapture(int fd) : capture(fd) {}

    QString stop() { return QString::fromLocal8Bit(QByteArray::fromStdString(capture.stop())); }
    QStringList lines() { return stop().split('\n', Qt::SkipEmptyParts); }

private:
    OutputCapture capture;
};

struct StdoutCapture : FdCapture {
    StdoutCapture() : FdCapture(1) {}
};
struct StderrCapture : FdCapture {
    StderrCapture() : FdCapture(2) {}
};

// Average colour of a small square of a grabbed frame.
inline QColor averageAt(const QImage& image, QPoint centre, int half = 6)
{
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = centre.y() - half; y <= centre.y() + half; ++y)
        for (int x = centre.x() - half; x <= centre.x() + half; ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    return QColor(int(r / n), int(g / n), int(b / n));
}

// Sum of the channel differences of two colours.
inline int distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

struct TestPoint {
    float x, y, z;
};

// Writes one ASCII polygon object: every polygon given as its vertex list;
// normals default to +z.
inline bool writeObj(const QString& path, const QVector<TestPoint>& points,
                     const QVector<QVector<int>>& polygons,
                     const QVector<TestPoint>& normals = {})
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text = "P 0.3 0.3 0.4 10 1 " + QByteArray::number(points.size()) + "\n";
    for (const TestPoint& p : points)
        text += QByteArray::number(p.x) + " " + QByteArray::number(p.y) + " " +
                QByteArray::number(p.z) + "\n";
    text += "\n";
    for (int i = 0; i < points.size(); ++i) {
        if (i < normals.size())
            text += QByteArray::number(normals[i].x) + " " + QByteArray::number(normals[i].y) +
                    " " + QByteArray::number(normals[i].z) + "\n";
        else
            text += "0 0 1\n";
    }
    text += "\n" + QByteArray::number(polygons.size()) + "\n0 1 1 1 1\n\n";
    int end = 0;
    for (const QVector<int>& polygon : polygons) {
        end += polygon.size();
        text += QByteArray::number(end) + " ";
    }
    text += "\n\n";
    for (const QVector<int>& polygon : polygons) {
        for (int index : polygon)
            text += QByteArray::number(index) + " ";
        text += "\n";
    }
    return out.write(text) == text.size();
}

// A flat square in the z = 0 plane, from (cx-1, cy-1) to (cx+1, cy+1),
// cut into four triangles around an inner point that is off the centre.
// The centre (cx, cy) lies inside the second triangle, listed as 4 0 1,
// so a pick at the centre reports vertex 4.
inline bool writeSquare(const QString& path, float cx = 0.0f, float cy = 0.0f)
{
    const QVector<TestPoint> points = {{cx - 1, cy - 1, 0}, {cx + 1, cy - 1, 0},
                                       {cx + 1, cy + 1, 0}, {cx - 1, cy + 1, 0},
                                       {cx + 0.3f, cy + 0.6f, 0}};
    return writeObj(path, points, {{1, 2, 4}, {4, 0, 1}, {2, 3, 4}, {3, 0, 4}});
}

// The heights (z) of the vertices of writeEllipsoid's surface, in its order.
inline std::vector<float> ellipsoidHeights(int rings = 40, int segments = 80)
{
    const float c = 50;
    std::vector<float> z{c};
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
            z.push_back(float(c * std::cos(M_PI * r / rings)));
    z.push_back(-c);
    return z;
}

// A latitude-longitude ellipsoid, half axes `across` (x), `along` (y) and
// `up` (z) around (cx, 0, 0), with its outward normals.
inline bool writeEllipsoidShape(const QString& path, float across, float along, float up, float cx,
                                int rings, int segments)
{
    QVector<TestPoint> points{{cx, 0, up}}, normals{{0, 0, 1}};
    QVector<QVector<int>> polygons;
    for (int r = 1; r < rings; ++r) {
        const double theta = M_PI * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double phi = 2 * M_PI * s / segments;
            const double nx = std::sin(theta) * std::cos(phi), ny = std::sin(theta) * std::sin(phi),
                         nz = std::cos(theta);
            points << TestPoint{float(cx + across * nx), float(along * ny), float(up * nz)};
            const double gx = nx / across, gy = ny / along, gz = nz / up;
            const double len = std::sqrt(gx * gx + gy * gy + gz * gz);
            normals << TestPoint{float(gx / len), float(gy / len), float(gz / len)};
        }
    }
    const int south = static_cast<int>(points.size());
    points << TestPoint{cx, 0, -up};
    normals << TestPoint{0, 0, -1};
    auto at = [&](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
    for (int s = 0; s < segments; ++s)
        polygons << QVector<int>{0, at(1, s), at(1, s + 1)};
    for (int r = 1; r < rings - 1; ++r)
        for (int s = 0; s < segments; ++s) {
            polygons << QVector<int>{at(r, s), at(r + 1, s), at(r + 1, s + 1)};
            polygons << QVector<int>{at(r, s), at(r + 1, s + 1), at(r, s + 1)};
        }
    for (int s = 0; s < segments; ++s)
        polygons << QVector<int>{at(rings - 1, s), south, at(rings - 1, s + 1)};
    return writeObj(path, points, polygons, normals);
}

// One with brain-like proportions (long front to back, narrower across),
// for pictures.
inline bool writeEllipsoid(const QString& path, int rings = 40, int segments = 80)
{
    return writeEllipsoidShape(path, 55, 70, 50, 0, rings, segments);
}
