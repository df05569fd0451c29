// One subject's surfaces share their mesh (white, pial, inflated, sphere:
// the same vertices in the same order), so data on one belongs on every
// other. These find a surface's siblings and put a sibling's points and
// normals into the nodes already drawn, leaving everything else as it is.
#pragma once

#include "surface_nodes.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace gyroscene {

// The FreeSurfer triangle surfaces in `path`'s folder, of its hemisphere
// (the "lh." or "rh." its name starts with, when it does), with
// `vertex_count` vertices and `face_count` triangles; `path` itself
// included, sorted by name. Each candidate is read: call it when asked,
// not on every frame.
QStringList sibling_surfaces(const QString& path, int vertex_count, int face_count);

// The polygons' points and normals into the nodes; false, changing nothing,
// when their vertex count differs from the nodes'.
bool replace_surface_points(const SurfaceNodes& nodes, const polygons_struct& polygons);

// The surface's own name after its hemisphere: "white" for lh.white.
QString surface_kind(const QString& path);

// The other hemisphere of `path`'s subject among `open` (indices into it):
// a file in the same folder named with the other prefix and the same kind
// ("rh.inflated" beside "lh.inflated"). Commands meant for a subject, such
// as a switch to its pial surfaces, act on both.
std::vector<int> other_hemispheres(const QString& path, const QStringList& open);

}  // namespace gyroscene
