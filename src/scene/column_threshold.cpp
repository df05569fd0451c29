#include "column_threshold.h"

#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gyroscene {

namespace {

// Texels across each region and down the whole texture. Mipmapping averages
// neighbouring regions only once a pixel covers a quarter of the bar.
constexpr int regionWidth = 64;
constexpr int textureHeight = 256;

}  // namespace

bool below_threshold(float value, float threshold)
{
    return threshold > 0.0f && std::fabs(value) < threshold;
}

value_range symmetric_limits(float lower, float upper)
{
    const float m = std::max(std::fabs(lower), std::fabs(upper));
    value_range range;
    range.lower = lower > upper ? m : -m;
    range.upper = lower > upper ? -m : m;
    return range;
}

std::vector<QColor> underlay_greys(int count)
{
    count = std::max(count, 2);
    std::vector<QColor> greys;
    for (int k = 0; k < count; ++k) {
        const int level = int(std::lround(200.0 - 110.0 * k / (count - 1)));
        greys.emplace_back(level, level, level);
    }
    return greys;
}

std::vector<int> underlay_shades(const std::vector<float>& values, int count)
{
    count = std::max(count, 2);
    const value_range range = finite_range(values);
    const bool bySign = count == 2 && range.lower < 0.0f && range.upper > 0.0f;
    std::vector<int> shades(values.size(), -1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float v = values[i];
        if (!std::isfinite(v))
            continue;
        if (bySign) {
            shades[i] = v > 0.0f ? 1 : 0;
            continue;
        }
        const float span = range.upper - range.lower;
        const int k = span > 0.0f ? int((v - range.lower) / span * count) : 0;
        shades[i] = std::clamp(k, 0, count - 1);
    }
    return shades;
}

void set_underlay_material(SoMaterial* material, SoMaterialBinding* binding,
                           const std::vector<int>& shades, int count, int vertex_count,
                           const QColor& plain)
{
    if (shades.empty() || vertex_count <= 0) {
        material->diffuseColor.setValue(float(plain.redF()), float(plain.greenF()),
                                        float(plain.blueF()));
        binding->value = SoMaterialBinding::OVERALL;
        return;
    }
    const std::vector<QColor> greys = underlay_greys(count);
    material->diffuseColor.setNum(vertex_count);
    SbColor* colours = material->diffuseColor.startEditing();
    for (int i = 0; i < vertex_count; ++i) {
        const int shade = std::size_t(i) < shades.size() ? shades[std::size_t(i)] : 0;
        const QColor& grey = greys[std::size_t(std::clamp(shade, 0, int(greys.size()) - 1))];
        colours[i].setValue(float(grey.redF()), float(grey.greenF()), float(grey.blueF()));
    }
    material->diffuseColor.finishEditing();
    // The face set's coordinate indices pick each vertex's colour.
    binding->value = SoMaterialBinding::PER_VERTEX_INDEXED;
}

QImage threshold_texture(const QImage& bar, const std::vector<QColor>& underneath)
{
    const int regions = 1 + int(std::max<std::size_t>(underneath.size(), 1));
    QImage texture(regions * regionWidth, textureHeight, QImage::Format_RGB32);
    texture.fill(underneath.empty() ? QColor(Qt::white) : underneath.front());
    if (!bar.isNull()) {
        const QImage middle = bar.copy(bar.width() / 2, 0, 1, bar.height())
                                  .scaled(regionWidth, textureHeight, Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < textureHeight; ++y)
            std::memcpy(texture.scanLine(y), middle.constScanLine(y), regionWidth * 4);
    }
    for (std::size_t k = 0; k < underneath.size(); ++k)
        for (int y = 0; y < textureHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(texture.scanLine(y));
            std::fill(row + (k + 1) * regionWidth, row + (k + 2) * regionWidth,
                      underneath[k].rgb());
        }
    return texture;
}

float region_coordinate(int region, int regions)
{
    return (float(region) + 0.5f) / float(std::max(regions, 1));
}

void fill_threshold_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                                int vertex_count, float lower, float upper, float threshold,
                                const std::vector<int>& shades, int regions)
{
    const std::size_t count = values.size();
    const std::size_t total = size_texture_coordinates(coordinates, count, vertex_count);
    if (total == 0)
        return;
    const float bar = region_coordinate(0, regions);
    SbVec2f* points = coordinates->point.startEditing();
    for (std::size_t i = 0; i < count; ++i) {
        float s = bar;
        if (below_threshold(values[i], threshold)) {
            int region = 1;
            if (i < shades.size() && shades[i] > 0)
                region = 1 + std::min(shades[i], regions - 2);
            s = region_coordinate(region, regions);
        }
        points[i].setValue(s, texture_coordinate(values[i], lower, upper));
    }
    for (std::size_t i = count; i < total; ++i)
        points[i].setValue(bar, below_range);
    coordinates->point.finishEditing();
}

void set_texture_image(SoTexture2* texture, const QImage& image)
{
    // Coin's images run bottom row first.
    const QImage rows = image.convertToFormat(QImage::Format_RGBA8888).mirrored(false, true);
    const SbVec2s size(short(rows.width()), short(rows.height()));
    texture->image.setValue(size, 4, nullptr);
    SbVec2s ignored;
    int components = 0;
    unsigned char* pixels = texture->image.startEditing(ignored, components);
    for (int y = 0; y < rows.height(); ++y)
        std::memcpy(pixels + std::size_t(y) * rows.width() * 4, rows.constScanLine(y),
                    std::size_t(rows.width()) * 4);
    texture->image.finishEditing();
}

}  // namespace gyroscene
