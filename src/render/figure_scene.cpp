#include "figure_scene.h"

#include "ReaderMessages.h"
#include "colour_bars.h"
#include "column_threshold.h"
#include "statistics_file.h"
#include "tag_file.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace gyrorender {

namespace {

// The viewer's number of underlay shades until the user picks another.
constexpr int underlayShades = 2;

}  // namespace

struct FigureScene::Surface {
    QString path;
    SoSeparator* separator = nullptr;
    gyroscene::SurfaceNodes nodes;
    gyroscene::column_nodes column;
    gyroscene::Hemisphere hemisphere = gyroscene::Hemisphere::Unknown;
    std::vector<float> values;
    // Which underlay shade each vertex takes below the threshold; empty
    // without an underlay.
    std::vector<int> shades;
    // What the viewer calls the surface's colour: the material's until one
    // is given.
    QColor colour;
    bool coloured = false;

    ~Surface()
    {
        if (column.group)
            column.group->unref();
        gyroscene::release_surface_nodes(nodes);
        if (separator)
            separator->unref();
    }
};

FigureScene::FigureScene() = default;

FigureScene::~FigureScene()
{
    surfaces.clear();
    if (tagRoot)
        tagRoot->unref();
}

int FigureScene::surfaceCount() const
{
    return static_cast<int>(surfaces.size());
}

SoSeparator* FigureScene::surface(int i) const
{
    return surfaces.at(static_cast<std::size_t>(i))->separator;
}

gyroscene::Hemisphere FigureScene::hemisphere(int i) const
{
    return surfaces.at(static_cast<std::size_t>(i))->hemisphere;
}

SoSeparator* FigureScene::tags() const
{
    return tagRoot;
}

const ShownColumn* FigureScene::column() const
{
    return shown.get();
}

bool FigureScene::load(const FigureOptions& options, ColourBars& bars, QString* error,
                       QStringList* warnings)
{
    for (const QString& path : options.surfaces)
        if (!loadSurface(path, options, error, warnings))
            return false;
    if (!options.statistics.isEmpty() && !loadStatistics(options, bars, error, warnings))
        return false;
    tagRoot = new SoSeparator;
    tagRoot->ref();
    for (const QString& path : options.tags)
        if (!loadTags(path, options.tagRadius, error, warnings))
            return false;
    return true;
}

bool FigureScene::loadSurface(const QString& path, const FigureOptions& options, QString* error,
                              QStringList* warnings)
{
    auto surface = std::make_unique<Surface>();
    surface->path = path;
    const QByteArray name = readerFileName(path);
    gyroscene::SurfaceFile file;
    QString why;
    // The reader's lines become the reason of the one line that reports
    // the failure, or warnings after a success.
    ReaderMessages messages(ReaderMessages::Echo::Held);
    if (!QFileInfo(path).isFile() || !file.read(name, &why)) {
        if (!QFileInfo::exists(path))
            why = QStringLiteral("no such file");
        else if (!QFileInfo(path).isFile())
            why = QStringLiteral("not a file");
        *error = QStringLiteral("cannot read surface %1: %2").arg(path, why);
        return false;
    }
    *warnings += messages.lines();
    surface->separator = new SoSeparator;
    surface->separator->ref();
    surface->nodes = gyroscene::make_surface_nodes();
    gyroscene::add_surface_nodes(surface->separator, surface->nodes, *file.polygons());

    SoMaterial* material = surface->nodes.material;
    const SbColor initial = material->diffuseColor[0];
    surface->colour = options.colour ? *options.colour
                                     : QColor::fromRgbF(initial[0], initial[1], initial[2]);
    if (options.colour)
        material->diffuseColor.setValue(static_cast<float>(options.colour->redF()),
                                        static_cast<float>(options.colour->greenF()),
                                        static_cast<float>(options.colour->blueF()));
    // The viewer's transparency box holds what is not opaque.
    material->transparency.set1Value(0, 1.0f - options.opacity);

    const SoMFVec3f& points = surface->nodes.coordinates->point;
    surface->hemisphere = gyroscene::guess_hemisphere(
        std::string_view(name.constData(), static_cast<std::size_t>(name.size())), {},
        points.getValues(0), points.getNum());
    surfaces.push_back(std::move(surface));
    return true;
}

namespace {

// The column a user named: by name first (a column may be called "2"), then
// as an index from 0.
int findColumn(const std::vector<std::string>& names, const QString& wanted)
{
    if (wanted.isEmpty())
        return names.empty() ? -1 : 0;
    const std::string name = wanted.toStdString();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<int>(i);
    bool isNumber = false;
    const int index = wanted.toInt(&isNumber);
    if (isNumber && index >= 0 && static_cast<std::size_t>(index) < names.size())
        return index;
    return -1;
}

QString joinNames(const std::vector<std::string>& names)
{
    QStringList list;
    for (const std::string& name : names)
        list.append(QString::fromStdString(name));
    return list.join(QStringLiteral(", "));
}

}  // namespace

bool FigureScene::loadStatistics(const FigureOptions& options, ColourBars& bars, QString* error,
                                 QStringList* warnings)
{
    QStringList barPaths;
    if (!bars.list(options.colourBarDir, &barPaths, error))
        return false;
    const QString bar = ColourBars::find(barPaths, options.colourBar);
    if (bar.isEmpty()) {
        *error = QStringLiteral("no colour bar \"%1\"; the bars are: %2")
                     .arg(options.colourBar, ColourBars::names(barPaths).join(", "));
        return false;
    }

    QString columnName;
    bool anyValue = false;
    float lower = 0.0f, upper = 0.0f;
    for (int i = 0; i < options.statistics.size(); ++i) {
        const QString& path = options.statistics.at(i);
        Surface& surface = *surfaces.at(static_cast<std::size_t>(i));
        if (!gyroscene::statistics_file_readable(path)) {
            *error = gyroscene::statistics_read_error(path, QFileInfo::exists(path)
                                                                ? QStringLiteral("not readable")
                                                                : QStringLiteral("no such file"));
            return false;
        }
        zelVertstatsFile file;
        QStringList readerWarnings;
        // Held: the failure's reason is in `error`, the warnings come back.
        ReaderMessages messages(ReaderMessages::Echo::Held);
        if (!gyroscene::read_statistics_file(path, file, error, &readerWarnings))
            return false;
        *warnings += readerWarnings;
        const int vertices = surface.nodes.coordinates->point.getNum();
        if (file.getNumRows() != vertices)
            warnings->append(gyroscene::row_count_warning(path, file.getNumRows(), vertices));

        const std::vector<std::string> names = file.getDataHeader();
        const int index = findColumn(names, options.column);
        if (index < 0) {
            *error = names.empty() ? QStringLiteral("%1 has no columns").arg(path)
                                   : QStringLiteral("no column \"%1\" in %2; its columns: %3")
                                         .arg(options.column, path, joinNames(names));
            return false;
        }
        columnName = QString::fromStdString(names[static_cast<std::size_t>(index)]);
        surface.values = file.getDataColumn(index);
        if (!options.underlay.isEmpty()) {
            const int underlay = findColumn(names, options.underlay);
            if (underlay < 0) {
                *error = QStringLiteral("no underlay column \"%1\" in %2; its columns: %3")
                             .arg(options.underlay, path, joinNames(names));
                return false;
            }
            surface.shades =
                gyroscene::underlay_shades(file.getDataColumn(underlay), underlayShades);
        }
        surface.coloured = true;
        // One bar for the figure: its range covers every file's values.
        const gyroscene::value_range range = gyroscene::finite_range(surface.values);
        const bool hasFinite = std::any_of(surface.values.begin(), surface.values.end(),
                                           [](float v) { return std::isfinite(v); });
        if (hasFinite) {
            lower = anyValue ? std::min(lower, range.lower) : range.lower;
            upper = anyValue ? std::max(upper, range.upper) : range.upper;
            anyValue = true;
        }
    }
    if (options.limits) {
        lower = options.limits->first;
        upper = options.limits->second;
    }

    const float threshold = options.threshold ? std::fabs(*options.threshold) : 0.0f;
    const QImage barImage(bar);
    QColor legendUnderneath(204, 204, 204);
    for (auto& surface : surfaces) {
        if (!surface->coloured)
            continue;
        surface->column = gyroscene::make_column_nodes();
        const int vertices = surface->nodes.coordinates->point.getNum();
        if (threshold > 0.0f) {
            // As the viewer's column does: the bar beside what shows under
            // the threshold, the surface's colour or the underlay's greys.
            const std::vector<QColor> underneath =
                options.underlay.isEmpty() ? std::vector<QColor>{surface->colour}
                                           : gyroscene::underlay_greys(underlayShades);
            legendUnderneath = underneath[underneath.size() / 2];
            gyroscene::set_texture_image(surface->column.texture,
                                         gyroscene::threshold_texture(barImage, underneath));
            gyroscene::fill_threshold_coordinates(surface->column.coordinates, surface->values,
                                                  vertices, lower, upper, threshold,
                                                  surface->shades,
                                                  1 + static_cast<int>(underneath.size()));
        } else {
            gyroscene::set_bar_file(surface->column.texture, bar);
            gyroscene::fill_texture_coordinates(surface->column.coordinates, surface->values,
                                                vertices, lower, upper);
        }
        // Where the viewer's statistics switch stands: ahead of the surface.
        surface->separator->insertChild(surface->column.group, 0);
        // The bar's colours come through as they are, lit and shaded.
        surface->nodes.material->diffuseColor.setValue(1.0f, 1.0f, 1.0f);
    }
    shown = std::make_unique<ShownColumn>();
    shown->legend.bar = barImage;
    shown->legend.lower = lower;
    shown->legend.upper = upper;
    shown->legend.name = columnName;
    shown->legend.threshold = threshold;
    shown->legend.underneath = legendUnderneath;
    return true;
}

bool FigureScene::loadTags(const QString& path, float radius, QString* error,
                           QStringList* warnings)
{
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("cannot read tag file %1: %2")
                     .arg(path, QFileInfo::exists(path) ? QStringLiteral("not a file")
                                                        : QStringLiteral("no such file"));
        return false;
    }
    int nVolumes = 0, nPoints = 0;
    double **tags = nullptr, **secondTags = nullptr, *weights = nullptr;
    int *structureIds = nullptr, *patientIds = nullptr;
    char** labels = nullptr;
    ReaderMessages messages(ReaderMessages::Echo::Held);
    const QByteArray name = readerFileName(path);
    if (input_tag_file(name.constData(), &nVolumes, &nPoints, &tags, &secondTags, &weights,
                       &structureIds, &patientIds, &labels) != OK) {
        *error = QStringLiteral("cannot read tag file %1: %2")
                     .arg(path, messages.reason(QStringLiteral("not a readable tag file")));
        free_tag_points(nVolumes, nPoints, tags, secondTags, weights, structureIds, patientIds,
                        labels);
        return false;
    }
    *warnings += messages.lines();
    const gyroscene::TagSpheres spheres = gyroscene::make_tag_spheres();
    for (int i = 0; i < nPoints; ++i) {
        const gyroscene::TagSphere point =
            gyroscene::make_tag_sphere(spheres.separator, tags[i][0], tags[i][1], tags[i][2],
                                       radius);
        // The file's separator holds the point now.
        point.separator->unref();
    }
    tagRoot->addChild(spheres.separator);
    spheres.separator->unref();
    free_tag_points(nVolumes, nPoints, tags, secondTags, weights, structureIds, patientIds,
                    labels);
    return true;
}

}  // namespace gyrorender
