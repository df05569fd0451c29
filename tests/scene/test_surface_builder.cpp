// A surface built from its look holds its pieces in the drawing order, and
// a later look touches only the nodes whose part of it changed.
#include "surface_builder.h"

#include "geometry.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPackedColor.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Coin before the builder's nodes.
struct coin_started {
    coin_started() { SoDB::init(); }
};

struct built_sphere : ::testing::Test, coin_started {
    QTemporaryDir dir;
    polygons_struct sphere{};
    gyroscene::SurfaceBuilder builder;
    gyroscene::surface_look look;

    built_sphere()
    {
        const Point centre = {0, 0, 0};
        create_tetrahedral_sphere(&centre, 1.0, 1.0, 1.0, 320, &sphere);
        builder.setSurface(sphere);
        QImage bar(1, 16, QImage::Format_RGB32);
        bar.fill(Qt::red);
        look.paint.bar = dir.filePath("bar.png");
        bar.save(look.paint.bar);
        std::vector<float> values, curvature;
        auto north = std::make_shared<parcellation>(), south = std::make_shared<parcellation>();
        north->regions = south->regions = {{1, "r", {200, 30, 30, 255}}};
        for (int i = 0; i < sphere.n_points; ++i) {
            values.push_back(float(sphere.points[i].z));
            curvature.push_back(float(sphere.points[i].x));
            north->vertex_regions.push_back(sphere.points[i].z > 0.5f ? 0 : no_region);
            south->vertex_regions.push_back(sphere.points[i].z < -0.5f ? 0 : no_region);
        }
        look.values = std::make_shared<const std::vector<float>>(values);
        look.paint.lower = -1.0f;
        look.paint.upper = 1.0f;
        look.underlay = std::make_shared<const std::vector<float>>(curvature);
        look.parcellations = {{north, {}}, {south, {}}};
        look.offset = 10.0f;
        builder.update(look);
    }
    ~built_sphere() override { delete_polygons(&sphere); }

    SoNode* child(int i) const { return builder.separator()->getChild(i); }
    int children() const { return builder.separator()->getNumChildren(); }
    // A parcellation separator's colours.
    SoNode* colours(int i) const
    {
        auto* parcels = static_cast<SoSeparator*>(child(i));
        for (int k = 0; k < parcels->getNumChildren(); ++k)
            if (parcels->getChild(k)->isOfType(SoPackedColor::getClassTypeId()))
                return parcels->getChild(k);
        return nullptr;
    }
};

TEST_F(built_sphere, PiecesStandInDrawingOrderAndUpdatesTouchOnlyWhatChanged)
{
    // Offset, column, the surface's six nodes, then the parcellations.
    ASSERT_EQ(children(), 10);
    EXPECT_TRUE(child(0)->isOfType(SoTranslation::getClassTypeId()));
    EXPECT_EQ(child(1), builder.column().group);
    EXPECT_TRUE(child(7)->isOfType(SoIndexedFaceSet::getClassTypeId()));
    EXPECT_EQ(builder.column().coordinates->point.getNum(), sphere.n_points);
    const SbColor white = builder.nodes().material->diffuseColor[0];
    EXPECT_EQ(white, SbColor(1, 1, 1));

    const auto ids = [&] {
        return std::vector<SbUniqueId>{builder.nodes().material->getNodeId(),
                                       builder.column().texture->getNodeId(),
                                       builder.column().coordinates->getNodeId(),
                                       colours(8)->getNodeId(), colours(9)->getNodeId()};
    };
    const auto changed = [&](const std::vector<SbUniqueId>& before) {
        std::vector<int> which;
        const std::vector<SbUniqueId> now = ids();
        for (std::size_t i = 0; i < now.size(); ++i)
            if (now[i] != before[i])
                which.push_back(int(i));
        return which;
    };

    std::vector<SbUniqueId> before = ids();
    builder.update(look);
    EXPECT_EQ(changed(before), std::vector<int>{});

    look.opacity = 0.5f;
    builder.update(look);
    EXPECT_EQ(changed(before), std::vector<int>{0});
    EXPECT_FLOAT_EQ(builder.nodes().material->transparency[0], 0.5f);

    before = ids();
    look.paint.upper = 2.0f;  // no threshold: the bar's texture stays
    builder.update(look);
    EXPECT_EQ(changed(before), std::vector<int>{2});

    before = ids();
    look.paint.threshold = 0.5f;  // the band is drawn into the texture
    builder.update(look);
    EXPECT_EQ(changed(before), (std::vector<int>{1, 2}));

    before = ids();
    look.parcellations[1].state.opacity = 0.5f;
    builder.update(look);
    EXPECT_EQ(changed(before), std::vector<int>{4});
}

TEST_F(built_sphere, LayersLeaveAndReorderKeepingTheirNodes)
{
    SoNode* north = child(8);
    SoNode* south = child(9);
    std::swap(look.parcellations[0], look.parcellations[1]);
    builder.update(look);
    EXPECT_EQ(child(8), south);
    EXPECT_EQ(child(9), north);

    look.parcellations[0].state.shown = false;
    look.values = nullptr;
    look.offset = 0.0f;
    builder.update(look);
    // The offset stays at 0; the column and the hidden layer leave.
    ASSERT_EQ(children(), 8);
    EXPECT_FLOAT_EQ(static_cast<SoTranslation*>(child(0))->translation.getValue()[0], 0.0f);
    EXPECT_EQ(child(7), north);
    // Without a column the underlay's greys show per vertex.
    EXPECT_EQ(builder.nodes().material->diffuseColor.getNum(), sphere.n_points);

    look.underlay = nullptr;
    builder.update(look);
    ASSERT_EQ(builder.nodes().material->diffuseColor.getNum(), 1);
    const QColor grey = look.colour;
    EXPECT_EQ(builder.nodes().material->diffuseColor[0],
              SbColor(float(grey.redF()), float(grey.greenF()), float(grey.blueF())));
}

}  // namespace
