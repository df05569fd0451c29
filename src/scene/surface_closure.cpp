#include "surface_closure.h"

#include "page_allocator.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace gyroscene {

namespace {

// A 64-bit mixer (splitmix64's finaliser): spreads an index over the word.
uint64_t mix(uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

}  // namespace

surface_closure find_surface_closure(const float* points, int32_t point_count, const int32_t* corners,
                                     int32_t stride, int32_t triangles)
{
    surface_closure result;
    if (!points || !corners || point_count <= 0 || triangles <= 0 || stride < 3)
        return result;
    auto corner = [&](int32_t t, int k) { return corners[std::size_t(stride) * std::size_t(t) + std::size_t(k)]; };

    // The parts: points joined through triangles. Every link points to a
    // smaller index, so one pass in index order later finds every root.
    std::vector<int32_t, page_allocator<int32_t>> parent(static_cast<std::size_t>(point_count));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int32_t p) {
        while (parent[std::size_t(p)] != p)
            p = parent[std::size_t(p)] = parent[std::size_t(parent[std::size_t(p)])];
        return p;
    };
    // Closed and consistently wound: every edge a->b has exactly one b->a.
    // Checked without a table of edges: with random values u, v per point,
    // the sum over directed edges of u(a) v(b) - u(b) v(a) is zero when each
    // edge is matched by its reverse, and otherwise zero by chance only
    // (odds of about 2^-60).
    uint64_t unmatched = 0;
    for (int32_t t = 0; t < triangles; ++t) {
        uint64_t u[3], v[3];
        for (int k = 0; k < 3; ++k) {
            const uint64_t p = uint32_t(corner(t, k));
            u[k] = mix(p ^ 0x2545f4914f6cdd1dULL);
            v[k] = mix(p + 0x9e3779b97f4a7c15ULL);
        }
        for (int k = 0; k < 3; ++k) {
            const int next = (k + 1) % 3;
            unmatched += u[k] * v[next] - u[next] * v[k];
        }
        for (int k = 1; k < 3; ++k) {
            const int32_t a = root(corner(t, 0)), b = root(corner(t, k));
            if (a != b)
                parent[std::size_t(std::max(a, b))] = std::min(a, b);
        }
    }
    if (unmatched != 0)
        return result;

    for (int a = 0; a < 3; ++a)
        result.lo[a] = result.hi[a] = points[a];
    for (int32_t p = 0; p < point_count; ++p) {
        parent[std::size_t(p)] = parent[std::size_t(parent[std::size_t(p)])];
        for (int a = 0; a < 3; ++a) {
            result.lo[a] = std::min(result.lo[a], points[3 * std::size_t(p) + a]);
            result.hi[a] = std::max(result.hi[a], points[3 * std::size_t(p) + a]);
        }
    }

    // Each part must enclose a positive volume, or each a negative one
    // (measured from the box's centre, translation leaving it unchanged).
    double centre[3];
    for (int a = 0; a < 3; ++a)
        centre[a] = 0.5 * (double(result.lo[a]) + double(result.hi[a]));
    struct part_volume {
        double sum = 0.0, magnitude = 0.0;
    };
    std::unordered_map<int32_t, part_volume> parts;
    int32_t lastRoot = -1;
    part_volume* last = nullptr;
    for (int32_t t = 0; t < triangles; ++t) {
        double p[3][3];
        for (int k = 0; k < 3; ++k)
            for (int a = 0; a < 3; ++a)
                p[k][a] = double(points[3 * std::size_t(corner(t, k)) + a]) - centre[a];
        // Six times the signed volume of the tetrahedron on the centre.
        const double volume = p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
                              p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                              p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0]);
        const int32_t r = parent[std::size_t(corner(t, 0))];
        if (r != lastRoot)
            lastRoot = r, last = &parts[r];
        last->sum += volume;
        last->magnitude += std::abs(volume);
    }
    // A part enclosing next to nothing (a sheet with both sides wound) has
    // no outside to speak of.
    int positive = 0, negative = 0;
    for (const auto& [r, part] : parts) {
        if (part.sum > 1e-6 * part.magnitude)
            ++positive;
        else if (part.sum < -1e-6 * part.magnitude)
            ++negative;
        else
            return result;
    }
    result.facing = negative == 0 ? 1 : positive == 0 ? -1 : 0;
    return result;
}

}  // namespace gyroscene
