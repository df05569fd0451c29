// Tag-point files: lists of landmarks in one or two volumes, in the text
// format other neuroimaging tools write:
//
//   <title line, not checked>
//   Volumes = 1;                      (or 2)
//   % comment lines, anywhere before the points
//   Points =
//    x y z [x2 y2 z2] [weight structure_id patient_id] ["label"]
//    ...
//   ;
//
// Coordinates may be spread over lines. The optional weight and ids (all
// three together) and the optional double-quoted label (backslash escapes)
// sit on the line of the point's last coordinate, which is how the writers
// tell them apart from the next point. The ';' ending the list may follow
// the last value or stand on its own line.
#pragma once

#include "quillon.h"

#include <cstddef>

// Reads the tag file 'name'. On OK every output that is not null holds:
//   n_volumes      1 or 2
//   n_points       number of points (may be 0)
//   positions      n_points pointers to x, y, z of the first volume
//   positions2     likewise for the second volume; null with one volume
//   weights        per point; 0 when the file gives none
//   structure_ids  per point; -1 when the file gives none
//   patient_ids    per point; -1 when the file gives none
//   labels         per point; "" when the file gives none
// Arrays are null when there are no points. Release them with
// free_tag_points. On ERROR a message naming the file and line has been
// printed, nothing is allocated and the outputs are zero / null.
// Any output pointer may be null when the caller does not want that part.
Status input_tag_file(const char *name, int *n_volumes, int *n_points,
                      double ***positions, double ***positions2,
                      double **weights, int **structure_ids,
                      int **patient_ids, STRING **labels);

// Reads the 'size' bytes at 'data' as the tag file 'name' (which only
// names it in messages), with the outputs, messages and status that
// input_tag_file gives for a file holding those bytes. The bytes are read
// in place; nothing of them is copied but the results.
Status input_tag_memory(const void *data, std::size_t size, const char *name,
                        int *n_volumes, int *n_points, double ***positions,
                        double ***positions2, double **weights,
                        int **structure_ids, int **patient_ids, STRING **labels);

// Releases what input_tag_file returned (any of the arrays may be null).
void free_tag_points(int n_volumes, int n_points, double **positions,
                     double **positions2, double *weights, int *structure_ids,
                     int *patient_ids, STRING *labels);
