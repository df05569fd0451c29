// The colour-bar legend drawn over a view: the bar of the column shown, its
// two limits as numbers, the column's name, and the threshold when one is
// set. Drawn as one image in a corner of the viewport by nodes that follow
// the scene, so it is part of every frame (screenshots, the batch renderer).
#pragma once

#include <Inventor/SbVec2s.h>

#include <QColor>
#include <QImage>
#include <QString>

class SoSeparator;

namespace gyroscene {

struct legend_content {
    // The colour-bar image as the column uses it: its top row is the colour
    // of the upper limit, its bottom row that of the lower limit.
    QImage bar;
    float lower = 0.0f;
    float upper = 0.0f;
    QString name;
    // Values with |v| below it show the surface instead of a colour; 0 for none.
    float threshold = 0.0f;
    // What the thresholded part of the bar shows: the surface's colour, or
    // the underlay's middle grey.
    QColor underneath = QColor(204, 204, 204);
};

// Pixels between the legend and the viewport's edges.
constexpr int legend_margin = 12;

// Where the bar lies inside legend_image's image, in its pixels (top left
// origin), for anyone who needs to find its colours again.
struct legend_layout {
    int width = 0;
    int height = 0;
    int bar_left = 0;
    int bar_top = 0;
    int bar_width = 0;
    int bar_height = 0;
};
legend_layout layout_legend(const legend_content& content);

// The whole legend as an opaque image, larger value on top: with reversed
// limits the bar is turned over, so each number stays beside its colour.
// At `scale` times that size (1 to 16) for pictures drawn larger than the
// view, its layout's numbers times `scale`.
QImage legend_image(const legend_content& content, int scale = 1);

// Nodes that draw legend_image in the bottom right corner of a viewport of
// `viewport` pixels, over whatever was drawn before them and whatever camera
// that used. The separator carries one reference, which the caller owns.
SoSeparator* make_legend(const legend_content& content, SbVec2s viewport, int scale = 1);
// Moves a legend made by make_legend to the corner of a viewport of another size.
void place_legend(SoSeparator* legend, SbVec2s viewport);

}  // namespace gyroscene
