// Arrays read from a file whose size is unknown (a pipe or a device given
// as the file to read) cannot have their counts checked against what the
// file holds. They grow as their data arrives instead, so a claimed count
// that the stream never delivers costs at most what it did deliver plus one
// step, and the short stream fails on its missing values.
#pragma once

#include "objects.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline bool file_size_unknown(File file)
{
    return file_bytes_remaining(file) == UINT64_MAX;
}

// Large enough that a real stream costs only a few reallocations.
constexpr std::size_t array_growth_step_bytes = std::size_t(4) << 20;

// Reads n elements into a new *array, read_part(first, count) moving count
// elements. The array is allocated whole when the size of the file is
// known, otherwise one step at a time. On failure *array holds what was
// allocated, for the caller to free with its record.
template <typename T, typename Part>
Status read_growing_array(File file, int n, T **array, Part read_part)
{
    *array = nullptr;
    if (n <= 0)
        return n == 0 ? OK : ERROR;
    const std::size_t total = std::size_t(n);
    const std::size_t step =
        file_size_unknown(file)
            ? std::max<std::size_t>(1, array_growth_step_bytes / sizeof(T))
            : total;
    for (std::size_t done = 0; done < total;) {
        const std::size_t part = std::min(step, total - done);
        void *grown = *array;
        if (realloc_memory(&grown, done + part, sizeof(T), "object_arrays",
                           __LINE__) != OK)
            return ERROR;
        *array = static_cast<T *>(grown);
        if (read_part(*array + done, part) != OK)
            return ERROR;
        done += part;
    }
    return OK;
}

// io_ints and io_unsigned_chars for reading: the quillon routines
// themselves when the size of the file is known, else the same routines a
// step at a time into a growing array.
template <typename T>
Status input_value_array(File file, File_formats form, int n, T **array,
                         Status (*io)(File, IO_types, File_formats, int, T **))
{
    if (!file_size_unknown(file))
        return io(file, READ_FILE, form, n, array);
    return read_growing_array(file, n, array, [&](T *first, std::size_t count) {
        T *part = nullptr;
        Status status = io(file, READ_FILE, form, int(count), &part);
        if (status == OK)
            std::memcpy(first, part, count * sizeof(T));
        free_array(part, "object_arrays", __LINE__);
        return status;
    });
}

inline Status input_ints(File file, File_formats form, int n, int **array)
{
    return input_value_array(file, form, n, array, io_ints);
}

inline Status input_unsigned_chars(File file, File_formats form, int n,
                                   unsigned char **array)
{
    return input_value_array(file, form, n, array, io_unsigned_chars);
}
