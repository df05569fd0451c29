// FreeSurfer's binary surface files (lh.white, lh.pial, ...): big-endian,
// no suffix, known by a 3-byte magic number.
#pragma once

#include "objects.h"

#include <cstddef>
#include <cstdint>

enum Freesurfer_file_kinds {
    NOT_FREESURFER_FILE = 0,
    FREESURFER_TRIANGLE_SURFACE = 1,
    FREESURFER_QUADRANGLE_SURFACE = 2,
    FREESURFER_CURV = 3 // per-vertex values, the format with a magic number
};

// The kind of file whose first head_size bytes (15 are enough) are 'head'
// and whose size is file_size. Quadrangle surfaces and curv files share a
// magic number: a curv file holds one value per vertex and is exactly
// 15 + 4 n bytes long.
Freesurfer_file_kinds freesurfer_file_kind(const unsigned char *head,
                                           std::size_t head_size,
                                           std::uint64_t file_size);
// The same for a named file; NOT_FREESURFER_FILE when it cannot be read.
Freesurfer_file_kinds freesurfer_file_kind_of(const char *filename);

// What a surface file holds beyond points and triangles.
struct freesurfer_surface_info {
    bool has_centre;  // the volume geometry gave a centre offset ("cras")
    float centre[3];  // not applied to the points
};

// Reads a triangle surface into one polygons object (white, normals
// computed). Quadrangle surfaces and curv files are refused with a message
// saying what they are. info may be null.
Status input_freesurfer_surface(const char *filename, object_struct **object,
                                freesurfer_surface_info *info);

// Writes a polygons object of triangles as a FreeSurfer triangle surface
// (no volume geometry).
Status output_freesurfer_surface(const char *filename, const polygons_struct *polygons);
