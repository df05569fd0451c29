// Whether a surface's back faces can ever be seen. On a closed surface whose
// parts all face outwards, every ray from outside its box meets a front face
// first, so the back faces need not be drawn: half the triangles of a brain
// hemisphere that the software rasterizer would otherwise set up, bin and
// depth-test away on every frame while the view turns. A part facing
// inwards, or an edge with no face on its other side (an open surface, a
// medial wall cut away), lets back faces show, and then nothing is culled.
#pragma once

#include <cstdint>

namespace gyroscene {

struct surface_closure {
    // +1: closed, each part counter-clockwise seen from outside; -1: closed,
    // each part clockwise; 0: open, parts facing both ways, or empty.
    int facing = 0;
    // Box of the points, for telling whether the eye is outside it.
    float lo[3] = {0, 0, 0};
    float hi[3] = {0, 0, 0};
};

// Triangle t has the point indices corners[stride * t + 0..2], each within
// [0, point_count); points are x, y, z per point. Linear time; the only
// memory it takes is 4 bytes per point.
surface_closure find_surface_closure(const float* points, int32_t point_count, const int32_t* corners,
                                     int32_t stride, int32_t triangles);

}  // namespace gyroscene
