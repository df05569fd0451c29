#pragma once
// A bounding-volume hierarchy over the triangles of one surface, for picking
// without testing every triangle. Plain arrays, no Coin. The hierarchy keeps
// no copy of the surface: only its boxes and the triangles' order, about
// 15 bytes per triangle. The points and corners it was built from are handed
// in again with every query (the pick index checks that they have not
// changed), so a surface's own index serves, read with its stride (4 for a
// face set's coordIndex, whose faces end with -1).
#include "page_allocator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gyroview {

class TriangleBvh {
public:
    // Triangle t has the point indices corners[stride * t + 0..2], each below
    // the number of points; points: x, y, z per point.
    struct Mesh {
        const float* points = nullptr;
        const int32_t* corners = nullptr;
        int32_t stride = 3;
        int32_t triangles = 0;
    };

    // False, with an empty hierarchy, when the surface is too large to index.
    bool build(const Mesh& mesh);

    // Triangles the ray origin + t * direction (t >= tMin) may hit first: the
    // nearest hit and every other triangle within a hair of it, edges widened
    // a little so that a ray through a shared edge or corner finds all the
    // faces there. In ascending triangle order. Returns the largest t
    // considered (the caller asks again from there when it rejects them
    // all), or a negative value when nothing lies along the ray. `mesh` must
    // hold the same triangles and points the hierarchy was built from.
    float candidates(const float origin[3], const float direction[3], float tMin, const Mesh& mesh,
                     std::vector<int32_t>& triangles) const;

    int32_t triangleCount() const { return int32_t(order.size()); }
    std::size_t memoryBytes() const;

private:
    struct Node {
        float lo[3], hi[3];
        // first << 4 | count. Leaf: first entry of order and its number of
        // triangles (1 to 15); inner: left child (right is first + 1), count 0.
        uint32_t packed;
        uint32_t first() const { return packed >> 4; }
        uint32_t count() const { return packed & 15u; }
    };
    // Built on the pick index's worker thread: see page_allocator.
    std::vector<uint32_t, gyroscene::page_allocator<uint32_t>> order;  // triangles grouped by leaf
    std::vector<Node, gyroscene::page_allocator<Node>> nodes;
};

}  // namespace gyroview
