// Pictures of the view: the sizes offered, and writing one as a PNG file
// without ever leaving half a file under the name.
#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QImage;

namespace Screenshot {

// The scales a screenshot is offered at, times the view's size on screen.
QList<int> scales();
// The save dialog's filter for a scale, naming the size it makes.
QString filter(int scale, QSize viewSize);
// The scale of a filter made by filter(); 1 for any other text.
int scaleOf(const QString& filter, QSize viewSize);
// Adds ".png" to a name without a suffix.
QString withSuffix(const QString& path);
// False with the reason when the file cannot be written.
bool writePng(const QImage& image, const QString& path, QString* error);

}  // namespace Screenshot
