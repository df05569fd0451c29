// Reading and writing parcellations: FreeSurfer annotation files
// (lh.aparc.annot), GIFTI label files (*.label.gii) and FreeSurfer label
// files (lh.V1_exvivo.label). Every reader empties its record first and, on
// ERROR, leaves it empty; its message names the file and the problem.
// Counts are checked against the bytes left in the file before anything
// is allocated.
#pragma once

#include "parcellation.h"

#include "quillon.h"

#include <string>
#include <vector>

// ".annot", ".label", ".label.gii" and ".label.gii.gz" by their names;
// other GIFTI files (".gii", ".gii.gz" or content that starts like GIFTI,
// inflated or not) when they hold a NIFTI_INTENT_LABEL array; an annotation
// also by its content (vertex count, pairs, then the colour-table tag).
Parcellation_formats parcellation_format(const char *filename);
// "FreeSurfer annotation", "GIFTI labels", "FreeSurfer label" for messages.
const char *parcellation_format_name(Parcellation_formats format);

// FreeSurfer annotation: big-endian vertex count, (vertex, packed colour)
// pairs, then the colour-table tag and either table layout (a positive
// entry count, or version 2 with explicit entry indices). Region keys are
// the table indices; a vertex whose colour is 0 or in no entry is in no
// region (a warning counts those of the second kind).
Status input_freesurfer_annotation(const char *filename, parcellation *parcels);
Status read_freesurfer_annotation(File file, parcellation *parcels);
// Writes the new table layout, entry index = key (keys must be 0 or more);
// readers size the table by its largest index, so keys of
// annotation_max_index or more (packed colours as keys, say) are renumbered
// 0, 1, ... in key order, with a warning; alpha is not kept. Regions of one packed colour cannot be told apart in
// an annotation: refused, naming both.
constexpr int annotation_max_index = 100000;
Status output_freesurfer_annotation(const char *filename, const parcellation &parcels);

// GIFTI: the first NIFTI_INTENT_LABEL array and the file's label table.
// A vertex whose key is not in the table is in no region (warned).
Status input_gifti_labels(const char *filename, parcellation *parcels);
// One int32 NIFTI_INTENT_LABEL array, gzip-compressed base64, and the
// label table. Vertices in no region get a key no region has (0 if free).
Status output_gifti_labels(const char *filename, const parcellation &parcels);
// Whether a GIFTI file holds a label array, from its structure alone.
bool gifti_file_holds_labels(const char *filename);

// A FreeSurfer label file: a comment line, a count, then "vertex x y z
// value" rows.
struct freesurfer_label {
    std::string name; // from the file name: "V1_exvivo" for lh.V1_exvivo.label
    std::vector<int> vertices;
    std::vector<float> positions; // x, y, z per row
    std::vector<float> values;
};
Status input_freesurfer_label(const char *filename, freesurfer_label *label);
Status read_freesurfer_label(File file, freesurfer_label *label);
Status output_freesurfer_label(const char *filename, const freesurfer_label &label);
// The region name a label file's name gives.
std::string label_name_from_filename(const char *filename);
// Labels on one surface of n_vertices as one parcellation, one region each
// (key 1, 2, ... in order, distinct colours); a vertex in several labels
// goes to the last. A label naming a vertex beyond the surface is refused
// (labels[i] came from filenames[i], which names it).
Status combine_freesurfer_labels(const std::vector<freesurfer_label> &labels,
                                 const std::vector<std::string> &filenames,
                                 int n_vertices, parcellation *parcels);

// Whichever reader the file's format asks for. A label file becomes a
// one-region parcellation over n_vertices (with n_vertices < 0, over its
// highest vertex + 1, refused from max_unbounded_label_vertex on).
constexpr int max_unbounded_label_vertex = 1 << 24;
// The label file `filename`'s one-region parcellation, as above.
Status label_parcellation(const freesurfer_label &label, const char *filename, int n_vertices,
                          parcellation *parcels);
Status input_parcellation(const char *filename, int n_vertices, parcellation *parcels);

// ERROR, with a message naming the file and both counts, when the
// parcellation does not have the surface's number of vertices.
Status check_parcellation_vertices(const char *filename, const parcellation &parcels,
                                   int surface_vertices);

// Lines describing the parcellation: format, vertices, regions, then one
// line per region ("key vertices red green blue alpha name").
std::string describe_parcellation(const parcellation &parcels);
