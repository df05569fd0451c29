// Surface files: every object kind in both forms, compressed polygons and
// models (whose files do not exist here). What was read is walked through
// and written out again, so that a record the reader left
// inconsistent shows up under the sanitizers.
#include "fuzz_io.h"
#include "fuzz_check.h"
#include "object_io.h"

namespace {

// Every index of an item list names a point and the end indices rise: the
// reader promises both, and the viewer indexes the points with them.
void check_items(int n_points, int n_items, const int *end_indices,
                 const int *indices)
{
    int previous = 0;
    for (int i = 0; i < n_items; ++i) {
        fuzz_require(end_indices[i] >= previous, "end indices rise");
        for (int k = previous; k < end_indices[i]; ++k)
            fuzz_require(indices[k] >= 0 && indices[k] < n_points,
                         "every index names a point");
        previous = end_indices[i];
    }
}

// Reads every point (and normal) so that a short array is an overflow.
float sum_points(int n, const Point *points, const Vector *normals)
{
    float sum = 0.0f;
    for (int i = 0; i < n; ++i) {
        sum += points[i].x + points[i].y + points[i].z;
        if (normals != nullptr)
            sum += normals[i].x + normals[i].y + normals[i].z;
    }
    return sum;
}

float walk(object_struct *object)
{
    switch (get_object_type(object)) {
    case POLYGONS: {
        const polygons_struct *p = get_polygons_ptr(object);
        check_items(p->n_points, p->n_items, p->end_indices, p->indices);
        return sum_points(p->n_points, p->points, p->normals);
    }
    case LINES: {
        const lines_struct *l = get_lines_ptr(object);
        check_items(l->n_points, l->n_items, l->end_indices, l->indices);
        return sum_points(l->n_points, l->points, nullptr);
    }
    case QUADMESH: {
        const quadmesh_struct *q = get_quadmesh_ptr(object);
        return sum_points(q->m * q->n, q->points, q->normals);
    }
    case MODEL: {
        const model_struct *m = get_model_ptr(object);
        float sum = 0.0f;
        for (int i = 0; i < m->n_objects; ++i)
            sum += walk(m->objects[i]);
        return sum;
    }
    default:
        return 0.0f;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    int n_objects = 0;
    object_struct **objects = nullptr;
    read_surface_input(data, size, &n_objects, &objects);
    volatile float sink = 0.0f;
    for (int i = 0; i < n_objects; ++i)
        sink = sink + walk(objects[i]);
    if (n_objects > 0) {
        // one write per input (each open costs a large buffer); the size
        // picks the form and whether spheres may be compressed
        set_use_compressed_polygons_flag(size & 2);
        output_graphics_file("/dev/null", size & 1 ? ASCII_FORMAT : BINARY_FORMAT,
                             n_objects, objects);
    }
    delete_object_list(n_objects, objects);
    return 0;
}
