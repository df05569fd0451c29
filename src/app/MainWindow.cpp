#include "MainWindow.h"

#include "BrainQuarter.h"
#include "ColourBarStore.h"
#include "MessageLog.h"
#include "PickPanel.h"
#include "ReaderMessages.h"
#include "ResourceForm.h"
#include "format_files.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLayout>
#include <QMenuBar>
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
        // Before the colour bars: installing them can already have news.
        messageLog = new MessageLog(this);
        initColourbars();

        viewer = new BrainQuarter(nullptr);
        resources = new ResourceForm(this, viewer);
        resourcesDock = new QDockWidget(tr("Resources"), this);
        addDockWidget(Qt::RightDockWidgetArea, resourcesDock);
        resourcesDock->setWidget(resources);
        // Below the resources; told of a pick before the tree's rows are.
        pickPanel = new PickPanel(resources, viewer, this);
        pickDock = new QDockWidget(tr("Pick"), this);
        pickDock->setObjectName("pickDock");
        pickDock->setWidget(pickPanel);
        addDockWidget(Qt::RightDockWidgetArea, pickDock);
        splitDockWidget(resourcesDock, pickDock, Qt::Vertical);
        connect(viewer, &BrainQuarter::pointPicked, pickPanel, &PickPanel::pointPicked);
        connect(resources, &ResourceForm::layersChanged, pickPanel, &PickPanel::refresh);
        messagesDock = new QDockWidget(tr("Messages"), this);
        messagesDock->setObjectName("messagesDock");
        addDockWidget(Qt::BottomDockWidgetArea, messagesDock);
        messagesDock->setWidget(messageLog);
        messagesDock->setVisible(messageLog->count() > 0);
        setCentralWidget(viewer);
        widenToFitPanel();
    }
}

void MainWindow::widenToFitPanel()
{
    // Qt's first size is at most two thirds of the screen, which beside the
    // view's 640 pixels leaves the panel at its minimum: too narrow for the
    // "Description" header and the property boxes' labels.
    adjustSize();
    layout()->activate();
    const QScreen* screen = this->screen();
    const int available = screen ? screen->availableGeometry().width() : width();
    const int wanted = width() - resourcesDock->width() + resourcesDock->sizeHint().width();
    if (wanted > width())
        resize(std::min(wanted, available), height());

    // The pick panel under the resources takes height of its own: the
    // window grows by it where the screen has room, so the resources keep
    // about the height they had alone.
    const int resourcesHeight =
        std::max(resourcesDock->sizeHint().height(), viewer->minimumSizeHint().height());
    const int pickHeight = pickDock->sizeHint().height();
    const int docks = resourcesDock->height() + pickDock->height();
    const int availableHeight = screen ? screen->availableGeometry().height() : height();
    const int wantedHeight = height() - docks + resourcesHeight + pickHeight;
    if (wantedHeight > height())
        resize(width(), std::min(wantedHeight, availableHeight));
}

void MainWindow::createActions()
{
    openFileAction = new QAction(tr("&Open File"), this);
    connect(openFileAction, &QAction::triggered, this, &MainWindow::openFileFromDialog);
    closeFileAction = new QAction(tr("&Close"), this);
    closeFileAction->setToolTip(tr("Close the file of the row selected in the resources"));
    connect(closeFileAction, &QAction::triggered, this, [this] { resources->closeSelected(); });
    quitAction = new QAction(tr("&Quit"), this);
    connect(quitAction, &QAction::triggered, this, &MainWindow::quitApplication);
    legendAction = new QAction(tr("Colour Bar Legend"), this);
    legendAction->setCheckable(true);
    legendAction->setChecked(true);
    connect(legendAction, &QAction::toggled, this, [this](bool on) {
        if (viewer)
            viewer->setLegendEnabled(on);
    });
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(openFileAction);
    fileMenu->addAction(closeFileAction);
    fileMenu->addAction(quitAction);
    viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(legendAction);
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
    QString text = tr("Cannot open %1: gyrolux opens .obj, .vertstats, .txt and .tag files, "
                      "FreeSurfer surfaces and curv files, .mgh, .mgz and .gii files")
                       .arg(file.fileName());
    // The choice of reader goes by the exact suffix; a capitalised one
    // only needs renaming.
    const QString lower = suffix.toLower();
    if (lower != suffix &&
        (lower == "obj" || lower == "vertstats" || lower == "txt" || lower == "tag"))
        text += tr(" (in lower case: rename it to end in .%1)").arg(lower);
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    statusBar()->showMessage(text);
    report({LoadMessage::Kind::Error, file.fileName(), text});
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
    else {
        reportUnknownSuffix(file);
        return false;
    }

    if (!loaded && !resources->lastLoadError().isEmpty())
        statusBar()->showMessage(resources->lastLoadError());
    for (const LoadMessage& message : resources->loadMessages())
        report(message);
    return loaded;
}

void MainWindow::openCommandLine(const QList<QByteArray>& arguments)
{
    for (const QByteArray& argument : arguments) {
        std::cout << "Loading " << argument.constData() << std::endl;
        QFile file(QString::fromLocal8Bit(argument));
        openFile(file);
    }
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
