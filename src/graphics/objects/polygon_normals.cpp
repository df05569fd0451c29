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

// Kept out of line: at -O2 GCC 12 normalises the x and y of the normal
// find_polygon_normal stores here as if they had never been rounded to
// float, and the normals in files written so far were made that way. Inlined
// into another caller, the body could be compiled otherwise and every point
// normal change in its last bits.
__attribute__((noinline)) void compute_polygon_normal(const polygons_struct *polygons,
                                                      int polygon, Vector *normal)
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

// An edge of a polygon as get_angle_between_points takes its directions:
// the difference in double, divided by its length unless that is zero.
struct Unit_edge {
    double x, y, z;
};

Unit_edge unit_edge(const Point &from, const Point &to)
{
    Unit_edge e{static_cast<double>(to.x) - from.x, static_cast<double>(to.y) - from.y,
                static_cast<double>(to.z) - from.z};
    const double length = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
    if (length != 0.0) {
        e.x /= length;
        e.y /= length;
        e.z /= length;
    }
    return e;
}

// get_angle_between_points at the corner where edge in ends and edge out
// starts. The direction back along in is exactly -in (rounding is symmetric
// about zero), so each edge is normalised once for its two corners; only the
// sign of a zero can differ, which neither the clamps nor acos tell apart.
double corner_angle(const Unit_edge &in, const Unit_edge &out)
{
    const double c = -(in.x * out.x + in.y * out.y + in.z * out.z);
    if (c >= 1.0)
        return 0.0;
    if (c <= -1.0)
        return M_PI;
    return std::acos(c);
}

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

        double *angles = corner_angles + start;
        if (size == 3) {
            const Point &p0 = points[corners[0]], &p1 = points[corners[1]],
                        &p2 = points[corners[2]];
            const Unit_edge e0 = unit_edge(p0, p1), e1 = unit_edge(p1, p2),
                            e2 = unit_edge(p2, p0);
            angles[0] = corner_angle(e2, e0);
            angles[1] = corner_angle(e0, e1);
            angles[2] = corner_angle(e1, e2);
        } else if (size > 0) {
            const Unit_edge closing = unit_edge(points[corners[size - 1]], points[corners[0]]);
            Unit_edge in = closing;
            for (int j = 0; j + 1 < size; ++j) {
                const Unit_edge out = unit_edge(points[corners[j]], points[corners[j + 1]]);
                angles[j] = corner_angle(in, out);
                in = out;
            }
            angles[size - 1] = corner_angle(in, closing);
        }
    }
}

// The angle-weighted sums into points [first_point, last_point), each
// point's terms added in polygon order whichever thread does it, then
// normalised. Only the thread with a progress report shows it.
void sum_normals(polygons_struct *polygons, int first_point, int last_point,
                 const Vector *polygon_normals, const double *corner_angles,
                 progress_struct *progress)
{
    Vector *normals = polygons->normals;
    for (int p = first_point; p < last_point; ++p)
        normals[p] = Vector{0.0f, 0.0f, 0.0f};
    const unsigned n_own = static_cast<unsigned>(last_point - first_point);
    const int n_items = polygons->n_items;
    int k = 0;
    for (int i = 0; i < n_items; ++i) {
        const int end = polygons->end_indices[i];
        const Vector &normal = polygon_normals[i];
        for (; k < end; ++k) {
            const int index = polygons->indices[k];
            if (static_cast<unsigned>(index - first_point) >= n_own)
                continue;
            const double w = corner_angles[k];
            Vector &sum = normals[index];
            sum.x = static_cast<float>(sum.x + w * normal.x);
            sum.y = static_cast<float>(sum.y + w * normal.y);
            sum.z = static_cast<float>(sum.z + w * normal.z);
        }
        if (progress != nullptr && i % PROGRESS_STRIDE == 0)
            update_progress_report(progress, i + 1);
    }
    for (int p = first_point; p < last_point; ++p)
        normalize(&normals[p]);
}

// Runs first here and second on another thread; false, having run neither,
// when no thread can be had.
template <class First, class Second>
bool run_on_two_threads(const First &first, const Second &second)
{
    std::thread other;
    try {
        other = std::thread(second);
    } catch (const std::system_error &) {
        return false;
    }
    first();
    other.join();
    return true;
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

    // On a large mesh the angles are found on two threads splitting the
    // polygons, then the sums on two threads splitting the points: each
    // point's terms still come in polygon order, so every bit of the result
    // is the same whichever way it was computed.
    const int n_items = polygons->n_items;
    const int n_corners = n_items > 0 ? polygons->end_indices[n_items - 1] : 0;
    // (left uninitialised: every element is written before it is read)
    std::unique_ptr<Vector[]> polygon_normals(new (std::nothrow) Vector[n_items]);
    std::unique_ptr<double[]> corner_angles(new (std::nothrow) double[n_corners]);
    if (polygon_normals == nullptr || corner_angles == nullptr) {
        print_error("compute_polygon_normals: no memory for %d polygons.\n", n_items);
        return ERROR;
    }
    const auto find = [&](int first, int last) {
        find_normals_and_angles(polygons, first, last, polygon_normals.get(),
                                corner_angles.get());
    };
    const auto sum = [&](int first_point, int last_point, progress_struct *shown) {
        sum_normals(polygons, first_point, last_point, polygon_normals.get(),
                    corner_angles.get(), shown);
    };
    const bool large = n_items >= PARALLEL_POLYGONS && std::thread::hardware_concurrency() > 1;
    const int half = n_items / 2, half_points = n_points / 2;
    if (!large || !run_on_two_threads([&] { find(0, half); }, [&] { find(half, n_items); }))
        find(0, n_items);

    progress_struct progress;
    initialize_progress_report(&progress, false, n_items, "Computing Normals");
    if (!large || !run_on_two_threads([&] { sum(0, half_points, &progress); },
                                      [&] { sum(half_points, n_points, nullptr); }))
        sum(0, n_points, &progress);
    terminate_progress_report(&progress);
    return OK;
}
