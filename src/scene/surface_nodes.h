// The Coin nodes of one polygon surface, as the viewer draws it: material,
// bindings, normals, coordinates and the face set, filled from a surface
// record; and the read of a surface file into that record.
#pragma once

#include <QByteArray>
#include <QString>

class SoCoordinate3;
class SoIndexedFaceSet;
class SoMaterial;
class SoMaterialBinding;
class SoNormal;
class SoNormalBinding;
class SoSeparator;
struct object_struct;
struct polygons_struct;

namespace gyroscene {

struct SurfaceNodes {
    SoMaterial* material = nullptr;
    SoMaterialBinding* materialBinding = nullptr;
    SoNormalBinding* normalBinding = nullptr;
    SoNormal* normals = nullptr;
    SoCoordinate3* coordinates = nullptr;
    SoIndexedFaceSet* faceSet = nullptr;
};

// New nodes, each referenced once for the caller, so they live whether or
// not they ever join a scene; release_surface_nodes drops the references.
SurfaceNodes make_surface_nodes();
void release_surface_nodes(SurfaceNodes& nodes);

// Fills the nodes from the polygons and appends them to `target` in drawing
// order. The fields get copies; the polygons may go afterwards.
void add_surface_nodes(SoSeparator* target, const SurfaceNodes& nodes,
                       const polygons_struct& polygons);

// Appends `nodes`' own material and bindings, and `drawn`'s normals,
// coordinates and face set in place of `nodes`' (referenced for them): a
// surface drawn again, moved or coloured otherwise, without a copy of its
// arrays. Nothing may change the shared nodes for one copy alone.
void add_shared_surface_nodes(SoSeparator* target, SurfaceNodes& nodes, const SurfaceNodes& drawn);

// The objects read from one surface file, freed with it.
class SurfaceFile
{
public:
    SurfaceFile() = default;
    ~SurfaceFile();
    SurfaceFile(const SurfaceFile&) = delete;
    SurfaceFile& operator=(const SurfaceFile&) = delete;

    // Reads an .obj, FreeSurfer or GIFTI surface. False, with `error` saying
    // why (the reader's own lines when it gave any), unless the file holds
    // exactly one polygon surface. The reader's lines reach standard error
    // as they always do.
    bool read(const QByteArray& name, QString* error);
    // The surface after a successful read; null before.
    const polygons_struct* polygons() const;
    // The anatomical structure a GIFTI file names ("CortexLeft"); empty
    // for other formats and files that name none.
    QString structure() const;

private:
    void clear();

    int nObjects = 0;
    object_struct** objects = nullptr;
    bool valid = false;
    QString anatomy;
};

}  // namespace gyroscene
