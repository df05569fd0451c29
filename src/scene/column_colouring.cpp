#include "column_colouring.h"

#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>

#include <QFile>

#include <cmath>
#include <cstdlib>

namespace gyroscene {

namespace {

}  // namespace

float texture_coordinate(float value, float lower, float upper)
{
    const float t = (value - lower) / (upper - lower);
    if (t < 0.0f)
        return below_range;
    if (t > 1.0f)
        return 1.0f;
    // NaN (a missing value, or a value equal to equal limits) has no place.
    if (!(t >= 0.0f))
        return below_range;
    return t;
}

value_range finite_range(const std::vector<float>& values)
{
    value_range range;
    bool first = true;
    for (float v : values) {
        if (!std::isfinite(v))
            continue;
        if (first) {
            range.lower = range.upper = v;
            first = false;
        } else if (v > range.upper) {
            range.upper = v;
        } else if (v < range.lower) {
            range.lower = v;
        }
    }
    return range;
}

column_nodes make_column_nodes()
{
    column_nodes nodes;
    nodes.group = new SoGroup;
    nodes.group->ref();

    nodes.complexity = new SoComplexity;
    nodes.complexity->textureQuality = 1.0f;
    nodes.group->addChild(nodes.complexity);

    nodes.texture = new SoTexture2;
    nodes.texture->wrapS = SoTexture2::CLAMP;
    nodes.texture->wrapT = SoTexture2::CLAMP;
    nodes.group->addChild(nodes.texture);

    nodes.coordinates = new SoTextureCoordinate2;
    nodes.group->addChild(nodes.coordinates);

    // Indexed per vertex with no indices of its own: coordinate i goes with
    // surface vertex i.
    nodes.binding = new SoTextureCoordinateBinding;
    nodes.binding->value = SoTextureCoordinateBinding::PER_VERTEX_INDEXED;
    nodes.group->addChild(nodes.binding);
    return nodes;
}

std::size_t size_texture_coordinates(SoTextureCoordinate2* coordinates, std::size_t value_count,
                                     int vertex_count)
{
    std::size_t total = value_count;
    if (vertex_count > 0 && static_cast<std::size_t>(vertex_count) > total)
        total = static_cast<std::size_t>(vertex_count);
    coordinates->point.setNum(static_cast<int>(total));
    return total;
}

void fill_texture_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                              int vertex_count, float lower, float upper)
{
    const std::size_t count = values.size();
    const std::size_t total = size_texture_coordinates(coordinates, count, vertex_count);
    if (total == 0)
        return;
    SbVec2f* points = coordinates->point.startEditing();
    for (std::size_t i = 0; i < count; ++i)
        points[i].setValue(0.5f, texture_coordinate(values[i], lower, upper));
    for (std::size_t i = count; i < total; ++i)
        points[i].setValue(0.5f, below_range);
    coordinates->point.finishEditing();
}

void set_bar_file(SoTexture2* texture, const QString& path)
{
    texture->filename.setValue(QFile::encodeName(path).constData());
}

}  // namespace gyroscene
