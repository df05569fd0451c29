#include "GeometryNode.h"

#include "ReaderMessages.h"
#include "RowIcons.h"
#include "format_files.h"
#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "object_io.h"
#include "objects.h"
#include "column_threshold.h"
#include "surface_files.h"
#include "textureColumn.h"
#include "textureFileItem.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <algorithm>
#include <iostream>

GeometryNode::GeometryNode(SoSeparator* target, const QVector<QVariant>& data, ResourceForm* form,
                           TreeItem* parent)
    : TreeItem(data, form, parent), targetSeparator(target)
{
    coordinates = new SoCoordinate3;
    normals = new SoNormal;
    normalBinding = new SoNormalBinding;
    material = new SoMaterial;
    materialBinding = new SoMaterialBinding;
    faceSet = new SoIndexedFaceSet;
    // Our references keep the nodes alive when a load fails and they never
    // join the scene graph; they are dropped again with the item.
    coordinates->ref();
    normals->ref();
    normalBinding->ref();
    material->ref();
    materialBinding->ref();
    faceSet->ref();
    colour = material->diffuseColor[0];
    propFormAvailable = true;
}

GeometryNode::~GeometryNode()
{
    destroyForm();
    coordinates->unref();
    normals->unref();
    normalBinding->unref();
    material->unref();
    materialBinding->unref();
    faceSet->unref();
}

namespace {

// A FreeSurfer or GIFTI surface as the one object of a list.
Status inputOtherSurface(const char* name, Surface_file_formats format, int* n_objects,
                         object_struct*** objects)
{
    object_struct* surface = nullptr;
    const Status status = format == GIFTI_SURFACE_FILE
                              ? input_gifti_surface(name, &surface, nullptr)
                              : input_freesurfer_surface(name, &surface, nullptr);
    if (status != OK)
        return status;
    if (add_object_to_list(n_objects, objects, surface) == nullptr) {
        delete_object(surface);
        return ERROR;
    }
    return OK;
}

} // namespace

bool GeometryNode::loadObj(QFile& file)
{
    const QByteArray name = readerFileName(file);
    const Surface_file_formats surfaceFormat = surface_file_format(name.constData());
    if (surfaceFormat == OBJ_SURFACE_FILE)
        setData(0, QFileInfo(file).baseName());
    else
        setData(0, QString::fromLocal8Bit(format_file_title(name.constData()).c_str()));
    lastError.clear();

    File_formats format;
    int n_objects = 0;
    object_struct** objects = nullptr;
    // The reader's lines still reach standard error; its reason is kept for
    // the status bar as well.
    ReaderMessages messages;
    const Status status =
        surfaceFormat == OBJ_SURFACE_FILE
            ? input_graphics_file(name.constData(), &format, &n_objects, &objects)
            : inputOtherSurface(name.constData(), surfaceFormat, &n_objects, &objects);

    bool loaded = false;
    if (status != OK)
        lastError = messages.reason(tr("not a readable surface file"));
    else if (n_objects == 0)
        lastError = tr("the file holds no objects");
    else if (n_objects > 1)
        lastError = tr("the file holds %1 objects, expected one polygon surface").arg(n_objects);
    else if (get_object_type(objects[0]) != POLYGONS)
        lastError = tr("the object in the file is not a polygon surface");
    else
        loaded = loadPolygons(*get_polygons_ptr(objects[0]));

    // The Coin fields hold copies of everything needed; a failed read still
    // hands over the objects it finished before the failure.
    delete_object_list(n_objects, objects);
    return loaded;
}

bool GeometryNode::loadPolygons(const polygons_struct& polygons)
{
    material->transparency.set1Value(0, 0.0f);
    targetSeparator->addChild(material);

    materialBinding->value = SoMaterialBinding::OVERALL;
    targetSeparator->addChild(materialBinding);

    normals->setName("Normals");
    const int n_points = std::max(polygons.n_points, 0);
    if (polygons.normals != nullptr) {
        normalBinding->value = SoNormalBinding::PER_VERTEX_INDEXED;
        normals->vector.setNum(n_points);
    }
    targetSeparator->addChild(normalBinding);
    targetSeparator->addChild(normals);

    // Fields are filled through their arrays, notifying once per field.
    coordinates->setName("Vertices");
    coordinates->point.setNum(n_points);
    SbVec3f* points = coordinates->point.startEditing();
    for (int i = 0; i < n_points; ++i)
        points[i].setValue(polygons.points[i].x, polygons.points[i].y, polygons.points[i].z);
    coordinates->point.finishEditing();
    if (polygons.normals != nullptr) {
        SbVec3f* vectors = normals->vector.startEditing();
        for (int i = 0; i < n_points; ++i)
            vectors[i].setValue(polygons.normals[i].x, polygons.normals[i].y,
                                polygons.normals[i].z);
        normals->vector.finishEditing();
    }
    targetSeparator->addChild(coordinates);

    // Each polygon contributes its indices and a -1; a polygon whose end
    // index does not grow contributes only the -1.
    faceSet->setName("Polygons");
    const int n_items = std::max(polygons.n_items, 0);
    long long total = 0;
    for (int j = 0; j < n_items; ++j) {
        const int first = j == 0 ? 0 : polygons.end_indices[j - 1];
        total += std::max(polygons.end_indices[j] - first, 0) + 1;
    }
    faceSet->coordIndex.setNum(static_cast<int>(total));
    int32_t* index = faceSet->coordIndex.startEditing();
    int k = 0;
    for (int j = 0; j < n_items; ++j) {
        const int first = j == 0 ? 0 : polygons.end_indices[j - 1];
        const int size = polygons.end_indices[j] - first;
        for (int m = 0; m < size; ++m)
            index[k++] = polygons.indices[first + m];
        index[k++] = -1;
    }
    faceSet->coordIndex.finishEditing();
    targetSeparator->addChild(faceSet);

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

SoCoordinate3* GeometryNode::getCoordinates() const
{
    return coordinates;
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
    addUnderlayControls();
    return propFormWidget;
}

void GeometryNode::addUnderlayControls()
{
    auto* combo = new QComboBox(propFormWidget);
    combo->setObjectName("underlayCombo");
    combo->addItem(tr("None"));
    // Every column of every statistics file of this surface.
    std::vector<QPointer<textureColumn>> columns{nullptr};
    if (TreeItem* scene = parent())
        for (int i = 0; i < scene->childCount(); ++i)
            if (auto* file = dynamic_cast<textureFileItem*>(scene->child(i)))
                for (int k = 0; k < file->childCount(); ++k)
                    if (auto* column = qobject_cast<textureColumn*>(file->child(k))) {
                        combo->addItem(column->data(0).toString());
                        combo->setItemData(combo->count() - 1,
                                           file->data(0).toString() + ": " +
                                               column->data(0).toString(),
                                           Qt::ToolTipRole);
                        columns.emplace_back(column);
                    }
    for (std::size_t i = 1; i < columns.size(); ++i)
        if (columns[i] == underlayColumn)
            combo->setCurrentIndex(int(i));

    auto* shades = new QSpinBox(propFormWidget);
    shades->setObjectName("underlayShades");
    shades->setRange(2, 8);
    shades->setValue(shadeCount);

    props.gridLayout->addWidget(new QLabel(tr("Underlay:"), propFormWidget), 2, 0);
    props.gridLayout->addWidget(combo, 2, 1);
    props.gridLayout->addWidget(new QLabel(tr("Shades:"), propFormWidget), 3, 0);
    props.gridLayout->addWidget(shades, 3, 1);

    const auto choose = [this, combo, shades, columns] {
        const int row = combo->currentIndex();
        textureColumn* column =
            row > 0 && std::size_t(row) < columns.size() ? columns[std::size_t(row)].data() : nullptr;
        setUnderlay(column, shades->value());
    };
    connect(combo, &QComboBox::currentIndexChanged, this, choose);
    connect(shades, &QSpinBox::valueChanged, this, choose);
}

std::vector<QColor> GeometryNode::underneathColours() const
{
    if (underlayColumn)
        return gyroscene::underlay_greys(shadeCount);
    return {surfaceColour()};
}

const std::vector<int>& GeometryNode::underlayShades() const
{
    static const std::vector<int> none;
    return underlayColumn ? shadeOfVertex : none;
}

void GeometryNode::setUnderlay(textureColumn* column, int shades)
{
    underlayColumn = column;
    shadeCount = std::max(shades, 2);
    shadeOfVertex = column ? gyroscene::underlay_shades(column->getValues(), shadeCount)
                           : std::vector<int>();
    emit underneathChanged();
}

textureColumn* GeometryNode::underlay() const
{
    return underlayColumn;
}

int GeometryNode::underlayShadeCount() const
{
    return shadeCount;
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
    emit underneathChanged();
}

QIcon GeometryNode::icon() const
{
    return RowIcons::surface();
}

QString GeometryNode::toolTip() const
{
    return parentLink ? parentLink->toolTip() : QString();
}
