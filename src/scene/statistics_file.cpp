#include "statistics_file.h"

#include "ReaderMessages.h"
#include "cifti_surfaces.h"
#include "file_kind.h"
#include "vertex_data_vertstats.h"
#include "zelVertstatsFile.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <string_view>

namespace gyroscene {

bool statistics_file_readable(const QString& fileName, QByteArray* bytes)
{
    // A directory fails only once read.
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (bytes != nullptr) {
        bytes->clear();
        bytes->reserve(qMax<qint64>(0, qMin<qint64>(info.size(), qint64(1) << 30)));
    }
    char chunk[1 << 16];
    qint64 n;
    while ((n = file.read(chunk, sizeof chunk)) > 0) {
        if (bytes != nullptr)
            bytes->append(chunk, n);
    }
    return n == 0;
}

QString statistics_read_error(const QString& fileName, const QString& reason)
{
    QString text = QStringLiteral("ERROR: could not read file ") + fileName;
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text;
}

bool read_statistics_file(const QString& fileName, zelVertstatsFile& file, QString* error,
                          QStringList* warnings, const QByteArray* bytes, const surface_part* part)
{
    const QByteArray readerName = readerFileName(fileName);
    if (file_kind_of(readerName.constData()).format == CIFTI_DATA_FILE_FORMAT) {
        QString why = QStringLiteral("a CIFTI-2 file goes on a surface");
        if (part && read_cifti_statistics(fileName, *part, &file, &why))
            return true;
        *error = statistics_read_error(fileName, why);
        return false;
    }
    if (vertex_data_format(readerName.constData()) != NOT_VERTEX_DATA) {
        // Curv, MGH and GIFTI data become a statistics table like any other.
        ReaderMessages messages;
        vertex_data data;
        if (input_vertex_data(readerName.constData(), &data) != OK) {
            *error = statistics_read_error(fileName, messages.reason(QString()));
            return false;
        }
        fill_vertstats_file(file, data, readerName.constData());
        return true;
    }
    ReaderMessages messages;
    // The class's own lines reach the collector (and standard error
    // through it) only for this read.
    const auto previousSink = zelVertstatsFile::setMessageSink(
        [&messages](const std::string& line) { messages.add(line); });
    struct RestoreSink {
        zelVertstatsFile::MessageSink sink;
        ~RestoreSink() { zelVertstatsFile::setMessageSink(std::move(sink)); }
    } restore{previousSink};
    try {
        if (bytes != nullptr)
            file.loadFromString(std::string_view(bytes->constData(), std::size_t(bytes->size())),
                                true, readerName.constData());
        else
            file.loadFile(readerName.constData(), true);
    } catch (const std::exception& failure) {
        // Whatever the reader could not cope with, the program keeps
        // running; the reader's own lines name the trouble when it gave any.
        *error = statistics_read_error(fileName,
                                       messages.reason(QString::fromLocal8Bit(failure.what())));
        file.close();
        return false;
    }
    if (warnings)
        *warnings = messages.lines();
    return true;
}

QString row_count_warning(const QString& fileName, int rows, int vertices)
{
    if (rows > vertices)
        return QStringLiteral("Warning: %1 has %2 rows but the surface has %3 vertices; the rows "
                              "after the last vertex are not used")
            .arg(fileName)
            .arg(rows)
            .arg(vertices);
    return QStringLiteral("Warning: %1 has %2 rows but the surface has %3 vertices; vertices "
                          "without a value are coloured as below the lower limit")
        .arg(fileName)
        .arg(rows)
        .arg(vertices);
}

row_count_check check_row_count(const QString& fileName, int rows, int vertices)
{
    row_count_check check;
    if (vertices < 0 || rows == vertices)
        return check;
    if (vertex_data_format(readerFileName(fileName).constData()) != NOT_VERTEX_DATA)
        check.error = statistics_read_error(
            fileName, QStringLiteral("it has %1 values but the surface has %2 vertices")
                          .arg(rows)
                          .arg(vertices));
    else
        check.warning = row_count_warning(fileName, rows, vertices);
    return check;
}

}  // namespace gyroscene
