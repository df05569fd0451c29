#include "view_root.h"

#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoShapeHints.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace gyroscene {

view_root_nodes add_view_root(SoGroup* root)
{
    view_root_nodes nodes;
    // Counter-clockwise ordering with an unknown shape type gives two-sided
    // lighting without culling: surfaces whose normals face away from the
    // viewer are still lit, not dark.
    nodes.hints = new SoShapeHints;
    nodes.hints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
    nodes.hints->shapeType = SoShapeHints::UNKNOWN_SHAPE_TYPE;
    root->addChild(nodes.hints);
    // Ahead of every camera the viewing matrix is the identity, so a light
    // shining down -z here stays fixed to the eye: a headlight.
    nodes.headlight = new SoDirectionalLight;
    nodes.headlight->direction = SbVec3f(0.0f, 0.0f, -1.0f);
    root->addChild(nodes.headlight);
    return nodes;
}

bool is_software_renderer(const char* renderer)
{
    if (renderer == nullptr)
        return false;
    std::string name(renderer);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* known : {"llvmpipe", "softpipe", "swrast", "software rasterizer"})
        if (name.find(known) != std::string::npos)
            return true;
    return false;
}

void set_buffer_rule(SoShapeHints* hints, const char* renderer)
{
    const bool software = is_software_renderer(renderer);
    if (hints->useVBO.getValue() == software)
        hints->useVBO = !software;
}

}  // namespace gyroscene
