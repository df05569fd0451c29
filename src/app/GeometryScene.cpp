#include "GeometryScene.h"

#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "ResourceForm.h"
#include "textureFileItem.h"

#include <Inventor/nodes/SoSeparator.h>

#include <QFile>

GeometryScene::GeometryScene(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent)
{
    setData(0, QStringLiteral("Geometry Scene"));
    sceneSeparator = new SoSeparator;
    // Our own reference keeps the separator alive even if it never reaches
    // the scene graph; the graph holds its own once it is attached.
    sceneSeparator->ref();
    surface = new GeometryNode(sceneSeparator, data, form, this);
    childList.append(surface);
    panel = form;
}

GeometryScene::~GeometryScene()
{
    sceneSeparator->unref();
}

bool GeometryScene::loadGeometry(QFile& file)
{
    if (viewer) {
        rootSeparator = viewer->getRootSeparator();
        rootSeparator->addChild(sceneSeparator);
    }
    return surface->loadObj(file);
}

bool GeometryScene::loadVertstats(QFile& file, bool readable)
{
    if (!readable)
        return false;
    textureFileItem* statistics = new textureFileItem(sceneSeparator, columnValues, panel, this);
    const bool loaded = statistics->loadFile(file, readable);
    childList.append(statistics);
    connect(this, &TreeItem::localPointPicked, statistics, &TreeItem::pickedPointReceived);
    return loaded;
}

void GeometryScene::pickReceived(int index, int id, int, int, int)
{
    if (static_cast<quint32>(id) == surface->getID()) {
        setData(1, QStringLiteral("Point: %1").arg(index));
        emit localPointPicked(index);
        panel->somethingChanged();
    } else {
        setData(1, QString());
    }
}

void GeometryScene::wasSelected()
{
    panel->setLastGeometry(this);
}

GeometryNode* GeometryScene::getSurface() const
{
    return surface;
}

SoSeparator* GeometryScene::getSceneSeparator() const
{
    return sceneSeparator;
}
