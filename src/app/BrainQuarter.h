#pragma once
// The 3-D view in the middle of the main window: owns the scene root that every
// loaded file hangs its nodes under, and turns a left press on a surface into
// pointPicked.

#include <QSize>

#include <memory>

#include "ViewerWidget.h"

namespace gyroview {
class PickIndex;
}

class SoSeparator;
class SoPerspectiveCamera;
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

signals:
    void pointPicked(int index, int id, int x, int y, int z);

protected:
    // Indices start building once a frame is on the screen.
    void paintGL() override;

private:
    std::unique_ptr<gyroview::PickIndex> index;
    SoSeparator* root;
    SoPerspectiveCamera* camera;
    SoEventCallback* eventCallback;
};
