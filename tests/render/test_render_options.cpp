// The renderer's command line: what each option sets, and one clear line
// for each way an option can be wrong.
#include "figure_apply.h"
#include "figure_plan.h"
#include "render_options.h"
#include "scene_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

using namespace gyrorender;
using testing::HasSubstr;
using Args = std::vector<std::string>;

namespace {

FigureOptions parsed(const Args& arguments)
{
    FigureOptions figure;
    const auto problem = parse_figure_options(arguments, &figure);
    EXPECT_FALSE(problem) << (problem ? problem->message.toStdString() : "");
    return figure;
}

std::string refusal(const Args& arguments)
{
    FigureOptions figure;
    const auto problem = parse_figure_options(arguments, &figure);
    EXPECT_TRUE(problem);
    const std::string text = problem ? problem->message.toStdString() : "";
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    return text;
}

}  // namespace

TEST(RenderOptions, DefaultsAreTheViewersOwn)
{
    const FigureOptions figure = parsed({"lh.obj", "-o", "out.png"});
    EXPECT_EQ(figure.surfaces, QStringList{"lh.obj"});
    EXPECT_EQ(figure.output, "out.png");
    EXPECT_EQ(figure.size, QSize(1200, 900));
    EXPECT_EQ(figure.background, QColor(0, 0, 0));
    EXPECT_EQ(figure.projection, Projection::Perspective);
    EXPECT_EQ(figure.layout, Layout::Together);
    EXPECT_FALSE(figure.colour);
    EXPECT_FALSE(figure.limits);
    EXPECT_FALSE(figure.legend);
    EXPECT_FLOAT_EQ(figure.opacity, 1.0f);
}

TEST(RenderOptions, EveryOptionReachesTheFigure)
{
    const FigureOptions figure = parsed(
        {"lh.obj", "rh.obj", "--stats", "lh.vertstats", "--stats", "rh.vertstats", "--column",
         "tstat", "--colourbar", "hotred", "--colourbar-dir", "bars", "--limits", "3", "-2.5",
         "--tags", "a.tag", "--tags", "b.tag", "--tag-radius", "2.5", "--view", "lateral",
         "--view", "-90,45.5", "--layout", "apart", "--projection", "orthographic", "--size",
         "640x480", "--background", "white", "--colour", "#102030", "--opacity", "0.5",
         "--legend", "--output", "fig.png"});
    EXPECT_EQ(figure.surfaces, (QStringList{"lh.obj", "rh.obj"}));
    EXPECT_EQ(figure.statistics, (QStringList{"lh.vertstats", "rh.vertstats"}));
    EXPECT_EQ(figure.column, "tstat");
    EXPECT_EQ(figure.colourBar, "hotred");
    EXPECT_EQ(figure.colourBarDir, "bars");
    ASSERT_TRUE(figure.limits);
    // Reversed limits are kept as given: they turn the bar over.
    EXPECT_FLOAT_EQ(figure.limits->first, 3.0f);
    EXPECT_FLOAT_EQ(figure.limits->second, -2.5f);
    EXPECT_EQ(figure.tags, (QStringList{"a.tag", "b.tag"}));
    EXPECT_FLOAT_EQ(figure.tagRadius, 2.5f);
    EXPECT_EQ(figure.views, (QStringList{"lateral", "-90,45.5"}));
    EXPECT_EQ(figure.layout, Layout::Apart);
    EXPECT_EQ(figure.projection, Projection::Orthographic);
    EXPECT_EQ(figure.size, QSize(640, 480));
    EXPECT_EQ(figure.background, QColor(255, 255, 255));
    EXPECT_EQ(figure.colour, QColor(0x10, 0x20, 0x30));
    EXPECT_FLOAT_EQ(figure.opacity, 0.5f);
    EXPECT_TRUE(figure.legend);
    EXPECT_EQ(figure.output, "fig.png");
}

TEST(RenderOptions, AfterDoubleDashEverythingIsASurface)
{
    EXPECT_EQ(parsed({"-o", "x.png", "--", "-odd.obj"}).surfaces, QStringList{"-odd.obj"});
}

TEST(RenderOptions, MalformedValuesAreRefusedWithTheirText)
{
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--size", "1200"}), HasSubstr("\"1200\""));
    for (const char* size : {"0x10", "10x0", "-5x10", "10x10x10", "9000x10", "axb", "10 x 10"})
        EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--size", size}), HasSubstr("--size"))
            << size;
    for (const char* view : {"sideways", "10", "10,abc", "10,95", "nan,0", "Lateral,"})
        EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--view", view}), HasSubstr("unknown view"))
            << view;
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--layout", "mixed"}), HasSubstr("--layout"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--projection", "fish"}),
                HasSubstr("--projection"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--background", "notacolour"}),
                HasSubstr("--background"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--opacity", "1.5"}), HasSubstr("--opacity"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--tag-radius", "0"}),
                HasSubstr("--tag-radius"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--stats", "s", "--limits", "1", "x"}),
                HasSubstr("--limits"));
}

TEST(RenderOptions, MissingPiecesAreRefused)
{
    EXPECT_THAT(refusal({"-o", "x.png"}), HasSubstr("no surface"));
    EXPECT_THAT(refusal({"a.obj"}), HasSubstr("no output"));
    EXPECT_THAT(refusal({"a.obj", "-o"}), HasSubstr("-o needs a value"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--limits", "1"}), HasSubstr("two values"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--frobnicate"}),
                HasSubstr("unknown option --frobnicate"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--stats", "a", "--stats", "b"}),
                HasSubstr("2 statistics files for 1 surfaces"));
    EXPECT_THAT(refusal({"a.obj", "-o", "x.png", "--legend"}), HasSubstr("need --stats"));
}

TEST(RenderOptions, ProgramOptionsAreTakenOutOfTheFigures)
{
    ProgramOptions program;
    EXPECT_FALSE(parse_program_options({"--samples", "0", "--batch", "list", "--legend"},
                                       &program));
    EXPECT_EQ(program.samples, 0);
    EXPECT_EQ(program.batch, "list");
    EXPECT_EQ(program.figureArguments, Args{"--legend"});

    ProgramOptions bad;
    EXPECT_TRUE(parse_program_options({"--samples", "many"}, &bad));
    EXPECT_TRUE(parse_program_options({"--batch"}, &bad));
    EXPECT_TRUE(parse_program_options({"--batch", "a", "--batch", "b"}, &bad));
}

TEST(RenderOptions, HelpNamesEveryOption)
{
    const QString help = help_text();
    for (const char* option :
         {"--output", "--stats", "--column", "--colourbar", "--colourbar-dir", "--limits",
          "--threshold", "--underlay", "--legend", "--tags", "--tag-radius", "--view", "--layout",
          "--projection", "--size", "--background", "--colour", "--opacity", "--samples",
          "--batch", "--help", "--labels", "--outline", "--label-opacity", "--subject", "--hemi",
          "--surf", "--overlay", "--annot", "--no-hemi-offset"})
        EXPECT_TRUE(help.contains(option)) << option;
}

TEST(RenderOptions, ParcellationsGoOnTheirSurfacesWithTheirLook)
{
    const FigureOptions figure = parsed({"lh.obj", "rh.obj", "--labels", "lh.annot", "--labels",
                                         "rh.annot", "--labels", "rh.V1.label", "--outline",
                                         "--label-opacity", "0.25", "-o", "x.png"});
    EXPECT_EQ(figure.labels, QStringList({"lh.annot", "rh.annot", "rh.V1.label"}));
    EXPECT_TRUE(figure.outline);
    EXPECT_EQ(figure.labelOpacity, 0.25f);
    gyroscene::scene_state scene;
    gyroscene::apply_figure_options(figure, &scene);
    ASSERT_EQ(scene.surfaces.size(), 2u);
    ASSERT_EQ(scene.surfaces[0].parcellations.size(), 1u);
    ASSERT_EQ(scene.surfaces[1].parcellations.size(), 2u);
    EXPECT_EQ(scene.surfaces[1].parcellations[1].path, "rh.V1.label");
    EXPECT_TRUE(scene.surfaces[1].parcellations[1].outline);
    EXPECT_EQ(scene.surfaces[0].parcellations[0].opacity, 0.25f);
    EXPECT_THAT(refusal({"a.obj", "--label-opacity", "2"}), HasSubstr("--label-opacity"));
    EXPECT_THAT(refusal({"a.obj", "--labels"}), HasSubstr("--labels"));
}

TEST(RenderOptions, ASubjectsHemispheresComeWithTheirCurvatureOverlaysAndParcellations)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("surf") && QDir(dir.path()).mkpath("label"));
    for (const char* name : {"surf/lh.white", "surf/rh.white", "surf/lh.curv", "surf/rh.curv",
                             "surf/lh.thickness", "label/lh.aparc.annot"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::string subject = dir.path().toStdString();
    const FigureOptions figure = parsed({"--subject", subject, "--surf", "white", "--overlay",
                                         "thickness", "--annot", "aparc", "--no-hemi-offset",
                                         "--limits", "1", "4", "-o", "x.png"});
    gyroscene::scene_state scene;
    QStringList warnings;
    gyroscene::apply_figure_options(figure, &scene, &warnings);
    ASSERT_EQ(scene.surfaces.size(), 2u);
    const gyroscene::surface_state& lh = scene.surfaces[0];
    EXPECT_EQ(lh.path, dir.filePath("surf/lh.white"));
    EXPECT_EQ(lh.hemisphere, gyroscene::Hemisphere::Left);
    ASSERT_EQ(lh.statistics.size(), 2u);
    EXPECT_EQ(lh.statistics[0].path, dir.filePath("surf/lh.curv"));
    EXPECT_EQ(lh.underlay_file, 0);
    EXPECT_EQ(lh.underlay_column, "curv");
    EXPECT_EQ(lh.coloured_file, 1);
    EXPECT_EQ(lh.statistics[1].columns.at(0).limits, std::make_pair(1.0f, 4.0f));
    ASSERT_EQ(lh.parcellations.size(), 1u);
    // The right has no overlay and no annotation: its curvature alone.
    const gyroscene::surface_state& rh = scene.surfaces[1];
    EXPECT_EQ(rh.hemisphere, gyroscene::Hemisphere::Right);
    EXPECT_EQ(rh.coloured_file, -1);
    EXPECT_EQ(rh.underlay_file, 0);
    EXPECT_TRUE(rh.parcellations.empty());
    EXPECT_FALSE(scene.hemisphere_offset);
    EXPECT_EQ(warnings, QStringList({"Subject: no overlay " + dir.filePath("surf/rh.thickness"),
                                     "Subject: no parcellation " +
                                         dir.filePath("label/rh.aparc.annot")}));

    EXPECT_THAT(refusal({"--subject", subject, "--overlay", "/x/lh.thick", "-o", "x.png"}),
                HasSubstr("single --hemi"));
    EXPECT_THAT(refusal({"--subject", subject, "--hemi", "left", "-o", "x.png"}),
                HasSubstr("--hemi is lh, rh or both"));
    parsed({"--subject", subject, "--hemi", "lh", "--overlay", "/x/lh.thick", "-o", "x.png"});

    // No surface of the subject at all: nothing to draw, said with why.
    FigurePlan plan;
    QString error;
    EXPECT_FALSE(plan_figure(parsed({"--subject", subject, "--surf", "pial", "-o", "x.png"}), &plan,
                             &error));
    EXPECT_EQ(error, "no surface to draw: Subject: no surface " + dir.filePath("surf/lh.pial") +
                         "; Subject: no surface " + dir.filePath("surf/rh.pial"));
}

// A scene's view is capped as --size is, by one limit named in the message.
TEST(RenderOptions, AScenesViewBeyondThePanelLimitIsRefusedUnlessASizeIsGiven)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.gyrolux");
    gyroscene::scene_state scene;
    scene.surfaces.push_back({});
    scene.surfaces[0].path = dir.filePath("lh.obj");
    scene.view_size = QSize(gyroscene::max_panel_side + 1, 100);
    QString error;
    ASSERT_TRUE(gyroscene::write_scene_file(path, scene, &error)) << error.toStdString();
    FigurePlan plan;
    EXPECT_FALSE(plan_figure(parsed({"--scene", path.toStdString(), "-o", "x.png"}), &plan, &error));
    EXPECT_THAT(error.toStdString(), HasSubstr("8193 x 100 is larger than the 8192 pixels a side"));
    EXPECT_TRUE(plan_figure(parsed({"--scene", path.toStdString(), "--size", "800x600", "-o", "x.png"}),
                            &plan, &error));
    EXPECT_EQ(plan.size, QSize(800, 600));
}
