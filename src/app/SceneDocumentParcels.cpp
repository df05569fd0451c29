// The document's parcellations: one entry per file on a surface, with how
// it is drawn.
#include "SceneDocument.h"

#include <algorithm>

SceneDocument::Id SceneDocument::addParcellation(Id surface, const QString& path,
                                                 std::shared_ptr<const ::parcellation> data)
{
    Surface* owner = surfaceEntry(surface);
    if (!owner)
        return none;
    const Id id = nextId++;
    if (data)
        loaded.putParcellation(id, std::move(data));
    Parcels entry;
    entry.surface = surface;
    entry.state.path = path;
    parcelEntries.insert(id, entry);
    owner->parcels.push_back(id);
    changed();
    emit filesChanged();
    return id;
}

void SceneDocument::removeParcellation(Id id)
{
    const Parcels* entry = parcelEntry(id);
    if (!entry)
        return;
    if (Surface* owner = surfaceEntry(entry->surface))
        owner->parcels.erase(std::find(owner->parcels.begin(), owner->parcels.end(), id));
    parcelEntries.remove(id);
}

SceneDocument::Parcels* SceneDocument::parcelEntry(Id id)
{
    const auto found = parcelEntries.find(id);
    return found == parcelEntries.end() ? nullptr : &*found;
}

const gyroscene::parcellation_state* SceneDocument::parcellation(Id id) const
{
    const auto found = parcelEntries.constFind(id);
    return found == parcelEntries.constEnd() ? nullptr : &found->state;
}

std::vector<SceneDocument::Id> SceneDocument::parcellationsOf(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found == surfaceEntries.constEnd() ? std::vector<Id>() : found->parcels;
}

void SceneDocument::parcelChanged(Id id)
{
    changed();
    emit parcellationChanged(id);
}

void SceneDocument::setParcelOpacity(Id parcels, float opacity)
{
    Parcels* entry = parcelEntry(parcels);
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    if (!entry || entry->state.opacity == opacity)
        return;
    entry->state.opacity = opacity;
    parcelChanged(parcels);
}

void SceneDocument::setParcelOutline(Id parcels, bool outline)
{
    Parcels* entry = parcelEntry(parcels);
    if (!entry || entry->state.outline == outline)
        return;
    entry->state.outline = outline;
    parcelChanged(parcels);
}

void SceneDocument::setRegionShown(Id parcels, int region, bool shown)
{
    Parcels* entry = parcelEntry(parcels);
    if (!entry || region < 0)
        return;
    std::vector<int>& hidden = entry->state.hidden_regions;
    const auto at = std::lower_bound(hidden.begin(), hidden.end(), region);
    const bool isHidden = at != hidden.end() && *at == region;
    if (isHidden != shown)
        return;
    if (shown)
        hidden.erase(at);
    else
        hidden.insert(at, region);
    parcelChanged(parcels);
}

void SceneDocument::setAllRegionsShown(Id parcels, int count, bool shown)
{
    Parcels* entry = parcelEntry(parcels);
    if (!entry)
        return;
    std::vector<int> hidden;
    if (!shown)
        for (int i = 0; i < count; ++i)
            hidden.push_back(i);
    if (entry->state.hidden_regions == hidden)
        return;
    entry->state.hidden_regions = std::move(hidden);
    parcelChanged(parcels);
}
