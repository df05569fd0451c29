// What the readers of other programs' triangle surfaces share: the record
// they fill and the checks before it is handed out.
#pragma once

#include "objects.h"

// A polygons object of n_points points and n_triangles triangles, white,
// default surface properties, end indices set; points and indices are left
// for the caller. Null (with a message naming 'filename') when the counts
// are out of range or memory is short.
object_struct *create_triangle_surface(const char *filename, int n_points,
                                       int n_triangles);

// Checks that every index names a point, then computes the normals (the
// files hold none). On ERROR the message names 'filename' and the first bad
// triangle; the object is left for the caller to delete.
Status finish_triangle_surface(const char *filename, object_struct *object);
