// Polygon mesh records.
#include "objects.h"

#include <climits>

static Status one_colour(Colour **colours, Colour colour, int line)
{
    *colours = nullptr;
    if (alloc_array(*colours, 1, "polygons", line) != OK)
        return ERROR;
    (*colours)[0] = colour;
    return OK;
}

void initialize_polygons(polygons_struct *polygons, Colour colour,
                         const Surfprop *surfprop)
{
    polygons->colour_flag = ONE_COLOUR;
    one_colour(&polygons->colours, colour, __LINE__);
    if (surfprop != nullptr)
        polygons->surfprop = *surfprop;
    else
        get_default_surfprop(&polygons->surfprop);
    polygons->line_thickness = 1.0f;
    polygons->n_points = 0;
    polygons->points = nullptr;
    polygons->normals = nullptr;
    polygons->n_items = 0;
    polygons->end_indices = nullptr;
    polygons->indices = nullptr;
    polygons->visibilities = nullptr;
    polygons->neighbours = nullptr;
    polygons->bintree = nullptr;
}

Status initialize_polygons_with_size(polygons_struct *polygons, Colour colour,
                                     const Surfprop *surfprop, int n_points,
                                     int n_items, int size)
{
    initialize_polygons(polygons, colour, surfprop);
    if (n_points < 0 || n_items < 0 || size < 0 ||
        (size > 0 && n_items > INT_MAX / size)) {
        print_error("initialize_polygons_with_size: invalid sizes %d points, "
                    "%d items of %d.\n", n_points, n_items, size);
        return ERROR;
    }
    polygons->n_points = n_points;
    polygons->n_items = n_items;
    if (alloc_array(polygons->points, std::size_t(n_points), "polygons", __LINE__) != OK ||
        alloc_array(polygons->normals, std::size_t(n_points), "polygons", __LINE__) != OK ||
        alloc_array(polygons->end_indices, std::size_t(n_items), "polygons", __LINE__) != OK ||
        alloc_array(polygons->indices, std::size_t(n_items) * std::size_t(size),
                    "polygons", __LINE__) != OK)
        return ERROR;
    for (int i = 0; i < n_items; ++i)
        polygons->end_indices[i] = (i + 1) * size;
    return OK;
}

void free_polygon_neighbours(polygons_struct *polygons)
{
    if (polygons->neighbours != nullptr)
        free_array(polygons->neighbours, "polygons", __LINE__);
}

// Frees every array that is present: a record left half-filled by a failed
// read holds counts whose arrays were never allocated, and arrays whose
// count is still zero.
void delete_polygons(polygons_struct *polygons)
{
    free_colours(polygons->colour_flag, polygons->colours, polygons->n_points,
                 polygons->n_items);
    polygons->colours = nullptr;
    free_array(polygons->points, "polygons", __LINE__);
    free_array(polygons->normals, "polygons", __LINE__);
    free_array(polygons->indices, "polygons", __LINE__);
    free_array(polygons->end_indices, "polygons", __LINE__);
    free_array(polygons->visibilities, "polygons", __LINE__);
    free_polygon_neighbours(polygons);
    delete_bintree_if_any(&polygons->bintree);
}
