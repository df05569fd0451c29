#include "cifti_xml.h"

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

struct reader {
    std::string error;
    cifti_axis axes[2];
    bool seen[2] = {false, false};
    // The map being read and the dimensions it applies to.
    cifti_axis axis;
    bool dims[2] = {false, false};
    long long series_points = -1;
    long long row_points = -1; // NumberOfSeriesPoints of the first dimension's series
    cifti_brain_model model;
    cifti_label label;
    std::string text;
    bool keep_text = false;
};

const char *attribute(const XML_Char **attributes, const char *name)
{
    for (int i = 0; attributes[i] != nullptr; i += 2)
        if (std::strcmp(attributes[i], name) == 0)
            return attributes[i + 1];
    return nullptr;
}

bool whole_number(const char *text, long long *value)
{
    if (text == nullptr)
        return false;
    char *end = nullptr;
    errno = 0;
    *value = std::strtoll(text, &end, 10);
    while (end != nullptr && *end == ' ')
        ++end;
    return errno == 0 && end != text && end != nullptr && *end == '\0';
}

bool number(const char *text, double *value)
{
    if (text == nullptr)
        return false;
    char *end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && std::isfinite(*value);
}

void fail(reader &r, const std::string &why)
{
    if (r.error.empty())
        r.error = why;
}

Cifti_axis_kinds axis_kind(const char *type)
{
    if (type == nullptr)
        return CIFTI_OTHER_AXIS;
    const std::string t = type;
    if (t == "CIFTI_INDEX_TYPE_BRAIN_MODELS") return CIFTI_BRAIN_MODELS_AXIS;
    if (t == "CIFTI_INDEX_TYPE_SCALARS") return CIFTI_SCALARS_AXIS;
    if (t == "CIFTI_INDEX_TYPE_LABELS") return CIFTI_LABELS_AXIS;
    if (t == "CIFTI_INDEX_TYPE_SERIES") return CIFTI_SERIES_AXIS;
    if (t == "CIFTI_INDEX_TYPE_PARCELS") return CIFTI_PARCELS_AXIS;
    return CIFTI_OTHER_AXIS;
}

void start_map(reader &r, const XML_Char **attributes)
{
    r.axis = cifti_axis();
    r.dims[0] = r.dims[1] = false;
    r.series_points = -1;
    const char *applies = attribute(attributes, "AppliesToMatrixDimension");
    std::stringstream list(applies != nullptr ? applies : "");
    for (std::string item; std::getline(list, item, ',');) {
        long long d = -1;
        if (!whole_number(item.c_str(), &d) || d < 0 || d > 1)
            return fail(r, "a map applies to a matrix dimension other than 0 and 1");
        r.dims[d] = true;
    }
    if (!r.dims[0] && !r.dims[1])
        return fail(r, "a map that applies to no matrix dimension");
    r.axis.kind = axis_kind(attribute(attributes, "IndicesMapToDataType"));
    if (r.axis.kind == CIFTI_SERIES_AXIS) {
        double exponent = 0;
        number(attribute(attributes, "SeriesExponent"), &exponent);
        const double scale = std::pow(10.0, exponent);
        if (!number(attribute(attributes, "SeriesStart"), &r.axis.series_start) ||
            !number(attribute(attributes, "SeriesStep"), &r.axis.series_step))
            return fail(r, "a series without a start and a step");
        r.axis.series_start *= scale;
        r.axis.series_step *= scale;
        const char *unit = attribute(attributes, "SeriesUnit");
        r.axis.series_unit = unit != nullptr ? unit : "";
        whole_number(attribute(attributes, "NumberOfSeriesPoints"), &r.series_points);
    }
}

void start_model(reader &r, const XML_Char **attributes)
{
    r.model = cifti_brain_model();
    const char *type = attribute(attributes, "ModelType");
    const char *structure = attribute(attributes, "BrainStructure");
    if (!whole_number(attribute(attributes, "IndexOffset"), &r.model.offset) ||
        !whole_number(attribute(attributes, "IndexCount"), &r.model.count) || type == nullptr ||
        structure == nullptr)
        return fail(r, "a brain model without its offset, count, type or structure");
    r.model.surface = std::strcmp(type, "CIFTI_MODEL_TYPE_SURFACE") == 0;
    r.model.structure = structure;
    if (r.model.surface &&
        !whole_number(attribute(attributes, "SurfaceNumberOfVertices"), &r.model.surface_vertices))
        return fail(r, "a surface model without its surface's vertex count");
}

void start_label(reader &r, const XML_Char **attributes)
{
    r.label = cifti_label();
    long long key = 0;
    // Caret and older writers call the key "Index".
    const char *k = attribute(attributes, "Key");
    if (k == nullptr)
        k = attribute(attributes, "Index");
    if (!whole_number(k, &key) || key < INT32_MIN || key > INT32_MAX)
        return fail(r, "a label without an integer key");
    r.label.key = int(key);
    const char *names[4] = {"Red", "Green", "Blue", "Alpha"};
    for (int i = 0; i < 4; ++i) {
        double c = i == 3 ? 1.0 : 0.0;
        if (attribute(attributes, names[i]) != nullptr &&
            (!number(attribute(attributes, names[i]), &c) || c < 0 || c > 1))
            return fail(r, "a label colour outside 0 to 1");
        r.label.rgba[i] = float(c);
    }
}

void XMLCALL on_start(void *data, const XML_Char *name, const XML_Char **attributes)
{
    reader &r = *static_cast<reader *>(data);
    r.text.clear();
    r.keep_text = false;
    const std::string element = name;
    if (element == "CIFTI") {
        const char *version = attribute(attributes, "Version");
        if (version == nullptr || version[0] != '2')
            fail(r, std::string("CIFTI version ") + (version ? version : "(none)") +
                        "; only CIFTI-2 is read");
    } else if (element == "MatrixIndicesMap") {
        start_map(r, attributes);
    } else if (element == "NamedMap") {
        r.axis.maps.emplace_back();
    } else if (element == "BrainModel") {
        start_model(r, attributes);
    } else if (element == "Label") {
        start_label(r, attributes);
        r.keep_text = true;
    } else if (element == "MapName" || element == "VertexIndices") {
        r.keep_text = true;
    }
}

void end_vertex_indices(reader &r)
{
    std::istringstream in(r.text);
    long long v = 0;
    while (in >> v) {
        if (v < 0 || v >= r.model.surface_vertices)
            return fail(r, "a vertex index beyond the surface's vertex count");
        r.model.vertices.push_back(int(v));
    }
    if (!in.eof())
        fail(r, "vertex indices that are not whole numbers");
}

void end_model(reader &r)
{
    if (r.model.surface && static_cast<long long>(r.model.vertices.size()) != r.model.count)
        return fail(r, "a surface model whose vertex indices do not match its count");
    r.axis.models.push_back(std::move(r.model));
}

void XMLCALL on_end(void *data, const XML_Char *name)
{
    reader &r = *static_cast<reader *>(data);
    const std::string element = name;
    if (element == "MapName" && !r.axis.maps.empty()) {
        r.axis.maps.back().name = r.text;
    } else if (element == "Label" && !r.axis.maps.empty()) {
        r.label.name = r.text;
        r.axis.maps.back().labels.push_back(r.label);
    } else if (element == "VertexIndices") {
        end_vertex_indices(r);
    } else if (element == "BrainModel") {
        end_model(r);
    } else if (element == "MatrixIndicesMap") {
        for (int d = 0; d < 2; ++d)
            if (r.dims[d]) {
                if (r.seen[d])
                    fail(r, "two maps for one matrix dimension");
                r.axes[d] = r.axis;
                r.seen[d] = true;
            }
        if (r.dims[0] && r.axis.kind == CIFTI_SERIES_AXIS)
            r.row_points = r.series_points;
    }
    r.keep_text = false;
    r.text.clear();
}

void XMLCALL on_text(void *data, const XML_Char *text, int length)
{
    reader &r = *static_cast<reader *>(data);
    if (r.keep_text)
        r.text.append(text, std::size_t(length));
}

// The axes as the matrix needs them; an empty string when they fit.
std::string check(const reader &r, long long rows, long long columns)
{
    if (!r.seen[0] || !r.seen[1])
        return "the XML does not describe both matrix dimensions";
    const cifti_axis &along = r.axes[0], &across = r.axes[1];
    if (across.kind == CIFTI_PARCELS_AXIS || along.kind == CIFTI_PARCELS_AXIS)
        return "a parcellated CIFTI file: its values belong to parcels, not to vertices";
    if (across.kind != CIFTI_BRAIN_MODELS_AXIS)
        return "its second dimension is not brain models";
    if (along.kind == CIFTI_BRAIN_MODELS_AXIS)
        return "a connectivity matrix (brain models by brain models), not maps";
    if (along.kind == CIFTI_OTHER_AXIS)
        return "its first dimension is neither maps, labels nor a series";
    if ((along.kind == CIFTI_SCALARS_AXIS || along.kind == CIFTI_LABELS_AXIS) &&
        static_cast<long long>(along.maps.size()) != rows)
        return "the number of named maps differs from the matrix's rows";
    if (r.row_points >= 0 && along.kind == CIFTI_SERIES_AXIS && r.row_points != rows)
        return "the series' number of points differs from the matrix's rows";
    for (const cifti_brain_model &m : across.models)
        if (m.offset < 0 || m.count < 1 || m.offset > columns - m.count)
            return "a brain model outside the matrix's columns";
    return {};
}

} // namespace

Status parse_cifti_xml(const char *filename, const std::string &xml, long long rows,
                       long long columns, cifti_file *file)
{
    reader r;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        print_error("Error reading \"%s\": out of memory for the XML parser.\n", filename);
        return ERROR;
    }
    XML_SetUserData(parser, &r);
    XML_SetElementHandler(parser, on_start, on_end);
    XML_SetCharacterDataHandler(parser, on_text);
    const bool parsed =
        XML_Parse(parser, xml.data(), int(std::min<std::size_t>(xml.size(), INT32_MAX)), 1) ==
        XML_STATUS_OK;
    std::string why = r.error;
    if (!parsed && why.empty())
        why = std::string("the CIFTI XML is malformed (") +
              XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
              std::to_string(XML_GetCurrentLineNumber(parser)) + ")";
    XML_ParserFree(parser);
    if (why.empty())
        why = check(r, rows, columns);
    if (!why.empty()) {
        print_error("Error reading \"%s\": %s.\n", filename, why.c_str());
        return ERROR;
    }
    file->rows = r.axes[0];
    file->columns = r.axes[1];
    return OK;
}
