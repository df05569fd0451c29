// What one figure draws, as a scene: read from --scene when given, with
// every other option given laid over it by gyroscene::apply_figure_options
// (files add, settings replace, as in the viewer); built from the options
// alone otherwise.
#pragma once

#include "render_options.h"
#include "scene_state.h"
#include "subject_files.h"

#include <QSize>
#include <QStringList>

namespace gyrorender {

struct FigurePlan {
    gyroscene::scene_state scene;
    // Pixels per panel.
    QSize size;
    // One panel through the scene's own camera, as the viewer showed it.
    bool sceneCamera = false;
    // Columns without limits share one range over every coloured surface.
    bool sharedRange = true;
    // The subject's missing files, each named.
    QStringList warnings;
};

// False with a one-line `error` when the scene file cannot be read.
bool plan_figure(const FigureOptions& options, FigurePlan* plan, QString* error);

}  // namespace gyrorender
