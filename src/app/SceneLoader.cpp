#include "SceneLoader.h"

#include "FileLoader.h"
#include "ResourceForm.h"
#include "SceneDocument.h"

#include <QFile>
#include <QFileInfo>

#include <iostream>

using gyroscene::scene_state;

SceneLoader::SceneLoader(ResourceForm* resources)
    : resources(resources)
{
}

void SceneLoader::report(LoadMessage::Kind kind, const QString& file, const QString& text)
{
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    messages.append({kind, file, text});
}

namespace {

bool missing(const QString& path)
{
    return !QFileInfo(path).isFile();
}

}  // namespace

int SceneLoader::loadStatistics(const gyroscene::statistics_state& file, const QString& origin,
                                int surface)
{
    if (missing(file.path)) {
        report(LoadMessage::Kind::Error, file.path,
               QStringLiteral("%1 names the statistics file %2, which is missing")
                   .arg(origin, file.path));
        return SceneDocument::none;
    }
    const FileLoader::Result result =
        FileLoader(resources).open(file.path, VERTEX_DATA_FILE_KIND, surface);
    messages += result.messages;
    if (!result.loaded)
        return SceneDocument::none;
    setColumnLooks(result.id, file.columns, origin);
    return result.id;
}

void SceneLoader::setColumnLooks(int id, const std::vector<gyroscene::column_state>& looks,
                                 const QString& origin)
{
    SceneDocument* doc = resources->document();
    const QString path = doc->statistics(id)->path;
    const QStringList names = resources->columnNames(id);
    const QStringList bars = resources->colourBarNames(id);
    for (const gyroscene::column_state& look : looks) {
        if (!names.contains(look.name)) {
            report(LoadMessage::Kind::Error, path,
                   QStringLiteral("%1 names the column \"%2\", which %3 does not have")
                       .arg(origin, look.name, path));
            continue;
        }
        if (look.limits)
            doc->setColumnLimits(id, look.name, look.limits->first, look.limits->second);
        if (!look.colour_bar.isEmpty() && !bars.contains(look.colour_bar))
            report(LoadMessage::Kind::Warning, path,
                   QStringLiteral("%1 names the colour bar \"%2\", which is not in the texture "
                                  "directory; the column keeps the first bar")
                       .arg(origin, look.colour_bar));
        else if (!look.colour_bar.isEmpty())
            doc->setColumnBar(id, look.name, look.colour_bar);
        doc->setColumnThreshold(id, look.name, look.threshold);
    }
}

bool SceneLoader::loadParcellation(const gyroscene::parcellation_state& file, const QString& origin,
                                   int surface)
{
    if (missing(file.path)) {
        report(LoadMessage::Kind::Error, file.path,
               QStringLiteral("%1 names the parcellation %2, which is missing").arg(origin, file.path));
        return false;
    }
    const FileLoader::Result result =
        FileLoader(resources).open(file.path, PARCELLATION_FILE_KIND, surface);
    messages += result.messages;
    if (!result.loaded)
        return false;
    const int id = result.id;
    SceneDocument* doc = resources->document();
    doc->setParcelOpacity(id, file.opacity);
    doc->setParcelOutline(id, file.outline);
    for (int region : file.hidden_regions)
        doc->setRegionShown(id, region, false);
    doc->setShown(id, file.shown);
    return true;
}

bool SceneLoader::loadTags(const gyroscene::tags_state& tags, const QString& origin)
{
    SceneDocument* doc = resources->document();
    if (missing(tags.path)) {
        report(LoadMessage::Kind::Error, tags.path,
               QStringLiteral("%1 names the tag file %2, which is missing").arg(origin, tags.path));
        return false;
    }
    const FileLoader::Result result = FileLoader(resources).open(tags.path, LANDMARK_FILE_KIND);
    messages += result.messages;
    if (!result.loaded)
        return false;
    const int id = result.id;
    doc->setTagRadius(id, tags.radius);
    if (tags.colour)
        doc->setTagColour(id, *tags.colour);
    doc->setShown(id, tags.shown);
    return true;
}

QList<LoadMessage> SceneLoader::load(const scene_state& scene, const QString& origin)
{
    messages.clear();
    SceneDocument* doc = resources->document();
    // Before the surfaces, so each opens where the scene had it.
    doc->setHemisphereOffset(scene.hemisphere_offset);
    std::vector<int> surfaces;
    std::vector<std::vector<int>> files;
    for (const gyroscene::surface_state& surface : scene.surfaces) {
        surfaces.push_back(SceneDocument::none);
        files.emplace_back();
        if (missing(surface.path)) {
            report(LoadMessage::Kind::Error, surface.path,
                   QStringLiteral("%1 names the surface %2, which is missing; its statistics "
                                  "files are not opened")
                       .arg(origin, surface.path));
            continue;
        }
        const FileLoader::Result opened =
            FileLoader(resources).open(surface.path, SURFACE_FILE_KIND);
        messages += opened.messages;
        if (!opened.loaded)
            continue;
        const int id = opened.id;
        surfaces.back() = id;
        if (surface.colour)
            doc->setSurfaceColour(id, *surface.colour);
        doc->setSurfaceOpacity(id, surface.opacity);
        doc->setHemisphere(id, surface.hemisphere);
        for (const gyroscene::statistics_state& statistics : surface.statistics)
            files.back().push_back(loadStatistics(statistics, origin, id));
        for (const gyroscene::parcellation_state& parcels : surface.parcellations)
            loadParcellation(parcels, origin, id);
    }

    // Which column colours each surface; the legend's surface chooses last,
    // as the legend follows the latest choice.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < scene.surfaces.size(); ++i)
        if (int(i) != scene.legend_surface)
            order.push_back(i);
    if (scene.legend_surface >= 0 && std::size_t(scene.legend_surface) < scene.surfaces.size())
        order.push_back(std::size_t(scene.legend_surface));
    for (std::size_t i : order) {
        const gyroscene::surface_state& surface = scene.surfaces[i];
        const std::vector<int>& ids = files[i];
        const auto fileId = [&](int index) {
            return index >= 0 && std::size_t(index) < ids.size() ? ids[std::size_t(index)]
                                                                 : SceneDocument::none;
        };
        const auto has = [&](int file, const QString& column) {
            return file != SceneDocument::none && resources->columnNames(file).contains(column);
        };
        if (const int file = fileId(surface.coloured_file); has(file, surface.coloured_column))
            doc->chooseColumn(file, surface.coloured_column);
        if (const int file = fileId(surface.underlay_file); has(file, surface.underlay_column))
            doc->setUnderlay(surfaces[i], file, surface.underlay_column, surface.underlay_shades);
        for (std::size_t f = 0; f < ids.size(); ++f)
            if (ids[f] != SceneDocument::none)
                doc->setShown(ids[f], surface.statistics[f].shown);
        if (surfaces[i] != SceneDocument::none)
            doc->setShown(surfaces[i], surface.shown);
    }

    for (const gyroscene::tags_state& tags : scene.tags)
        loadTags(tags, origin);

    if (scene.pick.surface >= 0 && std::size_t(scene.pick.surface) < surfaces.size()) {
        const int surface = surfaces[std::size_t(scene.pick.surface)];
        if (scene.pick.vertex < resources->pointCount(surface))
            doc->setPick(surface, scene.pick.vertex);
    }
    doc->setLegendShown(scene.legend);
    doc->setBackground(scene.background);
    return messages;
}

QString SceneLoader::findColumn(int statistics, const QString& wanted)
{
    const QStringList names = resources->columnNames(statistics);
    if (wanted.isEmpty())
        return names.isEmpty() ? QString() : names.first();
    if (names.contains(wanted))
        return wanted;
    bool isNumber = false;
    const int index = wanted.toInt(&isNumber);
    return isNumber && index >= 0 && index < names.size() ? names.at(index) : QString();
}

void SceneLoader::updateSurface(int id, const gyroscene::surface_state& before,
                                const gyroscene::surface_state& after, const QString& origin)
{
    SceneDocument* doc = resources->document();
    if (after.colour && after.colour != before.colour)
        doc->setSurfaceColour(id, *after.colour);
    if (after.opacity != before.opacity)
        doc->setSurfaceOpacity(id, after.opacity);

    // The files `after` adds, then the looks of every file; the column that
    // colours the surface may be named by an index, so its look is keyed
    // by what the user typed until the file's columns are known.
    std::vector<int> files = doc->statisticsOf(id);
    for (std::size_t f = before.statistics.size(); f < after.statistics.size(); ++f) {
        gyroscene::statistics_state opened;
        opened.path = after.statistics[f].path;
        files.push_back(loadStatistics(opened, origin, id));
    }
    QString coloured;
    const int colouring = after.coloured_file >= 0 && std::size_t(after.coloured_file) < files.size()
                              ? files[std::size_t(after.coloured_file)]
                              : SceneDocument::none;
    if (colouring != SceneDocument::none) {
        coloured = findColumn(colouring, after.coloured_column);
        if (coloured.isEmpty())
            report(LoadMessage::Kind::Error, doc->statistics(colouring)->path,
                   QStringLiteral("%1: no column \"%2\" in %3; its columns: %4")
                       .arg(origin, after.coloured_column, doc->statistics(colouring)->path,
                            resources->columnNames(colouring).join(", ")));
    }
    for (std::size_t f = 0; f < after.statistics.size() && f < files.size(); ++f) {
        if (files[f] == SceneDocument::none)
            continue;
        std::vector<gyroscene::column_state> looks;
        for (gyroscene::column_state look : after.statistics[f].columns) {
            const gyroscene::column_state* was =
                f < before.statistics.size() ? before.statistics[f].find(look.name) : nullptr;
            if (was && *was == look)
                continue;
            if (files[f] == colouring && look.name == after.coloured_column) {
                if (coloured.isEmpty())
                    continue;
                look.name = coloured;
            }
            looks.push_back(look);
        }
        setColumnLooks(files[f], looks, origin);
    }
    const bool newColouring = after.coloured_file != before.coloured_file ||
                              after.coloured_column != before.coloured_column;
    if (newColouring && !coloured.isEmpty())
        doc->chooseColumn(colouring, coloured);

    const bool newUnderlay = after.underlay_file != before.underlay_file ||
                             after.underlay_column != before.underlay_column;
    if (newUnderlay && after.underlay_file >= 0 && std::size_t(after.underlay_file) < files.size() &&
        files[std::size_t(after.underlay_file)] != SceneDocument::none) {
        const int file = files[std::size_t(after.underlay_file)];
        const QString underlay = findColumn(file, after.underlay_column);
        if (!underlay.isEmpty())
            doc->setUnderlay(id, file, underlay, after.underlay_shades);
    }

    const std::vector<int> parcels = doc->parcellationsOf(id);
    for (std::size_t p = 0; p < before.parcellations.size() && p < parcels.size(); ++p) {
        const gyroscene::parcellation_state& now = after.parcellations[p];
        if (now.opacity != before.parcellations[p].opacity)
            doc->setParcelOpacity(parcels[p], now.opacity);
        if (now.outline != before.parcellations[p].outline)
            doc->setParcelOutline(parcels[p], now.outline);
    }
    for (std::size_t p = before.parcellations.size(); p < after.parcellations.size(); ++p)
        loadParcellation(after.parcellations[p], origin, id);
}

QList<LoadMessage> SceneLoader::update(const scene_state& before, const scene_state& after,
                                       const QString& origin)
{
    messages.clear();
    SceneDocument* doc = resources->document();
    if (after.hemisphere_offset != before.hemisphere_offset)
        doc->setHemisphereOffset(after.hemisphere_offset);
    const std::vector<int> surfaces = doc->surfaces();
    for (std::size_t i = 0; i < surfaces.size() && i < before.surfaces.size() &&
                            i < after.surfaces.size();
         ++i)
        updateSurface(surfaces[i], before.surfaces[i], after.surfaces[i], origin);

    const std::vector<int> tags = doc->tagFiles();
    for (std::size_t t = 0; t < before.tags.size() && t < tags.size(); ++t)
        if (after.tags[t].radius != before.tags[t].radius)
            doc->setTagRadius(tags[t], after.tags[t].radius);
    for (std::size_t t = before.tags.size(); t < after.tags.size(); ++t)
        loadTags(after.tags[t], origin);

    if (after.background != before.background)
        doc->setBackground(after.background);
    if (after.legend != before.legend)
        doc->setLegendShown(after.legend);
    return messages;
}
