// Telling parcellation files apart, reading whichever a file is, and the
// checks and description shared by the tools and the viewer.
#include "parcel_files.h"

#include "big_endian.h"
#include "gifti_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool ends_with(const char *text, const char *suffix)
{
    std::size_t n = std::strlen(text), k = std::strlen(suffix);
    return n >= k && std::strcmp(text + n - k, suffix) == 0;
}

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

// An annotation has no magic number: its vertex count, first vertex (0)
// and the colour-table tag where the count puts it tell.
bool looks_like_annotation(const char *filename)
{
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 16)
        return false;
    std::unique_ptr<std::FILE, file_closer> f(std::fopen(filename, "rb"));
    unsigned char head[8], tag[4];
    if (f == nullptr || std::fread(head, 1, 8, f.get()) != 8)
        return false;
    const std::int32_t n = big_endian_i32(head);
    const std::uint64_t tag_at = 4 + 8 * std::uint64_t(n);
    if (n < 1 || big_endian_i32(head + 4) != 0 || tag_at + 8 > std::uint64_t(st.st_size))
        return false;
    return std::fseek(f.get(), long(tag_at), SEEK_SET) == 0 &&
           std::fread(tag, 1, 4, f.get()) == 4 && big_endian_i32(tag) == 1;
}

} // namespace

Parcellation_formats parcellation_format(const char *filename)
{
    if (ends_with(filename, ".annot"))
        return FREESURFER_ANNOTATION;
    if (ends_with(filename, ".label.gii") || ends_with(filename, ".label.gii.gz"))
        return GIFTI_LABELS;
    if (ends_with(filename, ".label"))
        return FREESURFER_LABELS;
    // Other GIFTI files, compressed or not and whatever their name, by their
    // arrays: a label array makes a parcellation.
    if (ends_with(filename, ".gii") || ends_with(filename, ".gii.gz") ||
        looks_like_gifti_file(filename))
        return gifti_file_holds_labels(filename) ? GIFTI_LABELS : NOT_PARCELLATION;
    return looks_like_annotation(filename) ? FREESURFER_ANNOTATION : NOT_PARCELLATION;
}

const char *parcellation_format_name(Parcellation_formats format)
{
    switch (format) {
    case FREESURFER_ANNOTATION: return "FreeSurfer annotation";
    case GIFTI_LABELS: return "GIFTI labels";
    case FREESURFER_LABELS: return "FreeSurfer label";
    default: return "unknown";
    }
}

Status label_parcellation(const freesurfer_label &label, const char *filename, int n_vertices,
                          parcellation *parcels)
{
    if (n_vertices < 0) {
        // Without a surface the label spans up to its largest vertex: a
        // few bytes naming vertex 2,000,000,000 must not cost gigabytes.
        n_vertices = 0;
        for (int v : label.vertices) {
            if (v >= max_unbounded_label_vertex) {
                print_error("Error reading \"%s\": it names vertex %d; without a surface, "
                            "labels of vertices below %d are read.\n",
                            filename, v, max_unbounded_label_vertex);
                *parcels = parcellation{};
                return ERROR;
            }
            n_vertices = std::max(n_vertices, v + 1);
        }
    }
    return combine_freesurfer_labels({label}, {filename}, n_vertices, parcels);
}

Status input_parcellation(const char *filename, int n_vertices, parcellation *parcels)
{
    *parcels = parcellation{};
    switch (parcellation_format(filename)) {
    case FREESURFER_ANNOTATION:
        return input_freesurfer_annotation(filename, parcels);
    case GIFTI_LABELS:
        return input_gifti_labels(filename, parcels);
    case FREESURFER_LABELS: {
        std::vector<freesurfer_label> labels(1);
        if (input_freesurfer_label(filename, &labels[0]) != OK)
            return ERROR;
        return label_parcellation(labels[0], filename, n_vertices, parcels);
    }
    default:
        print_error("Error reading \"%s\": not a FreeSurfer annotation, GIFTI label or "
                    "FreeSurfer label file.\n", filename);
        return ERROR;
    }
}

Status check_parcellation_vertices(const char *filename, const parcellation &parcels,
                                   int surface_vertices)
{
    if (parcels.vertex_regions.size() == std::size_t(surface_vertices))
        return OK;
    print_error("Error: \"%s\" has %zu vertices, the surface has %d.\n", filename,
                parcels.vertex_regions.size(), surface_vertices);
    return ERROR;
}

std::string describe_parcellation(const parcellation &parcels)
{
    int unknown = 0;
    const std::vector<int> counts = region_vertex_counts(parcels, &unknown);
    std::string out = std::string("format: ") + parcellation_format_name(parcels.format) +
                      "\nvertices: " + std::to_string(parcels.vertex_regions.size()) +
                      "\nregions: " + std::to_string(parcels.regions.size()) +
                      "\nvertices in no region: " + std::to_string(unknown) +
                      "\nkey vertices red green blue alpha name\n";
    for (std::size_t i = 0; i < parcels.regions.size(); ++i) {
        const parcel_region &r = parcels.regions[i];
        char line[96];
        std::snprintf(line, sizeof line, "%d %d %d %d %d %d ", r.key, counts[i], r.colour.r,
                      r.colour.g, r.colour.b, r.colour.a);
        out += line + r.name + "\n";
    }
    return out;
}
