// Graphics object records: creation, accessors, per-kind operations, lists.
#include "objects.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace {

std::string take_name(object_struct *object)
{
    STRING name = get_object_name(object);
    std::string text = name;
    delete_string(name);
    return text;
}

TEST(Objects, CreateGivesAVisibleClearedRecord)
{
    for (int kind = 0; kind < N_OBJECT_TYPES; ++kind) {
        object_struct *object = create_object(kind);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(get_object_type(object), kind);
        EXPECT_EQ(get_object_visibility(object), 1);
        set_object_visibility(object, 0);
        EXPECT_EQ(get_object_visibility(object), 0);
        // a cleared record is safe to delete as it is (model extra_ptr, labels)
        delete_object(object);
    }
    object_struct *model = create_object(MODEL);
    EXPECT_EQ(get_model_ptr(model)->extra_ptr, nullptr);
    EXPECT_EQ(get_model_ptr(model)->objects, nullptr);
    delete_object(model);
}

TEST(Objects, AccessorOfAnotherKindReportsItsOwnName)
{
    object_struct *lines = create_object(LINES);
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_polygons_ptr(lines), nullptr);
    EXPECT_EQ(get_text_ptr(lines), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_THAT(err, HasSubstr("get_polygons_ptr"));
    EXPECT_THAT(err, HasSubstr("get_text_ptr"));
    EXPECT_EQ(get_lines_ptr(lines), &lines->specific.lines);
    delete_object(lines);
}

TEST(Objects, InitialisedPolygonsAreAnEmptyMeshWithOneColour)
{
    object_struct *object = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(object);
    Surfprop custom{0.1f, 0.2f, 0.3f, 4.0f, 0.5f};
    initialize_polygons(p, make_Colour(1, 2, 3), &custom);
    EXPECT_EQ(p->colour_flag, ONE_COLOUR);
    ASSERT_NE(p->colours, nullptr);
    EXPECT_EQ(p->colours[0], make_Colour(1, 2, 3));
    EXPECT_EQ(p->surfprop.specular_exponent, 4.0f);
    EXPECT_EQ(p->line_thickness, 1.0f);
    EXPECT_EQ(p->n_points, 0);
    EXPECT_EQ(p->n_items, 0);
    EXPECT_EQ(p->points, nullptr);
    EXPECT_EQ(p->neighbours, nullptr);
    EXPECT_EQ(get_object_surfprop(object), &p->surfprop);
    delete_object(object); // frees the one colour (checked by the leak sanitizer)

    polygons_struct q{};
    initialize_polygons(&q, make_Colour(0, 0, 0), nullptr);
    Surfprop defaults;
    get_default_surfprop(&defaults);
    EXPECT_EQ(q.surfprop.ambient, 0.3f);
    EXPECT_EQ(q.surfprop.diffuse, 0.3f);
    EXPECT_EQ(q.surfprop.specular, 0.4f);
    EXPECT_EQ(q.surfprop.specular_exponent, 10.0f);
    EXPECT_EQ(q.surfprop.opacity, 1.0f);
    EXPECT_EQ(std::memcmp(&q.surfprop, &defaults, sizeof defaults), 0);
    delete_polygons(&q);
    EXPECT_EQ(q.visibilities, nullptr);
}

TEST(Objects, PolygonsWithSizeHaveRegularEndIndices)
{
    polygons_struct p{};
    ASSERT_EQ(initialize_polygons_with_size(&p, make_Colour(9, 9, 9), nullptr, 5, 4, 3), OK);
    EXPECT_EQ(p.n_points, 5);
    EXPECT_EQ(p.n_items, 4);
    EXPECT_THAT(std::vector<int>(p.end_indices, p.end_indices + 4),
                testing::ElementsAre(3, 6, 9, 12));
    p.indices[11] = 4; // room for n_items * size indices
    p.normals[4] = Vector{0, 0, 1};
    delete_polygons(&p);

    testing::internal::CaptureStderr();
    EXPECT_EQ(initialize_polygons_with_size(&p, 0, nullptr, 1, 2000000000, 3), ERROR);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("invalid sizes"));
    delete_polygons(&p);
}

TEST(Objects, PerKindOperations)
{
    object_struct *lines = create_object(LINES);
    initialize_lines(get_lines_ptr(lines), make_Colour(1, 1, 1));
    EXPECT_EQ(take_name(lines), "Lines (0:0)");
    Colour *colours = nullptr;
    EXPECT_EQ(get_object_colours(lines, &colours), &get_lines_ptr(lines)->colour_flag);
    EXPECT_EQ(colours, get_lines_ptr(lines)->colours);
    EXPECT_EQ(get_object_surfprop(lines), nullptr);
    Vector *normals = reinterpret_cast<Vector *>(&colours);
    EXPECT_EQ(get_object_normals(lines, &normals), 0);
    EXPECT_EQ(normals, nullptr);
    delete_object(lines);

    object_struct *marker = create_object(MARKER);
    marker_struct *m = get_marker_ptr(marker);
    initialize_marker(m, 2, make_Colour(5, 6, 7));
    EXPECT_EQ(m->size, 1.0);
    m->position = Point{1.5f, -2, 3};
    m->first_id = 4;
    m->second_id = 9;
    EXPECT_EQ(take_name(marker), "Marker:9:4: (1.5 -2 3)");
    m->label = create_string("tip");
    EXPECT_EQ(take_name(marker), "tip:9:4: (1.5 -2 3)");
    Point *points = nullptr;
    EXPECT_EQ(get_object_points(marker, &points), 1);
    EXPECT_EQ(points, &m->position);
    EXPECT_EQ(get_object_colours(marker, &colours), nullptr);
    EXPECT_EQ(colours, &m->colour);
    set_object_colours(marker, nullptr); // ignored
    EXPECT_EQ(m->colour, make_Colour(5, 6, 7));
    delete_object(marker);

    object_struct *text = create_object(TEXT);
    Point origin{1, 2, 3};
    initialize_text(get_text_ptr(text), &origin, make_Colour(0, 0, 0), 2, 12.0);
    EXPECT_EQ(take_name(text), "Text ()");
    EXPECT_EQ(get_text_ptr(text)->origin.z, 3.0f);
    delete_object(text);

    object_struct *model = create_object(MODEL);
    initialize_model(get_model_ptr(model));
    EXPECT_EQ(take_name(model), "Model () ->");
    get_model_ptr(model)->extra_ptr = alloc_memory_1d(16, 1, "test_objects", __LINE__);
    delete_object(model); // frees extra_ptr too

    object_struct *pixels = create_object(PIXELS);
    get_pixels_ptr(pixels)->x_size = 3;
    get_pixels_ptr(pixels)->y_size = 2;
    EXPECT_EQ(take_name(pixels), "Pixels (3 by 2)");
    delete_object(pixels);

    object_struct *quad = create_object(QUADMESH);
    ASSERT_EQ(initialize_quadmesh(get_quadmesh_ptr(quad), 0, nullptr, 3, 4), OK);
    EXPECT_EQ(take_name(quad), "Quadmesh [3][4]");
    EXPECT_EQ(get_object_points(quad, &points), 12);
    EXPECT_EQ(get_object_normals(quad, &normals), 12);
    EXPECT_EQ(get_object_surfprop(quad), &get_quadmesh_ptr(quad)->surfprop);
    Colour *replacement = nullptr;
    ASSERT_EQ(alloc_array(replacement, 1, "test_objects", __LINE__), OK);
    Colour *old = get_quadmesh_ptr(quad)->colours;
    set_object_colours(quad, replacement);
    free_array(old, "test_objects", __LINE__);
    EXPECT_EQ(get_quadmesh_ptr(quad)->colours, replacement);
    delete_object(quad);
}

TEST(Objects, ListsGrowAndOwnTheirObjects)
{
    int n = 0;
    object_struct **list = reinterpret_cast<object_struct **>(0x1); // not read at count 0
    object_struct *first = create_object(TEXT);
    initialize_text(get_text_ptr(first), nullptr, 0, 0, 1.0);
    EXPECT_EQ(add_object_to_list(&n, &list, first), first);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(list[0], first);
    for (int i = 0; i < 20; ++i) {
        object_struct *o = create_object(POLYGONS);
        initialize_polygons(get_polygons_ptr(o), 0, nullptr);
        add_object_to_list(&n, &list, o);
    }
    EXPECT_EQ(n, 21);
    EXPECT_EQ(list[0], first);
    EXPECT_EQ(get_object_type(list[20]), POLYGONS);
    delete_object_list(n, list);
}

int hook_calls = 0;

TEST(Objects, BintreeHookIsCalledWithTheFieldAddress)
{
    polygons_struct p{};
    initialize_polygons(&p, 0, nullptr);
    delete_polygons(&p); // no hook installed: nothing happens
    set_bintree_delete_function([](bintree_struct_ptr *tree) {
        ++hook_calls;
        *tree = nullptr;
    });
    initialize_polygons(&p, 0, nullptr);
    p.bintree = reinterpret_cast<bintree_struct_ptr>(&p);
    delete_polygons(&p);
    EXPECT_EQ(hook_calls, 1);
    EXPECT_EQ(p.bintree, nullptr);
    lines_struct l{};
    initialize_lines(&l, 0);
    delete_lines(&l);
    EXPECT_EQ(hook_calls, 2);
    set_bintree_delete_function(nullptr);
}

TEST(Objects, ColoursAreFreedWheneverPresent)
{
    // flag 1 with no items: the one-entry array from initialisation must
    // still be released (the leak sanitizer checks)
    polygons_struct p{};
    initialize_polygons(&p, 0, nullptr);
    p.colour_flag = PER_ITEM_COLOURS;
    delete_polygons(&p);
    EXPECT_EQ(p.colours, nullptr);
    lines_struct l{};
    initialize_lines(&l, 0);
    l.colour_flag = 7;
    delete_lines(&l);
    EXPECT_EQ(l.colours, nullptr);
}

} // namespace
