// A CIFTI-2 file's part for one surface: the brain model of its structure
// (the GIFTI structure it names, else its hemisphere's cortex) and vertex
// count, its rows as a statistics file, and a label map as a parcellation;
// so one file of both hemispheres serves each of their surfaces.
#pragma once

#include "cifti_file.h"
#include "hemisphere.h"
#include "parcellation.h"
#include "surface_part.h"

#include <QString>

class zelVertstatsFile;

namespace gyroscene {

// Reads `path` and gives the surface's part of it: its rows as a
// statistics file, or its first label map as a parcellation. False with
// `error` saying why (unreadable, or no part for the surface).
bool read_cifti_statistics(const QString& path, const surface_part& part,
                           zelVertstatsFile* statistics, QString* error);
bool read_cifti_parcellation(const QString& path, const surface_part& part,
                             parcellation* parcels, QString* error);

// The model of `file` that belongs to a surface of `vertices` points whose
// GIFTI file names `structure` ("CortexLeft"; empty when it names none) or
// which is on `side`; null with `why` saying what the file holds otherwise.
const cifti_brain_model* cifti_model_for(const cifti_file& file, const QString& structure,
                                         Hemisphere side, int vertices, QString* why);

// The model's rows as a statistics file, one column per map or frame, NaN
// at the vertices the file holds no value for.
void cifti_statistics(const cifti_file& file, const cifti_brain_model& model,
                      const QString& source, zelVertstatsFile* statistics);

// Label map `map` on the model's vertices; vertices without a value or
// with a key the map's table lacks are in no region.
parcellation cifti_parcellation(const cifti_file& file, const cifti_brain_model& model, int map);

}  // namespace gyroscene
