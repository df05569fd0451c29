#include "PickPanel.h"

#include <QPixmap>

#include "BrainQuarter.h"
#include "PickMarker.h"
#include "ResourceForm.h"
#include "SceneDocument.h"

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
    connect(resources->document(), &SceneDocument::pickChanged, this, &PickPanel::showPick);
}

PickPanel::~PickPanel() = default;

QSize PickPanel::sizeHint() const
{
    // Room for the three lines and a handful of columns, leaving the tree
    // above most of the dock area.
    return QSize(QWidget::sizeHint().width(), 200);
}

void PickPanel::vertexEntered()
{
    bool ok = false;
    const int index = vertexField->text().toInt(&ok);
    const SceneDocument* doc = resources->document();
    const int picked = doc->pickedSurface();
    const int target = doc->surface(picked) ? picked : resources->lastSurface();
    if (!doc->surface(target)) {
        clear(tr("Open a surface first"));
        return;
    }
    if (!ok) {
        clear(tr("Type a vertex index"));
        return;
    }
    showVertex(target, index);
}

bool PickPanel::showVertex(int target, int index)
{
    const int count = resources->pointCount(target);
    if (index < 0 || index >= count) {
        clear(count > 0 ? tr("The surface has no vertex %1 (it has %2: 0 to %3)")
                              .arg(index)
                              .arg(count)
                              .arg(count - 1)
                        : tr("The surface has no vertex %1 (it has none)").arg(index));
        return false;
    }
    resources->document()->setPick(target, index);
    return true;
}

void PickPanel::showPick()
{
    const SceneDocument* doc = resources->document();
    const int target = doc->pickedSurface();
    const int index = doc->pickedVertex();
    float point[3];
    if (!resources->point(target, index, point)) {
        // Closed, or nothing picked: the panel empties.
        if (showing) {
            clear(QString());
            vertexField->clear();
        }
        return;
    }
    showing = true;
    vertexField->setText(QString::number(index));
    messageLabel->hide();
    surfaceLabel->setText(resources->surfaceTitle(target));
    surfaceLabel->setToolTip(resources->surfaceToolTip(target));
    positionLabel->setText(number(point[0]) + ", " + number(point[1]) + ", " + number(point[2]));
    fillValues(target, index);

    const SbBox3f box = resources->boundingBox(target);
    const float diagonal = box.isEmpty() ? 0.0f : (box.getMax() - box.getMin()).length();
    // The marker sits where the view draws the vertex (hemispheres apart).
    marker->place(SbVec3f(point[0] + resources->viewOffset(target), point[1], point[2]),
                  diagonal > 0.0f ? markerSize * diagonal : 1.0f);
    marker->setVisible(doc->isShown(target));
}

void PickPanel::fillValues(int target, int index)
{
    values->clear();
    for (const ResourceForm::FileValues& file : resources->valuesAt(target, index)) {
        auto* fileRow = new QTreeWidgetItem(values, {file.title});
        fileRow->setToolTip(0, file.path);
        for (const ResourceForm::ColumnValue& column : file.columns)
            new QTreeWidgetItem(fileRow, {column.column,
                                          column.value.isEmpty() ? tr("no value") : column.value});
    }
    for (const ResourceForm::RegionValue& parcels : resources->regionsAt(target, index)) {
        auto* row = new QTreeWidgetItem(values, {parcels.title, parcels.region});
        row->setToolTip(0, parcels.path);
        if (parcels.colour.isValid()) {
            QPixmap swatch(12, 12);
            swatch.fill(parcels.colour);
            row->setIcon(1, QIcon(swatch));
        }
    }
    values->expandAll();
}

void PickPanel::clear(const QString& message)
{
    showing = false;
    surfaceLabel->clear();
    positionLabel->clear();
    values->clear();
    messageLabel->setText(message);
    messageLabel->setVisible(!message.isEmpty());
    marker->setVisible(false);
}

void PickPanel::refresh()
{
    if (showing)
        showPick();
}

int PickPanel::shownSurface() const
{
    return showing ? resources->document()->pickedSurface() : -1;
}

int PickPanel::shownVertex() const
{
    return showing ? resources->document()->pickedVertex() : -1;
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
