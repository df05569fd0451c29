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
#include <vector>

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

    // Where the time of the last figure went, in milliseconds: reading and
    // building the scene, each panel, writing the file.
    struct Timings {
        double load = 0.0;
        std::vector<double> panels;
        double write = 0.0;
    };
    const Timings& lastTimings() const;

private:
    std::unique_ptr<SoOffscreenRenderer> offscreen;
    ColourBars bars;
    Timings timings;
};

}  // namespace gyrorender
