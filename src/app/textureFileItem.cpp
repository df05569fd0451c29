#include "textureFileItem.h"

#include "ColourBarStore.h"
#include "GeometryNode.h"
#include "ReaderMessages.h"
#include "RowIcons.h"
#include "format_files.h"
#include "statistics_file.h"
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
        targetSeparator->insertChild(columnSwitch, 0);
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

namespace {

// The bytes canRead read, kept for the loadFile that follows it so that the
// file is read once; with the file's size and time to tell a changed file.
struct ReadAhead {
    QString fileName;
    qint64 size = -1;
    QDateTime modified;
    QByteArray bytes;
};

ReadAhead& readAhead()
{
    static ReadAhead kept;
    return kept;
}

}  // namespace

bool textureFileItem::canRead(const QString& fileName)
{
    readAhead() = ReadAhead();
    QByteArray bytes;
    if (!gyroscene::statistics_file_readable(fileName, &bytes))
        return false;
    const QFileInfo info(fileName);
    readAhead() = {fileName, info.size(), info.lastModified(), std::move(bytes)};
    return true;
}

int textureFileItem::surfaceVertexCount(SoSeparator* target)
{
    if (!target)
        return -1;
    for (int i = 0; i < target->getNumChildren(); ++i) {
        SoNode* node = target->getChild(i);
        if (node->isOfType(SoCoordinate3::getClassTypeId()))
            return static_cast<SoCoordinate3*>(node)->point.getNum();
    }
    return -1;
}

QString textureFileItem::readError(const QString& fileName, const QString& reason)
{
    return gyroscene::statistics_read_error(fileName, reason);
}

bool textureFileItem::loadFile(QFile& file, bool readable)
{
    const QString name = file.fileName();
    // What canRead just read, used when the file has not changed since.
    ReadAhead kept = std::move(readAhead());
    readAhead() = ReadAhead();
    const QByteArray readerName = readerFileName(name);
    const bool otherFormat = vertex_data_format(readerName.constData()) != NOT_VERTEX_DATA;
    if (otherFormat)
        setData(0, QString::fromLocal8Bit(format_file_title(readerName.constData()).c_str()));
    else
        setData(0, QFileInfo(file).baseName());
    lastError.clear();
    lastWarnings.clear();
    filePath = name;
    if (!readable) {
        lastError = readError(name);
        return false;
    }
    const QFileInfo info(name);
    const bool haveBytes = kept.fileName == name && kept.size == info.size() &&
                           kept.modified == info.lastModified() && kept.bytes.size() == kept.size;
    if (!gyroscene::read_statistics_file(name, *statistics, &lastError, &lastWarnings,
                                         haveBytes ? &kept.bytes : nullptr))
        return false;

    const int vertices = surfaceVertexCount(targetSeparator);
    const int rows = statistics->getNumRows();
    if (vertices >= 0 && rows != vertices)
        warn(gyroscene::row_count_warning(name, rows, vertices));
    getAllColumns();
    return true;
}

void textureFileItem::getAllColumns()
{
    const std::vector<std::string> names = statistics->getDataHeader();
    const int vertices = surfaceVertexCount(targetSeparator);
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
    for (std::size_t i = 0; i < shown; ++i) {
        textureColumn* column =
            new textureColumn(columnSwitch, columnValues, panel, this, colourBars);
        column->setVertexCount(vertices);
        column->loadTextureColumn(statistics, QString::fromStdString(names[i]),
                                  static_cast<int>(i));
        childList.append(column);
        connect(this, &TreeItem::setPickedPoint, column, &textureColumn::setPickInfo);
    }
}

void textureFileItem::showColumn(int row)
{
    static quint64 choices = 0;
    chosen = row;
    chosenAt = ++choices;
    if (shown)
        drawColumn(row);
}

void textureFileItem::drawColumn(int row)
{
    columnSwitch->whichChild = row;
    TreeItem* scene = parent();
    if (!scene) {
        if (auto* column = dynamic_cast<textureColumn*>(child(row)))
            column->setLegendShown(true);
        return;
    }
    // Each file's switch sits in the same separator; left on, the file
    // loaded first would paint over the column just chosen.
    for (int i = 0; i < scene->childCount(); ++i) {
        TreeItem* sibling = scene->child(i);
        if (auto* other = dynamic_cast<textureFileItem*>(sibling); other && other != this)
            other->columnSwitch->whichChild = SO_SWITCH_NONE;
        else if (auto* surface = dynamic_cast<GeometryNode*>(sibling))
            surface->setColumnShown(true);
    }
    if (auto* column = dynamic_cast<textureColumn*>(child(row)))
        column->setLegendShown(true);
}

int textureFileItem::chosenColumn() const
{
    return chosen;
}

void textureFileItem::handOverColouring()
{
    TreeItem* scene = parent();
    if (!scene)
        return;
    textureFileItem* next = nullptr;
    GeometryNode* surface = nullptr;
    for (int i = 0; i < scene->childCount(); ++i) {
        TreeItem* sibling = scene->child(i);
        if (auto* other = dynamic_cast<textureFileItem*>(sibling)) {
            if (other != this && other->shown && other->chosen >= 0 &&
                (!next || other->chosenAt > next->chosenAt))
                next = other;
        } else if (auto* node = dynamic_cast<GeometryNode*>(sibling)) {
            surface = node;
        }
    }
    if (next)
        next->drawColumn(next->chosen);
    else if (surface)
        surface->setColumnShown(false);
}

bool textureFileItem::isLayer() const
{
    return true;
}

bool textureFileItem::isShown() const
{
    return shown;
}

void textureFileItem::setShown(bool show)
{
    if (show == shown)
        return;
    shown = show;
    if (shown) {
        if (chosen >= 0)
            showColumn(chosen);
        return;
    }
    const int drawn = columnSwitch->whichChild.getValue();
    const bool drawing = drawn != SO_SWITCH_NONE;
    if (auto* column = dynamic_cast<textureColumn*>(child(drawn)))
        column->setLegendShown(false);
    columnSwitch->whichChild = SO_SWITCH_NONE;
    if (drawing)
        handOverColouring();
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
           tr("%1 rows, %2 columns").arg(statistics->getNumRows()).arg(statistics->getNumColumns());
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
