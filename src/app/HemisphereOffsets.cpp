#include "HemisphereOffsets.h"

#include "BrainQuarter.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "hemisphere_offset.h"

#include <algorithm>

HemisphereOffsets::HemisphereOffsets(ResourceForm* form, BrainQuarter* view, QObject* parent)
    : QObject(parent), resources(form), viewer(view)
{
    SceneDocument* doc = resources->document();
    const auto again = [this] {
        if (update())
            emit offsetsChanged();
    };
    connect(doc, &SceneDocument::surfaceChanged, this, again);
    connect(doc, &SceneDocument::hemisphereOffsetChanged, this, again);
    connect(doc, &SceneDocument::pointsChanged, this, [this] {
        update();
        emit offsetsChanged();
    });
    connect(doc, &SceneDocument::filesChanged, this, [this] {
        const std::size_t count = resources->document()->surfaces().size();
        const bool opened = count > surfaceCount;
        surfaceCount = count;
        if (!update())
            return;
        if (opened && viewer)
            viewer->frameScene();
        emit offsetsChanged();
    });
}

bool HemisphereOffsets::update()
{
    SceneDocument* doc = resources->document();
    std::vector<int> surfaces;
    std::vector<gyroscene::surface_extent> extents;
    for (int id : doc->surfaces()) {
        const gyroscene::StoredSurface* stored = doc->store().surface(id);
        if (!stored || stored->pointCount() == 0)
            continue;
        const gyroscene::surface_extent extent =
            gyroscene::extent_of(resources->hemisphereOf(id), stored->points(), stored->pointCount());
        surfaces.push_back(id);
        extents.push_back(extent);
    }
    std::vector<float> offsets(extents.size(), 0.0f);
    if (doc->hemisphereOffset())
        offsets = gyroscene::hemisphere_offsets(extents);
    bool changed = false;
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        changed = changed || doc->viewOffset(surfaces[i]) != offsets[i];
        doc->setViewOffset(surfaces[i], offsets[i]);
    }
    return changed;
}
