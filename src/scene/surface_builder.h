// One surface's Coin subgraph built from what it should show, and kept
// there: each update changes only the nodes whose part of the look
// changed. The figure renderer builds its surfaces with it; the viewer's
// rows paint their own nodes through the same painters (layer_painters.h)
// and hang them by the same rules (surface_graph.h).
#pragma once

#include "column_colouring.h"
#include "column_paint.h"
#include "layer_painters.h"
#include "parcel_nodes.h"
#include "scene_state.h"
#include "surface_nodes.h"

#include <QColor>

#include <memory>
#include <vector>

class SoSeparator;
struct polygons_struct;
struct parcellation;

namespace gyroscene {

// What a surface shows, resolved from its record and its files' arrays.
struct surface_look {
    QColor colour{204, 204, 204};
    float opacity = 1.0f;
    // The column that colours the surface, painted as `paint` says; null
    // for the surface's own colour.
    std::shared_ptr<const std::vector<float>> values;
    column_paint paint;
    // The column whose greys show under the threshold, or alone without a
    // coloured column; null for none.
    std::shared_ptr<const std::vector<float>> underlay;
    int underlay_shades = 2;
    // Drawn over the column in this order; a layer whose record is not
    // shown is left out.
    struct parcel_layer {
        std::shared_ptr<const parcellation> parcels;
        parcellation_state state;
    };
    std::vector<parcel_layer> parcellations;
    // Along x, to draw it apart from the other hemisphere.
    float offset = 0.0f;
};

class SurfaceBuilder
{
public:
    SurfaceBuilder();
    ~SurfaceBuilder();
    SurfaceBuilder(const SurfaceBuilder&) = delete;
    SurfaceBuilder& operator=(const SurfaceBuilder&) = delete;

    // The surface's own nodes, filled from its polygons (copied).
    void setSurface(const polygons_struct& polygons);
    // The surface `other` draws, drawn again with this builder's look; its
    // points are shared, not copied.
    void shareSurface(const SurfaceBuilder& other);
    void update(const surface_look& look);

    SoSeparator* separator() const { return root; }
    const SurfaceNodes& nodes() const { return surface; }
    // The column's nodes once a column has coloured the surface.
    const column_nodes& column() const { return columnNodes; }
    int vertexCount() const;
    // What a thresholded column shows underneath, for the legend.
    std::vector<QColor> underneath() const;

private:
    struct parcel_entry {
        std::shared_ptr<const parcellation> parcels;
        ParcelNodes nodes;
        std::unique_ptr<ParcelPainter> painter;
    };
    void updateColumn(const surface_look& look);
    void updateParcellations(const surface_look& look);

    SoSeparator* root = nullptr;
    SurfaceNodes surface;
    SurfacePainter material;
    QColor colour;
    column_nodes columnNodes;
    bool columnAdded = false;
    ColumnPainter columnPainter;
    std::vector<parcel_entry> parcels;
};

}  // namespace gyroscene
