// Shared by the parcellation tests: the dump nib_parcel_helper.py prints,
// made from what gyrolux read, so that a comparison with nibabel is one
// string equality.
#pragma once

#include "format_test_util.h"
#include "parcel_files.h"

inline std::string dump_parcellation(const parcellation &p)
{
    std::string out = "regions " + std::to_string(p.regions.size()) + "\n";
    for (const parcel_region &r : p.regions)
        out += std::to_string(r.key) + " " + std::to_string(r.colour.r) + " " +
               std::to_string(r.colour.g) + " " + std::to_string(r.colour.b) + " " +
               std::to_string(r.colour.a) + " " + r.name + "\n";
    out += "vertices " + std::to_string(p.vertex_regions.size()) + "\n";
    for (int region : p.vertex_regions)
        out += (region == no_region ? std::string("-")
                                    : std::to_string(p.regions[std::size_t(region)].key)) + "\n";
    return out;
}
