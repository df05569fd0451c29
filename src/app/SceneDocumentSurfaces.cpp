// The document's surface files and their placement: switching a surface's
// file under its data, and the hemispheres drawn apart.
#include "SceneDocument.h"

void SceneDocument::setSurfacePath(Id surface, const QString& path)
{
    Surface* entry = surfaceEntry(surface);
    if (!entry || entry->state.path == path || path.isEmpty())
        return;
    entry->state.path = path;
    changed();
    emit surfacePathChanged(surface);
}

void SceneDocument::notifyPointsChanging(Id surface)
{
    if (surfaceEntry(surface))
        emit pointsChanging(surface);
}

void SceneDocument::notifyPointsChanged(Id surface)
{
    if (surfaceEntry(surface))
        emit pointsChanged(surface);
}

void SceneDocument::setHemisphereOffset(bool on)
{
    if (offsetHemispheres == on)
        return;
    offsetHemispheres = on;
    changed();
    emit hemisphereOffsetChanged(on);
}

bool SceneDocument::hemisphereOffset() const
{
    return offsetHemispheres;
}

void SceneDocument::setViewOffset(Id surface, float x)
{
    Surface* entry = surfaceEntry(surface);
    if (!entry || entry->viewOffset == x)
        return;
    entry->viewOffset = x;
    emit viewOffsetChanged(surface);
}

float SceneDocument::viewOffset(Id surface) const
{
    const auto found = surfaceEntries.constFind(surface);
    return found != surfaceEntries.constEnd() ? found->viewOffset : 0.0f;
}
