// A parcellation of a surface: every vertex in at most one region, and the
// regions' table (key, name, colour). FreeSurfer annotation and label files
// and GIFTI label files all read into this one record (parcel_files.h).
// Plain types only, so that scene and viewer headers may include it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A vertex in no region ("unknown"): unlabelled, or labelled with a value
// the table does not hold.
constexpr int no_region = -1;

struct parcel_colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const parcel_colour &) const = default;
};

struct parcel_region {
    int key = 0;          // GIFTI key; an annotation's colour-table index
    std::string name;
    parcel_colour colour;
};

enum Parcellation_formats {
    NOT_PARCELLATION = 0,
    FREESURFER_ANNOTATION = 1,
    GIFTI_LABELS = 2,
    FREESURFER_LABELS = 3 // one or more label files, one region each
};

struct parcellation {
    Parcellation_formats format = NOT_PARCELLATION;
    std::vector<parcel_region> regions;
    // Per vertex, an index into regions or no_region.
    std::vector<int> vertex_regions;
};

// The number of vertices in each region (size regions.size()) and, when
// unknown is given, the number in none.
std::vector<int> region_vertex_counts(const parcellation &parcels, int *unknown = nullptr);

// The colour an annotation identifies a region by: R + G*256 + B*65536.
inline std::int32_t annotation_packed_colour(parcel_colour c)
{
    return std::int32_t(c.r) | (std::int32_t(c.g) << 8) | (std::int32_t(c.b) << 16);
}

// The i-th of a sequence of clearly different opaque colours (hues a golden
// angle apart, alternating in lightness), for regions that bring none.
parcel_colour distinct_parcel_colour(int i);
