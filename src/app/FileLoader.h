// The one way a file opens in the viewer, whoever asks (File > Open, drag
// and drop, Open Recent, a subject, a scene, the command line): its kind
// from file_kind_of unless the caller knows it (a scene names each file's
// role), the panel's loader for that kind, per-vertex data and
// parcellations onto the surface asked for (else the document's target; a
// CIFTI-2 file onto every surface it holds a part for), and what the user
// is to be told. Scene files themselves are the window's
// to open: their kind is answered, nothing is read.
#pragma once

#include "ReaderMessages.h"
#include "file_kind.h"

#include <QList>
#include <QString>

class ResourceForm;

class FileLoader
{
public:
    explicit FileLoader(ResourceForm* resources);

    struct Result {
        File_kinds kind = UNKNOWN_FILE_KIND;
        bool loaded = false;
        // The file's id in the document; -1 when it did not load.
        int id = -1;
        // Every id it loaded as: a CIFTI-2 file of both hemispheres opens
        // on each surface it holds a part for.
        QList<int> ids;
        // Why it did not load ("" after a success), for the status bar.
        QString error;
        // Its failure, or what the reader found odd in a file it still read.
        QList<LoadMessage> messages;
    };

    Result open(const QString& path, File_kinds kind = UNKNOWN_FILE_KIND, int surface = -1);

private:
    // The open surfaces a CIFTI-2 file holds a part for.
    QList<int> ciftiSurfaces(const QString& path) const;

    ResourceForm* resources;
};
