// The property box of a parcellation row: its regions with their colours,
// each with a check box, show all / show none, the opacity and outlines.
#include "parcelFileItem.h"

#include "GeometryScene.h"
#include "RegionStatisticsDialog.h"
#include "SceneDocument.h"
#include "textureFileItem.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QIcon swatch(parcel_colour colour)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(QColor(colour.r, colour.g, colour.b));
    return QIcon(pixmap);
}

}  // namespace

QWidget* parcelFileItem::createForm()
{
    if (propFormShown)
        return propFormWidget;
    propFormWidget = new QWidget(nullptr);
    propFormShown = true;
    auto* layout = new QVBoxLayout(propFormWidget);
    auto* fields = new QFormLayout;
    opacityBox = new QDoubleSpinBox(propFormWidget);
    opacityBox->setObjectName("parcelOpacity");
    opacityBox->setRange(0.0, 1.0);
    opacityBox->setSingleStep(0.1);
    opacityBox->setDecimals(2);
    fields->addRow(tr("Opacity"), opacityBox);
    outlineBox = new QCheckBox(tr("Outlines only"), propFormWidget);
    outlineBox->setObjectName("parcelOutline");
    fields->addRow(QString(), outlineBox);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(tr("Show all"), propFormWidget);
    all->setObjectName("showAllRegions");
    auto* none = new QPushButton(tr("Show none"), propFormWidget);
    none->setObjectName("showNoRegions");
    buttons->addWidget(all);
    buttons->addWidget(none);
    layout->addLayout(buttons);

    regionList = new QListWidget(propFormWidget);
    regionList->setObjectName("regionList");
    for (const parcel_region& region : parcels->regions) {
        auto* row = new QListWidgetItem(swatch(region.colour),
                                        QStringLiteral("%1  %2").arg(region.key).arg(
                                            QString::fromStdString(region.name)),
                                        regionList);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    }
    layout->addWidget(regionList, 1);
    auto* numbers = new QPushButton(tr("Region statistics..."), propFormWidget);
    numbers->setObjectName("regionStatistics");
    layout->addWidget(numbers);
    showLookInForm();

    connect(opacityBox, &QDoubleSpinBox::valueChanged, this,
            [this](double value) { setOpacity(float(value)); });
    connect(outlineBox, &QCheckBox::toggled, this, [this](bool on) { setOutline(on); });
    connect(all, &QPushButton::clicked, this, [this] { setAllRegionsShown(true); });
    connect(none, &QPushButton::clicked, this, [this] { setAllRegionsShown(false); });
    connect(numbers, &QPushButton::clicked, this,
            [this] { showRegionStatistics(propFormWidget->window()); });
    connect(regionList, &QListWidget::itemChanged, this, [this](QListWidgetItem* row) {
        setRegionShown(regionList->row(row), row->checkState() == Qt::Checked);
    });
    return propFormWidget;
}

RegionStatisticsDialog* parcelFileItem::showRegionStatistics(QWidget* parent)
{
    std::vector<RegionStatisticsDialog::Column> columns;
    std::vector<textureFileItem*> files;
    // A parcellation's row is always under its surface's.
    const auto* scene = static_cast<const GeometryScene*>(parentLink);
    for (textureFileItem* file : scene ? scene->statisticsItems() : std::vector<textureFileItem*>()) {
        files.push_back(file);
        const auto stored = document()->store().statistics(file->documentId());
        for (int c = 0; stored && c < stored->names.size(); ++c)
            columns.push_back({file->data(0).toString() + ": " + stored->names[c],
                               stored->columns[std::size_t(c)].get()});
    }
    auto* dialog = new RegionStatisticsDialog(*parcels, std::move(columns), data(0).toString(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The regions and columns go with their rows; so does the dialog.
    connect(this, &QObject::destroyed, dialog, &QWidget::close);
    for (textureFileItem* file : files)
        connect(file, &QObject::destroyed, dialog, &QWidget::close);
    dialog->show();
    return dialog;
}

void parcelFileItem::destroyForm()
{
    if (!propFormShown)
        return;
    QWidget* widget = propFormWidget;
    propFormWidget = nullptr;
    propFormShown = false;
    delete widget;
}

void parcelFileItem::showLookInForm()
{
    if (!propFormShown || !regionList)
        return;
    const gyroscene::parcellation_state state = look();
    {
        const QSignalBlocker blockOpacity(opacityBox);
        opacityBox->setValue(state.opacity);
    }
    {
        const QSignalBlocker blockOutline(outlineBox);
        outlineBox->setChecked(state.outline);
    }
    const QSignalBlocker blockList(regionList);
    for (int i = 0; i < regionList->count(); ++i) {
        const bool hidden =
            std::binary_search(state.hidden_regions.begin(), state.hidden_regions.end(), i);
        regionList->item(i)->setCheckState(hidden ? Qt::Unchecked : Qt::Checked);
    }
}
