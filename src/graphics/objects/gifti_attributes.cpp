#include "gifti_attributes.h"

#include <cstring>

namespace {

struct spelling {
    const char *attribute;
    const char *standard;
    const char *others[3];
};

// Each standard value with the other names readers accept for it (those
// of the GIFTI library's older versions and of nibabel).
constexpr spelling spellings[] = {
    {"Encoding", "ASCII", {"GIFTI_ENCODING_ASCII"}},
    {"Encoding", "Base64Binary", {"GIFTI_ENCODING_B64BIN", "B64BIN"}},
    {"Encoding", "GZipBase64Binary", {"GIFTI_ENCODING_B64GZ", "B64GZ"}},
    {"Encoding", "ExternalFileBinary", {"GIFTI_ENCODING_EXTBIN", "External"}},
    {"Endian", "BigEndian", {"GIFTI_ENDIAN_BIG", "big"}},
    {"Endian", "LittleEndian", {"GIFTI_ENDIAN_LITTLE", "little"}},
    {"ArrayIndexingOrder", "RowMajorOrder", {"C"}},
    {"ArrayIndexingOrder", "ColumnMajorOrder", {"F"}},
    {"DataType", "NIFTI_TYPE_UINT8", {"uint8"}},
    {"DataType", "NIFTI_TYPE_INT8", {"int8"}},
    {"DataType", "NIFTI_TYPE_INT16", {"int16"}},
    {"DataType", "NIFTI_TYPE_UINT16", {"uint16"}},
    {"DataType", "NIFTI_TYPE_INT32", {"int32"}},
    {"DataType", "NIFTI_TYPE_UINT32", {"uint32"}},
    {"DataType", "NIFTI_TYPE_INT64", {"int64"}},
    {"DataType", "NIFTI_TYPE_UINT64", {"uint64"}},
    {"DataType", "NIFTI_TYPE_FLOAT32", {"float32"}},
    {"DataType", "NIFTI_TYPE_FLOAT64", {"float64"}},
    {"DataType", "NIFTI_TYPE_FLOAT128", {"float128"}},
    {"DataType", "NIFTI_TYPE_COMPLEX64", {"complex64"}},
    {"DataType", "NIFTI_TYPE_COMPLEX128", {"complex128"}},
    {"DataType", "NIFTI_TYPE_COMPLEX256", {"complex256"}},
    {"DataType", "NIFTI_TYPE_RGB24", {"RGB"}},
    {"DataType", "NIFTI_TYPE_RGBA32", {"RGBA"}},
};

void append_escaped(std::string *out, const std::string &value)
{
    for (char ch : value) {
        switch (ch) {
        case '&': *out += "&amp;"; break;
        case '<': *out += "&lt;"; break;
        case '"': *out += "&quot;"; break;
        // kept as characters: written plainly they would read back as spaces
        case '\t': *out += "&#9;"; break;
        case '\n': *out += "&#10;"; break;
        case '\r': *out += "&#13;"; break;
        default: *out += ch;
        }
    }
}

bool is_rewritten(const std::string &attribute)
{
    for (const char *name : {"Encoding", "Endian", "ArrayIndexingOrder", "DataType"})
        if (attribute == name)
            return true;
    return false;
}

// The tag of one array written again; false with the reason.
bool normalise_tag(const gifti_array_tag &tag, std::size_t index, const std::string &directory,
                   std::string *out, std::string *reason)
{
    *out += "<DataArray";
    bool has_endian = false;
    for (const auto &[name, value] : tag.attributes) {
        std::string written = value;
        if (is_rewritten(name)) {
            const char *standard = standard_gifti_spelling(name, value);
            if (standard == nullptr) {
                *reason = "data array " + std::to_string(index) + " has an unknown " + name +
                          " \"" + value + "\"";
                return false;
            }
            written = standard;
            has_endian = has_endian || name == "Endian";
        } else if (name == "ExternalFileName" && !value.empty() && value[0] != '/' &&
                   !directory.empty()) {
            written = directory + "/" + value;
        }
        *out += " " + name + "=\"";
        append_escaped(out, written);
        *out += "\"";
    }
    // The library reads a missing byte order as none at all; nibabel and
    // the GIFTI standard's writers mean the little-endian machines' own.
    if (!has_endian)
        *out += " Endian=\"LittleEndian\"";
    *out += tag.empty_element ? "/>" : ">";
    return true;
}

} // namespace

const char *standard_gifti_spelling(const std::string &attribute, const std::string &value)
{
    for (const spelling &s : spellings) {
        if (attribute != s.attribute)
            continue;
        if (value == s.standard)
            return s.standard;
        for (const char *other : s.others)
            if (other != nullptr && value == other)
                return s.standard;
    }
    return nullptr;
}

bool normalise_gifti_arrays(const std::string &text, const std::vector<gifti_array_tag> &arrays,
                            const std::string &directory, std::string *normalised,
                            std::string *reason)
{
    normalised->clear();
    normalised->reserve(text.size() + 64 * arrays.size());
    std::size_t copied = 0;
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        const gifti_array_tag &tag = arrays[i];
        if (tag.start < copied || tag.start + tag.length > text.size()) {
            *reason = "data array " + std::to_string(i) + " out of place";
            return false;
        }
        normalised->append(text, copied, tag.start - copied);
        if (!normalise_tag(tag, i, directory, normalised, reason))
            return false;
        copied = tag.start + tag.length;
    }
    normalised->append(text, copied, std::string::npos);
    return true;
}
