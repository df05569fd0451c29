#include "PickPanel.h"

#include "BrainQuarter.h"
#include "GeometryNode.h"
#include "GeometryScene.h"
#include "PickMarker.h"
#include "ResourceForm.h"
#include "textureColumn.h"
#include "textureFileItem.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

// The marker's radius against the surface's bounding-box diagonal: a few
// pixels when the whole surface fills the view.
constexpr float markerSize = 0.0075f;

QString number(float value)
{
    return QString::number(double(value), 'g', 6);
}

}  // namespace

PickPanel::PickPanel(ResourceForm* resources, BrainQuarter* viewer, QWidget* parent)
    : QWidget(parent), resources(resources),
      marker(std::make_unique<PickMarker>(viewer ? viewer->getRootSeparator() : nullptr))
{
    setObjectName("pickPanel");
    vertexField = new QLineEdit;
    vertexField->setObjectName("vertexField");
    vertexField->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), vertexField));
    vertexField->setPlaceholderText(tr("type an index"));
    vertexField->setToolTip(tr("Shows the vertex of this index on the picked surface"));
    surfaceLabel = new QLabel;
    positionLabel = new QLabel;
    positionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    messageLabel = new QLabel;
    messageLabel->setWordWrap(true);
    messageLabel->hide();
    values = new QTreeWidget;
    values->setObjectName("pickValues");
    values->setColumnCount(2);
    values->setHeaderLabels({tr("Column"), tr("Value")});
    values->setRootIsDecorated(false);
    values->setIndentation(8);
    values->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto* form = new QFormLayout;
    form->addRow(tr("Vertex:"), vertexField);
    form->addRow(tr("Surface:"), surfaceLabel);
    form->addRow(tr("x, y, z:"), positionLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(messageLabel);
    layout->addWidget(values, 1);

    connect(vertexField, &QLineEdit::returnPressed, this, &PickPanel::vertexEntered);
}

PickPanel::~PickPanel() = default;

QSize PickPanel::sizeHint() const
{
    // Room for the three lines and a handful of columns, leaving the tree
    // above most of the dock area.
    return QSize(QWidget::sizeHint().width(), 200);
}

void PickPanel::pointPicked(int index, int id, int, int, int)
{
    TreeItem* root = resources->getRootItem();
    for (int i = 0; i < root->childCount(); ++i) {
        auto* candidate = dynamic_cast<GeometryScene*>(root->child(i));
        if (candidate && candidate->isLoaded() &&
            candidate->getSurface()->getID() == static_cast<quint32>(id)) {
            showVertex(candidate, index);
            return;
        }
    }
}

void PickPanel::vertexEntered()
{
    bool ok = false;
    const int index = vertexField->text().toInt(&ok);
    GeometryScene* target = scene ? scene.data() : resources->getLastGeometry();
    if (!target || !target->isLoaded()) {
        clear(tr("Open a surface first"));
        return;
    }
    if (!ok) {
        clear(tr("Type a vertex index"));
        return;
    }
    showVertex(target, index);
}

bool PickPanel::showVertex(GeometryScene* target, int index)
{
    SoCoordinate3* coordinates = target ? target->getSurface()->getCoordinates() : nullptr;
    const int count = coordinates && target->isLoaded() ? coordinates->point.getNum() : 0;
    if (index < 0 || index >= count) {
        clear(tr("The surface has no vertex %1 (it has %2)").arg(index).arg(count));
        return false;
    }
    scene = target;
    vertex = index;
    const SbVec3f point = coordinates->point[index];
    vertexField->setText(QString::number(index));
    messageLabel->hide();
    surfaceLabel->setText(target->getSurface()->data(0).toString());
    surfaceLabel->setToolTip(target->toolTip());
    positionLabel->setText(number(point[0]) + ", " + number(point[1]) + ", " + number(point[2]));
    fillValues(target, index);

    SoGetBoundingBoxAction measure{SbViewportRegion()};
    measure.apply(target->getSceneSeparator());
    const SbBox3f box = measure.getBoundingBox();
    const float diagonal = box.isEmpty() ? 0.0f : (box.getMax() - box.getMin()).length();
    marker->place(point, diagonal > 0.0f ? markerSize * diagonal : 1.0f);
    marker->setVisible(target->isShown());
    return true;
}

void PickPanel::fillValues(GeometryScene* target, int index)
{
    values->clear();
    for (int i = 0; i < target->childCount(); ++i) {
        auto* file = dynamic_cast<textureFileItem*>(target->child(i));
        if (!file)
            continue;
        auto* fileRow = new QTreeWidgetItem(values, {file->data(0).toString()});
        fileRow->setToolTip(0, file->getFilePath());
        for (int c = 0; c < file->childCount(); ++c) {
            auto* column = dynamic_cast<textureColumn*>(file->child(c));
            if (!column)
                continue;
            const std::vector<float>& data = column->getValues();
            const QString value = static_cast<std::size_t>(index) < data.size()
                                      ? QString::number(data[std::size_t(index)], 'g', 6)
                                      : tr("no value");
            new QTreeWidgetItem(fileRow, {column->data(0).toString(), value});
        }
    }
    values->expandAll();
}

void PickPanel::clear(const QString& message)
{
    scene = nullptr;
    vertex = -1;
    surfaceLabel->clear();
    positionLabel->clear();
    values->clear();
    messageLabel->setText(message);
    messageLabel->setVisible(!message.isEmpty());
    marker->setVisible(false);
}

void PickPanel::refresh()
{
    if (vertex < 0)
        return;
    // Closed: the QPointer has let go of it.
    if (!scene) {
        clear(QString());
        vertexField->clear();
        return;
    }
    showVertex(scene, vertex);
}

GeometryScene* PickPanel::shownSurface() const
{
    return scene;
}

int PickPanel::shownVertex() const
{
    return vertex;
}

QString PickPanel::positionText() const
{
    return positionLabel->text();
}

QString PickPanel::surfaceText() const
{
    return surfaceLabel->text();
}

QString PickPanel::messageText() const
{
    return messageLabel->isHidden() ? QString() : messageLabel->text();
}

QLineEdit* PickPanel::getVertexField() const
{
    return vertexField;
}

QTreeWidget* PickPanel::getValues() const
{
    return values;
}

PickMarker* PickPanel::getMarker() const
{
    return marker.get();
}
