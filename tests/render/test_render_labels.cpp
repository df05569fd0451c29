// gyrolux-render's parcellations: --labels drawn in the regions' colours
// over the surface or its statistics, --outline leaving the insides to what
// is under them, a hidden region or --label-opacity 0 showing what is under
// it, and a parcellation of another surface refused in one line.
#include "parcel_files.h"
#include "render_test_files.h"
#include "scratch_dir_test.h"

#include <QColor>
#include <QImage>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace render_test;
using testing::HasSubstr;

namespace {

constexpr int gridCells = 40;
const parcel_colour leftColour{200, 30, 0, 255};
const parcel_colour rightColour{0, 160, 60, 255};

struct ToolRun {
    int status;
    std::string err;
};

class RenderLabelsTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        surface = write("grid.obj", grid_surface(gridCells));
        // Left and right halves; the statistics run from left to right.
        parcellation halves;
        halves.format = FREESURFER_ANNOTATION;
        halves.regions = {{0, "left", leftColour}, {1, "right", rightColour}};
        std::vector<float> ramp = grid_x(gridCells);
        for (float x : ramp)
            halves.vertex_regions.push_back(x < 0 ? 0 : 1);
        annotation = path("grid.annot");
        ASSERT_EQ(output_freesurfer_annotation(annotation.c_str(), halves), OK);
        for (float& v : ramp)
            v = std::clamp(v, -25.0f, 25.0f);
        statistics = path("grid.vertstats");
        write_statistics(statistics, {"ramp"}, {ramp});
        fs::create_directory(path("bars"));
        write_bar(path("bars/ends.png"), QColor(255, 255, 0), QColor(0, 0, 255));
    }

    ToolRun run(const std::string& arguments) const
    {
        const std::string err = path("stderr");
        const int raw = std::system(
            (std::string(RENDER_PATH) + " " + arguments + " >/dev/null 2>'" + err + "'").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(err)};
    }

    // The colour at the left and right quarter points of the grid seen from above.
    // A scene names its own surface: `withSurface` false.
    std::pair<QColor, QColor> patches(const std::string& more, const std::string& name,
                                      bool withSurface = true)
    {
        const std::string out = path(name);
        const ToolRun r = run((withSurface ? "'" + surface + "'" : std::string()) + " --view dorsal --size 300x300 --samples 0 " +
                              more + " -o '" + out + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        const QImage picture = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
        if (picture.isNull())
            return {};
        const int step = picture.width() / 7;
        return {picture.pixelColor(picture.width() / 2 - step, picture.height() / 2),
                picture.pixelColor(picture.width() / 2 + step, picture.height() / 2)};
    }

    static std::string hex(parcel_colour c)
    {
        return QColor(c.r, c.g, c.b).name().toStdString();
    }

    std::string surface, annotation, statistics;
};

}  // namespace

TEST_F(RenderLabelsTest, FilledRegionsHaveTheirColoursOutlinesAndHiddenShowWhatIsUnder)
{
    const auto plain = patches("", "plain.png");
    const auto filled = patches("--labels '" + annotation + "'", "filled.png");
    // Each region as a surface of its colour is drawn.
    EXPECT_EQ(filled.first, patches("--colour '" + hex(leftColour) + "'", "left.png").first);
    EXPECT_EQ(filled.second, patches("--colour '" + hex(rightColour) + "'", "right.png").second);

    // The quarter points lie inside their regions: outlines leave them plain.
    const auto outlined = patches("--labels '" + annotation + "' --outline", "outline.png");
    EXPECT_EQ(outlined.first, plain.first);
    EXPECT_EQ(outlined.second, plain.second);
    const auto clear = patches("--labels '" + annotation + "' --label-opacity 0", "clear.png");
    EXPECT_EQ(clear.first, plain.first);

    // Over statistics: outlines and a hidden region show the column's colours.
    const std::string column = "--stats '" + statistics + "' --colourbar-dir '" + path("bars") +
                               "' --colourbar ends";
    const auto coloured = patches(column, "column.png");
    EXPECT_EQ(patches(column + " --labels '" + annotation + "' --outline", "column_outline.png"),
              coloured);
    EXPECT_EQ(patches(column + " --labels '" + annotation + "'", "column_filled.png"), filled);

    std::ofstream(path("hidden.gyrolux"))
        << R"({"format": "gyrolux-scene", "version": 1, "surfaces": [{"path": "grid.obj",
              "parcellations": [{"path": "grid.annot", "hiddenRegions": [0]}]}]})";
    const auto hidden = patches("--scene '" + path("hidden.gyrolux") + "'", "hidden.png", false);
    EXPECT_EQ(hidden.first, plain.first);
    EXPECT_EQ(hidden.second, filled.second);
}

TEST_F(RenderLabelsTest, AParcellationOfAnotherSurfaceIsRefusedInOneLine)
{
    const std::string small = write("small.obj", grid_surface(2));
    const std::string out = path("no.png");
    const ToolRun r = run("'" + small + "' --labels '" + annotation + "' -o '" + out + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(annotation));
    EXPECT_THAT(r.err, HasSubstr(std::to_string(grid_points(gridCells)) + " vertices"));
    EXPECT_THAT(r.err, HasSubstr("has " + std::to_string(grid_points(2))));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(out));
}
