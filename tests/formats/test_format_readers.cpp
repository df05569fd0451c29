// The readers against nibabel: files nibabel writes read back with the
// same points, triangles and values; files gyrolux writes read by nibabel
// with the same values.
#include "format_test_util.h"

#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "vertex_data_vertstats.h"

#include <cmath>

namespace {

class ReaderTest : public FormatTest {
protected:
    std::string read_surface_dump(const std::string &file, bool gifti)
    {
        object_struct *object = nullptr;
        Status status = gifti ? input_gifti_surface(file.c_str(), &object, nullptr)
                              : input_freesurfer_surface(file.c_str(), &object, nullptr);
        EXPECT_EQ(status, OK) << file;
        if (object == nullptr)
            return "";
        const polygons_struct *p = get_polygons_ptr(object);
        check_record(p);
        std::string dump = dump_surface(p);
        delete_object(object);
        return dump;
    }

    // What the viewer relies on beyond the values: white, one colour, every
    // item a triangle, a unit normal at every point a triangle uses.
    static void check_record(const polygons_struct *p)
    {
        EXPECT_EQ(p->colour_flag, ONE_COLOUR);
        EXPECT_EQ(p->colours[0], make_Colour_0_1(1.0, 1.0, 1.0));
        ASSERT_NE(p->normals, nullptr);
        for (int i = 0; i < p->n_items; ++i)
            ASSERT_EQ(p->end_indices[i], 3 * (i + 1));
        std::vector<bool> used(std::size_t(p->n_points), false);
        for (int i = 0; i < 3 * p->n_items; ++i)
            used[std::size_t(p->indices[i])] = true;
        for (int i = 0; i < p->n_points; ++i) {
            const Vector &n = p->normals[i];
            double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
            if (used[std::size_t(i)] && length > 0.0) {
                EXPECT_NEAR(length, 1.0, 1e-5) << "point " << i;
            }
        }
    }

    std::string read_data_dump(const std::string &file, Vertex_data_formats expected)
    {
        EXPECT_EQ(vertex_data_format(file.c_str()), expected) << file;
        vertex_data data;
        EXPECT_EQ(input_vertex_data(file.c_str(), &data), OK) << file;
        EXPECT_EQ(data.format, expected);
        return dump_columns(data.columns);
    }
};

TEST_F(ReaderTest, FreesurferSurfaceKeepsPointsAndTrianglesExactly)
{
    std::string plain = path("lh.white"), with_centre = path("lh.pial");
    std::string expected = nibabel("write", "fs-surface", plain);
    EXPECT_EQ(read_surface_dump(plain, false), expected);
    EXPECT_EQ(nibabel("write", "fs-surface", with_centre, "centre"), expected);
    EXPECT_EQ(read_surface_dump(with_centre, false), expected);

    object_struct *object = nullptr;
    freesurfer_surface_info info;
    ASSERT_EQ(input_freesurfer_surface(plain.c_str(), &object, &info), OK);
    EXPECT_FALSE(info.has_centre);
    delete_object(object);
    ASSERT_EQ(input_freesurfer_surface(with_centre.c_str(), &object, &info), OK);
    EXPECT_TRUE(info.has_centre);
    EXPECT_EQ(info.centre[0], 1.5f);
    EXPECT_EQ(info.centre[1], -17.25f);
    EXPECT_EQ(info.centre[2], 9.0f);
    delete_object(object);
    EXPECT_EQ(freesurfer_file_kind_of(plain.c_str()), FREESURFER_TRIANGLE_SURFACE);
}

TEST_F(ReaderTest, GiftiSurfaceReadsInEveryEncoding)
{
    for (const char *encoding : {"ascii", "base64", "gzip"}) {
        SCOPED_TRACE(encoding);
        std::string file = path(std::string("lh.") + encoding + ".surf.gii");
        std::string expected = nibabel("write", "gifti-surface", file, encoding);
        EXPECT_EQ(read_surface_dump(file, true), expected);
    }
}

// What a GIFTI surface says of its points survives a read and a write.
TEST_F(ReaderTest, GiftiSurfaceKeepsItsStructureAndCoordinateSystem)
{
    object_struct *object = nullptr;
    nibabel("write", "gifti-surface", path("plain.surf.gii"), "base64");
    ASSERT_EQ(input_gifti_surface(path("plain.surf.gii").c_str(), &object, nullptr), OK);
    gifti_surface_info info{};
    std::snprintf(info.structure, sizeof info.structure, "CortexRight");
    std::snprintf(info.structure_secondary, sizeof info.structure_secondary, "Pial");
    std::snprintf(info.geometric_type, sizeof info.geometric_type, "Anatomical");
    std::snprintf(info.data_space, sizeof info.data_space, "NIFTI_XFORM_UNKNOWN");
    std::snprintf(info.transformed_space, sizeof info.transformed_space, "NIFTI_XFORM_TALAIRACH");
    info.has_transform = true;
    for (int i = 0; i < 4; ++i)
        info.transform[i][i] = 1.0;
    info.transform[0][3] = -12.5;
    const std::string out = path("kept.surf.gii");
    ASSERT_EQ(output_gifti_surface(out.c_str(), get_polygons_ptr(object), &info), OK);
    delete_object(object);
    EXPECT_NE(slurp(out).find("AnatomicalStructurePrimary"), std::string::npos);
    gifti_surface_info read{};
    ASSERT_EQ(input_gifti_surface(out.c_str(), &object, &read), OK);
    delete_object(object);
    EXPECT_STREQ(read.structure, "CortexRight");
    EXPECT_STREQ(read.structure_secondary, "Pial");
    EXPECT_STREQ(read.geometric_type, "Anatomical");
    EXPECT_STREQ(read.data_space, "NIFTI_XFORM_UNKNOWN");
    EXPECT_STREQ(read.transformed_space, "NIFTI_XFORM_TALAIRACH");
    EXPECT_TRUE(read.has_transform);
    EXPECT_EQ(read.transform[0][3], -12.5);
}

TEST_F(ReaderTest, CurvFilesOfBothFormsGiveOneColumnNamedAfterTheFile)
{
    std::string file = path("lh.thickness");
    std::string expected = nibabel("write", "curv", file);
    EXPECT_EQ(expected.rfind("column thickness 77\n", 0), 0u);
    EXPECT_EQ(read_data_dump(file, FREESURFER_CURV_DATA), expected);

    // nibabel reads the old form but does not write it: 3-byte counts, then
    // 16-bit hundredths
    std::string old_file = write("rh.sulc", std::string("\0\0\x05\0\0\x07", 6) +
                                                std::string("\0\0\xff\x9c\x30\x39\x80\0\x7f\xff", 10));
    std::string old_dump = read_data_dump(old_file, FREESURFER_OLD_CURV_DATA);
    EXPECT_EQ(old_dump, nibabel("dump", "curv", old_file));
    EXPECT_EQ(old_dump, "column sulc 5\n0\n-1\n123.449997\n-327.679993\n327.670013\n");
}

TEST_F(ReaderTest, MghAndMgzGiveOneColumnPerFrameForEveryDataType)
{
    struct Case {
        const char *name, *type;
        Vertex_data_formats format;
    } cases[] = {{"lh.float.mgh", "float32", MGH_DATA},
                 {"lh.float.mgz", "float32", MGZ_DATA},
                 {"lh.int.mgz", "int32", MGZ_DATA},
                 {"lh.short.mgh", "int16", MGH_DATA},
                 {"lh.uchar.mgz", "uint8", MGZ_DATA}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = path(c.name);
        std::string expected = nibabel("write", "mgh", file, c.type);
        EXPECT_EQ(read_data_dump(file, c.format), expected);
    }
    // the three frames of the float files
    EXPECT_NE(nibabel("dump", "mgh", path("lh.float.mgz")).find("column frame2 61\n"),
              std::string::npos);
}

TEST_F(ReaderTest, GiftiDataGivesColumnsNamedFromMetadataInEveryEncoding)
{
    for (const char *encoding : {"ascii", "base64", "gzip"}) {
        SCOPED_TRACE(encoding);
        std::string file = path(std::string("lh.") + encoding + ".func.gii");
        std::string expected = nibabel("write", "gifti-data", file, encoding);
        EXPECT_EQ(read_data_dump(file, GIFTI_DATA), expected);
    }
    vertex_data data;
    ASSERT_EQ(input_gifti_data(path("lh.gzip.func.gii").c_str(), &data), OK);
    std::vector<std::string> names;
    for (const vertex_column &column : data.columns)
        names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::string>{"thickness", "array1_0", "array1_1", "cluster_id"}));
}

TEST_F(ReaderTest, GiftiColumnMajorArraysAndOtherTypesReadAsNibabelReadsThem)
{
    std::string file = path("lh.types.func.gii");
    std::string expected = nibabel("write", "gifti-data", file, "types");
    EXPECT_EQ(read_data_dump(file, GIFTI_DATA), expected);
    EXPECT_NE(slurp(file).find("ColumnMajorOrder"), std::string::npos);
}

TEST_F(ReaderTest, NibabelReadsTheFilesWeWrite)
{
    std::string source = path("lh.white");
    nibabel("write", "fs-surface", source);
    object_struct *object = nullptr;
    ASSERT_EQ(input_freesurfer_surface(source.c_str(), &object, nullptr), OK);
    std::string out = path("lh.white.surf.gii"), fs_out = path("lh.copy");
    ASSERT_EQ(output_gifti_surface(out.c_str(), get_polygons_ptr(object), nullptr), OK);
    EXPECT_EQ(nibabel("dump", "gifti-surface", out), dump_surface(get_polygons_ptr(object)));
    ASSERT_EQ(output_freesurfer_surface(fs_out.c_str(), get_polygons_ptr(object)), OK);
    EXPECT_EQ(nibabel("dump", "fs-surface", fs_out), dump_surface(get_polygons_ptr(object)));
    delete_object(object);

    std::vector<vertex_column> columns = {{"thickness", {0.0f, -1.5f, 3e-8f, 1e30f}},
                                          {"p_value", {1.0f, 0.5f, 0.25f, -0.0f}}};
    std::string data_file = path("lh.stats.func.gii");
    ASSERT_EQ(output_gifti_data(data_file.c_str(), columns), OK);
    std::string dump = nibabel("dump", "gifti-data", data_file);
    EXPECT_EQ(dump, dump_columns(columns));
    // and we read back what we wrote
    vertex_data data;
    ASSERT_EQ(input_gifti_data(data_file.c_str(), &data), OK);
    EXPECT_EQ(dump_columns(data.columns), dump);
}

TEST_F(ReaderTest, DataFillsAStatisticsFileRecordingWhereItCameFrom)
{
    std::string file = path("lh.float.mgz");
    nibabel("write", "mgh", file, "float32");
    vertex_data data;
    ASSERT_EQ(input_vertex_data(file.c_str(), &data), OK);
    zelVertstatsFile stats;
    fill_vertstats_file(stats, data, file.c_str());
    EXPECT_EQ(stats.getNumColumns(), 3);
    EXPECT_EQ(stats.getNumRows(), 61);
    EXPECT_EQ(stats.getDataHeader(), (std::vector<std::string>{"frame0", "frame1", "frame2"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(stats.getDataColumn(i), data.columns[std::size_t(i)].values);
    EXPECT_EQ(stats.getHeaderValue("source"), file + "\n");
    EXPECT_EQ(stats.getHeaderValue("source_format"), "MGZ\n");
}

} // namespace
