#pragma once
// The 3-D view in the middle of the main window: owns the scene root that every
// loaded file hangs its nodes under, and turns a left press on a surface into
// pointPicked.

#include <QSize>

#include "ViewerWidget.h"

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
    QSize minimumSizeHint() const override;

    // Prints what the pick found and emits pointPicked; null or off-geometry
    // picks are ignored.
    void getPickedPoint(SoPickedPoint* picked);

signals:
    void pointPicked(int index, int id, int x, int y, int z);

private:
    SoSeparator* root;
    SoPerspectiveCamera* camera;
    SoEventCallback* eventCallback;
};
