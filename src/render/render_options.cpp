#include "render_options.h"

#include "view_presets.h"

#include <QRegularExpression>

#include <cmath>

namespace gyrorender {

namespace {

// Large enough for a poster panel, small enough that a typing slip does not
// ask for gigabytes.
constexpr int maxPanelSide = 8192;

UsageError error(const QString& text)
{
    return UsageError{text};
}

std::optional<float> parseNumber(const QString& text)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QColor> parseColour(const QString& text)
{
    const QColor colour = QColor::fromString(text.trimmed());
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

// Every view a panel may show: a preset's name, or AZIMUTH,ELEVATION.
bool validView(const QString& text)
{
    const std::string view = text.toStdString();
    return gyroscene::view_from_name(view).has_value() ||
           gyroscene::parse_view_angles(view).has_value();
}

}  // namespace

std::optional<QSize> parse_size(const QString& text, int limit)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,6})[xX]([0-9]{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > limit || height > limit)
        return std::nullopt;
    return QSize(width, height);
}

std::optional<UsageError> parse_program_options(const std::vector<std::string>& arguments,
                                                ProgramOptions* options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            options->help = true;
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
        }
    }
    return std::nullopt;
}

std::optional<UsageError> parse_figure_options(const std::vector<std::string>& arguments,
                                               FigureOptions* figure)
{
    bool endOfOptions = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const QString argument = QString::fromLocal8Bit(arguments[i]);
        if (endOfOptions || !argument.startsWith('-') || argument == "-") {
            figure->surfaces.append(argument);
            continue;
        }
        if (argument == "--") {
            endOfOptions = true;
            continue;
        }
        if (argument == "--legend") {
            figure->legend = true;
            continue;
        }
        static const QStringList withValues = {
            "-o",          "--output",    "--stats",      "--column", "--colourbar",
            "--colourbar-dir", "--limits", "--threshold", "--underlay", "--tags",
            "--tag-radius", "--view",     "--layout",     "--projection", "--size",
            "--background", "--colour",   "--opacity"};
        if (!withValues.contains(argument))
            return error(QStringLiteral("unknown option %1 (see --help)").arg(argument));
        // Every other option takes a value (--limits two).
        const int needed = argument == "--limits" ? 2 : 1;
        if (i + needed >= arguments.size())
            return error(needed == 2 ? QStringLiteral("%1 needs two values").arg(argument)
                                     : QStringLiteral("%1 needs a value").arg(argument));
        const QString value = QString::fromLocal8Bit(arguments[++i]);

        if (argument == "-o" || argument == "--output") {
            figure->output = value;
        } else if (argument == "--stats") {
            figure->statistics.append(value);
        } else if (argument == "--column") {
            figure->column = value;
        } else if (argument == "--colourbar") {
            figure->colourBar = value;
        } else if (argument == "--colourbar-dir") {
            figure->colourBarDir = value;
        } else if (argument == "--limits") {
            const QString second = QString::fromLocal8Bit(arguments[++i]);
            const auto low = parseNumber(value);
            const auto high = parseNumber(second);
            if (!low || !high)
                return error(QStringLiteral("--limits needs two numbers, not \"%1 %2\"")
                                 .arg(value, second));
            figure->limits = std::make_pair(*low, *high);
        } else if (argument == "--threshold") {
            const auto threshold = parseNumber(value);
            if (!threshold || *threshold < 0.0f)
                return error(QStringLiteral("--threshold needs a number of 0 or more, not \"%1\"")
                                 .arg(value));
            figure->threshold = threshold;
        } else if (argument == "--underlay") {
            figure->underlay = value;
        } else if (argument == "--tags") {
            figure->tags.append(value);
        } else if (argument == "--tag-radius") {
            const auto radius = parseNumber(value);
            if (!radius || *radius <= 0.0f)
                return error(QStringLiteral("--tag-radius needs a positive number, not \"%1\"")
                                 .arg(value));
            figure->tagRadius = *radius;
        } else if (argument == "--view") {
            if (!validView(value))
                return error(QStringLiteral("unknown view \"%1\": lateral, medial, dorsal, "
                                            "ventral, anterior, posterior or AZIMUTH,ELEVATION "
                                            "(elevation from -90 to 90)")
                                 .arg(value));
            figure->views.append(value);
        } else if (argument == "--layout") {
            if (value == "together")
                figure->layout = Layout::Together;
            else if (value == "apart")
                figure->layout = Layout::Apart;
            else
                return error(
                    QStringLiteral("--layout is together or apart, not \"%1\"").arg(value));
        } else if (argument == "--projection") {
            if (value == "perspective")
                figure->projection = Projection::Perspective;
            else if (value == "orthographic")
                figure->projection = Projection::Orthographic;
            else
                return error(QStringLiteral("--projection is perspective or orthographic, not "
                                            "\"%1\"")
                                 .arg(value));
        } else if (argument == "--size") {
            const auto size = parse_size(value, maxPanelSide);
            if (!size)
                return error(QStringLiteral("--size needs WIDTHxHEIGHT, each from 1 to %1, not "
                                            "\"%2\"")
                                 .arg(maxPanelSide)
                                 .arg(value));
            figure->size = *size;
        } else if (argument == "--background" || argument == "--colour") {
            const auto colour = parseColour(value);
            if (!colour)
                return error(QStringLiteral("%1 needs a colour such as white or #rrggbb, not "
                                            "\"%2\"")
                                 .arg(argument, value));
            if (argument == "--background")
                figure->background = *colour;
            else
                figure->colour = *colour;
        } else if (argument == "--opacity") {
            const auto opacity = parseNumber(value);
            if (!opacity || *opacity < 0.0f || *opacity > 1.0f)
                return error(
                    QStringLiteral("--opacity needs a number from 0 to 1, not \"%1\"").arg(value));
            figure->opacity = *opacity;
        }
    }
    if (figure->surfaces.isEmpty())
        return error(QStringLiteral("no surface given (see --help)"));
    if (figure->output.isEmpty())
        return error(QStringLiteral("no output given: -o OUT.png"));
    if (figure->statistics.size() > figure->surfaces.size())
        return error(QStringLiteral("%1 statistics files for %2 surfaces")
                         .arg(figure->statistics.size())
                         .arg(figure->surfaces.size()));
    if (figure->statistics.isEmpty() &&
        (!figure->column.isEmpty() || figure->limits || figure->threshold ||
         !figure->underlay.isEmpty() || figure->legend))
        return error(QStringLiteral("--column, --limits, --threshold, --underlay and --legend "
                                    "need --stats"));
    if (!figure->underlay.isEmpty() && !figure->threshold)
        return error(QStringLiteral("--underlay shows under the threshold: it needs --threshold"));
    return std::nullopt;
}

QString help_text()
{
    return QStringLiteral(
        R"(usage: gyrolux-render SURFACE... [options] -o OUT.png
       gyrolux-render --batch LIST [options]

Draws surfaces as the gyrolux viewer draws them, into a PNG image, with no
display: EGL on Mesa's surfaceless platform.

  SURFACE               a surface (.obj, FreeSurfer, GIFTI); several for
                        several surfaces, such as both hemispheres
  -o, --output OUT.png  the image; written whole or not at all
  --stats FILE          statistics for the surfaces, in the order given (the
                        first file colours the first surface, and so on)
  --column NAME|INDEX   the column to colour by (index from 0; default 0)
  --colourbar NAME      the colour bar (default: the first); the program's
                        own bars unless --colourbar-dir is given
  --colourbar-dir DIR   take the colour bars from the .png files in DIR
  --limits LOW HIGH     the values at the bar's ends (default: the column's
                        smallest and largest); LOW above HIGH turns it over
  --threshold T         values nearer zero than T show the surface, not a
                        colour
  --underlay COLUMN     under the threshold, COLUMN of the same file in
                        greys (two shades, split at zero when it has both
                        signs, as the viewer's underlay)
  --legend              draw the colour bar with its limits and the column
  --tags FILE           landmarks as red spheres (may be repeated)
  --tag-radius R        the spheres' radius (default 1)
  --view VIEW           lateral, medial, dorsal, ventral, anterior, posterior
                        or AZIMUTH,ELEVATION in degrees (0,0 from the right,
                        90,0 from the front, 0,90 from above); repeat for a
                        montage, one panel per view, all framed alike
  --layout together|apart
                        several surfaces in one scene per view (default), or
                        each surface in its own column of panels
  --projection perspective|orthographic   (default perspective)
  --size WxH            pixels per panel (default 1200x900)
  --background COLOUR   behind the surfaces (default black)
  --colour COLOUR       the surface's colour where it has no statistics
  --opacity A           the surface's opacity, 0 to 1 (default 1)
  --samples N           multisampling, samples per pixel (default 4, 0 off)
  --timings             after each figure, where its time went (standard error)
  --batch LIST          one figure per line of LIST: the line's arguments,
                        split as a POSIX shell splits them, follow the
                        options given on the command line; blank lines and
                        lines starting with '#' are skipped
  -h, --help            this text

COLOUR is a name such as white or a hex triple such as #202020.
Exit status: 0 done, 1 bad input (a file that cannot be read, an unknown
column or colour bar, an image that cannot be written; in a batch: any
figure failed), 2 usage error.
)");
}

}  // namespace gyrorender
