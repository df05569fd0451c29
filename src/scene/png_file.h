// Saving an image as PNG: the whole file or nothing under the name asked for.
#pragma once

#include <QImage>
#include <QString>

namespace gyroscene {

// Writes `image` to a temporary file beside `path` and renames it to `path`
// once complete, at zlib `quality` 0..100 (-1: Qt's default). False with
// `reason` (the system's or the writer's words) otherwise; a file already
// at `path` then stays as it was.
bool save_png(const QImage& image, const QString& path, int quality, QString* reason);

}  // namespace gyroscene
