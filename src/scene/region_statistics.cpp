#include "region_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace gyroscene {

namespace {

constexpr double undefined = std::numeric_limits<double>::quiet_NaN();

// Running mean and sum of squared differences (Welford): no cancellation
// for values far from zero.
struct accumulator {
    int vertices = 0, n = 0;
    double mean = 0, squares = 0, min = 0, max = 0;

    void add(float value)
    {
        ++vertices;
        if (!std::isfinite(value))
            return;
        const double x = value;
        if (n == 0)
            min = max = x;
        min = std::min(min, x);
        max = std::max(max, x);
        ++n;
        const double delta = x - mean;
        mean += delta / n;
        squares += delta * (x - mean);
    }

    region_statistics row(int region) const
    {
        region_statistics s;
        s.region = region;
        s.vertices = vertices;
        s.values = n;
        s.mean = n > 0 ? mean : undefined;
        s.sd = n > 1 ? std::sqrt(squares / (n - 1)) : undefined;
        s.min = n > 0 ? min : undefined;
        s.max = n > 0 ? max : undefined;
        return s;
    }
};

std::string csv_text(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos && !text.empty() &&
        text.front() != ' ' && text.back() != ' ')
        return text;
    std::string quoted = "\"";
    for (char ch : text)
        quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return quoted + "\"";
}

std::string csv_number(double value)
{
    if (std::isnan(value))
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

std::vector<region_statistics> column_region_statistics(const parcellation& parcels,
                                                        const std::vector<float>& values)
{
    const std::size_t n_regions = parcels.regions.size();
    std::vector<accumulator> sums(n_regions + 1); // the last for vertices in none
    const std::size_t n = std::min(values.size(), parcels.vertex_regions.size());
    for (std::size_t v = 0; v < n; ++v) {
        const int r = parcels.vertex_regions[v];
        sums[r >= 0 && std::size_t(r) < n_regions ? std::size_t(r) : n_regions].add(values[v]);
    }
    std::vector<region_statistics> rows;
    rows.reserve(n_regions + 1);
    for (std::size_t r = 0; r < n_regions; ++r)
        rows.push_back(sums[r].row(int(r)));
    if (sums[n_regions].vertices > 0)
        rows.push_back(sums[n_regions].row(no_region));
    return rows;
}

std::string region_statistics_csv(const parcellation& parcels,
                                  const std::vector<named_column>& columns)
{
    std::string out = "column,key,region,vertices,mean,sd,min,max\n";
    for (const named_column& column : columns) {
        if (column.values == nullptr)
            continue;
        for (const region_statistics& s : column_region_statistics(parcels, *column.values)) {
            const bool none = s.region == no_region;
            const parcel_region* r = none ? nullptr : &parcels.regions[std::size_t(s.region)];
            out += csv_text(column.name) + "," + (none ? "" : std::to_string(r->key)) + "," +
                   csv_text(none ? "unknown" : r->name) + "," + std::to_string(s.vertices) +
                   "," + csv_number(s.mean) + "," + csv_number(s.sd) + "," + csv_number(s.min) +
                   "," + csv_number(s.max) + "\n";
        }
    }
    return out;
}

}  // namespace gyroscene
