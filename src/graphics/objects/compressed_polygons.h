// The compressed form of polygons objects: a triangle sphere stored as its
// surface properties, its negative triangle count, its points and colours.
#pragma once

#include "objects.h"

// Reads what follows the negative count (-n_triangles): rebuilds the sphere
// topology, reads the points and the colour list, recomputes the normals.
// The surface properties already in polygons are kept. A count outside the
// sphere family, or more points than the rest of the file can hold, is
// refused before anything is built; on failure polygons is left an empty
// (initialised) record.
Status input_compressed_polygons(File file, File_formats form,
                                 polygons_struct *polygons, int n_triangles);
// Writes from the negative count on; the caller has written the surface
// properties and decided (use_compressed_polygons and the family test).
Status output_compressed_polygons(File file, File_formats form,
                                  polygons_struct *polygons);
// Whether a polygons record may be written compressed: its triangle count
// belongs to the sphere family and its points and polygons are exactly the
// sphere a reader will rebuild (anything else would come back with another
// topology).
bool can_compress_polygons(const polygons_struct *polygons);
