#include "parcellation.h"

#include <algorithm>
#include <cmath>

std::vector<int> region_vertex_counts(const parcellation &parcels, int *unknown)
{
    std::vector<int> counts(parcels.regions.size(), 0);
    int none = 0;
    for (int r : parcels.vertex_regions) {
        if (r >= 0 && std::size_t(r) < counts.size())
            ++counts[std::size_t(r)];
        else
            ++none;
    }
    if (unknown != nullptr)
        *unknown = none;
    return counts;
}

parcel_colour distinct_parcel_colour(int i)
{
    // Hues a golden angle apart come close again only after a Fibonacci
    // number of steps (8, 13, 21, 34, 55, 89), none a multiple of six: six
    // lightness and saturation pairs in turn keep those apart.
    static const double values[6] = {0.95, 0.7, 0.9, 0.55, 0.8, 0.65},
                        saturations[6] = {0.8, 0.9, 0.45, 0.6, 0.6, 0.45};
    const double hue = std::fmod(0.11 + 0.6180339887498949 * i, 1.0) * 6.0;
    const double value = values[i % 6], saturation = saturations[i % 6];
    const int sector = int(hue) % 6;
    const double f = hue - std::floor(hue);
    const double p = value * (1 - saturation), q = value * (1 - saturation * f),
                 t = value * (1 - saturation * (1 - f));
    double r = value, g = t, b = p;
    switch (sector) {
    case 1: r = q; g = value; b = p; break;
    case 2: r = p; g = value; b = t; break;
    case 3: r = p; g = q; b = value; break;
    case 4: r = t; g = p; b = value; break;
    case 5: r = value; g = p; b = q; break;
    default: break;
    }
    auto byte = [](double x) { return std::uint8_t(std::clamp(std::lround(x * 255.0), 0L, 255L)); };
    return {byte(r), byte(g), byte(b), 255};
}
