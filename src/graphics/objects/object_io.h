// The surface (object) file format: a header-less run of objects, each a
// kind letter (upper case ASCII, lower case binary) and its body.
#pragma once

#include "objects.h"

Status input_graphics_file(const char *filename, File_formats *form,
                           int *n_objects, object_struct ***object_list);
// As input_graphics_file on a file holding the size bytes at data, read in
// place; name only names it in messages, and models in it are looked for in
// name's directory.
Status input_graphics_memory(const void *data, std::size_t size, const char *name,
                             File_formats *form, int *n_objects,
                             object_struct ***object_list);
// How one object of a file was stored.
struct object_details {
    File_formats form;
    bool compressed; // polygons in the compressed sphere form
};
// As input_graphics_file, and also hands out how every object was stored:
// *details is assigned (an array of *n_objects, freed with free_array) only
// when at least one object was read.
Status input_graphics_file_with_details(const char *filename, int *n_objects,
                                        object_struct ***object_list,
                                        object_details **details);
Status output_graphics_file(const char *filename, File_formats form,
                            int n_objects, object_struct **object_list);

Status input_object(const char *directory, File file, File_formats *form,
                    object_struct **object, bool *eof);
// As input_object, and also tells how the object was stored.
Status input_object_with_details(const char *directory, File file,
                                 object_details *details, object_struct **object,
                                 bool *eof);
Status output_object(File file, File_formats form, object_struct *object);
Status input_object_type(File file, int *object_type, File_formats *form,
                         bool *eof);
Status io_object_type(File file, IO_types direction, File_formats form,
                      int object_type);

Status io_lines(File file, IO_types direction, File_formats form, lines_struct *lines);
Status io_marker(File file, IO_types direction, File_formats form, marker_struct *marker);
Status io_model(File file, IO_types direction, File_formats form, model_struct *model);
Status io_pixels(File file, IO_types direction, File_formats form, pixels_struct *pixels);
Status io_polygons(File file, IO_types direction, File_formats form,
                   polygons_struct *polygons);
// As io_polygons; *compressed tells whether the body was (or, when reading,
// is being) in the compressed sphere form.
Status io_polygons_with_details(File file, IO_types direction, File_formats form,
                                polygons_struct *polygons, bool *compressed);
Status io_quadmesh(File file, IO_types direction, File_formats form,
                   quadmesh_struct *quadmesh);
Status io_text(File file, IO_types direction, File_formats form, text_struct *text);

Status io_point(File file, IO_types direction, File_formats form, Point *point);
Status io_vector(File file, IO_types direction, File_formats form, Vector *vector);
Status io_points(File file, IO_types direction, File_formats form, int n,
                 Point **points);
Status io_vectors(File file, IO_types direction, File_formats form, int n,
                  Vector **vectors);
Status io_colour(File file, IO_types direction, File_formats form, Colour *colour);
Status io_colours(File file, IO_types direction, File_formats form,
                  int *colour_flag, int n_items, int n_points, Colour **colours);
Status io_surfprop(File file, IO_types direction, File_formats form,
                   Surfprop *surfprop);
Status io_end_indices(File file, IO_types direction, File_formats form,
                      int n_items, int **end_indices, int min_size);
Status io_pixel_colour(File file, IO_types direction, File_formats form,
                       Colour *colour);
Status io_pixel_colours(File file, IO_types direction, File_formats form, int n,
                        Colour **colours);

// Compressed sphere polygons (the negative triangle count form).
bool use_compressed_polygons();
void set_use_compressed_polygons_flag(bool flag);
bool get_use_compressed_polygons_flag();
