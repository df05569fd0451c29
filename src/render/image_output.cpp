#include "image_output.h"

#include <QDir>
#include <QFileInfo>

#include "png_file.h"

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
    // A middle zlib level: half the time of the default for a few per cent
    // more bytes, which matters over a batch of large montages.
    QString reason;
    if (!gyroscene::save_png(image, path, 50, &reason)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return true;
}

}  // namespace gyrorender
