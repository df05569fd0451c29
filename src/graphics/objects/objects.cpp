// The generic object record: creation, kind accessors, the per-kind
// operation table, object lists and the bintree hook.
#include "objects.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

object_struct *create_object(int object_type)
{
    object_struct *object = nullptr;
    if (alloc_array(object, 1, "objects", __LINE__) != OK)
        return nullptr;
    // a cleared record: the reader leaves fields such as a model's
    // extra_ptr untouched, and deletion must not free garbage
    std::memset(static_cast<void *>(object), 0, sizeof *object);
    object->object_type = object_type;
    object->visibility = 1;
    return object;
}

int get_object_type(object_struct *object) { return object->object_type; }
int get_object_visibility(object_struct *object) { return object->visibility; }
void set_object_visibility(object_struct *object, int visibility)
{
    object->visibility = visibility;
}

#define KIND_ACCESSOR(function, kind, member, record)                          \
    record *function(object_struct *object)                                    \
    {                                                                          \
        if (object == nullptr || object->object_type != kind) {                \
            handle_internal_error(#function);                                  \
            return nullptr;                                                    \
        }                                                                      \
        return &object->specific.member;                                       \
    }

KIND_ACCESSOR(get_lines_ptr, LINES, lines, lines_struct)
KIND_ACCESSOR(get_marker_ptr, MARKER, marker, marker_struct)
KIND_ACCESSOR(get_model_ptr, MODEL, model, model_struct)
KIND_ACCESSOR(get_pixels_ptr, PIXELS, pixels, pixels_struct)
KIND_ACCESSOR(get_polygons_ptr, POLYGONS, polygons, polygons_struct)
KIND_ACCESSOR(get_quadmesh_ptr, QUADMESH, quadmesh, quadmesh_struct)
KIND_ACCESSOR(get_text_ptr, TEXT, text, text_struct)
#undef KIND_ACCESSOR

// ---------------------------------------------------------------- per kind

namespace {

STRING formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));

STRING formatted(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? std::size_t(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return create_string(text.c_str());
}

struct kind_operations {
    int (*points)(object_struct *, Point **);
    int (*normals)(object_struct *, Vector **);
    int *(*colours)(object_struct *, Colour **);
    void (*set_colours)(object_struct *, Colour *);
    Surfprop *(*surfprop)(object_struct *);
    STRING (*name)(object_struct *);
    void (*destroy)(object_struct *);
};

int no_normals(object_struct *, Vector **normals)
{
    *normals = nullptr;
    return 0;
}
void ignore_colours(object_struct *, Colour *) {}
Surfprop *no_surfprop(object_struct *) { return nullptr; }
int *no_colours(object_struct *, Colour **colours)
{
    *colours = nullptr;
    return nullptr;
}
int no_points(object_struct *, Point **points)
{
    *points = nullptr;
    return 0;
}

const kind_operations operations[N_OBJECT_TYPES] = {
    // lines
    {[](object_struct *o, Point **p) { *p = o->specific.lines.points; return o->specific.lines.n_points; },
     no_normals,
     [](object_struct *o, Colour **c) { *c = o->specific.lines.colours; return &o->specific.lines.colour_flag; },
     [](object_struct *o, Colour *c) { o->specific.lines.colours = c; },
     no_surfprop,
     [](object_struct *o) { return formatted("Lines (%d:%d)", o->specific.lines.n_items, o->specific.lines.n_points); },
     [](object_struct *o) { delete_lines(&o->specific.lines); }},
    // marker
    {[](object_struct *o, Point **p) { *p = &o->specific.marker.position; return 1; },
     no_normals,
     [](object_struct *o, Colour **c) { *c = &o->specific.marker.colour; return static_cast<int *>(nullptr); },
     ignore_colours,
     no_surfprop,
     [](object_struct *o) {
         const marker_struct &m = o->specific.marker;
         const char *label = (m.label == nullptr || m.label[0] == '\0') ? "Marker" : m.label;
         return formatted("%s:%d:%d: (%g %g %g)", label, m.second_id, m.first_id,
                          double(m.position.x), double(m.position.y), double(m.position.z));
     },
     [](object_struct *o) { delete_marker(&o->specific.marker); }},
    // model
    {no_points, no_normals, no_colours, ignore_colours, no_surfprop,
     [](object_struct *o) {
         const char *name = o->specific.model.filename ? o->specific.model.filename : "";
         return formatted("Model (%s) ->", name);
     },
     [](object_struct *o) { delete_model(&o->specific.model); }},
    // pixels
    {no_points, no_normals, no_colours, ignore_colours, no_surfprop,
     [](object_struct *o) { return formatted("Pixels (%d by %d)", o->specific.pixels.x_size, o->specific.pixels.y_size); },
     [](object_struct *o) { delete_pixels(&o->specific.pixels); }},
    // polygons
    {[](object_struct *o, Point **p) { *p = o->specific.polygons.points; return o->specific.polygons.n_points; },
     [](object_struct *o, Vector **v) { *v = o->specific.polygons.normals; return o->specific.polygons.n_points; },
     [](object_struct *o, Colour **c) { *c = o->specific.polygons.colours; return &o->specific.polygons.colour_flag; },
     [](object_struct *o, Colour *c) { o->specific.polygons.colours = c; },
     [](object_struct *o) { return &o->specific.polygons.surfprop; },
     [](object_struct *o) { return formatted("Polygons (%d:%d)", o->specific.polygons.n_items, o->specific.polygons.n_points); },
     [](object_struct *o) { delete_polygons(&o->specific.polygons); }},
    // quadmesh
    {[](object_struct *o, Point **p) { *p = o->specific.quadmesh.points; return o->specific.quadmesh.m * o->specific.quadmesh.n; },
     [](object_struct *o, Vector **v) { *v = o->specific.quadmesh.normals; return o->specific.quadmesh.m * o->specific.quadmesh.n; },
     [](object_struct *o, Colour **c) { *c = o->specific.quadmesh.colours; return &o->specific.quadmesh.colour_flag; },
     [](object_struct *o, Colour *c) { o->specific.quadmesh.colours = c; },
     [](object_struct *o) { return &o->specific.quadmesh.surfprop; },
     [](object_struct *o) { return formatted("Quadmesh [%d][%d]", o->specific.quadmesh.m, o->specific.quadmesh.n); },
     [](object_struct *o) { delete_quadmesh(&o->specific.quadmesh); }},
    // text
    {[](object_struct *o, Point **p) { *p = &o->specific.text.origin; return 1; },
     no_normals,
     [](object_struct *o, Colour **c) { *c = &o->specific.text.colour; return static_cast<int *>(nullptr); },
     ignore_colours,
     no_surfprop,
     [](object_struct *o) { return formatted("Text (%s)", o->specific.text.string ? o->specific.text.string : ""); },
     [](object_struct *o) { delete_text(&o->specific.text); }},
};

const kind_operations *operations_of(object_struct *object)
{
    if (object == nullptr || object->object_type < 0 ||
        object->object_type >= N_OBJECT_TYPES) {
        handle_internal_error("object of unknown type");
        return nullptr;
    }
    return &operations[object->object_type];
}

} // namespace

int get_object_points(object_struct *object, Point **points)
{
    const kind_operations *ops = operations_of(object);
    if (ops == nullptr) {
        *points = nullptr;
        return 0;
    }
    return ops->points(object, points);
}

int get_object_normals(object_struct *object, Vector **normals)
{
    const kind_operations *ops = operations_of(object);
    if (ops == nullptr) {
        *normals = nullptr;
        return 0;
    }
    return ops->normals(object, normals);
}

int *get_object_colours(object_struct *object, Colour **colours)
{
    const kind_operations *ops = operations_of(object);
    if (ops == nullptr) {
        *colours = nullptr;
        return nullptr;
    }
    return ops->colours(object, colours);
}

void set_object_colours(object_struct *object, Colour *colours)
{
    if (const kind_operations *ops = operations_of(object))
        ops->set_colours(object, colours);
}

Surfprop *get_object_surfprop(object_struct *object)
{
    const kind_operations *ops = operations_of(object);
    return ops ? ops->surfprop(object) : nullptr;
}

STRING get_object_name(object_struct *object)
{
    const kind_operations *ops = operations_of(object);
    return ops ? ops->name(object) : create_string("");
}

void delete_object(object_struct *object)
{
    if (object == nullptr)
        return;
    if (const kind_operations *ops = operations_of(object))
        ops->destroy(object);
    free_array(object, "objects", __LINE__);
}

// ---------------------------------------------------------------- lists

object_struct *add_object_to_list(int *n_objects, object_struct ***object_list,
                                  object_struct *object)
{
    if (*n_objects == 0)
        *object_list = nullptr;
    if (grow_array(*object_list, std::size_t(*n_objects), std::size_t(*n_objects) + 1,
                   1, "objects", __LINE__) != OK)
        return nullptr;
    (*object_list)[*n_objects] = object;
    ++*n_objects;
    return object;
}

void delete_object_list(int n_objects, object_struct **object_list)
{
    for (int i = 0; i < n_objects; ++i)
        delete_object(object_list[i]);
    if (n_objects > 0)
        free_array(object_list, "objects", __LINE__);
}

// ---------------------------------------------------------------- bintree

static bintree_delete_function bintree_hook = nullptr;

void set_bintree_delete_function(bintree_delete_function function)
{
    bintree_hook = function;
}

void delete_bintree_if_any(bintree_struct_ptr *bintree)
{
    if (bintree_hook != nullptr)
        bintree_hook(bintree);
}
