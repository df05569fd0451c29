// objconv --compress / --no-compress and objinfo's "compressed", run as
// separate processes.
#include "geometry.h"
#include "object_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CompressTools : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("compress_tools_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        // A full-form binary sphere of 320 triangles.
        object_struct *object = create_object(POLYGONS);
        const Point centre = {0.0f, 0.0f, 0.0f};
        ASSERT_EQ(create_tetrahedral_sphere(&centre, 40, 50, 60, 320,
                                            get_polygons_ptr(object)), OK);
        set_use_compressed_polygons_flag(false);
        ASSERT_EQ(output_graphics_file(path("full.obj").c_str(), BINARY_FORMAT, 1,
                                       &object), OK);
        delete_object(object);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string &name) const { return (dir / name).string(); }
    static std::string slurp(const std::string &name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    // Runs a command line; returns its standard output, or "exit N".
    std::string run(const std::string &command) const
    {
        const std::string out = path("stdout");
        const int raw = std::system((command + " >'" + out + "' 2>/dev/null").c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return status == 0 ? slurp(out) : "exit " + std::to_string(status);
    }
    std::string objinfo(const std::string &name) const
    {
        return run(std::string(OBJINFO_PATH) + " '" + path(name) + "'");
    }
    std::string objconv(const std::string &options, const std::string &in,
                        const std::string &out) const
    {
        return run(std::string(OBJCONV_PATH) + " " + options + " '" + path(in) + "' '" +
                   path(out) + "'");
    }

    fs::path dir;
};

} // namespace

TEST_F(CompressTools, CompressAndExpandAgain)
{
    EXPECT_EQ(objinfo("full.obj"), "0 polygons binary 162 320 0\n");

    EXPECT_EQ(objconv("--compress", "full.obj", "small.obj"), "");
    EXPECT_EQ(objinfo("small.obj"), "0 polygons binary 162 320 0 compressed\n");
    EXPECT_EQ(fs::file_size(path("small.obj")), 1u + 20u + 4u + 162u * 12u + 4u + 4u);

    EXPECT_EQ(objconv("--ascii --compress", "small.obj", "small.txt"), "");
    EXPECT_EQ(objinfo("small.txt"), "0 polygons ascii 162 320 0 compressed\n");

    // Back to the full form, even with the environment asking for
    // compression: the same bytes as the original (normals recomputed).
    EXPECT_EQ(objconv("--no-compress", "small.txt", "again.obj"), "");
    EXPECT_EQ(objinfo("again.obj"), "0 polygons ascii 162 320 0\n");
    const std::string env = "USE_COMPRESSED_POLYGONS=1 ";
    EXPECT_EQ(run(env + OBJCONV_PATH + " --binary --no-compress '" + path("small.obj") +
                  "' '" + path("expanded.obj") + "'"), "");
    EXPECT_EQ(objinfo("expanded.obj"), "0 polygons binary 162 320 0\n");
    EXPECT_EQ(slurp(path("expanded.obj")), slurp(path("full.obj")));

    // Without an option the environment decides.
    EXPECT_EQ(run(env + OBJCONV_PATH + " '" + path("full.obj") + "' '" +
                  path("env.obj") + "'"), "");
    EXPECT_EQ(objinfo("env.obj"), "0 polygons binary 162 320 0 compressed\n");
    EXPECT_EQ(objconv("", "full.obj", "plain.obj"), "");
    EXPECT_EQ(objinfo("plain.obj"), "0 polygons binary 162 320 0\n");
}
