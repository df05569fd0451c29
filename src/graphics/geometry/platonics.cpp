#include "geometry.h"
#include "polygon_normals.h"

#include <iterator>

namespace {

Status create_unit_platonic(polygons_struct *polygons, int n_points,
                            const Point points[], int n_triangles,
                            const int triangles[], int table_length)
{
    Surfprop surfprop;
    get_default_surfprop(&surfprop);
    if (initialize_polygons_with_size(polygons, make_Colour_0_1(1.0, 1.0, 1.0),
                                      &surfprop, n_points, n_triangles, 3) != OK)
        return ERROR;
    for (int p = 0; p < n_points; ++p)
        polygons->points[p] = points[p];
    if (table_length != polygons->end_indices[n_triangles - 1]) {
        handle_internal_error("create_unit_(platonic)");
        return ERROR;
    }
    for (int i = 0; i < table_length; ++i)
        polygons->indices[i] = triangles[i];
    return compute_polygon_normals(polygons);
}

} // namespace

Status create_unit_tetrahedron(polygons_struct *polygons)
{
    static const Point points[] = {
        {0.0f, 0.0f, 1.0f},
        {0.942809045f, 0.0f, -0.333333343f},
        {-0.471404523f, 0.816496611f, -0.333333343f},
        {-0.471404523f, -0.816496611f, -0.333333343f},
    };
    static const int triangles[] = {0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2};
    return create_unit_platonic(polygons, 4, points, 4, triangles,
                                static_cast<int>(std::size(triangles)));
}

Status create_unit_icosahedron(polygons_struct *polygons)
{
    constexpr float A = 0.850650787f;
    constexpr float B = 0.525731087f;
    static const Point points[] = {
        {A, B, 0.0f},  {A, -B, 0.0f}, {-A, B, 0.0f}, {-A, -B, 0.0f},
        {0.0f, A, B},  {0.0f, A, -B}, {0.0f, -A, B}, {0.0f, -A, -B},
        {B, 0.0f, A},  {-B, 0.0f, A}, {B, 0.0f, -A}, {-B, 0.0f, -A},
    };
    static const int triangles[] = {
        2, 11, 3,  2, 5, 11,  11, 5, 10, 5, 0, 10, 0, 5, 4,
        4, 5, 2,   4, 2, 9,   9, 2, 3,   9, 3, 6,  9, 6, 8,
        4, 9, 8,   4, 8, 0,   0, 8, 1,   1, 8, 6,  1, 6, 7,
        7, 6, 3,   11, 7, 3,  11, 10, 7, 10, 1, 7, 10, 0, 1,
    };
    return create_unit_platonic(polygons, 12, points, 20, triangles,
                                static_cast<int>(std::size(triangles)));
}
