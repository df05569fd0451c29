// quillon: the small volume I/O layer the graphics-object library and the
// viewer are built on: files with a default suffix, single values and arrays
// in ASCII or binary form, checked allocation, messages, progress reports,
// packed colours and tag-point files.
#pragma once

#include <cstddef>
#include <cstdint>

enum Status { OK = 0, ERROR = 1 };
enum IO_types { READ_FILE = 0, WRITE_FILE = 1 };
enum File_formats { ASCII_FORMAT = 0, BINARY_FORMAT = 1 };

// ---------------------------------------------------------------- files
// An open file. Reading goes through a chunked buffer (bulk parsing of
// ASCII values, no per-value stdio call); writing is buffered likewise.
struct quillon_file;
using File = quillon_file *;

Status open_file_with_default_suffix(const char *name, const char *suffix,
                                     IO_types direction, File_formats form,
                                     File *file);
Status open_file(const char *name, IO_types direction, File_formats form,
                 File *file);
// Reads the 'size' bytes at 'data' as a file named 'name' (which only names
// it in messages): the value routines then behave exactly as on a file
// holding those bytes. The bytes are read in place, never copied into a
// buffer, and must stay unchanged until close_file. file_identity is false
// for such a file.
Status open_memory_file(const void *data, std::size_t size, const char *name,
                        File_formats form, File *file);
Status close_file(File file);

// Bytes not yet consumed when reading (0 when writing or at the end).
// Readers use it to refuse counts that the rest of the file cannot hold.
std::uint64_t file_bytes_remaining(File file);
// The name the file was opened under (after the default suffix rule).
const char *file_name(File file);
// Whether the rest of the file can hold n_values more values: in binary
// form binary_value_size bytes each, in ASCII form at least two bytes each
// (a digit and a separator). Lets readers refuse absurd counts before
// allocating.
bool file_can_hold(File file, File_formats form, std::uint64_t n_values,
                   std::size_t binary_value_size);
// Device and inode of the open file, so that a file met again (through a
// link or another spelling of its name) can be recognised; false for a
// memory file.
bool file_identity(File file, std::uint64_t *device, std::uint64_t *inode);

// One byte; OK when it was moved.
Status input_character(File file, char *ch);
Status output_character(File file, char ch);
// Skips white space; non-OK at the end of the file.
Status input_nonwhite_character(File file, char *ch);

// ---------------------------------------------------------------- strings
// Strings are plain NUL-terminated arrays owned by the caller.
using STRING = char *;
STRING create_string(const char *text);          // copy; empty for null
void delete_string(STRING string);
STRING extract_directory(const char *name);      // "" when none
STRING get_absolute_filename(const char *name, const char *directory);

// ---------------------------------------------------------------- values
Status io_int(File file, IO_types direction, File_formats form, int *value);
Status io_float(File file, IO_types direction, File_formats form, float *value);
Status io_real(File file, IO_types direction, File_formats form, double *value);
Status io_boolean(File file, IO_types direction, File_formats form, int *value);
Status io_quoted_string(File file, IO_types direction, File_formats form,
                        STRING *string);
Status io_newline(File file, IO_types direction, File_formats form);
Status io_ints(File file, IO_types direction, File_formats form, int n,
               int **array);
Status io_unsigned_chars(File file, IO_types direction, File_formats form,
                         int n, unsigned char **array);
// n floats to or from caller storage (ASCII: n values; binary: raw bytes).
Status io_floats(File file, IO_types direction, File_formats form, int n,
                 float *values);
Status io_binary_data(File file, IO_types direction, void *data,
                      std::size_t element_size, std::size_t n);

// ---------------------------------------------------------------- memory
// Each failure is reported through print_error and returned; nothing aborts.
void *alloc_memory_1d(std::size_t n, std::size_t element_size, const char *src,
                      int line);
void free_memory_1d(void **ptr, const char *src, int line);
Status realloc_memory(void **ptr, std::size_t n, std::size_t element_size,
                      const char *src, int line);
Status set_array_size(void **ptr, std::size_t element_size, std::size_t old_n,
                      std::size_t new_n, std::size_t chunk, const char *src,
                      int line);


// Typed conveniences over the routines above.
template <typename T>
Status alloc_array(T *&ptr, std::size_t n, const char *src, int line)
{
    ptr = static_cast<T *>(alloc_memory_1d(n, sizeof(T), src, line));
    return (ptr != nullptr || n == 0) ? OK : ERROR;
}
template <typename T>
void free_array(T *&ptr, const char *src, int line)
{
    void *p = ptr;
    free_memory_1d(&p, src, line);
    ptr = nullptr;
}
template <typename T>
Status grow_array(T *&ptr, std::size_t old_n, std::size_t new_n,
                  std::size_t chunk, const char *src, int line)
{
    void *p = ptr;
    Status status = set_array_size(&p, sizeof(T), old_n, new_n, chunk, src, line);
    ptr = static_cast<T *>(p);
    return status;
}

// ---------------------------------------------------------------- messages
void print(const char *format, ...) __attribute__((format(printf, 1, 2)));
void print_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Routes print_error's text (formatted, at most 1023 bytes) to 'function'
// instead of standard error, so that a caller can show a reader's reason
// itself; null restores standard error. Returns the previous routing.
using print_error_function = void (*)(const char *text);
print_error_function set_print_error_function(print_error_function function);
void handle_internal_error(const char *text);

// ---------------------------------------------------------------- progress
struct progress_struct {
    bool one_line = false;
    int n_steps = 0;
    int last_percent = -1;
    double last_print = 0.0;
    bool shown = false;
    char title[128] = {};
};
void initialize_progress_report(progress_struct *report, bool one_line,
                                int n_steps, const char *title);
void update_progress_report(progress_struct *report, int step);
void terminate_progress_report(progress_struct *report);

// ---------------------------------------------------------------- colours
// Packed as 0xRRGGBBAA.
using Colour = std::uint32_t;
Colour make_rgba_Colour(int r, int g, int b, int a);
Colour make_Colour(int r, int g, int b);                 // alpha 255
Colour make_Colour_0_1(double r, double g, double b);
Colour make_rgba_Colour_0_1(double r, double g, double b, double a);
int get_Colour_r(Colour c);
int get_Colour_g(Colour c);
int get_Colour_b(Colour c);
int get_Colour_a(Colour c);
double get_Colour_r_0_1(Colour c);
double get_Colour_g_0_1(Colour c);
double get_Colour_b_0_1(Colour c);
double get_Colour_a_0_1(Colour c);
