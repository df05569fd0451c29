// The NIfTI-2 part of a CIFTI-2 file: the header (either byte order), the
// extension that holds the XML, and the matrix of values.
#include "cifti_file.h"
#include "cifti_xml.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int nifti2_header_size = 540;
constexpr int nifti1_header_size = 348;
constexpr int cifti_extension_code = 32;

struct closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, closer>;

std::uint32_t swap32(std::uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

// Reads a field of the header at `at`, byte-swapped when the file's order
// is not ours.
template <typename T>
T field(const unsigned char *header, int at, bool swapped)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, header + at, sizeof(T));
    if (swapped)
        std::reverse(bytes, bytes + sizeof(T));
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

// Bytes per value of a NIfTI data type; 0 for types a CIFTI matrix may
// not hold or this reader does not read (complex, RGB).
int type_size(int type)
{
    switch (type) {
    case 2: case 256: return 1;     // uint8, int8
    case 4: case 512: return 2;     // int16, uint16
    case 8: case 768: case 16: return 4; // int32, uint32, float32
    case 64: case 1024: case 1280: return 8; // float64, int64, uint64
    default: return 0;
    }
}

double value_of(const unsigned char *bytes, int type, bool swapped)
{
    switch (type) {
    case 2: return field<std::uint8_t>(bytes, 0, false);
    case 256: return field<std::int8_t>(bytes, 0, false);
    case 4: return field<std::int16_t>(bytes, 0, swapped);
    case 512: return field<std::uint16_t>(bytes, 0, swapped);
    case 8: return field<std::int32_t>(bytes, 0, swapped);
    case 768: return field<std::uint32_t>(bytes, 0, swapped);
    case 16: return field<float>(bytes, 0, swapped);
    case 64: return field<double>(bytes, 0, swapped);
    case 1024: return double(field<std::int64_t>(bytes, 0, swapped));
    default: return double(field<std::uint64_t>(bytes, 0, swapped));
    }
}

Status refuse(const char *filename, const char *why)
{
    print_error("Error reading \"%s\": %s.\n", filename, why);
    return ERROR;
}

// The header's byte order: 0 ours, 1 swapped, -1 not NIfTI-2 (and a
// NIfTI-1 header said so).
int byte_order(const char *filename, const unsigned char *header)
{
    std::uint32_t size;
    std::memcpy(&size, header, 4);
    if (size == nifti2_header_size)
        return 0;
    if (swap32(size) == nifti2_header_size)
        return 1;
    if (size == nifti1_header_size || swap32(size) == nifti1_header_size)
        refuse(filename, "a NIfTI-1 header; CIFTI-2 files have a NIfTI-2 header");
    else
        refuse(filename, "no NIfTI-2 header, so not a CIFTI-2 file");
    return -1;
}

// The XML of the CIFTI extension, between the header and the data.
Status read_extension(const char *filename, std::FILE *f, bool swapped, long long data_offset,
                      std::string *xml)
{
    unsigned char extender[4];
    if (std::fread(extender, 1, 4, f) != 4 || extender[0] == 0)
        return refuse(filename, "no header extension, so no CIFTI XML");
    long long at = nifti2_header_size + 4;
    while (at + 8 <= data_offset) {
        unsigned char head[8];
        if (std::fseek(f, long(at), SEEK_SET) != 0 || std::fread(head, 1, 8, f) != 8)
            break;
        const std::int32_t size = field<std::int32_t>(head, 0, swapped);
        const std::int32_t code = field<std::int32_t>(head, 4, swapped);
        if (size < 8 || at + size > data_offset)
            return refuse(filename, "a header extension runs past the start of the data");
        if (code == cifti_extension_code) {
            xml->resize(std::size_t(size - 8));
            if (std::fread(xml->data(), 1, xml->size(), f) != xml->size())
                return refuse(filename, "the file ends inside the CIFTI XML");
            // Padded to a multiple of 16 bytes with NULs or spaces.
            while (!xml->empty() && (xml->back() == '\0' || std::isspace(
                                                               (unsigned char)xml->back())))
                xml->pop_back();
            return OK;
        }
        at += size;
    }
    return refuse(filename, "no CIFTI extension (code 32) among the header extensions");
}

} // namespace

int cifti_intent(const char *filename)
{
    file_ptr f(std::fopen(filename, "rb"));
    unsigned char header[nifti2_header_size];
    if (!is_cifti_file(filename) || !f || std::fread(header, 1, sizeof header, f.get()) != sizeof header)
        return 0;
    std::uint32_t size;
    std::memcpy(&size, header, 4);
    return field<std::int32_t>(header, 504, size != nifti2_header_size);
}

bool is_cifti_file(const char *filename)
{
    file_ptr f(std::fopen(filename, "rb"));
    unsigned char header[nifti2_header_size + 4];
    if (!f || std::fread(header, 1, sizeof header, f.get()) != sizeof header)
        return false;
    std::uint32_t size;
    std::memcpy(&size, header, 4);
    const bool ours = size == nifti2_header_size, swapped = swap32(size) == nifti2_header_size;
    if (!ours && !swapped)
        return false;
    const std::int32_t intent = field<std::int32_t>(header, 504, swapped);
    // The CIFTI intents are 3000 to 3099; the extension says the rest.
    return std::memcmp(header + 4, "n+2", 4) == 0 && intent >= 3000 && intent < 3100 &&
           header[nifti2_header_size] != 0;
}

namespace {

Status read_cifti(const char *filename, cifti_file *file, bool with_values)
{
    *file = cifti_file();
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
        return refuse(filename, "not a readable file");
    const long long file_size = st.st_size;
    file_ptr f(std::fopen(filename, "rb"));
    unsigned char header[nifti2_header_size];
    if (!f || std::fread(header, 1, sizeof header, f.get()) != sizeof header)
        return refuse(filename, "shorter than a NIfTI-2 header");
    const int order = byte_order(filename, header);
    if (order < 0)
        return ERROR;
    const bool swapped = order == 1;
    if (std::memcmp(header + 4, "n+2", 4) != 0)
        return refuse(filename, "a NIfTI-2 header without the single-file magic \"n+2\"");

    long long dims[8];
    for (int i = 0; i < 8; ++i)
        dims[i] = field<std::int64_t>(header, 16 + 8 * i, swapped);
    if (dims[0] < 6 || dims[0] > 7 || dims[1] != 1 || dims[2] != 1 || dims[3] != 1 ||
        dims[4] != 1 || (dims[0] == 7 && dims[7] != 1))
        return refuse(filename, "not a matrix of two CIFTI dimensions (NIfTI dimensions 5 and 6)");
    const long long rows = dims[5], columns = dims[6];
    if (rows < 1 || columns < 1 || rows > max_cifti_values / columns)
        return refuse(filename, "a matrix of no values or of more than 2^31");
    const int type = field<std::int16_t>(header, 12, swapped);
    const int bytes = type_size(type);
    if (bytes == 0)
        return refuse(filename, "a data type that is not a real number type");
    const long long data_offset = field<std::int64_t>(header, 168, swapped);
    if (data_offset < nifti2_header_size + 4 || data_offset > file_size ||
        (file_size - data_offset) / bytes < rows * columns)
        return refuse(filename, "the data does not fit in the file (offset or size past its end)");
    double slope = field<double>(header, 176, swapped);
    double inter = field<double>(header, 184, swapped);
    if (slope == 0 || !std::isfinite(slope) || !std::isfinite(inter)) {
        slope = 1;
        inter = 0;
    }

    std::string xml;
    if (read_extension(filename, f.get(), swapped, data_offset, &xml) != OK)
        return ERROR;
    if (parse_cifti_xml(filename, xml, rows, columns, file) != OK)
        return ERROR;

    if (!with_values) {
        file->n_rows = rows;
        file->n_columns = columns;
        return OK;
    }
    // Rows vary fastest on disk (NIfTI's order): value (r, c) at c * rows + r.
    file->values.assign(std::size_t(rows * columns), 0.0f);
    if (std::fseek(f.get(), long(data_offset), SEEK_SET) != 0)
        return refuse(filename, "cannot reach the data");
    // Whole columns at a time, about a megabyte.
    const long long per_block = std::max(1LL, (1LL << 20) / (rows * bytes));
    std::vector<unsigned char> block(std::size_t(std::min(per_block, columns) * rows * bytes));
    for (long long first = 0; first < columns; first += per_block) {
        const long long n = std::min(per_block, columns - first);
        const std::size_t want = std::size_t(n * rows * bytes);
        if (std::fread(block.data(), 1, want, f.get()) != want) {
            *file = cifti_file();
            return refuse(filename, "the file ends inside the data");
        }
        const unsigned char *at = block.data();
        for (long long c = first; c < first + n; ++c)
            for (long long r = 0; r < rows; ++r, at += bytes)
                file->values[std::size_t(r * columns + c)] =
                    float(value_of(at, type, swapped) * slope + inter);
    }
    file->n_rows = rows;
    file->n_columns = columns;
    return OK;
}

} // namespace

Status input_cifti_file(const char *filename, cifti_file *file)
{
    return read_cifti(filename, file, true);
}

Status input_cifti_axes(const char *filename, cifti_file *file)
{
    return read_cifti(filename, file, false);
}
