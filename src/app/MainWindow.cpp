#include "MainWindow.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "ReaderMessages.h"
#include "ResourceForm.h"
#include "format_files.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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
        QSettings iniSettings(QSettings::IniFormat, QSettings::UserScope,
                              ColourBarStore::organisation, ColourBarStore::application);
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
    ColourBarStore::installBuiltIns();
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
    else if (const Format_file_roles role = format_file_role(readerFileName(file).constData());
             role == FORMAT_SURFACE_FILE)
        loaded = resources->insertGeometry(file);
    else if (role == FORMAT_DATA_FILE)
        loaded = resources->insertVertstats(file);
    else
        return false;

    if (!loaded && !resources->lastLoadError().isEmpty())
        statusBar()->showMessage(resources->lastLoadError());
    return loaded;
}

void MainWindow::openFileFromDialog()
{
    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open File"), QString(),
        tr("Files (*.obj *.txt *.vertstats *.tag);;"
           "GIFTI, MGH and FreeSurfer files (*.gii *.mgh *.mgz lh.* rh.*);;All files (*)"));
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
