// A synthetic subject whose folds are known: each hemisphere is an ellipsoid
// pushed out along its radii by a sum of waves, so a vertex where the waves
// peak lies on a gyral crown (convex, negative curv in FreeSurfer's sign)
// and one where they dip lies in a sulcus (concave, positive curv). The curv
// file is measured from the white surface's mesh, not from the waves, so it
// says what the drawn shape says.
#include "sample_subject.h"

#include "freesurfer_surface.h"
#include "geometry.h"
#include "parcel_files.h"
#include "polygon_normals.h"
#include "vertex_data.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The left hemisphere's radii and centre in millimetres (x left to right).
constexpr double kRx = 30.0, kRy = 72.0, kRz = 52.0;
constexpr double kCx = -34.0, kCy = -18.0, kCz = 14.0;
// 10242 vertices per surface: enough folds to see, quick to draw.
constexpr int kTriangles = 20480;

struct object_deleter {
    void operator()(object_struct *object) const { delete_object(object); }
};
using object_ptr = std::unique_ptr<object_struct, object_deleter>;

// The waves, over the direction from the centre; about -1 to 1.
double folds(double dx, double dy, double dz)
{
    return 0.65 * std::sin(7.0 * dy + 2.0 * dz) * std::cos(6.0 * dz - 1.5 * dy) +
           0.35 * std::sin(13.0 * dy - 9.0 * dz - 4.0 * dx);
}

// A hemisphere's surface from the unit sphere's directions: folds of
// relative depth `depth`, the x radius times `widen`; side -1 for the
// left, +1 for the right (mirrored in x).
void shape(polygons_struct *out, const std::vector<Point> &unit, double depth, double widen,
           int side)
{
    for (int i = 0; i < out->n_points; ++i) {
        const Point &u = unit[std::size_t(i)];
        const double s = 1.0 + depth * folds(u.x, u.y, u.z);
        out->points[i] = {float(-side * (kCx + s * u.x * kRx * widen)),
                          float(kCy + s * u.y * kRy), float(kCz + s * u.z * kRz)};
    }
}

// Unique neighbours of each vertex, from the triangles.
std::vector<std::vector<int>> neighbours_of(const polygons_struct *p)
{
    std::vector<std::vector<int>> around(std::size_t(p->n_points));
    for (int t = 0; t < p->n_items; ++t)
        for (int k = 0; k < 3; ++k) {
            const int a = p->indices[3 * t + k], b = p->indices[3 * t + (k + 1) % 3];
            around[std::size_t(a)].push_back(b);
            around[std::size_t(b)].push_back(a);
        }
    for (std::vector<int> &list : around) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return around;
}

// Mean curvature from the umbrella: the neighbours' centroid lies inside a
// convex patch by about e^2 / 2R for edges of length e, so
// 2 (centroid - p) . n / mean(e^2) is -1/R on a sphere of radius R, as
// FreeSurfer's curv is negative on gyral crowns.
std::vector<float> umbrella_curvature(const polygons_struct *p)
{
    const auto around = neighbours_of(p);
    std::vector<float> curv(std::size_t(p->n_points), 0.0f);
    for (int i = 0; i < p->n_points; ++i) {
        const std::vector<int> &list = around[std::size_t(i)];
        if (list.empty())
            continue;
        const Point &c = p->points[i];
        double mx = 0, my = 0, mz = 0, e2 = 0;
        for (int j : list) {
            const Point &q = p->points[j];
            mx += q.x;
            my += q.y;
            mz += q.z;
            e2 += (q.x - c.x) * (q.x - c.x) + (q.y - c.y) * (q.y - c.y) + (q.z - c.z) * (q.z - c.z);
        }
        const double n = double(list.size());
        const Vector &normal = p->normals[i];
        const double along = (mx / n - c.x) * normal.x + (my / n - c.y) * normal.y +
                             (mz / n - c.z) * normal.z;
        curv[std::size_t(i)] = e2 > 0 ? float(2.0 * along / (e2 / n)) : 0.0f;
    }
    return curv;
}

// Mirrored points need their triangles turned to keep facing outwards.
void turn_triangles(polygons_struct *p)
{
    for (int t = 0; t < p->n_items; ++t)
        std::swap(p->indices[3 * t + 1], p->indices[3 * t + 2]);
}

bool report(bool ok, const std::string &path)
{
    if (!ok)
        std::fprintf(stderr, "make_samples: could not write %s\n", path.c_str());
    return ok;
}

// Lobe-like regions along y and z, coloured as FreeSurfer's table would.
parcellation sample_parcellation(const std::vector<Point> &unit)
{
    parcellation parcels;
    parcels.format = FREESURFER_ANNOTATION;
    const struct {
        const char *name;
        parcel_colour colour;
    } table[] = {{"frontal", {220, 180, 140, 255}},
                 {"parietal", {20, 180, 140, 255}},
                 {"occipital", {20, 30, 140, 255}},
                 {"temporal", {220, 20, 100, 255}}};
    for (int k = 0; k < 4; ++k)
        parcels.regions.push_back({k, table[k].name, table[k].colour});
    for (const Point &u : unit) {
        int region = u.y > 0.25f ? 0 : u.y > -0.45f ? 1 : 2;
        if (u.z < -0.35f && u.y > -0.6f)
            region = 3;
        // The medial wall's middle is in no region, as in aparc.
        if (u.x > 0.8f && std::abs(u.y) < 0.4f && std::abs(u.z) < 0.4f)
            region = no_region;
        parcels.vertex_regions.push_back(region);
    }
    return parcels;
}

bool write_hemisphere(const std::string &dir, const char *hemi, const std::vector<Point> &unit,
                      polygons_struct *work)
{
    const bool right = hemi[0] == 'r';
    const int side = right ? 1 : -1;
    if (right)
        turn_triangles(work);
    const std::string surf = dir + "/surf/" + hemi + ".";
    const int n = work->n_points;

    // white first: the data files are measured on it.
    shape(work, unit, 0.12, 1.0, side);
    compute_polygon_normals(work);
    const std::vector<float> curv = umbrella_curvature(work);
    std::vector<float> sulc(static_cast<std::size_t>(n)), thickness(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Point &u = unit[std::size_t(i)];
        const double f = folds(u.x, u.y, u.z);
        // Depth below the hull, in millimetres: positive in sulci.
        sulc[std::size_t(i)] = float(-f * 4.0);
        // Thinner on crowns, as cortex is.
        thickness[std::size_t(i)] = float(2.6 - 0.5 * f + 0.3 * u.y);
    }
    std::vector<Vector> normals(work->normals, work->normals + n);
    if (!report(output_freesurfer_surface((surf + "white").c_str(), work) == OK, surf + "white"))
        return false;

    // pial: the white surface moved out along its normals by the thickness.
    for (int i = 0; i < n; ++i) {
        const float t = thickness[std::size_t(i)];
        const Vector &v = normals[std::size_t(i)];
        work->points[i].x += t * v.x;
        work->points[i].y += t * v.y;
        work->points[i].z += t * v.z;
    }
    if (!report(output_freesurfer_surface((surf + "pial").c_str(), work) == OK, surf + "pial"))
        return false;

    // inflated: larger and nearly smooth, reaching past the midline as
    // FreeSurfer's does, so the two hemispheres' inflated surfaces overlap.
    shape(work, unit, 0.012, 1.6, side);
    if (!report(output_freesurfer_surface((surf + "inflated").c_str(), work) == OK,
                surf + "inflated"))
        return false;

    // sphere: radius 100 about the origin, as FreeSurfer's.
    for (int i = 0; i < n; ++i) {
        const Point &u = unit[std::size_t(i)];
        work->points[i] = {float(-side * 100.0 * u.x), 100.0f * u.y, 100.0f * u.z};
    }
    if (!report(output_freesurfer_surface((surf + "sphere").c_str(), work) == OK, surf + "sphere"))
        return false;
    if (right)
        turn_triangles(work);

    const int faces = work->n_items;
    if (!report(output_freesurfer_curv((surf + "curv").c_str(), curv, faces) == OK, surf + "curv") ||
        !report(output_freesurfer_curv((surf + "sulc").c_str(), sulc, faces) == OK, surf + "sulc") ||
        !report(output_freesurfer_curv((surf + "thickness").c_str(), thickness, faces) == OK,
                surf + "thickness"))
        return false;
    const std::string annot = dir + "/label/" + hemi + ".aparc.annot";
    return report(output_freesurfer_annotation(annot.c_str(), sample_parcellation(unit)) == OK,
                  annot);
}

} // namespace

bool write_sample_subject(const std::string &dir)
{
    for (const std::string &sub : {dir, dir + "/surf", dir + "/label"})
        if (::mkdir(sub.c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "make_samples: could not make the folder %s\n", sub.c_str());
            return false;
        }
    object_ptr object(create_object(POLYGONS));
    polygons_struct *work = get_polygons_ptr(object.get());
    const Point origin = {0.0f, 0.0f, 0.0f};
    if (create_tetrahedral_sphere(&origin, 1.0, 1.0, 1.0, kTriangles, work) != OK) {
        std::fprintf(stderr, "make_samples: could not build the subject's sphere\n");
        return false;
    }
    std::vector<Point> unit(work->points, work->points + work->n_points);
    for (Point &u : unit) {
        const float length = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
        u = {u.x / length, u.y / length, u.z / length};
    }
    return write_hemisphere(dir, "lh", unit, work) && write_hemisphere(dir, "rh", unit, work);
}
