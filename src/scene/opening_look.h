// How a file of per-vertex data is first drawn when it is opened onto a
// surface: vertex statistics files wait until a column is chosen, as they
// always have; curvature and sulcal depth go underneath in two greys, sulci
// dark; other programs' data colour a surface nothing colours yet.
#pragma once

#include "file_kind.h"

#include <QString>
#include <QStringList>

namespace gyroscene {

struct opening_look {
    enum class Role { None, Colour, Underlay };
    Role role = Role::None;
    QString column;
};

// Curvature or sulcal depth, by the file's FreeSurfer name (lh.curv,
// rh.sulc, lh.sulc.shape.gii) or the column's own name.
bool is_folding_measure(const QString& path, const QString& column);

opening_look look_on_open(const QString& path, Known_file_formats format, const QStringList& columns,
                          bool surface_coloured, bool surface_has_underlay);

}  // namespace gyroscene
