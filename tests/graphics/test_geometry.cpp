// Sphere tessellations and subdivision, checked on exact point numbers.
#include "geometry.h"
#include "poly_neighs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

namespace {

std::vector<int> indices_of(const polygons_struct &p)
{
    const int n = p.n_items > 0 ? p.end_indices[p.n_items - 1] : 0;
    return std::vector<int>(p.indices, p.indices + n);
}

std::vector<int> sizes_of(const polygons_struct &p)
{
    std::vector<int> sizes;
    for (int i = 0; i < p.n_items; ++i)
        sizes.push_back(p.end_indices[i] - (i == 0 ? 0 : p.end_indices[i - 1]));
    return sizes;
}

// A record over library-allocated arrays so that subdivision may free them.
polygons_struct make_mesh(const std::vector<Point> &points,
                          const std::vector<std::vector<int>> &polygons)
{
    polygons_struct p;
    initialize_polygons(&p, make_Colour(10, 20, 30), nullptr);
    p.n_points = int(points.size());
    alloc_array(p.points, points.size(), "test_geometry", __LINE__);
    alloc_array(p.normals, points.size(), "test_geometry", __LINE__);
    for (std::size_t i = 0; i < points.size(); ++i)
        p.points[i] = points[i];
    std::vector<int> indices, ends;
    for (const auto &polygon : polygons) {
        indices.insert(indices.end(), polygon.begin(), polygon.end());
        ends.push_back(int(indices.size()));
    }
    p.n_items = int(ends.size());
    alloc_array(p.end_indices, ends.size(), "test_geometry", __LINE__);
    alloc_array(p.indices, indices.size(), "test_geometry", __LINE__);
    std::copy(ends.begin(), ends.end(), p.end_indices);
    std::copy(indices.begin(), indices.end(), p.indices);
    return p;
}

void expect_point(const Point &p, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

const Point ORIGIN = {0.0f, 0.0f, 0.0f};

const std::vector<int> ICOSAHEDRON = {
    2, 11, 3,  2, 5, 11,  11, 5, 10, 5, 0, 10, 0, 5, 4,
    4, 5, 2,   4, 2, 9,   9, 2, 3,   9, 3, 6,  9, 6, 8,
    4, 9, 8,   4, 8, 0,   0, 8, 1,   1, 8, 6,  1, 6, 7,
    7, 6, 3,   11, 7, 3,  11, 10, 7, 10, 1, 7, 10, 0, 1,
};

} // namespace

TEST(TetrahedralFamily, AcceptsOnlyCountsOfTheFamily)
{
    for (long long n : {4, 6, 8, 16, 20, 24, 32, 64, 80, 96, 1280, 81920, 327680})
        EXPECT_TRUE(is_tetrahedral_triangle_count(n)) << n;
    for (long long n : {0, -4, 1, 2, 5, 12, 40, 100, 48, 2000000000})
        EXPECT_FALSE(is_tetrahedral_triangle_count(n)) << n;
    polygons_struct p{};
    p.n_items = 1280;
    EXPECT_TRUE(is_this_tetrahedral_topology(&p));
    p.n_items = 12;
    EXPECT_FALSE(is_this_tetrahedral_topology(&p));
}

TEST(Platonics, TetrahedronAndIcosahedronAsTabled)
{
    polygons_struct t;
    ASSERT_EQ(create_unit_tetrahedron(&t), OK);
    EXPECT_EQ(t.n_points, 4);
    EXPECT_THAT(indices_of(t), ElementsAre(0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2));
    EXPECT_THAT(sizes_of(t), ElementsAre(3, 3, 3, 3));
    expect_point(t.points[1], 0.942809045f, 0.0f, -0.333333343f);
    expect_point(t.points[3], -0.471404523f, -0.816496611f, -0.333333343f);
    EXPECT_EQ(t.colour_flag, ONE_COLOUR);
    EXPECT_EQ(t.colours[0], make_Colour_0_1(1, 1, 1));
    EXPECT_FLOAT_EQ(t.surfprop.specular_exponent, 10.0f);
    delete_polygons(&t);

    polygons_struct ico;
    ASSERT_EQ(create_unit_icosahedron(&ico), OK);
    EXPECT_EQ(ico.n_points, 12);
    EXPECT_EQ(ico.n_items, 20);
    EXPECT_THAT(indices_of(ico), ElementsAreArray(ICOSAHEDRON));
    expect_point(ico.points[0], 0.850650787f, 0.525731087f, 0.0f);
    expect_point(ico.points[7], 0.0f, -0.850650787f, -0.525731087f);
    expect_point(ico.points[11], -0.525731087f, 0.0f, -0.850650787f);
    // Normals are outward at every point.
    for (int p = 0; p < 12; ++p) {
        const Point &x = ico.points[p];
        const Vector &n = ico.normals[p];
        EXPECT_NEAR(n.x * x.x + n.y * x.y + n.z * x.z, 1.0, 1e-5) << p;
    }
    delete_polygons(&ico);
}

TEST(TetrahedralSphere, BasesAndFirstSubdivision)
{
    polygons_struct p;
    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 20, &p), OK);
    EXPECT_EQ(p.n_points, 12);
    EXPECT_THAT(indices_of(p), ElementsAreArray(ICOSAHEDRON));
    delete_polygons(&p);

    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 6, &p), OK);
    EXPECT_EQ(p.n_points, 5);
    EXPECT_THAT(indices_of(p), ElementsAre(0, 2, 3, 0, 3, 4, 0, 4, 2,
                                           1, 3, 2, 1, 4, 3, 1, 2, 4));
    delete_polygons(&p);

    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 8, &p), OK);
    EXPECT_EQ(p.n_points, 6);
    EXPECT_THAT(indices_of(p), ElementsAre(0, 2, 3, 0, 3, 4, 0, 4, 5, 0, 5, 2,
                                           1, 3, 2, 1, 4, 3, 1, 5, 4, 1, 2, 5));
    expect_point(p.points[0], 1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(p.points[1].x, -1.0f);
    EXPECT_NEAR(p.points[1].y, 0.0, 1e-6);
    EXPECT_NEAR(p.points[3].z, 1.0, 1e-6);
    delete_polygons(&p);

    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 4, &p), OK);
    EXPECT_THAT(indices_of(p), ElementsAre(0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2));
    delete_polygons(&p);

    // The tetrahedron subdivided once: midpoints 4..9 in the order the
    // edges 0-1, 1-2, 2-0, 2-3, 3-0, 3-1 are first met.
    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 16, &p), OK);
    EXPECT_EQ(p.n_points, 10);
    EXPECT_THAT(indices_of(p), ElementsAreArray({
        0, 4, 6, 4, 1, 5, 6, 4, 5, 6, 5, 2,
        0, 6, 8, 6, 2, 7, 8, 6, 7, 8, 7, 3,
        0, 8, 4, 8, 3, 9, 4, 8, 9, 4, 9, 1,
        1, 9, 5, 9, 3, 7, 5, 9, 7, 5, 7, 2}));
    for (int i = 0; i < p.n_points; ++i) {
        const Point &x = p.points[i];
        EXPECT_NEAR(x.x * x.x + x.y * x.y + x.z * x.z, 1.0, 1e-6) << i;
    }
    delete_polygons(&p);
}

TEST(TetrahedralSphere, CountsOfTheFamilyAndOthers)
{
    struct {
        int asked, triangles, points;
    } cases[] = {{80, 80, 42}, {100, 384, 194}, {81920, 81920, 40962}, {0, 4, 4}};
    for (const auto &c : cases) {
        polygons_struct p;
        ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, c.asked, &p), OK);
        EXPECT_EQ(p.n_items, c.triangles) << c.asked;
        EXPECT_EQ(p.n_points, c.points) << c.asked;
        EXPECT_EQ(tetrahedral_sphere_triangle_count(c.asked), c.triangles);
        delete_polygons(&p);
    }
}

TEST(TetrahedralSphere, LargeSphereIsAClosedSurfaceOnTheEllipsoid)
{
    const Point centre = {1.0f, -2.0f, 3.0f};
    polygons_struct p;
    ASSERT_EQ(create_tetrahedral_sphere(&centre, 2.0, 3.0, 4.0, 81920, &p), OK);
    ASSERT_EQ(p.n_points, 40962);
    double worst = 0.0;
    for (int i = 0; i < p.n_points; ++i) {
        const double dx = (p.points[i].x - 1.0) / 2.0, dy = (p.points[i].y + 2.0) / 3.0,
                     dz = (p.points[i].z - 3.0) / 4.0;
        worst = std::max(worst, std::fabs(dx * dx + dy * dy + dz * dz - 1.0));
        // Normals point away from the centre.
        const Vector &n = p.normals[i];
        EXPECT_GT(n.x * dx + n.y * dy + n.z * dz, 0.0) << i;
    }
    EXPECT_LT(worst, 1e-5);
    // Every point has five or six neighbours and a closed ring.
    int *counts;
    int **lists;
    unsigned char *interior;
    ASSERT_EQ(create_polygon_point_neighbours(&p, false, &counts, &lists, &interior,
                                              nullptr), OK);
    int fives = 0;
    for (int i = 0; i < p.n_points; ++i) {
        ASSERT_TRUE(counts[i] == 5 || counts[i] == 6) << i;
        fives += counts[i] == 5;
        ASSERT_EQ(interior[i], 1) << i;
    }
    EXPECT_EQ(fives, 12);
    delete_polygon_point_neighbours(&p, counts, lists, interior, nullptr);
    delete_polygons(&p);
}

TEST(TetrahedralSphere, RefusesCountsBeyondIntIndices)
{
    polygons_struct p;
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_tetrahedral_sphere(&ORIGIN, 1, 1, 1, 2000000000, &p), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("too many"));
}

TEST(Subdivision, OneTriangle)
{
    polygons_struct p = make_mesh({{0, 0, 0}, {2, 0, 0}, {0, 4, 0}}, {{0, 1, 2}});
    p.surfprop.ambient = 0.75f;
    ASSERT_EQ(subdivide_polygons(&p), OK);
    ASSERT_EQ(p.n_points, 6);
    expect_point(p.points[3], 1, 0, 0);
    expect_point(p.points[4], 1, 2, 0);
    expect_point(p.points[5], 0, 2, 0);
    EXPECT_THAT(indices_of(p), ElementsAre(0, 3, 5, 3, 1, 4, 5, 3, 4, 5, 4, 2));
    EXPECT_THAT(sizes_of(p), ElementsAre(3, 3, 3, 3));
    EXPECT_EQ(p.colours[0], make_Colour(10, 20, 30));
    EXPECT_EQ(p.surfprop.ambient, 0.75f);
    EXPECT_NE(p.normals, nullptr);
    delete_polygons(&p);
}

TEST(Subdivision, SharedEdgeGetsOneMidpoint)
{
    polygons_struct p = make_mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
                                  {{0, 1, 2}, {2, 1, 3}});
    ASSERT_EQ(subdivide_polygons(&p), OK);
    ASSERT_EQ(p.n_points, 9);
    // 4: 0-1, 5: 1-2 (numbered with the first triangle), 6: 2-0, 7: 1-3, 8: 3-2.
    expect_point(p.points[5], 0.5f, 0.5f, 0.0f);
    EXPECT_THAT(indices_of(p), ElementsAre(0, 4, 6, 4, 1, 5, 6, 4, 5, 6, 5, 2,
                                           2, 5, 8, 5, 1, 7, 8, 5, 7, 8, 7, 3));
    delete_polygons(&p);
}

TEST(Subdivision, QuadrilateralCentreFollowsItsMidpoints)
{
    polygons_struct p = make_mesh({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {4, 1, 0}},
                                  {{0, 1, 2, 3}, {1, 4, 2}});
    ASSERT_EQ(subdivide_polygons(&p), OK);
    // 5..8 midpoints of the square, 9 its centre, then 10, 11 for 1-4, 4-2.
    ASSERT_EQ(p.n_points, 12);
    expect_point(p.points[9], 1, 1, 0);
    expect_point(p.points[8], 0, 1, 0);
    EXPECT_THAT(sizes_of(p), ElementsAre(4, 4, 4, 4, 3, 3, 3, 3));
    EXPECT_THAT(indices_of(p), ElementsAreArray({
        0, 5, 9, 8, 5, 1, 6, 9, 8, 9, 7, 3, 9, 6, 2, 7,
        1, 10, 6, 10, 4, 11, 6, 10, 11, 6, 11, 2}));
    delete_polygons(&p);
}

TEST(Subdivision, WrongSizedPolygonIsReportedAndDropped)
{
    polygons_struct p = make_mesh(
        {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 0.5f, 0}, {2, 0, 0}},
        {{0, 1, 2, 3, 4}, {1, 5, 2}});
    testing::internal::CaptureStderr();
    ASSERT_EQ(subdivide_polygons(&p), OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Polygon size 5 in subdivide polygons\n");
    EXPECT_EQ(p.n_items, 4);
    EXPECT_EQ(p.n_points, 9);
    EXPECT_THAT(indices_of(p), ElementsAre(1, 6, 8, 6, 5, 7, 8, 6, 7, 8, 7, 2));
    delete_polygons(&p);
}

TEST(Subdivision, MeshWithIndicesOutsideItsPointsIsLeftUnchanged)
{
    polygons_struct p = make_mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 1, 9}});
    Point *points = p.points;
    testing::internal::CaptureStderr();
    EXPECT_EQ(subdivide_polygons(&p), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("indices"));
    EXPECT_EQ(p.n_points, 3);
    EXPECT_EQ(p.n_items, 2);
    EXPECT_EQ(p.points, points);
    delete_polygons(&p);
}

TEST(LatitudeLongitudeSphere, PointNumbersAndRecognition)
{
    EXPECT_EQ(get_sphere_point_index(0, 5, 16, 32), 0);
    EXPECT_EQ(get_sphere_point_index(16, 0, 16, 32), 1);
    EXPECT_EQ(get_sphere_point_index(1, 0, 16, 32), 2);
    EXPECT_EQ(get_sphere_point_index(3, 7, 16, 32), 32 * 2 + 7 + 2);
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_sphere_point_index(17, 0, 16, 32), 0);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("up 17/16     around 0/32\n"));

    polygons_struct s;
    ASSERT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 16, 32, false, &s), OK);
    EXPECT_EQ(s.n_points, 32 * 15 + 2);
    EXPECT_EQ(s.n_items, 512);
    int n_up = 0;
    EXPECT_TRUE(get_tessellation_of_polygons_sphere(&s, &n_up));
    EXPECT_EQ(n_up, 16);
    EXPECT_TRUE(is_this_sphere_topology(&s));
    // The first quadrilateral joins rows 1 and 2.
    const std::vector<int> all = indices_of(s);
    EXPECT_THAT(std::vector<int>(all.begin() + 96, all.begin() + 100), ElementsAre(2, 34, 35, 3));
    EXPECT_THAT(std::vector<int>(all.end() - 3, all.end()), ElementsAre(1, 15 * 32 - 32 + 2, 15 * 32 - 32 + 31 + 2));
    delete_polygons(&s);

    polygons_struct ico;
    ASSERT_EQ(create_unit_icosahedron(&ico), OK);
    EXPECT_FALSE(get_tessellation_of_polygons_sphere(&ico, &n_up));
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 0, 0, true, &ico), ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Not a sphere topology polygon.\n");
    EXPECT_EQ(ico.n_items, 20);
    delete_polygons(&ico);
}

TEST(LatitudeLongitudeSphere, SubdivisionDoublesRowsFromTheOldPoints)
{
    polygons_struct s;
    ASSERT_EQ(create_polygons_sphere(&ORIGIN, 1, 2, 3, 4, 8, false, &s), OK);
    std::vector<Point> old(s.points, s.points + s.n_points);
    testing::internal::CaptureStdout();
    ASSERT_EQ(subdivide_polygons(&s), OK);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Subdividing assuming sphere topology.\n");
    EXPECT_EQ(s.n_items, 8 * 16);
    EXPECT_EQ(s.n_points, 16 * 7 + 2);
    auto old_at = [&](int up, int around) { return old[get_sphere_point_index(up, around, 4, 8)]; };
    auto new_at = [&](int up, int around) { return s.points[get_sphere_point_index(up, around, 8, 16)]; };
    const Point same = new_at(2, 6), was = old_at(1, 3);
    expect_point(same, was.x, was.y, was.z);
    // Odd row, even column: halfway between rows 1 and 2 of the old sphere.
    const Point row = new_at(3, 4);
    const Point a = old_at(1, 2), b = old_at(2, 2);
    expect_point(row, 0.5f * a.x + 0.5f * b.x, 0.5f * a.y + 0.5f * b.y, 0.5f * a.z + 0.5f * b.z);
    // Even row, last odd column wraps to old column 0.
    const Point wrap = new_at(2, 15);
    const Point c = old_at(1, 7), d = old_at(1, 0);
    expect_point(wrap, 0.5f * c.x + 0.5f * d.x, 0.5f * c.y + 0.5f * d.y, 0.5f * c.z + 0.5f * d.z);
    int n_up;
    EXPECT_TRUE(get_tessellation_of_polygons_sphere(&s, &n_up));
    EXPECT_EQ(n_up, 8);
    delete_polygons(&s);
}

TEST(LatitudeLongitudeSphere, TooFewPointsForTheSphereIsRefused)
{
    polygons_struct s;
    ASSERT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 4, 8, false, &s), OK);
    s.n_points = 10; // the 4-row sphere needs 26
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 0, 0, true, &s), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("needs 26"));
    EXPECT_EQ(s.n_items, 32);
    s.n_points = 26;
    delete_polygons(&s);

    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 0, 5, false, &s), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("no sphere"));
}

TEST(LatitudeLongitudeSphere, AtLeastTwoRows)
{
    // One row has no ring between the poles; it used to be built past the
    // ends of its arrays.
    for (int n_around : {1, 3, 8}) {
        polygons_struct s;
        testing::internal::CaptureStderr();
        EXPECT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 1, n_around, false, &s), ERROR);
        EXPECT_THAT(testing::internal::GetCapturedStderr(),
                    HasSubstr("1 rows and " + std::to_string(n_around) +
                              " columns make no sphere"));
    }
    polygons_struct s;
    ASSERT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 2, 3, false, &s), OK);
    EXPECT_EQ(s.n_points, 5);
    EXPECT_EQ(s.n_items, 6);
    EXPECT_EQ(s.end_indices[5], 18);
    delete_polygons(&s);
}
