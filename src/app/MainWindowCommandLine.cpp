// The viewer's command line: files as they always were (each by its name,
// statistics to the last surface), and the figure options it shares with
// gyrolux-render laid over them through the document, so that a renderer's
// command line typed as gyrolux opens the same figure to explore.
#include "MainWindow.h"

#include "BrainQuarter.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "ViewMenu.h"
#include "figure_options.h"

#include <QFile>
#include <QStatusBar>
#include <QTimer>

#include <iostream>

namespace {

// The column a user named: by name first (a column may be called "2"), then
// as an index from 0; the first when none is named.
QString findColumn(const QStringList& names, const QString& wanted)
{
    if (wanted.isEmpty())
        return names.isEmpty() ? QString() : names.first();
    if (names.contains(wanted))
        return wanted;
    bool isNumber = false;
    const int index = wanted.toInt(&isNumber);
    return isNumber && index >= 0 && index < names.size() ? names.at(index) : QString();
}

}  // namespace

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
    // An option's value: no "Loading" line, as for --stats and --tags.
    if (!options.scene.isEmpty())
        openScene(options.scene);

    if (options.given.contains("--no-hemi-offset"))
        doc->setHemisphereOffset(false);

    // The files, as they always were; which surfaces they opened, in order.
    std::vector<int> surfaces;
    for (const QString& name : std::as_const(options.surfaces)) {
        const std::size_t before = doc->surfaces().size();
        openLogged({name.toLocal8Bit()});
        if (doc->surfaces().size() > before)
            surfaces.push_back(doc->surfaces().back());
    }
    // Then the subject's hemispheres, coloured by their first overlay.
    // (Its curv file is the underlay, never the colouring.)
    std::vector<SubjectSurface> subject;
    if (!options.subject.isEmpty())
        subject = openSubject(gyroscene::figure_subject(options));
    const std::size_t plain = surfaces.size();
    for (const SubjectSurface& opened : subject)
        surfaces.push_back(opened.id);
    // Without surface arguments, the options apply to what a scene opened.
    if (surfaces.empty())
        surfaces = doc->surfaces();

    // The i-th statistics file goes to the i-th surface; otherwise each
    // surface's options apply to its last statistics file.
    std::vector<int> files(surfaces.size(), SceneDocument::none);
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        const std::vector<int> own = doc->statisticsOf(surfaces[i]);
        if (i >= plain && i - plain < subject.size())
            files[i] = subject[i - plain].colouring;
        else if (!own.empty())
            files[i] = own.back();
    }
    for (qsizetype i = 0; i < options.statistics.size(); ++i) {
        const QString& path = options.statistics.at(i);
        if (std::size_t(i) >= surfaces.size()) {
            const QString text = tr("Command line: no surface for the statistics file %1").arg(path);
            std::cerr << text.toLocal8Bit().constData() << std::endl;
            report({LoadMessage::Kind::Error, path, text});
            continue;
        }
        resources->setLastGeometry(resources->sceneItem(surfaces[std::size_t(i)]));
        QFile file(path);
        if (resources->insertVertstats(file))
            files[std::size_t(i)] = doc->statisticsOf(surfaces[std::size_t(i)]).back();
        for (const LoadMessage& message : resources->loadMessages())
            report(message);
    }

    const bool colouring = !options.statistics.isEmpty() || !options.overlays.isEmpty() ||
                           !options.column.isEmpty() ||
                           options.limits || options.threshold || !options.underlay.isEmpty() ||
                           !options.colourBar.isEmpty();
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        if (options.given.contains("--colour") && options.colour)
            doc->setSurfaceColour(surfaces[i], *options.colour);
        if (options.given.contains("--opacity"))
            doc->setSurfaceOpacity(surfaces[i], options.opacity);
        const int file = files[i];
        if (!colouring || file == SceneDocument::none)
            continue;
        const QStringList names = resources->columnNames(file);
        const QString column = findColumn(names, options.column);
        if (column.isEmpty()) {
            const QString text = tr("Command line: no column \"%1\" in %2; its columns: %3")
                                     .arg(options.column, doc->statistics(file)->path,
                                          names.join(", "));
            std::cerr << text.toLocal8Bit().constData() << std::endl;
            report({LoadMessage::Kind::Error, doc->statistics(file)->path, text});
            continue;
        }
        if (options.limits)
            doc->setColumnLimits(file, column, options.limits->first, options.limits->second);
        if (!options.colourBar.isEmpty()) {
            if (resources->colourBarNames(file).contains(options.colourBar))
                doc->setColumnBar(file, column, options.colourBar);
            else
                report({LoadMessage::Kind::Warning, QString(),
                        tr("Command line: no colour bar \"%1\"; the bars are: %2")
                            .arg(options.colourBar, resources->colourBarNames(file).join(", "))});
        }
        if (options.threshold)
            doc->setColumnThreshold(file, column, *options.threshold);
        if (!options.underlay.isEmpty()) {
            const QString underlay = findColumn(names, options.underlay);
            if (!underlay.isEmpty())
                doc->setUnderlay(surfaces[i], file, underlay, 2);
        }
        doc->chooseColumn(file, column);
    }

    for (qsizetype i = 0; i < options.labels.size(); ++i) {
        const QString& path = options.labels.at(i);
        const int target = gyroscene::labels_surface(i, surfaces.size());
        if (target < 0) {
            const QString text = tr("Command line: no surface for the parcellation %1").arg(path);
            std::cerr << text.toLocal8Bit().constData() << std::endl;
            report({LoadMessage::Kind::Error, path, text});
            continue;
        }
        resources->setLastGeometry(resources->sceneItem(surfaces[std::size_t(target)]));
        QFile file(path);
        resources->insertParcellation(file);
        for (const LoadMessage& message : resources->loadMessages())
            report(message);
    }
    for (int surface : surfaces)
        for (int parcels : doc->parcellationsOf(surface)) {
            if (options.outline)
                doc->setParcelOutline(parcels, true);
            if (options.labelOpacity)
                doc->setParcelOpacity(parcels, *options.labelOpacity);
        }

    for (const QString& path : std::as_const(options.tags)) {
        QFile file(path);
        resources->insertTagfile(file);
        for (const LoadMessage& message : resources->loadMessages())
            report(message);
    }
    if (options.given.contains("--tag-radius"))
        for (int tags : doc->tagFiles())
            doc->setTagRadius(tags, options.tagRadius);
    if (options.given.contains("--background"))
        doc->setBackground(options.background);
    if (options.legend)
        doc->setLegendShown(true);
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
