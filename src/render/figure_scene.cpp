#include "figure_scene.h"

#include "column_paint.h"
#include "surface_graph.h"

#include "ReaderMessages.h"
#include "file_kind.h"
#include "parcel_files.h"
#include "parcel_nodes.h"
#include "colour_bars.h"
#include "column_threshold.h"
#include "hemisphere_offset.h"
#include "statistics_file.h"
#include "tag_file.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace gyrorender {

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
    QString columnName;
    QString bar;
    std::optional<std::pair<float, float>> limits;
    float threshold = 0.0f;
    int shadeCount = 2;

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

// One statistics file read as the viewer reads it, with its warnings.
bool readStatistics(const QString& path, int vertices, zelVertstatsFile* file, QString* error,
                    QStringList* warnings)
{
    if (!gyroscene::statistics_file_readable(path)) {
        *error = gyroscene::statistics_read_error(path, QFileInfo::exists(path)
                                                            ? QStringLiteral("not readable")
                                                            : QStringLiteral("no such file"));
        return false;
    }
    QStringList readerWarnings;
    // Held: the failure's reason is in `error`, the warnings come back.
    ReaderMessages messages(ReaderMessages::Echo::Held);
    if (!gyroscene::read_statistics_file(path, *file, error, &readerWarnings))
        return false;
    *warnings += readerWarnings;
    const gyroscene::row_count_check counts = gyroscene::check_row_count(path, file->getNumRows(), vertices);
    if (!counts.error.isEmpty()) {
        *error = counts.error;
        return false;
    }
    if (!counts.warning.isEmpty())
        warnings->append(counts.warning);
    return true;
}

}  // namespace

bool FigureScene::load(const gyroscene::scene_state& scene, const QString& colourBarDir,
                       bool sharedRange, ColourBars& bars, QString* error, QStringList* warnings)
{
    QStringList barPaths;
    bool barsListed = false;
    std::vector<const gyroscene::surface_state*> states;
    for (const gyroscene::surface_state& state : scene.surfaces) {
        // Hidden in the viewer, left out of the figure.
        if (!state.shown)
            continue;
        if (!loadSurface(state, error, warnings))
            return false;
        states.push_back(&state);
        if (state.coloured_file < 0) {
            // Nothing colours it: the underlay, when chosen, shows alone.
            Surface& plain = *surfaces.back();
            if (!loadUnderlay(plain, state, nullptr, error, warnings))
                return false;
            if (!plain.shades.empty())
                gyroscene::set_underlay_material(plain.nodes.material, plain.nodes.materialBinding,
                                                 plain.shades, plain.shadeCount,
                                                 gyroscene::surface_vertex_count(plain.separator),
                                                 plain.colour);
            continue;
        }
        if (!barsListed && !bars.list(colourBarDir, &barPaths, error))
            return false;
        barsListed = true;
        if (!loadColumn(*surfaces.back(), state, barPaths, error, warnings))
            return false;
    }

    // One bar for the figure's columns without limits: its range covers
    // every such column's values.
    bool anyValue = false;
    float lower = 0.0f, upper = 0.0f;
    for (const auto& surface : surfaces) {
        if (!surface->coloured || surface->limits || !sharedRange)
            continue;
        const bool hasFinite = std::any_of(surface->values.begin(), surface->values.end(),
                                           [](float v) { return std::isfinite(v); });
        if (!hasFinite)
            continue;
        const gyroscene::value_range range = gyroscene::finite_range(surface->values);
        lower = anyValue ? std::min(lower, range.lower) : range.lower;
        upper = anyValue ? std::max(upper, range.upper) : range.upper;
        anyValue = true;
    }

    const int legendIndex = scene.legend_surface;
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        Surface& surface = *surfaces[i];
        if (!surface.coloured)
            continue;
        if (!surface.limits) {
            const gyroscene::value_range own = gyroscene::finite_range(surface.values);
            surface.limits = sharedRange ? std::make_pair(lower, upper)
                                         : std::make_pair(own.lower, own.upper);
        }
        const QColor underneath = buildColumn(surface);
        const bool isLegend = legendIndex >= 0 &&
                              states[i] == &scene.surfaces[std::size_t(legendIndex)];
        if (!shown || isLegend) {
            shown = std::make_unique<ShownColumn>();
            shown->legend.bar = QImage(surface.bar);
            shown->legend.lower = surface.limits->first;
            shown->legend.upper = surface.limits->second;
            shown->legend.name = surface.columnName;
            shown->legend.threshold = surface.threshold;
            shown->legend.underneath = underneath;
        }
    }

    if (scene.hemisphere_offset)
        offsetHemispheres();

    tagRoot = new SoSeparator;
    tagRoot->ref();
    for (const gyroscene::tags_state& tags : scene.tags)
        if (tags.shown && !loadTags(tags, error, warnings))
            return false;
    return true;
}

bool FigureScene::loadSurface(const gyroscene::surface_state& state, QString* error,
                              QStringList* warnings)
{
    const QString& path = state.path;
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
    surface->separator = gyroscene::make_surface_separator();
    surface->nodes = gyroscene::make_surface_nodes();
    gyroscene::add_surface_nodes(surface->separator, surface->nodes, *file.polygons());

    SoMaterial* material = surface->nodes.material;
    const SbColor initial = material->diffuseColor[0];
    surface->colour = state.colour ? *state.colour
                                   : QColor::fromRgbF(initial[0], initial[1], initial[2]);
    if (state.colour)
        material->diffuseColor.setValue(static_cast<float>(state.colour->redF()),
                                        static_cast<float>(state.colour->greenF()),
                                        static_cast<float>(state.colour->blueF()));
    // The viewer's transparency box holds what is not opaque.
    material->transparency.set1Value(0, 1.0f - state.opacity);

    // Over the surface (and the column that goes ahead of it), as the viewer
    // draws its parcellation rows; hidden ones are not read.
    int labelFiles = 0;
    for (const gyroscene::parcellation_state& parcelState : state.parcellations) {
        const QByteArray parcelName = readerFileName(parcelState.path);
        const bool labelFile =
            file_kind_of(parcelName.constData()).format == FREESURFER_LABEL_FILE_FORMAT;
        const int number = labelFile ? labelFiles++ : 0;
        if (!parcelState.shown)
            continue;
        parcellation parcels;
        if (!gyroscene::read_surface_parcellation(parcelState.path,
                                                  gyroscene::surface_vertex_count(surface->separator),
                                                  number, &parcels, error, warnings)) {
            error->replace(0, 1, error->left(1).toLower());
            return false;
        }
        gyroscene::ParcelNodes nodes = gyroscene::make_parcel_nodes(surface->nodes);
        const std::vector<std::uint8_t> boundary =
            parcelState.outline ? gyroscene::parcel_boundary(parcels, surface->nodes)
                                : std::vector<std::uint8_t>();
        gyroscene::set_parcel_colours(
            nodes, gyroscene::parcel_vertex_colours(
                       parcels,
                       gyroscene::parcel_style_of(parcels, parcelState.hidden_regions,
                                                  parcelState.opacity, parcelState.outline),
                       boundary));
        gyroscene::add_surface_parcellation(surface->separator, nodes.separator);
        gyroscene::release_parcel_nodes(nodes);
    }

    const SoMFVec3f& points = surface->nodes.coordinates->point;
    surface->hemisphere = gyroscene::surface_hemisphere(
        state.hemisphere, std::string_view(name.constData(), static_cast<std::size_t>(name.size())),
        file.structure().toStdString(), points.getValues(0), points.getNum());
    surfaces.push_back(std::move(surface));
    return true;
}

bool FigureScene::loadColumn(Surface& surface, const gyroscene::surface_state& state,
                             const QStringList& barPaths, QString* error, QStringList* warnings)
{
    const gyroscene::statistics_state& fileState =
        state.statistics.at(std::size_t(state.coloured_file));
    const QString& path = fileState.path;
    const int vertices = gyroscene::surface_vertex_count(surface.separator);
    zelVertstatsFile file;
    if (!readStatistics(path, vertices, &file, error, warnings))
        return false;
    const std::vector<std::string> names = file.getDataHeader();
    const int index = findColumn(names, state.coloured_column);
    if (index < 0) {
        *error = names.empty() ? QStringLiteral("%1 has no columns").arg(path)
                               : QStringLiteral("no column \"%1\" in %2; its columns: %3")
                                     .arg(state.coloured_column, path, joinNames(names));
        return false;
    }
    surface.columnName = QString::fromStdString(names[static_cast<std::size_t>(index)]);
    surface.values = file.getDataColumn(index);
    // The look is kept under the name the user gave, or under the column's.
    const gyroscene::column_state* look = fileState.find(state.coloured_column);
    if (!look)
        look = fileState.find(surface.columnName);
    const gyroscene::column_state plain;
    if (!look)
        look = &plain;
    surface.bar = ColourBars::find(barPaths, look->colour_bar);
    if (surface.bar.isEmpty()) {
        *error = QStringLiteral("no colour bar \"%1\"; the bars are: %2")
                     .arg(look->colour_bar, ColourBars::names(barPaths).join(", "));
        return false;
    }
    surface.limits = look->limits;
    surface.threshold = std::fabs(look->threshold);

    if (!loadUnderlay(surface, state, &file, error, warnings))
        return false;
    surface.coloured = true;
    return true;
}

bool FigureScene::loadUnderlay(Surface& surface, const gyroscene::surface_state& state,
                               zelVertstatsFile* coloured, QString* error, QStringList* warnings)
{
    if (state.underlay_file < 0 || std::size_t(state.underlay_file) >= state.statistics.size() ||
        state.underlay_column.isEmpty())
        return true;
    const QString& path = state.statistics.at(std::size_t(state.underlay_file)).path;
    zelVertstatsFile other;
    zelVertstatsFile* source = coloured;
    if (!coloured || state.underlay_file != state.coloured_file) {
        const int vertices = gyroscene::surface_vertex_count(surface.separator);
        if (!readStatistics(path, vertices, &other, error, warnings))
            return false;
        source = &other;
    }
    const std::vector<std::string> underNames = source->getDataHeader();
    const int underlay = findColumn(underNames, state.underlay_column);
    if (underlay < 0) {
        *error = QStringLiteral("no underlay column \"%1\" in %2; its columns: %3")
                     .arg(state.underlay_column, path, joinNames(underNames));
        return false;
    }
    surface.shadeCount = std::max(state.underlay_shades, 2);
    surface.shades = gyroscene::underlay_shades(source->getDataColumn(underlay), surface.shadeCount);
    return true;
}

void FigureScene::offsetHemispheres()
{
    std::vector<gyroscene::surface_extent> extents;
    for (const auto& surface : surfaces) {
        const SoMFVec3f& points = surface->nodes.coordinates->point;
        extents.push_back(gyroscene::extent_of(surface->hemisphere, points.getValues(0), points.getNum()));
    }
    const std::vector<float> offsets = gyroscene::hemisphere_offsets(extents);
    for (std::size_t i = 0; i < surfaces.size(); ++i)
        gyroscene::set_surface_offset(surfaces[i]->separator, offsets[i]);
}

QColor FigureScene::buildColumn(Surface& surface)
{
    surface.column = gyroscene::make_column_nodes();
    const int vertices = gyroscene::surface_vertex_count(surface.separator);
    const float lower = surface.limits->first;
    const float upper = surface.limits->second;
    QColor legendUnderneath(204, 204, 204);
    // As the viewer's column does: the bar beside what shows under the
    // threshold, the surface's colour or the underlay's greys.
    const std::vector<QColor> underneath =
        surface.shades.empty() ? std::vector<QColor>{surface.colour}
                               : gyroscene::underlay_greys(surface.shadeCount);
    if (surface.threshold > 0.0f)
        legendUnderneath = underneath[underneath.size() / 2];
    const gyroscene::column_paint look{surface.bar, lower, upper, surface.threshold};
    gyroscene::paint_column_texture(surface.column.complexity, surface.column.texture, look, underneath);
    gyroscene::paint_column_coordinates(surface.column.coordinates, surface.values, vertices, look,
                                        surface.shades, int(underneath.size()));
    // Where the viewer's statistics switch stands: ahead of the surface.
    gyroscene::add_surface_texture(surface.separator, surface.column.group);
    // The bar's colours come through as they are, lit and shaded.
    surface.nodes.material->diffuseColor.setValue(1.0f, 1.0f, 1.0f);
    return legendUnderneath;
}

bool FigureScene::loadTags(const gyroscene::tags_state& state, QString* error,
                           QStringList* warnings)
{
    const QString& path = state.path;
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
    if (state.colour)
        spheres.material->diffuseColor.setValue(float(state.colour->redF()),
                                                float(state.colour->greenF()),
                                                float(state.colour->blueF()));
    for (int i = 0; i < nPoints; ++i) {
        const gyroscene::TagSphere point = gyroscene::make_tag_sphere(
            spheres.separator, tags[i][0], tags[i][1], tags[i][2], float(state.radius));
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
