// The command line of gyrolux-render: the program's own options (--batch,
// --samples, ...) and what one figure asks for, through the option table
// the viewer shares (figure_options.h), and the help text.
#pragma once

#include "figure_options.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace gyrorender {

using gyroscene::FigureOptions;
using gyroscene::Layout;
using gyroscene::Projection;
using gyroscene::UsageError;
using gyroscene::parse_size;

struct ProgramOptions {
    bool help = false;
    bool version = false;
    int samples = 4;
    QString batch;  // the list file; empty for a single figure
    bool timings = false;
    // Every argument except the program's own options, in order: each line
    // of a batch list is appended to these.
    std::vector<std::string> figureArguments;
};

// Separates the program's own options from the figure's. A usage error
// when they are malformed.
std::optional<UsageError> parse_program_options(const std::vector<std::string>& arguments,
                                                ProgramOptions* options);
// The figure the arguments describe; a usage error for an unknown option, a
// missing or malformed value, or no surface or output.
std::optional<UsageError> parse_figure_options(const std::vector<std::string>& arguments,
                                               FigureOptions* figure);

QString help_text();

}  // namespace gyrorender
