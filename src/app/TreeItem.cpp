#include "TreeItem.h"

#include "BrainQuarter.h"
#include "GeometryScene.h"
#include "ResourceForm.h"
#include "SceneDocument.h"
#include "tagFileItem.h"

#include <Inventor/nodes/SoGroup.h>

#include <QFile>
#include <QWidget>
#include <iostream>

TreeItem::TreeItem(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent)
    : QObject(nullptr), columnValues(data), parentLink(parent), panel(form)
{
}

TreeItem::~TreeItem()
{
    qDeleteAll(childList);
}

TreeItem* TreeItem::parent() const
{
    return parentLink;
}

TreeItem* TreeItem::child(int row) const
{
    if (row < 0 || row >= childList.size())
        return nullptr;
    return childList.at(row);
}

int TreeItem::childCount() const
{
    return static_cast<int>(childList.size());
}

int TreeItem::columnCount() const
{
    return static_cast<int>(columnValues.size());
}

QVariant TreeItem::data(int column) const
{
    if (column < 0 || column >= columnValues.size())
        return QVariant();
    return columnValues.at(column);
}

bool TreeItem::setData(int column, const QVariant& value)
{
    if (column < 0 || column >= columnValues.size())
        return false;
    columnValues[column] = value;
    return true;
}

int TreeItem::childNumber() const
{
    if (parentLink == nullptr)
        return 0;
    return static_cast<int>(parentLink->childList.indexOf(const_cast<TreeItem*>(this)));
}

void TreeItem::setViewer(BrainQuarter* newViewer)
{
    viewer = newViewer;
}

BrainQuarter* TreeItem::getViewer() const
{
    return viewer;
}

bool TreeItem::insertChildren(int position, int count, int columns)
{
    if (position < 0 || position > childList.size())
        return false;
    for (int i = 0; i < count; ++i) {
        QVector<QVariant> data(columns > 0 ? columns : 0);
        childList.insert(position, new TreeItem(data, panel, this));
    }
    return true;
}

bool TreeItem::removeChildren(int position, int count)
{
    // Written as a subtraction so that a huge count cannot overflow.
    if (position < 0 || count < 0 || count > childList.size() - position)
        return false;
    for (int i = 0; i < count; ++i)
        delete childList.takeAt(position);
    return true;
}

bool TreeItem::insertColumns(int position, int columns)
{
    if (position < 0 || position > columnValues.size())
        return false;
    for (int i = 0; i < columns; ++i)
        columnValues.insert(position, QVariant());
    for (TreeItem* item : std::as_const(childList))
        item->insertColumns(position, columns);
    return true;
}

bool TreeItem::removeColumns(int position, int columns)
{
    if (position < 0 || columns < 0 || columns > columnValues.size() - position)
        return false;
    columnValues.remove(position, columns);
    for (TreeItem* item : std::as_const(childList))
        item->removeColumns(position, columns);
    return true;
}

GeometryScene* TreeItem::insertGeometry(QFile& file)
{
    QVector<QVariant> data(columnCount());
    GeometryScene* scene = new GeometryScene(data, panel, this);
    scene->setViewer(viewer);
    childList.append(scene);
    scene->loadGeometry(file);
    return scene;
}

GeometryScene* TreeItem::sceneRow() const
{
    return parentLink ? parentLink->sceneRow() : nullptr;
}

tagFileItem* TreeItem::insertTags(QFile& file)
{
    QVector<QVariant> data(columnCount());
    SoSeparator* rootSeparator = viewer ? viewer->getRootSeparator() : nullptr;
    tagFileItem* tags = new tagFileItem(rootSeparator, data, panel, this);
    childList.append(tags);
    tags->loadFile(file);
    return tags;
}

QIcon TreeItem::icon() const
{
    return QIcon();
}

QString TreeItem::toolTip() const
{
    return QString();
}

QWidget* TreeItem::createForm()
{
    return nullptr;
}

void TreeItem::destroyForm()
{
}

bool TreeItem::havePropForm() const
{
    return propFormAvailable;
}

void TreeItem::wasSelected()
{
    std::cout << "Eeeek " << (parentLink ? parentLink->childNumber() : 0) << std::endl;
}

bool TreeItem::isLayer() const
{
    return false;
}

bool TreeItem::isShown() const
{
    return true;
}

void TreeItem::setShown(bool)
{
}

void TreeItem::releaseLayer()
{
}

SoNode* TreeItem::layerNode() const
{
    return nullptr;
}

void TreeItem::placeLayerNode(SoGroup* group, bool shown)
{
    SoNode* node = layerNode();
    if (!group || !node)
        return;
    const int at = group->findChild(node);
    if (!shown) {
        if (at >= 0)
            group->removeChild(at);
        return;
    }
    if (at >= 0)
        return;
    int position = -1;
    if (parentLink) {
        const int row = childNumber();
        for (int i = row - 1; i >= 0 && position < 0; --i) {
            SoNode* before = parentLink->child(i)->layerNode();
            const int found = before ? group->findChild(before) : -1;
            if (found >= 0)
                position = found + 1;
        }
        for (int i = row + 1; i < parentLink->childCount() && position < 0; ++i) {
            SoNode* after = parentLink->child(i)->layerNode();
            position = after ? group->findChild(after) : -1;
        }
    }
    if (position < 0)
        group->addChild(node);
    else
        group->insertChild(node, position);
}

void TreeItem::pickReceived(int, int, int, int, int)
{
}

void TreeItem::pickedPointReceived(int)
{
}

int TreeItem::documentId() const
{
    return -1;
}

SceneDocument* TreeItem::document() const
{
    if (panel)
        return panel->document();
    if (parentLink)
        return parentLink->document();
    if (!ownDocument)
        ownDocument = std::make_unique<SceneDocument>();
    return ownDocument.get();
}
