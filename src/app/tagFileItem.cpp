#include "tagFileItem.h"

#include "ReaderMessages.h"
#include "RowIcons.h"
#include "tagPointItem.h"
#include "tag_spheres.h"
#include "tag_file.h"

#include <Inventor/nodes/SoSeparator.h>

#include <QFile>
#include <QFileInfo>

tagFileItem::tagFileItem(SoSeparator* rootSeparator, const QVector<QVariant>& data,
                         ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), rootSeparator(rootSeparator)
{
    propFormAvailable = false;
    // Our own reference keeps the nodes valid with or without a scene.
    const gyroscene::TagSpheres nodes = gyroscene::make_tag_spheres();
    tagSeparator = nodes.separator;
    scale = nodes.scale;
    material = nodes.material;
    pickStyle = nodes.pickStyle;
    if (rootSeparator)
        rootSeparator->addChild(tagSeparator);
}

tagFileItem::~tagFileItem()
{
    releasePoints();
    tagSeparator->unref();
}

void tagFileItem::releasePoints()
{
    free_tag_points(nVolumes, nPoints, tags, secondTags, weights, structureIds, patientIds,
                    labels);
    nVolumes = 0;
    nPoints = 0;
    tags = nullptr;
    secondTags = nullptr;
    weights = nullptr;
    structureIds = nullptr;
    patientIds = nullptr;
    labels = nullptr;
}

bool tagFileItem::loadFile(QFile& file)
{
    setData(0, QFileInfo(file).baseName());
    lastError.clear();
    lastWarnings.clear();
    filePath = file.fileName();
    releasePoints();

    const QByteArray name = readerFileName(file);
    // The reader's own lines are replaced by one line naming the file when
    // the read fails, and printed as they are after a success.
    ReaderMessages messages(ReaderMessages::Echo::Held);
    const Status status = input_tag_file(name.constData(), &nVolumes, &nPoints, &tags,
                                         &secondTags, &weights, &structureIds, &patientIds,
                                         &labels);
    if (status != OK) {
        lastError = messages.reason(tr("Error reading tag file \"%1\": not a readable tag file")
                                        .arg(file.fileName()));
        releasePoints();
        return false;
    }
    messages.echoHeld();
    lastWarnings = messages.lines();

    for (int i = 0; i < nPoints; ++i) {
        auto* point = new tagPointItem(tagSeparator, columnValues, panel, this);
        point->setLocation(tags[i][0], tags[i][1], tags[i][2]);
        point->setLabel(labels && labels[i] ? QString::fromLocal8Bit(labels[i]) : QString());
        childList.append(point);
    }
    return true;
}

QString tagFileItem::loadError() const
{
    return lastError;
}

QIcon tagFileItem::icon() const
{
    return RowIcons::tagFile();
}

QString tagFileItem::toolTip() const
{
    if (!lastError.isEmpty())
        return lastError;
    return filePath + "\n" + (nPoints == 1 ? tr("1 point") : tr("%1 points").arg(nPoints));
}

QStringList tagFileItem::warnings() const
{
    return lastWarnings;
}

SoSeparator* tagFileItem::getTagSeparator() const
{
    return tagSeparator;
}
