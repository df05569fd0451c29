#include "figure_plan.h"

#include "figure_apply.h"
#include "figure_options.h"
#include "scene_file.h"

namespace gyrorender {

bool plan_figure(const FigureOptions& options, FigurePlan* plan, QString* error)
{
    *plan = FigurePlan();
    plan->size = options.size;
    if (options.scene.isEmpty()) {
        // A figure of options alone: the legend only when asked for.
        plan->scene.legend = false;
        gyroscene::apply_figure_options(options, &plan->scene, &plan->warnings);
        if (plan->scene.surfaces.empty()) {
            // A subject whose surfaces are all missing.
            *error = QStringLiteral("no surface to draw: %1").arg(plan->warnings.join("; "));
            return false;
        }
        return true;
    }
    if (!gyroscene::read_scene_file(options.scene, &plan->scene, error, options.maxSceneFiles))
        return false;
    // The scene's columns have the limits the viewer showed.
    plan->sharedRange = false;
    gyroscene::apply_figure_options(options, &plan->scene, &plan->warnings);
    if (!options.given.contains("--size") && !plan->scene.view_size.isEmpty()) {
        const QSize view = plan->scene.view_size;
        if (view.width() > gyroscene::max_panel_side || view.height() > gyroscene::max_panel_side) {
            *error = QStringLiteral("%1: the view of %2 x %3 is larger than the %4 pixels a side a "
                                    "figure may have; give --size")
                         .arg(options.scene)
                         .arg(view.width())
                         .arg(view.height())
                         .arg(gyroscene::max_panel_side);
            return false;
        }
        plan->size = view;
    }
    // A view or projection asked for frames the surfaces anew.
    plan->sceneCamera = plan->scene.camera.has_value() && options.views.isEmpty() &&
                        !options.given.contains("--projection");
    return true;
}

}  // namespace gyrorender
