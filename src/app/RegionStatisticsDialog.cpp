#include "RegionStatisticsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString figure(double value)
{
    return std::isnan(value) ? QString() : QString::number(value, 'g', 6);
}

}  // namespace

RegionStatisticsDialog::RegionStatisticsDialog(const parcellation& parcels,
                                               std::vector<Column> columns, const QString& title,
                                               QWidget* parent)
    : QDialog(parent), parcels(parcels), columns(std::move(columns))
{
    setWindowTitle(tr("Regions of %1").arg(title));
    auto* layout = new QVBoxLayout(this);
    chooser = new QComboBox(this);
    for (const Column& column : this->columns)
        chooser->addItem(column.name);
    layout->addWidget(new QLabel(tr("Statistics column"), this));
    layout->addWidget(chooser);
    rows = new QTableWidget(0, 6, this);
    rows->setHorizontalHeaderLabels(
        {tr("Region"), tr("Vertices"), tr("Mean"), tr("SD"), tr("Min"), tr("Max")});
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->verticalHeader()->hide();
    layout->addWidget(rows, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save = buttons->addButton(tr("Save as CSV..."), QDialogButtonBox::ActionRole);
    save->setEnabled(!this->columns.empty());
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &RegionStatisticsDialog::saveFromDialog);
    connect(chooser, &QComboBox::currentIndexChanged, this, &RegionStatisticsDialog::showColumn);
    showColumn(chooser->currentIndex());
    resize(560, 480);
}

QComboBox* RegionStatisticsDialog::columnBox() const
{
    return chooser;
}

QTableWidget* RegionStatisticsDialog::table() const
{
    return rows;
}

void RegionStatisticsDialog::showColumn(int index)
{
    rows->setRowCount(0);
    if (index < 0 || std::size_t(index) >= columns.size())
        return;
    const std::vector<gyroscene::region_statistics> figures =
        gyroscene::column_region_statistics(parcels, *columns[std::size_t(index)].values);
    rows->setRowCount(int(figures.size()));
    for (int r = 0; r < int(figures.size()); ++r) {
        const gyroscene::region_statistics& f = figures[std::size_t(r)];
        auto* name = new QTableWidgetItem(tr("unknown"));
        if (f.region != no_region) {
            const parcel_region& region = parcels.regions[std::size_t(f.region)];
            name->setText(QString::fromStdString(region.name));
            QPixmap swatch(12, 12);
            swatch.fill(QColor(region.colour.r, region.colour.g, region.colour.b));
            name->setIcon(QIcon(swatch));
        }
        rows->setItem(r, 0, name);
        const QStringList cells = {QString::number(f.vertices), figure(f.mean), figure(f.sd),
                                   figure(f.min), figure(f.max)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            rows->setItem(r, c + 1, cell);
        }
    }
    rows->resizeColumnsToContents();
}

bool RegionStatisticsDialog::saveCsv(const QString& path, QString* error) const
{
    const int index = chooser->currentIndex();
    if (index < 0 || std::size_t(index) >= columns.size()) {
        *error = tr("Cannot save %1: no statistics column on the surface").arg(path);
        return false;
    }
    const Column& column = columns[std::size_t(index)];
    const std::string text = gyroscene::region_statistics_csv(
        parcels, {gyroscene::named_column{column.name.toStdString(), column.values}});
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        *error = tr("Cannot save %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void RegionStatisticsDialog::saveFromDialog()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Region Statistics"), QString(),
                                                      tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveCsv(path, &error))
        QMessageBox::warning(this, tr("Save Region Statistics"), error);
}
