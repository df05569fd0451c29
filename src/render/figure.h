// Making one figure: its scene read and built, one panel rendered off
// screen per view (and per surface when they stand apart), the panels laid
// side by side, the legend drawn in, the PNG written. One FigureMaker serves
// a whole batch, so the GL context and the colour bars are made once.
#pragma once

#include "colour_bars.h"
#include "render_options.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class SoOffscreenRenderer;

namespace gyrorender {

class FigureMaker
{
public:
    FigureMaker();
    ~FigureMaker();
    FigureMaker(const FigureMaker&) = delete;
    FigureMaker& operator=(const FigureMaker&) = delete;

    // The image the options describe; null with a one-line `error` when an
    // input cannot be read or the GL rendering fails. `warnings` gets what
    // the viewer would warn about.
    QImage render(const FigureOptions& options, QString* error, QStringList* warnings);
    // Renders and writes the output file.
    bool make(const FigureOptions& options, QString* error, QStringList* warnings);

private:
    std::unique_ptr<SoOffscreenRenderer> offscreen;
    ColourBars bars;
};

}  // namespace gyrorender
