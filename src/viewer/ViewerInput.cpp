// The view's input: Qt events translated for Coin and handed to the scene and
// the navigation, except the zoom, which the view does itself. The examiner's
// own zoom steps jump to fixed distances meant for a unit-sized scene, and
// its zoom drag moves far too fast for one of brain size.

#include "CameraDolly.h"
#include "EventTranslation.h"
#include "ViewerWidgetPrivate.h"

#include <Inventor/SoEventManager.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/SoRenderManager.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

namespace gyroview {

namespace {

// One wheel notch changes the distance by a tenth, the same either way.
constexpr float notchFactor = 0.9f;
// A zoom drag over the view's whole height changes the distance fourfold.
constexpr float dragFactorPerHeight = 4.0f;

}  // namespace

void ViewerWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !d->zoomDragging && d->navigation && d->camera &&
        (event->modifiers().testFlag(Qt::ControlModifier) || event->buttons().testFlag(Qt::MiddleButton))) {
        beginZoomDrag(event);
        return;
    }
    if (!forwardButton(event))
        QOpenGLWidget::mousePressEvent(event);
}

void ViewerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (d->zoomDragging && event->button() == Qt::LeftButton) {
        d->zoomDragging = false;
        SoMouseButtonEvent coin;
        translateButton(this, event, coin);
        dispatchToScene(&coin);
        event->accept();
        return;
    }
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
    if (d->zoomDragging) {
        dispatchToScene(&coin);
        zoomDragTo(event->position().y());
    } else {
        dispatch(&coin);
    }
    event->accept();
}

void ViewerWidget::wheelEvent(QWheelEvent* event)
{
    // The wheel over the view gives it the keys (Home, the navigation's),
    // whatever field had them.
    if (focusPolicy() & Qt::WheelFocus)
        setFocus(Qt::MouseFocusReason);
    const int steps = wheelSteps(event);
    if (steps == 0) {
        event->ignore();
        return;
    }
    // One press and release of the fourth or fifth button per wheel step, for
    // the scene only: the zoom is ours.
    const auto button = steps > 0 ? SoMouseButtonEvent::BUTTON4 : SoMouseButtonEvent::BUTTON5;
    const SbBox3f box = sceneBox();
    for (int i = 0; i < std::abs(steps); ++i) {
        for (auto state : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
            SoMouseButtonEvent coin;
            translateButton(this, event->position(), event->modifiers(), button, state, coin);
            if (d->navigation)
                dispatchToScene(&coin);
            else
                dispatch(&coin);
        }
        if (d->navigation && d->camera)
            dollyCamera(d->camera, box, steps > 0 ? notchFactor : 1.0f / notchFactor);
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

bool ViewerWidget::dispatchToScene(const SoEvent* event)
{
    syncViewport();
    SoHandleEventAction* action = d->eventManager->getHandleEventAction();
    action->setEvent(event);
    action->apply(d->superScene);
    return action->isHandled();
}

SbBox3f ViewerWidget::sceneBox() const
{
    if (!d->userScene)
        return SbBox3f();
    SoGetBoundingBoxAction box(d->renderManager->getViewportRegion());
    box.apply(d->userScene);
    return box.getBoundingBox();
}

void ViewerWidget::beginZoomDrag(QMouseEvent* event)
{
    // The press still reaches the scene (a pick prints as any other); the
    // navigation never sees the drag, so it neither turns nor zooms.
    stopSpin();
    SoMouseButtonEvent coin;
    translateButton(this, event, coin);
    dispatchToScene(&coin);
    d->zoomDragging = true;
    d->zoomStartY = event->position().y();
    d->zoomStartPosition = d->camera->position.getValue();
    d->zoomStartDistance = d->camera->focalDistance.getValue();
    if (d->camera->isOfType(SoOrthographicCamera::getClassTypeId()))
        d->zoomStartHeight = static_cast<SoOrthographicCamera*>(d->camera)->height.getValue();
    d->zoomSceneBox = sceneBox();
    event->accept();
}

void ViewerWidget::zoomDragTo(qreal y)
{
    if (!d->camera)
        return;
    // Down comes closer; equal lengths give equal factors.
    const qreal moved = (y - d->zoomStartY) / std::max(1, height());
    const float factor = static_cast<float>(std::pow(dragFactorPerHeight, -moved));
    d->camera->position = d->zoomStartPosition;
    d->camera->focalDistance = d->zoomStartDistance;
    if (d->camera->isOfType(SoOrthographicCamera::getClassTypeId()))
        static_cast<SoOrthographicCamera*>(d->camera)->height = d->zoomStartHeight;
    dollyCamera(d->camera, d->zoomSceneBox, factor);
}

}  // namespace gyroview
