#include "HemisphereOffsets.h"

#include "BrainQuarter.h"
#include "GeometryScene.h"
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
    connect(doc, &SceneDocument::surfacePathChanged, this, [this](int surface) {
        // The row reads the new file first, whichever of us hears it first.
        if (GeometryScene* scene = resources->sceneItem(surface))
            scene->followDocumentPath();
        update();
        emit offsetsChanged();
    });
    connect(resources, &ResourceForm::layersChanged, this, [this] {
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
        GeometryScene* scene = resources->sceneItem(id);
        if (!scene || scene->pointCount() == 0)
            continue;
        const gyroscene::surface_state* state = doc->surface(id);
        gyroscene::surface_extent extent;
        extent.side = state && state->hemisphere != gyroscene::Hemisphere::Unknown
                          ? state->hemisphere
                          : resources->guessedHemisphere(id);
        const SbVec3f* points = scene->points();
        extent.min_x = extent.max_x = points[0][0];
        for (int i = 1; i < scene->pointCount(); ++i) {
            extent.min_x = std::min(extent.min_x, points[i][0]);
            extent.max_x = std::max(extent.max_x, points[i][0]);
        }
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
