// Scene files: whatever is read must write out and read back equal; where
// the renderer is built, what a scene names is then loaded through the
// renderer's own code, from small files this target writes at start.
#include "scene_file.h"

#include <cstdint>
#include <cstdlib>

#ifdef FUZZ_SCENE_LOADS
#include "colour_bars.h"
#include "figure_options.h"
#include "figure_plan.h"
#include "figure_scene.h"
#include "zelVertstatsFile.h"

#include <Inventor/SoDB.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <string>
#include <unistd.h>

namespace {

QString folder;

void writeText(const char *name, const char *text)
{
    QFile file(folder + "/" + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
        std::abort();
}

// A square of two triangles, its statistics (two columns), a FreeSurfer
// label of two of its vertices, landmarks and a bar named "hot".
void writeFiles()
{
    char pattern[] = "/tmp/fuzz_scene.XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    folder = QString::fromLocal8Bit(pattern);
    std::atexit([] { QDir(folder).removeRecursively(); });
    writeText("square.obj", "P 0.3 0.3 0.4 10 1 4\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n"
                            "0 0 1\n0 0 1\n0 0 1\n0 0 1\n2\n0 1 1 1 1\n3 6\n0 1 2 0 2 3\n");
    writeText("square.label", "#!ascii label\n2\n0 0 0 0 0\n2 1 1 0 0\n");
    writeText("points.tag", "MNI Tag Point File\nVolumes = 1;\nPoints =\n 0 0 0 \"a\"\n"
                            " 1 1 0 \"b\";\n");
    zelVertstatsFile statistics;
    statistics.putDataColumn(std::vector<float>{0.0f, 1.0f, -2.0f, 0.5f}, "thickness");
    statistics.putDataColumn(std::vector<float>{-1.0f, 1.0f, 1.0f, -1.0f}, "curv");
    statistics.writeFile((folder + "/square.vertstats").toStdString(), false);
    QDir(folder).mkdir("bars");
    QImage bar(4, 64, QImage::Format_RGB32);
    bar.fill(Qt::red);
    if (!bar.save(folder + "/bars/hot.png"))
        std::abort();
}

// Only the files written above: a scene may name any path, and the target
// must not read devices or the machine's own files.
bool namesOnlyOurFiles(const gyroscene::scene_state &scene)
{
    const auto ours = [](const QString &path) {
        return QDir::cleanPath(path).startsWith(folder + "/");
    };
    for (const gyroscene::surface_state &surface : scene.surfaces) {
        if (!ours(surface.path))
            return false;
        for (const gyroscene::statistics_state &file : surface.statistics)
            if (!ours(file.path))
                return false;
        for (const gyroscene::parcellation_state &parcels : surface.parcellations)
            if (!ours(parcels.path))
                return false;
    }
    for (const gyroscene::tags_state &tags : scene.tags)
        if (!ours(tags.path))
            return false;
    return true;
}

void load(const QByteArray &text)
{
    const QString path = folder + "/fuzz.gyrolux";
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            std::abort();
    }
    gyroscene::FigureOptions options;
    options.scene = path;
    options.colourBarDir = folder + "/bars";
    gyrorender::FigurePlan plan;
    QString error;
    if (!gyrorender::plan_figure(options, &plan, &error)) {
        if (error.isEmpty())
            std::abort();
        return;
    }
    if (!namesOnlyOurFiles(plan.scene))
        return;
    gyrorender::FigureScene figure;
    gyrorender::ColourBars bars;
    QStringList warnings;
    error.clear();
    if (!figure.load(plan.scene, options.colourBarDir, plan.sharedRange, bars, &error, &warnings) &&
        error.isEmpty())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SoDB::init();
    writeFiles();
    // Coin makes some of its globals on first use; made here, they are not
    // taken for a leak of the first input that needs them.
    load(R"({"format": "gyrolux-scene", "version": 1, "surfaces": [{"path": "square.obj",
        "statistics": [{"path": "square.vertstats", "columns": [{"name": "thickness",
        "colourBar": "hot", "threshold": 0.5}]}], "colouredBy": {"column": "thickness", "file": 0},
        "underlay": {"column": "curv", "file": 0}, "parcellations": [{"path": "square.label"}]}],
        "tags": [{"path": "points.tag"}]})");
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    gyroscene::scene_state scene;
    QString error;
    if (!gyroscene::scene_from_json(text, QStringLiteral("/scenes"), &scene, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    gyroscene::scene_state again;
    if (!gyroscene::scene_from_json(gyroscene::scene_to_json(scene, QStringLiteral("/scenes")),
                                    QStringLiteral("/scenes"), &again, &error) ||
        !(again == scene))
        std::abort();
#ifdef FUZZ_SCENE_LOADS
    load(text);
#endif
    return 0;
}
