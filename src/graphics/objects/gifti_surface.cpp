#include "gifti_surface.h"

#include "gifti_file.h"
#include "gifti_library.h"
#include "triangle_surfaces.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

bool is_identity(const double m[4][4])
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != (i == j ? 1.0 : 0.0))
                return false;
    return true;
}

void copy_text(char *out, std::size_t size, const char *text)
{
    std::snprintf(out, size, "%s", text != nullptr ? text : "");
}

// The info's structures and geometric type as the points' metadata, and
// its coordinate system, where it has one.
Status add_surface_info(giiDataArray *points, const gifti_surface_info &info)
{
    const std::pair<const char *, const char *> meta[] = {
        {"AnatomicalStructurePrimary", info.structure},
        {"AnatomicalStructureSecondary", info.structure_secondary},
        {"GeometricType", info.geometric_type}};
    for (const auto &[name, value] : meta)
        if (value[0] != '\0' && gifti_add_to_meta(&points->meta, name, value, 1) != 0)
            return ERROR;
    if (!info.has_transform && info.data_space[0] == '\0' && info.transformed_space[0] == '\0')
        return OK;
    if (gifti_add_empty_CS(points) != 0 || points->numCS < 1)
        return ERROR;
    giiCoordSystem *system = points->coordsys[points->numCS - 1];
    const auto space = [](const char *text) {
        return gifti_strdup(text[0] != '\0' ? text : "NIFTI_XFORM_UNKNOWN");
    };
    std::free(system->dataspace);
    std::free(system->xformspace);
    system->dataspace = space(info.data_space);
    system->xformspace = space(info.transformed_space);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            system->xform[i][j] = info.has_transform ? info.transform[i][j] : (i == j ? 1.0 : 0.0);
    return OK;
}

Status read_surface(const char *filename, const gifti_image *image,
                    object_struct **object, gifti_surface_info *info)
{
    const giiDataArray *points = find_gifti_array(image, NIFTI_INTENT_POINTSET);
    const giiDataArray *triangles = find_gifti_array(image, NIFTI_INTENT_TRIANGLE);
    if (points == nullptr || triangles == nullptr) {
        print_error("Error reading \"%s\": no POINTSET and TRIANGLE data arrays, so "
                    "not a GIFTI surface.\n", filename);
        return ERROR;
    }
    long long n_points = 0, point_columns = 0, n_triangles = 0, triangle_columns = 0;
    if (!gifti_array_shape(points, &n_points, &point_columns) || point_columns != 3 ||
        points->num_dim != 2) {
        print_error("Error reading \"%s\": the POINTSET array is not n x 3.\n", filename);
        return ERROR;
    }
    if (!gifti_array_shape(triangles, &n_triangles, &triangle_columns) ||
        triangle_columns != 3 || triangles->num_dim != 2) {
        print_error("Error reading \"%s\": the TRIANGLE array is not n x 3.\n", filename);
        return ERROR;
    }
    object_struct *surface = create_triangle_surface(filename, int(n_points), int(n_triangles));
    if (surface == nullptr)
        return ERROR;
    polygons_struct *polygons = get_polygons_ptr(surface);
    static_assert(sizeof(Point) == 3 * sizeof(float));
    Status status = OK;
    if (!gifti_array_floats(points, reinterpret_cast<float *>(polygons->points))) {
        print_error("Error reading \"%s\": the POINTSET array's data type is not a "
                    "number type.\n", filename);
        status = ERROR;
    } else if (!gifti_array_ints(triangles, polygons->indices)) {
        print_error("Error reading \"%s\": the TRIANGLE array holds values that are "
                    "not point indices.\n", filename);
        status = ERROR;
    } else {
        status = finish_triangle_surface(filename, surface);
    }
    if (status != OK) {
        delete_object(surface);
        return ERROR;
    }
    if (info != nullptr && points->numCS > 0 && points->coordsys != nullptr &&
        points->coordsys[0] != nullptr && !is_identity(points->coordsys[0]->xform)) {
        info->has_transform = true;
        std::memcpy(info->transform, points->coordsys[0]->xform, sizeof info->transform);
    }
    if (info != nullptr) {
        const char *structure = gifti_array_meta_value(points, "AnatomicalStructurePrimary");
        if (structure == nullptr)
            structure = gifti_meta_value(image->meta, "AnatomicalStructurePrimary");
        if (structure != nullptr)
            std::snprintf(info->structure, sizeof info->structure, "%s", structure);
        copy_text(info->structure_secondary, sizeof info->structure_secondary,
                  gifti_array_meta_value(points, "AnatomicalStructureSecondary"));
        copy_text(info->geometric_type, sizeof info->geometric_type,
                  gifti_array_meta_value(points, "GeometricType"));
        if (points->numCS > 0 && points->coordsys != nullptr && points->coordsys[0] != nullptr) {
            copy_text(info->data_space, sizeof info->data_space, points->coordsys[0]->dataspace);
            copy_text(info->transformed_space, sizeof info->transformed_space,
                      points->coordsys[0]->xformspace);
        }
    }
    *object = surface;
    return OK;
}

} // namespace

Status input_gifti_surface(const char *filename, object_struct **object,
                           gifti_surface_info *info)
{
    *object = nullptr;
    if (info != nullptr)
        std::memset(info, 0, sizeof *info);
    gifti_image *image = read_gifti_file(filename);
    if (image == nullptr)
        return ERROR;
    Status status = read_surface(filename, image, object, info);
    gifti_free_image(image);
    return status;
}

Status output_gifti_surface(const char *filename, const polygons_struct *polygons,
                            const gifti_surface_info *info)
{
    for (int i = 0; i < polygons->n_items; ++i) {
        if (polygons->end_indices[i] != 3 * (i + 1)) {
            print_error("Error writing \"%s\": polygon %d is not a triangle; GIFTI "
                        "surfaces hold triangles only.\n", filename, i);
            return ERROR;
        }
    }
    // The library reads a full set of dimensions, and cannot write an
    // array of none.
    if (polygons->n_points <= 0 || polygons->n_items <= 0) {
        print_error("Error writing \"%s\": a surface without points or triangles.\n",
                    filename);
        return ERROR;
    }
    const int point_dims[GIFTI_DARRAY_DIM_LEN] = {polygons->n_points, 3};
    gifti_image *image = gifti_create_image(2, NIFTI_INTENT_POINTSET, NIFTI_TYPE_FLOAT32,
                                            2, point_dims, 0);
    if (image == nullptr) {
        print_error("Error writing \"%s\": cannot create a GIFTI image.\n", filename);
        return ERROR;
    }
    giiDataArray *triangles = image->darray[1];
    triangles->intent = NIFTI_INTENT_TRIANGLE;
    triangles->datatype = NIFTI_TYPE_INT32;
    triangles->dims[0] = polygons->n_items;
    Status status = OK;
    for (int i = 0; i < 2 && status == OK; ++i) {
        giiDataArray *array = image->darray[i];
        array->encoding = GIFTI_ENCODING_B64GZ;
        array->endian = gifti_get_this_endian();
        array->ind_ord = GIFTI_IND_ORD_ROW_MAJOR;
        array->nvals = gifti_darray_nvals(array);
        if (gifti_datatype_sizes(array->datatype, &array->nbyper, nullptr) != 0)
            status = ERROR;
    }
    if (status == OK && gifti_alloc_DA_data(image, nullptr, 0) != 0)
        status = ERROR;
    if (status == OK && info != nullptr && add_surface_info(image->darray[0], *info) != OK)
        status = ERROR;
    if (status == OK) {
        std::memcpy(image->darray[0]->data, polygons->points,
                    sizeof(Point) * std::size_t(polygons->n_points));
        std::memcpy(image->darray[1]->data, polygons->indices,
                    3 * sizeof(int) * std::size_t(polygons->n_items));
        if (gifti_library_write(image, filename) != 0)
            status = ERROR;
    }
    if (status != OK)
        print_error("Error writing \"%s\": the GIFTI library could not write it.\n",
                    filename);
    gifti_free_image(image);
    return status;
}
