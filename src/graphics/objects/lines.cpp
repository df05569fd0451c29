// Polyline records.
#include "objects.h"

void initialize_lines(lines_struct *lines, Colour colour)
{
    lines->colour_flag = ONE_COLOUR;
    lines->colours = nullptr;
    if (alloc_array(lines->colours, 1, "lines", __LINE__) == OK)
        lines->colours[0] = colour;
    lines->line_thickness = 1.0f;
    lines->n_points = 0;
    lines->points = nullptr;
    lines->n_items = 0;
    lines->end_indices = nullptr;
    lines->indices = nullptr;
    lines->bintree = nullptr;
}

void delete_lines(lines_struct *lines)
{
    free_colours(lines->colour_flag, lines->colours, lines->n_points,
                 lines->n_items);
    lines->colours = nullptr;
    free_array(lines->points, "lines", __LINE__);
    free_array(lines->end_indices, "lines", __LINE__);
    free_array(lines->indices, "lines", __LINE__);
    delete_bintree_if_any(&lines->bintree);
}
