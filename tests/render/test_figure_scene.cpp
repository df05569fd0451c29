// A figure's files read once: a surface a scene names several times is
// drawn from one set of points, each copy with its own look.
#include "colour_bars.h"
#include "figure_scene.h"
#include "render_test_files.h"

#include <Inventor/SoDB.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

template <typename Node>
Node* find(SoSeparator* root)
{
    SoSearchAction search;
    search.setType(Node::getClassTypeId());
    search.apply(root);
    return search.getPath() ? static_cast<Node*>(search.getPath()->getTail()) : nullptr;
}

TEST(FigureScene, ASurfaceNamedTwiceSharesItsPointsAndKeepsEachLook)
{
    SoDB::init();
    QTemporaryDir dir;
    const QString surface = dir.filePath("grid.obj");
    std::ofstream(surface.toStdString()) << render_test::grid_surface(4);
    gyroscene::scene_state scene;
    for (const QColor& colour : {QColor(255, 0, 0), QColor(0, 0, 255)}) {
        gyroscene::surface_state state{surface};
        state.colour = colour;
        scene.surfaces.push_back(state);
    }
    scene.surfaces.push_back(gyroscene::surface_state{dir.filePath("none.obj")});
    scene.surfaces.back().shown = false;

    gyrorender::FigureScene figure;
    gyrorender::ColourBars bars;
    QString error;
    QStringList warnings;
    ASSERT_TRUE(figure.load(scene, QString(), false, bars, &error, &warnings))
        << error.toStdString();
    ASSERT_EQ(figure.surfaceCount(), 2);
    EXPECT_EQ(find<SoCoordinate3>(figure.surface(0)), find<SoCoordinate3>(figure.surface(1)));
    EXPECT_EQ(find<SoCoordinate3>(figure.surface(1))->point.getNum(),
              render_test::grid_points(4));
    EXPECT_NE(find<SoMaterial>(figure.surface(0))->diffuseColor[0],
              find<SoMaterial>(figure.surface(1))->diffuseColor[0]);
}

}  // namespace
