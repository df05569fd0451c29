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
    // The points' AnatomicalStructureSecondary ("Pial") and GeometricType
    // ("Anatomical"), and their coordinate system's data space and
    // transformed space ("NIFTI_XFORM_TALAIRACH"); each cut to fit, empty
    // when not given.
    char structure_secondary[64];
    char geometric_type[64];
    char data_space[64];
    char transformed_space[64];
};

// Reads the first POINTSET and TRIANGLE arrays into one polygons object
// (white, normals computed). A file without them is refused with a message
// naming the file. info may be null.
Status input_gifti_surface(const char *filename, object_struct **object,
                           gifti_surface_info *info);

// Writes a polygons object of triangles as a GIFTI surface, its arrays
// gzip-compressed and base64-encoded. With info, the points keep its
// structures, geometric type and coordinate system.
Status output_gifti_surface(const char *filename, const polygons_struct *polygons,
                            const gifti_surface_info *info);
