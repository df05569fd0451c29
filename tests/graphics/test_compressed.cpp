// Compressed sphere polygons in surface files: both forms, both directions,
// the compression switch and refusal of bad counts.
#include "compressed_polygons.h"
#include "geometry.h"
#include "object_io.h"
#include "polygon_normals.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using ::testing::HasSubstr;

namespace {

const Point ORIGIN = {0.0f, 0.0f, 0.0f};

class CompressedPolygons : public ::testing::Test {
protected:
    std::string path(const std::string &leaf)
    {
        std::string name = ::testing::TempDir() + "h2_compressed_" +
                           std::to_string(getpid()) + "_" + leaf;
        files_.push_back(name);
        return name;
    }
    void TearDown() override
    {
        for (const std::string &name : files_)
            std::remove(name.c_str());
        unsetenv("USE_COMPRESSED_POLYGONS");
    }

    static object_struct *sphere_object(int n_triangles)
    {
        object_struct *object = create_object(POLYGONS);
        const Point centre = {10.0f, -5.0f, 2.5f};
        EXPECT_EQ(create_tetrahedral_sphere(&centre, 60.0, 80.0, 70.0, n_triangles,
                                            get_polygons_ptr(object)), OK);
        return object;
    }

    static void write(const std::string &name, File_formats form, object_struct *object)
    {
        ASSERT_EQ(output_graphics_file(name.c_str(), form, 1, &object), OK);
    }

    static polygons_struct *read_one(const std::string &name, object_struct ***list)
    {
        File_formats form;
        int n_objects = 0;
        *list = nullptr;
        EXPECT_EQ(input_graphics_file(name.c_str(), &form, &n_objects, list), OK);
        EXPECT_EQ(n_objects, 1);
        return n_objects == 1 ? get_polygons_ptr((*list)[0]) : nullptr;
    }

    // Whether the one object of a file was stored in the compressed form,
    // as the reader reports it.
    static bool stored_compressed(const std::string &name)
    {
        int n_objects = 0;
        object_struct **list = nullptr;
        object_details *details = nullptr;
        EXPECT_EQ(input_graphics_file_with_details(name.c_str(), &n_objects, &list,
                                                   &details), OK);
        EXPECT_EQ(n_objects, 1);
        bool compressed = n_objects == 1 && details[0].compressed;
        delete_object_list(n_objects, list);
        if (n_objects > 0)
            free_array(details, "test_compressed", __LINE__);
        return compressed;
    }

    static std::string contents(const std::string &name)
    {
        std::ifstream in(name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void put(const std::string &name, const std::string &text)
    {
        std::ofstream(name, std::ios::binary) << text;
    }

    // Reads name expecting failure; returns what was printed on stderr.
    static std::string read_failure(const std::string &name)
    {
        File_formats form;
        int n_objects = -1;
        object_struct **list = nullptr;
        testing::internal::CaptureStderr();
        EXPECT_EQ(input_graphics_file(name.c_str(), &form, &n_objects, &list), ERROR);
        std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(n_objects, 0);
        return printed;
    }

private:
    std::vector<std::string> files_;
};

void expect_same_mesh(const polygons_struct &a, const polygons_struct &b)
{
    ASSERT_EQ(a.n_points, b.n_points);
    ASSERT_EQ(a.n_items, b.n_items);
    for (int i = 0; i < a.n_items; ++i)
        ASSERT_EQ(a.end_indices[i], b.end_indices[i]) << i;
    const int n = a.end_indices[a.n_items - 1];
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(a.indices[i], b.indices[i]) << i;
    for (int p = 0; p < a.n_points; ++p) {
        ASSERT_EQ(a.points[p].x, b.points[p].x) << p;
        ASSERT_EQ(a.points[p].y, b.points[p].y) << p;
        ASSERT_EQ(a.points[p].z, b.points[p].z) << p;
    }
}

} // namespace

// Runs in a process of its own under ctest, so this is the first use.
TEST_F(CompressedPolygons, EnvironmentIsReadOnceOnFirstUse)
{
    setenv("USE_COMPRESSED_POLYGONS", "", 1);
    EXPECT_TRUE(use_compressed_polygons());
    unsetenv("USE_COMPRESSED_POLYGONS");
    EXPECT_TRUE(use_compressed_polygons());
    EXPECT_TRUE(get_use_compressed_polygons_flag());
    set_use_compressed_polygons_flag(false);
    setenv("USE_COMPRESSED_POLYGONS", "1", 1);
    EXPECT_FALSE(use_compressed_polygons());
    EXPECT_FALSE(get_use_compressed_polygons_flag());
}

TEST_F(CompressedPolygons, SphereRoundTripsInBothForms)
{
    object_struct *original = sphere_object(81920);
    polygons_struct *from = get_polygons_ptr(original);
    from->surfprop.ambient = 0.25f;
    set_use_compressed_polygons_flag(true);

    for (File_formats form : {ASCII_FORMAT, BINARY_FORMAT}) {
        SCOPED_TRACE(form == ASCII_FORMAT ? "ASCII" : "binary");
        const std::string name = path(form == ASCII_FORMAT ? "a.obj" : "b.obj");
        write(name, form, original);
        const std::string text = contents(name);
        if (form == ASCII_FORMAT) {
            // Surface properties, then the negative count in place of n_points.
            std::istringstream in(text);
            std::string letter;
            float surfprop[5];
            int count = 0;
            in >> letter >> surfprop[0] >> surfprop[1] >> surfprop[2] >> surfprop[3] >>
                surfprop[4] >> count;
            EXPECT_EQ(letter, "P");
            EXPECT_EQ(surfprop[0], 0.25f);
            EXPECT_EQ(count, -81920);
        } else {
            // letter, surfprop, count, points, colour flag, one colour
            EXPECT_EQ(text.size(), 1u + 20u + 4u + 40962u * 12u + 4u + 4u);
            EXPECT_EQ(text[0], 'p');
        }

        object_struct **list;
        polygons_struct *read = read_one(name, &list);
        ASSERT_NE(read, nullptr);
        EXPECT_TRUE(stored_compressed(name));
        expect_same_mesh(*from, *read);
        EXPECT_EQ(read->n_points, 40962);
        EXPECT_EQ(read->surfprop.ambient, 0.25f);
        EXPECT_EQ(read->line_thickness, 1.0f);
        EXPECT_EQ(read->colour_flag, ONE_COLOUR);
        EXPECT_EQ(read->colours[0], from->colours[0]);
        // Normals recomputed from the points read: the same as the writer's.
        for (int p = 0; p < read->n_points; ++p) {
            ASSERT_NEAR(read->normals[p].x, from->normals[p].x, 1e-6) << p;
            ASSERT_NEAR(read->normals[p].y, from->normals[p].y, 1e-6) << p;
            ASSERT_NEAR(read->normals[p].z, from->normals[p].z, 1e-6) << p;
        }
        delete_object_list(1, list);
    }
    delete_object(original);
}

TEST_F(CompressedPolygons, PerPointColoursAndReadingIgnoresTheFlag)
{
    object_struct *original = sphere_object(320);
    polygons_struct *from = get_polygons_ptr(original);
    free_colours(from->colour_flag, from->colours, from->n_points, from->n_items);
    from->colour_flag = PER_VERTEX_COLOURS;
    alloc_array(from->colours, from->n_points, "test_compressed", __LINE__);
    for (int p = 0; p < from->n_points; ++p)
        from->colours[p] = make_Colour(p % 256, 255 - p % 256, 7);

    set_use_compressed_polygons_flag(true);
    const std::string name = path("colours.obj");
    write(name, BINARY_FORMAT, original);
    set_use_compressed_polygons_flag(false);

    object_struct **list;
    polygons_struct *read = read_one(name, &list);
    ASSERT_NE(read, nullptr);
    expect_same_mesh(*from, *read);
    ASSERT_EQ(read->colour_flag, PER_VERTEX_COLOURS);
    for (int p = 0; p < read->n_points; ++p)
        ASSERT_EQ(read->colours[p], from->colours[p]) << p;
    delete_object_list(1, list);
    delete_object(original);
}

TEST_F(CompressedPolygons, FullFormWhenOffOrNotASphere)
{
    // Compression off although the environment asks for it.
    setenv("USE_COMPRESSED_POLYGONS", "1", 1);
    set_use_compressed_polygons_flag(false);
    object_struct *sphere = sphere_object(80);
    const std::string off = path("off.obj");
    write(off, ASCII_FORMAT, sphere);
    {
        std::istringstream in(contents(off));
        std::string letter;
        float surfprop[5];
        int n_points = 0;
        in >> letter >> surfprop[0] >> surfprop[1] >> surfprop[2] >> surfprop[3] >>
            surfprop[4] >> n_points;
        EXPECT_EQ(n_points, 42);
    }
    object_struct **list;
    polygons_struct *read = read_one(off, &list);
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(stored_compressed(off));
    delete_object_list(1, list);

    set_use_compressed_polygons_flag(true);
    // 12 triangles reduce to 3: not of the family.
    object_struct *twelve = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(twelve);
    ASSERT_EQ(create_polygons_sphere(&ORIGIN, 1, 1, 1, 2, 6, false, p), OK);
    ASSERT_EQ(p->n_items, 12);
    ASSERT_EQ(compute_polygon_normals(p), OK);
    EXPECT_FALSE(can_compress_polygons(p));

    // The sphere's triangle count but another point numbering: compressing
    // it would hand readers the wrong topology.
    polygons_struct *s = get_polygons_ptr(sphere);
    EXPECT_TRUE(can_compress_polygons(s));
    std::swap(s->indices[0], s->indices[1]);
    EXPECT_FALSE(can_compress_polygons(s));
    const std::string renumbered = path("renumbered.obj");
    write(renumbered, BINARY_FORMAT, sphere);
    read = read_one(renumbered, &list);
    ASSERT_NE(read, nullptr);
    expect_same_mesh(*s, *read);
    delete_object_list(1, list);

    delete_object(twelve);
    delete_object(sphere);
}

TEST_F(CompressedPolygons, BadCountsAreRefusedWithTheFileNamed)
{
    const std::string name = path("bad.obj");
    put(name, "P 0.3 0.3 0.4 10 1 -12\n0 0 1\n");
    std::string printed = read_failure(name);
    EXPECT_THAT(printed, HasSubstr(name));
    EXPECT_THAT(printed, HasSubstr("12 triangles"));
    EXPECT_THAT(printed, HasSubstr("not a triangle count"));

    put(name, "P 0.3 0.3 0.4 10 1 -2000000000\n0 0 1\n");
    printed = read_failure(name);
    EXPECT_THAT(printed, HasSubstr(name));
    EXPECT_THAT(printed, HasSubstr("2000000000"));

    // A count of the family, but far fewer points than that sphere needs.
    put(name, "P 0.3 0.3 0.4 10 1 -81920\n0 0 1\n1 0 0\n0 1 0\n0\n1 1 1 1\n");
    printed = read_failure(name);
    EXPECT_THAT(printed, HasSubstr(name));
    EXPECT_THAT(printed, HasSubstr("40962 points"));

    // The largest count whose mesh still fits int indices, in a tiny file.
    put(name, "P 0.3 0.3 0.4 10 1 -335544320\n0 0 1\n");
    printed = read_failure(name);
    EXPECT_THAT(printed, HasSubstr("more than the rest of the file holds"));

    put(name, std::string("p") + std::string(20, '\0') + "\x00\xff\xff\xff" + "abc");
    printed = read_failure(name);
    EXPECT_THAT(printed, HasSubstr(name));
}

TEST_F(CompressedPolygons, TruncatedPointsOrColoursFailCleanly)
{
    object_struct *original = sphere_object(80);
    set_use_compressed_polygons_flag(true);
    for (File_formats form : {ASCII_FORMAT, BINARY_FORMAT}) {
        const std::string name = path(form == ASCII_FORMAT ? "ta.obj" : "tb.obj");
        write(name, form, original);
        const std::string whole = contents(name);
        // Cut inside the colour list, then inside the points.
        for (std::size_t keep : {whole.size() - 3, whole.size() / 2}) {
            SCOPED_TRACE(keep);
            put(name, whole.substr(0, keep));
            read_failure(name);
        }
        // A bad colour flag after complete points.
        if (form == ASCII_FORMAT) {
            std::string bad = whole;
            const std::size_t flag = bad.rfind("\n\n 0 ");
            ASSERT_NE(flag, std::string::npos);
            bad[flag + 3] = '7';
            put(name, bad);
            EXPECT_THAT(read_failure(name), HasSubstr("Error inputting colour flag.\n"));
        }
    }
    delete_object(original);
}
