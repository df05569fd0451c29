#include "surface_graph.h"

#include "hemisphere_offset.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

namespace gyroscene {

namespace {

const char* const offsetName = "SurfaceOffset";

SoTranslation* offset_node(const SoSeparator* surface)
{
    if (surface->getNumChildren() == 0)
        return nullptr;
    SoNode* head = surface->getChild(0);
    return head->isOfType(SoTranslation::getClassTypeId()) && head->getName() == offsetName
               ? static_cast<SoTranslation*>(head)
               : nullptr;
}

}  // namespace

SoSeparator* make_surface_separator()
{
    auto* separator = new SoSeparator;
    separator->ref();
    return separator;
}

void set_surface_offset(SoSeparator* surface, float x)
{
    SoTranslation* node = offset_node(surface);
    if (!node) {
        if (x == 0.0f)
            return;
        node = make_offset_node(x);
        node->setName(offsetName);
        surface->insertChild(node, 0);
        return;
    }
    if (node->translation.getValue()[0] != x)
        node->translation.setValue(x, 0.0f, 0.0f);
}

float surface_offset(const SoSeparator* surface)
{
    const SoTranslation* node = offset_node(surface);
    return node ? node->translation.getValue()[0] : 0.0f;
}

void add_surface_texture(SoSeparator* surface, SoNode* texture)
{
    surface->insertChild(texture, offset_node(surface) ? 1 : 0);
}

int surface_vertex_count(const SoSeparator* surface)
{
    for (int i = 0; surface && i < surface->getNumChildren(); ++i) {
        SoNode* node = surface->getChild(i);
        if (node->isOfType(SoCoordinate3::getClassTypeId()))
            return static_cast<SoCoordinate3*>(node)->point.getNum();
    }
    return -1;
}

void add_surface_parcellation(SoSeparator* surface, SoNode* parcels)
{
    surface->addChild(parcels);
}

}  // namespace gyroscene
