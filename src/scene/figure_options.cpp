#include "figure_options.h"

#include "view_presets.h"

#include <QRegularExpression>

#include <cmath>

namespace gyroscene {

namespace {

constexpr int maxPanelSide = max_panel_side;

constexpr unsigned viewer = unsigned(Program::Viewer);
constexpr unsigned renderer = unsigned(Program::Renderer);
constexpr unsigned both = viewer | renderer;

using Values = QStringList;
// What an option sets; an error text when a value is malformed.
using Apply = std::optional<QString> (*)(FigureOptions*, const Values&);

struct Option {
    std::vector<const char*> names;  // the long name last
    const char* value;  // shown in the help; null for none
    int values;
    unsigned programs;
    const char* help;
    // The viewer's help where it differs; null for the same.
    const char* viewerHelp;
    // Null for options of the program itself (--batch, --help, ...).
    Apply apply;
};

std::optional<float> parseNumber(const QString& text)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QString> colourInto(std::optional<QColor>* out, const char* option,
                                  const QString& text)
{
    const QColor colour = QColor::fromString(text.trimmed());
    if (!colour.isValid())
        return QStringLiteral("%1 needs a colour such as white or #rrggbb, not \"%2\"")
            .arg(option, text);
    *out = colour;
    return std::nullopt;
}

const std::vector<Option>& table()
{
    static const std::vector<Option> options = {
        {{"-o", "--output"}, "OUT.png", 1, renderer, "the image; written whole or not at all", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->output = v[0];
             return std::nullopt;
         }},
        {{"--scene"}, "FILE", 1, both,
         "a scene saved by the viewer: its files, colouring, camera and\n"
         "size; files given beside it (surfaces, --subject, --stats,\n"
         "--labels, --tags) are added to it, any other option given\n"
         "overrides the scene's value",
         "a scene saved by the viewer, as File > Open opens it",
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->scene = v[0];
             return std::nullopt;
         }},
        {{"--max-scene-files"}, "N", 1, both,
         "open scenes that name up to N files (default 1000)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             bool ok = false;
             const int limit = v[0].trimmed().toInt(&ok);
             if (!ok || limit < 1)
                 return QStringLiteral("--max-scene-files needs a whole number from 1, not \"%1\"")
                     .arg(v[0]);
             f->maxSceneFiles = limit;
             return std::nullopt;
         }},
        {{"--subject"}, "DIR", 1, both,
         "a FreeSurfer subject folder: its surf/?h.SURF surfaces\n"
         "with surf/?h.curv as the underlay (sulci dark, gyri\n"
         "light)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->subject = v[0];
             return std::nullopt;
         }},
        {{"--hemi"}, "lh|rh|both", 1, both, "the subject's hemispheres (default both)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             if (v[0] != "lh" && v[0] != "rh" && v[0] != "both")
                 return QStringLiteral("--hemi is lh, rh or both, not \"%1\"").arg(v[0]);
             f->hemi = v[0];
             return std::nullopt;
         }},
        {{"--surf"}, "NAME", 1, both,
         "the subject's surface: white, pial, inflated, sphere,\n"
         "... (default inflated)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->surf = v[0];
             return std::nullopt;
         }},
        {{"--overlay"}, "NAME", 1, both,
         "the subject's surf/?h.NAME (thickness, sulc, ...) as\n"
         "statistics of each hemisphere, the first colouring it;\n"
         "a file path with a single --hemi (may be repeated)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->overlays.append(v[0]);
             return std::nullopt;
         }},
        {{"--annot"}, "NAME", 1, both,
         "the subject's label/?h.NAME.annot as a parcellation of\n"
         "each hemisphere; a file path with a single --hemi\n"
         "(may be repeated)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->annotations.append(v[0]);
             return std::nullopt;
         }},
        {{"--no-hemi-offset"}, nullptr, 0, both,
         "draw overlapping left and right surfaces (inflated,\n"
         "sphere) where they are, not moved apart along x",
         nullptr,
         [](FigureOptions* f, const Values&) -> std::optional<QString> {
             f->hemisphereOffset = false;
             return std::nullopt;
         }},
        {{"--stats"}, "FILE", 1, both,
         "statistics for the surfaces, in the order given (the\n"
         "first file colours the first surface, and so on); a\n"
         "CIFTI-2 file (.dscalar.nii, .dtseries.nii) colours every\n"
         "surface whose hemisphere it holds",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->statistics.append(v[0]);
             return std::nullopt;
         }},
        {{"--column"}, "NAME|INDEX", 1, both, "the column to colour by (index from 0; default 0)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->column = v[0];
             return std::nullopt;
         }},
        {{"--colourbar"}, "NAME", 1, both,
         "the colour bar (default: the first); the program's\n"
         "own bars unless --colourbar-dir is given",
         "the colour bar (default: the first of the texture\n"
         "directory)",
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->colourBar = v[0];
             return std::nullopt;
         }},
        {{"--colourbar-dir"}, "DIR", 1, renderer, "take the colour bars from the .png files in DIR",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->colourBarDir = v[0];
             return std::nullopt;
         }},
        {{"--limits"}, "LOW HIGH", 2, both,
         "the values at the bar's ends (default: the column's\n"
         "smallest and largest); LOW above HIGH turns it over",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto low = parseNumber(v[0]);
             const auto high = parseNumber(v[1]);
             if (!low || !high)
                 return QStringLiteral("--limits needs two numbers, not \"%1 %2\"").arg(v[0], v[1]);
             f->limits = std::make_pair(*low, *high);
             return std::nullopt;
         }},
        {{"--threshold"}, "T", 1, both,
         "values nearer zero than T show the surface, not a\n"
         "colour",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto threshold = parseNumber(v[0]);
             if (!threshold || *threshold < 0.0f)
                 return QStringLiteral("--threshold needs a number of 0 or more, not \"%1\"")
                     .arg(v[0]);
             f->threshold = threshold;
             return std::nullopt;
         }},
        {{"--underlay"}, "COLUMN", 1, both,
         "under the threshold, COLUMN of the same file in\n"
         "greys (two shades, split at zero when it has both\n"
         "signs, as the viewer's underlay)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->underlay = v[0];
             return std::nullopt;
         }},
        {{"--legend"}, nullptr, 0, both, "draw the colour bar with its limits and the column",
         "show the colour bar's legend (on unless a scene has it off)",
         [](FigureOptions* f, const Values&) -> std::optional<QString> {
             f->legend = true;
             return std::nullopt;
         }},
        {{"--tags"}, "FILE", 1, both, "landmarks as red spheres (may be repeated)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->tags.append(v[0]);
             return std::nullopt;
         }},
        {{"--tag-radius"}, "R", 1, both, "the spheres' radius (default 1)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto radius = parseNumber(v[0]);
             if (!radius || *radius <= 0.0f)
                 return QStringLiteral("--tag-radius needs a positive number, not \"%1\"").arg(v[0]);
             f->tagRadius = *radius;
             return std::nullopt;
         }},
        {{"--labels"}, "FILE", 1, both,
         "a parcellation (.annot, .label.gii, .label) drawn in its\n"
         "regions' colours over the statistics; the i-th goes on\n"
         "the i-th surface, any beyond the last surface on the\n"
         "last (may be repeated); a CIFTI-2 .dlabel.nii goes on\n"
         "every surface whose hemisphere it holds",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             f->labels.append(v[0]);
             return std::nullopt;
         }},
        {{"--outline"}, nullptr, 0, both, "draw the parcellations' regions as outlines only",
         nullptr,
         [](FigureOptions* f, const Values&) -> std::optional<QString> {
             f->outline = true;
             return std::nullopt;
         }},
        {{"--label-opacity"}, "A", 1, both, "the parcellations' opacity, 0 to 1 (default 1)",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto opacity = parseNumber(v[0]);
             if (!opacity || *opacity < 0.0f || *opacity > 1.0f)
                 return QStringLiteral("--label-opacity needs a number from 0 to 1, not \"%1\"")
                     .arg(v[0]);
             f->labelOpacity = *opacity;
             return std::nullopt;
         }},
        {{"--view"}, "VIEW", 1, both,
         "lateral, medial, dorsal, ventral, anterior, posterior\n"
         "or AZIMUTH,ELEVATION in degrees (0,0 from the right,\n"
         "90,0 from the front, 0,90 from above); repeat for a\n"
         "montage, one panel per view, all framed alike",
         "lateral, medial, dorsal, ventral, anterior, posterior\n"
         "or AZIMUTH,ELEVATION in degrees: the view to start\n"
         "from (the first, when several are given)",
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             if (!valid_view(v[0]))
                 return QStringLiteral("unknown view \"%1\": lateral, medial, dorsal, ventral, "
                                       "anterior, posterior or AZIMUTH,ELEVATION (elevation "
                                       "from -90 to 90)")
                     .arg(v[0]);
             f->views.append(v[0]);
             return std::nullopt;
         }},
        {{"--layout"}, "together|apart", 1, renderer,
         "several surfaces in one scene per view (default), or\n"
         "each surface in its own column of panels",
         nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             if (v[0] == "together")
                 f->layout = Layout::Together;
             else if (v[0] == "apart")
                 f->layout = Layout::Apart;
             else
                 return QStringLiteral("--layout is together or apart, not \"%1\"").arg(v[0]);
             return std::nullopt;
         }},
        {{"--projection"}, "perspective|orthographic", 1, both, "(default perspective)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             if (v[0] == "perspective")
                 f->projection = Projection::Perspective;
             else if (v[0] == "orthographic")
                 f->projection = Projection::Orthographic;
             else
                 return QStringLiteral("--projection is perspective or orthographic, not \"%1\"")
                     .arg(v[0]);
             return std::nullopt;
         }},
        {{"--size"}, "WxH", 1, renderer, "pixels per panel (default 1200x900, or a scene's)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto size = parse_size(v[0], maxPanelSide);
             if (!size)
                 return QStringLiteral("--size needs WIDTHxHEIGHT, each from 1 to %1, not \"%2\"")
                     .arg(maxPanelSide)
                     .arg(v[0]);
             f->size = *size;
             return std::nullopt;
         }},
        {{"--background"}, "COLOUR", 1, both, "behind the surfaces (default black)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             std::optional<QColor> colour;
             if (auto problem = colourInto(&colour, "--background", v[0]))
                 return problem;
             f->background = *colour;
             return std::nullopt;
         }},
        {{"--colour"}, "COLOUR", 1, both, "the surface's colour where it has no statistics", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             return colourInto(&f->colour, "--colour", v[0]);
         }},
        {{"--opacity"}, "A", 1, both, "the surface's opacity, 0 to 1 (default 1)", nullptr,
         [](FigureOptions* f, const Values& v) -> std::optional<QString> {
             const auto opacity = parseNumber(v[0]);
             if (!opacity || *opacity < 0.0f || *opacity > 1.0f)
                 return QStringLiteral("--opacity needs a number from 0 to 1, not \"%1\"").arg(v[0]);
             f->opacity = *opacity;
             return std::nullopt;
         }},
        {{"--samples"}, "N", 1, renderer, "multisampling, samples per pixel (default 4, 0 off)",
         nullptr, nullptr},
        {{"--timings"}, nullptr, 0, renderer,
         "after each figure, where its time went (standard error)", nullptr, nullptr},
        {{"--batch"}, "LIST", 1, renderer,
         "one figure per line of LIST: the line's arguments,\n"
         "split as a POSIX shell splits them, follow the\n"
         "options given on the command line; blank lines and\n"
         "lines starting with '#' are skipped",
         nullptr, nullptr},
        {{"-h", "--help"}, nullptr, 0, both, "this text", "show this help and exit", nullptr},
        {{"--version"}, nullptr, 0, both, "the version", "show the version and exit", nullptr},
    };
    return options;
}

const Option* find(const std::string& name, Program program)
{
    for (const Option& option : table())
        if (option.programs & unsigned(program))
            for (const char* spelling : option.names)
                if (name == spelling)
                    return &option;
    return nullptr;
}

}  // namespace

subject_request figure_subject(const FigureOptions& figure)
{
    subject_request request;
    request.dir = figure.subject;
    request.hemi = figure.hemi;
    request.surface = figure.surf;
    request.overlays = figure.overlays;
    request.annotations = figure.annotations;
    return request;
}

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

bool valid_view(const QString& text)
{
    const std::string view = text.toStdString();
    return view_from_name(view).has_value() || parse_view_angles(view).has_value();
}

int figure_option_values(const std::string& name, Program program)
{
    const Option* option = find(name, program);
    return option ? option->values : -1;
}

std::optional<UsageError> parse_figure_arguments(const std::vector<std::string>& arguments,
                                                 Program program, FigureOptions* figure)
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
        const Option* option = find(arguments[i], program);
        if (!option || !option->apply)
            return UsageError{QStringLiteral("unknown option %1 (see --help)").arg(argument)};
        if (i + std::size_t(option->values) >= arguments.size())
            return UsageError{option->values == 2
                                  ? QStringLiteral("%1 needs two values").arg(argument)
                                  : QStringLiteral("%1 needs a value").arg(argument)};
        Values values;
        for (int k = 0; k < option->values; ++k)
            values << QString::fromLocal8Bit(arguments[++i]);
        if (const auto problem = option->apply(figure, values))
            return UsageError{*problem};
        figure->given.insert(QString::fromLatin1(option->names.back()));
    }
    return std::nullopt;
}

QString figure_options_help(Program program)
{
    // Names and values in a column of 22, the help beside them.
    constexpr int column = 24;
    QString text;
    for (const Option& option : table()) {
        if (!(option.programs & unsigned(program)))
            continue;
        QStringList names;
        for (const char* name : option.names)
            names << QString::fromLatin1(name);
        QString head = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (option.value)
            head += QStringLiteral(" ") + QString::fromLatin1(option.value);
        const char* help =
            program == Program::Viewer && option.viewerHelp ? option.viewerHelp : option.help;
        const QStringList lines = QString::fromLatin1(help).split('\n');
        if (head.size() + 2 <= column)
            text += head.leftJustified(column) + lines.first() + "\n";
        else
            text += head + "\n" + QString(column, ' ') + lines.first() + "\n";
        for (qsizetype k = 1; k < lines.size(); ++k)
            text += QString(column, ' ') + lines.at(k) + "\n";
    }
    return text;
}

}  // namespace gyroscene
