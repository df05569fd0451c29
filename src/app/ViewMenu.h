// The View menu: back to the start-up view, the standard views of a brain
// surface, which hemisphere a surface is, the docks and the spin after a
// drag. Lateral and medial follow the surface selected in the tree (or the
// last one opened); the user may say which side it is when its file name,
// its file and its coordinates guess wrong.
#pragma once

#include "view_presets.h"

#include <QObject>

class BrainQuarter;
class QAction;
class QActionGroup;
class QDockWidget;
class QMenu;
class ResourceForm;

class ViewMenu : public QObject
{
    Q_OBJECT

public:
    ViewMenu(QMenu* menu, BrainQuarter* viewer, ResourceForm* resources);

    // The dock toggles go below the views; the menu stays open to more.
    void addDockToggles(QDockWidget* resourcesDock, QDockWidget* pickDock, QDockWidget* messagesDock);

    QAction* resetAction() const;
    QAction* viewAction(gyroscene::View view) const;
    QAction* spinAction() const;
    QMenu* hemisphereMenu() const;

    // The document's surface the side views are for: the one whose rows hold
    // the current row, else the last one opened; -1 when none has loaded.
    int targetSurface() const;
    // The user's word for the surface if given, else the guess.
    gyroscene::Hemisphere hemisphere(int surface) const;

public slots:
    // As at start-up: looking down onto the scene, all of it in view.
    void resetView();
    void showView(gyroscene::View view);
    // A named view (after the target's side) or AZIMUTH,ELEVATION; false
    // for neither.
    bool showNamedView(const QString& text);

private:
    void aim(gyroscene::ViewAngles angles);
    void updateHemisphereMenu();
    void chooseHemisphere(gyroscene::Hemisphere hemisphere);

    QMenu* menu;
    BrainQuarter* viewer;
    ResourceForm* resources;
    QAction* reset = nullptr;
    QAction* views[6] = {};
    QMenu* sides = nullptr;
    QActionGroup* sideGroup = nullptr;
    QAction* automaticSide = nullptr;
    QAction* leftSide = nullptr;
    QAction* rightSide = nullptr;
    QAction* spin = nullptr;
};
