// The three parcellation readers against nibabel's reading of the same
// files: regions, names, colours and every vertex's region, exactly.
#include "parcel_test_util.h"

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;

std::string messages;
void collect(const char *text) { messages += text; }

class ParcelReaderTest : public FormatTest {
protected:
    void SetUp() override
    {
        FormatTest::SetUp();
        messages.clear();
        previous = set_print_error_function(collect);
    }
    void TearDown() override
    {
        set_print_error_function(previous);
        FormatTest::TearDown();
    }
    print_error_function previous = nullptr;
};

std::string dump_label(const freesurfer_label &label)
{
    std::string out = "label " + std::to_string(label.vertices.size()) + "\n";
    for (std::size_t i = 0; i < label.vertices.size(); ++i)
        out += std::to_string(label.vertices[i]) + " " + dump_number(label.positions[3 * i]) +
               " " + dump_number(label.positions[3 * i + 1]) + " " +
               dump_number(label.positions[3 * i + 2]) + " " + dump_number(label.values[i]) +
               "\n";
    return out;
}

TEST_F(ParcelReaderTest, AnnotationsOfBothTableLayoutsReadAsNibabelReadsThem)
{
    for (const char *layout : {"new", "old"}) {
        SCOPED_TRACE(layout);
        std::string file = path(std::string("lh.") + layout + ".annot");
        std::string expected = nibabel("write", "annot", file, layout);
        EXPECT_EQ(parcellation_format(file.c_str()), FREESURFER_ANNOTATION);
        parcellation parcels;
        ASSERT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), OK) << messages;
        EXPECT_EQ(parcels.format, FREESURFER_ANNOTATION);
        EXPECT_EQ(dump_parcellation(parcels), expected);
        EXPECT_EQ(messages, "");
    }
    // known by content too, whatever its name
    std::string renamed = path("aparc");
    std::filesystem::copy_file(path("lh.new.annot"), renamed);
    EXPECT_EQ(parcellation_format(renamed.c_str()), FREESURFER_ANNOTATION);
}

TEST_F(ParcelReaderTest, GiftiLabelsReadAsNibabelReadsThemAKeyOutsideTheTableUnknown)
{
    std::string file = path("lh.aparc.label.gii");
    std::string expected = nibabel("write", "gifti-labels", file);
    parcellation parcels;
    ASSERT_EQ(input_gifti_labels(file.c_str(), &parcels), OK) << messages;
    EXPECT_EQ(parcels.format, GIFTI_LABELS);
    EXPECT_EQ(dump_parcellation(parcels), expected);
    EXPECT_THAT(messages, HasSubstr("lh.aparc.label.gii\": 1 vertices have a key (99, for "
                                    "one) that the label table does not hold"));
    // a label file under a plain .gii name is told apart by its intent
    std::string plain = path("parcels.gii");
    std::filesystem::copy_file(file, plain);
    EXPECT_EQ(parcellation_format(plain.c_str()), GIFTI_LABELS);
    EXPECT_TRUE(gifti_file_holds_labels(plain.c_str()));
}

TEST_F(ParcelReaderTest, LabelFilesReadAsNibabelReadsThemAndCombineOnASurface)
{
    std::string v1 = path("lh.V1_exvivo.label"), v2 = path("lh.V2_exvivo.label");
    std::string expected = nibabel("write", "label", v1);
    nibabel("write", "label", v2);
    freesurfer_label first, second;
    ASSERT_EQ(input_freesurfer_label(v1.c_str(), &first), OK) << messages;
    ASSERT_EQ(input_freesurfer_label(v2.c_str(), &second), OK) << messages;
    EXPECT_EQ(first.name, "V1_exvivo");
    EXPECT_EQ(dump_label(first), expected);

    // our own writer, read back by nibabel
    second.vertices = {4, 5, 89};
    second.positions = {1.5f, -2.25f, 3.0f, 0.1f, 0.2f, 0.3f, -7.0f, 8.0f, 9.0f};
    second.values = {0.5f, 1.0f, 0.0f};
    ASSERT_EQ(output_freesurfer_label(v2.c_str(), second), OK);
    EXPECT_EQ(nibabel("dump", "label", v2), dump_label(second));

    parcellation parcels;
    ASSERT_EQ(combine_freesurfer_labels({first, second}, {v1, v2}, 90, &parcels), OK);
    ASSERT_EQ(parcels.regions.size(), 2u);
    EXPECT_EQ(parcels.regions[0].name, "V1_exvivo");
    EXPECT_EQ(parcels.regions[1].name, "V2_exvivo");
    EXPECT_NE(parcels.regions[0].colour, parcels.regions[1].colour);
    std::vector<int> expected_regions(90, no_region);
    for (int v : first.vertices)
        expected_regions[std::size_t(v)] = 0;
    for (int v : second.vertices) // the later label wins where they overlap
        expected_regions[std::size_t(v)] = 1;
    EXPECT_EQ(parcels.vertex_regions, expected_regions);

    // a surface too small for the second label
    EXPECT_EQ(combine_freesurfer_labels({first, second}, {v1, v2}, 89, &parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("lh.V2_exvivo.label\": it names vertex 89, beyond the "
                                    "surface's 89 vertices"));
    EXPECT_TRUE(parcels.regions.empty() && parcels.vertex_regions.empty());
}

TEST_F(ParcelReaderTest, DistinctColoursStayApartForAnAtlasWorthOfLabels)
{
    for (int i = 0; i < 60; ++i) {
        for (int j = 0; j < i; ++j) {
            parcel_colour a = distinct_parcel_colour(i), b = distinct_parcel_colour(j);
            int d = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            EXPECT_GE(d, i < 24 ? 50 : 15) << i << " and " << j; // of 255 * 3
        }
    }
}

} // namespace
