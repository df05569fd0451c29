// Timings of the application on a 327,680-triangle sphere surface:
// process start to the first frame drawn, building the six surface nodes,
// one pick at the centre of the view, frames while the camera turns, and
// peak resident memory. Run under X (xvfb-run); prints numbers only.
//
//   xvfb-run -a -s '-screen 0 1280x1024x24' sh -c 'START_NS=$(date +%s%N) ./app_timing'
//
// With --empty no surface is opened (the window's own start-up cost);
// --stats also opens a four-column statistics file of the surface before
// the first frame; --surfaces N opens the surface N times (picks among N).
// For bench/vtk_compare: --surface FILE and --statistics FILE open those
// instead of the sphere, --view W H sizes the view, --quick leaves out
// Coin's picks and the node builds, --close closes the surface at the end
// and reports resident memory before opening and after closing,
// --coin-drawing leaves the surface's drawing to Coin's face set, and
// --write-sphere LEVELS writes the sphere of that many subdivisions to the
// two files and stops.
#include "column_colouring.h"
#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "IndexedRayPick.h"
#include "PickIndex.h"
#include "MainWindow.h"
#include "MemoryTrim.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "ViewerWidget.h"
#include "objects.h"
#include "surface_face_set.h"
#include "output_capture.h"
#include "quillon.h"
#include "zelVertstatsFile.h"
#include "fresh_home.h"

#include <Inventor/SoPickedPoint.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/SoRenderManager.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLayout>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>
#include <map>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace {

double nowRealtimeNs()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

// Milliseconds since the process started: from START_NS (wall clock set by
// the launching shell) when given, else from the kernel's start time.
double msSinceProcessStart()
{
    if (const char* start = std::getenv("START_NS"))
        return (nowRealtimeNs() - std::atof(start)) / 1e6;
    FILE* stat = std::fopen("/proc/self/stat", "r");
    unsigned long long startTicks = 0;
    if (stat) {
        char buffer[4096];
        const size_t n = std::fread(buffer, 1, sizeof buffer - 1, stat);
        buffer[n] = 0;
        std::fclose(stat);
        const char* p = std::strrchr(buffer, ')');
        for (int field = 2; p && field < 22; ++field)
            p = std::strchr(p + 1, ' ');
        if (p)
            startTicks = std::strtoull(p + 1, nullptr, 10);
    }
    timespec ts;
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const double bootMs = ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    return bootMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

// An icosahedron subdivided `levels` times onto the unit sphere, scaled.
struct Sphere {
    std::vector<Point> points;
    std::vector<Vector> normals;
    std::vector<int> ends, indices;
};

Sphere makeSphere(int levels, float radius)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<std::array<float, 3>> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                           {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                           {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<std::array<int, 3>> f = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                         {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                         {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                         {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<int, int>, int> middle;
        auto mid = [&](int a, int b) {
            const auto key = std::minmax(a, b);
            auto it = middle.find(key);
            if (it != middle.end())
                return it->second;
            v.push_back({(v[a][0] + v[b][0]) / 2, (v[a][1] + v[b][1]) / 2, (v[a][2] + v[b][2]) / 2});
            return middle[key] = int(v.size()) - 1;
        };
        std::vector<std::array<int, 3>> next;
        next.reserve(f.size() * 4);
        for (const auto& tri : f) {
            const int a = mid(tri[0], tri[1]), b = mid(tri[1], tri[2]), c = mid(tri[2], tri[0]);
            next.push_back({tri[0], a, c});
            next.push_back({tri[1], b, a});
            next.push_back({tri[2], c, b});
            next.push_back({a, b, c});
        }
        f.swap(next);
    }
    Sphere s;
    for (const auto& p : v) {
        const float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        s.normals.push_back({p[0] / len, p[1] / len, p[2] / len});
        s.points.push_back({radius * p[0] / len, radius * p[1] / len, radius * p[2] / len});
    }
    for (const auto& tri : f) {
        s.indices.insert(s.indices.end(), tri.begin(), tri.end());
        s.ends.push_back(int(s.indices.size()));
    }
    return s;
}

polygons_struct recordOf(Sphere& s)
{
    polygons_struct p{};
    p.n_points = int(s.points.size());
    p.points = s.points.data();
    p.normals = s.normals.data();
    p.n_items = int(s.ends.size());
    p.end_indices = s.ends.data();
    p.indices = s.indices.data();
    return p;
}

bool writeAsciiObj(const char* path, const Sphere& s)
{
    FILE* out = std::fopen(path, "w");
    if (!out)
        return false;
    std::fprintf(out, "P 0.3 0.3 0.4 10 1 %zu\n", s.points.size());
    for (const Point& p : s.points)
        std::fprintf(out, "%g %g %g\n", p.x, p.y, p.z);
    std::fprintf(out, "\n");
    for (const Vector& n : s.normals)
        std::fprintf(out, "%g %g %g\n", n.x, n.y, n.z);
    std::fprintf(out, "\n%zu\n0 1 1 1 1\n\n", s.ends.size());
    for (int e : s.ends)
        std::fprintf(out, "%d\n", e);
    std::fprintf(out, "\n");
    for (size_t i = 0; i < s.indices.size(); i += 3)
        std::fprintf(out, "%d %d %d\n", s.indices[i], s.indices[i + 1], s.indices[i + 2]);
    return std::fclose(out) == 0;
}

// Four columns of the sphere's points, in the statistics file format.
bool writeStatistics(const char* path, const Sphere& s)
{
    const size_t n = s.points.size();
    std::vector<float> a(n), b(n), c(n), d(n);
    for (size_t i = 0; i < n; ++i) {
        const Point& p = s.points[i];
        a[i] = p.z;
        b[i] = std::sin(p.x * 0.1f) * std::cos(p.y * 0.1f);
        c[i] = std::exp(-(p.x * p.x + p.y * p.y) / 800.0f) - 0.3f;
        d[i] = float((i * 2654435761u) % 1000) / 1000.0f;
    }
    zelVertstatsFile stats;
    stats.putDataColumn(a, "height");
    stats.putDataColumn(b, "waves");
    stats.putDataColumn(c, "blob");
    stats.putDataColumn(d, "noise");
    stats.writeFile(path, false);
    return QFile::exists(path);
}

// CPU time of the whole process so far (every thread, Mesa's included).
double cpuNowMs()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Turns the camera by `angle` about the vertical through `centre`, at its
// present distance from it, looking at it: a step of a turn around the surface.
void orbit(SoCamera* camera, const SbVec3f& centre, float angle)
{
    const float distance = (camera->position.getValue() - centre).length();
    const SbRotation turned = camera->orientation.getValue() * SbRotation(SbVec3f(0, 1, 0), angle);
    SbVec3f dir;
    turned.multVec(SbVec3f(0, 0, -1), dir);
    camera->orientation = turned;
    camera->position = centre - dir * distance;
    camera->focalDistance = distance;
}

// Pixels of `frame` that differ from its corner (the background: the view
// starts framed around the surface), to tell that a frame shows the surface.
qsizetype nonBackgroundPixels(const QImage& frame)
{
    if (frame.isNull())
        return 0;
    const QRgb background = frame.pixel(0, 0);
    qsizetype count = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            count += frame.pixel(x, y) != background;
    return count;
}

// Resident memory now, for where the peak builds up.
// Private memory only (no mapped library code), from /proc.
double anonymousMb()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0.0;
    char line[256];
    double kb = 0.0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "RssAnon: %lf", &kb) == 1)
            break;
    std::fclose(status);
    return kb / 1024.0;
}

double residentMb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const double atMain = msSinceProcessStart();
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    // Never the user's settings: the window writes its texture directory.
    QTemporaryDir home;
    useHome(home);
    QApplication app(argc, argv);
    gyroview::init();
    const double atInit = msSinceProcessStart();

    // The surface file is made once; later runs reuse it so that the
    // start-up figure is not spoilt by writing it.
    const char* path = "/tmp/gyrolux_timing_sphere.obj";
    const char* statsPath = "/tmp/gyrolux_timing_sphere.vertstats";
    bool ownFiles = false;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--surface") == 0)
            path = argv[i + 1], ownFiles = true;
        else if (std::strcmp(argv[i], "--statistics") == 0)
            statsPath = argv[i + 1];
    }
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--write-sphere") == 0) {
            const Sphere written = makeSphere(std::atoi(argv[i + 1]), 80.0f);
            const bool ok = writeAsciiObj(path, written) && writeStatistics(statsPath, written);
            std::fprintf(stderr, "%s %s and %s\n", ok ? "wrote" : "cannot write", path, statsPath);
            return ok ? 0 : 1;
        }
    Sphere sphere;
    if (!ownFiles && (!QFile::exists(path) || !QFile::exists(statsPath))) {
        sphere = makeSphere(7, 80.0f);
        if (!writeAsciiObj(path, sphere) || !writeStatistics(statsPath, sphere)) {
            std::fprintf(stderr, "cannot write %s or %s\n", path, statsPath);
            return 1;
        }
        std::fprintf(stderr, "wrote %s and %s; run again for the start-up time\n", path, statsPath);
        return 0;
    }
    bool empty = false, withStats = false, firstFrameOnly = false, quick = false, close = false;
    int surfaces = 1, viewWidth = 0, viewHeight = 0;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--empty")
            empty = true;
        else if (arg == "--stats")
            withStats = true;
        else if (arg == "--first-frame")
            firstFrameOnly = true;
        else if (arg == "--surfaces" && i + 1 < argc)
            surfaces = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--statistics" && i + 1 < argc)
            withStats = true, ++i;
        else if (arg == "--surface" && i + 1 < argc)
            ++i;
        else if (arg == "--view" && i + 2 < argc)
            viewWidth = std::atoi(argv[i + 1]), viewHeight = std::atoi(argv[i + 2]), i += 2;
        else if (arg == "--quick")
            quick = true;
        else if (arg == "--close")
            close = true;
        else if (arg == "--coin-drawing")
            SurfaceFaceSet::setBuffersAllowed(false);
    }

    // Start-up path as main() takes it: window, file, show, first frame.
    MainWindow window;
    trimMemoryAfterLayerChanges(&window);
    const double atWindow = msSinceProcessStart();
    // Sized first, so that --close compares like with like.
    window.resize(1000, 700);
    if (viewWidth > 0 && viewHeight > 0) {
        // The window grows by what the view lacks, docks and bars kept.
        window.ensurePolished();
        window.layout()->activate();
        const QSize view = window.getViewer()->size();
        window.resize(window.width() + viewWidth - view.width(),
                      window.height() + viewHeight - view.height());
    }
    // With --close the window is up and drawn before any file opens, as a
    // user's is, so that closing is measured against that.
    if (close) {
        window.show();
        while (window.getViewer()->frameCount() == 0)
            app.processEvents(QEventLoop::AllEvents, 5);
    }
    const double rssWindow = residentMb();
    const double heapWindow = double(mallinfo2().uordblks + mallinfo2().hblkhd) / 1048576.0;
    const double anonWindow = anonymousMb();
    const double cpuAtWindow = cpuNowMs();
    QElapsedTimer load;
    load.start();
    // With --empty the same path runs without a surface, to tell the cost of
    // the window itself from that of the surface's first frame.
    for (int i = 0; i < surfaces && !empty; ++i) {
        QFile file(path);
        window.openFile(file);
    }
    const double surfacesMs = load.nsecsElapsed() / 1e6;
    if (withStats && !empty) {
        QFile stats(statsPath);
        window.openFile(stats);
    }
    const double loadMs = load.nsecsElapsed() / 1e6;
    const double statsMs = loadMs - surfacesMs;
    const double cpuAtLoaded = cpuNowMs();
    const double rssLoaded = residentMb();
    std::fflush(stdout);
    // The first frame is the first one on the screen (its buffer swapped),
    // and the draws it took are counted.
    BrainQuarter* viewer = window.getViewer();
    quint64 drawsToFirstFrame = 0;
    QObject::connect(viewer, &QOpenGLWidget::frameSwapped, viewer, [&] {
        if (drawsToFirstFrame == 0)
            drawsToFirstFrame = viewer->frameCount();
    });
    window.show();
    const double atShow = msSinceProcessStart();
    while (drawsToFirstFrame == 0)
        app.processEvents(QEventLoop::AllEvents, 5);
    const double firstFrameMs = msSinceProcessStart();
    const double rssFirstFrame = residentMb();
    // CPU time spent by then: on a busy machine the wall time mostly waits.
    rusage atFrame;
    getrusage(RUSAGE_SELF, &atFrame);
    const double cpuMs = (atFrame.ru_utime.tv_sec + atFrame.ru_stime.tv_sec) * 1e3 +
                         (atFrame.ru_utime.tv_usec + atFrame.ru_stime.tv_usec) / 1e3;
    // With --first-frame nothing more is done (for profiling the start).
    if (firstFrameOnly) {
        std::fprintf(stderr, "process start to first frame: %.1f ms after %llu draws (main entered %.1f, Qt and Coin up %.1f,\n"
                             "  window built %.1f, files opened in %.1f ms (statistics %.1f), shown %.1f;\n"
                             "  CPU time %.1f ms: %.1f to the window, %.1f opening, %.1f showing and drawing)\n",
                     firstFrameMs, static_cast<unsigned long long>(drawsToFirstFrame), atMain, atInit, atWindow, loadMs,
                     statsMs, atShow, cpuMs, cpuAtWindow,
                     cpuAtLoaded - cpuAtWindow, cpuMs - cpuAtLoaded);
        std::_Exit(0);
    }

    // Picks through the view with Coin's ray pick, as the event callback
    // did: the centre, then points spread over the middle of the view.
    const SbViewportRegion region = viewer->getSoRenderManager()->getViewportRegion();
    const SbVec2s size = region.getViewportSizePixels();
    // 21 picks, each made by `action`: the centre first, then points over
    // the middle of the view. Returns their times; counts the hits.
    const auto timePicks = [&](auto&& action, int& hitCount) {
        std::vector<double> times;
        hitCount = 0;
        for (int rep = 0; rep < 21; ++rep) {
            const SbVec2s at = rep == 0 ? SbVec2s(size[0] / 2, size[1] / 2)
                                        : SbVec2s(short(size[0] * (0.3 + 0.02 * rep)),
                                                  short(size[1] * (0.7 - 0.02 * rep)));
            QElapsedTimer timer;
            timer.start();
            auto pick = action();
            pick.setPoint(at);
            pick.apply(viewer->getSceneGraph());
            hitCount += pick.getPickedPoint(0) != nullptr;
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        return times;
    };
    int hits = 0;
    const std::vector<double> picks =
        quick ? std::vector<double>{0.0} : timePicks([&] { return SoRayPickAction(region); }, hits);

    // The same picks through the surfaces' triangle indices, once built.
    QElapsedTimer indexWait;
    indexWait.start();
    viewer->pickIndex().waitUntilBuilt();
    const double indexWaitMs = indexWait.nsecsElapsed() / 1e6;
    const double rssIndexed = residentMb();
    int indexedHits = 0;
    const std::vector<double> indexedPicks = timePicks(
        [&] { return gyroview::IndexedRayPick(region, &viewer->pickIndex()); }, indexedHits);

    // Frames while the camera turns around the surface (about the scene's
    // centre, at a fixed distance): each step waits for the view to draw (and
    // present) the new frame, as the examiner's spin does. A full turn in 30
    // steps, so every direction is drawn.
    SoCamera* camera = viewer->getCamera();
    SoGetBoundingBoxAction bounds(region);
    bounds.apply(viewer->getSceneGraph());
    const SbVec3f centre = bounds.getBoundingBox().getCenter();
    std::vector<double> frames, frameCpu;
    for (int i = 0; i < 30; ++i) {
        const quint64 drawn = viewer->frameCount();
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuNowMs();
        orbit(camera, centre, float(2 * M_PI / 30));
        while (viewer->frameCount() == drawn && timer.elapsed() < 5000)
            app.processEvents(QEventLoop::AllEvents, 1);
        frames.push_back(timer.nsecsElapsed() / 1e6);
        frameCpu.push_back(cpuNowMs() - cpuStart);
    }
    // A quarter turn more, then the frame itself: it must show the surface,
    // or the times above are of an empty view.
    orbit(camera, centre, float(M_PI / 2));
    const QImage turnedFrame = viewer->grabFramebuffer();
    const qsizetype surfacePixels = nonBackgroundPixels(turnedFrame);

    // The viewer's own peak, before this program's sphere and node builds
    // below add theirs.
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double rssTurned = residentMb();

    // File > Close of the surface (and its statistics): what stays resident.
    double rssClosed = 0.0;
    if (close) {
        TreeItem* rootItem = window.getResources()->getRootItem();
        while (rootItem->childCount() > 0)
            window.getResources()->closeLayer(rootItem->child(0));
        // The emptied view is drawn, gets a new context and is drawn again
        // (the heap is trimmed after that): waited for until no frame has
        // come for a while.
        viewer->update();
        QElapsedTimer wait, quiet;
        wait.start();
        quiet.start();
        for (quint64 drawn = viewer->frameCount(); quiet.elapsed() < 500 && wait.elapsed() < 10000;) {
            app.processEvents(QEventLoop::AllEvents, 5);
            if (viewer->frameCount() != drawn)
                drawn = viewer->frameCount(), quiet.restart();
        }
        rssClosed = residentMb();
        std::fprintf(stderr,
                     "resident before opening %.1f MB, after closing %.1f MB (private %.1f, %.1f MB)\n",
                     rssWindow, rssClosed, anonWindow, anonymousMb());
        // What is still allocated, ours or the GL driver's (heaptrack tells whose).
        const struct mallinfo2 heap = mallinfo2();
        std::fprintf(stderr, "heap in use before opening %.1f MB, after closing %.1f MB; free in the heap %.1f MB\n",
                     heapWindow, double(heap.uordblks + heap.hblkhd) / 1048576.0,
                     double(heap.fordblks) / 1048576.0);
    }

    // Building the six nodes from a record already in memory.
    if (sphere.points.empty() && !quick)
        sphere = makeSphere(7, 80.0f);
    polygons_struct record = recordOf(sphere);
    std::vector<double> build;
    if (quick)
        build.push_back(0.0);
    // The "ID: " lines of each build go nowhere.
    for (int rep = 0; rep < (quick ? 0 : 15); ++rep) {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        SoSeparator* target = new SoSeparator;
        target->ref();
        {
            GeometryNode node(target, {QVariant(), QVariant()}, nullptr, nullptr);
            QElapsedTimer timer;
            timer.start();
            node.loadPolygons(record);
            build.push_back(timer.nsecsElapsed() / 1e6);
        }
        target->unref();
    }

    std::fprintf(stderr,
                 "surface: %zu points, %zu triangles\n"
                 "process start to first frame: %.1f ms after %llu draws (main entered %.1f, Qt and Coin up %.1f,\n"
                 "  window built %.1f, files opened in %.1f ms (statistics %.1f), shown %.1f; CPU time %.1f ms)\n"
                 "building the six nodes: median %.2f ms, best %.2f ms (15 runs)\n"
                 "one Coin ray pick: median %.1f ms (%d of 21 hit)\n"
                 "one indexed pick: median %.3f ms (%d of 21 hit; index ready %.1f ms after the picks above)\n"
                 "frame while turning: median %.1f ms (CPU %.1f ms); a turned frame shows %lld surface pixels of %lld\n"
                 "peak resident memory: %.1f MB\n"
                 "  resident: window %.1f, files opened %.1f, first frame %.1f, index built %.1f,\n"
                 "  after turning %.1f MB\n",
                 sphere.points.size(), sphere.ends.size(), firstFrameMs,
                 static_cast<unsigned long long>(drawsToFirstFrame), atMain, atInit, atWindow, loadMs, statsMs, atShow, cpuMs, median(build),
                 *std::min_element(build.begin(), build.end()), median(picks), hits, median(indexedPicks), indexedHits, indexWaitMs,
                 median(frames), median(frameCpu), static_cast<long long>(surfacePixels),
                 static_cast<long long>(turnedFrame.width()) * turnedFrame.height(), usage.ru_maxrss / 1024.0, rssWindow, rssLoaded, rssFirstFrame, rssIndexed, rssTurned);
    if (!empty && surfacePixels == 0) {
        std::fprintf(stderr, "app_timing: the turned frames do not show the surface\n");
        return 1;
    }
    return 0;
}
