// The main window's scene files: saving, opening, the title and the question
// before unsaved changes are lost.
#include "MainWindow.h"
#include "Settings.h"
#include "message_text.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "RecentFiles.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "SceneLoader.h"
#include "scene_file.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>

#include <iostream>

gyroscene::scene_state MainWindow::sceneState() const
{
    gyroscene::scene_state scene = doc->state();
    scene.camera = viewer->cameraState();
    scene.view_size = viewer->size() * viewer->devicePixelRatio();
    return scene;
}

bool MainWindow::openScene(const QString& path)
{
    gyroscene::scene_state scene;
    QString error;
    if (!gyroscene::read_scene_file(path, &scene, &error, sceneFileLimit)) {
        std::cerr << error.toLocal8Bit().constData() << std::endl;
        statusBar()->showMessage(gyroscene::message_text(error));
        report({LoadMessage::Kind::Error, path, error});
        return false;
    }
    if (!maybeSaveScene())
        return false;
    loadScene(scene, QFileInfo(path).fileName());
    doc->setSceneFile(QFileInfo(path).absoluteFilePath());
    doc->setModified(false);
    recentFiles->add(QFileInfo(path).absoluteFilePath());
    updateTitle();
    return true;
}

void MainWindow::loadScene(const gyroscene::scene_state& scene, const QString& origin)
{
    resources->closeAll();
    SceneLoader loader(resources);
    for (const LoadMessage& message : loader.load(scene, origin))
        report(message);
    if (scene.camera)
        viewer->setCameraState(*scene.camera);
}

bool MainWindow::saveScene(const QString& path)
{
    QString error;
    if (!gyroscene::write_scene_file(path, sceneState(), &error)) {
        std::cerr << error.toLocal8Bit().constData() << std::endl;
        statusBar()->showMessage(gyroscene::message_text(error));
        report({LoadMessage::Kind::Error, path, error});
        return false;
    }
    doc->setSceneFile(QFileInfo(path).absoluteFilePath());
    doc->setModified(false);
    recentFiles->add(QFileInfo(path).absoluteFilePath());
    statusBar()->showMessage(tr("Saved the scene %1").arg(path));
    updateTitle();
    return true;
}

bool MainWindow::saveSceneToFile()
{
    if (doc->sceneFile().isEmpty())
        return saveSceneAs();
    return saveScene(doc->sceneFile());
}

bool MainWindow::saveSceneAs()
{
    QSettings settings = gyroluxSettings();
    const QString start = doc->sceneFile().isEmpty()
                              ? QDir(settings.value("lastDirectory").toString()).filePath("scene.gyrolux")
                              : doc->sceneFile();
    QString name = QFileDialog::getSaveFileName(this, tr("Save Scene"), start,
                                                tr("gyrolux scenes (*.gyrolux)"));
    if (name.isEmpty())
        return false;
    if (!gyroscene::is_scene_file_name(name))
        name += QStringLiteral(".") + gyroscene::scene_suffix;
    return saveScene(name);
}

bool MainWindow::maybeSaveScene()
{
    // Only a document that is a scene can lose saved work.
    if (doc->sceneFile().isEmpty() || !doc->isModified())
        return true;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("Save the scene?"),
        tr("The scene %1 has changed since it was saved. Save the changes?")
            .arg(QFileInfo(doc->sceneFile()).fileName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Save)
        return saveSceneToFile();
    return true;
}

void MainWindow::updateTitle()
{
    if (doc->sceneFile().isEmpty())
        return;
    setWindowTitle(tr("%1[*] - gyrolux").arg(QFileInfo(doc->sceneFile()).fileName()));
    setWindowModified(doc->isModified());
}
