// objinfo FILE: one line per object of a surface file: index, kind, form,
// and for polygons, lines and quadmesh the point count, item count and
// colour flag; "compressed" ends the line of polygons stored compressed.
// A FreeSurfer or GIFTI surface is one polygons object whose form is
// "freesurfer" or "gifti", followed by a line on the centre offset or
// coordinate transform the file holds, which the points do not include;
// a GIFTI surface's anatomical structure, geometric type and coordinate
// spaces each have a line when the file gives them.
#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "object_io.h"
#include "file_kind.h"
#include "parcel_files.h"
#include "surface_files.h"
#include "tool_input.h"
#include "quillon.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char *kind_name(int kind)
{
    static const char *const names[N_OBJECT_TYPES] = {
        "lines", "marker", "model", "pixels", "polygons", "quadmesh", "text"};
    return kind >= 0 && kind < N_OBJECT_TYPES ? names[kind] : "unknown";
}

void describe(int index, object_struct *object, const object_details &details)
{
    std::printf("%d %s %s", index, kind_name(get_object_type(object)),
                details.form == ASCII_FORMAT ? "ascii" : "binary");
    switch (get_object_type(object)) {
    case POLYGONS: {
        const polygons_struct *p = get_polygons_ptr(object);
        std::printf(" %d %d %d", p->n_points, p->n_items, p->colour_flag);
        if (details.compressed)
            std::printf(" compressed");
        break;
    }
    case LINES: {
        const lines_struct *l = get_lines_ptr(object);
        std::printf(" %d %d %d", l->n_points, l->n_items, l->colour_flag);
        break;
    }
    case QUADMESH: {
        const quadmesh_struct *q = get_quadmesh_ptr(object);
        std::printf(" %d %d %d", q->m * q->n,
                    q->m > 0 && q->n > 0 ? (q->m - 1) * (q->n - 1) : 0, q->colour_flag);
        break;
    }
    default:
        break;
    }
    std::printf("\n");
}

void describe_polygons_line(const char *form, object_struct *object)
{
    const polygons_struct *p = get_polygons_ptr(object);
    std::printf("0 polygons %s %d %d %d\n", form, p->n_points, p->n_items, p->colour_flag);
}

// What a GIFTI surface says of its points, one line each when given.
void describe_gifti_info(const gifti_surface_info &info)
{
    if (info.structure[0] != '\0' || info.structure_secondary[0] != '\0') {
        std::printf("anatomical structure %s", info.structure[0] ? info.structure : "(none)");
        if (info.structure_secondary[0] != '\0')
            std::printf(", secondary %s", info.structure_secondary);
        std::printf("\n");
    }
    if (info.geometric_type[0] != '\0')
        std::printf("geometric type %s\n", info.geometric_type);
    const auto known = [](const char *space) {
        return space[0] != '\0' && std::strcmp(space, "NIFTI_XFORM_UNKNOWN") != 0;
    };
    if (known(info.data_space) || known(info.transformed_space))
        std::printf("coordinate system %s to %s\n",
                    info.data_space[0] ? info.data_space : "(none)",
                    info.transformed_space[0] ? info.transformed_space : "(none)");
}

// Says why a file read as a surface was refused, when its kind tells.
void report_failure(const char *path)
{
    const std::string why = file_kind_mismatch(path, SURFACE_FILE_KIND);
    std::fprintf(stderr, "objinfo: reading \"%s\" failed%s%s.\n", path, why.empty() ? "" : ": ",
                 why.c_str());
}

// FreeSurfer and GIFTI surfaces; -1 when the file is neither.
int describe_other_format(const char *path)
{
    if (file_kind_of(path).kind == PARCELLATION_FILE_KIND) {
        const Parcellation_formats parcels = parcellation_format(path);
        std::fprintf(stderr, "objinfo: \"%s\" holds %s (regions of a surface's vertices), "
                     "not a surface; vsinfo describes it.\n", path,
                     parcels == GIFTI_LABELS ? "GIFTI labels" : parcellation_format_name(parcels));
        return 1;
    }
    object_struct *object = nullptr;
    Status status;
    switch (surface_file_format(path)) {
    case FREESURFER_SURFACE_FILE: {
        freesurfer_surface_info info;
        status = input_freesurfer_surface(path, &object, &info);
        if (status != OK)
            break;
        describe_polygons_line("freesurfer", object);
        if (info.has_centre)
            std::printf("centre offset (cras) %g %g %g, not applied to the points\n",
                        info.centre[0], info.centre[1], info.centre[2]);
        break;
    }
    case GIFTI_SURFACE_FILE: {
        gifti_surface_info info;
        status = input_gifti_surface(path, &object, &info);
        if (status != OK)
            break;
        describe_polygons_line("gifti", object);
        describe_gifti_info(info);
        if (info.has_transform) {
            std::printf("coordinate transform, not applied to the points:");
            for (const auto &row : info.transform)
                std::printf(" %g %g %g %g", row[0], row[1], row[2], row[3]);
            std::printf("\n");
        }
        break;
    }
    default:
        return -1;
    }
    if (object != nullptr)
        delete_object(object);
    std::fflush(stdout);
    if (status != OK)
        report_failure(path);
    return status == OK ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const int answered = answer_tool_options(
        argc, argv, "objinfo",
        "usage: objinfo FILE    (- reads standard input)\n"
        "Lists the objects of a surface file (.obj, FreeSurfer, GIFTI, GIFTI\n"
        "compressed as .gii.gz), one line each: index, kind, form, and for\n"
        "polygons, lines and quadmesh the point count, item count and colour\n"
        "flag. A GIFTI surface's anatomical structure, geometric type and\n"
        "coordinate spaces follow on lines of their own.\n"
        "\n"
        "  --help     this text\n"
        "  --version  the version\n"
        "\n"
        "Exit status: 0 read, 1 the file cannot be read, 2 usage error.\n");
    if (answered >= 0)
        return answered;
    if (argc != 2) {
        std::fprintf(stderr, "usage: objinfo FILE\n");
        return 2;
    }
    if (!tool_input_exists("objinfo", argv[1]))
        return 1;
    const std::string input = tool_input_path("objinfo", argv[1]);
    if (input.empty())
        return 1;
    argv[1] = const_cast<char *>(input.c_str());
    int other = describe_other_format(argv[1]);
    if (other >= 0)
        return other;
    int n_objects = 0;
    object_struct **objects = nullptr;
    object_details *details = nullptr;
    Status status = input_graphics_file_with_details(argv[1], &n_objects, &objects, &details);
    for (int i = 0; i < n_objects; ++i)
        describe(i, objects[i], details[i]);
    std::fflush(stdout);
    if (status != OK)
        report_failure(argv[1]);
    delete_object_list(n_objects, objects);
    if (n_objects > 0)
        free_array(details, "objinfo", __LINE__);
    return status == OK ? 0 : 1;
}
