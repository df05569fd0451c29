// Hostile files: none may crash, hang or make memory grow beyond the file.
#include "zelVertstatsFile.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

class BadInputTest : public ::testing::Test {
protected:
    TempDir tmp;
};

// Distinct letter-only tag names: a, b, ..., z, ba, bb, ...
std::string letterName(std::size_t i) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('a' + i % 26));
        i /= 26;
    } while (i > 0);
    return s;
}

TEST_F(BadInputTest, BinaryFileIsReadAsFarAsItGoes) {
    std::mt19937 rng(4);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng());
    for (const std::string& prefix : {std::string(), std::string("<header>\n")}) {
        std::string path = tmp.write("binary", prefix + bytes);
        testing::internal::CaptureStderr();
        zelVertstatsFile f(path, true);
        testing::internal::GetCapturedStderr();
        for (int k = 0; k < f.getNumColumns(); ++k)
            EXPECT_EQ(f.getDataColumn(k).size(), static_cast<std::size_t>(f.getNumRows()));
        EXPECT_LE(f.getNumColumns(), zelVertstatsFile::maxColumns);
        testing::internal::CaptureStdout();
        f.printHeaderStructure();
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(BadInputTest, OneLineOf50MegabytesOfNumbers) {
    // 25 million space-separated values: far more columns than a table can have.
    std::string line;
    line.reserve(50'000'000);
    while (line.size() < 50'000'000)
        line += "1 ";
    std::string path = tmp.write("wide", line);
    testing::internal::CaptureStderr();
    zelVertstatsFile f(path, true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.getNumColumns(), 0);
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find("columns"), std::string::npos) << err;

    // The same as a column-name line.
    std::string named = tmp.write("named", "<header>\n</header>\n" + line + "\n");
    testing::internal::CaptureStderr();
    zelVertstatsFile g(named, true);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(g.getNumColumns(), 0);
    EXPECT_EQ(g.getHeaderTree().size(), 1u);
}

TEST_F(BadInputTest, OneLineOf50MegabytesWithoutSpaces) {
    std::string digits(50'000'000, '7');
    std::string path = tmp.write("long", digits + "\n1\n");
    zelVertstatsFile f(path, true);
    ASSERT_EQ(f.getNumColumns(), 1);
    ASSERT_EQ(f.getNumRows(), 2);
    EXPECT_EQ(f.getDataColumn(0)[0], INFINITY);
    std::string text = tmp.write("text", std::string(50'000'000, 'q'));
    testing::internal::CaptureStderr();
    zelVertstatsFile g(text, true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g.getNumRows(), 0);
    EXPECT_LT(err.size(), 200u) << "the message shows only the start of the token";
}

TEST_F(BadInputTest, HeaderNested100000LevelsDeep) {
    constexpr std::size_t depth = 100000;
    std::string text = "<header>\n";
    for (std::size_t i = 0; i < depth; ++i)
        text += "<" + letterName(i) + ">\nline\n";
    for (std::size_t i = depth; i-- > 0;)
        text += "</" + letterName(i) + ">\n";
    text += "</header>\nA\n1\n2\n";
    std::string path = tmp.write("deep", text);

    zelVertstatsFile f(path, true);
    EXPECT_EQ(f.getDataColumn("A"), (std::vector<float>{1, 2}));
    auto tree = f.getHeaderTree();
    EXPECT_EQ(tree.size(), depth + 1);
    std::size_t deepest = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        deepest = std::max(deepest, decltype(tree)::depth(it));
    EXPECT_EQ(deepest, depth);
    EXPECT_EQ(f.getHeaderValue(letterName(depth - 1)), "line\n");

    testing::internal::CaptureStdout();
    f.printHeaderStructure();
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), static_cast<long>(depth + 1));
    EXPECT_LT(printed.size(), 40'000'000u);

    zelVertstatsFile copy = f;
    std::string out = tmp.path("deep-out");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(copy.writeFile(out, false));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(TempDir::read(out), text);
    zelVertstatsFile back(out, true);
    EXPECT_EQ(back.getHeaderTree().size(), depth + 1);
    copy.close();
}

TEST_F(BadInputTest, HeaderThatNeverCloses) {
    zelVertstatsFile f(tmp.write("open", "<header>\n<history>\nrun\n</history>\n<source>\nx\n1 2\n3 4\n"), true);
    EXPECT_EQ(f.getNumColumns(), 0);
    EXPECT_EQ(f.getNumRows(), 0);
    EXPECT_EQ(f.getHeaderValue("history"), "run\n");
    EXPECT_EQ(f.getHeaderValue("source"), "");
    zelVertstatsFile g(tmp.write("bare", "<header>"), true);
    EXPECT_EQ(g.getHeaderTree().size(), 1u);
}

TEST_F(BadInputTest, ClosingTagsWithoutMatchingElement) {
    zelVertstatsFile f(tmp.write("stray",
                                 "<header>\n</nothing>\n<a>\ntext\n</a>\n</a>\n</zz>\n<b>\n</b>\n</header>\nA\n5\n"),
                       true);
    auto tree = f.getHeaderTree();
    ASSERT_FALSE(tree.empty());
    // The header node keeps its name and empty value; the stray tags change nothing.
    EXPECT_EQ(tree.begin()->name, "header");
    EXPECT_EQ(tree.begin()->value, "");
    EXPECT_EQ(f.getHeaderValue("a"), "text\n");
    EXPECT_EQ(f.getHeaderValue("b"), "");
    EXPECT_EQ(tree.size(), 3u);
    EXPECT_EQ(f.getDataColumn("A"), (std::vector<float>{5}));
}

TEST_F(BadInputTest, ManyClosingTagsOfUnknownNames) {
    std::string text = "<header>\n";
    for (int i = 0; i < 50000; ++i)
        text += "<" + letterName(static_cast<std::size_t>(i)) + ">\n";
    for (int i = 0; i < 50000; ++i)
        text += "</unknown>\n";
    text += "</header>\nA\n";
    zelVertstatsFile f(tmp.write("many", text), true);
    EXPECT_EQ(f.getHeaderTree().size(), 50001u);
}

TEST_F(BadInputTest, MisnestedTagsFollowTheFirstNodeOfTheName) {
    // </a> while b is open goes to the parent of the first "a": the header.
    zelVertstatsFile f(tmp.write("mis", "<header>\n<a>\n<b>\n</a>\n<c>\n</c>\n<a>\n<d>\n</d>\n</a>\n</header>\nA\n"),
                       true);
    std::vector<std::string> seen;
    auto tree = f.getHeaderTree();
    for (auto it = tree.begin(); it != tree.end(); ++it)
        seen.push_back(std::to_string(decltype(tree)::depth(it)) + it->name);
    EXPECT_EQ(seen, (std::vector<std::string>{"0header", "1a", "2b", "1c", "1a", "2d"}));
}

// A node added inside an earlier element comes before a node of the same name
// made earlier further on: closing tags must then resolve to the new one.
TEST_F(BadInputTest, ClosingTagResolvesToTheFirstNodeInPreorderNotTheFirstMade) {
    zelVertstatsFile f(tmp.write("order", "<header>\n<a>\n<x>\n</x>\n</a>\n<c>\n<y>\nlate\n</y>\n</c>\n"
                                          "</x>\n<y>\nearly\n</y>\n<q>\n</y>\n<w>\n</header>\nA\n"),
                       true);
    std::vector<std::string> seen;
    auto tree = f.getHeaderTree();
    for (auto it = tree.begin(); it != tree.end(); ++it)
        seen.push_back(std::to_string(decltype(tree)::depth(it)) + it->name);
    // "<w>" while q is the last opened name stores q's entry into a: misnesting renames.
    EXPECT_EQ(seen, (std::vector<std::string>{"0header", "1q", "2x", "2y", "2q", "2w", "1c", "2y"}));
    EXPECT_EQ(f.getHeaderValue("y"), "early\n");
}

} // namespace
