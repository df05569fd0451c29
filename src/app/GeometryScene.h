// The tree row of one opened surface file: owns a separator under the
// viewer's root, the surface row beneath it, and recognises picks that hit
// its surface.
#pragma once

#include "TreeItem.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/SbVec3f.h>

#include <QString>

#include <vector>

class GeometryNode;
class textureColumn;
class SoSeparator;
class SoIndexedFaceSet;

class GeometryScene : public TreeItem
{
public:
    GeometryScene(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent);
    ~GeometryScene() override;

    // A surface that cannot be read says so, and why, in the description
    // column, and keeps that text through later picks.
    bool loadGeometry(QFile& file);
    bool isLoaded() const;
    GeometryScene* sceneRow() const override;
    // Attaches a statistics file to this surface as a new last child.
    // `readable` is textureFileItem::canRead's answer for the file; when it
    // is false nothing is added. False when the file was not read.
    // `bytes`, when given, are the file's contents as canRead read them.
    // `row`, when given, receives the file's row (made for a readable file).
    bool loadVertstats(QFile& file, bool readable, const QByteArray* bytes = nullptr,
                       class textureFileItem** row = nullptr);

    // Attaches a parcellation as a new last child. Null, with `error`
    // naming the file and the problem and no row added, when it was not
    // read or does not fit the surface.
    class parcelFileItem* loadParcellation(const QString& path, QString* error,
                                           QStringList* warnings);

    QIcon icon() const override;
    // The file and its points and triangles, or why it did not load.
    QString toolTip() const override;

    void wasSelected() override;
    // Hidden, the surface and its statistics leave the scene graph, so they
    // are neither drawn nor picked.
    bool isLayer() const override;
    bool isShown() const override;
    void setShown(bool shown) override;
    void releaseLayer() override;
    SoNode* layerNode() const override;
    void pickReceived(int index, int id, int x, int y, int z) override;
    int documentId() const override;

    // One route to the surface's geometry: its points (null before a load)
    // and the box around them.
    const SbVec3f* points() const;
    int pointCount() const;
    SbBox3f boundingBox() const;
    // A column of one of its statistics files; null for none.
    textureColumn* statisticsColumn(int file, const QString& column) const;
    // The rows of the surface's statistics files and parcellations, in the
    // order the document lists them (the order they were opened).
    std::vector<class textureFileItem*> statisticsItems() const;
    std::vector<class parcelFileItem*> parcellationItems() const;

    // The name the file was opened by, or the one switched to since;
    // empty before loadGeometry.
    QString fileName() const;
    // Where the view draws it along x (the hemispheres apart), as the
    // document says; its points, and so the picks and the pick panel, keep
    // the file's coordinates.
    float viewOffset() const;
    // The surface files of its mesh beside it (itself included), for the
    // switch between white, pial, inflated, ...
    QStringList siblingSurfaces() const;
    // The document's file for the surface read into its points and normals
    // when it differs from the one shown; false when it could not be, the
    // document then set back and the problem in `error`.
    bool followDocumentPath(QString* error = nullptr);
    GeometryNode* getSurface() const;
    SoSeparator* getSceneSeparator() const;

private:
    // The row of the document's file id among this surface's; null for none.
    TreeItem* rowOf(int file) const;
    template <class Row>
    std::vector<Row*> rowsOf(const std::vector<int>& files) const;
    // The document's offset onto the translation ahead of the surface.
    void applyViewOffset(int surface);
    SoIndexedFaceSet* faceSet() const;
    // The document's pick: the description and the relay to the columns.
    void showPick();
    void showLayer(int id);

    ResourceForm* panel;
    SoSeparator* rootSeparator = nullptr;
    SoSeparator* sceneSeparator;
    GeometryNode* surface;
    bool loaded = false;
    QString filePath;
    int id = -1;
    // Found once per file shown: each candidate is read.
    mutable QStringList siblings;
    mutable bool siblingsKnown = false;
};
