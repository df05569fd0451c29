// Model objects naming other files. The input is written as input.obj into
// a private directory that also holds a few fixed files it may name: a
// surface, a model of that surface, a model naming the input back, one
// naming itself, one in a subdirectory, and the subdirectory itself.
#include "fuzz_check.h"
#include "object_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct fixed_file {
    const char *name;
    const char *text;
};

const fixed_file fixed_files[] = {
    {"a.obj", "P 0.3 0.3 0.4 10 1\n3\n0 0 0\n1 0 0\n0 1 0\n\n0 0 1\n0 0 1\n0 0 1\n\n"
              "1\n0 1 1 1 1\n\n3\n\n0 1 2\n"},
    {"b.obj", "F \"a.obj\"\nM 0 1 1 0 0 1 0 0 0 1 2 \"marker\"\n"},
    {"back.obj", "F \"input.obj\"\n"},
    {"loop.obj", "F \"loop.obj\"\n"},
    {"sub/c.obj", "L 1 2\n0 0 0\n1 1 1\n1\n0 1 1 1 1\n2\n0 1\nF \"../a.obj\"\n"},
};

class model_directory {
public:
    model_directory()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gyrolux-models-XXXXXX";
        fuzz_require(::mkdtemp(pattern.data()) != nullptr, "a scratch directory");
        directory_ = pattern;
        fuzz_require(::mkdir((directory_ + "/sub").c_str(), 0700) == 0, "a subdirectory");
        for (const fixed_file &f : fixed_files)
            write(directory_ + "/" + f.name, f.text, std::string(f.text).size());
        input_ = directory_ + "/input.obj";
    }

    ~model_directory()
    {
        for (const fixed_file &f : fixed_files)
            ::unlink((directory_ + "/" + f.name).c_str());
        ::unlink(input_.c_str());
        ::rmdir((directory_ + "/sub").c_str());
        ::rmdir(directory_.c_str());
    }

    const char *input(const std::uint8_t *data, std::size_t size)
    {
        write(input_, data, size);
        return input_.c_str();
    }

private:
    static void write(const std::string &path, const void *data, std::size_t size)
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        fuzz_require(f != nullptr, "a scratch file opens");
        fuzz_require(std::fwrite(data, 1, size, f) == size, "a scratch file is written");
        fuzz_require(std::fclose(f) == 0, "a scratch file closes");
    }

    std::string directory_, input_;
};

model_directory directory;

// Counts objects down through the models, so that every list is walked.
long count_objects(int n, object_struct **objects)
{
    long count = n;
    for (int i = 0; i < n; ++i)
        if (get_object_type(objects[i]) == MODEL) {
            const model_struct *m = get_model_ptr(objects[i]);
            fuzz_require(m->n_objects >= 0, "model object counts are not negative");
            count += count_objects(m->n_objects, m->objects);
        }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    int n_objects = 0;
    object_struct **objects = nullptr;
    File_formats form = ASCII_FORMAT;
    input_graphics_file(directory.input(data, size), &form, &n_objects, &objects);
    volatile long sink = count_objects(n_objects, objects);
    (void)sink;
    delete_object_list(n_objects, objects);
    return 0;
}
