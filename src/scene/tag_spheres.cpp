#include "tag_spheres.h"

#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTranslation.h>

namespace gyroscene {

TagSpheres make_tag_spheres()
{
    TagSpheres tags;
    tags.separator = new SoSeparator;
    tags.separator->ref();
    tags.scale = new SoScale;
    tags.material = new SoMaterial;
    tags.pickStyle = new SoPickStyle;

    // First in the separator, so no sphere of this file intercepts a pick.
    tags.pickStyle->style = SoPickStyle::UNPICKABLE;
    set_tag_colour(tags, tag_sphere_colour);

    tags.separator->addChild(tags.pickStyle);
    tags.separator->addChild(tags.material);
    tags.separator->addChild(tags.scale);
    return tags;
}

void set_tag_colour(const TagSpheres& tags, const QColor& colour)
{
    tags.material->diffuseColor.setValue(float(colour.redF()), float(colour.greenF()),
                                         float(colour.blueF()));
}

TagSphere make_tag_sphere(SoSeparator* tagSeparator, double x, double y, double z, float radius)
{
    TagSphere point;
    point.separator = new SoSeparator;
    point.separator->ref();
    point.sphere = new SoSphere;
    point.sphere->radius = radius;
    point.translation = new SoTranslation;
    point.translation->translation.setValue(static_cast<float>(x), static_cast<float>(y),
                                            static_cast<float>(z));
    point.separator->addChild(point.translation);
    point.separator->addChild(point.sphere);
    if (tagSeparator)
        tagSeparator->addChild(point.separator);
    return point;
}

}  // namespace gyroscene

namespace gyroscene {

SoSeparator* make_tag_file(const std::vector<std::array<double, 3>>& points, const QColor& colour,
                           float radius)
{
    const TagSpheres spheres = make_tag_spheres();
    set_tag_colour(spheres, colour);
    for (const std::array<double, 3>& p : points) {
        const TagSphere point = make_tag_sphere(spheres.separator, p[0], p[1], p[2], radius);
        // The file's separator holds the point now.
        point.separator->unref();
    }
    return spheres.separator;
}

}  // namespace gyroscene
