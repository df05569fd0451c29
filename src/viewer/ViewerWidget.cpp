#include "ViewerWidget.h"

#include "EventTranslation.h"
#include "SensorDriver.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoEventManager.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/misc/SoContextHandler.h>
#include <Inventor/navigation/SoScXMLNavigation.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/scxml/ScXML.h>
#include <Inventor/scxml/SoScXMLStateMachine.h>
#include <Inventor/sensors/SoSensorManager.h>

#include <GL/gl.h>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace gyroview {

void init()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    SoDB::init();
    SoNodeKit::init();
    SoInteraction::init();
    // The navigation state machines need their classes; SoDB::init may have
    // registered them already.
    if (SoScXMLStateMachine::getClassTypeId() == SoType::badType())
        ScXML::initClasses();
    if (SoType::fromName("SoScXMLRotateTarget") == SoType::badType())
        SoScXMLNavigation::initClasses();
    SensorDriver::install();
}

struct ViewerWidget::Private {
    SoRenderManager* renderManager = nullptr;
    SoEventManager* eventManager = nullptr;
    SoScXMLStateMachine* navigation = nullptr;
    QUrl navigationUrl;

    // The scene the widget renders: shape hints, a headlight, a camera of our
    // own when the user's scene has none, then the user's scene.
    SoSeparator* superScene = nullptr;
    SoDirectionalLight* headlight = nullptr;
    SoNode* userScene = nullptr;
    SoCamera* camera = nullptr;

    uint32_t cacheContext = 0;
    bool haveCacheContext = false;
    QMetaObject::Connection contextGone;

    // Redraws are limited to the display rate: spinning after a fast release
    // asks for a new frame after every frame.
    QElapsedTimer sinceLastFrame;
    QTimer throttle;
    int frameIntervalMs = 16;
    bool updatePending = false;
    bool flushingSensors = false;
    quint64 frames = 0;

    static void renderCallback(void* data, SoRenderManager*)
    {
        static_cast<ViewerWidget*>(data)->requestRedraw();
    }
};

namespace {
// The sensor driver stays while any view lives.
int liveWidgets = 0;
}

ViewerWidget::ViewerWidget(QWidget* parent) : QOpenGLWidget(parent), d(std::make_unique<Private>())
{
    init();
    ++liveWidgets;
    SensorDriver::install();
    SensorDriver::poke();

    QSurfaceFormat fmt = format();
    fmt.setDepthBufferSize(24);
    setFormat(fmt);
    setFocusPolicy(Qt::StrongFocus);

    d->superScene = new SoSeparator;
    d->superScene->ref();
    d->superScene->renderCaching = SoSeparator::OFF;
    d->superScene->boundingBoxCaching = SoSeparator::OFF;

    // Counter-clockwise ordering with an unknown shape type gives two-sided
    // lighting without culling: surfaces whose normals face away from the
    // viewer are still lit, not dark.
    auto* hints = new SoShapeHints;
    hints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
    hints->shapeType = SoShapeHints::UNKNOWN_SHAPE_TYPE;
    d->superScene->addChild(hints);

    // Ahead of every camera the viewing matrix is the identity, so a light
    // shining down -z here stays fixed to the eye: a headlight.
    d->headlight = new SoDirectionalLight;
    d->headlight->direction = SbVec3f(0.0f, 0.0f, -1.0f);
    d->superScene->addChild(d->headlight);

    d->renderManager = new SoRenderManager;
    d->renderManager->setSceneGraph(d->superScene);
    d->renderManager->setAutoClipping(SoRenderManager::VARIABLE_NEAR_PLANE);
    // Opaque: Qt composites the framebuffer over the window, and a clear
    // alpha of 0 would let the window's grey background through.
    d->renderManager->setBackgroundColor(SbColor4f(0.0f, 0.0f, 0.0f, 1.0f));
    d->renderManager->getGLRenderAction()->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);
    d->renderManager->setRenderCallback(&Private::renderCallback, this);
    d->renderManager->activate();

    d->eventManager = new SoEventManager;
    d->eventManager->setSceneGraph(d->superScene);
    d->eventManager->setNavigationState(SoEventManager::MIXED_NAVIGATION);

    d->throttle.setSingleShot(true);
    connect(&d->throttle, &QTimer::timeout, this, [this] {
        d->updatePending = false;
        requestRedraw();
    });
    if (const QScreen* s = screen(); s && s->refreshRate() > 1.0)
        setMaxFrameRate(s->refreshRate());

    syncViewport();
}

ViewerWidget::~ViewerWidget()
{
    releaseCacheContext();
    if (d->navigation) {
        d->eventManager->removeSoScXMLStateMachine(d->navigation);
        delete d->navigation;
    }
    delete d->eventManager;
    d->renderManager->deactivate();
    delete d->renderManager;
    if (d->camera)
        d->camera->unref();
    if (d->userScene)
        d->userScene->unref();
    d->superScene->unref();
    if (--liveWidgets == 0)
        SensorDriver::uninstall();
}

void ViewerWidget::setSceneGraph(SoNode* node)
{
    if (node == d->userScene)
        return;
    if (node)
        node->ref();
    // Everything after the shape hints and the headlight is the user's part.
    while (d->superScene->getNumChildren() > 2)
        d->superScene->removeChild(2);
    if (d->userScene)
        d->userScene->unref();
    d->userScene = node;
    if (d->camera) {
        d->camera->unref();
        d->camera = nullptr;
    }

    SoCamera* found = nullptr;
    if (node) {
        SoSearchAction search;
        search.setType(SoCamera::getClassTypeId());
        search.setInterest(SoSearchAction::FIRST);
        search.apply(node);
        if (search.getPath())
            found = static_cast<SoCamera*>(search.getPath()->getTail());
    }
    const bool ownCamera = !found;
    if (ownCamera) {
        found = new SoPerspectiveCamera;
        d->superScene->addChild(found);
    }
    d->camera = found;
    d->camera->ref();
    if (node)
        d->superScene->addChild(node);

    d->renderManager->setCamera(d->camera);
    d->eventManager->setCamera(d->camera);
    if (d->navigation) {
        d->navigation->setSceneGraphRoot(d->superScene);
        d->navigation->setActiveCamera(d->camera);
    }
    // A scene without a camera of its own gets ours, fitted to it.
    if (node && ownCamera)
        viewAll();
    requestRedraw();
}

SoNode* ViewerWidget::getSceneGraph() const
{
    return d->userScene;
}

SoRenderManager* ViewerWidget::getSoRenderManager() const
{
    return d->renderManager;
}

SoEventManager* ViewerWidget::getSoEventManager() const
{
    return d->eventManager;
}

bool ViewerWidget::setNavigationModeFile(const QUrl& url)
{
    QByteArray name;
    if (url.scheme() == QLatin1String("coin")) {
        // Coin names its built-in resources "coin:path", without slashes.
        QString path = url.path();
        while (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        name = QByteArray("coin:") + path.toUtf8();
    } else if (url.isLocalFile() || url.scheme().isEmpty()) {
        name = QFile::encodeName(url.isLocalFile() ? url.toLocalFile() : url.path());
    } else {
        std::fprintf(stderr, "Navigation file %s: unsupported URL scheme\n", qPrintable(url.toString()));
        return false;
    }

    ScXMLStateMachine* machine = ScXML::readFile(name.constData());
    if (!machine) {
        std::fprintf(stderr, "Navigation file %s: cannot be read\n", name.constData());
        return false;
    }
    if (!machine->isOfType(SoScXMLStateMachine::getClassTypeId())) {
        std::fprintf(stderr, "Navigation file %s: not a Coin navigation state machine\n", name.constData());
        delete machine;
        return false;
    }

    if (d->navigation) {
        d->eventManager->removeSoScXMLStateMachine(d->navigation);
        delete d->navigation;
    }
    d->navigation = static_cast<SoScXMLStateMachine*>(machine);
    d->navigationUrl = url;
    d->navigation->setSceneGraphRoot(d->superScene);
    if (d->camera)
        d->navigation->setActiveCamera(d->camera);
    d->navigation->setViewportRegion(d->renderManager->getViewportRegion());
    d->eventManager->addSoScXMLStateMachine(d->navigation);
    d->navigation->initialize();
    return true;
}

QUrl ViewerWidget::navigationModeFile() const
{
    return d->navigationUrl;
}

void ViewerWidget::viewAll()
{
    if (!d->camera || !d->userScene)
        return;
    syncViewport();
    d->camera->viewAll(d->userScene, d->renderManager->getViewportRegion());
    requestRedraw();
}

void ViewerWidget::setHeadlightEnabled(bool on)
{
    d->headlight->on = on;
}

bool ViewerWidget::headlightEnabled() const
{
    return d->headlight->on.getValue();
}

SoDirectionalLight* ViewerWidget::getHeadlight() const
{
    return d->headlight;
}

SoCamera* ViewerWidget::getCamera() const
{
    return d->camera;
}

void ViewerWidget::setMaxFrameRate(double hz)
{
    if (!(hz > 0.0))
        return;
    d->frameIntervalMs = std::max(1, static_cast<int>(1000.0 / hz + 0.5));
}

double ViewerWidget::maxFrameRate() const
{
    return 1000.0 / d->frameIntervalMs;
}

quint64 ViewerWidget::frameCount() const
{
    return d->frames;
}

void ViewerWidget::syncViewport()
{
    const SbVec2s size = framebufferSize(this);
    if (d->renderManager->getWindowSize() == size && d->renderManager->getViewportRegion().getViewportSizePixels() == size)
        return;
    const SbViewportRegion region(size);
    d->renderManager->setWindowSize(size);
    d->renderManager->setViewportRegion(region);
    d->eventManager->setViewportRegion(region);
    // The event manager does not pass its region on to the state machines.
    if (d->navigation)
        d->navigation->setViewportRegion(region);
}

void ViewerWidget::releaseCacheContext()
{
    if (!d->haveCacheContext)
        return;
    QObject::disconnect(d->contextGone);
    const bool current = context() && context()->isValid();
    if (current)
        makeCurrent();
    SoContextHandler::destructingContext(d->cacheContext);
    if (current)
        doneCurrent();
    d->haveCacheContext = false;
}

void ViewerWidget::initializeGL()
{
    // Reparenting gives the widget a new GL context: the old one's Coin caches
    // were released when it went away, the new one needs its own id.
    releaseCacheContext();
    d->cacheContext = SoGLCacheContextElement::getUniqueCacheContext();
    d->haveCacheContext = true;
    d->renderManager->getGLRenderAction()->setCacheContext(d->cacheContext);
    d->contextGone = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { releaseCacheContext(); });
    d->renderManager->reinitialize();
}

void ViewerWidget::resizeGL(int, int)
{
    syncViewport();
}

void ViewerWidget::paintGL()
{
    syncViewport();
    // Pending delay sensors include the render manager's clipping-plane update
    // after a camera change; a frame drawn before it runs (a grab right after
    // moving the camera) would cut the surface with stale near and far planes.
    // The redraw they ask for is this frame.
    d->flushingSensors = true;
    SoDB::getSensorManager()->processDelayQueue(TRUE);
    d->flushingSensors = false;
    d->updatePending = false;
    d->sinceLastFrame.start();
    if (d->navigation)
        d->navigation->preGLRender();
    // Coin leaves the depth test to the window system layer; without it the
    // far side of a surface shows through.
    glEnable(GL_DEPTH_TEST);
    d->renderManager->render(TRUE, TRUE);
    if (d->navigation)
        d->navigation->postGLRender();
    ++d->frames;
}

void ViewerWidget::requestRedraw()
{
    if (d->updatePending || d->flushingSensors)
        return;
    d->updatePending = true;
    const qint64 elapsed = d->sinceLastFrame.isValid() ? d->sinceLastFrame.elapsed() : d->frameIntervalMs;
    if (elapsed >= d->frameIntervalMs)
        update();
    else
        d->throttle.start(static_cast<int>(d->frameIntervalMs - elapsed));
}

bool ViewerWidget::dispatch(const SoEvent* event)
{
    syncViewport();
    return d->eventManager->processEvent(event);
}

void ViewerWidget::mousePressEvent(QMouseEvent* event)
{
    if (!forwardButton(event))
        QOpenGLWidget::mousePressEvent(event);
}

void ViewerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!forwardButton(event))
        QOpenGLWidget::mouseReleaseEvent(event);
}

bool ViewerWidget::forwardButton(QMouseEvent* event)
{
    SoMouseButtonEvent coin;
    if (!translateButton(this, event, coin))
        return false;
    dispatch(&coin);
    event->accept();
    return true;
}

void ViewerWidget::mouseMoveEvent(QMouseEvent* event)
{
    SoLocation2Event coin;
    translateMove(this, event, coin);
    dispatch(&coin);
    event->accept();
}

void ViewerWidget::wheelEvent(QWheelEvent* event)
{
    const int steps = wheelSteps(event);
    if (steps == 0) {
        event->ignore();
        return;
    }
    // One press and release of the fourth or fifth button per wheel step.
    const auto button = steps > 0 ? SoMouseButtonEvent::BUTTON4 : SoMouseButtonEvent::BUTTON5;
    for (int i = 0; i < std::abs(steps); ++i) {
        for (auto state : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
            SoMouseButtonEvent coin;
            translateButton(this, event->position(), event->modifiers(), button, state, coin);
            dispatch(&coin);
        }
    }
    event->accept();
}

void ViewerWidget::keyPressEvent(QKeyEvent* event)
{
    if (!forwardKey(event))
        QOpenGLWidget::keyPressEvent(event);
}

void ViewerWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (!forwardKey(event))
        QOpenGLWidget::keyReleaseEvent(event);
}

bool ViewerWidget::forwardKey(QKeyEvent* event)
{
    SoKeyboardEvent coin;
    if (!translateKey(this, event, coin))
        return false;
    dispatch(&coin);
    event->accept();
    return true;
}

}  // namespace gyroview
