#include "png_file.h"

#include <QImageWriter>
#include <QSaveFile>

namespace gyroscene {

bool save_png(const QImage& image, const QString& path, int quality, QString* reason)
{
    QSaveFile file(path);
    // Only a complete image is renamed into place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        *reason = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "png");
    writer.setQuality(quality);
    if (!writer.write(image)) {
        *reason = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

}  // namespace gyroscene
