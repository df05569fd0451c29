#include "GeometryNode.h"

#include "ReaderMessages.h"
#include "GeometryScene.h"
#include "RowIcons.h"
#include "SceneDocument.h"
#include "format_files.h"
#include "column_threshold.h"
#include "surface_files.h"
#include "surface_switch.h"
#include "objects.h"
#include "textureColumn.h"
#include "textureFileItem.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
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
    structure.clear();

    gyroscene::SurfaceFile surface;
    if (!surface.read(name, &lastError))
        return false;
    structure = surface.structure();
    if (!loadPolygons(*surface.polygons()))
        return false;
    // A surface row attaches it to the document; one made on its own
    // (tests, timing programs) is a surface in a document of its own.
    if (!parentLink && id < 0)
        attach(document()->addSurface(file.fileName(), storedArrays()));
    return true;
}

bool GeometryNode::switchPoints(QFile& file, QString* error)
{
    const QByteArray name = readerFileName(file);
    gyroscene::SurfaceFile other;
    if (!other.read(name, error))
        return false;
    const polygons_struct& polygons = *other.polygons();
    // Each polygon's corners and its -1 in the face set.
    const int indices = polygons.n_items > 0 ? polygons.end_indices[polygons.n_items - 1] : 0;
    if (polygons.n_points != coordinates->point.getNum() ||
        indices + polygons.n_items != faceSet->coordIndex.getNum()) {
        *error = tr("%1 has %2 points, the surface shown %3: not the same mesh")
                     .arg(file.fileName())
                     .arg(polygons.n_points)
                     .arg(coordinates->point.getNum());
        return false;
    }
    gyroscene::replace_surface_points(nodes, polygons);
    setData(0, QString::fromLocal8Bit(format_file_title(name.constData()).c_str()));
    return true;
}

bool GeometryNode::loadPolygons(const polygons_struct& polygons)
{
    gyroscene::add_surface_nodes(targetSeparator, nodes, polygons);
    std::cout << "ID: " << static_cast<unsigned long>(faceSet->getNodeId()) << std::endl;
    return true;
}

void GeometryNode::attach(int surfaceId)
{
    id = surfaceId;
    SceneDocument* doc = document();
    if (id < 0)
        return;
    connect(doc, &SceneDocument::surfaceChanged, this, &GeometryNode::applyState);
    connect(doc, &SceneDocument::colouringChanged, this, &GeometryNode::applyColouring);
    applyState(id);
}

std::shared_ptr<const gyroscene::StoredSurface> GeometryNode::storedArrays()
{
    // The arrays just read are the store's from now on, shared with the view.
    auto stored = std::make_shared<const gyroscene::StoredSurface>(coordinates, faceSet, structure);
    structure.clear();
    return stored;
}

GeometryScene* GeometryNode::scene() const
{
    // Only a scene row makes surface rows under it.
    return sceneRow();
}

const gyroscene::surface_state* GeometryNode::state() const
{
    return id < 0 ? nullptr : document()->surface(id);
}

void GeometryNode::applyState(int changed)
{
    const gyroscene::surface_state* now = changed == id ? state() : nullptr;
    if (!now)
        return;
    if (propFormShown && props.transparencySpinBox->value() != double(1.0f - now->opacity)) {
        const QSignalBlocker quiet(props.transparencySpinBox);
        props.transparencySpinBox->setValue(double(1.0f - now->opacity));
    }
    showColourOnButton();
    applyColour();
}

void GeometryNode::applyColouring(int changed)
{
    if (changed == id)
        applyColour();
}

quint32 GeometryNode::getID() const
{
    return static_cast<quint32>(faceSet->getNodeId());
}

QString GeometryNode::loadError() const
{
    return lastError;
}

QString GeometryNode::anatomicalStructure() const
{
    const gyroscene::StoredSurface* stored = id >= 0 ? document()->store().surface(id) : nullptr;
    return stored ? stored->structure() : structure;
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
    addSurfaceChoice();
    return propFormWidget;
}

void GeometryNode::addSurfaceChoice()
{
    const QStringList siblings = scene() ? scene()->siblingSurfaces() : QStringList();
    if (siblings.size() < 2 || id < 0)
        return;
    auto* combo = new QComboBox(propFormWidget);
    combo->setObjectName("surfaceCombo");
    combo->setToolTip(tr("The other files of this mesh beside it: the same data on another "
                         "surface"));
    for (const QString& path : siblings) {
        combo->addItem(gyroscene::surface_kind(path), path);
        combo->setItemData(combo->count() - 1, path, Qt::ToolTipRole);
    }
    combo->setCurrentIndex(int(siblings.indexOf(scene()->fileName())));
    props.gridLayout->addWidget(new QLabel(tr("Surface:"), propFormWidget), 4, 0);
    props.gridLayout->addWidget(combo, 4, 1);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int row) {
        if (row >= 0)
            document()->setSurfacePath(id, combo->itemData(row).toString());
    });
    // Switched from elsewhere (the View menu, a scene): the box follows.
    connect(document(), &SceneDocument::surfacePathChanged, combo, [this, combo](int changed) {
        if (changed != id || !scene())
            return;
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(combo->findData(scene()->fileName()));
    });
}

void GeometryNode::addUnderlayControls()
{
    auto* combo = new QComboBox(propFormWidget);
    combo->setObjectName("underlayCombo");
    combo->addItem(tr("None"));
    // Every column of every statistics file of this surface.
    std::vector<QPointer<textureColumn>> columns{nullptr};
    for (textureFileItem* file : scene() ? scene()->statisticsItems() : std::vector<textureFileItem*>())
        for (int k = 0; k < file->childCount(); ++k) {
            textureColumn* column = file->column(k);
            combo->addItem(column->data(0).toString());
            combo->setItemData(combo->count() - 1,
                               file->data(0).toString() + ": " + column->data(0).toString(),
                               Qt::ToolTipRole);
            columns.emplace_back(column);
        }
    for (std::size_t i = 1; i < columns.size(); ++i)
        if (columns[i] == underlay())
            combo->setCurrentIndex(int(i));

    auto* shades = new QSpinBox(propFormWidget);
    shades->setObjectName("underlayShades");
    shades->setRange(2, 8);
    shades->setValue(underlayShadeCount());

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
    return painter.underneath(surfaceColour());
}

std::shared_ptr<const std::vector<int>> GeometryNode::underlayShades() const
{
    return painter.shades();
}

void GeometryNode::setUnderlay(textureColumn* column, int shades)
{
    document()->setUnderlay(id, column ? column->parent()->documentId() : SceneDocument::none,
                            column ? column->data(0).toString() : QString(), shades);
}

textureColumn* GeometryNode::underlay() const
{
    const gyroscene::surface_state* now = state();
    if (!now || !parentLink)
        return nullptr;
    return scene()->statisticsColumn(document()->underlayFile(id), now->underlay_column);
}

std::shared_ptr<const std::vector<float>> GeometryNode::underlayValues() const
{
    const gyroscene::surface_state* now = state();
    const SceneDocument* doc = document();
    const auto file = now ? doc->store().statistics(doc->underlayFile(id)) : nullptr;
    return file ? file->column(now->underlay_column) : nullptr;
}

int GeometryNode::underlayShadeCount() const
{
    const gyroscene::surface_state* now = state();
    return now ? std::max(now->underlay_shades, 2) : 2;
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
    if (id >= 0)
        document()->setSurfaceOpacity(id, 1.0f - static_cast<float>(newVal));
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
    const gyroscene::surface_state* now = state();
    if (!propFormShown || !now || !now->colour)
        return;
    props.colourButton->setText(now->colour->name());
    props.colourButton->setPalette(QPalette(*now->colour));
    props.colourButton->setAutoFillBackground(true);
}

void GeometryNode::updateColour(const QColor& newColour)
{
    if (id >= 0)
        document()->setSurfaceColour(id, QColor(newColour.rgb()));
}

QColor GeometryNode::surfaceColour() const
{
    const gyroscene::surface_state* now = state();
    if (now && now->colour)
        return *now->colour;
    return QColor::fromRgbF(colour[0], colour[1], colour[2]);
}

void GeometryNode::applyColour()
{
    const gyroscene::surface_state* now = state();
    const bool columnShown = id >= 0 && document()->colouringFile(id) != SceneDocument::none;
    painter.paint(nodes, surfaceColour(), now ? now->opacity : 1.0f - material->transparency[0],
                  columnShown, underlayValues(), underlayShadeCount());
    // An opacity alone leaves what thresholded columns show as it is.
    const std::vector<QColor> colours = underneathColours();
    if (colours != underneathShown || painter.shades() != shadesShown) {
        underneathShown = colours;
        shadesShown = painter.shades();
        emit underneathChanged();
    }
}

QIcon GeometryNode::icon() const
{
    return RowIcons::surface();
}

QString GeometryNode::toolTip() const
{
    return parentLink ? parentLink->toolTip() : QString();
}

const gyroscene::SurfaceNodes& GeometryNode::surfaceNodes() const
{
    return nodes;
}
