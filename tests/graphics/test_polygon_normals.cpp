// Point normals of meshes large enough to be computed on two threads must
// be, bit for bit, the angle-weighted sums taken in polygon order.
#include "geometry.h"
#include "polygon_normals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

TEST(PolygonNormals, LargeBumpyMeshGivesTheSameBitsAsOnePassInPolygonOrder)
{
    polygons_struct sphere{};
    const Point centre{0.0f, 0.0f, 0.0f};
    ASSERT_EQ(create_tetrahedral_sphere(&centre, 50.0, 60.0, 40.0, 81920, &sphere), OK);
    ASSERT_GT(sphere.n_items, 65536); // past the size where a second thread starts
    std::mt19937 random(11);
    std::uniform_real_distribution<float> bump(-0.7f, 0.7f);
    for (int p = 0; p < sphere.n_points; ++p) {
        sphere.points[p].x += bump(random);
        sphere.points[p].y += bump(random);
        sphere.points[p].z += bump(random);
    }
    // a few collapsed corners, whose angles are degenerate
    for (int p = 0; p < 300; p += 3)
        sphere.points[p + 1] = sphere.points[p];

    const std::vector<Vector> expected = normals_in_polygon_order(&sphere);
    ASSERT_EQ(compute_polygon_normals(&sphere), OK);
    int differing = 0;
    for (int p = 0; p < sphere.n_points; ++p)
        differing += std::memcmp(&expected[p], &sphere.normals[p], sizeof(Vector)) != 0;
    EXPECT_EQ(differing, 0) << "of " << sphere.n_points << " normals";
    delete_polygons(&sphere);
}

} // namespace
