// The readers read the input in place, from memory. A surface may hold model
// objects naming other files, resolved against the directory of the name
// it is read under; that name lies in an empty private directory, so a
// model finds nothing but what an absolute path names (the models target
// covers models properly, with real files).
#include "fuzz_io.h"
#include "freesurfer_surface.h"
#include "gifti_surface.h"
#include "object_io.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
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

// The readers of other programs' formats take a name: the input is put in a
// memory file (memfd) and read back through a symbolic link to
// /proc/self/fd/N in the private directory.
class memory_input {
public:
    // The path of a file called 'name' that holds exactly data[0, size).
    const char *path(const std::uint8_t *data, std::size_t size, const char *name)
    {
        if (fd_ < 0)
            open_once();
        if (::ftruncate(fd_, 0) != 0)
            fail("ftruncate");
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(fd_, data + done, size - done, off_t(done));
            if (n <= 0)
                fail("pwrite");
            done += std::size_t(n);
        }
        std::string link = directory_ + "/" + name;
        if (links_.insert(link).second &&
            ::symlink(target_.c_str(), link.c_str()) != 0)
            fail("symlink");
        current_ = link;
        return current_.c_str();
    }

    ~memory_input()
    {
        for (const std::string &link : links_)
            ::unlink(link.c_str());
        if (!directory_.empty())
            ::rmdir(directory_.c_str());
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    [[noreturn]] static void fail(const char *what)
    {
        std::perror(what);
        std::abort();
    }

    void open_once()
    {
        fd_ = ::memfd_create("fuzz-input", MFD_CLOEXEC);
        if (fd_ < 0)
            fail("memfd_create");
        target_ = "/proc/self/fd/" + std::to_string(fd_);
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gyrolux-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            fail("mkdtemp");
        directory_ = pattern;
    }

    int fd_ = -1;
    std::string target_, directory_, current_;
    std::set<std::string> links_;
};

memory_input input;

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

Status read_freesurfer_surface_input(const std::uint8_t *data, std::size_t size,
                                     object_struct **object)
{
    freesurfer_surface_info info;
    return input_freesurfer_surface(input.path(data, size, "lh.white"), object, &info);
}

Status read_gifti_surface_input(const std::uint8_t *data, std::size_t size,
                                object_struct **object)
{
    gifti_surface_info info;
    return input_gifti_surface(input.path(data, size, "input.surf.gii"), object, &info);
}

Status read_curv_input(const std::uint8_t *data, std::size_t size, vertex_data *columns)
{
    return input_freesurfer_curv(input.path(data, size, "lh.thickness"), columns);
}

Status read_mgh_input(const std::uint8_t *data, std::size_t size, vertex_data *columns)
{
    return input_mgh_data(input.path(data, size, "input.mgz"), columns);
}

Status read_cifti_input(const std::uint8_t *data, std::size_t size, cifti_file *file)
{
    return input_cifti_file(input.path(data, size, "input.dscalar.nii"), file);
}

Status read_gifti_data_input(const std::uint8_t *data, std::size_t size,
                             vertex_data *columns)
{
    return input_gifti_data(input.path(data, size, "input.func.gii"), columns);
}

Status read_annotation_input(const std::uint8_t *data, std::size_t size, parcellation *parcels)
{
    File file;
    if (open_memory_file(data, size, "lh.aparc.annot", BINARY_FORMAT, &file) != OK)
        return ERROR;
    Status status = read_freesurfer_annotation(file, parcels);
    close_file(file);
    return status;
}

Status read_label_input(const std::uint8_t *data, std::size_t size, freesurfer_label *label)
{
    File file;
    if (open_memory_file(data, size, "lh.V1_exvivo.label", ASCII_FORMAT, &file) != OK)
        return ERROR;
    Status status = read_freesurfer_label(file, label);
    close_file(file);
    return status;
}

Status read_gifti_labels_input(const std::uint8_t *data, std::size_t size,
                               parcellation *parcels)
{
    return input_gifti_labels(input.path(data, size, "input.label.gii"), parcels);
}
