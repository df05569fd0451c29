// CIFTI-2 files (*.dscalar.nii, *.dtseries.nii, *.dlabel.nii): a NIfTI-2
// header, the CIFTI XML in a header extension, and a matrix of values whose
// rows (the first CIFTI dimension: maps or the frames of a series) and
// columns (the second: brainordinates, the vertices of surfaces and the
// voxels of volumes) the XML describes. Read whole into one record; the
// surfaces' part is handed on as per-vertex columns or a parcellation.
#pragma once

#include "quillon.h"

#include <cstdint>
#include <string>
#include <vector>

enum Cifti_axis_kinds {
    CIFTI_OTHER_AXIS = 0,
    CIFTI_BRAIN_MODELS_AXIS,
    CIFTI_SCALARS_AXIS,
    CIFTI_LABELS_AXIS,
    CIFTI_SERIES_AXIS,
    CIFTI_PARCELS_AXIS
};

struct cifti_label {
    int key = 0;
    std::string name;
    float rgba[4] = {0, 0, 0, 0}; // 0 to 1, as the file gives them
};

// A map of a scalar or label axis: its name and, on a label axis, its table.
struct cifti_map {
    std::string name;
    std::vector<cifti_label> labels;
};

// A run of brainordinates: a surface's vertices or a volume's voxels.
struct cifti_brain_model {
    long long offset = 0;        // the first column it holds
    long long count = 0;         // how many
    bool surface = false;        // else voxels
    std::string structure;       // "CIFTI_STRUCTURE_CORTEX_LEFT", ...
    long long surface_vertices = 0; // the surface's vertex count
    std::vector<int> vertices;   // the vertex of each column (surfaces only)
};

struct cifti_axis {
    Cifti_axis_kinds kind = CIFTI_OTHER_AXIS;
    std::vector<cifti_map> maps;              // scalars and labels
    std::vector<cifti_brain_model> models;    // brain models
    double series_start = 0, series_step = 0; // series, in series_unit
    std::string series_unit;                  // "SECOND", "HERTZ", ...
};

struct cifti_file {
    cifti_axis rows;    // the first CIFTI dimension (NIfTI dim[5])
    cifti_axis columns; // the second (NIfTI dim[6])
    long long n_rows = 0, n_columns = 0;
    // Row r, column c at values[r * n_columns + c], scaled as the header asks.
    std::vector<float> values;
};

// Files whose matrix holds more values than this are refused: a CIFTI file
// of the cortex holds about 10^5 columns, and a series a few thousand rows.
constexpr long long max_cifti_values = 1LL << 31;

// Reads the whole file. ERROR, with a message naming the file and the
// reason, for anything that is not a CIFTI-2 file of rows over brain models
// read as the standard says; every count and offset is checked against the
// file's size before anything is allocated.
Status input_cifti_file(const char *filename, cifti_file *file);
// The same checks and axes without the values (values stays empty): what a
// caller needs to see which surfaces a file holds.
Status input_cifti_axes(const char *filename, cifti_file *file);

// Whether the file's first bytes are a NIfTI-2 header with a CIFTI
// extension (by content, for files whose names say nothing).
bool is_cifti_file(const char *filename);

// The NIfTI intent code of a file is_cifti_file accepts (3006 maps, 3007
// labels, 3002 a series, ...); 0 for any other file.
int cifti_intent(const char *filename);

// The surface model of `structure` ("CIFTI_STRUCTURE_CORTEX_LEFT"), or null.
const cifti_brain_model *cifti_surface_model(const cifti_file &file, const std::string &structure);

// The surface structures the file holds, in its order.
std::vector<std::string> cifti_surface_structures(const cifti_file &file);

// "CortexLeft" (GIFTI's name) or "CIFTI_STRUCTURE_CORTEX_LEFT" to the
// CIFTI name; the hemisphere's ("left", "right") cortex as well.
std::string cifti_structure_name(const std::string &name);

// The name of row r: its map's name, or its frame's time with the series
// unit ("0.72s"); what the statistics file's column is called.
std::string cifti_row_name(const cifti_file &file, long long row);

// The model's values as one column per row, each as long as the surface's
// vertex count, NaN where the file holds no value (the medial wall).
std::vector<std::vector<float>> cifti_surface_columns(const cifti_file &file,
                                                      const cifti_brain_model &model);

// One line per axis and model, for vsinfo.
std::string describe_cifti_file(const cifti_file &file);
