// MGH and MGZ files of per-vertex data: n x 1 x 1 float voxels, one frame
// per column, big-endian, the header padded to its 284 bytes with no
// orientation (goodRASflag 0), as FreeSurfer writes surface overlays.
#include "vertex_data.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t header_bytes = 284;
constexpr std::int32_t mgh_float = 3;

void put_be32(std::string *out, std::uint32_t v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out->append(bytes, 4);
}

bool write_all(gzFile f, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        unsigned chunk = unsigned(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        int n = gzwrite(f, bytes.data() + done, chunk);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace

Status output_mgh_data(const char *filename, const std::vector<vertex_column> &columns,
                       bool compressed)
{
    const std::size_t n = columns.empty() ? 0 : columns[0].values.size();
    if (columns.empty() || n == 0 || n > std::size_t(INT32_MAX) ||
        columns.size() > max_vertex_columns) {
        print_error("Error writing \"%s\": an MGH file needs 1 to %zu columns of at least "
                    "one value.\n", filename, max_vertex_columns);
        return ERROR;
    }
    for (const vertex_column &column : columns) {
        if (column.values.size() != n) {
            print_error("Error writing \"%s\": the columns differ in length.\n", filename);
            return ERROR;
        }
    }
    std::string header;
    for (std::uint32_t v : {1u, std::uint32_t(n), 1u, 1u, std::uint32_t(columns.size()),
                            std::uint32_t(mgh_float), 0u})
        put_be32(&header, v);
    header.resize(header_bytes, '\0'); // goodRASflag 0: no orientation follows
    // "T": zlib writes the bytes as they are
    gzFile f = gzopen(filename, compressed ? "wb6" : "wbT");
    bool ok = f != nullptr && write_all(f, header);
    std::string frame;
    for (std::size_t c = 0; ok && c < columns.size(); ++c) {
        frame.clear();
        for (float value : columns[c].values) {
            std::uint32_t bits;
            std::memcpy(&bits, &value, 4);
            put_be32(&frame, bits);
        }
        ok = write_all(f, frame);
    }
    if (f != nullptr && gzclose(f) != Z_OK)
        ok = false;
    if (!ok) {
        print_error("Error writing \"%s\": cannot write the file.\n", filename);
        std::remove(filename);
        return ERROR;
    }
    return OK;
}
