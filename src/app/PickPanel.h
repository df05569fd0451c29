// The panel under the resources that tells about the picked vertex: its
// index, its position and the value of every column of the surface's
// statistics files there. A field takes a vertex index typed by the user;
// a marker shows the vertex in the view.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class BrainQuarter;
class PickMarker;
class QLabel;
class QLineEdit;
class QTreeWidget;
class ResourceForm;

class PickPanel : public QWidget
{
    Q_OBJECT

public:
    // Follows the pick of the resources' document.
    PickPanel(ResourceForm* resources, BrainQuarter* viewer, QWidget* parent = nullptr);
    ~PickPanel() override;

    QSize sizeHint() const override;

    // Picks vertex `index` of the document's surface; false, with the reason
    // in the panel and no marker, when it has no such vertex.
    bool showVertex(int surface, int index);

    // The document's surface and vertex shown; -1 and -1 when none.
    int shownSurface() const;
    int shownVertex() const;
    // The text of the panel's lines, for reading it back.
    QString positionText() const;
    QString surfaceText() const;
    QString messageText() const;

    QLineEdit* getVertexField() const;
    QTreeWidget* getValues() const;
    PickMarker* getMarker() const;

public slots:
    // The field's index, on the surface shown (or the target of statistics).
    void vertexEntered();
    // After files were opened, closed, hidden or shown.
    void refresh();

private:
    void clear(const QString& message);
    // The document's pick into the panel and the marker.
    void showPick();
    void fillValues(int surface, int index);

    ResourceForm* resources;
    std::unique_ptr<PickMarker> marker;
    // Whether the panel shows the document's pick (not a message instead).
    bool showing = false;
    QLineEdit* vertexField;
    QLabel* surfaceLabel;
    QLabel* positionLabel;
    QLabel* messageLabel;
    QTreeWidget* values;
};
