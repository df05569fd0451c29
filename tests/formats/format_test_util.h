// Shared by the format tests: nibabel run as a separate process through
// nib_helper.py, and the same text dumps of what gyrolux read, so that a
// comparison is one string equality with a readable difference.
#pragma once

#include "scratch_dir_test.h"
#include "objects.h"
#include "vertex_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class FormatTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        CommandRun check = run(std::string(NIBABEL_PYTHON) + " -c 'import nibabel'");
        ASSERT_EQ(check.status, 0)
            << "python3-nibabel is needed by these tests (scripts/install-deps installs "
               "it): " << check.err;
    }

    CommandRun run(const std::string &command) const
    {
        std::string out = path("stdout"), err = path("stderr");
        int raw = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    // nibabel writes (action "write") or reads ("dump") a file; the dump of
    // its values. A failing helper fails the test.
    std::string nibabel(const std::string &action, const std::string &kind,
                        const std::string &file, const std::string &option = "") const
    {
        CommandRun r = run(std::string(NIBABEL_PYTHON) + " '" + NIB_HELPER + "' " + action +
                           " " + kind + " '" + file + "' " + option);
        EXPECT_EQ(r.status, 0) << "nibabel " << action << " " << kind << ": " << r.err;
        return r.out;
    }
};

inline std::string dump_number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

inline std::string dump_surface(const polygons_struct *p)
{
    std::string out = "points " + std::to_string(p->n_points) + "\n";
    for (int i = 0; i < p->n_points; ++i)
        out += dump_number(p->points[i].x) + " " + dump_number(p->points[i].y) + " " +
               dump_number(p->points[i].z) + "\n";
    out += "triangles " + std::to_string(p->n_items) + "\n";
    for (int i = 0; i < 3 * p->n_items; i += 3)
        out += std::to_string(p->indices[i]) + " " + std::to_string(p->indices[i + 1]) + " " +
               std::to_string(p->indices[i + 2]) + "\n";
    return out;
}

inline std::string dump_columns(const std::vector<vertex_column> &columns)
{
    std::string out;
    for (const vertex_column &column : columns) {
        out += "column " + column.name + " " + std::to_string(column.values.size()) + "\n";
        for (float v : column.values)
            out += dump_number(v) + "\n";
    }
    return out;
}
