// The DataArray attributes of GIFTI files as other writers spell them,
// rewritten into the one spelling the GIFTI library knows: older library
// versions wrote "GIFTI_ENCODING_B64GZ" and "GIFTI_ENDIAN_BIG", other tools
// write "float32" or "big"; all of them mean one standard value. Without
// this the library takes an unknown endianness as "no swap" and reads
// wrong values without a word.
#pragma once

#include "gifti_structure.h"

#include <string>
#include <vector>

// The text with every DataArray start tag written again: Encoding, Endian,
// DataType and ArrayIndexingOrder in the standard's spelling, a missing
// Endian as little-endian, and a relative ExternalFileName made relative
// to 'directory' (the GIFTI file's own, as the standard's readers resolve
// it; empty for the working directory). False, with the reason, for a
// value no reader knows.
bool normalise_gifti_arrays(const std::string &text, const std::vector<gifti_array_tag> &arrays,
                            const std::string &directory, std::string *normalised,
                            std::string *reason);

// The standard's spelling of a value of one of those attributes, or null
// when the value means nothing there ("Endian", "middle").
const char *standard_gifti_spelling(const std::string &attribute, const std::string &value);
