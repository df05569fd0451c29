// Checks the object readers apply to what they read, before trusting it.
#pragma once

#include "objects.h"

#include <cstddef>

// Refuses a count read from the file that is negative or more than the
// rest of the file could describe, before anything is allocated for it.
Status check_count(File file, File_formats form, long long count,
                   std::size_t binary_bytes, int values_each, const char *what);
// Every index must name one of the points: the viewer and the topology
// routines index the points array with them unchecked.
Status check_indices(File file, const char *kind, int n_points, int n_indices,
                     const int *indices);
// Items need an end index list that never decreases; its last entry is the
// number of indices that follow.
Status check_end_indices(File file, const char *kind, int n_items,
                         const int *end_indices);
