// Bad input to the readers of other programs' formats: each is refused with
// a message naming the file and the reason, and nothing is handed out.
#include "scratch_dir_test.h"

#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "vertex_data.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>

namespace {

std::string messages;

void collect(const char *text) { messages += text; }

std::string be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string floats(std::initializer_list<float> values)
{
    std::string out;
    for (float f : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        out += be32(bits);
    }
    return out;
}

std::string fs_surface(std::uint32_t n_points, std::uint32_t n_triangles,
                       const std::string &body)
{
    return std::string("\xff\xff\xfe", 3) + "created by hand\n\n" + be32(n_points) +
           be32(n_triangles) + body;
}

const std::string three_points = floats({0, 0, 0, 1, 0, 0, 0, 1, 0});

class FormatErrorTest : public ScratchDirTest {
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

    // The surface is refused with a message naming the file and saying why.
    void expect_surface_refused(const std::string &name, const std::string &bytes,
                                const std::string &reason)
    {
        SCOPED_TRACE(name);
        messages.clear();
        std::string file = write(name, bytes);
        object_struct *object = reinterpret_cast<object_struct *>(1);
        Status status = name.ends_with(".gii") ? input_gifti_surface(file.c_str(), &object, nullptr)
                                               : input_freesurfer_surface(file.c_str(), &object, nullptr);
        EXPECT_EQ(status, ERROR);
        EXPECT_EQ(object, nullptr);
        EXPECT_NE(messages.find("\"" + file + "\""), std::string::npos) << messages;
        EXPECT_NE(messages.find(reason), std::string::npos) << messages;
    }

    void expect_data_refused(const std::string &name, const std::string &bytes,
                             const std::string &reason)
    {
        SCOPED_TRACE(name);
        messages.clear();
        std::string file = write(name, bytes);
        vertex_data data;
        data.columns.push_back({"stale", {1.0f}});
        EXPECT_EQ(input_vertex_data(file.c_str(), &data), ERROR);
        EXPECT_TRUE(data.columns.empty());
        EXPECT_NE(messages.find("\"" + file + "\""), std::string::npos) << messages;
        EXPECT_NE(messages.find(reason), std::string::npos) << messages;
    }

    std::string gzip(const std::string &bytes)
    {
        std::string file = path("gz.tmp");
        gzFile f = gzopen(file.c_str(), "wb");
        gzwrite(f, bytes.data(), unsigned(bytes.size()));
        gzclose(f);
        return slurp(file);
    }

    print_error_function previous = nullptr;
};

TEST_F(FormatErrorTest, FreesurferSurfaceCountsAndIndicesAreChecked)
{
    const std::string one_triangle = three_points + be32(0) + be32(1) + be32(2);
    // the good file, as a baseline for the broken ones below
    std::string good = write("lh.good", fs_surface(3, 1, one_triangle));
    object_struct *object = nullptr;
    ASSERT_EQ(input_freesurfer_surface(good.c_str(), &object, nullptr), OK) << messages;
    EXPECT_EQ(get_polygons_ptr(object)->indices[2], 2);
    delete_object(object);

    // points without triangles: nothing to read into, and nothing wrong
    std::string bare = write("lh.bare", fs_surface(3, 0, three_points));
    ASSERT_EQ(input_freesurfer_surface(bare.c_str(), &object, nullptr), OK) << messages;
    EXPECT_EQ(get_polygons_ptr(object)->n_items, 0);
    delete_object(object);

    expect_surface_refused("lh.huge", fs_surface(0x7fffffff, 0x7fffffff, one_triangle),
                           "do not fit in the 48 bytes left");
    expect_surface_refused("lh.negative", fs_surface(0xffffffff, 1, one_triangle),
                           "-1 points");
    expect_surface_refused("lh.truncated",
                           fs_surface(3, 1, one_triangle).substr(0, 50), "do not fit");
    expect_surface_refused("lh.nocounts", fs_surface(3, 1, "").substr(0, 22),
                           "ends before the point and triangle counts");
    expect_surface_refused("lh.outside", fs_surface(3, 1, three_points + be32(0) + be32(3) + be32(1)),
                           "triangle 0 names point 3, but the surface has 3 points");
    expect_surface_refused("lh.below", fs_surface(3, 1, three_points + be32(0xffffffff) + be32(0) + be32(1)),
                           "names point -1");
    expect_surface_refused("lh.noline", std::string("\xff\xff\xfe", 3) + "created",
                           "must end with an empty line");
    expect_surface_refused("lh.short", "\xff\xff", "too short");
    expect_surface_refused("lh.text", "P 0.3 0.3 0.4 10 1 4\n", "not a FreeSurfer surface");
}

TEST_F(FormatErrorTest, QuadrangleSurfacesAndCurvFilesAreToldApartAndRefused)
{
    // a curv file: magic, 2 vertices, 0 faces, 1 value per vertex, 2 values
    std::string curv = std::string("\xff\xff\xff", 3) + be32(2) + be32(0) + be32(1) +
                       floats({1.5f, -2.0f});
    expect_surface_refused("lh.curv", curv, "per-vertex data (a curv file), not a surface");
    // the same magic number, any other size: an old quadrangle surface
    expect_surface_refused("lh.quad", curv + std::string(2, '\0'), "quadrangle surface");
    expect_surface_refused("lh.newquad", std::string("\xff\xff\xfd", 3) + curv.substr(3),
                           "quadrangle surface");
    EXPECT_EQ(freesurfer_file_kind_of(path("lh.curv").c_str()), FREESURFER_CURV);
    EXPECT_EQ(freesurfer_file_kind_of(path("lh.quad").c_str()), FREESURFER_QUADRANGLE_SURFACE);

    vertex_data data;
    ASSERT_EQ(input_vertex_data(path("lh.curv").c_str(), &data), OK) << messages;
    ASSERT_EQ(data.columns.size(), 1u);
    EXPECT_EQ(data.columns[0].values, (std::vector<float>{1.5f, -2.0f}));
    expect_data_refused("lh.quad2", curv + std::string(2, '\0'), "a FreeSurfer surface, not per-vertex data");
}

TEST_F(FormatErrorTest, CurvAndMghCountsAreCheckedAgainstTheFile)
{
    const std::string magic("\xff\xff\xff", 3);
    // exact size is what makes a curv file; read directly, a short one is refused
    std::string file = write("lh.short", magic + be32(1000) + be32(0) + be32(1) + floats({1}));
    vertex_data data;
    messages.clear();
    EXPECT_EQ(input_freesurfer_curv(file.c_str(), &data), ERROR);
    EXPECT_NE(messages.find("1000 values do not fit"), std::string::npos) << messages;
    file = write("lh.two", magic + be32(1) + be32(0) + be32(2) + floats({1, 2}));
    messages.clear();
    EXPECT_EQ(input_freesurfer_curv(file.c_str(), &data), ERROR);
    EXPECT_NE(messages.find("2 values per vertex"), std::string::npos) << messages;

    auto mgh = [](std::int32_t version, std::int32_t w, std::int32_t h, std::int32_t frames,
                  std::int32_t type) {
        std::string header = be32(std::uint32_t(version)) + be32(std::uint32_t(w)) +
                             be32(std::uint32_t(h)) + be32(1) + be32(std::uint32_t(frames)) +
                             be32(std::uint32_t(type));
        return header + std::string(284 - header.size(), '\0');
    };
    const std::string four = floats({1, 2, 3, 4});
    expect_data_refused("a.mgh", mgh(1, 4, 1, 1, 3).substr(0, 100), "too short for an MGH header");
    expect_data_refused("b.mgh", mgh(2, 4, 1, 1, 3) + four, "version 2, not 1");
    expect_data_refused("c.mgh", mgh(1, 2, 2, 1, 3) + four, "a volume of 2 x 2 x 1 voxels");
    expect_data_refused("d.mgh", mgh(1, 4, 1, 1, 7) + four, "unknown MGH data type 7");
    expect_data_refused("e.mgh", mgh(1, 0x7fffffff, 1, 100000, 3) + four, "do not fit");
    expect_data_refused("f.mgh", mgh(1, 5, 1, 1, 3) + four, "do not fit");
    // no vertices and half a billion frames: nothing to read, so nothing may be allocated
    expect_data_refused("z.mgh", mgh(1, 0, 1, 0x1f8b0001, 3) + four, "a volume of 0 x 1 x 1 voxels");
    // compressed, the bound is what the compressed bytes can inflate to
    expect_data_refused("g.mgz", gzip(mgh(1, 100000000, 1, 1, 3) + four), "do not fit");
    expect_data_refused("h.mgz", gzip(mgh(1, 5, 1, 1, 3) + four), "ends before its 5 x 1 values");
    std::string whole = gzip(mgh(1, 4, 1, 1, 3) + four);
    expect_data_refused("i.mgz", whole.substr(0, whole.size() / 2), "MGH");

    file = write("good.mgz", whole);
    ASSERT_EQ(input_vertex_data(file.c_str(), &data), OK) << messages;
    EXPECT_EQ(data.columns[0].values, (std::vector<float>{1, 2, 3, 4}));
}

const char *const gifti_head =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"%d\">\n";

std::string gifti(const std::string &arrays, int n)
{
    char head[256];
    std::snprintf(head, sizeof head, gifti_head, n);
    return head + arrays + "</GIFTI>\n";
}

std::string ascii_array(const char *intent, const char *type, const std::string &dims,
                        const std::string &values)
{
    return std::string("<DataArray Intent=\"") + intent + "\" DataType=\"" + type +
           "\" ArrayIndexingOrder=\"RowMajorOrder\" " + dims +
           " Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" "
           "ExternalFileOffset=\"\"><Data>" + values + "</Data></DataArray>\n";
}

TEST_F(FormatErrorTest, GiftiFilesThatAreNotSurfacesOrNotGiftiAreRefused)
{
    const std::string points = ascii_array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32",
                                           "Dimensionality=\"2\" Dim0=\"3\" Dim1=\"3\"",
                                           "0 0 0 1 0 0 0 1 0");
    auto triangles = [](const std::string &values) {
        return ascii_array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_INT32",
                           "Dimensionality=\"2\" Dim0=\"1\" Dim1=\"3\"", values);
    };
    std::string good = write("good.surf.gii", gifti(points + triangles("0 1 2"), 2));
    object_struct *object = nullptr;
    ASSERT_EQ(input_gifti_surface(good.c_str(), &object, nullptr), OK) << messages;
    EXPECT_EQ(get_polygons_ptr(object)->points[1].x, 1.0f);
    delete_object(object);
    std::string spaced = write("spaced.surf.gii",
                               gifti("<MetaData><MD><Name>\n  <![CDATA[a]]></Name>"
                                     "<Value><![CDATA[v]]></Value></MD></MetaData>" +
                                         points + triangles("0 1 2"), 2));
    object = nullptr;
    EXPECT_EQ(input_gifti_surface(spaced.c_str(), &object, nullptr), OK) << messages;
    delete_object(object);

    expect_surface_refused("outside.surf.gii", gifti(points + triangles("0 1 3"), 2),
                           "triangle 0 names point 3, but the surface has 3 points");
    expect_surface_refused("data.surf.gii", gifti(points, 1), "not a GIFTI surface");
    expect_surface_refused("text.surf.gii", "P 0.3 0.3 0.4 10 1 4\n", "not an XML file");
    expect_surface_refused("other.surf.gii", "<?xml version=\"1.0\"?>\n<html></html>\n",
                           "the document element is html, not GIFTI");
    expect_surface_refused("broken.surf.gii", gifti(points + triangles("0 1 2"), 2).substr(0, 300),
                           "not a GIFTI file");
    // elements where the format has none are refused before the GIFTI
    // library, which crashes on this one
    std::string misplaced = points;
    misplaced.replace(misplaced.find("<Data>"), 0,
                      "<CoordinateSystemTransformMatrix><MatrixData>1 <MetaData></MetaData>"
                      "</MatrixData></CoordinateSystemTransformMatrix>");
    expect_surface_refused("misplaced.surf.gii", gifti(misplaced + triangles("0 1 2"), 2),
                           "not a GIFTI file (element MetaData inside MatrixData)");
    expect_surface_refused("unknown.surf.gii", gifti("<Surface/>", 0),
                           "element Surface inside GIFTI");
    expect_surface_refused("mixed.surf.gii",
                           gifti("<MetaData><MD><Name><![CDATA[a]]>b</Name><Value>v</Value></MD>"
                                 "</MetaData>" + points + triangles("0 1 2"), 2),
                           "CDATA mixed with other text in Name");
    // even white space after a section: the library writes it through a
    // pointer the section's end has cleared
    expect_surface_refused("space_after_cdata.surf.gii",
                           gifti("<MetaData><MD><Name><![CDATA[a]]> </Name><Value>v</Value></MD>"
                                 "</MetaData>" + points + triangles("0 1 2"), 2),
                           "CDATA mixed with other text in Name");
    expect_surface_refused("line_after_cdata.surf.gii",
                           gifti("<LabelTable><Label Key=\"0\"><![CDATA[x]]>\n</Label></LabelTable>" +
                                     points + triangles("0 1 2"), 2),
                           "CDATA mixed with other text in Label");
    expect_surface_refused("pairs.surf.gii",
                           gifti("<MetaData><MD><Name>a</Name><Value>v</Value><Name>b</Name>"
                                 "<Value>w</Value></MD></MetaData>" + points + triangles("0 1 2"), 2),
                           "MD element holds more than one Name");
    expect_surface_refused("twice.surf.gii", gifti(points.substr(0, points.size() - 13) +
                                                       "<Data>1</Data></DataArray>\n" + triangles("0 1 2"), 2),
                           "DataArray element holds more than one Data");
    expect_surface_refused("promised.surf.gii", gifti(points + triangles("0 1 2"), 3),
                           "NumberOfDataArrays is \"3\" but the file holds 2");
    expect_surface_refused("huge.surf.gii",
                           gifti(ascii_array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32",
                                             "Dimensionality=\"2\" Dim0=\"100000000\" Dim1=\"3\"",
                                             "0 0 0") + triangles("0 1 2"), 2),
                           "data array 0 declares more values than its data can hold");
    expect_surface_refused("flat.surf.gii",
                           gifti(ascii_array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32",
                                             "Dimensionality=\"2\" Dim0=\"3\" Dim1=\"2\"",
                                             "0 0 1 0 0 1") + triangles("0 1 2"), 2),
                           "POINTSET array is not n x 3");
    expect_surface_refused("fraction.surf.gii",
                           gifti(points + ascii_array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_FLOAT32",
                                                      "Dimensionality=\"2\" Dim0=\"1\" Dim1=\"3\"",
                                                      "0 1 1.5"), 2),
                           "not point indices");

    const std::string column = ascii_array("NIFTI_INTENT_SHAPE", "NIFTI_TYPE_FLOAT32",
                                           "Dimensionality=\"1\" Dim0=\"3\"", "1 2 3");
    const std::string longer = ascii_array("NIFTI_INTENT_SHAPE", "NIFTI_TYPE_FLOAT32",
                                           "Dimensionality=\"1\" Dim0=\"4\"", "1 2 3 4");
    expect_data_refused("lengths.func.gii", gifti(column + longer, 2),
                        "data array 1 has 4 values per column, data array 0 has 3");
    expect_data_refused("surface.func.gii", gifti(points + triangles("0 1 2"), 2),
                        "a GIFTI surface, not per-vertex data");
    expect_data_refused("text.func.gii", "1 2 3\n", "not an XML file");
    expect_data_refused("empty.func.gii", gifti("", 0), "without data arrays");
    expect_data_refused("nothing.func.gii",
                        gifti(ascii_array("NIFTI_INTENT_SHAPE", "NIFTI_TYPE_FLOAT32",
                                          "Dimensionality=\"2\" Dim0=\"3\"", ""), 1),
                        "data array 0 holds no values");
    expect_data_refused("cube.func.gii",
                        gifti(ascii_array("NIFTI_INTENT_SHAPE", "NIFTI_TYPE_FLOAT32",
                                          "Dimensionality=\"3\" Dim0=\"1\" Dim1=\"1\" Dim2=\"2\"",
                                          "1 2"), 1),
                        "3 dimensions");
    vertex_data data;
    ASSERT_EQ(input_vertex_data(write("good.func.gii", gifti(column, 1)).c_str(), &data), OK)
        << messages;
    // An empty result is refused before the GIFTI library sees it.
    messages.clear();
    EXPECT_EQ(output_gifti_data(path("empty.func.gii").c_str(), {{"none", {}}}), ERROR);
    EXPECT_NE(messages.find("empty.func.gii\": no vertices to write"), std::string::npos);
    polygons_struct nothing{};
    EXPECT_EQ(output_gifti_surface(path("empty.surf.gii").c_str(), &nothing, nullptr), ERROR);
    EXPECT_NE(messages.find("a surface without points or triangles"), std::string::npos);

    // One array without a name, or named by a path, is named after its file.
    EXPECT_EQ(data.columns[0].name, "good");
    EXPECT_EQ(data.columns[0].values, (std::vector<float>{1, 2, 3}));
    std::string named = column;
    named.insert(named.find("<Data>"),
                 "<MetaData><MD><Name>Name</Name><Value>/subjects/bert/surf/lh.sulc</Value></MD>"
                 "</MetaData>");
    ASSERT_EQ(input_vertex_data(write("lh.sulc.shape.gii", gifti(named, 1)).c_str(), &data), OK)
        << messages;
    EXPECT_EQ(data.columns[0].name, "lh.sulc");
    ASSERT_EQ(input_vertex_data(write("two.func.gii", gifti(named + column, 2)).c_str(), &data), OK)
        << messages;
    EXPECT_EQ(data.columns[0].name, "two_0");
    EXPECT_EQ(data.columns[1].name, "array1");
}

TEST_F(FormatErrorTest, GiftiSurfaceTellsItsAnatomicalStructure)
{
    auto md = [](const std::string &name, const std::string &value) {
        return "<MD><Name>" + name + "</Name><Value>" + value + "</Value></MD>";
    };
    auto points = [](const std::string &meta) {
        std::string array = ascii_array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32",
                                        "Dimensionality=\"2\" Dim0=\"3\" Dim1=\"3\"",
                                        "0 0 0 1 0 0 0 1 0");
        if (!meta.empty())
            array.replace(array.find("<Data>"), 0, "<MetaData>" + meta + "</MetaData>");
        return array;
    };
    const std::string triangles = ascii_array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_INT32",
                                              "Dimensionality=\"2\" Dim0=\"1\" Dim1=\"3\"",
                                              "0 1 2");
    auto structure = [&](const std::string &name, const std::string &text) {
        object_struct *object = nullptr;
        gifti_surface_info info;
        std::memset(&info, 'x', sizeof info);
        EXPECT_EQ(input_gifti_surface(write(name, text).c_str(), &object, &info), OK) << messages;
        delete_object(object);
        return std::string(info.structure);
    };
    // The points' own label wins over the file's.
    EXPECT_EQ(structure("array.surf.gii",
                        gifti("<MetaData>" + md("AnatomicalStructurePrimary", "CortexRight") +
                                  "</MetaData>" +
                                  points(md("Name", "pial") +
                                         md("AnatomicalStructurePrimary", "CortexLeft")) +
                                  triangles,
                              2)),
              "CortexLeft");
    EXPECT_EQ(structure("file.surf.gii",
                        gifti("<MetaData>" + md("AnatomicalStructurePrimary", "CortexRight") +
                                  "</MetaData>" + points("") + triangles,
                              2)),
              "CortexRight");
    EXPECT_EQ(structure("none.surf.gii",
                        gifti(points(md("AnatomicalStructureSecondary", "Pial")) + triangles, 2)),
              "");
    const std::string longer(200, 'L');
    EXPECT_EQ(structure("long.surf.gii",
                        gifti(points(md("AnatomicalStructurePrimary", longer)) + triangles, 2)),
              longer.substr(0, sizeof(gifti_surface_info::structure) - 1));
}

TEST_F(FormatErrorTest, MissingFilesAndUnknownContentAreNamed)
{
    expect_surface_refused("none.surf.gii", std::string(), "not an XML file");
    messages.clear();
    object_struct *object = nullptr;
    EXPECT_EQ(input_freesurfer_surface(path("absent").c_str(), &object, nullptr), ERROR);
    EXPECT_NE(messages.find("absent"), std::string::npos) << messages;
    expect_data_refused("lh.text", "0.5 1.5\n", "not a FreeSurfer curv, MGH, MGZ or GIFTI file");
    // bytes an old curv file could have, under a statistics file's name
    const std::string old_curv("\0\0\x01\0\0\0\x01\x02", 8);
    EXPECT_EQ(vertex_data_format(write("lh.sulc", old_curv).c_str()), FREESURFER_OLD_CURV_DATA);
    EXPECT_EQ(vertex_data_format(write("lh.sulc.txt", old_curv).c_str()), NOT_VERTEX_DATA);
}

} // namespace
