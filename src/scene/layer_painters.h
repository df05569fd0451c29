// Keeps each layer's Coin nodes at the look the user asked for, changing
// only what the look changed: the surface's material (its colour, its
// opacity, the underlay's greys when no column colours it), a column's
// texture and coordinates, a parcellation's colours. The viewer's rows and
// the surface builder both paint through these, so one rule each decides
// what a look becomes and when nodes are touched.
#pragma once

#include "column_colouring.h"
#include "column_paint.h"
#include "parcel_nodes.h"
#include "scene_state.h"
#include "surface_nodes.h"

#include <Inventor/SbBasic.h>

#include <QColor>

#include <memory>
#include <optional>
#include <vector>

namespace gyroscene {

// The surface's own material and the underlay's shade per vertex, made
// again only for another underlay column or another number of shades.
class SurfacePainter
{
public:
    // True when the material changed. `underlay` null for none.
    bool paint(const SurfaceNodes& nodes, const QColor& colour, float opacity, bool column_shown,
               const std::shared_ptr<const std::vector<float>>& underlay, int shade_count);

    // Each vertex's shade; null without an underlay. A new pointer each time
    // the shades are made again.
    const std::shared_ptr<const std::vector<int>>& shades() const { return shadeOfVertex; }
    // What a thresholded column shows underneath: the underlay's greys, or
    // the surface's own colour.
    std::vector<QColor> underneath(const QColor& colour) const;

private:
    std::shared_ptr<const std::vector<float>> shadesOf;
    int shadesCount = 0;
    std::shared_ptr<const std::vector<int>> shadeOfVertex;
    struct material_key {
        QColor colour;
        bool column = false;
        const std::vector<int>* shades = nullptr;
        int count = 0;
        int vertices = 0;
        bool operator==(const material_key&) const = default;
    };
    std::optional<material_key> materialShown;
    std::optional<float> opacityShown;
};

// A column's texture and coordinates: the texture made again only for
// another bar, threshold band or colours underneath (a bar without a
// threshold does not depend on the limits), the coordinates only for other
// values, limits, threshold or shades.
class ColumnPainter
{
public:
    bool paintTexture(const column_nodes& nodes, const column_paint& look,
                      const std::vector<QColor>& underneath);
    // `surface` gives the face corners that place vertices without a value.
    bool paintCoordinates(const column_nodes& nodes,
                          const std::shared_ptr<const std::vector<float>>& values, int vertex_count,
                          const column_paint& look, const std::shared_ptr<const std::vector<int>>& shades,
                          int underneath_count, const SurfaceNodes* surface = nullptr);
    // Whether the values hold any that is not a number, found once per array.
    bool missing(const std::shared_ptr<const std::vector<float>>& values);
    // The next paint draws whatever it is given.
    void forget();
    // The coordinates were emptied behind the painter's back.
    void forgetCoordinates();

private:
    struct texture_key {
        QString bar;
        float lower = 0.0f, upper = 0.0f, threshold = 0.0f;
        bool missing = false;
        std::vector<QColor> underneath;
        bool operator==(const texture_key&) const = default;
    };
    struct coordinates_key {
        const std::vector<float>* values = nullptr;
        int vertices = 0;
        float lower = 0.0f, upper = 0.0f, threshold = 0.0f;
        const std::vector<int>* shades = nullptr;
        int underneath = 0;
        bool missing = false;
        SbUniqueId faces = 0;
        bool operator==(const coordinates_key&) const = default;
    };
    std::optional<texture_key> textureShown;
    std::optional<coordinates_key> coordinatesShown;
    // Held so that the keys' addresses cannot be reused by other arrays.
    std::shared_ptr<const std::vector<float>> valuesShown;
    std::shared_ptr<const std::vector<int>> shadesShown;
    std::shared_ptr<const std::vector<float>> missingOf;
    bool missingFound = false;
};

// A parcellation's colours at its record's style; its boundary found once,
// when the outline is first asked for.
class ParcelPainter
{
public:
    bool paint(const ParcelNodes& nodes, const parcellation& parcels, const SurfaceNodes& surface,
               const parcellation_state& state);

private:
    std::optional<parcellation_state> shown;
    bool boundaryKnown = false;
    std::vector<std::uint8_t> boundary;
};

}  // namespace gyroscene
