// Files, values, memory, messages, progress reports and colours.
#include "quillon.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <new>
#include <type_traits>
#include <vector>

#include "number_grammar.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(std::endian::native == std::endian::little,
              "binary values are stored as the host's little-endian bytes");
static_assert(sizeof(int) == 4 && sizeof(float) == 4 && sizeof(double) == 8);

namespace {

constexpr std::size_t buffer_size = std::size_t(1) << 20;
// A number token is parsed in place; this much look-ahead makes a split
// token at the buffer's end rare (the split case is still handled).
constexpr std::size_t token_lookahead = 64;

inline bool is_space(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' ||
           c == '\f';
}

} // namespace

struct quillon_file {
    int fd = -1;
    std::string name;
    IO_types direction = READ_FILE;
    std::vector<char> buffer;
    std::size_t pos = 0;   // next byte to read
    std::size_t end = 0;   // bytes valid in buffer (reading), bytes pending (writing)
    bool at_eof = false;   // nothing more to fetch from the descriptor
    bool failed = false;   // a read or write error was reported
    bool size_known = false;
    std::uint64_t size = 0;      // regular files: size at opening
    std::uint64_t consumed = 0;  // bytes fetched from the descriptor so far
    std::uint64_t device = 0, inode = 0;
};

// ---------------------------------------------------------------- messages

void print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

static print_error_function error_function = nullptr;

print_error_function set_print_error_function(print_error_function function)
{
    print_error_function previous = error_function;
    error_function = function;
    return previous;
}

void print_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    if (error_function != nullptr) {
        char text[1024];
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        error_function(text);
        return;
    }
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

void handle_internal_error(const char *text)
{
    print_error("Internal error: %s\n", text);
}

// ---------------------------------------------------------------- memory

static std::size_t physical_memory()
{
    static const std::size_t bytes = [] {
        long pages = sysconf(_SC_PHYS_PAGES);
        long page = sysconf(_SC_PAGESIZE);
        if (pages <= 0 || page <= 0)
            return SIZE_MAX;
        return std::size_t(pages) * std::size_t(page);
    }();
    return bytes;
}

// Refuses products that overflow or exceed the machine's memory, so that
// an absurd count fails here instead of aborting inside the allocator.
static bool checked_bytes(std::size_t n, std::size_t element_size,
                          std::size_t *bytes, const char *src, int line)
{
    if (element_size != 0 && n > SIZE_MAX / element_size) {
        print_error("Cannot allocate %zu elements of %zu bytes: too large "
                    "(%s:%d).\n", n, element_size, src, line);
        return false;
    }
    *bytes = n * element_size;
    if (*bytes > physical_memory()) {
        print_error("Cannot allocate %zu bytes: more than this machine has "
                    "(%s:%d).\n", *bytes, src, line);
        return false;
    }
    return true;
}

void *alloc_memory_1d(std::size_t n, std::size_t element_size, const char *src,
                      int line)
{
    std::size_t bytes;
    if (!checked_bytes(n, element_size, &bytes, src, line))
        return nullptr;
    if (bytes == 0)
        return nullptr;
    void *p = std::malloc(bytes);
    if (p == nullptr)
        print_error("Cannot allocate %zu bytes (%s:%d).\n", bytes, src, line);
    return p;
}

void free_memory_1d(void **ptr, const char *, int)
{
    if (ptr == nullptr)
        return;
    std::free(*ptr);
    *ptr = nullptr;
}

Status realloc_memory(void **ptr, std::size_t n, std::size_t element_size,
                      const char *src, int line)
{
    std::size_t bytes;
    if (!checked_bytes(n, element_size, &bytes, src, line))
        return ERROR;
    if (bytes == 0) {
        std::free(*ptr);
        *ptr = nullptr;
        return OK;
    }
    void *p = std::realloc(*ptr, bytes);
    if (p == nullptr) {
        print_error("Cannot reallocate to %zu bytes (%s:%d).\n", bytes, src,
                    line);
        return ERROR; // the old block stays valid and owned by the caller
    }
    *ptr = p;
    return OK;
}

static std::size_t reserved_for(std::size_t n, std::size_t chunk)
{
    if (chunk == 0)
        chunk = 1;
    return (n + chunk - 1) / chunk * chunk;
}

Status set_array_size(void **ptr, std::size_t element_size, std::size_t old_n,
                      std::size_t new_n, std::size_t chunk, const char *src,
                      int line)
{
    if (new_n == 0) {
        free_memory_1d(ptr, src, line);
        return OK;
    }
    // the block's real size decides, so that an array allocated exactly
    // (not in chunks) is never written past its end
    if (old_n > 0 && *ptr != nullptr &&
        reserved_for(old_n, chunk) == reserved_for(new_n, chunk) &&
        element_size != 0 && new_n <= malloc_usable_size(*ptr) / element_size)
        return OK;
    std::size_t capacity = reserved_for(new_n, chunk);
    if (capacity < new_n) // rounding overflowed
        capacity = new_n;
    if (old_n == 0 || *ptr == nullptr) {
        void *p = alloc_memory_1d(capacity, element_size, src, line);
        if (p == nullptr)
            return ERROR;
        *ptr = p;
        return OK;
    }
    return realloc_memory(ptr, capacity, element_size, src, line);
}

// ---------------------------------------------------------------- strings

STRING create_string(const char *text)
{
    if (text == nullptr)
        text = "";
    std::size_t n = std::strlen(text) + 1;
    char *s = static_cast<char *>(alloc_memory_1d(n, 1, "quillon", __LINE__));
    if (s != nullptr)
        std::memcpy(s, text, n);
    return s;
}

void delete_string(STRING string)
{
    void *p = string;
    free_memory_1d(&p, "quillon", __LINE__);
}

STRING extract_directory(const char *name)
{
    if (name == nullptr)
        return create_string("");
    const char *slash = std::strrchr(name, '/');
    if (slash == nullptr)
        return create_string("");
    if (slash == name)
        return create_string("/");
    return create_string(std::string(name, slash).c_str());
}

STRING get_absolute_filename(const char *name, const char *directory)
{
    if (name == nullptr)
        name = "";
    if (name[0] == '/' || directory == nullptr || directory[0] == '\0')
        return create_string(name);
    std::string full = directory;
    if (full.back() != '/')
        full += '/';
    full += name;
    return create_string(full.c_str());
}

// ---------------------------------------------------------------- files

static bool exists(const std::string &name)
{
    struct stat st;
    return ::stat(name.c_str(), &st) == 0;
}

static bool has_suffix(const std::string &name)
{
    std::size_t slash = name.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > base;
}

Status open_file(const char *name, IO_types direction, File_formats,
                 File *file)
{
    if (file == nullptr)
        return ERROR;
    *file = nullptr;
    if (name == nullptr || name[0] == '\0') {
        print_error("Error: no file name given.\n");
        return ERROR;
    }
    int fd;
    if (direction == READ_FILE)
        fd = ::open(name, O_RDONLY | O_CLOEXEC);
    else
        fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        print_error("Error: could not open file \"%s\": %s.\n", name,
                    std::strerror(errno));
        return ERROR;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        print_error("Error: could not examine file \"%s\": %s.\n", name,
                    std::strerror(errno));
        ::close(fd);
        return ERROR;
    }
    if (S_ISDIR(st.st_mode)) {
        print_error("Error: \"%s\" is a directory, not a file.\n", name);
        ::close(fd);
        return ERROR;
    }
    auto *f = new (std::nothrow) quillon_file;
    if (f == nullptr) {
        ::close(fd);
        print_error("Error: out of memory opening \"%s\".\n", name);
        return ERROR;
    }
    f->fd = fd;
    f->name = name;
    f->direction = direction;
    f->size_known = S_ISREG(st.st_mode);
    f->size = f->size_known ? std::uint64_t(st.st_size) : 0;
    f->device = std::uint64_t(st.st_dev);
    f->inode = std::uint64_t(st.st_ino);
    f->buffer.resize(buffer_size);
    *file = f;
    return OK;
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

// Writes all n bytes, retrying after signals; a failure is reported once.
static bool write_all(File f, const char *p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(f->fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            if (!f->failed)
                print_error("Error writing file \"%s\": %s.\n", f->name.c_str(),
                            std::strerror(errno));
            f->failed = true;
            return false;
        }
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

static bool flush_output(File f)
{
    bool ok = write_all(f, f->buffer.data(), f->end);
    f->end = 0;
    return ok;
}

Status close_file(File file)
{
    if (file == nullptr)
        return ERROR;
    bool ok = !file->failed;
    if (file->direction == WRITE_FILE && ok)
        ok = flush_output(file);
    if (::close(file->fd) != 0 && file->direction == WRITE_FILE) {
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
    if (file == nullptr)
        return false;
    *device = file->device;
    *inode = file->inode;
    return true;
}

// Moves the unread bytes to the front and reads more; false when nothing
// more could be added.
// One read of at most n bytes, retrying after signals: the count read, 0 at
// the end of the file (at_eof set) or on a failure (reported, failed set).
static std::size_t read_some(File f, char *p, std::size_t n)
{
    for (;;) {
        ssize_t r = ::read(f->fd, p, n);
        if (r < 0) {
            if (errno == EINTR)
                continue;
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

static bool refill(File f)
{
    if (f->at_eof || f->failed)
        return false;
    if (f->pos > 0) {
        std::memmove(f->buffer.data(), f->buffer.data() + f->pos, f->end - f->pos);
        f->end -= f->pos;
        f->pos = 0;
    }
    if (f->end == f->buffer.size())
        return false;
    std::size_t n = read_some(f, f->buffer.data() + f->end, f->buffer.size() - f->end);
    f->end += n;
    return n > 0;
}

static bool reading(File f)
{
    return f != nullptr && f->direction == READ_FILE && !f->failed;
}

static bool writing(File f)
{
    return f != nullptr && f->direction == WRITE_FILE && !f->failed;
}

// Room for at least n bytes at the buffer's end (n <= buffer size).
static bool reserve_output(File f, std::size_t n)
{
    if (f->buffer.size() - f->end >= n)
        return true;
    return flush_output(f);
}

static bool put_bytes(File f, const void *data, std::size_t n)
{
    const char *p = static_cast<const char *>(data);
    if (n >= f->buffer.size()) {
        return flush_output(f) && write_all(f, p, n);
    }
    if (!reserve_output(f, n))
        return false;
    std::memcpy(f->buffer.data() + f->end, p, n);
    f->end += n;
    return true;
}

static bool get_bytes(File f, void *data, std::size_t n)
{
    char *p = static_cast<char *>(data);
    std::size_t have = std::min(n, f->end - f->pos);
    std::memcpy(p, f->buffer.data() + f->pos, have);
    f->pos += have;
    p += have;
    n -= have;
    if (n == 0)
        return true;
    if (n >= f->buffer.size() / 2) {
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
        std::memcpy(p, f->buffer.data() + f->pos, have);
        f->pos += have;
        p += have;
        n -= have;
    }
    return true;
}

Status input_character(File file, char *ch)
{
    if (!reading(file))
        return ERROR;
    if (file->pos == file->end && !refill(file))
        return ERROR;
    *ch = file->buffer[file->pos++];
    return OK;
}

Status output_character(File file, char ch)
{
    if (!writing(file) || !reserve_output(file, 1))
        return ERROR;
    file->buffer[file->end++] = ch;
    return OK;
}

// Skips white space; false at the end of the file.
static bool skip_space(File f)
{
    for (;;) {
        while (f->pos < f->end) {
            if (!is_space(f->buffer[f->pos]))
                return true;
            ++f->pos;
        }
        if (!refill(f))
            return false;
    }
}

Status input_nonwhite_character(File file, char *ch)
{
    if (!reading(file) || !skip_space(file))
        return ERROR;
    *ch = file->buffer[file->pos++];
    return OK;
}

// ---------------------------------------------------------------- values

namespace {

const char *describe_next(File f, char *out, std::size_t size)
{
    if (f->pos >= f->end)
        return "the end of the file";
    unsigned char c = static_cast<unsigned char>(f->buffer[f->pos]);
    if (c >= 0x21 && c < 0x7f)
        std::snprintf(out, size, "'%c'", c);
    else
        std::snprintf(out, size, "byte 0x%02x", c);
    return out;
}

void report_bad_value(File f, const char *what)
{
    if (f->failed)
        return;
    char tmp[32];
    std::uint64_t offset = f->consumed - (f->end - f->pos);
    print_error("Error reading \"%s\": expected %s at byte %llu, found %s.\n",
                f->name.c_str(), what, static_cast<unsigned long long>(offset),
                describe_next(f, tmp, sizeof tmp));
}

// Parses one ASCII number after white space. The number ends where the
// grammar stops (as scanf would), so a value may touch the next object's
// letter; an integer may not run on into a fraction or exponent.
template <typename T>
bool parse_number(File f, T *value, const char *what)
{
    if (!skip_space(f)) {
        report_bad_value(f, what);
        return false;
    }
    if (f->end - f->pos < token_lookahead)
        refill(f);
    for (;;) {
        const char *first = f->buffer.data() + f->pos;
        const char *last = f->buffer.data() + f->end;
        numparse::result r = numparse::parse(first, last, *value);
        // A number reaching (nearly) the buffer's end may go on past it, or
        // its exponent may: fetch more and parse again.
        if (r.ok() && last - r.ptr <= 2 && !f->at_eof && !f->failed &&
            (f->pos > 0 || f->end < f->buffer.size())) {
            if (refill(f))
                continue;
        }
        if (!r.ok()) {
            report_bad_value(f, what);
            return false;
        }
        if constexpr (!std::is_floating_point_v<T>) {
            if (r.ptr < last && (*r.ptr == '.' || *r.ptr == 'e' || *r.ptr == 'E')) {
                report_bad_value(f, what);
                return false;
            }
        }
        f->pos += std::size_t(r.ptr - first);
        return true;
    }
}

template <typename T>
bool format_number(File f, T value)
{
    constexpr std::size_t room = 40;
    if (!reserve_output(f, room))
        return false;
    char *out = f->buffer.data() + f->end;
    *out++ = ' ';
    std::to_chars_result r = std::to_chars(out, f->buffer.data() + f->end + room, value);
    f->end = std::size_t(r.ptr - f->buffer.data());
    return true;
}

template <typename T>
Status io_single(File file, IO_types direction, File_formats form, T *value,
                 const char *what)
{
    if (direction == READ_FILE) {
        if (!reading(file))
            return ERROR;
        if (form == ASCII_FORMAT)
            return parse_number(file, value, what) ? OK : ERROR;
        if (!get_bytes(file, value, sizeof(T))) {
            report_bad_value(file, what);
            return ERROR;
        }
        return OK;
    }
    if (!writing(file))
        return ERROR;
    if (form == ASCII_FORMAT)
        return format_number(file, *value) ? OK : ERROR;
    return put_bytes(file, value, sizeof(T)) ? OK : ERROR;
}

} // namespace

Status io_int(File file, IO_types direction, File_formats form, int *value)
{
    return io_single(file, direction, form, value, "an integer");
}

Status io_float(File file, IO_types direction, File_formats form, float *value)
{
    return io_single(file, direction, form, value, "a number");
}

Status io_real(File file, IO_types direction, File_formats form, double *value)
{
    return io_single(file, direction, form, value, "a number");
}

Status io_boolean(File file, IO_types direction, File_formats form, int *value)
{
    int v = (direction == WRITE_FILE) ? (*value != 0) : 0;
    Status status = io_int(file, direction, form, &v);
    if (status == OK && direction == READ_FILE)
        *value = v != 0;
    return status;
}

Status io_floats(File file, IO_types direction, File_formats form, int n,
                 float *values)
{
    if (n < 0)
        return ERROR;
    if (form == BINARY_FORMAT)
        return io_binary_data(file, direction, values, sizeof(float), std::size_t(n));
    for (int i = 0; i < n; ++i)
        if (io_float(file, direction, form, &values[i]) != OK)
            return ERROR;
    return OK;
}

Status io_quoted_string(File file, IO_types direction, File_formats form,
                        STRING *string)
{
    if (direction == WRITE_FILE) {
        if (!writing(file))
            return ERROR;
        const char *text = *string != nullptr ? *string : "";
        std::size_t len = std::strlen(text);
        if (form == BINARY_FORMAT) {
            if (len > std::size_t(INT_MAX))
                return ERROR;
            int n = int(len);
            return put_bytes(file, &n, sizeof n) && put_bytes(file, text, len) ? OK
                                                                                : ERROR;
        }
        if (std::strchr(text, '"') != nullptr) {
            // a double quote would end the string early on reading
            print_error("Error writing \"%s\": the text [%s] holds a double quote, "
                        "which a quoted string cannot carry.\n",
                        file->name.c_str(), text);
            return ERROR;
        }
        return put_bytes(file, " \"", 2) && put_bytes(file, text, len) &&
                       put_bytes(file, "\"", 1)
                   ? OK
                   : ERROR;
    }
    if (!reading(file))
        return ERROR;
    *string = nullptr;
    std::string text;
    if (form == BINARY_FORMAT) {
        int n;
        if (!get_bytes(file, &n, sizeof n)) {
            report_bad_value(file, "a string length");
            return ERROR;
        }
        if (n < 0 || std::uint64_t(n) > file_bytes_remaining(file)) {
            print_error("Error reading \"%s\": string length %d is more than the "
                        "file holds.\n", file->name.c_str(), n);
            return ERROR;
        }
        text.resize(std::size_t(n));
        if (!get_bytes(file, text.data(), text.size())) {
            report_bad_value(file, "the bytes of a string");
            return ERROR;
        }
    } else {
        if (!skip_space(file) || file->buffer[file->pos] != '"') {
            report_bad_value(file, "a quoted string");
            return ERROR;
        }
        ++file->pos;
        for (;;) {
            if (file->pos == file->end && !refill(file)) {
                print_error("Error reading \"%s\": a quoted string has no closing "
                            "quote.\n", file->name.c_str());
                return ERROR;
            }
            const char *p = file->buffer.data() + file->pos;
            const char *q = static_cast<const char *>(
                std::memchr(p, '"', file->end - file->pos));
            if (q == nullptr) {
                text.append(p, file->end - file->pos);
                file->pos = file->end;
                continue;
            }
            text.append(p, q);
            file->pos += std::size_t(q - p) + 1;
            break;
        }
    }
    *string = create_string(text.c_str());
    return *string != nullptr ? OK : ERROR;
}

Status io_newline(File file, IO_types direction, File_formats form)
{
    if (direction == WRITE_FILE) {
        if (!writing(file))
            return ERROR;
        return form == ASCII_FORMAT ? output_character(file, '\n') : OK;
    }
    // values are separated by any white space, so reading has nothing to do
    return reading(file) ? OK : ERROR;
}

// Checks the count of an array of values and, when reading, allocates the
// array they go into, refusing counts the rest of the file cannot hold.
template <typename T>
static Status prepare_value_array(File file, IO_types direction, File_formats form,
                                  int n, T **array, const char *what)
{
    if (n < 0) {
        print_error("Error: negative count %d of %s in \"%s\".\n", n, what,
                    file_name(file));
        return ERROR;
    }
    if (direction != READ_FILE)
        return OK;
    *array = nullptr;
    if (n == 0)
        return OK;
    if (!file_can_hold(file, form, std::uint64_t(n), sizeof(T))) {
        print_error("Error reading \"%s\": %d %s are more than the rest "
                    "of the file holds.\n", file_name(file), n, what);
        return ERROR;
    }
    return alloc_array(*array, std::size_t(n), "quillon", __LINE__);
}

Status io_ints(File file, IO_types direction, File_formats form, int n,
               int **array)
{
    if (prepare_value_array(file, direction, form, n, array, "integers") != OK)
        return ERROR;
    if (direction == READ_FILE && n == 0)
        return OK;
    if (form == BINARY_FORMAT)
        return io_binary_data(file, direction, *array, sizeof(int), std::size_t(n));
    int *values = *array;
    for (int i = 0; i < n; ++i) {
        if (io_int(file, direction, form, &values[i]) != OK)
            return ERROR;
        if (direction == WRITE_FILE && i % 8 == 7 && i + 1 < n &&
            io_newline(file, direction, form) != OK)
            return ERROR;
    }
    return OK;
}

Status io_unsigned_chars(File file, IO_types direction, File_formats form,
                         int n, unsigned char **array)
{
    if (prepare_value_array(file, direction, form, n, array, "bytes") != OK)
        return ERROR;
    if (direction == READ_FILE && n == 0)
        return OK;
    if (form == BINARY_FORMAT)
        return io_binary_data(file, direction, *array, 1, std::size_t(n));
    unsigned char *values = *array;
    for (int i = 0; i < n; ++i) {
        int v = values[i];
        if (io_int(file, direction, form, &v) != OK)
            return ERROR;
        if (direction == READ_FILE) {
            if (v < 0 || v > 255) {
                print_error("Error reading \"%s\": value %d is not a byte "
                            "(0 to 255).\n", file_name(file), v);
                return ERROR;
            }
            values[i] = static_cast<unsigned char>(v);
        }
        if (direction == WRITE_FILE && i % 16 == 15 && i + 1 < n &&
            io_newline(file, direction, form) != OK)
            return ERROR;
    }
    return OK;
}

Status io_binary_data(File file, IO_types direction, void *data,
                      std::size_t element_size, std::size_t n)
{
    if (element_size != 0 && n > SIZE_MAX / element_size)
        return ERROR;
    std::size_t bytes = element_size * n;
    if (direction == READ_FILE) {
        if (!reading(file))
            return ERROR;
        if (bytes > file_bytes_remaining(file)) {
            print_error("Error reading \"%s\": %zu bytes of data are more than "
                        "the rest of the file holds.\n", file->name.c_str(), bytes);
            return ERROR;
        }
        if (!get_bytes(file, data, bytes)) {
            report_bad_value(file, "binary data");
            return ERROR;
        }
        return OK;
    }
    if (!writing(file))
        return ERROR;
    return put_bytes(file, data, bytes) ? OK : ERROR;
}

// ---------------------------------------------------------------- progress

static double seconds_now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void initialize_progress_report(progress_struct *report, bool one_line,
                                int n_steps, const char *title)
{
    report->one_line = one_line;
    report->n_steps = n_steps > 0 ? n_steps : 1;
    report->last_percent = -1;
    report->last_print = seconds_now();
    report->shown = false;
    std::snprintf(report->title, sizeof report->title, "%s", title ? title : "");
}

void update_progress_report(progress_struct *report, int step)
{
    if (!isatty(STDERR_FILENO))
        return;
    double now = seconds_now();
    if (now - report->last_print < 0.25)
        return;
    int percent = int(100.0 * double(std::clamp(step, 0, report->n_steps)) /
                      double(report->n_steps));
    if (percent == report->last_percent)
        return;
    std::fprintf(stderr, "\r%s: %3d%%", report->title, percent);
    std::fflush(stderr);
    report->last_percent = percent;
    report->last_print = now;
    report->shown = true;
}

void terminate_progress_report(progress_struct *report)
{
    if (report->shown && isatty(STDERR_FILENO)) {
        std::fprintf(stderr, "\r%s: 100%%\n", report->title);
        std::fflush(stderr);
    }
    report->shown = false;
}

// ---------------------------------------------------------------- colours

static int clamp_byte(int v)
{
    return std::clamp(v, 0, 255);
}

static int byte_from_unit(double v)
{
    if (!(v > 0.0)) // also NaN
        return 0;
    if (v >= 1.0)
        return 255;
    return int(std::lround(v * 255.0));
}

Colour make_rgba_Colour(int r, int g, int b, int a)
{
    return (Colour(clamp_byte(r)) << 24) | (Colour(clamp_byte(g)) << 16) |
           (Colour(clamp_byte(b)) << 8) | Colour(clamp_byte(a));
}

Colour make_Colour(int r, int g, int b)
{
    return make_rgba_Colour(r, g, b, 255);
}

Colour make_Colour_0_1(double r, double g, double b)
{
    return make_rgba_Colour(byte_from_unit(r), byte_from_unit(g),
                            byte_from_unit(b), 255);
}

Colour make_rgba_Colour_0_1(double r, double g, double b, double a)
{
    return make_rgba_Colour(byte_from_unit(r), byte_from_unit(g),
                            byte_from_unit(b), byte_from_unit(a));
}

int get_Colour_r(Colour c) { return int((c >> 24) & 0xff); }
int get_Colour_g(Colour c) { return int((c >> 16) & 0xff); }
int get_Colour_b(Colour c) { return int((c >> 8) & 0xff); }
int get_Colour_a(Colour c) { return int(c & 0xff); }
double get_Colour_r_0_1(Colour c) { return get_Colour_r(c) / 255.0; }
double get_Colour_g_0_1(Colour c) { return get_Colour_g(c) / 255.0; }
double get_Colour_b_0_1(Colour c) { return get_Colour_b(c) / 255.0; }
double get_Colour_a_0_1(Colour c) { return get_Colour_a(c) / 255.0; }
