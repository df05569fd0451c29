// Bad surface files: each read gives ERROR with a message naming the file,
// quickly, without unbounded allocation, keeping the objects read before.
#include "object_read_test.h"
#include "object_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testing::HasSubstr;

namespace {

class ObjectIoErrorTest : public ObjectReadTest {
protected:
    // Expects ERROR, a message holding every text given, and n objects kept.
    void expect_refused(const std::string &name, std::vector<std::string> texts, int kept = 0)
    {
        EXPECT_EQ(read(name), ERROR);
        for (const std::string &t : texts)
            EXPECT_THAT(messages, HasSubstr(t));
        EXPECT_EQ(n_objects, kept);
    }

};

std::string bytes_of(const void *p, std::size_t n)
{
    return std::string(static_cast<const char *>(p), n);
}
std::string int_bytes(int v) { return bytes_of(&v, 4); }

const std::string triangle = "P 0.3 0.3 0.4 10 1 3\n0 0 0 1 0 0 0 1 0\n"
                             "0 0 1 0 0 1 0 0 1\n1\n0 1 1 1 1\n3\n0 1 2\n";

std::string binary_polygons_head(int n_points)
{
    float surfprop[5] = {0.3f, 0.3f, 0.4f, 10.0f, 1.0f};
    return "p" + bytes_of(surfprop, sizeof surfprop) + int_bytes(n_points);
}

TEST_F(ObjectIoErrorTest, AbsurdCountsAreRefusedBeforeAllocating)
{
    // a 100-byte binary file claiming two billion points
    std::string absurd = binary_polygons_head(2000000000);
    absurd.resize(100, '\0');
    expect_refused(write("absurd.obj", absurd), {"absurd.obj", "2000000000"});

    expect_refused(write("absurd_a.obj", "P 0.3 0.3 0.4 10 1 2000000000\n0 0 0\n"),
                   {"absurd_a.obj"});
    expect_refused(write("items.obj", "P 0.3 0.3 0.4 10 1 3\n0 0 0 1 0 0 0 1 0\n"
                                      "0 0 1 0 0 1 0 0 1\n2000000000\n0 1 1 1 1\n"),
                   {"items.obj"});
    // end indices claiming far more indices than follow
    expect_refused(write("ends.obj", "P 0.3 0.3 0.4 10 1 3\n0 0 0 1 0 0 0 1 0\n"
                                     "0 0 1 0 0 1 0 0 1\n1\n0 1 1 1 1\n2000000000\n0 1 2\n"),
                   {"ends.obj"});
    // item sizes adding up past the int range
    expect_refused(write("sum.obj", "L 1 2\n0 0 0 1 1 1\n2\n0 1 1 1 1\n"
                                    "2000000000 2000000000\n0 1\n"),
                   {"sum.obj"});
    expect_refused(write("quad.obj", "Q 0.3 0.3 0.4 10 1 100000 100000 0 0\n0 1 1 1 1\n"),
                   {"quad.obj"});
    expect_refused(write("pix.obj", "X 2 50000 50000\n1 2 3\n"), {"pix.obj"});
    expect_refused(write("pix16.obj", "x" + int_bytes(1) + int_bytes(40000) + int_bytes(40000)),
                   {"pix16.obj"});
    expect_refused(write("label.obj", std::string("m") + int_bytes(0) + std::string(8, '\0') +
                                          std::string(4, '\0') + std::string(12, '\0') +
                                          int_bytes(0) + int_bytes(0) + int_bytes(INT_MAX)),
                   {"label.obj"});
}

TEST_F(ObjectIoErrorTest, NegativeCountsAreRefused)
{
    expect_refused(write("items.obj", "P 0.3 0.3 0.4 10 1 3\n0 0 0 1 0 0 0 1 0\n"
                                      "0 0 1 0 0 1 0 0 1\n-5\n0 1 1 1 1\n"),
                   {"items.obj", "-5"});
    expect_refused(write("lines.obj", "L 1 -1\n"), {"lines.obj"});
    expect_refused(write("quad.obj", "Q 0.3 0.3 0.4 10 1 -2 3 0 0\n"), {"quad.obj"});
    expect_refused(write("pix.obj", "X 0 -4 4\n"), {"pix.obj"});
    // the most negative count cannot be negated into a triangle count
    expect_refused(write("intmin.obj", binary_polygons_head(INT_MIN) + std::string(64, '\0')),
                   {"intmin.obj"});
}

TEST_F(ObjectIoErrorTest, BadFlagsTypesAndLettersKeepEarlierObjects)
{
    expect_refused(write("flag.obj", triangle + "P 0.3 0.3 0.4 10 1 1\n0 0 0\n0 0 1\n1\n7\n"),
                   {"Error inputting colour flag.\n"}, 1);
    expect_refused(write("pixtype.obj", triangle + "X 5 2 2\n"),
                   {"Error, unrecognized pixel type 5.\n"}, 1);
    expect_refused(write("letter.obj", triangle + triangle + "Z"),
                   {"Unrecognized object type in file.\n"}, 2);
    expect_refused(write("junk.obj", triangle + "P 0.3 abc"), {"junk.obj", "'a'"}, 1);
    expect_refused(write("frac.obj", "P 0.3 0.3 0.4 10 1 3.5\n"), {"frac.obj"});
}

TEST_F(ObjectIoErrorTest, EndIndicesThatDecreaseOrOverrunTheIndices)
{
    const std::string head = "P 0.3 0.3 0.4 10 1 4\n0 0 0 1 0 0 0 1 0 1 1 0\n"
                             "0 0 1 0 0 1 0 0 1 0 0 1\n3\n0 1 1 1 1\n";
    // negative sizes make the running sums go down
    expect_refused(write("down.obj", head + "3 -1 3\n0 1 2 1 2\n"), {"down.obj", "smaller"});
    expect_refused(write("neg.obj", triangle.substr(0, triangle.size() - 9) + "-3\n0 1 2\n"),
                   {"neg.obj"});
    // the last end index promises more indices than the file has
    expect_refused(write("short.obj", head + "3 6 12\n0 1 2 1 2 3 2 3 0\n"), {"short.obj"});
}

TEST_F(ObjectIoErrorTest, IndicesOutsideThePointsAreRefused)
{
    std::string bad = triangle;
    bad.replace(bad.size() - 2, 1, "3");
    expect_refused(write("over.obj", triangle + bad), {"over.obj", "index 3", "3 points"}, 1);
    bad.replace(bad.size() - 2, 1, "-1");
    expect_refused(write("under.obj", bad), {"under.obj", "-1"});
    expect_refused(write("lines.obj", "L 1 2\n0 0 0 1 1 1\n1\n0 1 1 1 1\n2\n0 2\n"),
                   {"lines.obj", "line index 2"});
}

TEST_F(ObjectIoErrorTest, ModelsThatIncludeThemselvesAreRefused)
{
    expect_refused(write("self.obj", triangle + "F \"self.obj\"\n"), {"self.obj", "recursion"},
                   1);
    write("a.obj", "F \"b.obj\"\n");
    write("b.obj", triangle + "F \"a.obj\"\n");
    expect_refused(path("a.obj"), {"a.obj", "recursion"});
    // another spelling of the same file is still the same file
    fs::create_directories(dir / "d");
    write("d/c.obj", "F \"../d/./c.obj\"\n");
    expect_refused(path("d/c.obj"), {"c.obj", "recursion"});
    fs::create_symlink(dir / "e.obj", dir / "link.obj");
    write("e.obj", "F \"link.obj\"\n");
    expect_refused(path("e.obj"), {"recursion"});

    // the same file twice side by side is no recursion
    write("twice.obj", "F \"leaf.obj\"\nF \"leaf.obj\"\n");
    write("leaf.obj", triangle);
    EXPECT_EQ(read(path("twice.obj")), OK) << messages;
    EXPECT_EQ(n_objects, 2);
}

TEST_F(ObjectIoErrorTest, DirectoriesAndMissingFiles)
{
    expect_refused(dir.string(), {dir.string(), "directory"});
    fs::create_directories(dir / "sub.obj");
    expect_refused(write("m.obj", triangle + "F \"sub.obj\"\n"), {"sub.obj", "directory"}, 1);
    expect_refused(path("missing.obj"), {"missing.obj"});
}

TEST_F(ObjectIoErrorTest, EveryTruncationOfABinaryFileIsAnErrorInsideAnObject)
{
    // write objects one by one to learn where each ends
    std::vector<std::string> ascii_objects = {
        triangle, "L 2 2\n0 0 0 1 1 1\n1\n2 1 0 0 1 0 1 0 1\n2\n0 1\n",
        "M 1 2.5 1 0 0 1 1 2 3 7 8 \"tip\"\n", "T 1 12 0 0 0 1 0 0 0 \"words\"\n",
        "X 2 2 1\n1 2 3\n4 5 6\n", "X 1 2 1\x01\x02\x03\x04",
        "Q 0.3 0.3 0.4 10 1 2 2 0 0\n0 1 1 1 1\n0 0 0 0 1 0 1 0 0 1 1 0\n"
        "0 0 1 0 0 1 0 0 1 0 0 1\n"};
    std::string whole;
    std::set<std::size_t> boundaries = {0};
    for (const std::string &text : ascii_objects) {
        ASSERT_EQ(read(write("one.obj", text)), OK) << text << messages;
        ASSERT_EQ(output_graphics_file(path("one_b.obj").c_str(), BINARY_FORMAT, n_objects,
                                       objects),
                  OK);
        whole += slurp(path("one_b.obj"));
        boundaries.insert(whole.size());
    }
    ASSERT_EQ(read(write("whole.obj", whole)), OK) << messages;
    ASSERT_EQ(n_objects, int(ascii_objects.size()));
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        Status status = read(write("cut.obj", whole.substr(0, cut)));
        bool boundary = boundaries.count(cut) > 0;
        ASSERT_EQ(status, boundary ? OK : ERROR) << "cut at " << cut;
        if (!boundary) {
            ASSERT_THAT(messages, HasSubstr("cut.obj")) << "cut at " << cut;
        }
        ASSERT_EQ(n_objects, int(std::distance(boundaries.begin(),
                                               boundaries.upper_bound(cut))) - 1);
    }
}

TEST_F(ObjectIoErrorTest, TruncatedAsciiFilesNeverCrash)
{
    std::string whole = triangle + "L 2 2\n0 0 0 1 1 1\n1\n2 1 0 0 1 0 1 0 1\n2\n0 1\n" +
                        "M 1 2.5 1 0 0 1 1 2 3 7 8 \"tip\"\nX 2 2 1\n1 2 3\n4 5 6\n";
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        Status status = read(write("cut.obj", whole.substr(0, cut)));
        // a cut inside the last number of an object can still read as a
        // (shorter) number; anything else must fail
        if (status == OK)
            EXPECT_LE(n_objects, 4);
        else
            EXPECT_FALSE(messages.empty()) << "cut at " << cut;
    }
}

} // namespace
