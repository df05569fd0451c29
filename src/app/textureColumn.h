// The tree row of one statistics column: maps the column's values through
// two limits onto a colour-bar texture laid over the surface, shows the value
// at a picked vertex, and offers a box to edit the limits and the colour bar.
#pragma once

#include "TreeItem.h"
#include "ui_textureColumnForm.h"

#include "layer_painters.h"
#include "legend.h"
#include "scene_state.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class BrainQuarter;
class GeometryNode;
class QLineEdit;
struct ColourBarList;
class SoComplexity;
class SoGroup;
class SoSwitch;
class SoTexture2;
class SoTextureCoordinate2;
class SoTextureCoordinateBinding;
class zelVertstatsFile;

class textureColumn : public TreeItem
{
    Q_OBJECT

public:
    // `colourBars` is the texture directory as listed once for the whole
    // statistics file (ColourBarStore::list).
    textureColumn(SoSwitch* columnSwitch, const QVector<QVariant>& data, ResourceForm* form,
                  TreeItem* parent, const ColourBarList& colourBars);
    ~textureColumn() override;

    // The surface's vertex count, when known, so that every vertex gets a
    // coordinate even when the file has fewer rows; -1 when unknown.
    void setVertexCount(int count);
    // From now on the column is drawn as the document says for column
    // data(0) of statistics file `file`, and edits go there.
    void attach(int file);
    int getVertexCount() const;

    // Fetches column `index` of the file (by position, so names with special
    // characters or duplicate names cannot pick the wrong column), titles the
    // row `name` and maps the values with the limits set to their range.
    // False when the file has no such column; the row then has no values.
    bool loadTextureColumn(zelVertstatsFile* file, const QString& name, int index);
    // The same with the values handed over (moved out of their file).
    void loadTextureColumn(std::vector<float> columnValues, const QString& name);
    // The same with values shared with the document's store.
    void loadTextureColumn(std::shared_ptr<const std::vector<float>> columnValues, const QString& name);
    // A column of a statistics file holds texture coordinates only while its
    // file draws it: on a large surface each column's would cost as much as
    // its values. Columns on their own keep theirs at all times.
    void setCoordinatesWhenDrawn(bool onlyWhenDrawn);
    void setDrawn(bool drawn);
    // Takes the bars from the listing and prints the directory and each bar.
    void fillTextureVector(const ColourBarList& colourBars);
    void scaleTexture(float lower, float upper);

    // The coordinate that value v gets between the limits: 0.01 below the
    // range (and for anything undefined), 1.0 above it.
    static float textureCoordinate(float value, float lower, float upper);

    QIcon icon() const override;
    // Which column of which file, and how many values it holds.
    QString toolTip() const override;

    QWidget* createForm() override;
    void destroyForm() override;
    void wasSelected() override;
    // The view's legend describes the column while its colours are shown.
    void setLegendShown(bool shown);

    float getLowerLimit() const;
    float getUpperLimit() const;
    const std::vector<float>& getValues() const;
    QStringList getColourBars() const;
    SoGroup* getGroup() const;
    SoTexture2* getTexture() const;
    SoTextureCoordinate2* getTextureCoordinates() const;
    // The widgets of the property box; valid only while it is shown.
    Ui_textureProps* getProps();
    // What the view's colour-bar legend shows for this column.
    gyroscene::legend_content legendContent() const;

    // Vertices with |value| below a positive threshold show the surface (or
    // its underlay) instead of a colour; 0, the start, for none.
    void setThreshold(float threshold);
    float getThreshold() const;
    // Limits from -m to +m, m the larger absolute limit.
    void makeLimitsSymmetric();

public slots:
    void upperValueChanged();
    void lowerValueChanged();
    void newTextureSelected(int index);
    void setPickInfo(int index);

private:
    // The document's look of the column onto the nodes, the box and the legend.
    void applyLook(int file, const QString& column);
    // Edits go to the document; a column on its own has one of its own.
    void changeLimits(float lower, float upper);
    void changeThreshold(float threshold);
    void changeBar(int bar);
    int barIndex(const QString& name) const;
    // The document's look of the column, the limits its range until set.
    gyroscene::column_state look() const;
    int currentBar() const;
    gyroscene::column_nodes columnNodes() const;
    // The fields and the preview as the limits and threshold are now.
    void showState();
    // Orders the limit fields and the preview as a legend for the surface.
    void showLegend();
    // The view's legend follows the column while it shows this one.
    void refreshViewLegend();
    BrainQuarter* findViewer() const;
    GeometryNode* findSurface() const;
    // The texture and the coordinates for the bar, limits and threshold.
    void applyTexture();
    void fillCoordinates();
    void underneathChanged();
    void thresholdEdited();
    void addThresholdControls();

    SoTextureCoordinate2* textureCoords;
    std::shared_ptr<const std::vector<float>> values = std::make_shared<const std::vector<float>>();
    bool coordinatesWhenDrawn = false;
    bool drawn = false;
    // Limits or threshold moved while the coordinates were not kept.
    bool coordinatesStale = false;
    SoGroup* group;
    SoComplexity* complexity;
    SoSwitch* columnSwitch;
    SoTextureCoordinateBinding* coordinateBinding;
    SoTexture2* texture;
    // The texture directory's bars, and those and the colour maps offered.
    QStringList colourBars;
    QStringList offered;
    // Touches the nodes only for what the look changed.
    gyroscene::ColumnPainter painter;
    Ui_textureProps props;
    int vertexCount = -1;
    // The view whose legend this column was last given to.
    QPointer<BrainQuarter> legendViewer;
    // Valid only while the property box is shown.
    QLineEdit* thresholdField = nullptr;
    // The values' finite range: the limits until others are set.
    float rangeLower = 0.0f;
    float rangeUpper = 0.0f;
    int fileId = -1;
};
