// Frame time of the main window's view on a 327,680-triangle surface
// (163,842 vertices) while the camera turns: the plain surface, with a
// statistics column shown, with and without the column's legend. Each figure is the
// median of three runs, each run the median of its frames, in wall-clock
// time and in the processor time of the whole process (Mesa's threads
// included), which a busy machine disturbs less. Run under X; prints numbers
// only.
//
//   xvfb-run -a -s '-screen 0 1280x1024x24' bench/column_frame_timing
#include "column_colouring.h"
#include "frame_timing.h"
#include "BrainQuarter.h"
#include "PickIndex.h"
#include "GeometryScene.h"
#include "MainWindow.h"
#include "ResourceForm.h"
#include "TreeItem.h"
#include "ViewerWidget.h"
#include "geometry.h"
#include "object_io.h"
#include "objects.h"
#include "output_capture.h"
#include "polygon_normals.h"
#include "textureColumn.h"
#include "textureFileItem.h"
#include "zelVertstatsFile.h"
#include "quillon.h"
#include "fresh_home.h"

#include <Inventor/nodes/SoCamera.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using bench::Frame;
using bench::cpuMs;
using bench::median;
using bench::orbit;

// Median frame of a whole turn in `frames` steps from the start-up view,
// each timed until its buffer is swapped to the screen. Grabbing the
// framebuffer instead made a fresh image of the window's size every frame,
// whose pages glibc maps and unmaps each time until it raises its mapping
// threshold: half the runs' frames were mostly page faults. A frame's cost depends much on the direction it is drawn
// from (how many hidden fragments are shaded before the near ones), so every
// case goes through the same directions.
quint64 swapped = 0;  // frames put on the screen

Frame turningFrame(BrainQuarter* view, int frames)
{
    view->viewAll();
    std::vector<double> wall, cpu;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer one;
        one.start();
        const double cpuStart = cpuMs();
        orbit(view->getCamera(), float(2 * M_PI / frames));
        const quint64 before = swapped;
        view->update();
        while (swapped == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        cpu.push_back(cpuMs() - cpuStart);
        wall.push_back(one.nsecsElapsed() / 1e6);
    }
    return {median(wall), median(cpu)};
}

Frame medianOfThree(BrainQuarter* view, int frames)
{
    // A frame or two first: caches and the texture are made on the first.
    turningFrame(view, 3);
    const Frame a = turningFrame(view, frames), b = turningFrame(view, frames),
                c = turningFrame(view, frames);
    return {median({a.wall, b.wall, c.wall}), median({a.cpu, b.cpu, c.cpu})};
}

void print(const char* what, const Frame& frame, const Frame& plain)
{
    std::printf("frame while turning, %s: %.1f ms wall (%.2fx plain), %.1f ms processor (%.2fx plain)\n",
                what, frame.wall, frame.wall / plain.wall, frame.cpu, frame.cpu / plain.cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    QTemporaryDir home;
    useHome(home);
    QApplication app(argc, argv);
    gyroview::init();
    const int frames = argc > 1 ? std::max(3, std::atoi(argv[1])) : 16;
    // "column" skips the plain surface, for profiling the column's frames alone.
    const bool columnOnly = argc > 2 && std::strcmp(argv[2], "column") == 0;

    const QString objPath = home.filePath("sphere.obj");
    const QString statsPath = home.filePath("sphere.vertstats");
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
        zelVertstatsFile stats;
        const int n = polygons->n_points;
        std::vector<float> a(n), b(n);
        for (int i = 0; i < n; ++i) {
            const Point& p = polygons->points[i];
            a[i] = p.z;
            b[i] = std::sin(p.x * 0.1f) * std::cos(p.y * 0.1f);
        }
        stats.putDataColumn(a, "height");
        stats.putDataColumn(b, "waves");
        stats.writeFile(QFile::encodeName(statsPath).toStdString(), false);
        std::printf("surface: %d vertices, %d triangles\n", n, polygons->n_items);
        delete_object(object);
    }

    MainWindow* window = nullptr;
    {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        window = new MainWindow;
        window->resize(1200, 800);
        window->show();
    }
    BrainQuarter* view = window->getViewer();
    QObject::connect(view, &QOpenGLWidget::frameSwapped, [] { ++swapped; });
    while (view->frameCount() == 0)
        app.processEvents(QEventLoop::AllEvents, 10);
    {
        // The legend's own cost, on an empty view where little else varies.
        QImage bar(8, 256, QImage::Format_RGB32);
        for (int y = 0; y < bar.height(); ++y)
            for (int x = 0; x < bar.width(); ++x)
                bar.setPixel(x, y, qRgb(255 - y, 64, y));
        gyroscene::legend_content content;
        content.bar = bar;
        content.lower = -4.5f;
        content.upper = 12.25f;
        content.name = "t-statistic";
        const Frame empty = medianOfThree(view, frames);
        QObject owner;
        view->showLegend(&owner, content);
        const Frame legend = medianOfThree(view, frames);
        view->removeLegend(&owner);
        std::printf("empty view: %.2f ms wall, %.2f ms processor; with a legend: %.2f ms wall, %.2f ms "
                    "processor\n",
                    empty.wall, empty.cpu, legend.wall, legend.cpu);
    }
    {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        QFile objFile(objPath);
        QFile statsFile(statsPath);
        if (!window->openFile(objFile) || !window->openFile(statsFile))
            return 1;
    }
    view->viewAll();
    std::printf("view: %dx%d pixels\n", view->width(), view->height());
    // The pick index builds on another core after the first frame: not while timing.
    turningFrame(view, 1);
    view->pickIndex().waitUntilBuilt();

    const Frame plain = columnOnly ? Frame{1, 1} : medianOfThree(view, frames);
    if (!columnOnly)
        print("plain surface", plain, plain);

    auto* scene = static_cast<GeometryScene*>(window->getResources()->getRootItem()->child(0));
    auto* column = qobject_cast<textureColumn*>(scene->child(1)->child(0));
    {
        OutputCapture quiet(1, OutputCapture::Keep::Nothing);
        column->createForm();
        column->wasSelected();
    }
    print("column shown, with its legend", medianOfThree(view, frames), plain);
    view->setLegendEnabled(false);
    print("column shown, legend off", medianOfThree(view, frames), plain);
    view->setLegendEnabled(true);
    if (argc > 3) {
        // The same view every run, for comparing pictures.
        view->viewAll();
        orbit(view->getCamera(), 0.6f);
        view->grabFramebuffer().save(QString::fromLocal8Bit(argv[3]));
    }
    column->destroyForm();
    std::fflush(stdout);
    std::_Exit(0);  // the program never tears its scene down either
}
