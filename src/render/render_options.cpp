#include "render_options.h"

namespace gyrorender {

namespace {

UsageError error(const QString& text)
{
    return UsageError{text};
}

}  // namespace

std::optional<UsageError> parse_program_options(const std::vector<std::string>& arguments,
                                                ProgramOptions* options)
{
    bool endOfOptions = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (endOfOptions) {
            options->figureArguments.push_back(argument);
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options->help = true;
        } else if (argument == "--version") {
            options->version = true;
        } else if (argument == "--timings") {
            options->timings = true;
        } else if (argument == "--batch" || argument == "--samples") {
            if (i + 1 >= arguments.size())
                return error(QStringLiteral("%1 needs a value").arg(argument.c_str()));
            const QString value = QString::fromLocal8Bit(arguments[++i]);
            if (argument == "--batch") {
                if (!options->batch.isEmpty())
                    return error(QStringLiteral("--batch may be given once"));
                options->batch = value;
            } else {
                bool ok = false;
                const int samples = value.toInt(&ok);
                if (!ok || samples < 0 || samples > 16)
                    return error(
                        QStringLiteral("--samples needs a number from 0 to 16, not \"%1\"")
                            .arg(value));
                options->samples = samples;
            }
        } else {
            options->figureArguments.push_back(argument);
            if (argument == "--")
                endOfOptions = true;
            // A figure option's values are the figure's, even one that
            // looks like a program option.
            const int values =
                gyroscene::figure_option_values(argument, gyroscene::Program::Renderer);
            for (int k = 0; k < values && i + 1 < arguments.size(); ++k)
                options->figureArguments.push_back(arguments[++i]);
        }
    }
    return std::nullopt;
}

std::optional<UsageError> parse_figure_options(const std::vector<std::string>& arguments,
                                               FigureOptions* figure)
{
    if (auto problem =
            gyroscene::parse_figure_arguments(arguments, gyroscene::Program::Renderer, figure))
        return problem;
    const bool scene = !figure->scene.isEmpty();
    const bool subject = !figure->subject.isEmpty();
    if (figure->surfaces.isEmpty() && !scene && !subject)
        return error(QStringLiteral("no surface given (see --help)"));
    if (subject)
        if (auto problem = gyroscene::check_subject_request(gyroscene::figure_subject(*figure)))
            return error(*problem);
    if (figure->output.isEmpty())
        return error(QStringLiteral("no output given: -o OUT.png"));
    if (figure->statistics.size() > figure->surfaces.size() && !scene)
        return error(QStringLiteral("%1 statistics files for %2 surfaces")
                         .arg(figure->statistics.size())
                         .arg(figure->surfaces.size()));
    if (figure->statistics.isEmpty() && figure->overlays.isEmpty() && !scene &&
        (!figure->column.isEmpty() || figure->limits || figure->threshold ||
         !figure->underlay.isEmpty() || figure->legend))
        return error(QStringLiteral("--column, --limits, --threshold, --underlay and --legend "
                                    "need --stats"));
    if (!figure->underlay.isEmpty() && !figure->threshold && !scene)
        return error(QStringLiteral("--underlay shows under the threshold: it needs --threshold"));
    return std::nullopt;
}

QString help_text()
{
    return QStringLiteral(R"(usage: gyrolux-render SURFACE... [options] -o OUT.png
       gyrolux-render --subject DIR [options] -o OUT.png
       gyrolux-render --scene FILE [options] -o OUT.png
       gyrolux-render --batch LIST [options]

Draws surfaces as the gyrolux viewer draws them, into a PNG image, with no
display: EGL on Mesa's surfaceless platform.

  SURFACE               a surface (.obj, FreeSurfer, GIFTI); several for
                        several surfaces, such as both hemispheres, or none
                        with --subject
)") + gyroscene::figure_options_help(gyroscene::Program::Renderer) +
           QStringLiteral(R"(
COLOUR is a name such as white or a hex triple such as #202020.
Exit status: 0 done, 1 bad input (a file that cannot be read, an unknown
column or colour bar, an image that cannot be written; in a batch: any
figure failed), 2 usage error.
)");
}

}  // namespace gyrorender
