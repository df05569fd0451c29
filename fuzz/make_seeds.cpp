// make_seeds OUTDIR: writes small valid inputs of every kind the fuzz
// targets read into OUTDIR/<target>/, with the library's own writers where
// it has them (surface files, statistics files) and as text otherwise; the
// other programs' formats come from format_seeds.cpp.
#include "format_seeds.h"
#include "parcel_seeds.h"
#include "geometry.h"
#include "object_io.h"
#include "polygon_normals.h"
#include "zelVertstatsFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::string out_dir;
bool failed = false;

void fail(const std::string &what)
{
    std::fprintf(stderr, "make_seeds: %s\n", what.c_str());
    failed = true;
}

std::string path(const char *target, const std::string &name)
{
    std::string dir = out_dir + "/" + target;
    ::mkdir(dir.c_str(), 0755);
    return dir + "/" + name;
}

// Each object in its own form, one after another in one file.
void write_objects(const char *target, const std::string &name,
                   std::initializer_list<std::pair<object_struct *, File_formats>> objects)
{
    File file;
    std::string p = path(target, name);
    if (open_file(p.c_str(), WRITE_FILE, BINARY_FORMAT, &file) != OK)
        return fail("cannot open " + p);
    for (const auto &[object, form] : objects)
        if (output_object(file, form, object) != OK)
            fail("cannot write an object to " + p);
    if (close_file(file) != OK)
        fail("cannot close " + p);
}

void write_both_forms(const char *target, const std::string &stem, object_struct *object)
{
    write_objects(target, stem + "_ascii.obj", {{object, ASCII_FORMAT}});
    write_objects(target, stem + "_binary.obj", {{object, BINARY_FORMAT}});
}

void write_text(const char *target, const std::string &name, const std::string &text)
{
    std::string p = path(target, name);
    std::FILE *f = std::fopen(p.c_str(), "wb");
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
        std::fclose(f) != 0)
        fail("cannot write " + p);
}

// A polygons object from points and polygons given as corner lists.
object_struct *mesh(const std::vector<Point> &points,
                    const std::vector<std::vector<int>> &faces, int colour_flag)
{
    object_struct *object = create_object(POLYGONS);
    polygons_struct *p = get_polygons_ptr(object);
    int n_indices = 0;
    for (const auto &face : faces)
        n_indices += int(face.size());
    initialize_polygons_with_size(p, make_Colour(200, 180, 160), nullptr, int(points.size()),
                                  int(faces.size()), 0);
    alloc_array(p->indices, std::size_t(n_indices), "make_seeds", __LINE__);
    int k = 0;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        for (int v : faces[i])
            p->indices[k++] = v;
        p->end_indices[i] = k;
    }
    for (std::size_t i = 0; i < points.size(); ++i)
        p->points[i] = points[i];
    compute_polygon_normals(p);
    int n_colours = colour_flag == PER_VERTEX_COLOURS ? p->n_points
                    : colour_flag == PER_ITEM_COLOURS ? p->n_items : 1;
    free_array(p->colours, "make_seeds", __LINE__);
    alloc_array(p->colours, std::size_t(n_colours), "make_seeds", __LINE__);
    for (int i = 0; i < n_colours; ++i)
        p->colours[i] = make_rgba_Colour(40 * i % 256, 255 - 30 * i % 256, 128, 255);
    p->colour_flag = colour_flag;
    return object;
}

object_struct *generated(Status (*make)(polygons_struct *))
{
    object_struct *object = create_object(POLYGONS);
    if (make(get_polygons_ptr(object)) != OK)
        fail("cannot build a solid");
    compute_polygon_normals(get_polygons_ptr(object));
    return object;
}

void surface_seeds(const char *target)
{
    const Point origin = {0, 0, 0};
    object_struct *tetra = generated(create_unit_tetrahedron);
    object_struct *icosa = generated(create_unit_icosahedron);
    object_struct *sphere = create_object(POLYGONS);
    create_tetrahedral_sphere(&origin, 1.0, 1.0, 1.0, 80, get_polygons_ptr(sphere));
    object_struct *latlong = create_object(POLYGONS);
    create_polygons_sphere(&origin, 1.0, 2.0, 1.0, 4, 6, false, get_polygons_ptr(latlong));
    compute_polygon_normals(get_polygons_ptr(latlong));

    write_both_forms(target, "tetrahedron", tetra);
    write_both_forms(target, "latlong_sphere", latlong);
    set_use_compressed_polygons_flag(true);
    write_both_forms(target, "compressed_sphere", sphere);
    set_use_compressed_polygons_flag(false);
    ::setenv("NEW_OBJ_FORMAT", "1", 1);
    write_objects(target, "item_sizes_ascii.obj", {{icosa, ASCII_FORMAT}});
    ::unsetenv("NEW_OBJ_FORMAT");

    // Mixed polygon sizes, per-item colours; an open surface, per-vertex colours.
    object_struct *mixed = mesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0.5f, 0},
                                 {2, 1.5f, 0.5f}, {1, 2, 0}},
                                {{0, 1, 2, 3}, {1, 4, 2}, {4, 5, 6, 2}}, PER_ITEM_COLOURS);
    object_struct *open = mesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, 0.5f, 1}},
                               {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}}, PER_VERTEX_COLOURS);
    write_both_forms(target, "mixed_sizes", mixed);
    write_both_forms(target, "open_fan", open);

    object_struct *lines = create_object(LINES);
    lines_struct *l = get_lines_ptr(lines);
    initialize_lines(l, make_Colour(255, 0, 0));
    l->line_thickness = 2.0f;
    l->n_points = 4;
    alloc_array(l->points, 4, "make_seeds", __LINE__);
    for (int i = 0; i < 4; ++i)
        l->points[i] = {float(i), float(i * i), 0.5f};
    l->n_items = 2;
    alloc_array(l->end_indices, 2, "make_seeds", __LINE__);
    l->end_indices[0] = 3;
    l->end_indices[1] = 5;
    alloc_array(l->indices, 5, "make_seeds", __LINE__);
    for (int i = 0; i < 5; ++i)
        l->indices[i] = i % 4;
    write_both_forms(target, "lines", lines);

    object_struct *quadmesh = create_object(QUADMESH);
    quadmesh_struct *q = get_quadmesh_ptr(quadmesh);
    initialize_quadmesh(q, make_Colour(0, 255, 0), nullptr, 3, 2);
    q->m_closed = 1;
    for (int i = 0; i < 6; ++i) {
        q->points[i] = {float(i / 2), float(i % 2), 0.25f * float(i)};
        q->normals[i] = {0, 0, 1};
    }
    write_both_forms(target, "quadmesh", quadmesh);

    object_struct *marker = create_object(MARKER);
    marker_struct *m = get_marker_ptr(marker);
    initialize_marker(m, 2, make_Colour(0, 0, 255));
    m->position = {1.5f, -2.0f, 3.25f};
    m->size = 2.5;
    m->first_id = 7;
    m->second_id = -1;
    m->label = create_string("landmark one");
    write_both_forms(target, "marker", marker);

    object_struct *text = create_object(TEXT);
    const Point at = {10, 20, 30};
    initialize_text(get_text_ptr(text), &at, make_Colour(255, 255, 0), 1, 12.0);
    delete_string(get_text_ptr(text)->string);
    get_text_ptr(text)->string = create_string("central sulcus");
    write_both_forms(target, "text", text);

    object_struct *model = create_object(MODEL);
    initialize_model(get_model_ptr(model));
    delete_string(get_model_ptr(model)->filename);
    get_model_ptr(model)->filename = create_string("a.obj");
    write_both_forms(target, "model", model);

    const int types[] = {PIXEL_INDEX8, PIXEL_INDEX16, PIXEL_RGB};
    const std::size_t sizes[] = {1, 2, sizeof(Colour)};
    const char *names[] = {"pixels_index8", "pixels_index16", "pixels_rgb"};
    std::vector<object_struct *> pixels;
    for (int t = 0; t < 3; ++t) {
        object_struct *object = create_object(PIXELS);
        pixels_struct *px = get_pixels_ptr(object);
        px->pixel_type = types[t];
        px->x_size = 3;
        px->y_size = 2;
        px->data = alloc_memory_1d(6, sizes[t], "make_seeds", __LINE__);
        auto *bytes = static_cast<unsigned char *>(px->data);
        for (std::size_t i = 0; i < 6 * sizes[t]; ++i)
            bytes[i] = static_cast<unsigned char>(37 * i + 11);
        write_both_forms(target, names[t], object);
        pixels.push_back(object);
    }

    write_objects(target, "every_kind.obj",
                  {{tetra, ASCII_FORMAT}, {lines, BINARY_FORMAT}, {marker, ASCII_FORMAT},
                   {text, BINARY_FORMAT}, {quadmesh, ASCII_FORMAT}, {pixels[2], BINARY_FORMAT},
                   {model, ASCII_FORMAT}, {open, BINARY_FORMAT}});

    for (object_struct *o : {tetra, icosa, sphere, latlong, mixed, open, lines, quadmesh,
                             marker, text, model})
        delete_object(o);
    for (object_struct *o : pixels)
        delete_object(o);
}

void topology_seeds(const char *target)
{
    const Point origin = {0, 0, 0};
    object_struct *icosa = generated(create_unit_icosahedron);
    object_struct *sphere = create_object(POLYGONS);
    create_tetrahedral_sphere(&origin, 1.0, 1.0, 1.0, 80, get_polygons_ptr(sphere));
    write_objects(target, "icosahedron_binary.obj", {{icosa, BINARY_FORMAT}});
    set_use_compressed_polygons_flag(true);
    write_objects(target, "compressed_sphere_binary.obj", {{sphere, BINARY_FORMAT}});
    set_use_compressed_polygons_flag(false);

    // Three triangles on one edge; a triangle with a repeated corner; an
    // unused point; a quad beside a hole.
    object_struct *fin = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {5, 5, 5}},
                              {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}, {2, 2, 4}}, ONE_COLOUR);
    object_struct *holed = mesh({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0},
                                 {0, 2, 0}, {1, 2, 0}, {2, 2, 0}},
                                {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {5, 8, 7}},
                                ONE_COLOUR);
    object_struct *flat = mesh({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{0, 1, 2}}, ONE_COLOUR);
    write_objects(target, "fin_ascii.obj", {{fin, ASCII_FORMAT}});
    write_objects(target, "holed_binary.obj", {{holed, BINARY_FORMAT}});
    write_objects(target, "two_meshes.obj", {{flat, ASCII_FORMAT}, {fin, BINARY_FORMAT}});
    for (object_struct *o : {icosa, sphere, fin, holed, flat})
        delete_object(o);
}

void vertstats_seeds(const char *target)
{
    zelVertstatsFile stats;
    stats.addToHistory("make_seeds vertstats");
    stats.addToHeader("mean", "0.5");
    stats.addToHeader("analysis:model", "y ~ age + sex");
    stats.addToHeader("analysis:subjects", "12");
    stats.putDataColumn({0.5f, -1.25f, 3e-7f, 1e30f}, "tvalue");
    stats.putDataColumn({0.01f, 0.9f, 0.5f, 0.0f}, "p.value");
    stats.putDataColumn({1.0f, 2.0f, 3.0f, 4.0f}, "Intercept");
    if (!stats.writeFile(path(target, "new_style.vertstats"), false) ||
        !stats.writeFile(path(target, "old_style.txt"), true))
        fail("cannot write the statistics seeds");
    zelVertstatsFile empty;
    if (!empty.writeFile(path(target, "empty_table.vertstats"), false))
        fail("cannot write the empty statistics seed");

    write_text(target, "hand_nested.vertstats",
               "<header>\n<history>\nfirst line\n<inner>\ntext\n</inner>\nmore\n</history>\n"
               "<mean>\n0.25\n</mean>\n</header>\nA B C\n1 2 3\nnan inf -inf\n4 5\n");
    write_text(target, "not_numbers.txt", "1 2\n3 x\n+4 -5e3\n");
}

void tag_seeds(const char *target)
{
    write_text(target, "one_volume.tag",
               "MNI Tag Point File\nVolumes = 1;\n% a comment\n\nPoints =\n"
               " 1.5 -2 3 1 4 -1 \"frontal pole\"\n -10.25 20 0.5e1 0.5 2 7\n 0 0 0;\n");
    write_text(target, "two_volumes.tag",
               "MNI Tag Point File\nVolumes = 2;\nPoints =\n 1 2 3 4 5 6 \"pair \\\"one\\\"\"\n"
               " 7 8\n 9 10 11 12\n;\n");
    write_text(target, "no_points.tag", "MNI Tag Point File\nVolumes = 1;\nPoints =\n;\n");
}

void model_seeds(const char *target)
{
    const char *names[] = {"a.obj", "b.obj", "sub/c.obj", "back.obj", "loop.obj",
                           "input.obj", "missing.obj", "sub"};
    int i = 0;
    for (const char *name : names) {
        object_struct *model = create_object(MODEL);
        initialize_model(get_model_ptr(model));
        delete_string(get_model_ptr(model)->filename);
        get_model_ptr(model)->filename = create_string(name);
        write_objects(target, "model" + std::to_string(i) + ".obj",
                      {{model, i % 2 ? BINARY_FORMAT : ASCII_FORMAT}});
        delete_object(model);
        ++i;
    }
    // an ASCII model then a binary one (length-prefixed name)
    static const char two[] = "F \"b.obj\"\nf\x09\0\0\0sub/c.obj";
    write_text(target, "two_models.obj", std::string(two, sizeof two - 1));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    out_dir = argv[1];
    ::mkdir(out_dir.c_str(), 0755);
    surface_seeds("surface");
    topology_seeds("topology");
    vertstats_seeds("vertstats");
    tag_seeds("tags");
    model_seeds("models");
    if (!write_format_seeds(out_dir) || !write_parcel_seeds(out_dir))
        failed = true;
    return failed ? 1 : 0;
}
