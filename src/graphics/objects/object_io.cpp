// Bodies of the seven object kinds in the surface file format. Each io_
// routine serves both directions, so the order of its steps is the file
// layout.
#include "object_io.h"

#include "compressed_polygons.h"
#include "object_arrays.h"
#include "object_checks.h"
#include "polygon_normals.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

const char kind_letters[N_OBJECT_TYPES + 1] = "lmfxpqt";

bool reading(IO_types direction) { return direction == READ_FILE; }

Status io_zero_vectors(File file, File_formats form, int n)
{
    Vector zero{0.0f, 0.0f, 0.0f};
    for (int i = 0; i < n; ++i)
        if (io_vector(file, WRITE_FILE, form, &zero) != OK ||
            io_newline(file, WRITE_FILE, form) != OK)
            return ERROR;
    return OK;
}

} // namespace

// ---------------------------------------------------------------- kind letters

Status io_object_type(File file, IO_types direction, File_formats form,
                      int object_type)
{
    if (reading(direction))
        return OK;
    if (object_type < 0 || object_type >= N_OBJECT_TYPES) {
        print_error("io_object_type: object type %d not handled.\n", object_type);
        return ERROR;
    }
    char letter = kind_letters[object_type];
    if (form == ASCII_FORMAT)
        letter = char(letter - 32);
    if (output_character(file, letter) != OK) {
        print_error("Error outputting char.\n");
        return ERROR;
    }
    return OK;
}

Status input_object_type(File file, int *object_type, File_formats *form,
                         bool *eof)
{
    char ch;
    *eof = false;
    if (input_nonwhite_character(file, &ch) != OK) {
        *eof = true;
        return OK;
    }
    if (ch >= 'A' && ch <= 'Z') {
        *form = ASCII_FORMAT;
        ch = char(ch + 32);
    } else {
        *form = BINARY_FORMAT;
    }
    const char *found = std::strchr(kind_letters, ch);
    if (ch == '\0' || found == nullptr) {
        print_error("Unrecognized object type in file.\n");
        return ERROR;
    }
    *object_type = int(found - kind_letters);
    return OK;
}
// ---------------------------------------------------------------- kinds

Status io_polygons(File file, IO_types direction, File_formats form,
                   polygons_struct *polygons)
{
    bool compressed;
    return io_polygons_with_details(file, direction, form, polygons, &compressed);
}

Status io_polygons_with_details(File file, IO_types direction, File_formats form,
                                polygons_struct *polygons, bool *compressed)
{
    *compressed = false;
    if (reading(direction)) {
        initialize_polygons(polygons, make_Colour_0_1(1.0, 1.0, 1.0), nullptr);
        free_array(polygons->colours, "object_io", __LINE__);
    } else if (polygons->n_points < 1 || polygons->n_items < 1) {
        return OK; // an empty mesh is left out of the file
    }
    Status status = [&]() -> Status {
        if (io_object_type(file, direction, form, POLYGONS) != OK ||
            io_surfprop(file, direction, form, &polygons->surfprop) != OK)
            return ERROR;
        if (!reading(direction) && use_compressed_polygons() &&
            can_compress_polygons(polygons)) {
            *compressed = true;
            return output_compressed_polygons(file, form, polygons);
        }
        if (io_int(file, direction, form, &polygons->n_points) != OK)
            return ERROR;
        if (reading(direction) && polygons->n_points < 0) {
            if (polygons->n_points == INT_MIN) {
                print_error("Error reading \"%s\": triangle count %d is out of "
                            "range.\n", file_name(file), polygons->n_points);
                polygons->n_points = 0;
                return ERROR;
            }
            int n_triangles = -polygons->n_points;
            polygons->n_points = 0;
            *compressed = true;
            return input_compressed_polygons(file, form, polygons, n_triangles);
        }
        if (io_newline(file, direction, form) != OK ||
            io_points(file, direction, form, polygons->n_points, &polygons->points) != OK ||
            io_newline(file, direction, form) != OK)
            return ERROR;
        if (!reading(direction) && polygons->normals == nullptr) {
            // the file always carries normals: compute them for a record that
            // has none, leaving the caller's record as it is
            polygons_struct copy = *polygons;
            copy.normals = nullptr;
            if (compute_polygon_normals(&copy) != OK) {
                free_array(copy.normals, "object_io", __LINE__);
                print_error("Error writing \"%s\": cannot compute the normals the "
                            "polygons lack.\n", file_name(file));
                return ERROR;
            }
            Status written = io_vectors(file, direction, form, polygons->n_points,
                                        &copy.normals);
            free_array(copy.normals, "object_io", __LINE__);
            if (written != OK)
                return ERROR;
        } else if (io_vectors(file, direction, form, polygons->n_points,
                              &polygons->normals) != OK) {
            return ERROR;
        }
        if (io_newline(file, direction, form) != OK ||
            io_int(file, direction, form, &polygons->n_items) != OK ||
            io_newline(file, direction, form) != OK)
            return ERROR;
        if (reading(direction) &&
            check_count(file, form, polygons->n_items, sizeof(int), 1, "polygon") != OK) {
            polygons->n_items = 0;
            return ERROR;
        }
        if (io_colours(file, direction, form, &polygons->colour_flag,
                       polygons->n_items, polygons->n_points, &polygons->colours) != OK ||
            io_newline(file, direction, form) != OK ||
            io_end_indices(file, direction, form, polygons->n_items,
                           &polygons->end_indices, 3) != OK ||
            io_newline(file, direction, form) != OK)
            return ERROR;
        if (reading(direction) &&
            check_end_indices(file, "polygon", polygons->n_items, polygons->end_indices) != OK)
            return ERROR;
        int n_indices = polygons->n_items > 0 ? polygons->end_indices[polygons->n_items - 1] : 0;
        if ((reading(direction) ? input_ints(file, form, n_indices, &polygons->indices)
                                : io_ints(file, direction, form, n_indices,
                                          &polygons->indices)) != OK ||
            io_newline(file, direction, form) != OK)
            return ERROR;
        if (reading(direction))
            return check_indices(file, "polygon", polygons->n_points, n_indices,
                                 polygons->indices);
        return OK;
    }();
    if (reading(direction))
        polygons->line_thickness = 1.0f;
    return status;
}

Status io_lines(File file, IO_types direction, File_formats form, lines_struct *lines)
{
    if (reading(direction)) {
        initialize_lines(lines, make_Colour_0_1(1.0, 1.0, 1.0));
        free_array(lines->colours, "object_io", __LINE__);
    } else if (lines->n_points < 1 || lines->n_items < 1) {
        return OK;
    }
    if (io_object_type(file, direction, form, LINES) != OK ||
        io_float(file, direction, form, &lines->line_thickness) != OK)
        return ERROR;
    if (reading(direction) && form == BINARY_FORMAT &&
        !(lines->line_thickness > 0.001f && lines->line_thickness <= 20.0f))
        lines->line_thickness = 1.0f;
    if (io_int(file, direction, form, &lines->n_points) != OK ||
        io_newline(file, direction, form) != OK ||
        io_points(file, direction, form, lines->n_points, &lines->points) != OK ||
        io_newline(file, direction, form) != OK ||
        io_int(file, direction, form, &lines->n_items) != OK ||
        io_newline(file, direction, form) != OK)
        return ERROR;
    if (reading(direction) &&
        check_count(file, form, lines->n_items, sizeof(int), 1, "line") != OK) {
        lines->n_items = 0;
        return ERROR;
    }
    if (io_colours(file, direction, form, &lines->colour_flag, lines->n_items,
                   lines->n_points, &lines->colours) != OK ||
        io_newline(file, direction, form) != OK ||
        io_end_indices(file, direction, form, lines->n_items, &lines->end_indices, 1) != OK ||
        io_newline(file, direction, form) != OK)
        return ERROR;
    if (reading(direction) &&
        check_end_indices(file, "line", lines->n_items, lines->end_indices) != OK)
        return ERROR;
    int n_indices = lines->n_items > 0 ? lines->end_indices[lines->n_items - 1] : 0;
    if ((reading(direction) ? input_ints(file, form, n_indices, &lines->indices)
                            : io_ints(file, direction, form, n_indices, &lines->indices)) != OK)
        return ERROR;
    if (reading(direction))
        return check_indices(file, "line", lines->n_points, n_indices, lines->indices);
    return OK;
}

Status io_quadmesh(File file, IO_types direction, File_formats form,
                   quadmesh_struct *quadmesh)
{
    if (reading(direction)) {
        initialize_quadmesh(quadmesh, make_Colour_0_1(1.0, 1.0, 1.0), nullptr, 0, 0);
        free_array(quadmesh->colours, "object_io", __LINE__);
    } else if (quadmesh->m < 2 || quadmesh->n < 2) {
        return OK;
    }
    if (io_object_type(file, direction, form, QUADMESH) != OK ||
        io_surfprop(file, direction, form, &quadmesh->surfprop) != OK ||
        io_int(file, direction, form, &quadmesh->m) != OK ||
        io_int(file, direction, form, &quadmesh->n) != OK ||
        io_boolean(file, direction, form, &quadmesh->m_closed) != OK ||
        io_boolean(file, direction, form, &quadmesh->n_closed) != OK ||
        io_newline(file, direction, form) != OK)
        return ERROR;
    long long m = quadmesh->m, n = quadmesh->n;
    if (reading(direction)) {
        if (m < 0 || n < 0 || m * n > INT_MAX) {
            print_error("Error reading \"%s\": quadmesh size %lld by %lld is out "
                        "of range.\n", file_name(file), m, n);
            return ERROR;
        }
        if (check_count(file, form, m * n, sizeof(Point), 3, "quadmesh point") != OK)
            return ERROR;
    }
    int n_points = int(m * n);
    int n_items = (m > 0 && n > 0) ? int((m - 1) * (n - 1)) : 0;
    if (io_colours(file, direction, form, &quadmesh->colour_flag, n_items, n_points,
                   &quadmesh->colours) != OK ||
        io_newline(file, direction, form) != OK ||
        io_points(file, direction, form, n_points, &quadmesh->points) != OK ||
        io_newline(file, direction, form) != OK)
        return ERROR;
    if (!reading(direction) && quadmesh->normals == nullptr) {
        if (io_zero_vectors(file, form, n_points) != OK)
            return ERROR;
    } else if (io_vectors(file, direction, form, n_points, &quadmesh->normals) != OK) {
        return ERROR;
    }
    return io_newline(file, direction, form);
}

Status io_marker(File file, IO_types direction, File_formats form, marker_struct *marker)
{
    if (io_object_type(file, direction, form, MARKER) != OK ||
        io_int(file, direction, form, &marker->marker_type) != OK ||
        io_real(file, direction, form, &marker->size) != OK ||
        io_colour(file, direction, form, &marker->colour) != OK ||
        io_point(file, direction, form, &marker->position) != OK ||
        io_int(file, direction, form, &marker->first_id) != OK ||
        io_int(file, direction, form, &marker->second_id) != OK ||
        io_quoted_string(file, direction, form, &marker->label) != OK)
        return ERROR;
    return io_newline(file, direction, form);
}

Status io_text(File file, IO_types direction, File_formats form, text_struct *text)
{
    if (io_object_type(file, direction, form, TEXT) != OK ||
        io_int(file, direction, form, &text->font) != OK ||
        io_real(file, direction, form, &text->size) != OK ||
        io_colour(file, direction, form, &text->colour) != OK ||
        io_point(file, direction, form, &text->origin) != OK ||
        io_quoted_string(file, direction, form, &text->string) != OK)
        return ERROR;
    return io_newline(file, direction, form);
}

Status io_model(File file, IO_types direction, File_formats form, model_struct *model)
{
    if (io_object_type(file, direction, form, MODEL) != OK ||
        io_quoted_string(file, direction, form, &model->filename) != OK)
        return ERROR;
    return io_newline(file, direction, form);
}
