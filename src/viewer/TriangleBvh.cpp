#include "TriangleBvh.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace gyroview {

namespace {

constexpr int kBins = 16;
// Up to 8 triangles a leaf: half the nodes of 4 at little cost to a pick.
constexpr int32_t kLeafSize = 8;
// Node::packed keeps 28 bits of node or triangle index.
constexpr int32_t kMostTriangles = int32_t(1) << 26;
// Barycentric slack of the triangle test: wide enough that a ray through a
// shared edge or corner reaches every face there, whatever the rounding.
constexpr float kEdgeSlack = 1e-2f;
// Hits this close behind the nearest one are handed back with it (ties on
// shared edges, touching layers of a folded surface).
constexpr float kDepthSlack = 1e-4f;

struct Box {
    float lo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                   std::numeric_limits<float>::max()};
    float hi[3] = {-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                   -std::numeric_limits<float>::max()};
    void grow(const float* p)
    {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    void grow(const Box& b)
    {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], b.lo[a]);
            hi[a] = std::max(hi[a], b.hi[a]);
        }
    }
    float area() const
    {
        const float x = hi[0] - lo[0], y = hi[1] - lo[1], z = hi[2] - lo[2];
        return x < 0 ? 0.0f : x * y + y * z + z * x;
    }
};

inline void sub(const float* a, const float* b, float* out)
{
    out[0] = a[0] - b[0];
    out[1] = a[1] - b[1];
    out[2] = a[2] - b[2];
}

inline void cross(const float* a, const float* b, float* out)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

inline float dot(const float* a, const float* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace

bool TriangleBvh::build(const Mesh& mesh)
{
    nodes.clear();
    order.clear();
    const int32_t n = mesh.triangles;
    if (n <= 0 || n > kMostTriangles)
        return n == 0;
    order.resize(std::size_t(n));
    std::iota(order.begin(), order.end(), 0u);
    auto corner = [&](int32_t t, int k) {
        return &mesh.points[std::size_t(mesh.corners[std::size_t(mesh.stride) * std::size_t(t) + k]) * 3];
    };

    // Triangle boxes come from the corners whenever they are needed, and the
    // centres are kept as 16-bit fractions of the whole box: 6 bytes per
    // triangle while building instead of 36, on surfaces of millions.
    auto triangleBox = [&](uint32_t t) {
        Box box;
        for (int k = 0; k < 3; ++k)
            box.grow(corner(int32_t(t), k));
        return box;
    };
    Box all;
    for (int32_t t = 0; t < n; ++t)
        all.grow(triangleBox(uint32_t(t)));
    float toGrid[3];
    for (int a = 0; a < 3; ++a)
        toGrid[a] = all.hi[a] > all.lo[a] ? 65535.0f / (all.hi[a] - all.lo[a]) : 0.0f;
    std::vector<uint16_t, gyroscene::page_allocator<uint16_t>> centres(std::size_t(n) * 3);
    for (int32_t t = 0; t < n; ++t) {
        const Box box = triangleBox(uint32_t(t));
        for (int a = 0; a < 3; ++a) {
            const float centre = 0.5f * (box.lo[a] + box.hi[a]);
            centres[3 * std::size_t(t) + a] =
                uint16_t(std::clamp((centre - all.lo[a]) * toGrid[a] + 0.5f, 0.0f, 65535.0f));
        }
    }
    auto centre = [&](uint32_t t, int axis) { return int32_t(centres[3 * std::size_t(t) + axis]); };
    // Boxes grow by a little more than the widened triangles reach.
    const float pad = 1e-4f * std::sqrt((all.hi[0] - all.lo[0]) * (all.hi[0] - all.lo[0]) +
                                        (all.hi[1] - all.lo[1]) * (all.hi[1] - all.lo[1]) +
                                        (all.hi[2] - all.lo[2]) * (all.hi[2] - all.lo[2]));

    struct Task {
        int32_t node, begin, end;
    };
    std::vector<Task> tasks{{0, 0, n}};
    nodes.reserve(std::size_t(n / 2 + 1));
    nodes.push_back({});
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        int32_t centreLo[3] = {65535, 65535, 65535}, centreHi[3] = {0, 0, 0};
        for (int32_t i = task.begin; i < task.end; ++i)
            for (int a = 0; a < 3; ++a) {
                centreLo[a] = std::min(centreLo[a], centre(order[i], a));
                centreHi[a] = std::max(centreHi[a], centre(order[i], a));
            }
        const int32_t count = task.end - task.begin;
        // The widest axis in space, not on the grid: the grid's steps differ per axis.
        int axis = 0;
        auto spread = [&](int a) { return toGrid[a] > 0 ? (centreHi[a] - centreLo[a]) / toGrid[a] : 0.0f; };
        for (int a = 1; a < 3; ++a)
            if (spread(a) > spread(axis))
                axis = a;
        const int32_t extent = centreHi[axis] - centreLo[axis];
        const bool binned = count > kLeafSize && extent > 0;

        // The bins' boxes make the node's box: each triangle's box is made once a level.
        Box bounds;
        Box binBox[kBins];
        int32_t binCount[kBins] = {};
        const float scale = binned ? float(kBins) / float(extent) : 0.0f;
        auto binOf = [&](uint32_t t) {
            return std::min(kBins - 1, int(float(centre(t, axis) - centreLo[axis]) * scale));
        };
        for (int32_t i = task.begin; i < task.end; ++i) {
            if (!binned) {
                bounds.grow(triangleBox(order[i]));
                continue;
            }
            const int b = binOf(order[i]);
            ++binCount[b];
            binBox[b].grow(triangleBox(order[i]));
        }
        if (binned)
            for (const Box& box : binBox)
                bounds.grow(box);
        Node& node = nodes[std::size_t(task.node)];
        for (int a = 0; a < 3; ++a) {
            node.lo[a] = bounds.lo[a] - pad;
            node.hi[a] = bounds.hi[a] + pad;
        }
        node.packed = uint32_t(task.begin) << 4 | uint32_t(count);
        if (count <= kLeafSize)
            continue;

        int32_t middle = task.begin + count / 2;
        if (binned) {
            // Binned surface-area heuristic along the widest axis.
            float rightArea[kBins];
            int32_t rightCount[kBins];
            Box right;
            int32_t inRight = 0;
            for (int b = kBins - 1; b > 0; --b) {
                right.grow(binBox[b]);
                inRight += binCount[b];
                rightArea[b] = right.area();
                rightCount[b] = inRight;
            }
            Box left;
            int32_t inLeft = 0;
            float bestCost = std::numeric_limits<float>::max();
            int bestSplit = -1;
            for (int b = 1; b < kBins; ++b) {
                left.grow(binBox[b - 1]);
                inLeft += binCount[b - 1];
                if (inLeft == 0 || rightCount[b] == 0)
                    continue;
                const float cost = left.area() * inLeft + rightArea[b] * rightCount[b];
                if (cost < bestCost) {
                    bestCost = cost;
                    bestSplit = b;
                }
            }
            if (bestSplit > 0) {
                const auto split = std::partition(order.begin() + task.begin, order.begin() + task.end,
                                                  [&](uint32_t t) { return binOf(t) < bestSplit; });
                middle = int32_t(split - order.begin());
            }
        }
        if (middle <= task.begin || middle >= task.end) {
            middle = task.begin + count / 2;
            std::nth_element(order.begin() + task.begin, order.begin() + middle, order.begin() + task.end,
                             [&](uint32_t a, uint32_t b) {
                                 return centre(a, axis) < centre(b, axis);
                             });
        }
        const int32_t leftChild = int32_t(nodes.size());
        nodes[std::size_t(task.node)].packed = uint32_t(leftChild) << 4;
        nodes.push_back({});
        nodes.push_back({});
        tasks.push_back({leftChild, task.begin, middle});
        tasks.push_back({leftChild + 1, middle, task.end});
    }
    nodes.shrink_to_fit();
    return true;
}

float TriangleBvh::candidates(const float origin[3], const float direction[3], float tMin, const Mesh& mesh,
                              std::vector<int32_t>& triangles) const
{
    triangles.clear();
    if (nodes.empty())
        return -1.0f;
    float inverse[3];
    for (int a = 0; a < 3; ++a)
        inverse[a] = direction[a] != 0.0f ? 1.0f / direction[a] : std::copysign(1e30f, direction[a]);
    float best = std::numeric_limits<float>::infinity();
    auto reach = [](float t) { return t + kDepthSlack * std::fabs(t) + kDepthSlack; };
    struct Candidate {
        float t;
        int32_t triangle;
    };
    std::vector<Candidate> found;

    // Entry distance of the ray into a node's box, or infinity when it misses.
    auto enter = [&](const Node& node) {
        float near = tMin, far = std::numeric_limits<float>::infinity();
        for (int a = 0; a < 3; ++a) {
            float t0 = (node.lo[a] - origin[a]) * inverse[a];
            float t1 = (node.hi[a] - origin[a]) * inverse[a];
            if (t0 > t1)
                std::swap(t0, t1);
            near = std::max(near, t0);
            far = std::min(far, t1);
        }
        return near <= far ? near : std::numeric_limits<float>::infinity();
    };

    // A box the ray misses is entered at infinity, out of reach even before
    // the first hit.
    auto inReach = [&](float t) { return t != std::numeric_limits<float>::infinity() && t <= reach(best); };
    int32_t stack[128];
    int depth = 0;
    if (!inReach(enter(nodes[0])))
        return -1.0f;
    stack[depth++] = 0;
    while (depth > 0) {
        const Node& node = nodes[std::size_t(stack[--depth])];
        // Children were pushed when their boxes were in reach; a hit found
        // since may have moved some out of it.
        const uint32_t first = node.first(), count = node.count();
        if (count > 0 && !inReach(enter(node)))
            continue;
        if (count == 0) {
            const Node& a = nodes[first];
            const Node& b = nodes[first + 1];
            const float ta = enter(a), tb = enter(b);
            // The nearer child is taken first; the stack cannot overflow
            // since the tree is at most about 2 log2(n) deep.
            if (depth + 2 > 128)
                return -1.0f;
            const bool hitA = inReach(ta), hitB = inReach(tb);
            if (ta <= tb) {
                if (hitB)
                    stack[depth++] = int32_t(first + 1);
                if (hitA)
                    stack[depth++] = int32_t(first);
            } else {
                if (hitA)
                    stack[depth++] = int32_t(first);
                if (hitB)
                    stack[depth++] = int32_t(first + 1);
            }
            continue;
        }
        for (uint32_t i = first; i < first + count; ++i) {
            const int32_t t = int32_t(order[i]);
            const int32_t* c = &mesh.corners[std::size_t(mesh.stride) * std::size_t(t)];
            const float* v0 = &mesh.points[std::size_t(c[0]) * 3];
            const float* v1 = &mesh.points[std::size_t(c[1]) * 3];
            const float* v2 = &mesh.points[std::size_t(c[2]) * 3];
            float e1[3], e2[3], p[3], s[3], q[3];
            sub(v1, v0, e1);
            sub(v2, v0, e2);
            cross(direction, e2, p);
            const float det = dot(e1, p);
            if (det == 0.0f || !std::isfinite(det))
                continue;
            const float inv = 1.0f / det;
            sub(origin, v0, s);
            const float u = dot(s, p) * inv;
            if (!(u >= -kEdgeSlack && u <= 1.0f + kEdgeSlack))
                continue;
            cross(s, e1, q);
            const float v = dot(direction, q) * inv;
            if (!(v >= -kEdgeSlack && u + v <= 1.0f + kEdgeSlack))
                continue;
            const float hit = dot(e2, q) * inv;
            if (!(hit >= tMin) || hit > reach(best))
                continue;
            best = std::min(best, hit);
            found.push_back({hit, t});
        }
    }
    if (found.empty())
        return -1.0f;
    const float limit = reach(best);
    for (const Candidate& c : found)
        if (c.t <= limit)
            triangles.push_back(c.triangle);
    std::sort(triangles.begin(), triangles.end());
    return limit;
}

std::size_t TriangleBvh::memoryBytes() const
{
    return order.capacity() * sizeof(uint32_t) + nodes.capacity() * sizeof(Node);
}

}  // namespace gyroview
