#include "polygon_normals.h"
#include "poly_neighs.h"

#include <cmath>
#include <initializer_list>
#include <new>
#include <system_error>
#include <thread>
#include <memory>

namespace {

// Progress is looked at every so many polygons, not at every one.
constexpr int PROGRESS_STRIDE = 4096;

constexpr int MAX_NORMAL_CORNERS = 1000;

void normalize(Vector *v)
{
    const double x = v->x, y = v->y, z = v->z;
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length != 0.0) {
        v->x = static_cast<float>(x / length);
        v->y = static_cast<float>(y / length);
        v->z = static_cast<float>(z / length);
    }
}

Vector corner_cross(const Point &corner, const Point &next, const Point &previous)
{
    const double ax = next.x - corner.x, ay = next.y - corner.y, az = next.z - corner.z;
    const double bx = previous.x - corner.x, by = previous.y - corner.y,
                 bz = previous.z - corner.z;
    return Vector{static_cast<float>(ay * bz - az * by),
                  static_cast<float>(az * bx - ax * bz),
                  static_cast<float>(ax * by - ay * bx)};
}

} // namespace

bool null_Vector(const Vector *vector)
{
    return vector->x == 0.0f && vector->y == 0.0f && vector->z == 0.0f;
}

double get_angle_between_points(const Point *p1, const Point *centre,
                                const Point *p2)
{
    double d1[3] = {static_cast<double>(p1->x) - centre->x,
                    static_cast<double>(p1->y) - centre->y,
                    static_cast<double>(p1->z) - centre->z};
    double d2[3] = {static_cast<double>(p2->x) - centre->x,
                    static_cast<double>(p2->y) - centre->y,
                    static_cast<double>(p2->z) - centre->z};
    for (double *d : {d1, d2}) {
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (length != 0.0)
            for (int i = 0; i < 3; ++i)
                d[i] /= length;
    }
    const double c = d1[0] * d2[0] + d1[1] * d2[1] + d1[2] * d2[2];
    if (c >= 1.0)
        return 0.0;
    if (c <= -1.0)
        return M_PI;
    return std::acos(c);
}

void find_polygon_normal_no_normalize(int n, const Point points[], double *x,
                                      double *y, double *z)
{
    *x = *y = *z = 0.0;
    if (n <= 0)
        return;
    if (n == 3) {
        const double ax = points[1].x - static_cast<double>(points[0].x);
        const double ay = points[1].y - static_cast<double>(points[0].y);
        const double az = points[1].z - static_cast<double>(points[0].z);
        const double bx = points[2].x - static_cast<double>(points[0].x);
        const double by = points[2].y - static_cast<double>(points[0].y);
        const double bz = points[2].z - static_cast<double>(points[0].z);
        *x = ay * bz - az * by;
        *y = az * bx - ax * bz;
        *z = ax * by - ay * bx;
    } else {
        for (int i = 0; i < n; ++i) {
            const Point &a = points[i];
            const Point &b = points[(i + 1) % n];
            *x -= (static_cast<double>(a.y) + b.y) * (static_cast<double>(a.z) - b.z);
            *y -= (static_cast<double>(a.x) - b.x) * (static_cast<double>(a.z) + b.z);
            *z -= (static_cast<double>(a.x) + b.x) * (static_cast<double>(a.y) - b.y);
        }
    }
    if (*x != 0.0 || *y != 0.0 || *z != 0.0)
        return;

    // Collinear or coincident corners sum to nothing: fall back on the first
    // corner whose two edges still span a plane.
    for (int i = 0; i < n; ++i) {
        const Vector v = corner_cross(points[i], points[(i + 1) % n],
                                      points[(i + n - 1) % n]);
        if (!null_Vector(&v)) {
            *x = v.x;
            *y = v.y;
            *z = v.z;
            return;
        }
    }
}

void find_polygon_normal(int n, const Point points[], Vector *normal)
{
    double x, y, z;
    find_polygon_normal_no_normalize(n, points, &x, &y, &z);
    normal->x = static_cast<float>(x);
    normal->y = static_cast<float>(y);
    normal->z = static_cast<float>(z);
    normalize(normal);
}

void compute_polygon_normal(const polygons_struct *polygons, int polygon,
                            Vector *normal)
{
    Point corners[MAX_NORMAL_CORNERS];
    const int start = (polygon == 0) ? 0 : polygons->end_indices[polygon - 1];
    int size = polygons->end_indices[polygon] - start;
    if (size > MAX_NORMAL_CORNERS)
        size = MAX_NORMAL_CORNERS;
    int n = 0;
    for (int k = 0; k < size; ++k) {
        const int index = polygons->indices[start + k];
        if (index < 0 || index >= polygons->n_points) {
            n = 0;
            break;
        }
        corners[n++] = polygons->points[index];
    }
    find_polygon_normal(n, corners, normal);
}

namespace {

// Below this many polygons a second thread costs more than it saves.
constexpr int PARALLEL_POLYGONS = 32768;

// What the sums need of polygons [first, last): each polygon's unit normal
// and each corner's angle, at the corner's place in the index array.
void find_normals_and_angles(const polygons_struct *polygons, int first, int last,
                             Vector *polygon_normals, double *corner_angles)
{
    const Point *points = polygons->points;
    for (int i = first; i < last; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        const int size = polygons->end_indices[i] - start;
        const int *corners = polygons->indices + start;
        Vector normal;
        compute_polygon_normal(polygons, i, &normal);
        normalize(&normal);
        polygon_normals[i] = normal;
        for (int j = 0; j < size; ++j) {
            const int previous = corners[(j + size - 1) % size];
            const int next = corners[(j + 1) % size];
            corner_angles[start + j] = get_angle_between_points(
                &points[previous], &points[corners[j]], &points[next]);
        }
    }
}

} // namespace

Status compute_polygon_normals(polygons_struct *polygons)
{
    const int n_points = polygons->n_points;
    if (!polygons_indices_are_valid(polygons)) {
        print_error("compute_polygon_normals: the polygons' indices do not fit "
                    "their %d points.\n", n_points);
        return ERROR;
    }
    if (n_points == 0)
        return OK;
    if (polygons->normals == nullptr &&
        alloc_array(polygons->normals, n_points, "polygon_normals", __LINE__) != OK)
        return ERROR;
    Vector *normals = polygons->normals;
    for (int p = 0; p < n_points; ++p)
        normals[p] = Vector{0.0f, 0.0f, 0.0f};

    // The angles (the costly part) are found on two threads when the mesh is
    // large; the sums stay in polygon order on one, so every bit of the
    // result is the same whichever way it was computed.
    const int n_items = polygons->n_items;
    const int n_corners = n_items > 0 ? polygons->end_indices[n_items - 1] : 0;
    // (left uninitialised: every element is written before it is read)
    std::unique_ptr<Vector[]> polygon_normals(new (std::nothrow) Vector[n_items]);
    std::unique_ptr<double[]> corner_angles(new (std::nothrow) double[n_corners]);
    if (polygon_normals == nullptr || corner_angles == nullptr) {
        print_error("compute_polygon_normals: no memory for %d polygons.\n", n_items);
        return ERROR;
    }
    bool threaded = false;
    if (n_items >= PARALLEL_POLYGONS && std::thread::hardware_concurrency() > 1) {
        const int half = n_items / 2;
        try {
            std::thread second(find_normals_and_angles, polygons, half, n_items,
                               polygon_normals.get(), corner_angles.get());
            find_normals_and_angles(polygons, 0, half, polygon_normals.get(),
                                    corner_angles.get());
            second.join();
            threaded = true;
        } catch (const std::system_error &) {
            // no thread to be had: the single pass below does it all
        }
    }
    if (!threaded)
        find_normals_and_angles(polygons, 0, n_items, polygon_normals.get(),
                                corner_angles.get());

    progress_struct progress;
    initialize_progress_report(&progress, false, n_items, "Computing Normals");
    for (int i = 0; i < n_items; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        const int end = polygons->end_indices[i];
        const Vector &normal = polygon_normals[i];
        for (int k = start; k < end; ++k) {
            const double w = corner_angles[k];
            Vector &sum = normals[polygons->indices[k]];
            sum.x = static_cast<float>(sum.x + w * normal.x);
            sum.y = static_cast<float>(sum.y + w * normal.y);
            sum.z = static_cast<float>(sum.z + w * normal.z);
        }
        if (i % PROGRESS_STRIDE == 0)
            update_progress_report(&progress, i + 1);
    }
    terminate_progress_report(&progress);

    for (int p = 0; p < n_points; ++p)
        normalize(&normals[p]);
    return OK;
}
