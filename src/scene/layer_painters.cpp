#include "layer_painters.h"

#include "column_threshold.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>

#include <algorithm>

namespace gyroscene {

bool SurfacePainter::paint(const SurfaceNodes& nodes, const QColor& colour, float opacity,
                           bool column_shown, const std::shared_ptr<const std::vector<float>>& underlay,
                           int shade_count)
{
    const int count = std::max(shade_count, 2);
    if (underlay != shadesOf || (underlay && count != shadesCount)) {
        shadesOf = underlay;
        shadesCount = count;
        shadeOfVertex = underlay ? std::make_shared<const std::vector<int>>(underlay_shades(*underlay, count))
                                 : nullptr;
    }
    if (!opacityShown || *opacityShown != opacity) {
        opacityShown = opacity;
        nodes.material->transparency.set1Value(0, 1.0f - opacity);
    }
    // A column's texture colours come through as the bar has them, lit and
    // shaded, over a white material; without one the underlay shows alone.
    const material_key key{column_shown ? QColor(Qt::white) : colour, column_shown,
                           column_shown ? nullptr : shadeOfVertex.get(), column_shown ? 0 : count,
                           column_shown ? 0 : nodes.coordinates->point.getNum()};
    if (materialShown && *materialShown == key)
        return false;
    materialShown = key;
    static const std::vector<int> none;
    set_underlay_material(nodes.material, nodes.materialBinding,
                          key.shades ? *key.shades : none, key.count, key.vertices, key.colour);
    return true;
}

std::vector<QColor> SurfacePainter::underneath(const QColor& colour) const
{
    if (shadeOfVertex)
        return underlay_greys(shadesCount);
    return {colour};
}

bool ColumnPainter::paintTexture(const column_nodes& nodes, const column_paint& look,
                                 const std::vector<QColor>& underneath)
{
    texture_key key{look.bar, 0.0f, 0.0f, look.threshold, look.missing, {}};
    if (look.threshold > 0.0f) {
        key.lower = look.lower;
        key.upper = look.upper;
    }
    if (look.threshold > 0.0f || look.missing)
        key.underneath = underneath;
    if (textureShown && *textureShown == key)
        return false;
    textureShown = key;
    paint_column_texture(nodes.complexity, nodes.texture, look, underneath);
    return true;
}

bool ColumnPainter::paintCoordinates(const column_nodes& nodes,
                                     const std::shared_ptr<const std::vector<float>>& values,
                                     int vertex_count, const column_paint& look,
                                     const std::shared_ptr<const std::vector<int>>& shades,
                                     int underneath_count, const SurfaceNodes* surface)
{
    const bool thresholded = look.threshold > 0.0f || look.missing;
    const SoMFInt32* corners = surface && look.missing ? &surface->faceSet->coordIndex : nullptr;
    const coordinates_key key{values.get(), vertex_count, look.lower, look.upper, look.threshold,
                              thresholded ? shades.get() : nullptr,
                              thresholded ? underneath_count : 0, look.missing,
                              corners ? surface->faceSet->getNodeId() : 0};
    if (coordinatesShown && *coordinatesShown == key)
        return false;
    coordinatesShown = key;
    valuesShown = values;
    shadesShown = shades;
    static const std::vector<float> noValues;
    static const std::vector<int> noShades;
    paint_column_coordinates(nodes.coordinates, values ? *values : noValues, vertex_count, look,
                             shades ? *shades : noShades, underneath_count,
                             corners ? corners->getValues(0) : nullptr, corners ? corners->getNum() : 0);
    return true;
}

bool ColumnPainter::missing(const std::shared_ptr<const std::vector<float>>& values)
{
    if (values != missingOf) {
        missingOf = values;
        missingFound = values && has_missing_values(*values);
    }
    return missingFound;
}

void ColumnPainter::forget()
{
    textureShown.reset();
    coordinatesShown.reset();
    valuesShown.reset();
    shadesShown.reset();
}

void ColumnPainter::forgetCoordinates()
{
    coordinatesShown.reset();
    valuesShown.reset();
    shadesShown.reset();
}

bool ParcelPainter::paint(const ParcelNodes& nodes, const parcellation& parcels,
                          const SurfaceNodes& surface, const parcellation_state& state)
{
    // Whether it is shown, and from which file, is not the colours' business.
    parcellation_state look = state;
    look.path.clear();
    look.shown = true;
    if (shown && *shown == look)
        return false;
    shown = look;
    if (look.outline && !boundaryKnown) {
        boundary = parcel_boundary(parcels, surface);
        boundaryKnown = true;
    }
    const parcel_style style = parcel_style_of(parcels, look.hidden_regions, look.opacity, look.outline);
    set_parcel_colours(nodes, parcel_vertex_colours(parcels, style, boundary));
    return true;
}

}  // namespace gyroscene
