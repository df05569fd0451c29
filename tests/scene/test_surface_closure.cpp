// Which surfaces may have their back faces culled: closed ones whose parts
// all face one way, and nothing else.
#include "surface_closure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Mesh {
    std::vector<float> points;
    std::vector<int32_t> corners;  // three per triangle

    // An octahedron of radius 1 about (x, 0, 0), counter-clockwise seen from outside.
    void addOctahedron(float x)
    {
        const int32_t base = int32_t(points.size() / 3);
        points.insert(points.end(), {x + 1, 0, 0, x - 1, 0, 0, x, 1, 0, x, -1, 0, x, 0, 1, x, 0, -1});
        const int32_t faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                     {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
        for (const auto& f : faces)
            corners.insert(corners.end(), {base + f[0], base + f[1], base + f[2]});
    }
    void reverseFrom(std::size_t triangle)
    {
        for (std::size_t t = triangle; t < corners.size() / 3; ++t)
            std::swap(corners[3 * t + 1], corners[3 * t + 2]);
    }
    int facing() const
    {
        return gyroscene::find_surface_closure(points.data(), int32_t(points.size() / 3), corners.data(), 3,
                                               int32_t(corners.size() / 3))
            .facing;
    }
};

}  // namespace

TEST(SurfaceClosure, ClosedPartsFacingOneWay)
{
    Mesh one;
    one.addOctahedron(0);
    const gyroscene::surface_closure closure =
        gyroscene::find_surface_closure(one.points.data(), 6, one.corners.data(), 3, 8);
    EXPECT_EQ(closure.facing, 1);
    EXPECT_EQ(closure.lo[0], -1.0f);
    EXPECT_EQ(closure.hi[2], 1.0f);
    // A face set's coordIndex: each triangle closed by -1.
    std::vector<int32_t> coordIndex;
    for (std::size_t t = 0; t < 8; ++t)
        coordIndex.insert(coordIndex.end(), {one.corners[3 * t], one.corners[3 * t + 1], one.corners[3 * t + 2], -1});
    EXPECT_EQ(gyroscene::find_surface_closure(one.points.data(), 6, coordIndex.data(), 4, 8).facing, 1);

    one.reverseFrom(0);
    EXPECT_EQ(one.facing(), -1);

    Mesh two;
    two.addOctahedron(0);
    two.addOctahedron(5);
    EXPECT_EQ(two.facing(), 1);
}

TEST(SurfaceClosure, BackFacesThatMayShowAreKept)
{
    Mesh open;
    open.addOctahedron(0);
    open.corners.resize(open.corners.size() - 3);
    EXPECT_EQ(open.facing(), 0);

    Mesh mixed;  // one part turned inside out
    mixed.addOctahedron(0);
    mixed.addOctahedron(5);
    mixed.reverseFrom(8);
    EXPECT_EQ(mixed.facing(), 0);

    Mesh doubled;  // a face twice the same way round
    doubled.addOctahedron(0);
    doubled.corners.insert(doubled.corners.end(), doubled.corners.begin(), doubled.corners.begin() + 3);
    EXPECT_EQ(doubled.facing(), 0);

    Mesh sheet;  // closed in its edges, but both sides of one triangle
    sheet.points = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    sheet.corners = {0, 1, 2, 0, 2, 1};
    EXPECT_EQ(sheet.facing(), 0);

    EXPECT_EQ(Mesh().facing(), 0);
}
