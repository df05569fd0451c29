#include "parcelFileItem.h"

#include "GeometryNode.h"
#include "RowIcons.h"
#include "SceneDocument.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFileInfo>

#include <algorithm>

parcelFileItem::parcelFileItem(GeometryNode* surface, SoSeparator* target,
                               const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), surface(surface), targetSeparator(target)
{
    propFormAvailable = true;
}

parcelFileItem::~parcelFileItem()
{
    destroyForm();
    gyroscene::release_parcel_nodes(nodes);
}

bool parcelFileItem::loadFile(const QString& path, int labelNumber)
{
    filePath = path;
    setData(0, QFileInfo(path).fileName());
    lastError.clear();
    lastWarnings.clear();
    const int vertices = surface ? surface->getCoordinates()->point.getNum() : 0;
    if (!gyroscene::read_surface_parcellation(path, vertices, labelNumber, &parcels, &lastError,
                                              &lastWarnings)) {
        setData(1, tr("Failed"));
        return false;
    }
    setData(1, parcels.regions.size() == 1 ? tr("1 region")
                                           : tr("%1 regions").arg(parcels.regions.size()));
    nodes = gyroscene::make_parcel_nodes(surface->surfaceNodes());
    if (targetSeparator)
        targetSeparator->addChild(nodes.separator);
    SceneDocument* doc = document();
    if (doc && parentLink && parentLink->documentId() >= 0) {
        surfaceId = parentLink->documentId();
        id = doc->addParcellation(surfaceId, path);
        connect(doc, &SceneDocument::parcellationChanged, this, &parcelFileItem::applyLook);
        connect(doc, &SceneDocument::layerShownChanged, this, &parcelFileItem::applyShown);
    }
    own.path = path;
    applyLook(id);
    return true;
}

QString parcelFileItem::loadError() const
{
    return lastError;
}

QStringList parcelFileItem::warnings() const
{
    return lastWarnings;
}

QString parcelFileItem::getFilePath() const
{
    return filePath;
}

const parcellation& parcelFileItem::regions() const
{
    return parcels;
}

const parcel_region* parcelFileItem::regionAt(int vertex) const
{
    return gyroscene::region_at(parcels, vertex);
}

gyroscene::parcellation_state parcelFileItem::look() const
{
    const SceneDocument* doc = document();
    if (doc && id >= 0)
        if (const gyroscene::parcellation_state* entry = doc->parcellation(id))
            return *entry;
    return own;
}

void parcelFileItem::applyLook(int changed)
{
    if (changed != id || !nodes.separator)
        return;
    const gyroscene::parcellation_state state = look();
    if (state.outline && !boundaryKnown) {
        boundary = gyroscene::parcel_boundary(parcels, surface->surfaceNodes());
        boundaryKnown = true;
    }
    const gyroscene::parcel_style style =
        gyroscene::parcel_style_of(parcels, state.hidden_regions, state.opacity, state.outline);
    gyroscene::set_parcel_colours(nodes, gyroscene::parcel_vertex_colours(parcels, style, boundary));
    showLookInForm();
}

void parcelFileItem::applyShown(int changed)
{
    if (changed == id)
        placeLayerNode(targetSeparator, isShown());
}

bool parcelFileItem::isLayer() const
{
    return true;
}

bool parcelFileItem::isShown() const
{
    return look().shown;
}

void parcelFileItem::setShown(bool show)
{
    if (SceneDocument* doc = document(); doc && id >= 0) {
        doc->setShown(id, show);
        return;
    }
    own.shown = show;
    placeLayerNode(targetSeparator, show);
}

void parcelFileItem::releaseLayer()
{
    placeLayerNode(targetSeparator, false);
}

SoNode* parcelFileItem::layerNode() const
{
    return nodes.separator;
}

int parcelFileItem::documentId() const
{
    return id;
}

QIcon parcelFileItem::icon() const
{
    return RowIcons::parcellation();
}

QString parcelFileItem::toolTip() const
{
    if (!lastError.isEmpty())
        return lastError;
    return filePath + "\n" + data(1).toString() + ", " +
           tr("%1 vertices").arg(parcels.vertex_regions.size());
}

void parcelFileItem::setOpacity(float opacity)
{
    if (SceneDocument* doc = document(); doc && id >= 0)
        return doc->setParcelOpacity(id, opacity);
    own.opacity = std::clamp(opacity, 0.0f, 1.0f);
    applyLook(id);
}

void parcelFileItem::setOutline(bool outline)
{
    if (SceneDocument* doc = document(); doc && id >= 0)
        return doc->setParcelOutline(id, outline);
    own.outline = outline;
    applyLook(id);
}

void parcelFileItem::setRegionShown(int region, bool shown)
{
    if (SceneDocument* doc = document(); doc && id >= 0)
        return doc->setRegionShown(id, region, shown);
    std::vector<int>& hidden = own.hidden_regions;
    hidden.erase(std::remove(hidden.begin(), hidden.end(), region), hidden.end());
    if (!shown && region >= 0) {
        hidden.push_back(region);
        std::sort(hidden.begin(), hidden.end());
    }
    applyLook(id);
}

void parcelFileItem::setAllRegionsShown(bool shown)
{
    const int count = int(parcels.regions.size());
    if (SceneDocument* doc = document(); doc && id >= 0)
        return doc->setAllRegionsShown(id, count, shown);
    own.hidden_regions.clear();
    for (int i = 0; !shown && i < count; ++i)
        own.hidden_regions.push_back(i);
    applyLook(id);
}
