// What the parcellation readers promise, checked on every record they hand
// out.
#pragma once

#include "fuzz_check.h"
#include "parcel_files.h"

// Every vertex in no region or in one of the table; nothing after a failure.
inline int check_parcellation(Status status, const parcellation &parcels)
{
    if (status != OK) {
        fuzz_require(parcels.regions.empty() && parcels.vertex_regions.empty(),
                     "nothing handed out after a failure");
        return 0;
    }
    fuzz_require(parcels.format != NOT_PARCELLATION, "a read names its format");
    int sum = 0;
    for (int r : parcels.vertex_regions) {
        fuzz_require(r == no_region || (r >= 0 && std::size_t(r) < parcels.regions.size()),
                     "every vertex in no region or a region of the table");
        sum += r;
    }
    const std::vector<int> counts = region_vertex_counts(parcels);
    for (int c : counts)
        sum += c;
    return sum + int(describe_parcellation(parcels).size());
}
