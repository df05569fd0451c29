#include "textureFileItem.h"

#include "ResourceForm.h"

#include "ColourBarStore.h"
#include "GeometryNode.h"
#include "ReaderMessages.h"
#include "RowIcons.h"
#include "SceneDocument.h"
#include "format_files.h"
#include "statistics_file.h"
#include "surface_graph.h"
#include "textureColumn.h"
#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>

#include <QFile>
#include <QDateTime>
#include <QFileInfo>

#include <iostream>
#include <vector>

textureFileItem::textureFileItem(SoSeparator* target, const QVector<QVariant>& data,
                                 ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), targetSeparator(target)
{
    columnSwitch = new SoSwitch;
    // Our reference keeps the switch alive with the item, separator or not.
    columnSwitch->ref();
    if (targetSeparator)
        gyroscene::add_surface_texture(targetSeparator, columnSwitch);
    statistics = new zelVertstatsFile;
}

textureFileItem::~textureFileItem()
{
    // The columns go first: they hold groups under the switch.
    qDeleteAll(childList);
    childList.clear();
    columnSwitch->unref();
    delete statistics;
}

bool textureFileItem::canRead(const QString& fileName, QByteArray* bytes)
{
    return gyroscene::statistics_file_readable(fileName, bytes);
}

QString textureFileItem::readError(const QString& fileName, const QString& reason)
{
    return gyroscene::statistics_read_error(fileName, reason);
}

bool textureFileItem::loadFile(QFile& file, bool readable, const QByteArray* bytes)
{
    const QString name = file.fileName();
    const QByteArray readerName = readerFileName(name);
    const bool otherFormat = vertex_data_format(readerName.constData()) != NOT_VERTEX_DATA;
    if (otherFormat) {
        // "lh.blob" (curv) and "lh.blob.mgh" on one surface: the second
        // keeps its suffix, so the rows tell them apart.
        QString title = QString::fromLocal8Bit(format_file_title(readerName.constData()).c_str());
        for (int i = 0; parentLink && i < parentLink->childCount(); ++i)
            if (parentLink->child(i) != this && parentLink->child(i)->data(0).toString() == title)
                title = QFileInfo(name).fileName();
        setData(0, title);
    } else
        setData(0, QFileInfo(file).baseName());
    lastError.clear();
    lastWarnings.clear();
    filePath = name;
    if (!readable) {
        lastError = readError(name);
        return false;
    }
    // A CIFTI-2 file gives the surface its share of both hemispheres.
    const int onSurface = parentLink ? parentLink->documentId() : -1;
    const gyroscene::surface_part part =
        panel && onSurface >= 0 ? panel->partOf(onSurface) : gyroscene::surface_part();
    if (!gyroscene::read_statistics_file(name, *statistics, &lastError, &lastWarnings, bytes, &part))
        return false;

    // Reading stopped before any row (a first line that is no numbers):
    // nothing to show. An empty file still reads, as it always has.
    if (statistics->getNumRows() == 0 && !lastWarnings.isEmpty()) {
        lastError = readError(name, QStringLiteral("no rows of values"));
        return false;
    }
    const gyroscene::row_count_check counts =
        gyroscene::check_row_count(name, statistics->getNumRows(), gyroscene::surface_vertex_count(targetSeparator));
    if (!counts.error.isEmpty()) {
        lastError = counts.error;
        return false;
    }
    if (!counts.warning.isEmpty())
        warn(counts.warning);
    getAllColumns();
    // A file made without a surface row (tests, timing programs) stands
    // on a surface of no file in its own document.
    SceneDocument* doc = document();
    surfaceId = parentLink && parentLink->documentId() >= 0 ? parentLink->documentId()
                                                            : doc->addSurface(QString());
    {
        id = doc->addStatistics(surfaceId, name, std::move(loadedColumns));
        connect(doc, &SceneDocument::colouringChanged, this, &textureFileItem::applyColouring);
        connect(doc, &SceneDocument::layerShownChanged, this, &textureFileItem::applyShown);
        for (int i = 0; i < childList.size(); ++i)
            column(i)->attach(id);
    }
    return true;
}

int textureFileItem::documentId() const
{
    return id;
}

textureColumn* textureFileItem::column(int row) const
{
    // Every row below a statistics file is one of its columns.
    return row >= 0 && row < childList.size() ? static_cast<textureColumn*>(childList[row])
                                              : nullptr;
}

int textureFileItem::rowOf(const QString& column) const
{
    for (int i = 0; i < childList.size(); ++i)
        if (childList[i]->data(0).toString() == column)
            return i;
    return -1;
}

void textureFileItem::applyColouring(int surface)
{
    const SceneDocument* doc = document();
    if (surface != surfaceId)
        return;
    const int row = doc->colouringFile(surface) == id ? rowOf(doc->colouringColumn(surface)) : -1;
    drawRow(row);
    // The others give up the legend, whichever of them held it.
    for (int i = 0; i < childCount(); ++i)
        if (i != row)
            column(i)->setLegendShown(false);
    if (column(row))
        column(row)->setLegendShown(true);
}

void textureFileItem::applyShown(int changed)
{
    const SceneDocument* doc = document();
    // A hidden surface takes the legend of its colouring with it.
    if (changed != surfaceId || doc->colouringFile(surfaceId) != id)
        return;
    if (textureColumn* shown = column(rowOf(doc->colouringColumn(surfaceId))))
        shown->setLegendShown(doc->isShown(surfaceId));
}

void textureFileItem::getAllColumns()
{
    const std::vector<std::string> names = statistics->getDataHeader();
    const int vertices = gyroscene::surface_vertex_count(targetSeparator);
    std::size_t shown = names.size();
    if (shown > static_cast<std::size_t>(maxColumns)) {
        shown = maxColumns;
        warn(QStringLiteral("Warning: %1 has %2 columns; only the first %3 are shown")
                 .arg(data(0).toString())
                 .arg(names.size())
                 .arg(maxColumns));
    }
    // One listing of the texture directory serves every column of the file.
    const ColourBarList colourBars = shown > 0 ? ColourBarStore::list() : ColourBarList();
    // The columns own the values from here on; the file keeps its header.
    rowCount = statistics->getNumRows();
    columnCount = statistics->getNumColumns();
    std::vector<std::vector<float>> columns = statistics->takeAllColumns();
    auto stored = std::make_shared<gyroscene::StoredStatistics>();
    stored->title = data(0).toString();
    stored->rows = rowCount;
    stored->fileColumns = columnCount;
    for (std::size_t i = 0; i < shown; ++i) {
        textureColumn* column =
            new textureColumn(columnSwitch, columnValues, panel, this, colourBars);
        column->setVertexCount(vertices);
        column->setCoordinatesWhenDrawn(true);
        const QString name = QString::fromStdString(names[i]);
        auto values = std::make_shared<const std::vector<float>>(
            i < columns.size() ? std::move(columns[i]) : std::vector<float>());
        stored->names << name;
        stored->columns.push_back(values);
        column->loadTextureColumn(std::move(values), name);
        if (i >= columns.size()) {
            warn(QStringLiteral("Warning: statistics column %1 (%2) does not exist")
                     .arg(i)
                     .arg(QString::fromStdString(names[i])));
        }
        childList.append(column);
        connect(this, &TreeItem::setPickedPoint, column, &textureColumn::setPickInfo);
    }
    loadedColumns = std::move(stored);
}

void textureFileItem::drawRow(int row)
{
    columnSwitch->whichChild = row >= 0 && row < childList.size() ? row : SO_SWITCH_NONE;
    for (int i = 0; i < childList.size(); ++i)
        column(i)->setDrawn(i == row);
}

void textureFileItem::showColumn(int row)
{
    if (id >= 0 && row >= 0 && row < childList.size())
        document()->chooseColumn(id, childList[row]->data(0).toString());
}

int textureFileItem::chosenColumn() const
{
    return id >= 0 ? rowOf(document()->chosenColumn(id)) : -1;
}

bool textureFileItem::isLayer() const
{
    return true;
}

bool textureFileItem::isShown() const
{
    return id < 0 || document()->isShown(id);
}

void textureFileItem::setShown(bool show)
{
    if (id >= 0)
        document()->setShown(id, show);
}

void textureFileItem::releaseLayer()
{
    setShown(false);
    if (targetSeparator) {
        const int at = targetSeparator->findChild(columnSwitch);
        if (at >= 0)
            targetSeparator->removeChild(at);
    }
}

SoSwitch* textureFileItem::getSwitch() const
{
    return columnSwitch;
}

QString textureFileItem::loadError() const
{
    return lastError;
}

QStringList textureFileItem::warnings() const
{
    return lastWarnings;
}

void textureFileItem::warn(const QString& line)
{
    std::cerr << line.toLocal8Bit().constData() << std::endl;
    lastWarnings.append(line);
}

QIcon textureFileItem::icon() const
{
    return RowIcons::statisticsFile();
}

QString textureFileItem::toolTip() const
{
    if (!lastError.isEmpty())
        return lastError;
    return filePath + "\n" +
           tr("%1 rows, %2 columns").arg(rowCount).arg(columnCount);
}

QString textureFileItem::getFilePath() const
{
    return filePath;
}

zelVertstatsFile* textureFileItem::getStatistics() const
{
    return statistics;
}

void textureFileItem::pickedPointReceived(int index)
{
    emit setPickedPoint(index);
}
