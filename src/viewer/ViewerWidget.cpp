#include "ViewerWidget.h"

#include "surface_face_set.h"
#include "view_root.h"

#include "EventTranslation.h"
#include "SensorDriver.h"
#include "ViewerWidgetPrivate.h"

#include <Inventor/SbTime.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoEventManager.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/events/SoKeyboardEvent.h>
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
#include <QCoreApplication>
#include <QFile>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

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
    SurfaceFaceSet::initClass();
    // The navigation state machines need their classes; SoDB::init may have
    // registered them already.
    if (SoScXMLStateMachine::getClassTypeId() == SoType::badType())
        ScXML::initClasses();
    if (SoType::fromName("SoScXMLRotateTarget") == SoType::badType())
        SoScXMLNavigation::initClasses();
    SensorDriver::install();
}

bool isSoftwareRenderer(const char* renderer)
{
    return gyroscene::is_software_renderer(renderer);
}

namespace {
// The sensor driver stays while any view lives.
int liveWidgets = 0;
// Long enough to see the surface turn round, short enough not to keep the
// machine busy for nothing.
constexpr int spinSeconds = 4;
}

void ViewerWidget::Private::navigationStateChanged(void* data, ScXMLStateMachine*, const char* state,
                                                   SbBool entered, SbBool)
{
    // Only noted here: the machine is in the middle of a transition.
    if (!state || std::strcmp(state, "spin") != 0)
        return;
    auto* self = static_cast<Private*>(data);
    self->spinning = entered;
    if (entered)
        self->spinStarted = true;
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
    // A wheel turned over the view gives it the keys too, so that its keys
    // and the window's (Home) reach it rather than a field typed in before.
    setFocusPolicy(Qt::WheelFocus);

    d->superScene = new SoSeparator;
    d->superScene->ref();
    d->superScene->renderCaching = SoSeparator::OFF;
    d->superScene->boundingBoxCaching = SoSeparator::OFF;

    const gyroscene::view_root_nodes lighting = gyroscene::add_view_root(d->superScene);
    d->hints = lighting.hints;
    d->headlight = lighting.headlight;

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
    d->spinLimit.setSingleShot(true);
    d->spinLimit.setInterval(spinSeconds * 1000);
    connect(&d->spinLimit, &QTimer::timeout, this, [this] { stopSpin(); });
    if (const QScreen* s = screen(); s && s->refreshRate() > 1.0)
        setMaxFrameRate(s->refreshRate());

    syncViewport();
}

ViewerWidget::~ViewerWidget()
{
    if (d->overlay)
        d->renderManager->removeSuperimposition(d->overlay);
    if (d->overlayScene)
        d->overlayScene->unref();
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
    d->zoomDragging = false;
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

void ViewerWidget::setOverlaySceneGraph(SoNode* node)
{
    if (node == d->overlayScene)
        return;
    if (d->overlay) {
        d->renderManager->removeSuperimposition(d->overlay);
        d->overlay = nullptr;
    }
    if (d->overlayScene)
        d->overlayScene->unref();
    d->overlayScene = node;
    if (node) {
        node->ref();
        // Redrawn when the overlay changes; drawn over everything.
        d->overlay = d->renderManager->addSuperimposition(
            node, SoRenderManager::Superimposition::AUTOREDRAW);
    }
    requestRedraw();
}

SoNode* ViewerWidget::getOverlaySceneGraph() const
{
    return d->overlayScene;
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
    d->spinning = false;
    d->spinStarted = false;
    d->spinLimit.stop();
    d->navigation = static_cast<SoScXMLStateMachine*>(machine);
    d->navigation->addStateChangeCallback(&Private::navigationStateChanged, d.get());
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

void ViewerWidget::setSpinEnabled(bool on)
{
    d->spinEnabled = on;
    if (!on)
        stopSpin();
}

bool ViewerWidget::spinEnabled() const
{
    return d->spinEnabled;
}

void ViewerWidget::stopSpin()
{
    d->spinLimit.stop();
    if (!d->navigation || !d->spinning)
        return;
    // Escape is the examiner's way out of its spin; the scene need not see it.
    SoKeyboardEvent escape;
    escape.setTime(SbTime::getTimeOfDay());
    escape.setKey(SoKeyboardEvent::ESCAPE);
    escape.setState(SoButtonEvent::DOWN);
    d->navigation->processSoEvent(&escape);
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
    ++d->contexts;
    d->renderManager->getGLRenderAction()->setCacheContext(d->cacheContext);
    d->contextGone = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { releaseCacheContext(); });
    d->renderManager->reinitialize();
    // Without a graphics card a buffer object is one more copy of every
    // array in main memory, made in the first frame; drawing straight from
    // the nodes' arrays is as fast and starts sooner.
    gyroscene::set_buffer_rule(d->hints, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}

void ViewerWidget::renewContext()
{
    if (!d->haveCacheContext)
        return;
    // The event a reparenting sends: QOpenGLWidget drops its context and
    // framebuffer, makes new ones (initializeGL again) and asks for a frame.
    QEvent windowChange(QEvent::WindowChangeInternal);
    QCoreApplication::sendEvent(this, &windowChange);
    update();
}

int ViewerWidget::contextCount() const
{
    return d->contexts;
}

void ViewerWidget::resizeGL(int, int)
{
    syncViewport();
}

void ViewerWidget::resizeEvent(QResizeEvent* event)
{
    // QOpenGLWidget draws the resized view at once, and the paint event that
    // follows (the window's first showing, or the repaint of the resized
    // area) draws it again before anything is shown: a large surface's first
    // frame would cost two draws. The draw is left to that paint event.
    d->inResizeEvent = true;
    QOpenGLWidget::resizeEvent(event);
    d->inResizeEvent = false;
}

void ViewerWidget::paintGL()
{
    if (d->inResizeEvent) {
        update();
        return;
    }
    syncViewport();
    drawScene();
    ++d->frames;
}

void ViewerWidget::drawScene()
{
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
    const bool handled = d->eventManager->processEvent(event);
    if (d->spinStarted) {
        // Stopped before any frame is drawn, a spin not wanted never turns the camera.
        d->spinStarted = false;
        if (d->spinEnabled)
            d->spinLimit.start();
        else
            stopSpin();
    }
    return handled;
}

}  // namespace gyroview
