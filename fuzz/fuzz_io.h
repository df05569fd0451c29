// How the fuzz targets hand one input to each reader. Every target reads
// through these functions only, so that the way an input reaches a reader
// (today: read in place from memory) can change in one place.
#pragma once

#include "cifti_file.h"
#include "objects.h"
#include "parcel_files.h"
#include "tag_file.h"
#include "vertex_data.h"
#include "zelVertstatsFile.h"

#include <cstddef>
#include <cstdint>

// The input as a surface file: as input_graphics_file, with *objects set to
// null first (the reader assigns it only when it read an object).
Status read_surface_input(const std::uint8_t *data, std::size_t size,
                          int *n_objects, object_struct ***objects);

// The input as a tag file: as input_tag_file.
Status read_tag_input(const std::uint8_t *data, std::size_t size,
                      int *n_volumes, int *n_points, double ***positions,
                      double ***positions2, double **weights,
                      int **structure_ids, int **patient_ids, STRING **labels);

// The input as a statistics file, loaded into 'file' as loadFile does.
void read_vertstats_input(zelVertstatsFile &file, const std::uint8_t *data,
                          std::size_t size, bool loadData);

// The input as a FreeSurfer surface or a GIFTI surface: as
// input_freesurfer_surface and input_gifti_surface.
Status read_freesurfer_surface_input(const std::uint8_t *data, std::size_t size,
                                     object_struct **object);
Status read_gifti_surface_input(const std::uint8_t *data, std::size_t size,
                                object_struct **object);

// The input as per-vertex data: a FreeSurfer curv file, an MGH or MGZ file
// (zlib reads either under one name), a GIFTI data file.
Status read_curv_input(const std::uint8_t *data, std::size_t size, vertex_data *columns);
Status read_mgh_input(const std::uint8_t *data, std::size_t size, vertex_data *columns);
Status read_gifti_data_input(const std::uint8_t *data, std::size_t size,
                             vertex_data *columns);

// The input as a parcellation: a FreeSurfer annotation and a label file
// (read from memory through quillon), a GIFTI label file.
Status read_annotation_input(const std::uint8_t *data, std::size_t size, parcellation *parcels);
Status read_label_input(const std::uint8_t *data, std::size_t size, freesurfer_label *label);
Status read_gifti_labels_input(const std::uint8_t *data, std::size_t size,
                               parcellation *parcels);

// The input as a CIFTI-2 file: as input_cifti_file.
Status read_cifti_input(const std::uint8_t *data, std::size_t size, cifti_file *file);
