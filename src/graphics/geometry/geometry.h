// Sphere tessellations: the triangle spheres grown from a small polyhedron
// by four-way subdivision, the latitude-longitude spheres, and the
// subdivision itself. Compressed surface files rely on these generators
// reproducing the same point numbering and polygon list to the last index.
#pragma once

#include "objects.h"

// ---------------------------------------------------------------- triangle spheres
// Whether n_items is a triangle count of the family b * 4^k, b in 4, 6, 8, 20.
bool is_tetrahedral_triangle_count(long long n_items);
bool is_this_tetrahedral_topology(const polygons_struct *polygons);

// The triangle count that create_tetrahedral_sphere produces when asked for
// n_triangles (n_triangles itself for a count of the family).
long long tetrahedral_sphere_triangle_count(long long n_triangles);

// Builds into polygons (whose old contents are not freed) a triangle sphere
// on the ellipsoid with that centre and radii, with at least n_triangles
// triangles, normals computed. Refuses (ERROR) a count whose mesh would not
// fit 32-bit indices.
Status create_tetrahedral_sphere(const Point *centre, double rx, double ry,
                                 double rz, int n_triangles,
                                 polygons_struct *polygons);
// The same unit sphere, without computing normals: for readers that replace
// the points and compute the normals themselves.
Status create_tetrahedral_sphere_topology(int n_triangles,
                                          polygons_struct *polygons);

Status create_unit_tetrahedron(polygons_struct *polygons);
Status create_unit_icosahedron(polygons_struct *polygons);

// ---------------------------------------------------------------- latitude-longitude spheres
// Not subdividing: builds into polygons (old contents not freed) a sphere of
// n_up rows and n_around columns, normals allocated but not computed.
// Subdividing: refines the sphere already in polygons to 2 n_up rows and
// 4 n_up columns (centre and sizes unused).
Status create_polygons_sphere(const Point *centre, double x_size, double y_size,
                              double z_size, int n_up, int n_around,
                              bool subdividing, polygons_struct *polygons);
int get_sphere_point_index(int up, int around, int n_up, int n_around);
bool get_tessellation_of_polygons_sphere(const polygons_struct *polygons,
                                         int *n_up);
bool is_this_sphere_topology(const polygons_struct *polygons);

// ---------------------------------------------------------------- subdivision
// Four-way subdivision of every triangle and quadrilateral, in place: old
// points keep their numbers, then one new point per edge in the order edges
// are first met, each quadrilateral's centre after its midpoints. Polygons of
// other sizes are reported and dropped. A mesh whose indices leave its point
// range is refused and left unchanged.
Status subdivide_polygons(polygons_struct *polygons);
