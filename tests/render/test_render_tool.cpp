// gyrolux-render run as a process with no display at all: the image it
// writes, its pixels, and one clear line and exit status for bad input.
#include "render_test_files.h"
#include "scratch_dir_test.h"

#include <QColor>
#include <QImage>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <tuple>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace render_test;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

constexpr int gridCells = 40;
const QColor topColour(255, 255, 0);
const QColor bottomColour(0, 0, 255);

class RenderToolTest : public ScratchDirTest {
protected:
    static void SetUpTestSuite()
    {
        // Proof that no display is used: there is none to find.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }

    void SetUp() override
    {
        ScratchDirTest::SetUp();
        surface = write("grid.obj", grid_surface(gridCells));
        // Values clamped to -25..25: the left quarter of the square holds the
        // lowest value, the right quarter the highest, wide flat patches.
        std::vector<float> ramp = grid_x(gridCells), twice;
        for (float& v : ramp)
            v = std::clamp(v, -25.0f, 25.0f);
        for (float v : ramp)
            twice.push_back(2 * v);
        statistics = path("grid.vertstats");
        write_statistics(statistics, {"ramp", "twice", "third", "fourth"},
                         {ramp, twice, ramp, ramp});
        fs::create_directory(path("bars"));
        write_bar(path("bars/ends.png"), topColour, bottomColour);
    }

    ToolRun run(const std::string& arguments) const
    {
        const std::string out = path("stdout"), err = path("stderr");
        const int raw = std::system((std::string(RENDER_PATH) + " " + arguments + " >'" + out +
                                     "' 2>'" + err + "'")
                                        .c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    static QImage image(const std::string& file)
    {
        return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
    }

    // A figure of the grid seen from above, where x runs to the right.
    std::string above(const std::string& more) const
    {
        return "'" + surface + "' --view dorsal --size 300x300 --samples 0 " + more;
    }

    static bool near(QColor a, QColor b, int tolerance)
    {
        return std::abs(a.red() - b.red()) <= tolerance &&
               std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }

    // One line on standard error, from the program, and no image.
    void expectRefused(const ToolRun& r, int status, const std::string& output) const
    {
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_THAT(r.err, StartsWith("gyrolux-render: "));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(output));
        // Nor a temporary file left beside it.
        const fs::path where = fs::path(output).parent_path();
        if (fs::exists(where)) {
            for (const auto& entry : fs::directory_iterator(where))
                EXPECT_THAT(entry.path().filename().string(),
                            testing::Not(StartsWith(fs::path(output).filename().string())));
        }
    }

    std::string surface;
    std::string statistics;
};

// Points a quarter of the way in from the left and right edges of the
// square, which fills the middle of a dorsal panel.
QPoint leftPatch(const QImage& panel)
{
    return {panel.width() / 2 - panel.width() / 7, panel.height() / 2};
}
QPoint rightPatch(const QImage& panel)
{
    return {panel.width() / 2 + panel.width() / 7, panel.height() / 2};
}

}  // namespace

TEST_F(RenderToolTest, ImageHasTheAskedSizePerViewAndTheBackgroundAroundTheSurface)
{
    const std::string out = path("two.png");
    const ToolRun r = run("'" + surface + "' --view dorsal --view 0,0 --size 320x240 "
                      "--background '#204060' -o '" + out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    // Edge on, the square draws no pixel: told, but the figure is made.
    EXPECT_EQ(r.err, "Warning: panel 2 of the figure shows no surface\n");
    const QImage picture = image(out);
    EXPECT_EQ(picture.size(), QSize(640, 240));
    for (const QPoint corner : {QPoint(0, 0), QPoint(319, 239), QPoint(320, 0), QPoint(639, 239)})
        EXPECT_EQ(picture.pixelColor(corner), QColor(0x20, 0x40, 0x60)) << corner.x();
    // The square from above fills the first panel's centre; seen edge on
    // from the right it is a line, so the second panel is background just
    // above and below its middle.
    EXPECT_NE(picture.pixelColor(160, 120), QColor(0x20, 0x40, 0x60));
    EXPECT_EQ(picture.pixelColor(480, 60), QColor(0x20, 0x40, 0x60));
    EXPECT_EQ(picture.pixelColor(480, 180), QColor(0x20, 0x40, 0x60));
}

TEST_F(RenderToolTest, SurfaceWithoutStatisticsHasItsColour)
{
    const std::string out = path("plain.png");
    const ToolRun r = run(above("--colour '#4080c0' -o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage picture = image(out);
    // Lit head-on: the colour itself, plus the little the ambient light adds.
    for (const QPoint at : {leftPatch(picture), rightPatch(picture)}) {
        const QColor seen = picture.pixelColor(at);
        EXPECT_GE(seen.red(), 0x40);
        EXPECT_LE(seen.red(), 0x40 + 16);
        EXPECT_GE(seen.green(), 0x80);
        EXPECT_LE(seen.green(), 0x80 + 16);
        EXPECT_GE(seen.blue(), 0xc0);
        EXPECT_LE(seen.blue(), 0xc0 + 16);
    }
}

TEST_F(RenderToolTest, LowestAndHighestValuesGetTheBarsEndsAndReversedLimitsTurnItOver)
{
    const std::string out = path("ramp.png");
    const std::string bars = "--colourbar-dir '" + path("bars") + "' --colourbar ends ";
    ToolRun r = run(above("--stats '" + statistics + "' " + bars + "-o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    QImage picture = image(out);
    EXPECT_TRUE(near(picture.pixelColor(leftPatch(picture)), bottomColour, 6))
        << picture.pixelColor(leftPatch(picture)).name().toStdString();
    EXPECT_TRUE(near(picture.pixelColor(rightPatch(picture)), topColour, 6))
        << picture.pixelColor(rightPatch(picture)).name().toStdString();

    // The column by index, the limits given high first: the lowest values
    // now take the top of the bar.
    r = run(above("--stats '" + statistics + "' --column 1 --limits 50 -50 " + bars + "-o '" +
                  out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    picture = image(out);
    EXPECT_TRUE(near(picture.pixelColor(leftPatch(picture)), topColour, 6))
        << picture.pixelColor(leftPatch(picture)).name().toStdString();
    EXPECT_TRUE(near(picture.pixelColor(rightPatch(picture)), bottomColour, 6))
        << picture.pixelColor(rightPatch(picture)).name().toStdString();
}

TEST_F(RenderToolTest, UnderTheThresholdTheSurfaceOrTheUnderlayShows)
{
    const std::string out = path("threshold.png");
    const std::string bars = "--colourbar-dir '" + path("bars") + "' --colourbar ends ";
    // The middle of the square holds values within -10..10.
    ToolRun r = run(above("--stats '" + statistics + "' --threshold 10 --colour '#4080c0' " +
                          bars + "-o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    QImage picture = image(out);
    const QPoint middle(picture.width() / 2, picture.height() / 2);
    EXPECT_TRUE(near(picture.pixelColor(middle), QColor(0x40, 0x80, 0xc0), 16))
        << picture.pixelColor(middle).name().toStdString();
    EXPECT_TRUE(near(picture.pixelColor(leftPatch(picture)), bottomColour, 6));
    EXPECT_TRUE(near(picture.pixelColor(rightPatch(picture)), topColour, 6));

    // An underlay shows in greys instead of the surface's colour.
    r = run(above("--stats '" + statistics + "' --threshold 10 --underlay twice --colour "
                  "'#4080c0' " + bars + "-o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    picture = image(out);
    const QColor grey = picture.pixelColor(middle);
    EXPECT_EQ(grey.red(), grey.green());
    EXPECT_EQ(grey.green(), grey.blue());
    EXPECT_TRUE(near(picture.pixelColor(rightPatch(picture)), topColour, 6));
    // Values below the limits and under the threshold: plain greys, with
    // nothing of the bar's bottom colour mixed in.
    r = run(above("--stats '" + statistics + "' --limits 30 40 --threshold 35 --underlay twice " +
                  bars + "-o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    picture = image(out);
    for (const QPoint& at : {leftPatch(picture), middle, rightPatch(picture)}) {
        const QColor c = picture.pixelColor(at);
        EXPECT_TRUE(std::abs(c.red() - c.blue()) <= 2 && std::abs(c.green() - c.blue()) <= 2)
            << c.name().toStdString();
    }
}

// Vertices without a value show the surface as a figure without the column
// shows it there, and the values beside them keep their colour.
TEST_F(RenderToolTest, MissingValuesShowTheSurfaceUnderneath)
{
    std::vector<float> half = grid_x(gridCells);
    for (float& v : half)
        v = v < 0.0f ? std::numeric_limits<float>::quiet_NaN() : std::clamp(v, -25.0f, 25.0f);
    const std::string halfStats = path("half.vertstats");
    write_statistics(halfStats, {"half"}, {half});
    const std::string plainOut = path("plain.png"), out = path("half.png");
    ASSERT_EQ(run(above("--colour '#4080c0' -o '" + plainOut + "'")).status, 0);
    const ToolRun r = run(above("--stats '" + halfStats + "' --colour '#4080c0' --colourbar-dir '" +
                                path("bars") + "' --colourbar ends -o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage plain = image(plainOut), picture = image(out);
    // The texture's colour is lit a little unlike the material's, as under a threshold.
    EXPECT_TRUE(near(picture.pixelColor(leftPatch(picture)), plain.pixelColor(leftPatch(plain)), 16))
        << picture.pixelColor(leftPatch(picture)).name().toStdString();
    EXPECT_TRUE(near(picture.pixelColor(rightPatch(picture)), topColour, 6));
}

// The colour maps are chosen by name beside a directory's bars.
TEST_F(RenderToolTest, ViridisRunsFromPurpleToYellow)
{
    const std::string out = path("viridis.png");
    const ToolRun r = run(above("--stats '" + statistics + "' --colourbar-dir '" + path("bars") +
                                "' --colourbar viridis -o '" + out + "'"));
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage picture = image(out);
    const QColor low = picture.pixelColor(leftPatch(picture));
    const QColor high = picture.pixelColor(rightPatch(picture));
    EXPECT_TRUE(low.blue() > low.green() && low.red() > low.green()) << low.name().toStdString();
    EXPECT_TRUE(high.red() > high.blue() && high.green() > high.blue()) << high.name().toStdString();
}

TEST_F(RenderToolTest, LegendShowsTheBarWithTheUpperLimitOnTop)
{
    // Wide enough that the legend's corner is clear of the square.
    const std::string out = path("legend.png");
    const std::string figure = "'" + surface + "' --view dorsal --size 800x600 --samples 0 "
                               "--background '#204060' --stats '" + statistics +
                               "' --colourbar-dir '" + path("bars") + "' ";
    // Rows at which the bar's end colours show right of the square.
    const auto endRows = [](const QImage& picture) {
        int top = -1, bottom = -1;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 620; x < picture.width(); ++x) {
                if (near(picture.pixelColor(x, y), topColour, 8) && top < 0)
                    top = y;
                if (near(picture.pixelColor(x, y), bottomColour, 8) && bottom < 0)
                    bottom = y;
            }
        return std::make_pair(top, bottom);
    };

    ToolRun r = run(figure + "-o '" + out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(endRows(image(out)), std::make_pair(-1, -1));

    r = run(figure + "--legend -o '" + out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    auto [top, bottom] = endRows(image(out));
    EXPECT_GT(top, 300);
    EXPECT_GT(bottom, top + 20);

    // Reversed limits turn the bar over, so the larger number stays on top.
    r = run(figure + "--legend --limits 25 -25 -o '" + out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    std::tie(top, bottom) = endRows(image(out));
    EXPECT_GT(bottom, 300);
    EXPECT_GT(top, bottom + 20);
}

// Two views and a legend: the legend has a strip of its own right of the
// panels, which are drawn exactly as without it.
TEST_F(RenderToolTest, MontageLegendCoversNoPanel)
{
    const std::string figure = "'" + surface + "' --view dorsal --view 0,0 --size 320x320 --samples 0 "
                               "--background '#204060' --stats '" + statistics +
                               "' --colourbar-dir '" + path("bars") + "' ";
    ToolRun r = run(figure + "-o '" + path("plain.png") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(figure + "--legend -o '" + path("keyed.png") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage plain = image(path("plain.png")), keyed = image(path("keyed.png"));
    ASSERT_EQ(plain.size(), QSize(640, 320));
    ASSERT_GT(keyed.width(), 640 + 40);
    EXPECT_EQ(keyed.height(), 320);
    EXPECT_EQ(keyed.copy(0, 0, 640, 320), plain);
    int barColours = 0;
    for (int y = 0; y < keyed.height(); ++y)
        for (int x = 640; x < keyed.width(); ++x)
            barColours += near(keyed.pixelColor(x, y), topColour, 8) || near(keyed.pixelColor(x, y), bottomColour, 8);
    EXPECT_GT(barColours, 50);
}

TEST_F(RenderToolTest, RowCountMismatchIsDrawnWithTheViewersWarning)
{
    std::vector<float> half(static_cast<std::size_t>(grid_points(gridCells) / 2), 1.0f);
    const std::string shortFile = path("short.vertstats");
    write_statistics(shortFile, {"half"}, {half});
    const std::string out = path("short.png");
    const ToolRun r = run(above("--stats '" + shortFile + "' -o '" + out + "'"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Warning: " + shortFile + " has " +
                                 std::to_string(half.size()) + " rows but the surface has " +
                                 std::to_string(grid_points(gridCells)) + " vertices"));
    EXPECT_EQ(image(out).size(), QSize(300, 300));
}

// A scene's statistics file the figure does not use is not read, but one
// that is missing or is no statistics is told.
TEST_F(RenderToolTest, UnusedStatisticsFilesThatCannotBeReadAreTold)
{
    std::ofstream(path("unused.gyrolux"))
        << R"({"format": "gyrolux-scene", "version": 1, "surfaces": [{"path": "grid.obj",
              "statistics": [{"path": "grid.vertstats"}, {"path": "gone.vertstats"},
                             {"path": "grid.obj"}]}]})";
    const std::string out = path("unused.png");
    const ToolRun r =
        run("--scene '" + path("unused.gyrolux") + "' --view dorsal --samples 0 -o '" + out + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr(path("gone.vertstats") + ": no such file (not drawn"));
    EXPECT_THAT(r.err, HasSubstr(path("grid.obj") + ": not per-vertex data (not drawn"));
    EXPECT_THAT(r.err, testing::Not(HasSubstr("grid.vertstats")));
}

TEST_F(RenderToolTest, BadInputGivesOneLineStatusOneAndNoImage)
{
    const std::string out = path("out.png");
    ToolRun r = run("'" + path("missing.obj") + "' -o '" + out + "'");
    expectRefused(r, 1, out);
    EXPECT_THAT(r.err, HasSubstr("missing.obj"));

    r = run(above("--stats '" + statistics + "' --column tstat -o '" + out + "'"));
    expectRefused(r, 1, out);
    EXPECT_THAT(r.err, HasSubstr("no column \"tstat\""));
    EXPECT_THAT(r.err, HasSubstr("ramp, twice, third, fourth"));

    r = run(above("--stats '" + statistics + "' --colourbar nosuchbar -o '" + out + "'"));
    expectRefused(r, 1, out);
    EXPECT_THAT(r.err, HasSubstr("nosuchbar"));

    r = run(above("--stats '" + path("missing.vertstats") + "' -o '" + out + "'"));
    expectRefused(r, 1, out);

    r = run(above("--tags '" + write("bad.tag", "not a tag file\n") + "' -o '" + out + "'"));
    expectRefused(r, 1, out);

    const std::string elsewhere = path("no/such/dir/out.png");
    r = run(above("-o '" + elsewhere + "'"));
    expectRefused(r, 1, elsewhere);
    EXPECT_THAT(r.err, HasSubstr("does not exist"));

    // The grid lies in z = 0; this camera stands below it looking down.
    const std::string away = write("away.gyrolux", R"({"format": "gyrolux-scene", "version": 1,
        "surfaces": [{"path": "grid.obj"}], "viewSize": [200, 150], "camera": {"projection":
        "perspective", "position": [0, 0, -300], "orientation": [0, 0, 0, 1],
        "focalDistance": 300, "heightAngle": 0.785398}})");
    r = run("--scene '" + away + "' --samples 0 -o '" + out + "'");
    expectRefused(r, 1, out);
    EXPECT_THAT(r.err, HasSubstr("shows no surface"));
}

TEST_F(RenderToolTest, UsageErrorsGiveOneLineStatusTwoAndNoImage)
{
    const std::string out = path("out.png");
    for (const std::string options :
         {"--view sideways", "--underlay twice", "--view 10,abc", "--view 10,91", "--size 12x", "--size 0x10",
          "--layout mixed", "--frobnicate"}) {
        const ToolRun r = run("'" + surface + "' " + options + " -o '" + out + "'");
        expectRefused(r, 2, out);
    }
    EXPECT_EQ(run("").status, 2);
    const ToolRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("usage: gyrolux-render"));
}

TEST_F(RenderToolTest, BatchMakesEveryGoodLineAndNamesTheBadOnes)
{
    fs::create_directory(path("with space"));
    const std::string list = write(
        "list.txt", "# figures\n"
                    "\n'" + surface + "' --view dorsal -o '" + path("with space/first.png") + "'\n"
                    "  # an indented comment\n"
                    "'" + path("missing.obj") + "' -o '" + path("second.png") + "'\n"
                    "\"" + surface + "\" --view \"0,90\" -o " + path("third.png") + "\n"
                    "'" + surface + "' -o 'unterminated\n");
    const ToolRun r = run("--batch '" + list + "' --size 200x100");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(image(path("with space/first.png")).size(), QSize(200, 100));
    EXPECT_EQ(image(path("third.png")).size(), QSize(200, 100));
    EXPECT_FALSE(fs::exists(path("second.png")));
    EXPECT_THAT(r.err, HasSubstr(list + ":5: cannot read surface"));
    EXPECT_THAT(r.err, HasSubstr(list + ":7: unterminated single quote"));

    // Every figure good: status 0, and with --timings one line for each,
    // with a time for each of its panels.
    const std::string good = write("good.txt", "'" + surface + "' -o '" + path("fourth.png") +
                                                   "'\n'" + surface + "' --view 0,0 -o '" +
                                                   path("fifth.png") + "'\n");
    const ToolRun timed = run("--batch '" + good + "' --size 64x64 --timings --view dorsal");
    EXPECT_EQ(timed.status, 0) << timed.err;
    EXPECT_EQ(image(path("fourth.png")).size(), QSize(64, 64));
    EXPECT_EQ(image(path("fifth.png")).size(), QSize(128, 64));
    EXPECT_THAT(timed.err, testing::ContainsRegex("fourth.png: [0-9]+ ms: files [0-9]+ ms, "
                                                  "panels [0-9]+ ms, writing [0-9]+ ms\n"));
    EXPECT_THAT(timed.err, testing::ContainsRegex("fifth.png: [0-9]+ ms: files [0-9]+ ms, "
                                                  "panels [0-9]+ [0-9]+ ms, writing [0-9]+ ms\n"));
}

TEST_F(RenderToolTest, ShardsOfABatchDrawEachFigureOnceAndSkipWhatIsDrawn)
{
    // Seven figures among a comment and blank lines; three shards.
    std::string lines = "# seven figures\n\n";
    for (int i = 0; i < 7; ++i)
        lines += "'" + surface + "' -o '" + path("f" + std::to_string(i) + ".png") + "'\n" +
                 (i == 3 ? "   \n# between\n" : "");
    const std::string list = write("list.txt", lines);
    // --timings gives one line per figure drawn: count them over the shards.
    std::vector<int> drawn(7, 0);
    for (int k = 0; k < 3; ++k) {
        const ToolRun r = run("--batch '" + list + "' --shard " + std::to_string(k) +
                              "/3 --size 32x32 --samples 0 --timings --view dorsal");
        EXPECT_EQ(r.status, 0) << r.err;
        for (int i = 0; i < 7; ++i) {
            const bool drew = r.err.find("f" + std::to_string(i) + ".png: ") != std::string::npos;
            EXPECT_EQ(drew, i % 3 == k) << "figure " << i << ", shard " << k;
            drawn[i] += drew;
        }
    }
    EXPECT_THAT(drawn, testing::Each(1));
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(fs::exists(path("f" + std::to_string(i) + ".png"))) << i;

    // With --skip-existing only a figure older than its surface is drawn again.
    const auto stamp = [&](int i) { return fs::last_write_time(path("f" + std::to_string(i) + ".png")); };
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(surface, old - std::chrono::hours(1));
    for (int i = 0; i < 7; ++i)
        fs::last_write_time(path("f" + std::to_string(i) + ".png"), old);
    fs::last_write_time(path("f5.png"), old - std::chrono::hours(2));
    fs::remove(path("f6.png"));
    const ToolRun again = run("--batch '" + list + "' --skip-existing --size 32x32 --samples 0 --timings --view dorsal");
    EXPECT_EQ(again.status, 0) << again.err;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(stamp(i) == old, i < 5) << "figure " << i;
    EXPECT_THAT(again.err, HasSubstr("f0.png: up to date, skipped"));

    for (const std::string bad : {"3/3", "1", "-1/3", "1/0", "a/b", "1/3 --shard 2/3"}) {
        const ToolRun r = run("--batch '" + list + "' --shard " + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_THAT(r.err, StartsWith("gyrolux-render: --shard")) << bad;
    }
    const ToolRun single = run(above("--shard 0/2 -o '" + path("one.png") + "'"));
    EXPECT_EQ(single.status, 2);
    EXPECT_THAT(single.err, HasSubstr("it needs --batch"));
}
