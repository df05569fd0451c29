#pragma once
// Triangle indices of the surfaces in a scene, so that a pick tests a few
// triangles instead of every one (see IndexedRayPick). A surface is a face
// set of triangles and the coordinates it is drawn with; its index is built
// on a worker thread once startBuilding is called (the viewer does so after
// a frame is drawn), and until it is ready picks on that surface go through
// Coin's own ray pick. A hidden surface is left out of picks altogether.
#include <Inventor/SbBasic.h>

#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <vector>

class SoNode;
class SoIndexedFaceSet;
class SoCoordinate3;

namespace gyroview {

class TriangleBvh;

class PickIndex {
public:
    struct Surface {
        SoIndexedFaceSet* faceSet = nullptr;  // referenced while indexed
        // What the index was built from; a pick checks these before trusting it.
        SbUniqueId faceSetId = 0, coordinatesId = 0;
        int32_t pointCount = 0;
        bool hidden = false;
        // Every face is three corners and a -1, so triangle t starts at
        // 4 t in coordIndex (its first corner is the vertex a pick reports).
        std::shared_future<std::shared_ptr<const TriangleBvh>> built;
        // Read by the build on its worker thread, in place (nothing is
        // copied), from startBuilding, after the first frame.
        SoCoordinate3* coordinates = nullptr;  // referenced while indexed
        bool pending = false;

        // The index, or null while it is being built (or when the surface
        // was too large for one).
        const TriangleBvh* ready() const;
    };

    PickIndex();
    ~PickIndex();
    PickIndex(const PickIndex&) = delete;
    PickIndex& operator=(const PickIndex&) = delete;

    // Takes the triangles of faceSet (drawn with coordinates) for indexing,
    // read in place when the build starts: a caller that changes either
    // node's fields removes the surface first (which waits for a build
    // still running) and adds it again afterwards. Returns false, indexing nothing, when a face is not a triangle or an
    // index is out of range: Coin then picks that surface as before. Adding
    // a surface again replaces its index (the way to rebuild it after its
    // points or faces have changed).
    bool addSurface(SoIndexedFaceSet* faceSet, const SoCoordinate3* coordinates);
    void removeSurface(const SoNode* faceSet);
    // A hidden surface is never picked, indexed or not.
    void setSurfaceHidden(const SoNode* faceSet, bool hidden);
    bool isIndexed(const SoNode* faceSet) const;
    bool isReady(const SoNode* faceSet) const;

    // Builds every index added since the last call, each on a worker thread;
    // returns at once. Cheap when nothing is waiting.
    void startBuilding();
    // Blocks until every index started so far is built (tests, timings).
    void waitUntilBuilt() const;

    const Surface* find(const SoNode* faceSet) const;

private:
    std::map<const SoNode*, std::unique_ptr<Surface>> surfaces;
    bool anyPending = false;
};

}  // namespace gyroview
