// MGH volumes (and gzip-compressed MGZ) whose voxels are the vertices of a
// surface: n x 1 x 1 voxels, one column per frame. Big-endian throughout;
// the data start at byte 284, voxel index fastest, then frame.
#include "vertex_data.h"
#include "format_files.h"

#include "big_endian.h"

#include <zlib.h>


#include <memory>

namespace {

constexpr std::size_t header_bytes = 284;
// Deflate cannot shrink data by more than about 1032 to 1.
constexpr std::uint64_t max_inflation = 1032;
constexpr std::uint64_t max_values = 1ULL << 31;

struct gz_closer {
    void operator()(gzFile_s *f) const { gzclose(f); }
};
using gz_ptr = std::unique_ptr<gzFile_s, gz_closer>;

enum Mgh_types { MGH_UCHAR = 0, MGH_INT = 1, MGH_FLOAT = 3, MGH_SHORT = 4 };

int value_size(std::int32_t type)
{
    switch (type) {
    case MGH_UCHAR: return 1;
    case MGH_SHORT: return 2;
    case MGH_INT:
    case MGH_FLOAT: return 4;
    default: return 0;
    }
}

float value_at(const unsigned char *bytes, std::int32_t type)
{
    switch (type) {
    case MGH_UCHAR: return float(bytes[0]);
    case MGH_SHORT: return float(big_endian_i16(bytes));
    case MGH_INT: return float(big_endian_i32(bytes));
    default: return big_endian_float(bytes);
    }
}

// Reads exactly n bytes; zlib reads an uncompressed file as it is.
bool read_exactly(gzFile_s *f, void *data, std::size_t n)
{
    auto *at = static_cast<unsigned char *>(data);
    while (n > 0) {
        unsigned chunk = n > (1u << 30) ? (1u << 30) : unsigned(n);
        int got = gzread(f, at, chunk);
        if (got <= 0)
            return false;
        at += got;
        n -= std::size_t(got);
    }
    return true;
}

} // namespace

Status input_mgh_data(const char *filename, vertex_data *data)
{
    std::uint64_t size = 0;
    if (begin_vertex_data_read(filename, data, &size) != OK)
        return ERROR;
    gz_ptr f(gzopen(filename, "rb"));
    unsigned char header[header_bytes];
    if (f == nullptr || !read_exactly(f.get(), header, header_bytes)) {
        print_error("Error reading \"%s\": too short for an MGH header.\n", filename);
        return ERROR;
    }
    const bool compressed = gzdirect(f.get()) == 0;
    const std::int32_t version = big_endian_i32(header);
    const std::int32_t width = big_endian_i32(header + 4);
    const std::int32_t height = big_endian_i32(header + 8);
    const std::int32_t depth = big_endian_i32(header + 12);
    const std::int32_t frames = big_endian_i32(header + 16);
    const std::int32_t type = big_endian_i32(header + 20);
    if (version != 1) {
        print_error("Error reading \"%s\": not an MGH file (version %d, not 1).\n",
                    filename, version);
        return ERROR;
    }
    // No vertices is no data, and would let any frame count pass the size
    // check below, each frame costing a column.
    if (width < 1 || height != 1 || depth != 1 || frames < 1) {
        print_error("Error reading \"%s\": a volume of %d x %d x %d voxels and %d "
                    "frames; per-vertex data is n x 1 x 1.\n", filename, width, height,
                    depth, frames);
        return ERROR;
    }
    if (std::size_t(frames) > max_vertex_columns) {
        print_error("Error reading \"%s\": %d frames, more than the %zu columns per-vertex "
                    "data may have.\n", filename, frames, max_vertex_columns);
        return ERROR;
    }
    const int per_value = value_size(type);
    if (per_value == 0) {
        print_error("Error reading \"%s\": unknown MGH data type %d.\n", filename, type);
        return ERROR;
    }
    const std::uint64_t n_values = std::uint64_t(width) * std::uint64_t(frames);
    const std::uint64_t bytes = n_values * std::uint64_t(per_value);
    const std::uint64_t room = compressed ? size * max_inflation
                                          : (size > header_bytes ? size - header_bytes : 0);
    if (n_values > max_values || bytes > room) {
        print_error("Error reading \"%s\": %d vertices and %d frames do not fit in the "
                    "file's %llu bytes.\n", filename, width, frames,
                    static_cast<unsigned long long>(size));
        return ERROR;
    }
    std::vector<unsigned char> raw(bytes);
    if (!read_exactly(f.get(), raw.data(), raw.size())) {
        print_error("Error reading \"%s\": the file ends before its %d x %d values.\n",
                    filename, width, frames);
        return ERROR;
    }
    data->columns.resize(std::size_t(frames));
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        vertex_column &column = data->columns[std::size_t(frame)];
        // One frame is the file's one measure: named as a curv file's
        // column is, from the file name ("lh.area.mgh" gives "area").
        column.name = frames == 1 ? curv_column_name(format_file_title(filename).c_str())
                                  : "frame" + std::to_string(frame);
        column.values.resize(std::size_t(width));
        const unsigned char *at = raw.data() + std::size_t(frame) * std::size_t(width) * per_value;
        for (std::int32_t v = 0; v < width; ++v, at += per_value)
            column.values[std::size_t(v)] = value_at(at, type);
    }
    data->format = compressed ? MGZ_DATA : MGH_DATA;
    return OK;
}
