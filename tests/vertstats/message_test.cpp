// Messages: standard error byte for byte without a sink, one sink call per
// line with one; the messages that end the process still end it.
#include "zelVertstatsFile.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Installs a sink for one test and puts the previous one back.
class SinkScope {
public:
    explicit SinkScope(zelVertstatsFile::MessageSink sink)
        : previous(zelVertstatsFile::setMessageSink(std::move(sink))) {}
    ~SinkScope() { zelVertstatsFile::setMessageSink(std::move(previous)); }
    SinkScope(const SinkScope&) = delete;
    SinkScope& operator=(const SinkScope&) = delete;

private:
    zelVertstatsFile::MessageSink previous;
};

class MessageTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::string notNumber, wideOld, wideNew;

    void SetUp() override {
        notNumber = tmp.write("nan.vertstats", "<header>\n</header>\nA B\n1 2\n3 x\xff\n");
        std::string wide;
        for (int i = 0; i <= zelVertstatsFile::maxColumns; ++i)
            wide += "1 ";
        wideOld = tmp.write("wide.txt", wide);
        wideNew = tmp.write("wide.vertstats", "<header>\n</header>\n" + wide + "\n");
    }

    // Loads each troublesome file once.
    void loadAll() {
        zelVertstatsFile(notNumber, true);
        zelVertstatsFile(wideOld, true);
        zelVertstatsFile(wideNew, false);
    }

    std::vector<std::string> expectedLines() const {
        std::string over = std::to_string(zelVertstatsFile::maxColumns + 2);
        std::string limit = std::to_string(zelVertstatsFile::maxColumns);
        return {notNumber + ": line 5: \"x\\xff\" is not a number; reading stops there",
                wideOld + ": the first line gives " + over + " columns, more than the " + limit +
                    " accepted; no columns read",
                wideNew + ": the column-name line gives " + over + " columns, more than the " + limit +
                    " accepted; no columns read"};
    }
};

TEST_F(MessageTest, WithoutASinkStandardErrorGetsEachLineAndItsLineFeed) {
    testing::internal::CaptureStderr();
    loadAll();
    std::string err = testing::internal::GetCapturedStderr();
    std::string expected;
    for (const std::string& line : expectedLines())
        expected += line + "\n";
    EXPECT_EQ(err, expected);
}

TEST_F(MessageTest, SinkGetsOneCallPerLineAndStandardErrorNothing) {
    std::vector<std::string> got;
    SinkScope scope([&](const std::string& line) { got.push_back(line); });
    testing::internal::CaptureStderr();
    loadAll();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(got, expectedLines());
}

TEST_F(MessageTest, SetReturnsTheSinkItReplaces) {
    std::vector<std::string> first, second;
    SinkScope scope([&](const std::string& line) { first.push_back(line); });
    zelVertstatsFile::MessageSink old = zelVertstatsFile::setMessageSink(
        [&](const std::string& line) { second.push_back(line); });
    ASSERT_TRUE(old);
    old("handed back");
    EXPECT_EQ(first, std::vector<std::string>{"handed back"});
    zelVertstatsFile(notNumber, true);
    EXPECT_EQ(second.size(), 1u);
    EXPECT_EQ(first.size(), 1u);

    // An empty sink is standard error again.
    zelVertstatsFile::setMessageSink(nullptr);
    testing::internal::CaptureStderr();
    zelVertstatsFile(notNumber, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expectedLines()[0] + "\n");
    EXPECT_EQ(second.size(), 1u);
}

// Fixed paths: the "threadsafe" style runs the statement in a new process.
TEST(MessageDeathTest, UnreadableFileAndWrongColumnExitWithOneWithOrWithoutSink) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string missing = "/nonexistent-vertstats-dir/missing.vertstats";
    const std::string directory = "/";
    EXPECT_EXIT(zelVertstatsFile(missing, true), testing::ExitedWithCode(1),
                testing::Eq("ERROR: could not read file " + missing + "\n"));
    EXPECT_EXIT(zelVertstatsFile(directory, true), testing::ExitedWithCode(1),
                testing::Eq("ERROR: could not read file " + directory + "\n"));
    auto wrongColumn = [] {
        zelVertstatsFile f;
        f.putDataColumn({1, 2}, "a");
        f.putDataColumn({1}, "b");
    };
    EXPECT_EXIT(wrongColumn(), testing::ExitedWithCode(1),
                testing::Eq("ERROR: all columns of data must be of the same size.\n"));

    // The sink sees the line first; the process still ends with status 1.
    SinkScope scope([](const std::string& line) { std::fprintf(stderr, "sink[%s]\n", line.c_str()); });
    EXPECT_EXIT(zelVertstatsFile(missing, true), testing::ExitedWithCode(1),
                testing::Eq("sink[ERROR: could not read file " + missing + "]\n"));
    EXPECT_EXIT(wrongColumn(), testing::ExitedWithCode(1),
                testing::Eq("sink[ERROR: all columns of data must be of the same size.]\n"));
}

} // namespace
