// The figure options the viewer and the batch renderer share: one table of
// options, each with its values, its help and what it sets, parsed by the
// same code for both programs, so that a gyrolux-render command line typed
// as gyrolux opens the same figure to explore.
#pragma once

#include "scene_file.h"
#include "scene_state.h"
#include "subject_files.h"

#include <QColor>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gyroscene {

// The largest side of a figure's panel, whether it comes from --size or a
// scene's view: large enough for a poster panel, small enough that a typing
// slip does not ask for gigabytes.
inline constexpr int max_panel_side = 8192;


enum class Layout { Together, Apart };

struct FigureOptions {
    // Arguments that are no option: the renderer's surfaces, the viewer's
    // files of any kind.
    QStringList surfaces;
    QString output;
    // The i-th statistics file colours the i-th surface.
    QStringList statistics;
    QString column;  // a name, or an index counted from 0; empty: the first
    QString colourBar;  // empty: the first of the bars
    QString colourBarDir;  // empty: the program's built-in bars
    std::optional<std::pair<float, float>> limits;
    std::optional<float> threshold;
    QString underlay;
    QStringList tags;
    float tagRadius = 1.0f;
    // The i-th parcellation goes on the i-th surface, those beyond the last
    // surface on the last one.
    QStringList labels;
    bool outline = false;
    std::optional<float> labelOpacity;
    QStringList views;  // as given; empty: one panel, the viewer's default view
    Layout layout = Layout::Together;
    Projection projection = Projection::Perspective;
    QSize size{1200, 900};
    QColor background{0, 0, 0};
    std::optional<QColor> colour;
    float opacity = 1.0f;
    bool legend = false;
    // A FreeSurfer subject folder, its hemispheres (lh, rh or both) and
    // surface; overlays (statistics) and annotations by name or, with one
    // hemisphere, by path.
    QString subject;
    QString hemi = QStringLiteral("both");
    QString surf = QStringLiteral("inflated");
    QStringList overlays;
    QStringList annotations;
    // Overlapping left and right surfaces drawn apart along x.
    bool hemisphereOffset = true;
    // A scene file to start from; the options given beside it override it.
    QString scene;
    // Scenes naming more files are refused.
    int maxSceneFiles = max_scene_files;
    // The long names of the options given, for what overrides a scene.
    QSet<QString> given;
};

enum class Program : unsigned { Viewer = 1, Renderer = 2 };

// Why an argument list was refused; the message is one line.
struct UsageError {
    QString message;
};

// Reads options and arguments as `program` accepts them. A usage error for
// an unknown option or a missing or malformed value; nothing is checked
// across options (see check_renderer_figure).
std::optional<UsageError> parse_figure_arguments(const std::vector<std::string>& arguments,
                                                 Program program, FigureOptions* figure);
// How many values the option takes, -1 when `program` has no such option.
int figure_option_values(const std::string& option, Program program);
// The table's lines of help for the program's options.
QString figure_options_help(Program program);

// The surface (an index) parcellation `i` of `count` surfaces goes on.
inline int labels_surface(qsizetype i, std::size_t count)
{
    return count == 0 ? -1 : int(std::min<std::size_t>(std::size_t(i), count - 1));
}

// The subject the options name (folder, hemispheres, surface, overlays,
// annotations).
subject_request figure_subject(const FigureOptions& figure);

// "WxH" with both positive and at most `limit`.
std::optional<QSize> parse_size(const QString& text, int limit);
// A named view or AZIMUTH,ELEVATION.
bool valid_view(const QString& text);

}  // namespace gyroscene
