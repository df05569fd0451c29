#include "parcelFileItem.h"

#include "ResourceForm.h"

#include "GeometryNode.h"
#include "RowIcons.h"
#include "SceneDocument.h"
#include "surface_graph.h"

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
    const int vertices = std::max(gyroscene::surface_vertex_count(targetSeparator), 0);
    auto read = std::make_shared<parcellation>();
    const int onSurface = parentLink ? parentLink->documentId() : -1;
    const gyroscene::surface_part part =
        panel && onSurface >= 0 ? panel->partOf(onSurface) : gyroscene::surface_part();
    if (!gyroscene::read_surface_parcellation(path, vertices, labelNumber, read.get(), &lastError,
                                              &lastWarnings, &part)) {
        setData(1, tr("Failed"));
        return false;
    }
    parcels = std::move(read);
    setData(1, parcels->regions.size() == 1 ? tr("1 region")
                                           : tr("%1 regions").arg(parcels->regions.size()));
    nodes = gyroscene::make_parcel_nodes(surface->surfaceNodes());
    if (targetSeparator)
        gyroscene::add_surface_parcellation(targetSeparator, nodes.separator);
    // Made without a surface row (tests), it stands on a surface of no
    // file in its own document.
    SceneDocument* doc = document();
    surfaceId = parentLink && parentLink->documentId() >= 0 ? parentLink->documentId()
                                                            : doc->addSurface(QString());
    id = doc->addParcellation(surfaceId, path, parcels);
    connect(doc, &SceneDocument::parcellationChanged, this, &parcelFileItem::applyLook);
    connect(doc, &SceneDocument::layerShownChanged, this, &parcelFileItem::applyShown);
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
    return *parcels;
}

const parcel_region* parcelFileItem::regionAt(int vertex) const
{
    return gyroscene::region_at(*parcels, vertex);
}

gyroscene::parcellation_state parcelFileItem::look() const
{
    if (const gyroscene::parcellation_state* entry = id >= 0 ? document()->parcellation(id) : nullptr)
        return *entry;
    gyroscene::parcellation_state defaults;
    defaults.path = filePath;
    return defaults;
}

void parcelFileItem::applyLook(int changed)
{
    if (changed != id || !nodes.separator)
        return;
    painter.paint(nodes, *parcels, surface->surfaceNodes(), look());
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
    if (id >= 0)
        document()->setShown(id, show);
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
           tr("%1 vertices").arg(parcels->vertex_regions.size());
}

void parcelFileItem::setOpacity(float opacity)
{
    if (id >= 0)
        document()->setParcelOpacity(id, opacity);
}

void parcelFileItem::setOutline(bool outline)
{
    if (id >= 0)
        document()->setParcelOutline(id, outline);
}

void parcelFileItem::setRegionShown(int region, bool shown)
{
    if (id >= 0)
        document()->setRegionShown(id, region, shown);
}

void parcelFileItem::setAllRegionsShown(bool shown)
{
    if (id >= 0)
        document()->setAllRegionsShown(id, int(parcels->regions.size()), shown);
}
