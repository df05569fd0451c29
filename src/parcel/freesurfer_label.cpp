// FreeSurfer label files: text, a comment line ("#!ascii label ..."), the
// row count, then one "vertex x y z value" row per vertex of the region.
#include "parcel_files.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// The shortest row: "0 0 0 0 0" and a line end, five values of at least
// two bytes each.
constexpr std::uint64_t values_per_row = 5;

} // namespace

std::string label_name_from_filename(const char *filename)
{
    std::string name = filename;
    std::size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::string suffix = ".label";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    if (name.rfind("lh.", 0) == 0 || name.rfind("rh.", 0) == 0)
        name.erase(0, 3);
    return name.empty() ? "label" : name;
}

Status read_freesurfer_label(File file, freesurfer_label *label)
{
    *label = freesurfer_label{};
    const char *name = file_name(file);
    char ch = 0;
    do {
        if (input_character(file, &ch) != OK) {
            print_error("Error reading \"%s\": no count after the comment line, so not a "
                        "FreeSurfer label file.\n", name);
            return ERROR;
        }
    } while (ch != '\n');
    int n = 0;
    if (io_int(file, READ_FILE, ASCII_FORMAT, &n) != OK) {
        print_error("Error reading \"%s\": no vertex count on its second line.\n", name);
        return ERROR;
    }
    if (n < 0 || !file_can_hold(file, ASCII_FORMAT, values_per_row * std::uint64_t(n), 4)) {
        print_error("Error reading \"%s\": %d rows do not fit in the rest of the file "
                    "(%" PRIu64 " bytes).\n", name, n, file_bytes_remaining(file));
        return ERROR;
    }
    freesurfer_label result;
    result.name = label_name_from_filename(name);
    result.vertices.resize(std::size_t(n));
    result.positions.resize(3 * std::size_t(n));
    result.values.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        float *xyz = &result.positions[3 * std::size_t(i)];
        if (io_int(file, READ_FILE, ASCII_FORMAT, &result.vertices[std::size_t(i)]) != OK ||
            io_floats(file, READ_FILE, ASCII_FORMAT, 3, xyz) != OK ||
            io_float(file, READ_FILE, ASCII_FORMAT, &result.values[std::size_t(i)]) != OK) {
            print_error("Error reading \"%s\": row %d of %d is not \"vertex x y z value\".\n",
                        name, i + 1, n);
            return ERROR;
        }
        if (result.vertices[std::size_t(i)] < 0) {
            print_error("Error reading \"%s\": row %d names vertex %d (a volume label has "
                        "no vertices).\n", name, i + 1, result.vertices[std::size_t(i)]);
            return ERROR;
        }
    }
    *label = std::move(result);
    return OK;
}

Status input_freesurfer_label(const char *filename, freesurfer_label *label)
{
    *label = freesurfer_label{};
    File file;
    if (open_file(filename, READ_FILE, ASCII_FORMAT, &file) != OK)
        return ERROR;
    Status status = read_freesurfer_label(file, label);
    close_file(file);
    return status;
}

Status output_freesurfer_label(const char *filename, const freesurfer_label &label)
{
    const std::size_t n = label.vertices.size();
    if (label.positions.size() != 3 * n || label.values.size() != n) {
        print_error("Error writing \"%s\": the label's rows differ in length.\n", filename);
        return ERROR;
    }
    std::FILE *f = std::fopen(filename, "w");
    if (f == nullptr) {
        print_error("Error writing \"%s\": cannot open it.\n", filename);
        return ERROR;
    }
    bool ok = std::fprintf(f, "#!ascii label, from gyrolux\n%zu\n", n) > 0;
    for (std::size_t i = 0; ok && i < n; ++i)
        ok = std::fprintf(f, "%d  %.9g  %.9g  %.9g %.9g\n", label.vertices[i],
                          label.positions[3 * i], label.positions[3 * i + 1],
                          label.positions[3 * i + 2], label.values[i]) > 0;
    if (std::fclose(f) != 0 || !ok) {
        print_error("Error writing \"%s\".\n", filename);
        return ERROR;
    }
    return OK;
}

Status combine_freesurfer_labels(const std::vector<freesurfer_label> &labels,
                                 const std::vector<std::string> &filenames,
                                 int n_vertices, parcellation *parcels)
{
    *parcels = parcellation{};
    if (n_vertices < 0)
        return ERROR;
    parcellation result;
    result.vertex_regions.assign(std::size_t(n_vertices), no_region);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const freesurfer_label &label = labels[i];
        const char *filename = i < filenames.size() ? filenames[i].c_str() : label.name.c_str();
        for (int v : label.vertices) {
            if (v < 0 || v >= n_vertices) {
                print_error("Error reading \"%s\": it names vertex %d, beyond the surface's "
                            "%d vertices.\n", filename, v, n_vertices);
                return ERROR;
            }
            result.vertex_regions[std::size_t(v)] = int(i);
        }
        result.regions.push_back({int(i) + 1, label.name, distinct_parcel_colour(int(i))});
    }
    result.format = FREESURFER_LABELS;
    *parcels = std::move(result);
    return OK;
}
