// objconv [--ascii|--binary] [--compress|--no-compress] IN OUT: rewrites
// every object of a surface file in one form (by default the form of the
// last object read). --compress stores sphere polygons in the compressed
// form, --no-compress never does (even with USE_COMPRESSED_POLYGONS set).
#include "object_io.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
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

    File_formats form = ASCII_FORMAT;
    int n_objects = 0;
    object_struct **objects = nullptr;
    if (input_graphics_file(paths[0], &form, &n_objects, &objects) != OK) {
        std::fprintf(stderr, "objconv: cannot read \"%s\"; nothing written.\n", paths[0]);
        delete_object_list(n_objects, objects);
        return 1;
    }
    if (form_choice >= 0)
        form = File_formats(form_choice);
    Status status = output_graphics_file(paths[1], form, n_objects, objects);
    delete_object_list(n_objects, objects);
    if (status != OK) {
        std::fprintf(stderr, "objconv: cannot write \"%s\".\n", paths[1]);
        return 1;
    }
    return 0;
}
