// Everything a user sets up in a view, as plain data: which files are open,
// how each is drawn, the picked vertex and the camera. The viewer's document
// holds one, scene files store one, and the batch renderer draws one.
#pragma once

#include "hemisphere.h"

#include <QColor>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace gyroscene {


// How one statistics column is drawn.
struct column_state {
    QString name;
    // The bar's name (its file's base name); empty for the first bar.
    QString colour_bar;
    // Lower (bottom of the bar) and upper limit; unset: the column's range.
    std::optional<std::pair<float, float>> limits;
    // |value| below it shows what is underneath; 0 for none.
    float threshold = 0.0f;

    bool operator==(const column_state&) const = default;
};

struct statistics_state {
    QString path;
    bool shown = true;
    // Only the columns whose look was set; others take the defaults.
    std::vector<column_state> columns;

    const column_state* find(const QString& name) const;
    column_state& look(const QString& name);
    bool operator==(const statistics_state&) const = default;
};

// How one parcellation is drawn over its surface.
struct parcellation_state {
    QString path;
    bool shown = true;
    // 0 to 1, times each region's own alpha.
    float opacity = 1.0f;
    // Only the vertices on a region's boundary.
    bool outline = false;
    // Regions not drawn, as indices into the file's table, ascending.
    std::vector<int> hidden_regions;

    bool operator==(const parcellation_state&) const = default;
};

struct surface_state {
    QString path;
    std::optional<QColor> colour;
    float opacity = 1.0f;
    bool shown = true;
    // The user's word on the side; Unknown leaves it to the guess.
    Hemisphere hemisphere = Hemisphere::Unknown;
    std::vector<statistics_state> statistics;
    // The file (an index into `statistics`) and column that colour the
    // surface; -1 for its own colour.
    int coloured_file = -1;
    QString coloured_column;
    // The column whose greys show below a threshold; -1 for none.
    int underlay_file = -1;
    QString underlay_column;
    int underlay_shades = 2;
    // Drawn over the statistics colouring, in this order.
    std::vector<parcellation_state> parcellations;

    bool operator==(const surface_state&) const = default;
};

struct tags_state {
    QString path;
    double radius = 1.0;
    std::optional<QColor> colour;
    bool shown = true;

    bool operator==(const tags_state&) const = default;
};

enum class Projection { Perspective, Orthographic };

struct camera_state {
    Projection projection = Projection::Perspective;
    float position[3] = {0.0f, 0.0f, 1.0f};
    // A rotation as a quaternion x, y, z, w.
    float orientation[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float focal_distance = 1.0f;
    // The perspective camera's height angle in radians, or the
    // orthographic camera's height.
    float height = 0.785398f;

    bool operator==(const camera_state& other) const;
};

struct pick_state {
    int surface = -1;
    int vertex = -1;
    bool operator==(const pick_state&) const = default;
};

struct scene_state {
    std::vector<surface_state> surfaces;
    std::vector<tags_state> tags;
    pick_state pick;
    bool legend = true;
    // The surface whose column the legend describes; -1: the first coloured.
    int legend_surface = -1;
    QColor background{0, 0, 0};
    // Overlapping left and right surfaces drawn apart along x.
    bool hemisphere_offset = true;
    std::optional<camera_state> camera;
    // The view's size in pixels; empty when not known.
    QSize view_size;

    bool operator==(const scene_state&) const = default;
};

const char* side_name(Hemisphere side);

}  // namespace gyroscene
