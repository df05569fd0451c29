#include "GeometryScene.h"

#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "PickIndex.h"
#include "ResourceForm.h"
#include "RowIcons.h"
#include "SceneDocument.h"
#include "textureColumn.h"
#include "parcelFileItem.h"
#include "textureFileItem.h"
#include "surface_graph.h"
#include "surface_switch.h"
#include "view_presets.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFile>

#include <iostream>

GeometryScene::GeometryScene(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent)
{
    setData(0, QStringLiteral("Geometry Scene"));
    // Our own reference keeps the separator alive even if it never reaches
    // the scene graph; the graph holds its own once it is attached.
    sceneSeparator = gyroscene::make_surface_separator();
    surface = new GeometryNode(sceneSeparator, data, form, this);
    childList.append(surface);
    panel = form;
}

// A surface closed from the tree leaves the pick index through its closer;
// here the viewer may already be gone.
GeometryScene::~GeometryScene()
{
    sceneSeparator->unref();
}

SoIndexedFaceSet* GeometryScene::faceSet() const
{
    for (int i = 0; i < sceneSeparator->getNumChildren(); ++i)
        if (sceneSeparator->getChild(i)->isOfType(SoIndexedFaceSet::getClassTypeId()))
            return static_cast<SoIndexedFaceSet*>(sceneSeparator->getChild(i));
    return nullptr;
}

bool GeometryScene::loadGeometry(QFile& file)
{
    if (viewer) {
        rootSeparator = viewer->getRootSeparator();
        rootSeparator->addChild(sceneSeparator);
    }
    filePath = file.fileName();
    loaded = surface->loadObj(file);
    if (!loaded) {
        setData(1, tr("Failed: %1").arg(surface->loadError()));
        return false;
    }
    // Only what loaded goes into the document: a scene names files to open.
    {
        SceneDocument* doc = document();
        id = doc->addSurface(filePath, surface->storedArrays());
        surface->attach(id);
        connect(doc, &SceneDocument::pickChanged, this, &GeometryScene::showPick);
        connect(doc, &SceneDocument::viewOffsetChanged, this, &GeometryScene::applyViewOffset);
        connect(doc, &SceneDocument::layerShownChanged, this, &GeometryScene::showLayer);
        connect(doc, &SceneDocument::surfacePathChanged, this, [this](int changed) {
            if (changed == id)
                followDocumentPath();
        });
        // Those who heard of the new file may have moved it already.
        applyViewOffset(id);
    }
    return loaded;
}

GeometryScene* GeometryScene::sceneRow() const
{
    return const_cast<GeometryScene*>(this);
}

int GeometryScene::documentId() const
{
    return id;
}

const SbVec3f* GeometryScene::points() const
{
    const gyroscene::StoredSurface* stored = loaded ? document()->store().surface(id) : nullptr;
    return stored ? stored->points() : nullptr;
}

int GeometryScene::pointCount() const
{
    const gyroscene::StoredSurface* stored = loaded ? document()->store().surface(id) : nullptr;
    return stored ? stored->pointCount() : 0;
}

SbBox3f GeometryScene::boundingBox() const
{
    return gyroscene::scene_box(sceneSeparator);
}

textureColumn* GeometryScene::statisticsColumn(int file, const QString& column) const
{
    for (textureFileItem* row : statisticsItems())
        if (row->documentId() == file)
            return row->column(row->rowOf(column));
    return nullptr;
}

TreeItem* GeometryScene::rowOf(int file) const
{
    for (int i = 0; i < childCount() && file >= 0; ++i)
        if (child(i)->documentId() == file)
            return child(i);
    return nullptr;
}

// A document id names one file of one kind, so the row found for a
// statistics file's (or a parcellation's) id is that kind of row.
template <class Row>
std::vector<Row*> GeometryScene::rowsOf(const std::vector<int>& files) const
{
    std::vector<Row*> rows;
    for (int file : files)
        if (TreeItem* row = rowOf(file))
            rows.push_back(static_cast<Row*>(row));
    return rows;
}

std::vector<textureFileItem*> GeometryScene::statisticsItems() const
{
    return id < 0 ? std::vector<textureFileItem*>()
                  : rowsOf<textureFileItem>(document()->statisticsOf(id));
}

std::vector<parcelFileItem*> GeometryScene::parcellationItems() const
{
    return id < 0 ? std::vector<parcelFileItem*>()
                  : rowsOf<parcelFileItem>(document()->parcellationsOf(id));
}

bool GeometryScene::isLoaded() const
{
    return loaded;
}

bool GeometryScene::loadVertstats(QFile& file, bool readable, const QByteArray* bytes,
                                  textureFileItem** row)
{
    if (!readable)
        return false;
    textureFileItem* statistics = new textureFileItem(sceneSeparator, columnValues, panel, this);
    childList.append(statistics);
    if (row)
        *row = statistics;
    const bool loaded = statistics->loadFile(file, readable, bytes);
    connect(this, &TreeItem::localPointPicked, statistics, &TreeItem::pickedPointReceived);
    return loaded;
}

parcelFileItem* GeometryScene::loadParcellation(const QString& path, QString* error,
                                                QStringList* warnings)
{
    // Label files on one surface take distinct colours in the order opened.
    int labelFiles = 0;
    for (const parcelFileItem* other : parcellationItems())
        labelFiles += other->regions().format == FREESURFER_LABELS;
    auto* parcels = new parcelFileItem(surface, sceneSeparator, columnValues, panel, this);
    childList.append(parcels);
    if (!parcels->loadFile(path, labelFiles)) {
        *error = parcels->loadError();
        childList.removeLast();
        delete parcels;
        return nullptr;
    }
    *warnings = parcels->warnings();
    return parcels;
}

void GeometryScene::pickReceived(int index, int nodeId, int, int, int)
{
    if (!loaded || static_cast<quint32>(nodeId) != surface->getID())
        return;
    document()->setPick(id, index);
}

void GeometryScene::showPick()
{
    const SceneDocument* doc = document();
    if (!loaded)
        return;
    if (doc->pickedSurface() != id) {
        setData(1, QString());
        return;
    }
    const int index = doc->pickedVertex();
    setData(1, QStringLiteral("Point: %1").arg(index));
    emit localPointPicked(index);
    panel->somethingChanged();
}

void GeometryScene::showLayer(int changed)
{
    if (changed != id)
        return;
    const bool shown = isShown();
    placeLayerNode(rootSeparator, shown);
}

QIcon GeometryScene::icon() const
{
    return loaded ? RowIcons::surface() : RowIcons::failedSurface();
}

QString GeometryScene::toolTip() const
{
    if (filePath.isEmpty())
        return QString();
    if (!loaded)
        return filePath + "\n" + data(1).toString();
    int faces = 0;
    bool triangles = true;
    for (int i = 0; i < sceneSeparator->getNumChildren(); ++i) {
        SoNode* node = sceneSeparator->getChild(i);
        if (!node->isOfType(SoIndexedFaceSet::getClassTypeId()))
            continue;
        const SoMFInt32& corners = static_cast<SoIndexedFaceSet*>(node)->coordIndex;
        int inFace = 0;
        for (int k = 0; k < corners.getNum(); ++k) {
            if (corners[k] >= 0) {
                ++inFace;
                continue;
            }
            triangles = triangles && inFace == 3;
            ++faces;
            inFace = 0;
        }
    }
    const int points = pointCount();
    return filePath + "\n" +
           (triangles ? tr("%1 points, %2 triangles") : tr("%1 points, %2 polygons"))
               .arg(points)
               .arg(faces);
}

void GeometryScene::wasSelected()
{
    panel->setLastGeometry(this);
}

QString GeometryScene::fileName() const
{
    return filePath;
}

void GeometryScene::applyViewOffset(int changed)
{
    if (changed != id)
        return;
    gyroscene::set_surface_offset(sceneSeparator, document()->viewOffset(id));
}

float GeometryScene::viewOffset() const
{
    return id < 0 ? 0.0f : document()->viewOffset(id);
}

QStringList GeometryScene::siblingSurfaces() const
{
    if (!loaded)
        return {};
    if (!siblingsKnown) {
        const SoIndexedFaceSet* faces = faceSet();
        int polygons = 0;
        for (int k = 0; faces && k < faces->coordIndex.getNum(); ++k)
            polygons += faces->coordIndex[k] < 0;
        siblings = gyroscene::sibling_surfaces(filePath, pointCount(), polygons);
        siblingsKnown = true;
    }
    return siblings;
}

bool GeometryScene::followDocumentPath(QString* error)
{
    SceneDocument* doc = document();
    const gyroscene::surface_state* state = loaded ? doc->surface(id) : nullptr;
    if (!state || state->path == filePath)
        return true;
    const QString wanted = state->path;
    QFile file(wanted);
    QString why;
    doc->notifyPointsChanging(id);
    if (!surface->switchPoints(file, &why)) {
        std::cerr << "Cannot switch to " << wanted.toLocal8Bit().constData() << ": "
                  << why.toLocal8Bit().constData() << std::endl;
        if (error)
            *error = why;
        // The document names the file drawn.
        doc->setSurfacePath(id, filePath);
        doc->notifyPointsChanged(id);
        return false;
    }
    filePath = wanted;
    siblingsKnown = siblings.contains(wanted);
    doc->notifyPointsChanged(id);
    panel->somethingChanged();
    return true;
}

bool GeometryScene::isLayer() const
{
    return true;
}

bool GeometryScene::isShown() const
{
    return id < 0 || document()->isShown(id);
}

void GeometryScene::setShown(bool show)
{
    if (id >= 0)
        document()->setShown(id, show);
}

void GeometryScene::releaseLayer()
{
    placeLayerNode(rootSeparator, false);
}

SoNode* GeometryScene::layerNode() const
{
    return sceneSeparator;
}

GeometryNode* GeometryScene::getSurface() const
{
    return surface;
}

SoSeparator* GeometryScene::getSceneSeparator() const
{
    return sceneSeparator;
}
