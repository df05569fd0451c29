// Per-vertex data as a statistics file, so that everything that shows or
// converts statistics files takes it unchanged.
#pragma once

#include "vertex_data.h"
#include "zelVertstatsFile.h"

// Replaces file's contents by data's columns; the header records the file
// they came from and its format.
void fill_vertstats_file(zelVertstatsFile &file, const vertex_data &data,
                         const char *source);

// The columns of a statistics file, for writing as per-vertex data.
std::vector<vertex_column> vertstats_columns(const zelVertstatsFile &file);
