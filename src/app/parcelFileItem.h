// The tree row of one parcellation attached to a surface: owns its regions
// and a separator of Coin nodes drawing them over the surface, coloured as
// the document's entry says; its property box lists the regions.
#pragma once

#include "TreeItem.h"
#include "layer_painters.h"
#include "parcel_nodes.h"
#include "parcellation.h"
#include "scene_state.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class GeometryNode;
class QCheckBox;
class QDoubleSpinBox;
class QListWidget;
class SoSeparator;

class parcelFileItem : public TreeItem
{
    Q_OBJECT

public:
    parcelFileItem(GeometryNode* surface, SoSeparator* target, const QVector<QVariant>& data,
                   ResourceForm* form, TreeItem* parent);
    ~parcelFileItem() override;

    // Reads the file for the surface; `labelNumber` picks a label file's
    // colour. False, with the reason in loadError(), when it was not read
    // or its vertex count is not the surface's: then it draws nothing.
    bool loadFile(const QString& path, int labelNumber);
    QString loadError() const;
    QStringList warnings() const;
    QString getFilePath() const;
    const parcellation& regions() const;
    // The vertex's region, null in none.
    const parcel_region* regionAt(int vertex) const;
    // How the file is drawn now: the document's entry (defaults before one).
    gyroscene::parcellation_state look() const;

    bool isLayer() const override;
    bool isShown() const override;
    void setShown(bool shown) override;
    void releaseLayer() override;
    SoNode* layerNode() const override;
    int documentId() const override;
    QIcon icon() const override;
    QString toolTip() const override;

    QWidget* createForm() override;
    void destroyForm() override;

    // The numbers per region for the surface's statistics columns, in a
    // dialog of its own (deleted when closed).
    class RegionStatisticsDialog* showRegionStatistics(QWidget* parent);

    // Edits, to the document.
    void setOpacity(float opacity);
    void setOutline(bool outline);
    void setRegionShown(int region, bool shown);
    void setAllRegionsShown(bool shown);

private:
    // The look onto the colours (and the box, when shown).
    void applyLook(int changed);
    void applyShown(int changed);
    void showLookInForm();

    GeometryNode* surface;
    SoSeparator* targetSeparator;
    gyroscene::ParcelNodes nodes;
    // Shared with the document's store.
    std::shared_ptr<const parcellation> parcels = std::make_shared<const parcellation>();
    // Colours the nodes as the document's record asks, when it changed.
    gyroscene::ParcelPainter painter;
    QString filePath;
    QString lastError;
    QStringList lastWarnings;
    int id = -1;
    int surfaceId = -1;

    QPointer<QListWidget> regionList;
    QPointer<QDoubleSpinBox> opacityBox;
    QPointer<QCheckBox> outlineBox;
};
