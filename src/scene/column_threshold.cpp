#include "column_threshold.h"

#include <Inventor/nodes/SoComplexity.h>
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

int bar_region(int regions)
{
    return std::max(regions - 1, 1) / 2;
}

int shade_region(int shade, int regions)
{
    const int shades = std::max(regions - 1, 1);
    const int k = std::clamp(shade, 0, shades - 1);
    return k < bar_region(regions) ? k : k + 1;
}

namespace {

// Rows counted from the texture's bottom, as its coordinate t runs.
float row_centre(int row)
{
    return (float(row) + 0.5f) / float(textureHeight);
}

// The fraction of the way from lower to upper, held to the bar's ends.
float bar_fraction(float value, float lower, float upper)
{
    const float t = (value - lower) / (upper - lower);
    return std::isfinite(t) ? std::clamp(t, 0.0f, 1.0f) : 0.0f;
}

struct row_band {
    int first = 0;
    int last = -1;
};

// The rows where the bar's values lie below the threshold. A row beside its
// edge is left to the bar, so that a vertex on the threshold samples no grey;
// a band too narrow for a row of its own gets the row nearest its middle.
row_band band_rows(float lower, float upper, float threshold)
{
    float a = bar_fraction(-threshold, lower, upper);
    float b = bar_fraction(threshold, lower, upper);
    if (a > b)
        std::swap(a, b);
    const float texel = 1.0f / float(textureHeight);
    row_band band;
    band.first = int(std::ceil((a + texel) * textureHeight - 0.5f));
    band.last = int(std::floor((b - texel) * textureHeight - 0.5f));
    // Where the band runs past the bar's bottom end (not merely to it, where
    // a vertex on the threshold sits) no value crosses the threshold there: the band takes the bottom rows too, so that a texture
    // scaled or filtered down mixes no bar colour into the greys.
    const float below = std::min((-threshold - lower) / (upper - lower),
                                 (threshold - lower) / (upper - lower));
    if (below < 0.0f)
        band.first = 0;
    band.first = std::max(band.first, 0);
    band.last = std::min(band.last, textureHeight - 1);
    if (band.first > band.last) {
        const int middle = std::clamp(int((a + b) / 2 * textureHeight), 0, textureHeight - 1);
        band.first = band.last = middle;
    }
    return band;
}

// Rows the below-range coordinate samples: the bar's own colour stays there.
bool below_range_row(int row)
{
    const float texels = below_range * float(textureHeight) - 0.5f;
    return row == int(std::floor(texels)) || row == int(std::floor(texels)) + 1;
}

}  // namespace

QImage threshold_texture(const QImage& bar, const std::vector<QColor>& underneath, float lower,
                         float upper, float threshold)
{
    const std::vector<QColor> greys =
        underneath.empty() ? std::vector<QColor>{QColor(Qt::white)} : underneath;
    const int regions = 1 + int(greys.size());
    const int barRegion = bar_region(regions);
    QImage texture(regions * regionWidth, textureHeight, QImage::Format_RGB32);
    texture.fill(greys.front());

    // Every region carries the bar outside the band, so that between a
    // coloured vertex and a grey one the colour ends where the values cross
    // the threshold, whichever regions lie between.
    if (!bar.isNull()) {
        const QImage middle = bar.copy(bar.width() / 2, 0, 1, bar.height())
                                  .scaled(regionWidth, textureHeight, Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < textureHeight; ++y)
            for (int r = 0; r < regions; ++r)
                std::memcpy(texture.scanLine(y) + std::size_t(r) * regionWidth * 4,
                            middle.constScanLine(y), regionWidth * 4);
    }

    // Inside the band each region shows its grey. The bar's region sits
    // between the two middle greys: its left half the one, its right half
    // the other, and a narrow middle (where coloured vertices sample) their
    // mean, so two greys meeting across it show no colour.
    const QColor left = greys[std::max(barRegion - 1, 0)];
    const QColor right = greys[std::min<std::size_t>(barRegion, greys.size() - 1)];
    const QColor mean((left.red() + right.red()) / 2, (left.green() + right.green()) / 2,
                      (left.blue() + right.blue()) / 2);
    constexpr int middleHalf = 2;
    if (threshold <= 0.0f) {
        // Only values that are not numbers show what is underneath: their
        // regions are all grey, and no value of the bar's reaches them.
        for (int y = 0; y < textureHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(texture.scanLine(y));
            for (int r = 0; r < regions; ++r)
                if (r != barRegion)
                    std::fill(line + r * regionWidth, line + (r + 1) * regionWidth,
                              greys[r < barRegion ? r : r - 1].rgb());
        }
        return texture;
    }
    const row_band band = band_rows(lower, upper, threshold);
    for (int row = band.first; row <= band.last; ++row) {
        auto* line = reinterpret_cast<QRgb*>(texture.scanLine(textureHeight - 1 - row));
        for (int r = 0; r < regions; ++r) {
            QRgb* region = line + r * regionWidth;
            if (r != barRegion) {
                std::fill(region, region + regionWidth, greys[r < barRegion ? r : r - 1].rgb());
                continue;
            }
            const int centre = regionWidth / 2;
            std::fill(region, region + centre - middleHalf, left.rgb());
            std::fill(region + centre + middleHalf, region + regionWidth, right.rgb());
            if (!below_range_row(row))
                std::fill(region + centre - middleHalf, region + centre + middleHalf, mean.rgb());
        }
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
    const float bar = region_coordinate(bar_region(regions), regions);
    const row_band band = threshold > 0.0f ? band_rows(lower, upper, threshold) : row_band{0, textureHeight - 1};
    const float bandLow = row_centre(band.first), bandHigh = row_centre(band.last);
    SbVec2f* points = coordinates->point.startEditing();
    for (std::size_t i = 0; i < count; ++i) {
        if (std::isnan(values[i])) {
            // No value: what is underneath, in the band's middle until its
            // neighbours place it (place_missing_values).
            const int shade = i < shades.size() ? shades[i] : 0;
            points[i].setValue(region_coordinate(shade_region(shade, regions), regions),
                               (bandLow + bandHigh) / 2);
            continue;
        }
        if (!below_threshold(values[i], threshold)) {
            points[i].setValue(bar, texture_coordinate(values[i], lower, upper));
            continue;
        }
        const int shade = i < shades.size() ? shades[i] : 0;
        const float t = std::clamp(bar_fraction(values[i], lower, upper), bandLow, bandHigh);
        points[i].setValue(region_coordinate(shade_region(shade, regions), regions), t);
    }
    for (std::size_t i = count; i < total; ++i)
        points[i].setValue(bar, below_range);
    coordinates->point.finishEditing();
}

void place_missing_values(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                          const std::int32_t* corners, int corner_count, float lower, float upper,
                          float threshold)
{
    const int n = std::min(coordinates->point.getNum(), int(values.size()));
    std::vector<float> sum(std::size_t(n), 0.0f);
    std::vector<int> count(std::size_t(n), 0);
    const SbVec2f* points = coordinates->point.getValues(0);
    bool any = false;
    for (int start = 0; start < corner_count;) {
        int end = start;
        while (end < corner_count && corners[end] >= 0)
            ++end;
        for (int a = start; a < end; ++a)
            for (int b = start; b < end; ++b) {
                const int i = corners[a], j = corners[b];
                if (i >= n || j >= n || !std::isnan(values[std::size_t(i)]) ||
                    std::isnan(values[std::size_t(j)]))
                    continue;
                sum[std::size_t(i)] += points[j][1];
                ++count[std::size_t(i)];
                any = true;
            }
        start = end + 1;
    }
    if (!any)
        return;
    const row_band band = threshold > 0.0f ? band_rows(lower, upper, threshold) : row_band{0, textureHeight - 1};
    const float bandLow = row_centre(band.first), bandHigh = row_centre(band.last);
    SbVec2f* edit = coordinates->point.startEditing();
    for (int i = 0; i < n; ++i)
        if (count[std::size_t(i)] > 0)
            edit[i][1] = std::clamp(sum[std::size_t(i)] / float(count[std::size_t(i)]), bandLow, bandHigh);
    coordinates->point.finishEditing();
}

void set_texture_filtering(SoComplexity* complexity, bool thresholded)
{
    // Coin mipmaps from a quality of one half up; below it, linear only.
    complexity->textureQuality = thresholded ? 0.4f : 1.0f;
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
