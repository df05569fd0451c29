// Overlapping hemispheres are moved apart along x, left to the left; apart
// ones, single ones and surfaces of no side stay put.
#include "hemisphere_offset.h"

#include <Inventor/SbVec3f.h>

#include <gtest/gtest.h>

using gyroscene::Hemisphere;
using gyroscene::hemisphere_offsets;

TEST(HemisphereOffset, OverlappingBoxesEndAGapApart)
{
    // Inflated: left -90..20, right -20..90: 40 overlap, gap 0.1 * 110.
    const auto offsets = hemisphere_offsets({{Hemisphere::Left, -90.0f, 20.0f},
                                             {Hemisphere::Right, -20.0f, 90.0f},
                                             {Hemisphere::Unknown, -5.0f, 5.0f},
                                             {Hemisphere::Left, -60.0f, 0.0f}});
    ASSERT_EQ(offsets.size(), 4u);
    EXPECT_FLOAT_EQ(offsets[0], -25.5f);
    EXPECT_FLOAT_EQ(offsets[1], 25.5f);
    EXPECT_FLOAT_EQ(offsets[2], 0.0f);
    EXPECT_FLOAT_EQ(offsets[3], -25.5f);
    // The left's right edge now lies the gap left of the right's left edge.
    EXPECT_FLOAT_EQ((-20.0f + offsets[1]) - (20.0f + offsets[0]), 11.0f);
    // Spheres of one place move apart too.
    const auto spheres =
        hemisphere_offsets({{Hemisphere::Right, -100.0f, 100.0f}, {Hemisphere::Left, -100.0f, 100.0f}});
    EXPECT_FLOAT_EQ(spheres[0], 110.0f);
    EXPECT_FLOAT_EQ(spheres[1], -110.0f);
}

TEST(HemisphereOffset, ApartSingleOrUnknownSurfacesStay)
{
    for (const auto& case_ : std::vector<std::vector<gyroscene::surface_extent>>{
             {{Hemisphere::Left, -70.0f, -2.0f}, {Hemisphere::Right, 2.0f, 70.0f}},
             {{Hemisphere::Left, -70.0f, 50.0f}, {Hemisphere::Left, -50.0f, 70.0f}},
             {{Hemisphere::Unknown, -70.0f, 50.0f}, {Hemisphere::Right, -50.0f, 70.0f}},
             {{Hemisphere::Left, -70.0f, 50.0f}, {Hemisphere::Right, 1.0f, -1.0f}},
             {}})
        for (float offset : hemisphere_offsets(case_))
            EXPECT_EQ(offset, 0.0f);
}

TEST(HemisphereOffset, ExtentIsTheRangeOfThePointsX)
{
    const SbVec3f points[] = {{3, 9, 9}, {-4, 0, 0}, {7, -9, 1}};
    const gyroscene::surface_extent extent = gyroscene::extent_of(Hemisphere::Right, points, 3);
    EXPECT_EQ(extent.side, Hemisphere::Right);
    EXPECT_FLOAT_EQ(extent.min_x, -4.0f);
    EXPECT_FLOAT_EQ(extent.max_x, 7.0f);
    const gyroscene::surface_extent none = gyroscene::extent_of(Hemisphere::Left, nullptr, 0);
    EXPECT_FLOAT_EQ(none.max_x - none.min_x, 0.0f);
}
