// The viewer's command line: files as they always were (each by its name,
// statistics to the last surface), and the figure options it shares with
// gyrolux-render laid over them by the same function (files add, settings
// replace), so that a renderer's command line typed as gyrolux opens the
// same figure to explore.
#include "MainWindow.h"

#include "BrainQuarter.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "SceneLoader.h"
#include "figure_apply.h"
#include "ViewMenu.h"
#include "figure_options.h"

#include <QFile>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <iostream>

void MainWindow::openCommandLine(const QList<QByteArray>& arguments)
{
    std::vector<std::string> words;
    for (const QByteArray& argument : arguments)
        words.push_back(argument.toStdString());
    gyroscene::FigureOptions options;
    if (const auto problem =
            gyroscene::parse_figure_arguments(words, gyroscene::Program::Viewer, &options)) {
        const QString text = tr("Command line: %1").arg(problem->message);
        std::cerr << text.toLocal8Bit().constData() << std::endl;
        report({LoadMessage::Kind::Error, QString(), text});
        return;
    }
    sceneFileLimit = options.maxSceneFiles;
    // An option's value: no "Loading" line, as for --stats and --tags.
    if (!options.scene.isEmpty())
        openScene(options.scene);
    // Before the surfaces, so each opens where it will be drawn.
    if (options.given.contains("--no-hemi-offset"))
        doc->setHemisphereOffset(false);

    // The files, as they always were; which surfaces they opened, in order,
    // then the subject's hemispheres, coloured by their first overlay.
    std::vector<int> named;
    for (const QString& name : std::as_const(options.surfaces)) {
        const std::size_t before = doc->surfaces().size();
        openLogged({name.toLocal8Bit()});
        if (doc->surfaces().size() > before)
            named.push_back(doc->surfaces().back());
    }
    if (!options.subject.isEmpty())
        for (const SubjectSurface& opened : openSubject(gyroscene::figure_subject(options)))
            named.push_back(opened.id);

    // The rest by the rule gyrolux-render follows too, over what is open.
    const std::vector<int> surfaces = doc->surfaces();
    std::vector<int> indices;
    for (int id : named)
        indices.push_back(int(std::find(surfaces.begin(), surfaces.end(), id) - surfaces.begin()));
    const gyroscene::scene_state before = doc->state();
    gyroscene::scene_state after = before;
    // Statistics files given as plain arguments are the viewer's own way of
    // saying --stats: with a look asked for, the last one colours its
    // surface when nothing else does.
    const bool looks = !options.column.isEmpty() || options.limits || options.threshold ||
                       !options.underlay.isEmpty() || !options.colourBar.isEmpty();
    for (int index : indices) {
        gyroscene::surface_state& surface = after.surfaces[std::size_t(index)];
        if (looks && surface.coloured_file < 0 && !surface.statistics.empty()) {
            surface.coloured_file = int(surface.statistics.size()) - 1;
            surface.coloured_column = options.column;
        }
    }
    QStringList problems;
    gyroscene::apply_figure_options(options, &after, indices, &problems);
    for (const QString& text : std::as_const(problems)) {
        std::cerr << text.toLocal8Bit().constData() << std::endl;
        report({LoadMessage::Kind::Error, QString(), text});
    }
    for (const LoadMessage& message :
         SceneLoader(resources).update(before, after, tr("Command line")))
        report(message);

    if (options.given.contains("--projection"))
        viewer->setProjection(options.projection);
    if (!options.views.isEmpty())
        startView = options.views.first();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (startView.isEmpty())
        return;
    // Framed for the size the view has once laid out.
    QTimer::singleShot(0, this, [this] {
        if (views->showNamedView(startView))
            viewer->keepAsHome();
        startView.clear();
    });
}
