// The row of one opened tag file: reads its landmarks and shows each as a
// red sphere under the viewer's root; the spheres never take a pick. Its
// property box sets the spheres' radius and colour.
#pragma once

#include "TreeItem.h"
#include "ui_tagFileProps.h"

#include <QColor>
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

    QWidget* createForm() override;
    void destroyForm() override;
    // The widgets of the property box; valid only while it is shown.
    Ui_tagFileProps* getProps();

    // Every sphere of the file gets the radius (1 unless the user changes it).
    void setRadius(double radius);
    double getRadius() const;
    void setColour(const QColor& colour);
    QColor getColour() const;
    // Radius 1 % of the bounding-box diagonal of the loaded surfaces; false,
    // changing nothing, while no surface is loaded.
    bool fitToSurfaces();

    // Hidden, the spheres leave the scene graph.
    bool isLayer() const override;
    bool isShown() const override;
    void setShown(bool shown) override;
    void releaseLayer() override;
    SoNode* layerNode() const override;
    int documentId() const override;

private:
    void applyState(int changed);
    void applyRadius(double radius);
    void applyColour(const QColor& colour);
    void releasePoints();
    void showColourOnButton();
    void chooseColour();

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
    Ui_tagFileProps props;
    // Without a document (a file on its own): kept here.
    int id = -1;
};
