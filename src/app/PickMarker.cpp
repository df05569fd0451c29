#include "PickMarker.h"

#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTranslation.h>

PickMarker::PickMarker(SoSeparator* root) : root(root)
{
    // The root may go with the viewer before the panel holding the marker.
    if (root)
        root->ref();
    // Half the sphere stands out of the surface it sits on; the depth test
    // hides it behind that surface or another.
    node = new SoSeparator;
    node->ref();
    auto* style = new SoPickStyle;
    // Otherwise the next click would hit the marker instead of the surface.
    style->style = SoPickStyle::UNPICKABLE;
    node->addChild(style);
    auto* light = new SoLightModel;
    light->model = SoLightModel::BASE_COLOR;
    node->addChild(light);
    auto* base = new SoBaseColor;
    base->rgb.setValue(colour[0], colour[1], colour[2]);
    node->addChild(base);
    translation = new SoTranslation;
    node->addChild(translation);
    sphere = new SoSphere;
    node->addChild(sphere);
}

PickMarker::~PickMarker()
{
    setVisible(false);
    node->unref();
    if (root)
        root->unref();
}

void PickMarker::place(const SbVec3f& at, float size)
{
    translation->translation = at;
    sphere->radius = size;
}

void PickMarker::setVisible(bool visible)
{
    if (!root)
        return;
    const int at = root->findChild(node);
    if (visible && at < 0)
        root->addChild(node);
    else if (!visible && at >= 0)
        root->removeChild(at);
}

bool PickMarker::isVisible() const
{
    return root && root->findChild(node) >= 0;
}

SbVec3f PickMarker::position() const
{
    return translation->translation.getValue();
}

float PickMarker::radius() const
{
    return sphere->radius.getValue();
}

SoSeparator* PickMarker::getNode() const
{
    return node;
}
