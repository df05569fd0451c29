// GIFTI label files through the GIFTI library: an integer array of intent
// NIFTI_INTENT_LABEL, one key per vertex, and the file's label table of
// keys, names and RGBA colours (0 to 1).
#include "parcel_files.h"

#include "gifti_file.h"
#include "gifti_label_table.h"
#include "gifti_structure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace {

struct image_deleter {
    void operator()(gifti_image *image) const { gifti_free_image(image); }
};
using image_ptr = std::unique_ptr<gifti_image, image_deleter>;

std::uint8_t colour_byte(float unit)
{
    if (!(unit > 0.0f))
        return 0; // NaN too
    return unit >= 1.0f ? 255 : std::uint8_t(std::lround(unit * 255.0f));
}

// The table as the file's XML gives it (gifti_label_table.h says why not
// the library's).
Status read_table(const char *filename, std::vector<parcel_region> *regions)
{
    std::vector<gifti_label_entry> entries;
    if (!read_gifti_label_table(filename, &entries)) {
        print_error("Error reading \"%s\": its label table cannot be read.\n", filename);
        return ERROR;
    }
    int coloured = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].has_key) {
            print_error("Error reading \"%s\": label %zu of its table has no integer key.\n",
                        filename, i);
            return ERROR;
        }
        coloured += entries[i].coloured;
    }
    if (coloured != 0 && std::size_t(coloured) != entries.size()) {
        print_error("Error reading \"%s\": %zu of its %zu labels have no full colour (Red, "
                    "Green, Blue and Alpha).\n", filename, entries.size() - std::size_t(coloured),
                    entries.size());
        return ERROR;
    }
    regions->resize(entries.size());
    std::unordered_map<int, int> seen;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        parcel_region &r = (*regions)[i];
        const gifti_label_entry &e = entries[i];
        r.key = e.key;
        r.name = e.name;
        r.colour = coloured > 0 ? parcel_colour{colour_byte(e.rgba[0]), colour_byte(e.rgba[1]),
                                                colour_byte(e.rgba[2]), colour_byte(e.rgba[3])}
                                : distinct_parcel_colour(int(i));
        auto [at, fresh] = seen.emplace(r.key, int(i));
        if (!fresh) {
            print_error("Error reading \"%s\": key %d appears twice in the label table "
                        "(\"%s\" and \"%s\").\n", filename, r.key,
                        (*regions)[std::size_t(at->second)].name.c_str(), r.name.c_str());
            return ERROR;
        }
    }
    return OK;
}

// A key no region has, for vertices in none: 0 when free (GIFTI's usual
// unlabelled key), else the one below the smallest.
int unused_key(const std::vector<parcel_region> &regions)
{
    int smallest = 0;
    bool zero_used = false;
    for (const parcel_region &r : regions) {
        zero_used = zero_used || r.key == 0;
        smallest = std::min(smallest, r.key);
    }
    return zero_used ? smallest - 1 : 0;
}

} // namespace

bool gifti_file_holds_labels(const char *filename)
{
    return gifti_file_has_array(filename, NIFTI_INTENT_LABEL);
}

Status input_gifti_labels(const char *filename, parcellation *parcels)
{
    *parcels = parcellation{};
    image_ptr image(read_gifti_file(filename));
    if (image == nullptr)
        return ERROR;
    const giiDataArray *array = find_gifti_array(image.get(), NIFTI_INTENT_LABEL);
    if (array == nullptr) {
        print_error("Error reading \"%s\": no label array (intent NIFTI_INTENT_LABEL), so "
                    "not a GIFTI label file.\n", filename);
        return ERROR;
    }
    long long rows = 0, columns = 0;
    if (!gifti_array_shape(array, &rows, &columns) || columns != 1) {
        print_error("Error reading \"%s\": its label array is not one key per vertex.\n",
                    filename);
        return ERROR;
    }
    std::vector<int> keys(static_cast<std::size_t>(rows));
    if (!gifti_array_ints(array, keys.data())) {
        print_error("Error reading \"%s\": its label array holds values that are not "
                    "integer keys.\n", filename);
        return ERROR;
    }
    parcellation result;
    if (read_table(filename, &result.regions) != OK)
        return ERROR;
    std::unordered_map<int, int> region_of;
    for (std::size_t i = 0; i < result.regions.size(); ++i)
        region_of.emplace(result.regions[i].key, int(i));
    result.vertex_regions.resize(keys.size());
    int last_key = 0, last_region = no_region, missing = 0, missing_example = 0;
    bool have_last = false;
    for (std::size_t v = 0; v < keys.size(); ++v) {
        if (!have_last || keys[v] != last_key) {
            auto at = region_of.find(keys[v]);
            last_key = keys[v];
            last_region = at == region_of.end() ? no_region : at->second;
            have_last = true;
        }
        if (last_region == no_region && missing++ == 0)
            missing_example = keys[v];
        result.vertex_regions[v] = last_region;
    }
    if (missing > 0)
        print_error("Warning reading \"%s\": %d vertices have a key (%d, for one) that the "
                    "label table does not hold; they are unknown.\n", filename, missing,
                    missing_example);
    result.format = GIFTI_LABELS;
    *parcels = std::move(result);
    return OK;
}

Status output_gifti_labels(const char *filename, const parcellation &parcels)
{
    const std::size_t n = parcels.vertex_regions.size();
    if (n > std::size_t(INT32_MAX)) {
        print_error("Error writing \"%s\": too many vertices.\n", filename);
        return ERROR;
    }
    // The library reads a full set of dimensions, and cannot write an
    // array of none.
    if (n == 0) {
        print_error("Error writing \"%s\": no vertices to write.\n", filename);
        return ERROR;
    }
    const int dims[GIFTI_DARRAY_DIM_LEN] = {int(n)};
    image_ptr image(gifti_create_image(1, NIFTI_INTENT_LABEL, NIFTI_TYPE_INT32, 1, dims, 1));
    if (image == nullptr || (n > 0 && image->darray[0]->data == nullptr)) {
        print_error("Error writing \"%s\": cannot create a GIFTI image.\n", filename);
        return ERROR;
    }
    giiDataArray *array = image->darray[0];
    array->encoding = GIFTI_ENCODING_B64GZ;
    array->endian = gifti_get_this_endian();
    const int unknown = unused_key(parcels.regions);
    auto *keys = static_cast<std::int32_t *>(array->data);
    for (std::size_t v = 0; v < n; ++v) {
        const int region = parcels.vertex_regions[v];
        keys[v] = region >= 0 && std::size_t(region) < parcels.regions.size()
                      ? parcels.regions[std::size_t(region)].key
                      : unknown;
    }
    // The library frees the table with the image: its memory comes from malloc.
    giiLabelTable &table = image->labeltable;
    const std::size_t k = parcels.regions.size();
    table.length = int(k);
    table.key = static_cast<int *>(std::calloc(k + 1, sizeof(int)));
    table.label = static_cast<char **>(std::calloc(k + 1, sizeof(char *)));
    table.rgba = static_cast<float *>(std::calloc(4 * k + 4, sizeof(float)));
    if (table.key == nullptr || table.label == nullptr || table.rgba == nullptr) {
        print_error("Error writing \"%s\": out of memory.\n", filename);
        return ERROR;
    }
    for (std::size_t i = 0; i < k; ++i) {
        const parcel_region &r = parcels.regions[i];
        table.key[i] = r.key;
        table.label[i] = gifti_strdup(r.name.c_str());
        const float rgba[4] = {r.colour.r / 255.0f, r.colour.g / 255.0f, r.colour.b / 255.0f,
                               r.colour.a / 255.0f};
        std::memcpy(table.rgba + 4 * i, rgba, sizeof rgba);
    }
    if (gifti_write_image(image.get(), filename, 1) != 0) {
        print_error("Error writing \"%s\": the GIFTI library could not write it.\n", filename);
        return ERROR;
    }
    return OK;
}
