// How a column's look becomes its texture and texture coordinates, the one
// rule of the viewer's columns and the renderer: without a threshold, the
// bar's own file and coordinates along it; with one, the bar beside what
// shows underneath (the surface's colour or the underlay's greys), mipmaps
// off, and each vertex under the threshold pointed at its grey.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <vector>

class SoComplexity;
class SoTexture2;
class SoTextureCoordinate2;

namespace gyroscene {

struct column_paint {
    QString bar;  // the bar's image file
    float lower = 0.0f, upper = 1.0f;
    float threshold = 0.0f;  // 0 for none
    // Some values are not numbers: they show what is underneath, as values
    // under a threshold do, so the texture carries it even without one.
    bool missing = false;
};

// Whether any value is not a number.
bool has_missing_values(const std::vector<float>& values);

void paint_column_texture(SoComplexity* complexity, SoTexture2* texture, const column_paint& look,
                          const std::vector<QColor>& underneath);

// `shades` per vertex (empty: the one colour underneath), `underneath_count`
// the number of colours underneath. With the surface's face corners (-1
// after each face), a vertex without a value is placed by its neighbours.
void paint_column_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                              int vertex_count, const column_paint& look,
                              const std::vector<int>& shades, int underneath_count,
                              const std::int32_t* corners = nullptr, int corner_count = 0);

}  // namespace gyroscene
