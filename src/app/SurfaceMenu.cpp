#include "SurfaceMenu.h"

#include "GeometryScene.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "ViewMenu.h"
#include "surface_switch.h"

#include <QAction>
#include <QMenu>

SurfaceMenu::SurfaceMenu(QMenu* viewMenu, ViewMenu* viewsMenu, ResourceForm* form)
    : QObject(viewMenu), views(viewsMenu), resources(form)
{
    viewMenu->addSeparator();
    menu = viewMenu->addMenu(tr("S&urface"));
    const struct {
        const char* kind;
        const char* text;
        Qt::Key key;
    } kinds[] = {{"white", QT_TR_NOOP("&White"), Qt::Key_W},
                 {"pial", QT_TR_NOOP("&Pial"), Qt::Key_P},
                 {"inflated", QT_TR_NOOP("&Inflated"), Qt::Key_I},
                 {"sphere", QT_TR_NOOP("&Sphere"), Qt::Key_S}};
    for (const auto& entry : kinds) {
        QAction* action = menu->addAction(tr(entry.text));
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | entry.key));
        action->setData(QString::fromLatin1(entry.kind));
        action->setCheckable(true);
        const QString kind = QString::fromLatin1(entry.kind);
        connect(action, &QAction::triggered, this, [this, kind] { switchTo(kind); });
        fixed.append(action);
    }
    connect(menu, &QMenu::aboutToShow, this, &SurfaceMenu::fill);

    SceneDocument* doc = resources->document();
    apart = viewMenu->addAction(tr("Hemispheres &Apart"));
    apart->setCheckable(true);
    apart->setChecked(doc->hemisphereOffset());
    apart->setToolTip(tr("Overlapping left and right surfaces (inflated, spheres) drawn side "
                         "by side"));
    connect(apart, &QAction::toggled, doc, &SceneDocument::setHemisphereOffset);
    connect(doc, &SceneDocument::hemisphereOffsetChanged, apart, &QAction::setChecked);
}

QMenu* SurfaceMenu::surfaceMenu() const
{
    return menu;
}

QAction* SurfaceMenu::apartAction() const
{
    return apart;
}

bool SurfaceMenu::switchTo(const QString& kind)
{
    bool switched = false;
    for (int surface : subjectSurfaces(views->targetSurface())) {
        const GeometryScene* scene = resources->sceneItem(surface);
        if (!scene)
            continue;
        for (const QString& path : scene->siblingSurfaces())
            if (gyroscene::surface_kind(path) == kind) {
                resources->document()->setSurfacePath(surface, path);
                switched = true;
                break;
            }
    }
    return switched;
}

std::vector<int> SurfaceMenu::subjectSurfaces(int target) const
{
    const SceneDocument* doc = resources->document();
    const gyroscene::surface_state* state = doc->surface(target);
    if (!state)
        return {};
    const std::vector<int> open = doc->surfaces();
    QStringList paths;
    for (int id : open)
        paths.append(doc->surface(id)->path);
    std::vector<int> surfaces{target};
    for (int index : gyroscene::other_hemispheres(state->path, paths))
        surfaces.push_back(open[std::size_t(index)]);
    return surfaces;
}

void SurfaceMenu::fill()
{
    // The files beyond the four with keys come and go with the target.
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions)
        if (!fixed.contains(action)) {
            menu->removeAction(action);
            action->deleteLater();
        }
    const int target = views->targetSurface();
    const GeometryScene* scene = resources->sceneItem(target);
    const QStringList siblings = scene ? scene->siblingSurfaces() : QStringList();
    const QString current = scene ? gyroscene::surface_kind(scene->fileName()) : QString();
    QStringList kinds;
    for (const QString& path : siblings)
        kinds.append(gyroscene::surface_kind(path));
    for (QAction* action : std::as_const(fixed)) {
        const QString kind = action->data().toString();
        action->setEnabled(kinds.contains(kind));
        action->setChecked(kind == current);
    }
    bool separated = false;
    for (const QString& path : siblings) {
        const QString kind = gyroscene::surface_kind(path);
        if (std::any_of(fixed.begin(), fixed.end(),
                        [&](QAction* a) { return a->data().toString() == kind; }))
            continue;
        if (!separated)
            menu->addSeparator();
        separated = true;
        QAction* action = menu->addAction(kind);
        action->setCheckable(true);
        action->setChecked(kind == current);
        connect(action, &QAction::triggered, this, [this, kind] { switchTo(kind); });
    }
}
