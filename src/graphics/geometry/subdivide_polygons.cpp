#include "geometry.h"
#include "poly_neighs.h"

#include <climits>
#include <initializer_list>

namespace {

// Progress is looked at every so many polygons, not at every one.
constexpr int PROGRESS_STRIDE = 4096;

struct subdivision {
    Point *points = nullptr;
    int n_points = 0;
    int *end_indices = nullptr;
    int n_items = 0;
    int *indices = nullptr;
    int n_indices = 0;

    void add_polygon(std::initializer_list<int> corners)
    {
        for (int c : corners)
            indices[n_indices++] = c;
        end_indices[n_items++] = n_indices;
    }
    int add_point(const Point &point)
    {
        points[n_points] = point;
        return n_points++;
    }
};

Point midpoint(const Point &a, const Point &b)
{
    return Point{static_cast<float>(0.5 * a.x + 0.5 * b.x),
                 static_cast<float>(0.5 * a.y + 0.5 * b.y),
                 static_cast<float>(0.5 * a.z + 0.5 * b.z)};
}

// Shrinks an array that was sized for the worst case to what was used.
template <typename T>
void trim(T *&array, int used)
{
    if (used == 0) {
        if (array != nullptr)
            free_array(array, "subdivide_polygons", __LINE__);
        array = nullptr;
        return;
    }
    void *block = array;
    if (realloc_memory(&block, used, sizeof(T), "subdivide_polygons", __LINE__) == OK)
        array = static_cast<T *>(block);
}

} // namespace

Status subdivide_polygons(polygons_struct *polygons)
{
    if (is_this_sphere_topology(polygons)) {
        print("Subdividing assuming sphere topology.\n");
        const Point origin = {0.0f, 0.0f, 0.0f};
        return create_polygons_sphere(&origin, 1.0, 1.0, 1.0, 0, 0, true, polygons);
    }

    int *n_neighbours = nullptr;
    int **neighbours = nullptr;
    if (create_polygon_point_neighbours(polygons, false, &n_neighbours, &neighbours,
                                        nullptr, nullptr) != OK)
        return ERROR;

    // Worst-case sizes: every edge of every kept polygon new, plus the
    // centres; the arrays are trimmed to what was used at the end.
    const int n_points = polygons->n_points;
    const int n_items = polygons->n_items;
    long long max_points = n_points, max_items = 0, max_indices = 0;
    for (int i = 0; i < n_items; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        const int size = polygons->end_indices[i] - start;
        if (size == 3 || size == 4) {
            max_points += size + (size == 4 ? 1 : 0);
            max_items += 4;
            max_indices += 4LL * size;
        }
    }
    long long n_slots = 0;
    for (int p = 0; p < n_points; ++p)
        n_slots += n_neighbours[p];

    subdivision out;
    long long *first_slot = nullptr;
    int *midpoints = nullptr;
    Status status = OK;
    if (max_points > INT_MAX || max_indices > INT_MAX) {
        print_error("subdivide_polygons: %d polygons are too many to subdivide.\n",
                    n_items);
        status = ERROR;
    } else if (alloc_array(out.points, max_points, "subdivide_polygons", __LINE__) != OK ||
               alloc_array(out.end_indices, max_items, "subdivide_polygons", __LINE__) != OK ||
               alloc_array(out.indices, max_indices, "subdivide_polygons", __LINE__) != OK ||
               alloc_array(first_slot, static_cast<std::size_t>(n_points) + 1,
                           "subdivide_polygons", __LINE__) != OK ||
               alloc_array(midpoints, n_slots, "subdivide_polygons", __LINE__) != OK) {
        status = ERROR;
    }

    if (status == OK) {
        first_slot[0] = 0;
        for (int p = 0; p < n_points; ++p)
            first_slot[p + 1] = first_slot[p] + n_neighbours[p];
        for (long long j = 0; j < n_slots; ++j)
            midpoints[j] = -1;
        for (int p = 0; p < n_points; ++p)
            out.add_point(polygons->points[p]);

        progress_struct progress;
        initialize_progress_report(&progress, true, n_items, "Subdividing Polygon");
        for (int i = 0; i < n_items; ++i) {
            const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
            const int size = polygons->end_indices[i] - start;
            const int *c = &polygons->indices[start];
            if (size != 3 && size != 4) {
                print_error("Polygon size %d in subdivide polygons\n", size);
                if (i % PROGRESS_STRIDE == 0)
                    update_progress_report(&progress, i + 1);
                continue;
            }
            int m[4];
            for (int k = 0; k < size; ++k) {
                const int a = c[k], b = c[(k + 1) % size];
                const int lo = (a < b) ? a : b, hi = (a < b) ? b : a;
                int slot = -1;
                for (int j = 0; j < n_neighbours[lo]; ++j)
                    if (neighbours[lo][j] == hi) {
                        slot = j;
                        break;
                    }
                if (slot < 0) {
                    // The lists always hold every edge of the mesh they came
                    // from; should one be missing, the edge gets a midpoint
                    // of its own rather than a shared one.
                    handle_internal_error("subdivide_polygon");
                    m[k] = out.add_point(midpoint(out.points[lo], out.points[hi]));
                    continue;
                }
                int &shared = midpoints[first_slot[lo] + slot];
                if (shared < 0)
                    shared = out.add_point(midpoint(out.points[lo], out.points[hi]));
                m[k] = shared;
            }
            if (size == 3) {
                out.add_polygon({c[0], m[0], m[2]});
                out.add_polygon({m[0], c[1], m[1]});
                out.add_polygon({m[2], m[0], m[1]});
                out.add_polygon({m[2], m[1], c[2]});
            } else {
                const Point &p0 = out.points[c[0]], &p1 = out.points[c[1]],
                            &p2 = out.points[c[2]], &p3 = out.points[c[3]];
                const float sx = p0.x + p1.x + p2.x + p3.x;
                const float sy = p0.y + p1.y + p2.y + p3.y;
                const float sz = p0.z + p1.z + p2.z + p3.z;
                const int q = out.add_point(Point{0.25f * sx, 0.25f * sy, 0.25f * sz});
                out.add_polygon({c[0], m[0], q, m[3]});
                out.add_polygon({m[0], c[1], m[1], q});
                out.add_polygon({m[3], q, m[2], c[3]});
                out.add_polygon({q, m[1], c[2], m[2]});
            }
            if (i % PROGRESS_STRIDE == 0)
                update_progress_report(&progress, i + 1);
        }
        terminate_progress_report(&progress);
    }

    delete_polygon_point_neighbours(polygons, n_neighbours, neighbours, nullptr,
                                    nullptr);
    if (first_slot != nullptr)
        free_array(first_slot, "subdivide_polygons", __LINE__);
    if (midpoints != nullptr)
        free_array(midpoints, "subdivide_polygons", __LINE__);

    Vector *normals = nullptr;
    Colour *colours = nullptr;
    if (status == OK &&
        (alloc_array(normals, out.n_points, "subdivide_polygons", __LINE__) != OK ||
         alloc_array(colours, 1, "subdivide_polygons", __LINE__) != OK))
        status = ERROR;
    if (status != OK) {
        for (void *p : {static_cast<void *>(out.points), static_cast<void *>(out.end_indices),
                        static_cast<void *>(out.indices), static_cast<void *>(normals)})
            if (p != nullptr)
                free_memory_1d(&p, "subdivide_polygons", __LINE__);
        return ERROR;
    }

    trim(out.points, out.n_points);
    trim(out.end_indices, out.n_items);
    trim(out.indices, out.n_indices);

    colours[0] = (polygons->colours != nullptr) ? polygons->colours[0]
                                                : make_Colour_0_1(1.0, 1.0, 1.0);
    const Surfprop surfprop = polygons->surfprop;
    const float line_thickness = polygons->line_thickness;
    delete_polygons(polygons);
    polygons->colour_flag = ONE_COLOUR;
    polygons->colours = colours;
    polygons->surfprop = surfprop;
    polygons->line_thickness = line_thickness;
    polygons->n_points = out.n_points;
    polygons->points = out.points;
    polygons->normals = normals;
    polygons->n_items = out.n_items;
    polygons->end_indices = out.end_indices;
    polygons->indices = out.indices;
    polygons->visibilities = nullptr;
    polygons->neighbours = nullptr;
    return OK;
}
