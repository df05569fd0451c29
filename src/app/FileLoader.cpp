#include "FileLoader.h"

#include "ResourceForm.h"
#include "SceneDocument.h"
#include "cifti_surfaces.h"

#include <QFile>

FileLoader::FileLoader(ResourceForm* resources)
    : resources(resources)
{
}

QList<int> FileLoader::ciftiSurfaces(const QString& path) const
{
    cifti_file file;
    ReaderMessages quiet(ReaderMessages::Echo::Held);
    if (input_cifti_axes(readerFileName(path).constData(), &file) != OK)
        return {};
    QList<int> holders;
    for (int id : resources->document()->surfaces()) {
        const gyroscene::surface_part part = resources->partOf(id);
        QString why;
        if (part.vertices > 0 &&
            gyroscene::cifti_model_for(file, part.structure, part.side, part.vertices, &why))
            holders.append(id);
    }
    return holders;
}

FileLoader::Result FileLoader::open(const QString& path, File_kinds kind, int surface)
{
    Result result;
    const file_kind_info info = file_kind_of(readerFileName(path).constData());
    result.kind = kind != UNKNOWN_FILE_KIND ? kind : info.kind;
    SceneDocument* doc = resources->document();
    const bool cifti = info.format == CIFTI_DATA_FILE_FORMAT || info.format == CIFTI_LABELS_FILE_FORMAT;
    if (cifti && surface == SceneDocument::none) {
        // Both hemispheres in one file: each surface gets its part. With no
        // surface to take it, the target's read says why.
        const QList<int> holders = ciftiSurfaces(path);
        for (int id : holders) {
            const Result one = open(path, result.kind, id);
            result.loaded = result.loaded || one.loaded;
            if (one.loaded) {
                result.id = one.id;
                result.ids.append(one.id);
            } else {
                result.error = one.error;
            }
            result.messages += one.messages;
        }
        if (!holders.isEmpty()) {
            if (result.loaded)
                result.error.clear();
            return result;
        }
    }
    QFile file(path);
    // Data and parcellations go onto the surface asked for.
    if (surface != SceneDocument::none &&
        (result.kind == VERTEX_DATA_FILE_KIND || result.kind == PARCELLATION_FILE_KIND))
        resources->setLastGeometry(resources->sceneItem(surface));
    const int target = resources->lastSurface();
    switch (result.kind) {
    case SURFACE_FILE_KIND:
        result.loaded = resources->insertGeometry(file);
        if (result.loaded)
            result.id = doc->surfaces().back();
        break;
    case VERTEX_DATA_FILE_KIND:
        result.loaded = resources->insertVertstats(file);
        if (result.loaded)
            result.id = doc->statisticsOf(target).back();
        break;
    case PARCELLATION_FILE_KIND:
        result.loaded = resources->insertParcellation(file);
        if (result.loaded)
            result.id = doc->parcellationsOf(target).back();
        break;
    case LANDMARK_FILE_KIND:
        result.loaded = resources->insertTagfile(file);
        if (result.loaded)
            result.id = doc->tagFiles().back();
        break;
    default:
        return result;
    }
    if (result.loaded)
        result.ids.append(result.id);
    result.error = resources->lastLoadError();
    result.messages = resources->loadMessages();
    return result;
}
