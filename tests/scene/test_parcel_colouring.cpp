// A parcellation's colours per vertex: filled, outlined, hidden and
// translucent regions, and the outline's vertices against the graphics
// library's own point neighbours.
#include "parcel_colouring.h"

#include "geometry.h"
#include "poly_neighs.h"

#include <gtest/gtest.h>

namespace {

using gyroscene::parcel_style;

const parcel_colour clear{0, 0, 0, 0};

// A sphere cut into three regions by height, with a cap in none.
struct sphere_parcels {
    polygons_struct sphere{};
    parcellation parcels;

    sphere_parcels()
    {
        const Point centre = {0, 0, 0};
        create_tetrahedral_sphere(&centre, 1.0, 1.0, 1.0, 1280, &sphere);
        parcels.regions = {{1, "north", {200, 30, 30, 255}},
                           {2, "middle", {30, 200, 30, 128}},
                           {5, "south", {30, 30, 200, 255}}};
        for (int i = 0; i < sphere.n_points; ++i) {
            const float z = sphere.points[i].z;
            parcels.vertex_regions.push_back(z > 0.9f ? no_region : z > 0.3f ? 0 : z > -0.3f ? 1 : 2);
        }
    }
    ~sphere_parcels() { delete_polygons(&sphere); }
};

TEST(ParcelColouring, OutlinesAreTheVerticesWithANeighbourInAnotherRegion)
{
    sphere_parcels s;
    const std::vector<std::uint8_t> boundary =
        gyroscene::region_boundary_vertices(s.parcels, s.sphere);
    ASSERT_EQ(boundary.size(), std::size_t(s.sphere.n_points));
    int *n_neighbours = nullptr, **neighbours = nullptr;
    ASSERT_EQ(create_polygon_point_neighbours(&s.sphere, false, &n_neighbours, &neighbours,
                                              nullptr, nullptr), OK);
    int on = 0;
    for (int v = 0; v < s.sphere.n_points; ++v) {
        bool other = false;
        for (int k = 0; k < n_neighbours[v]; ++k)
            other = other || s.parcels.vertex_regions[std::size_t(neighbours[v][k])] !=
                                 s.parcels.vertex_regions[std::size_t(v)];
        EXPECT_EQ(boundary[std::size_t(v)], other ? 1 : 0) << "vertex " << v;
        on += other;
    }
    delete_polygon_point_neighbours(&s.sphere, n_neighbours, neighbours, nullptr, nullptr);
    // four borders (the cap's too), each a ring on both sides: far fewer than all
    EXPECT_GT(on, 40);
    EXPECT_LT(on, s.sphere.n_points / 2);

    parcellation short_one = s.parcels;
    short_one.vertex_regions.pop_back();
    EXPECT_TRUE(gyroscene::region_boundary_vertices(short_one, s.sphere).empty());
}

TEST(ParcelColouring, FilledOutlinedHiddenAndTranslucentRegions)
{
    sphere_parcels s;
    const std::vector<std::uint8_t> boundary =
        gyroscene::region_boundary_vertices(s.parcels, s.sphere);
    parcel_style filled;
    std::vector<parcel_colour> colours = gyroscene::parcel_vertex_colours(s.parcels, filled, {});
    parcel_style outlined;
    outlined.outline = true;
    std::vector<parcel_colour> outlines =
        gyroscene::parcel_vertex_colours(s.parcels, outlined, boundary);
    parcel_style some;
    some.shown = {true, false};
    some.opacity = 0.5f;
    std::vector<parcel_colour> translucent = gyroscene::parcel_vertex_colours(s.parcels, some, {});
    bool inside_seen = false;
    for (std::size_t v = 0; v < colours.size(); ++v) {
        const int r = s.parcels.vertex_regions[v];
        if (r == no_region) {
            EXPECT_EQ(colours[v], clear);
            EXPECT_EQ(outlines[v], clear);
            continue;
        }
        const parcel_colour own = s.parcels.regions[std::size_t(r)].colour;
        EXPECT_EQ(colours[v], own);
        EXPECT_EQ(outlines[v], boundary[v] ? own : clear);
        inside_seen = inside_seen || !boundary[v];
        // region 1 hidden, the others at half their own alpha; regions past
        // the visibility list are shown
        const parcel_colour half{own.r, own.g, own.b, std::uint8_t((own.a + 1) / 2)};
        EXPECT_EQ(translucent[v], r == 1 ? clear : half);
    }
    EXPECT_TRUE(inside_seen);
    // an outline asked for without the boundary draws nothing rather than fills
    for (const parcel_colour &c : gyroscene::parcel_vertex_colours(s.parcels, outlined, {}))
        EXPECT_EQ(c, clear);
}

TEST(ParcelColouring, BlendingAndTheRegionAtAVertex)
{
    const parcel_colour grey{100, 100, 100, 255};
    EXPECT_EQ(gyroscene::blend_over(grey, {200, 0, 50, 255}), (parcel_colour{200, 0, 50, 255}));
    EXPECT_EQ(gyroscene::blend_over(grey, {200, 0, 50, 0}), grey);
    EXPECT_EQ(gyroscene::blend_over(grey, {200, 0, 50, 128}), (parcel_colour{150, 50, 75, 255}));
    sphere_parcels s;
    int top = 0;
    for (int v = 0; v < s.sphere.n_points; ++v)
        if (s.sphere.points[v].z > s.sphere.points[top].z)
            top = v;
    EXPECT_EQ(gyroscene::region_at(s.parcels, top), nullptr);
    int bottom = 0;
    for (int v = 0; v < s.sphere.n_points; ++v)
        if (s.sphere.points[v].z < s.sphere.points[bottom].z)
            bottom = v;
    ASSERT_NE(gyroscene::region_at(s.parcels, bottom), nullptr);
    EXPECT_EQ(gyroscene::region_at(s.parcels, bottom)->name, "south");
    EXPECT_EQ(gyroscene::region_at(s.parcels, -1), nullptr);
    EXPECT_EQ(gyroscene::region_at(s.parcels, s.sphere.n_points), nullptr);
}

} // namespace
