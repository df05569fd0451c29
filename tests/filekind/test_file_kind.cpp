#include "file_kind.h"

#include "parcel_files.h"
#include "scratch_dir_test.h"
#include "vertex_data.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string samples = SAMPLES_DIR;

class FileKindTest : public ScratchDirTest {
protected:
    file_kind_info kind(const std::string &file) const { return file_kind_of(file.c_str()); }

    // A gzip copy of a file, under another name.
    std::string gzip(const std::string &from, const std::string &name) const
    {
        const std::string bytes = slurp(from);
        gzFile out = gzopen(path(name).c_str(), "wb");
        EXPECT_NE(out, nullptr);
        EXPECT_EQ(gzwrite(out, bytes.data(), unsigned(bytes.size())), int(bytes.size()));
        gzclose(out);
        return path(name);
    }

    std::string labels() const
    {
        parcellation parcels;
        parcels.vertex_regions = {0, 1, 1, no_region};
        parcels.regions = {{1, "frontal", {255, 0, 0, 255}}, {2, "occipital", {0, 0, 255, 255}}};
        EXPECT_EQ(output_gifti_labels(path("lh.aparc.label.gii").c_str(), parcels), OK);
        return path("lh.aparc.label.gii");
    }
};

TEST_F(FileKindTest, EachFormatByNameOrContent)
{
    const struct {
        std::string file;
        file_kind_info expected;
    } cases[] = {
        {samples + "/brain.obj", {SURFACE_FILE_KIND, OBJ_FILE_FORMAT}},
        {samples + "/lh.brain", {SURFACE_FILE_KIND, FREESURFER_SURFACE_FILE_FORMAT}},
        {samples + "/brain.vertstats", {VERTEX_DATA_FILE_KIND, VERTSTATS_FILE_FORMAT}},
        {samples + "/brain.func.gii", {VERTEX_DATA_FILE_KIND, GIFTI_DATA_FILE_FORMAT}},
        {write("values.csv", "1\n2\n"), {VERTEX_DATA_FILE_KIND, VERTSTATS_FILE_FORMAT}},
        {samples + "/subject/surf/lh.curv", {VERTEX_DATA_FILE_KIND, FREESURFER_CURV_FILE_FORMAT}},
        {samples + "/landmarks.tag", {LANDMARK_FILE_KIND, TAG_FILE_FORMAT}},
        {samples + "/subject/label/rh.aparc.annot",
         {PARCELLATION_FILE_KIND, FREESURFER_ANNOTATION_FILE_FORMAT}},
        // a scene by its name alone, even before it is written
        {path("figure.gyrolux"), {SCENE_FILE_KIND, SCENE_FILE_FORMAT}},
        {path("missing"), {}},
        {write("notes.md", "# not a surface\n"), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(kind(c.file), c.expected) << c.file;

    // A FreeSurfer annotation renamed still reads as one; an old-style
    // suffix beats content (a broken file is what its name says).
    const std::string annot = write("lh.parcels", slurp(samples + "/subject/label/rh.aparc.annot"));
    EXPECT_EQ(kind(annot).kind, PARCELLATION_FILE_KIND);
    EXPECT_EQ(kind(write("broken.obj", "")).kind, SURFACE_FILE_KIND);
    EXPECT_EQ(file_format_name(kind(annot).format), std::string("FreeSurfer annotation"));
    EXPECT_EQ(file_kind_name(kind(annot).kind), std::string("parcellation"));
}

TEST_F(FileKindTest, MghAndCurvWrittenHereAreData)
{
    std::vector<vertex_column> columns{{"thickness", {1.0f, 2.0f, 3.0f, 4.0f}}};
    ASSERT_EQ(output_mgh_data(path("lh.thickness.mgh").c_str(), columns, false), OK);
    ASSERT_EQ(output_mgh_data(path("lh.thickness.mgz").c_str(), columns, true), OK);
    EXPECT_EQ(kind(path("lh.thickness.mgh")), (file_kind_info{VERTEX_DATA_FILE_KIND, MGH_FILE_FORMAT}));
    EXPECT_EQ(kind(path("lh.thickness.mgz")),
              (file_kind_info{VERTEX_DATA_FILE_KIND, MGZ_FILE_FORMAT, true}));
}

// The label intent decides wherever a label GIFTI file turns up: its own
// suffix, compressed, a plain ".gii" name, or no suffix at all.
TEST_F(FileKindTest, LabelGiftiIsAParcellationInEveryForm)
{
    const std::string plain = labels();
    const file_kind_info parcels{PARCELLATION_FILE_KIND, GIFTI_LABELS_FILE_FORMAT};
    const file_kind_info compressed{PARCELLATION_FILE_KIND, GIFTI_LABELS_FILE_FORMAT, true};
    EXPECT_EQ(kind(plain), parcels);
    EXPECT_EQ(kind(gzip(plain, "lh.aparc.label.gii.gz")), compressed);
    EXPECT_EQ(kind(gzip(plain, "lh.aparc.gii.gz")), compressed);
    EXPECT_EQ(kind(write("lh.aparc.gii", slurp(plain))), parcels);
    EXPECT_EQ(kind(gzip(plain, "lh.aparc")), compressed);
    EXPECT_EQ(kind(write("lh.aparc.raw", slurp(plain))), parcels);
    // and the reader the kind leads to reads the compressed file whole
    parcellation read;
    ASSERT_EQ(input_parcellation(path("lh.aparc.label.gii.gz").c_str(), -1, &read), OK);
    EXPECT_EQ(read.regions.size(), 2u);
    EXPECT_EQ(read.vertex_regions.size(), 4u);

    // GIFTI data compressed or unnamed stays data.
    const std::string data = samples + "/brain.func.gii";
    EXPECT_EQ(kind(gzip(data, "brain.func.gii.gz")),
              (file_kind_info{VERTEX_DATA_FILE_KIND, GIFTI_DATA_FILE_FORMAT, true}));
    EXPECT_EQ(kind(gzip(data, "brain.func")).kind, VERTEX_DATA_FILE_KIND);
}

} // namespace

// A reader's refusal says only that the file is not what it reads; the
// file's kind or its compression says why.
TEST_F(FileKindTest, MismatchSaysWhatTheFileIsInstead)
{
    EXPECT_EQ(file_kind_mismatch((samples + "/brain.obj").c_str(), SURFACE_FILE_KIND), "");
    EXPECT_EQ(file_kind_mismatch(write("s.gyrolux", "{}").c_str(), SURFACE_FILE_KIND),
              "it is a gyrolux scene file, not a surface file");
    EXPECT_EQ(file_kind_mismatch((samples + "/landmarks.tag").c_str(), VERTEX_DATA_FILE_KIND),
              "it is an MNI tag file, not a per-vertex data file");
    // bzip2 by its magic number whatever the name, and by name when empty
    EXPECT_EQ(file_kind_mismatch(write("lh.surf.gii", "BZh91AY&SY").c_str(), SURFACE_FILE_KIND),
              "it is bzip2-compressed; only gzip-compressed files are read");
    EXPECT_EQ(file_kind_mismatch(write("lh.gii.xz", "").c_str(), SURFACE_FILE_KIND),
              "it is xz-compressed; only gzip-compressed files are read");
    EXPECT_EQ(file_kind_mismatch(write("notes.md", "# text\n").c_str(), SURFACE_FILE_KIND), "");
}
