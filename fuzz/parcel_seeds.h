// Seeds for the parcellation readers, written into OUTDIR/<target>/; false
// when one could not be written.
#pragma once

#include <string>

bool write_parcel_seeds(const std::string &out_dir);
