// A batch run's share of its list and its test of images already drawn.
#include "batch_selection.h"
#include "scratch_dir_test.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace gyrorender;
using testing::ElementsAre;
using testing::HasSubstr;
using Args = std::vector<std::string>;

TEST(BatchSelection, ShardIsKOverNWithKBelowN)
{
    const auto shard = parse_shard("3/7");
    ASSERT_TRUE(shard);
    EXPECT_EQ(shard->index, 3);
    EXPECT_EQ(shard->count, 7);
    EXPECT_TRUE(parse_shard("0/1"));
    EXPECT_TRUE(parse_shard("999999/1000000"));
    for (const char* bad : {"", "/", "1", "1/", "/2", "2/2", "5/3", "0/0", "-1/3", "1/-3",
                            "+1/3", " 1/3", "1/3 ", "1 /3", "1/3/4", "a/3", "1/3x", "0x1/3",
                            "0/1000001", "0/99999999999999999999"})
        EXPECT_FALSE(parse_shard(bad)) << bad;
}

TEST(BatchSelection, OptionsAreTakenOutAndTheRestKeepsItsOrder)
{
    Args arguments = {"--batch", "list", "--skip-existing", "--size", "9x9", "--shard", "1/4",
                      "--view", "dorsal"};
    BatchSelection selection;
    EXPECT_FALSE(take_batch_selection(&arguments, &selection));
    EXPECT_THAT(arguments, ElementsAre("--batch", "list", "--size", "9x9", "--view", "dorsal"));
    EXPECT_TRUE(selection.skipExisting);
    ASSERT_TRUE(selection.shard);
    EXPECT_EQ(selection.shard->index, 1);
    EXPECT_EQ(selection.shard->count, 4);
    EXPECT_FALSE(check_batch_selection(selection, true));
    EXPECT_THAT(check_batch_selection(selection, false)->message.toStdString(),
                HasSubstr("needs --batch"));

    // Each refusal is one line naming what is wrong.
    for (const Args& bad : {Args{"--shard"}, Args{"--shard", "4/4"}, Args{"--shard", "0/2", "--shard", "1/2"}}) {
        Args copy = bad;
        BatchSelection refused;
        const auto problem = take_batch_selection(&copy, &refused);
        ASSERT_TRUE(problem);
        const std::string text = problem->message.toStdString();
        EXPECT_THAT(text, HasSubstr("--shard"));
        EXPECT_EQ(text.find('\n'), std::string::npos);
    }
    // Skipping is no sharding: it works for a single figure too.
    BatchSelection skipOnly{std::nullopt, true};
    EXPECT_FALSE(check_batch_selection(skipOnly, false));
}

TEST(BatchSelection, ShardsOfAListCoverEachFigureLineOnce)
{
    const std::vector<std::string> lines = {"# header", "a -o a.png", "", "  \t", "b -o b.png",
                                            "   # indented", "c -o c.png", "d -o d.png\r\n",
                                            "e -o e.png"};
    std::vector<std::string> figures;
    for (const std::string& line : lines)
        if (is_figure_line(line))
            figures.push_back(line);
    ASSERT_EQ(figures.size(), 5u);
    for (int count : {1, 2, 3, 5, 7}) {
        std::vector<int> drawn(figures.size(), 0);
        for (int index = 0; index < count; ++index)
            for (std::size_t i = 0; i < figures.size(); ++i)
                if (in_shard(int(i), Shard{index, count}))
                    ++drawn[i];
        EXPECT_THAT(drawn, testing::Each(1)) << count << " shards";
    }
    EXPECT_TRUE(in_shard(4, std::nullopt));
    EXPECT_TRUE(in_shard(4, Shard{1, 3}));
    EXPECT_FALSE(in_shard(4, Shard{0, 3}));
}

class UpToDateTest : public ScratchDirTest {
protected:
    // Sets a file's time `seconds` from a fixed point, so that the order of
    // times does not depend on the file system's clock resolution.
    void age(const std::string& file, int seconds) const
    {
        fs::last_write_time(file, base + std::chrono::seconds(seconds));
    }
    const fs::file_time_type base = fs::file_time_type::clock::now() - std::chrono::hours(1);
};

TEST_F(UpToDateTest, AnImageIsUpToDateOnlyWhenNewerThanEveryInput)
{
    FigureOptions figure;
    figure.surfaces = {QString::fromStdString(write("lh.obj", "s")),
                       QString::fromStdString(write("rh.obj", "s"))};
    figure.statistics = {QString::fromStdString(write("lh.vertstats", "v"))};
    figure.tags = {QString::fromStdString(write("points.tag", "t"))};
    fs::create_directory(path("bars"));
    write("bars/one.png", "p");
    write("bars/notes.txt", "n");
    figure.colourBarDir = QString::fromStdString(path("bars"));
    const QStringList inputs = figure_inputs(figure);
    EXPECT_EQ(inputs.size(), 5);
    EXPECT_TRUE(inputs.contains(QString::fromStdString(path("bars/one.png"))));

    const QString output = QString::fromStdString(path("out.png"));
    EXPECT_FALSE(output_up_to_date(output, inputs)) << "no image yet";
    write("out.png", "i");
    for (const char* input : {"lh.obj", "rh.obj", "lh.vertstats", "points.tag", "bars/one.png",
                              "bars/notes.txt"})
        age(path(input), 0);
    age(path("out.png"), 10);
    EXPECT_TRUE(output_up_to_date(output, inputs));

    // Any input as new as the image, or newer, makes it out of date; a file
    // that is not a bar does not count.
    for (const char* input : {"rh.obj", "lh.vertstats", "points.tag", "bars/one.png"}) {
        age(path(input), 10);
        EXPECT_FALSE(output_up_to_date(output, inputs)) << input;
        age(path(input), 0);
    }
    age(path("bars/notes.txt"), 20);
    EXPECT_TRUE(output_up_to_date(output, inputs));

    // A missing input is drawn, so that its message is given.
    fs::remove(path("lh.vertstats"));
    EXPECT_FALSE(output_up_to_date(output, inputs));
}
