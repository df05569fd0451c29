// Frame time of the main window's view on a 327,680-triangle surface
// (163,842 vertices) with a statistics column and a 36-region parcellation
// over it: a plain frame while turning, and the frame that follows
// switching outlines on or off or hiding a region (the edit and the frame,
// as the user waits for them). Each figure is a median over several frames,
// in wall-clock time and in the processor time of the whole process. Also
// the per-region table of four columns. Run under X; prints numbers only.
//
//   xvfb-run -a -s '-screen 0 1280x1024x24' bench/parcel_frame_timing
#include "BrainQuarter.h"
#include "frame_timing.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "ViewerWidget.h"
#include "column_colouring.h"
#include "fresh_home.h"
#include "geometry.h"
#include "object_io.h"
#include "objects.h"
#include "output_capture.h"
#include "parcel_files.h"
#include "polygon_normals.h"
#include "quillon.h"
#include "region_statistics.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoCamera.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using bench::Frame;
using bench::cpuMs;
using bench::median;
using bench::orbit;

// Median over a whole turn in `frames` steps of `edit` (nothing for plain
// frames) followed by a frame drawn synchronously.
Frame frames(BrainQuarter* view, int count, const std::function<void(int)>& edit)
{
    view->viewAll();
    std::vector<double> wall, cpu;
    for (int i = 0; i < count; ++i) {
        orbit(view->getCamera(), float(2 * M_PI / count));
        QElapsedTimer one;
        one.start();
        const double cpuStart = cpuMs();
        if (edit)
            edit(i);
        (void)view->grabFramebuffer().pixel(0, 0);
        cpu.push_back(cpuMs() - cpuStart);
        wall.push_back(one.nsecsElapsed() / 1e6);
    }
    return {median(wall), median(cpu)};
}

void print(const char* what, const Frame& frame, const Frame& plain)
{
    std::printf("%s: %.1f ms wall (%.2fx plain), %.1f ms processor (%.2fx plain)\n", what,
                frame.wall, frame.wall / plain.wall, frame.cpu, frame.cpu / plain.cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    QTemporaryDir home;
    useHome(home);
    QApplication app(argc, argv);
    gyroview::init();
    const int count = argc > 1 ? std::max(3, std::atoi(argv[1])) : 16;

    const QString objPath = home.filePath("sphere.obj");
    const QString statsPath = home.filePath("sphere.vertstats");
    const QString annotPath = home.filePath("lh.sphere.annot");
    std::vector<std::vector<float>> columns(4);
    parcellation parcels;
    {
        object_struct* object = create_object(POLYGONS);
        polygons_struct* polygons = get_polygons_ptr(object);
        const Point centre = {0, 0, 0};
        if (create_tetrahedral_sphere(&centre, 70, 55, 50, 327680, polygons) != OK)
            return 1;
        compute_polygon_normals(polygons);
        object_struct* list[1] = {object};
        if (output_graphics_file(QFile::encodeName(objPath).constData(), BINARY_FORMAT, 1, list) != OK)
            return 1;
        const int n = polygons->n_points;
        // 36 regions: six bands of longitude by six of height.
        parcels.format = FREESURFER_ANNOTATION;
        for (int r = 0; r < 36; ++r)
            parcels.regions.push_back({r, "region" + std::to_string(r), distinct_parcel_colour(r)});
        zelVertstatsFile stats;
        for (auto& column : columns)
            column.resize(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            const Point& p = polygons->points[i];
            const double around = std::atan2(p.y, p.x) + M_PI;
            const int band = std::min(5, int(around / (2 * M_PI) * 6));
            const int level = std::clamp(int((p.z + 50) / 100 * 6), 0, 5);
            parcels.vertex_regions.push_back(band * 6 + level);
            columns[0][std::size_t(i)] = p.z;
            columns[1][std::size_t(i)] = std::sin(p.x * 0.1f) * std::cos(p.y * 0.1f);
            columns[2][std::size_t(i)] = p.x;
            columns[3][std::size_t(i)] = p.y;
        }
        stats.putDataColumn(columns[0], "height");
        stats.putDataColumn(columns[1], "waves");
        stats.writeFile(QFile::encodeName(statsPath).toStdString(), false);
        if (output_freesurfer_annotation(QFile::encodeName(annotPath).constData(), parcels) != OK)
            return 1;
        std::printf("surface: %d vertices, %d triangles; 36 regions\n", n, polygons->n_items);
        delete_object(object);
    }
    {
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            parcellation read;
            if (input_freesurfer_annotation(QFile::encodeName(annotPath).constData(), &read) != OK)
                return 1;
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("annotation read: %.2f ms (median of 5)\n", median(times));
        std::vector<gyroscene::named_column> named;
        for (std::size_t c = 0; c < columns.size(); ++c)
            named.push_back({"column" + std::to_string(c), &columns[c]});
        times.clear();
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            const std::string csv = gyroscene::region_statistics_csv(parcels, named);
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("per-region table of four columns, as CSV: %.2f ms (median of 5)\n", median(times));
    }

    MainWindow* window = nullptr;
    {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        window = new MainWindow;
        window->resize(1200, 800);
        window->show();
    }
    BrainQuarter* view = window->getViewer();
    while (view->frameCount() == 0)
        app.processEvents(QEventLoop::AllEvents, 10);
    SceneDocument* doc = window->document();
    {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        QFile objFile(objPath), statsFile(statsPath), annotFile(annotPath);
        if (!window->openFile(objFile) || !window->openFile(statsFile) ||
            !window->openFile(annotFile))
            return 1;
    }
    const int surface = doc->surfaces().front();
    doc->chooseColumn(doc->statisticsOf(surface).front(), "height");
    const int id = doc->parcellationsOf(surface).front();
    std::printf("view: %dx%d pixels\n", view->width(), view->height());

    frames(view, 3, nullptr);
    const Frame plain = frames(view, count, nullptr);
    print("plain frame, column and filled regions shown", plain, plain);
    // The first switch finds the boundary vertices, once per parcellation.
    {
        QElapsedTimer t;
        t.start();
        doc->setParcelOutline(id, true);
        (void)view->grabFramebuffer().pixel(0, 0);
        std::printf("first switch to outlines, with its frame: %.1f ms wall\n", t.nsecsElapsed() / 1e6);
        doc->setParcelOutline(id, false);
    }
    print("outlines switched, with its frame",
          frames(view, count, [&](int i) { doc->setParcelOutline(id, i % 2 == 0); }), plain);
    doc->setParcelOutline(id, false);
    print("a region hidden or shown, with its frame",
          frames(view, count, [&](int i) { doc->setRegionShown(id, 7, i % 2 == 1); }), plain);
    doc->setParcelOutline(id, true);
    const Frame outlined = frames(view, count, nullptr);
    print("plain frame, outlines shown", outlined, plain);
    doc->setShown(id, false);
    print("plain frame, column only (parcellation hidden)", frames(view, count, nullptr), plain);
    std::fflush(stdout);
    std::_Exit(0);
}
