// Files: opening with a default suffix, and the buffered byte level under
// the value routines.
#include "file_internal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillon_internal;

namespace {

constexpr std::size_t max_buffer = std::size_t(1) << 20;
// A write buffer starts at this and doubles up to max_buffer as the file
// grows: most files written are small, and each would pay for a megabyte.
constexpr std::size_t first_write_buffer = 4096;
// Small files still get room for a long token (and the file may grow).
constexpr std::size_t min_read_buffer = 4096;

bool exists(const std::string &name)
{
    struct stat st;
    return ::stat(name.c_str(), &st) == 0;
}

bool has_suffix(const std::string &name)
{
    std::size_t slash = name.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > base;
}

// Writes all n bytes, retrying after signals; a failure is reported once.
bool write_all(File f, const char *p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(f->fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            if (!f->failed)
                print_error("Error writing file \"%s\": %s.\n", f->name.c_str(),
                            std::strerror(errno));
            f->error = errno;
            f->failed = true;
            return false;
        }
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

bool flush_output(File f)
{
    bool ok = write_all(f, f->buffer.get(), f->end);
    f->end = 0;
    return ok;
}

// One read of at most n bytes, retrying after signals: the count read, 0 at
// the end of the file (at_eof set) or on a failure (failed set).
std::size_t read_some(File f, char *p, std::size_t n)
{
    for (;;) {
        ssize_t r = ::read(f->fd, p, n);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            f->error = errno;
            if (!f->quiet)
                print_error("Error reading file \"%s\": %s.\n", f->name.c_str(),
                            std::strerror(errno));
            f->failed = true;
            return 0;
        }
        if (r == 0)
            f->at_eof = true;
        f->consumed += std::uint64_t(r);
        return std::size_t(r);
    }
}

} // namespace

std::size_t quillon_internal::read_buffer_capacity(bool size_known, std::uint64_t size)
{
    if (!size_known || size >= max_buffer)
        return max_buffer;
    return std::max(std::size_t(size), min_read_buffer);
}

int quillon_internal::open_descriptor_file(const char *name, IO_types direction,
                                           bool report, File *file)
{
    *file = nullptr;
    if (name == nullptr || name[0] == '\0') {
        if (report)
            print_error("Error: no file name given.\n");
        return EINVAL;
    }
    int fd;
    if (direction == READ_FILE)
        fd = ::open(name, O_RDONLY | O_CLOEXEC);
    else
        fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        int error = errno;
        if (report)
            print_error("Error: could not open file \"%s\": %s.\n", name,
                        std::strerror(error));
        return error;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        if (report)
            print_error("Error: could not examine file \"%s\": %s.\n", name,
                        std::strerror(error));
        ::close(fd);
        return error;
    }
    if (S_ISDIR(st.st_mode)) {
        if (report)
            print_error("Error: \"%s\" is a directory, not a file.\n", name);
        ::close(fd);
        return EISDIR;
    }
    bool size_known = S_ISREG(st.st_mode);
    std::uint64_t size = size_known ? std::uint64_t(st.st_size) : 0;
    std::size_t capacity = direction == READ_FILE
                               ? read_buffer_capacity(size_known, size)
                               : first_write_buffer;
    auto *f = new (std::nothrow) quillon_file;
    if (f != nullptr) {
        f->buffer.reset(new (std::nothrow) char[capacity]);
        if (f->buffer == nullptr) {
            delete f;
            f = nullptr;
        }
    }
    if (f == nullptr) {
        ::close(fd);
        if (report)
            print_error("Error: out of memory opening \"%s\".\n", name);
        return ENOMEM;
    }
    f->fd = fd;
    f->name = name;
    f->direction = direction;
    f->quiet = !report;
    f->capacity = capacity;
    f->bytes = f->buffer.get();
    f->size_known = size_known;
    f->size = size;
    f->device = std::uint64_t(st.st_dev);
    f->inode = std::uint64_t(st.st_ino);
    *file = f;
    return 0;
}

Status open_file(const char *name, IO_types direction, File_formats,
                 File *file)
{
    if (file == nullptr)
        return ERROR;
    return open_descriptor_file(name, direction, true, file) == 0 ? OK : ERROR;
}

int quillon_internal::open_memory_bytes(const void *data, std::size_t size,
                                        const char *name, File *file)
{
    *file = nullptr;
    if (data == nullptr && size > 0)
        return EINVAL;
    auto *f = new (std::nothrow) quillon_file;
    if (f == nullptr)
        return ENOMEM;
    f->name = name != nullptr ? name : "";
    f->direction = READ_FILE;
    f->bytes = data != nullptr ? static_cast<const char *>(data) : "";
    f->end = size;
    // all of it is in view: nothing more to fetch
    f->at_eof = true;
    f->size_known = true;
    f->size = size;
    f->consumed = size;
    *file = f;
    return 0;
}

Status open_memory_file(const void *data, std::size_t size, const char *name,
                        File_formats, File *file)
{
    if (file == nullptr)
        return ERROR;
    if (name == nullptr)
        name = "";
    int error = open_memory_bytes(data, size, name, file);
    if (error == EINVAL)
        print_error("Error: no bytes given for \"%s\".\n", name);
    else if (error != 0)
        print_error("Error: out of memory opening \"%s\".\n", name);
    return error == 0 ? OK : ERROR;
}

Status open_file_with_default_suffix(const char *name, const char *suffix,
                                     IO_types direction, File_formats form,
                                     File *file)
{
    if (file != nullptr)
        *file = nullptr;
    if (name == nullptr)
        return open_file(name, direction, form, file);
    std::string chosen = name;
    if (suffix != nullptr && suffix[0] != '\0' && !has_suffix(chosen)) {
        std::string with = chosen + (suffix[0] == '.' ? "" : ".") + suffix;
        if (!exists(chosen) && exists(with))
            chosen = with;
    }
    return open_file(chosen.c_str(), direction, form, file);
}

Status close_file(File file)
{
    if (file == nullptr)
        return ERROR;
    bool ok = !file->failed;
    if (file->direction == WRITE_FILE && ok)
        ok = flush_output(file);
    if (file->fd >= 0 && ::close(file->fd) != 0 && file->direction == WRITE_FILE) {
        if (ok)
            print_error("Error closing file \"%s\": %s.\n", file->name.c_str(),
                        std::strerror(errno));
        ok = false;
    }
    delete file;
    return ok ? OK : ERROR;
}

const char *file_name(File file)
{
    return file == nullptr ? "" : file->name.c_str();
}

std::uint64_t file_bytes_remaining(File file)
{
    if (file == nullptr || file->direction != READ_FILE)
        return 0;
    std::uint64_t buffered = file->end - file->pos;
    if (!file->size_known)
        return file->at_eof ? buffered : UINT64_MAX;
    std::uint64_t rest = file->size > file->consumed ? file->size - file->consumed : 0;
    return buffered + rest;
}

bool file_can_hold(File file, File_formats form, std::uint64_t n_values,
                   std::size_t binary_value_size)
{
    if (n_values == 0)
        return true;
    std::uint64_t remaining = file_bytes_remaining(file);
    std::uint64_t per = form == BINARY_FORMAT ? binary_value_size : 2;
    if (per == 0)
        return true;
    std::uint64_t slack = form == BINARY_FORMAT ? 0 : 1; // last value unseparated
    return n_values <= (remaining + slack) / per;
}

bool file_identity(File file, std::uint64_t *device, std::uint64_t *inode)
{
    if (file == nullptr || file->fd < 0)
        return false;
    *device = file->device;
    *inode = file->inode;
    return true;
}

bool quillon_internal::refill(File f)
{
    if (f->at_eof || f->failed)
        return false;
    if (f->pos > 0) {
        std::memmove(f->buffer.get(), f->bytes + f->pos, f->end - f->pos);
        f->end -= f->pos;
        f->pos = 0;
    }
    if (f->end == f->capacity)
        return false;
    std::size_t n = read_some(f, f->buffer.get() + f->end, f->capacity - f->end);
    f->end += n;
    return n > 0;
}

bool quillon_internal::reserve_output(File f, std::size_t n)
{
    if (f->capacity - f->end >= n)
        return true;
    if (!flush_output(f))
        return false;
    if (f->capacity < max_buffer) {
        const std::size_t grown = std::min(max_buffer, std::max(2 * f->capacity, n));
        if (char *p = new (std::nothrow) char[grown]) {
            // (still the old one when memory is short: smaller writes then)
            f->buffer.reset(p);
            f->bytes = p;
            f->capacity = grown;
        }
    }
    return true;
}

bool quillon_internal::put_bytes(File f, const void *data, std::size_t n)
{
    // An empty array may have no storage at all; memcpy must not see its null.
    if (n == 0)
        return true;
    const char *p = static_cast<const char *>(data);
    if (n >= f->capacity) {
        return flush_output(f) && write_all(f, p, n);
    }
    if (!reserve_output(f, n))
        return false;
    std::memcpy(f->buffer.get() + f->end, p, n);
    f->end += n;
    return true;
}

bool quillon_internal::get_bytes(File f, void *data, std::size_t n)
{
    if (n == 0)
        return true;
    char *p = static_cast<char *>(data);
    std::size_t have = std::min(n, f->end - f->pos);
    std::memcpy(p, f->bytes + f->pos, have);
    f->pos += have;
    p += have;
    n -= have;
    if (n == 0)
        return true;
    if (n >= f->capacity / 2) {
        // large runs go straight to the caller's storage
        while (n > 0 && !f->at_eof && !f->failed) {
            std::size_t r = read_some(f, p, n);
            p += r;
            n -= r;
        }
        return n == 0;
    }
    while (n > 0) {
        if (f->pos == f->end && !refill(f))
            return false;
        have = std::min(n, f->end - f->pos);
        std::memcpy(p, f->bytes + f->pos, have);
        f->pos += have;
        p += have;
        n -= have;
    }
    return true;
}

bool quillon_internal::skip_space(File f)
{
    for (;;) {
        while (f->pos < f->end) {
            if (!is_space(f->bytes[f->pos]))
                return true;
            ++f->pos;
        }
        if (!refill(f))
            return false;
    }
}

Status input_character(File file, char *ch)
{
    if (!reading(file))
        return ERROR;
    if (file->pos == file->end && !refill(file))
        return ERROR;
    *ch = file->bytes[file->pos++];
    return OK;
}

Status output_character(File file, char ch)
{
    if (!writing(file) || !reserve_output(file, 1))
        return ERROR;
    file->buffer[file->end++] = ch;
    return OK;
}

Status input_nonwhite_character(File file, char *ch)
{
    if (!reading(file) || !skip_space(file))
        return ERROR;
    *ch = file->bytes[file->pos++];
    return OK;
}
