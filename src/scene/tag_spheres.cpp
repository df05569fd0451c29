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
    tags.material->diffuseColor.setValue(float(tag_sphere_colour.redF()),
                                         float(tag_sphere_colour.greenF()),
                                         float(tag_sphere_colour.blueF()));

    tags.separator->addChild(tags.pickStyle);
    tags.separator->addChild(tags.material);
    tags.separator->addChild(tags.scale);
    return tags;
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
