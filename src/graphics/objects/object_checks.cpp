#include "object_checks.h"

#include <cstdint>

Status check_count(File file, File_formats form, long long count,
                   std::size_t binary_bytes, int values_each, const char *what)
{
    if (count < 0) {
        print_error("Error reading \"%s\": negative %s count %lld.\n",
                    file_name(file), what, count);
        return ERROR;
    }
    std::uint64_t values = std::uint64_t(count) * std::uint64_t(values_each);
    std::size_t bytes_each = binary_bytes / std::size_t(values_each);
    if (!file_can_hold(file, form, values, bytes_each)) {
        print_error("Error reading \"%s\": %s count %lld is more than the rest "
                    "of the file can hold.\n", file_name(file), what, count);
        return ERROR;
    }
    return OK;
}

Status check_indices(File file, const char *kind, int n_points, int n_indices,
                     const int *indices)
{
    // One branch-free pass that the compiler vectorises; the culprit is
    // only looked for when there is one.
    unsigned outside = 0;
    for (int i = 0; i < n_indices; ++i)
        outside |= static_cast<unsigned>(indices[i]) >= static_cast<unsigned>(n_points);
    if (!outside)
        return OK;
    for (int i = 0; i < n_indices; ++i) {
        if (indices[i] < 0 || indices[i] >= n_points) {
            print_error("Error reading \"%s\": %s index %d (entry %d) is outside "
                        "the %d points.\n", file_name(file), kind, indices[i], i,
                        n_points);
            return ERROR;
        }
    }
    return OK;
}

Status check_end_indices(File file, const char *kind, int n_items,
                         const int *end_indices)
{
    int previous = 0;
    for (int i = 0; i < n_items; ++i) {
        if (end_indices[i] < previous) {
            print_error("Error reading \"%s\": %s end index %d (item %d) is "
                        "smaller than the one before it (%d).\n", file_name(file),
                        kind, end_indices[i], i, previous);
            return ERROR;
        }
        previous = end_indices[i];
    }
    return OK;
}
