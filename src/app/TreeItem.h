// The base of every row in the resource tree: two column values, owned
// children, the hooks for property forms and the relay of picks.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QVariant>
#include <QVector>

#include <memory>

class BrainQuarter;
class QFile;
class QWidget;
class ResourceForm;
class SceneDocument;
class SoGroup;
class SoNode;

class TreeItem : public QObject
{
    Q_OBJECT

public:
    TreeItem(const QVector<QVariant>& data, ResourceForm* form, TreeItem* parent = nullptr);
    ~TreeItem() override;

    // Hides QObject::parent(): items are not linked through QObject.
    TreeItem* parent() const;
    TreeItem* child(int row) const;
    int childCount() const;
    int columnCount() const;
    QVariant data(int column) const;
    bool setData(int column, const QVariant& value);
    int childNumber() const;
    void setViewer(BrainQuarter* newViewer);
    BrainQuarter* getViewer() const;

    bool insertChildren(int position, int count, int columns);
    bool removeChildren(int position, int count);
    bool insertColumns(int position, int columns);
    bool removeColumns(int position, int columns);

    // Appends a surface-file row under this (root) item and loads the file
    // into it; the row stays even when the file cannot be read. The row.
    class GeometryScene* insertGeometry(QFile& file);
    // The surface-file row this row is or stands under; null for none.
    virtual class GeometryScene* sceneRow() const;
    // Appends a tag-file row under this (root) item and loads the file into
    // it; the row stays even when the file cannot be read. The row.
    class tagFileItem* insertTags(QFile& file);

    // What tells rows of like titles apart: a picture of the row's kind
    // and, on hovering, the file and what the row holds. None by default.
    virtual QIcon icon() const;
    virtual QString toolTip() const;

    virtual QWidget* createForm();
    virtual void destroyForm();
    virtual bool havePropForm() const;
    virtual void wasSelected();

    // Rows that stand for an opened file are layers: the user can hide them
    // (a check box in the tree) and close them. Not a layer by default.
    virtual bool isLayer() const;
    virtual bool isShown() const;
    virtual void setShown(bool shown);
    // Takes the file's nodes out of the scene before its row is deleted.
    virtual void releaseLayer();
    // The node a layer hangs under the viewer's root; null for other rows.
    virtual SoNode* layerNode() const;
    // The file's entry in the panel's document; -1 for rows of no file (and
    // files that failed to load).
    virtual int documentId() const;
    // The document the panel shows. An item made without a panel (tests,
    // timing programs) shares its parent's, or the top item keeps one of its
    // own: every item works through the document, with or without a window.
    SceneDocument* document() const;

signals:
    void propertyFormInstantiated(QWidget* widget);
    void setPickedItem(int);
    void setPickedPoint(int);
    void localPointPicked(int);

public slots:
    virtual void pickReceived(int index, int id, int x, int y, int z);
    virtual void pickedPointReceived(int);

protected:
    // Hides a layer's node by taking it out of `group`, so that neither
    // drawing nor picking meets it; shown again, it goes back between the
    // nodes of its neighbouring rows, keeping the order files were opened in.
    void placeLayerNode(SoGroup* group, bool shown);

    bool propFormAvailable = false;
    QList<TreeItem*> childList;
    QVector<QVariant> columnValues;
    TreeItem* parentLink = nullptr;
    BrainQuarter* viewer = nullptr;
    ResourceForm* panel = nullptr;
    QWidget* propFormWidget = nullptr;
    bool propFormShown = false;

private:
    mutable std::unique_ptr<SceneDocument> ownDocument;
};
