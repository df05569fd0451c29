// The surface file format: round trips of every kind in both forms, mixed
// files, the end-index sizes rule, the value rules and models.
#include "scratch_dir_test.h"
#include "object_io.h"
#include "polygon_normals.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;

// found by argument lookup, so outside the anonymous namespace
static bool operator==(const Point &a, const Point &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
static bool operator==(const Vector &a, const Vector &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

namespace {

class ObjectIoTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        unsetenv("NEW_OBJ_FORMAT");
    }
    void TearDown() override
    {
        delete_object_list(n_objects, objects);
        unsetenv("NEW_OBJ_FORMAT");
        ScratchDirTest::TearDown();
    }

    Status read(const std::string &name)
    {
        delete_object_list(n_objects, objects);
        objects = nullptr;
        return input_graphics_file(name.c_str(), &form, &n_objects, &objects);
    }

    File_formats form = ASCII_FORMAT;
    int n_objects = 0;
    object_struct **objects = nullptr;
};

// ---------------------------------------------------------------- builders

object_struct *make_polygons(int colour_flag)
{
    object_struct *object = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(object);
    Surfprop sp{0.25f, 0.5f, 0.125f, 7.5f, 0.75f};
    initialize_polygons_with_size(p, make_Colour(10, 20, 30), &sp, 5, 3, 3);
    for (int i = 0; i < 5; ++i) {
        p->points[i] = Point{0.1f * float(i), -1.0f / float(i + 3), 1e-7f * float(i)};
        p->normals[i] = Vector{0, 0.6f, 0.8f};
    }
    // a quad in the middle makes the sizes uneven
    int indices[] = {0, 1, 2, 1, 2, 3, 4, 2, 3, 4};
    free_array(p->indices, "test_object_io", __LINE__);
    alloc_array(p->indices, 10, "test_object_io", __LINE__);
    std::memcpy(p->indices, indices, sizeof indices);
    p->end_indices[1] = 7;
    p->end_indices[2] = 10;
    int count = colour_flag == ONE_COLOUR ? 1 : colour_flag == PER_ITEM_COLOURS ? 3 : 5;
    free_array(p->colours, "test_object_io", __LINE__);
    alloc_array(p->colours, std::size_t(count), "test_object_io", __LINE__);
    for (int i = 0; i < count; ++i)
        p->colours[i] = make_rgba_Colour(i * 40, 255 - i, 7 * i, 128 + i);
    p->colour_flag = colour_flag;
    return object;
}

object_struct *make_lines()
{
    object_struct *object = create_object(LINES);
    lines_struct *l = get_lines_ptr(object);
    initialize_lines(l, make_Colour(1, 2, 3));
    l->line_thickness = 2.5f;
    l->n_points = 4;
    alloc_array(l->points, 4, "test_object_io", __LINE__);
    for (int i = 0; i < 4; ++i)
        l->points[i] = Point{float(i), float(i * i), -float(i)};
    l->n_items = 2;
    alloc_array(l->end_indices, 2, "test_object_io", __LINE__);
    l->end_indices[0] = 2;
    l->end_indices[1] = 5;
    alloc_array(l->indices, 5, "test_object_io", __LINE__);
    int indices[] = {0, 1, 1, 2, 3};
    std::memcpy(l->indices, indices, sizeof indices);
    return object;
}

object_struct *make_quadmesh()
{
    object_struct *object = create_object(QUADMESH);
    quadmesh_struct *q = get_quadmesh_ptr(object);
    initialize_quadmesh(q, make_Colour(4, 5, 6), nullptr, 2, 3);
    q->m_closed = 1;
    for (int i = 0; i < 6; ++i) {
        q->points[i] = Point{float(i / 3), float(i % 3), 0.5f};
        q->normals[i] = Vector{0, 0, -1};
    }
    free_array(q->colours, "test_object_io", __LINE__);
    alloc_array(q->colours, 2, "test_object_io", __LINE__);
    q->colours[0] = make_Colour(255, 0, 0);
    q->colours[1] = make_Colour(0, 0, 255);
    q->colour_flag = PER_ITEM_COLOURS;
    return object;
}

object_struct *make_marker()
{
    object_struct *object = create_object(MARKER);
    marker_struct *m = get_marker_ptr(object);
    initialize_marker(m, 3, make_rgba_Colour(9, 8, 7, 6));
    m->size = 0.1;
    m->position = Point{1.25f, 2.5f, -3.75f};
    m->first_id = 11;
    m->second_id = -12;
    m->label = create_string("left thumb");
    return object;
}

object_struct *make_text()
{
    object_struct *object = create_object(TEXT);
    text_struct *t = get_text_ptr(object);
    Point origin{0.5f, 0.25f, 0.125f};
    initialize_text(t, &origin, make_Colour(200, 100, 50), 2, 14.5);
    delete_string(t->string);
    t->string = create_string("a label: 1 2 3");
    return object;
}

object_struct *make_pixels(int type)
{
    object_struct *object = create_object(PIXELS);
    pixels_struct *p = get_pixels_ptr(object);
    p->pixel_type = type;
    p->x_size = 300; // more than one 256-pixel chunk of RGB pixels
    p->y_size = 2;
    std::size_t n = 600;
    std::size_t each = type == PIXEL_INDEX8 ? 1 : type == PIXEL_INDEX16 ? 2 : 4;
    p->data = alloc_memory_1d(n, each, "test_object_io", __LINE__);
    for (std::size_t i = 0; i < n; ++i) {
        if (type == PIXEL_INDEX8)
            static_cast<unsigned char *>(p->data)[i] = static_cast<unsigned char>(i * 7);
        else if (type == PIXEL_INDEX16)
            // the first pixel's bytes read as the digits "57" in ASCII
            static_cast<std::uint16_t *>(p->data)[i] = static_cast<std::uint16_t>(0x3735 + i * 977);
        else
            static_cast<Colour *>(p->data)[i] = make_Colour(int(i % 256), int(i / 3 % 256), 17);
    }
    return object;
}

object_struct *make_model(const char *name)
{
    object_struct *object = create_object(MODEL);
    initialize_model(get_model_ptr(object));
    delete_string(get_model_ptr(object)->filename);
    get_model_ptr(object)->filename = create_string(name);
    return object;
}

// ---------------------------------------------------------------- comparison

template <typename T>
std::vector<T> span(const T *values, int n)
{
    return n > 0 ? std::vector<T>(values, values + n) : std::vector<T>();
}
int colour_entries(int flag, int items, int points)
{
    return flag == 0 ? 1 : flag == 1 ? items : points;
}

void expect_same(object_struct *a, object_struct *b)
{
    ASSERT_EQ(get_object_type(a), get_object_type(b));
    switch (get_object_type(a)) {
    case POLYGONS: {
        polygons_struct *p = get_polygons_ptr(a), *q = get_polygons_ptr(b);
        EXPECT_EQ(std::memcmp(&p->surfprop, &q->surfprop, sizeof(Surfprop)), 0);
        ASSERT_EQ(p->n_points, q->n_points);
        ASSERT_EQ(p->n_items, q->n_items);
        EXPECT_EQ(span(p->points, p->n_points), span(q->points, q->n_points));
        EXPECT_EQ(span(p->normals, p->n_points), span(q->normals, q->n_points));
        EXPECT_EQ(span(p->end_indices, p->n_items), span(q->end_indices, q->n_items));
        EXPECT_EQ(span(p->indices, p->end_indices[p->n_items - 1]),
                  span(q->indices, q->end_indices[q->n_items - 1]));
        ASSERT_EQ(p->colour_flag, q->colour_flag);
        int n = colour_entries(p->colour_flag, p->n_items, p->n_points);
        EXPECT_EQ(span(p->colours, n), span(q->colours, n));
        EXPECT_EQ(q->line_thickness, 1.0f);
        break;
    }
    case LINES: {
        lines_struct *p = get_lines_ptr(a), *q = get_lines_ptr(b);
        EXPECT_EQ(p->line_thickness, q->line_thickness);
        ASSERT_EQ(p->n_points, q->n_points);
        ASSERT_EQ(p->n_items, q->n_items);
        EXPECT_EQ(span(p->points, p->n_points), span(q->points, q->n_points));
        EXPECT_EQ(span(p->end_indices, p->n_items), span(q->end_indices, q->n_items));
        EXPECT_EQ(span(p->indices, p->end_indices[p->n_items - 1]),
                  span(q->indices, q->end_indices[q->n_items - 1]));
        ASSERT_EQ(p->colour_flag, q->colour_flag);
        EXPECT_EQ(p->colours[0], q->colours[0]);
        break;
    }
    case QUADMESH: {
        quadmesh_struct *p = get_quadmesh_ptr(a), *q = get_quadmesh_ptr(b);
        ASSERT_EQ(p->m, q->m);
        ASSERT_EQ(p->n, q->n);
        EXPECT_EQ(p->m_closed, q->m_closed);
        EXPECT_EQ(p->n_closed, q->n_closed);
        EXPECT_EQ(span(p->points, p->m * p->n), span(q->points, q->m * q->n));
        EXPECT_EQ(span(p->normals, p->m * p->n), span(q->normals, q->m * q->n));
        ASSERT_EQ(p->colour_flag, q->colour_flag);
        EXPECT_EQ(span(p->colours, 2), span(q->colours, 2));
        EXPECT_EQ(std::memcmp(&p->surfprop, &q->surfprop, sizeof(Surfprop)), 0);
        break;
    }
    case MARKER: {
        marker_struct *p = get_marker_ptr(a), *q = get_marker_ptr(b);
        EXPECT_EQ(p->marker_type, q->marker_type);
        EXPECT_EQ(p->size, q->size);
        EXPECT_EQ(p->colour, q->colour);
        EXPECT_EQ(p->position, q->position);
        EXPECT_EQ(p->first_id, q->first_id);
        EXPECT_EQ(p->second_id, q->second_id);
        EXPECT_STREQ(p->label, q->label);
        break;
    }
    case TEXT: {
        text_struct *p = get_text_ptr(a), *q = get_text_ptr(b);
        EXPECT_EQ(p->font, q->font);
        EXPECT_EQ(p->size, q->size);
        EXPECT_EQ(p->colour, q->colour);
        EXPECT_EQ(p->origin, q->origin);
        EXPECT_STREQ(p->string, q->string);
        break;
    }
    case PIXELS: {
        pixels_struct *p = get_pixels_ptr(a), *q = get_pixels_ptr(b);
        ASSERT_EQ(p->pixel_type, q->pixel_type);
        ASSERT_EQ(p->x_size, q->x_size);
        ASSERT_EQ(p->y_size, q->y_size);
        EXPECT_EQ(q->x_zoom, 1.0);
        std::size_t n = std::size_t(p->x_size * p->y_size);
        if (p->pixel_type == PIXEL_RGB) {
            // no alpha in the file: pixels come back opaque
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(static_cast<Colour *>(p->data)[i] | 0xff,
                          static_cast<Colour *>(q->data)[i]);
        } else {
            std::size_t each = p->pixel_type == PIXEL_INDEX8 ? 1 : 2;
            EXPECT_EQ(std::memcmp(p->data, q->data, n * each), 0);
        }
        break;
    }
    case MODEL:
        EXPECT_STREQ(get_model_ptr(a)->filename, get_model_ptr(b)->filename);
        break;
    }
}

// ---------------------------------------------------------------- tests

TEST_F(ObjectIoTest, EveryKindRoundTripsInBothForms)
{
    write("empty_model.obj", "");
    std::vector<object_struct *> originals = {
        make_polygons(ONE_COLOUR), make_polygons(PER_ITEM_COLOURS),
        make_polygons(PER_VERTEX_COLOURS), make_lines(), make_quadmesh(), make_marker(),
        make_text(), make_pixels(PIXEL_INDEX8), make_pixels(PIXEL_INDEX16),
        make_pixels(PIXEL_RGB), make_model("empty_model.obj")};
    for (File_formats f : {ASCII_FORMAT, BINARY_FORMAT}) {
        SCOPED_TRACE(f == ASCII_FORMAT ? "ascii" : "binary");
        std::string name = path(f == ASCII_FORMAT ? "a.obj" : "b.obj");
        ASSERT_EQ(output_graphics_file(name.c_str(), f, int(originals.size()), originals.data()),
                  OK);
        ASSERT_EQ(read(name), OK);
        EXPECT_EQ(form, f);
        ASSERT_EQ(n_objects, int(originals.size()));
        for (std::size_t i = 0; i < originals.size(); ++i) {
            SCOPED_TRACE(i);
            expect_same(originals[i], objects[i]);
        }
        // writing what was read gives the same bytes again
        ASSERT_EQ(output_graphics_file(path("again.obj").c_str(), f, n_objects, objects), OK);
        EXPECT_EQ(slurp(name), slurp(path("again.obj")));
    }
    for (object_struct *o : originals)
        delete_object(o);
}

TEST_F(ObjectIoTest, AsciiAndBinaryObjectsMixInOneFile)
{
    object_struct *polygons = make_polygons(ONE_COLOUR);
    object_struct *marker = make_marker();
    ASSERT_EQ(output_graphics_file(path("p.obj").c_str(), ASCII_FORMAT, 1, &polygons), OK);
    ASSERT_EQ(output_graphics_file(path("m.obj").c_str(), BINARY_FORMAT, 1, &marker), OK);
    std::string mixed = slurp(path("p.obj")) + "\n  " + slurp(path("m.obj")) + "\n";
    ASSERT_EQ(mixed[0], 'P');
    ASSERT_EQ(read(write("mixed.obj", mixed)), OK);
    ASSERT_EQ(n_objects, 2);
    EXPECT_EQ(form, BINARY_FORMAT); // the form of the last object
    expect_same(polygons, objects[0]);
    expect_same(marker, objects[1]);
    delete_object(polygons);
    delete_object(marker);
}

TEST_F(ObjectIoTest, EndIndicesAsSizesOrCumulative)
{
    const std::string head = "P 0.3 0.3 0.4 10 1 5\n0 0 0 1 0 0 0 1 0 1 1 0 2 2 0\n"
                             "0 0 1 0 0 1 0 0 1 0 0 1 0 0 1\n3\n0 1 1 1 1\n";
    const std::string indices = "\n0 1 2 1 2 3 2 3 4\n";
    for (const char *ends : {"3 3 3", "3 6 9"}) {
        ASSERT_EQ(read(write("e.obj", head + ends + indices)), OK) << ends;
        polygons_struct *p = get_polygons_ptr(objects[0]);
        EXPECT_THAT(span(p->end_indices, 3), ElementsAre(3, 6, 9)) << ends;
    }
    // sizes with a quad: 3 4 3 -> 3 7 10; cumulative 3 7 10 stays
    const std::string more = "\n0 1 2 1 2 3 4 2 3 4\n";
    for (const char *ends : {"3 4 3", "3 7 10"}) {
        ASSERT_EQ(read(write("e.obj", head + ends + more)), OK) << ends;
        EXPECT_THAT(span(get_polygons_ptr(objects[0])->end_indices, 3), ElementsAre(3, 7, 10));
    }

    // written as sizes when NEW_OBJ_FORMAT is set, read back cumulative
    object_struct *polygons = make_polygons(ONE_COLOUR);
    setenv("NEW_OBJ_FORMAT", "", 1);
    ASSERT_EQ(output_graphics_file(path("sizes.obj").c_str(), ASCII_FORMAT, 1, &polygons), OK);
    unsetenv("NEW_OBJ_FORMAT");
    EXPECT_THAT(slurp(path("sizes.obj")), HasSubstr(" 3 4 3\n"));
    ASSERT_EQ(read(path("sizes.obj")), OK);
    EXPECT_THAT(span(get_polygons_ptr(objects[0])->end_indices, 3), ElementsAre(3, 7, 10));
    ASSERT_EQ(output_graphics_file(path("cum.obj").c_str(), ASCII_FORMAT, 1, &polygons), OK);
    EXPECT_THAT(slurp(path("cum.obj")), HasSubstr(" 3 7 10\n"));
    delete_object(polygons);
}

TEST_F(ObjectIoTest, ValueRulesOnReading)
{
    // opacity 0 becomes 1; polygons' line thickness is always 1
    ASSERT_EQ(read(write("o.obj", "P 0.3 0.3 0.4 10 0 3\n0 0 0 1 0 0 0 1 0\n"
                                  "0 0 1 0 0 1 0 0 1\n1\n0 1 1 1 1\n3\n0 1 2\n")),
              OK);
    EXPECT_EQ(get_polygons_ptr(objects[0])->surfprop.opacity, 1.0f);
    EXPECT_EQ(get_polygons_ptr(objects[0])->line_thickness, 1.0f);

    // binary lines: thickness at most 0.001 or above 20 becomes 1
    object_struct *lines = make_lines();
    for (float thickness : {0.0005f, 0.001f, 25.0f, 20.0f, 0.002f}) {
        get_lines_ptr(lines)->line_thickness = thickness;
        ASSERT_EQ(output_graphics_file(path("l.obj").c_str(), BINARY_FORMAT, 1, &lines), OK);
        ASSERT_EQ(read(path("l.obj")), OK);
        float expected = (thickness <= 0.001f || thickness > 20.0f) ? 1.0f : thickness;
        EXPECT_EQ(get_lines_ptr(objects[0])->line_thickness, expected) << thickness;
        ASSERT_EQ(output_graphics_file(path("l.obj").c_str(), ASCII_FORMAT, 1, &lines), OK);
        ASSERT_EQ(read(path("l.obj")), OK);
        EXPECT_EQ(get_lines_ptr(objects[0])->line_thickness, thickness) << thickness;
    }
    delete_object(lines);
}

TEST_F(ObjectIoTest, EmptyFilesAndEmptyObjects)
{
    // neither the list nor the form is assigned when there is no object
    objects = reinterpret_cast<object_struct **>(&n_objects);
    object_struct **sentinel = objects;
    for (File_formats before : {ASCII_FORMAT, BINARY_FORMAT}) {
        form = before;
        n_objects = 5;
        EXPECT_EQ(input_graphics_file(write("empty.obj", " \n\t ").c_str(), &form, &n_objects,
                                      &objects),
                  OK);
        EXPECT_EQ(n_objects, 0);
        EXPECT_EQ(objects, sentinel);
        EXPECT_EQ(form, before);
    }
    objects = nullptr;

    // empty records are left out of the file; the rest is written
    object_struct *empty = create_object(POLYGONS);
    initialize_polygons(get_polygons_ptr(empty), 0, nullptr);
    object_struct *empty_quad = create_object(QUADMESH);
    initialize_quadmesh(get_quadmesh_ptr(empty_quad), 0, nullptr, 1, 5);
    object_struct *empty_pixels = create_object(PIXELS);
    object_struct *list[] = {empty, empty_quad, empty_pixels, make_marker()};
    ASSERT_EQ(output_graphics_file(path("skip.obj").c_str(), ASCII_FORMAT, 4, list), OK);
    EXPECT_EQ(slurp(path("skip.obj"))[0], 'M');
    ASSERT_EQ(read(path("skip.obj")), OK);
    EXPECT_EQ(n_objects, 1);
    for (object_struct *o : list)
        delete_object(o);
}

TEST_F(ObjectIoTest, PolygonsWhoseItemsAreAllEmptyRoundTrip)
{
    // Items without corners leave the index array without storage; writing
    // it must not hand that null to the byte copy (the sanitizers' build
    // stops there otherwise).
    object_struct *object = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(object);
    Surfprop sp{0.3f, 0.3f, 0.4f, 10.0f, 1.0f};
    ASSERT_EQ(initialize_polygons_with_size(p, make_Colour(1, 2, 3), &sp, 3, 3, 0), OK);
    free_array(p->indices, "test_object_io", __LINE__);
    p->indices = nullptr;
    for (int i = 0; i < 3; ++i) {
        p->points[i] = Point{float(i), 0, 1};
        p->end_indices[i] = 0;
    }
    for (File_formats written : {BINARY_FORMAT, ASCII_FORMAT}) {
        const std::string name = path(written == BINARY_FORMAT ? "empty_b.obj" : "empty_a.obj");
        ASSERT_EQ(output_graphics_file(name.c_str(), written, 1, &object), OK);
        ASSERT_EQ(read(name), OK);
        ASSERT_EQ(n_objects, 1);
        const polygons_struct *back = get_polygons_ptr(objects[0]);
        EXPECT_EQ(back->n_items, 3);
        EXPECT_EQ(back->n_points, 3);
        EXPECT_THAT(std::vector<int>(back->end_indices, back->end_indices + 3), ElementsAre(0, 0, 0));
    }
    delete_object(object);
}

TEST_F(ObjectIoTest, RecordsWithoutNormalsStillWriteReadableFiles)
{
    object_struct *polygons = make_polygons(ONE_COLOUR);
    polygons_struct *p = get_polygons_ptr(polygons);
    free_array(p->normals, "test_object_io", __LINE__);
    ASSERT_EQ(output_graphics_file(path("n.obj").c_str(), BINARY_FORMAT, 1, &polygons), OK);
    EXPECT_EQ(p->normals, nullptr); // the caller's record is left alone
    ASSERT_EQ(read(path("n.obj")), OK);
    ASSERT_EQ(compute_polygon_normals(p), OK);
    EXPECT_EQ(span(p->normals, 5), span(get_polygons_ptr(objects[0])->normals, 5));
    delete_object(polygons);

    object_struct *quad = make_quadmesh();
    free_array(get_quadmesh_ptr(quad)->normals, "test_object_io", __LINE__);
    ASSERT_EQ(output_graphics_file(path("q.obj").c_str(), ASCII_FORMAT, 1, &quad), OK);
    ASSERT_EQ(read(path("q.obj")), OK);
    EXPECT_EQ(get_quadmesh_ptr(objects[0])->normals[5], (Vector{0, 0, 0}));
    delete_object(quad);
}

TEST_F(ObjectIoTest, DefaultSuffixAndUnknownKinds)
{
    object_struct *marker = make_marker();
    ASSERT_EQ(output_graphics_file(path("s.obj").c_str(), BINARY_FORMAT, 1, &marker), OK);
    ASSERT_EQ(read(path("s")), OK); // s.obj found through the default suffix
    EXPECT_EQ(n_objects, 1);
    delete_object(marker);

    testing::internal::CaptureStderr();
    EXPECT_EQ(read(write("hash.obj", "# a comment\n")), ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unrecognized object type in file.\n");
    EXPECT_EQ(n_objects, 0);

    File file;
    ASSERT_EQ(open_file(path("k.obj").c_str(), WRITE_FILE, ASCII_FORMAT, &file), OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(io_object_type(file, WRITE_FILE, ASCII_FORMAT, 9), ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "io_object_type: object type 9 not handled.\n");
    object_struct *odd = create_object(POLYGONS);
    odd->object_type = 12;
    EXPECT_EQ(output_object(file, ASCII_FORMAT, odd), ERROR);
    odd->object_type = POLYGONS;
    delete_object(odd);
    close_file(file);
}

TEST_F(ObjectIoTest, ModelsAreReadRelativeToTheirFile)
{
    fs::create_directories(dir / "sub" / "parts");
    object_struct *polygons = make_polygons(PER_VERTEX_COLOURS);
    ASSERT_EQ(output_graphics_file(path("sub/parts/mesh.obj").c_str(), BINARY_FORMAT, 1,
                                   &polygons),
              OK);
    write("sub/inner.obj", "F \"parts/mesh.obj\"\n");
    write("outer.obj", "T 0 1 1 1 1 1 0 0 0 \"before\"\nF \"sub/inner.obj\"\n");
    ASSERT_EQ(read(path("outer.obj")), OK);
    ASSERT_EQ(n_objects, 2);
    model_struct *outer_model = get_model_ptr(objects[1]);
    EXPECT_STREQ(outer_model->filename, "sub/inner.obj");
    ASSERT_EQ(outer_model->n_objects, 1);
    model_struct *inner_model = get_model_ptr(outer_model->objects[0]);
    ASSERT_EQ(inner_model->n_objects, 1);
    expect_same(polygons, inner_model->objects[0]);
    delete_object(polygons);

    // a failure inside the model's file fails the outer read
    write("sub/parts/mesh.obj", "P 0.3 0.3");
    testing::internal::CaptureStderr();
    EXPECT_EQ(read(path("outer.obj")), ERROR);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_THAT(err, HasSubstr("mesh.obj"));
    EXPECT_EQ(n_objects, 1); // the text before the model stays
}

} // namespace
