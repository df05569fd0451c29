// GIFTI files as other writers made them over the years (older spellings
// of the attributes, big-endian data, external data files, gzip-compressed
// files), read by the library and by the tools and compared with nibabel's
// reading of the same file; standard error holds nothing on valid files.
#include "format_test_util.h"

#include "format_files.h"
#include "gifti_surface.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

using testing::HasSubstr;

const char *const variants[] = {"legacy-ascii",  "legacy-base64", "legacy-gzip",
                                "big-spelled-out", "big-gzip",    "big-short",
                                "little-labels",  "external-big", "external-little"};

class GiftiVariantTest : public FormatTest {
protected:
    // The tool run from another directory, so that nothing is found by
    // being in the working directory.
    CommandRun tool_elsewhere(const char *program, const std::string &arguments)
    {
        std::filesystem::create_directories(path("elsewhere"));
        return run("cd '" + path("elsewhere") + "' && " + program + " " + arguments);
    }
    static std::string q(const std::string &file) { return "'" + file + "'"; }

    std::string data_dump(const std::string &file)
    {
        vertex_data data;
        EXPECT_EQ(vertex_data_format(file.c_str()), GIFTI_DATA) << file;
        EXPECT_EQ(input_vertex_data(file.c_str(), &data), OK) << file;
        return dump_columns(data.columns);
    }

    std::string surface_dump(const std::string &file)
    {
        object_struct *object = nullptr;
        EXPECT_EQ(input_gifti_surface(file.c_str(), &object, nullptr), OK) << file;
        if (object == nullptr)
            return "";
        std::string dump = dump_surface(get_polygons_ptr(object));
        delete_object(object);
        return dump;
    }
};

TEST_F(GiftiVariantTest, DataInEveryAcceptedSpellingReadsAsNibabelReadsIt)
{
    for (const char *variant : variants) {
        for (const char *suffix : {".func.gii", ".func.gii.gz"}) {
            SCOPED_TRACE(std::string(variant) + suffix);
            const bool gz = std::string(suffix).ends_with(".gz");
            // nibabel reads no external data from a compressed file
            if (gz && std::string(variant).starts_with("external"))
                continue;
            std::string file = path(std::string("lh.") + variant + suffix);
            std::string expected = nibabel("write", "hand-data", file, variant);
            ASSERT_THAT(expected, HasSubstr("column array4 20"));
            EXPECT_EQ(data_dump(file), expected);
            if (gz)
                continue; // the tools read compressed files as above
            // through the tools, from another directory
            std::string out = path(std::string(variant) + "-out.func.gii");
            CommandRun r = tool_elsewhere(VSCONV_PATH, q(file) + " " + q(out));
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(nibabel("dump", "gifti-data", out), expected);
            r = tool_elsewhere(VSINFO_PATH, q(file));
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_THAT(r.out, HasSubstr("format: GIFTI\ncolumns: 6\nrows: 20\n"));
        }
    }
}

TEST_F(GiftiVariantTest, SurfacesInEveryAcceptedSpellingReadAsNibabelReadsThem)
{
    for (const char *variant : variants) {
        for (const char *suffix : {".surf.gii", ".surf.gii.gz"}) {
            SCOPED_TRACE(std::string(variant) + suffix);
            const bool gz = std::string(suffix).ends_with(".gz");
            // nibabel reads no external data from a compressed file
            if (gz && std::string(variant).starts_with("external"))
                continue;
            std::string file = path(std::string("lh.") + variant + suffix);
            std::string expected = nibabel("write", "hand-surface", file, variant);
            EXPECT_EQ(surface_dump(file), expected);
            EXPECT_EQ(format_file_role(file.c_str()), FORMAT_SURFACE_FILE);
            if (gz)
                continue;
            std::string out = path(std::string(variant) + "-out.surf.gii");
            CommandRun r = tool_elsewhere(OBJCONV_PATH, q(file) + " " + q(out));
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(nibabel("dump", "gifti-surface", out), expected);
            r = tool_elsewhere(OBJINFO_PATH, q(file));
            EXPECT_EQ(r.out, "0 polygons gifti 50 96 0\n");
            EXPECT_EQ(r.err, "");
        }
    }
}

TEST_F(GiftiVariantTest, CompressedNibabelFilesAreKnownByNameAndContent)
{
    std::string data = path("lh.thickness.func.gii"), surface = path("lh.pial.surf.gii");
    std::string data_dump_expected = nibabel("write", "gifti-data", data);
    std::string surface_expected = nibabel("write", "gifti-surface", surface);
    for (const std::string &file : {data, surface})
        ASSERT_EQ(run("gzip -k '" + file + "'").status, 0);
    const std::string gz_data = data + ".gz", gz_surface = surface + ".gz";
    EXPECT_EQ(format_file_role(gz_data.c_str()), FORMAT_DATA_FILE);
    EXPECT_EQ(format_file_role(gz_surface.c_str()), FORMAT_SURFACE_FILE);
    EXPECT_EQ(format_file_title(gz_surface.c_str()), "lh.pial.surf");
    EXPECT_EQ(data_dump(gz_data), data_dump_expected);
    EXPECT_EQ(surface_dump(gz_surface), surface_expected);
    // without the suffix, the inflated content tells
    std::filesystem::copy_file(gz_data, path("lh.thickness"));
    std::filesystem::copy_file(gz_surface, path("lh.pial"));
    EXPECT_EQ(data_dump(path("lh.thickness")), data_dump_expected);
    EXPECT_EQ(format_file_role(path("lh.pial").c_str()), FORMAT_SURFACE_FILE);
    CommandRun r = run(std::string(VSINFO_PATH) + " " + q(gz_data));
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, HasSubstr("format: GIFTI\ncolumns: 4\nrows: 40\n"));
}

TEST_F(GiftiVariantTest, ValidFilesLeaveStandardErrorEmpty)
{
    // n x 1 arrays, uint8 and int16 arrays, a column-major float64 array:
    // each once drew a line from the GIFTI library
    struct Case {
        const char *name, *kind, *option;
    } cases[] = {{"types.func.gii", "gifti-data", "types"},
                 {"plain.func.gii", "gifti-data", "base64"},
                 {"ascii.func.gii", "gifti-data", "ascii"},
                 {"moved.surf.gii", "gifti-surface", "transform"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = path(c.name);
        nibabel("write", c.kind, file, c.option);
        const char *tool = std::string(c.kind) == "gifti-data" ? VSINFO_PATH : OBJINFO_PATH;
        CommandRun r = run(std::string(tool) + " " + q(file));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
    }
    std::string column = path("column.func.gii");
    ASSERT_EQ(run(std::string(NIBABEL_PYTHON) +
                  " -c 'import numpy as np, nibabel as nib; from nibabel.gifti import *; "
                  "GiftiImage(darrays=[GiftiDataArray(np.arange(5, dtype=np.float32)"
                  ".reshape(5, 1))]).to_filename(\"" + column + "\")'").status, 0);
    CommandRun r = run(std::string(VSINFO_PATH) + " " + q(column));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr("columns: 1\nrows: 5\n"));
}

} // namespace
