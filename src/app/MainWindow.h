// The program's one window: the 3-D view in the middle, the resource panel
// in a dock on the right, and the File menu. Hands opened files to the
// panel by the suffix of their names.
#pragma once

#include <QMainWindow>

class BrainQuarter;
class QAction;
class QDockWidget;
class QFile;
class QMenu;
class ResourceForm;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();

    bool openFile(QFile& file);

    BrainQuarter* getViewer() const;
    ResourceForm* getResources() const;

public slots:
    void openFileFromDialog();
    void quitApplication();

private:
    void createActions();
    void createMenus();
    void initColourbars();

    QMenu* fileMenu = nullptr;
    QAction* openFileAction = nullptr;
    QAction* quitAction = nullptr;
    BrainQuarter* viewer = nullptr;
    ResourceForm* resources = nullptr;
    QDockWidget* resourcesDock = nullptr;
};
