#include "MainWindow.h"

#include "BrainQuarter.h"
#include "ResourceForm.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <cstdlib>
#include <iostream>

MainWindow::MainWindow()
    : QMainWindow(nullptr)
{
    QCoreApplication::setOrganizationName("TARV");
    QCoreApplication::setApplicationName("gyrolux");
    {
        QSettings nativeSettings;
        std::cout << "SETTINGS PATH: " << nativeSettings.fileName().toLocal8Bit().constData()
                  << std::endl;
        QSettings iniSettings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux");
        std::cout << "SETTINGS PATH: " << iniSettings.fileName().toLocal8Bit().constData()
                  << std::endl;

        createActions();
        createMenus();
        initColourbars();

        viewer = new BrainQuarter(nullptr);
        resources = new ResourceForm(this, viewer);
        resourcesDock = new QDockWidget(tr("Resources"), this);
        addDockWidget(Qt::RightDockWidgetArea, resourcesDock);
        resourcesDock->setWidget(resources);
        setCentralWidget(viewer);
    }
}

void MainWindow::createActions()
{
    openFileAction = new QAction(tr("&Open File"), this);
    connect(openFileAction, &QAction::triggered, this, &MainWindow::openFileFromDialog);
    quitAction = new QAction(tr("&Quit"), this);
    connect(quitAction, &QAction::triggered, this, &MainWindow::quitApplication);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(openFileAction);
    fileMenu->addAction(quitAction);
}

void MainWindow::initColourbars()
{
    // Installs the built-in colour bars into the texture directory; a file
    // already there (perhaps edited by the user) is never replaced.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "TARV", "gyrolux");
    const QString defaultDir = QFileInfo(settings.fileName()).path() + "/textures/";
    QString dir = settings.value("textureDir", defaultDir).toString();
    // An empty value would put the bars into the file-system root.
    if (dir.trimmed().isEmpty())
        dir = defaultDir;
    settings.setValue("textureDir", dir);
    std::cout << "TextureDir: " << dir.toLocal8Bit().constData() << std::endl;

    if (!QDir(dir).exists())
        QDir().mkpath(dir);

    const QDir bundle(":/resources/colourbars");
    for (const QFileInfo& entry : bundle.entryInfoList()) {
        const QString base = entry.baseName();
        std::cout << "Basename: " << base.toLocal8Bit().constData() << std::endl;
        const QString target = dir + "/" + base + ".png";
        if (QFile::exists(target))
            continue;
        std::cout << "FILENAME: " << entry.filePath().toLocal8Bit().constData() << std::endl;
        const QImage image(entry.filePath());
        const bool saved = image.save(target);
        std::cout << "Created colourbar: " << target.toLocal8Bit().constData() << " "
                  << (image.isNull() ? 1 : 0) << " " << (saved ? 1 : 0) << std::endl;
    }
}

bool MainWindow::openFile(QFile& file)
{
    const QString suffix = QFileInfo(file).suffix();
    bool loaded = false;
    if (suffix == "obj")
        loaded = resources->insertGeometry(file);
    else if (suffix == "txt" || suffix == "vertstats")
        loaded = resources->insertVertstats(file);
    else if (suffix == "tag")
        loaded = resources->insertTagfile(file);
    else
        return false;

    if (!loaded && !resources->lastLoadError().isEmpty())
        statusBar()->showMessage(resources->lastLoadError());
    return loaded;
}

void MainWindow::openFileFromDialog()
{
    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open File"), QString(), tr("Files (*.obj *.txt *.vertstats *.tag)"));
    if (name.isNull())
        return;
    QFile file(name);
    openFile(file);
}

void MainWindow::quitApplication()
{
    std::exit(0);
}

BrainQuarter* MainWindow::getViewer() const
{
    return viewer;
}

ResourceForm* MainWindow::getResources() const
{
    return resources;
}
