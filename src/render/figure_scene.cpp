#include "figure_scene.h"

#include "figure_reads.h"
#include "surface_builder.h"

#include "ReaderMessages.h"
#include "file_kind.h"
#include "parcel_files.h"
#include "parcel_nodes.h"
#include "colour_bars.h"
#include "hemisphere_offset.h"
#include "statistics_file.h"
#include "tag_file.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>

namespace gyrorender {

struct FigureScene::Surface {
    QString path;
    gyroscene::SurfaceBuilder builder;
    gyroscene::surface_look look;
    gyroscene::Hemisphere hemisphere = gyroscene::Hemisphere::Unknown;
    QString structure;  // a GIFTI surface's anatomical structure
    bool coloured = false;
    QString columnName;
    std::optional<std::pair<float, float>> limits;
};

namespace {

// The surface a file is read for.
FigureReads::Surface readFor(const FigureScene::Surface& surface)
{
    return {surface.builder.vertexCount(), surface.structure, surface.hemisphere};
}

}  // namespace

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
    return surfaces.at(static_cast<std::size_t>(i))->builder.separator();
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

}  // namespace

bool FigureScene::load(const gyroscene::scene_state& scene, const QString& colourBarDir,
                       bool sharedRange, ColourBars& bars, QString* error, QStringList* warnings)
{
    // Kept for this load only: the nodes hold copies of what they draw.
    FigureReads fileReads;
    reads = &fileReads;
    const bool loaded = loadFiles(scene, colourBarDir, sharedRange, bars, error, warnings);
    reads = nullptr;
    return loaded;
}

bool FigureScene::loadFiles(const gyroscene::scene_state& scene, const QString& colourBarDir,
                            bool sharedRange, ColourBars& bars, QString* error,
                            QStringList* warnings)
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
        checkUnusedStatistics(state, warnings);
        if (state.coloured_file < 0) {
            // Nothing colours it: the underlay, when chosen, shows alone.
            Surface& plain = *surfaces.back();
            if (!loadUnderlay(plain, state, error, warnings))
                return false;
            plain.builder.update(plain.look);
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
        const std::vector<float>& values = *surface->look.values;
        const bool hasFinite =
            std::any_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
        if (!hasFinite)
            continue;
        const gyroscene::value_range range = gyroscene::finite_range(values);
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
            const gyroscene::value_range own = gyroscene::finite_range(*surface.look.values);
            surface.limits = sharedRange ? std::make_pair(lower, upper)
                                         : std::make_pair(own.lower, own.upper);
        }
        const QColor underneath = buildColumn(surface);
        const bool isLegend = legendIndex >= 0 &&
                              states[i] == &scene.surfaces[std::size_t(legendIndex)];
        if (!shown || isLegend) {
            shown = std::make_unique<ShownColumn>();
            shown->legend.bar = QImage(surface.look.paint.bar);
            shown->legend.lower = surface.limits->first;
            shown->legend.upper = surface.limits->second;
            shown->legend.name = surface.columnName;
            shown->legend.threshold = surface.look.paint.threshold;
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

void FigureScene::checkUnusedStatistics(const gyroscene::surface_state& state,
                                        QStringList* warnings) const
{
    // Files the figure does not draw are not read, but one that cannot be
    // is still told, as the viewer tells it when it opens the scene.
    for (std::size_t i = 0; i < state.statistics.size(); ++i) {
        if (int(i) == state.coloured_file || int(i) == state.underlay_file)
            continue;
        const QString& path = state.statistics[i].path;
        QString why;
        if (!QFileInfo::exists(path))
            why = QStringLiteral("no such file");
        else if (!gyroscene::statistics_file_readable(path))
            why = QStringLiteral("not readable");
        else if (file_kind_of(readerFileName(path).constData()).kind != VERTEX_DATA_FILE_KIND)
            why = QStringLiteral("not per-vertex data");
        if (!why.isEmpty())
            warnings->append(QStringLiteral("Warning: %1 (not drawn in this figure)")
                                 .arg(gyroscene::statistics_read_error(path, why)));
    }
}

bool FigureScene::loadSurface(const gyroscene::surface_state& state, QString* error,
                              QStringList* warnings)
{
    const QString& path = state.path;
    auto surface = std::make_unique<Surface>();
    surface->path = path;
    const QByteArray name = readerFileName(path);
    const std::shared_ptr<const gyroscene::SurfaceFile> file = reads->surface(path, error, warnings);
    if (!file)
        return false;
    // A surface named again is drawn from the nodes of its first copy.
    const auto first = std::find_if(surfaces.begin(), surfaces.end(),
                                    [&path](const auto& other) { return other->path == path; });
    if (first != surfaces.end())
        surface->builder.shareSurface((*first)->builder);
    else
        surface->builder.setSurface(*file->polygons());
    const int vertices = surface->builder.vertexCount();
    // What the viewer calls the surface's colour: the material's until one
    // is given.
    const SbColor initial = surface->builder.nodes().material->diffuseColor[0];
    surface->look.colour = state.colour ? *state.colour
                                        : QColor::fromRgbF(initial[0], initial[1], initial[2]);
    surface->look.opacity = state.opacity;
    const SoMFVec3f& points = surface->builder.nodes().coordinates->point;
    surface->hemisphere = gyroscene::surface_hemisphere(
        state.hemisphere, std::string_view(name.constData(), static_cast<std::size_t>(name.size())),
        file->structure().toStdString(), points.getValues(0), points.getNum());
    surface->structure = file->structure();

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
        std::shared_ptr<const parcellation> parcels =
            reads->parcels(parcelState.path, readFor(*surface), number, error, warnings);
        if (!parcels) {
            error->replace(0, 1, error->left(1).toLower());
            return false;
        }
        surface->look.parcellations.push_back({std::move(parcels), parcelState});
    }
    surfaces.push_back(std::move(surface));
    return true;
}

bool FigureScene::loadColumn(Surface& surface, const gyroscene::surface_state& state,
                             const QStringList& barPaths, QString* error, QStringList* warnings)
{
    const gyroscene::statistics_state& fileState =
        state.statistics.at(std::size_t(state.coloured_file));
    const QString& path = fileState.path;
    const int vertices = surface.builder.vertexCount();
    const std::shared_ptr<const zelVertstatsFile> file =
        reads->statistics(path, readFor(surface), error, warnings);
    if (!file)
        return false;
    const std::vector<std::string> names = file->getDataHeader();
    const int index = findColumn(names, state.coloured_column);
    if (index < 0) {
        *error = names.empty() ? QStringLiteral("%1 has no columns").arg(path)
                               : QStringLiteral("no column \"%1\" in %2; its columns: %3")
                                     .arg(state.coloured_column, path, joinNames(names));
        return false;
    }
    surface.columnName = QString::fromStdString(names[static_cast<std::size_t>(index)]);
    surface.look.values = reads->column(*file, index);
    // The look is kept under the name the user gave, or under the column's.
    const gyroscene::column_state* look = fileState.find(state.coloured_column);
    if (!look)
        look = fileState.find(surface.columnName);
    const gyroscene::column_state plain;
    if (!look)
        look = &plain;
    surface.look.paint.bar = ColourBars::find(barPaths, look->colour_bar);
    if (surface.look.paint.bar.isEmpty()) {
        *error = QStringLiteral("no colour bar \"%1\"; the bars are: %2")
                     .arg(look->colour_bar, ColourBars::names(barPaths).join(", "));
        return false;
    }
    surface.limits = look->limits;
    surface.look.paint.threshold = std::fabs(look->threshold);

    if (!loadUnderlay(surface, state, error, warnings))
        return false;
    surface.coloured = true;
    return true;
}

bool FigureScene::loadUnderlay(Surface& surface, const gyroscene::surface_state& state,
                               QString* error, QStringList* warnings)
{
    if (state.underlay_file < 0 || std::size_t(state.underlay_file) >= state.statistics.size() ||
        state.underlay_column.isEmpty())
        return true;
    const QString& path = state.statistics.at(std::size_t(state.underlay_file)).path;
    const std::shared_ptr<const zelVertstatsFile> source =
        reads->statistics(path, readFor(surface), error, warnings);
    if (!source)
        return false;
    const std::vector<std::string> underNames = source->getDataHeader();
    const int underlay = findColumn(underNames, state.underlay_column);
    if (underlay < 0) {
        *error = QStringLiteral("no underlay column \"%1\" in %2; its columns: %3")
                     .arg(state.underlay_column, path, joinNames(underNames));
        return false;
    }
    surface.look.underlay_shades = std::max(state.underlay_shades, 2);
    surface.look.underlay =
        reads->column(*source, underlay);
    return true;
}

void FigureScene::offsetHemispheres()
{
    std::vector<gyroscene::surface_extent> extents;
    for (const auto& surface : surfaces) {
        const SoMFVec3f& points = surface->builder.nodes().coordinates->point;
        extents.push_back(gyroscene::extent_of(surface->hemisphere, points.getValues(0), points.getNum()));
    }
    const std::vector<float> offsets = gyroscene::hemisphere_offsets(extents);
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        surfaces[i]->look.offset = offsets[i];
        surfaces[i]->builder.update(surfaces[i]->look);
    }
}

QColor FigureScene::buildColumn(Surface& surface)
{
    surface.look.paint.lower = surface.limits->first;
    surface.look.paint.upper = surface.limits->second;
    surface.builder.update(surface.look);
    // The legend shows beside the bar what shows under the threshold.
    if (surface.look.paint.threshold <= 0.0f)
        return QColor(204, 204, 204);
    const std::vector<QColor> underneath = surface.builder.underneath();
    return underneath[underneath.size() / 2];
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
    std::vector<std::array<double, 3>> points;
    for (int i = 0; i < nPoints; ++i)
        points.push_back({tags[i][0], tags[i][1], tags[i][2]});
    SoSeparator* spheres = gyroscene::make_tag_file(
        points, state.colour.value_or(gyroscene::tag_sphere_colour), float(state.radius));
    tagRoot->addChild(spheres);
    spheres->unref();
    free_tag_points(nVolumes, nPoints, tags, secondTags, weights, structureIds, patientIds,
                    labels);
    return true;
}

}  // namespace gyrorender
