// The topology the library computes on a surface just read: point
// neighbours (with and without the polygons across) and the normals, on
// every polygons object of the input.
#include "fuzz_check.h"
#include "fuzz_io.h"
#include "poly_neighs.h"
#include "polygon_normals.h"

namespace {

void check_neighbours(const polygons_struct *p, const int *n_neighbours,
                      int *const *neighbours, int *const *polygon_table)
{
    for (int i = 0; i < p->n_points; ++i) {
        fuzz_require(n_neighbours[i] >= 0, "neighbour counts are not negative");
        for (int k = 0; k < n_neighbours[i]; ++k) {
            fuzz_require(neighbours[i][k] >= 0 && neighbours[i][k] < p->n_points,
                         "every neighbour is a point");
            if (polygon_table != nullptr)
                fuzz_require(polygon_table[i][k] >= -1 && polygon_table[i][k] < p->n_items,
                             "every table entry is a polygon or -1");
        }
    }
}

void exercise(polygons_struct *p)
{
    if (p->n_points <= 0 || p->n_items <= 0)
        return;
    int *n_neighbours = nullptr;
    int **neighbours = nullptr;
    unsigned char *interior = nullptr;
    int **polygon_table = nullptr;
    if (create_polygon_point_neighbours(p, false, &n_neighbours, &neighbours, &interior,
                                        &polygon_table) == OK) {
        check_neighbours(p, n_neighbours, neighbours, polygon_table);
        delete_polygon_point_neighbours(p, n_neighbours, neighbours, interior, polygon_table);
    }
    if (create_polygon_point_neighbours(p, true, &n_neighbours, &neighbours, nullptr,
                                        nullptr) == OK) {
        check_neighbours(p, n_neighbours, neighbours, nullptr);
        delete_polygon_point_neighbours(p, n_neighbours, neighbours, nullptr, nullptr);
    }
    compute_polygon_normals(p);
    Vector normal;
    for (int i = 0; i < p->n_items; ++i)
        compute_polygon_normal(p, i, &normal);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    int n_objects = 0;
    object_struct **objects = nullptr;
    read_surface_input(data, size, &n_objects, &objects);
    for (int i = 0; i < n_objects; ++i)
        if (get_object_type(objects[i]) == POLYGONS)
            exercise(get_polygons_ptr(objects[i]));
    delete_object_list(n_objects, objects);
    return 0;
}
