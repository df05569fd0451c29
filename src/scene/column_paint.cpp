#include "column_paint.h"

#include "column_colouring.h"
#include "column_threshold.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace gyroscene {

void paint_column_texture(SoComplexity* complexity, SoTexture2* texture, const column_paint& look,
                          const std::vector<QColor>& underneath)
{
    const bool thresholded = look.threshold > 0.0f || look.missing;
    set_texture_filtering(complexity, thresholded);
    if (!thresholded) {
        set_bar_file(texture, look.bar);
        return;
    }
    set_texture_image(texture, threshold_texture(QImage(look.bar), underneath, look.lower, look.upper,
                                                 look.threshold));
}

void paint_column_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                              int vertex_count, const column_paint& look,
                              const std::vector<int>& shades, int underneath_count,
                              const std::int32_t* corners, int corner_count)
{
    if (look.threshold <= 0.0f && !look.missing) {
        fill_texture_coordinates(coordinates, values, vertex_count, look.lower, look.upper);
        return;
    }
    fill_threshold_coordinates(coordinates, values, vertex_count, look.lower, look.upper,
                               look.threshold, shades, 1 + underneath_count);
    if (look.missing && corners)
        place_missing_values(coordinates, values, corners, corner_count, look.lower, look.upper,
                             look.threshold);
}

bool has_missing_values(const std::vector<float>& values)
{
    return std::any_of(values.begin(), values.end(), [](float v) { return std::isnan(v); });
}

}  // namespace gyroscene
