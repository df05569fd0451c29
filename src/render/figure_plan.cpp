#include "figure_plan.h"

#include "scene_file.h"

namespace gyrorender {

std::vector<gyroscene::surface_state> subject_surfaces(const gyroscene::subject_files& files)
{
    std::vector<gyroscene::surface_state> surfaces;
    for (const gyroscene::hemisphere_files& hemisphere : files.hemispheres) {
        gyroscene::surface_state surface{hemisphere.surface};
        surface.hemisphere = hemisphere.side;
        if (!hemisphere.curv.isEmpty()) {
            surface.statistics.push_back(gyroscene::statistics_state{hemisphere.curv});
            surface.underlay_file = 0;
            surface.underlay_column = QStringLiteral("curv");
        }
        for (const QString& path : hemisphere.statistics) {
            if (surface.coloured_file < 0)
                surface.coloured_file = int(surface.statistics.size());
            surface.statistics.push_back(gyroscene::statistics_state{path});
        }
        for (const QString& path : hemisphere.labels)
            surface.parcellations.push_back(gyroscene::parcellation_state{path});
        surfaces.push_back(surface);
    }
    return surfaces;
}

void apply_figure_options(const FigureOptions& options, gyroscene::scene_state* scene,
                          QStringList* warnings)
{
    if (!options.surfaces.isEmpty() || !options.subject.isEmpty()) {
        scene->surfaces.clear();
        for (const QString& path : options.surfaces)
            scene->surfaces.push_back(gyroscene::surface_state{path});
        scene->pick = gyroscene::pick_state();
        scene->legend_surface = -1;
    }
    if (!options.subject.isEmpty()) {
        gyroscene::subject_files files;
        if (auto problem = gyroscene::resolve_subject(gyroscene::figure_subject(options), &files))
            files.missing.prepend(*problem);
        if (warnings)
            *warnings += files.missing;
        for (gyroscene::surface_state& surface : subject_surfaces(files)) {
            surface.coloured_column = options.column;
            scene->surfaces.push_back(surface);
        }
    }
    if (options.given.contains("--no-hemi-offset"))
        scene->hemisphere_offset = false;
    // The i-th statistics file colours the i-th surface, by --column (a name
    // or an index; the first column when not given).
    for (qsizetype i = 0; i < options.statistics.size() && std::size_t(i) < scene->surfaces.size();
         ++i) {
        gyroscene::surface_state& surface = scene->surfaces[std::size_t(i)];
        surface.statistics = {gyroscene::statistics_state{options.statistics.at(i)}};
        surface.coloured_file = 0;
        surface.coloured_column = options.column;
        surface.underlay_file = -1;
        surface.underlay_column.clear();
    }
    for (gyroscene::surface_state& surface : scene->surfaces) {
        if (options.given.contains("--colour") && options.colour)
            surface.colour = options.colour;
        if (options.given.contains("--opacity"))
            surface.opacity = options.opacity;
        if (surface.coloured_file < 0 ||
            std::size_t(surface.coloured_file) >= surface.statistics.size())
            continue;
        if (options.given.contains("--column"))
            surface.coloured_column = options.column;
        gyroscene::column_state& look =
            surface.statistics[std::size_t(surface.coloured_file)].look(surface.coloured_column);
        if (options.limits)
            look.limits = options.limits;
        if (options.given.contains("--colourbar"))
            look.colour_bar = options.colourBar;
        if (options.threshold)
            look.threshold = *options.threshold;
        if (!options.underlay.isEmpty()) {
            surface.underlay_file = surface.coloured_file;
            surface.underlay_column = options.underlay;
        }
    }
    if (!options.labels.isEmpty()) {
        for (gyroscene::surface_state& surface : scene->surfaces)
            surface.parcellations.clear();
        for (qsizetype i = 0; i < options.labels.size(); ++i)
            if (const int s = gyroscene::labels_surface(i, scene->surfaces.size()); s >= 0)
                scene->surfaces[std::size_t(s)].parcellations.push_back(
                    gyroscene::parcellation_state{options.labels.at(i)});
    }
    for (gyroscene::surface_state& surface : scene->surfaces)
        for (gyroscene::parcellation_state& parcels : surface.parcellations) {
            if (options.outline)
                parcels.outline = true;
            if (options.labelOpacity)
                parcels.opacity = *options.labelOpacity;
        }
    if (!options.tags.isEmpty()) {
        scene->tags.clear();
        for (const QString& path : options.tags)
            scene->tags.push_back(gyroscene::tags_state{path});
    }
    if (options.given.contains("--tag-radius"))
        for (gyroscene::tags_state& tags : scene->tags)
            tags.radius = options.tagRadius;
    if (options.given.contains("--background"))
        scene->background = options.background;
    if (options.legend)
        scene->legend = true;
}

bool plan_figure(const FigureOptions& options, FigurePlan* plan, QString* error)
{
    *plan = FigurePlan();
    plan->size = options.size;
    if (options.scene.isEmpty()) {
        // A figure of options alone: the legend only when asked for.
        plan->scene.legend = false;
        apply_figure_options(options, &plan->scene, &plan->warnings);
        if (plan->scene.surfaces.empty()) {
            // A subject whose surfaces are all missing.
            *error = QStringLiteral("no surface to draw: %1").arg(plan->warnings.join("; "));
            return false;
        }
        return true;
    }
    if (!gyroscene::read_scene_file(options.scene, &plan->scene, error))
        return false;
    // The scene's columns have the limits the viewer showed.
    plan->sharedRange = false;
    apply_figure_options(options, &plan->scene, &plan->warnings);
    if (!options.given.contains("--size") && !plan->scene.view_size.isEmpty())
        plan->size = plan->scene.view_size;
    // A view or projection asked for frames the surfaces anew.
    plan->sceneCamera = plan->scene.camera.has_value() && options.views.isEmpty() &&
                        !options.given.contains("--projection");
    return true;
}

}  // namespace gyrorender
