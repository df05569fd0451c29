// The figure options laid over a scene, by one rule for both programs:
// files add, settings replace. Surfaces, a subject's hemispheres, --stats,
// --labels and --tags are added to what a scene file (or the viewer's own
// files) opened; the look options (--column, --limits, --colourbar,
// --threshold, --underlay, --colour, --opacity, --outline, --label-opacity,
// --tag-radius, --background, --legend, --no-hemi-offset) replace what the
// scene says. --stats and --labels go to the surfaces the command line
// names (its surfaces, then the subject's hemispheres), or to the scene's
// surfaces when it names none; so do the per-surface looks.
#pragma once

#include "figure_options.h"
#include "scene_state.h"
#include "subject_files.h"

#include <QStringList>

#include <vector>

namespace gyroscene {

// A subject's hemispheres as surfaces: statistics curv first (the underlay)
// then the overlays, the first overlay colouring; the side set.
std::vector<surface_state> subject_surfaces(const subject_files& files);

// Appends the surfaces the options name, then the subject's hemispheres
// (its missing files named in `warnings` when not null), and gives their
// indices in `scene->surfaces`.
std::vector<int> add_figure_surfaces(const FigureOptions& options, scene_state* scene,
                                     QStringList* warnings);

// The rule above, for surfaces already in `scene`; `named` are the indices
// of those the command line named. What has no surface to go on is named
// in `warnings`.
void apply_figure_options(const FigureOptions& options, scene_state* scene,
                          const std::vector<int>& named, QStringList* warnings);

// Both steps: the renderer's whole command line.
void apply_figure_options(const FigureOptions& options, scene_state* scene,
                          QStringList* warnings = nullptr);

}  // namespace gyroscene
