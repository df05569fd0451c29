// The program's one window: the 3-D view in the middle, the resource panel
// in a dock on the right, the File, View and Help menus, and the log of
// problems met while opening files in a dock below, counted in the status
// bar. Hands opened files (from the command line, the dialog, the recent
// files or a drop) to the panel by the suffix of their names.
#pragma once

#include <QMainWindow>

#include <vector>

#include "ReaderMessages.h"
#include "scene_file.h"

class BrainQuarter;
class MessageLog;
class PickPanel;
class QAction;
class QDockWidget;
class QFile;
class QMenu;
class QPushButton;
class QCloseEvent;
class QShowEvent;
class RecentFiles;
class ResourceForm;
class SceneDocument;
class ViewMenu;
class HemisphereOffsets;
class SurfaceMenu;
namespace gyroscene {
struct scene_state;
struct subject_request;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();

    bool openFile(QFile& file);
    // The program's arguments: files, each logged and opened in turn, then
    // the figure options gyrolux-render shares with the viewer laid over
    // them. Names are in the local encoding, as the system hands them over.
    // A malformed option is told in the message log and ignored.
    void openCommandLine(const QList<QByteArray>& arguments);
    // Files, each logged ("Loading ...") and opened in turn.
    void openLogged(const QList<QByteArray>& names);

    // A subject's hemispheres, each surface logged and opened with its curv
    // file as the underlay, its overlays and parcellations; missing files
    // are told in the message log and the rest opens. The surfaces opened,
    // with the first overlay that colours each (or SceneDocument::none).
    struct SubjectSurface {
        int id;
        int colouring;
    };
    std::vector<SubjectSurface> openSubject(const gyroscene::subject_request& request);

    BrainQuarter* getViewer() const;
    ResourceForm* getResources() const;
    MessageLog* getMessageLog() const;
    QDockWidget* getMessagesDock() const;
    PickPanel* getPickPanel() const;
    QDockWidget* getPickDock() const;
    // Absent until the first problem.
    QPushButton* getProblemsButton() const;
    QDockWidget* getResourcesDock() const;
    // Other parts add their toggles to it.
    QMenu* viewMenu() const;
    ViewMenu* getViewMenu() const;
    SurfaceMenu* getSurfaceMenu() const;
    QAction* getOpenSubjectAction() const;
    RecentFiles* getRecentFiles() const;
    // View > Colour Bar Legend.
    QAction* getLegendAction() const;

    // The view as a PNG file at `scale` times its size on screen, drawn
    // again at that size; false, told in the status bar and the message
    // log, when it cannot be made or written.
    bool saveScreenshot(const QString& path, int scale);

    SceneDocument* document() const;
    // The document with the view's camera and size, as a scene file holds it.
    gyroscene::scene_state sceneState() const;
    // Replaces what is open by the scene's files; a scene that cannot be
    // read leaves everything as it was. False when it was not read.
    bool openScene(const QString& path);
    // Opens the scene's files in place of what is open; `origin` names it
    // in messages. The camera, when the scene has one, is set last.
    void loadScene(const gyroscene::scene_state& scene, const QString& origin);
    bool saveScene(const QString& path);
    // With a scene changed since it was saved: asks whether to save it
    // first; false when the user cancels.
    bool maybeSaveScene();
    QAction* getSaveSceneAction() const;

public slots:
    void openFileFromDialog();
    // A folder, then its hemispheres and surface in a small dialog.
    void openSubjectFromDialog();
    // To the scene file it came from, else as Save Scene As.
    bool saveSceneToFile();
    bool saveSceneAs();
    void quitApplication();
    void showMessages();
    void saveScreenshotFromDialog();
    void showAbout();
    // The keys and mouse actions, in a window left open beside the view.
    void showKeysHelp();
    // Opened as the command line opens them, each logged first.
    void openFiles(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void updateTitle();
    // The status bar's word on the regions under the mouse.
    void showRegionUnderMouse(int vertex, int faceSet);
    void createActions();
    void createMenus();
    void initColourbars();
    // The size and the docks' layout of the last session, or a first size
    // fitted to the screen; kept when the window closes.
    void restoreLayout();
    void firstLayout();
    void saveLayout() const;
    // Logs the message, counts it in the status bar and shows the log.
    void report(const LoadMessage& message);
    void reportUnknownSuffix(const QFile& file);
    // What a successful open leaves behind: the recent files, the dialog's
    // directory, the window title for a surface.
    void remember(const QFile& file, bool surface);
    // Another program's data colours the surface, or goes underneath it,
    // as it opens (opening_look.h).
    void showOnOpen(const QString& path, int statistics);
    void openRecent(const QString& path);
    // Hemispheres and surface for the subject's folder; false on Cancel.
    bool chooseSubjectView(gyroscene::subject_request* request);

    QMenu* fileMenu = nullptr;
    QAction* legendAction = nullptr;
    QAction* openFileAction = nullptr;
    QAction* openSubjectAction = nullptr;
    HemisphereOffsets* offsets = nullptr;
    SurfaceMenu* surfaceMenu = nullptr;
    QAction* closeFileAction = nullptr;
    QAction* quitAction = nullptr;
    QAction* screenshotAction = nullptr;
    QAction* saveSceneAction = nullptr;
    QAction* saveSceneAsAction = nullptr;
    SceneDocument* doc = nullptr;
    // The command line's --view, turned to once the view has its size.
    QString startView;
    // The most files a scene opened in this session may name.
    int sceneFileLimit = gyroscene::max_scene_files;
    // What the status bar last said about the regions under the mouse.
    QString hoverMessage;
    QAction* aboutAction = nullptr;
    QAction* keysHelpAction = nullptr;
    QMenu* recentMenu = nullptr;
    QMenu* viewMenuPtr = nullptr;
    QMenu* helpMenu = nullptr;
    ViewMenu* views = nullptr;
    RecentFiles* recentFiles = nullptr;
    BrainQuarter* viewer = nullptr;
    ResourceForm* resources = nullptr;
    QDockWidget* resourcesDock = nullptr;
    MessageLog* messageLog = nullptr;
    QDockWidget* messagesDock = nullptr;
    QPushButton* problemsButton = nullptr;
    PickPanel* pickPanel = nullptr;
    QDockWidget* pickDock = nullptr;
};
