#include "TreeModel.h"

#include "SceneDocument.h"
#include "TreeItem.h"

#include <QFont>

#include <iostream>

TreeModel::TreeModel(const QStringList& headers, ResourceForm* form, QObject* parent)
    : QAbstractItemModel(parent), panel(form)
{
    QVector<QVariant> rootData;
    for (const QString& header : headers)
        rootData << header;
    rootItem = new TreeItem(rootData, panel, nullptr);
}

TreeModel::~TreeModel()
{
    delete rootItem;
}

TreeItem* TreeModel::getRootItem() const
{
    return rootItem;
}

TreeItem* TreeModel::getItem(const QModelIndex& index) const
{
    if (index.isValid()) {
        TreeItem* item = static_cast<TreeItem*>(index.internalPointer());
        if (item)
            return item;
    }
    return rootItem;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    TreeItem* child = getItem(parent)->child(row);
    if (child == nullptr)
        return QModelIndex();
    return createIndex(row, column, child);
}

QModelIndex TreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeItem* parentItem = getItem(index)->parent();
    if (parentItem == nullptr || parentItem == rootItem)
        return QModelIndex();
    return createIndex(parentItem->childNumber(), 0, parentItem);
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    return getItem(parent)->childCount();
}

int TreeModel::columnCount(const QModelIndex&) const
{
    return rootItem->columnCount();
}

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const TreeItem* item = getItem(index);
    if (role == Qt::DecorationRole && index.column() == 0) {
        const QIcon icon = item->icon();
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    if (role == Qt::ToolTipRole) {
        const QString tip = item->toolTip();
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role == Qt::CheckStateRole) {
        if (index.column() != 0 || !item->isLayer())
            return QVariant();
        return item->isShown() ? Qt::Checked : Qt::Unchecked;
    }
    // The target surface's row in bold: where the next statistics file,
    // parcellation and View > Surface go.
    if (role == Qt::FontRole) {
        const bool target = item->parent() == rootItem && item->documentId() != SceneDocument::none &&
                            item->documentId() == item->document()->currentSurface();
        if (!target)
            return QVariant();
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return item->data(index.column());
}

bool TreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::CheckStateRole) {
        TreeItem* item = getItem(index);
        if (!index.isValid() || index.column() != 0 || !item->isLayer())
            return false;
        item->setShown(value.value<Qt::CheckState>() != Qt::Unchecked);
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    return getItem(index)->setData(index.column(), value);
}

QVariant TreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return rootItem->data(section);
    return QVariant();
}

bool TreeModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                              int role)
{
    if (role != Qt::EditRole || orientation != Qt::Horizontal)
        return false;
    return rootItem->setData(section, value);
}

// The structural operations announce a change only when the items will
// accept it: a view told about rows or columns that never appear (or
// vanish) keeps stale rows and can index past the model.
bool TreeModel::insertRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (position < 0 || position > parentItem->childCount())
        return false;
    if (rows <= 0)
        return parentItem->insertChildren(position, rows, rootItem->columnCount());
    beginInsertRows(parent, position, position + rows - 1);
    bool success = parentItem->insertChildren(position, rows, rootItem->columnCount());
    endInsertRows();
    return success;
}

bool TreeModel::removeRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (position < 0 || rows < 0 || rows > parentItem->childCount() - position)
        return false;
    if (rows == 0)
        return true;
    beginRemoveRows(parent, position, position + rows - 1);
    bool success = parentItem->removeChildren(position, rows);
    endRemoveRows();
    return success;
}

bool TreeModel::insertColumns(int position, int columns, const QModelIndex& parent)
{
    if (position < 0 || position > rootItem->columnCount())
        return false;
    if (columns <= 0)
        return rootItem->insertColumns(position, columns);
    beginInsertColumns(parent, position, position + columns - 1);
    bool success = rootItem->insertColumns(position, columns);
    endInsertColumns();
    return success;
}

bool TreeModel::removeColumns(int position, int columns, const QModelIndex& parent)
{
    if (position < 0 || columns < 0 || columns > rootItem->columnCount() - position)
        return false;
    if (columns == 0)
        return true;
    beginRemoveColumns(parent, position, position + columns - 1);
    bool success = rootItem->removeColumns(position, columns);
    endRemoveColumns();
    if (rootItem->columnCount() == 0)
        removeRows(0, rowCount());
    return success;
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsEnabled;
    const Qt::ItemFlags flags = Qt::ItemIsEditable | Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && getItem(index)->isLayer())
        return flags | Qt::ItemIsUserCheckable;
    return flags;
}

void TreeModel::somethingChanged()
{
    // Views only re-read the tree after a layout change that was announced
    // first; a bare layoutChanged leaves their expanded state stale.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
    std::cout << "Grunkle" << std::endl;
}
