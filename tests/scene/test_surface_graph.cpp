// A surface's subgraph keeps one order whatever arrives first: offset,
// textures (newest first), the surface's own nodes, parcellations.
#include "surface_graph.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTranslation.h>

#include <gtest/gtest.h>

TEST(SurfaceGraph, PiecesKeepTheirPlaceWhateverComesFirst)
{
    SoDB::init();
    SoSeparator* surface = gyroscene::make_surface_separator();
    auto* points = new SoCoordinate3;
    surface->addChild(points);
    auto* parcels = new SoSeparator;
    gyroscene::add_surface_parcellation(surface, parcels);
    auto* first = new SoSwitch;
    gyroscene::add_surface_texture(surface, first);
    EXPECT_FLOAT_EQ(gyroscene::surface_offset(surface), 0.0f);
    gyroscene::set_surface_offset(surface, 0.0f);
    EXPECT_EQ(surface->getNumChildren(), 3);  // no offset until it moves

    gyroscene::set_surface_offset(surface, -12.5f);
    auto* second = new SoGroup;
    gyroscene::add_surface_texture(surface, second);
    ASSERT_EQ(surface->getNumChildren(), 5);
    EXPECT_TRUE(surface->getChild(0)->isOfType(SoTranslation::getClassTypeId()));
    EXPECT_EQ(surface->getChild(1), second);
    EXPECT_EQ(surface->getChild(2), first);
    EXPECT_EQ(surface->getChild(3), points);
    EXPECT_EQ(surface->getChild(4), parcels);
    EXPECT_FLOAT_EQ(gyroscene::surface_offset(surface), -12.5f);

    // Moved back, the same node stays at 0: nothing else shifts.
    SoNode* offset = surface->getChild(0);
    gyroscene::set_surface_offset(surface, 0.0f);
    EXPECT_EQ(surface->getChild(0), offset);
    EXPECT_EQ(surface->getNumChildren(), 5);
    EXPECT_FLOAT_EQ(gyroscene::surface_offset(surface), 0.0f);
    surface->unref();
}
