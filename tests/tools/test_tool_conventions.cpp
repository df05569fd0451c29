// Every program answers --help (usage on standard output, status 0) and
// --version (its name and the version, status 0), and refuses an unknown
// option with one line on standard error and status 2, before it reads,
// writes or opens a display.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Answer {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Answer run(const std::string& program, const std::string& argument)
{
    // Files of this process's own: ctest runs the tests side by side.
    const std::string out = "conventions." + std::to_string(::getpid()) + ".out";
    const std::string err = "conventions." + std::to_string(::getpid()) + ".err";
    // No display: none of these answers may need one.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY '" + program + "' " + argument +
                                " >" + out + " 2>" + err + " </dev/null";
    const int raw = std::system(command.c_str());
    Answer answer{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return answer;
}

std::vector<std::string> programs()
{
    std::vector<std::string> list;
    std::stringstream paths(PROGRAM_PATHS);
    for (std::string path; std::getline(paths, path, '|');)
        list.push_back(path);
    return list;
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

TEST(ToolConventions, HelpVersionAndUnknownOptions)
{
    for (const std::string& program : programs()) {
        SCOPED_TRACE(program);
        const Answer help = run(program, "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("sage: " + nameOf(program)), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");

        const Answer version = run(program, "--version");
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, nameOf(program) + " " + PROJECT_VERSION + "\n");

        const Answer bad = run(program, "--no-such-option");
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.out, "");
        EXPECT_NE(bad.err.find("--no-such-option"), std::string::npos) << bad.err;
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
    }
}

std::string program(const std::string& name)
{
    for (const std::string& path : programs())
        if (nameOf(path) == name)
            return path;
    return name;
}

// "-" is standard input to the readers and standard output (in the
// default format) to the converters, so the tools make pipelines.
TEST(ToolConventions, DashIsStandardInputAndOutput)
{
    const std::string surface = std::string(SAMPLES_DIR) + "/lh.brain";
    const Answer direct = run(program("objinfo"), "'" + surface + "'");
    const Answer piped = run("sh", "-c \"'" + program("objconv") + "' '" + surface + "' - | '" +
                                       program("objinfo") + "' -\"");
    EXPECT_EQ(piped.status, 0) << piped.err;
    // FreeSurfer in, .obj through the pipe: the same points and triangles.
    EXPECT_EQ(direct.out.substr(direct.out.find(' ', 2)), " freesurfer 40962 81920 0\n");
    EXPECT_EQ(piped.out, "0 polygons binary 40962 81920 0\n");

    const std::string data = std::string(SAMPLES_DIR) + "/brain.func.gii";
    const Answer columns = run("sh", "-c \"'" + program("vsconv") + "' '" + data + "' - | '" +
                                         program("vsinfo") + "' -\"");
    EXPECT_EQ(columns.status, 0) << columns.err;
    EXPECT_NE(columns.out.find("rows: 40962\n"), std::string::npos) << columns.out;
}

}  // namespace
