#include "format_files.h"

#include "gifti_file.h"
#include "surface_files.h"
#include "vertex_data.h"

#include <cstring>

namespace {

bool ends_with(const std::string &text, const char *suffix)
{
    std::size_t k = std::strlen(suffix);
    return text.size() >= k && text.compare(text.size() - k, k, suffix) == 0;
}

} // namespace

Format_file_roles format_file_role(const char *filename)
{
    const std::string name = filename;
    if (has_gifti_suffix(filename))
        return gifti_file_holds_surface(filename) == 0 ? FORMAT_DATA_FILE : FORMAT_SURFACE_FILE;
    if (ends_with(name, ".mgh") || ends_with(name, ".mgz"))
        return FORMAT_DATA_FILE;
    switch (vertex_data_format(filename)) {
    case FREESURFER_SURFACE_DATA: return FORMAT_SURFACE_FILE;
    case FREESURFER_CURV_DATA:
    case FREESURFER_OLD_CURV_DATA: return FORMAT_DATA_FILE;
    case GIFTI_DATA:
        return gifti_file_holds_surface(filename) == 1 ? FORMAT_SURFACE_FILE : FORMAT_DATA_FILE;
    default: return NOT_A_FORMAT_FILE;
    }
}

std::string format_file_title(const char *filename)
{
    std::string title = filename;
    std::size_t slash = title.find_last_of('/');
    if (slash != std::string::npos)
        title.erase(0, slash + 1);
    for (const char *suffix : {".gii.gz", ".gii", ".mgh", ".mgz"}) {
        const std::size_t k = std::strlen(suffix);
        if (ends_with(title, suffix) && title.size() > k)
            return title.substr(0, title.size() - k);
    }
    return title;
}
