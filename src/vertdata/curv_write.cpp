// FreeSurfer curv files in their current form: the 3-byte magic number,
// vertex count, face count, one value per vertex, then big-endian floats.
#include "vertex_data.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void put_be32(std::string *out, std::uint32_t v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out->append(bytes, 4);
}

} // namespace

Status output_freesurfer_curv(const char *filename, const std::vector<float> &values,
                              int n_faces)
{
    if (values.empty() || values.size() > std::size_t(INT32_MAX) || n_faces < 0) {
        print_error("Error writing \"%s\": a curv file needs at least one value and a face "
                    "count of 0 or more.\n", filename);
        return ERROR;
    }
    std::string bytes = {char(0xFF), char(0xFF), char(0xFF)};
    put_be32(&bytes, std::uint32_t(values.size()));
    put_be32(&bytes, std::uint32_t(n_faces));
    put_be32(&bytes, 1u);
    bytes.reserve(bytes.size() + 4 * values.size());
    for (float value : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        put_be32(&bytes, bits);
    }
    std::FILE *f = std::fopen(filename, "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr && std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        print_error("Error writing \"%s\": cannot write the file.\n", filename);
        std::remove(filename);
        return ERROR;
    }
    return OK;
}
