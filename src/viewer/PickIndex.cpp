#include "PickIndex.h"

#include "IndexedRayPick.h"
#include "TriangleBvh.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>

#include <chrono>

namespace gyroview {

const TriangleBvh* PickIndex::Surface::ready() const
{
    if (!built.valid() || built.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    return built.get().get();
}

PickIndex::PickIndex()
{
    IndexedRayPick::initClass();
}

PickIndex::~PickIndex()
{
    // Waits for builds still running: their futures block when destroyed.
    while (!surfaces.empty())
        removeSurface(surfaces.begin()->first);
}

bool PickIndex::addSurface(SoIndexedFaceSet* faceSet, const SoCoordinate3* coordinates)
{
    removeSurface(faceSet);
    if (!faceSet || !coordinates)
        return false;
    const int32_t nPoints = coordinates->point.getNum();
    const int32_t nIndices = faceSet->coordIndex.getNum();
    const int32_t* index = faceSet->coordIndex.getValues(0);

    auto surface = std::make_unique<Surface>();
    surface->faceSet = faceSet;
    surface->faceSetId = faceSet->getNodeId();
    surface->coordinatesId = coordinates->getNodeId();
    surface->pointCount = nPoints;
    // Triangles only, each closed by -1 (the last may end with the field).
    for (int32_t i = 0; i < nIndices; i += 4) {
        const int32_t left = nIndices - i;
        if (left < 3)
            return false;
        for (int k = 0; k < 3; ++k)
            if (index[i + k] < 0 || index[i + k] >= nPoints)
                return false;
        if (left > 3 && index[i + 3] != -1)
            return false;
    }
    surface->coordinates = const_cast<SoCoordinate3*>(coordinates);
    surface->coordinates->ref();
    surface->pending = true;
    faceSet->ref();
    surfaces[faceSet] = std::move(surface);
    anyPending = true;
    return true;
}

void PickIndex::removeSurface(const SoNode* faceSet)
{
    auto it = surfaces.find(faceSet);
    if (it == surfaces.end())
        return;
    // A build still reading the nodes finishes before they may go.
    if (it->second->built.valid())
        it->second->built.wait();
    SoIndexedFaceSet* node = it->second->faceSet;
    SoCoordinate3* coordinates = it->second->coordinates;
    surfaces.erase(it);
    node->unref();
    coordinates->unref();
}

void PickIndex::setSurfaceHidden(const SoNode* faceSet, bool hidden)
{
    auto it = surfaces.find(faceSet);
    if (it != surfaces.end())
        it->second->hidden = hidden;
}

bool PickIndex::isIndexed(const SoNode* faceSet) const
{
    return find(faceSet) != nullptr;
}

bool PickIndex::isReady(const SoNode* faceSet) const
{
    const Surface* surface = find(faceSet);
    return surface && surface->ready();
}

void PickIndex::startBuilding()
{
    if (!anyPending)
        return;
    anyPending = false;
    for (auto& [node, surface] : surfaces) {
        if (!surface->pending)
            continue;
        surface->pending = false;
        // The build reads the surface's own fields on the worker thread.
        // Both nodes stay referenced until it is done, and whoever changes
        // the surface's points or faces removes it here first, which waits
        // for the build: the fields are only read meanwhile.
        const SoMFInt32& coordIndex = surface->faceSet->coordIndex;
        const SoMFVec3f& points = surface->coordinates->point;
        TriangleBvh::Mesh mesh;
        mesh.points = points.getNum() > 0 ? points.getValues(0)[0].getValue() : nullptr;
        mesh.corners = coordIndex.getValues(0);
        mesh.stride = 4;
        mesh.triangles = (coordIndex.getNum() + 1) / 4;
        surface->built = std::async(std::launch::async, [mesh]() {
                             auto bvh = std::make_shared<TriangleBvh>();
                             // Too large to index: Coin picks it, as before the index.
                             if (!bvh->build(mesh))
                                 return std::shared_ptr<const TriangleBvh>();
                             return std::shared_ptr<const TriangleBvh>(std::move(bvh));
                         }).share();
    }
}

void PickIndex::waitUntilBuilt() const
{
    for (const auto& [node, surface] : surfaces)
        if (surface->built.valid())
            surface->built.wait();
}

const PickIndex::Surface* PickIndex::find(const SoNode* faceSet) const
{
    auto it = surfaces.find(faceSet);
    return it == surfaces.end() ? nullptr : it->second.get();
}

}  // namespace gyroview
