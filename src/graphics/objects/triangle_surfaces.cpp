#include "triangle_surfaces.h"

#include "polygon_normals.h"

#include <climits>

object_struct *create_triangle_surface(const char *filename, int n_points,
                                       int n_triangles)
{
    if (n_points < 0 || n_triangles < 0 || n_triangles > INT_MAX / 3) {
        print_error("Error reading \"%s\": %d points and %d triangles are out of "
                    "range.\n", filename, n_points, n_triangles);
        return nullptr;
    }
    object_struct *object = create_object(POLYGONS);
    if (object == nullptr)
        return nullptr;
    if (initialize_polygons_with_size(get_polygons_ptr(object),
                                      make_Colour_0_1(1.0, 1.0, 1.0), nullptr,
                                      n_points, n_triangles, 3) != OK) {
        print_error("Error reading \"%s\": no memory for %d points and %d "
                    "triangles.\n", filename, n_points, n_triangles);
        delete_object(object);
        return nullptr;
    }
    return object;
}

Status finish_triangle_surface(const char *filename, object_struct *object)
{
    polygons_struct *polygons = get_polygons_ptr(object);
    const long long n_indices = 3LL * polygons->n_items;
    for (long long i = 0; i < n_indices; ++i) {
        int index = polygons->indices[i];
        if (index < 0 || index >= polygons->n_points) {
            print_error("Error reading \"%s\": triangle %lld names point %d, but the "
                        "surface has %d points.\n", filename, i / 3, index,
                        polygons->n_points);
            return ERROR;
        }
    }
    if (compute_polygon_normals(polygons) != OK) {
        print_error("Error reading \"%s\": cannot compute the normals.\n", filename);
        return ERROR;
    }
    return OK;
}
