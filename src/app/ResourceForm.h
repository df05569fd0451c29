// The panel in the main window's right dock: the resource tree above, the
// "Properties" box below, and the insert operations behind each file kind.
#pragma once

#include "ReaderMessages.h"
#include "ui_resourceForm.h"
#include "surface_part.h"
#include "view_presets.h"

#include <Inventor/SbBox3f.h>

#include <QColor>
#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QString>
#include <QWidget>

class BrainQuarter;
class GeometryScene;
class QFile;
class QVBoxLayout;
class SceneDocument;
class TreeItem;
class TreeModel;

class ResourceForm : public QWidget
{
    Q_OBJECT

public:
    // `document` is the window's; without one the panel makes its own.
    ResourceForm(QWidget* parent, BrainQuarter* viewer, SceneDocument* document = nullptr);
    ~ResourceForm() override;
    SceneDocument* document() const;

    // At least the form's designed width: the tree view's own hint is too
    // narrow for the "Description" header and the property boxes' labels.
    QSize sizeHint() const override;

    // Each returns whether the file was loaded. A surface file that cannot
    // be read still leaves its rows in the tree, marked as failed, and
    // never becomes the target of statistics files.
    bool insertGeometry(QFile& file);
    bool insertVertstats(QFile& file);
    bool insertTagfile(QFile& file);
    // A parcellation attaches to the surface statistics files go to; one
    // that cannot be read or does not fit the surface leaves no row.
    bool insertParcellation(QFile& file);

    // Why the last insert failed ("" after a success), for the status bar.
    QString lastLoadError() const;
    // What the user is to be told about the last insert: its failure, or
    // what the reader found odd in a file it still read.
    QList<LoadMessage> loadMessages() const;

    void setLastGeometry(GeometryScene* item);
    void somethingChanged();

    // The file row `item` belongs to (itself, or the surface, statistics or
    // tag file above it); null for anything else.
    static TreeItem* layerOf(TreeItem* item);
    // Closes the file of the row: its nodes leave the scene and are released
    // with its row, its data with them; no pick reaches it any more. A closed
    // target of statistics files passes that role to the newest surface left.
    void closeLayer(TreeItem* item);
    // The selected row's file, as File > Close does; false with none selected.
    bool closeSelected();
    // The diagonal of the bounding box around every loaded surface, 0 with none.
    double surfaceDiagonal() const;

    // What the other panels may know of a surface of the document, by its id.
    struct ColumnValue {
        QString column;
        // Empty where the file has no value for the vertex.
        QString value;
    };
    struct FileValues {
        QString title;
        QString path;
        QList<ColumnValue> columns;
    };
    int pointCount(int surface) const;
    // False when the surface has no such vertex.
    bool point(int surface, int vertex, float xyz[3]) const;
    // The box around the surface's points; empty for none.
    SbBox3f boundingBox(int surface) const;
    // Where the view draws the surface along x; 0 for none.
    float viewOffset(int surface) const;
    QString surfaceTitle(int surface) const;
    QString surfaceToolTip(int surface) const;
    // Every column of each of the surface's statistics files at the vertex.
    QList<FileValues> valuesAt(int surface, int vertex) const;
    // The region of each of the surface's parcellations at the vertex.
    struct RegionValue {
        QString title;
        QString path;
        // "unknown" in none; `colour` invalid then.
        QString region;
        QColor colour;
    };
    QList<RegionValue> regionsAt(int surface, int vertex) const;
    // The regions of the shown parcellations under the mouse, for the status
    // bar: `faceSet` is the node id a pick reports. Empty for none.
    QString hoverText(int faceSet, int vertex) const;
    // Whether any parcellation is shown on a shown surface.
    bool parcellationShown() const;
    // The parcellation row of the document's id; null for none.
    class parcelFileItem* parcellationItem(int parcels) const;
    // The side guessed from the file's name, its structure or its points.
    gyroscene::Hemisphere guessedHemisphere(int surface) const;
    // The side the surface is drawn and viewed as: the one chosen for it in
    // the document, else the guess.
    gyroscene::Hemisphere hemisphereOf(int surface) const;
    // What a file of several surfaces' data (CIFTI-2) is read for on the
    // surface: its structure, side and vertex count.
    gyroscene::surface_part partOf(int surface) const;
    // The columns of a statistics file, and the names of the bars it may use.
    QStringList columnNames(int statistics) const;
    QStringList colourBarNames(int statistics) const;
    // Closes every file, as before a scene is opened.
    void closeAll();
    // The target of statistics files and parcellations, the document's
    // current surface (setLastGeometry sets it); -1 for none.
    int lastSurface() const;
    // The surface row of the document's id; null for none.
    GeometryScene* sceneItem(int surface) const;

    TreeModel* getModel() const;
    TreeItem* getRootItem() const;
    GeometryScene* getLastGeometry() const;
    bool hasGeometry() const;
    QTreeView* getTreeView() const;
    QGroupBox* getPropertiesBox() const;
    QWidget* getPropertyWidget() const;

public slots:
    void setPropertyForm(const QModelIndex& index);
    void selectedItem(const QModelIndex& index);
    void geometrySelected(int childNum);

private:
    gyroscene::Hemisphere sideOf(int surface, gyroscene::Hemisphere chosen) const;
    QModelIndex indexOf(TreeItem* item) const;

    Ui_resourceForm ui;
    // Guarded: the item deletes its form when the next row is clicked.
    QPointer<QWidget> propertyWidget;
    QVBoxLayout* propertyLayout = nullptr;
    TreeItem* currentItem = nullptr;
    TreeItem* rootItem = nullptr;
    TreeModel* model = nullptr;
    BrainQuarter* viewer = nullptr;
    SceneDocument* doc = nullptr;
    // The view's picking of the document's surfaces; none without a view.
    class SceneBinder* binder = nullptr;
    bool formShown = false;
    int designedWidth = 0;
    bool haveGeometry = false;
    QString loadError;
    QList<LoadMessage> messages;
};
