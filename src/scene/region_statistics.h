// Numbers per region: for a statistics column and a parcellation of the
// same surface, each region's vertex count, mean, standard deviation,
// minimum and maximum, and the table as CSV. What the viewer's dialog shows
// and saves.
#pragma once

#include "parcellation.h"

#include <string>
#include <vector>

namespace gyroscene {

struct region_statistics {
    int region = no_region; // index into the parcellation's regions
    int vertices = 0;       // the region's vertices that have a value
    int values = 0;         // of those, the finite values the figures use
    double mean = 0, sd = 0, min = 0, max = 0; // NaN without values (sd: fewer than two)
};

// One row per region in table order, then one (region no_region) for the
// vertices in none when there are any. Vertices beyond the column's end
// count nowhere; NaN and infinite values count as vertices but not in the
// figures. sd is the sample standard deviation (n - 1).
std::vector<region_statistics> column_region_statistics(const parcellation& parcels,
                                                        const std::vector<float>& values);

struct named_column {
    std::string name;
    const std::vector<float>* values = nullptr;
};

// "column,key,region,vertices,mean,sd,min,max" and a line per column and
// region (the vertices in none as region "unknown" with no key); undefined
// figures are empty fields, text fields quoted when they need it.
std::string region_statistics_csv(const parcellation& parcels,
                                  const std::vector<named_column>& columns);

}  // namespace gyroscene
