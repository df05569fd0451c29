#include "geometry.h"
#include "polygon_normals.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int BASES[] = {4, 6, 8, 20};

// The base polyhedron whose counts b * 4^k come nearest to n (ties keep the
// earlier base).
int choose_base(long long n)
{
    long long best = 0;
    int base = 4;
    for (int b : BASES) {
        long long low = b;
        if (n > b)
            while (low * 4 < n)
                low *= 4;
        const long long high = (n <= b) ? low : 4 * low;
        if (std::llabs(n - low) < std::llabs(n - best)) {
            best = low;
            base = b;
        }
        if (std::llabs(n - high) < std::llabs(n - best)) {
            best = high;
            base = b;
        }
    }
    return base;
}

Status create_base(int base, polygons_struct *polygons)
{
    const Point origin = {0.0f, 0.0f, 0.0f};
    switch (base) {
    case 4:
        return create_unit_tetrahedron(polygons);
    case 6:
        return create_polygons_sphere(&origin, 1.0, 1.0, 1.0, 2, 3, false, polygons);
    case 8:
        return create_polygons_sphere(&origin, 1.0, 1.0, 1.0, 2, 4, false, polygons);
    default:
        return create_unit_icosahedron(polygons);
    }
}

Status build_sphere(const Point *centre, double rx, double ry, double rz,
                    int n_triangles, polygons_struct *polygons, bool normals)
{
    const long long final_count = tetrahedral_sphere_triangle_count(n_triangles);
    // Every index of the mesh must fit an int (3 corners per triangle).
    if (final_count > INT_MAX / 3) {
        print_error("create_tetrahedral_sphere: %d triangles are too many for a "
                    "sphere mesh.\n", n_triangles);
        return ERROR;
    }
    if (create_base(choose_base(n_triangles), polygons) != OK)
        return ERROR;

    const double cx = centre->x, cy = centre->y, cz = centre->z;
    for (int p = 0; p < polygons->n_points; ++p) {
        Point &point = polygons->points[p];
        point = Point{static_cast<float>(cx + point.x * rx),
                      static_cast<float>(cy + point.y * ry),
                      static_cast<float>(cz + point.z * rz)};
    }

    while (polygons->n_items < n_triangles) {
        if (subdivide_polygons(polygons) != OK)
            return ERROR;
        for (int p = 0; p < polygons->n_points; ++p) {
            Point &point = polygons->points[p];
            const double dx = point.x - cx, dy = point.y - cy, dz = point.z - cz;
            const double sum = dx * dx / (rx * rx) + dy * dy / (ry * ry) +
                               dz * dz / (rz * rz);
            // A point at the centre (or a flat ellipsoid) has no projection.
            if (!(sum > 0.0) || !std::isfinite(sum))
                continue;
            const double s = 1.0 / std::sqrt(sum);
            point = Point{static_cast<float>(cx + s * dx),
                          static_cast<float>(cy + s * dy),
                          static_cast<float>(cz + s * dz)};
        }
    }
    return normals ? compute_polygon_normals(polygons) : OK;
}

} // namespace

bool is_tetrahedral_triangle_count(long long n_items)
{
    long long c = n_items;
    while (c != 20 && c > 8 && c % 4 == 0)
        c /= 4;
    return c == 4 || c == 6 || c == 8 || c == 20;
}

bool is_this_tetrahedral_topology(const polygons_struct *polygons)
{
    return is_tetrahedral_triangle_count(polygons->n_items);
}

long long tetrahedral_sphere_triangle_count(long long n_triangles)
{
    long long count = choose_base(n_triangles);
    while (count < n_triangles)
        count *= 4;
    return count;
}

Status create_tetrahedral_sphere(const Point *centre, double rx, double ry,
                                 double rz, int n_triangles,
                                 polygons_struct *polygons)
{
    return build_sphere(centre, rx, ry, rz, n_triangles, polygons, true);
}

Status create_tetrahedral_sphere_topology(int n_triangles,
                                          polygons_struct *polygons)
{
    const Point origin = {0.0f, 0.0f, 0.0f};
    return build_sphere(&origin, 1.0, 1.0, 1.0, n_triangles, polygons, false);
}
