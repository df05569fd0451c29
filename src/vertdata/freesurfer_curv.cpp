// FreeSurfer curv files: the current form (magic number, vertex and face
// counts, values per vertex, big-endian floats) and the old one (3-byte
// counts, 16-bit values in hundredths).
#include "vertex_data.h"

#include "big_endian.h"


#include <cstdio>
#include <memory>

namespace {

constexpr std::uint32_t curv_magic = 0xFFFFFF;

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

Status read_values(const char *filename, std::FILE *f, std::size_t n,
                   std::size_t value_size, std::vector<unsigned char> *bytes)
{
    bytes->resize(n * value_size);
    if (std::fread(bytes->data(), value_size, n, f) != n) {
        print_error("Error reading \"%s\": the file ends before its %zu values.\n",
                    filename, n);
        return ERROR;
    }
    return OK;
}

} // namespace

Status input_freesurfer_curv(const char *filename, vertex_data *data)
{
    std::uint64_t size = 0;
    if (begin_vertex_data_read(filename, data, &size) != OK)
        return ERROR;
    file_ptr f(std::fopen(filename, "rb"));
    unsigned char head[15];
    if (f == nullptr || size < 6 || std::fread(head, 1, 6, f.get()) != 6) {
        print_error("Error reading \"%s\": too short for a FreeSurfer curv file.\n", filename);
        return ERROR;
    }
    vertex_column column{curv_column_name(filename), {}};
    std::vector<unsigned char> bytes;
    if (big_endian_u24(head) == curv_magic) {
        if (size < 15 || std::fread(head + 6, 1, 9, f.get()) != 9) {
            print_error("Error reading \"%s\": too short for a FreeSurfer curv file.\n",
                        filename);
            return ERROR;
        }
        const std::int32_t n = big_endian_i32(head + 3);
        const std::int32_t per_vertex = big_endian_i32(head + 11);
        if (per_vertex != 1) {
            print_error("Error reading \"%s\": %d values per vertex; a curv file has "
                        "one (a quadrangle surface shares its magic number).\n",
                        filename, per_vertex);
            return ERROR;
        }
        if (n < 0 || 4 * std::uint64_t(n) > size - 15) {
            print_error("Error reading \"%s\": %d values do not fit in the file's %llu "
                        "bytes.\n", filename, n, static_cast<unsigned long long>(size));
            return ERROR;
        }
        if (read_values(filename, f.get(), std::size_t(n), 4, &bytes) != OK)
            return ERROR;
        column.values.resize(std::size_t(n));
        for (std::size_t i = 0; i < column.values.size(); ++i)
            column.values[i] = big_endian_float(&bytes[4 * i]);
        data->format = FREESURFER_CURV_DATA;
    } else {
        const std::uint32_t n = big_endian_u24(head);
        if (2 * std::uint64_t(n) != size - 6) {
            print_error("Error reading \"%s\": not a FreeSurfer curv file (no magic "
                        "number, and not %u old-style values).\n", filename, n);
            return ERROR;
        }
        if (read_values(filename, f.get(), n, 2, &bytes) != OK)
            return ERROR;
        column.values.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            column.values[i] = float(big_endian_i16(&bytes[2 * i]) / 100.0);
        data->format = FREESURFER_OLD_CURV_DATA;
    }
    data->columns.push_back(std::move(column));
    return OK;
}
