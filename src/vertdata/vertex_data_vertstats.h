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

// What vsinfo and vsconv read: per-vertex data of another program (then
// written into 'file' as fill_vertstats_file does), else a statistics
// file. A file that is neither (binary, or text the statistics reader
// found no rows in and complained about) is refused: ERROR, each problem
// printed to standard error once, naming the file.
Status load_statistics_or_vertex_data(zelVertstatsFile &file, const char *filename);

// writeFile without its progress lines on standard output.
bool write_statistics_quietly(zelVertstatsFile &file, const std::string &filename,
                              bool oldStyle);
