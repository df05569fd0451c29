// Both hemispheres' inflated or spherical surfaces occupy the same space:
// drawn as read they pass through each other. The view moves them apart
// along x, the left to the left, as far as their boxes overlap plus a gap;
// the files' own coordinates stay as they are (picks report those).
#pragma once

#include "hemisphere.h"

#include <vector>

class SbVec3f;
class SoTranslation;

namespace gyroscene {

struct surface_extent {
    Hemisphere side = Hemisphere::Unknown;
    float min_x = 0.0f, max_x = 0.0f;
};

// A surface's side and the x range of its points (0 to 0 for none).
surface_extent extent_of(Hemisphere side, const SbVec3f* points, int count);

// The x offset of each surface: nothing when there is no surface of one of
// the sides or the left ones' box already ends left of the right ones'
// start; otherwise the left ones move left and the right ones right, each
// by half the overlap plus half a gap of a tenth of the narrower side's
// width. Surfaces of no known side stay put.
std::vector<float> hemisphere_offsets(const std::vector<surface_extent>& surfaces);

// A translation along x by `offset`, for the head of a surface's separator.
SoTranslation* make_offset_node(float offset);

}  // namespace gyroscene
