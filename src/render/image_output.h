// Writing a figure: the whole PNG or nothing under the name asked for.
#pragma once

#include <QImage>
#include <QString>

namespace gyrorender {

// Writes `image` as PNG to a temporary file beside `path`, renamed to
// `path` once complete. False with `error` set otherwise; nothing is left
// at `path` then (a file already there stays as it was).
bool write_png(const QImage& image, const QString& path, QString* error);

}  // namespace gyrorender
