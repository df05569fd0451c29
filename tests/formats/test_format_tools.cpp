// objconv, objinfo, vsconv and vsinfo, run as processes on files nibabel
// writes, and their output read back by nibabel.
#include "format_test_util.h"

#include "object_io.h"
#include "zelVertstatsFile.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <sstream>

namespace {

using testing::HasSubstr;

// A dump's values as a statistics file keeps them: six significant digits.
std::string as_statistics_text(const std::string &dump)
{
    std::istringstream in(dump);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.rfind("column ", 0) != 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%g", std::strtod(line.c_str(), nullptr));
            line = dump_number(std::strtof(text, nullptr));
        }
        out += line + "\n";
    }
    return out;
}

class ToolFormatTest : public FormatTest {
protected:
    CommandRun tool(const char *program, const std::string &arguments) const
    {
        return run(std::string(program) + " " + arguments);
    }
    static std::string q(const std::string &file) { return "'" + file + "'"; }

    std::string obj_dump(const std::string &file)
    {
        File_formats form;
        int n = 0;
        object_struct **objects = nullptr;
        EXPECT_EQ(input_graphics_file(file.c_str(), &form, &n, &objects), OK);
        EXPECT_EQ(n, 1);
        std::string dump = n == 1 ? dump_surface(get_polygons_ptr(objects[0])) : "";
        delete_object_list(n, objects);
        return dump;
    }

    std::string vertstats_dump(const std::string &file)
    {
        zelVertstatsFile stats(file.c_str(), true);
        std::vector<vertex_column> columns;
        std::vector<std::string> names = stats.getDataHeader();
        for (int i = 0; i < stats.getNumColumns(); ++i)
            columns.push_back({names[std::size_t(i)], stats.getDataColumn(i)});
        return dump_columns(columns);
    }
};

TEST_F(ToolFormatTest, ObjconvTurnsFreesurferAndGiftiSurfacesIntoObjAndBack)
{
    std::string fs = path("lh.white"), gii = path("lh.pial.surf.gii");
    std::string fs_dump = nibabel("write", "fs-surface", fs);
    std::string gii_dump = nibabel("write", "gifti-surface", gii);
    for (const char *form : {"--ascii", "--binary"}) {
        SCOPED_TRACE(form);
        std::string obj = path(std::string("white") + form + ".obj");
        CommandRun r = tool(OBJCONV_PATH, std::string(form) + " " + q(fs) + " " + q(obj));
        ASSERT_EQ(r.status, 0) << r.err;
        std::string kind = std::string(form) == "--ascii" ? "ascii" : "binary";
        EXPECT_EQ(tool(OBJINFO_PATH, q(obj)).out, "0 polygons " + kind + " 50 96 0\n");
        if (kind == "binary") { // ASCII .obj keeps fewer digits than a float
            EXPECT_EQ(obj_dump(obj), fs_dump);
        }
    }
    // .obj to GIFTI, read by nibabel
    std::string back = path("white.surf.gii");
    CommandRun r = tool(OBJCONV_PATH, q(path("white--binary.obj")) + " " + q(back));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nibabel("dump", "gifti-surface", back), fs_dump);

    std::string obj = path("pial.obj");
    r = tool(OBJCONV_PATH, q(gii) + " " + q(obj));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(obj_dump(obj), gii_dump);
    EXPECT_EQ(tool(OBJINFO_PATH, q(obj)).out, "0 polygons binary 50 96 0\n");
}

TEST_F(ToolFormatTest, ObjinfoDescribesTheNewFilesAndWhatTheirPointsLeaveOut)
{
    std::string plain = path("lh.white"), centred = path("lh.orig"),
                gii = path("lh.surf.gii"), moved = path("lh.moved.surf.gii");
    nibabel("write", "fs-surface", plain);
    nibabel("write", "fs-surface", centred, "centre");
    nibabel("write", "gifti-surface", gii, "base64");
    nibabel("write", "gifti-surface", moved, "transform");
    EXPECT_EQ(tool(OBJINFO_PATH, q(plain)).out, "0 polygons freesurfer 50 96 0\n");
    EXPECT_EQ(tool(OBJINFO_PATH, q(centred)).out,
              "0 polygons freesurfer 50 96 0\n"
              "centre offset (cras) 1.5 -17.25 9, not applied to the points\n");
    // unknown spaces and no transform: nothing to say
    EXPECT_EQ(tool(OBJINFO_PATH, q(gii)).out, "0 polygons gifti 50 96 0\n");
    EXPECT_EQ(tool(OBJINFO_PATH, q(moved)).out,
              "0 polygons gifti 50 96 0\n"
              "coordinate system NIFTI_XFORM_SCANNER_ANAT to NIFTI_XFORM_TALAIRACH\n"
              "coordinate transform, not applied to the points: "
              "1 0 0 10 0 1 0 -2.5 0 0 1 0.125 0 0 0 1\n");
}

TEST_F(ToolFormatTest, SurfaceToolsRefuseWhatIsNotATriangleSurface)
{
    std::string curv = path("lh.thickness"), data = path("lh.func.gii");
    nibabel("write", "curv", curv);
    nibabel("write", "gifti-data", data);
    CommandRun r = tool(OBJINFO_PATH, q(curv));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("FreeSurfer per-vertex data (a curv file), not a surface"));
    r = tool(OBJCONV_PATH, q(data) + " " + q(path("out.obj")));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("not a GIFTI surface"));
    EXPECT_FALSE(std::filesystem::exists(path("out.obj")));

    // two objects do not make one GIFTI surface
    std::string two = write("two.obj", "P 0.3 0.3 0.4 10 1 3\n0 0 0 1 0 0 0 1 0\n"
                                       "0 0 1 0 0 1 0 0 1\n1\n0 1 1 1 1\n3\n0 1 2\n"
                                       "M 1 2.5 1 0 0 1 1 2 3 7 8 \"a\"\n");
    r = tool(OBJCONV_PATH, q(two) + " " + q(path("two.surf.gii")));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("the input has 2 objects"));
}

TEST_F(ToolFormatTest, VsconvTurnsPerVertexDataIntoStatisticsFilesAndStatisticsIntoGifti)
{
    struct Case {
        const char *name, *kind, *option;
    } cases[] = {{"lh.thickness", "curv", ""},
                 {"lh.sig.mgz", "mgh", "float32"},
                 {"lh.sig.mgh", "mgh", "int16"},
                 {"lh.shape.gii", "gifti-data", "base64"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string in = path(c.name), stats = path(std::string(c.name) + ".vertstats");
        std::string expected = nibabel("write", c.kind, in, c.option);
        CommandRun r = tool(VSCONV_PATH, q(in) + " " + q(stats));
        ASSERT_EQ(r.status, 0) << r.err;
        std::string from_stats = vertstats_dump(stats);
        EXPECT_EQ(from_stats, as_statistics_text(expected));
        zelVertstatsFile file(stats.c_str(), false);
        EXPECT_EQ(file.getHeaderValue("source"), in + "\n");

        EXPECT_EQ(r.out, ""); // no progress lines

        std::string gii = path(std::string(c.name) + ".func.gii");
        r = tool(VSCONV_PATH, q(stats) + " " + q(gii));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(nibabel("dump", "gifti-data", gii), from_stats);
        // MGH and MGZ: one frame per column, n x 1 x 1
        for (const char *suffix : {".out.mgh", ".out.mgz"}) {
            std::string mgh = path(std::string(c.name) + suffix);
            r = tool(VSCONV_PATH, q(stats) + " " + q(mgh));
            ASSERT_EQ(r.status, 0) << r.err;
            std::string frames = from_stats;
            // Frames are named by number; a single one from the file name.
            const bool single = frames.find("column ", 1) == std::string::npos;
            for (std::size_t at = 0, k = 0; (at = frames.find("column ", at)) != std::string::npos; ++k) {
                std::size_t end = frames.find(' ', at + 7);
                frames.replace(at + 7, end - at - 7,
                               single ? std::string(c.name).substr(3) + ".out" : "frame" + std::to_string(k));
                at = end;
            }
            EXPECT_EQ(nibabel("dump", "mgh", mgh), frames);
        }
    }
    // old-style statistics files convert too, their columns named Column0, ...
    std::string old_style = write("old.txt", "1 2\n3 4.5\n");
    CommandRun r = tool(VSCONV_PATH, q(old_style) + " " + q(path("old.func.gii")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nibabel("dump", "gifti-data", path("old.func.gii")),
              "column Column0 2\n1\n3\ncolumn Column1 2\n2\n4.5\n");
}

TEST_F(ToolFormatTest, VsinfoNamesTheFormatAndTheColumns)
{
    std::string file = path("lh.func.gii");
    nibabel("write", "gifti-data", file);
    CommandRun r = tool(VSINFO_PATH, q(file));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "format: GIFTI\ncolumns: 4\nrows: 40\nthickness\narray1_0\narray1_1\n"
                     "cluster_id\nheader\n  source\n  source_format\n");
    std::string curv = path("lh.sulc");
    nibabel("write", "curv", curv);
    EXPECT_EQ(tool(VSINFO_PATH, q(curv)).out,
              "format: FreeSurfer curv\ncolumns: 1\nrows: 77\nsulc\nheader\n  source\n"
              "  source_format\n");
    r = tool(VSINFO_PATH, q(path("lh.surf.gii")));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("lh.surf.gii"));
}

TEST_F(ToolFormatTest, ToolsAnswerHelpAndNameAMissingOrUnknownFileOnce)
{
    for (const char *program : {OBJINFO_PATH, VSINFO_PATH}) {
        CommandRun r = tool(program, "--help");
        EXPECT_EQ(r.status, 0);
        EXPECT_THAT(r.out, HasSubstr("usage: "));
        EXPECT_EQ(r.err, "");
    }
    const std::string absent = path("absent");
    for (const char *program : {OBJINFO_PATH, VSINFO_PATH, OBJCONV_PATH, VSCONV_PATH}) {
        SCOPED_TRACE(program);
        std::string arguments = q(absent);
        if (program == std::string(OBJCONV_PATH) || program == std::string(VSCONV_PATH))
            arguments += " " + q(path("out.txt"));
        CommandRun r = tool(program, arguments);
        EXPECT_EQ(r.status, 1);
        std::size_t first = r.err.find(absent);
        ASSERT_NE(first, std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(absent, first + 1), std::string::npos) << r.err;
    }
    // the same for a name that asks for another program's format
    CommandRun r = tool(VSINFO_PATH, q(absent + ".func.gii"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error reading \"" + absent + ".func.gii\": no such regular file.\n");
    // an annotation-like binary file and text without numbers: no reader's
    std::string binary = write("lh.aparc.annot", std::string("\0\0\0\x03\0\0\0\x01\x01\x02", 10));
    std::string words = write("words.txt", "alpha beta\n");
    for (const std::string &file : {binary, words}) {
        for (const char *program : {VSINFO_PATH, VSCONV_PATH}) {
            SCOPED_TRACE(file + " " + program);
            std::string arguments = q(file);
            if (program == std::string(VSCONV_PATH))
                arguments += " " + q(path("out.vertstats"));
            CommandRun r = tool(program, arguments);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            // Named once, by whichever reader the name or content chose.
            EXPECT_THAT(r.err, HasSubstr(file));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.vertstats")));
}

} // namespace
