// The files one figure names, each read once however often the figure
// names it: a scene may show one surface many times (its copies moved,
// coloured or cut apart differently), and reading it for each copy costs
// time and memory in proportion.
#pragma once

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
    // The statistics file at `path` as the viewer reads it, checked against
    // a surface of `vertices` points each time it is asked for.
    std::shared_ptr<const zelVertstatsFile> statistics(const QString& path, int vertices,
                                                       QString* error, QStringList* warnings);
    // The parcellation at `path` on a surface of `vertices` points; the
    // `number`-th FreeSurfer label file of its surface.
    std::shared_ptr<const parcellation> parcels(const QString& path, int vertices, int number,
                                                QString* error, QStringList* warnings);
    // Column `index` of a statistics file this object read, shared by every
    // surface it colours.
    std::shared_ptr<const std::vector<float>> column(const QString& path,
                                                     const zelVertstatsFile& file, int index);

private:
    std::map<QString, std::shared_ptr<const gyroscene::SurfaceFile>> surfaces;
    std::map<QString, std::shared_ptr<const zelVertstatsFile>> statisticsFiles;
    std::map<std::tuple<QString, int, int>, std::shared_ptr<const parcellation>> parcellations;
    std::map<std::pair<QString, int>, std::shared_ptr<const std::vector<float>>> columns;
};

}  // namespace gyrorender
