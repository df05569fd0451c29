// Peak heap of reading each file under the given directories with the
// reader its suffix names (".tag": tag files; ".vertstats", ".txt":
// statistics files; anything else: surface files), each read in a child
// process of its own. Prints one line per file and, last, the files whose
// peak exceeds LIMIT = 64 bytes per byte of file plus 64 KiB (compressed
// spheres, which build about 50 bytes a point from a few bytes, are
// expected there).
//
//   GYROLUX_KEEP_TEST_FILES=/tmp/kept ctest -R '...'   # keep the tests' inputs
//   bench/bad_input_memory /tmp/kept
//
// The heap is counted by wrapping malloc and its kin, so run it from a
// normal build, not under the sanitizers.
#include "object_io.h"
#include "tag_file.h"
#include "zelVertstatsFile.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void __libc_free(void *);
}

namespace {

std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void *counted(void *p)
{
    if (p != nullptr) {
        const long long now = live += static_cast<long long>(malloc_usable_size(p));
        long long seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return p;
}

void uncount(void *p)
{
    if (p != nullptr)
        live -= static_cast<long long>(malloc_usable_size(p));
}

} // namespace

extern "C" {
void *malloc(size_t n) { return counted(__libc_malloc(n)); }
void *calloc(size_t n, size_t size) { return counted(__libc_calloc(n, size)); }
void free(void *p)
{
    uncount(p);
    __libc_free(p);
}
void *realloc(void *p, size_t n)
{
    uncount(p);
    void *q = __libc_realloc(p, n);
    // a failed realloc leaves the old block in place
    return counted(q != nullptr || n == 0 ? q : p);
}
void *memalign(size_t align, size_t n) { return counted(__libc_memalign(align, n)); }
void *aligned_alloc(size_t align, size_t n) { return counted(__libc_memalign(align, n)); }
int posix_memalign(void **out, size_t align, size_t n)
{
    void *p = counted(__libc_memalign(align, n));
    if (p == nullptr)
        return ENOMEM;
    *out = p;
    return 0;
}
}

namespace {

// Reads one file and gives the peak heap above what was live before.
long long read_peak(const std::string &path)
{
    const long long before = live.load();
    peak = before;
    const std::string suffix = std::filesystem::path(path).extension().string();
    if (suffix == ".tag") {
        int n_volumes = 0, n_points = 0;
        double **positions = nullptr, **positions2 = nullptr, *weights = nullptr;
        int *structure_ids = nullptr, *patient_ids = nullptr;
        STRING *labels = nullptr;
        if (input_tag_file(path.c_str(), &n_volumes, &n_points, &positions, &positions2, &weights,
                           &structure_ids, &patient_ids, &labels) == OK)
            free_tag_points(n_volumes, n_points, positions, positions2, weights, structure_ids,
                            patient_ids, labels);
    } else if (suffix == ".vertstats" || suffix == ".txt") {
        try {
            zelVertstatsFile file(path.c_str(), true);
        } catch (...) {
        }
    } else {
        File_formats form = ASCII_FORMAT;
        int n = 0;
        object_struct **objects = nullptr;
        input_graphics_file(path.c_str(), &form, &n, &objects);
        if (n > 0)
            delete_object_list(n, objects);
    }
    return peak.load() - before;
}

struct result {
    std::string path;
    long long size;
    long long peak;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        for (const auto &entry : std::filesystem::recursive_directory_iterator(argv[i]))
            if (entry.is_regular_file())
                files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());

    std::vector<result> results;
    for (const std::string &path : files) {
        int channel[2];
        if (::pipe(channel) != 0)
            return 1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            // the readers' messages are not what is measured
            std::freopen("/dev/null", "w", stderr);
            std::freopen("/dev/null", "w", stdout);
            const long long bytes = read_peak(path);
            if (::write(channel[1], &bytes, sizeof bytes) != sizeof bytes)
                _exit(1);
            _exit(0);
        }
        ::close(channel[1]);
        long long bytes = -1;
        if (::read(channel[0], &bytes, sizeof bytes) != sizeof bytes)
            bytes = -1; // the reader ended the process before reporting
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        results.push_back({path, static_cast<long long>(std::filesystem::file_size(path)), bytes});
    }

    long long worst = 0;
    std::vector<const result *> over;
    for (const result &r : results) {
        std::printf("%10lld bytes file %12lld bytes peak  %s\n", r.size, r.peak, r.path.c_str());
        worst = std::max(worst, r.peak);
        if (r.peak > 64 * r.size + 65536)
            over.push_back(&r);
    }
    std::printf("%zu files, largest peak %lld bytes; over 64 x size + 64 KiB: %zu\n", results.size(),
                worst, over.size());
    for (const result *r : over)
        std::printf("  %s: %lld bytes for %lld\n", r->path.c_str(), r->peak, r->size);
    return 0;
}
