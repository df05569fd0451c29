#include "figure_apply.h"

namespace gyroscene {

std::vector<surface_state> subject_surfaces(const subject_files& files)
{
    std::vector<surface_state> surfaces;
    for (const hemisphere_files& hemisphere : files.hemispheres) {
        surface_state surface{hemisphere.surface};
        surface.hemisphere = hemisphere.side;
        if (!hemisphere.curv.isEmpty()) {
            surface.statistics.push_back(statistics_state{hemisphere.curv});
            surface.underlay_file = 0;
            surface.underlay_column = QStringLiteral("curv");
        }
        for (const QString& path : hemisphere.statistics) {
            if (surface.coloured_file < 0)
                surface.coloured_file = int(surface.statistics.size());
            surface.statistics.push_back(statistics_state{path});
        }
        for (const QString& path : hemisphere.labels)
            surface.parcellations.push_back(parcellation_state{path});
        surfaces.push_back(surface);
    }
    return surfaces;
}

std::vector<int> add_figure_surfaces(const FigureOptions& options, scene_state* scene,
                                     QStringList* warnings)
{
    std::vector<int> named;
    for (const QString& path : options.surfaces) {
        named.push_back(int(scene->surfaces.size()));
        scene->surfaces.push_back(surface_state{path});
    }
    if (!options.subject.isEmpty()) {
        subject_files files;
        if (auto problem = resolve_subject(figure_subject(options), &files))
            files.missing.prepend(*problem);
        if (warnings)
            *warnings += files.missing;
        for (const surface_state& surface : subject_surfaces(files)) {
            named.push_back(int(scene->surfaces.size()));
            scene->surfaces.push_back(surface);
        }
    }
    return named;
}

namespace {

void warn(QStringList* warnings, const QString& text)
{
    if (warnings)
        warnings->append(text);
}

void applySurfaceLooks(const FigureOptions& options, surface_state* surface)
{
    if (options.given.contains("--colour") && options.colour)
        surface->colour = options.colour;
    if (options.given.contains("--opacity"))
        surface->opacity = options.opacity;
    if (surface->coloured_file < 0 ||
        std::size_t(surface->coloured_file) >= surface->statistics.size())
        return;
    if (options.given.contains("--column"))
        surface->coloured_column = options.column;
    column_state& look =
        surface->statistics[std::size_t(surface->coloured_file)].look(surface->coloured_column);
    if (options.limits)
        look.limits = options.limits;
    if (options.given.contains("--colourbar"))
        look.colour_bar = options.colourBar;
    if (options.threshold)
        look.threshold = *options.threshold;
    if (!options.underlay.isEmpty()) {
        surface->underlay_file = surface->coloured_file;
        surface->underlay_column = options.underlay;
    }
}

// A CIFTI-2 file holds both hemispheres: it goes to every surface, each
// drawing its own part.
bool servesEverySurface(const QString& path)
{
    return path.endsWith(QLatin1String(".nii"));
}

}  // namespace

void apply_figure_options(const FigureOptions& options, scene_state* scene,
                          const std::vector<int>& named, QStringList* warnings)
{
    std::vector<int> targets = named;
    if (targets.empty())
        for (std::size_t i = 0; i < scene->surfaces.size(); ++i)
            targets.push_back(int(i));
    if (options.given.contains("--no-hemi-offset"))
        scene->hemisphere_offset = false;
    // The i-th statistics file is added to the i-th surface and colours it,
    // by --column (a name or an index; the first column when not given); a
    // CIFTI-2 file colours every surface and takes no turn.
    const auto colour = [&](int index, const QString& path) {
        surface_state& surface = scene->surfaces[std::size_t(index)];
        surface.coloured_file = int(surface.statistics.size());
        surface.coloured_column = options.column;
        surface.statistics.push_back(statistics_state{path});
    };
    std::size_t next = 0;
    for (const QString& path : options.statistics) {
        if (servesEverySurface(path) && !targets.empty()) {
            for (int index : targets)
                colour(index, path);
        } else if (!servesEverySurface(path) && next < targets.size()) {
            colour(targets[next++], path);
        } else {
            warn(warnings,
                 QStringLiteral("Command line: no surface for the statistics file %1").arg(path));
        }
    }
    for (int index : targets)
        applySurfaceLooks(options, &scene->surfaces[std::size_t(index)]);
    qsizetype turn = 0;
    for (const QString& path : options.labels) {
        const int target = labels_surface(servesEverySurface(path) ? 0 : turn++, targets.size());
        if (target < 0) {
            warn(warnings, QStringLiteral("Command line: no surface for the parcellation %1").arg(path));
            continue;
        }
        if (servesEverySurface(path))
            for (int index : targets)
                scene->surfaces[std::size_t(index)].parcellations.push_back(parcellation_state{path});
        else
            scene->surfaces[std::size_t(targets[std::size_t(target)])].parcellations.push_back(
                parcellation_state{path});
    }
    for (int index : targets)
        for (parcellation_state& parcels : scene->surfaces[std::size_t(index)].parcellations) {
            if (options.outline)
                parcels.outline = true;
            if (options.labelOpacity)
                parcels.opacity = *options.labelOpacity;
        }
    for (const QString& path : options.tags)
        scene->tags.push_back(tags_state{path});
    if (options.given.contains("--tag-radius"))
        for (tags_state& tags : scene->tags)
            tags.radius = options.tagRadius;
    if (options.given.contains("--background"))
        scene->background = options.background;
    if (options.legend)
        scene->legend = true;
}

void apply_figure_options(const FigureOptions& options, scene_state* scene, QStringList* warnings)
{
    const std::vector<int> named = add_figure_surfaces(options, scene, warnings);
    apply_figure_options(options, scene, named, warnings);
}

}  // namespace gyroscene
