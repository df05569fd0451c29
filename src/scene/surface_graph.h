// The Coin subgraph of one surface, as the viewer and the renderer both draw
// it. Under the surface's separator, in this order: the x offset that draws
// it apart from the other hemisphere (there once it has been moved), the
// statistics' texture nodes, the surface's own nodes (surface_nodes.h),
// then its parcellations. Both programs add to a surface only through these,
// so its pieces keep one order whichever comes first.
#pragma once

class SoNode;
class SoSeparator;

namespace gyroscene {

// A new surface's separator, referenced once for the caller.
SoSeparator* make_surface_separator();

// Draws the surface moved along x: the head translation, made at the first
// offset other than 0 and kept, at 0, when the surface moves back.
void set_surface_offset(SoSeparator* surface, float x);
float surface_offset(const SoSeparator* surface);

// A column's texture nodes (or a switch of several), ahead of the surface's
// nodes and after its offset; the newest ahead of older ones.
void add_surface_texture(SoSeparator* surface, SoNode* texture);

// The number of vertices of the surface drawn under `surface`: its
// coordinates' count, -1 before it has any (its file did not load).
int surface_vertex_count(const SoSeparator* surface);

// A parcellation's nodes, drawn after the surface's.
void add_surface_parcellation(SoSeparator* surface, SoNode* parcels);

}  // namespace gyroscene
