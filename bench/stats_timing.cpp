// Timings of statistics on a 327,680-triangle surface (163,842 vertices)
// with a 4-column statistics file: opening the file with its columns'
// coordinates, scaleTexture on every value, and a limit edit up to the
// redrawn frame. Run under X; prints numbers only.
//
//   xvfb-run -a -s '-screen 0 1280x1024x24' bench/stats_timing
#include "surface_graph.h"
#include "frame_timing.h"
#include "column_colouring.h"
#include "BrainQuarter.h"
#include <Inventor/nodes/SoSeparator.h>
#include "ColourBarStore.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "ViewerWidget.h"
#include "geometry.h"
#include "object_io.h"
#include "objects.h"
#include "output_capture.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "zelVertstatsFile.h"
#include "quillon.h"
#include "fresh_home.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace {

using bench::median;

// Runs fn with standard output silenced (the program logs every column's
// colour-bar list), returning milliseconds.
template <typename F>
double quietMs(F&& fn)
{
    OutputCapture quiet(1, OutputCapture::Keep::Nothing);
    QElapsedTimer timer;
    timer.start();
    fn();
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    QTemporaryDir home;
    useHome(home);
    QApplication app(argc, argv);
    gyroview::init();

    const QString objPath = home.filePath("sphere.obj");
    const QString statsPath = home.filePath("sphere.vertstats");
    {
        object_struct* object = create_object(POLYGONS);
        polygons_struct* polygons = get_polygons_ptr(object);
        const Point centre = {0, 0, 0};
        if (create_tetrahedral_sphere(&centre, 70, 55, 50, 327680, polygons) != OK)
            return 1;
        object_struct* list[1] = {object};
        if (output_graphics_file(QFile::encodeName(objPath).constData(), BINARY_FORMAT, 1, list) != OK)
            return 1;
        zelVertstatsFile stats;
        const int n = polygons->n_points;
        std::vector<float> a(n), b(n), c(n), d(n);
        for (int i = 0; i < n; ++i) {
            const Point& p = polygons->points[i];
            a[i] = p.z;
            b[i] = std::sin(p.x * 0.1f) * std::cos(p.y * 0.1f);
            c[i] = std::exp(-(p.x * p.x + p.y * p.y) / 800.0f) - 0.3f;
            d[i] = float((i * 2654435761u) % 1000) / 1000.0f;
        }
        stats.putDataColumn(a, "height");
        stats.putDataColumn(b, "waves");
        stats.putDataColumn(c, "blob");
        stats.putDataColumn(d, "noise");
        stats.writeFile(QFile::encodeName(statsPath).toStdString(), false);
        std::printf("surface: %d vertices, %d triangles; statistics file %.1f MB, 4 columns\n", n,
                    polygons->n_items, QFileInfo(statsPath).size() / 1e6);
        delete_object(object);
    }

    MainWindow* window = nullptr;
    quietMs([&] { window = new MainWindow; });
    window->resize(1000, 700);
    window->show();
    while (window->getViewer()->frameCount() == 0)
        app.processEvents(QEventLoop::AllEvents, 10);

    QFile objFile(objPath);
    const double surfaceMs = quietMs([&] { window->openFile(objFile); });
    std::printf("open surface: %.1f ms\n", surfaceMs);

    GeometryScene* scene = static_cast<GeometryScene*>(window->getResources()->getRootItem()->child(0));
    // The parts of opening the statistics file, each on its own.
    std::vector<double> check, read;
    for (int r = 0; r < 5; ++r) {
        QElapsedTimer t;
        t.start();
        textureFileItem::canRead(statsPath);
        check.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        zelVertstatsFile f;
        f.loadFile(QFile::encodeName(statsPath).constData(), true);
        read.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("  readability check: %.2f ms (median of 5)\n", median(check));
    std::printf("  statistics reader: %.1f ms (median of 5)\n", median(read));

    {
        std::vector<double> builds;
        zelVertstatsFile f;
        f.loadFile(QFile::encodeName(statsPath).constData(), true);
        for (int r = 0; r < 5; ++r) {
            SoSeparator* target = scene->getSceneSeparator();
            builds.push_back(quietMs([&] {
                textureColumn c(nullptr, {QString(), QString()}, nullptr, nullptr, ColourBarStore::list());
                c.setVertexCount(gyroscene::surface_vertex_count(target));
                c.loadTextureColumn(&f, "height", 0);
            }));
        }
        std::printf("  one column item (colour-bar list, values, coordinates): %.2f ms (median of 5)\n",
                    median(builds));
    }
    {
        std::vector<double> loads, refresh;
        for (int r = 0; r < 5; ++r) {
            QFile statsFile(statsPath);
            loads.push_back(quietMs([&] { scene->loadVertstats(statsFile, true); }));
            refresh.push_back(quietMs([&] { window->getResources()->somethingChanged(); }));
        }
        std::printf("  scene item's loadVertstats (checked beforehand): %.1f ms, tree refresh: %.1f ms (medians of 5)\n",
                    median(loads), median(refresh));
    }
    {
        // Fresh items each time, as in the program: the reader's and the
        // columns' memory is new every time (page faults included).
        std::vector<double> reads, columns;
        for (int r = 0; r < 5; ++r) {
            auto* item = new textureFileItem(scene->getSceneSeparator(), {QString(), QString()},
                                             nullptr, nullptr);
            reads.push_back(quietMs([&] {
                item->getStatistics()->loadFile(QFile::encodeName(statsPath).constData(), true);
            }));
            columns.push_back(quietMs([&] { item->getAllColumns(); }));
        }
        std::printf("  inside loadFile: reader %.1f ms, 4 column items %.1f ms (medians of 5)\n",
                    median(reads), median(columns));
    }
    std::vector<double> opens;
    for (int r = 0; r < 5; ++r) {
        QFile statsFile(statsPath);
        opens.push_back(quietMs([&] { window->openFile(statsFile); }));
    }
    std::printf("open statistics file with its 4 columns' coordinates: %.1f ms (median of 5, "
                "%.1f MB/s)\n",
                median(opens), QFileInfo(statsPath).size() / 1e6 / (median(opens) / 1e3));

    auto* column = qobject_cast<textureColumn*>(scene->child(1)->child(0));
    // Drawn, so that it keeps coordinates and every new pair of limits fills them.
    column->wasSelected();
    std::vector<double> scales;
    for (int r = 0; r < 50; ++r) {
        QElapsedTimer t;
        t.start();
        column->scaleTexture(-40.0f + r, 40.0f);
        scales.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("scaleTexture on %zu values: %.3f ms (median of 50, min %.3f)\n",
                column->getValues().size(), median(scales),
                *std::min_element(scales.begin(), scales.end()));

    // A limit edit in the property box up to the frame that shows it.
    quietMs([&] {
        column->createForm()->show();
        column->wasSelected();
    });
    for (int i = 0; i < 5; ++i)
        app.processEvents();
    Ui_textureProps* props = column->getProps();
    std::vector<double> edits;
    for (int r = 0; r < 10; ++r) {
        const quint64 frames = window->getViewer()->frameCount();
        QElapsedTimer t;
        t.start();
        props->lowerLimit->setText(QString::number(-45 + r));
        emit props->lowerLimit->editingFinished();
        while (window->getViewer()->frameCount() == frames)
            app.processEvents(QEventLoop::AllEvents, 1);
        edits.push_back(t.nsecsElapsed() / 1e6);
    }
    std::vector<double> redraws;
    for (int r = 0; r < 10; ++r) {
        const quint64 frames = window->getViewer()->frameCount();
        QElapsedTimer t;
        t.start();
        window->getViewer()->update();
        while (window->getViewer()->frameCount() == frames)
            app.processEvents(QEventLoop::AllEvents, 1);
        redraws.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("  for comparison, a redraw without any change: %.1f ms (median of 10)\n",
                median(redraws));
    std::printf("limit edit to redrawn frame: %.1f ms (median of 10, min %.1f)\n", median(edits),
                *std::min_element(edits.begin(), edits.end()));
    column->destroyForm();
    std::fflush(stdout);
    std::_Exit(0);  // the program never tears its scene down either
}
