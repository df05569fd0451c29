// The command line of gyrolux-render: what one figure asks for, parsed from
// its arguments, and the help text that describes every option.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace gyrorender {

enum class Layout { Together, Apart };
enum class Projection { Perspective, Orthographic };

struct FigureOptions {
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
    QStringList views;  // as given; empty: one panel, the viewer's default view
    Layout layout = Layout::Together;
    Projection projection = Projection::Perspective;
    QSize size{1200, 900};
    QColor background{0, 0, 0};
    std::optional<QColor> colour;
    float opacity = 1.0f;
    bool legend = false;
};

struct ProgramOptions {
    bool help = false;
    int samples = 4;
    QString batch;  // the list file; empty for a single figure
    bool timings = false;
    // Every argument except --batch, --samples, --timings and --help, in order: each
    // line of a batch list is appended to these.
    std::vector<std::string> figureArguments;
};

// Why an argument list was refused; the message is one line.
struct UsageError {
    QString message;
};

// Separates the program's own options from the figure's. A usage error
// when they are malformed.
std::optional<UsageError> parse_program_options(const std::vector<std::string>& arguments,
                                                ProgramOptions* options);
// The figure the arguments describe; a usage error for an unknown option, a
// missing or malformed value, or no surface or output.
std::optional<UsageError> parse_figure_options(const std::vector<std::string>& arguments,
                                               FigureOptions* figure);

// "WxH" with both positive and at most `limit`.
std::optional<QSize> parse_size(const QString& text, int limit);

QString help_text();

}  // namespace gyrorender
