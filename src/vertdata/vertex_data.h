// Per-vertex data from other programs' files: FreeSurfer curv files
// (lh.thickness, lh.sulc, ...), MGH and MGZ volumes of n x 1 x 1 voxels,
// and GIFTI data files (*.func.gii, *.shape.gii). Each becomes named
// columns of floats, one value per vertex, ready for a statistics file.
#pragma once

#include "quillon.h"

#include <cstdint>
#include <string>
#include <vector>

struct vertex_column {
    std::string name;
    std::vector<float> values;
};

enum Vertex_data_formats {
    NOT_VERTEX_DATA = 0,
    FREESURFER_CURV_DATA = 1,     // with the 3-byte magic number
    FREESURFER_OLD_CURV_DATA = 2, // 3-byte counts, values in hundredths
    MGH_DATA = 3,
    MGZ_DATA = 4,
    GIFTI_DATA = 5,
    FREESURFER_SURFACE_DATA = 6   // a surface, not data: refused by the readers
};

// No reader builds more columns than this: each costs far more than the few
// bytes a file may spend on it, and a file of more is no per-vertex data a
// viewer can show.
constexpr std::size_t max_vertex_columns = 100000;

struct vertex_data {
    Vertex_data_formats format = NOT_VERTEX_DATA;
    std::vector<vertex_column> columns; // all of one length
};

// The format of a file from its suffix (".gii", ".gii.gz", ".mgh", ".mgz";
// ".txt" and ".vertstats" are statistics files), else from its first bytes
// (inflated, for GIFTI) and size.
Vertex_data_formats vertex_data_format(const char *filename);
// "FreeSurfer curv", "MGH", ... for messages and headers.
const char *vertex_data_format_name(Vertex_data_formats format);

// Each reader replaces data's columns; on ERROR the message names the file
// and the reason and data is left empty. Counts are checked against the
// file's size before anything is allocated.
Status input_freesurfer_curv(const char *filename, vertex_data *data);
Status input_mgh_data(const char *filename, vertex_data *data); // .mgh or .mgz
Status input_gifti_data(const char *filename, vertex_data *data);
// What each reader does first: empties data and gives the file's size. The
// file must be a regular file: a FIFO would block, and a device has no size
// against which counts could be checked. ERROR, with a message, otherwise.
Status begin_vertex_data_read(const char *filename, vertex_data *data, std::uint64_t *size);
// Whichever of the above the file's content asks for.
Status input_vertex_data(const char *filename, vertex_data *data);

// Writes the columns (all of one length, at least one value) as an MGH
// volume of n x 1 x 1 float voxels, one frame per column, gzip-compressed
// (MGZ) when 'compressed'.
Status output_mgh_data(const char *filename, const std::vector<vertex_column> &columns,
                       bool compressed);

// Writes the columns (all of one length) as a GIFTI data file, one float
// array per column named by its "Name" metadata, gzip-compressed and
// base64-encoded.
Status output_gifti_data(const char *filename, const std::vector<vertex_column> &columns);

// Writes one value per vertex as a FreeSurfer curv file (the current form,
// with the magic number); n_faces is the surface's triangle count, which
// FreeSurfer's readers keep but do not check.
Status output_freesurfer_curv(const char *filename, const std::vector<float> &values,
                              int n_faces);

// The column name a curv file's values get: its base name after the
// hemisphere ("thickness" for "lh.thickness").
std::string curv_column_name(const char *filename);
// A name usable in a statistics file's column line (no white space, not
// empty).
std::string column_name_from(const std::string &text);
