// The element structure of a GIFTI file, checked before the GIFTI library
// reads it: the library dereferences null on elements in places the format
// does not allow them (a MetaData inside a MatrixData) and on a CDATA
// section beside other text, so such files must never reach it.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// A DataArray start tag as it stands in the text, and how much text its
// Data element holds (what bounds the values it can decode to).
struct gifti_array_tag {
    std::size_t start = 0, length = 0; // bytes of the start tag in the text
    bool empty_element = false;        // "<DataArray .../>"
    std::vector<std::pair<std::string, std::string>> attributes;
    std::size_t data_chars = 0;
};

// True when the text is well-formed XML whose elements are GIFTI's own,
// nest as the format allows and hold as many data arrays as the GIFTI
// element declares, with no element's text mixing a CDATA section with
// other text; otherwise false with the reason. 'arrays' receives every
// DataArray's tag, in file order.
bool gifti_structure_is_valid(const std::string &text, std::vector<gifti_array_tag> *arrays,
                              std::string *reason);
