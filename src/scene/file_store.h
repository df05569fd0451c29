// What the open files hold, by the document's file ids: a surface's points
// and faces (the very arrays the view draws), a statistics file's columns,
// a parcellation's regions, a landmark file's points and labels. The
// document keeps how each file is shown; the store keeps what was read,
// once, shared with whatever draws it, and lets it go when the file closes.
// Readers ask here by id, not the rows that show the files.
#pragma once

#include "parcellation.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/SbVec3f.h>

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <vector>

class SoCoordinate3;
class SoIndexedFaceSet;

namespace gyroscene {

// A surface's arrays live in its Coin nodes, which the store references
// while the file is open: the drawing and every reader share one copy.
class StoredSurface
{
public:
    StoredSurface(SoCoordinate3* coordinates, SoIndexedFaceSet* faceSet, const QString& structure);
    ~StoredSurface();
    StoredSurface(const StoredSurface&) = delete;
    StoredSurface& operator=(const StoredSurface&) = delete;

    int pointCount() const;
    // Null for a surface of no points.
    const SbVec3f* points() const;
    // The vertex's position; false for a vertex the surface has not.
    bool point(int vertex, float xyz[3]) const;
    SbBox3f box() const;
    // Corners and a -1 after each polygon, as Coin takes them.
    int faceIndexCount() const;
    // The anatomical structure its file names ("CortexLeft"), or empty.
    QString structure() const;
    // The nodes the arrays live in, for what indexes or draws them.
    SoIndexedFaceSet* faceSetNode() const { return faceSet; }
    SoCoordinate3* coordinateNode() const { return coordinates; }

private:
    SoCoordinate3* coordinates;
    SoIndexedFaceSet* faceSet;
    QString anatomy;
};

struct StoredStatistics {
    // The file as the tree names it.
    QString title;
    QStringList names;
    // One array per name, in file order; a column's values may be shared
    // with the row that draws it.
    std::vector<std::shared_ptr<const std::vector<float>>> columns;
    int rows = 0;
    // Columns the file has, also those beyond the ones kept.
    int fileColumns = 0;

    // Column `name`'s values, null when the file has no such column.
    std::shared_ptr<const std::vector<float>> column(const QString& name) const;
};

struct StoredLandmarks {
    std::vector<std::array<double, 3>> points;
    // One per point, empty where the file gives none.
    QStringList labels;
};

class FileStore
{
public:
    void putSurface(int id, std::shared_ptr<const StoredSurface> surface);
    void putStatistics(int id, std::shared_ptr<const StoredStatistics> statistics);
    void putParcellation(int id, std::shared_ptr<const parcellation> regions);
    void putLandmarks(int id, std::shared_ptr<const StoredLandmarks> landmarks);

    // Null for an id of another kind, or none.
    const StoredSurface* surface(int id) const;
    std::shared_ptr<const StoredStatistics> statistics(int id) const;
    std::shared_ptr<const parcellation> parcellationOf(int id) const;
    std::shared_ptr<const StoredLandmarks> landmarks(int id) const;

    void remove(int id);
    void clear();

private:
    std::map<int, std::shared_ptr<const StoredSurface>> surfaces;
    std::map<int, std::shared_ptr<const StoredStatistics>> statisticsFiles;
    std::map<int, std::shared_ptr<const parcellation>> parcellations;
    std::map<int, std::shared_ptr<const StoredLandmarks>> landmarkFiles;
};

}  // namespace gyroscene
