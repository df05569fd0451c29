// The files one figure names, each read once however often the figure
// names it: a scene may show one surface many times (its copies moved,
// coloured or cut apart differently), and reading it for each copy costs
// time and memory in proportion.
#pragma once

#include "cifti_file.h"
#include "hemisphere.h"
#include "parcellation.h"
#include "surface_nodes.h"
#include "zelVertstatsFile.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace gyrorender {

class FigureReads
{
public:
    // The surface read from `path`, or null with `error` set. The reader's
    // lines go to `warnings` on the first read only.
    std::shared_ptr<const gyroscene::SurfaceFile> surface(const QString& path, QString* error,
                                                          QStringList* warnings);
    // Which surface a file is read for: a CIFTI-2 file serves each surface
    // its part, found by the surface's structure or side and vertex count.
    struct Surface {
        int vertices = 0;
        QString structure;  // a GIFTI surface's, else empty
        gyroscene::Hemisphere side = gyroscene::Hemisphere::Unknown;
    };

    // The statistics file at `path` as the viewer reads it, checked against
    // the surface each time it is asked for.
    std::shared_ptr<const zelVertstatsFile> statistics(const QString& path, const Surface& surface,
                                                       QString* error, QStringList* warnings);
    // The parcellation at `path` on the surface; the `number`-th FreeSurfer
    // label file of its surface.
    std::shared_ptr<const parcellation> parcels(const QString& path, const Surface& surface,
                                                int number, QString* error, QStringList* warnings);
    // Column `index` of a statistics file this object read, shared by every
    // surface it colours.
    std::shared_ptr<const std::vector<float>> column(const zelVertstatsFile& file, int index);

private:
    // The CIFTI-2 file at `path`, read once; null after a message.
    std::shared_ptr<const cifti_file> cifti(const QString& path, QString* error);
    // A CIFTI-2 file's model for the surface; null with `error` set.
    const cifti_brain_model* ciftiModel(const QString& path, const Surface& surface,
                                        QString* error);

    std::map<QString, std::shared_ptr<const gyroscene::SurfaceFile>> surfaces;
    std::map<QString, std::shared_ptr<const cifti_file>> ciftiFiles;
    std::map<QString, std::shared_ptr<const zelVertstatsFile>> statisticsFiles;
    std::map<std::tuple<QString, int, int>, std::shared_ptr<const parcellation>> parcellations;
    // By the file read (a CIFTI-2 file's part for each surface is its own).
    std::map<std::pair<const zelVertstatsFile*, int>, std::shared_ptr<const std::vector<float>>>
        columns;
};

}  // namespace gyrorender
