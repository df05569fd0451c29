#include "ViewMenu.h"
#include "Settings.h"

#include "BrainQuarter.h"
#include "ResourceForm.h"
#include "SceneDocument.h"

#include <Inventor/nodes/SoCamera.h>

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTreeView>

using gyroscene::Hemisphere;
using gyroscene::View;

namespace {

struct ViewEntry {
    View view;
    const char* text;
    QKeySequence key;
};

}  // namespace

ViewMenu::ViewMenu(QMenu* menu, BrainQuarter* viewer, ResourceForm* resources)
    : QObject(menu), menu(menu), viewer(viewer), resources(resources)
{
    reset = menu->addAction(tr("&Reset View"), this, &ViewMenu::resetView);
    // Home is the text fields' own while typing; Ctrl+R works there too.
    reset->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_R)});
    menu->addSeparator();

    const ViewEntry entries[] = {
        {View::Lateral, QT_TR_NOOP("&Lateral"), QKeySequence(Qt::CTRL | Qt::Key_1)},
        {View::Medial, QT_TR_NOOP("&Medial"), QKeySequence(Qt::CTRL | Qt::Key_2)},
        {View::Dorsal, QT_TR_NOOP("&Dorsal"), QKeySequence(Qt::CTRL | Qt::Key_3)},
        {View::Ventral, QT_TR_NOOP("&Ventral"), QKeySequence(Qt::CTRL | Qt::Key_4)},
        {View::Anterior, QT_TR_NOOP("&Anterior"), QKeySequence(Qt::CTRL | Qt::Key_5)},
        {View::Posterior, QT_TR_NOOP("&Posterior"), QKeySequence(Qt::CTRL | Qt::Key_6)},
    };
    for (const ViewEntry& entry : entries) {
        const View view = entry.view;
        QAction* action = menu->addAction(tr(entry.text), this, [this, view] { showView(view); });
        action->setShortcut(entry.key);
        views[int(view)] = action;
    }

    sides = menu->addMenu(tr("&Hemisphere"));
    sideGroup = new QActionGroup(this);
    automaticSide = sides->addAction(tr("&Automatic"));
    leftSide = sides->addAction(tr("&Left"));
    rightSide = sides->addAction(tr("&Right"));
    for (QAction* action : {automaticSide, leftSide, rightSide}) {
        action->setCheckable(true);
        sideGroup->addAction(action);
    }
    automaticSide->setChecked(true);
    connect(automaticSide, &QAction::triggered, this, [this] { chooseHemisphere(Hemisphere::Unknown); });
    connect(leftSide, &QAction::triggered, this, [this] { chooseHemisphere(Hemisphere::Left); });
    connect(rightSide, &QAction::triggered, this, [this] { chooseHemisphere(Hemisphere::Right); });
    connect(sides, &QMenu::aboutToShow, this, &ViewMenu::updateHemisphereMenu);
    connect(menu, &QMenu::aboutToShow, this, &ViewMenu::updateHemisphereMenu);
    menu->addSeparator();

    spin = menu->addAction(tr("&Spin After Drag"));
    spin->setCheckable(true);
    spin->setChecked(viewer->spinEnabled());
    connect(spin, &QAction::toggled, this, [this](bool on) {
        this->viewer->setSpinEnabled(on);
        QSettings settings = gyroluxSettings();
        settings.setValue("view/spin", on);
    });
    updateHemisphereMenu();
}

void ViewMenu::addDockToggles(QDockWidget* resourcesDock, QDockWidget* pickDock,
                              QDockWidget* messagesDock)
{
    menu->addSeparator();
    QAction* showResources = resourcesDock->toggleViewAction();
    showResources->setText(tr("&Resources Panel"));
    menu->addAction(showResources);
    QAction* showPick = pickDock->toggleViewAction();
    showPick->setText(tr("&Pick Panel"));
    menu->addAction(showPick);
    QAction* showMessages = messagesDock->toggleViewAction();
    showMessages->setText(tr("Message &Log"));
    menu->addAction(showMessages);
}

QAction* ViewMenu::resetAction() const
{
    return reset;
}

QAction* ViewMenu::viewAction(View view) const
{
    return views[int(view)];
}

QAction* ViewMenu::spinAction() const
{
    return spin;
}

QMenu* ViewMenu::hemisphereMenu() const
{
    return sides;
}

int ViewMenu::targetSurface() const
{
    const SceneDocument* doc = resources->document();
    return doc->currentSurface();
}

Hemisphere ViewMenu::hemisphere(int surface) const
{
    return resources->hemisphereOf(surface);
}

void ViewMenu::resetView()
{
    viewer->goHome();
}

void ViewMenu::showView(View view)
{
    aim(gyroscene::view_angles(view, hemisphere(targetSurface())));
}

bool ViewMenu::showNamedView(const QString& text)
{
    const std::string name = text.toStdString();
    if (const auto view = gyroscene::view_from_name(name)) {
        showView(*view);
        return true;
    }
    if (const auto angles = gyroscene::parse_view_angles(name)) {
        aim(*angles);
        return true;
    }
    return false;
}

void ViewMenu::aim(gyroscene::ViewAngles angles)
{
    SoCamera* camera = viewer->getCamera();
    if (!camera || viewer->width() < 1 || viewer->height() < 1)
        return;
    viewer->stopSpin();
    const float aspect = float(viewer->width()) / float(viewer->height());
    // The whole scene is framed whichever surface sets the side, so that
    // every view shows all of it at one size.
    gyroscene::aim_camera(camera, gyroscene::scene_box(viewer->getSceneGraph()), aspect, angles);
}

void ViewMenu::updateHemisphereMenu()
{
    const int surface = targetSurface();
    const gyroscene::surface_state* state = resources->document()->surface(surface);
    sides->setEnabled(state != nullptr);
    const Hemisphere guessed = resources->guessedHemisphere(surface);
    automaticSide->setText(guessed == Hemisphere::Left    ? tr("&Automatic (left)")
                           : guessed == Hemisphere::Right ? tr("&Automatic (right)")
                                                          : tr("&Automatic"));
    const Hemisphere chosen = state ? state->hemisphere : Hemisphere::Unknown;
    (chosen == Hemisphere::Left    ? leftSide
     : chosen == Hemisphere::Right ? rightSide
                                   : automaticSide)
        ->setChecked(true);
}

void ViewMenu::chooseHemisphere(Hemisphere hemisphere)
{
    resources->document()->setHemisphere(targetSurface(), hemisphere);
}
