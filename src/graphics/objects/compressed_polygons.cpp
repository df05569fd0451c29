#include "compressed_polygons.h"

#include "geometry.h"
#include "object_io.h"
#include "polygon_normals.h"

#include <climits>
#include <cstdlib>

namespace {

// -1 until the environment has been read or the flag set.
int compression_flag = -1;

int sphere_points(long long n_triangles)
{
    return static_cast<int>(n_triangles / 2 + 2);
}

// Frees whatever the reading built and leaves an empty record that
// delete_polygons handles like any freshly initialised one.
void reset_polygons(polygons_struct *polygons, const Surfprop &surfprop)
{
    if (polygons->points != nullptr)
        free_array(polygons->points, "compressed_polygons", __LINE__);
    if (polygons->normals != nullptr)
        free_array(polygons->normals, "compressed_polygons", __LINE__);
    if (polygons->end_indices != nullptr)
        free_array(polygons->end_indices, "compressed_polygons", __LINE__);
    if (polygons->indices != nullptr)
        free_array(polygons->indices, "compressed_polygons", __LINE__);
    if (polygons->colours != nullptr)
        free_array(polygons->colours, "compressed_polygons", __LINE__);
    initialize_polygons(polygons, make_Colour_0_1(1.0, 1.0, 1.0), &surfprop);
}

} // namespace

bool use_compressed_polygons()
{
    if (compression_flag < 0)
        compression_flag = std::getenv("USE_COMPRESSED_POLYGONS") != nullptr ? 1 : 0;
    return compression_flag == 1;
}

void set_use_compressed_polygons_flag(bool flag)
{
    compression_flag = flag ? 1 : 0;
}

bool get_use_compressed_polygons_flag()
{
    return use_compressed_polygons();
}

bool can_compress_polygons(const polygons_struct *polygons)
{
    if (!is_this_tetrahedral_topology(polygons) ||
        polygons->n_items > INT_MAX / 3 ||
        polygons->n_points != sphere_points(polygons->n_items) ||
        polygons->end_indices == nullptr || polygons->indices == nullptr)
        return false;
    for (int i = 0; i < polygons->n_items; ++i)
        if (polygons->end_indices[i] != 3 * (i + 1))
            return false;

    polygons_struct sphere;
    if (create_tetrahedral_sphere_topology(polygons->n_items, &sphere) != OK)
        return false;
    bool same = sphere.n_items == polygons->n_items &&
                sphere.n_points == polygons->n_points;
    const int n_indices = 3 * polygons->n_items;
    for (int i = 0; same && i < n_indices; ++i)
        same = sphere.indices[i] == polygons->indices[i];
    delete_polygons(&sphere);
    return same;
}

Status input_compressed_polygons(File file, File_formats form,
                                 polygons_struct *polygons, int n_triangles)
{
    if (n_triangles <= 0 || !is_tetrahedral_triangle_count(n_triangles)) {
        print_error("Error reading \"%s\": compressed polygons with %d triangles: "
                    "not a triangle count of a sphere tessellation.\n",
                    file_name(file), n_triangles);
        return ERROR;
    }
    if (n_triangles > INT_MAX / 3) {
        print_error("Error reading \"%s\": compressed polygons with %d triangles: "
                    "too many for a sphere mesh.\n", file_name(file), n_triangles);
        return ERROR;
    }
    // Refuse before building a sphere whose points the file cannot hold:
    // 12 bytes a point in binary form, at least "0 0 0" and a separator in
    // ASCII form.
    const int n_points = sphere_points(n_triangles);
    const std::uint64_t per_point = (form == BINARY_FORMAT) ? 12 : 6;
    const std::uint64_t slack = (form == BINARY_FORMAT) ? 0 : 1;
    if (static_cast<std::uint64_t>(n_points) >
        (file_bytes_remaining(file) + slack) / per_point) {
        print_error("Error reading \"%s\": compressed polygons with %d triangles "
                    "need %d points, more than the rest of the file holds.\n",
                    file_name(file), n_triangles, n_points);
        return ERROR;
    }

    // The points and colours are read before the sphere is built, so that a
    // stream of unknown size claiming a huge sphere fails on its missing
    // points before the topology is allocated.
    const Surfprop surfprop = polygons->surfprop;
    Point *points = nullptr;
    Colour *colours = nullptr;
    int colour_flag = ONE_COLOUR;
    Status status = io_points(file, READ_FILE, form, n_points, &points);
    if (status == OK)
        status = io_newline(file, READ_FILE, form);
    if (status == OK)
        status = io_colours(file, READ_FILE, form, &colour_flag, n_triangles, n_points,
                            &colours);
    if (status == OK)
        status = io_newline(file, READ_FILE, form);
    if (status == OK && create_tetrahedral_sphere_topology(n_triangles, polygons) != OK) {
        print_error("Error reading \"%s\": cannot build the %d-triangle sphere.\n",
                    file_name(file), n_triangles);
        status = ERROR;
    }
    if (status != OK) {
        free_array(points, "compressed_polygons", __LINE__);
        free_array(colours, "compressed_polygons", __LINE__);
        reset_polygons(polygons, surfprop);
        return ERROR;
    }
    polygons->surfprop = surfprop;
    free_array(polygons->points, "compressed_polygons", __LINE__);
    free_array(polygons->colours, "compressed_polygons", __LINE__);
    polygons->points = points;
    polygons->colours = colours;
    polygons->colour_flag = colour_flag;
    if (compute_polygon_normals(polygons) != OK) {
        reset_polygons(polygons, surfprop);
        return ERROR;
    }
    return OK;
}

Status output_compressed_polygons(File file, File_formats form,
                                  polygons_struct *polygons)
{
    if (!is_this_tetrahedral_topology(polygons) ||
        polygons->n_points != sphere_points(polygons->n_items)) {
        print_error("Error writing \"%s\": polygons with %d points and %d items "
                    "are not a sphere that can be stored compressed.\n",
                    file_name(file), polygons->n_points, polygons->n_items);
        return ERROR;
    }
    int count = -polygons->n_items;
    Status status = io_int(file, WRITE_FILE, form, &count);
    if (status == OK)
        status = io_newline(file, WRITE_FILE, form);
    if (status == OK)
        status = io_points(file, WRITE_FILE, form, polygons->n_points,
                           &polygons->points);
    if (status == OK)
        status = io_newline(file, WRITE_FILE, form);
    if (status == OK)
        status = io_colours(file, WRITE_FILE, form, &polygons->colour_flag,
                            polygons->n_items, polygons->n_points,
                            &polygons->colours);
    if (status == OK)
        status = io_newline(file, WRITE_FILE, form);
    return status;
}
