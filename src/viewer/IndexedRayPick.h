#pragma once
// Coin's ray pick, with the face sets of a PickIndex tested through their
// triangle index: the scene is traversed as before (state, transforms, pick
// styles, switches, other shapes), and only an indexed face set's triangles
// are found through the index instead of one by one. Among the triangles the
// index finds nearest (with those sharing an edge or corner there, and any
// within a hair behind), Coin's own intersection decides, in face order, as
// it would have over all of them; so the picked point, its face detail and
// texture coordinates are Coin's. A face set that is not indexed, not yet
// ready or changed since it was indexed is picked by Coin as before.
#include <Inventor/actions/SoRayPickAction.h>

namespace gyroview {

class PickIndex;

class IndexedRayPick : public SoRayPickAction {
    SO_ACTION_HEADER(IndexedRayPick);

public:
    // Once, after Coin is running (PickIndex's constructor does it).
    static void initClass();

    IndexedRayPick(const SbViewportRegion& region, const PickIndex* index);
    ~IndexedRayPick() override;

private:
    static void pickFaceSet(SoAction* action, SoNode* node);
    const PickIndex* index;
};

}  // namespace gyroview
