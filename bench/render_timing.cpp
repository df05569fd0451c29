// Timings of gyrolux-render as a whole process on a 327,680-triangle
// surface (163,842 points) with a 4-column statistics file: one view, two
// views with the legend, and a batch of figures in one call. Run by hand:
//     bench/render_timing [FIGURES_IN_BATCH]
// RENDER_TIMING_KEEP=1 keeps the files, to time gyrolux-render --timings on them.
#include "object_io.h"
#include "geometry.h"
#include "polygon_normals.h"
#include "zelVertstatsFile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double runMs(const std::string& command)
{
    QElapsedTimer timer;
    timer.start();
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (status != 0)
        std::printf("  (failed: %s)\n", command.c_str());
    return ms;
}

double medianMs(const std::string& command, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(runMs(command));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const int batchFigures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir dir;
    if (std::getenv("RENDER_TIMING_KEEP"))
        dir.setAutoRemove(false);
    std::printf("files in %s\n", qPrintable(dir.path()));
    const std::string base = dir.path().toStdString();
    const std::string surface = base + "/lh.sphere.obj", stats = base + "/lh.vertstats";
    {
        object_struct* object = create_object(POLYGONS);
        polygons_struct* polygons = get_polygons_ptr(object);
        const Point centre = {-35, 0, 0};
        if (create_tetrahedral_sphere(&centre, 30, 70, 50, 327680, polygons) != OK)
            return 1;
        compute_polygon_normals(polygons);
        object_struct* list[1] = {object};
        if (output_graphics_file(surface.c_str(), BINARY_FORMAT, 1, list) != OK)
            return 1;
        const int n = polygons->n_points;
        std::vector<float> a(n), b(n), c(n), d(n);
        for (int i = 0; i < n; ++i) {
            const Point& p = polygons->points[i];
            a[i] = p.z;
            b[i] = std::sin(p.x * 0.1f) * std::cos(p.y * 0.1f);
            c[i] = std::exp(-(p.y * p.y + p.z * p.z) / 800.0f) - 0.3f;
            d[i] = float((i * 2654435761u) % 1000) / 1000.0f;
        }
        zelVertstatsFile file;
        file.putDataColumn(a, "height");
        file.putDataColumn(b, "waves");
        file.putDataColumn(c, "blob");
        file.putDataColumn(d, "noise");
        file.writeFile(stats, false);
        std::printf("surface: %d points, %d triangles; statistics: 4 columns\n", n,
                    polygons->n_items);
        delete_object(object);
    }

    const std::string program = RENDER_PATH;
    const std::string figure = "'" + surface + "' --stats '" + stats + "' --column blob ";
    const double oneView = medianMs(program + " " + figure + "--view lateral -o " + base +
                                        "/one.png",
                                    3);
    const double twoViews = medianMs(program + " " + figure +
                                         "--view lateral --view medial --legend -o " + base +
                                         "/two.png",
                                     3);
    std::printf("whole process, 1200x900 per view, 4 samples:\n");
    std::printf("  one view:                 %7.0f ms\n", oneView);
    std::printf("  two views with legend:    %7.0f ms (the second view adds %.0f ms)\n",
                twoViews, twoViews - oneView);

    std::string list;
    for (int i = 0; i < batchFigures; ++i)
        list += figure + "--view lateral --view medial --legend -o " + base + "/batch" +
                std::to_string(i) + ".png\n";
    const std::string listPath = base + "/list.txt";
    if (FILE* out = std::fopen(listPath.c_str(), "w")) {
        std::fputs(list.c_str(), out);
        std::fclose(out);
    }
    const double batch = runMs(program + " --batch " + listPath);
    std::printf("  batch of %d such figures: %7.0f ms (%.0f ms a figure)\n", batchFigures, batch,
                batch / batchFigures);
    return 0;
}
