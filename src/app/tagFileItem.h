// The row of one opened tag file: reads its landmarks and shows each as a
// red sphere under the viewer's root; the spheres never take a pick.
#pragma once

#include "TreeItem.h"

#include <QString>
#include <QStringList>

class SoMaterial;
class SoPickStyle;
class SoScale;
class SoSeparator;

class tagFileItem : public TreeItem
{
public:
    tagFileItem(SoSeparator* rootSeparator, const QVector<QVariant>& data, ResourceForm* form,
                TreeItem* parent);
    ~tagFileItem() override;

    // Titles the row with the file's base name, reads the points and adds
    // one child row and sphere per point. False when the file cannot be
    // read; the row then stays without children.
    bool loadFile(QFile& file);
    // Why the last loadFile failed, naming the file; empty after a success.
    QString loadError() const;
    // The reader's lines after a successful loadFile; they went to standard
    // error as well.
    QStringList warnings() const;

    QIcon icon() const override;
    // The file and its number of points, or why it was not read.
    QString toolTip() const override;

    SoSeparator* getTagSeparator() const;

private:
    void releasePoints();

    int nVolumes = 0;
    int nPoints = 0;
    double** tags = nullptr;
    double** secondTags = nullptr;
    double* weights = nullptr;
    int* structureIds = nullptr;
    int* patientIds = nullptr;
    char** labels = nullptr;
    SoSeparator* rootSeparator;
    SoScale* scale;
    SoSeparator* tagSeparator;
    SoMaterial* material;
    SoPickStyle* pickStyle;
    QString lastError;
    QStringList lastWarnings;
    QString filePath;
};
