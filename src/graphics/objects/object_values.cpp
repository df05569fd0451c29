// The value routines the object bodies are built from: points, vectors,
// colours and colour lists, surface properties, end indices, pixel colours.
#include "object_arrays.h"
#include "object_checks.h"
#include "object_io.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

bool reading(IO_types direction) { return direction == READ_FILE; }

int colour_count(int colour_flag, int n_items, int n_points)
{
    switch (colour_flag) {
    case ONE_COLOUR: return 1;
    case PER_ITEM_COLOURS: return n_items;
    case PER_VERTEX_COLOURS: return n_points;
    default: return -1;
    }
}

} // namespace

Status io_point(File file, IO_types direction, File_formats form, Point *point)
{
    static_assert(sizeof(Point) == 3 * sizeof(float));
    return io_floats(file, direction, form, 3, &point->x);
}

Status io_vector(File file, IO_types direction, File_formats form, Vector *vector)
{
    static_assert(sizeof(Vector) == 3 * sizeof(float));
    return io_floats(file, direction, form, 3, &vector->x);
}

template <typename T>
static Status move_triples(File file, IO_types direction, File_formats form,
                           T *values, std::size_t n)
{
    if (form == BINARY_FORMAT)
        return io_binary_data(file, direction, values, sizeof(T), n);
    static_assert(sizeof(T) == 3 * sizeof(float));
    if (reading(direction)) {
        // Line ends mean nothing to reading: the triples are one run of
        // numbers, read a bounded part at a time.
        constexpr std::size_t part = std::size_t(1) << 24;
        for (std::size_t done = 0; done < n; done += part) {
            const std::size_t count = std::min(part, n - done);
            if (io_floats(file, direction, form, int(3 * count), &values[done].x) != OK)
                return ERROR;
        }
        return OK;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (io_floats(file, direction, form, 3, &values[i].x) != OK ||
            io_newline(file, direction, form) != OK)
            return ERROR;
    }
    return OK;
}

template <typename T>
static Status io_triples(File file, IO_types direction, File_formats form, int n,
                         T **array, const char *what)
{
    if (reading(direction)) {
        *array = nullptr;
        if (check_count(file, form, n, sizeof(T), 3, what) != OK)
            return ERROR;
        if (file_size_unknown(file))
            return read_growing_array(file, n, array, [&](T *first, std::size_t count) {
                return move_triples(file, direction, form, first, count);
            });
        if (alloc_array(*array, std::size_t(n), "object_io", __LINE__) != OK)
            return ERROR;
    }
    if (n <= 0)
        return n == 0 ? OK : ERROR;
    return move_triples(file, direction, form, *array, std::size_t(n));
}

Status io_points(File file, IO_types direction, File_formats form, int n,
                 Point **points)
{
    return io_triples(file, direction, form, n, points, "point");
}

Status io_vectors(File file, IO_types direction, File_formats form, int n,
                  Vector **vectors)
{
    return io_triples(file, direction, form, n, vectors, "normal");
}

Status io_colour(File file, IO_types direction, File_formats form, Colour *colour)
{
    if (form == ASCII_FORMAT) {
        float rgba[4] = {};
        if (!reading(direction)) {
            rgba[0] = float(get_Colour_r_0_1(*colour));
            rgba[1] = float(get_Colour_g_0_1(*colour));
            rgba[2] = float(get_Colour_b_0_1(*colour));
            rgba[3] = float(get_Colour_a_0_1(*colour));
        }
        if (io_floats(file, direction, form, 4, rgba) != OK)
            return ERROR;
        if (reading(direction))
            *colour = make_rgba_Colour_0_1(rgba[0], rgba[1], rgba[2], rgba[3]);
        return OK;
    }
    unsigned char abgr[4] = {};
    if (!reading(direction)) {
        abgr[0] = static_cast<unsigned char>(get_Colour_a(*colour));
        abgr[1] = static_cast<unsigned char>(get_Colour_b(*colour));
        abgr[2] = static_cast<unsigned char>(get_Colour_g(*colour));
        abgr[3] = static_cast<unsigned char>(get_Colour_r(*colour));
    }
    if (io_binary_data(file, direction, abgr, 1, 4) != OK)
        return ERROR;
    if (reading(direction))
        *colour = make_rgba_Colour(abgr[3], abgr[2], abgr[1], abgr[0]);
    return OK;
}

Status io_colours(File file, IO_types direction, File_formats form,
                  int *colour_flag, int n_items, int n_points, Colour **colours)
{
    if (io_int(file, direction, form, colour_flag) != OK)
        return ERROR;
    int count = colour_count(*colour_flag, n_items, n_points);
    if (count < 0) {
        print_error("Error inputting colour flag.\n");
        return ERROR;
    }
    auto move = [&](Colour *first, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (io_colour(file, direction, form, &first[i]) != OK ||
                io_newline(file, direction, form) != OK)
                return ERROR;
        }
        return OK;
    };
    if (reading(direction)) {
        *colours = nullptr;
        if (check_count(file, form, count, 4, 4, "colour") != OK)
            return ERROR;
        if (file_size_unknown(file))
            return read_growing_array(file, count, colours, move);
        if (count > 0 && alloc_array(*colours, std::size_t(count), "object_io",
                                     __LINE__) != OK)
            return ERROR;
    } else if (count > 0 && *colours == nullptr) {
        print_error("Error writing \"%s\": the colour list is missing.\n",
                    file_name(file));
        return ERROR;
    }
    return move(*colours, std::size_t(count));
}

Status io_surfprop(File file, IO_types direction, File_formats form,
                   Surfprop *surfprop)
{
    static_assert(sizeof(Surfprop) == 5 * sizeof(float));
    if (io_floats(file, direction, form, 5, &surfprop->ambient) != OK)
        return ERROR;
    if (reading(direction) && surfprop->opacity == 0.0f)
        surfprop->opacity = 1.0f;
    return OK;
}

Status io_end_indices(File file, IO_types direction, File_formats form,
                      int n_items, int **end_indices, int min_size)
{
    if (!reading(direction)) {
        if (n_items > 0 && std::getenv("NEW_OBJ_FORMAT") != nullptr) {
            int *sizes = nullptr;
            if (alloc_array(sizes, std::size_t(n_items), "object_io", __LINE__) != OK)
                return ERROR;
            sizes[0] = (*end_indices)[0];
            for (int i = 1; i < n_items; ++i)
                sizes[i] = (*end_indices)[i] - (*end_indices)[i - 1];
            Status status = io_ints(file, direction, form, n_items, &sizes);
            free_array(sizes, "object_io", __LINE__);
            return status;
        }
        return io_ints(file, direction, form, n_items, end_indices);
    }
    if (check_count(file, form, n_items, sizeof(int), 1, "item") != OK)
        return ERROR;
    if (input_ints(file, form, n_items, end_indices) != OK)
        return ERROR;
    int *ends = *end_indices;
    bool sizes = false;
    for (int i = 1; i < n_items && !sizes; ++i)
        sizes = (long long)ends[i] - ends[i - 1] < min_size;
    if (sizes) {
        long long sum = ends[0];
        for (int i = 1; i < n_items; ++i) {
            if (ends[i] < 0)
                break; // reported as decreasing below
            sum += ends[i];
            if (sum > INT_MAX) {
                print_error("Error reading \"%s\": the item sizes add up to more "
                            "than %d indices.\n", file_name(file), INT_MAX);
                return ERROR;
            }
            ends[i] = int(sum);
        }
    }
    return OK;
}

Status io_pixel_colour(File file, IO_types direction, File_formats form,
                       Colour *colour)
{
    if (form == ASCII_FORMAT) {
        int rgb[3] = {};
        if (!reading(direction)) {
            rgb[0] = get_Colour_r(*colour);
            rgb[1] = get_Colour_g(*colour);
            rgb[2] = get_Colour_b(*colour);
        }
        for (int &v : rgb)
            if (io_int(file, direction, form, &v) != OK)
                return ERROR;
        if (reading(direction))
            *colour = make_Colour(rgb[0], rgb[1], rgb[2]);
        return OK;
    }
    unsigned char rgb[3] = {};
    if (!reading(direction)) {
        rgb[0] = static_cast<unsigned char>(get_Colour_r(*colour));
        rgb[1] = static_cast<unsigned char>(get_Colour_g(*colour));
        rgb[2] = static_cast<unsigned char>(get_Colour_b(*colour));
    }
    if (io_binary_data(file, direction, rgb, 1, 3) != OK)
        return ERROR;
    if (reading(direction))
        *colour = make_Colour(rgb[0], rgb[1], rgb[2]);
    return OK;
}

namespace {

Status move_pixel_colours(File file, IO_types direction, File_formats form,
                          Colour *values, std::size_t n)
{
    if (form == ASCII_FORMAT) {
        for (std::size_t i = 0; i < n; ++i)
            if (io_pixel_colour(file, direction, form, &values[i]) != OK ||
                io_newline(file, direction, form) != OK)
                return ERROR;
        return OK;
    }
    constexpr std::size_t chunk = 256;
    unsigned char buffer[3 * chunk];
    for (std::size_t start = 0; start < n; start += chunk) {
        std::size_t count = n - start < chunk ? n - start : chunk;
        if (!reading(direction)) {
            for (std::size_t i = 0; i < count; ++i) {
                buffer[3 * i] = static_cast<unsigned char>(get_Colour_r(values[start + i]));
                buffer[3 * i + 1] = static_cast<unsigned char>(get_Colour_g(values[start + i]));
                buffer[3 * i + 2] = static_cast<unsigned char>(get_Colour_b(values[start + i]));
            }
        }
        if (io_binary_data(file, direction, buffer, 1, 3 * count) != OK)
            return ERROR;
        if (reading(direction))
            for (std::size_t i = 0; i < count; ++i)
                values[start + i] = make_Colour(buffer[3 * i], buffer[3 * i + 1],
                                                buffer[3 * i + 2]);
    }
    return OK;
}

} // namespace

Status io_pixel_colours(File file, IO_types direction, File_formats form, int n,
                        Colour **colours)
{
    if (reading(direction)) {
        *colours = nullptr;
        if (check_count(file, form, n, 3, 3, "pixel") != OK)
            return ERROR;
        if (file_size_unknown(file))
            return read_growing_array(file, n, colours, [&](Colour *first, std::size_t count) {
                return move_pixel_colours(file, direction, form, first, count);
            });
        if (alloc_array(*colours, std::size_t(n), "object_io", __LINE__) != OK)
            return ERROR;
    }
    if (n < 0)
        return ERROR;
    return move_pixel_colours(file, direction, form, *colours, std::size_t(n));
}
