#pragma once
// A Qt OpenGL widget that renders a Coin scene graph and turns Qt mouse and
// key events into Coin events, with Coin's SCXML navigation (examiner) on top;
// the wheel and the zoom drag are the widget's own.

#include <QImage>
#include <QOpenGLWidget>
#include <QUrl>

#include <memory>

class SoNode;
class SoCamera;
class SoSeparator;
class SoDirectionalLight;
class SoRenderManager;
class SoEventManager;
class SoScXMLStateMachine;
class SoEvent;
class SbBox3f;
class QTimer;

namespace gyroview {

// Starts Coin (database, node kits, interaction, navigation) and hooks Coin's
// sensor queue to the Qt event loop. Must run before any node is made; later
// calls do nothing.
void init();

// Whether a GL_RENDERER string names Mesa's software rasterisers (no
// graphics card: buffer objects only copy arrays within main memory).
bool isSoftwareRenderer(const char* renderer);

class ViewerWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit ViewerWidget(QWidget* parent = nullptr);
    ~ViewerWidget() override;

    void setSceneGraph(SoNode* node);
    SoNode* getSceneGraph() const;

    // A scene drawn after the main one on every frame, over it and with a
    // camera of its own (a legend); it takes no part in picking, navigation
    // or fitting the camera. Null removes it.
    void setOverlaySceneGraph(SoNode* node);
    SoNode* getOverlaySceneGraph() const;

    SoRenderManager* getSoRenderManager() const;
    SoEventManager* getSoEventManager() const;

    // Loads a navigation state machine; "coin:///scxml/navigation/examiner.xml"
    // names Coin's built-in examiner. Returns false when it cannot be loaded.
    bool setNavigationModeFile(const QUrl& url);
    QUrl navigationModeFile() const;

    // Fits the active camera to the whole scene.
    void viewAll();

    void setHeadlightEnabled(bool on);
    bool headlightEnabled() const;
    SoDirectionalLight* getHeadlight() const;

    // The camera the scene graph brings (or the one the widget made for it).
    SoCamera* getCamera() const;

    // Upper bound on redraws the scene asks for (spinning, animation); starts
    // at the screen's refresh rate.
    void setMaxFrameRate(double hz);
    double maxFrameRate() const;

    // Frames drawn since construction; lets tests and benchmarks wait for one.
    quint64 frameCount() const;

    // Whether a drag let go while moving leaves the view spinning; a spin
    // stops by itself after a few seconds. On by default.
    void setSpinEnabled(bool on);
    bool spinEnabled() const;
    // Ends a spin now, so that a camera set from outside stays where it is put.
    void stopSpin();

    // Everything the view draws, drawn again off screen at `scale` times
    // the view's size in device pixels: finer detail, not an enlargement of
    // the frame on screen. Null when there is no GL yet or the GL cannot
    // make an image that large.
    QImage renderImage(int scale = 1);

    // Replaces the GL context with a new one and draws again. Mesa keeps
    // what the largest draw needed (binned scenes, vertex caches, tens of
    // megabytes on a surface of a million triangles) for as long as the
    // context lives; a new context starts small. Coin's caches for the old
    // one are let go as on reparenting.
    void renewContext();
    // Contexts this widget has had (1 after its first frame).
    int contextCount() const;

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;

    void syncViewport();
    // The scene as paintGL draws it, into whatever framebuffer is bound.
    void drawScene();
    bool dispatch(const SoEvent* event);
    // Send a translated press/release or key event on; false when Coin has no
    // name for the button or key.
    bool forwardButton(QMouseEvent* event);
    bool forwardKey(QKeyEvent* event);
    // For events the navigation must not see.
    bool dispatchToScene(const SoEvent* event);
    SbBox3f sceneBox() const;
    void beginZoomDrag(QMouseEvent* event);
    void zoomDragTo(qreal y);
    void requestRedraw();
    void releaseCacheContext();
    friend struct Private;
};

}  // namespace gyroview
