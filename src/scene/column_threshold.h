// A threshold on a column: vertices whose value lies closer to zero than it
// show what is underneath instead of a colour, either the plain surface or an
// underlay (another column, in a few shades of grey). Both are regions of one
// texture beside the colour bar, chosen per vertex by the texture
// coordinate's s, so the surface keeps its nodes and draws as before.
#pragma once

#include "column_colouring.h"

#include <QColor>
#include <QImage>

#include <cstdint>
#include <vector>

class SoComplexity;
class SoMaterial;
class SoMaterialBinding;
class SoTexture2;
class SoTextureCoordinate2;

namespace gyroscene {

// Whether v shows what is underneath: |v| below a positive threshold. A
// value that is not a number is never below it (it keeps its own rule).
bool below_threshold(float value, float threshold);

// The limits made symmetric about zero, -m to +m with m the larger absolute
// limit; reversed limits stay reversed.
value_range symmetric_limits(float lower, float upper);

// Shades of grey from light to dark, at least two.
std::vector<QColor> underlay_greys(int count);
// Which of `count` shades a value of the underlay gets: equal steps over the
// finite range, except that two shades split at zero when the values have
// both signs (curvature and sulcal depth: one shade each side). -1 for a
// value that is not a number (it then shows the plain underlay's first shade).
std::vector<int> underlay_shades(const std::vector<float>& values, int count);

// A surface no column colours shows its underlay alone: each vertex in its
// shade's grey (a vertex without a shade, or beyond `shades`, in the first).
// Empty `shades` puts back one colour for the whole surface.
void set_underlay_material(SoMaterial* material, SoMaterialBinding* binding,
                           const std::vector<int>& shades, int count, int vertex_count,
                           const QColor& plain);

// The regions of a thresholded texture, side by side: one per colour of what
// is underneath, with the bar's between the middle two, so that no grey lies
// between the bar and either of the two an underlay mostly has.
int bar_region(int regions);
// The region of underlay shade `shade` (held to the shades there are).
int shade_region(int shade, int regions);

// The texture of a thresholded column: every region shows the bar's middle
// column except along the rows of values below the threshold (for these
// limits), where it shows its own colour of what is underneath. Without a
// threshold (a column with values that are not numbers) the regions of
// what is underneath are theirs in every row.
QImage threshold_texture(const QImage& bar, const std::vector<QColor>& underneath, float lower,
                         float upper, float threshold);
// The s coordinate of the middle of region `region` of `regions`.
float region_coordinate(int region, int regions);

// Like fill_texture_coordinates, with vertices below the threshold, and
// values that are not numbers, pointed
// at the region of what is underneath them (the single one when `shades` is
// empty, else that of shades[i]; vertices without a shade take the first)
// and at the band's row nearest their value. `regions` counts the bar's too.
void fill_threshold_coordinates(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                                int vertex_count, float lower, float upper, float threshold,
                                const std::vector<int>& shades, int regions);

// A vertex without a value (NaN) takes the mean row of its neighbours that
// have one, held to the band, so that the colour fades straight into what is
// underneath along its border with no other colour between. `corners` as a
// face set's coordinate indices, -1 after each face.
void place_missing_values(SoTextureCoordinate2* coordinates, const std::vector<float>& values,
                          const std::int32_t* corners, int corner_count, float lower, float upper,
                          float threshold);

// Filtering for a column's texture: a thresholded one without mipmaps, whose
// coarser levels would mix the band's greys with the bar's colours where a
// triangle spans regions within a pixel.
void set_texture_filtering(SoComplexity* complexity, bool thresholded);

// Gives the texture an image of our own instead of a file.
void set_texture_image(SoTexture2* texture, const QImage& image);

}  // namespace gyroscene
