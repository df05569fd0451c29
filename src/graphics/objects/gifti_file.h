// Reading GIFTI files (plain or gzip-compressed) through the GIFTI I/O
// library (XML, base64, gzip and external-file encodings), with the checks
// the library does not make: the declared array sizes are bounded by the
// file's size before any data is decoded, attributes spelled as other
// writers spell them are understood, a relative external file is found
// beside the GIFTI file, and the values come out converted whatever their
// stored type.
#pragma once

extern "C" {
#include <gifti_io.h>
}

#include "gifti_text.h"
#include "quillon.h"

// Whether the file starts like XML (after white space and a byte order
// mark, inflated when compressed); a GIFTI file always does.
bool looks_like_xml_file(const char *filename);
// Whether it starts like a GIFTI file: an XML declaration, a document type
// or the GIFTI element (a statistics file's "<header>" does not).
bool looks_like_gifti_file(const char *filename);

// The whole image, data decoded; null with a message naming the file and
// the reason. An ASCII array in column-major order is read as the standard
// says, with a warning (nibabel writes such text row by row). Free with
// gifti_free_image.
gifti_image *read_gifti_file(const char *filename);

// The shape of an array as rows x columns: a one-dimensional array of n
// values is n x 1. False for more dimensions.
bool gifti_array_shape(const giiDataArray *array, long long *rows, long long *columns);
// The values of a one- or two-dimensional array in row order (rows x
// columns floats at 'values', the index order of the file undone). False
// for a data type that is not a plain number.
bool gifti_array_floats(const giiDataArray *array, float *values);
// The same as ints; false also when a value is not an int.
bool gifti_array_ints(const giiDataArray *array, int *values);

// The value of an array's metadata entry, or null. Entries the library
// left without a name or value (from an MD element missing one) are
// skipped, where gifti_get_meta_value would dereference them.
const char *gifti_array_meta_value(const giiDataArray *array, const char *name);
// The same for the file's own metadata.
const char *gifti_meta_value(const nvpairs &meta, const char *name);

// The first array with this intent, or null.
const giiDataArray *find_gifti_array(const gifti_image *image, int intent);
// A surface file has a POINTSET and a TRIANGLE array.
bool is_gifti_surface(const gifti_image *image);
// Whether a file holds a surface, from its structure alone (no data is
// decoded): 1 a surface, 0 anything else GIFTI, -1 not readable as GIFTI.
int gifti_file_holds_surface(const char *filename);
// Whether the file is GIFTI with an array of that intent; quiet.
bool gifti_file_has_array(const char *filename, int intent);
