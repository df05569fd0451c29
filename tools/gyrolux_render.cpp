// gyrolux-render SURFACE... [options] -o OUT.png: figures of surfaces as
// the viewer draws them, with no display (see --help). With --batch LIST,
// one figure per line of the list, all with one GL context.
#include "batch_selection.h"
#include "column_colouring.h"
#include "egl_offscreen.h"
#include "figure.h"
#include "message_text.h"
#include "render_options.h"
#include "shell_words.h"
#include "surface_face_set.h"
#include "quillon.h"

#include <Inventor/SoDB.h>
#include <Inventor/errors/SoDebugError.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace gyrorender;

namespace {

constexpr int done = 0;
constexpr int badInput = 1;
constexpr int usageError = 2;

void complain(const QString& text)
{
    std::cerr << "gyrolux-render: " << gyroscene::message_text(text).toLocal8Bit().constData()
              << std::endl;
}

// Coin's GL layer still asks GLX about a context that is EGL's; those
// questions have no answer here and change nothing.
void coinMessage(const SoError* error, void*)
{
    const SbString text = error->getDebugString();
    if (std::string(text.getString()).find("glxglue") != std::string::npos)
        return;
    std::cerr << text.getString() << std::endl;
}

// Qt's note that a session has no runtime directory says nothing about the
// figure; everything else Qt says is passed on.
void qtMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (text.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::cerr << text.toLocal8Bit().constData() << std::endl;
}

// One line per figure: milliseconds to read the files and build the scene,
// for each panel, and to write the image.
void reportTimings(const FigureMaker& maker, const QString& output, double total)
{
    const FigureMaker::Timings& t = maker.lastTimings();
    QString line = QStringLiteral("%1: %2 ms: files %3 ms, panels")
                       .arg(output)
                       .arg(total, 0, 'f', 0)
                       .arg(t.load, 0, 'f', 0);
    for (double panel : t.panels)
        line += QStringLiteral(" %1").arg(panel, 0, 'f', 0);
    line += QStringLiteral(" ms, writing %1 ms").arg(t.write, 0, 'f', 0);
    std::cerr << line.toLocal8Bit().constData() << std::endl;
}

int runFigure(FigureMaker& maker, const std::vector<std::string>& arguments,
              const QString& where, bool timings, bool skipExisting)
{
    FigureOptions figure;
    if (const auto problem = parse_figure_options(arguments, &figure)) {
        complain(where + problem->message);
        return usageError;
    }
    if (skipExisting && output_up_to_date(figure.output, figure_inputs(figure))) {
        if (timings)
            std::cerr << figure.output.toLocal8Bit().constData() << ": up to date, skipped"
                      << std::endl;
        return done;
    }
    QString error;
    QStringList warnings;
    QElapsedTimer clock;
    clock.start();
    const bool made = maker.make(figure, &error, &warnings);
    if (made && timings)
        reportTimings(maker, figure.output, double(clock.nsecsElapsed()) / 1e6);
    for (const QString& line : warnings)
        std::cerr << gyroscene::message_text(line).toLocal8Bit().constData() << std::endl;
    if (!made) {
        complain(where + error);
        return badInput;
    }
    return done;
}

int runBatch(FigureMaker& maker, const ProgramOptions& program, const BatchSelection& selection)
{
    QFile list(program.batch);
    if (!list.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read batch list %1: %2")
                     .arg(program.batch, list.errorString()));
        return badInput;
    }
    int status = done;
    int lineNumber = 0;
    int figureIndex = -1;
    while (!list.atEnd()) {
        const std::string line = list.readLine().toStdString();
        ++lineNumber;
        if (!is_figure_line(line) || !in_shard(++figureIndex, selection.shard))
            continue;
        const QString where = QStringLiteral("%1:%2: ").arg(program.batch).arg(lineNumber);
        std::vector<std::string> words;
        std::string why;
        if (!split_shell_words(line, &words, &why)) {
            complain(where + QString::fromStdString(why));
            status = badInput;
            continue;
        }
        std::vector<std::string> arguments = program.figureArguments;
        arguments.insert(arguments.end(), words.begin(), words.end());
        // A bad line is the list's fault, not the command line's.
        if (runFigure(maker, arguments, where, program.timings, selection.skipExisting) != done)
            status = badInput;
    }
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Coin's texture filtering as the viewer has it (column_colouring.h).
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    BatchSelection selection;
    ProgramOptions program;
    auto problem = take_batch_selection(&arguments, &selection);
    if (!problem)
        problem = parse_program_options(arguments, &program);
    if (!problem && !program.help)
        problem = check_batch_selection(selection, !program.batch.isEmpty());
    if (problem) {
        complain(problem->message);
        return usageError;
    }
    if (program.help) {
        std::cout << (help_text() + batch_selection_help()).toLocal8Bit().constData();
        return done;
    }
    if (program.version) {
        std::cout << "gyrolux-render " << GYROLUX_VERSION << std::endl;
        return done;
    }
    if (program.batch.isEmpty() && program.figureArguments.empty()) {
        complain(QStringLiteral("no surface given (see --help)"));
        return usageError;
    }

    // Text for the legend needs fonts, which need a GUI application; it
    // never needs a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(qtMessage);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    SoDB::init();
    SurfaceFaceSet::initClass();
    SoDebugError::setHandlerCallback(coinMessage, nullptr);
    QString error;
    if (!install_egl_offscreen(program.samples, &error)) {
        complain(error);
        return badInput;
    }
    int status = done;
    {
        FigureMaker maker;
        status = program.batch.isEmpty()
                     ? runFigure(maker, program.figureArguments, QString(), program.timings,
                                 selection.skipExisting)
                     : runBatch(maker, program, selection);
    }
    remove_egl_offscreen();
    return status;
}
