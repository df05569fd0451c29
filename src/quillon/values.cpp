// Single values and arrays of values, in ASCII or binary form.
#include "file_internal.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "number_grammar.h"

static_assert(std::endian::native == std::endian::little,
              "binary values are stored as the host's little-endian bytes");
static_assert(sizeof(int) == 4 && sizeof(float) == 4 && sizeof(double) == 8);

using namespace quillon_internal;

namespace {

// A number token is parsed in place; this much look-ahead makes a split
// token at the buffer's end rare (the split case is still handled).
constexpr std::size_t token_lookahead = 64;

const char *describe_next(File f, char *out, std::size_t size)
{
    if (f->pos >= f->end)
        return "the end of the file";
    unsigned char c = static_cast<unsigned char>(f->bytes[f->pos]);
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
        const char *first = f->bytes + f->pos;
        const char *last = f->bytes + f->end;
        numparse::result r = numparse::parse(first, last, *value);
        // A number reaching (nearly) the buffer's end may go on past it, or
        // its exponent may: fetch more and parse again.
        if (r.ok() && last - r.ptr <= 2 && !f->at_eof && !f->failed &&
            (f->pos > 0 || f->end < f->capacity)) {
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

// Reads n ASCII numbers into values, as n calls of parse_number would (the
// same values, the same message at the same byte for a bad one), without
// the per-value calls: tokens well inside the buffer are parsed in one
// tight loop; one near the buffer's end goes through parse_number, which
// fetches more.
template <typename T>
bool parse_numbers(File f, T *values, std::size_t n, const char *what)
{
    std::size_t i = 0;
    while (i < n) {
        const char *p = f->bytes + f->pos;
        const char *const last = f->bytes + f->end;
        // With more to fetch, only tokens starting this far from the end are
        // sure to be whole; the rest of the file is whole once it is all in.
        const bool whole = f->at_eof || f->failed;
        const char *const safe =
            whole ? last : (last - p > std::ptrdiff_t(token_lookahead) ? last - token_lookahead : p);
        while (i < n) {
            while (p < safe && is_space(*p))
                ++p;
            if (p >= safe)
                break;
            numparse::result r = numparse::parse(p, last, values[i]);
            if (!r.ok() || (!whole && last - r.ptr <= 2))
                break;
            if constexpr (!std::is_floating_point_v<T>) {
                if (r.ptr < last && (*r.ptr == '.' || *r.ptr == 'e' || *r.ptr == 'E'))
                    break;
            }
            p = r.ptr;
            ++i;
        }
        f->pos = std::size_t(p - f->bytes);
        // The value the loop stopped at (at the buffer's end, or a bad one)
        // takes the careful way, which also reports it.
        if (i < n) {
            if (!parse_number(f, &values[i], what))
                return false;
            ++i;
        }
    }
    return true;
}

template <typename T>
bool format_number(File f, T value)
{
    constexpr std::size_t room = 40;
    if (!reserve_output(f, room))
        return false;
    char *out = f->buffer.get() + f->end;
    *out++ = ' ';
    std::to_chars_result r = std::to_chars(out, f->buffer.get() + f->end + room, value);
    f->end = std::size_t(r.ptr - f->buffer.get());
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

// Checks the count of an array of values and, when reading, allocates the
// array they go into, refusing counts the rest of the file cannot hold.
template <typename T>
Status prepare_value_array(File file, IO_types direction, File_formats form,
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
    if (direction == READ_FILE) {
        if (!reading(file))
            return ERROR;
        return parse_numbers(file, values, std::size_t(n), "a number") ? OK : ERROR;
    }
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
        if (!skip_space(file) || file->bytes[file->pos] != '"') {
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
            const char *p = file->bytes + file->pos;
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

Status io_ints(File file, IO_types direction, File_formats form, int n,
               int **array)
{
    if (prepare_value_array(file, direction, form, n, array, "integers") != OK)
        return ERROR;
    if (direction == READ_FILE && n == 0)
        return OK;
    if (form == BINARY_FORMAT)
        return io_binary_data(file, direction, *array, sizeof(int), std::size_t(n));
    if (direction == READ_FILE) {
        if (!reading(file))
            return ERROR;
        return parse_numbers(file, *array, std::size_t(n), "an integer") ? OK : ERROR;
    }
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
