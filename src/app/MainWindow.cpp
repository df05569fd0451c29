#include "MainWindow.h"
#include "Settings.h"
#include "message_text.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "FileDropFilter.h"
#include "FileLoader.h"
#include "opening_look.h"
#include "HemisphereOffsets.h"
#include "KeysHelp.h"
#include "MessageLog.h"
#include "PickPanel.h"
#include "ReaderMessages.h"
#include "RecentFiles.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "SceneLoader.h"
#include "Screenshot.h"
#include "SurfaceMenu.h"
#include "scene_file.h"
#include "ViewMenu.h"
#include "file_kind.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <algorithm>
#include <cstdlib>
#include <iostream>

MainWindow::MainWindow()
    : QMainWindow(nullptr)
{
    QCoreApplication::setOrganizationName("TARV");
    QCoreApplication::setApplicationName("gyrolux");
    QCoreApplication::setApplicationVersion(GYROLUX_VERSION);
    {
        QSettings nativeSettings;
        std::cout << "SETTINGS PATH: " << nativeSettings.fileName().toLocal8Bit().constData()
                  << std::endl;
        QSettings iniSettings = gyroluxSettings();
        std::cout << "SETTINGS PATH: " << iniSettings.fileName().toLocal8Bit().constData()
                  << std::endl;

        createActions();
        createMenus();
        // Before the colour bars: installing them can already have news.
        messageLog = new MessageLog(this);
        initColourbars();

        viewer = new BrainQuarter(nullptr);
        doc = new SceneDocument(this);
        resources = new ResourceForm(this, viewer, doc);
        resourcesDock = new QDockWidget(tr("Resources"), this);
        resourcesDock->setObjectName("resourcesDock");
        addDockWidget(Qt::RightDockWidgetArea, resourcesDock);
        resourcesDock->setWidget(resources);
        // Below the resources; told of a pick before the tree's rows are.
        pickPanel = new PickPanel(resources, viewer, this);
        pickDock = new QDockWidget(tr("Pick"), this);
        pickDock->setObjectName("pickDock");
        pickDock->setWidget(pickPanel);
        addDockWidget(Qt::RightDockWidgetArea, pickDock);
        splitDockWidget(resourcesDock, pickDock, Qt::Vertical);
        connect(doc, &SceneDocument::filesChanged, pickPanel, &PickPanel::refresh);
        // The region under the mouse, only while a parcellation is shown.
        const auto hover = [this] { viewer->setHoverPicking(resources->parcellationShown()); };
        connect(doc, &SceneDocument::filesChanged, this, hover);
        connect(doc, &SceneDocument::layerShownChanged, this, hover);
        connect(viewer, &BrainQuarter::pointHovered, this, &MainWindow::showRegionUnderMouse);
        messagesDock = new QDockWidget(tr("Messages"), this);
        messagesDock->setObjectName("messagesDock");
        addDockWidget(Qt::BottomDockWidgetArea, messagesDock);
        messagesDock->setWidget(messageLog);
        messagesDock->setVisible(messageLog->count() > 0);
        setCentralWidget(viewer);

        views = new ViewMenu(viewMenuPtr, viewer, resources);
        surfaceMenu = new SurfaceMenu(viewMenuPtr, views, resources);
        offsets = new HemisphereOffsets(resources, viewer, this);
        connect(offsets, &HemisphereOffsets::offsetsChanged, pickPanel, &PickPanel::refresh);
        views->addDockToggles(resourcesDock, pickDock, messagesDock);
        viewMenuPtr->addAction(legendAction);
        helpMenu = menuBar()->addMenu(tr("&Help"));
        helpMenu->addAction(keysHelpAction);
        helpMenu->addAction(aboutAction);

        auto* drops = new FileDropFilter(this);
        // Opened once the drop is over, so the dragging program is not kept waiting.
        connect(drops, &FileDropFilter::filesDropped, this, &MainWindow::openFiles,
                Qt::QueuedConnection);
        restoreLayout();

        connect(doc, &SceneDocument::legendChanged, this, [this](bool on) {
            legendAction->setChecked(on);
            viewer->setLegendEnabled(on);
        });
        connect(doc, &SceneDocument::backgroundChanged, viewer, &BrainQuarter::setBackground);
        connect(viewer, &BrainQuarter::problemFound, this, [this](const QString& text) {
            report({LoadMessage::Kind::Warning, QString(), text});
        });
        connect(doc, &SceneDocument::modifiedChanged, this, &MainWindow::updateTitle);
        connect(doc, &SceneDocument::sceneFileChanged, this, &MainWindow::updateTitle);
        // The view has the keys at start-up, not the first field of a dock.
        viewer->setFocus();
    }
}

void MainWindow::createActions()
{
    openFileAction = new QAction(tr("&Open File"), this);
    openFileAction->setShortcut(QKeySequence::Open);
    connect(openFileAction, &QAction::triggered, this, &MainWindow::openFileFromDialog);
    openSubjectAction = new QAction(tr("Open &Subject..."), this);
    openSubjectAction->setToolTip(tr("A FreeSurfer subject's folder: its surfaces with the "
                                     "curvature underneath"));
    connect(openSubjectAction, &QAction::triggered, this, &MainWindow::openSubjectFromDialog);
    closeFileAction = new QAction(tr("&Close"), this);
    closeFileAction->setToolTip(tr("Close the file of the row selected in the resources"));
    connect(closeFileAction, &QAction::triggered, this, [this] { resources->closeSelected(); });
    quitAction = new QAction(tr("&Quit"), this);
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, this, &MainWindow::quitApplication);
    screenshotAction = new QAction(tr("Save &Screenshot..."), this);
    screenshotAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(screenshotAction, &QAction::triggered, this, &MainWindow::saveScreenshotFromDialog);
    keysHelpAction = new QAction(tr("&Keys and Mouse"), this);
    connect(keysHelpAction, &QAction::triggered, this, &MainWindow::showKeysHelp);
    aboutAction = new QAction(tr("&About gyrolux"), this);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    legendAction = new QAction(tr("Colour Bar Legend"), this);
    legendAction->setCheckable(true);
    legendAction->setChecked(true);
    // Made before the document, toggled only once the window stands.
    connect(legendAction, &QAction::toggled, this, [this](bool on) { doc->setLegendShown(on); });
    saveSceneAction = new QAction(tr("Save Sc&ene"), this);
    saveSceneAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveSceneAction->setToolTip(tr("Save the open files, how they are drawn and the view as a scene"));
    connect(saveSceneAction, &QAction::triggered, this, &MainWindow::saveSceneToFile);
    saveSceneAsAction = new QAction(tr("Save Scene &As..."), this);
    connect(saveSceneAsAction, &QAction::triggered, this, &MainWindow::saveSceneAs);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(openFileAction);
    recentMenu = fileMenu->addMenu(tr("Open &Recent"));
    recentFiles = new RecentFiles(recentMenu);
    connect(recentFiles, &RecentFiles::openRequested, this, &MainWindow::openRecent);
    fileMenu->addAction(openSubjectAction);
    fileMenu->addAction(closeFileAction);
    fileMenu->addSeparator();
    fileMenu->addAction(saveSceneAction);
    fileMenu->addAction(saveSceneAsAction);
    fileMenu->addAction(screenshotAction);
    fileMenu->addSeparator();
    fileMenu->addAction(quitAction);
    // Filled once the view and the panel exist.
    viewMenuPtr = menuBar()->addMenu(tr("&View"));
}

void MainWindow::initColourbars()
{
    const QString dir = ColourBarStore::directory();
    if (!ColourBarStore::installBuiltIns())
        report({LoadMessage::Kind::Warning, dir,
                tr("The texture directory %1 cannot be written; the built-in colour bars are "
                   "used instead")
                    .arg(dir)});
}

void MainWindow::report(const LoadMessage& message)
{
    messageLog->add(message);
    const int count = messageLog->count();
    if (!problemsButton) {
        problemsButton = new QPushButton;
        problemsButton->setObjectName("problemsButton");
        problemsButton->setFlat(true);
        problemsButton->setToolTip(tr("Show the messages"));
        connect(problemsButton, &QPushButton::clicked, this, &MainWindow::showMessages);
        statusBar()->addPermanentWidget(problemsButton);
        // Made after the window was shown, neither would show by itself.
        statusBar()->show();
        problemsButton->show();
    }
    problemsButton->setText(count == 1 ? tr("1 problem") : tr("%1 problems").arg(count));
    showMessages();
}

void MainWindow::showMessages()
{
    // Not yet there while the constructor installs the colour bars.
    if (!messagesDock)
        return;
    messagesDock->show();
    messagesDock->raise();
}

void MainWindow::reportUnknownSuffix(const QFile& file)
{
    const QString suffix = QFileInfo(file).suffix();
    QString text = tr("Cannot open %1: gyrolux opens .obj, .vertstats, .txt, .csv and .tag files, "
                      "FreeSurfer surfaces, curv, .annot and .label files, .mgh, .mgz and .gii "
                      "files, and .gyrolux scenes")
                       .arg(file.fileName());
    // The choice of reader goes by the exact suffix; a capitalised one
    // only needs renaming.
    const QString lower = suffix.toLower();
    if (lower != suffix &&
        (lower == "obj" || lower == "vertstats" || lower == "txt" || lower == "csv" ||
         lower == "tag"))
        text += tr(" (in lower case: rename it to end in .%1)").arg(lower);
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    statusBar()->showMessage(gyroscene::message_text(text));
    report({LoadMessage::Kind::Error, file.fileName(), text});
}

bool MainWindow::openFile(QFile& file)
{
    const File_kinds kind = file_kind_of(readerFileName(file).constData()).kind;
    if (kind == SCENE_FILE_KIND)
        return openScene(file.fileName());
    if (kind == UNKNOWN_FILE_KIND) {
        reportUnknownSuffix(file);
        return false;
    }
    const FileLoader::Result result = FileLoader(resources).open(file.fileName(), kind);
    if (kind == VERTEX_DATA_FILE_KIND)
        for (int id : result.ids)
            showOnOpen(file.fileName(), id);
    if (!result.loaded && !result.error.isEmpty())
        statusBar()->showMessage(gyroscene::message_text(result.error));
    for (const LoadMessage& message : result.messages)
        report(message);
    if (result.loaded)
        remember(file, kind == SURFACE_FILE_KIND);
    return result.loaded;
}

void MainWindow::showRegionUnderMouse(int vertex, int faceSet)
{
    const QString text = vertex >= 0 ? resources->hoverText(faceSet, vertex) : QString();
    if (!text.isEmpty())
        statusBar()->showMessage(gyroscene::message_text(text));
    else if (!hoverMessage.isEmpty() && statusBar()->currentMessage() == hoverMessage)
        statusBar()->clearMessage();
    hoverMessage = text;
}

void MainWindow::remember(const QFile& file, bool surface)
{
    const QFileInfo info(file);
    recentFiles->add(info.absoluteFilePath());
    QSettings settings = gyroluxSettings();
    settings.setValue("lastDirectory", info.absolutePath());
    if (surface && doc->sceneFile().isEmpty())
        setWindowTitle(tr("%1 - gyrolux").arg(info.fileName()));
}

void MainWindow::showOnOpen(const QString& path, int statistics)
{
    const int surface = doc->surfaceOf(statistics);
    const gyroscene::opening_look look = gyroscene::look_on_open(
        path, file_kind_of(readerFileName(path).constData()).format,
        resources->columnNames(statistics), doc->colouringFile(surface) != SceneDocument::none,
        doc->underlayFile(surface) != SceneDocument::none);
    if (look.role == gyroscene::opening_look::Role::Colour)
        doc->chooseColumn(statistics, look.column);
    else if (look.role == gyroscene::opening_look::Role::Underlay)
        doc->setUnderlay(surface, statistics, look.column, 2);
}

void MainWindow::openFiles(const QStringList& paths)
{
    QList<QByteArray> names;
    for (const QString& path : paths)
        names << QFile::encodeName(path);
    // Dropped names are files, whatever they start with.
    openLogged(names);
}

void MainWindow::openRecent(const QString& path)
{
    // A missing file would only leave a failed row behind.
    if (!QFileInfo::exists(path)) {
        const QString text = tr("%1 is no longer there; it is taken off the recent files").arg(path);
        statusBar()->showMessage(gyroscene::message_text(text));
        report({LoadMessage::Kind::Warning, path, text});
        recentFiles->remove(path);
        return;
    }
    QFile file(path);
    openFile(file);
}

void MainWindow::openLogged(const QList<QByteArray>& names)
{
    for (const QByteArray& name : names) {
        std::cout << "Loading " << name.constData() << std::endl;
        QFile file(QString::fromLocal8Bit(name));
        openFile(file);
    }
}

void MainWindow::openFileFromDialog()
{
    const QSettings settings = gyroluxSettings();
    const QString allFiles = tr("All files (*)");
    // FreeSurfer's files carry no suffix and may be named anything: only
    // "All files" shows everything gyrolux opens, so it is the one chosen.
    QString selected = allFiles;
    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open File"), settings.value("lastDirectory").toString(),
        tr("Files (*.obj *.txt *.vertstats *.tag);;"
           "GIFTI, MGH and FreeSurfer files (*.gii *.gii.gz *.mgh *.mgz lh.* rh.*);;"
           "gyrolux scenes (*.gyrolux);;") +
            allFiles,
        &selected);
    if (name.isNull())
        return;
    QFile file(name);
    openFile(file);
}

bool MainWindow::saveScreenshot(const QString& path, int scale)
{
    const QImage image = viewer->renderImage(scale);
    QString why;
    if (image.isNull())
        why = tr("the view cannot be drawn at %1 times its size").arg(scale);
    else if (Screenshot::writePng(image, path, &why))
        why.clear();
    if (why.isEmpty()) {
        statusBar()->showMessage(tr("Saved %1 (%2 x %3)").arg(path).arg(image.width()).arg(image.height()));
        return true;
    }
    const QString text = tr("Cannot save the screenshot %1: %2").arg(path, why);
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    statusBar()->showMessage(gyroscene::message_text(text));
    report({LoadMessage::Kind::Error, path, text});
    return false;
}

void MainWindow::saveScreenshotFromDialog()
{
    QSettings settings = gyroluxSettings();
    const QSize size = viewer->size() * viewer->devicePixelRatio();
    QStringList filters;
    for (int scale : Screenshot::scales())
        filters << Screenshot::filter(scale, size);
    QString chosen = Screenshot::filter(settings.value("screenshotScale", 1).toInt(), size);
    if (!filters.contains(chosen))
        chosen = filters.first();
    const QString start = settings.value("screenshotDirectory", settings.value("lastDirectory")).toString();
    const QString name = QFileDialog::getSaveFileName(this, tr("Save Screenshot"),
                                                      QDir(start).filePath("screenshot.png"),
                                                      filters.join(";;"), &chosen);
    if (name.isEmpty())
        return;
    const int scale = Screenshot::scaleOf(chosen, size);
    settings.setValue("screenshotScale", scale);
    settings.setValue("screenshotDirectory", QFileInfo(name).absolutePath());
    saveScreenshot(Screenshot::withSuffix(name), scale);
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, tr("About gyrolux"),
                       tr("<p><b>gyrolux</b> %1</p>"
                          "<p>A viewer for brain-surface meshes, the statistics computed at "
                          "their vertices and landmarks placed on them.</p>")
                           .arg(QCoreApplication::applicationVersion()));
}

void MainWindow::showKeysHelp()
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, tr("Keys and Mouse"), keyHelpHtml(),
                                QMessageBox::Close, this);
    box->setObjectName("keysHelp");
    box->setTextFormat(Qt::RichText);
    box->setModal(false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void MainWindow::quitApplication()
{
    // Ends at once, as it always has, unless a saved scene has changes the
    // user would lose and chooses to keep.
    if (!maybeSaveScene())
        return;
    saveLayout();
    std::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (maybeSaveScene()) {
        saveLayout();
        event->accept();
    }
    else
        event->ignore();
}

BrainQuarter* MainWindow::getViewer() const
{
    return viewer;
}

ResourceForm* MainWindow::getResources() const
{
    return resources;
}

MessageLog* MainWindow::getMessageLog() const
{
    return messageLog;
}

QDockWidget* MainWindow::getMessagesDock() const
{
    return messagesDock;
}

PickPanel* MainWindow::getPickPanel() const
{
    return pickPanel;
}

QDockWidget* MainWindow::getPickDock() const
{
    return pickDock;
}

QAction* MainWindow::getLegendAction() const
{
    return legendAction;
}

QPushButton* MainWindow::getProblemsButton() const
{
    return problemsButton;
}

QDockWidget* MainWindow::getResourcesDock() const
{
    return resourcesDock;
}

QMenu* MainWindow::viewMenu() const
{
    return viewMenuPtr;
}

ViewMenu* MainWindow::getViewMenu() const
{
    return views;
}

SurfaceMenu* MainWindow::getSurfaceMenu() const
{
    return surfaceMenu;
}

QAction* MainWindow::getOpenSubjectAction() const
{
    return openSubjectAction;
}

RecentFiles* MainWindow::getRecentFiles() const
{
    return recentFiles;
}

SceneDocument* MainWindow::document() const
{
    return doc;
}

QAction* MainWindow::getSaveSceneAction() const
{
    return saveSceneAction;
}
