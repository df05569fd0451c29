#include "vertex_data.h"

#include "big_endian.h"
#include "freesurfer_surface.h"
#include "gifti_file.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint64_t mgh_header_bytes = 284;

bool ends_with(const char *text, const char *suffix)
{
    std::size_t n = std::strlen(text), k = std::strlen(suffix);
    return n >= k && std::strcmp(text + n - k, suffix) == 0;
}

} // namespace

Vertex_data_formats vertex_data_format(const char *filename)
{
    // The suffixes decide first, so that a broken file is reported as what
    // its name says it is.
    if (has_gifti_suffix(filename))
        return GIFTI_DATA;
    if (ends_with(filename, ".mgh"))
        return MGH_DATA;
    if (ends_with(filename, ".mgz"))
        return MGZ_DATA;
    if (ends_with(filename, ".txt") || ends_with(filename, ".vertstats"))
        return NOT_VERTEX_DATA; // statistics files, whatever their bytes
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
        return NOT_VERTEX_DATA;
    switch (freesurfer_file_kind_of(filename)) {
    case FREESURFER_CURV: return FREESURFER_CURV_DATA;
    case NOT_FREESURFER_FILE: break;
    default: return FREESURFER_SURFACE_DATA;
    }
    if (looks_like_gifti_file(filename)) // compressed or not
        return GIFTI_DATA;
    std::FILE *f = std::fopen(filename, "rb");
    if (f == nullptr)
        return NOT_VERTEX_DATA;
    unsigned char head[4];
    std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    const std::uint64_t size = std::uint64_t(st.st_size);
    if (n >= 2 && head[0] == 0x1f && head[1] == 0x8b)
        return MGZ_DATA;
    if (n == 4 && big_endian_i32(head) == 1 && size >= mgh_header_bytes)
        return MGH_DATA;
    // Old curv files have no magic number: only their size tells. A first
    // byte below 0x20 (fewer than two million vertices) keeps text out.
    if (n >= 3 && head[0] < 0x20 && size >= 6 &&
        2 * std::uint64_t(big_endian_u24(head)) == size - 6)
        return FREESURFER_OLD_CURV_DATA;
    return NOT_VERTEX_DATA;
}

const char *vertex_data_format_name(Vertex_data_formats format)
{
    switch (format) {
    case FREESURFER_CURV_DATA: return "FreeSurfer curv";
    case FREESURFER_OLD_CURV_DATA: return "FreeSurfer curv (old format)";
    case MGH_DATA: return "MGH";
    case MGZ_DATA: return "MGZ";
    case GIFTI_DATA: return "GIFTI";
    case FREESURFER_SURFACE_DATA: return "FreeSurfer surface";
    default: return "unknown";
    }
}

Status input_vertex_data(const char *filename, vertex_data *data)
{
    data->columns.clear();
    data->format = NOT_VERTEX_DATA;
    switch (vertex_data_format(filename)) {
    case FREESURFER_CURV_DATA:
    case FREESURFER_OLD_CURV_DATA:
        return input_freesurfer_curv(filename, data);
    case MGH_DATA:
    case MGZ_DATA:
        return input_mgh_data(filename, data);
    case GIFTI_DATA:
        return input_gifti_data(filename, data);
    case FREESURFER_SURFACE_DATA:
        print_error("Error reading \"%s\": a FreeSurfer surface, not per-vertex data.\n",
                    filename);
        return ERROR;
    default: {
        struct stat st;
        if (::stat(filename, &st) != 0)
            print_error("Error reading \"%s\": no such file.\n", filename);
        else
            print_error("Error reading \"%s\": not a FreeSurfer curv, MGH, MGZ or GIFTI "
                        "file.\n", filename);
        return ERROR;
    }
    }
}

std::string column_name_from(const std::string &text)
{
    std::string name;
    for (char ch : text)
        name += std::isspace(static_cast<unsigned char>(ch)) ? '_' : ch;
    return name.empty() ? "values" : name;
}

std::string curv_column_name(const char *filename)
{
    std::string base = filename;
    std::size_t slash = base.find_last_of('/');
    if (slash != std::string::npos)
        base.erase(0, slash + 1);
    std::size_t dot = base.find('.');
    if (dot != std::string::npos && dot + 1 < base.size())
        base.erase(0, dot + 1);
    return column_name_from(base);
}

Status begin_vertex_data_read(const char *filename, vertex_data *data, std::uint64_t *size)
{
    data->columns.clear();
    data->format = NOT_VERTEX_DATA;
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode)) {
        print_error("Error reading \"%s\": no such regular file.\n", filename);
        return ERROR;
    }
    *size = std::uint64_t(st.st_size);
    return OK;
}
