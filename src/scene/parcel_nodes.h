// The Coin nodes that draw one parcellation over a surface, shared by the
// viewer and the batch renderer: the surface's own coordinates, normals and
// face set once more under per-vertex colours, pulled a little towards the
// viewer so it lies on the surface (and its statistics), texturing off.
// Drawn after the surface and before the landmarks' separators, whose
// spheres then hide it where they stand in front. And the read of a
// parcellation file for a surface of known size.
#pragma once

#include "parcel_colouring.h"
#include "parcellation.h"
#include "surface_nodes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class SoMaterialBinding;
class SoPackedColor;
class SoSeparator;

namespace gyroscene {

struct surface_part;

struct ParcelNodes {
    SoSeparator* separator = nullptr;
    SoPackedColor* colours = nullptr;
};

// New nodes over the surface's, the separator referenced once for the
// caller; release_parcel_nodes drops it.
ParcelNodes make_parcel_nodes(const SurfaceNodes& surface);
void release_parcel_nodes(ParcelNodes& nodes);

// The parcellation's colours as the style asks, into the nodes.
void set_parcel_colours(const ParcelNodes& nodes, const std::vector<parcel_colour>& colours);

// region_boundary_vertices over the surface as its nodes hold it.
std::vector<std::uint8_t> parcel_boundary(const parcellation& parcels, const SurfaceNodes& surface);

// A style from the scene's record of a parcellation: hidden regions, opacity, outline.
parcel_style parcel_style_of(const parcellation& parcels, const std::vector<int>& hidden_regions,
                             float opacity, bool outline);

// Reads a parcellation file for a surface of `vertices` vertices. A label
// file becomes one region in the `label_number`-th distinct colour. False
// with a one-line `error` naming the file and the problem (a differing
// vertex count names both); `warnings` gets what the reader found odd. A
// CIFTI-2 label file gives `part`'s share of its first map (needs a part).
bool read_surface_parcellation(const QString& path, int vertices, int label_number,
                               parcellation* parcels, QString* error, QStringList* warnings,
                               const surface_part* part = nullptr);


}  // namespace gyroscene
