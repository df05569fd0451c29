// Polygon and per-point normals.
#pragma once

#include "objects.h"

// Fills the per-point normals: each polygon's unit normal, weighted by the
// corner angle, summed at its corners and normalised. Allocates the normals
// when the record has none. A mesh whose indices leave the point range is
// refused (ERROR) before anything is written.
Status compute_polygon_normals(polygons_struct *polygons);

// Unit normal of one polygon (at most its first 1000 corners count).
void compute_polygon_normal(const polygons_struct *polygons, int polygon,
                            Vector *normal);

// Unit normal of the polygon through n positions; (0, 0, 0) when degenerate.
void find_polygon_normal(int n, const Point points[], Vector *normal);
// The same direction, not normalised: a cross product for triangles,
// Newell's sum otherwise, the first non-zero corner cross product when that
// sum vanishes.
void find_polygon_normal_no_normalize(int n, const Point points[], double *x,
                                      double *y, double *z);

// The angle at centre between the directions to p1 and p2, 0 to pi.
double get_angle_between_points(const Point *p1, const Point *centre,
                                const Point *p2);

bool null_Vector(const Vector *vector);
