#include "hemisphere_offset.h"

#include <Inventor/SbVec3f.h>
#include <Inventor/nodes/SoTranslation.h>

#include <algorithm>
#include <limits>

namespace gyroscene {

surface_extent extent_of(Hemisphere side, const SbVec3f* points, int count)
{
    surface_extent extent{side, 0.0f, 0.0f};
    for (int i = 0; i < count; ++i) {
        const float x = points[i][0];
        extent.min_x = i == 0 ? x : std::min(extent.min_x, x);
        extent.max_x = i == 0 ? x : std::max(extent.max_x, x);
    }
    return extent;
}

std::vector<float> hemisphere_offsets(const std::vector<surface_extent>& surfaces)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    float leftMin = inf, leftMax = -inf, rightMin = inf, rightMax = -inf;
    for (const surface_extent& s : surfaces) {
        if (!(s.min_x <= s.max_x))
            continue;  // empty or not a number: no box to place
        if (s.side == Hemisphere::Left) {
            leftMin = std::min(leftMin, s.min_x);
            leftMax = std::max(leftMax, s.max_x);
        } else if (s.side == Hemisphere::Right) {
            rightMin = std::min(rightMin, s.min_x);
            rightMax = std::max(rightMax, s.max_x);
        }
    }
    std::vector<float> offsets(surfaces.size(), 0.0f);
    if (leftMin == inf || rightMin == inf || leftMax < rightMin)
        return offsets;
    const float gap = 0.1f * std::min(leftMax - leftMin, rightMax - rightMin);
    const float half = 0.5f * (leftMax - rightMin + gap);
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        if (surfaces[i].side == Hemisphere::Left)
            offsets[i] = -half;
        else if (surfaces[i].side == Hemisphere::Right)
            offsets[i] = half;
    }
    return offsets;
}

SoTranslation* make_offset_node(float offset)
{
    auto* node = new SoTranslation;
    node->translation.setValue(offset, 0.0f, 0.0f);
    return node;
}

}  // namespace gyroscene
