// Bad parcellation files: each refused (or, for a label the table lacks,
// read with the vertex unknown) with a message naming the file and the
// problem, and nothing handed out after a refusal.
#include "scratch_dir_test.h"

#include "parcel_files.h"

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;

std::string messages;
void collect(const char *text) { messages += text; }

std::string be32(std::int32_t value)
{
    const auto v = std::uint32_t(value);
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string text(const std::string &s) { return be32(std::int32_t(s.size() + 1)) + s + '\0'; }
std::string rgbt(int r, int g, int b, int t) { return be32(r) + be32(g) + be32(b) + be32(t); }

// Three vertices labelled with the packed colours given, then 'table'.
std::string annotation(std::int32_t a, std::int32_t b, std::int32_t c, const std::string &table)
{
    return be32(3) + be32(0) + be32(a) + be32(1) + be32(b) + be32(2) + be32(c) + be32(1) + table;
}
// A version-2 table of two entries (index 0 colour 10 0 0, index 1 colour 0 20 0).
std::string new_table(int first_index = 0, int second_index = 1)
{
    return be32(-2) + be32(2) + text("NOFILE") + be32(2) + be32(first_index) + text("red") +
           rgbt(10, 0, 0, 0) + be32(second_index) + text("green") + rgbt(0, 20, 0, 0);
}

class ParcelErrorTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        messages.clear();
        previous = set_print_error_function(collect);
    }
    void TearDown() override
    {
        set_print_error_function(previous);
        ScratchDirTest::TearDown();
    }

    // The annotation is refused, naming the file and saying why.
    void expect_refused(const std::string &bytes, const std::string &why)
    {
        SCOPED_TRACE(why);
        messages.clear();
        std::string file = write("lh.bad.annot", bytes);
        parcellation parcels;
        parcels.regions.resize(2);
        EXPECT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), ERROR);
        EXPECT_THAT(messages, HasSubstr("\"" + file + "\": " + why));
        EXPECT_TRUE(parcels.regions.empty() && parcels.vertex_regions.empty());
    }

    print_error_function previous = nullptr;
};

TEST_F(ParcelErrorTest, AnnotationsWithCountsOrTablesBeyondTheFileAreRefused)
{
    const std::string good = annotation(10, 20 << 8, 0, new_table());
    expect_refused(be32(1 << 30) + be32(0), "1073741824 vertices do not fit");
    expect_refused(be32(-3), "-3 vertices do not fit");
    expect_refused(good.substr(0, 12), "3 vertices do not fit");
    expect_refused(good.substr(0, 28), "no colour table after the vertices");
    expect_refused(good.substr(0, 28) + be32(7) + new_table(),
                   "7 where the colour table's tag (1) belongs");
    expect_refused(annotation(10, 10, 10, ""), "the file ends inside its colour table");
    expect_refused(annotation(10, 10, 10, be32(1 << 28) + text("x")),
                   "a colour table of 268435456 entries does not fit");
    expect_refused(annotation(10, 10, 10, be32(-2) + be32(5) + text("x") + be32(1 << 27)),
                   "a colour table of 134217728 entries does not fit");
    expect_refused(annotation(10, 10, 10, be32(2) + be32(1 << 30) + "ab"),
                   "a name of 1073741824 bytes in its colour table does not fit");
    expect_refused(annotation(10, 10, 10, be32(-1) + be32(2)), "unknown colour table version 1");
    expect_refused(annotation(10, 10, 10, new_table(0, 0)),
                   "colour table index 0 appears twice (\"red\" and \"green\")");
    expect_refused(annotation(10, 10, 10, new_table(0, 2)),
                   "colour table entry index 2 lies outside the table's 2 entries");
    expect_refused(good.substr(0, good.size() - 3), "the file ends inside its colour table");
    std::string moved = good;
    moved[23] = 9; // the third pair's vertex
    expect_refused(moved, "vertex 9 lies outside its 3 vertices");
    expect_refused(be32(3) + be32(0), "3 vertices do not fit");

    // the good one reads, from a file and from memory
    std::string file = write("lh.good.annot", good);
    parcellation parcels;
    ASSERT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), OK);
    EXPECT_EQ(parcels.vertex_regions, (std::vector<int>{0, 1, no_region}));
    File memory;
    ASSERT_EQ(open_memory_file(good.data(), good.size(), "in memory", BINARY_FORMAT, &memory), OK);
    parcellation again;
    EXPECT_EQ(read_freesurfer_annotation(memory, &again), OK);
    close_file(memory);
    EXPECT_EQ(again.vertex_regions, parcels.vertex_regions);
}

TEST_F(ParcelErrorTest, AnnotationLabelsTheTableLacksAreUnknownWithAWarning)
{
    std::string file = write("lh.odd.annot", annotation(77, 10, 77, new_table()));
    parcellation parcels;
    ASSERT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), OK);
    EXPECT_EQ(parcels.vertex_regions, (std::vector<int>{no_region, 0, no_region}));
    EXPECT_THAT(messages, HasSubstr("\"" + file + "\": 2 vertices have a label (77, for one) "
                                    "that no colour table entry has; they are unknown"));
    EXPECT_EQ(region_vertex_counts(parcels), (std::vector<int>{1, 0}));

    // colour values beyond a byte's range are clamped, the transparency's too
    std::string wild = be32(-2) + be32(1) + text("") + be32(1) + be32(0) + text("odd") +
                       rgbt(300, -5, 7, INT32_MIN);
    file = write("lh.wild.annot", annotation(255 + 7 * 65536, 0, 0, wild));
    ASSERT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), OK);
    EXPECT_EQ(parcels.regions[0].colour, (parcel_colour{255, 0, 7, 255}));
    EXPECT_EQ(parcels.vertex_regions[0], 0);
}

// A table of 500 entries of one colour warns in four lines, not 499.
TEST_F(ParcelErrorTest, RegionsSharingAColourAreSummarised)
{
    std::string table = be32(-2) + be32(500) + text("NOFILE") + be32(500);
    for (int i = 0; i < 500; ++i)
        table += be32(i) + text("r" + std::to_string(i)) + rgbt(10, 0, 0, 0);
    const std::string file = write("lh.same.annot", annotation(10, 10, 10, table));
    parcellation parcels;
    ASSERT_EQ(input_freesurfer_annotation(file.c_str(), &parcels), OK);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 4) << messages;
    EXPECT_THAT(messages, HasSubstr("regions \"r0\" and \"r3\" share one colour"));
    EXPECT_THAT(messages, HasSubstr("496 more regions share a colour with an earlier one"));
    EXPECT_EQ(parcels.vertex_regions, (std::vector<int>{0, 0, 0}));
}

TEST_F(ParcelErrorTest, GiftiLabelTablesWithARepeatedKeyAreRefused)
{
    std::string file = write(
        "lh.dup.label.gii",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<GIFTI Version=\"1.0\" NumberOfDataArrays=\"1\">\n"
        "<LabelTable>\n"
        "<Label Key=\"1\" Red=\"1\" Green=\"0\" Blue=\"0\" Alpha=\"1\"><![CDATA[V1]]></Label>\n"
        "<Label Key=\"1\" Red=\"0\" Green=\"1\" Blue=\"0\" Alpha=\"1\"><![CDATA[V2]]></Label>\n"
        "</LabelTable>\n"
        "<DataArray Intent=\"NIFTI_INTENT_LABEL\" DataType=\"NIFTI_TYPE_INT32\" "
        "ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"1\" Dim0=\"3\" "
        "Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" "
        "ExternalFileOffset=\"\">\n<Data>1 1 0</Data>\n</DataArray>\n</GIFTI>\n");
    EXPECT_TRUE(gifti_file_holds_labels(file.c_str()));
    parcellation parcels;
    EXPECT_EQ(input_gifti_labels(file.c_str(), &parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("\"" + file + "\": key 1 appears twice in the label table "
                                    "(\"V1\" and \"V2\")"));
    EXPECT_TRUE(parcels.regions.empty());

    // a label without a full colour would leave the library's colours short
    std::string partly = slurp(file);
    const std::string blue = "Green=\"1\" Blue=\"0\" ";
    partly.replace(partly.find(blue), blue.size(), "Green=\"1\" ");
    partly.replace(partly.find("Key=\"1\" Red=\"0\""), 7, "Key=\"2\"");
    file = write("lh.partly.label.gii", partly);
    messages.clear();
    EXPECT_EQ(input_gifti_labels(file.c_str(), &parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("\"" + file + "\": 1 of its 2 labels have no full colour"));
    // and one without a key, whose key the library would read past its keys' end
    partly = slurp(path("lh.dup.label.gii"));
    partly.replace(partly.find("Key=\"1\" Red=\"0\""), 3, "K4y");
    file = write("lh.keyless.label.gii", partly);
    messages.clear();
    EXPECT_EQ(input_gifti_labels(file.c_str(), &parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("\"" + file + "\": label 1 of its table has no integer key"));

    // Caret's files name the key Index, as GIFTI did before 2010.
    std::string caret = slurp(path("lh.dup.label.gii"));
    caret.replace(caret.find("Key=\"1\" Red=\"1\""), 7, "Index=\"0\"");
    caret.replace(caret.find("Key=\"1\" Red=\"0\""), 7, "Index=\"1\"");
    file = write("lh.caret.label.gii", caret);
    messages.clear();
    ASSERT_EQ(input_gifti_labels(file.c_str(), &parcels), OK) << messages;
    ASSERT_EQ(parcels.regions.size(), 2u);
    EXPECT_EQ(parcels.regions[0].key, 0);
    EXPECT_EQ(parcels.regions[1].name, "V2");
    EXPECT_EQ(parcels.vertex_regions, (std::vector<int>{1, 1, 0}));
}

TEST_F(ParcelErrorTest, BrokenLabelFilesAreRefused)
{
    struct Case {
        const char *bytes, *why;
    } cases[] = {
        {"#!ascii label\n", "no vertex count on its second line"},
        {"#!ascii label", "no count after the comment line"},
        {"#!ascii label\n900000000\n1 0 0 0 0\n", "900000000 rows do not fit"},
        {"#!ascii label\n-2\n", "-2 rows do not fit"},
        {"#!ascii label\n2\n1 0 0 0 0\n2 0 0 x y\n", "row 2 of 2 is not \"vertex x y z value\""},
        {"#!ascii label\n1\n1.5 0 0 0 0\n", "row 1 of 1 is not"},
        {"#!ascii label\n1\n-1 0 0 0 0\n", "row 1 names vertex -1 (a volume label"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        messages.clear();
        std::string file = write("lh.bad.label", c.bytes);
        freesurfer_label label;
        EXPECT_EQ(input_freesurfer_label(file.c_str(), &label), ERROR);
        EXPECT_THAT(messages, HasSubstr("\"" + file + "\": " + c.why));
        EXPECT_TRUE(label.vertices.empty());
    }
}

TEST_F(ParcelErrorTest, ALabelWithoutASurfaceIsBoundedByItsRows)
{
    parcellation parcels;
    std::string file = write("lh.far.label", "#!ascii label\n1\n2147483647 0 0 0 0\n");
    EXPECT_EQ(input_parcellation(file.c_str(), -1, &parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("\"" + file + "\": it names vertex 2147483647; without a "
                                    "surface, labels of vertices below 16777216 are read"));
    EXPECT_TRUE(parcels.vertex_regions.empty());
    file = write("lh.near.label", "#!ascii label\n2\n4 0 0 0 0\n1 0 0 0 0\n");
    ASSERT_EQ(input_parcellation(file.c_str(), -1, &parcels), OK) << messages;
    EXPECT_EQ(parcels.vertex_regions.size(), 5u);
}

TEST_F(ParcelErrorTest, APparcellationOfAnotherVertexCountIsRefusedNamingBoth)
{
    parcellation parcels;
    parcels.vertex_regions.assign(163842, no_region);
    EXPECT_EQ(check_parcellation_vertices("lh.aparc.annot", parcels, 163842), OK);
    EXPECT_EQ(check_parcellation_vertices("lh.aparc.annot", parcels, 40962), ERROR);
    EXPECT_THAT(messages, HasSubstr("\"lh.aparc.annot\" has 163842 vertices, the surface has "
                                    "40962"));
}

TEST_F(ParcelErrorTest, WritersRefuseWhatTheirFormatCannotHold)
{
    parcellation parcels;
    parcels.regions = {{0, "lake", {0, 0, 200, 255}}, {4, "sea", {0, 0, 200, 128}},
                       {7, "land", {0, 90, 0, 255}}};
    parcels.vertex_regions = {0, 1, 2, no_region};
    std::string annot = path("lh.out.annot");
    EXPECT_EQ(output_freesurfer_annotation(annot.c_str(), parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("regions \"lake\" (key 0) and \"sea\" (key 4) have the same "
                                    "colour 0 0 200"));
    parcels.regions[1].colour.b = 201;
    parcels.regions[2].key = -1;
    EXPECT_EQ(output_freesurfer_annotation(annot.c_str(), parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("region \"land\" has key -1"));
    parcels.regions[2].key = 4;
    EXPECT_EQ(output_freesurfer_annotation(annot.c_str(), parcels), ERROR);
    EXPECT_THAT(messages, HasSubstr("regions \"sea\" and \"land\" share key 4"));

    // An empty result is refused before the GIFTI library sees it.
    EXPECT_EQ(output_gifti_labels(path("empty.label.gii").c_str(), parcellation{}), ERROR);
    EXPECT_THAT(messages, HasSubstr("empty.label.gii\": no vertices to write"));

    // sparse keys survive as table indices; alpha does not
    parcels.regions[2].key = 9;
    ASSERT_EQ(output_freesurfer_annotation(annot.c_str(), parcels), OK);
    parcellation back;
    ASSERT_EQ(input_freesurfer_annotation(annot.c_str(), &back), OK) << messages;
    ASSERT_EQ(back.regions.size(), 3u);
    EXPECT_EQ(back.regions[1].key, 4);
    EXPECT_EQ(back.regions[1].colour, (parcel_colour{0, 0, 201, 255}));
    EXPECT_EQ(back.regions[2].key, 9);
    EXPECT_EQ(back.vertex_regions, parcels.vertex_regions);

    // keys as packed colours, up to the largest int: the table is
    // renumbered in key order, each vertex keeps its region
    parcels.regions[0].key = 2147483647;
    parcels.regions[2].key = annotation_max_index;
    messages.clear();
    ASSERT_EQ(output_freesurfer_annotation(annot.c_str(), parcels), OK);
    EXPECT_THAT(messages, HasSubstr("region keys up to 2147483647 are written as table "
                                    "indices 0 to 2"));
    ASSERT_EQ(input_freesurfer_annotation(annot.c_str(), &back), OK) << messages;
    ASSERT_EQ(back.regions.size(), 3u);
    EXPECT_EQ(back.regions[0].name, "sea");
    EXPECT_EQ(back.regions[2].name, "lake");
    EXPECT_EQ(back.regions[2].key, 2);
    std::vector<std::string> names;
    for (int r : back.vertex_regions)
        names.push_back(r == no_region ? "-" : back.regions[std::size_t(r)].name);
    EXPECT_EQ(names, (std::vector<std::string>{"lake", "sea", "land", "-"}));
}

} // namespace
