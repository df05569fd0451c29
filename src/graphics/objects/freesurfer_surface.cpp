#include "freesurfer_surface.h"

#include "big_endian.h"
#include "triangle_surfaces.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>

namespace {

constexpr std::uint32_t triangle_magic = 0xFFFFFE;
constexpr std::uint32_t quadrangle_magic = 0xFFFFFF; // shared with curv files
constexpr std::uint32_t new_quadrangle_magic = 0xFFFFFD;

// The volume geometry a surface may end with is a few hundred bytes of
// "key = value" lines; anything longer is not looked at.
constexpr std::size_t max_tail_bytes = 4096;

// An empty surface has no arrays to read into: nothing is asked of the file.
Status read_bytes(File file, void *data, std::size_t n)
{
    return n == 0 ? OK : io_binary_data(file, READ_FILE, data, 1, n);
}

// The creation line ends with a line feed and is followed by an empty line.
Status skip_creation_lines(File file)
{
    char ch = 0;
    do {
        if (input_character(file, &ch) != OK)
            return ERROR;
    } while (ch != '\n');
    return input_character(file, &ch) == OK && ch == '\n' ? OK : ERROR;
}

// Looks for "cras = x y z" in the volume geometry after the triangles.
void read_centre(File file, freesurfer_surface_info *info)
{
    std::uint64_t remaining = file_bytes_remaining(file);
    std::size_t n = remaining < max_tail_bytes ? std::size_t(remaining) : max_tail_bytes;
    if (n < 12)
        return;
    std::string tail(n, '\0');
    if (read_bytes(file, tail.data(), n) != OK)
        return;
    const auto *head = reinterpret_cast<const unsigned char *>(tail.data());
    // the geometry's tag: 2, 0, 20 (or 20 alone in older files)
    if (big_endian_i32(head) != 20 &&
        !(big_endian_i32(head) == 2 && big_endian_i32(head + 4) == 0 &&
          big_endian_i32(head + 8) == 20))
        return;
    std::size_t at = tail.find("\ncras");
    if (at == std::string::npos)
        return;
    std::size_t equals = tail.find('=', at);
    std::size_t end = tail.find('\n', at + 1);
    if (equals == std::string::npos || (end != std::string::npos && equals > end))
        return;
    std::string values = tail.substr(equals + 1, end == std::string::npos
                                                     ? std::string::npos
                                                     : end - equals - 1);
    float c[3];
    char extra;
    if (std::sscanf(values.c_str(), "%f %f %f %c", &c[0], &c[1], &c[2], &extra) == 3) {
        info->has_centre = true;
        std::memcpy(info->centre, c, sizeof c);
    }
}

// Says what a file that is not a triangle surface is, from its magic number
// (and for the shared one, the 12 bytes after it).
void refuse_other_kind(File file, const char *name, const unsigned char magic[3],
                       std::uint64_t size)
{
    unsigned char head[15];
    std::memcpy(head, magic, 3);
    std::size_t n = 3;
    if (big_endian_u24(magic) == quadrangle_magic && size >= sizeof head &&
        read_bytes(file, head + 3, sizeof head - 3) == OK)
        n = sizeof head;
    switch (freesurfer_file_kind(head, n, size)) {
    case FREESURFER_QUADRANGLE_SURFACE:
        print_error("Error reading \"%s\": a FreeSurfer quadrangle surface; only "
                    "triangle surfaces are read.\n", name);
        break;
    case FREESURFER_CURV:
        print_error("Error reading \"%s\": FreeSurfer per-vertex data (a curv "
                    "file), not a surface.\n", name);
        break;
    default:
        print_error("Error reading \"%s\": not a FreeSurfer surface (no magic "
                    "number).\n", name);
        break;
    }
}

Status read_surface(File file, const char *name, object_struct **object,
                    freesurfer_surface_info *info)
{
    const std::uint64_t size = file_bytes_remaining(file);
    if (size == UINT64_MAX) {
        print_error("Error reading \"%s\": not a regular file; a FreeSurfer file "
                    "is read only when its size is known.\n", name);
        return ERROR;
    }
    unsigned char magic[3];
    if (size < 3 || read_bytes(file, magic, 3) != OK) {
        print_error("Error reading \"%s\": too short for a FreeSurfer surface.\n", name);
        return ERROR;
    }
    if (big_endian_u24(magic) != triangle_magic) {
        refuse_other_kind(file, name, magic, size);
        return ERROR;
    }
    if (skip_creation_lines(file) != OK) {
        print_error("Error reading \"%s\": the creation line of a FreeSurfer surface "
                    "must end with an empty line.\n", name);
        return ERROR;
    }
    unsigned char counts[8];
    if (read_bytes(file, counts, sizeof counts) != OK) {
        print_error("Error reading \"%s\": the file ends before the point and "
                    "triangle counts.\n", name);
        return ERROR;
    }
    const std::int32_t n_points = big_endian_i32(counts);
    const std::int32_t n_triangles = big_endian_i32(counts + 4);
    const std::uint64_t remaining = file_bytes_remaining(file);
    if (n_points < 0 || n_triangles < 0 || n_triangles > INT_MAX / 3 ||
        12 * (std::uint64_t(n_points) + std::uint64_t(n_triangles)) > remaining) {
        print_error("Error reading \"%s\": %d points and %d triangles do not fit in "
                    "the %llu bytes left in the file.\n", name, n_points, n_triangles,
                    static_cast<unsigned long long>(remaining));
        return ERROR;
    }
    object_struct *surface = create_triangle_surface(name, n_points, n_triangles);
    if (surface == nullptr)
        return ERROR;
    polygons_struct *polygons = get_polygons_ptr(surface);
    static_assert(sizeof(Point) == 12 && sizeof(int) == 4);
    Status status = read_bytes(file, polygons->points, 12 * std::size_t(n_points));
    if (status == OK)
        status = read_bytes(file, polygons->indices, 12 * std::size_t(n_triangles));
    if (status == OK) {
        big_endian_words_to_host(polygons->points, 3 * std::size_t(n_points));
        big_endian_words_to_host(polygons->indices, 3 * std::size_t(n_triangles));
        status = finish_triangle_surface(name, surface);
    }
    if (status != OK) {
        delete_object(surface);
        return ERROR;
    }
    if (info != nullptr)
        read_centre(file, info);
    *object = surface;
    return OK;
}

} // namespace

Freesurfer_file_kinds freesurfer_file_kind(const unsigned char *head,
                                           std::size_t head_size,
                                           std::uint64_t file_size)
{
    if (head_size < 3)
        return NOT_FREESURFER_FILE;
    std::uint32_t magic = big_endian_u24(head);
    if (magic == triangle_magic)
        return FREESURFER_TRIANGLE_SURFACE;
    if (magic == new_quadrangle_magic)
        return FREESURFER_QUADRANGLE_SURFACE;
    if (magic != quadrangle_magic)
        return NOT_FREESURFER_FILE;
    if (head_size >= 15) {
        std::int32_t n_values = big_endian_i32(head + 3);
        std::int32_t per_vertex = big_endian_i32(head + 11);
        if (n_values >= 0 && per_vertex == 1 &&
            file_size == 15 + 4 * std::uint64_t(n_values))
            return FREESURFER_CURV;
    }
    return FREESURFER_QUADRANGLE_SURFACE;
}

Freesurfer_file_kinds freesurfer_file_kind_of(const char *filename)
{
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
        return NOT_FREESURFER_FILE;
    std::FILE *f = std::fopen(filename, "rb");
    if (f == nullptr)
        return NOT_FREESURFER_FILE;
    unsigned char head[15];
    std::size_t n = std::fread(head, 1, sizeof head, f);
    Freesurfer_file_kinds kind = NOT_FREESURFER_FILE;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size >= 0)
            kind = freesurfer_file_kind(head, n, std::uint64_t(size));
    }
    std::fclose(f);
    return kind;
}

Status input_freesurfer_surface(const char *filename, object_struct **object,
                                freesurfer_surface_info *info)
{
    *object = nullptr;
    if (info != nullptr)
        *info = freesurfer_surface_info{false, {0.0f, 0.0f, 0.0f}};
    File file;
    if (open_file(filename, READ_FILE, BINARY_FORMAT, &file) != OK)
        return ERROR;
    Status status = read_surface(file, file_name(file), object, info);
    close_file(file);
    return status;
}

Status output_freesurfer_surface(const char *filename, const polygons_struct *polygons)
{
    for (int i = 0; i < polygons->n_items; ++i) {
        if (polygons->end_indices[i] != 3 * (i + 1)) {
            print_error("Error writing \"%s\": polygon %d is not a triangle; FreeSurfer "
                        "surfaces hold triangles only.\n", filename, i);
            return ERROR;
        }
    }
    std::string bytes("\xff\xff\xfe" "created by gyrolux\n\n");
    auto put = [&bytes](std::uint32_t v) {
        const char word[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        bytes.append(word, 4);
    };
    bytes.reserve(bytes.size() + 8 + 12 * (std::size_t(polygons->n_points) +
                                           std::size_t(polygons->n_items)));
    put(std::uint32_t(polygons->n_points));
    put(std::uint32_t(polygons->n_items));
    for (int i = 0; i < polygons->n_points; ++i) {
        for (float f : {polygons->points[i].x, polygons->points[i].y, polygons->points[i].z}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            put(bits);
        }
    }
    for (int i = 0; i < 3 * polygons->n_items; ++i)
        put(std::uint32_t(polygons->indices[i]));
    File file;
    if (open_file(filename, WRITE_FILE, BINARY_FORMAT, &file) != OK)
        return ERROR;
    Status status = io_binary_data(file, WRITE_FILE, bytes.data(), 1, bytes.size());
    Status close_status = close_file(file);
    if (status != OK || close_status != OK) {
        print_error("Error writing \"%s\".\n", filename);
        return ERROR;
    }
    return OK;
}
