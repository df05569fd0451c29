// objconv [--ascii|--binary] [--compress|--no-compress] IN OUT: rewrites
// every object of a surface file in one form (by default the form of the
// last object read). --compress stores sphere polygons in the compressed
// form, --no-compress never does (even with USE_COMPRESSED_POLYGONS set).
// IN may also be a FreeSurfer or GIFTI surface (known by its content); an
// OUT ending in ".gii" is written as a GIFTI surface, which takes one
// polygons object of triangles (and keeps a GIFTI input's anatomical
// structure and coordinate system).
#include "file_kind.h"
#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "object_io.h"
#include "surface_files.h"
#include "tool_input.h"
#include "quillon.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool ends_with(const char *text, const char *suffix)
{
    std::size_t n = std::strlen(text), k = std::strlen(suffix);
    return n >= k && std::strcmp(text + n - k, suffix) == 0;
}

// Reads IN in whichever format it is; form is the .obj form, binary for the
// other formats. A GIFTI surface's info goes to gifti_info.
Status read_input(const char *path, File_formats *form, int *n_objects,
                  object_struct ***objects, gifti_surface_info *gifti_info)
{
    object_struct *surface = nullptr;
    Status status;
    switch (surface_file_format(path)) {
    case FREESURFER_SURFACE_FILE:
        status = input_freesurfer_surface(path, &surface, nullptr);
        break;
    case GIFTI_SURFACE_FILE:
        status = input_gifti_surface(path, &surface, gifti_info);
        break;
    default:
        return input_graphics_file(path, form, n_objects, objects);
    }
    *form = BINARY_FORMAT;
    if (status == OK && add_object_to_list(n_objects, objects, surface) == nullptr) {
        delete_object(surface);
        status = ERROR;
    }
    return status;
}

Status write_gifti(const char *path, int n_objects, object_struct **objects,
                   const gifti_surface_info *info)
{
    if (n_objects != 1 || get_object_type(objects[0]) != POLYGONS) {
        std::fprintf(stderr, "objconv: a GIFTI surface holds one polygons object; the "
                             "input has %d objects%s.\n", n_objects,
                     n_objects == 1 ? " of another kind" : "");
        return ERROR;
    }
    return output_gifti_surface(path, get_polygons_ptr(objects[0]), info);
}

} // namespace

int main(int argc, char **argv)
{
    static const char *const options[] = {"--ascii", "--binary", "--compress", "--no-compress",
                                          nullptr};
    const int answered = answer_tool_options(
        argc, argv, "objconv",
        "usage: objconv [--ascii|--binary] [--compress|--no-compress] IN OUT\n"
        "(- for IN reads standard input, for OUT writes .obj to standard output)\n"
        "Rewrites every object of a surface file (.obj, or a FreeSurfer or GIFTI\n"
        "surface) as an .obj file, or as a GIFTI surface when OUT ends in .gii.\n"
        "\n"
        "  --ascii        write ASCII objects\n"
        "  --binary       write binary objects (default: the form read)\n"
        "  --compress     store sphere polygons in the compressed form\n"
        "  --no-compress  never store them compressed\n"
        "  --help         this text\n"
        "  --version      the version\n"
        "\n"
        "Exit status: 0 written, 1 cannot read or write, 2 usage error.\n",
        options);
    if (answered >= 0)
        return answered;
    int form_choice = -1;
    const char *paths[2] = {nullptr, nullptr};
    int n_paths = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ascii") == 0) {
            form_choice = ASCII_FORMAT;
        } else if (std::strcmp(argv[i], "--binary") == 0) {
            form_choice = BINARY_FORMAT;
        } else if (std::strcmp(argv[i], "--compress") == 0) {
            set_use_compressed_polygons_flag(true);
        } else if (std::strcmp(argv[i], "--no-compress") == 0) {
            set_use_compressed_polygons_flag(false);
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "objconv: unknown option %s\n", argv[i]);
            n_paths = -1;
            break;
        } else if (n_paths < 2) {
            paths[n_paths++] = argv[i];
        } else {
            n_paths = -1;
            break;
        }
    }
    if (n_paths != 2) {
        std::fprintf(stderr, "usage: objconv [--ascii|--binary] [--compress|--no-compress] IN OUT\n");
        return 2;
    }
    if (!tool_input_exists("objconv", paths[0]))
        return 1;
    // "-": standard input, and standard output as an .obj file.
    const char *out_name = paths[1];
    const std::string input = tool_input_path("objconv", paths[0]);
    const std::string output = tool_output_path("objconv", paths[1], ".obj");
    if (input.empty() || output.empty())
        return 1;
    paths[0] = input.c_str();
    paths[1] = output.c_str();

    File_formats form = ASCII_FORMAT;
    int n_objects = 0;
    object_struct **objects = nullptr;
    // A GIFTI input's structure and coordinate system go on to a GIFTI output.
    gifti_surface_info gifti_info{};
    if (read_input(paths[0], &form, &n_objects, &objects, &gifti_info) != OK) {
        const std::string why = file_kind_mismatch(paths[0], SURFACE_FILE_KIND);
        std::fprintf(stderr, "objconv: cannot read \"%s\"%s%s; nothing written.\n", paths[0],
                     why.empty() ? "" : ": ", why.c_str());
        delete_object_list(n_objects, objects);
        return 1;
    }
    if (form_choice >= 0)
        form = File_formats(form_choice);
    Status status = ends_with(paths[1], ".gii")
                        ? write_gifti(paths[1], n_objects, objects, &gifti_info)
                        : output_graphics_file(paths[1], form, n_objects, objects);
    delete_object_list(n_objects, objects);
    if (status != OK) {
        std::fprintf(stderr, "objconv: cannot write \"%s\".\n", out_name);
        return 1;
    }
    return tool_copy_to_stdout("objconv", out_name, output) ? 0 : 1;
}
