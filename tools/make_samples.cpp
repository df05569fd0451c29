// make_samples OUTDIR: writes the demo's sample data: a folded,
// hemisphere-shaped surface (brain.obj), statistics for every one of its
// vertices (brain.vertstats: a smooth pattern, a signed blob and noise) and
// a few landmarks on it (landmarks.tag); the same surface as a FreeSurfer
// surface (lh.brain) and the statistics as GIFTI data (brain.func.gii);
// and a FreeSurfer subject folder (subject/, see sample_subject.h).
#include "freesurfer_surface.h"
#include "geometry.h"
#include "object_io.h"
#include "polygon_normals.h"
#include "sample_subject.h"
#include "tool_input.h"
#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// Radii and centre of a left hemisphere, in millimetres, in the usual
// coordinates of brain surfaces: x from left to right, y from back to
// front, z from bottom to top. Its lateral side faces -x, its medial wall +x.
constexpr double kRx = 34.0, kRy = 80.0, kRz = 58.0;
const Point kCentre = {-36.0f, -18.0f, 14.0f};

// Pushes every point along its direction from the centre by a sum of waves,
// so the ellipsoid shows gyri and sulci.
void fold_surface(polygons_struct *polygons)
{
    for (int i = 0; i < polygons->n_points; ++i) {
        Point &p = polygons->points[i];
        double dx = (p.x - kCentre.x) / kRx, dy = (p.y - kCentre.y) / kRy,
               dz = (p.z - kCentre.z) / kRz;
        double fold = 0.045 * std::sin(9.0 * dy + 3.0 * dz) * std::cos(7.0 * dz - 2.0 * dy) +
                      0.025 * std::sin(17.0 * dy - 11.0 * dz - 5.0 * dx);
        // The medial wall is flatter than the lateral side.
        double flatten = dx > 0.0 ? 1.0 - 0.45 * dx * dx : 1.0;
        double s = (1.0 + fold);
        p.x = static_cast<float>(kCentre.x + s * flatten * dx * kRx);
        p.y = static_cast<float>(kCentre.y + s * dy * kRy);
        p.z = static_cast<float>(kCentre.z + s * dz * kRz);
    }
}

bool write_tags(const std::string &path, const polygons_struct *polygons)
{
    std::FILE *out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    std::fprintf(out, "MNI Tag Point File\nVolumes = 1;\n%% sample landmarks\n\nPoints =");
    const char *labels[] = {"frontal pole", "occipital pole", "vertex", "temporal pole"};
    // Extreme vertices along the main axes make landmarks a user can find.
    int picks[4] = {0, 0, 0, 0};
    for (int i = 1; i < polygons->n_points; ++i) {
        const Point &p = polygons->points[i];
        const Point &q3 = polygons->points[picks[3]];
        if (p.y > polygons->points[picks[0]].y) picks[0] = i;
        if (p.y < polygons->points[picks[1]].y) picks[1] = i;
        if (p.z > polygons->points[picks[2]].z) picks[2] = i;
        // Lowest point of the front half, out on the lateral side.
        if (p.z - 0.5f * p.y + 0.5f * p.x < q3.z - 0.5f * q3.y + 0.5f * q3.x) picks[3] = i;
    }
    for (int k = 0; k < 4; ++k) {
        const Point &p = polygons->points[picks[k]];
        std::fprintf(out, "\n %g %g %g 1 %d -1 \"%s\"", p.x, p.y, p.z, k + 1, labels[k]);
    }
    std::fprintf(out, ";\n");
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const int answered = answer_tool_options(
        argc, argv, "make_samples",
        "usage: make_samples OUTDIR\n"
        "Writes the demo's sample data into OUTDIR, which must exist: a folded\n"
        "sphere (brain.obj, also as FreeSurfer lh.brain), its statistics\n"
        "(brain.vertstats, brain.func.gii), landmarks (landmarks.tag) and a\n"
        "synthetic FreeSurfer subject (subject/).\n"
        "\n"
        "  --help     this text\n"
        "  --version  the version\n"
        "\n"
        "Exit status: 0 written, 1 cannot write, 2 usage error.\n");
    if (answered >= 0)
        return answered;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    object_struct *object = create_object(POLYGONS);
    polygons_struct *polygons = get_polygons_ptr(object);
    if (create_tetrahedral_sphere(&kCentre, kRx, kRy, kRz, 81920, polygons) != OK) {
        std::fprintf(stderr, "make_samples: could not build the sample sphere\n");
        return 1;
    }
    fold_surface(polygons);
    compute_polygon_normals(polygons);
    polygons->colours[0] = make_Colour(235, 205, 190);

    object_struct *list[1] = {object};
    if (output_graphics_file((dir + "/brain.obj").c_str(), BINARY_FORMAT, 1, list) != OK) {
        std::fprintf(stderr, "make_samples: could not write %s/brain.obj\n", dir.c_str());
        return 1;
    }

    const int n = polygons->n_points;
    std::vector<float> smooth(n), blob(n), noise(n);
    std::mt19937 random(20261209);
    std::normal_distribution<float> gauss(0.0f, 1.0f);
    auto bump = [](const Point &p, float x, float y, float z, float width) {
        float dx = p.x - x, dy = p.y - y, dz = p.z - z;
        return std::exp(-(dx * dx + dy * dy + dz * dz) / (2.0f * width * width));
    };
    for (int i = 0; i < n; ++i) {
        const Point &p = polygons->points[i];
        smooth[i] = static_cast<float>(std::sin(p.y / 22.0) * std::cos(p.z / 17.0));
        // Both blobs on the lateral side: one up in front, one low behind.
        blob[i] = 4.0f * bump(p, -60.0f, 25.0f, 45.0f, 14.0f) -
                  3.0f * bump(p, -60.0f, -60.0f, 20.0f, 12.0f);
        noise[i] = gauss(random);
    }

    zelVertstatsFile stats;
    stats.addToHistory(argc, argv);
    stats.putDataColumn(smooth, "smooth");
    stats.putDataColumn(blob, "blob");
    stats.putDataColumn(noise, "noise");
    if (!write_statistics_quietly(stats, dir + "/brain.vertstats", false)) {
        std::fprintf(stderr, "make_samples: could not write %s/brain.vertstats\n", dir.c_str());
        return 1;
    }
    // The other formats hold what the files above hold: the statistics as
    // read back, so that both colour the surface alike.
    if (output_freesurfer_surface((dir + "/lh.brain").c_str(), polygons) != OK) {
        std::fprintf(stderr, "make_samples: could not write %s/lh.brain\n", dir.c_str());
        return 1;
    }
    zelVertstatsFile written(dir + "/brain.vertstats", true);
    if (output_gifti_data((dir + "/brain.func.gii").c_str(), vertstats_columns(written)) != OK) {
        std::fprintf(stderr, "make_samples: could not write %s/brain.func.gii\n", dir.c_str());
        return 1;
    }
    if (!write_tags(dir + "/landmarks.tag", polygons)) {
        std::fprintf(stderr, "make_samples: could not write %s/landmarks.tag\n", dir.c_str());
        return 1;
    }
    delete_object(object);
    return write_sample_subject(dir + "/subject") ? 0 : 1;
}
