#include "geometry.h"

#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

// Builds the n_up x n_around sphere's polygons into a record whose points
// and normals are already set up.
Status build_sphere_polygons(polygons_struct *polygons, int n_up, int n_around)
{
    const long long n_items = static_cast<long long>(n_up) * n_around;
    const long long n_indices = 6LL * n_around + 4LL * (n_up - 2) * n_around;
    if (alloc_array(polygons->end_indices, static_cast<std::size_t>(n_items),
                    "polygon_sphere", __LINE__) != OK ||
        alloc_array(polygons->indices, static_cast<std::size_t>(n_indices),
                    "polygon_sphere", __LINE__) != OK)
        return ERROR;
    polygons->n_items = static_cast<int>(n_items);

    int *end = polygons->end_indices;
    int *index = polygons->indices;
    int used = 0;
    auto add = [&](std::initializer_list<int> corners) {
        for (int c : corners)
            index[used++] = c;
        *end++ = used;
    };
    auto N = [&](int up, int around) {
        return get_sphere_point_index(up, around, n_up, n_around);
    };
    for (int i = 0; i < n_around; ++i)
        add({0, N(1, i), N(1, (i + 1) % n_around)});
    for (int up = 1; up <= n_up - 2; ++up)
        for (int i = 0; i < n_around; ++i)
            add({N(up, i), N(up + 1, i), N(up + 1, (i + 1) % n_around),
                 N(up, (i + 1) % n_around)});
    for (int i = 0; i < n_around; ++i)
        add({1, N(n_up - 1, (i + 1) % n_around), N(n_up - 1, i)});
    return OK;
}

// Sets up an empty record with room for the sphere's points and normals.
Status start_sphere(polygons_struct *polygons, Colour colour, int n_up,
                    int n_around)
{
    initialize_polygons(polygons, colour, nullptr);
    const int n_points = n_around * (n_up - 1) + 2;
    if (alloc_array(polygons->points, n_points, "polygon_sphere", __LINE__) != OK ||
        alloc_array(polygons->normals, n_points, "polygon_sphere", __LINE__) != OK)
        return ERROR;
    polygons->n_points = n_points;
    return OK;
}

bool sphere_fits(int n_up, int n_around)
{
    // one row would be two pole fans over no ring: its polygons do not fit
    // the arrays sized from n_up and n_around
    if (n_up < 2 || n_around < 1) {
        print_error("create_polygons_sphere: %d rows and %d columns make no sphere.\n",
                    n_up, n_around);
        return false;
    }
    const long long n_points = static_cast<long long>(n_around) * (n_up - 1) + 2;
    const long long n_indices = 4LL * n_up * n_around;
    if (n_points > INT_MAX || n_indices > INT_MAX) {
        print_error("create_polygons_sphere: %d rows and %d columns are too many.\n",
                    n_up, n_around);
        return false;
    }
    return true;
}

Status subdivide_sphere(polygons_struct *polygons)
{
    int t = 0;
    if (!get_tessellation_of_polygons_sphere(polygons, &t)) {
        print_error("Not a sphere topology polygon.\n");
        return ERROR;
    }
    // The refinement reads every point of the old t x 2t sphere by number.
    const int old_around = 2 * t;
    const int old_n_points = old_around * (t - 1) + 2;
    if (polygons->n_points < old_n_points || polygons->points == nullptr) {
        print_error("Not a sphere topology polygon: %d points where a sphere of "
                    "%d rows needs %d.\n", polygons->n_points, t, old_n_points);
        return ERROR;
    }
    const int n_up = 2 * t;
    const int n_around = 4 * t;
    if (!sphere_fits(n_up, n_around))
        return ERROR;

    const Colour colour = (polygons->colours != nullptr)
                              ? polygons->colours[0]
                              : make_Colour_0_1(1.0, 1.0, 1.0);
    Point *old_points = polygons->points;
    // Detach the points so that deleting the record leaves them to us.
    if (polygons->normals != nullptr)
        free_array(polygons->normals, "polygon_sphere", __LINE__);
    polygons->points = nullptr;
    polygons->n_points = 0;
    delete_polygons(polygons);

    Status status = start_sphere(polygons, colour, n_up, n_around);
    if (status == OK) {
        auto old = [&](int up, int around) -> const Point & {
            return old_points[get_sphere_point_index(up, around, t, old_around)];
        };
        auto mid = [](const Point &a, const Point &b) {
            return Point{static_cast<float>(0.5 * a.x + 0.5 * b.x),
                         static_cast<float>(0.5 * a.y + 0.5 * b.y),
                         static_cast<float>(0.5 * a.z + 0.5 * b.z)};
        };
        auto column = [&](int up, int around) {
            Point p = old(up / 2, around);
            if (up % 2 == 1)
                p = mid(p, old(up / 2 + 1, around));
            return p;
        };
        for (int up = 0; up <= n_up; ++up) {
            const int last = (up == 0 || up == n_up) ? 0 : n_around - 1;
            for (int around = 0; around <= last; ++around) {
                Point p = column(up, (up == 0 || up == n_up) ? 0 : around / 2);
                if (around % 2 == 1)
                    p = mid(p, column(up, (around / 2 + 1) % old_around));
                polygons->points[get_sphere_point_index(up, around, n_up, n_around)] = p;
            }
        }
        status = build_sphere_polygons(polygons, n_up, n_around);
    }
    free_array(old_points, "polygon_sphere", __LINE__);
    return status;
}

} // namespace

int get_sphere_point_index(int up, int around, int n_up, int n_around)
{
    if (up > n_up || up < 0 || around >= n_around || around < 0) {
        print_error("up %d/%d     around %d/%d\n", up, n_up, around, n_around);
        handle_internal_error("get_sphere_point_index");
        return 0;
    }
    if (up == 0)
        return 0;
    if (up == n_up)
        return 1;
    return n_around * (up - 1) + around + 2;
}

Status create_polygons_sphere(const Point *centre, double x_size, double y_size,
                              double z_size, int n_up, int n_around,
                              bool subdividing, polygons_struct *polygons)
{
    if (subdividing)
        return subdivide_sphere(polygons);
    if (!sphere_fits(n_up, n_around))
        return ERROR;
    if (start_sphere(polygons, make_Colour_0_1(1.0, 1.0, 1.0), n_up, n_around) != OK)
        return ERROR;
    for (int up = 0; up <= n_up; ++up) {
        const int last = (up == 0 || up == n_up) ? 0 : n_around - 1;
        const double a = M_PI * up / n_up;
        for (int around = 0; around <= last; ++around) {
            const double t = 2.0 * M_PI * around / n_around;
            polygons->points[get_sphere_point_index(up, around, n_up, n_around)] =
                Point{static_cast<float>(centre->x + x_size * std::cos(a)),
                      static_cast<float>(centre->y + y_size * std::sin(a) * std::cos(t)),
                      static_cast<float>(centre->z + z_size * std::sin(a) * std::sin(t))};
        }
    }
    return build_sphere_polygons(polygons, n_up, n_around);
}

bool get_tessellation_of_polygons_sphere(const polygons_struct *polygons,
                                         int *n_up)
{
    const int c = polygons->n_items;
    if (c <= 10 || c % 2 != 0 || polygons->end_indices == nullptr)
        return false;
    const int s = static_cast<int>(std::lround(std::sqrt(c / 2.0)));
    if (2LL * s * s != c)
        return false;
    *n_up = s;
    if ((s & (s - 1)) != 0)
        return false;
    int n_triangles = 0;
    for (int i = 0; i < c; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        if (polygons->end_indices[i] - start == 3)
            ++n_triangles;
    }
    return n_triangles == 4 * s;
}

bool is_this_sphere_topology(const polygons_struct *polygons)
{
    int n_up;
    return get_tessellation_of_polygons_sphere(polygons, &n_up);
}
