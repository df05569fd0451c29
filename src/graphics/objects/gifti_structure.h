// The element structure of a GIFTI file, checked before the GIFTI library
// reads it: the library dereferences null on elements in places the format
// does not allow them (a MetaData inside a MatrixData) and on a CDATA
// section beside other text, so such files must never reach it.
#pragma once

#include <string>

// True when the file is well-formed XML whose elements are GIFTI's own,
// nest as the format allows and hold as many data arrays as the GIFTI
// element declares, with no element's text mixing a CDATA section with
// other text; otherwise false with the reason.
bool gifti_structure_is_valid(const char *filename, std::string *reason);
