#include "cifti_surfaces.h"

#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"

#include "ReaderMessages.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <map>

namespace gyroscene {

const cifti_brain_model* cifti_model_for(const cifti_file& file, const QString& structure,
                                         Hemisphere side, int vertices, QString* why)
{
    std::string wanted;
    if (!structure.isEmpty())
        wanted = cifti_structure_name(structure.toStdString());
    else if (side == Hemisphere::Left)
        wanted = cifti_structure_name("left");
    else if (side == Hemisphere::Right)
        wanted = cifti_structure_name("right");
    const cifti_brain_model* found = nullptr;
    int sameSize = 0;
    const cifti_brain_model* onlyOfSize = nullptr;
    for (const cifti_brain_model& model : file.columns.models) {
        if (!model.surface)
            continue;
        if (model.structure == wanted)
            found = &model;
        if (model.surface_vertices == vertices) {
            ++sameSize;
            onlyOfSize = &model;
        }
    }
    // A surface of no known side still takes the one model of its size.
    if (!found && wanted.empty() && sameSize == 1)
        found = onlyOfSize;
    if (found && found->surface_vertices == vertices)
        return found;
    QStringList held;
    for (const cifti_brain_model& model : file.columns.models)
        if (model.surface)
            held << QStringLiteral("%1 of %2 vertices")
                        .arg(QString::fromStdString(model.structure).remove("CIFTI_STRUCTURE_"))
                        .arg(model.surface_vertices);
    const QString surface =
        wanted.empty() ? QStringLiteral("a surface of no known side")
                       : QString::fromStdString(wanted).remove("CIFTI_STRUCTURE_");
    *why = found ? QStringLiteral("its %1 has %2 vertices, the surface %3")
                       .arg(surface)
                       .arg(found->surface_vertices)
                       .arg(vertices)
                 : QStringLiteral("no values for %1 of %2 vertices (it holds %3)")
                       .arg(surface)
                       .arg(vertices)
                       .arg(held.isEmpty() ? QStringLiteral("no surface") : held.join(", "));
    return nullptr;
}

void cifti_statistics(const cifti_file& file, const cifti_brain_model& model,
                      const QString& source, zelVertstatsFile* statistics)
{
    vertex_data data;
    std::vector<std::vector<float>> columns = cifti_surface_columns(file, model);
    for (std::size_t r = 0; r < columns.size(); ++r)
        data.columns.push_back(
            {column_name_from(cifti_row_name(file, long(r))), std::move(columns[r])});
    fill_vertstats_file(*statistics, data, source.toLocal8Bit().constData());
}

namespace {

// The file read and the part's model; null with `error` set.
const cifti_brain_model* readPart(const QString& path, const surface_part& part, cifti_file* file,
                                  QString* error)
{
    ReaderMessages messages(ReaderMessages::Echo::Held);
    if (input_cifti_file(readerFileName(path).constData(), file) != OK) {
        *error = messages.reason(QFileInfo::exists(path)
                                     ? QStringLiteral("not a readable CIFTI-2 file")
                                     : QStringLiteral("no such file"));
        return nullptr;
    }
    QString why;
    const cifti_brain_model* model =
        cifti_model_for(*file, part.structure, part.side, part.vertices, &why);
    if (!model)
        *error = QStringLiteral("it holds %1").arg(why);
    return model;
}

}  // namespace

bool read_cifti_statistics(const QString& path, const surface_part& part,
                           zelVertstatsFile* statistics, QString* error)
{
    cifti_file file;
    const cifti_brain_model* model = readPart(path, part, &file, error);
    if (model)
        cifti_statistics(file, *model, path, statistics);
    return model != nullptr;
}

bool read_cifti_parcellation(const QString& path, const surface_part& part,
                             parcellation* parcels, QString* error)
{
    cifti_file file;
    const cifti_brain_model* model = readPart(path, part, &file, error);
    if (model)
        *parcels = cifti_parcellation(file, *model, 0);
    return model != nullptr;
}

parcellation cifti_parcellation(const cifti_file& file, const cifti_brain_model& model, int map)
{
    parcellation parcels;
    parcels.format = GIFTI_LABELS;
    parcels.vertex_regions.assign(std::size_t(model.surface_vertices), no_region);
    if (map < 0 || std::size_t(map) >= file.rows.maps.size())
        return parcels;
    std::map<int, int> regionOfKey;
    for (const cifti_label& label : file.rows.maps[std::size_t(map)].labels) {
        const auto byte = [](float c) { return std::uint8_t(std::lround(c * 255.0f)); };
        regionOfKey[label.key] = int(parcels.regions.size());
        parcels.regions.push_back({label.key, label.name,
                                   {byte(label.rgba[0]), byte(label.rgba[1]), byte(label.rgba[2]),
                                    byte(label.rgba[3])}});
    }
    const float* row = file.values.data() + std::size_t(map) * std::size_t(file.n_columns) +
                       std::size_t(model.offset);
    for (std::size_t i = 0; i < model.vertices.size(); ++i) {
        if (!std::isfinite(row[i]))
            continue;
        const auto region = regionOfKey.find(int(std::lround(row[i])));
        if (region != regionOfKey.end())
            parcels.vertex_regions[std::size_t(model.vertices[i])] = region->second;
    }
    return parcels;
}

}  // namespace gyroscene
