#pragma once
// The 3-D view in the middle of the main window: owns the scene root that every
// loaded file hangs its nodes under, and turns a left press on a surface into
// pointPicked.

#include <Inventor/SbVec2s.h>

#include <QSize>

#include <memory>
#include <optional>

#include "ViewerWidget.h"
#include "legend.h"
#include "scene_state.h"

namespace gyroview {
class PickIndex;
}

class SoSeparator;
class SoCamera;
class SoEventCallback;
class SoPickedPoint;

class BrainQuarter : public gyroview::ViewerWidget {
    Q_OBJECT
public:
    explicit BrainQuarter(QWidget* parent = nullptr);
    ~BrainQuarter() override;

    SoSeparator* getRootSeparator();
    // The triangle indices picks go through; surfaces add themselves when
    // loaded and leave when hidden or closed.
    gyroview::PickIndex& pickIndex();
    QSize minimumSizeHint() const override;

    // Prints what the pick found and emits pointPicked; null or off-geometry
    // picks are ignored.
    void getPickedPoint(SoPickedPoint* picked);

    // The colour-bar legend of the column shown, drawn in a corner of the
    // view while the legend is enabled. `owner` is the column it belongs to:
    // only that one changes or removes it.
    void showLegend(const QObject* owner, const gyroscene::legend_content& content);
    void updateLegend(const QObject* owner, const gyroscene::legend_content& content);
    void removeLegend(const QObject* owner);
    const QObject* legendOwner() const;
    // On at the start; off keeps the column's legend for when it is on again.
    void setLegendEnabled(bool on);
    bool legendEnabled() const;
    // The view drawn at `scale` times its size, the legend with it.
    QImage renderImage(int scale = 1);
    // The legend's nodes, or null when none is shown.
    SoSeparator* getLegend() const;

    // The camera as a scene records it; set, it keeps still where it is put.
    gyroscene::camera_state cameraState() const;
    void setCameraState(const gyroscene::camera_state& state);
    // A camera of that kind in place of the one there, looking the same way.
    void setProjection(gyroscene::Projection projection);
    void setBackground(const QColor& colour);

    // Frames the whole scene and keeps that camera as the view Reset View
    // goes back to; a scene's own camera is kept the same way.
    void frameScene();
    // The camera as it is now becomes the one Reset View goes back to.
    void keepAsHome();
    // The kept camera, exactly as it was (framing again at another size
    // would not be the view the user started with); framed anew when none.
    void goHome();
    // While on, moving the mouse over the view picks through the index and
    // says what is under it with pointHovered; off by default, costing nothing.
    void setHoverPicking(bool on);
    bool hoverPicking() const;
    // The vertex and face set under `position` (pixels from the bottom left),
    // found as a click finds them, without a word on standard output; false
    // off the surfaces.
    bool vertexAt(const SbVec2s& position, int* vertex, int* id);

signals:
    void pointPicked(int index, int id, int x, int y, int z);
    // The vertex under the mouse; -1 and -1 off every surface.
    void pointHovered(int index, int id);
    // Said on standard error as well; the window's message log shows it.
    void problemFound(const QString& text);

private:
    void drawLegend();
    // The legend's scale: the device pixel ratio, rounded.
    int legendScale() const;
    void complain(const QString& text);

    std::unique_ptr<gyroview::PickIndex> index;
    SoSeparator* root;
    SoCamera* camera;
    SoEventCallback* eventCallback;
    const QObject* legendColumn = nullptr;
    gyroscene::legend_content legend;
    SoSeparator* legendNodes = nullptr;
    bool legendOn = true;
    std::optional<gyroscene::camera_state> home;
    bool hovering = false;
};
