#include "tagFileItem.h"

#include "tagPointItem.h"
#include "tag_file.h"

#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <iostream>

namespace {

// The reader reports through print_error; while a file is read its text is
// collected here, so the caller can print one line and show it in the
// status bar instead of the reader's own lines.
QString* collectedErrors = nullptr;

void collectError(const char* text)
{
    if (collectedErrors)
        collectedErrors->append(QString::fromLocal8Bit(text));
}

class ErrorCollector
{
public:
    explicit ErrorCollector(QString& target) : previousTarget(collectedErrors)
    {
        collectedErrors = &target;
        previousFunction = set_print_error_function(collectError);
    }
    ~ErrorCollector()
    {
        set_print_error_function(previousFunction);
        collectedErrors = previousTarget;
    }
    ErrorCollector(const ErrorCollector&) = delete;
    ErrorCollector& operator=(const ErrorCollector&) = delete;

private:
    QString* previousTarget;
    print_error_function previousFunction = nullptr;
};

}  // namespace

tagFileItem::tagFileItem(SoSeparator* rootSeparator, const QVector<QVariant>& data,
                         ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), rootSeparator(rootSeparator)
{
    propFormAvailable = false;
    tagSeparator = new SoSeparator;
    // Our own reference keeps the nodes valid with or without a scene.
    tagSeparator->ref();
    scale = new SoScale;
    material = new SoMaterial;
    pickStyle = new SoPickStyle;

    // First in the separator, so no sphere of this file intercepts a pick.
    pickStyle->style = SoPickStyle::UNPICKABLE;
    material->diffuseColor.setValue(1.0f, 0.0f, 0.0f);

    tagSeparator->addChild(pickStyle);
    tagSeparator->addChild(material);
    tagSeparator->addChild(scale);
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
    releasePoints();

    // The name in the file system's own encoding: Latin-1 would turn any
    // other non-ASCII name into one that does not exist.
    const QByteArray name = QFile::encodeName(file.fileName());
    QString messages;
    Status status;
    {
        ErrorCollector collector(messages);
        status = input_tag_file(name.constData(), &nVolumes, &nPoints, &tags, &secondTags,
                                &weights, &structureIds, &patientIds, &labels);
    }
    if (status != OK) {
        const QStringList lines = messages.split('\n', Qt::SkipEmptyParts);
        lastError = lines.isEmpty()
                        ? tr("Error reading tag file \"%1\": not a readable tag file")
                              .arg(file.fileName())
                        : lines.join("; ");
        releasePoints();
        return false;
    }
    // A successful read keeps whatever the reader had to say.
    if (!messages.isEmpty())
        std::cerr << messages.toLocal8Bit().constData() << std::flush;

    for (int i = 0; i < nPoints; ++i) {
        auto* point = new tagPointItem(tagSeparator, columnValues, panel, this);
        point->setLocation(tags[i][0], tags[i][1], tags[i][2]);
        childList.append(point);
    }
    return true;
}

QString tagFileItem::loadError() const
{
    return lastError;
}

SoSeparator* tagFileItem::getTagSeparator() const
{
    return tagSeparator;
}
