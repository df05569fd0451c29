// Batch-list lines split as a POSIX shell splits a command line.
#include "shell_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using gyrorender::split_shell_words;
using Words = std::vector<std::string>;

namespace {

Words split(const std::string& line)
{
    Words words;
    std::string error;
    EXPECT_TRUE(split_shell_words(line, &words, &error)) << line << ": " << error;
    return words;
}

std::string failure(const std::string& line)
{
    Words words;
    std::string error;
    EXPECT_FALSE(split_shell_words(line, &words, &error)) << line;
    return error;
}

}  // namespace

TEST(ShellWords, BlanksSeparateAndRunsOfThemCountOnce)
{
    EXPECT_EQ(split("  a.obj\t--view  lateral -o out.png \r\n"),
              (Words{"a.obj", "--view", "lateral", "-o", "out.png"}));
    EXPECT_EQ(split(""), Words{});
    EXPECT_EQ(split(" \t "), Words{});
}

TEST(ShellWords, QuotesKeepBlanksAndJoinWithWhatTouchesThem)
{
    EXPECT_EQ(split("'my brain.obj' -o \"out dir/a.png\""),
              (Words{"my brain.obj", "-o", "out dir/a.png"}));
    EXPECT_EQ(split("pre'fix 'mid\"dle\"end"), (Words{"prefix middleend"}));
    // Empty quotes are a word of their own.
    EXPECT_EQ(split("a '' \"\" b"), (Words{"a", "", "", "b"}));
}

TEST(ShellWords, BackslashesFollowTheShellsRules)
{
    // Unquoted: the next character, whatever it is.
    EXPECT_EQ(split(R"(my\ brain.obj a\\b \'x\")"), (Words{"my brain.obj", R"(a\b)", "'x\""}));
    // In single quotes nothing is special.
    EXPECT_EQ(split(R"('a\b\')"), (Words{R"(a\b\)"}));
    // In double quotes only before $ ` " and backslash.
    EXPECT_EQ(split(R"("a\"b\\c\$d\e")"), (Words{R"(a"b\c$d\e)"}));
}

TEST(ShellWords, NothingIsExpanded)
{
    EXPECT_EQ(split("$HOME/*.obj ~ `date`"), (Words{"$HOME/*.obj", "~", "`date`"}));
}

TEST(ShellWords, HashStartsACommentOnlyAtTheStartOfAWord)
{
    EXPECT_EQ(split("a.obj # the rest -o x"), (Words{"a.obj"}));
    EXPECT_EQ(split("a#b '#c' \\#d"), (Words{"a#b", "#c", "#d"}));
    EXPECT_EQ(split("# all comment"), Words{});
}

TEST(ShellWords, UnfinishedQuotesAndEscapesAreRefused)
{
    EXPECT_EQ(failure("a 'b c"), "unterminated single quote");
    EXPECT_EQ(failure("a \"b c"), "unterminated double quote");
    EXPECT_EQ(failure("a \"b\\\""), "unterminated double quote");
    EXPECT_EQ(failure("a b\\"), "backslash at the end of the line");
}
