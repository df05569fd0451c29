#include "tagFileItem.h"

#include "SceneDocument.h"

#include "ReaderMessages.h"
#include "ResourceForm.h"
#include "RowIcons.h"
#include "tagPointItem.h"
#include "tag_spheres.h"
#include "tag_file.h"

#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QColorDialog>
#include <QFile>
#include <QFileInfo>
#include <QPalette>

tagFileItem::tagFileItem(SoSeparator* rootSeparator, const QVector<QVariant>& data,
                         ResourceForm* form, TreeItem* parent)
    : TreeItem(data, form, parent), rootSeparator(rootSeparator)
{
    propFormAvailable = true;
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
    destroyForm();
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

    // The points go to the document's store; the reader's arrays go.
    auto stored = std::make_shared<gyroscene::StoredLandmarks>();
    for (int i = 0; i < nPoints; ++i) {
        stored->points.push_back({tags[i][0], tags[i][1], tags[i][2]});
        stored->labels << (labels && labels[i] ? QString::fromLocal8Bit(labels[i]) : QString());
    }
    releasePoints();
    for (std::size_t i = 0; i < stored->points.size(); ++i) {
        auto* point = new tagPointItem(tagSeparator, columnValues, panel, this);
        const std::array<double, 3>& p = stored->points[i];
        point->setLocation(p[0], p[1], p[2]);
        point->setRadius(1.0f);
        point->setLabel(stored->labels[int(i)]);
        childList.append(point);
    }
    {
        SceneDocument* doc = document();
        id = doc->addTags(filePath, std::move(stored));
        connect(doc, &SceneDocument::tagsChanged, this, &tagFileItem::applyState);
        connect(doc, &SceneDocument::layerShownChanged, this, [this](int changed) {
            if (changed == id)
                placeLayerNode(rootSeparator, isShown());
        });
    }
    return true;
}

int tagFileItem::documentId() const
{
    return id;
}

void tagFileItem::applyState(int changed)
{
    const gyroscene::tags_state* state = changed == id ? document()->tags(id) : nullptr;
    if (!state)
        return;
    applyRadius(state->radius);
    if (state->colour)
        applyColour(*state->colour);
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
    return filePath + "\n" + (childCount() == 1 ? tr("1 point") : tr("%1 points").arg(childCount()));
}

QStringList tagFileItem::warnings() const
{
    return lastWarnings;
}

SoSeparator* tagFileItem::getTagSeparator() const
{
    return tagSeparator;
}

QWidget* tagFileItem::createForm()
{
    if (propFormShown)
        return propFormWidget;
    propFormWidget = new QWidget(nullptr);
    props.setupUi(propFormWidget);
    propFormShown = true;
    // Shown before connecting, so displaying the value does not write it back.
    props.radiusSpinBox->setValue(getRadius());
    connect(props.radiusSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this](double value) { setRadius(value); });
    connect(props.colourButton, &QPushButton::clicked, this, [this] { chooseColour(); });
    connect(props.fitButton, &QPushButton::clicked, this, [this] { fitToSurfaces(); });
    showColourOnButton();
    return propFormWidget;
}

void tagFileItem::destroyForm()
{
    if (!propFormShown)
        return;
    QWidget* widget = propFormWidget;
    propFormWidget = nullptr;
    propFormShown = false;
    delete widget;
}

Ui_tagFileProps* tagFileItem::getProps()
{
    return propFormShown ? &props : nullptr;
}

void tagFileItem::setRadius(double value)
{
    if (!(value > 0.0))
        return;
    if (id >= 0)
        document()->setTagRadius(id, value);
}

void tagFileItem::applyRadius(double radius)
{
    // Every row below a tag file is one of its points.
    for (TreeItem* child : std::as_const(childList))
        static_cast<tagPointItem*>(child)->setRadius(static_cast<float>(radius));
    // The box follows a radius set elsewhere (fitting, a test); a value it
    // cannot show is still the one drawn.
    if (propFormShown && props.radiusSpinBox->value() != radius) {
        const QSignalBlocker quiet(props.radiusSpinBox);
        props.radiusSpinBox->setValue(radius);
    }
}

double tagFileItem::getRadius() const
{
    const gyroscene::tags_state* state = id >= 0 ? document()->tags(id) : nullptr;
    return state ? state->radius : 1.0;
}

void tagFileItem::setColour(const QColor& colour)
{
    if (!colour.isValid())
        return;
    if (id >= 0)
        document()->setTagColour(id, colour);
}

void tagFileItem::applyColour(const QColor& colour)
{
    gyroscene::set_tag_colour({tagSeparator, pickStyle, material, scale}, colour);
    showColourOnButton();
}

QColor tagFileItem::getColour() const
{
    const gyroscene::tags_state* state = id >= 0 ? document()->tags(id) : nullptr;
    return state && state->colour ? *state->colour : gyroscene::tag_sphere_colour;
}

void tagFileItem::chooseColour()
{
    const QColor picked = QColorDialog::getColor(getColour(), nullptr);
    if (picked.isValid())
        setColour(picked);
}

void tagFileItem::showColourOnButton()
{
    if (!propFormShown)
        return;
    const QColor colour = getColour();
    props.colourButton->setText(colour.name());
    props.colourButton->setPalette(QPalette(colour));
    props.colourButton->setAutoFillBackground(true);
}

bool tagFileItem::fitToSurfaces()
{
    const double diagonal = panel ? panel->surfaceDiagonal() : 0.0;
    if (!(diagonal > 0.0))
        return false;
    setRadius(0.01 * diagonal);
    return true;
}

bool tagFileItem::isLayer() const
{
    return true;
}

bool tagFileItem::isShown() const
{
    return id < 0 || document()->isShown(id);
}

void tagFileItem::setShown(bool show)
{
    if (id >= 0)
        document()->setShown(id, show);
}

void tagFileItem::releaseLayer()
{
    placeLayerNode(rootSeparator, false);
}

SoNode* tagFileItem::layerNode() const
{
    return tagSeparator;
}
