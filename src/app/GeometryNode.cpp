#include "GeometryNode.h"

#include "ReaderMessages.h"
#include "RowIcons.h"
#include "format_files.h"
#include "surface_files.h"

#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>

#include <QColorDialog>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <iostream>

GeometryNode::GeometryNode(SoSeparator* target, const QVector<QVariant>& data, ResourceForm* form,
                           TreeItem* parent)
    : TreeItem(data, form, parent), targetSeparator(target)
{
    // Our references keep the nodes alive when a load fails and they never
    // join the scene graph; they are dropped again with the item.
    nodes = gyroscene::make_surface_nodes();
    coordinates = nodes.coordinates;
    normals = nodes.normals;
    normalBinding = nodes.normalBinding;
    material = nodes.material;
    materialBinding = nodes.materialBinding;
    faceSet = nodes.faceSet;
    colour = material->diffuseColor[0];
    propFormAvailable = true;
}

GeometryNode::~GeometryNode()
{
    destroyForm();
    gyroscene::release_surface_nodes(nodes);
}

bool GeometryNode::loadObj(QFile& file)
{
    const QByteArray name = readerFileName(file);
    const Surface_file_formats surfaceFormat = surface_file_format(name.constData());
    if (surfaceFormat == OBJ_SURFACE_FILE)
        setData(0, QFileInfo(file).baseName());
    else
        setData(0, QString::fromLocal8Bit(format_file_title(name.constData()).c_str()));
    lastError.clear();

    gyroscene::SurfaceFile surface;
    if (!surface.read(name, &lastError))
        return false;
    return loadPolygons(*surface.polygons());
}

bool GeometryNode::loadPolygons(const polygons_struct& polygons)
{
    gyroscene::add_surface_nodes(targetSeparator, nodes, polygons);
    std::cout << "ID: " << static_cast<unsigned long>(faceSet->getNodeId()) << std::endl;
    return true;
}

quint32 GeometryNode::getID() const
{
    return static_cast<quint32>(faceSet->getNodeId());
}

QString GeometryNode::loadError() const
{
    return lastError;
}

SoMaterial* GeometryNode::getMaterial() const
{
    return material;
}

QWidget* GeometryNode::createForm()
{
    if (propFormShown)
        return propFormWidget;
    propFormWidget = new QWidget(nullptr);
    props.setupUi(propFormWidget);
    propFormShown = true;
    // Shown before connecting, so displaying the value does not write it back.
    props.transparencySpinBox->setValue(static_cast<double>(material->transparency[0]));
    connect(props.transparencySpinBox, &QDoubleSpinBox::valueChanged, this,
            &GeometryNode::updateTransparency);
    connect(props.colourButton, &QPushButton::clicked, this, &GeometryNode::colourDialog);
    showColourOnButton();
    return propFormWidget;
}

void GeometryNode::destroyForm()
{
    if (!propFormShown)
        return;
    delete propFormWidget;
    propFormWidget = nullptr;
    propFormShown = false;
}

void GeometryNode::updateTransparency(double newVal)
{
    material->transparency.set1Value(0, static_cast<float>(newVal));
}

void GeometryNode::colourDialog()
{
    const QColor picked = QColorDialog::getColor(surfaceColour(), nullptr);
    if (!picked.isValid())
        return;
    updateColour(picked);
    showColourOnButton();
}

void GeometryNode::showColourOnButton()
{
    if (!propFormShown || !chosenColour.isValid())
        return;
    props.colourButton->setText(chosenColour.name());
    props.colourButton->setPalette(QPalette(chosenColour));
    props.colourButton->setAutoFillBackground(true);
}

void GeometryNode::updateColour(const QColor& newColour)
{
    chosenColour = QColor(newColour.rgb());
    colour.setValue(newColour.red() / 255.0f, newColour.green() / 255.0f,
                    newColour.blue() / 255.0f);
    applyColour();
}

QColor GeometryNode::surfaceColour() const
{
    if (chosenColour.isValid())
        return chosenColour;
    return QColor::fromRgbF(colour[0], colour[1], colour[2]);
}

void GeometryNode::setColumnShown(bool shown)
{
    columnShown = shown;
    applyColour();
}

void GeometryNode::applyColour()
{
    material->diffuseColor.setValue(columnShown ? SbColor(1.0f, 1.0f, 1.0f) : colour);
}

QIcon GeometryNode::icon() const
{
    return RowIcons::surface();
}

QString GeometryNode::toolTip() const
{
    return parentLink ? parentLink->toolTip() : QString();
}
