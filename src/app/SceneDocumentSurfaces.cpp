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
