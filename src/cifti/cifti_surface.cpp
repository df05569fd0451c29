// The surfaces' part of a CIFTI-2 file: structures by name, each model's
// values spread over its surface's vertices, row names, a description.
#include "cifti_file.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>

const cifti_brain_model *cifti_surface_model(const cifti_file &file, const std::string &structure)
{
    const std::string wanted = cifti_structure_name(structure);
    for (const cifti_brain_model &model : file.columns.models)
        if (model.surface && model.structure == wanted)
            return &model;
    return nullptr;
}

std::vector<std::string> cifti_surface_structures(const cifti_file &file)
{
    std::vector<std::string> names;
    for (const cifti_brain_model &model : file.columns.models)
        if (model.surface)
            names.push_back(model.structure);
    return names;
}

std::string cifti_structure_name(const std::string &name)
{
    if (name.rfind("CIFTI_STRUCTURE_", 0) == 0)
        return name;
    if (name == "left")
        return "CIFTI_STRUCTURE_CORTEX_LEFT";
    if (name == "right")
        return "CIFTI_STRUCTURE_CORTEX_RIGHT";
    // GIFTI's CamelCase ("CortexLeft") to CIFTI's ("CORTEX_LEFT").
    std::string upper;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (i > 0 && std::isupper(c))
            upper += '_';
        upper += char(std::toupper(c));
    }
    return "CIFTI_STRUCTURE_" + upper;
}

std::string cifti_row_name(const cifti_file &file, long long row)
{
    const cifti_axis &rows = file.rows;
    if (rows.kind == CIFTI_SERIES_AXIS) {
        std::ostringstream out;
        out.precision(6);
        out << rows.series_start + double(row) * rows.series_step;
        const std::string &unit = rows.series_unit;
        out << (unit == "SECOND" ? "s" : unit == "HERTZ" ? "Hz" : unit == "METER" ? "m"
                : unit == "RADIAN" ? "rad" : "");
        return out.str();
    }
    if (row >= 0 && row < static_cast<long long>(rows.maps.size()) &&
        !rows.maps[std::size_t(row)].name.empty())
        return rows.maps[std::size_t(row)].name;
    return "map" + std::to_string(row + 1);
}

std::vector<std::vector<float>> cifti_surface_columns(const cifti_file &file,
                                                      const cifti_brain_model &model)
{
    std::vector<std::vector<float>> columns;
    for (long long r = 0; r < file.n_rows; ++r) {
        std::vector<float> values(std::size_t(model.surface_vertices),
                                  std::numeric_limits<float>::quiet_NaN());
        const float *row = file.values.data() + r * file.n_columns + model.offset;
        for (std::size_t i = 0; i < model.vertices.size(); ++i)
            values[std::size_t(model.vertices[i])] = row[i];
        columns.push_back(std::move(values));
    }
    return columns;
}

std::string describe_cifti_file(const cifti_file &file)
{
    std::ostringstream out;
    out << "format: CIFTI-2\n";
    const cifti_axis &rows = file.rows;
    if (rows.kind == CIFTI_SERIES_AXIS)
        out << "series: " << file.n_rows << " frames from " << rows.series_start << " by "
            << rows.series_step << " " << rows.series_unit << "\n";
    else
        out << (rows.kind == CIFTI_LABELS_AXIS ? "label maps: " : "maps: ") << file.n_rows << "\n";
    for (const cifti_map &map : rows.maps) {
        out << "  " << map.name;
        if (rows.kind == CIFTI_LABELS_AXIS)
            out << " (" << map.labels.size() << " labels)";
        out << "\n";
    }
    out << "brainordinates: " << file.n_columns << "\n";
    for (const cifti_brain_model &model : file.columns.models) {
        out << "  " << model.structure << ": ";
        if (model.surface)
            out << model.count << " of " << model.surface_vertices << " vertices\n";
        else
            out << model.count << " voxels (not drawn)\n";
    }
    return out.str();
}
