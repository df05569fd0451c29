#pragma once
// A bounding-volume hierarchy over the triangles of one surface, for picking
// without testing every triangle. Plain arrays in, no Coin: the pick index
// builds it on a worker thread from copies of a surface's points and faces.
#include <cstdint>
#include <vector>

namespace gyroview {

class TriangleBvh {
public:
    // points: x, y, z per point; corners: three point indices per triangle,
    // each below points.size() / 3.
    void build(std::vector<float> points, std::vector<int32_t> corners);

    // Triangles the ray origin + t * direction (t >= tMin) may hit first: the
    // nearest hit and every other triangle within a hair of it, edges widened
    // a little so that a ray through a shared edge or corner finds all the
    // faces there. In ascending triangle order. Returns the largest t
    // considered (the caller asks again from there when it rejects them
    // all), or a negative value when nothing lies along the ray.
    float candidates(const float origin[3], const float direction[3], float tMin,
                     std::vector<int32_t>& triangles) const;

    int32_t triangleCount() const { return int32_t(corners.size() / 3); }
    std::size_t memoryBytes() const;

private:
    struct Node {
        float lo[3], hi[3];
        int32_t first;  // leaf: first entry of order; inner: left child (right is first + 1)
        int32_t count;  // leaf: number of triangles; inner: 0
    };
    std::vector<float> points;
    std::vector<int32_t> corners;
    std::vector<int32_t> order;  // triangles grouped by leaf
    std::vector<Node> nodes;
};

}  // namespace gyroview
