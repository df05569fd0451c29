#include "figure_reads.h"

#include "ReaderMessages.h"
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

std::shared_ptr<const zelVertstatsFile> FigureReads::statistics(const QString& path, int vertices,
                                                                QString* error,
                                                                QStringList* warnings)
{
    std::shared_ptr<const zelVertstatsFile> file;
    if (auto found = statisticsFiles.find(path); found != statisticsFiles.end()) {
        file = found->second;
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
        statisticsFiles.emplace(path, read);
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

std::shared_ptr<const parcellation> FigureReads::parcels(const QString& path, int vertices,
                                                         int number, QString* error,
                                                         QStringList* warnings)
{
    const auto key = std::make_tuple(path, vertices, number);
    if (auto found = parcellations.find(key); found != parcellations.end())
        return found->second;
    auto read = std::make_shared<parcellation>();
    if (!gyroscene::read_surface_parcellation(path, vertices, number, read.get(), error, warnings))
        return nullptr;
    parcellations.emplace(key, read);
    return read;
}

std::shared_ptr<const std::vector<float>> FigureReads::column(const QString& path,
                                                              const zelVertstatsFile& file,
                                                              int index)
{
    auto& values = columns[{path, index}];
    if (!values)
        values = std::make_shared<const std::vector<float>>(file.getDataColumn(index));
    return values;
}

}  // namespace gyrorender
