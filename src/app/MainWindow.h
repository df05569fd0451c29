// The program's one window: the 3-D view in the middle, the resource panel
// in a dock on the right, the File menu, and the log of problems met while
// opening files in a dock below, counted in the status bar. Hands opened
// files to the panel by the suffix of their names.
#pragma once

#include <QMainWindow>

#include "ReaderMessages.h"

class BrainQuarter;
class MessageLog;
class PickPanel;
class QAction;
class QDockWidget;
class QFile;
class QMenu;
class QPushButton;
class ResourceForm;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();

    bool openFile(QFile& file);
    // The program's arguments, each logged and opened in turn; names are
    // in the local encoding, as the system hands them over.
    void openCommandLine(const QList<QByteArray>& arguments);

    BrainQuarter* getViewer() const;
    ResourceForm* getResources() const;
    MessageLog* getMessageLog() const;
    QDockWidget* getMessagesDock() const;
    PickPanel* getPickPanel() const;
    QDockWidget* getPickDock() const;
    // Absent until the first problem.
    QPushButton* getProblemsButton() const;
    // View > Colour Bar Legend.
    QAction* getLegendAction() const;

public slots:
    void openFileFromDialog();
    void quitApplication();
    void showMessages();

private:
    void createActions();
    void createMenus();
    void initColourbars();
    void widenToFitPanel();
    // Logs the message, counts it in the status bar and shows the log.
    void report(const LoadMessage& message);
    void reportUnknownSuffix(const QFile& file);

    QMenu* fileMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QAction* legendAction = nullptr;
    QAction* openFileAction = nullptr;
    QAction* closeFileAction = nullptr;
    QAction* quitAction = nullptr;
    BrainQuarter* viewer = nullptr;
    ResourceForm* resources = nullptr;
    QDockWidget* resourcesDock = nullptr;
    MessageLog* messageLog = nullptr;
    QDockWidget* messagesDock = nullptr;
    QPushButton* problemsButton = nullptr;
    PickPanel* pickPanel = nullptr;
    QDockWidget* pickDock = nullptr;
};
