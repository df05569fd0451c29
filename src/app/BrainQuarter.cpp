#include "BrainQuarter.h"
#include "Settings.h"

#include "IndexedRayPick.h"
#include "PickIndex.h"
#include "scene_camera.h"

#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/details/SoFaceDetail.h>
#include <Inventor/details/SoPointDetail.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <algorithm>

#include <QSettings>
#include <QUrl>

#include <iostream>

namespace {

// Mouse-button callback of the root's event-callback node; userData is the view.
void event_cb(void* userData, SoEventCallback* node)
{
    std::cout << "Woooohooo!" << std::endl;

    auto* viewer = static_cast<BrainQuarter*>(userData);
    const auto* event = static_cast<const SoMouseButtonEvent*>(node->getEvent());
    if (!event || event->getButton() != SoMouseButtonEvent::BUTTON1 || event->getState() != SoButtonEvent::DOWN)
        return;

    gyroview::IndexedRayPick pick(viewer->getSoRenderManager()->getViewportRegion(), &viewer->pickIndex());
    pick.setPoint(event->getPosition());
    pick.apply(viewer->getSceneGraph());
    viewer->getPickedPoint(pick.getPickedPoint(0));
}

// Mouse moves, while hover picking is on.
void hover_cb(void* userData, SoEventCallback* node)
{
    auto* viewer = static_cast<BrainQuarter*>(userData);
    const SoEvent* event = node->getEvent();
    if (!viewer->hoverPicking() || !event)
        return;
    int vertex = -1, id = -1;
    if (!viewer->vertexAt(event->getPosition(), &vertex, &id))
        vertex = id = -1;
    emit viewer->pointHovered(vertex, id);
}

}  // namespace

BrainQuarter::BrainQuarter(QWidget* parent)
    : gyroview::ViewerWidget(parent), index(std::make_unique<gyroview::PickIndex>())
{
    root = new SoSeparator;
    root->ref();

    camera = gyroscene::make_camera(gyroscene::Projection::Perspective);
    root->addChild(camera);

    eventCallback = new SoEventCallback;
    eventCallback->addEventCallback(SoMouseButtonEvent::getClassTypeId(), event_cb, this);
    eventCallback->addEventCallback(SoLocation2Event::getClassTypeId(), hover_cb, this);
    root->addChild(eventCallback);

    // Surfaces opened since the last frame are indexed once it is on the
    // screen: their triangles are copied for the build on this thread.
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] { index->startBuilding(); });

    setNavigationModeFile(QUrl(QStringLiteral("coin:///scxml/navigation/examiner.xml")));
    setSceneGraph(root);

    // The spin after a fast drag keeps the processor busy; some would rather not have it.
    const QSettings settings = gyroluxSettings();
    setSpinEnabled(settings.value("view/spin", true).toBool());
}

// The viewer's own hold on the root goes; whoever else placed nodes there
// (the pick marker, the files' items) holds a reference of its own.
BrainQuarter::~BrainQuarter()
{
    setOverlaySceneGraph(nullptr);
    if (legendNodes)
        legendNodes->unref();
    root->unref();
}

SoSeparator* BrainQuarter::getRootSeparator()
{
    return root;
}

gyroview::PickIndex& BrainQuarter::pickIndex()
{
    return *index;
}

QSize BrainQuarter::minimumSizeHint() const
{
    return QSize(640, 480);
}

void BrainQuarter::getPickedPoint(SoPickedPoint* picked)
{
    if (!picked || !picked->isOnGeometry())
        return;
    std::cout << "On geometry ..." << std::endl;

    // In the surface file's own coordinates, also where the view draws it
    // moved (hemispheres apart).
    const SbVec3f point = picked->getObjectPoint();
    const SbVec4f texture = picked->getTextureCoords();
    std::cout << "Found: " << point[0] << " " << point[1] << " " << point[2] << std::endl;
    std::cout << "Texture: " << texture[0] << " " << texture[1] << " " << texture[2] << " " << texture[3]
              << std::endl;

    SoPath* path = picked->getPath();
    SoNode* shape = path ? path->getTail() : nullptr;
    // Only face sets are pickable here; anything else has no vertex to report.
    const SoDetail* detail = picked->getDetail(shape);
    if (!shape || !detail || !detail->isOfType(SoFaceDetail::getClassTypeId())) {
        complain(tr("Pick: the hit shape has no face detail; ignored"));
        return;
    }
    const auto* face = static_cast<const SoFaceDetail*>(detail);
    if (face->getNumPoints() < 1) {
        complain(tr("Pick: the hit face has no vertices; ignored"));
        return;
    }
    const int index = face->getPoint(0)->getCoordinateIndex();
    std::cout << "Index: " << index << std::endl;

    const SbUniqueId id = shape->getNodeId();
    std::cout << "ID: " << id << std::endl;

    emit pointPicked(index, static_cast<int>(id), static_cast<int>(point[0]), static_cast<int>(point[1]),
                     static_cast<int>(point[2]));
}

void BrainQuarter::setHoverPicking(bool on)
{
    hovering = on;
    // Moves without a button reach the scene only while someone asks.
    setMouseTracking(on);
}

bool BrainQuarter::hoverPicking() const
{
    return hovering;
}

bool BrainQuarter::vertexAt(const SbVec2s& position, int* vertex, int* id)
{
    gyroview::IndexedRayPick pick(getSoRenderManager()->getViewportRegion(), index.get());
    pick.setPoint(position);
    pick.apply(getSceneGraph());
    const SoPickedPoint* picked = pick.getPickedPoint(0);
    if (!picked || !picked->isOnGeometry() || !picked->getPath())
        return false;
    SoNode* shape = picked->getPath()->getTail();
    const SoDetail* detail = picked->getDetail(shape);
    if (!detail || !detail->isOfType(SoFaceDetail::getClassTypeId()))
        return false;
    const auto* face = static_cast<const SoFaceDetail*>(detail);
    if (face->getNumPoints() < 1)
        return false;
    *vertex = face->getPoint(0)->getCoordinateIndex();
    *id = static_cast<int>(shape->getNodeId());
    return true;
}

void BrainQuarter::showLegend(const QObject* owner, const gyroscene::legend_content& content)
{
    legendColumn = owner;
    legend = content;
    drawLegend();
}

void BrainQuarter::updateLegend(const QObject* owner, const gyroscene::legend_content& content)
{
    if (owner && owner == legendColumn)
        showLegend(owner, content);
}

void BrainQuarter::removeLegend(const QObject* owner)
{
    if (!owner || owner != legendColumn)
        return;
    legendColumn = nullptr;
    legend = gyroscene::legend_content();
    drawLegend();
}

const QObject* BrainQuarter::legendOwner() const
{
    return legendColumn;
}

void BrainQuarter::setLegendEnabled(bool on)
{
    legendOn = on;
    drawLegend();
}

bool BrainQuarter::legendEnabled() const
{
    return legendOn;
}

SoSeparator* BrainQuarter::getLegend() const
{
    return legendOn && legendColumn ? legendNodes : nullptr;
}

void BrainQuarter::drawLegend()
{
    if (legendNodes) {
        setOverlaySceneGraph(nullptr);
        legendNodes->unref();
        legendNodes = nullptr;
    }
    if (!legendOn || !legendColumn)
        return;
    // Drawn in device pixels: on a screen of ratio 2 at twice the scale, so
    // it keeps its size beside the window's text and stays sharp.
    legendNodes = gyroscene::make_legend(
        legend, getSoRenderManager()->getViewportRegion().getViewportSizePixels(), legendScale());
    setOverlaySceneGraph(legendNodes);
}

int BrainQuarter::legendScale() const
{
    return std::max(1, qRound(devicePixelRatioF()));
}

QImage BrainQuarter::renderImage(int scale)
{
    if (scale <= 1 || !legendNodes)
        return ViewerWidget::renderImage(scale);
    // A legend of the picture's scale for this one frame; it finds its
    // corner of the larger frame as it is drawn.
    SoSeparator* large = gyroscene::make_legend(
        legend, getSoRenderManager()->getViewportRegion().getViewportSizePixels(),
        scale * legendScale());
    setOverlaySceneGraph(large);
    const QImage image = ViewerWidget::renderImage(scale);
    setOverlaySceneGraph(legendNodes);
    large->unref();
    return image;
}

gyroscene::camera_state BrainQuarter::cameraState() const
{
    return gyroscene::read_camera(getCamera());
}

void BrainQuarter::setCameraState(const gyroscene::camera_state& state)
{
    stopSpin();
    setProjection(state.projection);
    gyroscene::apply_camera(getCamera(), state);
    home = state;
    update();
}

void BrainQuarter::frameScene()
{
    viewAll();
    keepAsHome();
}

void BrainQuarter::keepAsHome()
{
    home = cameraState();
}

void BrainQuarter::goHome()
{
    stopSpin();
    if (!home) {
        if (SoCamera* current = getCamera())
            current->orientation = SbRotation::identity();
        viewAll();
        return;
    }
    setProjection(home->projection);
    gyroscene::apply_camera(getCamera(), *home);
    update();
}

void BrainQuarter::setProjection(gyroscene::Projection projection)
{
    if (gyroscene::read_camera(camera).projection == projection)
        return;
    SoCamera* replacement = gyroscene::make_camera(projection);
    replacement->position = camera->position.getValue();
    replacement->orientation = camera->orientation.getValue();
    replacement->focalDistance = camera->focalDistance.getValue();
    root->replaceChild(camera, replacement);
    camera = replacement;
    // The view finds its camera in the scene again.
    setSceneGraph(nullptr);
    setSceneGraph(root);
}

void BrainQuarter::setBackground(const QColor& colour)
{
    getSoRenderManager()->setBackgroundColor(
        SbColor4f(float(colour.redF()), float(colour.greenF()), float(colour.blueF()), 1.0f));
    update();
}

void BrainQuarter::complain(const QString& text)
{
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    emit problemFound(text);
}
