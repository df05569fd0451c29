#include "figure_reads.h"

#include "ReaderMessages.h"
#include "cifti_surfaces.h"
#include "file_kind.h"
#include "parcel_nodes.h"
#include "statistics_file.h"

#include <QFileInfo>

namespace gyrorender {

std::shared_ptr<const gyroscene::SurfaceFile> FigureReads::surface(const QString& path,
                                                                   QString* error,
                                                                   QStringList* warnings)
{
    if (auto found = surfaces.find(path); found != surfaces.end())
        return found->second;
    auto file = std::make_shared<gyroscene::SurfaceFile>();
    QString why;
    // The reader's lines become the reason of the one line that reports
    // the failure, or warnings after a success.
    ReaderMessages messages(ReaderMessages::Echo::Held);
    if (!QFileInfo(path).isFile() || !file->read(readerFileName(path), &why)) {
        if (!QFileInfo::exists(path))
            why = QStringLiteral("no such file");
        else if (!QFileInfo(path).isFile())
            why = QStringLiteral("not a file");
        else if (const std::string mismatch =
                     file_kind_mismatch(readerFileName(path).constData(), SURFACE_FILE_KIND);
                 !mismatch.empty())
            why = QStringLiteral("%1 (%2)").arg(why, QString::fromStdString(mismatch));
        *error = QStringLiteral("cannot read surface %1: %2").arg(path, why);
        return nullptr;
    }
    *warnings += messages.lines();
    surfaces.emplace(path, file);
    return file;
}

std::shared_ptr<const cifti_file> FigureReads::cifti(const QString& path, QString* error)
{
    if (auto found = ciftiFiles.find(path); found != ciftiFiles.end())
        return found->second;
    auto read = std::make_shared<cifti_file>();
    ReaderMessages messages(ReaderMessages::Echo::Held);
    if (input_cifti_file(readerFileName(path).constData(), read.get()) != OK) {
        *error = QStringLiteral("cannot read %1: %2")
                     .arg(path, messages.reason(QFileInfo::exists(path)
                                                    ? QStringLiteral("not a readable CIFTI-2 file")
                                                    : QStringLiteral("no such file")));
        return nullptr;
    }
    ciftiFiles.emplace(path, read);
    return read;
}

const cifti_brain_model* FigureReads::ciftiModel(const QString& path, const Surface& surface,
                                                 QString* error)
{
    const std::shared_ptr<const cifti_file> file = cifti(path, error);
    if (!file)
        return nullptr;
    QString why;
    const cifti_brain_model* model = gyroscene::cifti_model_for(
        *file, surface.structure, surface.side, surface.vertices, &why);
    if (!model)
        *error = QStringLiteral("%1 holds %2").arg(path, why);
    return model;
}

std::shared_ptr<const zelVertstatsFile> FigureReads::statistics(const QString& path,
                                                                const Surface& surface,
                                                                QString* error,
                                                                QStringList* warnings)
{
    const int vertices = surface.vertices;
    std::shared_ptr<const zelVertstatsFile> file;
    const bool isCifti =
        file_kind_of(readerFileName(path).constData()).format == CIFTI_DATA_FILE_FORMAT;
    // A CIFTI-2 file's part for each surface, under the surface's structure.
    const QString key = isCifti ? path + QChar(0) + QString::number(vertices) + QChar(0) +
                                      surface.structure + QChar(0) +
                                      QString::number(int(surface.side))
                                : path;
    if (auto found = statisticsFiles.find(key); found != statisticsFiles.end()) {
        file = found->second;
    } else if (isCifti) {
        const cifti_brain_model* model = ciftiModel(path, surface, error);
        if (!model)
            return nullptr;
        auto read = std::make_shared<zelVertstatsFile>();
        gyroscene::cifti_statistics(*ciftiFiles.at(path), *model, path, read.get());
        statisticsFiles.emplace(key, read);
        file = read;
    } else {
        if (!gyroscene::statistics_file_readable(path)) {
            *error = gyroscene::statistics_read_error(
                path, QFileInfo::exists(path) ? QStringLiteral("not readable")
                                              : QStringLiteral("no such file"));
            return nullptr;
        }
        auto read = std::make_shared<zelVertstatsFile>();
        QStringList readerWarnings;
        // Held: the failure's reason is in `error`, the warnings come back.
        ReaderMessages messages(ReaderMessages::Echo::Held);
        if (!gyroscene::read_statistics_file(path, *read, error, &readerWarnings))
            return nullptr;
        *warnings += readerWarnings;
        statisticsFiles.emplace(key, read);
        file = read;
    }
    const gyroscene::row_count_check counts =
        gyroscene::check_row_count(path, file->getNumRows(), vertices);
    if (!counts.error.isEmpty()) {
        *error = counts.error;
        return nullptr;
    }
    if (!counts.warning.isEmpty() && !warnings->contains(counts.warning))
        warnings->append(counts.warning);
    return file;
}

std::shared_ptr<const parcellation> FigureReads::parcels(const QString& path,
                                                         const Surface& surface, int number,
                                                         QString* error, QStringList* warnings)
{
    const int vertices = surface.vertices;
    const auto key = std::make_tuple(path, vertices, number);
    if (file_kind_of(readerFileName(path).constData()).format == CIFTI_LABELS_FILE_FORMAT) {
        // The first label map, on the surface's part of the file.
        const cifti_brain_model* model = ciftiModel(path, surface, error);
        if (!model)
            return nullptr;
        return std::make_shared<const parcellation>(
            gyroscene::cifti_parcellation(*ciftiFiles.at(path), *model, 0));
    }
    if (auto found = parcellations.find(key); found != parcellations.end())
        return found->second;
    auto read = std::make_shared<parcellation>();
    if (!gyroscene::read_surface_parcellation(path, vertices, number, read.get(), error, warnings))
        return nullptr;
    parcellations.emplace(key, read);
    return read;
}

std::shared_ptr<const std::vector<float>> FigureReads::column(const zelVertstatsFile& file,
                                                              int index)
{
    auto& values = columns[{&file, index}];
    if (!values)
        values = std::make_shared<const std::vector<float>>(file.getDataColumn(index));
    return values;
}

}  // namespace gyrorender
