#pragma once
// What a ViewerWidget holds, shared by its scene and GL code and its input code.

#include "ViewerWidget.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/SoRenderManager.h>
#include <Inventor/SbVec3f.h>

#include <QElapsedTimer>
#include <QTimer>

class ScXMLStateMachine;
class SoShapeHints;

namespace gyroview {

struct ViewerWidget::Private {
    SoRenderManager* renderManager = nullptr;
    SoEventManager* eventManager = nullptr;
    SoScXMLStateMachine* navigation = nullptr;
    QUrl navigationUrl;

    // The scene the widget renders: shape hints, a headlight, a camera of our
    // own when the user's scene has none, then the user's scene.
    SoSeparator* superScene = nullptr;
    SoShapeHints* hints = nullptr;  // owned by superScene
    SoDirectionalLight* headlight = nullptr;
    SoNode* userScene = nullptr;
    SoCamera* camera = nullptr;
    // Drawn by the render manager after the scene, without the depth test.
    SoNode* overlayScene = nullptr;
    SoRenderManager::Superimposition* overlay = nullptr;

    uint32_t cacheContext = 0;
    bool haveCacheContext = false;
    int contexts = 0;
    QMetaObject::Connection contextGone;

    // Redraws are limited to the display rate: spinning after a fast release
    // asks for a new frame after every frame.
    QElapsedTimer sinceLastFrame;
    QTimer throttle;
    int frameIntervalMs = 16;
    bool updatePending = false;
    bool flushingSensors = false;
    bool inResizeEvent = false;
    quint64 frames = 0;

    // The examiner spins on after a fast release until the next click; we
    // let it run for a while only, or not at all.
    bool spinEnabled = true;
    bool spinning = false;
    bool spinStarted = false;
    QTimer spinLimit;

    // A zoom drag (control and left button, or left with the middle held)
    // measures from where it began, so dragging back returns the camera.
    bool zoomDragging = false;
    qreal zoomStartY = 0;
    SbVec3f zoomStartPosition;
    float zoomStartDistance = 0;
    float zoomStartHeight = 0;
    SbBox3f zoomSceneBox;

    static void renderCallback(void* data, SoRenderManager*)
    {
        static_cast<ViewerWidget*>(data)->requestRedraw();
    }
    static void navigationStateChanged(void* data, ScXMLStateMachine*, const char* state, SbBool entered,
                                       SbBool);
};

}  // namespace gyroview
