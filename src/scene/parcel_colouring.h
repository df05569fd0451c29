// How a parcellation colours a surface, shared by the viewer and the batch
// renderer so both draw the same picture: per vertex an RGBA colour laid
// over whatever is under it (the surface's or the statistics' colour), by
// region visibility, opacity, and filled regions or outlines only.
#pragma once

#include "parcellation.h"

#include <cstdint>
#include <vector>

struct polygons_struct;

namespace gyroscene {

struct parcel_style {
    // Per region (the parcellation's table order); regions beyond the
    // vector's end are shown.
    std::vector<bool> shown;
    float opacity = 1.0f; // 0 to 1, times each region's own alpha
    bool outline = false; // only the vertices of region_boundary_vertices
};

// 1 for each vertex with a neighbour (the corner before or after it in a
// polygon, as create_polygon_point_neighbours counts them) in another
// region or in none, else 0. Computed once per surface and parcellation;
// switching outlines on or off then costs nothing more. Empty when the
// vertex counts differ or the polygons name points they do not have.
std::vector<std::uint8_t> region_boundary_vertices(const parcellation& parcels,
                                                   const polygons_struct& surface);

// One colour per vertex: its region's colour with alpha = region alpha x
// opacity where the region is shown (and, with outline, the vertex is on
// its boundary); alpha 0, showing what is under it, elsewhere. `boundary`
// is region_boundary_vertices' answer (may be empty when not outlining).
std::vector<parcel_colour> parcel_vertex_colours(const parcellation& parcels,
                                                 const parcel_style& style,
                                                 const std::vector<std::uint8_t>& boundary);

// `over` laid on `under` by over's alpha; the result keeps under's alpha.
parcel_colour blend_over(parcel_colour under, parcel_colour over);

// The region of a vertex, or null when it is in none (or beyond the
// parcellation): what a pick or the status bar names.
const parcel_region* region_at(const parcellation& parcels, int vertex);

}  // namespace gyroscene
