// Times the view on a 327,680-triangle surface (an icosahedron subdivided
// seven times, stretched to brain-like proportions): node building, first
// frame, frame time while rotating, one pick, and peak resident memory.
// Run under X (xvfb-run); prints one line per measurement.

#include "BrainQuarter.h"
#include "frame_timing.h"
#include "output_capture.h"

#include <Inventor/SoRenderManager.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QtTest>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace {

using bench::orbit;

struct Surface {
    std::vector<SbVec3f> points;
    std::vector<SbVec3f> normals;
    std::vector<int32_t> indices;
};

Surface makeBrainLikeSurface(int levels)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<SbVec3f> p = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (auto& v : p)
        v.normalize();
    std::vector<std::array<int, 3>> tris = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11},
                                            {1, 5, 9}, {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                            {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8}, {3, 8, 9},
                                            {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
    for (int level = 0; level < levels; ++level) {
        std::unordered_map<uint64_t, int> mid;
        auto midpoint = [&](int a, int b) {
            const uint64_t key = (uint64_t(std::min(a, b)) << 32) | uint64_t(std::max(a, b));
            auto [it, added] = mid.try_emplace(key, int(p.size()));
            if (added) {
                SbVec3f m = (p[a] + p[b]) * 0.5f;
                m.normalize();
                p.push_back(m);
            }
            return it->second;
        };
        std::vector<std::array<int, 3>> next;
        next.reserve(tris.size() * 4);
        for (const auto& f : tris) {
            const int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]), ca = midpoint(f[2], f[0]);
            next.push_back({f[0], ab, ca});
            next.push_back({f[1], bc, ab});
            next.push_back({f[2], ca, bc});
            next.push_back({ab, bc, ca});
        }
        tris.swap(next);
    }
    Surface s;
    const SbVec3f axes(70.0f, 85.0f, 60.0f);
    s.points.reserve(p.size());
    s.normals.reserve(p.size());
    for (const auto& v : p) {
        s.points.emplace_back(v[0] * axes[0], v[1] * axes[1], v[2] * axes[2]);
        SbVec3f n(v[0] / axes[0], v[1] / axes[1], v[2] / axes[2]);
        n.normalize();
        s.normals.push_back(n);
    }
    s.indices.reserve(tris.size() * 4);
    for (const auto& f : tris)
        s.indices.insert(s.indices.end(), {f[0], f[1], f[2], -1});
    return s;
}

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    gyroview::init();

    QElapsedTimer t;
    t.start();
    const Surface surface = makeBrainLikeSurface(7);
    std::printf("mesh: %zu triangles, %zu vertices (generated in %.1f ms)\n", surface.indices.size() / 4,
                surface.points.size(), ms(t));

    BrainQuarter view;
    view.resize(1024, 768);

    t.restart();
    auto* sep = new SoSeparator;
    sep->addChild(new SoMaterial);
    auto* binding = new SoNormalBinding;
    binding->value = SoNormalBinding::PER_VERTEX_INDEXED;
    sep->addChild(binding);
    auto* normals = new SoNormal;
    normals->vector.setValues(0, int(surface.normals.size()), surface.normals.data());
    sep->addChild(normals);
    auto* coords = new SoCoordinate3;
    coords->point.setValues(0, int(surface.points.size()), surface.points.data());
    sep->addChild(coords);
    auto* faces = new SoIndexedFaceSet;
    faces->coordIndex.setValues(0, int(surface.indices.size()), surface.indices.data());
    sep->addChild(faces);
    view.getRootSeparator()->addChild(sep);
    std::printf("nodes built (bulk setValues): %.2f ms\n", ms(t));

    // The same fields filled through startEditing and a plain copy, for comparison.
    {
        t.restart();
        auto* c = new SoCoordinate3;
        c->ref();
        c->point.setNum(int(surface.points.size()));
        std::copy(surface.points.begin(), surface.points.end(), c->point.startEditing());
        c->point.finishEditing();
        auto* f = new SoIndexedFaceSet;
        f->ref();
        f->coordIndex.setNum(int(surface.indices.size()));
        std::copy(surface.indices.begin(), surface.indices.end(), f->coordIndex.startEditing());
        f->coordIndex.finishEditing();
        std::printf("coordinates and indices through startEditing: %.2f ms\n", ms(t));
        f->unref();
        c->unref();
    }

    t.restart();
    view.show();
    view.viewAll();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "viewer_timing: the window was never exposed\n");
        return 1;
    }
    const double exposed = ms(t);
    while (view.frameCount() == 0 && t.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("first frame: %.1f ms after show (window exposed after %.1f ms), %.1f ms after process start\n",
                ms(t), exposed, ms(sinceStart));

    // Frames while rotating: turn the camera a little and draw, synchronously
    // (grabbing the framebuffer draws the frame and waits for it).
    SoCamera* camera = view.getCamera();
    const int frames = 40;
    std::vector<double> each;
    const quint64 drawnBefore = view.frameCount();
    t.restart();
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer one;
        one.start();
        orbit(camera, 0.05f);
        (void)view.grabFramebuffer().pixel(0, 0);
        each.push_back(ms(one));
    }
    const double total = ms(t);
    {
        // Checks that the fast frames really drew the surface.
        const QImage last = view.grabFramebuffer();
        long lit = 0;
        for (int y = 0; y < last.height(); y += 4)
            for (int x = 0; x < last.width(); x += 4)
                lit += qGray(last.pixel(x, y)) > 10;
        std::printf("last frame: %.0f%% of pixels lit\n", 100.0 * lit / ((last.height() / 4) * (last.width() / 4)));
        last.save(QStringLiteral("viewer_timing_last.png"));
    }
    std::printf("frame while rotating (1024x768, incl. read-back): mean %.1f ms over %d frames (%llu drawn); "
                "first three %.1f %.1f %.1f ms\n",
                total / frames, frames, static_cast<unsigned long long>(view.frameCount() - drawnBefore), each[0],
                each[1], each[2]);
    std::sort(each.begin(), each.end());
    std::printf("  median %.1f ms, worst %.1f ms\n", each[each.size() / 2], each.back());

    // One pick through the real mouse path (the event callback's ray pick).
    view.viewAll();
    view.repaint();
    OutputCapture capture(1);
    int picked = 0;
    const int picks = 10;
    t.restart();
    for (int i = 0; i < picks; ++i) {
        const QPointF pos(512 + i, 384 - i);
        QMouseEvent press(QEvent::MouseButtonPress, pos, view.mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, view.mapToGlobal(pos), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&view, &release);
    }
    const double pickMs = ms(t) / picks;
    for (const std::string& line : capture.lines())
        picked += line.rfind("Index: ", 0) == 0;
    std::printf("pick (left press + release through the view): %.1f ms each, %d of %d hit\n", pickMs, picked, picks);

    // The bare ray pick, for comparison.
    t.restart();
    for (int i = 0; i < picks; ++i) {
        SoRayPickAction pick(view.getSoRenderManager()->getViewportRegion());
        pick.setPoint(SbVec2s(short(512 + i), short(384 + i)));
        pick.apply(view.getSceneGraph());
        (void)pick.getPickedPoint(0);
    }
    std::printf("bare SoRayPickAction: %.1f ms each\n", ms(t) / picks);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
