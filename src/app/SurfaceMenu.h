// View > Surface: the other files of the target surface's mesh (white,
// pial, inflated, sphere, ...), one chosen puts its points under the same
// data; and View > Hemispheres Apart, the document's offset setting.
#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QMenu;
class ResourceForm;
class ViewMenu;

class SurfaceMenu : public QObject
{
    Q_OBJECT

public:
    SurfaceMenu(QMenu* viewMenu, ViewMenu* views, ResourceForm* resources);

    QMenu* surfaceMenu() const;
    QAction* apartAction() const;
    // The target surface, and the other hemisphere of its subject when that
    // is open too, each onto its sibling of that kind ("white" for lh.white);
    // false when none has one.
    bool switchTo(const QString& kind);

private:
    void fill();
    // The target and the open surfaces of its subject's other hemisphere.
    std::vector<int> subjectSurfaces(int target) const;

    QMenu* menu;
    ViewMenu* views;
    ResourceForm* resources;
    QAction* apart;
    // The kinds with a key, always in the menu so their keys work.
    QList<QAction*> fixed;
};
