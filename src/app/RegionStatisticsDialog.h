// Numbers per region: for a parcellation and the statistics columns of its
// surface, a table of each region's vertex count, mean, standard deviation,
// minimum and maximum for the chosen column, saved as CSV.
#pragma once

#include "parcellation.h"
#include "region_statistics.h"

#include <QDialog>
#include <QString>

#include <vector>

class QComboBox;
class QTableWidget;

class RegionStatisticsDialog : public QDialog
{
    Q_OBJECT

public:
    struct Column {
        QString name;  // as the tree shows it: "file: column"
        const std::vector<float>* values = nullptr;
    };
    // The parcellation and columns must outlive the dialog.
    RegionStatisticsDialog(const parcellation& parcels, std::vector<Column> columns,
                           const QString& title, QWidget* parent = nullptr);

    QComboBox* columnBox() const;
    QTableWidget* table() const;
    // The chosen column's table as CSV; false with `error` naming the file.
    bool saveCsv(const QString& path, QString* error) const;

private:
    void showColumn(int index);
    void saveFromDialog();

    const parcellation& parcels;
    std::vector<Column> columns;
    QComboBox* chooser;
    QTableWidget* rows;
};
