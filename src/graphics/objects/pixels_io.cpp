// The body of a pixels object. 16-bit pixels are raw bytes in both forms;
// in an ASCII object they begin right after the last digit of the row
// count, so every byte there is data, white space included.
#include "object_arrays.h"
#include "object_io.h"

#include <climits>
#include <cstdint>

namespace {

bool reading(IO_types direction) { return direction == READ_FILE; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads the row count of an ASCII 16-bit image: white space, an optional
// sign, digits. The byte that ends the digits is the first data byte and
// is handed back (*first_byte, *have_first false at the end of the file).
// The general integer reader cannot be used: it would refuse a first data
// byte of '.' or 'e' as a run-on fraction, and it leaves no way to take
// that byte as data.
Status input_row_count(File file, int *y_size, char *first_byte, bool *have_first)
{
    char ch;
    if (input_nonwhite_character(file, &ch) != OK) {
        print_error("Error reading \"%s\": expected the row count of a 16-bit "
                    "pixel image, found the end of the file.\n", file_name(file));
        return ERROR;
    }
    bool negative = false;
    if (ch == '-' || ch == '+') {
        negative = ch == '-';
        if (input_character(file, &ch) != OK)
            ch = '\0';
    }
    if (!is_digit(ch)) {
        print_error("Error reading \"%s\": expected the row count of a 16-bit "
                    "pixel image.\n", file_name(file));
        return ERROR;
    }
    long long value = 0;
    *have_first = false;
    for (;;) {
        value = value * 10 + (ch - '0');
        if (value > INT_MAX) {
            print_error("Error reading \"%s\": the row count of a 16-bit pixel "
                        "image is out of range.\n", file_name(file));
            return ERROR;
        }
        if (input_character(file, &ch) != OK)
            break;
        if (!is_digit(ch)) {
            *first_byte = ch;
            *have_first = true;
            break;
        }
    }
    *y_size = int(negative ? -value : value);
    return OK;
}

// 2 n raw bytes, the first of which may have been read already.
Status input_index16(File file, int n, bool have_first, char first_byte,
                     void **data)
{
    const std::uint64_t wanted = std::uint64_t(n) * 2 - (have_first ? 1 : 0);
    if (!have_first || wanted > file_bytes_remaining(file)) {
        print_error("Error reading \"%s\": %d 16-bit pixels are more than "
                    "the rest of the file holds.\n", file_name(file), n);
        return ERROR;
    }
    std::uint16_t *values = nullptr;
    std::size_t done = 0; // bytes
    Status status = read_growing_array(
        file, n, &values, [&](std::uint16_t *part, std::size_t count) {
            unsigned char *bytes = reinterpret_cast<unsigned char *>(part);
            std::size_t skip = 0;
            if (done == 0 && have_first) {
                bytes[0] = static_cast<unsigned char>(first_byte);
                skip = 1;
            }
            done += 2 * count;
            return io_binary_data(file, READ_FILE, bytes + skip, 1, 2 * count - skip);
        });
    *data = values;
    return status;
}

} // namespace

Status io_pixels(File file, IO_types direction, File_formats form, pixels_struct *pixels)
{
    if (!reading(direction) && (pixels->x_size < 1 || pixels->y_size < 1))
        return OK;
    // An ASCII 16-bit image whose first data byte is a digit would have that
    // byte taken as part of its row count: that one object goes in binary
    // form, which needs no separator.
    if (!reading(direction) && form == ASCII_FORMAT &&
        pixels->pixel_type == PIXEL_INDEX16 && pixels->data != nullptr &&
        is_digit(*static_cast<const char *>(pixels->data)))
        form = BINARY_FORMAT;
    if (io_object_type(file, direction, form, PIXELS) != OK ||
        io_int(file, direction, form, &pixels->pixel_type) != OK ||
        io_int(file, direction, form, &pixels->x_size) != OK)
        return ERROR;
    char first_byte = '\0';
    bool have_first = false;
    const bool raw_after_size = reading(direction) && form == ASCII_FORMAT &&
                                pixels->pixel_type == PIXEL_INDEX16 &&
                                pixels->x_size != 0;
    if (raw_after_size
            ? input_row_count(file, &pixels->y_size, &first_byte, &have_first) != OK
            : io_int(file, direction, form, &pixels->y_size) != OK)
        return ERROR;
    if (reading(direction)) {
        pixels->x_position = 0;
        pixels->y_position = 0;
        pixels->x_zoom = 1.0;
        pixels->y_zoom = 1.0;
        pixels->data = nullptr;
    }
    int type = pixels->pixel_type;
    if (type != PIXEL_INDEX8 && type != PIXEL_INDEX16 && type != PIXEL_RGB) {
        print_error("Error, unrecognized pixel type %d.\n", type);
        return ERROR;
    }
    long long count = (long long)pixels->x_size * pixels->y_size;
    if (pixels->x_size < 0 || pixels->y_size < 0 || count > INT_MAX) {
        print_error("Error reading \"%s\": pixel image size %d by %d is out of "
                    "range.\n", file_name(file), pixels->x_size, pixels->y_size);
        return ERROR;
    }
    int n = int(count);
    if (!reading(direction) && pixels->data == nullptr) {
        print_error("Error writing \"%s\": the pixel image has no data.\n",
                    file_name(file));
        return ERROR;
    }
    switch (type) {
    case PIXEL_INDEX8: {
        unsigned char *data = static_cast<unsigned char *>(pixels->data);
        Status status = reading(direction) ? input_unsigned_chars(file, form, n, &data)
                                           : io_unsigned_chars(file, direction, form, n, &data);
        pixels->data = data;
        return status;
    }
    case PIXEL_INDEX16:
        if (!reading(direction))
            return io_binary_data(file, direction, pixels->data, 2, std::size_t(n));
        if (n == 0) {
            // the byte that ended the row count was no data: only white
            // space may be dropped, there is no putting a byte back
            if (have_first && first_byte != ' ' && first_byte != '\n' &&
                first_byte != '\t' && first_byte != '\r' && first_byte != '\v' &&
                first_byte != '\f') {
                print_error("Error reading \"%s\": an empty 16-bit pixel image runs "
                            "on into the byte after it.\n", file_name(file));
                return ERROR;
            }
            return OK;
        }
        if (form == BINARY_FORMAT) {
            have_first = false;
            std::uint16_t *values = nullptr;
            if (std::uint64_t(n) * 2 > file_bytes_remaining(file)) {
                print_error("Error reading \"%s\": %d 16-bit pixels are more than "
                            "the rest of the file holds.\n", file_name(file), n);
                return ERROR;
            }
            Status status = read_growing_array(
                file, n, &values, [&](std::uint16_t *part, std::size_t k) {
                    return io_binary_data(file, READ_FILE, part, 2, k);
                });
            pixels->data = values;
            return status;
        }
        return input_index16(file, n, have_first, first_byte, &pixels->data);
    default: {
        Colour *data = static_cast<Colour *>(pixels->data);
        Status status = io_pixel_colours(file, direction, form, n, &data);
        pixels->data = data;
        return status;
    }
    }
}
