// A FreeSurfer subject folder's files for a view: per hemisphere the
// surface (DIR/surf/?h.SURF), its curv file (the underlay), the overlays
// (DIR/surf/?h.NAME, as statistics) and the parcellations
// (DIR/label/?h.NAME.annot). Plain paths and messages; nothing is read.
#pragma once

#include "hemisphere.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace gyroscene {

struct subject_request {
    QString dir;
    QString hemi = QStringLiteral("both");  // lh, rh or both
    QString surface = QStringLiteral("inflated");
    // Names, or file paths (a '/' in them) with a single hemisphere.
    QStringList overlays;
    QStringList annotations;
};

struct hemisphere_files {
    Hemisphere side = Hemisphere::Unknown;
    QString surface;
    QString curv;  // empty when missing
    QStringList statistics;
    QStringList labels;
};

struct subject_files {
    // Only hemispheres whose surface exists, left first.
    std::vector<hemisphere_files> hemispheres;
    // One line per missing file, naming it.
    QStringList missing;
};

// "lh" or "rh".
QString hemisphere_prefix(Hemisphere side);

// A usage error (one line) for a hemisphere other than lh, rh or both, an
// empty folder or surface name, or a path among the names with both
// hemispheres. Nothing is looked up.
std::optional<QString> check_subject_request(const subject_request& request);
// check_subject_request's error, or none and `files` from what exists.
std::optional<QString> resolve_subject(const subject_request& request, subject_files* files);

}  // namespace gyroscene
