// The tree row of one polygon surface: reads a surface file and turns its
// polygon object into Coin nodes under the scene item's separator; its
// property box sets the surface's transparency and colour.
#pragma once

#include "TreeItem.h"
#include "ui_geometryProps.h"

#include <Inventor/SbColor.h>

#include <QColor>
#include <QString>

class SoCoordinate3;
class SoIndexedFaceSet;
class SoMaterial;
class SoMaterialBinding;
class SoNormal;
class SoNormalBinding;
class SoSeparator;
struct polygons_struct;

class GeometryNode : public TreeItem
{
    Q_OBJECT

public:
    GeometryNode(SoSeparator* target, const QVector<QVariant>& data, ResourceForm* form,
                 TreeItem* parent);
    ~GeometryNode() override;

    bool loadObj(QFile& file);
    bool loadPolygons(const polygons_struct& polygons);
    quint32 getID() const;
    // Why the last loadObj failed; empty after a success.
    QString loadError() const;

    // Told apart from the statistics rows of the same name; hovering tells
    // what the scene row tells.
    QIcon icon() const override;
    QString toolTip() const override;

    QWidget* createForm() override;
    void destroyForm() override;
    void updateColour(const QColor& colour);
    // The colour the user gave the surface (the material's default before).
    QColor surfaceColour() const;
    // While a statistics column is shown the material stays white, so the
    // texture's colours come through as the colour bar has them, lit and
    // shaded; the surface colour returns when no column is shown.
    void setColumnShown(bool shown);

    SoMaterial* getMaterial() const;
    // The surface's vertices, one per vertex of the file.
    SoCoordinate3* getCoordinates() const;

public slots:
    void updateTransparency(double newVal);
    void colourDialog();

private:
    SoSeparator* targetSeparator;
    SoCoordinate3* coordinates;
    SoNormal* normals;
    SoNormalBinding* normalBinding;
    SoMaterial* material;
    SoMaterialBinding* materialBinding;
    SoIndexedFaceSet* faceSet;
    Ui_geometryProps props;
    QString lastError;
    SbColor colour;
    // Invalid until the user picks a colour; the button shows it from then on.
    QColor chosenColour;
    bool columnShown = false;

    void applyColour();
    void showColourOnButton();
};
