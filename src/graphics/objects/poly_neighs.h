// Ordered point neighbour lists of a polygon mesh.
#pragma once

#include "objects.h"

// Builds, for every point, the list of the points joined to it, each once,
// in order around it as far as the polygons allow (poly_neighs.cpp says how
// repeated corners and faces, and faces against the orientation, count).
// With across_polygons every other corner of a polygon counts as a
// neighbour, otherwise only the corners before and after. interior (1 when the ring around a point is closed) and
// polygon_table (the polygon across each neighbour edge, or -1) are
// optional; across_polygons with a polygon table is refused.
// A mesh whose indices leave the point range is refused as well.
Status create_polygon_point_neighbours(const polygons_struct *polygons,
                                       bool across_polygons,
                                       int **n_neighbours, int ***neighbours,
                                       unsigned char **interior,
                                       int ***polygon_table);

void delete_polygon_point_neighbours(const polygons_struct *polygons,
                                     int n_neighbours[], int *neighbours[],
                                     unsigned char interior[],
                                     int *polygon_table[]);

// Whether end_indices rise (never fall) and every index names a point.
// Routines that walk a mesh use it before indexing per-point arrays.
bool polygons_indices_are_valid(const polygons_struct *polygons);
