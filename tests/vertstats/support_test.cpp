#include "time_stamp.h"
#include "zelRegex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(Regex, SearchCapturesAndIgnoresCase) {
    zelRegex open("<([a-z]+)>", "i");
    std::vector<std::string> groups;
    ASSERT_TRUE(open.search("x <History> <b>", groups));
    EXPECT_EQ(groups, (Strings{"<History>", "History"}));
    EXPECT_FALSE(open.search("<a1>"));
    EXPECT_FALSE(zelRegex("<([a-z]+)>").search("<A>"));
    EXPECT_THROW(zelRegex("a("), zelRegex::CompileError);
}

TEST(Regex, ReplaceIsLiteralAndGlobalOnlyWithG) {
    EXPECT_EQ(zelRegex("\\.", "g").replace("a.b.c", "\\."), "a\\.b\\.c");
    EXPECT_EQ(zelRegex("\\.").replace("a.b.c", "$0"), "a$0b.c");
    EXPECT_EQ(zelRegex("x", "g").replace(std::string(1000, 'x'), "yy"), std::string(2000, 'y'));
    EXPECT_EQ(zelRegex("q", "g").replace("abc", "z"), "abc");
}

TEST(Regex, SplitKeepsEmptyPieces) {
    zelRegex colon(":", "g");
    EXPECT_EQ(colon.split("a:b:c"), (Strings{"a", "b", "c"}));
    EXPECT_EQ(colon.split(":a::"), (Strings{"", "a", "", ""}));
    EXPECT_EQ(colon.split("abc"), (Strings{"abc"}));
    EXPECT_EQ(zelRegex("x*").split("ab"), (Strings{"ab"}));
}

TEST(TimeStamp, HoldsTimeAndCommandLineEndingWithLineFeed) {
    const char* argv[] = {"prog", "a b", "c", nullptr};
    char* stamp = time_stamp(3, argv);
    ASSERT_NE(stamp, nullptr);
    std::string text = stamp;
    std::free(stamp);
    // "YYYY-MM-DD hh:mm:ss>>> prog a b c\n"
    ASSERT_GE(text.size(), 20u);
    EXPECT_EQ(text.substr(19), ">>> prog a b c\n");
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[13], ':');

    char* more = time_stamp(10, argv); // a null entry ends the list
    EXPECT_EQ(std::string(more).substr(19), ">>> prog a b c\n");
    std::free(more);
    char* none = time_stamp(0, nullptr);
    EXPECT_EQ(std::string(none).substr(19), ">>>\n");
    std::free(none);
}

} // namespace
