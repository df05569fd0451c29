// What one figure draws, as a scene: read from --scene when given, with
// every other option given laid over it; built from the options alone
// otherwise. The viewer's command line lays the same options over its files.
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

// The options' figure settings laid over `scene`: surfaces, statistics and
// landmarks when given, the looks of every coloured column, colours,
// opacity, background and legend. A subject's surfaces follow the
// surfaces given, its missing files named in `warnings` when not null.
void apply_figure_options(const FigureOptions& options, gyroscene::scene_state* scene,
                          QStringList* warnings = nullptr);
// A subject's hemispheres as surfaces: statistics curv first (the
// underlay) then the overlays, the first overlay colouring; the side set.
std::vector<gyroscene::surface_state> subject_surfaces(const gyroscene::subject_files& files);

}  // namespace gyrorender
