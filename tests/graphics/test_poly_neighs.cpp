// Point neighbour lists and polygon/point normals.
#include "poly_neighs.h"
#include "polygon_normals.h"
#include "geometry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const Point ORIGIN_POINT = {0.0f, 0.0f, 0.0f};

// A mesh record over caller storage; nothing in it is owned.
struct mesh {
    std::vector<Point> points;
    std::vector<int> ends;
    std::vector<int> indices;
    polygons_struct record{};

    mesh(int n_points, std::vector<std::vector<int>> polygons)
    {
        for (int p = 0; p < n_points; ++p)
            points.push_back(Point{float(p), float(p * p % 7), float(p % 3)});
        for (const auto &polygon : polygons) {
            indices.insert(indices.end(), polygon.begin(), polygon.end());
            ends.push_back(int(indices.size()));
        }
        record.n_points = n_points;
        record.points = points.data();
        record.n_items = int(ends.size());
        record.end_indices = ends.data();
        record.indices = indices.data();
    }
};

struct neighbour_lists {
    std::vector<std::vector<int>> lists;
    std::vector<int> interior;
    std::vector<std::vector<int>> table;
};

neighbour_lists find_neighbours(const mesh &m, bool across, bool with_table = false)
{
    int *counts = nullptr;
    int **lists = nullptr;
    unsigned char *interior = nullptr;
    int **table = nullptr;
    EXPECT_EQ(create_polygon_point_neighbours(&m.record, across, &counts, &lists,
                                              &interior, with_table ? &table : nullptr),
              OK);
    neighbour_lists out;
    for (int p = 0; p < m.record.n_points; ++p) {
        out.lists.emplace_back(lists[p], lists[p] + counts[p]);
        out.interior.push_back(interior[p]);
        if (with_table)
            out.table.emplace_back(table[p], table[p] + counts[p]);
    }
    delete_polygon_point_neighbours(&m.record, counts, lists, interior, table);
    return out;
}

double length(const Vector &v)
{
    return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
}

} // namespace

TEST(PolygonNeighbours, SingleTriangleHasOpenLists)
{
    mesh m(3, {{0, 1, 2}});
    neighbour_lists n = find_neighbours(m, false);
    EXPECT_THAT(n.lists[0], ElementsAre(1, 2));
    EXPECT_THAT(n.lists[1], ElementsAre(2, 0));
    EXPECT_THAT(n.lists[2], ElementsAre(0, 1));
    EXPECT_THAT(n.interior, ElementsAre(0, 0, 0));
}

TEST(PolygonNeighbours, ClosedFanIsOrderedAroundItsCentre)
{
    // p = 0, a = 1, b = 2, c = 3
    neighbour_lists in_order = find_neighbours(mesh(4, {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}}), false);
    EXPECT_THAT(in_order.lists[0], ElementsAre(1, 2, 3));
    EXPECT_EQ(in_order.interior[0], 1);

    neighbour_lists shuffled = find_neighbours(mesh(4, {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}}), false);
    EXPECT_THAT(shuffled.lists[0], ElementsAre(3, 1, 2));
    EXPECT_EQ(shuffled.interior[0], 1);
    // The rim points see only part of a ring.
    EXPECT_EQ(shuffled.interior[1], 0);
    EXPECT_EQ(shuffled.lists[1].size(), 3u);
}

TEST(PolygonNeighbours, SquareWithAndWithoutAcrossPolygons)
{
    mesh square(4, {{0, 1, 2, 3}});
    EXPECT_THAT(find_neighbours(square, false).lists[0], ElementsAre(1, 3));
    EXPECT_THAT(find_neighbours(square, true).lists[0], ElementsAre(1, 2, 3));
}

TEST(PolygonNeighbours, ClosedSurfaceHasEveryPointInterior)
{
    polygons_struct ico;
    ASSERT_EQ(create_unit_icosahedron(&ico), OK);
    int *counts = nullptr;
    int **lists = nullptr;
    unsigned char *interior = nullptr;
    ASSERT_EQ(create_polygon_point_neighbours(&ico, false, &counts, &lists, &interior,
                                              nullptr), OK);
    for (int p = 0; p < ico.n_points; ++p) {
        EXPECT_EQ(counts[p], 5) << p;
        EXPECT_EQ(interior[p], 1) << p;
    }
    // Point 0's ring, begun at its first triangle (5, 0, 10).
    EXPECT_THAT(std::vector<int>(lists[0], lists[0] + 5), ElementsAre(10, 5, 4, 8, 1));
    delete_polygon_point_neighbours(&ico, counts, lists, interior, nullptr);
    delete_polygons(&ico);
}

TEST(PolygonNeighbours, PolygonTableNamesThePolygonOnEachEdge)
{
    // Two triangles sharing the edge 1-2.
    mesh m(4, {{0, 1, 2}, {2, 1, 3}});
    neighbour_lists n = find_neighbours(m, false, true);
    ASSERT_THAT(n.lists[1], ElementsAre(3, 2, 0));
    EXPECT_THAT(n.table[1], ElementsAre(1, 0, -1));
    ASSERT_THAT(n.lists[2], ElementsAre(0, 1, 3));
    EXPECT_THAT(n.table[2], ElementsAre(0, 1, -1));
    ASSERT_THAT(n.lists[0], ElementsAre(1, 2));
    EXPECT_THAT(n.table[0], ElementsAre(0, -1));
}

TEST(PolygonNeighbours, RefusesConflictingArgumentsAndBadIndices)
{
    mesh m(3, {{0, 1, 2}});
    int *counts = reinterpret_cast<int *>(0x1);
    int **lists = nullptr;
    int **table = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygon_point_neighbours(&m.record, true, &counts, &lists, nullptr,
                                              &table), ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "create_polygon_point_neighbours: conflicting argument.\n");
    EXPECT_EQ(counts, reinterpret_cast<int *>(0x1));
    EXPECT_EQ(lists, nullptr);
    EXPECT_EQ(table, nullptr);

    mesh outside(3, {{0, 1, 3}});
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygon_point_neighbours(&outside.record, false, &counts, &lists,
                                              nullptr, nullptr), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("indices"));

    mesh falling(4, {{0, 1, 2}, {1, 2, 3}});
    falling.ends = {3, 2};
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_polygon_point_neighbours(&falling.record, false, &counts, &lists,
                                              nullptr, nullptr), ERROR);
    testing::internal::GetCapturedStderr();
}

// FNV-1a over every list, interior flag and (within polygons) table entry
// of both modes, so that a change of any entry or of its place shows.
std::uint64_t neighbour_hash(const polygons_struct *polygons)
{
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](int value) {
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (static_cast<unsigned>(value) >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    };
    for (bool across : {false, true}) {
        int *counts = nullptr;
        int **lists = nullptr;
        unsigned char *interior = nullptr;
        int **table = nullptr;
        EXPECT_EQ(create_polygon_point_neighbours(polygons, across, &counts, &lists,
                                                  &interior, across ? nullptr : &table),
                  OK);
        for (int p = 0; p < polygons->n_points; ++p) {
            mix(counts[p]);
            mix(interior[p]);
            for (int j = 0; j < counts[p]; ++j) {
                mix(lists[p][j]);
                if (table != nullptr)
                    mix(table[p][j]);
            }
        }
        delete_polygon_point_neighbours(polygons, counts, lists, interior, table);
    }
    return hash;
}

// The subdivision and the compressed sphere files rely on the order of these
// lists; the expected hashes were recorded from the original list builder
// (the 20-triangle sphere is the icosahedron).
TEST(PolygonNeighbours, OrderOnOrientedMeshesIsUnchanged)
{
    const struct {
        int n_triangles;
        std::uint64_t hash;
    } tetrahedral[] = {
        {4, 9436938711661211493ull},      {6, 8030405185983843764ull},
        {8, 3199401459560005909ull},      {20, 12363600743043826117ull},
        {80, 13641927749936775605ull},    {96, 8645895912375944741ull},
        {128, 1055059806164482581ull},    {1280, 11230752376849544041ull},
        {20480, 10468289124919898169ull}};
    for (const auto &c : tetrahedral) {
        polygons_struct sphere;
        ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN_POINT, 1, 1, 1, c.n_triangles, &sphere), OK);
        EXPECT_EQ(neighbour_hash(&sphere), c.hash) << c.n_triangles;
        delete_polygons(&sphere);
    }

    const struct {
        int n_up, n_around;
        std::uint64_t hash;
    } latitude_longitude[] = {
        {2, 6, 7558372625310886597ull},
        {4, 8, 9936451058415331893ull},
        {16, 32, 14548285483205162021ull},
        {40, 90, 10408795522156924345ull}};
    for (const auto &c : latitude_longitude) {
        polygons_struct sphere;
        ASSERT_EQ(create_polygons_sphere(&ORIGIN_POINT, 1, 1, 1, c.n_up, c.n_around, false,
                                         &sphere), OK);
        EXPECT_EQ(neighbour_hash(&sphere), c.hash) << c.n_up << " " << c.n_around;
        delete_polygons(&sphere);
    }

    const std::vector<std::vector<int>> small[] = {
        {{0, 1, 2}},
        {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}},
        {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}},
        {{0, 1, 2, 3}},
        {{0, 1, 2}, {2, 1, 3}},
        {{0, 1, 2}, {1, 3, 2}, {0, 4, 5}},
    };
    const std::uint64_t small_hashes[] = {
        14214848798643452169ull, 7382845672592983850ull, 9085717631046675962ull,
        4107328402382033493ull,  18401848931591792724ull, 9019431547852205002ull};
    for (int i = 0; i < 6; ++i) {
        int n_points = 0;
        for (const auto &polygon : small[i])
            for (int corner : polygon)
                n_points = std::max(n_points, corner + 1);
        mesh m(n_points, small[i]);
        EXPECT_EQ(neighbour_hash(&m.record), small_hashes[i]) << i;
    }
}

bool holds_each_once(const std::vector<int> &list)
{
    std::vector<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

// Corners that alternate between two points used to make the lists grow by
// the whole chain at every corner (cubic across polygons, quadratic within).
TEST(PolygonNeighbours, RepeatedCornersAreListedOnce)
{
    std::vector<int> alternating(200000), decagon(100000);
    for (int i = 0; i < 200000; ++i)
        alternating[i] = i % 2;
    for (int i = 0; i < 100000; ++i)
        decagon[i] = i % 10;
    for (bool across : {false, true}) {
        neighbour_lists two = find_neighbours(mesh(2, {alternating}), across, !across);
        EXPECT_THAT(two.lists, ElementsAre(ElementsAre(1), ElementsAre(0)));
        if (!across) {
            EXPECT_THAT(two.table, ElementsAre(ElementsAre(0), ElementsAre(0)));
        }

        // Round the decagon many times: as if round it once.
        neighbour_lists many = find_neighbours(mesh(10, {decagon}), across);
        std::vector<int> once(10);
        for (int i = 0; i < 10; ++i)
            once[i] = i;
        EXPECT_EQ(many.lists, find_neighbours(mesh(10, {once}), across).lists);
        const std::vector<int> first = across ? std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}
                                              : std::vector<int>{1, 9};
        EXPECT_EQ(many.lists[0], first);
    }
}

TEST(PolygonNeighbours, FacesAgainstTheOrientationOrRepeatedAddNoEntries)
{
    // Both triangles run from 1 to 2: the chains break at the shared edge.
    neighbour_lists same_way = find_neighbours(mesh(4, {{2, 0, 1}, {3, 1, 2}}), false);
    EXPECT_THAT(same_way.lists,
                ElementsAre(ElementsAre(1, 2), ElementsAre(3, 2, 0), ElementsAre(3, 0, 1),
                            ElementsAre(1, 2)));

    const std::vector<std::vector<int>> fan = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {3, 2, 4}};
    std::vector<std::vector<int>> twice = fan;
    twice.insert(twice.end(), {{0, 2, 3}, {3, 2, 4}, {0, 1, 2}});
    for (bool across : {false, true}) {
        neighbour_lists plain = find_neighbours(mesh(5, fan), across);
        neighbour_lists repeated = find_neighbours(mesh(5, twice), across);
        EXPECT_EQ(repeated.lists, plain.lists);
        EXPECT_EQ(repeated.interior, plain.interior);
    }
}

TEST(PolygonNeighbours, RingsAndChainsMeetingAtAPointStayApart)
{
    // Two cones with apex 0: rings (1, 2, 3) and (4, 5, 6).
    neighbour_lists n = find_neighbours(
        mesh(7, {{0, 4, 5}, {0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {0, 5, 6}, {0, 6, 4}}), false);
    EXPECT_THAT(n.lists[0], ElementsAre(4, 5, 6, 1, 2, 3));
    EXPECT_EQ(n.interior[0], 1);
}

// Whatever the polygons, every edge is in both its points' lists (the
// subdivision looks midpoints up there), every list holds each point once,
// and a point is its own neighbour only along an edge to itself.
TEST(PolygonNeighbours, ArbitraryPolygonsKeepEveryEdgeOnce)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 200; ++trial) {
        const int n_points = 2 + trial % 9;
        std::vector<std::vector<int>> polygons(1 + trial % 13);
        for (auto &polygon : polygons) {
            polygon.resize(1 + random() % 6);
            for (int &corner : polygon)
                corner = int(random() % n_points);
        }
        const mesh m(n_points, polygons);
        for (bool across : {false, true}) {
            const neighbour_lists n = find_neighbours(m, across);
            std::vector<std::set<int>> expected(n_points);
            for (const auto &polygon : polygons)
                for (std::size_t k = 0; k < polygon.size(); ++k) {
                    const int p = polygon[k], q = polygon[(k + 1) % polygon.size()];
                    if (polygon.size() < 2)
                        continue;
                    expected[p].insert(q);
                    expected[q].insert(p);
                    for (int other : polygon)
                        if (across && other != p)
                            expected[p].insert(other);
                }
            for (int p = 0; p < n_points; ++p) {
                EXPECT_TRUE(holds_each_once(n.lists[p])) << trial << " " << p;
                EXPECT_EQ(std::set<int>(n.lists[p].begin(), n.lists[p].end()), expected[p])
                    << trial << " " << p;
            }
        }
    }
}

TEST(PolygonNeighbours, SubdivisionFindsEveryEdgeOfDegenerateTriangles)
{
    polygons_struct p;
    ASSERT_EQ(create_tetrahedral_sphere(&ORIGIN_POINT, 1, 1, 1, 4, &p), OK);
    // The last triangle made degenerate: a repeated point and a self edge.
    p.indices[9] = p.indices[10];
    testing::internal::CaptureStderr();
    ASSERT_EQ(subdivide_polygons(&p), OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(p.n_items, 16);
    delete_polygons(&p);
}

TEST(PolygonNormals, FindNormalCoversTrianglesNewellAndDegenerateCorners)
{
    const Point triangle[] = {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}};
    double x, y, z;
    find_polygon_normal_no_normalize(3, triangle, &x, &y, &z);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 6.0);

    // Newell's sum: twice the area along the axis.
    const Point square[] = {{0, 0, 1}, {0, 2, 1}, {0, 2, 3}, {0, 0, 3}};
    find_polygon_normal_no_normalize(4, square, &x, &y, &z);
    EXPECT_DOUBLE_EQ(x, 8.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 0.0);

    // A bow-tie whose signed area cancels falls back on its first corner.
    const Point bow_tie[] = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}};
    find_polygon_normal_no_normalize(4, bow_tie, &x, &y, &z);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 1.0);

    Vector normal;
    const Point collinear[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    find_polygon_normal(3, collinear, &normal);
    EXPECT_TRUE(null_Vector(&normal));
    find_polygon_normal(0, collinear, &normal);
    EXPECT_TRUE(null_Vector(&normal));
    find_polygon_normal(4, square, &normal);
    EXPECT_FLOAT_EQ(normal.x, 1.0f);

    const Vector tiny = {0.0f, -0.0f, 1e-30f};
    EXPECT_FALSE(null_Vector(&tiny));
}

TEST(PolygonNormals, OnlyTheFirstThousandCornersCount)
{
    // 1000 corners round a circle in the xy plane, then 200 that swing the
    // whole polygon's normal well away from z.
    std::vector<Point> corners;
    for (int i = 0; i < 1000; ++i) {
        const double a = 2.0 * M_PI * i / 1000.0;
        corners.push_back(Point{float(std::cos(a)), float(std::sin(a)), 0.0f});
    }
    for (int i = 0; i < 200; ++i)
        corners.push_back(Point{1.0f, float(-i) / 200.0f, 50.0f});
    std::vector<int> indices(1200);
    for (int i = 0; i < 1200; ++i)
        indices[i] = i;
    int end = 1200;
    polygons_struct p{};
    p.n_points = 1200;
    p.points = corners.data();
    p.n_items = 1;
    p.end_indices = &end;
    p.indices = indices.data();

    Vector normal, full;
    compute_polygon_normal(&p, 0, &normal);
    find_polygon_normal(1200, corners.data(), &full);
    EXPECT_NEAR(normal.z, 1.0, 1e-6);
    EXPECT_LT(full.z, 0.9);
}

TEST(PolygonNormals, AngleBetweenPoints)
{
    const Point centre = {1, 1, 1}, east = {3, 1, 1}, north = {1, 4, 1}, west = {0, 1, 1};
    EXPECT_DOUBLE_EQ(get_angle_between_points(&east, &centre, &north), M_PI / 2);
    EXPECT_DOUBLE_EQ(get_angle_between_points(&east, &centre, &west), M_PI);
    EXPECT_DOUBLE_EQ(get_angle_between_points(&east, &centre, &east), 0.0);
    EXPECT_DOUBLE_EQ(get_angle_between_points(&centre, &centre, &east), M_PI / 2);
}

TEST(PolygonNormals, TetrahedronNormalsPointOutward)
{
    polygons_struct tetra;
    ASSERT_EQ(create_unit_tetrahedron(&tetra), OK);
    for (int p = 0; p < 4; ++p) {
        const Point &at = tetra.points[p];
        const Vector &n = tetra.normals[p];
        EXPECT_NEAR(length(n), 1.0, 1e-6);
        // The points lie on the unit sphere round the origin, so outward is
        // along the position itself.
        EXPECT_NEAR(n.x * at.x + n.y * at.y + n.z * at.z, 1.0, 1e-5) << p;
    }
    delete_polygons(&tetra);
}

TEST(PolygonNormals, DegenerateTrianglesAddNothingAndBadMeshesAreRefused)
{
    // A flat pair of triangles and a collinear one hanging off point 0.
    mesh m(6, {{0, 1, 2}, {1, 3, 2}, {0, 4, 5}});
    m.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {3, -1, 0}, {0, 0, 2}, {0, 0, 4}};
    m.record.points = m.points.data();
    std::vector<Vector> normals(6);
    m.record.normals = normals.data();
    ASSERT_EQ(compute_polygon_normals(&m.record), OK);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(normals[p].x, 0.0f) << p;
        EXPECT_EQ(normals[p].y, 0.0f) << p;
        EXPECT_FLOAT_EQ(normals[p].z, 1.0f) << p;
    }
    EXPECT_TRUE(null_Vector(&normals[4]));
    EXPECT_TRUE(null_Vector(&normals[5]));

    mesh line(3, {{0, 1, 2}});
    line.points = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    line.record.points = line.points.data();
    std::vector<Vector> line_normals(3, Vector{5, 5, 5});
    line.record.normals = line_normals.data();
    ASSERT_EQ(compute_polygon_normals(&line.record), OK);
    for (const Vector &n : line_normals)
        EXPECT_TRUE(null_Vector(&n));

    mesh outside(3, {{0, 1, 7}});
    std::vector<Vector> untouched(3, Vector{5, 5, 5});
    outside.record.normals = untouched.data();
    testing::internal::CaptureStderr();
    EXPECT_EQ(compute_polygon_normals(&outside.record), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("indices"));
    EXPECT_EQ(untouched[0].x, 5.0f);
}
