// vsinfo and vsconv run as separate processes on files the test writes.
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun run(const std::string& command) {
    ToolRun r{-1, ""};
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string example =
    "<header>\n<history>\nfirst run\n</history>\n<source>\nsurface one\n</source>\n</header>\n"
    "A B\n0.5 1\n2 3.25\n";

TEST(VertstatsTools, VsinfoListsShapeNamesAndHeader) {
    TempDir tmp;
    ToolRun r = run(std::string(VSINFO_PATH) + " " + tmp.write("in.vertstats", example));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "columns: 2\nrows: 2\nA\nB\nheader\n  history\n  source\n");
    ToolRun missing = run(std::string(VSINFO_PATH) + " " + tmp.path("missing"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "ERROR: could not read file " + tmp.path("missing") + "\n");
}

TEST(VertstatsTools, VsconvConvertsBothWaysAndFailsOnUnwritableOutput) {
    TempDir tmp;
    std::string in = tmp.write("in.vertstats", example);
    ToolRun toOld = run(std::string(VSCONV_PATH) + " --old-style " + in + " " + tmp.path("old.txt"));
    EXPECT_EQ(toOld.status, 0) << toOld.out;
    EXPECT_EQ(TempDir::read(tmp.path("old.txt")), "0.5 1\n2 3.25\n");
    ToolRun toNew = run(std::string(VSCONV_PATH) + " " + in + " " + tmp.path("new.vertstats"));
    EXPECT_EQ(toNew.status, 0) << toNew.out;
    EXPECT_EQ(TempDir::read(tmp.path("new.vertstats")), example);
    ToolRun bad = run(std::string(VSCONV_PATH) + " " + in + " " + tmp.path("no/dir/out"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find(tmp.path("no/dir/out")), std::string::npos) << bad.out;
    EXPECT_EQ(run(std::string(VSCONV_PATH) + " onlyone").status, 2);
}

} // namespace
