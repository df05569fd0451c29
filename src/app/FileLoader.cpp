#include "FileLoader.h"

#include "ResourceForm.h"
#include "SceneDocument.h"

#include <QFile>

FileLoader::FileLoader(ResourceForm* resources)
    : resources(resources)
{
}

FileLoader::Result FileLoader::open(const QString& path, File_kinds kind, int surface)
{
    Result result;
    result.kind = kind != UNKNOWN_FILE_KIND ? kind : file_kind_of(readerFileName(path).constData()).kind;
    SceneDocument* doc = resources->document();
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
    result.error = resources->lastLoadError();
    result.messages = resources->loadMessages();
    return result;
}
