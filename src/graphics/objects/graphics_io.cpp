// Reading and writing whole surface files, one object at a time.
#include "object_io.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

// Files being read right now, outermost first, by device and inode: a
// model naming a file already on this stack would recurse forever.
std::vector<std::pair<std::uint64_t, std::uint64_t>> files_being_read;
// Beyond this depth of nested models a file is refused even when it is not
// a repeat (a chain of distinct files cannot be told from a mistake, and
// every level holds a file open).
constexpr std::size_t max_model_depth = 64;
// Model files one read may open in all. The depth and cycle guards cannot
// see a file named many times: models that each name the next file twice
// would open 2^depth files. A surface file names a few model files at most
// (most name none), so a hundred is far beyond any real file, while a
// hostile one costs no more than a hundred opens, each with its 1 MB read
// buffer (some 2 ms apiece on a slow machine).
constexpr std::size_t max_model_files = 100;
std::size_t model_files_opened = 0;

// A model must name a regular file: a FIFO would block the open, and a
// pipe or device has no size against which counts can be checked, so its
// data could grow memory for as long as it flows. Looked at before opening,
// under the name the open will choose.
Status check_model_file(const char *filename)
{
    struct stat st;
    std::string name = filename;
    if (::stat(name.c_str(), &st) != 0) {
        name += ".obj";
        if (::stat(name.c_str(), &st) != 0)
            return OK; // the open reports the missing file
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) { // the open refuses directories
        print_error("Error reading model file \"%s\": not a regular file.\n",
                    name.c_str());
        return ERROR;
    }
    return OK;
}

Status read_open_file(File file, const char *filename, File_formats *form,
                      int *n_objects, object_struct ***object_list,
                      object_details **details);

Status read_objects(const char *filename, File_formats *form, int *n_objects,
                    object_struct ***object_list, object_details **details)
{
    *n_objects = 0;
    if (files_being_read.empty()) {
        model_files_opened = 0;
    } else {
        if (model_files_opened >= max_model_files) {
            print_error("Error reading model file \"%s\": one read may open at most "
                        "%zu model files.\n", filename, max_model_files);
            return ERROR;
        }
        if (check_model_file(filename) != OK)
            return ERROR;
        ++model_files_opened;
    }
    File file;
    if (open_file_with_default_suffix(filename, "obj", READ_FILE, BINARY_FORMAT,
                                      &file) != OK)
        return ERROR;
    return read_open_file(file, filename, form, n_objects, object_list, details);
}

// Reads every object of an open file and closes it. filename gives the
// directory against which models are resolved.
Status read_open_file(File file, const char *filename, File_formats *form,
                      int *n_objects, object_struct ***object_list,
                      object_details **details)
{
    *n_objects = 0;
    std::pair<std::uint64_t, std::uint64_t> identity{};
    file_identity(file, &identity.first, &identity.second);
    for (const auto &open : files_being_read) {
        if (open == identity) {
            print_error("Error reading \"%s\": a model includes this file while it "
                        "is being read; refusing the endless recursion.\n",
                        file_name(file));
            close_file(file);
            return ERROR;
        }
    }
    if (files_being_read.size() >= max_model_depth) {
        print_error("Error reading \"%s\": models nested more than %zu deep.\n",
                    file_name(file), max_model_depth);
        close_file(file);
        return ERROR;
    }
    files_being_read.push_back(identity);

    STRING directory = extract_directory(filename);
    Status status = OK;
    int count = 0;
    object_struct **list = nullptr;
    object_details *detail_list = nullptr;
    for (;;) {
        object_struct *object = nullptr;
        bool eof = false;
        object_details stored{ASCII_FORMAT, false};
        status = input_object_with_details(directory, file, &stored, &object, &eof);
        if (status != OK || eof)
            break;
        *form = stored.form;
        if (details != nullptr &&
            grow_array(detail_list, std::size_t(count), std::size_t(count) + 1,
                       64, "graphics_io", __LINE__) != OK) {
            delete_object(object);
            status = ERROR;
            break;
        }
        if (add_object_to_list(&count, &list, object) == nullptr) {
            delete_object(object);
            status = ERROR;
            break;
        }
        if (details != nullptr)
            detail_list[count - 1] = stored;
    }
    files_being_read.pop_back();
    delete_string(directory);
    Status close_status = close_file(file);

    *n_objects = count;
    if (count > 0)
        *object_list = list;
    if (details != nullptr) {
        if (count > 0)
            *details = detail_list;
        else
            free_array(detail_list, "graphics_io", __LINE__);
    }
    return status != OK ? status : close_status;
}

} // namespace

Status input_graphics_file(const char *filename, File_formats *form,
                           int *n_objects, object_struct ***object_list)
{
    return read_objects(filename, form, n_objects, object_list, nullptr);
}

Status input_graphics_memory(const void *data, std::size_t size, const char *name,
                             File_formats *form, int *n_objects,
                             object_struct ***object_list)
{
    *n_objects = 0;
    // Always a whole read of its own: the model count starts afresh.
    model_files_opened = 0;
    File file;
    if (open_memory_file(data, size, name, BINARY_FORMAT, &file) != OK)
        return ERROR;
    return read_open_file(file, name, form, n_objects, object_list, nullptr);
}

Status input_graphics_file_with_details(const char *filename, int *n_objects,
                                        object_struct ***object_list,
                                        object_details **details)
{
    File_formats last = ASCII_FORMAT;
    return read_objects(filename, &last, n_objects, object_list, details);
}

Status output_graphics_file(const char *filename, File_formats form,
                            int n_objects, object_struct **object_list)
{
    File file;
    if (open_file_with_default_suffix(filename, "obj", WRITE_FILE, BINARY_FORMAT,
                                      &file) != OK)
        return ERROR;
    Status status = OK;
    for (int i = 0; i < n_objects && status == OK; ++i)
        status = output_object(file, form, object_list[i]);
    Status close_status = close_file(file);
    return status != OK ? status : close_status;
}

Status input_object(const char *directory, File file, File_formats *form,
                    object_struct **object, bool *eof)
{
    object_details stored{*form, false};
    Status status = input_object_with_details(directory, file, &stored, object, eof);
    *form = stored.form;
    return status;
}

Status input_object_with_details(const char *directory, File file,
                                 object_details *details, object_struct **object,
                                 bool *eof)
{
    *object = nullptr;
    details->compressed = false;
    int kind = -1;
    File_formats *form = &details->form;
    if (input_object_type(file, &kind, form, eof) != OK)
        return ERROR;
    if (*eof)
        return OK;
    object_struct *created = create_object(kind);
    if (created == nullptr)
        return ERROR;
    Status status;
    switch (kind) {
    case LINES: status = io_lines(file, READ_FILE, *form, get_lines_ptr(created)); break;
    case MARKER: status = io_marker(file, READ_FILE, *form, get_marker_ptr(created)); break;
    case MODEL: status = io_model(file, READ_FILE, *form, get_model_ptr(created)); break;
    case PIXELS: status = io_pixels(file, READ_FILE, *form, get_pixels_ptr(created)); break;
    case POLYGONS:
        status = io_polygons_with_details(file, READ_FILE, *form, get_polygons_ptr(created),
                                          &details->compressed);
        break;
    case QUADMESH: status = io_quadmesh(file, READ_FILE, *form, get_quadmesh_ptr(created)); break;
    case TEXT: status = io_text(file, READ_FILE, *form, get_text_ptr(created)); break;
    default:
        print_error("Unrecognized object type %d\n", kind);
        status = ERROR;
        break;
    }
    if (status == OK && kind == MODEL) {
        model_struct *model = get_model_ptr(created);
        STRING name = get_absolute_filename(model->filename, directory);
        File_formats model_form;
        status = name != nullptr ? input_graphics_file(name, &model_form, &model->n_objects,
                                                       &model->objects)
                                 : ERROR;
        if (status != OK)
            print_error("Error reading \"%s\": the model file \"%s\" could not be "
                        "read.\n", file_name(file), name ? name : "");
        delete_string(name);
    }
    if (status != OK) {
        delete_object(created);
        return status;
    }
    *object = created;
    return OK;
}

Status output_object(File file, File_formats form, object_struct *object)
{
    if (object == nullptr)
        return ERROR;
    switch (object->object_type) {
    case LINES: return io_lines(file, WRITE_FILE, form, &object->specific.lines);
    case MARKER: return io_marker(file, WRITE_FILE, form, &object->specific.marker);
    case MODEL: return io_model(file, WRITE_FILE, form, &object->specific.model);
    case PIXELS: return io_pixels(file, WRITE_FILE, form, &object->specific.pixels);
    case POLYGONS: return io_polygons(file, WRITE_FILE, form, &object->specific.polygons);
    case QUADMESH: return io_quadmesh(file, WRITE_FILE, form, &object->specific.quadmesh);
    case TEXT: return io_text(file, WRITE_FILE, form, &object->specific.text);
    default: return ERROR;
    }
}
