#include "surface_builder.h"

#include "surface_graph.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>

#include <algorithm>

namespace gyroscene {

SurfaceBuilder::SurfaceBuilder() : root(make_surface_separator()), surface(make_surface_nodes()) {}

SurfaceBuilder::~SurfaceBuilder()
{
    for (parcel_entry& entry : parcels)
        release_parcel_nodes(entry.nodes);
    if (columnNodes.group)
        columnNodes.group->unref();
    release_surface_nodes(surface);
    root->unref();
}

void SurfaceBuilder::setSurface(const polygons_struct& polygons)
{
    add_surface_nodes(root, surface, polygons);
}

void SurfaceBuilder::shareSurface(const SurfaceBuilder& other)
{
    add_shared_surface_nodes(root, surface, other.surface);
}

int SurfaceBuilder::vertexCount() const
{
    return surface_vertex_count(root);
}

std::vector<QColor> SurfaceBuilder::underneath() const
{
    return material.underneath(colour);
}

void SurfaceBuilder::update(const surface_look& look)
{
    colour = look.colour;
    material.paint(surface, look.colour, look.opacity, look.values != nullptr, look.underlay,
                   look.underlay_shades);
    updateColumn(look);
    updateParcellations(look);
    set_surface_offset(root, look.offset);
}

void SurfaceBuilder::updateColumn(const surface_look& look)
{
    if (!look.values) {
        if (columnAdded) {
            root->removeChild(columnNodes.group);
            columnAdded = false;
        }
        return;
    }
    if (!columnNodes.group)
        columnNodes = make_column_nodes();
    if (!columnAdded) {
        add_surface_texture(root, columnNodes.group);
        columnAdded = true;
    }
    const std::vector<QColor> under = material.underneath(look.colour);
    column_paint paint = look.paint;
    paint.missing = columnPainter.missing(look.values);
    columnPainter.paintTexture(columnNodes, paint, under);
    columnPainter.paintCoordinates(columnNodes, look.values, vertexCount(), paint,
                                   material.shades(), int(under.size()), &surface);
}

void SurfaceBuilder::updateParcellations(const surface_look& look)
{
    std::vector<const parcellation*> wanted;
    for (const surface_look::parcel_layer& layer : look.parcellations)
        if (layer.parcels && layer.state.shown)
            wanted.push_back(layer.parcels.get());
    std::vector<const parcellation*> current;
    for (const parcel_entry& entry : parcels)
        current.push_back(entry.parcels.get());

    if (wanted != current) {
        // Kept layers keep their nodes and colours; the order is made anew.
        std::vector<parcel_entry> next;
        for (const surface_look::parcel_layer& layer : look.parcellations) {
            if (!layer.parcels || !layer.state.shown)
                continue;
            auto kept = std::find_if(parcels.begin(), parcels.end(), [&](const parcel_entry& e) {
                return e.parcels == layer.parcels;
            });
            if (kept != parcels.end()) {
                next.push_back(std::move(*kept));
                parcels.erase(kept);
            } else {
                next.push_back({layer.parcels, make_parcel_nodes(surface),
                                std::make_unique<ParcelPainter>()});
            }
        }
        for (parcel_entry& gone : parcels) {
            root->removeChild(gone.nodes.separator);
            release_parcel_nodes(gone.nodes);
        }
        for (parcel_entry& entry : next)
            if (root->findChild(entry.nodes.separator) >= 0)
                root->removeChild(entry.nodes.separator);
        parcels = std::move(next);
        for (parcel_entry& entry : parcels)
            add_surface_parcellation(root, entry.nodes.separator);
    }
    std::size_t i = 0;
    for (const surface_look::parcel_layer& layer : look.parcellations)
        if (layer.parcels && layer.state.shown) {
            parcel_entry& entry = parcels[i++];
            entry.painter->paint(entry.nodes, *entry.parcels, surface, layer.state);
        }
}

}  // namespace gyroscene
