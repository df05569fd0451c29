// The one rule both programs lay their options over a scene by: files add,
// settings replace, and the command line's own surfaces are the targets.
#include "figure_apply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace gyroscene;

namespace {

FigureOptions parsed(const std::vector<std::string>& arguments)
{
    FigureOptions figure;
    const auto problem = parse_figure_arguments(arguments, Program::Renderer, &figure);
    EXPECT_FALSE(problem) << (problem ? problem->message.toStdString() : "");
    return figure;
}

// A scene as a scene file leaves it: a coloured surface with a
// parcellation, landmarks and a grey background.
scene_state saved_scene()
{
    scene_state scene;
    surface_state lh{"lh.obj"};
    lh.statistics = {statistics_state{"lh.vertstats"}};
    lh.coloured_file = 0;
    lh.coloured_column = "thickness";
    lh.statistics[0].look("thickness").limits = std::make_pair(1.0f, 3.0f);
    lh.parcellations = {parcellation_state{"lh.annot"}};
    scene.surfaces = {lh};
    scene.tags = {tags_state{"old.tag"}};
    scene.background = QColor(40, 40, 40);
    scene.pick = {0, 12};
    return scene;
}

}  // namespace

TEST(FigureApply, FilesAddToASceneAndSettingsReplaceIt)
{
    scene_state scene = saved_scene();
    QStringList warnings;
    apply_figure_options(parsed({"--labels", "lh.aparc.annot", "--tags", "new.tag", "--limits",
                                 "2", "4", "--background", "white", "-o", "x.png"}),
                         &scene, &warnings);
    ASSERT_EQ(scene.surfaces.size(), 1u);
    const surface_state& lh = scene.surfaces[0];
    ASSERT_EQ(lh.parcellations.size(), 2u);
    EXPECT_EQ(lh.parcellations[1].path, "lh.aparc.annot");
    ASSERT_EQ(scene.tags.size(), 2u);
    EXPECT_EQ(scene.tags[1].path, "new.tag");
    EXPECT_EQ(lh.statistics[0].find("thickness")->limits, std::make_pair(2.0f, 4.0f));
    EXPECT_EQ(scene.background, QColor(Qt::white));
    EXPECT_EQ(scene.pick.vertex, 12);
    EXPECT_TRUE(warnings.isEmpty());

    // A surface named beside the scene joins it and takes the options; the
    // scene's own surface keeps its look.
    scene = saved_scene();
    apply_figure_options(parsed({"rh.obj", "--stats", "rh.vertstats", "--limits", "5", "6",
                                 "--stats", "extra.vertstats", "-o", "x.png"}),
                         &scene, &warnings);
    ASSERT_EQ(scene.surfaces.size(), 2u);
    EXPECT_EQ(scene.surfaces[0].statistics[0].find("thickness")->limits,
              std::make_pair(1.0f, 3.0f));
    EXPECT_EQ(scene.surfaces[1].statistics.at(0).path, "rh.vertstats");
    EXPECT_EQ(scene.surfaces[1].coloured_file, 0);
    EXPECT_EQ(warnings, QStringList{"Command line: no surface for the statistics file "
                                    "extra.vertstats"});
}

TEST(FigureApply, StatisticsOnASubjectKeepItsCurvatureUnderlay)
{
    scene_state scene;
    surface_state lh{"surf/lh.inflated"};
    lh.statistics = {statistics_state{"surf/lh.curv"}};
    lh.underlay_file = 0;
    lh.underlay_column = "curv";
    scene.surfaces = {lh};
    apply_figure_options(parsed({"--stats", "lh.thickness.mgh", "--column", "1", "-o", "x.png"}),
                         &scene, {0}, nullptr);
    const surface_state& surface = scene.surfaces[0];
    ASSERT_EQ(surface.statistics.size(), 2u);
    EXPECT_EQ(surface.statistics[0].path, "surf/lh.curv");
    EXPECT_EQ(surface.underlay_file, 0);
    EXPECT_EQ(surface.underlay_column, "curv");
    EXPECT_EQ(surface.coloured_file, 1);
    EXPECT_EQ(surface.coloured_column, "1");
}
