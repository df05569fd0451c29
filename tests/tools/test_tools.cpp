// objinfo and objconv run as separate processes on files written here.
#include "scratch_dir_test.h"
#include "object_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testing::HasSubstr;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class ToolsTest : public ScratchDirTest {
protected:

    ToolRun run(const std::string &arguments) const
    {
        std::string out = path("stdout"), err = path("stderr");
        int raw = std::system((arguments + " >'" + out + "' 2>'" + err + "'").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

};

const char *const two_triangles =
    "P 0.3 0.3 0.4 10 1 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
    "0 0 1 0 0 1 0 0 1 0 0 1\n2\n0 1 1 1 1\n3 6\n0 1 2 0 1 3\n";
const char *const one_line = "L 2 3\n0 0 0 1 1 1 2 2 2\n1\n2 1 0 0 1 0 1 0.5 1 1 1 1 1\n3\n0 1 2\n";
const char *const marker = "M 1 2.5 1 0 0 1 1 2 3 7 8 \"a\"\n";

TEST_F(ToolsTest, ObjinfoDescribesEveryObject)
{
    std::string file = write("mixed.obj", std::string(two_triangles) + one_line + marker +
                                              "Q 0.3 0.3 0.4 10 1 2 3 0 0 0 1 1 1 1\n"
                                              "0 0 0 0 0 1 0 0 2 1 0 0 1 0 1 1 0 2\n"
                                              "0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1\n");
    ToolRun r = run(std::string(OBJINFO_PATH) + " '" + file + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 polygons ascii 4 2 0\n"
                     "1 lines ascii 3 1 2\n"
                     "2 marker ascii\n"
                     "3 quadmesh ascii 6 2 0\n");
}

TEST_F(ToolsTest, ObjinfoFailsOnBadInputButListsWhatItRead)
{
    std::string file = write("bad.obj", std::string(two_triangles) + "P 0.3 0.3 0.4 10 1 1\n"
                                                                      "0 0 0\n0 0 1\n1\n7\n");
    ToolRun r = run(std::string(OBJINFO_PATH) + " '" + file + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0 polygons ascii 4 2 0\n");
    EXPECT_THAT(r.err, HasSubstr("Error inputting colour flag."));

    r = run(std::string(OBJINFO_PATH) + " '" + path("missing.obj") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("missing.obj"));
}

TEST_F(ToolsTest, ObjconvConvertsBothWaysAndKeepsTheData)
{
    std::string ascii = write("in.obj", std::string(two_triangles) + one_line);
    ToolRun r = run(std::string(OBJCONV_PATH) + " --binary '" + ascii + "' '" + path("b.obj") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(std::string(OBJINFO_PATH) + " '" + path("b.obj") + "'");
    EXPECT_EQ(r.out, "0 polygons binary 4 2 0\n1 lines binary 3 1 2\n");

    // without a choice the form of the last object read is kept
    r = run(std::string(OBJCONV_PATH) + " '" + path("b.obj") + "' '" + path("b2.obj") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(path("b.obj")), slurp(path("b2.obj")));

    r = run(std::string(OBJCONV_PATH) + " --ascii '" + path("b.obj") + "' '" + path("a.obj") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    File_formats form;
    int n = 0;
    object_struct **objects = nullptr;
    ASSERT_EQ(input_graphics_file(path("a.obj").c_str(), &form, &n, &objects), OK);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(form, ASCII_FORMAT);
    polygons_struct *p = get_polygons_ptr(objects[0]);
    EXPECT_EQ(p->points[1].x, 1.0f);
    EXPECT_EQ(p->indices[5], 3);
    EXPECT_EQ(get_lines_ptr(objects[1])->colours[1], make_rgba_Colour(0, 255, 128, 255));
    delete_object_list(n, objects);
}

TEST_F(ToolsTest, ObjconvReportsUnreadableInputAndUnwritableOutput)
{
    ToolRun r = run(std::string(OBJCONV_PATH) + " '" + path("none.obj") + "' '" + path("o.obj") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("none.obj"));
    EXPECT_FALSE(fs::exists(path("o.obj")));

    std::string in = write("in.obj", two_triangles);
    r = run(std::string(OBJCONV_PATH) + " '" + in + "' '" + path("no/such/dir/o.obj") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("no/such/dir/o.obj"));

    r = run(std::string(OBJCONV_PATH) + " --octal '" + in + "' '" + path("o.obj") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("unknown option --octal"));
}

} // namespace
