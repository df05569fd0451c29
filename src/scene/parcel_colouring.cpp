#include "parcel_colouring.h"

#include "objects.h"
#include "poly_neighs.h"

#include <algorithm>
#include <cmath>

namespace gyroscene {

std::vector<std::uint8_t> region_boundary_vertices(const parcellation& parcels,
                                                   const polygons_struct& surface)
{
    const std::vector<int>& region = parcels.vertex_regions;
    if (surface.n_points < 0 || region.size() != std::size_t(surface.n_points) ||
        !polygons_indices_are_valid(&surface))
        return {};
    std::vector<std::uint8_t> boundary(region.size(), 0);
    // Walking each polygon's edges once finds every neighbour pair that
    // create_polygon_point_neighbours lists, without building the lists.
    int start = 0;
    for (int item = 0; item < surface.n_items; ++item) {
        const int end = surface.end_indices[item];
        for (int k = start; k < end; ++k) {
            const int a = surface.indices[k];
            const int b = surface.indices[k + 1 < end ? k + 1 : start];
            if (region[std::size_t(a)] != region[std::size_t(b)]) {
                boundary[std::size_t(a)] = 1;
                boundary[std::size_t(b)] = 1;
            }
        }
        start = end;
    }
    return boundary;
}

std::vector<parcel_colour> parcel_vertex_colours(const parcellation& parcels,
                                                 const parcel_style& style,
                                                 const std::vector<std::uint8_t>& boundary)
{
    const float opacity = std::clamp(std::isfinite(style.opacity) ? style.opacity : 1.0f, 0.0f, 1.0f);
    // Each region's colour as drawn, once, so the loop over vertices only copies.
    std::vector<parcel_colour> drawn(parcels.regions.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        drawn[i] = parcels.regions[i].colour;
        const bool shown = i >= style.shown.size() || style.shown[i];
        drawn[i].a = std::uint8_t(std::lround(drawn[i].a * opacity));
        if (!shown)
            drawn[i] = {0, 0, 0, 0};
    }
    const std::size_t n = parcels.vertex_regions.size();
    std::vector<parcel_colour> colours(n, parcel_colour{0, 0, 0, 0});
    if (style.outline && boundary.size() != n)
        return colours; // no outline known for this surface: nothing to draw
    for (std::size_t v = 0; v < n; ++v) {
        const int r = parcels.vertex_regions[v];
        if (r < 0 || std::size_t(r) >= drawn.size() || (style.outline && boundary[v] == 0))
            continue;
        colours[v] = drawn[std::size_t(r)];
    }
    return colours;
}

parcel_colour blend_over(parcel_colour under, parcel_colour over)
{
    const int a = over.a;
    auto mix = [a](int u, int o) { return std::uint8_t((o * a + u * (255 - a) + 127) / 255); };
    return {mix(under.r, over.r), mix(under.g, over.g), mix(under.b, over.b), under.a};
}

const parcel_region* region_at(const parcellation& parcels, int vertex)
{
    if (vertex < 0 || std::size_t(vertex) >= parcels.vertex_regions.size())
        return nullptr;
    const int r = parcels.vertex_regions[std::size_t(vertex)];
    return r >= 0 && std::size_t(r) < parcels.regions.size() ? &parcels.regions[std::size_t(r)]
                                                              : nullptr;
}

}  // namespace gyroscene
