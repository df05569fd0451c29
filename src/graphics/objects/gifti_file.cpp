#include "gifti_file.h"

#include "gifti_attributes.h"
#include "gifti_library.h"
#include "gifti_structure.h"
#include "gifti_text.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>

namespace {

constexpr std::uint64_t max_inflation = gifti_max_inflation;
// No array beyond this many values is taken (the readers index with ints).
constexpr long long max_values = (1LL << 31) - 1;

// A file of more arrays is no surface or per-vertex data; the library
// spends far more on each than its few bytes of text.
constexpr std::size_t max_gifti_arrays = 100000;

bool file_size_of(const char *filename, std::uint64_t *size)
{
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *size = std::uint64_t(st.st_size);
    return true;
}

// Refuses declared sizes the file (or its external data file) cannot hold,
// so that the library never allocates more than the file's size allows.
// Each array's values are bounded by its own Data text, and all of them by
// the file on disk (a gzip-compressed file holding gzip-compressed arrays
// could otherwise ask for a million times its size).
bool check_declared_sizes(const char *filename, const gifti_image *image,
                          const std::vector<gifti_array_tag> &tags, std::uint64_t file_size)
{
    std::uint64_t decoded = 0; // every array's bytes once decoded
    if (std::size_t(image->numDA) != tags.size()) {
        print_error("Error reading \"%s\": the GIFTI library found %d data arrays, the "
                    "file holds %zu.\n", filename, image->numDA, tags.size());
        return false;
    }
    for (int i = 0; i < image->numDA; ++i) {
        const giiDataArray *array = image->darray[i];
        if (array == nullptr)
            continue;
        if (array->num_dim < 1 || array->num_dim > GIFTI_DARRAY_DIM_LEN) {
            print_error("Error reading \"%s\": data array %d has %d dimensions.\n",
                        filename, i, array->num_dim);
            return false;
        }
        long long n = 1;
        for (int d = 0; d < array->num_dim; ++d) {
            if (array->dims[d] < 0 || (array->dims[d] > 0 && n > max_values / array->dims[d])) {
                print_error("Error reading \"%s\": data array %d has a bad or too large "
                            "size (dimension %d is %d).\n", filename, i, d, array->dims[d]);
                return false;
            }
            n *= array->dims[d];
        }
        int per_value = 0, swap = 0;
        if (gifti_datatype_sizes(array->datatype, &per_value, &swap) != 0 || per_value <= 0) {
            print_error("Error reading \"%s\": data array %d has an unknown data type "
                        "%d.\n", filename, i, array->datatype);
            return false;
        }
        const std::uint64_t bytes = std::uint64_t(n) * std::uint64_t(per_value);
        const std::uint64_t chars = tags[std::size_t(i)].data_chars;
        bool fits = true;
        switch (array->encoding) {
        case GIFTI_ENCODING_ASCII:
            fits = 2 * std::uint64_t(n) <= chars + 1; // a digit and a separator each
            break;
        case GIFTI_ENCODING_B64BIN:
            fits = (bytes + 2) / 3 * 4 <= chars + 4;
            break;
        case GIFTI_ENCODING_B64GZ:
            fits = bytes <= max_inflation * (chars + 64);
            break;
        case GIFTI_ENCODING_EXTBIN: {
            std::uint64_t external = 0;
            if (array->ext_fname == nullptr || !file_size_of(array->ext_fname, &external)) {
                print_error("Error reading \"%s\": data array %d's external data file "
                            "\"%s\" cannot be read.\n", filename, i,
                            array->ext_fname ? array->ext_fname : "");
                return false;
            }
            if (array->ext_offset < 0 || std::uint64_t(array->ext_offset) > external ||
                bytes > external - std::uint64_t(array->ext_offset)) {
                print_error("Error reading \"%s\": data array %d needs %llu bytes, more "
                            "than its external data file \"%s\" holds.\n", filename, i,
                            static_cast<unsigned long long>(bytes), array->ext_fname);
                return false;
            }
            break;
        }
        default:
            print_error("Error reading \"%s\": data array %d has an unknown encoding.\n",
                        filename, i);
            return false;
        }
        if (!fits) {
            print_error("Error reading \"%s\": data array %d declares more values than "
                        "its data can hold.\n", filename, i);
            return false;
        }
        if (array->encoding != GIFTI_ENCODING_EXTBIN)
            decoded += bytes;
    }
    if (decoded > max_inflation * (file_size + 64)) {
        print_error("Error reading \"%s\": its data arrays declare more values than "
                    "the file's %llu bytes can hold.\n", filename,
                    static_cast<unsigned long long>(file_size));
        return false;
    }
    return true;
}

template <typename In, typename Out>
bool convert_from(const In *stored, long long rows, long long columns,
                  bool column_major, bool want_ints, Out *values)
{
    const long long n = rows * columns;
    for (long long k = 0; k < n; ++k) {
        double v = static_cast<double>(stored[k]);
        if (!want_ints && std::fabs(v) > FLT_MAX && std::isfinite(v))
            v = v > 0 ? HUGE_VAL : -HUGE_VAL; // beyond float is infinite, not undefined
        if (want_ints && !(v >= -2147483648.0 && v <= 2147483647.0 && v == std::floor(v)))
            return false;
        // k runs over the stored values; each goes to its place in row order
        const long long at = column_major ? (k % rows) * columns + k / rows : k;
        values[at] = static_cast<Out>(v);
    }
    return true;
}

template <typename Out>
bool convert(const giiDataArray *array, Out *values, bool want_ints)
{
    long long rows = 0, columns = 0;
    if (!gifti_array_shape(array, &rows, &columns) || (rows * columns > 0 && array->data == nullptr))
        return false;
    const bool col = array->ind_ord == GIFTI_IND_ORD_COL_MAJOR && columns > 1;
    const void *d = array->data;
    // The usual arrays (float points, int triangles) are copied as they are.
    const int same_type = want_ints ? NIFTI_TYPE_INT32 : NIFTI_TYPE_FLOAT32;
    if (array->datatype == same_type && !col) {
        if (rows * columns > 0)
            std::memcpy(values, d, std::size_t(rows * columns) * sizeof(Out));
        return true;
    }
    switch (array->datatype) {
    case NIFTI_TYPE_UINT8: return convert_from(static_cast<const std::uint8_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_INT8: return convert_from(static_cast<const std::int8_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_INT16: return convert_from(static_cast<const std::int16_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_UINT16: return convert_from(static_cast<const std::uint16_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_INT32: return convert_from(static_cast<const std::int32_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_UINT32: return convert_from(static_cast<const std::uint32_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_INT64: return convert_from(static_cast<const std::int64_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_UINT64: return convert_from(static_cast<const std::uint64_t *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_FLOAT32: return convert_from(static_cast<const float *>(d), rows, columns, col, want_ints, values);
    case NIFTI_TYPE_FLOAT64: return convert_from(static_cast<const double *>(d), rows, columns, col, want_ints, values);
    default: return false;
    }
}

// The first bytes after a byte order mark and white space; empty when the
// file cannot be read.
std::string first_text(const char *filename)
{
    std::string text = gifti_text_head(filename, 256);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    std::size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string directory_of(const char *filename)
{
    std::string name = filename;
    std::size_t slash = name.find_last_of('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash == 0 ? 1 : slash);
}

// The file's text, checked and with its arrays' attributes in the library's
// spelling; false with the reason.
bool prepared_text(const char *filename, std::string *text,
                   std::vector<gifti_array_tag> *tags, std::uint64_t *disk_size,
                   std::string *reason)
{
    std::string raw, problem;
    if (!load_gifti_text(filename, &raw, disk_size, reason))
        return false;
    std::size_t start = raw.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    start = raw.find_first_not_of(" \t\r\n", start);
    if (start == std::string::npos || raw[start] != '<') {
        *reason = "not an XML file, so not GIFTI";
        return false;
    }
    if (!gifti_structure_is_valid(raw, tags, &problem)) {
        *reason = "not a GIFTI file (" + problem + ")";
        return false;
    }
    if (tags->size() > max_gifti_arrays) {
        *reason = std::to_string(tags->size()) + " data arrays, more than the " +
                  std::to_string(max_gifti_arrays) + " a GIFTI file read here may hold";
        return false;
    }
    return normalise_gifti_arrays(raw, *tags, directory_of(filename), text, reason);
}

} // namespace

bool looks_like_xml_file(const char *filename)
{
    return first_text(filename).rfind('<', 0) == 0;
}

bool looks_like_gifti_file(const char *filename)
{
    std::string text = first_text(filename);
    return text.rfind("<?xml", 0) == 0 || text.rfind("<!DOCTYPE", 0) == 0 ||
           text.rfind("<GIFTI", 0) == 0;
}

gifti_image *read_gifti_file(const char *filename)
{
    std::string text;
    std::vector<gifti_array_tag> tags;
    std::uint64_t size = 0;
    std::string problem;
    if (!prepared_text(filename, &text, &tags, &size, &problem)) {
        print_error("Error reading \"%s\": %s.\n", filename, problem.c_str());
        return nullptr;
    }
    // The structure alone first: its sizes are checked before the library
    // allocates and decodes the data.
    gifti_image *image = gifti_library_read(text, false);
    if (image == nullptr) {
        print_error("Error reading \"%s\": not a GIFTI file the GIFTI library can "
                    "read.\n", filename);
        return nullptr;
    }
    if (image->version == nullptr) {
        // the library takes any XML; a GIFTI element always has a version
        print_error("Error reading \"%s\": an XML file without a GIFTI element, so not "
                    "a GIFTI file.\n", filename);
        gifti_free_image(image);
        return nullptr;
    }
    bool sizes_ok = check_declared_sizes(filename, image, tags, size);
    gifti_free_image(image);
    if (!sizes_ok)
        return nullptr;
    image = gifti_library_read(text, true);
    if (image == nullptr) {
        print_error("Error reading \"%s\": the GIFTI library cannot read its data.\n",
                    filename);
        return nullptr;
    }
    for (int i = 0; i < image->numDA; ++i) {
        const giiDataArray *array = image->darray[i];
        if (array == nullptr || (array->nvals > 0 && array->data == nullptr)) {
            print_error("Error reading \"%s\": data array %d has no data.\n", filename, i);
            gifti_free_image(image);
            return nullptr;
        }
        // The standard orders every encoding's values alike; nibabel writes
        // ASCII rows whatever the order says.
        if (array->encoding == GIFTI_ENCODING_ASCII && array->num_dim == 2 &&
            array->dims[1] > 1 && array->ind_ord == GIFTI_IND_ORD_COL_MAJOR)
            print_error("Warning: \"%s\": data array %d is ASCII text in column-major "
                        "order, read column by column as the GIFTI standard says; some "
                        "writers (nibabel) write such text row by row.\n", filename, i);
    }
    return image;
}

bool gifti_array_shape(const giiDataArray *array, long long *rows, long long *columns)
{
    if (array->num_dim == 1) {
        *rows = array->dims[0];
        *columns = 1;
    } else if (array->num_dim == 2) {
        *rows = array->dims[0];
        *columns = array->dims[1];
    } else {
        return false;
    }
    return *rows >= 0 && *columns >= 0 && array->nvals == *rows * *columns;
}

bool gifti_array_floats(const giiDataArray *array, float *values)
{
    return convert(array, values, false);
}

bool gifti_array_ints(const giiDataArray *array, int *values)
{
    return convert(array, values, true);
}

const char *gifti_array_meta_value(const giiDataArray *array, const char *name)
{
    return gifti_meta_value(array->meta, name);
}

const char *gifti_meta_value(const nvpairs &meta, const char *name)
{
    if (meta.name == nullptr || meta.value == nullptr)
        return nullptr;
    for (int i = 0; i < meta.length; ++i)
        if (meta.name[i] != nullptr && meta.value[i] != nullptr &&
            std::strcmp(meta.name[i], name) == 0)
            return meta.value[i];
    return nullptr;
}

const giiDataArray *find_gifti_array(const gifti_image *image, int intent)
{
    for (int i = 0; i < image->numDA; ++i)
        if (image->darray[i] != nullptr && image->darray[i]->intent == intent)
            return image->darray[i];
    return nullptr;
}

bool is_gifti_surface(const gifti_image *image)
{
    return find_gifti_array(image, NIFTI_INTENT_POINTSET) != nullptr &&
           find_gifti_array(image, NIFTI_INTENT_TRIANGLE) != nullptr;
}

int gifti_file_holds_surface(const char *filename)
{
    if (!looks_like_gifti_file(filename))
        return -1;
    std::string text;
    std::vector<gifti_array_tag> tags;
    std::uint64_t size = 0;
    std::string problem; // the reader says it later
    if (!prepared_text(filename, &text, &tags, &size, &problem))
        return -1;
    gifti_image *image = gifti_library_read(text, false);
    if (image == nullptr)
        return -1;
    int holds = image->version == nullptr ? -1 : is_gifti_surface(image) ? 1 : 0;
    gifti_free_image(image);
    return holds;
}

bool gifti_file_has_array(const char *filename, int intent)
{
    if (!looks_like_gifti_file(filename))
        return false;
    std::string text;
    std::vector<gifti_array_tag> tags;
    std::uint64_t size = 0;
    std::string problem; // a reader says it later
    if (!prepared_text(filename, &text, &tags, &size, &problem))
        return false;
    gifti_image *image = gifti_library_read(text, false);
    if (image == nullptr)
        return false;
    const bool has = image->version != nullptr && find_gifti_array(image, intent) != nullptr;
    gifti_free_image(image);
    return has;
}
