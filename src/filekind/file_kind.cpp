#include "file_kind.h"

#include "cifti_file.h"
#include "format_files.h"
#include "parcel_files.h"
#include "vertex_data.h"

#include <cstdio>
#include <cstring>

namespace {

bool ends_with(const char *text, const char *suffix)
{
    std::size_t n = std::strlen(text), k = std::strlen(suffix);
    return n >= k && std::strcmp(text + n - k, suffix) == 0;
}

bool starts_as_gzip(const char *filename)
{
    std::FILE *f = std::fopen(filename, "rb");
    if (f == nullptr)
        return false;
    unsigned char head[2];
    const bool gzip = std::fread(head, 1, 2, f) == 2 && head[0] == 0x1f && head[1] == 0x8b;
    std::fclose(f);
    return gzip;
}

// A compression other than gzip, by its magic number, else by its suffix.
const char *foreign_compression(const char *filename)
{
    unsigned char head[6] = {};
    std::size_t got = 0;
    if (std::FILE *f = std::fopen(filename, "rb")) {
        got = std::fread(head, 1, sizeof head, f);
        std::fclose(f);
    }
    if ((got >= 3 && std::memcmp(head, "BZh", 3) == 0) || ends_with(filename, ".bz2"))
        return "bzip2";
    if ((got >= 6 && std::memcmp(head, "\xFD" "7zXZ\0", 6) == 0) || ends_with(filename, ".xz"))
        return "xz";
    if ((got >= 4 && std::memcmp(head, "\x28\xB5\x2F\xFD", 4) == 0) || ends_with(filename, ".zst"))
        return "zstd";
    if ((got >= 4 && std::memcmp(head, "PK\x03\x04", 4) == 0) || ends_with(filename, ".zip"))
        return "zip";
    return nullptr;
}

Known_file_formats parcellation_file_format(Parcellation_formats format)
{
    switch (format) {
    case FREESURFER_ANNOTATION: return FREESURFER_ANNOTATION_FILE_FORMAT;
    case GIFTI_LABELS: return GIFTI_LABELS_FILE_FORMAT;
    case FREESURFER_LABELS: return FREESURFER_LABEL_FILE_FORMAT;
    default: return UNKNOWN_FILE_FORMAT;
    }
}

file_kind_info other_program_file(const char *filename)
{
    const Format_file_roles role = format_file_role(filename);
    if (role == NOT_A_FORMAT_FILE)
        return {};
    switch (vertex_data_format(filename)) {
    case FREESURFER_CURV_DATA: return {VERTEX_DATA_FILE_KIND, FREESURFER_CURV_FILE_FORMAT};
    case FREESURFER_OLD_CURV_DATA: return {VERTEX_DATA_FILE_KIND, FREESURFER_OLD_CURV_FILE_FORMAT};
    case MGH_DATA: return {VERTEX_DATA_FILE_KIND, MGH_FILE_FORMAT};
    case MGZ_DATA: return {VERTEX_DATA_FILE_KIND, MGZ_FILE_FORMAT};
    case FREESURFER_SURFACE_DATA: return {SURFACE_FILE_KIND, FREESURFER_SURFACE_FILE_FORMAT};
    case GIFTI_DATA:
        return role == FORMAT_SURFACE_FILE ? file_kind_info{SURFACE_FILE_KIND, GIFTI_SURFACE_FILE_FORMAT}
                                           : file_kind_info{VERTEX_DATA_FILE_KIND, GIFTI_DATA_FILE_FORMAT};
    default: return {};
    }
}

file_kind_info by_name_or_content(const char *filename)
{
    if (ends_with(filename, ".gyrolux"))
        return {SCENE_FILE_KIND, SCENE_FILE_FORMAT};
    if (ends_with(filename, ".obj"))
        return {SURFACE_FILE_KIND, OBJ_FILE_FORMAT};
    // A .csv of one value per line is the same plain column of text.
    if (ends_with(filename, ".txt") || ends_with(filename, ".vertstats") ||
        ends_with(filename, ".csv"))
        return {VERTEX_DATA_FILE_KIND, VERTSTATS_FILE_FORMAT};
    if (ends_with(filename, ".tag"))
        return {LANDMARK_FILE_KIND, TAG_FILE_FORMAT};
    // CIFTI-2 by name, then by its header and intent (a label intent, 3007,
    // holds parcellations).
    if (ends_with(filename, ".dlabel.nii"))
        return {PARCELLATION_FILE_KIND, CIFTI_LABELS_FILE_FORMAT};
    if (ends_with(filename, ".dscalar.nii") || ends_with(filename, ".dtseries.nii"))
        return {VERTEX_DATA_FILE_KIND, CIFTI_DATA_FILE_FORMAT};
    if (ends_with(filename, ".nii") && is_cifti_file(filename))
        return cifti_intent(filename) == 3007
                   ? file_kind_info{PARCELLATION_FILE_KIND, CIFTI_LABELS_FILE_FORMAT}
                   : file_kind_info{VERTEX_DATA_FILE_KIND, CIFTI_DATA_FILE_FORMAT};
    // Before the data formats: a label GIFTI file is a GIFTI data file too.
    if (const Parcellation_formats parcels = parcellation_format(filename);
        parcels != NOT_PARCELLATION)
        return {PARCELLATION_FILE_KIND, parcellation_file_format(parcels)};
    return other_program_file(filename);
}

} // namespace

file_kind_info file_kind_of(const char *filename)
{
    file_kind_info info = by_name_or_content(filename);
    if (info.kind == SCENE_FILE_KIND)
        return info;
    info.compressed = info.format == MGZ_FILE_FORMAT || ends_with(filename, ".gz") ||
                      starts_as_gzip(filename);
    return info;
}

const char *file_kind_name(File_kinds kind)
{
    switch (kind) {
    case SURFACE_FILE_KIND: return "surface";
    case VERTEX_DATA_FILE_KIND: return "per-vertex data";
    case PARCELLATION_FILE_KIND: return "parcellation";
    case LANDMARK_FILE_KIND: return "landmarks";
    case SCENE_FILE_KIND: return "scene";
    default: return "unknown";
    }
}

const char *file_format_name(Known_file_formats format)
{
    switch (format) {
    case OBJ_FILE_FORMAT: return "MNI .obj";
    case FREESURFER_SURFACE_FILE_FORMAT: return "FreeSurfer surface";
    case GIFTI_SURFACE_FILE_FORMAT: return "GIFTI surface";
    case VERTSTATS_FILE_FORMAT: return "vertex statistics";
    case FREESURFER_CURV_FILE_FORMAT: return "FreeSurfer curv";
    case FREESURFER_OLD_CURV_FILE_FORMAT: return "FreeSurfer curv (old format)";
    case MGH_FILE_FORMAT: return "MGH";
    case MGZ_FILE_FORMAT: return "MGZ";
    case GIFTI_DATA_FILE_FORMAT: return "GIFTI";
    case FREESURFER_ANNOTATION_FILE_FORMAT: return "FreeSurfer annotation";
    case GIFTI_LABELS_FILE_FORMAT: return "GIFTI labels";
    case FREESURFER_LABEL_FILE_FORMAT: return "FreeSurfer label";
    case TAG_FILE_FORMAT: return "MNI tag";
    case SCENE_FILE_FORMAT: return "gyrolux scene";
    case CIFTI_DATA_FILE_FORMAT: return "CIFTI-2";
    case CIFTI_LABELS_FILE_FORMAT: return "CIFTI-2 labels";
    default: return "unknown";
    }
}

std::string file_kind_mismatch(const char *filename, File_kinds wanted)
{
    if (const char *compression = foreign_compression(filename))
        return std::string("it is ") + compression +
               "-compressed; only gzip-compressed files are read";
    const file_kind_info info = file_kind_of(filename);
    if (info.kind == UNKNOWN_FILE_KIND || info.kind == wanted)
        return {};
    const std::string format = file_format_name(info.format);
    // "an MNI tag file", "an MGH file", "a GIFTI file"
    const bool an = std::strchr("AEIOUaeiou", format[0]) != nullptr || format.rfind("MNI", 0) == 0 ||
                    format.rfind("MG", 0) == 0;
    const std::string kind = wanted == VERTEX_DATA_FILE_KIND ? "per-vertex data file"
                             : wanted == LANDMARK_FILE_KIND  ? "landmark file"
                                                             : std::string(file_kind_name(wanted)) + " file";
    return std::string("it is ") + (an ? "an " : "a ") + format + " file, not a " + kind;
}
