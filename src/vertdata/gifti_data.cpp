// GIFTI data files: every data array gives its columns, named from the
// array's "Name" metadata; an n x k array gives k columns. A name that is a
// path (FreeSurfer's converter writes the source file's) gives way to the
// file's own name, as does a missing one in a file of one array; missing
// names elsewhere are array0, array1, ...
#include "vertex_data.h"

#include "gifti_file.h"
#include "gifti_library.h"

#include <cstring>
#include <memory>

namespace {

struct image_deleter {
    void operator()(gifti_image *image) const { gifti_free_image(image); }
};
using image_ptr = std::unique_ptr<gifti_image, image_deleter>;

bool ends_with(const std::string &text, const char *end)
{
    const std::size_t n = std::strlen(end);
    return text.size() > n && text.compare(text.size() - n, n, end) == 0;
}

// lh.sulc.shape.gii(.gz) -> lh.sulc
std::string file_stem(const char *filename)
{
    std::string base = filename;
    const std::size_t slash = base.find_last_of('/');
    if (slash != std::string::npos)
        base.erase(0, slash + 1);
    for (const char *end : {".gz", ".gii"})
        if (ends_with(base, end))
            base.resize(base.size() - std::strlen(end));
    for (const char *end : {".func", ".shape", ".time", ".label"})
        if (ends_with(base, end)) {
            base.resize(base.size() - std::strlen(end));
            break;
        }
    return column_name_from(base);
}

std::string array_name(const char *filename, const gifti_image *image, int i)
{
    const char *meta_name = gifti_array_meta_value(image->darray[i], "Name");
    const std::string given = meta_name != nullptr ? meta_name : "";
    const bool path = given.find_first_of("/\\") != std::string::npos;
    if (!given.empty() && !path)
        return column_name_from(given);
    if (!path && image->numDA > 1)
        return "array" + std::to_string(i);
    const std::string stem = file_stem(filename);
    return image->numDA > 1 ? stem + "_" + std::to_string(i) : stem;
}

Status read_columns(const char *filename, const gifti_image *image,
                    std::vector<vertex_column> *columns)
{
    if (is_gifti_surface(image)) {
        print_error("Error reading \"%s\": a GIFTI surface, not per-vertex data.\n",
                    filename);
        return ERROR;
    }
    if (image->numDA < 1) {
        print_error("Error reading \"%s\": a GIFTI file without data arrays.\n", filename);
        return ERROR;
    }
    long long n_rows = -1;
    for (int i = 0; i < image->numDA; ++i) {
        const giiDataArray *array = image->darray[i];
        long long rows = 0, k = 0;
        if (!gifti_array_shape(array, &rows, &k)) {
            print_error("Error reading \"%s\": data array %d has %d dimensions; per-vertex "
                        "data has one or two.\n", filename, i, array->num_dim);
            return ERROR;
        }
        // An empty array would still cost a column each (and a statistics
        // file's columns grow one another while there are no rows).
        if (k == 0 || rows == 0) {
            print_error("Error reading \"%s\": data array %d holds no values.\n", filename, i);
            return ERROR;
        }
        if (std::uint64_t(k) > max_vertex_columns - columns->size()) {
            print_error("Error reading \"%s\": data array %d would make more than %zu "
                        "columns; that is no per-vertex data.\n", filename, i,
                        max_vertex_columns);
            return ERROR;
        }
        if (n_rows >= 0 && rows != n_rows) {
            print_error("Error reading \"%s\": data array %d has %lld values per column, "
                        "data array 0 has %lld.\n", filename, i, rows, n_rows);
            return ERROR;
        }
        n_rows = rows;
        std::vector<float> values(std::size_t(rows * k));
        if (!gifti_array_floats(array, values.data())) {
            print_error("Error reading \"%s\": data array %d's data type %d is not a "
                        "number type.\n", filename, i, array->datatype);
            return ERROR;
        }
        const std::string name = array_name(filename, image, i);
        for (long long c = 0; c < k; ++c) {
            vertex_column column{k == 1 ? name : name + "_" + std::to_string(c), {}};
            column.values.resize(std::size_t(rows));
            for (long long r = 0; r < rows; ++r)
                column.values[std::size_t(r)] = values[std::size_t(r * k + c)];
            columns->push_back(std::move(column));
        }
    }
    return OK;
}

} // namespace

Status input_gifti_data(const char *filename, vertex_data *data)
{
    data->columns.clear();
    data->format = NOT_VERTEX_DATA;
    image_ptr image(read_gifti_file(filename));
    if (image == nullptr)
        return ERROR;
    std::vector<vertex_column> columns;
    if (read_columns(filename, image.get(), &columns) != OK)
        return ERROR;
    data->columns = std::move(columns);
    data->format = GIFTI_DATA;
    return OK;
}

Status output_gifti_data(const char *filename, const std::vector<vertex_column> &columns)
{
    if (columns.empty()) {
        print_error("Error writing \"%s\": no columns to write.\n", filename);
        return ERROR;
    }
    const std::size_t n = columns[0].values.size();
    for (const vertex_column &column : columns) {
        if (column.values.size() != n || n > std::size_t(INT32_MAX)) {
            print_error("Error writing \"%s\": the columns differ in length.\n", filename);
            return ERROR;
        }
    }
    // The library reads a full set of dimensions, and cannot write an
    // array of none.
    if (n == 0) {
        print_error("Error writing \"%s\": no vertices to write.\n", filename);
        return ERROR;
    }
    const int dims[GIFTI_DARRAY_DIM_LEN] = {int(n)};
    image_ptr image(gifti_create_image(int(columns.size()), NIFTI_INTENT_NONE,
                                       NIFTI_TYPE_FLOAT32, 1, dims, 1));
    if (image == nullptr) {
        print_error("Error writing \"%s\": cannot create a GIFTI image.\n", filename);
        return ERROR;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        giiDataArray *array = image->darray[i];
        array->encoding = GIFTI_ENCODING_B64GZ;
        array->endian = gifti_get_this_endian();
        if ((n > 0 && array->data == nullptr) ||
            gifti_add_to_meta(&array->meta, "Name", columns[i].name.c_str(), 1) != 0) {
            print_error("Error writing \"%s\": cannot fill the GIFTI image.\n", filename);
            return ERROR;
        }
        if (n > 0)
            std::memcpy(array->data, columns[i].values.data(), n * sizeof(float));
    }
    if (gifti_library_write(image.get(), filename) != 0) {
        print_error("Error writing \"%s\": the GIFTI library could not write it.\n",
                    filename);
        return ERROR;
    }
    return OK;
}
