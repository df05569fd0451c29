#include "image_output.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace gyrorender {

bool write_png(const QImage& image, const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) {
        *error = QStringLiteral("cannot write %1: directory %2 does not exist")
                     .arg(path, info.absolutePath());
        return false;
    }
    if (info.isDir()) {
        *error = QStringLiteral("cannot write %1: it is a directory").arg(path);
        return false;
    }
    QSaveFile file(path);
    // Only a complete image is renamed into place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    QImageWriter writer(&file, "png");
    // A middle zlib level: half the time of the default for a few per cent
    // more bytes, which matters over a batch of large montages.
    writer.setQuality(50);
    if (!writer.write(image)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, writer.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace gyrorender
