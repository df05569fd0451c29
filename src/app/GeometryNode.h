// The tree row of one polygon surface: reads a surface file and turns its
// polygon object into Coin nodes under the scene item's separator; its
// property box sets the surface's transparency and colour.
#pragma once

#include "TreeItem.h"
#include "scene_state.h"
#include "layer_painters.h"
#include "surface_nodes.h"
#include "ui_geometryProps.h"

#include <Inventor/SbColor.h>

#include <QColor>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class SoCoordinate3;
class SoIndexedFaceSet;
class SoMaterial;
class SoMaterialBinding;
class SoNormal;
class SoNormalBinding;
class SoSeparator;
class textureColumn;
namespace gyroscene {
class StoredSurface;
}
struct polygons_struct;

class GeometryNode : public TreeItem
{
    Q_OBJECT

public:
    GeometryNode(SoSeparator* target, const QVector<QVariant>& data, ResourceForm* form,
                 TreeItem* parent);
    ~GeometryNode() override;

    bool loadObj(QFile& file);
    // What loadObj read, for the document's store: the arrays drawn, shared.
    std::shared_ptr<const gyroscene::StoredSurface> storedArrays();
    // From now on the surface is drawn as the document's entry `id` says.
    void attach(int id);
    // Another file of the same mesh: its points and normals replace the
    // ones drawn, everything else stays. False, with `error`, when it cannot
    // be read or its vertex or face count differs.
    bool switchPoints(QFile& file, QString* error);
    bool loadPolygons(const polygons_struct& polygons);
    quint32 getID() const;
    // Why the last loadObj failed; empty after a success.
    QString loadError() const;
    // The anatomical structure the file names itself ("CortexLeft"), for
    // the formats that can; empty otherwise.
    QString anatomicalStructure() const;

    // Told apart from the statistics rows of the same name; hovering tells
    // what the scene row tells.
    QIcon icon() const override;
    QString toolTip() const override;

    QWidget* createForm() override;
    void destroyForm() override;
    void updateColour(const QColor& colour);
    // The colour the user gave the surface (the material's default before).
    QColor surfaceColour() const;
    SoMaterial* getMaterial() const;
    // The surface's nodes, for layers drawn over it.
    const gyroscene::SurfaceNodes& surfaceNodes() const;
    // The surface's vertices, one per vertex of the file.
    SoCoordinate3* getCoordinates() const;

    // What a column's thresholded vertices show: the surface's own colour,
    // or the underlay's shades of grey when one is chosen.
    std::vector<QColor> underneathColours() const;
    // The underlay's shade of each vertex; null without an underlay.
    std::shared_ptr<const std::vector<int>> underlayShades() const;
    // Chooses a loaded column as the underlay, in `shades` greys; null for none.
    void setUnderlay(textureColumn* column, int shades = 2);
    textureColumn* underlay() const;
    // The underlay column's values in the document's store; null for none.
    std::shared_ptr<const std::vector<float>> underlayValues() const;
    int underlayShadeCount() const;

signals:
    // The colours or shades of what is underneath changed.
    void underneathChanged();

public slots:
    void updateTransparency(double newVal);
    void colourDialog();

private:
    SoSeparator* targetSeparator;
    gyroscene::SurfaceNodes nodes;
    SoCoordinate3* coordinates;
    SoNormal* normals;
    SoNormalBinding* normalBinding;
    SoMaterial* material;
    SoMaterialBinding* materialBinding;
    SoIndexedFaceSet* faceSet;
    Ui_geometryProps props;
    QString lastError;
    QString structure;
    // The file's own colour, shown until the document gives another.
    SbColor colour;
    // Keeps the material at the document's look.
    gyroscene::SurfacePainter painter;
    // What columns were last told shows under their thresholds.
    std::vector<QColor> underneathShown;
    std::shared_ptr<const std::vector<int>> shadesShown;
    int id = -1;

    // The document's entry of the surface; null before it has one.
    const gyroscene::surface_state* state() const;
    // While a statistics column is shown the material stays white, so the
    // texture's colours come through as the colour bar has them, lit and
    // shaded; the surface colour (or the underlay) shows when none is.
    void applyColour();
    // The document's colour, opacity and underlay onto the nodes and the box.
    void applyState(int changed);
    void applyColouring(int changed);
    class GeometryScene* scene() const;
    void showColourOnButton();
    // The underlay's rows in the property box, beside the specified ones.
    void addUnderlayControls();
    // The other surfaces of its mesh, when there are any.
    void addSurfaceChoice();
};
