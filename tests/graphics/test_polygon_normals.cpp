// Point normals, found on one thread or two, must be bit for bit the
// angle-weighted sums one pass in polygon order makes of get_angle_between_points
// and compute_polygon_normal: stored files hold normals made that way.
#include "geometry.h"
#include "polygon_normals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <random>
#include <vector>

namespace {

// The sums as one pass over the polygons makes them.
std::vector<Vector> normals_in_polygon_order(const polygons_struct *polygons)
{
    std::vector<Vector> sums(polygons->n_points, Vector{0.0f, 0.0f, 0.0f});
    for (int i = 0; i < polygons->n_items; ++i) {
        const int start = i == 0 ? 0 : polygons->end_indices[i - 1];
        const int size = polygons->end_indices[i] - start;
        const int *corners = polygons->indices + start;
        Vector normal;
        compute_polygon_normal(polygons, i, &normal);
        const double length = std::sqrt(double(normal.x) * normal.x +
                                        double(normal.y) * normal.y + double(normal.z) * normal.z);
        if (length != 0.0)
            normal = Vector{float(normal.x / length), float(normal.y / length),
                            float(normal.z / length)};
        for (int j = 0; j < size; ++j) {
            const double w = get_angle_between_points(&polygons->points[corners[(j + size - 1) % size]],
                                                      &polygons->points[corners[j]],
                                                      &polygons->points[corners[(j + 1) % size]]);
            Vector &sum = sums[corners[j]];
            sum = Vector{float(sum.x + w * normal.x), float(sum.y + w * normal.y),
                         float(sum.z + w * normal.z)};
        }
    }
    for (Vector &v : sums) {
        const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
        if (length != 0.0)
            v = Vector{float(v.x / length), float(v.y / length), float(v.z / length)};
    }
    return sums;
}

// A mesh record over storage it owns.
struct mesh {
    std::vector<Point> points;
    std::vector<int> ends;
    std::vector<int> indices;
    std::vector<Vector> normals;
    polygons_struct record{};

    void add(std::initializer_list<int> corners) { add(std::vector<int>(corners)); }
    void add(const std::vector<int> &corners)
    {
        indices.insert(indices.end(), corners.begin(), corners.end());
        ends.push_back(int(indices.size()));
    }
    polygons_struct *finish()
    {
        normals.assign(points.size(), Vector{9.0f, 9.0f, 9.0f});
        record.n_points = int(points.size());
        record.points = points.data();
        record.n_items = int(ends.size());
        record.end_indices = ends.data();
        record.indices = indices.data();
        record.normals = normals.data();
        return &record;
    }
};

// Number of normals whose bits differ from the one-pass sums.
int normals_differing_from_one_pass(polygons_struct *polygons)
{
    const std::vector<Vector> expected = normals_in_polygon_order(polygons);
    EXPECT_EQ(compute_polygon_normals(polygons), OK);
    int differing = 0;
    for (int p = 0; p < polygons->n_points; ++p)
        differing += std::memcmp(&expected[p], &polygons->normals[p], sizeof(Vector)) != 0;
    return differing;
}

// A sphere of triangles with every point moved at random.
mesh bumpy_sphere(int n_triangles, unsigned seed)
{
    polygons_struct sphere{};
    const Point centre{0.0f, 0.0f, 0.0f};
    EXPECT_EQ(create_tetrahedral_sphere(&centre, 50.0, 60.0, 40.0, n_triangles, &sphere), OK);
    mesh m;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> bump(-0.7f, 0.7f);
    for (int p = 0; p < sphere.n_points; ++p) {
        const Point &at = sphere.points[p];
        m.points.push_back(Point{at.x + bump(random), at.y + bump(random), at.z + bump(random)});
    }
    for (int i = 0; i < sphere.n_items; ++i)
        m.add({sphere.indices[3 * i], sphere.indices[3 * i + 1], sphere.indices[3 * i + 2]});
    delete_polygons(&sphere);
    return m;
}

// A bumpy sheet on a w by h grid cut into triangles, quads, pentagons and
// hexagons at random, with a few polygons of 0, 1 and 2 corners and one of
// more corners than a polygon normal takes.
mesh mixed_sheet(int w, int h, unsigned seed)
{
    mesh m;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> bump(-0.3f, 0.3f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.points.push_back(Point{x + bump(random), y + bump(random),
                                     std::sin(0.37f * x) * std::cos(0.23f * y) + bump(random)});
    const auto at = [w](int x, int y) { return y * w + x; };
    std::uniform_int_distribution<int> kind(0, 19);
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 2 < w; ++x) {
            const int k = kind(random);
            if (k < 6) {
                m.add({at(x, y), at(x + 1, y), at(x + 1, y + 1)});
                m.add({at(x, y), at(x + 1, y + 1), at(x, y + 1)});
            } else if (k < 12) {
                m.add({at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)});
            } else if (k < 16) {
                m.add({at(x, y), at(x + 1, y), at(x + 2, y), at(x + 1, y + 1), at(x, y + 1)});
            } else if (k < 19) {
                m.add({at(x, y), at(x + 1, y), at(x + 2, y), at(x + 2, y + 1), at(x + 1, y + 1),
                       at(x, y + 1)});
            } else {
                m.add({});
                m.add({at(x, y)});
                m.add({at(x, y), at(x + 1, y)});
            }
        }
    std::vector<int> long_polygon;
    for (int p = 0; p < 1200; ++p)
        long_polygon.push_back(p % int(m.points.size()));
    m.add(long_polygon);
    return m;
}

// Meshes just below and well past the size where a second thread starts.
constexpr int SMALL_TRIANGLES = 20480, LARGE_TRIANGLES = 81920;

TEST(PolygonNormals, BumpyTriangleMeshesGiveTheSameBitsAsOnePassInPolygonOrder)
{
    for (int n : {SMALL_TRIANGLES, LARGE_TRIANGLES}) {
        SCOPED_TRACE(n);
        mesh m = bumpy_sphere(n, 11);
        polygons_struct *polygons = m.finish();
        EXPECT_EQ(normals_differing_from_one_pass(polygons), 0) << "of " << polygons->n_points;
    }
}

TEST(PolygonNormals, DegenerateTrianglesGiveTheSameBitsAsOnePassInPolygonOrder)
{
    for (int n : {SMALL_TRIANGLES, LARGE_TRIANGLES}) {
        SCOPED_TRACE(n);
        mesh m = bumpy_sphere(n, 5);
        const int n_points = int(m.points.size());
        // Coincident points give zero-length edges (and whole triangles of
        // one place); points on one line give collinear triangles, with
        // angles of exactly 0 and pi; repeated indices, both.
        for (int p = 0; p + 1 < n_points; p += 7)
            m.points[p + 1] = m.points[p];
        for (int p = 2; p < n_points; p += 5)
            m.points[p] = Point{m.points[p].x, 3.0f, -2.0f};
        for (int i = 0; i < 4000; i += 3) {
            const int a = m.indices[3 * i], b = m.indices[3 * i + 1];
            m.add({a, a, b});
            m.add({b, b, b});
            m.add({a, b, a});
        }
        for (int p = 2; p + 15 < n_points; p += 35) {
            m.add({p, p + 5, p + 10});
            m.add({p + 15, p, p + 10, p + 5});
        }
        polygons_struct *polygons = m.finish();
        ASSERT_GE(polygons->n_items, n);
        EXPECT_EQ(normals_differing_from_one_pass(polygons), 0) << "of " << polygons->n_points;
    }
}

TEST(PolygonNormals, MixedPolygonsGiveTheSameBitsAsOnePassInPolygonOrder)
{
    for (int side : {60, 240}) {
        SCOPED_TRACE(side);
        mesh m = mixed_sheet(side, side, 3);
        polygons_struct *polygons = m.finish();
        EXPECT_EQ(normals_differing_from_one_pass(polygons), 0) << "of " << polygons->n_points;
    }
    EXPECT_GT(mixed_sheet(240, 240, 3).ends.size(), 32768u);
}

} // namespace
