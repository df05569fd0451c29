#include "SceneDocument.h"

#include <algorithm>
#include <cmath>

using gyroscene::column_state;

SceneDocument::SceneDocument(QObject* parent)
    : QObject(parent)
{
}

SceneDocument::Id SceneDocument::addSurface(const QString& path,
                                            std::shared_ptr<const gyroscene::StoredSurface> data)
{
    const Id id = nextId++;
    if (data)
        loaded.putSurface(id, std::move(data));
    Surface entry;
    entry.state.path = path;
    surfaceEntries.insert(id, entry);
    surfaceOrder.push_back(id);
    changed();
    emit filesChanged();
    return id;
}

SceneDocument::Id SceneDocument::addStatistics(Id surface, const QString& path,
                                               std::shared_ptr<const gyroscene::StoredStatistics> data)
{
    Surface* owner = surfaceEntry(surface);
    if (!owner)
        return none;
    const Id id = nextId++;
    if (data)
        loaded.putStatistics(id, std::move(data));
    Statistics entry;
    entry.surface = surface;
    entry.state.path = path;
    statisticsEntries.insert(id, entry);
    owner->files.push_back(id);
    changed();
    emit filesChanged();
    return id;
}

SceneDocument::Id SceneDocument::addTags(const QString& path,
                                         std::shared_ptr<const gyroscene::StoredLandmarks> data)
{
    const Id id = nextId++;
    if (data)
        loaded.putLandmarks(id, std::move(data));
    gyroscene::tags_state entry;
    entry.path = path;
    tagEntries.insert(id, entry);
    tagOrder.push_back(id);
    changed();
    emit filesChanged();
    return id;
}

void SceneDocument::remove(Id id)
{
    loaded.remove(id);
    if (Surface* entry = surfaceEntry(id)) {
        for (Id file : entry->files) {
            statisticsEntries.remove(file);
            loaded.remove(file);
        }
        for (Id file : entry->parcels) {
            parcelEntries.remove(file);
            loaded.remove(file);
        }
        surfaceEntries.remove(id);
        surfaceOrder.erase(std::find(surfaceOrder.begin(), surfaceOrder.end(), id));
        if (picked == id) {
            picked = none;
            pickedIndex = -1;
            emit pickChanged();
        }
        if (legendOf == id)
            legendOf = none;
        // The newest surface left takes over as the target.
        if (current == id)
            setCurrentSurface(surfaceOrder.empty() ? none : surfaceOrder.back());
    } else if (Statistics* file = statisticsEntry(id)) {
        const Id surface = file->surface;
        Surface* owner = surfaceEntry(surface);
        statisticsEntries.remove(id);
        if (owner) {
            owner->files.erase(std::find(owner->files.begin(), owner->files.end(), id));
            if (owner->underlay == id) {
                owner->underlay = none;
                owner->state.underlay_column.clear();
                emit surfaceChanged(surface);
            }
            if (owner->colouring == id)
                handOverColouring(surface);
        }
    } else if (parcelEntries.contains(id)) {
        removeParcellation(id);
    } else if (tagEntries.remove(id) > 0) {
        tagOrder.erase(std::find(tagOrder.begin(), tagOrder.end(), id));
    } else {
        return;
    }
    changed();
    emit filesChanged();
}

void SceneDocument::clear()
{
    loaded.clear();
    surfaceOrder.clear();
    tagOrder.clear();
    surfaceEntries.clear();
    statisticsEntries.clear();
    tagEntries.clear();
    parcelEntries.clear();
    picked = none;
    pickedIndex = -1;
    legendOf = none;
    current = none;
    emit filesChanged();
    emit pickChanged();
}

gyroscene::FileStore& SceneDocument::store()
{
    return loaded;
}

const gyroscene::FileStore& SceneDocument::store() const
{
    return loaded;
}

SceneDocument::Surface* SceneDocument::surfaceEntry(Id id)
{
    const auto found = surfaceEntries.find(id);
    return found == surfaceEntries.end() ? nullptr : &*found;
}

SceneDocument::Statistics* SceneDocument::statisticsEntry(Id id)
{
    const auto found = statisticsEntries.find(id);
    return found == statisticsEntries.end() ? nullptr : &*found;
}

gyroscene::tags_state* SceneDocument::tagsEntry(Id id)
{
    const auto found = tagEntries.find(id);
    return found == tagEntries.end() ? nullptr : &*found;
}

const gyroscene::surface_state* SceneDocument::surface(Id id) const
{
    const auto found = surfaceEntries.constFind(id);
    return found == surfaceEntries.constEnd() ? nullptr : &found->state;
}

const gyroscene::statistics_state* SceneDocument::statistics(Id id) const
{
    const auto found = statisticsEntries.constFind(id);
    return found == statisticsEntries.constEnd() ? nullptr : &found->state;
}

const gyroscene::tags_state* SceneDocument::tags(Id id) const
{
    const auto found = tagEntries.constFind(id);
    return found == tagEntries.constEnd() ? nullptr : &*found;
}

SceneDocument::Id SceneDocument::surfaceOf(Id file) const
{
    const auto found = statisticsEntries.constFind(file);
    if (found != statisticsEntries.constEnd())
        return found->surface;
    const auto parcels = parcelEntries.constFind(file);
    return parcels == parcelEntries.constEnd() ? none : parcels->surface;
}

std::vector<SceneDocument::Id> SceneDocument::surfaces() const
{
    return surfaceOrder;
}

std::vector<SceneDocument::Id> SceneDocument::statisticsOf(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found == surfaceEntries.constEnd() ? std::vector<Id>() : found->files;
}

std::vector<SceneDocument::Id> SceneDocument::tagFiles() const
{
    return tagOrder;
}

column_state SceneDocument::column(Id statistics, const QString& name) const
{
    const auto found = statisticsEntries.constFind(statistics);
    if (found != statisticsEntries.constEnd())
        if (const column_state* look = found->state.find(name))
            return *look;
    return column_state{name};
}

column_state& SceneDocument::columnEntry(Id statistics, const QString& column)
{
    return statisticsEntry(statistics)->state.look(column);
}

SceneDocument::Id SceneDocument::colouringFile(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found == surfaceEntries.constEnd() ? none : found->colouring;
}

QString SceneDocument::colouringColumn(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found == surfaceEntries.constEnd() ? QString() : found->colouringColumn;
}

SceneDocument::Id SceneDocument::underlayFile(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found == surfaceEntries.constEnd() ? none : found->underlay;
}

bool SceneDocument::isShown(Id id) const
{
    if (const auto* entry = surface(id))
        return entry->shown;
    if (const auto* entry = statistics(id))
        return entry->shown;
    if (const auto* entry = tags(id))
        return entry->shown;
    if (const auto* entry = parcellation(id))
        return entry->shown;
    return false;
}

void SceneDocument::setShown(Id id, bool shown)
{
    if (isShown(id) == shown || (!surface(id) && !statistics(id) && !tags(id) && !parcellation(id)))
        return;
    if (Surface* entry = surfaceEntry(id)) {
        entry->state.shown = shown;
    } else if (Statistics* file = statisticsEntry(id)) {
        file->state.shown = shown;
        Surface* owner = surfaceEntry(file->surface);
        if (!shown && owner && owner->colouring == id)
            handOverColouring(file->surface);
        else if (shown && !file->chosen.isEmpty())
            chooseColumn(id, file->chosen);
    } else if (Parcels* parcels = parcelEntry(id)) {
        parcels->state.shown = shown;
    } else {
        tagsEntry(id)->shown = shown;
    }
    changed();
    emit layerShownChanged(id);
}

void SceneDocument::handOverColouring(Id surface)
{
    Surface* owner = surfaceEntry(surface);
    if (!owner)
        return;
    const Statistics* next = nullptr;
    Id nextId = none;
    for (Id file : owner->files) {
        const Statistics* entry = statisticsEntry(file);
        if (entry && entry->state.shown && !entry->chosen.isEmpty() && file != owner->colouring &&
            (!next || entry->chosenAt > next->chosenAt)) {
            next = entry;
            nextId = file;
        }
    }
    owner->colouring = nextId;
    owner->colouringColumn = next ? next->chosen : QString();
    emit colouringChanged(surface);
}

void SceneDocument::setSurfaceColour(Id surface, const QColor& colour)
{
    Surface* entry = surfaceEntry(surface);
    if (!entry || (entry->state.colour && *entry->state.colour == colour))
        return;
    entry->state.colour = QColor(colour.rgb());
    changed();
    emit surfaceChanged(surface);
}

void SceneDocument::setSurfaceOpacity(Id surface, float opacity)
{
    Surface* entry = surfaceEntry(surface);
    opacity = std::clamp(std::isfinite(opacity) ? opacity : 1.0f, 0.0f, 1.0f);
    if (!entry || entry->state.opacity == opacity)
        return;
    entry->state.opacity = opacity;
    changed();
    emit surfaceChanged(surface);
}

void SceneDocument::setHemisphere(Id surface, gyroscene::Hemisphere side)
{
    Surface* entry = surfaceEntry(surface);
    if (!entry || entry->state.hemisphere == side)
        return;
    entry->state.hemisphere = side;
    changed();
    emit surfaceChanged(surface);
}

void SceneDocument::setUnderlay(Id surface, Id file, const QString& column, int shades)
{
    Surface* entry = surfaceEntry(surface);
    if (!entry)
        return;
    if (file != none && surfaceOf(file) != surface)
        file = none;
    shades = std::clamp(shades, 2, 8);
    const QString name = file == none ? QString() : column;
    if (entry->underlay == file && entry->state.underlay_column == name &&
        entry->state.underlay_shades == shades)
        return;
    entry->underlay = file;
    entry->state.underlay_column = name;
    entry->state.underlay_shades = shades;
    changed();
    emit surfaceChanged(surface);
}

void SceneDocument::chooseColumn(Id statistics, const QString& column)
{
    Statistics* file = statisticsEntry(statistics);
    if (!file)
        return;
    file->chosen = column;
    file->chosenAt = ++choices;
    Surface* owner = surfaceEntry(file->surface);
    if (!owner)
        return;
    legendOf = file->surface;
    changed();
    // A hidden file only remembers the choice, for when it is shown again.
    if (!file->state.shown) {
        emit statisticsChanged(statistics);
        return;
    }
    owner->colouring = statistics;
    owner->colouringColumn = column;
    emit statisticsChanged(statistics);
    emit colouringChanged(file->surface);
}

QString SceneDocument::chosenColumn(Id statistics) const
{
    const auto found = statisticsEntries.constFind(statistics);
    return found == statisticsEntries.constEnd() ? QString() : found->chosen;
}

void SceneDocument::setColumnLimits(Id statistics, const QString& column, float lower, float upper)
{
    if (!statisticsEntry(statistics))
        return;
    column_state& look = columnEntry(statistics, column);
    const auto limits = std::make_pair(lower, upper);
    if (look.limits == limits)
        return;
    look.limits = limits;
    changed();
    emit columnChanged(statistics, column);
}

void SceneDocument::setColumnBar(Id statistics, const QString& column, const QString& bar)
{
    if (!statisticsEntry(statistics))
        return;
    column_state& look = columnEntry(statistics, column);
    if (look.colour_bar == bar)
        return;
    look.colour_bar = bar;
    changed();
    emit columnChanged(statistics, column);
}

void SceneDocument::setColumnThreshold(Id statistics, const QString& column, float threshold)
{
    if (!statisticsEntry(statistics))
        return;
    column_state& look = columnEntry(statistics, column);
    threshold = std::isfinite(threshold) ? std::fabs(threshold) : 0.0f;
    if (look.threshold == threshold)
        return;
    look.threshold = threshold;
    changed();
    emit columnChanged(statistics, column);
}

void SceneDocument::setTagRadius(Id tags, double radius)
{
    gyroscene::tags_state* entry = tagsEntry(tags);
    if (!entry || !(radius > 0.0) || !std::isfinite(radius) || entry->radius == radius)
        return;
    entry->radius = radius;
    changed();
    emit tagsChanged(tags);
}

void SceneDocument::setTagColour(Id tags, const QColor& colour)
{
    gyroscene::tags_state* entry = tagsEntry(tags);
    if (!entry || !colour.isValid() || (entry->colour && *entry->colour == colour))
        return;
    entry->colour = QColor(colour.rgb());
    changed();
    emit tagsChanged(tags);
}

void SceneDocument::setPick(Id surface, int vertex)
{
    if (!surfaceEntry(surface)) {
        surface = none;
        vertex = -1;
    }
    // A pick of the same vertex again is told too: the rows show it again.
    if (picked != surface || pickedIndex != vertex)
        changed();
    picked = surface;
    pickedIndex = vertex;
    emit pickChanged();
}

SceneDocument::Id SceneDocument::pickedSurface() const
{
    return picked;
}

int SceneDocument::pickedVertex() const
{
    return pickedIndex;
}

void SceneDocument::setLegendShown(bool shown)
{
    if (legend == shown)
        return;
    legend = shown;
    changed();
    emit legendChanged(shown);
}

bool SceneDocument::legendShown() const
{
    return legend;
}

SceneDocument::Id SceneDocument::legendSurface() const
{
    return legendOf;
}

void SceneDocument::setBackground(const QColor& colour)
{
    if (!colour.isValid() || colour == backgroundColour)
        return;
    backgroundColour = colour;
    changed();
    emit backgroundChanged(colour);
}

QColor SceneDocument::background() const
{
    return backgroundColour;
}

void SceneDocument::setCurrentSurface(Id surface)
{
    if (surface != none && !surfaceEntries.contains(surface))
        return;
    if (current == surface)
        return;
    current = surface;
    emit currentSurfaceChanged(surface);
}

SceneDocument::Id SceneDocument::currentSurface() const
{
    return current;
}

gyroscene::scene_state SceneDocument::state() const
{
    gyroscene::scene_state scene;
    for (Id id : surfaceOrder) {
        const Surface& entry = surfaceEntries[id];
        gyroscene::surface_state surface = entry.state;
        surface.statistics.clear();
        surface.coloured_file = -1;
        surface.coloured_column.clear();
        surface.underlay_file = -1;
        for (Id file : entry.files) {
            const int index = int(surface.statistics.size());
            if (file == entry.colouring) {
                surface.coloured_file = index;
                surface.coloured_column = entry.colouringColumn;
            }
            if (file == entry.underlay)
                surface.underlay_file = index;
            surface.statistics.push_back(statisticsEntries[file].state);
        }
        if (surface.underlay_file < 0)
            surface.underlay_column.clear();
        surface.parcellations.clear();
        for (Id file : entry.parcels)
            surface.parcellations.push_back(parcelEntries[file].state);
        if (id == picked) {
            scene.pick.surface = int(scene.surfaces.size());
            scene.pick.vertex = pickedIndex;
        }
        if (id == legendOf)
            scene.legend_surface = int(scene.surfaces.size());
        scene.surfaces.push_back(std::move(surface));
    }
    for (Id id : tagOrder)
        scene.tags.push_back(tagEntries[id]);
    scene.legend = legend;
    scene.background = backgroundColour;
    scene.hemisphere_offset = offsetHemispheres;
    return scene;
}

QString SceneDocument::sceneFile() const
{
    return scenePath;
}

void SceneDocument::setSceneFile(const QString& path)
{
    if (scenePath == path)
        return;
    scenePath = path;
    emit sceneFileChanged(path);
}

bool SceneDocument::isModified() const
{
    return modified;
}

void SceneDocument::setModified(bool on)
{
    if (modified == on)
        return;
    modified = on;
    emit modifiedChanged(on);
}

void SceneDocument::changed()
{
    setModified(true);
}
