// Picks through the surfaces' triangle indices against Coin's own ray pick,
// in the real main window: random rays through the view and rays aimed
// exactly at vertices, edges and faces must give the same surface, face,
// vertex and printed lines (coordinates within float rounding), on a
// textured ellipsoid with landmark spheres in front of it, a rolled-up
// sheet whose layers cover each other, and overlapping surfaces.

#include "GeometryScene.h"
#include "IndexedRayPick.h"
#include "PickIndex.h"
#include "TriangleBvh.h"
#include "app_test_util.h"
#include "stats_test_util.h"
#include "textureFileItem.h"
#include "window_test_base.h"

#include <Inventor/SbRotation.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/details/SoFaceDetail.h>
#include <Inventor/details/SoPointDetail.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QTemporaryDir>
#include <QVector3D>
#include <QtTest>

#include <cmath>
#include <functional>
#include <random>

namespace {

struct Pick {
    bool hit = false;
    const SoNode* shape = nullptr;
    int face = -1;
    int vertices[3] = {-1, -1, -1};
    QStringList lines;  // what the view prints for it
};

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

// A sheet rolled up in the x-z plane (three turns of a spiral, extruded
// along y with a wave), so that most rays cross several layers of it.
bool writeRolledSheet(const QString& path, int across, int along)
{
    QVector<TestPoint> points;
    QVector<QVector<int>> triangles;
    for (int j = 0; j <= along; ++j)
        for (int i = 0; i <= across; ++i) {
            const double u = double(i) / across, v = double(j) / along;
            const double angle = 6 * M_PI * u, radius = 10 + 25 * u;
            points << TestPoint{float(radius * std::cos(angle)), float(80 * v - 40 + 3 * std::sin(9 * u)),
                                float(radius * std::sin(angle))};
        }
    auto at = [&](int i, int j) { return j * (across + 1) + i; };
    for (int j = 0; j < along; ++j)
        for (int i = 0; i < across; ++i) {
            triangles << QVector<int>{at(i, j), at(i + 1, j), at(i + 1, j + 1)};
            triangles << QVector<int>{at(i, j), at(i + 1, j + 1), at(i, j + 1)};
        }
    return writeObj(path, points, triangles);
}

}  // namespace

class TestPickIndex : public WindowTestBase
{
    Q_OBJECT

    QTemporaryDir files;
    std::mt19937 random{20261209};

    QString file(const QString& name) const { return files.filePath(name); }

    bool openQuietly(const QString& path)
    {
        StdoutCapture quiet;
        return open(path);
    }

    SoIndexedFaceSet* faceSetOf(int row) const
    {
        auto* scene = dynamic_cast<GeometryScene*>(root()->child(row));
        SoSeparator* separator = scene ? scene->getSceneSeparator() : nullptr;
        for (int i = 0; separator && i < separator->getNumChildren(); ++i)
            if (separator->getChild(i)->isOfType(SoIndexedFaceSet::getClassTypeId()))
                return static_cast<SoIndexedFaceSet*>(separator->getChild(i));
        return nullptr;
    }

    // Runs the pick and describes its first point as the view reports it.
    Pick describe(SoRayPickAction& pick)
    {
        BrainQuarter* viewer = window->getViewer();
        pick.apply(viewer->getSceneGraph());
        SoPickedPoint* point = pick.getPickedPoint(0);
        Pick out;
        if (point && point->getPath()) {
            out.hit = true;
            out.shape = point->getPath()->getTail();
            const auto* face = dynamic_cast<const SoFaceDetail*>(point->getDetail(point->getPath()->getTail()));
            if (face) {
                out.face = face->getFaceIndex();
                for (int k = 0; k < 3 && k < face->getNumPoints(); ++k)
                    out.vertices[k] = face->getPoint(k)->getCoordinateIndex();
            }
        }
        StdoutCapture printed;
        viewer->getPickedPoint(point);
        out.lines = printed.lines();
        return out;
    }

    // The same ray through Coin's pick and the indexed one; returns an
    // explanation of the first difference, or an empty string.
    QString compare(const std::function<void(SoRayPickAction&)>& aim, int* hits = nullptr)
    {
        BrainQuarter* viewer = window->getViewer();
        const SbViewportRegion region = viewer->getSoRenderManager()->getViewportRegion();
        SoRayPickAction coinPick(region);
        aim(coinPick);
        const Pick coin = describe(coinPick);
        gyroview::IndexedRayPick indexedPick(region, &viewer->pickIndex());
        aim(indexedPick);
        const Pick indexed = describe(indexedPick);
        if (hits)
            *hits += coin.hit;

        if (coin.hit != indexed.hit || coin.shape != indexed.shape)
            return QString("hit %1/%2, shape %3/%4").arg(coin.hit).arg(indexed.hit)
                .arg(quintptr(coin.shape)).arg(quintptr(indexed.shape));
        // Ties between faces sharing the hit edge or corner are settled by
        // Coin in face order in both, so even those give the same face.
        if (coin.face != indexed.face)
            return QString("face %1/%2").arg(coin.face).arg(indexed.face);
        for (int k = 0; k < 3; ++k)
            if (coin.vertices[k] != indexed.vertices[k])
                return QString("face %1 vertex %2: %3/%4").arg(coin.face).arg(k)
                    .arg(coin.vertices[k]).arg(indexed.vertices[k]);
        if (coin.lines.size() != indexed.lines.size())
            return "lines\n" + coin.lines.join('\n') + "\n----\n" + indexed.lines.join('\n');
        for (int i = 0; i < coin.lines.size(); ++i) {
            const QStringList a = coin.lines[i].split(' '), b = indexed.lines[i].split(' ');
            const bool numeric = a[0] == "Found:" || a[0] == "Texture:";
            if (!numeric ? a != b : a.size() != b.size() || a[0] != b[0])
                return "line\n" + coin.lines[i] + "\n" + indexed.lines[i];
            for (int k = 1; numeric && k < a.size(); ++k) {
                const double x = a[k].toDouble(), y = b[k].toDouble();
                // Six printed digits; the last may round either way.
                if (std::abs(x - y) > 2e-5 * std::max(1.0, std::abs(x)))
                    return "value\n" + coin.lines[i] + "\n" + indexed.lines[i];
            }
        }
        return QString();
    }

    // Random pixels over the whole view (background included) from several
    // random camera orientations, then rays aimed exactly at vertices, edge
    // middles and face centres of the given surfaces.
    void compareMany(int pixels, int exact, const QList<SoIndexedFaceSet*>& surfaces)
    {
        BrainQuarter* viewer = window->getViewer();
        viewer->pickIndex().waitUntilBuilt();
        for (SoIndexedFaceSet* surface : surfaces)
            QVERIFY(viewer->pickIndex().isReady(surface));
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        std::normal_distribution<float> normal;
        const int views = 4;
        int hits = 0;
        for (int view = 0; view < views; ++view) {
            const SbVec3f axis(normal(random), normal(random), normal(random));
            viewer->getCamera()->orientation = SbRotation(axis, 6.2832f * unit(random));
            viewer->viewAll();
            const SbVec2s size = viewer->getSoRenderManager()->getViewportRegion().getViewportSizePixels();
            for (int i = 0; i < pixels / views; ++i) {
                const SbVec2s at(short(unit(random) * size[0]), short(unit(random) * size[1]));
                const QString difference =
                    compare([&](SoRayPickAction& pick) { pick.setPoint(at); }, &hits);
                QVERIFY2(difference.isEmpty(), qPrintable(QString("pixel %1,%2: ").arg(at[0]).arg(at[1]) + difference));
            }
        }
        // Both surface and background under the random pixels.
        QVERIFY(hits > pixels / 10 && hits < pixels);
        // World rays from far outside straight at a corner, an edge middle or
        // a face centre: the ties a pixel seldom produces.
        for (int i = 0; i < exact; ++i) {
            SoIndexedFaceSet* surface = surfaces[i % surfaces.size()];
            const int faces = surface->coordIndex.getNum() / 4;
            const int face = int(unit(random) * faces) % faces;
            const int32_t* index = surface->coordIndex.getValues(0);
            const SbVec3f* points = pointsOf(surface);
            QVERIFY(points);
            const SbVec3f a = points[index[4 * face]], b = points[index[4 * face + 1]],
                          c = points[index[4 * face + 2]];
            const SbVec3f target = i % 3 == 0 ? a : i % 3 == 1 ? (a + b) * 0.5f : (a + b + c) / 3.0f;
            SbVec3f direction(normal(random), normal(random), normal(random));
            direction.normalize();
            const QString difference = compare([&](SoRayPickAction& pick) {
                pick.setRay(target - direction * 500.0f, direction);
            });
            QVERIFY2(difference.isEmpty(), qPrintable(QString("exact ray %1 at %2 %3 %4 towards %5 %6 %7: ").arg(i).arg(target[0]).arg(target[1]).arg(target[2]).arg(direction[0]).arg(direction[1]).arg(direction[2]) + difference));
        }
    }

    // The coordinates drawn before a face set in its separator.
    const SbVec3f* pointsOf(SoIndexedFaceSet* faceSet) const
    {
        for (int row = 0; row < root()->childCount(); ++row) {
            auto* scene = dynamic_cast<GeometryScene*>(root()->child(row));
            if (!scene || faceSetOf(row) != faceSet)
                continue;
            SoSeparator* separator = scene->getSceneSeparator();
            for (int i = 0; i < separator->getNumChildren(); ++i)
                if (separator->getChild(i)->isOfType(SoCoordinate3::getClassTypeId()))
                    return static_cast<SoCoordinate3*>(separator->getChild(i))->point.getValues(0);
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(files.isValid());
        gyroview::init();
    }

    void init()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
    }

    void cleanup() { window.reset(); }

    // The ellipsoid with a column shown (texture coordinates in the printed
    // lines) and landmark spheres, which stay unpickable, in front of it.
    void texturedEllipsoidWithLandmarks()
    {
        const int rings = 60, segments = 120;
        QVERIFY(writeEllipsoid(file("ellipsoid.obj"), rings, segments));
        QVERIFY(writeVertstats(file("ellipsoid.vertstats"), {"height"}, {ellipsoidHeights(rings, segments)}));
        QVERIFY(writeText(file("marks.tag"), "MNI Tag Point File\nVolumes = 1;\nPoints =\n"
                                             " 0 0 52 \"top\";\n 0 -72 0 \"front\";\n 56 0 0 \"side\";\n"));
        QVERIFY(openQuietly(file("ellipsoid.obj")));
        QVERIFY(openQuietly(file("ellipsoid.vertstats")));
        QVERIFY(openQuietly(file("marks.tag")));
        auto* stats = dynamic_cast<textureFileItem*>(root()->child(0)->child(1));
        QVERIFY(stats);
        stats->showColumn(0);
        showWindow();
        compareMany(600, 300, {faceSetOf(0)});
    }

    void rolledSheet()
    {
        QVERIFY(writeRolledSheet(file("sheet.obj"), 90, 40));
        QVERIFY(openQuietly(file("sheet.obj")));
        showWindow();
        compareMany(600, 300, {faceSetOf(0)});
    }

    // Two ellipsoids through each other, and the first again in the very
    // same place: exact ties between surfaces go the way Coin's go.
    void overlappingSurfaces()
    {
        QVERIFY(writeEllipsoid(file("a.obj"), 40, 80));
        QVERIFY(writeObj(file("b.obj"), {{-30, -30, -30}, {60, -10, 0}, {0, 60, 20}, {-20, 10, 70}},
                         {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}}));
        QVERIFY(openQuietly(file("a.obj")));
        QVERIFY(openQuietly(file("b.obj")));
        QVERIFY(openQuietly(file("a.obj")));
        showWindow();
        compareMany(600, 300, {faceSetOf(0), faceSetOf(1), faceSetOf(2)});
    }

    // A hidden surface is never picked; the one behind it is, as Coin picks
    // it with the hidden one out of the scene.
    void hiddenSurfaceIsNotPicked()
    {
        QVERIFY(writeEllipsoid(file("outer.obj"), 30, 60));
        QVERIFY(writeSquare(file("inner.obj")));
        QVERIFY(openQuietly(file("outer.obj")));
        QVERIFY(openQuietly(file("inner.obj")));
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        viewer->pickIndex().waitUntilBuilt();
        SoIndexedFaceSet* outer = faceSetOf(0);
        viewer->pickIndex().setSurfaceHidden(outer, true);
        const QPoint centre = project(SbVec3f(0, 0, 0));
        const SbVec2s at(short(centre.x()), short(viewer->height() - 1 - centre.y()));
        const SbViewportRegion region = viewer->getSoRenderManager()->getViewportRegion();
        gyroview::IndexedRayPick indexed(region, &viewer->pickIndex());
        indexed.setPoint(at);
        const Pick hiddenPick = describe(indexed);
        QVERIFY(hiddenPick.hit);
        QCOMPARE(hiddenPick.shape, static_cast<const SoNode*>(faceSetOf(1)));

        auto* outerScene = dynamic_cast<GeometryScene*>(root()->child(0));
        SoSeparator* scene = viewer->getRootSeparator();
        scene->ref();
        const int position = scene->findChild(outerScene->getSceneSeparator());
        QVERIFY(position >= 0);
        outerScene->getSceneSeparator()->ref();
        scene->removeChild(position);
        SoRayPickAction coin(region);
        coin.setPoint(at);
        const Pick without = describe(coin);
        scene->insertChild(outerScene->getSceneSeparator(), position);
        outerScene->getSceneSeparator()->unref();
        scene->unrefNoDelete();
        QCOMPARE(hiddenPick.lines, without.lines);

        viewer->pickIndex().setSurfaceHidden(outer, false);
        gyroview::IndexedRayPick shown(region, &viewer->pickIndex());
        shown.setPoint(at);
        QCOMPARE(describe(shown).shape, static_cast<const SoNode*>(outer));
    }

    // A surface whose index arrays are megabytes (kept in mapped pages):
    // asked as the pick asks (again from where it reached while no
    // candidate is really hit), the index finds the nearest hit that testing
    // every triangle finds, and nothing where the ray passes the surface.
    void largeIndexFindsNearestTriangle()
    {
        const int side = 400;  // 320,000 triangles over a wavy square
        std::vector<float> points;
        for (int j = 0; j <= side; ++j)
            for (int i = 0; i <= side; ++i)
                points.insert(points.end(), {float(i), float(j), 4.0f * std::sin(0.05f * float(i * j))});
        std::vector<int32_t> corners;
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i) {
                const int32_t a = j * (side + 1) + i, b = a + 1, c = a + side + 1, d = c + 1;
                corners.insert(corners.end(), {a, b, d, a, d, c});
            }
        const gyroview::TriangleBvh::Mesh mesh{points.data(), corners.data(), 3, int32_t(corners.size() / 3)};
        gyroview::TriangleBvh bvh;
        QVERIFY(bvh.build(mesh));
        // Distance along the ray to triangle t, or -1 when it misses.
        auto distance = [&](const QVector3D& o, const QVector3D& d, int t) {
            auto point = [&](int k) {
                const float* p = &points[3 * std::size_t(corners[3 * std::size_t(t) + k])];
                return QVector3D(p[0], p[1], p[2]);
            };
            const QVector3D p0 = point(0), e1 = point(1) - p0, e2 = point(2) - p0, s = o - p0;
            const QVector3D h = QVector3D::crossProduct(d, e2), q = QVector3D::crossProduct(s, e1);
            const float det = QVector3D::dotProduct(e1, h);
            if (std::abs(det) < 1e-12f)
                return -1.0f;
            const float u = QVector3D::dotProduct(s, h) / det, v = QVector3D::dotProduct(d, q) / det;
            const float along = QVector3D::dotProduct(e2, q) / det;
            return u >= 0 && v >= 0 && u + v <= 1 && along > 0 ? along : -1.0f;
        };
        std::mt19937 random(11);
        std::uniform_real_distribution<float> across(-20.0f, float(side) + 20.0f);
        int hits = 0;
        for (int ray = 0; ray < 24; ++ray) {
            const QVector3D o(across(random), across(random), 50.0f);
            const QVector3D d = (QVector3D(across(random), across(random), 0.0f) - o).normalized();
            float expected = -1.0f;
            for (int t = 0; t < mesh.triangles; ++t)
                if (const float at = distance(o, d, t); at > 0 && (expected < 0 || at < expected))
                    expected = at;
            float found = -1.0f, from = 0.0f;
            std::vector<int32_t> triangles;
            for (int round = 0; round < 64 && found < 0; ++round) {
                const float origin[3] = {o.x(), o.y(), o.z()}, direction[3] = {d.x(), d.y(), d.z()};
                from = bvh.candidates(origin, direction, from, mesh, triangles);
                if (from < 0)
                    break;
                for (int32_t t : triangles)
                    if (const float at = distance(o, d, t); at > 0 && (found < 0 || at < found))
                        found = at;
            }
            QVERIFY2(std::abs(found - expected) <= 1e-4f * std::max(1.0f, expected),
                     qPrintable(QString("ray %1: %2 along, %3 expected").arg(ray).arg(found).arg(expected)));
            hits += expected > 0;
        }
        QVERIFY2(hits >= 12, "too few rays hit the surface to tell");
    }

    // Before an index is built (or after its surface changed) the pick is
    // Coin's own, and a background press picks nothing either way.
    // The index keeps no copy of the surface: it is small, and read through
    // the face set's own coordIndex it finds what it finds through a packed
    // copy of the triangles.
    void indexIsSmallAndReadsTheSurfaceInPlace()
    {
        QVERIFY(writeEllipsoid(file("small.obj"), 60, 120));
        QVERIFY(openQuietly(file("small.obj")));
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        viewer->pickIndex().waitUntilBuilt();
        SoIndexedFaceSet* surface = faceSetOf(0);
        const gyroview::PickIndex::Surface* indexed = viewer->pickIndex().find(surface);
        QVERIFY(indexed && indexed->ready());
        const gyroview::TriangleBvh& bvh = *indexed->ready();
        const int32_t triangles = bvh.triangleCount();
        QCOMPARE(triangles, (surface->coordIndex.getNum() + 1) / 4);
        QVERIFY2(bvh.memoryBytes() <= std::size_t(triangles) * 24,
                 qPrintable(QString::number(double(bvh.memoryBytes()) / triangles) + " bytes per triangle"));

        auto* scene = dynamic_cast<GeometryScene*>(root()->child(0));
        const SoCoordinate3* coordinates = nullptr;
        for (int i = 0; i < scene->getSceneSeparator()->getNumChildren(); ++i)
            if (scene->getSceneSeparator()->getChild(i)->isOfType(SoCoordinate3::getClassTypeId()))
                coordinates = static_cast<const SoCoordinate3*>(scene->getSceneSeparator()->getChild(i));
        QVERIFY(coordinates);
        const float* points = coordinates->point.getValues(0)[0].getValue();
        const int32_t* coordIndex = surface->coordIndex.getValues(0);
        std::vector<int32_t> packed;
        for (int32_t t = 0; t < triangles; ++t)
            packed.insert(packed.end(), coordIndex + 4 * t, coordIndex + 4 * t + 3);
        const gyroview::TriangleBvh::Mesh own{points, coordIndex, 4, triangles};
        const gyroview::TriangleBvh::Mesh copy{points, packed.data(), 3, triangles};
        std::mt19937 random(7);
        std::uniform_real_distribution<float> spread(-60.0f, 60.0f);
        int hits = 0;
        for (int ray = 0; ray < 300; ++ray) {
            const float origin[3] = {spread(random), spread(random), 200.0f};
            float direction[3] = {spread(random) * 0.5f - origin[0], spread(random) * 0.5f - origin[1], -200.0f};
            const float length = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                           direction[2] * direction[2]);
            for (float& d : direction)
                d /= length;
            std::vector<int32_t> a, b;
            const float reachA = bvh.candidates(origin, direction, 0.0f, own, a);
            const float reachB = bvh.candidates(origin, direction, 0.0f, copy, b);
            QCOMPARE(reachA, reachB);
            QCOMPARE(a, b);
            hits += !a.empty();
        }
        QVERIFY2(hits > 100, "too few rays hit the surface to tell");
    }

    void unbuiltIndexFallsBackToCoin()
    {
        QVERIFY(writeEllipsoid(file("plain.obj"), 30, 60));
        QVERIFY(openQuietly(file("plain.obj")));
        showWindow();
        BrainQuarter* viewer = window->getViewer();
        SoIndexedFaceSet* surface = faceSetOf(0);
        gyroview::PickIndex unbuilt;
        auto* scene = dynamic_cast<GeometryScene*>(root()->child(0));
        SoCoordinate3* coordinates = nullptr;
        for (int i = 0; i < scene->getSceneSeparator()->getNumChildren(); ++i)
            if (scene->getSceneSeparator()->getChild(i)->isOfType(SoCoordinate3::getClassTypeId()))
                coordinates = static_cast<SoCoordinate3*>(scene->getSceneSeparator()->getChild(i));
        const int held = coordinates->getRefCount();
        {
            // A surface removed before its build leaves nothing held.
            gyroview::PickIndex dropped;
            QVERIFY(dropped.addSurface(surface, coordinates));
            dropped.removeSurface(surface);
            QCOMPARE(coordinates->getRefCount(), held);
        }
        QVERIFY(unbuilt.addSurface(surface, coordinates));
        QVERIFY(!unbuilt.isReady(surface));
        const SbViewportRegion region = viewer->getSoRenderManager()->getViewportRegion();
        const QPoint centre = project(SbVec3f(0, 0, 0));
        for (const SbVec2s at : {SbVec2s(short(centre.x()), short(viewer->height() - 1 - centre.y())),
                                 SbVec2s(2, 2)}) {
            SoRayPickAction coin(region);
            coin.setPoint(at);
            gyroview::IndexedRayPick indexed(region, &unbuilt);
            indexed.setPoint(at);
            const Pick a = describe(coin), b = describe(indexed);
            QCOMPARE(b.hit, a.hit);
            QCOMPARE(b.lines, a.lines);
        }
        // The build reads the nodes in place: the points' node is held for
        // as long as the surface is indexed.
        QCOMPARE(coordinates->getRefCount(), held + 1);
        unbuilt.startBuilding();
        unbuilt.waitUntilBuilt();
        QVERIFY(unbuilt.isReady(surface));
        QCOMPARE(coordinates->getRefCount(), held + 1);
        // Points moved after indexing: the index no longer stands for the
        // surface and Coin picks it, at its new size.
        viewer->pickIndex().waitUntilBuilt();
        QVERIFY(viewer->pickIndex().isReady(surface));
        SbVec3f* points = coordinates->point.startEditing();
        for (int i = 0; i < coordinates->point.getNum(); ++i)
            points[i] *= 0.5f;
        coordinates->point.finishEditing();
        compareMany(40, 20, {surface});
    }
};

QTEST_MAIN(TestPickIndex)
#include "tst_pick_index.moc"
