// Graphics objects: one generic record holding one of seven kinds of
// drawable record, with creation, initialisation, accessors, object lists
// and deletion.
#pragma once

#include "quillon.h"

struct Point {
    float x, y, z;
};
struct Vector {
    float x, y, z;
};

struct Surfprop {
    float ambient;
    float diffuse;
    float specular;
    float specular_exponent;
    float opacity;
};

enum Object_types {
    LINES = 0,
    MARKER = 1,
    MODEL = 2,
    PIXELS = 3,
    POLYGONS = 4,
    QUADMESH = 5,
    TEXT = 6,
    N_OBJECT_TYPES = 7
};

enum Colour_flags { ONE_COLOUR = 0, PER_ITEM_COLOURS = 1, PER_VERTEX_COLOURS = 2 };

enum Pixel_types { PIXEL_INDEX8 = 0, PIXEL_INDEX16 = 1, PIXEL_RGB = 2 };

struct bintree_struct; // opaque: attached by users of the library
using bintree_struct_ptr = bintree_struct *;

struct polygons_struct {
    int colour_flag;
    Colour *colours;
    Surfprop surfprop;
    float line_thickness;
    int n_points;
    Point *points;
    Vector *normals;
    int n_items;
    int *end_indices;
    int *indices;
    unsigned char *visibilities;
    int *neighbours;
    bintree_struct_ptr bintree;
};

struct lines_struct {
    int colour_flag;
    Colour *colours;
    float line_thickness;
    int n_points;
    Point *points;
    int n_items;
    int *end_indices;
    int *indices;
    bintree_struct_ptr bintree;
};

struct quadmesh_struct {
    int colour_flag;
    Colour *colours;
    Surfprop surfprop;
    int m_closed;
    int n_closed;
    int m;
    int n;
    Point *points;
    Vector *normals;
    bintree_struct_ptr bintree;
};

struct marker_struct {
    int marker_type;
    Colour colour;
    Point position;
    double size;
    STRING label;
    int first_id;
    int second_id;
};

struct text_struct {
    Point origin;
    Colour colour;
    int font;
    double size;
    STRING string;
};

struct object_struct;

struct model_struct {
    STRING filename;
    int n_objects;
    object_struct **objects;
    void *extra_ptr;
};

struct pixels_struct {
    int x_position;
    int y_position;
    int x_size;
    int y_size;
    double x_zoom;
    double y_zoom;
    int pixel_type;
    void *data; // unsigned char, unsigned short or Colour per pixel
};

struct object_struct {
    int object_type;
    int visibility;
    union {
        lines_struct lines;
        marker_struct marker;
        model_struct model;
        pixels_struct pixels;
        polygons_struct polygons;
        quadmesh_struct quadmesh;
        text_struct text;
    } specific;
};

// ---------------------------------------------------------------- objects
object_struct *create_object(int object_type);
int get_object_type(object_struct *object);
int get_object_visibility(object_struct *object);
void set_object_visibility(object_struct *object, int visibility);

lines_struct *get_lines_ptr(object_struct *object);
marker_struct *get_marker_ptr(object_struct *object);
model_struct *get_model_ptr(object_struct *object);
pixels_struct *get_pixels_ptr(object_struct *object);
polygons_struct *get_polygons_ptr(object_struct *object);
quadmesh_struct *get_quadmesh_ptr(object_struct *object);
text_struct *get_text_ptr(object_struct *object);

// Generic per-kind operations.
int get_object_points(object_struct *object, Point **points);
int get_object_normals(object_struct *object, Vector **normals);
int *get_object_colours(object_struct *object, Colour **colours); // &colour_flag or null
void set_object_colours(object_struct *object, Colour *colours);
Surfprop *get_object_surfprop(object_struct *object);
STRING get_object_name(object_struct *object);                    // new string
void delete_object(object_struct *object);

object_struct *add_object_to_list(int *n_objects, object_struct ***object_list,
                                  object_struct *object);
void delete_object_list(int n_objects, object_struct **object_list);

// ---------------------------------------------------------------- kinds
void get_default_surfprop(Surfprop *surfprop);
void free_colours(int colour_flag, Colour *colours, int n_points, int n_items);

void initialize_polygons(polygons_struct *polygons, Colour colour,
                         const Surfprop *surfprop);
Status initialize_polygons_with_size(polygons_struct *polygons, Colour colour,
                                     const Surfprop *surfprop, int n_points,
                                     int n_items, int size);
void delete_polygons(polygons_struct *polygons);
void free_polygon_neighbours(polygons_struct *polygons);

void initialize_lines(lines_struct *lines, Colour colour);
void delete_lines(lines_struct *lines);

Status initialize_quadmesh(quadmesh_struct *quadmesh, Colour colour,
                           const Surfprop *surfprop, int m, int n);
void delete_quadmesh(quadmesh_struct *quadmesh);

void initialize_marker(marker_struct *marker, int marker_type, Colour colour);
void delete_marker(marker_struct *marker);
void initialize_text(text_struct *text, const Point *origin, Colour colour,
                     int font, double size);
void delete_text(text_struct *text);
void initialize_model(model_struct *model);
void delete_model(model_struct *model);
void delete_pixels(pixels_struct *pixels);

// ---------------------------------------------------------------- bintree hook
using bintree_delete_function = void (*)(bintree_struct_ptr *bintree);
void set_bintree_delete_function(bintree_delete_function function);
void delete_bintree_if_any(bintree_struct_ptr *bintree);
