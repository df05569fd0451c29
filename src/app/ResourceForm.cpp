#include "ResourceForm.h"

#include "SceneBinder.h"

#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "LayerToggle.h"
#include "SceneDocument.h"
#include "file_kind.h"
#include "parcel_colouring.h"
#include "textureColumn.h"
#include "TreeItem.h"
#include "TreeModel.h"
#include "textureFileItem.h"
#include "parcelFileItem.h"
#include "tagFileItem.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>
#include <iostream>

ResourceForm::ResourceForm(QWidget* parent, BrainQuarter* viewer, SceneDocument* document)
    : QWidget(parent), viewer(viewer), doc(document ? document : new SceneDocument(this))
{
    ui.setupUi(this);
    designedWidth = width();
    formShown = false;

    QStringList headers;
    headers << tr("Title") << tr("Description");
    // Deleted first in the destructor: items close while their panel stands.
    model = new TreeModel(headers, this, this);
    rootItem = model->getRootItem();
    rootItem->setViewer(viewer);
    if (viewer)
        binder = new SceneBinder(doc, viewer, this);
    haveGeometry = false;
    ui.treeView->setModel(model);

    connect(ui.treeView, &QTreeView::clicked, this, &ResourceForm::setPropertyForm);
    connect(ui.treeView, &QTreeView::clicked, this, &ResourceForm::selectedItem);
    connect(model, &QAbstractItemModel::dataChanged, ui.treeView,
            qOverload<const QModelIndex&>(&QTreeView::update));
    new LayerToggle(ui.treeView);
    // Files shown or hidden through the document tick their rows.
    connect(doc, &SceneDocument::layerShownChanged, this, [this] { ui.treeView->viewport()->update(); });
    // The target's row is drawn in bold (TreeModel), and wider.
    connect(doc, &SceneDocument::currentSurfaceChanged, this, [this] {
        ui.treeView->viewport()->update();
        ui.treeView->resizeColumnToContents(0);
    });
    // Rows hidden under a collapsed parent are not measured, so expanding
    // one has to widen the columns again or its titles are cut off.
    connect(ui.treeView, &QTreeView::expanded, this, [this] {
        for (int column = 0; column < model->columnCount(QModelIndex()); ++column)
            ui.treeView->resizeColumnToContents(column);
    });
}

ResourceForm::~ResourceForm()
{
    ui.treeView->setModel(nullptr);
    delete model;
}

QSize ResourceForm::sizeHint() const
{
    return QWidget::sizeHint().expandedTo(QSize(designedWidth, 0));
}

bool ResourceForm::insertGeometry(QFile& file)
{
    GeometryScene* scene = rootItem->insertGeometry(file);
    const bool loaded = scene->isLoaded();
    // A surface that did not load would swallow the next statistics file.
    if (loaded) {
        doc->setCurrentSurface(scene->documentId());
        haveGeometry = true;
    }
    connect(viewer, &BrainQuarter::pointPicked, scene, &TreeItem::pickReceived);
    viewer->frameScene();
    somethingChanged();
    messages.clear();

    // The rows stay so that the tree shows what was tried; the failure is
    // reported once here, beside whatever the reader printed itself.
    if (loaded) {
        loadError.clear();
    } else {
        QString why = scene->getSurface()->loadError();
        const std::string mismatch =
            file_kind_mismatch(readerFileName(file.fileName()).constData(), SURFACE_FILE_KIND);
        if (!mismatch.empty())
            why = tr("%1 (%2)").arg(why, QString::fromStdString(mismatch));
        loadError = tr("Cannot load surface file %1: %2").arg(file.fileName(), why);
        std::cerr << loadError.toLocal8Bit().constData() << std::endl;
        messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
    }
    return loaded;
}

bool ResourceForm::insertVertstats(QFile& file)
{
    // Statistics files attach to a surface; without one they are not read.
    loadError.clear();
    messages.clear();
    GeometryScene* lastGeometry = getLastGeometry();
    if (!haveGeometry || !lastGeometry) {
        loadError = tr("Cannot attach statistics file %1: open a surface first")
                        .arg(file.fileName());
        std::cerr << loadError.toLocal8Bit().constData() << std::endl;
        messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
        return false;
    }
    // Asked once, here, before the statistics reader sees the file: it would
    // end the whole viewer on a file it cannot read.
    QByteArray bytes;
    const bool readable = textureFileItem::canRead(file.fileName(), &bytes);
    textureFileItem* statistics = nullptr;
    const bool loaded = lastGeometry->loadVertstats(file, readable, &bytes, &statistics);
    if (readable)
        somethingChanged();
    if (loaded) {
        if (statistics)
            for (const QString& line : statistics->warnings())
                messages.append({LoadMessage::Kind::Warning, file.fileName(), line});
        return true;
    }

    loadError = statistics ? statistics->loadError() : textureFileItem::readError(file.fileName());
    // A file that was not read leaves no row; the reader's lines and the
    // failure are in the log.
    if (statistics) {
        for (const QString& line : statistics->warnings())
            messages.append({LoadMessage::Kind::Warning, file.fileName(), line});
        closeLayer(statistics);
    }
    std::cerr << loadError.toLocal8Bit().constData() << std::endl;
    messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
    return false;
}

bool ResourceForm::insertParcellation(QFile& file)
{
    loadError.clear();
    messages.clear();
    GeometryScene* lastGeometry = getLastGeometry();
    if (!haveGeometry || !lastGeometry) {
        loadError = tr("Cannot attach parcellation %1: open a surface first").arg(file.fileName());
        std::cerr << loadError.toLocal8Bit().constData() << std::endl;
        messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
        return false;
    }
    QStringList warnings;
    if (!lastGeometry->loadParcellation(file.fileName(), &loadError, &warnings)) {
        // The viewer keeps what it had.
        std::cerr << loadError.toLocal8Bit().constData() << std::endl;
        messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
        return false;
    }
    for (const QString& line : warnings)
        messages.append({LoadMessage::Kind::Warning, file.fileName(), line});
    somethingChanged();
    return true;
}

bool ResourceForm::insertTagfile(QFile& file)
{
    tagFileItem* tags = rootItem->insertTags(file);
    // The new row is shown at once, not at the next surface or pick.
    somethingChanged();

    // A failure is one line naming the file and the reader's reason, and
    // the result lets the window show it too; the file leaves no row.
    messages.clear();
    loadError = tags->loadError();
    if (loadError.isEmpty()) {
        for (const QString& line : tags->warnings())
            messages.append({LoadMessage::Kind::Warning, file.fileName(), line});
        return true;
    }
    closeLayer(tags);
    std::cerr << loadError.toLocal8Bit().constData() << std::endl;
    messages.append({LoadMessage::Kind::Error, file.fileName(), loadError});
    return false;
}

QString ResourceForm::lastLoadError() const
{
    return loadError;
}

QList<LoadMessage> ResourceForm::loadMessages() const
{
    return messages;
}

void ResourceForm::setLastGeometry(GeometryScene* item)
{
    if (item && item->isLoaded())
        doc->setCurrentSurface(item->documentId());
}

void ResourceForm::somethingChanged()
{
    model->somethingChanged();
    const int columns = model->columnCount(QModelIndex());
    for (int column = 0; column < columns; ++column)
        ui.treeView->resizeColumnToContents(column);
}

TreeItem* ResourceForm::layerOf(TreeItem* item)
{
    while (item && !item->isLayer())
        item = item->parent();
    return item;
}

QModelIndex ResourceForm::indexOf(TreeItem* item) const
{
    if (!item || item == rootItem)
        return QModelIndex();
    return model->index(item->childNumber(), 0, indexOf(item->parent()));
}

void ResourceForm::closeLayer(TreeItem* item)
{
    item = layerOf(item);
    if (!item || !item->parent())
        return;
    // The form shown may belong to the row or one below it.
    for (TreeItem* shown = currentItem; shown; shown = shown->parent())
        if (shown == item) {
            currentItem->destroyForm();
            currentItem = nullptr;
            break;
        }
    item->releaseLayer();
    doc->remove(item->documentId());
    model->removeRows(item->childNumber(), 1, indexOf(item->parent()));
    somethingChanged();
}

bool ResourceForm::closeSelected()
{
    const QModelIndex current = ui.treeView->currentIndex();
    if (!current.isValid() || !ui.treeView->selectionModel()->isSelected(current))
        return false;
    TreeItem* item = layerOf(model->getItem(current));
    if (!item)
        return false;
    closeLayer(item);
    return true;
}

double ResourceForm::surfaceDiagonal() const
{
    SbBox3f box;
    for (int surface : doc->surfaces())
        box.extendBy(boundingBox(surface));
    if (box.isEmpty())
        return 0.0;
    return static_cast<double>((box.getMax() - box.getMin()).length());
}

void ResourceForm::setPropertyForm(const QModelIndex& index)
{
    if (formShown && currentItem)
        currentItem->destroyForm();
    currentItem = model->getItem(index);
    if (!currentItem->havePropForm())
        return;

    delete ui.propertiesBox->layout();
    propertyWidget = currentItem->createForm();
    propertyLayout = new QVBoxLayout;
    propertyLayout->addWidget(propertyWidget);
    ui.propertiesBox->setLayout(propertyLayout);
    formShown = true;
}

void ResourceForm::selectedItem(const QModelIndex& index)
{
    model->getItem(index)->wasSelected();
}

int ResourceForm::lastSurface() const
{
    return haveGeometry ? doc->currentSurface() : SceneDocument::none;
}

SceneDocument* ResourceForm::document() const
{
    return doc;
}

GeometryScene* ResourceForm::sceneItem(int surface) const
{
    // Ids name one file each: a row with a surface's id is its surface row.
    if (!doc->surface(surface))
        return nullptr;
    for (int i = 0; i < rootItem->childCount(); ++i)
        if (rootItem->child(i)->documentId() == surface)
            return rootItem->child(i)->sceneRow();
    return nullptr;
}

float ResourceForm::viewOffset(int surface) const
{
    return doc->viewOffset(surface);
}

int ResourceForm::pointCount(int surface) const
{
    const gyroscene::StoredSurface* stored = doc->store().surface(surface);
    return stored ? stored->pointCount() : 0;
}

bool ResourceForm::point(int surface, int vertex, float xyz[3]) const
{
    const gyroscene::StoredSurface* stored = doc->store().surface(surface);
    return stored && stored->point(vertex, xyz);
}

SbBox3f ResourceForm::boundingBox(int surface) const
{
    const GeometryScene* scene = sceneItem(surface);
    return scene ? scene->boundingBox() : SbBox3f();
}

QString ResourceForm::surfaceTitle(int surface) const
{
    const GeometryScene* scene = sceneItem(surface);
    return scene ? scene->getSurface()->data(0).toString() : QString();
}

QString ResourceForm::surfaceToolTip(int surface) const
{
    const GeometryScene* scene = sceneItem(surface);
    return scene ? scene->toolTip() : QString();
}

QList<ResourceForm::FileValues> ResourceForm::valuesAt(int surface, int vertex) const
{
    QList<FileValues> files;
    for (int id : doc->statisticsOf(surface)) {
        const auto stored = doc->store().statistics(id);
        const QString path = doc->statistics(id)->path;
        FileValues entry{stored ? stored->title : QFileInfo(path).fileName(), path, {}};
        for (int c = 0; stored && c < stored->names.size(); ++c) {
            const std::vector<float>& data = *stored->columns[std::size_t(c)];
            entry.columns.append({stored->names[c], vertex >= 0 && std::size_t(vertex) < data.size()
                                                        ? QString::number(data[std::size_t(vertex)], 'g', 6)
                                                        : QString()});
        }
        files.append(entry);
    }
    return files;
}

QList<ResourceForm::RegionValue> ResourceForm::regionsAt(int surface, int vertex) const
{
    QList<RegionValue> regions;
    for (int id : doc->parcellationsOf(surface)) {
        const QString path = doc->parcellation(id)->path;
        RegionValue entry{QFileInfo(path).fileName(), path, tr("unknown"), {}};
        const auto stored = doc->store().parcellationOf(id);
        if (const parcel_region* region = stored ? gyroscene::region_at(*stored, vertex) : nullptr) {
            entry.region = QString::fromStdString(region->name);
            entry.colour = QColor(region->colour.r, region->colour.g, region->colour.b);
        }
        regions.append(entry);
    }
    return regions;
}

QString ResourceForm::hoverText(int faceSet, int vertex) const
{
    const SceneDocument::Id hovered = binder ? binder->surfaceOfShape(quint32(faceSet)) : SceneDocument::none;
    for (int surface : doc->surfaces()) {
        if (surface != hovered)
            continue;
        QStringList names;
        for (int id : doc->parcellationsOf(surface)) {
            const auto stored = doc->store().parcellationOf(id);
            if (!doc->isShown(id) || !stored)
                continue;
            const parcel_region* region = gyroscene::region_at(*stored, vertex);
            names << (region ? QString::fromStdString(region->name) : tr("unknown"));
        }
        return names.join(QStringLiteral("; "));
    }
    return QString();
}

bool ResourceForm::parcellationShown() const
{
    for (int surface : doc->surfaces()) {
        if (!doc->isShown(surface))
            continue;
        for (int parcels : doc->parcellationsOf(surface))
            if (doc->isShown(parcels))
                return true;
    }
    return false;
}

parcelFileItem* ResourceForm::parcellationItem(int parcels) const
{
    const GeometryScene* scene = doc->parcellation(parcels) ? sceneItem(doc->surfaceOf(parcels)) : nullptr;
    for (parcelFileItem* item : scene ? scene->parcellationItems() : std::vector<parcelFileItem*>())
        if (item->documentId() == parcels)
            return item;
    return nullptr;
}

gyroscene::Hemisphere ResourceForm::guessedHemisphere(int surface) const
{
    return sideOf(surface, gyroscene::Hemisphere::Unknown);
}

gyroscene::Hemisphere ResourceForm::hemisphereOf(int surface) const
{
    const gyroscene::surface_state* state = doc->surface(surface);
    return state ? sideOf(surface, state->hemisphere) : gyroscene::Hemisphere::Unknown;
}

gyroscene::surface_part ResourceForm::partOf(int surface) const
{
    const gyroscene::StoredSurface* stored = doc->store().surface(surface);
    if (!stored)
        return {};
    return {stored->structure(), hemisphereOf(surface), stored->pointCount()};
}

gyroscene::Hemisphere ResourceForm::sideOf(int surface, gyroscene::Hemisphere chosen) const
{
    const gyroscene::StoredSurface* stored = doc->store().surface(surface);
    if (!stored)
        return chosen;
    const QByteArray name = QFileInfo(doc->surface(surface)->path).fileName().toLocal8Bit();
    const QByteArray structure = stored->structure().toLatin1();
    return gyroscene::surface_hemisphere(chosen, std::string_view(name.constData(), size_t(name.size())),
                                         std::string_view(structure.constData(), size_t(structure.size())),
                                         stored->points(), stored->pointCount());
}

void ResourceForm::geometrySelected(int childNum)
{
    // Only a loaded surface-file row may become the target of statistics
    // files; anything else leaves the target as it was.
    const TreeItem* row = rootItem->child(childNum);
    setLastGeometry(row ? sceneItem(row->documentId()) : nullptr);
}

TreeModel* ResourceForm::getModel() const
{
    return model;
}

TreeItem* ResourceForm::getRootItem() const
{
    return rootItem;
}

GeometryScene* ResourceForm::getLastGeometry() const
{
    return sceneItem(lastSurface());
}

bool ResourceForm::hasGeometry() const
{
    return haveGeometry;
}

QTreeView* ResourceForm::getTreeView() const
{
    return ui.treeView;
}

QGroupBox* ResourceForm::getPropertiesBox() const
{
    return ui.propertiesBox;
}

QWidget* ResourceForm::getPropertyWidget() const
{
    return propertyWidget;
}


QStringList ResourceForm::columnNames(int statistics) const
{
    const auto stored = doc->store().statistics(statistics);
    return stored ? stored->names : QStringList();
}

QStringList ResourceForm::colourBarNames(int statistics) const
{
    QStringList names;
    const GeometryScene* scene = sceneItem(doc->surfaceOf(statistics));
    for (textureFileItem* file : scene ? scene->statisticsItems() : std::vector<textureFileItem*>())
        if (file->documentId() == statistics && file->column(0))
            for (const QString& bar : file->column(0)->getColourBars())
                names << QFileInfo(bar).baseName();
    return names;
}

void ResourceForm::closeAll()
{
    while (rootItem->childCount() > 0) {
        TreeItem* item = rootItem->child(rootItem->childCount() - 1);
        if (!item->isLayer()) {
            model->removeRows(item->childNumber(), 1, QModelIndex());
            continue;
        }
        closeLayer(item);
    }
    haveGeometry = false;
    doc->clear();
}
