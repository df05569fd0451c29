// The readers read the input in place, from memory. A surface may hold model
// objects naming other files, resolved against the directory of the name
// it is read under; that name lies in an empty private directory, so a
// model finds nothing but what an absolute path names (the models target
// covers models properly, with real files).
#include "fuzz_io.h"
#include "object_io.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class empty_directory {
public:
    empty_directory()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gyrolux-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        directory_ = pattern;
    }
    ~empty_directory() { ::rmdir(directory_.c_str()); }

    std::string name(const char *file) const { return directory_ + "/" + file; }

private:
    std::string directory_;
};

const empty_directory directory;
const std::string surface_name = directory.name("input.obj");

} // namespace

Status read_surface_input(const std::uint8_t *data, std::size_t size,
                          int *n_objects, object_struct ***objects)
{
    *objects = nullptr;
    File_formats form = ASCII_FORMAT;
    return input_graphics_memory(data, size, surface_name.c_str(), &form, n_objects,
                                 objects);
}

Status read_tag_input(const std::uint8_t *data, std::size_t size,
                      int *n_volumes, int *n_points, double ***positions,
                      double ***positions2, double **weights,
                      int **structure_ids, int **patient_ids, STRING **labels)
{
    return input_tag_memory(data, size, "input.tag", n_volumes, n_points, positions,
                            positions2, weights, structure_ids, patient_ids, labels);
}

void read_vertstats_input(zelVertstatsFile &file, const std::uint8_t *data,
                          std::size_t size, bool loadData)
{
    file.loadFromString(std::string_view(reinterpret_cast<const char *>(data), size),
                        loadData, "input.vertstats");
}
