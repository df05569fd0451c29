#include "gifti_text.h"

#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <memory>

namespace {

struct gz_closer {
    void operator()(gzFile_s *f) const { gzclose(f); }
};
using gz_ptr = std::unique_ptr<gzFile_s, gz_closer>;

bool ends_with(const char *text, const char *suffix)
{
    std::size_t n = std::strlen(text), k = std::strlen(suffix);
    return n >= k && std::strcmp(text + n - k, suffix) == 0;
}

bool regular_file_size(const char *filename, std::uint64_t *size)
{
    struct stat st;
    if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *size = std::uint64_t(st.st_size);
    return true;
}

// Appends up to 'limit' bytes; -1 on a read error, else the bytes read.
long long read_up_to(gzFile_s *f, std::string *text, std::uint64_t limit)
{
    const std::size_t chunk = 1 << 16;
    std::uint64_t total = 0;
    while (total < limit) {
        const std::size_t before = text->size();
        const std::size_t want = std::size_t(std::min<std::uint64_t>(chunk, limit - total));
        text->resize(before + want);
        int got = gzread(f, text->data() + before, unsigned(want));
        if (got < 0) {
            text->resize(before);
            return -1;
        }
        text->resize(before + std::size_t(got));
        total += std::uint64_t(got);
        if (got == 0)
            break;
    }
    return (long long)total;
}

} // namespace

bool has_gifti_suffix(const char *filename)
{
    return ends_with(filename, ".gii") || ends_with(filename, ".gii.gz");
}

bool load_gifti_text(const char *filename, std::string *text, std::uint64_t *disk_size,
                     std::string *reason)
{
    text->clear();
    if (!regular_file_size(filename, disk_size)) {
        *reason = "no such regular file";
        return false;
    }
    // zlib reads a plain file as it is
    gz_ptr f(gzopen(filename, "rb"));
    if (f == nullptr) {
        *reason = "cannot be opened";
        return false;
    }
    const std::uint64_t limit = gifti_max_inflation * (*disk_size + 64);
    text->reserve(std::size_t(std::min<std::uint64_t>(*disk_size, limit)));
    long long got = read_up_to(f.get(), text, limit + 1);
    if (got < 0) {
        text->clear();
        *reason = "a broken gzip stream";
        return false;
    }
    if (std::uint64_t(got) > limit) {
        text->clear();
        *reason = "decompresses to more than any gzip stream of its size can";
        return false;
    }
    return true;
}

std::string gifti_text_head(const char *filename, std::size_t n)
{
    std::uint64_t size = 0;
    if (!regular_file_size(filename, &size))
        return {};
    gz_ptr f(gzopen(filename, "rb"));
    std::string text;
    if (f == nullptr || read_up_to(f.get(), &text, n) < 0)
        return {};
    return text;
}
