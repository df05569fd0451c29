// GIFTI surfaces (*.surf.gii): a POINTSET and a TRIANGLE data array.
#pragma once

#include "objects.h"

// What a surface file holds beyond points and triangles.
struct gifti_surface_info {
    bool has_transform;    // the points' coordinate system maps them elsewhere
    double transform[4][4]; // not applied to the points
    // AnatomicalStructurePrimary of the points or of the file ("CortexLeft"),
    // cut to fit; empty when neither names one.
    char structure[64];
};

// Reads the first POINTSET and TRIANGLE arrays into one polygons object
// (white, normals computed). A file without them is refused with a message
// naming the file. info may be null.
Status input_gifti_surface(const char *filename, object_struct **object,
                           gifti_surface_info *info);

// Writes a polygons object of triangles as a GIFTI surface, its arrays
// gzip-compressed and base64-encoded.
Status output_gifti_surface(const char *filename, const polygons_struct *polygons);
