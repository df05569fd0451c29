#include "zelVertstatsFile.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using Column = std::vector<float>;
using Entry = zelVertstatsHeaderEntry;

class WriteTest : public ::testing::Test {
protected:
    TempDir tmp;
};

std::vector<std::string> structure(const zelVertstatsFile::HeaderTree& tree) {
    std::vector<std::string> out;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        out.push_back(std::string(2 * zelVertstatsFile::HeaderTree::depth(it), ' ') + it->name + "=" + it->value);
    return out;
}

std::string printed(const zelVertstatsFile& f) {
    testing::internal::CaptureStdout();
    f.printHeaderStructure();
    return testing::internal::GetCapturedStdout();
}

TEST_F(WriteTest, NewStyleRoundTrip) {
    zelVertstatsFile f;
    f.putHeader(Entry{"history", "made by a test\n"}, "header");
    f.putHeader(Entry{"detail", "nested\n"}, "source");
    f.putHeader(Entry{"more", ""}, "history");
    f.putDataColumn({0.5f, 2.0f, 1e6f, 0.1f, -3.25f}, "A");
    f.putDataColumn({1, 2, 3, 4, 5}, "p.value");
    f.putDataColumn({1234567.0f, 1.0e-5f, 123456.7f, NAN, -INFINITY}, "C");
    std::string path = tmp.path("out.vertstats");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(f.writeFile(path, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "wrote header entry\nnumColumns: 3\n");

    EXPECT_EQ(TempDir::read(path),
              "<header>\n<history>\nmade by a test\n<more>\n\n</more>\n</history>\n<source>\n<detail>\nnested\n"
              "</detail>\n</source>\n</header>\n"
              "A p.value C\n0.5 1 1.23457e+06\n2 2 1e-05\n1e+06 3 123457\n0.1 4 nan\n-3.25 5 -inf\n");

    zelVertstatsFile back(path, true);
    EXPECT_EQ(back.getDataHeader(), f.getDataHeader());
    EXPECT_EQ(structure(back.getHeaderTree()), structure(f.getHeaderTree()));
    EXPECT_EQ(back.getNumRows(), 5);
    EXPECT_EQ(back.getDataColumn("A"), f.getDataColumn("A"));
    Column c = back.getDataColumn("C");
    EXPECT_FLOAT_EQ(c[0], 1234570.0f); // 6 significant digits
    EXPECT_FLOAT_EQ(c[2], 123457.0f);
    EXPECT_TRUE(std::isnan(c[3]));     // a written NaN reads back, and so do the rows after it
    EXPECT_EQ(c[4], -INFINITY);
}

TEST_F(WriteTest, StreamGetsTheFilesBytesInBothStyles) {
    zelVertstatsFile f;
    f.putHeader(Entry{"history", "h\n"}, "header");
    f.putDataColumn({0.5f, -2.0f}, "A");
    f.putDataColumn({1e-7f, 3.0f}, "B");
    for (bool oldStyle : {false, true}) {
        std::string path = tmp.path(oldStyle ? "old.txt" : "new.vertstats");
        testing::internal::CaptureStdout();
        ASSERT_TRUE(f.writeFile(path, oldStyle));
        const std::string fileLines = testing::internal::GetCapturedStdout();
        std::ostringstream out;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(f.write(out, oldStyle));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), fileLines);
        EXPECT_EQ(out.str(), TempDir::read(path));
    }
    std::ostringstream failed;
    failed.setstate(std::ios::badbit);
    EXPECT_FALSE(f.write(failed, true));
}

TEST_F(WriteTest, OldStyleRoundTripAndEmptyFile) {
    zelVertstatsFile f;
    f.putHeader(Entry{"history", "x\n"}, "header");
    f.putDataColumn({1, 2}, "a");
    f.putDataColumn({3, 4}, "b");
    std::string path = tmp.path("old.txt");
    ASSERT_TRUE(f.writeFile(path, true));
    EXPECT_EQ(TempDir::read(path), "1 3\n2 4\n");
    zelVertstatsFile back(path, true);
    EXPECT_EQ(back.getDataHeader(), (Names{"Column0", "Column1"}));
    EXPECT_EQ(back.getDataColumn(1), (Column{3, 4}));

    zelVertstatsFile empty;
    ASSERT_TRUE(empty.writeFile(path, true));
    EXPECT_EQ(TempDir::read(path), "");
}

TEST_F(WriteTest, OneColumnAndEmptyObjectsInNewStyle) {
    zelVertstatsFile f;
    f.putDataColumn({1, 2}, "only");
    std::string path = tmp.path("one");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(f.writeFile(path, false));
    zelVertstatsFile empty;
    std::string emptyPath = tmp.path("empty");
    ASSERT_TRUE(empty.writeFile(emptyPath, false));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(TempDir::read(path), "<header>\n</header>\nonly\n1\n2\n");
    EXPECT_EQ(TempDir::read(emptyPath), "<header>\n</header>\n\n");
    zelVertstatsFile back(emptyPath, true);
    EXPECT_EQ(back.getDataHeader(), (Names{""}));
}

TEST_F(WriteTest, UnwritableFileReturnsFalse) {
    zelVertstatsFile f;
    f.putDataColumn({1}, "a");
    EXPECT_FALSE(f.writeFile(tmp.path("no/such/dir/x"), false));
    EXPECT_FALSE(f.writeFile("/", true));
    // A full device: the failure shows when the data reach it.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(f.writeFile("/dev/full", true));
    }
}

TEST_F(WriteTest, PutHeaderAddsLineFeedAndCreatesParents) {
    zelVertstatsFile f;
    testing::internal::CaptureStdout();
    f.putHeader(Entry{"a", ""}, "header");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no newline\n");
    testing::internal::CaptureStdout();
    f.putHeader(Entry{"b", "text\n"}, "group");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    f.putHeader(Entry{"c", "x"}, "a");
    EXPECT_EQ(structure(f.getHeaderTree()),
              (Names{"header=", "  a=\n", "    c=x\n", "  group=", "    b=text\n"}));

    // Neither the parent nor a header node: both are made, header in front.
    zelVertstatsFile g;
    zelVertstatsFile::HeaderTree other;
    other.insert(other.begin(), Entry{"other", ""});
    g.putHeader(other);
    g.putHeader(Entry{"e", "v\n"}, "group");
    EXPECT_EQ(structure(g.getHeaderTree()), (Names{"header=", "  group=", "    e=v\n", "other="}));
}

TEST_F(WriteTest, PutHeaderTreeReplacesWithACopy) {
    zelVertstatsFile f;
    f.putHeader(Entry{"old", "1\n"}, "header");
    zelVertstatsFile::HeaderTree tree;
    auto h = tree.insert(tree.begin(), Entry{"header", ""});
    tree.append_child(h, Entry{"fresh", "2\n"});
    f.putHeader(tree);
    tree.replace(h, Entry{"changed", ""});
    EXPECT_EQ(structure(f.getHeaderTree()), (Names{"header=", "  fresh=2\n"}));
    EXPECT_EQ(f.getHeaderValue("old"), "");
}

TEST_F(WriteTest, AddToHeaderAndHistory) {
    zelVertstatsFile f;
    f.addToHistory("first");
    EXPECT_EQ(structure(f.getHeaderTree()), (Names{"header=", "  history=first"}));
    f.addToHistory("second");
    EXPECT_EQ(f.getHeaderValue("history"), "first\nsecond");
    f.addToHeader("note", "n");
    EXPECT_EQ(structure(f.getHeaderTree()), (Names{"header=", "  history=first\nsecond", "  note=n"}));

    const char* argv[] = {"vsconv", "--old-style", "in.vertstats", "out.txt"};
    f.addToHistory(4, argv);
    std::string history = f.getHeaderValue("history");
    EXPECT_EQ(history.rfind("first\nsecond\n", 0), 0u) << history;
    EXPECT_NE(history.find(">>> vsconv --old-style in.vertstats out.txt\n"), std::string::npos) << history;
    EXPECT_EQ(history.back(), '\n');
}

TEST_F(WriteTest, AddToHeaderThroughAPath) {
    std::string path = tmp.write("in", "<header>\n<a>\n<b>\nold\n</b>\n</a>\n</header>\nA\n");
    zelVertstatsFile f(path, true);
    f.addToHeader("a:b", "new");
    // The node keeps its tag name, so the same path still finds it.
    EXPECT_EQ(structure(f.getHeaderTree()), (Names{"header=", "  a=", "    b=old\n\nnew"}));
    f.addToHeader("a:c:d", "deep");
    EXPECT_EQ(f.getHeaderValue("a:c:d"), "deep");
    f.addToHeader("a::x", "odd"); // not a usable path: kept under that name
    EXPECT_EQ(structure(f.getHeaderTree()).back(), "  a::x=odd");
}

TEST_F(WriteTest, PutDataColumnSetsRowsOnceAndPadsEarlierEmptyColumns) {
    zelVertstatsFile f;
    f.putDataColumn({}, "empty");
    EXPECT_EQ(f.getNumRows(), 0);
    f.putDataColumn({1, 2, 3}, "three");
    EXPECT_EQ(f.getNumRows(), 3);
    EXPECT_EQ(f.getNumColumns(), 2);
    Column first = f.getDataColumn("empty");
    ASSERT_EQ(first.size(), 3u);
    EXPECT_TRUE(std::isnan(first[0]));
    std::string path = tmp.path("padded");
    ASSERT_TRUE(f.writeFile(path, true));
    EXPECT_EQ(TempDir::read(path), "nan 1\nnan 2\nnan 3\n");
}

TEST_F(WriteTest, PrintHeaderStructure) {
    std::string path = tmp.write("in", "<header>\n<history>\n</history>\n<source>\n<x>\n</x>\n</source>\n</header>\nA\n");
    zelVertstatsFile f(path, true);
    EXPECT_EQ(printed(f), "header\n  history\n  source\n    x\n");
    EXPECT_EQ(printed(zelVertstatsFile()), "");
}

TEST_F(WriteTest, WritingLeavesTheObjectUnchanged) {
    zelVertstatsFile f;
    f.putHeader(Entry{"history", "h\n"}, "header");
    f.putDataColumn({1, 2}, "a");
    auto before = structure(f.getHeaderTree());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(f.writeFile(tmp.path("x"), false));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(structure(f.getHeaderTree()), before);
    EXPECT_EQ(f.getDataColumn("a"), (Column{1, 2}));
}

TEST(WriteDeathTest, PutDataColumnOfWrongLengthExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    zelVertstatsFile f;
    f.putDataColumn({1, 2}, "a");
    EXPECT_EXIT(f.putDataColumn({1, 2, 3}, "b"), testing::ExitedWithCode(1),
                "^ERROR: all columns of data must be of the same size.\n$");
    EXPECT_EXIT(f.putDataColumn({}, "c"), testing::ExitedWithCode(1), "same size");
}

} // namespace
