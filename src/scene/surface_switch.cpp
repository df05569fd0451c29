#include "surface_switch.h"

#include "ReaderMessages.h"
#include "freesurfer_surface.h"
#include "objects.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoNormal.h>

#include <QDir>
#include <QFileInfo>

namespace gyroscene {

namespace {

QString hemispherePrefix(const QString& name)
{
    return name.startsWith("lh.") || name.startsWith("rh.") ? name.left(3) : QString();
}

int triangleCount(const polygons_struct& polygons)
{
    return polygons.n_items;
}

}  // namespace

QString surface_kind(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return hemispherePrefix(name).isEmpty() ? name : name.mid(3);
}

std::vector<int> other_hemispheres(const QString& path, const QStringList& open)
{
    const QFileInfo self(path);
    const QString prefix = hemispherePrefix(self.fileName());
    std::vector<int> found;
    if (prefix.isEmpty())
        return found;
    const QString other = QString(prefix == QLatin1String("lh.") ? "rh." : "lh.") +
                          surface_kind(path);
    for (qsizetype i = 0; i < open.size(); ++i) {
        const QFileInfo candidate(open.at(i));
        if (candidate.fileName() == other &&
            candidate.absolutePath() == self.absolutePath())
            found.push_back(int(i));
    }
    return found;
}

QStringList sibling_surfaces(const QString& path, int vertex_count, int face_count)
{
    const QFileInfo self(path);
    const QString prefix = hemispherePrefix(self.fileName());
    QStringList found;
    const QDir dir = self.absoluteDir();
    const QStringList names =
        dir.entryList(prefix.isEmpty() ? QStringList() : QStringList{prefix + "*"},
                      QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        const QString candidate = dir.filePath(name);
        if (QFileInfo(candidate) == self) {
            found.append(path);
            continue;
        }
        const QByteArray bytes = QFile::encodeName(candidate);
        if (freesurfer_file_kind_of(bytes.constData()) != FREESURFER_TRIANGLE_SURFACE)
            continue;
        // The reader's complaints about a neighbour are no concern of the
        // surface shown.
        ReaderMessages quiet(ReaderMessages::Echo::Held);
        SurfaceFile file;
        QString error;
        if (file.read(bytes, &error) && file.polygons()->n_points == vertex_count &&
            triangleCount(*file.polygons()) == face_count)
            found.append(candidate);
    }
    return found;
}

bool replace_surface_points(const SurfaceNodes& nodes, const polygons_struct& polygons)
{
    const int n = polygons.n_points;
    if (n != nodes.coordinates->point.getNum())
        return false;
    SbVec3f* points = nodes.coordinates->point.startEditing();
    for (int i = 0; i < n; ++i)
        points[i].setValue(polygons.points[i].x, polygons.points[i].y, polygons.points[i].z);
    nodes.coordinates->point.finishEditing();
    if (polygons.normals != nullptr && nodes.normals->vector.getNum() == n) {
        SbVec3f* vectors = nodes.normals->vector.startEditing();
        for (int i = 0; i < n; ++i)
            vectors[i].setValue(polygons.normals[i].x, polygons.normals[i].y,
                                polygons.normals[i].z);
        nodes.normals->vector.finishEditing();
    }
    return true;
}

}  // namespace gyroscene
