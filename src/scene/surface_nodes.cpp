#include "surface_nodes.h"

#include "ReaderMessages.h"
#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "object_io.h"
#include "objects.h"
#include "surface_files.h"
#include "surface_face_set.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QCoreApplication>

#include <algorithm>

namespace gyroscene {

SurfaceNodes make_surface_nodes()
{
    SurfaceNodes nodes;
    nodes.coordinates = new SoCoordinate3;
    nodes.normals = new SoNormal;
    nodes.normalBinding = new SoNormalBinding;
    nodes.material = new SoMaterial;
    nodes.materialBinding = new SoMaterialBinding;
    // Drawn from its own index; still an SoIndexedFaceSet to everyone else.
    SurfaceFaceSet::initClass();
    nodes.faceSet = new SurfaceFaceSet;
    nodes.coordinates->ref();
    nodes.normals->ref();
    nodes.normalBinding->ref();
    nodes.material->ref();
    nodes.materialBinding->ref();
    nodes.faceSet->ref();
    return nodes;
}

void release_surface_nodes(SurfaceNodes& nodes)
{
    if (!nodes.faceSet)
        return;
    nodes.coordinates->unref();
    nodes.normals->unref();
    nodes.normalBinding->unref();
    nodes.material->unref();
    nodes.materialBinding->unref();
    nodes.faceSet->unref();
    nodes = SurfaceNodes();
}

void add_surface_nodes(SoSeparator* target, const SurfaceNodes& nodes,
                       const polygons_struct& polygons)
{
    nodes.material->transparency.set1Value(0, 0.0f);
    target->addChild(nodes.material);

    nodes.materialBinding->value = SoMaterialBinding::OVERALL;
    target->addChild(nodes.materialBinding);

    nodes.normals->setName("Normals");
    const int n_points = std::max(polygons.n_points, 0);
    if (polygons.normals != nullptr) {
        nodes.normalBinding->value = SoNormalBinding::PER_VERTEX_INDEXED;
        nodes.normals->vector.setNum(n_points);
    }
    target->addChild(nodes.normalBinding);
    target->addChild(nodes.normals);

    // Fields are filled through their arrays, notifying once per field.
    nodes.coordinates->setName("Vertices");
    nodes.coordinates->point.setNum(n_points);
    SbVec3f* points = nodes.coordinates->point.startEditing();
    for (int i = 0; i < n_points; ++i)
        points[i].setValue(polygons.points[i].x, polygons.points[i].y, polygons.points[i].z);
    nodes.coordinates->point.finishEditing();
    if (polygons.normals != nullptr) {
        SbVec3f* vectors = nodes.normals->vector.startEditing();
        for (int i = 0; i < n_points; ++i)
            vectors[i].setValue(polygons.normals[i].x, polygons.normals[i].y,
                                polygons.normals[i].z);
        nodes.normals->vector.finishEditing();
    }
    target->addChild(nodes.coordinates);

    // Each polygon contributes its indices and a -1; a polygon whose end
    // index does not grow contributes only the -1.
    SoIndexedFaceSet* faceSet = nodes.faceSet;
    faceSet->setName("Polygons");
    const int n_items = std::max(polygons.n_items, 0);
    long long total = 0;
    for (int j = 0; j < n_items; ++j) {
        const int first = j == 0 ? 0 : polygons.end_indices[j - 1];
        total += std::max(polygons.end_indices[j] - first, 0) + 1;
    }
    faceSet->coordIndex.setNum(static_cast<int>(total));
    int32_t* index = faceSet->coordIndex.startEditing();
    int k = 0;
    for (int j = 0; j < n_items; ++j) {
        const int first = j == 0 ? 0 : polygons.end_indices[j - 1];
        const int size = polygons.end_indices[j] - first;
        for (int m = 0; m < size; ++m)
            index[k++] = polygons.indices[first + m];
        index[k++] = -1;
    }
    faceSet->coordIndex.finishEditing();
    target->addChild(faceSet);
}

void add_shared_surface_nodes(SoSeparator* target, SurfaceNodes& nodes, const SurfaceNodes& drawn)
{
    nodes.material->transparency.set1Value(0, 0.0f);
    nodes.material->diffuseColor = drawn.material->diffuseColor;
    target->addChild(nodes.material);
    nodes.materialBinding->value = SoMaterialBinding::OVERALL;
    target->addChild(nodes.materialBinding);
    nodes.normalBinding->value = drawn.normalBinding->value.getValue();
    target->addChild(nodes.normalBinding);
    const auto share = [target](auto*& own, auto* other) {
        other->ref();
        own->unref();
        own = other;
        target->addChild(other);
    };
    share(nodes.normals, drawn.normals);
    share(nodes.coordinates, drawn.coordinates);
    share(nodes.faceSet, drawn.faceSet);
}

namespace {

// A FreeSurfer or GIFTI surface as the one object of a list; a GIFTI file
// may say which structure it is.
Status inputOtherSurface(const char* name, Surface_file_formats format, int* n_objects,
                         object_struct*** objects, QString* structure)
{
    object_struct* surface = nullptr;
    gifti_surface_info info;
    const Status status = format == GIFTI_SURFACE_FILE
                              ? input_gifti_surface(name, &surface, &info)
                              : input_freesurfer_surface(name, &surface, nullptr);
    if (status == OK && format == GIFTI_SURFACE_FILE)
        *structure = QString::fromUtf8(info.structure);
    if (status != OK)
        return status;
    if (add_object_to_list(n_objects, objects, surface) == nullptr) {
        delete_object(surface);
        return ERROR;
    }
    return OK;
}

// The viewer's surface row has always owned these texts.
QString tr(const char* text)
{
    return QCoreApplication::translate("GeometryNode", text);
}

}  // namespace

SurfaceFile::~SurfaceFile()
{
    clear();
}

void SurfaceFile::clear()
{
    // A failed read still hands over the objects it finished before the failure.
    delete_object_list(nObjects, objects);
    nObjects = 0;
    objects = nullptr;
    valid = false;
    anatomy.clear();
}

bool SurfaceFile::read(const QByteArray& name, QString* error)
{
    clear();
    const Surface_file_formats surfaceFormat = surface_file_format(name.constData());
    File_formats format;
    // The reader's lines still reach standard error; its reason is kept as well.
    ReaderMessages messages;
    const Status status =
        surfaceFormat == OBJ_SURFACE_FILE
            ? input_graphics_file(name.constData(), &format, &nObjects, &objects)
            : inputOtherSurface(name.constData(), surfaceFormat, &nObjects, &objects, &anatomy);

    QString why;
    if (status != OK)
        why = messages.reason(tr("not a readable surface file"));
    else if (nObjects == 0)
        why = tr("the file holds no objects");
    else if (nObjects > 1)
        why = tr("the file holds %1 objects, expected one polygon surface").arg(nObjects);
    else if (get_object_type(objects[0]) != POLYGONS)
        why = tr("the object in the file is not a polygon surface");
    else
        valid = true;
    if (error)
        *error = why;
    return valid;
}

QString SurfaceFile::structure() const
{
    return anatomy;
}

const polygons_struct* SurfaceFile::polygons() const
{
    return valid ? get_polygons_ptr(objects[0]) : nullptr;
}

}  // namespace gyroscene
