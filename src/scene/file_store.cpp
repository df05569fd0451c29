#include "file_store.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>

namespace gyroscene {

StoredSurface::StoredSurface(SoCoordinate3* coordinates, SoIndexedFaceSet* faceSet,
                             const QString& structure)
    : coordinates(coordinates), faceSet(faceSet), anatomy(structure)
{
    coordinates->ref();
    faceSet->ref();
}

StoredSurface::~StoredSurface()
{
    faceSet->unref();
    coordinates->unref();
}

int StoredSurface::pointCount() const
{
    return coordinates->point.getNum();
}

const SbVec3f* StoredSurface::points() const
{
    return pointCount() > 0 ? coordinates->point.getValues(0) : nullptr;
}

bool StoredSurface::point(int vertex, float xyz[3]) const
{
    if (vertex < 0 || vertex >= pointCount())
        return false;
    const SbVec3f& p = coordinates->point[vertex];
    for (int i = 0; i < 3; ++i)
        xyz[i] = p[i];
    return true;
}

SbBox3f StoredSurface::box() const
{
    SbBox3f box;
    const SbVec3f* p = points();
    for (int i = 0, n = pointCount(); i < n; ++i)
        box.extendBy(p[i]);
    return box;
}

int StoredSurface::faceIndexCount() const
{
    return faceSet->coordIndex.getNum();
}

QString StoredSurface::structure() const
{
    return anatomy;
}

std::shared_ptr<const std::vector<float>> StoredStatistics::column(const QString& name) const
{
    for (int i = 0; i < names.size() && std::size_t(i) < columns.size(); ++i)
        if (names[i] == name)
            return columns[std::size_t(i)];
    return nullptr;
}

void FileStore::putSurface(int id, std::shared_ptr<const StoredSurface> surface)
{
    surfaces[id] = std::move(surface);
}

void FileStore::putStatistics(int id, std::shared_ptr<const StoredStatistics> statistics)
{
    statisticsFiles[id] = std::move(statistics);
}

void FileStore::putParcellation(int id, std::shared_ptr<const parcellation> regions)
{
    parcellations[id] = std::move(regions);
}

void FileStore::putLandmarks(int id, std::shared_ptr<const StoredLandmarks> landmarks)
{
    landmarkFiles[id] = std::move(landmarks);
}

namespace {

template <typename Map>
typename Map::mapped_type find(const Map& map, int id)
{
    const auto it = map.find(id);
    return it == map.end() ? typename Map::mapped_type() : it->second;
}

}  // namespace

const StoredSurface* FileStore::surface(int id) const
{
    return find(surfaces, id).get();
}

std::shared_ptr<const StoredStatistics> FileStore::statistics(int id) const
{
    return find(statisticsFiles, id);
}

std::shared_ptr<const parcellation> FileStore::parcellationOf(int id) const
{
    return find(parcellations, id);
}

std::shared_ptr<const StoredLandmarks> FileStore::landmarks(int id) const
{
    return find(landmarkFiles, id);
}

void FileStore::remove(int id)
{
    surfaces.erase(id);
    statisticsFiles.erase(id);
    parcellations.erase(id);
    landmarkFiles.erase(id);
}

void FileStore::clear()
{
    surfaces.clear();
    statisticsFiles.clear();
    parcellations.clear();
    landmarkFiles.clear();
}

}  // namespace gyroscene
