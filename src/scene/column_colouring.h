// How a statistics column colours a surface: each value becomes a texture
// coordinate along a colour bar, between two limits the user may reverse.
// Shared by the viewer's column rows and the batch renderer, so both draw the
// same picture from the same values.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

class SoComplexity;
class SoGroup;
class SoTexture2;
class SoTextureCoordinate2;
class SoTextureCoordinateBinding;

namespace gyroscene {

// Coin filters a texture anisotropically when its quality is above this
// limit, and a column asks for quality 1.0. A colour bar is only ever read
// along its length, so each pixel's footprint on it is a line, the most
// anisotropic there is: software GL then takes up to sixteen trilinear
// samples per pixel, three quarters of a frame, for colours that plain
// trilinear mipmapping gives within a level or two. Coin reads the limit
// when it makes its first texture.
// Programs set it to anisotropic_limit in main, before Coin starts, unless
// the user has set one; no library changes the environment.
inline constexpr char anisotropic_limit_variable[] = "COIN_TEX2_ANISOTROPIC_LIMIT";
inline constexpr char anisotropic_limit[] = "1.0";


// Where values below the lower limit, and values with no defined place on
// the bar, land: just inside the bar's bottom end.
constexpr float below_range = 0.01f;

// The coordinate along the bar that `value` gets between the limits: the
// fraction of the way from lower to upper (so reversed limits turn the bar
// over), below_range below the range and for anything undefined, 1.0 above.
float texture_coordinate(float value, float lower, float upper);

// The smallest and largest finite values; both 0 when there are none. A
// missing value (NaN) or an infinity would otherwise become a limit and leave
// no value a place on the bar.
struct value_range {
    float lower = 0.0f;
    float upper = 0.0f;
};
value_range finite_range(const std::vector<float>& values);

// The texture nodes of one column, in the order they stand in its group:
// complexity, texture, coordinates, binding. The group carries one reference,
// which the caller owns; the others belong to the group.
struct column_nodes {
    SoGroup* group = nullptr;
    SoComplexity* complexity = nullptr;
    SoTexture2* texture = nullptr;
    SoTextureCoordinate2* coordinates = nullptr;
    SoTextureCoordinateBinding* binding = nullptr;
};
column_nodes make_column_nodes();

// Writes one coordinate per vertex: (0.5, t) for each value, and the
// below-range coordinate for vertices beyond the values, so that Coin finds
// a coordinate for every vertex of a surface with `vertex_count` points
// (negative when unknown: one per value). One edit of the whole field, so a
// single notification rather than one per vertex.
// Sizes `coordinates` for `value_count` values on a surface of `vertex_count`
// points (the larger; negative when unknown) and returns that size.
std::size_t size_texture_coordinates(SoTextureCoordinate2* coordinates, std::size_t value_count,
                                     int vertex_count);

void fill_texture_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                              int vertex_count, float lower, float upper);

// Points the texture at a colour-bar image file; Coin reads it from there.
void set_bar_file(SoTexture2* texture, const QString& path);

}  // namespace gyroscene
