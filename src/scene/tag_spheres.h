// The landmarks of a tag file as the viewer draws them: red spheres under
// one separator that never takes a pick, one sphere per point.
#pragma once

#include <QColor>

#include <array>
#include <vector>

class SoMaterial;
class SoPickStyle;
class SoScale;
class SoSeparator;
class SoSphere;
class SoTranslation;

namespace gyroscene {

// The separator of one file's spheres and the nodes ahead of them. The
// separator is referenced once for the caller.
struct TagSpheres {
    SoSeparator* separator = nullptr;
    SoPickStyle* pickStyle = nullptr;
    SoMaterial* material = nullptr;
    SoScale* scale = nullptr;
};

// The spheres' colour until the user gives another.
inline const QColor tag_sphere_colour{255, 0, 0};

TagSpheres make_tag_spheres();
void set_tag_colour(const TagSpheres& tags, const QColor& colour);

// One point's sphere, its separator referenced once for the caller.
struct TagSphere {
    SoSeparator* separator = nullptr;
    SoTranslation* translation = nullptr;
    SoSphere* sphere = nullptr;
};

// A sphere of `radius` at (x, y, z), added to `tagSeparator` when one is given.
TagSphere make_tag_sphere(SoSeparator* tagSeparator, double x, double y, double z,
                          float radius = 1.0f);

// A whole file's spheres at once, as the renderer draws them: its
// separator, referenced once for the caller.
SoSeparator* make_tag_file(const std::vector<std::array<double, 3>>& points, const QColor& colour,
                           float radius);

}  // namespace gyroscene
