#include "SceneLoader.h"

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

void SceneLoader::takeMessages()
{
    messages += resources->loadMessages();
}

namespace {

bool missing(const QString& path)
{
    return !QFileInfo(path).isFile();
}

}  // namespace

int SceneLoader::loadStatistics(const gyroscene::statistics_state& file, const QString& origin)
{
    SceneDocument* doc = resources->document();
    if (missing(file.path)) {
        report(LoadMessage::Kind::Error, file.path,
               QStringLiteral("%1 names the statistics file %2, which is missing")
                   .arg(origin, file.path));
        return SceneDocument::none;
    }
    QFile data(file.path);
    const bool loaded = resources->insertVertstats(data);
    takeMessages();
    if (!loaded)
        return SceneDocument::none;
    const int id = doc->statisticsOf(resources->lastSurface()).back();
    const QStringList names = resources->columnNames(id);
    const QStringList bars = resources->colourBarNames(id);
    for (const gyroscene::column_state& look : file.columns) {
        if (!names.contains(look.name)) {
            report(LoadMessage::Kind::Error, file.path,
                   QStringLiteral("%1 names the column \"%2\", which %3 does not have")
                       .arg(origin, look.name, file.path));
            continue;
        }
        if (look.limits)
            doc->setColumnLimits(id, look.name, look.limits->first, look.limits->second);
        if (!look.colour_bar.isEmpty() && !bars.contains(look.colour_bar))
            report(LoadMessage::Kind::Warning, file.path,
                   QStringLiteral("%1 names the colour bar \"%2\", which is not in the texture "
                                  "directory; the column keeps the first bar")
                       .arg(origin, look.colour_bar));
        else if (!look.colour_bar.isEmpty())
            doc->setColumnBar(id, look.name, look.colour_bar);
        doc->setColumnThreshold(id, look.name, look.threshold);
    }
    return id;
}

void SceneLoader::loadParcellation(const gyroscene::parcellation_state& file, const QString& origin)
{
    SceneDocument* doc = resources->document();
    if (missing(file.path)) {
        report(LoadMessage::Kind::Error, file.path,
               QStringLiteral("%1 names the parcellation %2, which is missing").arg(origin, file.path));
        return;
    }
    QFile data(file.path);
    const bool loaded = resources->insertParcellation(data);
    takeMessages();
    if (!loaded)
        return;
    const int id = doc->parcellationsOf(resources->lastSurface()).back();
    doc->setParcelOpacity(id, file.opacity);
    doc->setParcelOutline(id, file.outline);
    for (int region : file.hidden_regions)
        doc->setRegionShown(id, region, false);
    doc->setShown(id, file.shown);
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
        QFile file(surface.path);
        const bool loaded = resources->insertGeometry(file);
        takeMessages();
        if (!loaded)
            continue;
        const int id = resources->lastSurface();
        surfaces.back() = id;
        if (surface.colour)
            doc->setSurfaceColour(id, *surface.colour);
        doc->setSurfaceOpacity(id, surface.opacity);
        doc->setHemisphere(id, surface.hemisphere);
        for (const gyroscene::statistics_state& statistics : surface.statistics)
            files.back().push_back(loadStatistics(statistics, origin));
        for (const gyroscene::parcellation_state& parcels : surface.parcellations)
            loadParcellation(parcels, origin);
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

    for (const gyroscene::tags_state& tags : scene.tags) {
        if (missing(tags.path)) {
            report(LoadMessage::Kind::Error, tags.path,
                   QStringLiteral("%1 names the tag file %2, which is missing").arg(origin, tags.path));
            continue;
        }
        QFile file(tags.path);
        const bool loaded = resources->insertTagfile(file);
        takeMessages();
        if (!loaded)
            continue;
        const int id = doc->tagFiles().back();
        doc->setTagRadius(id, tags.radius);
        if (tags.colour)
            doc->setTagColour(id, *tags.colour);
        doc->setShown(id, tags.shown);
    }

    if (scene.pick.surface >= 0 && std::size_t(scene.pick.surface) < surfaces.size()) {
        const int surface = surfaces[std::size_t(scene.pick.surface)];
        if (scene.pick.vertex < resources->pointCount(surface))
            doc->setPick(surface, scene.pick.vertex);
    }
    doc->setLegendShown(scene.legend);
    doc->setBackground(scene.background);
    return messages;
}
