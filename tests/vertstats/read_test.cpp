#include "zelVertstatsFile.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using Column = std::vector<float>;

const std::string workedExample =
    "<header>\n<history>\nfirst run\n</history>\n<source>\nsurface one\n</source>\n</header>\n"
    "A B\n0.5 1\n2 3.25\n";

class ReadTest : public ::testing::Test {
protected:
    TempDir tmp;
    zelVertstatsFile load(const std::string& content, bool loadData = true) {
        zelVertstatsFile f;
        f.loadFile(tmp.write("f.vertstats", content).c_str(), loadData);
        return f;
    }
};

std::vector<std::string> structure(const zelVertstatsFile& f) {
    std::vector<std::string> out;
    auto tree = f.getHeaderTree();
    for (auto it = tree.begin(); it != tree.end(); ++it)
        out.push_back(std::string(2 * decltype(tree)::depth(it), ' ') + it->name + "=" + it->value);
    return out;
}

TEST_F(ReadTest, WorkedExampleNewStyle) {
    zelVertstatsFile f = load(workedExample);
    EXPECT_EQ(f.getNumColumns(), 2);
    EXPECT_EQ(f.getNumRows(), 2);
    EXPECT_EQ(f.getDataHeader(), (Names{"A", "B"}));
    EXPECT_EQ(f.getDataColumn("A"), (Column{0.5f, 2.0f}));
    EXPECT_EQ(f.getDataColumn("B"), (Column{1.0f, 3.25f}));
    EXPECT_EQ(f.getDataColumn(1), (Column{1.0f, 3.25f}));
    EXPECT_EQ(structure(f), (Names{"header=", "  history=first run\n", "  source=surface one\n"}));
    EXPECT_EQ(f.getHeaderValue("history"), "first run\n");
    EXPECT_EQ(f.getHeaderValue("header"), "");
    EXPECT_EQ(f.getHeaderValue("source"), "surface one\n");
    EXPECT_THROW(f.getHeaderIterator("history:x"), zelVertstatsFile::HeaderNotFoundError);
    EXPECT_EQ(f.getAllColumns().size(), 2u);

    // Taking the columns leaves the names and header, and no rows.
    EXPECT_EQ(f.takeAllColumns(), (std::vector<Column>{{0.5f, 2.0f}, {1.0f, 3.25f}}));
    EXPECT_EQ(f.getNumRows(), 0);
    EXPECT_EQ(f.getDataHeader(), (Names{"A", "B"}));
    EXPECT_EQ(f.getDataColumn(0), Column{});
    EXPECT_EQ(f.getHeaderValue("source"), "surface one\n");
}

TEST_F(ReadTest, SameRowsAsOldStyle) {
    zelVertstatsFile f = load("0.5 1\n2 3.25\n");
    EXPECT_EQ(f.getDataHeader(), (Names{"Column0", "Column1"}));
    EXPECT_EQ(f.getDataColumn("Column0"), (Column{0.5f, 2.0f}));
    EXPECT_EQ(f.getDataColumn("Column1"), (Column{1.0f, 3.25f}));
    EXPECT_TRUE(f.getHeaderTree().empty());
}

TEST_F(ReadTest, FinalLineEndMakesNoDifference) {
    for (const std::string& body : {std::string("1 2\n3 4"), std::string("1 2\n3 4\n")}) {
        zelVertstatsFile oldStyle = load(body);
        EXPECT_EQ(oldStyle.getNumRows(), 2) << body;
        EXPECT_EQ(oldStyle.getDataColumn(1), (Column{2, 4})) << body;
        zelVertstatsFile newStyle = load("<header>\n</header>\nx y\n" + body);
        EXPECT_EQ(newStyle.getNumRows(), 2) << body;
        EXPECT_EQ(newStyle.getDataColumn("y"), (Column{2, 4})) << body;
    }
}

TEST_F(ReadTest, DetermineFileType) {
    zelVertstatsFile f;
    EXPECT_EQ(f.determineFileType(tmp.write("a", "junk <header> junk\n").c_str()), 1);
    EXPECT_EQ(f.determineFileType(tmp.write("b", "<HEADER>\n").c_str()), 0);
    EXPECT_EQ(f.determineFileType(tmp.write("c", "").c_str()), 0);
    EXPECT_EQ(f.determineFileType(tmp.write("d", "1 2\n<header>\n").c_str()), 0);
    // The tag straddling the scanner's internal pieces is still seen.
    EXPECT_EQ(f.determineFileType(tmp.write("e", std::string(65533, 'x') + "<header>").c_str()), 1);
}

TEST_F(ReadTest, OldStyleColumnCountComesFromSpacesOfFirstLine) {
    struct Case {
        std::string content;
        int columns;
        int rows;
    };
    const Case cases[] = {
        {"1 2 3\n4 5 6\n", 3, 2},
        {" 1 2 3\n4 5 6\n", 3, 2},         // a leading space is not counted
        {"1  2 3\n4 5 6 7 8\n", 4, 2},       // a doubled space adds a column
        {"1 2 3 \n4 5 6 7 8\n", 4, 2},     // so does a trailing space
        {"1\t2\t3\n4\t5\t6\n", 1, 6},      // tabs do not count
        {"1 2\n3 4\n5\n", 2, 2},           // an incomplete last row is dropped
        {"1 2 3 4\n", 4, 1},               // one line is one row
        {"", 1, 0},
    };
    for (const Case& c : cases) {
        zelVertstatsFile f = load(c.content);
        EXPECT_EQ(f.getNumColumns(), c.columns) << c.content;
        EXPECT_EQ(f.getNumRows(), c.rows) << c.content;
        for (int k = 0; k < f.getNumColumns(); ++k)
            EXPECT_EQ(f.getDataColumn(k).size(), static_cast<std::size_t>(c.rows));
    }
    zelVertstatsFile tabs = load("1\t2\t3\n4\t5\t6\n");
    EXPECT_EQ(tabs.getDataColumn("Column0"), (Column{1, 2, 3, 4, 5, 6}));
    zelVertstatsFile spread = load("1 2 3 \n4 5 6 7 8\n");
    EXPECT_EQ(spread.getDataColumn(3), (Column{4, 8}));
}

TEST_F(ReadTest, ValuesMaySpreadOverLinesAndUseAnyNotation) {
    zelVertstatsFile f = load("<header>\n</header>\na b c\n1 -2.5e1\n+.25\n\n 1E-2\t-0 3.\n");
    EXPECT_EQ(f.getNumRows(), 2);
    EXPECT_EQ(f.getDataColumn("a"), (Column{1, 0.01f}));
    EXPECT_EQ(f.getDataColumn("b"), (Column{-25, 0}));
    EXPECT_EQ(f.getDataColumn("c"), (Column{0.25f, 3}));
    EXPECT_TRUE(std::signbit(f.getDataColumn("b")[1]));
}

TEST_F(ReadTest, NanAndInfinitiesAreRead) {
    zelVertstatsFile f = load("<header>\n</header>\na b\nnan inf\n-INF NaN\n1 2\n");
    EXPECT_EQ(f.getNumRows(), 3);
    Column a = f.getDataColumn("a"), b = f.getDataColumn("b");
    EXPECT_TRUE(std::isnan(a[0]));
    EXPECT_EQ(b[0], INFINITY);
    EXPECT_EQ(a[1], -INFINITY);
    EXPECT_TRUE(std::isnan(b[1]));
    EXPECT_EQ(a[2], 1);
}

TEST_F(ReadTest, ValuesBeyondFloatRangeSaturate) {
    zelVertstatsFile f = load("1e39 -1e39 1e-50 1e400 -1e-400 5\n");
    ASSERT_EQ(f.getNumRows(), 1);
    Column row;
    for (auto& col : f.getAllColumns())
        row.push_back(col[0]);
    EXPECT_EQ(row[0], INFINITY);
    EXPECT_EQ(row[1], -INFINITY);
    EXPECT_EQ(row[2], 0.0f);
    EXPECT_EQ(row[3], INFINITY);
    EXPECT_EQ(row[4], 0.0f);
    EXPECT_TRUE(std::signbit(row[4]));
    EXPECT_EQ(row[5], 5);
}

TEST_F(ReadTest, NonNumberStopsReadingKeepsCompleteRowsAndNamesTheLine) {
    std::string path = tmp.write("bad.txt", "1 2\n3 4\n5 x7 6\n8 9\n");
    testing::internal::CaptureStderr();
    zelVertstatsFile f(path, true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.getNumRows(), 2);
    EXPECT_EQ(f.getDataColumn(0), (Column{1, 3}));
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find("line 3"), std::string::npos) << err;
    EXPECT_NE(err.find("\"x7\""), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ReadTest, CarriageReturnsStayInTheLastName) {
    zelVertstatsFile f = load("<header>\r\n<history>\r\nrun\r\n</history>\r\n</header>\r\nA B\r\n1 2\r\n3 4\r\n");
    EXPECT_EQ(f.getDataHeader(), (Names{"A", "B\r"}));
    EXPECT_THROW(f.getDataColumn("B"), zelVertstatsFile::InvalidColumnError);
    EXPECT_EQ(f.getDataColumn(1), (Column{2, 4}));
    EXPECT_EQ(f.getDataColumn("A"), (Column{1, 3}));
    EXPECT_EQ(f.getHeaderValue("history"), "run\r\n");
    zelVertstatsFile old = load("1 2\r\n3 4\r\n");
    EXPECT_EQ(old.getNumColumns(), 2);
    EXPECT_EQ(old.getDataColumn(1), (Column{2, 4}));
}

TEST_F(ReadTest, ColumnLookupByName) {
    zelVertstatsFile f = load("<header>\n</header>\nt t p.value x+y axb  \n1 2 3 4 5 6 7\n");
    EXPECT_EQ(f.getDataHeader(), (Names{"t", "t", "p.value", "x+y", "axb", "", ""}));
    EXPECT_EQ(f.getDataColumn("t"), (Column{2})); // the last of duplicates
    EXPECT_EQ(f.getDataColumn(0), (Column{1}));
    EXPECT_EQ(f.getDataColumn("p.value"), (Column{3}));
    // "." stands for itself, while "+" repeats: "x+y" matches "xy", "xxy", not "x+y".
    EXPECT_THROW(f.getDataColumn("p_value"), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(f.getDataColumn("x+y"), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(f.getDataColumn("a.b"), zelVertstatsFile::InvalidColumnError);
    EXPECT_EQ(f.getDataColumn("axb"), (Column{5}));
}

TEST_F(ReadTest, InvalidColumnsThrow) {
    zelVertstatsFile f = load("1 2\n");
    EXPECT_THROW(f.getDataColumn(-1), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(f.getDataColumn(2), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(f.getDataColumn("Column"), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(f.getDataColumn("Column1("), zelVertstatsFile::InvalidColumnError); // not a pattern
    zelVertstatsFile empty;
    EXPECT_THROW(empty.getDataColumn(0), zelVertstatsFile::InvalidColumnError);
    EXPECT_THROW(empty.getDataColumn(""), zelVertstatsFile::InvalidColumnError);
    EXPECT_TRUE(empty.getDataHeader().empty());
    EXPECT_EQ(empty.getHeaderValue("history"), "");
}

TEST_F(ReadTest, NestedElementsKeepTheirOwnText) {
    zelVertstatsFile f = load(
        "<header>\nstray\n<outer>\nouter text\n<inner>\ninner text\n</inner>\n</outer>\n<last>\n</last>\n</header>\nA\n");
    EXPECT_EQ(structure(f), (Names{"header=", "  outer=stray\nouter text\n", "    inner=inner text\n", "  last="}));
    EXPECT_EQ(f.getHeaderValue("outer:inner"), "inner text\n");
    EXPECT_EQ(f.getHeaderValue("inner"), "inner text\n");
    EXPECT_EQ(f.getDataHeader(), (Names{"A"}));
    EXPECT_EQ(f.getNumRows(), 0);
}

TEST_F(ReadTest, TagsAreCaseInsensitiveButNamesKeepTheirCase) {
    zelVertstatsFile f = load("<header>\n<History> ignored\nx\n<a1>\n</History>\n</header>\nA\n");
    EXPECT_EQ(f.getHeaderValue("History"), "x\n<a1>\n");
    EXPECT_EQ(f.getHeaderValue("history"), "");
}

TEST_F(ReadTest, HeaderPaths) {
    zelVertstatsFile f = load("<header>\n<a>\n<b>\nab\n</b>\n</a>\n<b>\nb\n</b>\n</header>\nA\n");
    EXPECT_EQ(f.getHeaderValue("b"), "ab\n"); // first in pre-order
    EXPECT_EQ(f.getHeaderValue("a:b"), "ab\n");
    EXPECT_EQ(f.getHeaderValue("b:a"), "");
    EXPECT_THROW(f.getHeaderIterator("a:c"), zelVertstatsFile::HeaderNotFoundError);
    EXPECT_THROW(f.getHeaderIterator("header:a"), zelVertstatsFile::HeaderNotFoundError);
    for (const char* bad : {":a", "a:", "a::b", ":", "nothing"})
        EXPECT_THROW(f.getHeaderIterator(bad), zelVertstatsFile::HeaderNotFoundError) << bad;
}

TEST_F(ReadTest, LoadDataFalseReadsNamesAndHeaderOnly) {
    zelVertstatsFile f = load(workedExample, false);
    EXPECT_EQ(f.getDataHeader(), (Names{"A", "B"}));
    EXPECT_EQ(f.getNumRows(), 0);
    EXPECT_TRUE(f.getDataColumn("A").empty());
    EXPECT_EQ(f.getHeaderValue("source"), "surface one\n");
    zelVertstatsFile old = load("1 2 3\n4 5 6\n", false);
    EXPECT_EQ(old.getNumColumns(), 3);
    EXPECT_EQ(old.getNumRows(), 0);
}

TEST_F(ReadTest, CloseThenReloadBehavesAsNew) {
    std::string path = tmp.write("w.vertstats", workedExample);
    zelVertstatsFile f(path.c_str(), true);
    f.close();
    EXPECT_EQ(f.getNumColumns(), 0);
    EXPECT_EQ(f.getNumRows(), 0);
    EXPECT_TRUE(f.getHeaderTree().empty());
    EXPECT_THROW(f.getDataColumn(0), zelVertstatsFile::InvalidColumnError);
    EXPECT_EQ(f.getHeaderValue("history"), "");
    f.loadFile(path.c_str(), true);
    EXPECT_EQ(structure(f), structure(zelVertstatsFile(path, true)));
    EXPECT_EQ(f.getDataColumn("B"), (Column{1.0f, 3.25f}));
}

TEST_F(ReadTest, LoadingTwiceAddsAndKeepsColumnsEqualInLength) {
    std::string a = tmp.write("a", workedExample);
    std::string b = tmp.write("b", "7 8 9\n");
    zelVertstatsFile f(a, true);
    f.loadFile(a.c_str(), true);
    EXPECT_EQ(f.getNumColumns(), 4);
    EXPECT_EQ(f.getHeaderTree().size(), 6u);
    f.loadFile(b.c_str(), true); // one row where the others have two
    EXPECT_EQ(f.getNumColumns(), 7);
    EXPECT_EQ(f.getNumRows(), 2);
    for (auto& column : f.getAllColumns())
        EXPECT_EQ(column.size(), 2u);
    EXPECT_TRUE(std::isnan(f.getDataColumn(6)[1]));
}

TEST_F(ReadTest, EndOfFileRightAfterTheHeader) {
    zelVertstatsFile withLineEnd = load("<header>\n</header>\n");
    EXPECT_EQ(withLineEnd.getDataHeader(), (Names{""}));
    EXPECT_EQ(withLineEnd.getNumRows(), 0);
    zelVertstatsFile without = load("<header>\n</header>");
    EXPECT_EQ(without.getNumColumns(), 0);
    EXPECT_EQ(structure(without), (Names{"header="}));
}

TEST_F(ReadTest, LinesBeforeTheHeaderAreSkippedByTheNewStyleReader) {
    zelVertstatsFile f;
    f.loadNewStyleFile(tmp.write("n", "junk\nmore\n<header>\n</header>\nA\n1\n").c_str(), true);
    EXPECT_EQ(f.getDataColumn("A"), (Column{1}));
    zelVertstatsFile none;
    none.loadNewStyleFile(tmp.write("m", "1 2\n").c_str(), true);
    EXPECT_EQ(none.getNumColumns(), 0);
    EXPECT_TRUE(none.getHeaderTree().empty());
}

TEST(ReadDeathTest, UnreadableFileExitsWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string missing = "/nonexistent-vertstats-dir/missing.vertstats";
    EXPECT_EXIT(zelVertstatsFile(missing, true), testing::ExitedWithCode(1),
                "^ERROR: could not read file " + missing + "\n$");
    zelVertstatsFile f;
    EXPECT_EXIT(f.loadOldStyleFile(missing.c_str(), true), testing::ExitedWithCode(1), "could not read file");
    EXPECT_EXIT(f.loadNewStyleFile(missing.c_str(), true), testing::ExitedWithCode(1), "could not read file");
    EXPECT_EXIT(f.determineFileType("/"), testing::ExitedWithCode(1), "could not read file");
}

} // namespace
