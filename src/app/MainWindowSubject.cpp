// A FreeSurfer subject opened as its users know it: each hemisphere's
// surface with its curv file as the underlay in two greys, and the overlays
// and parcellations named, from the command line (--subject) or from
// File > Open Subject.
#include "MainWindow.h"
#include "Settings.h"

#include "BrainQuarter.h"
#include "FileLoader.h"
#include "ResourceForm.h"
#include "GeometryScene.h"
#include "SceneDocument.h"
#include "freesurfer_surface.h"
#include "subject_files.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QSettings>

#include <iostream>

std::vector<MainWindow::SubjectSurface> MainWindow::openSubject(
    const gyroscene::subject_request& request)
{
    gyroscene::subject_files files;
    if (const auto problem = gyroscene::resolve_subject(request, &files)) {
        const QString text = tr("Command line: %1").arg(*problem);
        std::cerr << text.toLocal8Bit().constData() << std::endl;
        report({LoadMessage::Kind::Error, QString(), text});
        return {};
    }
    for (const QString& line : std::as_const(files.missing)) {
        std::cerr << line.toLocal8Bit().constData() << std::endl;
        report({LoadMessage::Kind::Warning, QString(), line});
    }
    std::vector<SubjectSurface> opened;
    for (const gyroscene::hemisphere_files& hemisphere : files.hemispheres) {
        const std::size_t before = doc->surfaces().size();
        openLogged({QFile::encodeName(hemisphere.surface)});
        if (doc->surfaces().size() == before)
            continue;
        SubjectSurface surface{doc->surfaces().back(), SceneDocument::none};
        doc->setHemisphere(surface.id, hemisphere.side);
        // Each file onto this surface, its messages logged as a file's are.
        const auto attach = [&](const QString& path, bool statistics) {
            const FileLoader::Result result = FileLoader(resources).open(
                path, statistics ? VERTEX_DATA_FILE_KIND : PARCELLATION_FILE_KIND, surface.id);
            for (const LoadMessage& message : result.messages)
                report(message);
            return result.loaded;
        };
        if (!hemisphere.curv.isEmpty() && attach(hemisphere.curv, true))
            doc->setUnderlay(surface.id, doc->statisticsOf(surface.id).back(),
                             QStringLiteral("curv"), 2);
        for (const QString& path : hemisphere.statistics)
            if (attach(path, true) && surface.colouring == SceneDocument::none)
                surface.colouring = doc->statisticsOf(surface.id).back();
        for (const QString& path : hemisphere.labels)
            attach(path, false);
        // Coloured by its first overlay, as gyrolux-render draws a subject.
        if (surface.colouring != SceneDocument::none) {
            const QStringList columns = resources->columnNames(surface.colouring);
            if (!columns.isEmpty())
                doc->chooseColumn(surface.colouring, columns.first());
        }
        opened.push_back(surface);
    }
    return opened;
}

void MainWindow::openSubjectFromDialog()
{
    QSettings settings = gyroluxSettings();
    const QString dir = QFileDialog::getExistingDirectory(
        this, tr("Open Subject"), settings.value("lastSubjectDirectory").toString());
    if (dir.isEmpty())
        return;
    gyroscene::subject_request request;
    request.dir = dir;
    if (!chooseSubjectView(&request))
        return;
    settings.setValue("lastSubjectDirectory", QFileInfo(dir).absolutePath());
    if (!openSubject(request).empty())
        viewer->frameScene();
}

bool MainWindow::chooseSubjectView(gyroscene::subject_request* request)
{
    QDialog dialog(this);
    dialog.setObjectName("subjectDialog");
    dialog.setWindowTitle(tr("Open Subject %1").arg(QDir(request->dir).dirName()));
    auto* form = new QFormLayout(&dialog);
    auto* hemi = new QComboBox(&dialog);
    hemi->setObjectName("hemiCombo");
    hemi->addItem(tr("Both"), QStringLiteral("both"));
    hemi->addItem(tr("Left (lh)"), QStringLiteral("lh"));
    hemi->addItem(tr("Right (rh)"), QStringLiteral("rh"));
    form->addRow(tr("Hemisphere:"), hemi);
    // The surfaces the folder has, by their names after the hemisphere.
    auto* surface = new QComboBox(&dialog);
    surface->setObjectName("surfCombo");
    surface->setEditable(true);
    QStringList kinds;
    for (const QString& name :
         QDir(request->dir + "/surf").entryList({"lh.*", "rh.*"}, QDir::Files, QDir::Name)) {
        const QString kind = name.mid(3);
        if (!kinds.contains(kind) &&
            freesurfer_file_kind_of(QFile::encodeName(QDir(request->dir + "/surf").filePath(name))
                                        .constData()) == FREESURFER_TRIANGLE_SURFACE)
            kinds.append(kind);
    }
    surface->addItems(kinds.isEmpty() ? QStringList{request->surface} : kinds);
    surface->setCurrentText(request->surface);
    form->addRow(tr("Surface:"), surface);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request->hemi = hemi->currentData().toString();
    request->surface = surface->currentText().trimmed();
    return true;
}
