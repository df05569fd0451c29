// Seeds for the readers of other programs' formats, written into
// OUTDIR/<target>/; false when one could not be written.
#pragma once

#include <string>

bool write_format_seeds(const std::string &out_dir);
